#include "core/analysis/EventsTable.h"

#include "core/analysis/StatsTable.h"
#include "core/app/NumberFormat.h"

namespace zirko {

namespace {

std::string Num(double value, int decimals, char sep)
{
    return FormatDisplay(value, decimals, sep);
}

std::string Seconds(double value, char sep)
{
    return Num(value, 1, sep) + " s";
}

std::string OrAbsent(const std::optional<double>& value, int decimals, const char* unit, char sep)
{
    if (!value)
        return kAbsentCell;
    return Num(*value, decimals, sep) + unit;
}

const char* PhaseTitle(TPhaseKind kind)
{
    switch (kind) {
    case TPhaseKind::Motor:
        return "Motor";
    case TPhaseKind::Climb:
        return "Climb";
    case TPhaseKind::Glide:
        break;
    }
    return "Glide";
}

} // namespace

std::vector<std::string> EventsSummary(const TFlightEvents& e, char sep)
{
    std::vector<std::string> lines;
    if (!e.HasServo) {
        lines.emplace_back("Motor: no servo channel");
    } else {
        const size_t runs = e.MotorRuns.size();
        lines.push_back("Motor: " + std::to_string(runs) + (runs == 1 ? " run, " : " runs, ") +
                        Seconds(e.MotorTime.value_or(0), sep));
    }
    std::string height = "Start height: " + OrAbsent(e.StartHeight, 1, " m", sep);
    if (e.StartHeightTime)
        height += " at " + Seconds(*e.StartHeightTime, sep);
    lines.push_back(height);
    if (e.Rules == TRules::F5j)
        lines.push_back(std::string("Penalty (") + RulesTitle(e.Rules) +
                        "): " + OrAbsent(e.Penalty, 1, "", sep));
    lines.push_back("Flight time: " + OrAbsent(e.FlightTime, 1, " s", sep));
    std::string climbs = "Climbs: " + std::to_string(e.ClimbCount);
    if (e.ClimbCount > 0)
        climbs += ", " + Seconds(e.ClimbTime, sep) + ", best " +
                  OrAbsent(e.BestClimbRate, 1, " m/s", sep);
    lines.push_back(climbs);
    lines.push_back("Glide sink: " + OrAbsent(e.GlideSinkRate, 2, " m/s", sep));
    return lines;
}

std::vector<std::string> EventsHeaders()
{
    return {"Kind", "Start", "Stop", "Duration", "Gain", "Rate"};
}

std::vector<TEventRow> EventsRows(const TFlightEvents& e, char sep)
{
    std::vector<TEventRow> rows;
    rows.reserve(e.MotorRuns.size() + e.Phases.size());
    for (const TSampleRun& run : e.MotorRuns)
        rows.push_back({{"Motor run", Seconds(run.Start, sep), Seconds(run.Stop, sep),
                         Seconds(run.Duration(), sep), kAbsentCell, kAbsentCell},
                        run.Start,
                        run.Stop});
    for (const TFlightPhase& p : e.Phases)
        rows.push_back({{PhaseTitle(p.Kind), Seconds(p.Start, sep), Seconds(p.Stop, sep),
                         Seconds(p.Stop - p.Start, sep), Num(p.Gain, 1, sep) + " m",
                         Num(p.Rate, 2, sep) + " m/s"},
                        p.Start,
                        p.Stop});
    return rows;
}

std::vector<TWarningRow> WarningRows(const TFlightEvents& e, char sep)
{
    std::vector<TWarningRow> rows;
    rows.reserve(e.Warnings.size());
    for (const TFlightWarning& w : e.Warnings)
        rows.push_back({Seconds(w.Time, sep), w.Text, w.From, w.To});
    return rows;
}

std::string WarningsHint(const TFlightEvents& e)
{
    std::string text;
    for (const TFlightWarning& w : e.Warnings) {
        if (!text.empty())
            text += '\n';
        text += w.Text;
    }
    return text;
}

} // namespace zirko
