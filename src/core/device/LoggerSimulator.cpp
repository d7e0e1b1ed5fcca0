// The logger's device side as a state machine, with faults it can be told to make.
#include "core/device/LoggerSimulator.h"

#include "core/device/LoggerProtocol.h"

#include <algorithm>
#include <cmath>
#include <utility>

namespace zirko {

namespace {

void PutWord(std::vector<uint8_t>& bytes, size_t offset, uint16_t value)
{
    bytes[offset] = static_cast<uint8_t>(value >> 8);
    bytes[offset + 1] = static_cast<uint8_t>(value & 0xFF);
}

} // namespace

std::vector<uint8_t> DefaultSimulatorConfig()
{
    std::vector<uint8_t> config(kLoggerConfigBytes, 0);
    for (size_t i = 0; i < config.size(); ++i)
        config[i] = static_cast<uint8_t>((i * 37 + 11) & 0x7F); // firmware bytes carried through
    for (size_t i = 11; i <= 17; ++i)
        config[i] = 0;
    config[11] = 1;          // altitude
    config[12] = 1;          // RX channel
    config[15] = 1;          // power supply
    PutWord(config, 30, 10); // 0.1 s
    config[50] = 3;          // start at once
    config[51] = 0;          // finish on power off
    PutWord(config, 52, 0);
    PutWord(config, 54, 0);
    PutWord(config, 56, 0);
    PutWord(config, 66, 584); // 7.00 V
    PutWord(config, 70, 0);
    PutWord(config, 72, 0);
    PutWord(config, 74, 0);
    return config;
}

TLoggerSimulator::TLoggerSimulator(TSimulatorOptions options) : Options(std::move(options))
{
    ConfigRecord = Options.Config.empty() ? DefaultSimulatorConfig() : Options.Config;
    ConfigRecord.resize(kLoggerConfigBytes, 0);
    Options.Firmware.resize(kLoggerFirmwareBytes, ' ');
    const auto* firmware = reinterpret_cast<const uint8_t*>(Options.Firmware.data());
    MemorySizeBytes = Options.MemorySize > 0
                          ? Options.MemorySize
                          : MemorySizeFromFirmware(std::span(firmware, Options.Firmware.size()));
    if (static_cast<int64_t>(Options.Memory.size()) > MemorySizeBytes)
        Options.Memory.resize(static_cast<size_t>(MemorySizeBytes));
}

uint8_t TLoggerSimulator::MemoryByte(int64_t index) const
{
    if (index >= 0 && index < static_cast<int64_t>(Options.Memory.size()))
        return Options.Memory[static_cast<size_t>(index)];
    return 0xFF;
}

void TLoggerSimulator::Queue(uint8_t byte, double nowMs)
{
    if (Silent)
        return;
    double due = nowMs;
    if (Options.BytesPerSecond > 0) {
        due = std::max(due, WireFreeMs) + 1000.0 / Options.BytesPerSecond;
        WireFreeMs = due;
    }
    Wire.push_back({byte, due});
}

void TLoggerSimulator::PowerUp(double nowMs)
{
    PowerDown();
    Phase = TDevicePhase::Idle;
    WireFreeMs = nowMs;
    ReceiveFreeMs = nowMs;
    LastTakenDueMs = nowMs;
    // Line noise as a logger makes it while its supply settles; never the hello letter.
    for (int i = 0; i < Options.Faults.NoiseBytes; ++i)
        Queue(static_cast<uint8_t>(0x80 | ((i * 29) & 0x7F)), nowMs);
    Queue(kLoggerHello, nowMs);
}

void TLoggerSimulator::PowerDown()
{
    Phase = TDevicePhase::Off;
    Wire.clear();
    ConfigWritten = 0;
    Silent = false;
    BlockIndex = 0;
    BadChecksSent = 0;
}

std::vector<uint8_t> TLoggerSimulator::TakeOutput(double nowMs)
{
    Advance(nowMs);
    std::vector<uint8_t> bytes;
    while (!Wire.empty() && Wire.front().DueMs <= nowMs) {
        bytes.push_back(Wire.front().Byte);
        LastTakenDueMs = Wire.front().DueMs;
        Wire.pop_front();
    }
    return bytes;
}

std::optional<double> TLoggerSimulator::NextDueMs() const
{
    std::optional<double> due;
    if (!Wire.empty())
        due = Wire.front().DueMs;
    if (Phase == TDevicePhase::Erasing)
        due = due ? std::min(*due, EraseDoneMs) : EraseDoneMs;
    return due;
}

std::optional<int64_t> TLoggerSimulator::NextDeadline() const
{
    if (const auto due = NextDueMs())
        return static_cast<int64_t>(std::ceil(*due));
    return std::nullopt;
}

double TLoggerSimulator::Arrival(double nowMs)
{
    if (Options.BytesPerSecond <= 0)
        return nowMs;
    const double start = std::max({nowMs, ReceiveFreeMs, LastTakenDueMs});
    ReceiveFreeMs = start + 1000.0 / Options.BytesPerSecond;
    return ReceiveFreeMs;
}

void TLoggerSimulator::Advance(double nowMs)
{
    if (Phase == TDevicePhase::Erasing && nowMs >= EraseDoneMs) {
        Options.Memory.clear(); // erased memory reads as 0xFF
        Phase = TDevicePhase::Idle;
        Queue(Options.Faults.WrongEraseReply ? uint8_t{'?'} : kLoggerErase, EraseDoneMs);
    }
}

void TLoggerSimulator::Receive(std::string_view bytes, double nowMs)
{
    Receive(std::span(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size()), nowMs);
}

void TLoggerSimulator::Receive(std::span<const uint8_t> bytes, double nowMs)
{
    for (uint8_t byte : bytes) {
        const double at = Arrival(nowMs);
        Advance(at);
        switch (Phase) {
        case TDevicePhase::Off:
        case TDevicePhase::Erasing:
            break; // an erasing logger listens to nothing
        case TDevicePhase::WritingConfig:
            ConfigRecord[ConfigWritten++] = byte;
            if (ConfigWritten == kLoggerConfigBytes) {
                Phase = TDevicePhase::Idle;
                WroteConfig = true;
            }
            break;
        case TDevicePhase::Download:
            if (byte == kLoggerBlockOk || byte == kLoggerBlockBad) {
                const bool ok = byte == kLoggerBlockOk;
                const bool wrongEcho = BlockIndex == Options.Faults.WrongEchoBlock;
                Queue(wrongEcho ? uint8_t{'?'} : byte, at);
                if (ok && BlockIndex == Options.Faults.SilentAfterBlock)
                    Silent = true;
                if (ok)
                    ++BlockIndex;
                QueueBlock(at);
                break;
            }
            HandleCommand(byte, at);
            break;
        case TDevicePhase::Idle:
            HandleCommand(byte, at);
            break;
        }
    }
}

void TLoggerSimulator::HandleCommand(uint8_t byte, double nowMs)
{
    if (Options.Faults.IgnoredCommands.find(static_cast<char>(byte)) != std::string::npos)
        return;
    switch (byte) {
    case kLoggerFirmware: {
        Phase = TDevicePhase::Idle;
        Queue(kLoggerFirmware, nowMs);
        const size_t count = Options.Faults.SilentFirmwareAfter >= 0
                                 ? static_cast<size_t>(Options.Faults.SilentFirmwareAfter)
                                 : Options.Firmware.size();
        for (size_t i = 0; i < std::min(count, Options.Firmware.size()); ++i)
            Queue(static_cast<uint8_t>(Options.Firmware[i]), nowMs);
        break;
    }
    case kLoggerReadConfig:
        Phase = TDevicePhase::Idle;
        Queue(kLoggerReadConfig, nowMs);
        QueueConfig(nowMs, std::exchange(WroteConfig, false));
        break;
    case kLoggerWriteConfig:
        Phase = TDevicePhase::WritingConfig;
        ConfigWritten = 0;
        break;
    case kLoggerErase:
        Queue(kLoggerErase, nowMs);
        Phase = TDevicePhase::Erasing;
        EraseDoneMs = nowMs + Options.EraseMs;
        break;
    case kLoggerDownload:
        Queue(kLoggerDownload, nowMs);
        Phase = TDevicePhase::Download;
        BlockIndex = 0;
        BadChecksSent = 0;
        BlocksSentCount = 0;
        QueueBlock(nowMs);
        break;
    default:
        break; // "*" and anything unknown go unanswered
    }
}

void TLoggerSimulator::QueueConfig(double nowMs, bool readBack)
{
    std::vector<uint8_t> record = ConfigRecord;
    if (readBack && Options.Faults.CorruptReadBacks > 0) {
        --Options.Faults.CorruptReadBacks;
        record[40] ^= 0x01; // a flipped bit the check byte does not reveal
    }
    uint8_t check = LoggerCheckByte(record);
    if (Options.Faults.BadConfigChecks > 0) {
        --Options.Faults.BadConfigChecks;
        check ^= 0x5A;
    }
    size_t count = record.size();
    bool silent = false;
    if (Options.Faults.SilentConfigAfter >= 0) {
        count = std::min(count, static_cast<size_t>(Options.Faults.SilentConfigAfter));
        Options.Faults.SilentConfigAfter = -1;
        silent = true;
    }
    for (size_t i = 0; i < count; ++i)
        Queue(record[i], nowMs);
    if (!silent)
        Queue(check, nowMs);
}

void TLoggerSimulator::QueueBlock(double nowMs)
{
    const int64_t start = BlockIndex * static_cast<int64_t>(kLoggerBlockBytes);
    uint8_t check = 0;
    for (size_t i = 0; i < kLoggerBlockBytes; ++i) {
        const uint8_t byte = MemoryByte(start + static_cast<int64_t>(i));
        check ^= byte;
        Queue(byte, nowMs);
    }
    if (BlockIndex == Options.Faults.BadCheckBlock &&
        BadChecksSent < Options.Faults.BadCheckTimes) {
        ++BadChecksSent;
        check ^= 0x5A;
    }
    Queue(check, nowMs);
    ++BlocksSentCount;
}

} // namespace zirko
