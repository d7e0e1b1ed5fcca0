// The texts of a flight's report page, decided apart from any painting: the title lines, the
// numbers of the flight and its events, its warnings and the table of its motor runs and phases.
#pragma once

#include "core/analysis/FlightAnalysis.h"
#include "core/analysis/FlightEvents.h"
#include "core/flightdata/DataBlock.h"

#include <string>
#include <vector>

namespace zirko {

// "Start height" and "155.0 m at 40.0 s".
struct TReportLine {
    std::string Label;
    std::string Value;
    bool operator==(const TReportLine&) const = default;
};

struct TReportContent {
    std::string Name;                      // the flight's name (its file name without the ending)
    std::vector<TReportLine> Title;        // date, model, site, pilot
    std::vector<TReportLine> Events;       // start height, rules, penalty, motor, flight time, ...
    std::vector<TReportLine> Stats;        // altitudes, rates, voltages, samples
    std::vector<TReportLine> Warnings;     // the time, then the warning's text
    std::vector<std::string> PhaseHeaders; // "Kind", "Start", ...
    std::vector<std::vector<std::string>> PhaseRows; // motor runs, then phases
};

// The report of a flight as read, with its analysis. Values that do not exist read "–"; numbers
// use `decimalSeparator`; the flight's texts are decoded as the file's texts are.
TReportContent ReportContentOf(const std::string& name, const TDataBlock& flight,
                               const TFlightStats& stats, const TFlightEvents& events,
                               char decimalSeparator);

} // namespace zirko
