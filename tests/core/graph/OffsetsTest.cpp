#include "core/graph/Offsets.h"

#include <gtest/gtest.h>

using namespace zirko;

TEST(Offsets, TimeShiftMovesEverySeriesOnceAndTheSameNumberTwiceChangesNothing)
{
    TFlightSlots f;
    EXPECT_EQ(ApplyShiftX(f, 12.34), (std::vector<int>{0, 1, 2, 3, 4}));
    for (const auto& slot : f) {
        EXPECT_DOUBLE_EQ(slot.OffsetX, 12.34);
        EXPECT_EQ(ShownOffset(slot), (TShownOffset{12.34, 0}));
    }
    EXPECT_TRUE(ApplyShiftX(f, 12.34).empty());
    EXPECT_TRUE(ApplyShiftX(f, 12.34 + 1e-13).empty());
    EXPECT_EQ(ApplyShiftX(f, 10).size(), 5u);
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

TEST(Offsets, SwitchingOffAndOnReturnsEveryPoint)
{
    TFlightSlots f;
    ApplyShiftX(f, 5);
    ApplyShiftY(f, kSlotVoltage, 0.5);
    EXPECT_EQ(SetShiftOn(f, false).size(), 5u);
    for (const auto& slot : f)
        EXPECT_EQ(ShownOffset(slot), TShownOffset{});
    // While off, a new offset is stored but shows nothing.
    EXPECT_TRUE(ApplyShiftX(f, 7).empty());
    EXPECT_EQ(f[kSlotServo].OffsetX, 7);
    EXPECT_EQ(ShownOffset(f[kSlotServo]), TShownOffset{});
    EXPECT_EQ(SetShiftOn(f, true).size(), 5u);
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
