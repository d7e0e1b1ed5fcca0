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
    std::vector<TMinMax> base(n);
    for (size_t b = 0; b < n; ++b) {
        const auto first = y.begin() + static_cast<std::ptrdiff_t>(b * kBaseBlock);
        const auto [lo, hi] = std::minmax_element(first, first + kBaseBlock);
        base[b] = {*lo, *hi};
    }
    Levels.push_back(std::move(base));
    while (Levels.back().size() > 1) {
        const std::vector<TMinMax>& lower = Levels.back();
        const size_t m = (lower.size() + 1) / 2;
        std::vector<TMinMax> up(m);
        for (size_t j = 0; j < m; ++j) {
            const TMinMax& a = lower[2 * j];
            const TMinMax& b = lower[std::min(2 * j + 1, lower.size() - 1)];
            up[j] = {std::min(a.Min, b.Min), std::max(a.Max, b.Max)};
        }
        Levels.push_back(std::move(up));
    }
}

void TSeriesSummary::ShiftValues(double dy)
{
    for (auto& level : Levels)
        for (TMinMax& v : level) {
            v.Min += dy;
            v.Max += dy;
        }
}

void TSeriesSummary::Clear()
{
    Levels.clear();
}

namespace {

inline void Touch(const void* address)
{
#if defined(__GNUC__) || defined(__clang__)
    __builtin_prefetch(address);
#else
    (void)address;
#endif
}

} // namespace

void TSeriesSummary::Prefetch(const std::vector<double>& y, size_t index) const
{
    if (index >= y.size())
        return;
    // The samples around the index, then the table entries that the walk up from it reads.
    Touch(&y[index]);
    Touch(&y[index - std::min(index, kBaseBlock)]);
    size_t block = index / kBaseBlock;
    for (size_t level = 0; level < Levels.size() && level < 8; ++level, block >>= 1)
        if (block < Levels[level].size())
            Touch(&Levels[level][block]);
}

TSeriesSummary::TMinMax TSeriesSummary::Range(const std::vector<double>& y, size_t first,
                                              size_t last) const
{
    TMinMax r{std::numeric_limits<double>::infinity(), -std::numeric_limits<double>::infinity()};
    auto take = [&r](const TMinMax& v) {
        r.Min = std::min(r.Min, v.Min);
        r.Max = std::max(r.Max, v.Max);
    };
    auto scan = [&r, &y](size_t from, size_t to) {
        for (size_t i = from; i < to; ++i) {
            r.Min = std::min(r.Min, y[i]);
            r.Max = std::max(r.Max, y[i]);
        }
    };
    // Whole base blocks inside [first, last) come from the table, the ragged ends from the data.
    size_t blockFirst = (first + kBaseBlock - 1) / kBaseBlock;
    size_t blockLast = last / kBaseBlock;
    if (Levels.empty() || blockFirst >= blockLast) {
        scan(first, last);
        return r;
    }
    scan(first, blockFirst * kBaseBlock);
    scan(blockLast * kBaseBlock, last);
    // Minimum and maximum of a block sit side by side: one memory line serves both.
    for (size_t level = 0; blockFirst < blockLast; ++level) {
        const std::vector<TMinMax>& table = Levels[level];
        if (blockFirst & 1)
            take(table[blockFirst++]);
        if (blockLast & 1)
            take(table[--blockLast]);
        blockFirst >>= 1;
        blockLast >>= 1;
    }
    return r;
}

namespace {

// The value of the line from (x0, y0) to (x1, y1) at `at`.
double LineAt(double x0, double y0, double x1, double y1, double at)
{
    if (!(x1 > x0))
        return y1;
    return y0 + (y1 - y0) * (at - x0) / (x1 - x0);
}

// How far the extent of `range` with `a` added differs from its extent with `b` added.
double HullDifference(const TSeriesSummary::TMinMax& range, double a, double b)
{
    return std::max(std::abs(std::min(range.Min, a) - std::min(range.Min, b)),
                    std::abs(std::max(range.Max, a) - std::max(range.Max, b)));
}

// How many columns ahead the data is fetched.
constexpr size_t kPrefetchColumns = 3;

double Nearer(double v, const TSeriesSummary::TMinMax& mm)
{
    return std::abs(v - mm.Min) <= std::abs(v - mm.Max) ? mm.Min : mm.Max;
}

// The first index in [from, to) whose x is above `value` (`to` when there is none), searched
// outward from `hint`, where it is expected: neighbouring pixel columns hold about as many
// samples each, so this touches a few nearby values instead of halving the whole series.
size_t UpperBoundFrom(const std::vector<double>& x, size_t from, size_t to, double value,
                      size_t hint)
{
    hint = std::clamp(hint, from, to);
    size_t lo = from;
    size_t hi = to;
    if (hint < to && x[hint] <= value) {
        // The answer lies beyond the hint.
        lo = hint + 1;
        for (size_t step = 1;; step *= 2) {
            hi = std::min(to, lo + step);
            if (hi == to || x[hi] > value)
                break;
            lo = hi + 1;
        }
    } else {
        // The answer is the hint or before it.
        hi = hint;
        for (size_t step = 1;; step *= 2) {
            if (hi == from) {
                lo = from;
                break;
            }
            const size_t probe = hi - from > step ? hi - step : from;
            if (x[probe] <= value) {
                lo = probe + 1;
                break;
            }
            hi = probe;
        }
    }
    return static_cast<size_t>(std::upper_bound(x.begin() + static_cast<std::ptrdiff_t>(lo),
                                                x.begin() + static_cast<std::ptrdiff_t>(hi),
                                                value) -
                               x.begin());
}

} // namespace

