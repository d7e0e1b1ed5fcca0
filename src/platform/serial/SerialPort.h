// The serial driver: a QSerialPort at the logger's fixed line settings.
#pragma once

#include "platform/serial/LoggerLink.h"

#include <QSerialPort>

namespace zirko {

// Bytes the driver buffers for reading: a whole large memory image arrives faster than a busy
// window may read it.
inline constexpr qint64 kReadBufferSize = 600000;

// The open failures a user sees. Queue sizes and the event mask cannot be refused here (the read
// buffer is ours, readyRead replaces the event mask), so their texts never arise.
QString CreateFileFailedText(int errorNumber, const QString& portName);
// The device a port name opens: a path as given, a bare name under /dev.
QString DevicePath(const QString& portName);
// The serial ports the system lists now, by the names a port setting holds ("ttyUSB0"). It lists
// no pseudo-terminals.
QStringList SystemPortNames();
// Whether a port name leads to something that can be opened now: the simulator or an existing
// device.
bool PortPresent(const QString& portName);
inline constexpr const char* kPurgeCommFailed = "PurgeComm failed";
inline constexpr const char* kEscapeCommFailed = "EscapeCommFunction failed";
// What an unplugged device or a vanished peer reports.
inline constexpr const char* kLinkLostText = "Communication error";

class TSerialPort final : public TLoggerLink {
    Q_OBJECT
public:
    explicit TSerialPort(QObject* parent = nullptr);
    ~TSerialPort() override;

    // 115200 baud, 8 data bits, no parity, 1 stop bit, no flow control; both directions purged;
    // DTR raised, then RTS dropped. A pseudo-terminal has no modem lines: that is not a failure.
    TOpenResult OpenPort(const QString& portName) override;
    bool IsOpen() const override;
    void Close() override;
    qint64 Write(const QByteArray& bytes) override;
    QString PortName() const override { return Name; }
    bool AwaitBytes(qint64 microseconds) override;

    // The port itself, for inspecting its settings.
    const QSerialPort& Port() const { return SerialPort; }

protected:
    QByteArray ReadNew() override;

private:
    void OnError(QSerialPort::SerialPortError error);

    QSerialPort SerialPort;
    QString Name;
    bool PseudoTerminal = false; // the peer is a program, such as `zirko-cli simulate`
};

} // namespace zirko
