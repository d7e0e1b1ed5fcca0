// An in-memory wire between the protocol machine and the simulated logger, with a fake clock.
#pragma once

#include "core/device/LoggerProtocol.h"
#include "core/device/LoggerSimulator.h"

#include <algorithm>
#include <functional>
#include <string>
#include <vector>

namespace zirko::test {

enum class TFeed { Whole, ByteByByte };

class TLoggerLinkHarness {
public:
    explicit TLoggerLinkHarness(TSimulatorOptions options = {}, TFeed feed = TFeed::Whole)
        : Device(std::move(options)), Feed(feed)
    {
    }

    // Opens the "port" and switches the logger on.
    void Connect()
    {
        Program.Start(Now);
        Device.PowerUp(Now);
        Settle();
    }

    // Moves bytes both ways until neither side has anything to say at the current time.
    bool Pump()
    {
        bool moved = false;
        for (;;) {
            auto toDevice = Program.TakeOutput();
            Sent.insert(Sent.end(), toDevice.begin(), toDevice.end());
            Device.Receive(toDevice, Now);
            auto toProgram = Device.TakeOutput(Now);
            Collect();
            if (toDevice.empty() && toProgram.empty())
                return moved;
            moved = true;
            Received.insert(Received.end(), toProgram.begin(), toProgram.end());
            if (Feed == TFeed::Whole) {
                Program.OnBytes(toProgram, Now);
            } else {
                for (uint8_t byte : toProgram)
                    Program.OnBytes(std::span(&byte, 1), Now);
            }
            Collect();
        }
    }

    // Runs the clock forward through the deadlines of both sides until nothing more happens
    // or `limitMs` is reached.
    void Settle(int64_t limitMs = 60000)
    {
        const int64_t end = Now + limitMs;
        for (;;) {
            Pump();
            std::optional<int64_t> next = Program.NextDeadline();
            if (auto device = Device.NextDeadline())
                next = next ? std::min(*next, *device) : *device;
            if (!next || *next > end)
                return;
            Now = std::max(Now, *next);
            Program.OnTime(Now);
            Collect();
        }
    }

    // Connects to the logger and downloads its memory; the download's result, if there was one.
    const TProtocolEvent* DownloadAll()
    {
        Connect();
        Program.ReadData(Now);
        Settle();
        return Last(TProtocolEventKind::DownloadFinished);
    }

    void Collect()
    {
        for (auto& event : Program.TakeEvents())
            Events.push_back(std::move(event));
    }

    std::vector<std::string> Texts(TProtocolEventKind kind) const
    {
        std::vector<std::string> texts;
        for (const auto& event : Events)
            if (event.Kind == kind)
                texts.push_back(event.Text);
        return texts;
    }

    int Count(TProtocolEventKind kind) const
    {
        return static_cast<int>(std::count_if(Events.begin(), Events.end(),
                                              [kind](const auto& e) { return e.Kind == kind; }));
    }

    const TProtocolEvent* Last(TProtocolEventKind kind) const
    {
        for (auto it = Events.rbegin(); it != Events.rend(); ++it)
            if (it->Kind == kind)
                return &*it;
        return nullptr;
    }

    bool Shown(const std::string& error) const
    {
        const auto errors = Texts(TProtocolEventKind::Failure);
        return std::find(errors.begin(), errors.end(), error) != errors.end();
    }

    int SentCount(uint8_t byte) const
    {
        return static_cast<int>(std::count(Sent.begin(), Sent.end(), byte));
    }

    TLoggerProtocol Program;
    TLoggerSimulator Device;
    TFeed Feed;
    int64_t Now = 1000;
    std::vector<TProtocolEvent> Events;
    std::vector<uint8_t> Sent;
    std::vector<uint8_t> Received;
};

} // namespace zirko::test
