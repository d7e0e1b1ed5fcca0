// The plot's graph of one chart series, its dense lines drawn straight into raster pixels.
#pragma once

#include "gui/graph/ChartOwner.h"

#include <qcustomplot.h>

namespace zirko {

// A graph whose dense lines are drawn straight into the pixels of a raster buffer. The graphs that
// follow one such graph on the layer are drawn with it into a transparent image, the dense ones
// directly and the others by QCustomPlot, and the image goes onto the buffer in one piece, so
// the drawing order stays as it is. Anything else is drawn by QCustomPlot as usual.
class TChartGraph : public QCPGraph {
public:
    TChartGraph(TChartOwner& owner, QCPAxis* keyAxis, QCPAxis* valueAxis)
        : QCPGraph(keyAxis, valueAxis), Owner(owner)
    {
    }
    // Set when the line has more than a point per pixel column and is drawn without smoothing.
    void SetDense(bool dense) { Dense = dense; }

protected:
    void draw(QCPPainter* painter) override;
    // Curves and symbols stay left of the strip where the voltage labels stand.
    QRect clipRect() const override;

private:
    // Room for a symbol or a line end on the time axis's last value.
    static constexpr int kPastAxisEnd = 5;
    bool Direct() const;
    static bool RasterTarget(const QCPPainter& painter);
    void PixelPoints(QVector<QPointF>& points) const;

    TChartOwner& Owner;
    bool Dense = false;
    bool DrawnAlready = false;
};

} // namespace zirko
