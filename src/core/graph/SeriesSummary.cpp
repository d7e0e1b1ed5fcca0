#include "core/graph/SeriesSummary.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace zirko {

void TSeriesSummary::Build(const std::vector<double>& y)
{
    Clear();
    const size_t n = y.size() / kBaseBlock;
    if (n == 0)
        return;
    std::vector<double> mins(n);
    std::vector<double> maxs(n);
    for (size_t b = 0; b < n; ++b) {
        const auto first = y.begin() + static_cast<std::ptrdiff_t>(b * kBaseBlock);
        const auto [lo, hi] = std::minmax_element(first, first + kBaseBlock);
        mins[b] = *lo;
        maxs[b] = *hi;
    }
    Mins.push_back(std::move(mins));
    Maxs.push_back(std::move(maxs));
    while (Mins.back().size() > 1) {
        const std::vector<double>& lowerMins = Mins.back();
        const std::vector<double>& lowerMaxs = Maxs.back();
        const size_t m = (lowerMins.size() + 1) / 2;
        std::vector<double> upMins(m);
        std::vector<double> upMaxs(m);
        for (size_t j = 0; j < m; ++j) {
            const size_t a = 2 * j;
            const size_t b = std::min(a + 1, lowerMins.size() - 1);
            upMins[j] = std::min(lowerMins[a], lowerMins[b]);
            upMaxs[j] = std::max(lowerMaxs[a], lowerMaxs[b]);
        }
        Mins.push_back(std::move(upMins));
        Maxs.push_back(std::move(upMaxs));
    }
}

void TSeriesSummary::ShiftValues(double dy)
{
    for (auto& level : Mins)
        for (double& v : level)
            v += dy;
    for (auto& level : Maxs)
        for (double& v : level)
            v += dy;
}

void TSeriesSummary::Clear()
{
    Mins.clear();
    Maxs.clear();
}

TSeriesSummary::TMinMax TSeriesSummary::Range(const std::vector<double>& y, size_t first,
                                              size_t last) const
{
    TMinMax r{std::numeric_limits<double>::infinity(), -std::numeric_limits<double>::infinity()};
    auto take = [&r](double lo, double hi) {
        r.Min = std::min(r.Min, lo);
        r.Max = std::max(r.Max, hi);
    };
    // Whole base blocks inside [first, last) come from the table, the ragged ends from the data.
    size_t blockFirst = (first + kBaseBlock - 1) / kBaseBlock;
    size_t blockLast = last / kBaseBlock;
    if (Mins.empty() || blockFirst >= blockLast) {
        for (size_t i = first; i < last; ++i)
            take(y[i], y[i]);
        return r;
    }
    for (size_t i = first; i < blockFirst * kBaseBlock; ++i)
        take(y[i], y[i]);
    for (size_t i = blockLast * kBaseBlock; i < last; ++i)
        take(y[i], y[i]);
    size_t level = 0;
    while (blockFirst < blockLast) {
        if (blockFirst & 1) {
            take(Mins[level][blockFirst], Maxs[level][blockFirst]);
            ++blockFirst;
        }
        if (blockLast & 1) {
            --blockLast;
            take(Mins[level][blockLast], Maxs[level][blockLast]);
        }
        blockFirst >>= 1;
        blockLast >>= 1;
        ++level;
    }
    return r;
}

TReducedPoints ReduceForView(const std::vector<double>& x, const std::vector<double>& y,
                             const TSeriesSummary& summary, double xMin, double xMax,
                             int columns)
{
    TReducedPoints out;
    const size_t n = std::min(x.size(), y.size());
    if (n == 0)
        return out;
    if (!(xMax > xMin) || columns < 1)
        columns = 1;
    const auto begin = x.begin();
    const auto end = begin + static_cast<std::ptrdiff_t>(n);
    // One sample before and after the view so the line reaches the edges.
    size_t first = static_cast<size_t>(std::lower_bound(begin, end, xMin) - begin);
    size_t last = static_cast<size_t>(std::upper_bound(begin, end, xMax) - begin);
    if (first > 0)
        --first;
    if (last < n)
        ++last;
    if (first >= last)
        return out;
    const size_t visible = last - first;
    if (visible <= 4 * static_cast<size_t>(columns)) {
        out.X.assign(x.begin() + static_cast<std::ptrdiff_t>(first),
                     x.begin() + static_cast<std::ptrdiff_t>(last));
        out.Y.assign(y.begin() + static_cast<std::ptrdiff_t>(first),
                     y.begin() + static_cast<std::ptrdiff_t>(last));
        return out;
    }
    out.X.reserve(2 * static_cast<size_t>(columns) + 4);
    out.Y.reserve(2 * static_cast<size_t>(columns) + 4);
    auto push = [&out](double px, double py) {
        out.X.push_back(px);
        out.Y.push_back(py);
    };
    const double width = (xMax - xMin) / columns;
    size_t i = first;
    if (x[i] < xMin) {
        push(x[i], y[i]);
        ++i;
    }
    size_t stop = last;
    const bool tail = stop > i && x[stop - 1] > xMax;
    if (tail)
        --stop;
    for (int c = 0; c < columns && i < stop; ++c) {
        const double colEnd = c + 1 == columns ? xMax : xMin + width * (c + 1);
        size_t j = static_cast<size_t>(
            std::upper_bound(x.begin() + static_cast<std::ptrdiff_t>(i),
                             x.begin() + static_cast<std::ptrdiff_t>(stop), colEnd) -
            begin);
        if (c + 1 == columns)
            j = stop;
        if (j == i)
            continue;
        if (j - i <= 2) {
            for (size_t k = i; k < j; ++k)
                push(x[k], y[k]);
        } else {
            // The first and last sample keep neighbouring columns joined where they really are;
            // the extremes in between give the column its full height.
            const TSeriesSummary::TMinMax mm = summary.Range(y, i, j);
            const double centre = (x[i] + x[j - 1]) / 2;
            push(x[i], y[i]);
            push(centre, mm.Min);
            push(centre, mm.Max);
            push(x[j - 1], y[j - 1]);
        }
        i = j;
    }
    if (tail)
        push(x[stop], y[stop]);
    return out;
}

} // namespace zirko
