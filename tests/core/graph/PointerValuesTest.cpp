#include "core/graph/PointerValues.h"

#include <gtest/gtest.h>

#include <vector>

using namespace zirko;

TEST(NearestSampleIndex, PicksTheCloserNeighbourTheEarlierOnATieAndTheEndsOutside)
{
    const std::vector<double> time{0, 1, 2, 4, 8};
    EXPECT_EQ(NearestSampleIndex(time, 2.9), 2u);
    EXPECT_EQ(NearestSampleIndex(time, 3.1), 3u);
    EXPECT_EQ(NearestSampleIndex(time, 3.0), 2u); // halfway between 2 and 4
    EXPECT_EQ(NearestSampleIndex(time, 6.0), 3u);
    EXPECT_EQ(NearestSampleIndex(time, 4.0), 3u); // exactly on a sample
    EXPECT_EQ(NearestSampleIndex(time, 0.0), 0u);
    EXPECT_EQ(NearestSampleIndex(time, -50), 0u);
    EXPECT_EQ(NearestSampleIndex(time, 8.0), 4u);
    EXPECT_EQ(NearestSampleIndex(time, 1e9), 4u);
    EXPECT_EQ(NearestSampleIndex(std::vector<double>{5}, -1), 0u);
    EXPECT_EQ(NearestSampleIndex(std::vector<double>{5}, 9), 0u);
    EXPECT_FALSE(NearestSampleIndex(std::vector<double>{}, 1).has_value());
}

namespace {

struct TFlightArrays {
    std::vector<double> Time{0, 0.5, 1.0, 1.5, 2.0};
    std::vector<double> Altitude{10, 11, 12, 13, 14};
    std::vector<double> Servo{-50, -25, 0, 25, 50};
    std::vector<double> Voltage{4.8, 4.79, 4.78, 4.77, 4.76};
    std::vector<double> Climb{0.5, 1.5, 2.5, 3.5, 4.5};

    TPointerFlight View() const
    {
        TPointerFlight f;
        f.Time = Time;
        f.Altitude = Altitude;
        f.Servo = Servo;
        f.Voltage = Voltage;
        f.Climb = Climb;
        f.AltitudeShown = TSeriesTransform{};
        f.ServoShown = TSeriesTransform{};
        f.VoltageShown = TSeriesTransform{};
        f.ClimbShown = true;
        return f;
    }
};

} // namespace

TEST(SampleAtPointer, ReadsEveryShownChannelAtTheNearestSample)
{
    const TFlightArrays a;
    const auto s = SampleAtPointer(a.View(), 1.2);
    ASSERT_TRUE(s.has_value());
    EXPECT_EQ(s->Index, 2u);
    EXPECT_DOUBLE_EQ(s->Time, 1.0);
    EXPECT_DOUBLE_EQ(s->ShownTime, 1.0);
    EXPECT_DOUBLE_EQ(*s->Altitude, 12);
    EXPECT_DOUBLE_EQ(*s->Servo, 0);
    EXPECT_DOUBLE_EQ(*s->Voltage, 4.78);
    EXPECT_DOUBLE_EQ(*s->Climb, 2.5);
}

TEST(SampleAtPointer, TheTimeOffsetMovesTheSampleAndValueOffsetsAndTheServoMapApply)
{
    const TFlightArrays a;
    TPointerFlight f = a.View();
    f.TimeOffset = 10; // sample at stored 0.5 is drawn at 10.5
    f.AltitudeShown = TSeriesTransform{10, 1, 0, -100};
    // Deflection -5..5 from percent, plus an offset of 1.
    f.ServoShown = TSeriesTransform{10, 0.05, 0, 1};
    f.VoltageShown = TSeriesTransform{10, 1, 0, 0.2};
    const auto s = SampleAtPointer(f, 10.6);
    ASSERT_TRUE(s.has_value());
    EXPECT_EQ(s->Index, 1u);
    EXPECT_DOUBLE_EQ(s->Time, 0.5);
    EXPECT_DOUBLE_EQ(s->ShownTime, 10.5);
    EXPECT_DOUBLE_EQ(*s->Altitude, 11 - 100);
    EXPECT_DOUBLE_EQ(*s->Servo, -25 * 0.05 + 1);
    EXPECT_DOUBLE_EQ(*s->Voltage, 4.79 + 0.2);
    EXPECT_DOUBLE_EQ(*s->Climb, 1.5); // the climb rate never takes an offset

    // The same pointer with the offsets switched off finds the flight's last sample.
    f = a.View();
    const auto off = SampleAtPointer(f, 10.6);
    ASSERT_TRUE(off.has_value());
    EXPECT_EQ(off->Index, 4u);
    EXPECT_DOUBLE_EQ(*off->Altitude, 14);
}

TEST(SampleAtPointer, APointerBeyondTheFlightsEndsIsMarkedOutside)
{
    const TFlightArrays a; // 0 .. 2 s, 0.5 s apart
    TPointerFlight f = a.View();
    f.TimeOffset = 100;
    EXPECT_FALSE(SampleAtPointer(f, 100.2)->Outside);
    EXPECT_FALSE(SampleAtPointer(f, 99.8)->Outside); // within half a step of the first sample
    EXPECT_FALSE(SampleAtPointer(f, 102.2)->Outside);
    const auto early = SampleAtPointer(f, 99.7);
    EXPECT_TRUE(early->Outside);
    EXPECT_EQ(early->Index, 0u);
    const auto late = SampleAtPointer(f, 102.3);
    EXPECT_TRUE(late->Outside);
    EXPECT_EQ(late->Index, 4u);
    EXPECT_DOUBLE_EQ(*late->Altitude, 14); // still the values of the end
}

TEST(SampleAtPointer, ChannelsNotShownOrMissingGiveNoValue)
{
    TFlightArrays a;
    a.Voltage.clear();
    a.Climb.clear();
    a.Altitude.resize(2); // shorter than the times
    TPointerFlight f = a.View();
    f.ServoShown.reset();
    const auto late = SampleAtPointer(f, 1.9);
    ASSERT_TRUE(late.has_value());
    EXPECT_EQ(late->Index, 4u);
    EXPECT_FALSE(late->Altitude.has_value());
    EXPECT_FALSE(late->Servo.has_value());
    EXPECT_FALSE(late->Voltage.has_value());
    EXPECT_FALSE(late->Climb.has_value());
    const auto early = SampleAtPointer(f, 0.4);
    ASSERT_TRUE(early.has_value());
    EXPECT_DOUBLE_EQ(*early->Altitude, 11);

    f.Time = {};
    EXPECT_FALSE(SampleAtPointer(f, 0).has_value());
}

TEST(PointerSampleTexts, UnitsTheUsersSeparatorAndADashForMissingValues)
{
    TPointerSample s;
    s.Time = 75.34;
    s.Altitude = 120.44;
    s.Servo = -3.26;
    s.Climb = 1.26;
    const auto t = PointerSampleTexts(s, false, ',');
    EXPECT_EQ(t[0], "75,3 s");
    EXPECT_EQ(t[1], "120,4 m");
    EXPECT_EQ(t[2], "-3,3 %");
    EXPECT_EQ(t[3], kNoValue);
    EXPECT_EQ(t[4], "1,3 m/s");
    s.Voltage = 4.876;
    const auto d = PointerSampleTexts(s, true, '.');
    EXPECT_EQ(d[2], "-3.3"); // a deflection has no unit
    EXPECT_EQ(d[3], "4.88 V");
}
