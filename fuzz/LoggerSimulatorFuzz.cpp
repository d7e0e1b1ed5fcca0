// Fuzz target: the simulated logger fed any bytes at any pace, as a program on its pseudo-terminal
// may send them. It keeps its record whole, sends nothing before its time and never talks forever.
#include "core/device/LoggerProtocol.h"
#include "core/device/LoggerSimulator.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <span>

namespace {

void Require(bool condition)
{
    if (!condition)
        std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 2)
        return 0;
    zirko::TSimulatorOptions options;
    options.Memory = zirko::GenerateFlight(zirko::TFlightProfile{.DurationSeconds = 3}, data[0]);
    options.BytesPerSecond = data[1] % 2 == 0 ? 0 : 11520;
    options.EraseMs = 50;
    options.Faults.NoiseBytes = data[1] % 4;
    zirko::TLoggerSimulator device(options);
    int64_t now = 0;
    device.PowerUp(now);
    size_t sent = 0;
    for (size_t at = 2; at < size; ++at) {
        const uint8_t byte = data[at];
        if (byte == 0xF0 && at + 1 < size) {
            // A pause: the clock moves on by the next byte in milliseconds.
            now += data[++at];
        } else if (byte == 0xF1) {
            device.PowerDown();
            device.PowerUp(now);
        } else {
            device.Receive(std::span(&byte, 1), now);
        }
        sent += device.TakeOutput(now).size();
        if (const auto deadline = device.NextDeadline())
            Require(*deadline > now);
        Require(device.Config().size() == zirko::kLoggerConfigBytes);
    }
    // Left alone, the logger finishes what it was asked and falls quiet.
    for (int round = 0; round < 100000; ++round) {
        const auto deadline = device.NextDeadline();
        if (!deadline)
            break;
        now = std::max(now, *deadline);
        sent += device.TakeOutput(now).size();
    }
    Require(!device.NextDeadline() && !device.Erasing());
    (void)sent;
    return 0;
}
