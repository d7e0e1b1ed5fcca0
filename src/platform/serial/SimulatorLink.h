// The "Simulator" port: a device end run in-process, paced by a timer instead of a wire.
#pragma once

#include "platform/serial/DeviceEndpoint.h"
#include "platform/serial/LoggerLink.h"

#include <QElapsedTimer>
#include <QTimer>
#include <memory>

namespace zirko {

class TSimulatorLink final : public TLoggerLink {
    Q_OBJECT
public:
    explicit TSimulatorLink(std::unique_ptr<TDeviceEndpoint> device, QObject* parent = nullptr);
    ~TSimulatorLink() override;

    TOpenResult OpenPort(const QString& portName) override;
    bool IsOpen() const override { return Open; }
    void Close() override;
    qint64 Write(const QByteArray& bytes) override;
    QString PortName() const override { return Name; }

    TDeviceEndpoint& Device() { return *Endpoint; }

protected:
    QByteArray ReadNew() override;

private:
    void Tick();
    void Schedule(qint64 delayMs);
    qint64 Now() const { return Clock.elapsed(); }

    std::unique_ptr<TDeviceEndpoint> Endpoint;
    QTimer Timer;
    QElapsedTimer Clock;
    QByteArray Incoming;
    QString Name;
    bool Open = false;
    bool Powered = false;
};

} // namespace zirko
