// Per-flight offsets: which of a flight's series is shown shifted by which offset, and the switch.
#pragma once

#include "core/flightdata/DataBlock.h"
#include "core/graph/SeriesInfo.h"

#include <array>
#include <optional>
#include <string>
#include <vector>

namespace zirko {

inline constexpr double kZeroChange = 1e-12;
inline constexpr int kTrackBarXMin = -3600;
inline constexpr int kTrackBarXMax = 3600;
inline constexpr int kTrackBarYMin = -1000;
inline constexpr int kTrackBarYMax = 1000;

// What a slot's series is shifted by on the chart: its offsets while the switch is on, nothing
// while it is off. The stored values are never moved.
struct TShownOffset {
    double Dx = 0;
    double Dy = 0;
    bool operator==(const TShownOffset&) const = default;
};
TShownOffset ShownOffset(const TSeriesInfo& slot);

// New time offset for all six slots. Returns the slots whose shown offset changed (none while
// the offsets are switched off, none for a zero change).
std::vector<int> ApplyShiftX(TFlightSlots& slots, double newOffsetX);
// New value offset of slot k (0..2); the altitude's is also the marker and annotation slots'.
std::vector<int> ApplyShiftY(TFlightSlots& slots, int k, double newOffsetY);
// Switches the offsets of all slots on or off; returns the slots whose shown offset changed.
std::vector<int> SetShiftOn(TFlightSlots& slots, bool on);

// The offsets that put the flight's launch point (the launch sample's time and altitude) at
// (0, 0); none for a flight without a launch.
std::optional<TShownOffset> LaunchZeroOffsets(const TDataBlock& flight);
// The time offset of all slots and the altitude's value offset (carried by the marker and
// annotation slots) become `to`, exactly, and the offsets are switched on. Returns the slots whose
// shown offset changed, each once.
std::vector<int> MoveOffsetsTo(TFlightSlots& slots, TShownOffset to);
// The one message naming the flights that have no launch: "No launch found in: A, B.".
std::string NoLaunchMessage(const std::vector<std::string>& names);

// An offset as its field shows it: to one decimal. The commands that compute an offset keep that
// value, so what the field says is what the chart does.
double OffsetAsShown(double offset);

// Slider positions for an offset: rounded half to even and clamped; the vertical one negated.
int TrackBarXPosition(double offsetX);
int TrackBarYPosition(double offsetY);

} // namespace zirko
