#include "core/graph/Offsets.h"

#include "core/analysis/FlightAnalysis.h"
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

double OffsetAsShown(double offset)
{
    return ParseStrictNumber(FormatFixed(offset, 1)).value_or(0.0);
}

TShownOffset ShownOffset(const TSeriesInfo& slot)
{
    if (!slot.ShiftOn)
        return {};
    return {slot.OffsetX, slot.OffsetY};
}

std::vector<int> ApplyShiftX(TFlightSlots& slots, double newOffsetX)
{
    std::vector<int> changed;
    // A change too small to see is not taken, so the field and the chart never drift apart.
    if (IsZero(newOffsetX - slots[kSlotAltitude].OffsetX))
        return changed;
    for (int k = 0; k < kSlotCount; ++k) {
        TSeriesInfo& slot = slots[static_cast<size_t>(k)];
        if (slot.ShiftOn)
            changed.push_back(k);
        slot.OffsetX = newOffsetX;
    }
    return changed;
}

std::vector<int> ApplyShiftY(TFlightSlots& slots, int k, double newOffsetY)
{
    std::vector<int> changed;
    if (k < 0 || k > kSlotVoltage)
        return changed;
    if (IsZero(newOffsetY - slots[static_cast<size_t>(k)].OffsetY))
        return changed;
    std::vector<int> carried{k};
    if (k == kSlotAltitude) {
        carried.push_back(kSlotMarker);
        carried.push_back(kSlotAnnotation);
    }
    for (int s : carried) {
        TSeriesInfo& slot = slots[static_cast<size_t>(s)];
        if (slot.ShiftOn)
            changed.push_back(s);
        slot.OffsetY = newOffsetY;
    }
    return changed;
}

std::vector<int> SetShiftOn(TFlightSlots& slots, bool on)
{
    std::vector<int> changed;
    for (int k = 0; k < kSlotCount; ++k) {
        TSeriesInfo& slot = slots[static_cast<size_t>(k)];
        if (slot.ShiftOn == on)
            continue;
        slot.ShiftOn = on;
        if (!IsZero(slot.OffsetX) || !IsZero(slot.OffsetY))
            changed.push_back(k);
    }
    return changed;
}

std::optional<TShownOffset> LaunchZeroOffsets(const TDataBlock& flight)
{
    const std::optional<size_t> launch = LaunchIndex(flight);
    if (!launch)
        return std::nullopt;
    return TShownOffset{-flight.Time[*launch], -flight.Altitude[*launch]};
}

std::vector<int> MoveOffsetsTo(TFlightSlots& slots, TShownOffset to)
{
    std::vector<int> changed = ApplyShiftX(slots, to.Dx);
    const auto add = [&changed](const std::vector<int>& more) {
        for (int k : more)
            if (std::find(changed.begin(), changed.end(), k) == changed.end())
                changed.push_back(k);
    };
    add(ApplyShiftY(slots, kSlotAltitude, to.Dy));
    add(SetShiftOn(slots, true));
    std::sort(changed.begin(), changed.end());
    return changed;
}

std::string NoLaunchMessage(const std::vector<std::string>& names)
{
    std::string text = "No launch found in: ";
    for (size_t i = 0; i < names.size(); ++i) {
        if (i > 0)
            text += ", ";
        text += names[i];
    }
    return text + ".";
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
