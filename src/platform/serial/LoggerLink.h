// The byte pipe to a logger: a serial port or the built-in simulator, behind one interface.
#pragma once

#include <QByteArray>
#include <QObject>
#include <QString>
#include <memory>
#include <optional>

namespace zirko {

// Result of opening a link: on success Message is "Waiting for Zirko at " + port name, on failure
// the failure text shown beside the red lamp.
struct TOpenResult {
    bool Ok = false;
    QString Message;
};

// The port name that selects the in-process logger simulator instead of a serial port.
inline constexpr const char* kSimulatorPortName = "Simulator";

class TLoggerLink : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;
    ~TLoggerLink() override = default;

    // Opens the link; an empty name means "COM1".
    virtual TOpenResult OpenPort(const QString& portName) = 0;
    virtual bool IsOpen() const = 0;
    virtual void Close() = 0;
    // Everything that has arrived and not been read yet; never waits.
    QByteArray ReadAvailable();
    // Queues bytes for sending; returns how many were accepted (0 when closed).
    virtual qint64 Write(const QByteArray& bytes) = 0;
    // The name the link was opened with.
    virtual QString PortName() const = 0;
    // Keeps the processor busy for at most `microseconds` until bytes arrive (BytesArrived is
    // emitted then) and tells whether they did. A logger answering at once would otherwise wait
    // for a sleeping processor to wake; links without a port to watch answer false at once.
    virtual bool AwaitBytes(qint64 microseconds);

    // One byte already waiting is returned at once; nothing waiting gives an empty result.
    std::optional<unsigned char> ReadByte();
    // Returns the number of bytes written: 1, or 0 with the link closed.
    int SendByte(unsigned char byte);

signals:
    // New bytes can be read with ReadAvailable.
    void BytesArrived();
    // The device went away (unplugged, closed peer); the link is closed already.
    void LinkLost(const QString& message);

protected:
    // Bytes that arrived since the last call, without waiting.
    virtual QByteArray ReadNew() = 0;

private:
    // Bytes read from the device by ReadByte but not yet handed out.
    QByteArray Pending;
};

// A serial link for a port name, or the in-process simulator for "Simulator" (paced at
// `simulatorBytesPerSecond`, 0 for as fast as it goes).
std::unique_ptr<TLoggerLink> CreateLoggerLink(const QString& portName, QObject* parent = nullptr,
                                              int simulatorBytesPerSecond = 0);

// "Waiting for Zirko at " + port name.
QString WaitingText(const QString& portName);

} // namespace zirko
