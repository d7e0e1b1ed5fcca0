#include "core/graph/Offsets.h"

#include <gtest/gtest.h>

#include <algorithm>

using namespace zirko;

TEST(Offsets, TimeShiftMovesEverySeriesOnceAndTheSameNumberTwiceChangesNothing)
{
    TFlightSlots f;
    EXPECT_EQ(ApplyShiftX(f, 12.34), (std::vector<int>{0, 1, 2, 3, 4, 5}));
    for (const auto& slot : f) {
        EXPECT_DOUBLE_EQ(slot.OffsetX, 12.34);
        EXPECT_EQ(ShownOffset(slot), (TShownOffset{12.34, 0}));
    }
    EXPECT_TRUE(ApplyShiftX(f, 12.34).empty());
    EXPECT_TRUE(ApplyShiftX(f, 12.34 + 1e-13).empty());
    EXPECT_EQ(ApplyShiftX(f, 10).size(), 6u);
    EXPECT_EQ(ShownOffset(f[kSlotClimb]).Dx, 10);
    EXPECT_EQ(ShownOffset(f[kSlotVoltage]).Dx, 10);
}

TEST(Offsets, AltitudeShiftCarriesMarkersAndAnnotations)
{
    TFlightSlots f;
    EXPECT_EQ(ApplyShiftY(f, kSlotAltitude, -3),
              (std::vector<int>{kSlotAltitude, kSlotMarker, kSlotAnnotation}));
    EXPECT_EQ(f[kSlotAnnotation].OffsetY, -3);
    EXPECT_EQ(ShownOffset(f[kSlotMarker]), (TShownOffset{0, -3}));
    EXPECT_EQ(ShownOffset(f[kSlotServo]), TShownOffset{});
    EXPECT_EQ(ApplyShiftY(f, kSlotServo, 2.5), std::vector<int>{kSlotServo});
    EXPECT_EQ(ShownOffset(f[kSlotServo]).Dy, 2.5);
    EXPECT_EQ(ShownOffset(f[kSlotAltitude]).Dy, -3);
    EXPECT_TRUE(ApplyShiftY(f, 7, 1).empty());
}

TEST(Offsets, TheClimbCurveFollowsTheTimeOffsetOnly)
{
    TFlightSlots f;
    ApplyShiftX(f, 4);
    // A value offset of any channel leaves the climb rate where it is: it is a rate, not a height.
    for (int k = kSlotAltitude; k <= kSlotVoltage; ++k) {
        const std::vector<int> changed = ApplyShiftY(f, k, 2.5 + k);
        EXPECT_EQ(std::count(changed.begin(), changed.end(), kSlotClimb), 0) << k;
    }
    EXPECT_TRUE(ApplyShiftY(f, kSlotClimb, 9).empty());
    EXPECT_EQ(ShownOffset(f[kSlotClimb]), (TShownOffset{4, 0}));
    EXPECT_EQ(SetShiftOn(f, false), (std::vector<int>{0, 1, 2, 3, 4, 5}));
    EXPECT_EQ(ShownOffset(f[kSlotClimb]), TShownOffset{});
}

TEST(Offsets, SwitchingOffAndOnReturnsEveryPoint)
{
    TFlightSlots f;
    ApplyShiftX(f, 5);
    ApplyShiftY(f, kSlotVoltage, 0.5);
    EXPECT_EQ(SetShiftOn(f, false).size(), 6u);
    for (const auto& slot : f)
        EXPECT_EQ(ShownOffset(slot), TShownOffset{});
    // While off, a new offset is stored but shows nothing.
    EXPECT_TRUE(ApplyShiftX(f, 7).empty());
    EXPECT_EQ(f[kSlotServo].OffsetX, 7);
    EXPECT_EQ(ShownOffset(f[kSlotServo]), TShownOffset{});
    EXPECT_EQ(SetShiftOn(f, true).size(), 6u);
    EXPECT_EQ(ShownOffset(f[kSlotVoltage]), (TShownOffset{7, 0.5}));
    EXPECT_EQ(ShownOffset(f[kSlotAltitude]), (TShownOffset{7, 0}));
    EXPECT_TRUE(SetShiftOn(f, true).empty());
    // Slots without offsets show the same either way.
    TFlightSlots plain;
    EXPECT_TRUE(SetShiftOn(plain, false).empty());
}