void ReduceForView(const std::vector<double>& x, const std::vector<double>& y,
                   const TSeriesSummary& summary, double xMin, double xMax, int columns,
                   TReducedPoints& out, double yTolerance)
{
    out.X.clear();
    out.Y.clear();
    const size_t n = std::min(x.size(), y.size());
    if (n == 0)
        return;
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
        return;
    const size_t visible = last - first;
    if (visible <= 4 * static_cast<size_t>(columns)) {
        out.X.assign(x.begin() + static_cast<std::ptrdiff_t>(first),
                     x.begin() + static_cast<std::ptrdiff_t>(last));
        out.Y.assign(y.begin() + static_cast<std::ptrdiff_t>(first),
                     y.begin() + static_cast<std::ptrdiff_t>(last));
        return;
    }
    out.X.reserve(2 * static_cast<size_t>(columns) + 8);
    out.Y.reserve(2 * static_cast<size_t>(columns) + 8);
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
    // The column last drawn as a bar, and where its line ended.
    bool bar = false;
    int barColumn = -2;
    TSeriesSummary::TMinMax barRange{0, 0};
    double barX = 0;
    double barEnd = 0;
    size_t perColumn = std::max<size_t>(1, visible / static_cast<size_t>(columns));
    for (int c = 0; c < columns && i < stop; ++c) {
        const double colEnd = c + 1 == columns ? xMax : xMin + width * (c + 1);
        // The data a few columns on is far from here in memory: fetching it now overlaps the
        // waits for it with this column's work.
        const size_t ahead = i + kPrefetchColumns * perColumn;
        if (ahead < stop) {
            Touch(&x[ahead]);
            summary.Prefetch(y, ahead);
        }
        const size_t j =
            c + 1 == columns ? stop : UpperBoundFrom(x, i, stop, colEnd, i + perColumn);
        if (j == i)
            continue;
        perColumn = j - i;
        if (j - i <= 2) {
            // Few samples pass as they are, joined to a bar before them as the data runs.
            if (bar)
                push(x[i - 1], y[i - 1]);
            for (size_t k = i; k < j; ++k)
                push(x[k], y[k]);
            bar = false;
            i = j;
            continue;
        }
        // The column is drawn as one vertical stroke between its extremes, joined to the
        // previous column's stroke directly where that adds to neither column what the samples'
        // own line would not; otherwise through the samples on either side of the boundary.
        const TSeriesSummary::TMinMax mm = summary.Range(y, i, j);
        const double centre = (x[i] + x[j - 1]) / 2;
        double entry = 0;
        bool joined = false;
        if (bar && barColumn == c - 1) {
            // What the samples' line adds to either column at the boundary, against what a
            // direct join would add.
            const double boundary = xMin + width * c;
            const double real = LineAt(x[i - 1], y[i - 1], x[i], y[i], boundary);
            auto joins = [&](double to) {
                const double direct = LineAt(barX, barEnd, centre, to, boundary);
                return HullDifference(barRange, real, direct) <= yTolerance &&
                       HullDifference(mm, real, direct) <= yTolerance;
            };
            // Straight on to the nearer extreme; else level into the column where the last
            // stroke ended inside its extremes, then on to the nearer extreme. A join to the far
            // extreme would draw most of both strokes twice.
            const double nearer = Nearer(barEnd, mm);
            if (joins(nearer)) {
                entry = nearer;
                joined = true;
            } else if (barEnd >= mm.Min - yTolerance && barEnd <= mm.Max + yTolerance &&
                       joins(barEnd)) {
                push(centre, barEnd);
                entry = nearer;
                joined = true;
            }
        }
        if (!joined) {
            if (bar)
                push(x[i - 1], y[i - 1]);
            if (!out.X.empty())
                push(x[i], y[i]);
            entry = Nearer(y[i], mm);
        }
        const double exit = entry == mm.Min ? mm.Max : mm.Min;
        push(centre, entry);
        push(centre, exit);
        bar = true;
        barColumn = c;
        barRange = mm;
        barX = centre;
        barEnd = exit;
        i = j;
    }
    if (tail) {
        if (bar)
            push(x[stop - 1], y[stop - 1]);
        push(x[stop], y[stop]);
    }
}

TReducedPoints ReduceForView(const std::vector<double>& x, const std::vector<double>& y,
                             const TSeriesSummary& summary, double xMin, double xMax, int columns,
                             double yTolerance)
{
    TReducedPoints out;
    ReduceForView(x, y, summary, xMin, xMax, columns, out, yTolerance);
    return out;
}

} // namespace zirko
