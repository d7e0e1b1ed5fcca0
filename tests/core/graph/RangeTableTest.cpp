#include "core/graph/RangeTable.h"

#include <gtest/gtest.h>

using namespace zirko;

namespace {

TRangeStats Stats()
{
    TRangeStats s;
    s.Duration = 62.25;
    s.FromAltitude = 101.04;
    s.ToAltitude = 180.6;
    s.Gain = 79.56;
    s.MeanClimb = 79.56 / 62.25;
    s.MaxAltitude = 190;
    s.MinAltitude = 99.95;
    s.MinVoltage = 7.384;
    s.MeanVoltage = 7.9;
    s.MotorTime = 30;
    return s;
}

} // namespace

TEST(RangeTable, CellsShowTheNumbersInTheUsersFormatAndNothingForMissingChannels)
{
    const auto cells = RangeCells({"Pike 3", Stats()}, ',');
    EXPECT_EQ(cells, (std::array<std::string, kRangeColumns>{"Pike 3", "62,2", "101,0", "180,6",
                                                             "79,6", "1,28", "190,0", "100,0",
                                                             "7,38", "7,90", "30,0"}));
    TRangeStats bare = Stats();
    bare.MinVoltage.reset();
    bare.MeanVoltage.reset();
    bare.MotorTime.reset();
    bare.MeanClimb.reset();
    const auto b = RangeCells({"b", bare}, '.');
    EXPECT_EQ(b[5], "");
    EXPECT_EQ(b[8], "");
    EXPECT_EQ(b[9], "");
    EXPECT_EQ(b[10], "");
    EXPECT_EQ(b[6], "190.0");
    // A flight with no sample in the range says so.
    const auto outside = RangeCells({"late", std::nullopt}, '.');
    EXPECT_EQ(outside[0], "late");
    EXPECT_EQ(outside[1], kRangeOutside);
    EXPECT_EQ(outside[2], "");
}

TEST(RangeTable, ClipboardTextIsTheTitleTheHeadingsAndALinePerFlight)
{
    EXPECT_EQ(RangeClipboardText({{"a", Stats()}, {"b", std::nullopt}}, '.'),
              "Range\r\n"
              "Flight\tDuration (s)\tAlt. FROM (m)\tAlt. TO (m)\tGain (m)\tClimb (m/s)\t"
              "Highest (m)\tLowest (m)\tLowest U (V)\tMean U (V)\tMotor (s)\r\n"
              "a\t62.2\t101.0\t180.6\t79.6\t1.28\t190.0\t100.0\t7.38\t7.90\t30.0\r\n"
              "b\tno samples here\t\t\t\t\t\t\t\t\t\r\n");
    EXPECT_EQ(RangeClipboardText({}, '.').substr(0, 7), "Range\r\n");
}
