// One conversation with a logger: owns the link and the protocol, and passes its events on as
// Qt signals to the device window and zirko-cli, which decide what they show. Nothing here ever
// waits.
#pragma once

#include "core/device/LoggerProtocol.h"
#include "platform/serial/LoggerLink.h"

#include <QByteArray>
#include <QElapsedTimer>
#include <QObject>
#include <QString>
#include <QTimer>
#include <cstdint>
#include <memory>
#include <span>

namespace zirko {

class TLoggerSession final : public QObject {
    Q_OBJECT
public:
    explicit TLoggerSession(QObject* parent = nullptr);
    ~TLoggerSession() override;

    // The port to open on Connect: a serial port name or path, or "Simulator".
    void SetPortName(const QString& portName) { Port = portName; }
    QString PortName() const { return Port; }
    // Pacing of the in-process simulator in bytes per second (0: as fast as it can);
    // 11520 bytes/s is the wire speed of 115200 baud.
    void SetSimulatorPacing(int bytesPerSecond) { SimulatorPacing = bytesPerSecond; }
    // The link to use on the next Connect instead of one made from the port name (tests and
    // benchmarks hand in their own); the session takes ownership.
    void SetLinkForNextConnect(std::unique_ptr<TLoggerLink> link);
    // How long an erase may take before it counts as unanswered; 0 waits for ever.
    void SetEraseTimeout(qint64 milliseconds);

    bool PortOpen() const;
    bool DeviceConnected() const;
    // "F", "R", "W", "E", "D", or empty when idle.
    QString PendingCommand() const;
    qint64 MemorySize() const;
    bool ConfigLoaded() const;
    // The configuration as last read (264 bytes).
    QByteArray ConfigImage() const;
    const TLoggerProtocol& Protocol() const { return *Machine; }

public slots:
    // Opens the port; on success sends "*" and waits for the logger.
    void Connect();
    // Ends the connection (as the Disconnect button) and closes the port.
    void Disconnect();
    void ReadData();
    // The caller has already asked "Erase memory?".
    void EraseMemory();
    // Sends "W", the 264 configuration bytes and "R" for the read-back.
    void UploadConfig(const QByteArray& configImage);
    void DownloadConfig();
    // As Disconnect, for the window closing.
    void Close();

signals:
    // Opening the port failed: the port stays closed.
    void ConnectFailed(const QString& text);
    // The port was opened; the status text follows as StatusText.
    void PortOpened();
    // Bytes heard from the logger before its handshake, counted from the opening.
    void WaitingActivity(qint64 bytesHeard);
    // The logger answered the handshake.
    void Connected();
    // What the logger is doing or has done.
    void StatusText(const QString& text);
    // A failure, for the user to acknowledge.
    void Failed(const QString& text);
    // A long operation of the logger began or ended.
    void Busy(bool busy);
    // The identification was read (`text`: up to its first NUL; `received`: any byte came) and
    // tells the memory size.
    void Firmware(const QString& text, qint64 memorySize, bool received);
    // A configuration read or read-back ended (also a failed one); `usable`: it passed every
    // check and may be edited.
    void Configuration(const QByteArray& configImage, bool usable);
    // The logger began sending its memory.
    void DownloadStarted(const QString& text);
    // Bytes of the memory received so far; `ended`: the download is over and `bytes` counts its
    // data.
    void Progress(qint64 bytes, bool ended);
    // A download finished: everything read, to split up to `lastDataIndex` and save;
    // `dataBytes` is the count the closing Progress gave. The view is valid while the signal is
    // delivered (direct connections only).
    void DownloadFinished(std::span<const uint8_t> image, qint64 lastDataIndex, qint64 usedBytes,
                          qint64 dataBytes);
    // A command's reply was handled and no command is pending any more; `goesOn`: the
    // connection stays and the next command may be given.
    void CommandFinished(const QString& command, bool goesOn);
    // The conversation ended (`text` is "Disconnected." unless the window is closing).
    void Disconnected(zirko::TConnectionEnd ending, const QString& text);
    // The port is closed.
    void ConnectionClosed();

private:
    void OnDeadline();
    void OnLinkLost(const QString& message);
    // Feeds what arrived and the time to the protocol, sends its bytes, shows its events.
    void Pump();
    void Dispatch(const TProtocolEvent& event);
    void ClosePort();
    qint64 Now() const { return Clock.elapsed(); }

    QString Port;
    int SimulatorPacing = 0;
    std::unique_ptr<TLoggerLink> NextLink;
    std::unique_ptr<TLoggerLink> Link;
    std::unique_ptr<TLoggerProtocol> Machine;
    QTimer Deadline;
    QElapsedTimer Clock;
    // Since the last block was answered.
    QElapsedTimer AnswerClock;
    // Signals may run modal boxes with their own event loops: arriving bytes then wait.
    bool Handling = false;
    bool MoreToHandle = false;
    bool LinkWasLost = false;
};

} // namespace zirko
