#include "platform/serial/SimulatorLink.h"

#include <algorithm>
#include <cmath>

namespace zirko {

TSimulatorLink::TSimulatorLink(std::unique_ptr<TDeviceEndpoint> device, QObject* parent)
    : TLoggerLink(parent), Endpoint(std::move(device))
{
    Clock.start();
    Timer.setSingleShot(true);
    Timer.setTimerType(Qt::PreciseTimer);
    connect(&Timer, &QTimer::timeout, this, &TSimulatorLink::Tick);
}

TSimulatorLink::~TSimulatorLink()
{
    Timer.stop();
}

TOpenResult TSimulatorLink::OpenPort(const QString& portName)
{
    Close();
    Name = portName.isEmpty() ? QString(kSimulatorPortName) : portName;
    Open = true;
    Incoming.clear();
    return {true, WaitingText(Name)};
}

void TSimulatorLink::Close()
{
    Timer.stop();
    Incoming.clear();
    if (Powered)
        Endpoint->PowerDown();
    Powered = false;
    Open = false;
}

qint64 TSimulatorLink::Write(const QByteArray& bytes)
{
    if (!Open)
        return 0;
    // As on the pseudo-terminal, the device is switched on when the program first speaks.
    if (!Powered) {
        Powered = true;
        Endpoint->PowerUp(Now());
    }
    Endpoint->Receive(bytes, Now());
    // Replies arrive from the event loop, never inside the write that caused them.
    Schedule(0);
    return bytes.size();
}

QByteArray TSimulatorLink::ReadNew()
{
    QByteArray out = std::move(Incoming);
    Incoming.clear();
    return out;
}

void TSimulatorLink::Schedule(qint64 delayMs)
{
    const int delay = static_cast<int>(std::clamp<qint64>(delayMs, 0, 60000));
    if (Timer.isActive() && Timer.remainingTime() <= delay)
        return;
    Timer.start(delay);
}

void TSimulatorLink::Tick()
{
    if (!Open || !Powered)
        return;
    const QByteArray out = Endpoint->TakeOutput(Now());
    if (const auto due = Endpoint->NextDeadline())
        Schedule(static_cast<qint64>(std::ceil(*due - static_cast<double>(Now()))));
    if (out.isEmpty())
        return;
    Incoming += out;
    emit BytesArrived();
}

} // namespace zirko
