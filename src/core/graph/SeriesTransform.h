// How a series shows the values it reads: its channel's own linear map, then the flight's offsets.
#pragma once

#include <utility>

namespace zirko {

// Shown x = x + Dx; shown y = (Scale * y + Base) + Dy. Scale and Base are the channel's map (the
// servo in percent or as a deflection), Dx and Dy the offsets in force. The map and the offset
// stay apart so that a shown value is the channel's value plus the offset exactly as it would be
// if the offset were added to already mapped points.
struct TSeriesTransform {
    double Dx = 0;
    double Scale = 1;
    double Base = 0;
    double Dy = 0;

    double X(double x) const { return x + Dx; }
    double Y(double y) const { return Scale * y + Base + Dy; }
    // The stored values that show as (x, y).
    double StoredX(double x) const { return x - Dx; }
    double StoredY(double y) const { return (y - Dy - Base) / Scale; }
    // The shown extremes of stored values [lo, hi]; a negative scale swaps them.
    std::pair<double, double> YRange(double lo, double hi) const
    {
        return Scale < 0 ? std::make_pair(Y(hi), Y(lo)) : std::make_pair(Y(lo), Y(hi));
    }

    bool operator==(const TSeriesTransform&) const = default;
};

} // namespace zirko
