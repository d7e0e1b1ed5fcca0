#include "core/graph/Offsets.h"

#include <gtest/gtest.h>

using namespace zirko;

TEST(Offsets, TimeShiftMovesEverySeriesOnceAndTheSameNumberTwiceChangesNothing)
{
    TDataBlock f;
    EXPECT_EQ(ApplyShiftX(f.SeriesInfo, 12.34), (std::vector<int>{0, 1, 2, 3, 4}));
    for (const auto& slot : f.SeriesInfo) {
        EXPECT_DOUBLE_EQ(slot.OffsetX, 12.34);
        EXPECT_EQ(ShownOffset(slot), (TShownOffset{12.34, 0}));
    }
    EXPECT_TRUE(ApplyShiftX(f.SeriesInfo, 12.34).empty());
    EXPECT_TRUE(ApplyShiftX(f.SeriesInfo, 12.34 + 1e-13).empty());
    EXPECT_EQ(ApplyShiftX(f.SeriesInfo, 10).size(), 5u);
    EXPECT_EQ(ShownOffset(f.SeriesInfo[kSlotVoltage]).Dx, 10);
}

TEST(Offsets, AltitudeShiftCarriesMarkersAndAnnotations)
{
    TDataBlock f;
    EXPECT_EQ(ApplyShiftY(f.SeriesInfo, kSlotAltitude, -3),
              (std::vector<int>{kSlotAltitude, kSlotMarker, kSlotAnnotation}));
    EXPECT_EQ(f.SeriesInfo[kSlotAnnotation].OffsetY, -3);
    EXPECT_EQ(ShownOffset(f.SeriesInfo[kSlotMarker]), (TShownOffset{0, -3}));
    EXPECT_EQ(ShownOffset(f.SeriesInfo[kSlotServo]), TShownOffset{});
    EXPECT_EQ(ApplyShiftY(f.SeriesInfo, kSlotServo, 2.5), std::vector<int>{kSlotServo});
    EXPECT_EQ(ShownOffset(f.SeriesInfo[kSlotServo]).Dy, 2.5);
    EXPECT_EQ(ShownOffset(f.SeriesInfo[kSlotAltitude]).Dy, -3);
    EXPECT_TRUE(ApplyShiftY(f.SeriesInfo, 7, 1).empty());
}

TEST(Offsets, SwitchingOffAndOnReturnsEveryPoint)
{
    TDataBlock f;
    ApplyShiftX(f.SeriesInfo, 5);
    ApplyShiftY(f.SeriesInfo, kSlotVoltage, 0.5);
    EXPECT_EQ(SetShiftOn(f.SeriesInfo, false).size(), 5u);
    for (const auto& slot : f.SeriesInfo)
        EXPECT_EQ(ShownOffset(slot), TShownOffset{});
    // While off, a new offset is stored but shows nothing.
    EXPECT_TRUE(ApplyShiftX(f.SeriesInfo, 7).empty());
    EXPECT_EQ(f.SeriesInfo[kSlotServo].OffsetX, 7);
    EXPECT_EQ(ShownOffset(f.SeriesInfo[kSlotServo]), TShownOffset{});
    EXPECT_EQ(SetShiftOn(f.SeriesInfo, true).size(), 5u);
    EXPECT_EQ(ShownOffset(f.SeriesInfo[kSlotVoltage]), (TShownOffset{7, 0.5}));
    EXPECT_EQ(ShownOffset(f.SeriesInfo[kSlotAltitude]), (TShownOffset{7, 0}));
    EXPECT_TRUE(SetShiftOn(f.SeriesInfo, true).empty());
    // Slots without offsets show the same either way.
    TDataBlock plain;
    EXPECT_TRUE(SetShiftOn(plain.SeriesInfo, false).empty());
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
