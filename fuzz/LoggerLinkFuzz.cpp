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

// How many bytes a download accepts from this memory: up to the fifth 0xFF in a row.
int64_t AcceptedBytes(const zirko::TLoggerSimulator& device)
{
    int pairs = 0;
    for (int64_t i = 0;; ++i) {
        const uint8_t byte = device.MemoryByte(i);
        pairs = (i > 0 && byte == 0xFF && device.MemoryByte(i - 1) == 0xFF) ? pairs + 1 : 0;
        if (pairs == 4)
            return i + 1;
    }
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
    Require(link.Program.DeviceConnected && link.Program.ConfigLoaded);
    Require(link.Program.ConfigImage == link.Device.Config());
    Require(link.Program.MemorySize == zirko::kLoggerLargeMemory);

    link.Events.clear();
    link.Program.ReadData(link.Now);
    link.Settle();

    const int64_t accepted = AcceptedBytes(link.Device);
    // Blocks whose check byte is read; the one the erased end falls in is never acknowledged.
    const int64_t acknowledged = (accepted - 1) / static_cast<int64_t>(zirko::kLoggerBlockBytes);
    std::optional<int64_t> failAt;
    const auto failsAt = [&](int block) {
        if (block >= 0 && block < acknowledged)
            failAt = failAt ? std::min<int64_t>(*failAt, block) : block;
    };
    if (faults.BadCheckTimes > zirko::kLoggerMaxBadBlocks)
        failsAt(faults.BadCheckBlock);
    failsAt(faults.WrongEchoBlock);
    // Silence after an acknowledged block is felt at once: the erased end lies further on.
    failsAt(faults.SilentAfterBlock);

    const auto* finished = link.Last(TProtocolEventKind::DownloadFinished);
    const auto* error = link.Last(TProtocolEventKind::ErrorShown);
    Require(link.Program.PendingCommand.empty());
    if (failAt) {
        Require(finished == nullptr && error != nullptr);
        Require(!link.Program.PortOpen());
        return 0;
    }
    Require(error == nullptr && finished != nullptr);
    Require(link.Program.PortOpen());
    Require(static_cast<int64_t>(finished->Bytes.size()) == accepted);
    Require(finished->Number == accepted - 1 && link.Program.LastDataIndex == accepted - 1);
    for (int64_t i = 0; i < accepted; ++i)
        Require(finished->Bytes[static_cast<size_t>(i)] == link.Device.MemoryByte(i));

    // The connection stays usable: a changed record goes up and reads back the same.
    std::vector<uint8_t> record = link.Program.ConfigImage;
    record[40] ^= data[size - 1];
    link.Events.clear();
    link.Program.UploadConfig(record, link.Now);
    link.Settle();
    Require(link.Last(TProtocolEventKind::ErrorShown) == nullptr);
    Require(link.Device.Config() == record && link.Program.VerifyImage == record);
    return 0;
}
