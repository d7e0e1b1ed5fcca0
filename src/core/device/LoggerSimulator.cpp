// The logger's device side as a state machine, with a generator of recorded flights and faults.
#include "core/device/LoggerSimulator.h"

#include "core/device/LoggerProtocol.h"

#include <algorithm>
#include <cmath>
#include <numbers>
#include <random>
#include <utility>

namespace zirko {

namespace {

void PutWord(std::vector<uint8_t>& bytes, size_t offset, uint16_t value)
{
    bytes[offset] = static_cast<uint8_t>(value >> 8);
    bytes[offset + 1] = static_cast<uint8_t>(value & 0xFF);
}

void AppendWord(std::vector<uint8_t>& bytes, uint16_t value)
{
    bytes.push_back(static_cast<uint8_t>(value >> 8));
    bytes.push_back(static_cast<uint8_t>(value & 0xFF));
}

// 0xFFFF would read as part of a marker or the end of the data.
uint16_t ClampSample(double value)
{
    return static_cast<uint16_t>(std::clamp(std::lround(value), 0L, 0xFFFEL));
}

// Pressure in kPa as the logger's sensor word encodes it.
constexpr double kPressureScale = 65536.0 * 0.009;
constexpr double kPressureOffset = 10.555555;
constexpr double kServoCentre = 1532;
constexpr double kServoPerPercent = 5.1;
constexpr double kVoltPerStep = 0.0291;
constexpr double kVoltOffset = 2.476;

double AltitudeFactor(int headerWord7)
{
    return 20718.6607 - 0.8485 * headerWord7;
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

uint16_t PressureRawForAltitude(double altitude, double groundPressureKpa, int headerWord7)
{
    const double pressure = groundPressureKpa * std::exp(-altitude / AltitudeFactor(headerWord7));
    return ClampSample((pressure - kPressureOffset) * kPressureScale);
}

double AltitudeForPressureRaw(uint16_t raw, uint16_t groundRaw, int headerWord7)
{
    const double pressure = raw / 65536.0 / 0.009 + kPressureOffset;
    const double ground = groundRaw / 65536.0 / 0.009 + kPressureOffset;
    return -std::log(pressure / ground) * AltitudeFactor(headerWord7);
}

std::vector<uint8_t> GenerateFlight(const TFlightProfile& profile, uint32_t seed)
{
    std::mt19937 random(seed);
    std::uniform_real_distribution<double> unit(0.0, 1.0);
    std::normal_distribution<double> noise(0.0, 1.0);

    std::vector<uint8_t> bytes = {0xFF, 0xFF, 0xFF, 0xFF};
    const uint16_t mask = profile.ChannelMask;
    AppendWord(bytes, static_cast<uint16_t>(profile.Sampling));
    AppendWord(bytes, mask);
    AppendWord(bytes, static_cast<uint16_t>(profile.HeaderWord3));
    AppendWord(bytes, 0);
    AppendWord(bytes, 0);
    AppendWord(bytes, 0);
    AppendWord(bytes, static_cast<uint16_t>(profile.HeaderWord7));

    const double step = std::max(profile.Sampling, 1) / 100.0;
    const auto samples = static_cast<int64_t>(profile.DurationSeconds / step) + 1;
    const double duration = profile.DurationSeconds;
    // Phases of the flight in seconds: on the ground, the climb, thermals, the glide, landed.
    const double launch = std::min(10.0, duration * 0.05);
    const double climbEnd = launch + duration * 0.15;
    const double glideStart = launch + duration * 0.65;
    const double landing = duration * 0.95;
    const double topHeight = 120 + 180 * unit(random);
    const double thermalGain = 40 + 80 * unit(random);
    const double thermalPeriod = 25 + 20 * unit(random);
    double heightAtGlide = 0;
    double servoTarget = 0;
    double servo = 0;
    double markerUntil = -1;
    double nextMarker = launch + 5 + 10 * unit(random);

    for (int64_t j = 0; j < samples; ++j) {
        const double t = static_cast<double>(j) * step;
        double height = 0;
        if (t < launch) {
            height = 0;
        } else if (t < climbEnd) {
            const double x = (t - launch) / (climbEnd - launch);
            height = topHeight * (1 - (1 - x) * (1 - x));
        } else if (t < glideStart) {
            const double x = t - climbEnd;
            height = topHeight + thermalGain * (x / (glideStart - climbEnd)) +
                     12 * std::sin(2 * std::numbers::pi * x / thermalPeriod);
            heightAtGlide = height;
        } else if (t < landing) {
            const double x = (t - glideStart) / (landing - glideStart);
            height = heightAtGlide * (1 - x);
        }
        height = std::max(0.0, height + (height > 0 ? 0.3 * noise(random) : 0.0));

        // The pilot's stick: slow moves, and short full-travel pulses that mark moments.
        if (t >= launch && unit(random) < step / 4)
            servoTarget = -40 + 80 * unit(random);
        servo += (servoTarget - servo) * std::min(1.0, step * 2);
        if (t >= nextMarker && t < landing) {
            markerUntil = t + 0.5;
            nextMarker = t + 20 + 30 * unit(random);
        }
        const double servoShown = t < markerUntil ? profile.MarkerPercent : servo;

        const double volts =
            profile.StartVoltage - 0.6 * (t / std::max(duration, 1.0)) + 0.01 * noise(random);

        for (int bit = 15; bit >= 0; --bit) {
            if ((mask & (1u << bit)) == 0)
                continue;
            uint16_t raw = 0;
            switch (bit) {
            case 15:
                raw =
                    PressureRawForAltitude(height, profile.GroundPressureKpa, profile.HeaderWord7);
                break;
            case 14:
                raw = ClampSample(kServoCentre + servoShown * kServoPerPercent);
                break;
            case 11:
                raw = ClampSample((volts - kVoltOffset) / kVoltPerStep);
                break;
            default:
                raw = ClampSample(500 + 100 * std::sin(t / 7.0 + bit));
                break;
            }
            AppendWord(bytes, raw);
        }
    }
    // A last byte of 0xFF would join the next marker into a run that ends the download.
    if (bytes.size() > 18 && bytes.back() == 0xFF)
        bytes.back() = 0xFE;
    return bytes;
}

std::vector<uint8_t> GenerateMemoryImage(int flights, uint32_t seed, double durationSeconds)
{
    std::vector<uint8_t> image;
    for (int i = 0; i < flights; ++i) {
        TFlightProfile profile;
        profile.HeaderWord3 = i + 1;
        profile.DurationSeconds = durationSeconds;
        profile.GroundPressureKpa = 97.0 + 0.5 * (i % 5);
        profile.HeaderWord7 = 15 + i;
        const auto flight = GenerateFlight(profile, seed + static_cast<uint32_t>(i) * 7919u);
        image.insert(image.end(), flight.begin(), flight.end());
    }
    return image;
}

} // namespace zirko
