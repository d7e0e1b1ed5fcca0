// The texts of a flight's events as the information page lists them: a summary, the motor runs
// and phases as rows of a table, and the warnings, each with the stretch of the flight it is about.
#pragma once

#include "core/analysis/FlightEvents.h"

#include <string>
#include <vector>

namespace zirko {

// "Motor: 1 run, 25.0 s", "Start height: 155.0 m at 40.0 s", "Penalty (F5J): 77.5",
// "Flight time: 571.0 s", "Climbs: 2, 140.0 s, best 1.6 m/s", "Glide sink: 0.62 m/s"; a value
// that does not exist reads "–". Without a servo the motor lines say so; the penalty line is there
// under rules that cost points.
std::vector<std::string> EventsSummary(const TFlightEvents& events, char decimalSeparator);

// "Kind", "Start", "Stop", "Duration", "Gain", "Rate".
std::vector<std::string> EventsHeaders();

// One row of the events table, and the stretch of the flight it stands for (the flight's time).
struct TEventRow {
    std::vector<std::string> Cells; // one per header
    double From = 0;
    double To = 0;
};

// The motor runs ("Motor run") and then the phases ("Motor", "Climb", "Glide"), times in seconds
// with one decimal, the gain in metres with one, the rate in m/s with two; a motor run has no gain
// or rate ("–").
std::vector<TEventRow> EventsRows(const TFlightEvents& events, char decimalSeparator);

// "60.0 s" before each warning's text, and its stretch.
struct TWarningRow {
    std::string Time;
    std::string Text;
    double From = 0;
    double To = 0;
};
std::vector<TWarningRow> WarningRows(const TFlightEvents& events, char decimalSeparator);

// The warnings' texts, one a line, for a hint.
std::string WarningsHint(const TFlightEvents& events);

} // namespace zirko
