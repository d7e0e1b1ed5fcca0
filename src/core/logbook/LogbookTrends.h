// Trends over the logbook's flights: two columns against each other with a least-squares line, or
// one column as a histogram. The numbers are taken and binned here; the window only draws them.
#pragma once

#include "core/logbook/LogbookRow.h"

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

namespace zirko {

// The columns a trend can show: the date, then the number columns, in their default order.
std::vector<size_t> TrendColumns();
bool IsDateColumn(size_t column);
// A row's number in a column: the date as civil seconds (SortDate), else the cell's number.
// Nothing for a cell without one or a column that holds no numbers.
std::optional<double> TrendValue(const TLogbookRow& row, size_t column);

// The least-squares line y = Slope * x + Intercept.
struct TLineFit {
    double Slope = 0;
    double Intercept = 0;
    size_t Count = 0;
};
// Nothing for fewer than two points or points that all share one x. Sums are taken around the
// means, so dates (10^9 s) lose no digits.
std::optional<TLineFit> FitLine(const std::vector<double>& x, const std::vector<double>& y);

struct TTrendPoint {
    double X = 0;
    double Y = 0;
    size_t Row = 0;   // index into the rows given
    size_t Group = 0; // index into TTrendScatter::Groups
};

// The flights of one model, or of the models beyond the ones named.
struct TTrendGroup {
    std::string Title;
    size_t Count = 0;
};

inline constexpr const char* kNoModelTitle = "(no model)";
inline constexpr const char* kOtherModelsTitle = "Other models";

struct TTrendScatter {
    std::vector<TTrendPoint> Points; // in the order of the rows
    std::vector<TTrendGroup> Groups; // the most flown first; "Other models" last
    std::optional<TLineFit> Fit;
};

// The rows with a number in both columns. Models (without regard to case) are groups, the most
// flown first, ties by title; beyond `maxGroups` - 1 of them the rest are one "Other models".
TTrendScatter BuildScatter(const std::vector<const TLogbookRow*>& rows, size_t xColumn,
                           size_t yColumn, size_t maxGroups);

// "Slope: 0.52 m per day": the line's rise per unit of the x column (a day for the date), the
// units taken from the column titles, about three significant digits.
std::string SlopeText(const TLineFit& fit, size_t xColumn, size_t yColumn, char decimalSeparator);

// "1 flight", "6 flights".
std::string FlightsText(size_t count);

// The histogram's line under its title: "6 flights in bins of 7 days". A date bin is told in days,
// one shorter than a day in hours when it is a whole number of them; a column with a unit in its
// title in that unit ("bins of 10 s", "bins of 0.05 V"); a plain number as "bins 2 wide".
std::string HistogramText(size_t flights, double width, size_t column, char decimalSeparator);

// Bins [Start + i * Width, Start + (i + 1) * Width); the highest value falls in the last.
struct THistogram {
    double Start = 0;
    double Width = 0;
    std::vector<size_t> Counts;
    std::string Error; // why there are no bins, for the user
    size_t BinOf(double value) const;
};

// More bins than this are refused: a picture of them says nothing.
inline constexpr size_t kMaxBins = 500;

// A bin width fitting the values (Freedman-Diaconis, Scott's where the middle half is one value),
// rounded up to 1, 2, 2.5 or 5 times a power of ten, or for dates to a whole hour, day, week,
// month or year. 1 (a day for dates) where all values are one.
double AutoBinWidth(std::vector<double> values, bool date);

// Counts `values` in bins of `width`, starting at a multiple of it. An error for a width that is
// not positive or gives more than kMaxBins bins; no bins and no error for no values.
THistogram BuildHistogram(const std::vector<double>& values, double width);

} // namespace zirko
