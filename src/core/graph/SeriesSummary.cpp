#include "core/graph/SeriesSummary.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace zirko {

namespace {

inline void Touch(const void* address)
{
#if defined(__GNUC__) || defined(__clang__)
    __builtin_prefetch(address);
#else
    (void)address;
#endif
}

// Samples straight from two arrays.
struct TDirect {
    const double* Xs;
    const double* Ys;
    double X(size_t i) const { return Xs[i]; }
    double Y(size_t i) const { return Ys[i]; }
    void Fetch(size_t i) const { Touch(Xs + i); }
    void FetchY(size_t i) const { Touch(Ys + i); }
};

// Samples picked from two arrays by an index table.
struct TPicked {
    const double* Xs;
    const double* Ys;
    const uint32_t* Index;
    double X(size_t i) const { return Xs[Index[i]]; }
    double Y(size_t i) const { return Ys[Index[i]]; }
    void Fetch(size_t i) const { Touch(Index + i); }
    void FetchY(size_t i) const { Touch(Index + i); }
};

// Runs `body` with the accessor that suits the view; the loops are compiled once for each, so
// the direct case reads its arrays as plainly as before.
template <class TBody> void WithAccess(const TSampleView& v, TBody&& body)
{
    if (v.Index)
        body(TPicked{v.X, v.Y, v.Index});
    else
        body(TDirect{v.X, v.Y});
}

} // namespace

TSampleView ViewOf(const std::vector<double>& x, const std::vector<double>& y)
{
    return {x.data(), y.data(), nullptr, std::min(x.size(), y.size())};
}

