// How one open flight is shown on the chart: its six series, their colour and offsets.
#pragma once

#include <array>
#include <cstdint>

namespace zirko {

class TChartSeries; // a chart series owned by the chart; the core never touches it

// Display state of one of the flight's six chart series.
struct TSeriesInfo {
    TChartSeries* Series = nullptr;
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

} // namespace zirko
