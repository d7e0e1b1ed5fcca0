// The values at the pointer: while the crosshair is drawn, a box on the chart's overlay layer lists
// every shown flight at its sample nearest the pointer's time.
#pragma once

#include "core/graph/PointerValues.h"

#include <QColor>
#include <QRect>
#include <QString>
#include <array>
#include <functional>
#include <vector>

class QPainter;

namespace zirko {

class TChart;
class TChartSeries;
class TGraphHost;

class TPointerBox {
public:
    // `seriesOf` hands out the chart series of a flight's slot (null when it has none).
    using TSeriesOf = std::function<const TChartSeries*(int row, int slot)>;
    TPointerBox(const TChart& chart, const TGraphHost& host, TSeriesOf seriesOf);

    // One flight that shows at least one channel, read at its sample nearest the pointer's time.
    struct TLine {
        int Row = -1;
        QColor Color;
        QString Name;
        std::array<QString, kPointerFields> Values; // time, altitude, servo, voltage, climb
        bool Outside = false; // the pointer is beyond the flight's ends: the values are greyed
        bool Motor = false;   // the flight's motor runs at that sample
    };
    // The lines at the chart time of pixel column x, in grid order.
    std::vector<TLine> LinesAt(int x) const;
    // The box of the lines at the cross (x, y), in a corner of the plot away from it.
    void Paint(QPainter& painter, const QRect& plot, int x, int y);
    // Nothing shown any more.
    void Clear();

    // What the box shows now; no lines and a null rectangle while it is hidden.
    std::vector<TLine> Lines;
    // The names as the box shows them: whole while they fit beside the values.
    std::vector<QString> NamesShown;
    QRect Rect;

private:
    const TChart& Chart;
    const TGraphHost& Host;
    TSeriesOf SeriesOf;
};

} // namespace zirko
