// Stored window positions: which values a window takes at its first show and what is written.
#pragma once

#include "core/app/IniFile.h"

#include <string>

namespace zirko {

struct TWinRect {
    int Left = 0;
    int Top = 0;
    int Right = 0;
    int Bottom = 0;
    bool operator==(const TWinRect&) const = default;
};

enum TWinState : int { kWinNormal = 0, kWinMaximized = 1, kWinMinimized = 2 };

struct TWindowGeometry {
    TWinRect NR; // the normal-position rectangle
    TWinRect R;  // the window rectangle
    int State = kWinNormal;
    bool operator==(const TWindowGeometry&) const = default;
};

struct TRestoredGeometry {
    TWindowGeometry Geometry;
    int ScreenH = 0; // the stored screen size, kept for writing back
    int ScreenW = 0;
};

// `r` moved and shrunk as little as needed to lie within `area`. A rectangle without area (right
// or bottom not beyond left or top) gives `fallback`; an empty `area` leaves `r` as it is.
TWinRect FitRectToArea(const TWinRect& r, const TWinRect& area, const TWinRect& fallback);

// Positions stored on a larger screen than the current one are not applied; State always is.
// Rectangles taken from the file are fitted into `available` (the screen's area for windows), so a
// window never outgrows the screen or lies beyond it; the current ones are kept as they are.
TRestoredGeometry ReadWindowGeometry(const TIniFile& ini, const std::string& windowName,
                                     const TWindowGeometry& current, int screenH, int screenW,
                                     const TWinRect& available);

void WriteWindowGeometry(TIniFile& ini, const std::string& windowName,
                         const TWindowGeometry& geometry, int screenH, int screenW);

} // namespace zirko
