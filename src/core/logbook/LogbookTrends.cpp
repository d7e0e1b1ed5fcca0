#include "core/logbook/LogbookTrends.h"

#include "core/app/NumberFormat.h"
#include "core/logbook/LogbookColumns.h"

#include <algorithm>
#include <cmath>
#include <unordered_map>

namespace zirko {

namespace {

constexpr double kDay = 86400;
constexpr double kHour = 3600;

size_t DateColumn()
{
    static const size_t column = *LogbookColumnIndex("date");
    return column;
}

// "Max. alt. (m)" gives "m"; a title without a unit gives nothing.
std::string UnitOf(size_t column)
{
    const std::string& title = LogbookColumns()[column].Title;
    const size_t open = title.rfind('(');
    const size_t close = title.rfind(')');
    if (open == std::string::npos || close == std::string::npos || close < open)
        return {};
    return title.substr(open + 1, close - open - 1);
}

// `count` of a unit named `one`, "s" added for any count but exactly 1.
std::string Counted(double count, const char* one, char decimalSeparator)
{
    return FormatShortest(count, decimalSeparator) + " " + one + (count == 1 ? "" : "s");
}

bool IsWhole(double value)
{
    return std::abs(value - std::round(value)) <= 1e-9 * std::max(1.0, std::abs(value));
}

// The smallest of 1, 2, 2.5, 5 times a power of ten that is at least `raw`.
double NiceWidth(double raw)
{
    const double power = std::pow(10.0, std::floor(std::log10(raw)));
    for (double step : {1.0, 2.0, 2.5, 5.0, 10.0})
        if (step * power >= raw * (1 - 1e-12))
            return step * power;
    return 10 * power;
}

double NiceDateWidth(double raw)
{
    for (double step : {kHour, 2 * kHour, 6 * kHour, 12 * kHour, kDay, 2 * kDay, 7 * kDay,
                        14 * kDay, 30 * kDay, 91 * kDay, 365 * kDay})
        if (step >= raw)
            return step;
    return std::ceil(raw / (365 * kDay)) * 365 * kDay;
}

// The q-quantile of sorted values, linear between neighbours.
double Quantile(const std::vector<double>& sorted, double q)
{
    const double at = q * static_cast<double>(sorted.size() - 1);
    const auto lo = static_cast<size_t>(std::floor(at));
    const size_t hi = std::min(lo + 1, sorted.size() - 1);
    return sorted[lo] + (sorted[hi] - sorted[lo]) * (at - static_cast<double>(lo));
}

} // namespace

std::vector<size_t> TrendColumns()
{
    std::vector<size_t> columns{DateColumn()};
    for (size_t c = 0; c < LogbookColumns().size(); ++c)
        if (IsNumberColumn(c))
            columns.push_back(c);
    return columns;
}

bool IsDateColumn(size_t column)
{
    return column == DateColumn();
}

std::optional<double> TrendValue(const TLogbookRow& row, size_t column)
{
    if (IsDateColumn(column))
        return static_cast<double>(row.SortDate());
    const auto value = LogbookCellNumber(row, column);
    if (value && !std::isfinite(*value))
        return std::nullopt;
    return value;
}

std::optional<TLineFit> FitLine(const std::vector<double>& x, const std::vector<double>& y)
{
    const size_t n = std::min(x.size(), y.size());
    if (n < 2)
        return std::nullopt;
    double mx = 0, my = 0;
    for (size_t i = 0; i < n; ++i) {
        mx += x[i];
        my += y[i];
    }
    mx /= static_cast<double>(n);
    my /= static_cast<double>(n);
    double sxx = 0, sxy = 0;
    for (size_t i = 0; i < n; ++i) {
        const double dx = x[i] - mx;
        sxx += dx * dx;
        sxy += dx * (y[i] - my);
    }
    if (!(sxx > 0) || !std::isfinite(sxx) || !std::isfinite(sxy))
        return std::nullopt;
    TLineFit fit;
    fit.Slope = sxy / sxx;
    fit.Intercept = my - fit.Slope * mx;
    fit.Count = n;
    return fit;
}

TTrendScatter BuildScatter(const std::vector<const TLogbookRow*>& rows, size_t xColumn,
                           size_t yColumn, size_t maxGroups)
{
    TTrendScatter out;
    struct TModel {
        std::string Title;
        size_t Count = 0;
        size_t Group = 0;
    };
    std::vector<TModel> models;
    std::unordered_map<std::string, size_t> byKey;
    std::vector<size_t> modelOf;
    std::vector<double> xs, ys;
    for (size_t i = 0; i < rows.size(); ++i) {
        const TLogbookRow& row = *rows[i];
        const auto x = TrendValue(row, xColumn);
        const auto y = TrendValue(row, yColumn);
        if (!x || !y)
            continue;
        const auto [it, added] = byKey.try_emplace(row.FoldedModel, models.size());
        if (added)
            models.push_back({row.Details.Model.empty() ? kNoModelTitle : row.Details.Model, 0, 0});
        ++models[it->second].Count;
        modelOf.push_back(it->second);
        out.Points.push_back({*x, *y, i, 0});
        xs.push_back(*x);
        ys.push_back(*y);
    }

    std::vector<size_t> order(models.size());
    for (size_t m = 0; m < order.size(); ++m)
        order[m] = m;
    std::sort(order.begin(), order.end(), [&models](size_t a, size_t b) {
        if (models[a].Count != models[b].Count)
            return models[a].Count > models[b].Count;
        return models[a].Title < models[b].Title;
    });
    const size_t limit = std::max<size_t>(1, maxGroups);
    const size_t named = order.size() <= limit ? order.size() : limit - 1;
    for (size_t k = 0; k < order.size(); ++k) {
        TModel& m = models[order[k]];
        if (k < named) {
            m.Group = out.Groups.size();
            out.Groups.push_back({m.Title, m.Count});
        } else {
            if (k == named)
                out.Groups.push_back({kOtherModelsTitle, 0});
            m.Group = named;
            out.Groups.back().Count += m.Count;
        }
    }
    for (size_t p = 0; p < out.Points.size(); ++p)
        out.Points[p].Group = models[modelOf[p]].Group;
    out.Fit = FitLine(xs, ys);
    return out;
}

std::string SlopeText(const TLineFit& fit, size_t xColumn, size_t yColumn, char decimalSeparator)
{
    const bool date = IsDateColumn(xColumn);
    const double slope = date ? fit.Slope * kDay : fit.Slope;
    int decimals = 2;
    if (slope != 0 && std::isfinite(slope))
        decimals = std::clamp(2 - static_cast<int>(std::floor(std::log10(std::fabs(slope)))), 0, 6);
    std::string text = "Slope: " + FormatDisplay(slope, decimals, decimalSeparator);
    const std::string unit = UnitOf(yColumn);
    if (!unit.empty())
        text += " " + unit;
    const std::string per = date ? "day" : UnitOf(xColumn);
    text += per.empty() ? " per unit" : " per " + per;
    return text;
}

std::string FlightsText(size_t count)
{
    return std::to_string(count) + (count == 1 ? " flight" : " flights");
}

std::string HistogramText(size_t flights, double width, size_t column, char decimalSeparator)
{
    std::string bins;
    if (IsDateColumn(column)) {
        const double days = width / kDay;
        if (width < kDay && IsWhole(width / kHour))
            bins = "bins of " + Counted(std::round(width / kHour), "hour", decimalSeparator);
        else
            bins = "bins of " +
                   Counted(IsWhole(days) ? std::round(days) : days, "day", decimalSeparator);
    } else if (const std::string unit = UnitOf(column); !unit.empty()) {
        bins = "bins of " + FormatShortest(width, decimalSeparator) + " " + unit;
    } else {
        bins = "bins " + FormatShortest(width, decimalSeparator) + " wide";
    }
    return FlightsText(flights) + " in " + bins;
}

size_t THistogram::BinOf(double value) const
{
    if (Counts.empty() || !(Width > 0))
        return 0;
    const double at = std::floor((value - Start) / Width);
    if (!(at > 0))
        return 0;
    return std::min(static_cast<size_t>(at), Counts.size() - 1);
}

double AutoBinWidth(std::vector<double> values, bool date)
{
    const size_t n = values.size();
    double raw = 0;
    if (n >= 2) {
        std::sort(values.begin(), values.end());
        const double cube = std::cbrt(static_cast<double>(n));
        raw = 2 * (Quantile(values, 0.75) - Quantile(values, 0.25)) / cube;
        if (!(raw > 0)) {
            double mean = 0;
            for (double v : values)
                mean += v;
            mean /= static_cast<double>(n);
            double square = 0;
            for (double v : values)
                square += (v - mean) * (v - mean);
            raw = 3.49 * std::sqrt(square / static_cast<double>(n - 1)) / cube;
        }
        // Never so narrow that the bins could not be drawn.
        raw = std::max(raw, (values.back() - values.front()) / static_cast<double>(kMaxBins));
    }
    if (!(raw > 0) || !std::isfinite(raw))
        return date ? kDay : 1;
    return date ? NiceDateWidth(raw) : NiceWidth(raw);
}

THistogram BuildHistogram(const std::vector<double>& values, double width)
{
    THistogram h;
    if (!(width > 0) || !std::isfinite(width)) {
        h.Error = "The bin width must be a number above 0.";
        return h;
    }
    if (values.empty())
        return h;
    const auto [lo, hi] = std::minmax_element(values.begin(), values.end());
    h.Width = width;
    h.Start = std::floor(*lo / width) * width;
    const double bins = std::floor((*hi - h.Start) / width) + 1;
    if (!(bins <= static_cast<double>(kMaxBins))) {
        h.Error = "Too many bins (" + FormatDisplay(bins, 0) + "): choose a wider bin.";
        return h;
    }
    h.Counts.assign(static_cast<size_t>(bins), 0);
    for (double v : values)
        ++h.Counts[h.BinOf(v)];
    return h;
}

} // namespace zirko
