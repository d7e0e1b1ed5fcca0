// Something painted by a callback on a layer of its own in the chart.
#pragma once

#include <QRect>
#include <qcustomplot.h>

#include <functional>

namespace zirko {

class TChartLayerable : public QCPLayerable {
public:
    // `zoomBand`: the layer also draws the rectangle of a zoom being dragged.
    TChartLayerable(QCustomPlot* plot, const QString& layer, bool zoomBand);
    void SetPaint(std::function<void(QPainter&)> paint) { Paint = std::move(paint); }
    QRect Band() const { return ZoomBand; }
    void SetBand(const QRect& band) { ZoomBand = band; }

protected:
    void applyDefaultAntialiasingHint(QCPPainter* painter) const override;
    void draw(QCPPainter* painter) override;

private:
    std::function<void(QPainter&)> Paint;
    bool DrawsZoomBand;
    QRect ZoomBand;
};

} // namespace zirko
