// The Range table of measurement mode: for each shown flight its numbers between FROM and TO, as
// the table shows them and as they go to the clipboard after the readings.
#pragma once

#include "core/analysis/RangeStats.h"

#include <array>
#include <optional>
#include <string>
#include <vector>

namespace zirko {

struct TRangeLine {
    std::string Flight;
    std::optional<TRangeStats> Stats; // none: no sample of the flight lies in the range
};

inline constexpr size_t kRangeColumns = 11;
inline constexpr const char* kRangeTitle = "Range";
inline constexpr const char* kRangeOutside = "no samples here";
// The decimals the voltages are shown with.
inline constexpr int kRangeVoltageDecimals = 2;

// "Flight", "Duration (s)", "Alt. FROM (m)", ...
const std::array<const char*, kRangeColumns>& RangeColumnTitles();

// The cells of a line: numbers "%8.1f" trimmed (climb and voltages with two decimals), empty for
// a channel the flight lacks; a flight outside the range says so in its duration cell.
std::array<std::string, kRangeColumns> RangeCells(const TRangeLine& line, char decimalSeparator);

// "Range", the titles and a line per flight, cells tab separated, CR LF after each row.
std::string RangeClipboardText(const std::vector<TRangeLine>& lines, char decimalSeparator);

} // namespace zirko
