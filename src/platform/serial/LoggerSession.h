// One conversation with a logger: owns the link and the protocol, and turns its events into
// Qt signals for the device window and zirko-cli. Nothing here ever waits.
#pragma once

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

class TLoggerProtocol;
struct TProtocolEvent;

enum class TLampColour { Red, Yellow, Green };

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
    void StatusText(const QString& text);
    void TopLabelText(const QString& text);
    // The dots while waiting for the logger, and the save counts.
    void InitLabelText(const QString& text);
    // "Number of bytes read: N".
    void DataLabelText(const QString& text);
    void ProgressChanged(qint64 position);
    void ProgressMaximumChanged(qint64 maximum);
    void CaptionChanged(const QString& caption);
    void LampChanged(zirko::TLampColour colour);
    void FirmwareText(const QString& text);
    // A configuration read or read-back ended (also a failed one): the controls show it.
    void ConfigReceived(const QByteArray& configImage);
    void ConfigControlsEnabled(bool enabled);
    void OperationButtonsEnabled();
    void BusyCursor(bool busy);
    // A failure for an error box.
    void ErrorShown(const QString& text);
    // Opening the port failed: the text goes to the top label, the port stays closed.
    void ConnectFailed(const QString& text);
    // The port was opened; the status text follows as StatusText.
    void PortOpened();
    // The handshake was answered.
    void DeviceConnectedChanged(bool connected);
    // A download finished: everything read, to split up to `lastDataIndex` and save. The view
    // is valid while the signal is delivered (direct connections only).
    void DownloadFinished(std::span<const uint8_t> image, qint64 lastDataIndex, qint64 usedBytes);
    // A command's reply was handled and no command is pending any more.
    void CommandFinished(const QString& command);
    // The connection ended and the port is closed (lamp red, Connect enabled).
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
