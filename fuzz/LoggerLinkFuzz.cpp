// Fuzz target: the protocol machine talking to the simulated logger, with any memory contents, any
// delivery in pieces and the logger's faults switched on at random. A download either brings the
// memory exactly up to its erased end, or fails with the message its fault calls for.
#include "core/device/LoggerProtocol.h"
#include "core/device/LoggerSimulator.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace {

using zirko::TProtocolEvent;
using zirko::TProtocolEventKind;

void Require(bool condition)
{
    if (!condition)
        std::abort();
}

class TLink {
public:
    TLink(zirko::TSimulatorOptions options, size_t piece) : Device(std::move(options)), Piece(piece)
    {
    }

    void Pump()
    {
        for (;;) {
            const auto toDevice = Program.TakeOutput();
            Device.Receive(toDevice, Now);
            const auto toProgram = Device.TakeOutput(Now);
            Collect();
            if (toDevice.empty() && toProgram.empty())
                return;
            // The driver hands over what the port has, in pieces of any size.
            for (size_t at = 0; at < toProgram.size(); at += Piece) {
                const size_t count = std::min(Piece, toProgram.size() - at);
                Program.OnBytes(std::span(toProgram).subspan(at, count), Now);
            }
            Collect();
        }
    }

    void Settle()
    {
        for (int round = 0; round < 100000; ++round) {
            Pump();
            std::optional<int64_t> next = Program.NextDeadline();
            if (const auto device = Device.NextDeadline())
                next = next ? std::min(*next, *device) : *device;
            if (!next)
                return;
            Now = std::max(Now, *next);
            Program.OnTime(Now);
            Collect();
        }
        std::abort(); // the conversation never came to rest
    }

    void Collect()
    {
        for (auto& event : Program.TakeEvents())
            Events.push_back(std::move(event));
    }

    const TProtocolEvent* Last(TProtocolEventKind kind) const
    {
        for (auto it = Events.rbegin(); it != Events.rend(); ++it)
            if (it->Kind == kind)
                return &*it;
        return nullptr;
    }

    zirko::TLoggerProtocol Program;
    zirko::TLoggerSimulator Device;
    size_t Piece;
    int64_t Now = 0;
    std::vector<TProtocolEvent> Events;
};

// Where reading this memory ends: the first run of 0xFF long enough to end a download.
struct TEndOfData {
    int64_t Read = 0; // bytes read, up to the last byte of that run
    int64_t Kept = 0; // bytes of the image to split: up to the fifth byte of that run
};

// The run of 0xFF bytes that ends at `last`.
int64_t ErasedRunEndingAt(const zirko::TLoggerSimulator& device, int64_t last)
{
    int64_t run = 0;
    while (last - run >= 0 && device.MemoryByte(last - run) == 0xFF)
        ++run;
    return run;
}

TEndOfData EndOfData(const zirko::TLoggerSimulator& device)
{
    const auto endRun = static_cast<int64_t>(zirko::kLoggerEndRunBytes);
    for (int64_t i = 0;; ++i)
        if (ErasedRunEndingAt(device, i) == endRun)
            return {i + 1, i + 1 - endRun + static_cast<int64_t>(zirko::kLoggerEndRunKept)};
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 6)
        return 0;
    zirko::TSimulatorOptions options;
    options.Faults.NoiseBytes = data[0] % 8 * 20;
    options.Faults.BadCheckBlock = data[1] % 8 - 1;
    options.Faults.BadCheckTimes = data[2] % 13;
    options.Faults.SilentAfterBlock = data[3] % 16 == 0 ? data[3] / 16 % 4 : -1;
    options.Faults.WrongEchoBlock = data[4] % 16 == 0 ? data[4] / 16 % 4 : -1;
    const size_t piece = data[5] % 9 + 1u;
    options.Memory.assign(data + 6, data + std::min<size_t>(size, 6 + 3000));
    const auto faults = options.Faults;

    TLink link(options, piece);
    link.Program.Start(link.Now);
    link.Device.PowerUp(link.Now);
    link.Settle();
    Require(link.Program.DeviceConnected() && link.Program.ConfigLoaded());
    Require(link.Program.ConfigImage() == link.Device.Config());
    Require(link.Program.MemorySize() == zirko::kLoggerLargeMemory);

    link.Events.clear();
    link.Program.ReadData(link.Now);
    link.Settle();

    const auto block = static_cast<int64_t>(zirko::kLoggerBlockBytes);
    TEndOfData end = EndOfData(link.Device);
    // Blocks whose check byte is read; the one the erased end falls in is never acknowledged.
    const int64_t acknowledged = (end.Read - 1) / block;
    std::optional<int64_t> failAt;
    const auto failsAt = [&](int at) {
        if (at >= 0 && at < acknowledged)
            failAt = failAt ? std::min<int64_t>(*failAt, at) : at;
    };
    if (faults.BadCheckTimes > zirko::kLoggerMaxBadBlocks)
        failsAt(faults.BadCheckBlock);
    failsAt(faults.WrongEchoBlock);
    // Silence after an acknowledged block, before any other failure: a logger that falls silent
    // inside erased memory has ended its data there, otherwise the download fails.
    const int silent = faults.SilentAfterBlock;
    const bool endsInSilence =
        silent >= 0 && silent < acknowledged && (!failAt || silent < *failAt);
    if (endsInSilence) {
        const int64_t lastRead = (silent + 1) * block - 1;
        const int64_t run = ErasedRunEndingAt(link.Device, lastRead);
        // The faults of later blocks never come to pass then.
        failAt.reset();
        if (run >= static_cast<int64_t>(zirko::kLoggerEndRunKept))
            end = {lastRead + 1,
                   lastRead + 1 - run + static_cast<int64_t>(zirko::kLoggerEndRunKept)};
        else
            failAt = silent;
    }

    const auto* finished = link.Last(TProtocolEventKind::DownloadFinished);
    const auto* error = link.Last(TProtocolEventKind::Failure);
    Require(link.Program.PendingCommand().empty());
    if (failAt) {
        Require(finished == nullptr && error != nullptr);
        Require(!link.Program.PortOpen());
        return 0;
    }
    Require(error == nullptr && finished != nullptr);
    Require(link.Program.PortOpen());
    Require(static_cast<int64_t>(finished->Bytes.size()) == end.Read);
    Require(finished->Number == end.Kept - 1 && link.Program.LastDataIndex() == end.Kept - 1);
    for (int64_t i = 0; i < end.Read; ++i)
        Require(finished->Bytes[static_cast<size_t>(i)] == link.Device.MemoryByte(i));

    // A logger that fell silent answers nothing more.
    if (endsInSilence)
        return 0;

    // The connection stays usable: a changed record goes up and reads back the same.
    std::vector<uint8_t> record = link.Program.ConfigImage();
    record[40] ^= data[size - 1];
    link.Events.clear();
    link.Program.UploadConfig(record, link.Now);
    link.Settle();
    Require(link.Last(TProtocolEventKind::Failure) == nullptr);
    Require(link.Device.Config() == record && link.Program.VerifyImage() == record);
    return 0;
}
