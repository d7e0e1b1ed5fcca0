#include "core/graph/ChartMath.h"
#include "core/graph/GraphColors.h"
#include "core/graph/SeriesTransform.h"

#include <gtest/gtest.h>

#include <cmath>
#include <set>
#include <string>
#include <tuple>
#include <vector>

namespace zirko {
namespace {

TEST(GraphColors, FifteenthFlightGetsTheFreeColourAndAFreedIndexIsReused)
{
    std::vector<uint8_t> used;
    for (int i = 0; i < kGraphColorCount; ++i) {
        const uint8_t next = GetFirstPossibleGrafColorIndex(used);
        EXPECT_EQ(next, i);
        used.push_back(next);
    }
    EXPECT_EQ(GetFirstPossibleGrafColorIndex(used), kFreeColorIndex);
    used.push_back(kFreeColorIndex);
    used.erase(used.begin() + 3); // the flight with index 3 closes
    EXPECT_EQ(GetFirstPossibleGrafColorIndex(used), 3);
}

TEST(GraphColors, LowestFreeIndexWinsOverOrderOfOpening)
{
    const std::vector<uint8_t> used{5, 0, 1};
    EXPECT_EQ(GetFirstPossibleGrafColorIndex(used), 2);
    EXPECT_EQ(GetFirstPossibleGrafColorIndex({}), 0);
}

TEST(GraphColors, ColoursAreKeptBlueGreenRedAndOutsideTheTableAreNone)
{
    EXPECT_EQ(GraphColorBgr(0), 0xFF0000u); // blue
    EXPECT_EQ(GraphColorBgr(3), 0x008080u); // olive 0x808000
    EXPECT_EQ(GraphColorBgr(9), 0xF0CAA6u); // sky blue 0xA6CAF0
    EXPECT_EQ(GraphColorBgr(kFreeColorIndex), 0u);
}

// Shown servo values: percent with the flight's servo offset, or the deflection range.
TEST(ChartMath, ServoValueWithOffsetAndWithDeflection)
{
    auto shown = [](double rx, TLinearMap map, double offset) {
        return TSeriesTransform{0, map.Scale, map.Base, offset}.Y(rx);
    };
    EXPECT_DOUBLE_EQ(shown(10, ServoMap(false, -5, 5), 2.5), 12.5);
    EXPECT_DOUBLE_EQ(shown(50, ServoMap(true, -5, 5), 0), 2.5);
    EXPECT_DOUBLE_EQ(shown(-100, ServoMap(true, -30, 10), 0), -30);
    EXPECT_DOUBLE_EQ(shown(100, ServoMap(true, -30, 10), 0), 10);
    // A deflection range given upside down turns the servo over.
    const TSeriesTransform flipped{0, ServoMap(true, 10, -30).Scale, ServoMap(true, 10, -30).Base};
    EXPECT_DOUBLE_EQ(flipped.Y(100), -30);
    EXPECT_DOUBLE_EQ(flipped.StoredY(-30), 100);
    EXPECT_EQ(flipped.YRange(-100, 100), std::make_pair(-30.0, 10.0));
}

TEST(ChartMath, TimeAxisEndLeavesTheVoltageStrip)
{
    EXPECT_EQ(TimeAxisEndPercent(900), 95);
    EXPECT_EQ(TimeAxisEndPercent(0), 100);
    EXPECT_EQ(TimeAxisEndPercent(45), 0);
    EXPECT_LT(TimeAxisEndPercent(30), 0);
}

TEST(ChartMath, MinSecLabels)
{
    EXPECT_EQ(MinSecLabel("65"), "1:05");
    EXPECT_EQ(MinSecLabel("-65"), "-1:05");
    EXPECT_EQ(MinSecLabel("-5"), "-0:05");
    EXPECT_EQ(MinSecLabel("12.5"), "12.5");
    EXPECT_EQ(MinSecLabel("1\xC2\xA0"
                          "200"),
              "20:00");
    EXPECT_EQ(MinSecLabel("0"), "0:00");
    EXPECT_EQ(MinSecLabel("abc"), "abc");
    // Labels grouped with the user's separator lose that one.
    EXPECT_EQ(MinSecLabel("1,200", ","), "20:00");
    EXPECT_EQ(MinSecLabel("1.200", "."), "20:00");
    EXPECT_EQ(MinSecLabel("1,200", ""), "1,200");
}

TEST(ChartMath, AxisNumbersAreGroupedWithAtMostTheGivenDecimals)
{
    const std::string nbsp = "\xC2\xA0";
    EXPECT_EQ(FormatAxisNumber(1234567.891, 2, nbsp, ','), "1" + nbsp + "234" + nbsp + "567,89");
    EXPECT_EQ(FormatAxisNumber(12.5, 2, nbsp, '.'), "12.5");
    EXPECT_EQ(FormatAxisNumber(-1000, 2, nbsp, '.'), "-1" + nbsp + "000");
    EXPECT_EQ(FormatAxisNumber(-0.001, 2, nbsp, '.'), "0");
    EXPECT_EQ(FormatAxisNumber(100, 0, ",", '.'), "100");
}

TEST(ChartMath, TickStepsGiveLabelsThatDiffer)
{
    EXPECT_DOUBLE_EQ(DistinctLabelStep(0.05, 1), 0.1); // was "0.7, 0.7, 0.6, 0.6"
    EXPECT_DOUBLE_EQ(DistinctLabelStep(0.25, 1), 0.5);
    EXPECT_DOUBLE_EQ(DistinctLabelStep(2.5, 0), 5);
    EXPECT_DOUBLE_EQ(DistinctLabelStep(2.5, 1), 2.5);
    EXPECT_DOUBLE_EQ(DistinctLabelStep(0.05, 2), 0.05);
    EXPECT_DOUBLE_EQ(DistinctLabelStep(0.15, 2), 0.15);
    EXPECT_DOUBLE_EQ(DistinctLabelStep(20, 1), 20);
    // Every step the axis ticker can choose, from any start, gives distinct labels that keep
    // the step's spacing.
    for (int decimals = 0; decimals <= 2; ++decimals) {
        for (int power = -4; power <= 3; ++power) {
            for (const double mantissa : {1.0, 2.0, 2.5, 5.0}) {
                const double asked = mantissa * std::pow(10.0, power);
                const double step = DistinctLabelStep(asked, decimals);
                EXPECT_GE(step, asked * (1 - 1e-9)) << asked;
                EXPECT_LE(step, std::max(asked * 2.5, std::pow(10.0, -decimals))) << asked;
                std::set<std::string> labels;
                const double first = std::floor(-3.7 / step) * step;
                for (int i = 0; i < 12; ++i)
                    labels.insert(FormatAxisNumber(first + i * step, decimals, "", '.'));
                EXPECT_EQ(labels.size(), 12u) << asked << " with " << decimals << " decimals";
            }
        }
    }
}

TEST(ChartMath, ZoomAndCentring)
{
    const TAxisRange in = ZoomByPercent({0, 100}, 110);
    EXPECT_DOUBLE_EQ(in.Min, 10);
    EXPECT_DOUBLE_EQ(in.Max, 90);
    const TAxisRange out = ZoomByPercent({0, 100}, 90);
    EXPECT_DOUBLE_EQ(out.Min, -10);
    EXPECT_DOUBLE_EQ(out.Max, 110);
    const TAxisRange c = CenteredRange({-20, 60});
    EXPECT_DOUBLE_EQ(c.Min, -40);
    EXPECT_DOUBLE_EQ(c.Max, 40);
}

TEST(ChartMath, SymmetricRangeTakesTheLargerMagnitudeAndNeverCollapses)
{
    for (const auto& [low, high, m] :
         {std::tuple{-3.0, 1.5, 3.0}, std::tuple{0.5, 4.0, 4.0}, std::tuple{-7.0, -2.0, 7.0},
          std::tuple{0.0, 0.0, 1.0}, std::tuple{-1e-14, 1e-14, 1.0}}) {
        const TAxisRange r = SymmetricRange(low, high);
        EXPECT_DOUBLE_EQ(r.Min, -m) << low << " " << high;
        EXPECT_DOUBLE_EQ(r.Max, m) << low << " " << high;
    }
    const TAxisRange nan = SymmetricRange(std::nan(""), std::nan(""));
    EXPECT_DOUBLE_EQ(nan.Max, 1);
}

TEST(ChartMath, ScrollBarPositionsAndMoves)
{
    EXPECT_EQ(HorizontalScrollPosition({10, 20}, 0, 100), 15);
    const TAxisRange moved = ScrolledRange({10, 20}, 0, 100, 50);
    EXPECT_DOUBLE_EQ(moved.Min, 45);
    EXPECT_DOUBLE_EQ(moved.Max, 55);
    // Vertical: the top of the bar is the high end.
    EXPECT_EQ(VerticalScrollPosition({80, 100}, 0, 100), 10);
    EXPECT_FALSE(HorizontalScrollPosition({0, 1}, 5, 5).has_value());
    const TAxisRange collapsed = ScrolledRange({3, 3}, 0, 10, 20);
    EXPECT_DOUBLE_EQ(collapsed.Max, collapsed.Min + 1);
}

} // namespace
} // namespace zirko
