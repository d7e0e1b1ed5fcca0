#include "core/analysis/RangeStats.h"
#include "core/analysis/FlightAnalysis.h"
#include "core/analysis/FlightEvents.h"

#include <gtest/gtest.h>

#include <cmath>

using namespace zirko;

namespace {

// A glider flight every 0.5 s: a motor climb from 10 s to 40 s, then a slow glide with a thermal,
// a second short motor run at 100..104 s, the battery sagging while the motor runs.
TDataBlock HandMadeFlight()
{
    TDataBlock f;
    for (int i = 0; i <= 360; ++i) {
        const double t = 0.5 * i;
        const bool motor = (t >= 10 && t < 40) || (t >= 100 && t < 104);
        double h = 100;
        if (t >= 10)
            h += 6 * (std::min(t, 40.0) - 10);
        if (t > 40)
            h -= 0.6 * (t - 40) - 12 * std::sin((t - 40) / 12);
        f.Time.push_back(t);
        f.Altitude.push_back(h);
        f.Rx.push_back(motor ? 80 : -100);
        f.Voltage.push_back((motor ? 7.4 : 8.1) - 0.002 * t);
    }
    return f;
}

// The flight of samples lo..hi alone.
TDataBlock Slice(const TDataBlock& f, size_t lo, size_t hi)
{
    TDataBlock s;
    auto cut = [lo, hi](const std::vector<double>& v) {
        return v.empty() ? v
                         : std::vector<double>(v.begin() + static_cast<long>(lo),
                                               v.begin() + static_cast<long>(hi + 1));
    };
    s.Time = cut(f.Time);
    s.Altitude = cut(f.Altitude);
    s.Rx = cut(f.Rx);
    s.Voltage = cut(f.Voltage);
    return s;
}

} // namespace

TEST(NearestSample, TakesTheCloserNeighbourAndTheEarlierOfTwoAsNear)
{
    const std::vector<double> t{0, 1, 2, 4};
    EXPECT_EQ(NearestSample(t, -5), 0u);
    EXPECT_EQ(NearestSample(t, 0.4), 0u);
    EXPECT_EQ(NearestSample(t, 0.5), 0u);
    EXPECT_EQ(NearestSample(t, 0.6), 1u);
    EXPECT_EQ(NearestSample(t, 3.2), 3u);
    EXPECT_EQ(NearestSample(t, 3.0), 2u);
    EXPECT_EQ(NearestSample(t, 99), 3u);
    EXPECT_EQ(NearestSample({}, 1), 0u);
}

TEST(RangeStats, EqualTheAnalysisOfTheSamplesBetweenWithOffsetsOnAndOff)
{
    const TDataBlock f = HandMadeFlight();
    const TFlightEvents events = AnalyseEvents(f, {});
    // Ranges that start and stop inside a motor run, span both runs, or hold none.
    const std::pair<double, double> ranges[] = {{5, 25}, {20, 120}, {0, 180}, {45, 95}, {101, 103}};
    for (double offset : {0.0, 12.5, -30.25}) {
        for (const auto& [from, to] : ranges) {
            SCOPED_TRACE(testing::Message() << from << ".." << to << " offset " << offset);
            const auto r = AnalyseRange(f, events, from + offset, to + offset, offset);
            ASSERT_TRUE(r);
            EXPECT_EQ(r->FromTime, from);
            EXPECT_EQ(r->ToTime, to);
            const TDataBlock part = Slice(f, r->FromSample, r->ToSample);
            const TFlightStats s = AnalyseFlight(part);
            EXPECT_EQ(r->Duration, s.Duration);
            EXPECT_EQ(r->FromAltitude, part.Altitude.front());
            EXPECT_EQ(r->ToAltitude, part.Altitude.back());
            EXPECT_EQ(*r->Gain, part.Altitude.back() - part.Altitude.front());
            EXPECT_DOUBLE_EQ(*r->MeanClimb, *r->Gain / s.Duration);
            EXPECT_EQ(r->MaxAltitude, s.MaxAltitude);
            EXPECT_EQ(r->MinAltitude, s.MinAltitude);
            EXPECT_EQ(r->MinVoltage, s.MinVoltage);
            EXPECT_EQ(r->MeanVoltage, s.MeanVoltage);
            EXPECT_EQ(r->MotorTime, AnalyseEvents(part, {}).MotorTime);
        }
    }
}

