#include "platform/serial/SimulatorDevice.h"

namespace zirko {

void TSimulatorDevice::Receive(const QByteArray& bytes, double nowMs)
{
    Simulator.Receive(std::string_view(bytes.constData(), static_cast<size_t>(bytes.size())),
                      nowMs);
}

QByteArray TSimulatorDevice::TakeOutput(double nowMs)
{
    const std::vector<uint8_t> out = Simulator.TakeOutput(nowMs);
    return QByteArray(reinterpret_cast<const char*>(out.data()),
                      static_cast<qsizetype>(out.size()));
}

TSimulatorOptions BuiltInSimulatorOptions(int bytesPerSecond)
{
    TSimulatorOptions options;
    options.Memory = GenerateMemoryImage(3, 20260101);
    options.BytesPerSecond = bytesPerSecond;
    return options;
}

} // namespace zirko
