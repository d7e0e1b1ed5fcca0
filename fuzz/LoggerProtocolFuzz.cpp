// Fuzz target: the protocol machine driven by a script of device bytes, clock steps and commands.
// Whatever the logger sends, the machine keeps its records in bounds and its events consistent.
#include "core/device/LoggerProtocol.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <span>
#include <vector>

namespace {

using zirko::TLoggerProtocol;
using zirko::TProtocolEventKind;
using zirko::TProtocolPhase;

class TScript {
public:
    TScript(const uint8_t* data, size_t size) : Data(data), Size(size) {}
    bool AtEnd() const { return Position >= Size; }
    uint8_t Next() { return Position < Size ? Data[Position++] : 0; }
    std::span<const uint8_t> Take(size_t count)
    {
        count = std::min(count, Size - Position);
        const std::span<const uint8_t> bytes(Data + Position, count);
        Position += count;
        return bytes;
    }

private:
    const uint8_t* Data;
    size_t Size;
    size_t Position = 0;
};

void Require(bool condition)
{
    if (!condition)
        std::abort();
}

bool IsCommandLetter(uint8_t byte)
{
    return byte == '*' || byte == 'F' || byte == 'R' || byte == 'W' || byte == 'E' || byte == 'D' ||
           byte == 'O' || byte == 'X';
}

class TRun {
public:
    explicit TRun(size_t maxImage) { Program.SetMaxImageBytes(maxImage); }

    void Feed(std::span<const uint8_t> bytes) { Program.OnBytes(bytes, Now); }

    void Check(bool mayHoldConfigBytes)
    {
        const auto output = Program.TakeOutput();
        if (!output.empty())
            LastSent = output.back();
        if (!mayHoldConfigBytes)
            Require(std::all_of(output.begin(), output.end(), IsCommandLetter));
        for (const auto& event : Program.TakeEvents()) {
            if (event.Kind == TProtocolEventKind::DownloadFinished) {
                Require(event.Bytes.size() <= Program.MaxImageBytes());
                if (!event.Bytes.empty()) {
                    // The image to split ends inside what was read; the rest is backup only.
                    Require(event.Number >= 0 &&
                            event.Number < static_cast<int64_t>(event.Bytes.size()));
                    Require(event.UsedBytes == event.Number);
                }
            }
            if (event.Kind == TProtocolEventKind::Configuration)
                Require(event.Bytes.size() == zirko::kLoggerConfigBytes);
            if (event.Kind == TProtocolEventKind::WaitingActivity)
                Require(event.Number >= 1 && !zirko::WaitingDots(event.Number).empty() &&
                        zirko::WaitingDots(event.Number).size() <= 101);
            if (event.Kind == TProtocolEventKind::Progress)
                Require(event.Number >= 0 &&
                        event.Number <= static_cast<int64_t>(Program.MaxImageBytes()));
        }
        Require(Program.PendingCommand().size() <= 1);
        Require(Program.ConfigImage().size() == zirko::kLoggerConfigBytes);
        Require(Program.VerifyImage().size() == zirko::kLoggerConfigBytes);
        Require(Program.FirmwareBytes().size() <= zirko::kLoggerFirmwareBytes);
        Require(Program.MemorySize() == 0 || Program.MemorySize() == zirko::kLoggerSmallMemory ||
                Program.MemorySize() == zirko::kLoggerLargeMemory);
        if (Program.Phase() == TProtocolPhase::Closed)
            Require(!Program.DeviceConnected());
        if (const auto deadline = Program.NextDeadline())
            Require(*deadline <=
                    Now + std::max(zirko::kLoggerReadTimeoutMs, zirko::kLoggerReplyTimeoutMs));
    }

    TLoggerProtocol Program;
    int64_t Now = 0;
    uint8_t LastSent = 0;
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    TScript script(data, size);
    // A small image limit lets short inputs reach the end of the buffer.
    TRun run(1 + script.Next() * 7u);
    run.Program.Start(run.Now);
    run.Check(false);
    std::vector<uint8_t> bytes;
    while (!script.AtEnd()) {
        const uint8_t op = script.Next();
        const uint8_t arg = script.Next();
        bool uploaded = false;
        bytes.clear();
        switch (op % 8) {
        case 0: { // bytes as they come
            const auto raw = script.Take(arg % 48 + 1u);
            bytes.assign(raw.begin(), raw.end());
            break;
        }
        case 1: // the clock moves on
            run.Now += arg * 3;
            run.Program.OnTime(run.Now);
            break;
        case 2: { // a button or the window
            std::vector<uint8_t> record(arg % 3 == 0 ? 100 : zirko::kLoggerConfigBytes, arg);
            switch (arg % 8) {
            case 0:
                run.Program.Start(run.Now);
                break;
            case 1:
                run.Program.ReadData(run.Now);
                break;
            case 2:
                run.Program.EraseMemory(run.Now);
                break;
            case 3:
                run.Program.UploadConfig(record, run.Now);
                uploaded = true;
                break;
            case 4:
                run.Program.RequestConfig(run.Now);
                break;
            case 5:
                run.Program.Disconnect(run.Now);
                break;
            case 6:
                run.Program.Close(run.Now);
                break;
            default:
                run.Program.OnTime(run.Now + zirko::kLoggerReadTimeoutMs);
                break;
            }
            break;
        }
        case 3:   // a data block with its check byte, right or wrong
        case 6: { // a configuration record (the same shape)
            uint8_t check = 0;
            for (size_t i = 0; i < zirko::kLoggerBlockBytes; ++i) {
                const auto byte = static_cast<uint8_t>(op == 3 ? arg : arg ^ i);
                bytes.push_back(byte);
                check ^= byte;
            }
            bytes.push_back(script.Next() % 4 == 0 ? static_cast<uint8_t>(check ^ 1) : check);
            break;
        }
        case 4: // the device echoes what it was sent last
            bytes.push_back(run.LastSent);
            break;
        case 5: // erased memory
            bytes.assign(arg % 24 + 1u, 0xFF);
            break;
        default: // a reply letter
            bytes.push_back(static_cast<uint8_t>("*FREDOXW"[arg % 8]));
            break;
        }
        run.Feed(bytes);
        run.Check(uploaded);
    }
    run.Program.Close(run.Now);
    run.Check(false);
    return 0;
}
