#include "gui/graph/ChartLayerable.h"

namespace zirko {

TChartLayerable::TChartLayerable(QCustomPlot* plot, const QString& layer, bool zoomBand)
    : QCPLayerable(plot, layer), DrawsZoomBand(zoomBand)
{
}

void TChartLayerable::applyDefaultAntialiasingHint(QCPPainter* painter) const
{
    painter->setAntialiasing(false);
}

void TChartLayerable::draw(QCPPainter* painter)
{
    if (Paint) {
        painter->save();
        Paint(*painter);
        painter->restore();
    }
    if (DrawsZoomBand && !ZoomBand.isNull()) {
        painter->save();
        painter->setPen(QPen(Qt::black, 1, Qt::DotLine));
        painter->setBrush(Qt::NoBrush);
        painter->drawRect(ZoomBand);
        painter->restore();
    }
}

} // namespace zirko
