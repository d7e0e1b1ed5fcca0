#include "core/graph/Offsets.h"

#include "core/app/NumberFormat.h"

#include <algorithm>
#include <cmath>

namespace zirko {

namespace {
bool IsZero(double change)
{
    return std::fabs(change) <= kZeroChange;
}
} // namespace

std::vector<TSeriesMove> ApplyShiftX(TDataBlock& flight, double newOffsetX)
{
    std::vector<TSeriesMove> moves;
    const double dx = newOffsetX - flight.SeriesInfo[kSlotAltitude].OffsetX;
    if (IsZero(dx))
        return moves;
    for (int k = 0; k < kSlotCount; ++k) {
        TSeriesInfo& slot = flight.SeriesInfo[static_cast<size_t>(k)];
        if (slot.ShiftOn)
            moves.push_back({k, dx, 0});
        slot.OffsetX = newOffsetX;
    }
    return moves;
}

std::vector<TSeriesMove> ApplyShiftY(TDataBlock& flight, int k, double newOffsetY)
{
    std::vector<TSeriesMove> moves;
    if (k < 0 || k > kSlotVoltage)
        return moves;
    const double dy = newOffsetY - flight.SeriesInfo[static_cast<size_t>(k)].OffsetY;
    if (IsZero(dy))
        return moves;
    std::vector<int> slots{k};
    if (k == kSlotAltitude) {
        slots.push_back(kSlotMarker);
        slots.push_back(kSlotAnnotation);
    }
    for (int s : slots) {
        TSeriesInfo& slot = flight.SeriesInfo[static_cast<size_t>(s)];
        if (slot.ShiftOn)
            moves.push_back({s, 0, dy});
        slot.OffsetY = newOffsetY;
    }
    return moves;
}

std::vector<TSeriesMove> SetShiftOn(TDataBlock& flight, bool on)
{
    std::vector<TSeriesMove> moves;
    for (int k = 0; k < kSlotCount; ++k) {
        TSeriesInfo& slot = flight.SeriesInfo[static_cast<size_t>(k)];
        if (slot.ShiftOn == on)
            continue;
        slot.ShiftOn = on;
        const double sign = on ? 1.0 : -1.0;
        const double dx = IsZero(slot.OffsetX) ? 0 : sign * slot.OffsetX;
        const double dy = IsZero(slot.OffsetY) ? 0 : sign * slot.OffsetY;
        if (dx != 0 || dy != 0)
            moves.push_back({k, dx, dy});
    }
    return moves;
}

int TrackBarXPosition(double offsetX)
{
    return static_cast<int>(
        std::clamp<long long>(RoundHalfEven(offsetX), kTrackBarXMin, kTrackBarXMax));
}

int TrackBarYPosition(double offsetY)
{
    return static_cast<int>(
        std::clamp<long long>(-RoundHalfEven(offsetY), kTrackBarYMin, kTrackBarYMax));
}

} // namespace zirko
