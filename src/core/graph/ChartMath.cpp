#include "core/graph/ChartMath.h"

#include "core/app/NumberFormat.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace zirko {

TLinearMap ServoMap(bool deflectionOnGraph, double deflectionMin, double deflectionMax)
{
    if (deflectionOnGraph)
        return {(deflectionMax - deflectionMin) / 200.0, (deflectionMax + deflectionMin) / 2.0};
    return {};
}

int TimeAxisEndPercent(int plotWidth)
{
    if (plotWidth == 0)
        return 100;
    return static_cast<int>(
        std::lround(static_cast<double>(plotWidth - kVoltageStripPixels) / plotWidth * 100.0));
}

std::string MinSecLabel(const std::string& label, const std::string& groupSeparator)
{
    std::string rest = label;
    const size_t at = groupSeparator.empty() ? std::string::npos : rest.find(groupSeparator);
    if (at != std::string::npos)
        rest.erase(at, groupSeparator.size());
    const std::optional<long long> whole = ParseInteger(rest);
    if (!whole || rest.find_first_of(" \t") != std::string::npos)
        return label;
    return FormatMinSec(*whole);
}

std::string FormatAxisNumber(double value, int decimals, const std::string& groupSeparator,
                             char decimalSeparator)
{
    if (!std::isfinite(value))
        return "0";
    std::string fixed = FormatFixed(value, decimals);
    bool negative = false;
    if (!fixed.empty() && fixed[0] == '-') {
        negative = true;
        fixed.erase(0, 1);
    }
    std::string intPart = fixed;
    std::string fracPart;
    if (const size_t dot = fixed.find('.'); dot != std::string::npos) {
        intPart = fixed.substr(0, dot);
        fracPart = fixed.substr(dot + 1);
        while (!fracPart.empty() && fracPart.back() == '0')
            fracPart.pop_back();
    }
    std::string grouped;
    const size_t len = intPart.size();
    for (size_t i = 0; i < len; ++i) {
        if (i > 0 && (len - i) % 3 == 0)
            grouped += groupSeparator;
        grouped += intPart[i];
    }
    const bool zero = grouped == "0" && fracPart.empty();
    std::string out = negative && !zero ? "-" : "";
    out += grouped;
    if (!fracPart.empty()) {
        out += decimalSeparator;
        out += fracPart;
    }
    return out;
}

double DistinctLabelStep(double step, int decimals)
{
    if (!std::isfinite(step) || step <= 0)
        return step;
    const double unit = std::pow(10.0, -decimals);
    // Steps are made by multiplying decimal mantissas: allow for the rounding of that.
    constexpr double kSlack = 1e-9;
    if (step < unit * (1 - kSlack))
        return unit;
    const double units = step / unit;
    if (std::abs(units - std::round(units)) <= kSlack * units)
        return step;
    const double magnitude = std::pow(10.0, std::floor(std::log10(step)));
    for (const double mantissa : {1.0, 2.0, 5.0})
        if (mantissa * magnitude >= step * (1 - kSlack))
            return mantissa * magnitude;
    return 10 * magnitude;
}

TAxisRange ZoomByPercent(TAxisRange range, double percent)
{
    const double d = (range.Max - range.Min) * (percent - 100.0) / 100.0;
    return {range.Min + d, range.Max - d};
}

TAxisRange CenteredRange(TAxisRange range)
{
    const double h = (range.Max - range.Min) / 2.0;
    return {-h, h};
}

TAxisRange SymmetricRange(double low, double high)
{
    double m = std::max(std::fabs(low), std::fabs(high));
    // NaN compares false: it too gets the unit range.
    if (!(m > 1e-10))
        m = 1;
    return {-m, m};
}

std::optional<int> HorizontalScrollPosition(TAxisRange view, double low, double high)
{
    const double extent = high - low;
    if (!(extent > 0))
        return std::nullopt;
    const double centre = (view.Min + view.Max) / 2.0;
    return static_cast<int>(std::lround((centre - low) / extent * 100.0));
}

std::optional<int> VerticalScrollPosition(TAxisRange view, double low, double high)
{
    const double extent = high - low;
    if (!(extent > 0))
        return std::nullopt;
    const double centre = (view.Min + view.Max) / 2.0;
    return static_cast<int>(std::lround((high - centre) / extent * 100.0));
}

TAxisRange ScrolledRange(TAxisRange view, double low, double high, int position)
{
    const double span = view.Max - view.Min;
    const double extent = high - low;
    TAxisRange r;
    r.Max = low + position * extent / 100.0 + span / 2.0;
    r.Min = r.Max - span;
    if (r.Max <= r.Min)
        r.Max = r.Min + 1;
    return r;
}

} // namespace zirko
