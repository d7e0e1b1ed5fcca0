#include "platform/serial/LoggerLink.h"

#include "platform/serial/SerialPort.h"
#include "platform/serial/SimulatorDevice.h"
#include "platform/serial/SimulatorLink.h"

namespace zirko {

QString WaitingText(const QString& portName)
{
    return "Waiting for Zirko at " + portName;
}

QByteArray TLoggerLink::ReadAvailable()
{
    QByteArray out = std::move(Pending);
    Pending.clear();
    if (IsOpen())
        out += ReadNew();
    return out;
}

bool TLoggerLink::AwaitBytes(qint64)
{
    return false;
}

std::optional<unsigned char> TLoggerLink::ReadByte()
{
    if (Pending.isEmpty() && IsOpen())
        Pending = ReadNew();
    if (Pending.isEmpty())
        return std::nullopt;
    const auto byte = static_cast<unsigned char>(Pending.front());
    Pending.remove(0, 1);
    return byte;
}

int TLoggerLink::SendByte(unsigned char byte)
{
    if (!IsOpen())
        return 0;
    return Write(QByteArray(1, static_cast<char>(byte))) == 1 ? 1 : 0;
}

std::unique_ptr<TLoggerLink> CreateLoggerLink(const QString& portName, QObject* parent,
                                              int simulatorBytesPerSecond)
{
    if (portName == kSimulatorPortName)
        return std::make_unique<TSimulatorLink>(
            std::make_unique<TSimulatorDevice>(BuiltInSimulatorOptions(simulatorBytesPerSecond)),
            parent);
    return std::make_unique<TSerialPort>(parent);
}

} // namespace zirko
