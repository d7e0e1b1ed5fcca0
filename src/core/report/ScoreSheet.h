// The score sheet of a day's flights: one line per flight with what a contest director checks
// (flight time, motor time, start height, penalty, warnings) and a line of totals, as a table to
// print and as CSV.
#pragma once

#include "core/analysis/FlightEvents.h"
#include "core/flightdata/DataBlock.h"
#include "core/logbook/LogbookRow.h"

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

namespace zirko {

struct TSheetFlight {
    std::string Name; // the flight's name (its file name without the ending)
    std::string Date; // the header's date text, decoded
    std::string Pilot;
    std::string Model;
    std::optional<double> FlightTime;  // s
    std::optional<double> MotorTime;   // s; none without a servo channel
    std::optional<double> StartHeight; // m
    std::optional<double> Penalty;     // only under rules that cost points
    std::optional<size_t> Warnings;    // none for a flight that could not be analysed
};

// A flight as read, with its events.
TSheetFlight SheetFlightOf(const std::string& name, const TDataBlock& flight,
                           const TFlightEvents& events);
// A logbook row, with the analysis the logbook holds (none for a file it could not read).
TSheetFlight SheetFlightOf(const TLogbookRow& row);

// The sheet's columns from this one on hold numbers.
inline constexpr size_t kSheetFirstNumberColumn = 4;

struct TScoreSheet {
    std::vector<std::string> Headers;
    std::vector<std::vector<std::string>> Rows; // one per flight, a cell per header
    std::vector<std::string> Totals;            // a cell per header
};

// The sheet as shown and printed: times, heights and the penalty with one decimal in the user's
// number format, a missing value "–"; the totals sum what adds up (flight time, motor time,
// penalty, warnings) and count the flights.
TScoreSheet ScoreSheetTable(const std::vector<TSheetFlight>& flights, char decimalSeparator);

// The same table as CSV: a header row, one row per flight and the totals row, numbers with "."
// and one decimal, a missing value an empty field, lines ending in CR LF.
std::string ScoreSheetCsv(const std::vector<TSheetFlight>& flights);

} // namespace zirko
