// The numbers of the logbook page's status lines: how many rows match, what the selection adds up
// to.
#pragma once

#include "core/logbook/LogbookRow.h"

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

namespace zirko {

// The selected rows added up; a row without a value (not read, no launch) counts in Count only.
struct TLogbookSummary {
    size_t Count = 0;
    double TimeAloft = 0;                  // s, over the rows that have one
    double MotorTime = 0;                  // s
    std::optional<double> HighestAltitude; // m, the largest maxAltitude
    std::optional<double> MeanStartHeight; // m, over the rows that have one
    size_t StartHeights = 0;               // rows with a start height
};
TLogbookSummary SummariseRows(const std::vector<const TLogbookRow*>& rows);

// "3 flights selected: time aloft 12:05, motor time 0:45, highest 312.4 m, mean start height
// 150.2 m"; a value no row has is left out; "" for no row.
std::string SummaryText(const TLogbookSummary& summary, char decimalSeparator);

// "12 of 340 flights", "1 of 1 flight".
std::string MatchCountText(size_t shown, size_t total);

// Minutes and seconds of a total that may pass an hour: "1:02:05" for 3725 s, "12:05".
std::string FormatDurationTotal(double seconds);

} // namespace zirko
