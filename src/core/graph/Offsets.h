// Per-flight offsets: the arithmetic of shifting a flight's series in time and value.
#pragma once

#include "core/flightdata/DataBlock.h"

#include <vector>

namespace zirko {

// Points of series `Slot` move by (Dx, Dy).
struct TSeriesMove {
    int Slot;
    double Dx;
    double Dy;
};

inline constexpr double kZeroChange = 1e-12;
inline constexpr int kTrackBarXMin = -3600;
inline constexpr int kTrackBarXMax = 3600;
inline constexpr int kTrackBarYMin = -1000;
inline constexpr int kTrackBarYMax = 1000;

// New time offset for all five slots. Returns the point moves to make (none while the offsets
// are switched off, none for a zero change).
std::vector<TSeriesMove> ApplyShiftX(TDataBlock& flight, double newOffsetX);
// New value offset of slot k (0..2); the altitude's also moves the marker and annotation slots.
std::vector<TSeriesMove> ApplyShiftY(TDataBlock& flight, int k, double newOffsetY);
// Switches the offsets of all slots on or off; the moves add or take away the stored offsets.
std::vector<TSeriesMove> SetShiftOn(TDataBlock& flight, bool on);

// Slider positions for an offset: rounded half to even and clamped; the vertical one negated.
int TrackBarXPosition(double offsetX);
int TrackBarYPosition(double offsetY);

} // namespace zirko
