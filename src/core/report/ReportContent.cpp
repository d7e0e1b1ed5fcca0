#include "core/report/ReportContent.h"

#include "core/analysis/EventsTable.h"
#include "core/analysis/StatsTable.h"
#include "core/app/NumberFormat.h"
#include "core/app/TextCodec.h"
#include "core/logbook/FlightDetails.h"

#include <optional>

namespace zirko {

namespace {

std::string Value(const std::optional<double>& value, int decimals, const char* unit, char sep)
{
    if (!value)
        return kAbsentCell;
    return FormatDisplay(*value, decimals, sep) + unit;
}

std::string Text(const std::string& text)
{
    return text.empty() ? std::string(kAbsentCell) : text;
}

std::vector<TReportLine> EventLines(const TFlightEvents& e, char sep)
{
    std::vector<TReportLine> lines;
    std::string height = Value(e.StartHeight, 1, " m", sep);
    if (e.StartHeight && e.StartHeightTime)
        height += " at " + Value(e.StartHeightTime, 1, " s", sep);
    lines.push_back({"Start height", height});
    lines.push_back({"Rules", RulesTitle(e.Rules)});
    // Only rules that cost points for the start height have a penalty to show.
    if (e.Rules == TRules::F5j)
        lines.push_back({"Penalty", Value(e.Penalty, 1, " pt", sep)});
    if (e.HasServo) {
        const size_t runs = e.MotorRuns.size();
        lines.push_back({"Motor time", Value(e.MotorTime, 1, " s", sep) + " in " +
                                           std::to_string(runs) + (runs == 1 ? " run" : " runs")});
    } else {
        lines.push_back({"Motor time", "no servo channel"});
    }
    lines.push_back({"Launch", Value(e.Launch, 1, " s", sep)});
    lines.push_back({"Landing", Value(e.Landing, 1, " s", sep)});
    std::string flight = Value(e.FlightTime, 1, " s", sep);
    if (e.FlightTime)
        flight += " (" + FormatMinSec(RoundHalfEven(*e.FlightTime)) + ")";
    lines.push_back({"Flight time", flight});
    std::string climbs = std::to_string(e.ClimbCount);
    if (e.ClimbCount > 0)
        climbs += ", " + FormatDisplay(e.ClimbTime, 1, sep) + " s, best " +
                  Value(e.BestClimbRate, 1, " m/s", sep);
    lines.push_back({"Climbs", climbs});
    lines.push_back({"Glide sink rate", Value(e.GlideSinkRate, 2, " m/s", sep)});
    lines.push_back({"Warnings", std::to_string(e.Warnings.size())});
    return lines;
}

std::vector<TReportLine> StatsLines(const TFlightStats& s, char sep)
{
    return {
        {"Duration", Value(s.Duration, 1, " s", sep)},
        {"Samples", std::to_string(s.Samples)},
        {"Start altitude", Value(s.StartAltitude, 1, " m", sep)},
        {"Max. altitude", Value(s.MaxAltitude, 1, " m", sep)},
        {"Altitude gain", Value(s.AltitudeGain, 1, " m", sep)},
        {"Max. climb", Value(s.MaxClimbRate, 1, " m/s", sep)},
        {"Max. sink", Value(s.MaxSinkRate, 1, " m/s", sep)},
        {"Voltage", s.MinVoltage ? FormatDisplay(*s.MinVoltage, 2, sep) + " to " +
                                       Value(s.MaxVoltage, 2, " V", sep)
                                 : std::string(kAbsentCell)},
        {"Mean voltage", Value(s.MeanVoltage, 2, " V", sep)},
    };
}

} // namespace

TReportContent ReportContentOf(const std::string& name, const TDataBlock& flight,
                               const TFlightStats& stats, const TFlightEvents& events,
                               char decimalSeparator)
{
    TReportContent report;
    report.Name = name;
    const TFlightDetails details = FlightDetailsOf(flight);
    report.Title = {{"Date", Text(DecodeFileText(flight.DateText))},
                    {"Model", Text(details.Model)},
                    {"Site", Text(details.Site)},
                    {"Pilot", Text(details.Pilot)}};
    report.Events = EventLines(events, decimalSeparator);
    report.Stats = StatsLines(stats, decimalSeparator);
    for (const TWarningRow& w : WarningRows(events, decimalSeparator))
        report.Warnings.push_back({w.Time, w.Text});
    report.PhaseHeaders = EventsHeaders();
    for (TEventRow& row : EventsRows(events, decimalSeparator))
        report.PhaseRows.push_back(std::move(row.Cells));
    return report;
}

} // namespace zirko
