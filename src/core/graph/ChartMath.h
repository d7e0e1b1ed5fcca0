// Arithmetic of the chart page: servo values, axis positions, labels, zooms and scroll bars.
#pragma once

#include <optional>
#include <string>

namespace zirko {

struct TAxisRange {
    double Min = 0;
    double Max = 1;
};

// A channel as drawn: Scale * value + Base.
struct TLinearMap {
    double Scale = 1;
    double Base = 0;
};

// The servo channel as drawn: percent as recorded, or mapped onto the deflection range. The
// flight's own servo offset is not part of it: it is the servo's offset while it is shown.
TLinearMap ServoMap(bool deflectionOnGraph, double deflectionMin, double deflectionMax);

// The percentage of the plot width at which the time axis ends, leaving a 45-pixel strip on the
// right for the voltage labels; 100 for a width of 0. Can be 0 or negative on a very narrow plot.
inline constexpr int kVoltageStripPixels = 45;
int TimeAxisEndPercent(int plotWidth);

// A time axis label in min:sec mode: the first digit-grouping `groupSeparator` is dropped; a whole
// number becomes "m:s", anything else stays. Both are UTF-8.
std::string MinSecLabel(const std::string& label, const std::string& groupSeparator = "\xC2\xA0");

// "#,##0.##" style: grouping by three with `groupSeparator` (UTF-8), at most `decimals` decimals
// with trailing zeros dropped, `decimalSeparator` as the point.
std::string FormatAxisNumber(double value, int decimals, const std::string& groupSeparator,
                             char decimalSeparator);

// A tick step whose labels, shown with at most `decimals` decimals, all differ: a step finer than
// the last decimal becomes one unit of it, and a step that is not a whole number of those units
// (0.25 shown with one decimal) becomes the next of 1, 2 or 5 times a power of ten. Any other step
// stays as it is.
double DistinctLabelStep(double step, int decimals);

// Zoom by percentage: [min + d, max - d] with d = (max - min) * (p - 100) / 100.
TAxisRange ZoomByPercent(TAxisRange range, double percent);

// Servo centring: (-h, +h) with h half of the span.
TAxisRange CenteredRange(TAxisRange range);

// The automatic range of an axis kept symmetric around 0 for data in [low, high]: (-m, +m) with m
// the larger of |low| and |high|; (-1, +1) when that is 0 or too small to draw.
TAxisRange SymmetricRange(double low, double high);

// Scroll bar position 0..100 of a view centre within the data extent [low, high]; nothing when
// the extent is empty.
std::optional<int> HorizontalScrollPosition(TAxisRange view, double low, double high);
std::optional<int> VerticalScrollPosition(TAxisRange view, double low, double high);

// The view of the same span whose maximum sits at low + position * extent / 100 + span / 2.
// A view that would collapse gets max := min + 1.
TAxisRange ScrolledRange(TAxisRange view, double low, double high, int position);

} // namespace zirko
