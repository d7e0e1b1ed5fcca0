#include "core/analysis/StatsTable.h"

#include "core/app/NumberFormat.h"

#include <optional>

namespace zirko {

namespace {

// One column after the name: where its value comes from, its unit and its decimals (-1: a whole
// count).
struct TColumn {
    const char* Header;
    const char* Unit;
    int Decimals;
    std::optional<double> (*Value)(const TFlightStats&);
};

const TColumn kColumns[] = {
    {"Samples", "", -1,
     [](const TFlightStats& s) { return std::optional<double>(static_cast<double>(s.Samples)); }},
    {"Duration", "s", 1, [](const TFlightStats& s) { return std::optional<double>(s.Duration); }},
    {"Start alt.", "m", 1, [](const TFlightStats& s) { return s.StartAltitude; }},
    {"Min. alt.", "m", 1, [](const TFlightStats& s) { return s.MinAltitude; }},
    {"Max. alt.", "m", 1, [](const TFlightStats& s) { return s.MaxAltitude; }},
    {"Gain", "m", 1, [](const TFlightStats& s) { return s.AltitudeGain; }},
    {"Launch", "s", 1, [](const TFlightStats& s) { return s.LaunchTime; }},
    {"Landing", "s", 1, [](const TFlightStats& s) { return s.LandingTime; }},
    {"Aloft", "s", 1, [](const TFlightStats& s) { return s.TimeAloft; }},
    {"Max. climb", "m/s", 1, [](const TFlightStats& s) { return s.MaxClimbRate; }},
    {"Max. sink", "m/s", 1, [](const TFlightStats& s) { return s.MaxSinkRate; }},
    {"Min. voltage", "V", 2, [](const TFlightStats& s) { return s.MinVoltage; }},
    {"Max. voltage", "V", 2, [](const TFlightStats& s) { return s.MaxVoltage; }},
    {"Mean voltage", "V", 2, [](const TFlightStats& s) { return s.MeanVoltage; }},
};

const char* const kNameHeader = "Flight";

std::string Number(const TColumn& column, double value, char decimalSeparator)
{
    if (column.Decimals < 0)
        return std::to_string(static_cast<long long>(value));
    return FormatDisplay(value, column.Decimals, decimalSeparator);
}

std::string WithUnit(std::string text, const char* unit)
{
    if (*unit != '\0') {
        text += ' ';
        text += unit;
    }
    return text;
}

std::string FieldText(std::string text)
{
    for (char& c : text)
        if (c == '\t' || c == '\n' || c == '\r')
            c = ' ';
    return text;
}

} // namespace

std::vector<std::string> StatsHeaders()
{
    std::vector<std::string> headers{kNameHeader};
    for (const TColumn& column : kColumns)
        headers.emplace_back(column.Header);
    return headers;
}

std::vector<std::string> StatsCells(const TFlightStats& stats, char decimalSeparator)
{
    std::vector<std::string> cells;
    for (const TColumn& column : kColumns) {
        const std::optional<double> value = column.Value(stats);
        cells.push_back(value ? WithUnit(Number(column, *value, decimalSeparator), column.Unit)
                              : std::string(kAbsentCell));
    }
    return cells;
}

std::string StatsCopyText(const std::vector<TStatsRow>& rows, char decimalSeparator)
{
    std::string text = kNameHeader;
    for (const TColumn& column : kColumns) {
        text += '\t';
        text += column.Header;
        if (*column.Unit != '\0')
            text += std::string(" (") + column.Unit + ")";
    }
    text += '\n';
    for (const TStatsRow& row : rows) {
        text += FieldText(row.Name);
        for (const TColumn& column : kColumns) {
            text += '\t';
            if (!row.Stats)
                continue;
            if (const std::optional<double> value = column.Value(*row.Stats))
                text += Number(column, *value, decimalSeparator);
        }
        text += '\n';
    }
    return text;
}

} // namespace zirko
