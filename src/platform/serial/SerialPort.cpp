#include "platform/serial/SerialPort.h"

#include "core/device/PortChoice.h"
#include "platform/serial/PseudoTerminal.h"

#include <QFileInfo>
#include <QSerialPortInfo>

#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

namespace zirko {

QString CreateFileFailedText(int errorNumber, const QString& portName)
{
    return QString("CreateFile failed with error %1  ,%2.\r\n").arg(errorNumber).arg(portName);
}

QString DevicePath(const QString& portName)
{
    // The same rule QSerialPort follows: a bare name lives under /dev.
    return portName.startsWith('/') || portName.startsWith("./") || portName.startsWith("../")
               ? portName
               : "/dev/" + portName;
}

QStringList SystemPortNames()
{
    QStringList names;
    for (const QSerialPortInfo& info : QSerialPortInfo::availablePorts())
        names << info.portName();
    return names;
}

bool PortPresent(const QString& portName)
{
    if (portName == kSimulatorPortName)
        return true;
    const QString name = portName.isEmpty() ? QString(kDefaultPortName) : portName;
    return QFileInfo::exists(DevicePath(name));
}

namespace {

// Device numbers of pseudo-terminal ends a program opens (/dev/pts/N).
constexpr unsigned kPtySlaveFirstMajor = 136;
constexpr unsigned kPtySlaveLastMajor = 143;

// QSerialPort reports an open failure as a category; the message carries the system's own error
// number, found by asking the system the same question once more.
int OpenErrorNumber(const QString& portName, QSerialPort::SerialPortError error)
{
    const QByteArray path = DevicePath(portName).toLocal8Bit();
    const int fd = ::open(path.constData(), O_RDWR | O_NOCTTY | O_NONBLOCK);
    if (fd < 0)
        return errno;
    ::close(fd);
    // The device opens by itself, so another program holds it (lock file or exclusive mode).
    switch (error) {
    case QSerialPort::DeviceNotFoundError:
        return ENOENT;
    case QSerialPort::PermissionError:
    case QSerialPort::OpenError:
        return EBUSY;
    default:
        return EIO;
    }
}

} // namespace

TSerialPort::TSerialPort(QObject* parent) : TLoggerLink(parent)
{
    connect(&SerialPort, &QSerialPort::readyRead, this, &TLoggerLink::BytesArrived);
    connect(&SerialPort, &QSerialPort::errorOccurred, this, &TSerialPort::OnError);
}

TSerialPort::~TSerialPort()
{
    SerialPort.disconnect(this);
    if (SerialPort.isOpen())
        SerialPort.close();
}

TOpenResult TSerialPort::OpenPort(const QString& portName)
{
    Close();
    Name = portName.isEmpty() ? QString(kDefaultPortName) : portName;
    // A path opens as given (pseudo-terminals are never listed); a bare name is looked up.
    SerialPort.setPortName(Name);
    SerialPort.setReadBufferSize(kReadBufferSize);
    if (!SerialPort.open(QIODevice::ReadWrite)) {
        const int number = OpenErrorNumber(Name, SerialPort.error());
        SerialPort.clearError();
        // The device that was tried, so a bare name shows where it was looked for.
        return {false, CreateFileFailedText(number, DevicePath(Name))};
    }
    // Like the device control block of the original port set-up, the line settings are applied
    // without examining the result: a port that rejects one still carries bytes.
    SerialPort.setBaudRate(QSerialPort::Baud115200);
    SerialPort.setDataBits(QSerialPort::Data8);
    SerialPort.setParity(QSerialPort::NoParity);
    SerialPort.setStopBits(QSerialPort::OneStop);
    SerialPort.setFlowControl(QSerialPort::NoFlowControl);
    if (!SerialPort.clear(QSerialPort::AllDirections)) {
        SerialPort.close();
        SerialPort.clearError();
        return {false, kPurgeCommFailed};
    }
    auto lineStateFailed = [this](bool ok) {
        return !ok && SerialPort.error() != QSerialPort::UnsupportedOperationError;
    };
    if (lineStateFailed(SerialPort.setDataTerminalReady(true)) ||
        lineStateFailed(SerialPort.setRequestToSend(false))) {
        SerialPort.close();
        SerialPort.clearError();
        return {false, kEscapeCommFailed};
    }
    SerialPort.clearError();
    struct stat st {};
    PseudoTerminal = ::fstat(SerialPort.handle(), &st) == 0 && S_ISCHR(st.st_mode) &&
                     major(st.st_rdev) >= kPtySlaveFirstMajor &&
                     major(st.st_rdev) <= kPtySlaveLastMajor;
    return {true, WaitingText(Name)};
}

bool TSerialPort::IsOpen() const
{
    return SerialPort.isOpen();
}

void TSerialPort::Close()
{
    if (SerialPort.isOpen())
        SerialPort.close();
    SerialPort.clearError();
}

QByteArray TSerialPort::ReadNew()
{
    if (!SerialPort.isOpen())
        return {};
    return SerialPort.readAll();
}

qint64 TSerialPort::Write(const QByteArray& bytes)
{
    if (!SerialPort.isOpen())
        return 0;
    // With nothing queued the bytes go straight to the port: queueing them would switch the
    // port's write watch on and off again for every answer of a download.
    if (SerialPort.bytesToWrite() == 0 && SerialPort.handle() >= 0) {
        qint64 done = 0;
        while (done < bytes.size()) {
            const ssize_t n = ::write(SerialPort.handle(), bytes.constData() + done,
                                      static_cast<size_t>(bytes.size() - done));
            if (n < 0 && errno == EINTR)
                continue;
            if (n <= 0)
                break;
            done += n;
        }
        if (done == bytes.size())
            return done;
        if (done > 0 || errno == EAGAIN) {
            const qint64 queued = SerialPort.write(bytes.constData() + done, bytes.size() - done);
            return done + std::max<qint64>(queued, 0);
        }
        // A failing port reports through its error signal as before.
    }
    const qint64 written = SerialPort.write(bytes);
    // QSerialPort keeps written bytes until the event loop finds the port writable; the logger
    // waits for each answer, so it goes to the port now, as far as the port takes it without
    // waiting. The rest still follows from the event loop.
    if (written > 0)
        SerialPort.flush();
    return written < 0 ? 0 : written;
}

bool TSerialPort::AwaitBytes(qint64 microseconds)
{
    // A serial line brings a byte every 87 us at best, and its driver hands them on in batches:
    // only a pseudo-terminal's peer answers fast enough to be worth the processor.
    if (!PseudoTerminal)
        return false;
    // What arrived is read in and announced as usual.
    return SerialPort.isOpen() && AwaitReadableFd(SerialPort.handle(), microseconds) &&
           SerialPort.waitForReadyRead(0);
}

void TSerialPort::OnError(QSerialPort::SerialPortError error)
{
    switch (error) {
    case QSerialPort::NoError:
    case QSerialPort::TimeoutError:
    case QSerialPort::UnsupportedOperationError:
        return;
    case QSerialPort::ResourceError:
    case QSerialPort::ReadError:
    case QSerialPort::WriteError:
        if (SerialPort.isOpen()) {
            SerialPort.close();
            SerialPort.clearError();
            emit LinkLost(kLinkLostText);
        }
        return;
    default:
        return;
    }
}

} // namespace zirko
