// The device end of a link: what a pseudo-terminal server or the in-process link runs. Times
// are milliseconds on the caller's clock, with fractions.
#pragma once

#include <QByteArray>
#include <optional>

namespace zirko {

class TDeviceEndpoint {
public:
    virtual ~TDeviceEndpoint() = default;
    // The device is switched on: it announces itself.
    virtual void PowerUp(double nowMs) = 0;
    // The program went away; the device forgets the conversation but keeps its memory.
    virtual void PowerDown() = 0;
    // Bytes the program sent.
    virtual void Receive(const QByteArray& bytes, double nowMs) = 0;
    // Bytes the device sends by `nowMs`.
    virtual QByteArray TakeOutput(double nowMs) = 0;
    // When the device next has something to do on its own (pacing, erasing), if ever; exactly,
    // not rounded to the millisecond.
    virtual std::optional<double> NextDeadline() const = 0;
};

} // namespace zirko
