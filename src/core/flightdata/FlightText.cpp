#include "core/flightdata/FlightText.h"

#include "core/app/NumberFormat.h"

namespace zirko {

std::string FlightNameOf(const std::string& fileName)
{
    std::string name = fileName;
    const size_t slash = name.find_last_of("/\\");
    if (slash != std::string::npos)
        name = name.substr(slash + 1);
    const size_t ext = name.find(".zdf");
    if (ext != std::string::npos)
        name = name.substr(0, ext);
    return name;
}

std::string FlightTimeText(const TDataBlock& flight, char decimalSeparator)
{
    if (flight.Time.empty())
        return {};
    return FormatFlightTime(flight.Time.back(), decimalSeparator);
}

std::string MaxHeightText(const TDataBlock& flight, char decimalSeparator)
{
    if (flight.Altitude.empty())
        return {};
    return FormatDisplay(MaxHeight(flight), 1, decimalSeparator) + " m";
}

std::string SamplingText(const TDataBlock& flight, char decimalSeparator)
{
    return FormatDisplay(flight.Sampling * 10.0, 1, decimalSeparator);
}

std::string FormatFlightCsv(const TDataBlock& flight)
{
    static const char* kHeaders[] = {"Altitude [m]", "Servo [%]",  "Aux 0x2000", "Aux 0x1000",
                                     "Voltage [V]",  "Aux 0x0400", "Aux 0x0200"};
    std::string out = "Time [s]";
    std::vector<const std::vector<double>*> cols;
    for (size_t c = 0; c < kChannels.size(); ++c) {
        const auto& array = flight.*kChannels[c].Array;
        if (array.empty())
            continue;
        cols.push_back(&array);
        out += ",";
        out += kHeaders[c];
    }
    const bool markers = !flight.MarkerFlags.empty();
    if (markers)
        out += ",Marker";
    out += "\r\n";
    for (size_t i = 0; i < flight.Time.size(); ++i) {
        AppendFixed(out, flight.Time[i], 1);
        for (const auto* col : cols) {
            out += ',';
            AppendFixed(out, i < col->size() ? (*col)[i] : 0.0, 2);
        }
        if (markers) {
            out += ',';
            out += (i < flight.MarkerFlags.size() && flight.MarkerFlags[i]) ? '1' : '0';
        }
        out += "\r\n";
    }
    return out;
}

} // namespace zirko