TEST(RangeStats, MotorTimeCountsOnlyTheRunsInside)
{
    const TDataBlock f = HandMadeFlight();
    const TFlightEvents events = AnalyseEvents(f, {});
    EXPECT_DOUBLE_EQ(*AnalyseRange(f, events, 20, 120, 0)->MotorTime, 20 + 4);
    EXPECT_DOUBLE_EQ(*AnalyseRange(f, events, 0, 180, 0)->MotorTime, 30 + 4);
    EXPECT_DOUBLE_EQ(*AnalyseRange(f, events, 45, 95, 0)->MotorTime, 0);
    // Inside one run the motor runs all the time.
    EXPECT_DOUBLE_EQ(*AnalyseRange(f, events, 101, 103, 0)->MotorTime, 2);
}

TEST(RangeStats, FromAndToAreTheSamplesNearestTheChartTimesLessTheOffset)
{
    const TDataBlock f = HandMadeFlight();
    const TFlightEvents events = AnalyseEvents(f, {});
    // Drawn 10 s late: chart time 30.2 is flight time 20.2, nearest sample 20.0.
    const auto r = AnalyseRange(f, events, 30.2, 60.9, 10);
    ASSERT_TRUE(r);
    EXPECT_EQ(r->FromTime, 20.0);
    EXPECT_EQ(r->ToTime, 51.0);
    EXPECT_DOUBLE_EQ(*r->FromAltitude, 100 + 6 * 10);
    // With the offset switched off the same chart times read other samples.
    EXPECT_EQ(AnalyseRange(f, events, 30.2, 60.9, 0)->FromTime, 30.0);
}

TEST(RangeStats, ABackwardRangeHasNegativeDurationAndTheSameClimb)
{
    const TDataBlock f = HandMadeFlight();
    const TFlightEvents events = AnalyseEvents(f, {});
    const auto forward = AnalyseRange(f, events, 15, 35, 0);
    const auto backward = AnalyseRange(f, events, 35, 15, 0);
    ASSERT_TRUE(forward && backward);
    EXPECT_DOUBLE_EQ(forward->Duration, 20);
    EXPECT_DOUBLE_EQ(backward->Duration, -20);
    EXPECT_DOUBLE_EQ(*forward->Gain, 120);
    EXPECT_DOUBLE_EQ(*backward->Gain, -120);
    EXPECT_DOUBLE_EQ(*forward->MeanClimb, 6);
    EXPECT_DOUBLE_EQ(*backward->MeanClimb, 6);
    EXPECT_EQ(forward->MaxAltitude, backward->MaxAltitude);
    EXPECT_EQ(forward->MotorTime, backward->MotorTime);
}

TEST(RangeStats, MissingChannelsAndRangesOutsideTheFlightGiveNothing)
{
    TDataBlock f = HandMadeFlight();
    const TFlightEvents events = AnalyseEvents(f, {});
    EXPECT_FALSE(AnalyseRange(f, events, 200, 300, 0));
    EXPECT_FALSE(AnalyseRange(f, events, -50, -1, 0));
    EXPECT_FALSE(AnalyseRange(f, events, 10, 20, 500)); // the flight is drawn far later
    EXPECT_FALSE(AnalyseRange(f, events, std::nan(""), 20, 0));
    EXPECT_FALSE(AnalyseRange(TDataBlock{}, events, 0, 1, 0));
    // A range reaching past the flight ends at its last sample.
    EXPECT_EQ(AnalyseRange(f, events, 170, 500, 0)->ToTime, 180.0);

    // One moment: no time passes, so no mean climb.
    const auto point = AnalyseRange(f, events, 50, 50.1, 0);
    ASSERT_TRUE(point);
    EXPECT_EQ(point->Duration, 0);
    EXPECT_EQ(point->Gain, 0);
    EXPECT_FALSE(point->MeanClimb);

    f.Voltage.clear();
    f.Rx.clear();
    const auto bare = AnalyseRange(f, AnalyseEvents(f, {}), 20, 60, 0);
    ASSERT_TRUE(bare);
    EXPECT_TRUE(bare->MaxAltitude);
    EXPECT_FALSE(bare->MinVoltage);
    EXPECT_FALSE(bare->MeanVoltage);
    EXPECT_FALSE(bare->MotorTime);
}