template <class TAccess> void TSeriesSummary::BuildFrom(const TAccess& samples, size_t count)
{
    Clear();
    const size_t n = count / kBaseBlock;
    if (n == 0)
        return;
    std::vector<TMinMax> base(n);
    for (size_t b = 0; b < n; ++b) {
        double lo = samples.Y(b * kBaseBlock);
        double hi = lo;
        for (size_t i = b * kBaseBlock + 1; i < (b + 1) * kBaseBlock; ++i) {
            // As std::minmax_element chooses: the first lowest and the last highest.
            const double v = samples.Y(i);
            lo = v < lo ? v : lo;
            hi = v < hi ? hi : v;
        }
        base[b] = {lo, hi};
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

void TSeriesSummary::Build(const TSampleView& samples)
{
    WithAccess(samples, [&](const auto& a) { BuildFrom(a, samples.Size); });
}

void TSeriesSummary::Build(const std::vector<double>& y)
{
    BuildFrom(TDirect{y.data(), y.data()}, y.size());
}

void TSeriesSummary::Clear()
{
    Levels.clear();
}

template <class TAccess>
void TSeriesSummary::PrefetchOf(const TAccess& samples, size_t n, size_t index) const
{
    if (index >= n)
        return;
    // The samples of the ragged ends around the index, then the table entries that the walk up
    // from it reads.
    const size_t blockStart = index - index % kBaseBlock;
    for (size_t at = blockStart; at < std::min(n, blockStart + kBaseBlock); at += 8)
        samples.FetchY(at);
    size_t block = index / kBaseBlock;
    for (size_t level = 0; level < Levels.size() && level < 8; ++level, block >>= 1)
        if (block < Levels[level].size())
            Touch(&Levels[level][block]);
}

void TSeriesSummary::Prefetch(const TSampleView& samples, size_t index) const
{
    WithAccess(samples, [&](const auto& a) { PrefetchOf(a, samples.Size, index); });
}

template <class TAccess>
TSeriesSummary::TMinMax TSeriesSummary::RangeOf(const TAccess& samples, size_t first,
                                                size_t last) const
{
    TMinMax r{std::numeric_limits<double>::infinity(), -std::numeric_limits<double>::infinity()};
    auto take = [&r](const TMinMax& v) {
        r.Min = std::min(r.Min, v.Min);
        r.Max = std::max(r.Max, v.Max);
    };
    // Two runs of accumulators side by side: a ragged end is up to a block long, and one chain
    // of comparisons would wait on itself at every sample.
    auto scan = [&r, &samples](size_t from, size_t to) {
        double lo0 = r.Min, hi0 = r.Max, lo1 = r.Min, hi1 = r.Max;
        size_t i = from;
        for (; i + 1 < to; i += 2) {
            const double a = samples.Y(i);
            const double b = samples.Y(i + 1);
            lo0 = std::min(lo0, a);
            hi0 = std::max(hi0, a);
            lo1 = std::min(lo1, b);
            hi1 = std::max(hi1, b);
        }
        if (i < to) {
            lo0 = std::min(lo0, samples.Y(i));
            hi0 = std::max(hi0, samples.Y(i));
        }
        r.Min = std::min(lo0, lo1);
        r.Max = std::max(hi0, hi1);
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

TSeriesSummary::TMinMax TSeriesSummary::Range(const TSampleView& samples, size_t first,
                                              size_t last) const
{
    TMinMax r{};
    WithAccess(samples, [&](const auto& a) { r = RangeOf(a, first, last); });
    return r;
}

TSeriesSummary::TMinMax TSeriesSummary::Range(const std::vector<double>& y, size_t first,
                                              size_t last) const
{
    return RangeOf(TDirect{y.data(), y.data()}, first, last);
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

// The first index in [lo, hi) whose x is not below / is above `value` (`hi` when there is none).
template <class TAccess> size_t LowerBound(const TAccess& x, size_t lo, size_t hi, double value)
{
    while (lo < hi) {
        const size_t mid = lo + (hi - lo) / 2;
        if (x.X(mid) < value)
            lo = mid + 1;
        else
            hi = mid;
    }
    return lo;
}

template <class TAccess> size_t UpperBound(const TAccess& x, size_t lo, size_t hi, double value)
{
    while (lo < hi) {
        const size_t mid = lo + (hi - lo) / 2;
        if (value < x.X(mid))
            hi = mid;
        else
            lo = mid + 1;
    }
    return lo;
}

// The first index in [from, to) whose x is above `value` (`to` when there is none), searched
// outward from `hint`, where it is expected: neighbouring pixel columns hold about as many
// samples each, so this touches a few nearby values instead of halving the whole series.
template <class TAccess>
size_t UpperBoundFrom(const TAccess& x, size_t from, size_t to, double value, size_t hint)
{
    hint = std::clamp(hint, from, to);
    size_t lo = from;
    size_t hi = to;
    if (hint < to && x.X(hint) <= value) {
        // The answer lies beyond the hint.
        lo = hint + 1;
        for (size_t step = 1;; step *= 2) {
            hi = std::min(to, lo + step);
            if (hi == to || x.X(hi) > value)
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
            if (x.X(probe) <= value) {
                lo = probe + 1;
                break;
            }
            hi = probe;
        }
    }
    return UpperBound(x, lo, hi, value);
}

template <class TAccess>
void ReduceOver(const TAccess& s, size_t n, const TSeriesSummary& summary, double xMin, double xMax,
                int columns, TReducedPoints& out, double yTolerance)
{
    out.X.clear();
    out.Y.clear();
    if (n == 0)
        return;
    if (!(xMax > xMin) || columns < 1)
        columns = 1;
    // One sample before and after the view so the line reaches the edges.
    size_t first = LowerBound(s, 0, n, xMin);
    size_t last = UpperBound(s, 0, n, xMax);
    if (first > 0)
        --first;
    if (last < n)
        ++last;
    if (first >= last)
        return;
    const size_t visible = last - first;
    if (visible <= 4 * static_cast<size_t>(columns)) {
        out.X.resize(visible);
        out.Y.resize(visible);
        for (size_t k = 0; k < visible; ++k) {
            out.X[k] = s.X(first + k);
            out.Y[k] = s.Y(first + k);
        }
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
    if (s.X(i) < xMin) {
        push(s.X(i), s.Y(i));
        ++i;
    }
    size_t stop = last;
    const bool tail = stop > i && s.X(stop - 1) > xMax;
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
            s.Fetch(ahead);
            summary.PrefetchOf(s, n, ahead);
        }
        const size_t j =
            c + 1 == columns ? stop : UpperBoundFrom(s, i, stop, colEnd, i + perColumn);
        if (j == i)
            continue;
        perColumn = j - i;
        if (j - i <= 2) {
            // Few samples pass as they are, joined to a bar before them as the data runs.
            if (bar)
                push(s.X(i - 1), s.Y(i - 1));
            for (size_t k = i; k < j; ++k)
                push(s.X(k), s.Y(k));
            bar = false;
            i = j;
            continue;
        }
        // The column is drawn as one vertical stroke between its extremes, joined to the
        // previous column's stroke directly where that adds to neither column what the samples'
        // own line would not; otherwise through the samples on either side of the boundary.
        const TSeriesSummary::TMinMax mm = summary.RangeOf(s, i, j);
        const double centre = (s.X(i) + s.X(j - 1)) / 2;
        double entry = 0;
        bool joined = false;
        if (bar && barColumn == c - 1) {
            // What the samples' line adds to either column at the boundary, against what a
            // direct join would add.
            const double boundary = xMin + width * c;
            const double real = LineAt(s.X(i - 1), s.Y(i - 1), s.X(i), s.Y(i), boundary);
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
                push(s.X(i - 1), s.Y(i - 1));
            if (!out.X.empty())
                push(s.X(i), s.Y(i));
            entry = Nearer(s.Y(i), mm);
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
            push(s.X(stop - 1), s.Y(stop - 1));
        push(s.X(stop), s.Y(stop));
    }
}

} // namespace

void ReduceForView(const TSampleView& samples, const TSeriesSummary& summary, double xMin,
                   double xMax, int columns, TReducedPoints& out, double yTolerance)
{
    WithAccess(samples, [&](const auto& a) {
        ReduceOver(a, samples.Size, summary, xMin, xMax, columns, out, yTolerance);
    });
}

TReducedPoints ReduceForView(const std::vector<double>& x, const std::vector<double>& y,
                             const TSeriesSummary& summary, double xMin, double xMax, int columns,
                             double yTolerance)
{
    TReducedPoints out;
    ReduceForView(ViewOf(x, y), summary, xMin, xMax, columns, out, yTolerance);
    return out;
}

} // namespace zirko
