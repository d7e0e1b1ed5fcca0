#include "core/graph/Offsets.h"

#include <gtest/gtest.h>

using namespace zirko;

TEST(Offsets, TimeShiftMovesEverySeriesOnceAndTheSameNumberTwiceChangesNothing)
{
    TDataBlock f;
    auto moves = ApplyShiftX(f, 12.34);
    ASSERT_EQ(moves.size(), 5u);
    for (const auto& m : moves) {
        EXPECT_DOUBLE_EQ(m.Dx, 12.34);
        EXPECT_EQ(m.Dy, 0);
    }
    for (const auto& slot : f.SeriesInfo)
        EXPECT_DOUBLE_EQ(slot.OffsetX, 12.34);
    EXPECT_TRUE(ApplyShiftX(f, 12.34).empty());
    EXPECT_DOUBLE_EQ(ApplyShiftX(f, 10).front().Dx, 10 - 12.34);
}

TEST(Offsets, AltitudeShiftCarriesMarkersAndAnnotations)
{
    TDataBlock f;
    auto moves = ApplyShiftY(f, kSlotAltitude, -3);
    ASSERT_EQ(moves.size(), 3u);
    EXPECT_EQ(moves[1].Slot, kSlotMarker);
    EXPECT_EQ(moves[2].Slot, kSlotAnnotation);
    EXPECT_EQ(f.SeriesInfo[kSlotAnnotation].OffsetY, -3);
    auto servo = ApplyShiftY(f, kSlotServo, 2.5);
    ASSERT_EQ(servo.size(), 1u);
    EXPECT_EQ(servo[0].Slot, kSlotServo);
    EXPECT_TRUE(ApplyShiftY(f, 7, 1).empty());
}

TEST(Offsets, SwitchingOffAndOnReturnsEveryPoint)
{
    TDataBlock f;
    ApplyShiftX(f, 5);
    ApplyShiftY(f, kSlotVoltage, 0.5);
    auto off = SetShiftOn(f, false);
    // While off, a new offset is stored but moves nothing.
    EXPECT_TRUE(ApplyShiftX(f, 7).empty());
    EXPECT_EQ(f.SeriesInfo[kSlotServo].OffsetX, 7);
    auto on = SetShiftOn(f, true);
    ASSERT_EQ(off.size(), 5u);
    ASSERT_EQ(on.size(), 5u);
    EXPECT_EQ(off[kSlotVoltage].Dx, -5);
    EXPECT_EQ(off[kSlotVoltage].Dy, -0.5);
    EXPECT_EQ(on[kSlotVoltage].Dx, 7);
    EXPECT_EQ(on[kSlotVoltage].Dy, 0.5);
    EXPECT_TRUE(SetShiftOn(f, true).empty());
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
