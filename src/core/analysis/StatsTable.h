// The numbers of the open flights as a table: one row per flight, the flight's name and then its
// numbers in the user's number format, and the same rows as tab-separated text for the clipboard.
#pragma once

#include "core/analysis/FlightAnalysis.h"
#include "core/analysis/FlightEvents.h"

#include <string>
#include <vector>

namespace zirko {

// Shown in a cell whose value does not exist (an en dash).
inline constexpr const char* kAbsentCell = "\u2013";

// The column headers, the name column first.
std::vector<std::string> StatsHeaders();

// The cells of one flight after its name, one per header after the first: numbers with their
// units ("12.3 m", "1.8 m/s", "11.72 V", "95.0 s"), the sample count bare, kAbsentCell where a
// value does not exist. The events' columns (motor time, start height, penalty, warnings) are
// absent without `events`; the warnings cell is their count and their codes ("2: motor-restart,
// low-voltage"), each code once.
std::vector<std::string> StatsCells(const TFlightStats& stats, char decimalSeparator,
                                    const TFlightEvents* events = nullptr);

// One flight of the copied table.
struct TStatsRow {
    std::string Name;
    const TFlightStats* Stats = nullptr;   // null: the row has only its name
    const TFlightEvents* Events = nullptr; // null: its columns stay empty
};

// A header row, then one line per flight, fields separated by tabs and every line ending in
// "\n". The units stand in the header ("Max. alt. (m)"), the fields hold the bare numbers (the
// warnings their count); a value that does not exist leaves its field empty. Tabs and line breaks
// in a name become blanks.
std::string StatsCopyText(const std::vector<TStatsRow>& rows, char decimalSeparator);

} // namespace zirko
