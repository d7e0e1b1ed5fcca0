// The simulated logger as a device end, for the pseudo-terminal server and the "Simulator" port.
#pragma once

#include "core/device/LoggerSimulator.h"
#include "platform/serial/DeviceEndpoint.h"

namespace zirko {

class TSimulatorDevice final : public TDeviceEndpoint {
public:
    explicit TSimulatorDevice(TSimulatorOptions options) : Simulator(std::move(options)) {}

    void PowerUp(double nowMs) override { Simulator.PowerUp(nowMs); }
    void PowerDown() override { Simulator.PowerDown(); }
    void Receive(const QByteArray& bytes, double nowMs) override;
    QByteArray TakeOutput(double nowMs) override;
    std::optional<double> NextDeadline() const override { return Simulator.NextDueMs(); }

    TLoggerSimulator& Logger() { return Simulator; }

private:
    TLoggerSimulator Simulator;
};

// The built-in logger of the "Simulator" port: a few generated flights in its memory.
TSimulatorOptions BuiltInSimulatorOptions(int bytesPerSecond);

} // namespace zirko
