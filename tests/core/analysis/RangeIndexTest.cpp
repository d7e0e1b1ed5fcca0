// The block summaries give the Range table the numbers a pass over the samples gives.
#include "core/analysis/RangeIndex.h"
#include "core/analysis/FlightEvents.h"
#include "core/graph/RangeTable.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

using namespace zirko;

namespace {

// A long flight every 0.1 s: climbs under motor every 200 s, glides with a thermal between, the
// battery sagging under load. Altitudes repeat often, zeros of both signs among them, so that
// the choice among equal extremes shows.
TDataBlock LongFlight(size_t samples)
{
    TDataBlock f;
    for (size_t i = 0; i < samples; ++i) {
        const double t = 0.1 * static_cast<double>(i);
        const bool motor = std::fmod(t, 200) < 30;
        const double h = std::round(std::fmod(t, 200) < 30 ? 4 * std::fmod(t, 200)
                                                           : 120 - 0.4 * (std::fmod(t, 200) - 30) +
                                                                 15 * std::sin(t / 9));
        f.Time.push_back(t);
        f.Altitude.push_back(h == 0 && i % 3 == 0 ? -0.0 : h);
        f.Rx.push_back(motor ? 90 : -100);
        f.Voltage.push_back((motor ? 7.31 : 8.07) - 0.00001 * t + 0.003 * std::sin(t * 7));
    }
    return f;
}

// Every number the same to the last bit; the mean voltage as it reads in the table.
void ExpectSame(const std::optional<TRangeStats>& fast, const std::optional<TRangeStats>& slow)
{
    ASSERT_EQ(fast.has_value(), slow.has_value());
    if (!slow)
        return;
    EXPECT_EQ(fast->FromSample, slow->FromSample);
    EXPECT_EQ(fast->ToSample, slow->ToSample);
    EXPECT_EQ(fast->Duration, slow->Duration);
    EXPECT_EQ(fast->FromAltitude, slow->FromAltitude);
    EXPECT_EQ(fast->ToAltitude, slow->ToAltitude);
    EXPECT_EQ(fast->Gain, slow->Gain);
    EXPECT_EQ(fast->MeanClimb, slow->MeanClimb);
    ASSERT_EQ(fast->MaxAltitude.has_value(), slow->MaxAltitude.has_value());
    if (slow->MaxAltitude) {
        EXPECT_EQ(*fast->MaxAltitude, *slow->MaxAltitude);
        EXPECT_EQ(std::signbit(*fast->MaxAltitude), std::signbit(*slow->MaxAltitude));
        EXPECT_EQ(*fast->MinAltitude, *slow->MinAltitude);
        EXPECT_EQ(std::signbit(*fast->MinAltitude), std::signbit(*slow->MinAltitude));
    }
    EXPECT_EQ(fast->MinVoltage, slow->MinVoltage);
    EXPECT_EQ(fast->MotorTime, slow->MotorTime);
    ASSERT_EQ(fast->MeanVoltage.has_value(), slow->MeanVoltage.has_value());
    if (slow->MeanVoltage) {
        EXPECT_NEAR(*fast->MeanVoltage, *slow->MeanVoltage, 1e-12 * std::fabs(*slow->MeanVoltage));
    }
    EXPECT_EQ(RangeCells({"f", fast}, ','), RangeCells({"f", slow}, ','));
}

} // namespace

TEST(RangeIndex, EqualsTheAnalysisOfTheSamplesWithOffsetsOnAndOff)
{
    const TDataBlock flight = LongFlight(60000);
    // Upside down, the zeros are the highest altitudes.
    TDataBlock below = flight;
    for (double& h : below.Altitude)
        h = -h;
    const double end = flight.Time.back();
    // Short and long, forward and backward, on block edges, over the flight's ends and outside.
    const std::pair<double, double> ranges[] = {
        {10, 12},        {102.3, 102.4},    {0, end},           {end, 0},
        {1500.05, 33.3}, {33.3, 1500.05},   {102.4, 204.7},     {204.8, 5529.6},
        {-50, 800},      {5000, end + 100}, {-90, -10},         {end + 1, end + 9},
        {409.5, 409.5},  {2000, 2409.6},    {3000.04, 3000.05}, {1, 5990},
    };
    const TDataBlock* flights[] = {&flight, &below};
    for (const TDataBlock* f : flights) {
        const TFlightEvents events = AnalyseEvents(*f, {});
        const TRangeIndex index(*f);
        for (double offset : {0.0, 17.35, -250.0}) {
            for (const auto& [from, to] : ranges) {
                SCOPED_TRACE(testing::Message() << from << ".." << to << " offset " << offset);
                ExpectSame(index.Analyse(*f, events, from + offset, to + offset, offset,
                                         kRangeVoltageDecimals),
                           AnalyseRange(*f, events, from + offset, to + offset, offset));
            }
        }
    }
}

TEST(RangeIndex, AMeanThatCouldReadOtherwiseIsSummedSampleBySample)
{
    // Every voltage 7.005, which shows as 7.00 or 7.01 depending on the last bits of the mean.
    TDataBlock f = LongFlight(30000);
    for (double& v : f.Voltage)
        v = 7.005;
    const TFlightEvents events = AnalyseEvents(f, {});
    const TRangeIndex index(f);
    for (const auto& [from, to] : {std::pair{0.0, 2999.9}, {2500.0, 10.0}, {409.6, 1638.3}}) {
        const auto fast = index.Analyse(f, events, from, to, 0, kRangeVoltageDecimals);
        const auto slow = AnalyseRange(f, events, from, to, 0);
        ASSERT_TRUE(fast && slow);
        EXPECT_EQ(*fast->MeanVoltage, *slow->MeanVoltage);
    }
}

TEST(RangeIndex, FlightsItCannotSummariseAreAnalysedSampleBySample)
{
    TDataBlock f = LongFlight(20000);
    const TFlightEvents events = AnalyseEvents(f, {});
    // Built for another flight of other length: the flight asked about counts.
    const TRangeIndex other(LongFlight(12000));
    ExpectSame(other.Analyse(f, events, 100, 1900, 0, 2), AnalyseRange(f, events, 100, 1900, 0));

    // Values no sum may hold: the pass over the samples settles what the extremes are.
    TDataBlock odd = f;
    odd.Voltage[5000] = std::numeric_limits<double>::infinity();
    odd.Altitude[7000] = std::numeric_limits<double>::quiet_NaN();
    odd.Altitude[9000] = 1e300;
    const TRangeIndex oddIndex(odd);
    const auto fast = oddIndex.Analyse(odd, events, 100, 1900, 0, 2);
    const auto slow = AnalyseRange(odd, events, 100, 1900, 0);
    ASSERT_TRUE(fast && slow);
    EXPECT_EQ(RangeCells({"f", fast}, '.'), RangeCells({"f", slow}, '.'));

    // Without a voltage channel, and without altitude.
    TDataBlock bare = f;
    bare.Voltage.clear();
    ExpectSame(TRangeIndex(bare).Analyse(bare, events, 50, 1800, 3, 2),
               AnalyseRange(bare, events, 50, 1800, 3));
    bare.Altitude.clear();
    ExpectSame(TRangeIndex(bare).Analyse(bare, events, 1800, 50, 3, 2),
               AnalyseRange(bare, events, 1800, 50, 3));
}
