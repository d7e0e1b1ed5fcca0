// The logger's device side as a state machine, with faults it can be told to make.
#pragma once

#include "core/device/FlightGenerator.h"

#include <cstddef>
#include <cstdint>
#include <deque>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace zirko {

// Faults the simulated logger can be told to make. Block numbers count from 0 over the
// blocks of one download.
struct TSimulatorFaults {
    int NoiseBytes = 0;           // bytes other than "*" sent at power-up before the "*"
    int BadCheckBlock = -1;       // this block goes out with a wrong check byte ...
    int BadCheckTimes = 0;        // ... this many times, then correctly
    int SilentAfterBlock = -1;    // after echoing "O" for this block the device says nothing more
    int WrongEchoBlock = -1;      // the reply to "O"/"X" after this block is another letter
    int BadConfigChecks = 0;      // this many configuration reads carry a wrong check byte
    int CorruptReadBacks = 0;     // this many reads after a write return one byte changed
    int SilentConfigAfter = -1;   // a configuration read stops after this many bytes (once)
    bool WrongEraseReply = false; // the end of an erase is announced with "?" instead of "E"
    int SilentFirmwareAfter = -1; // the firmware text stops after this many bytes
    std::string IgnoredCommands;  // command letters the device never answers
};

struct TSimulatorOptions {
    // The 26 identification bytes, padded with blanks or cut.
    std::string Firmware = "ZIRKO logger sim. FW 2.10";
    // Size of the logger's memory; 0 takes it from the firmware text as the program does.
    int64_t MemorySize = 0;
    // What the memory holds from its start; the rest reads as erased (0xFF).
    std::vector<uint8_t> Memory;
    // The 264-byte configuration record; empty gives a plausible default record.
    std::vector<uint8_t> Config;
    int64_t EraseMs = 1500;
    // Wire pacing: bytes per second (11520 is 115200 baud); 0 sends everything at once.
    int BytesPerSecond = 0;
    TSimulatorFaults Faults;
};

// A plausible configuration record: altitude, RX and power logged every 0.1 s, start at once.
std::vector<uint8_t> DefaultSimulatorConfig();

class TLoggerSimulator {
public:
    explicit TLoggerSimulator(TSimulatorOptions options = {});

    // Times are milliseconds on one clock, with fractions: pacing works in parts of a millisecond.

    // Switched on: the device announces itself with "*" (after any noise fault bytes).
    void PowerUp(double nowMs);
    // Switched off: the conversation and unsent bytes are gone, memory and record stay.
    void PowerDown();
    // Bytes the program sent, in order, handed over at `nowMs`. Paced, each one reaches the
    // logger a byte time after it left the program, and it cannot have left before the last byte
    // taken from the device was due: the program may be answering that byte.
    void Receive(std::span<const uint8_t> bytes, double nowMs);
    void Receive(std::string_view bytes, double nowMs);
    // Bytes that are on the wire by `nowMs`.
    std::vector<uint8_t> TakeOutput(double nowMs);
    // When the device next has something to send or to finish, if ever: exactly, and rounded up
    // to a whole millisecond.
    std::optional<double> NextDueMs() const;
    std::optional<int64_t> NextDeadline() const;

    // The memory as the device would send it: the recorded bytes, then erased bytes.
    uint8_t MemoryByte(int64_t index) const;
    const std::vector<uint8_t>& Memory() const { return Options.Memory; }
    void SetMemory(std::vector<uint8_t> memory) { Options.Memory = std::move(memory); }
    const std::vector<uint8_t>& Config() const { return ConfigRecord; }
    int64_t MemorySize() const { return MemorySizeBytes; }
    TSimulatorFaults& Faults() { return Options.Faults; }
    // Blocks sent in the current or last download, counting re-sent ones.
    int BlocksSent() const { return BlocksSentCount; }
    bool Erasing() const { return Phase == TDevicePhase::Erasing; }

private:
    enum class TDevicePhase { Off, Idle, WritingConfig, Erasing, Download };

    void Queue(uint8_t byte, double nowMs);
    void QueueBlock(double nowMs);
    void QueueConfig(double nowMs, bool readBack);
    void HandleCommand(uint8_t byte, double nowMs);
    void Advance(double nowMs);
    // When a byte from the program handed over at `nowMs` has reached the logger.
    double Arrival(double nowMs);

    struct TWireByte {
        uint8_t Byte;
        double DueMs;
    };

    TSimulatorOptions Options;
    std::vector<uint8_t> ConfigRecord;
    int64_t MemorySizeBytes = 0;
    TDevicePhase Phase = TDevicePhase::Off;
    std::deque<TWireByte> Wire;
    double WireFreeMs = 0;
    // The wire from the program is busy until then.
    double ReceiveFreeMs = 0;
    // Due time of the last byte taken off the wire to the program.
    double LastTakenDueMs = 0;
    size_t ConfigWritten = 0;
    bool WroteConfig = false;
    double EraseDoneMs = 0;
    int64_t BlockIndex = 0;
    int BadChecksSent = 0;
    int BlocksSentCount = 0;
    bool Silent = false;
};

} // namespace zirko
