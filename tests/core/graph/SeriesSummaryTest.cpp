#include "core/graph/SeriesSummary.h"
#include "core/graph/SeriesTransform.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <random>
#include <string>
#include <tuple>

namespace zirko {
namespace {

std::vector<double> RandomWalk(size_t n, unsigned seed)
{
    std::mt19937 gen(seed);
    std::normal_distribution<double> step(0, 1);
    std::vector<double> y(n);
    double v = 0;
    for (double& s : y) {
        v += step(gen);
        s = v;
    }
    return y;
}

TEST(SeriesSummary, RangeMatchesBruteForce)
{
    for (size_t n : {size_t{0}, size_t{5}, size_t{16}, size_t{17}, size_t{1000}, size_t{40001}}) {
        const std::vector<double> y = RandomWalk(n, static_cast<unsigned>(n));
        TSeriesSummary s;
        s.Build(y);
        std::mt19937 gen(7);
        for (int k = 0; k < 300 && n > 0; ++k) {
            std::uniform_int_distribution<size_t> pick(0, n - 1);
            size_t a = pick(gen);
            size_t b = pick(gen);
            if (a > b)
                std::swap(a, b);
            ++b;
            const auto [lo, hi] = std::minmax_element(y.begin() + static_cast<long>(a),
                                                      y.begin() + static_cast<long>(b));
            const TSeriesSummary::TMinMax r = s.Range(y, a, b);
            ASSERT_EQ(r.Min, *lo) << n << " " << a << " " << b;
            ASSERT_EQ(r.Max, *hi) << n << " " << a << " " << b;
        }
    }
}

// The table of the stored values serves every offset and scale they are shown with.
TEST(SeriesSummary, ShiftMovesTheExtremes)
{
    const std::vector<double> y = RandomWalk(5000, 3);
    TSeriesSummary s;
    s.Build(y);
    const TSeriesSummary::TMinMax stored = s.Range(y, 100, 4321);
    for (const TSeriesTransform t :
         {TSeriesTransform{0, 1, 0, 2.5}, TSeriesTransform{3, -0.5, 1, 2}}) {
        std::vector<double> shown = y;
        for (double& v : shown)
            v = t.Y(v);
        const auto [lo, hi] = std::minmax_element(shown.begin() + 100, shown.begin() + 4321);
        const auto [min, max] = t.YRange(stored.Min, stored.Max);
        EXPECT_EQ(min, *lo);
        EXPECT_EQ(max, *hi);
    }
}

// Samples picked by an index table read as if they had been copied out.
TEST(SeriesSummary, PickedSamplesReduceAsTheirCopy)
{
    const size_t n = 60000;
    std::vector<double> x(n);
    for (size_t i = 0; i < n; ++i)
        x[i] = static_cast<double>(i) * 0.01;
    const std::vector<double> y = RandomWalk(n, 5);
    std::vector<uint32_t> picked;
    std::vector<double> px, py;
    for (uint32_t i = 0; i < n; i += 1 + i % 3) {
        picked.push_back(i);
        px.push_back(x[i]);
        py.push_back(y[i]);
    }
    const TSampleView view{x.data(), y.data(), picked.data(), picked.size()};
    TSeriesSummary viewed;
    viewed.Build(view);
    TSeriesSummary copied;
    copied.Build(py);
    EXPECT_EQ(viewed.Range(view, 7, 30001).Min, copied.Range(py, 7, 30001).Min);
    EXPECT_EQ(viewed.Range(view, 7, 30001).Max, copied.Range(py, 7, 30001).Max);
    TReducedPoints fromView;
    ReduceForView(view, viewed, 50, 450, 300, fromView, 0.1);
    const TReducedPoints fromCopy = ReduceForView(px, py, copied, 50, 450, 300, 0.1);
    EXPECT_GT(fromView.X.size(), 300u);
    EXPECT_EQ(fromView.X, fromCopy.X);
    EXPECT_EQ(fromView.Y, fromCopy.Y);
}

// Every pixel column of the reduced view covers the same vertical extent as the raw samples.
TEST(SeriesSummary, ReducedViewKeepsEveryColumnsExtremes)
{
    const size_t n = 200000;
    std::vector<double> x(n);
    for (size_t i = 0; i < n; ++i)
        x[i] = static_cast<double>(i) * 0.01;
    const std::vector<double> y = RandomWalk(n, 11);
    TSeriesSummary s;
    s.Build(y);
    const double xMin = 100;
    const double xMax = 1700;
    const int columns = 400;
    const TReducedPoints r = ReduceForView(x, y, s, xMin, xMax, columns);
    ASSERT_LE(r.X.size(), size_t{4} * columns + 2);
    ASSERT_TRUE(std::is_sorted(r.X.begin(), r.X.end()));
    EXPECT_LT(r.X.front(), xMin);
    EXPECT_GT(r.X.back(), xMax);
    const double width = (xMax - xMin) / columns;
    for (int c = 0; c < columns; c += 37) {
        const double a = xMin + c * width;
        const double b = xMin + (c + 1) * width;
        double rawLo = INFINITY, rawHi = -INFINITY, redLo = INFINITY, redHi = -INFINITY;
        for (size_t i = 0; i < n; ++i)
            if (x[i] > a && x[i] <= b) {
                rawLo = std::min(rawLo, y[i]);
                rawHi = std::max(rawHi, y[i]);
            }
        for (size_t i = 0; i < r.X.size(); ++i)
            if (r.X[i] > a && r.X[i] <= b) {
                redLo = std::min(redLo, r.Y[i]);
                redHi = std::max(redHi, r.Y[i]);
            }
        EXPECT_NEAR(redLo, rawLo, 1e-12) << c;
        EXPECT_NEAR(redHi, rawHi, 1e-12) << c;
    }
}

// The extent of a polyline within each column [xMin + c w, xMin + (c + 1) w], segments clipped.
std::vector<TSeriesSummary::TMinMax> ColumnExtents(const std::vector<double>& x,
                                                   const std::vector<double>& y, double xMin,
                                                   double xMax, int columns)
{
    const double w = (xMax - xMin) / columns;
    std::vector<TSeriesSummary::TMinMax> out(static_cast<size_t>(columns), {INFINITY, -INFINITY});
    auto take = [&out](int c, double v) {
        out[static_cast<size_t>(c)].Min = std::min(out[static_cast<size_t>(c)].Min, v);
        out[static_cast<size_t>(c)].Max = std::max(out[static_cast<size_t>(c)].Max, v);
    };
    for (size_t k = 0; k + 1 < x.size(); ++k) {
        const double x0 = x[k], x1 = x[k + 1], y0 = y[k], y1 = y[k + 1];
        if (x1 < xMin || x0 > xMax)
            continue;
        const int c0 = std::clamp(static_cast<int>(std::floor((x0 - xMin) / w)), 0, columns - 1);
        const int c1 = std::clamp(static_cast<int>(std::floor((x1 - xMin) / w)), 0, columns - 1);
        for (int c = c0; c <= c1; ++c) {
            const double lo = std::max(x0, xMin + c * w);
            const double hi = std::min(x1, xMin + (c + 1) * w);
            if (lo > hi)
                continue;
            auto at = [&](double v) {
                return x1 == x0 ? y1 : y0 + (y1 - y0) * (v - x0) / (x1 - x0);
            };
            take(c, x1 == x0 ? y0 : at(lo));
            take(c, at(hi));
        }
    }
    return out;
}

// Drawn over pixel columns, the reduced line covers in every column what the samples' own line
// covers there, to within the tolerance it was made for: extremes, jumps between samples, gaps.
TEST(SeriesSummary, ReducedLineCoversWhatTheSamplesLineCovers)
{
    const size_t n = 120000;
    std::mt19937 gen(5);
    std::uniform_real_distribution<double> noise(-1, 1);
    struct TCase {
        const char* Name;
        std::vector<double> X, Y;
    };
    std::vector<TCase> cases(5);
    for (TCase& c : cases) {
        c.X.resize(n);
        c.Y.resize(n);
    }
    cases[0].Name = "random walk";
    cases[0].Y = RandomWalk(n, 21);
    cases[1].Name = "smooth sine";
    cases[2].Name = "square wave";
    cases[3].Name = "sine with a gap and noise";
    // Flat within each column of the first view below, jumping between its columns.
    cases[4].Name = "a level per column";
    for (size_t i = 0; i < n; ++i) {
        const double t = static_cast<double>(i) * 0.01 + 0.003;
        for (TCase& c : cases)
            c.X[i] = t;
        cases[1].Y[i] = 50 * std::sin(t / 40);
        cases[2].Y[i] = std::fmod(t, 13.7) < 6.1 ? 0 : 100;
        cases[3].X[i] = i < n / 2 ? t : t + 97.3;
        cases[3].Y[i] = 30 * std::sin(t / 3) + noise(gen);
        cases[4].Y[i] =
            static_cast<double>(static_cast<long>(std::floor((t - 50) / 2.75)) % 7) * 10;
    }
    for (const TCase& c : cases) {
        TSeriesSummary s;
        s.Build(c.Y);
        for (const double tolerance : {0.0, 0.05}) {
            for (const auto& [xMin, xMax, columns] :
                 {std::tuple{50.0, 1150.0, 400}, std::tuple{0.0, 1300.0, 997},
                  std::tuple{311.1, 600.2, 150}}) {
                const TReducedPoints r = ReduceForView(c.X, c.Y, s, xMin, xMax, columns, tolerance);
                ASSERT_TRUE(std::is_sorted(r.X.begin(), r.X.end())) << c.Name;
                const auto raw = ColumnExtents(c.X, c.Y, xMin, xMax, columns);
                const auto reduced = ColumnExtents(r.X, r.Y, xMin, xMax, columns);
                for (int col = 0; col < columns; ++col) {
                    const auto& a = raw[static_cast<size_t>(col)];
                    const auto& b = reduced[static_cast<size_t>(col)];
                    if (std::isinf(a.Min)) {
                        EXPECT_TRUE(std::isinf(b.Min)) << c.Name << " column " << col;
                        continue;
                    }
                    ASSERT_NEAR(b.Min, a.Min, tolerance + 1e-9)
                        << c.Name << " tolerance " << tolerance << " column " << col;
                    ASSERT_NEAR(b.Max, a.Max, tolerance + 1e-9)
                        << c.Name << " tolerance " << tolerance << " column " << col;
                }
                // A smooth line needs about two points a column.
                if (std::string(c.Name) == "smooth sine" && tolerance > 0) {
                    EXPECT_LE(r.X.size(), static_cast<size_t>(2.2 * columns) + 4) << xMin;
                }
                EXPECT_LE(r.X.size(), static_cast<size_t>(4 * columns) + 3) << c.Name;
            }
        }
    }
}

TEST(SeriesSummary, ZoomedViewPassesRawSamples)
{
    std::vector<double> x{0, 1, 2, 3, 4, 5, 6, 7, 8, 9};
    std::vector<double> y{5, 4, 3, 2, 1, 0, 1, 2, 3, 4};
    TSeriesSummary s;
    s.Build(y);
    const TReducedPoints r = ReduceForView(x, y, s, 2.5, 6.5, 100);
    EXPECT_EQ(r.X, (std::vector<double>{2, 3, 4, 5, 6, 7}));
    EXPECT_EQ(r.Y, (std::vector<double>{3, 2, 1, 0, 1, 2}));
    EXPECT_TRUE(ReduceForView({}, {}, s, 0, 1, 10).X.empty());
}

} // namespace
} // namespace zirko
