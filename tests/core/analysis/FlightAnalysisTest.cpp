#include "core/analysis/FlightAnalysis.h"

#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <random>

using namespace zirko;

namespace {

// A flight sampled every `period` seconds from `start`, its altitude given by `height(t)`.
TDataBlock Flight(size_t samples, double period, const std::function<double(double)>& height,
                  double start = 0)
{
    TDataBlock f;
    for (size_t i = 0; i < samples; ++i) {
        const double t = start + period * static_cast<double>(i);
        f.Time.push_back(t);
        f.Altitude.push_back(height(t));
    }
    return f;
}

// The slope over samples lo..hi taken the plain way, around the window's own means.
double DirectSlope(const TDataBlock& f, size_t lo, size_t hi)
{
    double tm = 0, hm = 0;
    for (size_t j = lo; j <= hi; ++j) {
        tm += f.Time[j];
        hm += f.Altitude[j];
    }
    const double m = static_cast<double>(hi - lo + 1);
    tm /= m;
    hm /= m;
    double num = 0, den = 0;
    for (size_t j = lo; j <= hi; ++j) {
        num += (f.Time[j] - tm) * (f.Altitude[j] - hm);
        den += (f.Time[j] - tm) * (f.Time[j] - tm);
    }
    return den == 0 ? 0 : num / den;
}

} // namespace

TEST(ClimbRate, WindowIsAboutOneSecondOfTheMeanSamplePeriod)
{
    EXPECT_EQ(ClimbHalfWindow(Flight(100, 0.1, [](double) { return 0.0; }).Time), 5u);
    EXPECT_EQ(ClimbHalfWindow(Flight(100, 0.25, [](double) { return 0.0; }).Time), 2u);
    EXPECT_EQ(ClimbHalfWindow(Flight(100, 0.02, [](double) { return 0.0; }).Time), 25u);
    EXPECT_EQ(ClimbHalfWindow(Flight(100, 2.0, [](double) { return 0.0; }).Time), 1u);
    EXPECT_EQ(ClimbHalfWindow(Flight(1, 0.1, [](double) { return 0.0; }).Time), 1u);
    EXPECT_EQ(ClimbHalfWindow({5.0, 5.0, 5.0}), 1u); // no time passes
    // A window wider than the flight is the flight.
    EXPECT_EQ(ClimbHalfWindow({0.0, 1e-9, 2e-9}), 3u);
}

TEST(ClimbRate, StraightClimbGivesItsSlopeEverywhereEvenLateInALongFlight)
{
    for (double start : {0.0, 150000.0}) {
        const TDataBlock f = Flight(
            400, 0.1, [start](double t) { return 120 + 1.5 * (t - start); }, start);
        const auto c = ClimbRate(f);
        ASSERT_EQ(c.size(), f.Time.size());
        for (size_t i = 0; i < c.size(); ++i)
            ASSERT_NEAR(c[i], 1.5, 1e-9) << "sample " << i << " from " << start;
    }
}

TEST(ClimbRate, ParabolaGivesTheSlopeAtTheCentreOfEveryFullWindow)
{
    for (double period : {0.1, 0.25, 0.02}) {
        const TDataBlock f = Flight(600, period, [](double t) { return 0.2 * t * t - 3 * t; });
        const auto c = ClimbRate(f);
        const size_t k = ClimbHalfWindow(f.Time);
        for (size_t i = k; i + k < c.size(); ++i)
            ASSERT_NEAR(c[i], 0.4 * f.Time[i] - 3, 1e-7) << "period " << period << " i " << i;
        // At the ends the window is one-sided, so the slope lags the centre's.
        EXPECT_GT(c[0], -3);
    }
}

