// What the parts of the chart (series, their graphs, the axis tickers) ask of the chart that holds
// them, and the names they share with it.
#pragma once

#include <QRect>
#include <QString>

class QCustomPlot;
class QCPAxis;
class QImage;

namespace zirko {

// Left: altitude; Right: servo; Bottom: time; Voltage: the custom axis whose labels stand inside
// the plot's right edge; Climb: the climb rate, right of the servo axis and hidden until shown.
enum class TAxisId { Left = 0, Right = 1, Bottom = 2, Voltage = 3, Climb = 4 };
inline constexpr int kAxisCount = 5;

enum class TSeriesKind { Line, Point };

// The layer drawn over the series: the after-draw painting and the texts beside the points.
inline constexpr const char* kChartAfterDrawLayer = "chartafterdraw";

// Only the chart implements it; a part gets it when the chart makes the part.
class TChartOwner {
public:
    virtual QCustomPlot* Plot() const = 0;
    virtual QCPAxis* AxisOf(TAxisId axis) const = 0;
    virtual QRect PlotRect() const = 0;
    // The axis's own range ends here, which on the time axis may lie before the plot's edge.
    virtual double Maximum(TAxisId axis) const = 0;
    // Where the time axis ends, in percent of the plot width.
    virtual double EndPosition(TAxisId axis) const = 0;
    // A tick label as the chart shows it: the number in the chart's format, through its label
    // hook.
    virtual QString AxisLabel(TAxisId axis, double value, int decimals) const = 0;
    // An image the size of the area drawn, left transparent between uses.
    virtual QImage& RasterScratch() = 0;
    // A series' points or look changed: the chart draws again.
    virtual void SeriesChanged() = 0;
    // A series' title, visibility or place in the legend changed.
    virtual void LegendChanged() = 0;

protected:
    ~TChartOwner() = default;
};

} // namespace zirko
