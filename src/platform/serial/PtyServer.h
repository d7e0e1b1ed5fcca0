// Serves a device end on a new pseudo-terminal, so a program can open it as its serial port.
#pragma once

#include "platform/serial/DeviceEndpoint.h"
#include "platform/serial/PseudoTerminal.h"

#include <QElapsedTimer>
#include <QObject>
#include <QSocketNotifier>
#include <QTimer>
#include <memory>

namespace zirko {

class TPtyServer final : public QObject {
    Q_OBJECT
public:
    struct TCreateResult {
        std::unique_ptr<TPtyServer> Server;
        QString Message;
    };
    // A server for `device` (which must outlive it) on a new pseudo-terminal.
    static TCreateResult Create(TDeviceEndpoint& device);
    ~TPtyServer() override;

    // The path a program opens as its port.
    QString DevicePath() const { return Terminal->SlavePath(); }
    // Bytes passed each way so far.
    qint64 BytesReceived() const { return Received; }
    qint64 BytesSent() const { return Sent; }
    // How long the server stays awake for the program's answer after the device said its part
    // (0: it sleeps at once). An unpaced logger answers within microseconds, and a sleeping
    // processor takes far longer than that to wake.
    void SetAnswerWait(qint64 microseconds) { AnswerWaitMicroseconds = microseconds; }

signals:
    // A program opened the port and sent its first byte; the device was switched on.
    void ClientConnected();
    // The program closed the port; the device was switched off.
    void ClientDisconnected();

private:
    TPtyServer(std::unique_ptr<TPseudoTerminal> terminal, TDeviceEndpoint& device);
    void OnReadable();
    void OnWritable();
    void OnDeadline();
    void WaitForClient();
    void CheckClient();
    void Flush();
    // Milliseconds since the server started, to the microsecond: pacing works in parts of one.
    double Now() const { return static_cast<double>(Clock.nsecsElapsed()) / 1e6; }

    std::unique_ptr<TPseudoTerminal> Terminal;
    TDeviceEndpoint& Device;
    std::unique_ptr<QSocketNotifier> ReadNotifier;
    std::unique_ptr<QSocketNotifier> WriteNotifier;
    QTimer ClientPoll;
    QTimer Deadline;
    QElapsedTimer Clock;
    QByteArray Outgoing;
    bool Powered = false;
    qint64 Received = 0;
    qint64 Sent = 0;
    qint64 AnswerWaitMicroseconds = 0;
};

} // namespace zirko