TEST(Offsets, SliderPositionsRoundHalfToEvenAndClamp)
{
    EXPECT_EQ(TrackBarXPosition(12.34), 12);
    EXPECT_EQ(TrackBarXPosition(2.5), 2);
    EXPECT_EQ(TrackBarXPosition(3.5), 4);
    EXPECT_EQ(TrackBarXPosition(5000), 3600);
    EXPECT_EQ(TrackBarXPosition(-5000), -3600);
    EXPECT_EQ(TrackBarYPosition(10), -10);
    EXPECT_EQ(TrackBarYPosition(-2000), 1000);
}

namespace {
TDataBlock ClimbingFlight(double firstTime, double ground)
{
    TDataBlock f;
    for (int i = 0; i < 20; ++i) {
        f.Time.push_back(firstTime + i * 0.1);
        f.Altitude.push_back(ground + (i < 5 ? 0.3 * i : 1.37 * i));
    }
    return f;
}
} // namespace

TEST(Offsets, LaunchPointGoesToZeroExactly)
{
    const TDataBlock f = ClimbingFlight(12.3, 250.25);
    const std::optional<TShownOffset> to = LaunchZeroOffsets(f);
    ASSERT_TRUE(to.has_value());
    // Sample 2 is only 0.6 m up; sample 5 is the first 2 m or more over the start.
    EXPECT_EQ(to->Dx, -f.Time[5]);
    EXPECT_EQ(to->Dy, -f.Altitude[5]);

    TDataBlock ground = ClimbingFlight(0, 100);
    ground.Altitude.assign(ground.Time.size(), 100.0);
    EXPECT_FALSE(LaunchZeroOffsets(ground).has_value());
    TDataBlock noAltitude = f;
    noAltitude.Altitude.clear();
    EXPECT_FALSE(LaunchZeroOffsets(noAltitude).has_value());
}

TEST(Offsets, MovingToOffsetsSwitchesThemOnAndLeavesServoAndVoltageValues)
{
    TFlightSlots f;
    ApplyShiftY(f, kSlotServo, 2.5);
    ApplyShiftY(f, kSlotAltitude, 7);
    SetShiftOn(f, false);
    EXPECT_EQ(MoveOffsetsTo(f, {-12.345, -250.125}), (std::vector<int>{0, 1, 2, 3, 4, 5}));
    for (int k : {kSlotAltitude, kSlotMarker, kSlotAnnotation})
        EXPECT_EQ(ShownOffset(f[size_t(k)]), (TShownOffset{-12.345, -250.125})) << k;
    EXPECT_EQ(ShownOffset(f[kSlotServo]), (TShownOffset{-12.345, 2.5}));
    EXPECT_EQ(ShownOffset(f[kSlotVoltage]), (TShownOffset{-12.345, 0}));
    EXPECT_EQ(ShownOffset(f[kSlotClimb]), (TShownOffset{-12.345, 0}));
    // The same offsets again change nothing.
    EXPECT_TRUE(MoveOffsetsTo(f, {-12.345, -250.125}).empty());
    // Only the altitude moves: its three slots, each named once.
    EXPECT_EQ(MoveOffsetsTo(f, {-12.345, -3}),
              (std::vector<int>{kSlotAltitude, kSlotMarker, kSlotAnnotation}));
}

TEST(Offsets, FlightsWithoutLaunchAreNamedInOneSentence)
{
    EXPECT_EQ(NoLaunchMessage({"A"}), "No launch found in: A.");
    EXPECT_EQ(NoLaunchMessage({"A", "B c"}), "No launch found in: A, B c.");
}

TEST(Offsets, ComputedOffsetsKeepTheFieldsOneDecimal)
{
    EXPECT_DOUBLE_EQ(OffsetAsShown(-12.3456), -12.3);
    EXPECT_DOUBLE_EQ(OffsetAsShown(0.96), 1.0);
    EXPECT_DOUBLE_EQ(OffsetAsShown(7), 7);
    EXPECT_DOUBLE_EQ(OffsetAsShown(-0.04), 0);
}
