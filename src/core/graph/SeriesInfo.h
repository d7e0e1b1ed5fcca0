// How one open flight is shown on the chart: the colour and offsets of its six series.
#pragma once

#include <array>
#include <cstdint>

namespace zirko {

// Display state of one of the flight's six chart series; the series themselves belong to the chart.
struct TSeriesInfo {
    uint8_t ColorIndex = 255;
    double OffsetX = 0;
    double OffsetY = 0;
    bool ShiftOn = true;
};

enum TSeriesSlot : int {
    kSlotAltitude = 0,
    kSlotServo = 1,
    kSlotVoltage = 2,
    kSlotMarker = 3,
    kSlotAnnotation = 4,
    // The climb rate worked out from the altitude; it follows the time offset, never a value
    // offset.
    kSlotClimb = 5,
    kSlotCount = 6
};

// The display slots of one flight, indexed by TSeriesSlot.
using TFlightSlots = std::array<TSeriesInfo, kSlotCount>;

// The slots of a newly opened flight: every series in the one colour, no offsets, switched on.
inline TFlightSlots NewFlightSlots(uint8_t colorIndex)
{
    TFlightSlots result{};
    for (TSeriesInfo& slot : result)
        slot.ColorIndex = colorIndex;
    return result;
}

} // namespace zirko