TEST(ClimbRate, EveryWindowMatchesTheDirectSlopeIncludingTheShrunkenEnds)
{
    std::mt19937 random(7);
    std::normal_distribution<double> noise(0, 0.8);
    for (double period : {0.1, 0.25, 0.02}) {
        TDataBlock f = Flight(3000, period, [&](double t) { return 50 + 10 * std::sin(t / 7); });
        for (double& h : f.Altitude)
            h += noise(random);
        const auto c = ClimbRate(f);
        const size_t k = ClimbHalfWindow(f.Time);
        const size_t n = c.size();
        for (size_t i = 0; i < n; ++i) {
            const size_t lo = i > k ? i - k : 0;
            const size_t hi = std::min(n - 1, i + k);
            ASSERT_NEAR(c[i], DirectSlope(f, lo, hi), 1e-9) << "period " << period << " i " << i;
        }
    }
}

TEST(ClimbRate, FewSamplesConstantAltitudeAndStandingTime)
{
    EXPECT_TRUE(ClimbRate(TDataBlock{}).empty());
    EXPECT_EQ(ClimbRate(Flight(1, 0.1, [](double) { return 7.0; })), std::vector<double>{0.0});
    const auto two = ClimbRate(Flight(2, 0.5, [](double t) { return 10 + 4 * t; }));
    ASSERT_EQ(two.size(), 2u);
    EXPECT_DOUBLE_EQ(two[0], 4);
    EXPECT_DOUBLE_EQ(two[1], 4);
    for (double v : ClimbRate(Flight(50, 0.1, [](double) { return 321.5; })))
        EXPECT_EQ(v, 0);
    TDataBlock still;
    still.Time = {3, 3, 3, 3};
    still.Altitude = {1, 5, 2, 8};
    for (double v : ClimbRate(still))
        EXPECT_EQ(v, 0);
    TDataBlock noAltitude;
    noAltitude.Time = {0, 0.1, 0.2};
    EXPECT_TRUE(ClimbRate(noAltitude).empty());
}

namespace {

// A flight of given altitudes, one sample per second.
TDataBlock Heights(std::vector<double> heights)
{
    TDataBlock f;
    for (size_t i = 0; i < heights.size(); ++i)
        f.Time.push_back(static_cast<double>(i));
    f.Altitude = std::move(heights);
    return f;
}

} // namespace

TEST(FlightStats, LaunchLandingAndTimeAloftOfHandMadeFlights)
{
    // Launched at 2 s, lands at 120 m (above its 100 m start): the last sample 2 m over the end
    // is at 5 s.
    auto s = AnalyseFlight(Heights({100, 101.9, 102, 150, 140, 122, 121, 120}));
    EXPECT_EQ(s.Samples, 8u);
    EXPECT_EQ(s.Duration, 7);
    EXPECT_EQ(s.StartAltitude, 100);
    EXPECT_EQ(s.MinAltitude, 100);
    EXPECT_EQ(s.MaxAltitude, 150);
    EXPECT_EQ(s.AltitudeGain, 50);
    EXPECT_EQ(s.LaunchTime, 2);
    EXPECT_EQ(s.LandingTime, 5);
    EXPECT_EQ(s.TimeAloft, 3);
    ASSERT_TRUE(s.MaxClimbRate && s.MaxSinkRate);
    EXPECT_GT(*s.MaxClimbRate, 0);
    EXPECT_GT(*s.MaxSinkRate, 0);

    // Never 2 m over the start: no launch, and no landing either as it never was 2 m over its end.
    s = AnalyseFlight(Heights({50, 51, 51.9, 51, 50}));
    EXPECT_FALSE(s.LaunchTime);
    EXPECT_FALSE(s.LandingTime);
    EXPECT_FALSE(s.TimeAloft);
    EXPECT_NEAR(*s.AltitudeGain, 1.9, 1e-12);

    // Thrown from a hill: it only sinks below its start, so it lands but never launched.
    s = AnalyseFlight(Heights({300, 290, 250, 200, 180, 180}));
    EXPECT_FALSE(s.LaunchTime);
    EXPECT_EQ(s.LandingTime, 3);
    EXPECT_FALSE(s.TimeAloft);
    EXPECT_EQ(s.MinAltitude, 180);
    EXPECT_EQ(s.AltitudeGain, 0);
    EXPECT_NEAR(*s.MaxClimbRate, 0, 1e-12); // the end's flat window
    EXPECT_GT(*s.MaxSinkRate, 30);

    // Dips between launch and landing change neither.
    s = AnalyseFlight(Heights({100, 105, 96, 110, 100, 100}));
    EXPECT_EQ(s.LaunchTime, 1);
    EXPECT_EQ(s.LandingTime, 3);
    EXPECT_EQ(s.TimeAloft, 2);
    s = AnalyseFlight(Heights({10, 14, 10, 10, 9, 11, 9}));
    EXPECT_EQ(s.LaunchTime, 1);
    EXPECT_EQ(s.LandingTime, 5);
}

