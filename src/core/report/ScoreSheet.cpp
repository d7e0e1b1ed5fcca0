#include "core/report/ScoreSheet.h"

#include "core/analysis/StatsTable.h"
#include "core/app/NumberFormat.h"
#include "core/app/TextCodec.h"
#include "core/logbook/FlightDetails.h"

#include <functional>

namespace zirko {

namespace {

const std::vector<std::string> kHeaders{
    "Flight",           "Date",    "Pilot",   "Model", "Flight time (s)", "Motor time (s)",
    "Start height (m)", "Penalty", "Warnings"};
std::optional<double> Field(const TLogbookRow& row, const char* name)
{
    const std::optional<size_t> index = AnalysisFieldIndex(name);
    const TLogbookValue* value = index ? row.Value(*index) : nullptr;
    return value ? value->Number : std::nullopt;
}

// Sums of the values that exist; a column none of whose values exists stays without a total.
struct TTotals {
    std::optional<double> FlightTime, MotorTime, Penalty;
    std::optional<size_t> Warnings;
};

void Add(std::optional<double>& sum, const std::optional<double>& value)
{
    if (value)
        sum = sum.value_or(0) + *value;
}

TTotals TotalsOf(const std::vector<TSheetFlight>& flights)
{
    TTotals t;
    for (const TSheetFlight& f : flights) {
        Add(t.FlightTime, f.FlightTime);
        Add(t.MotorTime, f.MotorTime);
        Add(t.Penalty, f.Penalty);
        if (f.Warnings)
            t.Warnings = t.Warnings.value_or(0) + *f.Warnings;
    }
    return t;
}

std::string CountText(const std::optional<size_t>& count, const std::string& absent)
{
    return count ? std::to_string(*count) : absent;
}

using TNumberText = std::function<std::string(const std::optional<double>&)>;

std::vector<std::string> Cells(const TSheetFlight& f, const TNumberText& number,
                               const std::string& absent)
{
    return {f.Name,
            f.Date,
            f.Pilot,
            f.Model,
            number(f.FlightTime),
            number(f.MotorTime),
            number(f.StartHeight),
            number(f.Penalty),
            CountText(f.Warnings, absent)};
}

std::vector<std::string> TotalCells(const std::vector<TSheetFlight>& flights,
                                    const TNumberText& number, const std::string& absent)
{
    const TTotals t = TotalsOf(flights);
    const size_t n = flights.size();
    return {"Total",
            std::to_string(n) + (n == 1 ? " flight" : " flights"),
            "",
            "",
            number(t.FlightTime),
            number(t.MotorTime),
            "",
            number(t.Penalty),
            CountText(t.Warnings, absent)};
}

std::string CsvCell(const std::string& text)
{
    if (text.find_first_of(",\"\r\n") == std::string::npos)
        return text;
    std::string out = "\"";
    for (char c : text) {
        if (c == '"')
            out += '"';
        out += c;
    }
    return out + "\"";
}

void AppendCsvLine(std::string& out, const std::vector<std::string>& cells)
{
    for (size_t i = 0; i < cells.size(); ++i) {
        if (i)
            out += ',';
        out += CsvCell(cells[i]);
    }
    out += "\r\n";
}

} // namespace

TSheetFlight SheetFlightOf(const std::string& name, const TDataBlock& flight,
                           const TFlightEvents& events)
{
    const TFlightDetails details = FlightDetailsOf(flight);
    TSheetFlight f;
    f.Name = name;
    f.Date = DecodeFileText(flight.DateText);
    f.Pilot = details.Pilot;
    f.Model = details.Model;
    f.FlightTime = events.FlightTime;
    f.MotorTime = events.MotorTime;
    f.StartHeight = events.StartHeight;
    f.Penalty = events.Penalty;
    f.Warnings = events.Warnings.size();
    return f;
}

TSheetFlight SheetFlightOf(const TLogbookRow& row)
{
    TSheetFlight f;
    f.Name = row.Name;
    f.Date = row.DateText;
    f.Pilot = row.Details.Pilot;
    f.Model = row.Details.Model;
    if (row.Values.empty())
        return f;
    f.FlightTime = Field(row, "flightTime");
    f.MotorTime = Field(row, "motorTime");
    f.StartHeight = Field(row, "startHeight");
    f.Penalty = Field(row, "penalty");
    if (const auto count = Field(row, "warnings"))
        f.Warnings = static_cast<size_t>(*count);
    return f;
}

TScoreSheet ScoreSheetTable(const std::vector<TSheetFlight>& flights, char decimalSeparator)
{
    const std::string absent = kAbsentCell;
    const TNumberText number = [&](const std::optional<double>& v) {
        return v ? FormatDisplay(*v, 1, decimalSeparator) : absent;
    };
    TScoreSheet sheet;
    sheet.Headers = kHeaders;
    for (const TSheetFlight& f : flights)
        sheet.Rows.push_back(Cells(f, number, absent));
    sheet.Totals = TotalCells(flights, number, absent);
    return sheet;
}

std::string ScoreSheetCsv(const std::vector<TSheetFlight>& flights)
{
    const TNumberText number = [](const std::optional<double>& v) {
        return v ? FormatFixed(*v, 1) : std::string();
    };
    std::string out;
    AppendCsvLine(out, kHeaders);
    for (const TSheetFlight& f : flights)
        AppendCsvLine(out, Cells(f, number, {}));
    AppendCsvLine(out, TotalCells(flights, number, {}));
    return out;
}

} // namespace zirko
