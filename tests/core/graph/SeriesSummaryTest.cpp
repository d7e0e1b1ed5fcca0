#include "core/graph/SeriesSummary.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <random>

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

TEST(SeriesSummary, ShiftMovesTheExtremes)
{
    std::vector<double> y = RandomWalk(5000, 3);
    TSeriesSummary s;
    s.Build(y);
    s.ShiftValues(2.5);
    for (double& v : y)
        v += 2.5;
    const auto [lo, hi] = std::minmax_element(y.begin() + 100, y.begin() + 4321);
    EXPECT_EQ(s.Range(y, 100, 4321).Min, *lo);
    EXPECT_EQ(s.Range(y, 100, 4321).Max, *hi);
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