TEST(FlightStats, MissingChannelsAndTooFewSamplesGiveNoValues)
{
    TDataBlock empty;
    auto s = AnalyseFlight(empty);
    EXPECT_EQ(s.Samples, 0u);
    EXPECT_EQ(s.Duration, 0);
    EXPECT_FALSE(s.StartAltitude || s.MinAltitude || s.LaunchTime || s.MaxClimbRate ||
                 s.MeanVoltage);

    TDataBlock one = Heights({42});
    one.Voltage = {7.5};
    s = AnalyseFlight(one);
    EXPECT_EQ(s.Duration, 0);
    EXPECT_EQ(s.StartAltitude, 42);
    EXPECT_EQ(s.AltitudeGain, 0);
    EXPECT_FALSE(s.MaxClimbRate);
    EXPECT_FALSE(s.MaxSinkRate);
    EXPECT_EQ(s.MeanVoltage, 7.5);

    // Voltage without altitude.
    TDataBlock battery;
    battery.Time = {0, 1, 2, 3};
    battery.Voltage = {8.4, 8.1, 8.2, 7.9};
    s = AnalyseFlight(battery);
    EXPECT_FALSE(s.StartAltitude || s.MaxAltitude || s.LaunchTime || s.LandingTime || s.TimeAloft ||
                 s.MaxClimbRate || s.MaxSinkRate);
    EXPECT_EQ(s.MinVoltage, 7.9);
    EXPECT_EQ(s.MaxVoltage, 8.4);
    EXPECT_DOUBLE_EQ(*s.MeanVoltage, (8.4 + 8.1 + 8.2 + 7.9) / 4);

    // Altitude without voltage.
    s = AnalyseFlight(Heights({1, 2, 3}));
    EXPECT_FALSE(s.MinVoltage || s.MaxVoltage || s.MeanVoltage);
    EXPECT_TRUE(s.MaxClimbRate);
}

// Values near the largest double: their sum overflows, their mean does not.
TEST(FlightStats, TheMeanOfHugeValuesDoesNotOverflow)
{
    TDataBlock f;
    f.Time = {0, 1, 2, 3};
    f.Voltage = {1.5e308, 1.7e308, 1.6e308, 1.4e308};
    auto s = AnalyseFlight(f);
    ASSERT_TRUE(s.MeanVoltage);
    EXPECT_NEAR(*s.MeanVoltage / 1e308, 1.55, 1e-12);
    f.Voltage = {-1.7e308, -1.7e308, 1.7e308, 1.6e308};
    s = AnalyseFlight(f);
    EXPECT_NEAR(*s.MeanVoltage / 1e308, -0.025, 1e-12);
}

TEST(FlightStats, AGivenClimbRateIsUsedAndLaunchIndexNamesTheSample)
{
    const TDataBlock f = Heights({100, 101, 103, 104, 100});
    const std::vector<double> climb{0.5, -2.5, 3.25, 1, 0};
    const auto s = AnalyseFlight(f, &climb);
    EXPECT_EQ(s.MaxClimbRate, 3.25);
    EXPECT_EQ(s.MaxSinkRate, 2.5);
    EXPECT_EQ(LaunchIndex(f), 2u);
    EXPECT_FALSE(LaunchIndex(Heights({5, 6, 6.5})));
    EXPECT_FALSE(LaunchIndex(TDataBlock{}));
}
