#include "core/analysis/StatsTable.h"

#include "core/app/NumberFormat.h"

#include <algorithm>
#include <optional>

namespace zirko {

namespace {

const char* const kWarningsHeader = "Warnings";

// What a column reads.
struct TSource {
    const TFlightStats& Stats;
    const TFlightEvents* Events;
};

// One column after the name: where its value comes from, its unit and its decimals (-1: a whole
// count).
struct TColumn {
    const char* Header;
    const char* Unit;
    int Decimals;
    std::optional<double> (*Value)(const TSource&);
};

std::optional<double> Some(double value)
{
    return value;
}

const TColumn kColumns[] = {
    {"Samples", "", -1,
     [](const TSource& s) { return Some(static_cast<double>(s.Stats.Samples)); }},
    {"Duration", "s", 1, [](const TSource& s) { return Some(s.Stats.Duration); }},
    {"Start alt.", "m", 1, [](const TSource& s) { return s.Stats.StartAltitude; }},
    {"Min. alt.", "m", 1, [](const TSource& s) { return s.Stats.MinAltitude; }},
    {"Max. alt.", "m", 1, [](const TSource& s) { return s.Stats.MaxAltitude; }},
    {"Gain", "m", 1, [](const TSource& s) { return s.Stats.AltitudeGain; }},
    {"Launch", "s", 1, [](const TSource& s) { return s.Stats.LaunchTime; }},
    {"Landing", "s", 1, [](const TSource& s) { return s.Stats.LandingTime; }},
    {"Aloft", "s", 1, [](const TSource& s) { return s.Stats.TimeAloft; }},
    {"Max. climb", "m/s", 1, [](const TSource& s) { return s.Stats.MaxClimbRate; }},
    {"Max. sink", "m/s", 1, [](const TSource& s) { return s.Stats.MaxSinkRate; }},
    {"Min. voltage", "V", 2, [](const TSource& s) { return s.Stats.MinVoltage; }},
    {"Max. voltage", "V", 2, [](const TSource& s) { return s.Stats.MaxVoltage; }},
    {"Mean voltage", "V", 2, [](const TSource& s) { return s.Stats.MeanVoltage; }},
    {"Motor time", "s", 1,
     [](const TSource& s) { return s.Events ? s.Events->MotorTime : std::nullopt; }},
    {"Start height", "m", 1,
     [](const TSource& s) { return s.Events ? s.Events->StartHeight : std::nullopt; }},
    {"Penalty", "pt", 1,
     [](const TSource& s) { return s.Events ? s.Events->Penalty : std::nullopt; }},
    {kWarningsHeader, "", -1,
     [](const TSource& s) {
         return s.Events ? Some(static_cast<double>(s.Events->Warnings.size())) : std::nullopt;
     }},
};

// "2: motor-restart, low-voltage": the count, then each code once in the order they first come.
std::string WarningsCell(const TFlightEvents& events)
{
    std::string text = std::to_string(events.Warnings.size());
    std::vector<TWarningCode> seen;
    for (const TFlightWarning& w : events.Warnings) {
        if (std::find(seen.begin(), seen.end(), w.Code) != seen.end())
            continue;
        text += seen.empty() ? ": " : ", ";
        text += WarningCodeName(w.Code);
        seen.push_back(w.Code);
    }
    return text;
}

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

std::vector<std::string> StatsCells(const TFlightStats& stats, char decimalSeparator,
                                    const TFlightEvents* events)
{
    std::vector<std::string> cells;
    const TSource source{stats, events};
    for (const TColumn& column : kColumns) {
        const std::optional<double> value = column.Value(source);
        if (!value)
            cells.emplace_back(kAbsentCell);
        else if (column.Header == kWarningsHeader)
            cells.push_back(WarningsCell(*events));
        else
            cells.push_back(WithUnit(Number(column, *value, decimalSeparator), column.Unit));
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
            if (const std::optional<double> value = column.Value({*row.Stats, row.Events}))
                text += Number(column, *value, decimalSeparator);
        }
        text += '\n';
    }
    return text;
}

} // namespace zirko
