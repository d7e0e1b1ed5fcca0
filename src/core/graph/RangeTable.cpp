#include "core/graph/RangeTable.h"

#include "core/app/NumberFormat.h"

namespace zirko {

namespace {

std::string Number(const std::optional<double>& value, int decimals, char separator)
{
    return value ? FormatDisplay(*value, decimals, separator) : std::string();
}

} // namespace

const std::array<const char*, kRangeColumns>& RangeColumnTitles()
{
    static const std::array<const char*, kRangeColumns> titles = {
        "Flight",      "Duration (s)", "Alt. FROM (m)", "Alt. TO (m)", "Gain (m)",  "Climb (m/s)",
        "Highest (m)", "Lowest (m)",   "Lowest U (V)",  "Mean U (V)",  "Motor (s)",
    };
    return titles;
}

std::array<std::string, kRangeColumns> RangeCells(const TRangeLine& line, char separator)
{
    std::array<std::string, kRangeColumns> cells;
    cells[0] = line.Flight;
    if (!line.Stats) {
        cells[1] = kRangeOutside;
        return cells;
    }
    const TRangeStats& s = *line.Stats;
    cells[1] = FormatDisplay(s.Duration, 1, separator);
    cells[2] = Number(s.FromAltitude, 1, separator);
    cells[3] = Number(s.ToAltitude, 1, separator);
    cells[4] = Number(s.Gain, 1, separator);
    cells[5] = Number(s.MeanClimb, 2, separator);
    cells[6] = Number(s.MaxAltitude, 1, separator);
    cells[7] = Number(s.MinAltitude, 1, separator);
    cells[8] = Number(s.MinVoltage, kRangeVoltageDecimals, separator);
    cells[9] = Number(s.MeanVoltage, kRangeVoltageDecimals, separator);
    cells[10] = Number(s.MotorTime, 1, separator);
    return cells;
}

std::string RangeClipboardText(const std::vector<TRangeLine>& lines, char separator)
{
    std::string out = std::string(kRangeTitle) + "\r\n";
    auto addRow = [&out](const auto& cells) {
        for (size_t c = 0; c < cells.size(); ++c) {
            if (c > 0)
                out += '\t';
            out += cells[c];
        }
        out += "\r\n";
    };
    addRow(RangeColumnTitles());
    for (const TRangeLine& line : lines)
        addRow(RangeCells(line, separator));
    return out;
}

} // namespace zirko
