#include "gui/graph/ChartGraph.h"

#include "gui/graph/LineRaster.h"

#include <QPaintEngine>

#include <algorithm>
#include <vector>

namespace zirko {

void TChartGraph::draw(QCPPainter* painter)
{
    if (DrawnAlready) {
        DrawnAlready = false;
        return;
    }
    if (!Direct() || !RasterTarget(*painter)) {
        QCPGraph::draw(painter);
        return;
    }
    std::vector<TChartGraph*> run{this};
    const QList<QCPLayerable*> children = layer()->children();
    for (qsizetype k = children.indexOf(this) + 1; k < children.size(); ++k) {
        QCPLayerable* next = children[k];
        if (!next->realVisibility())
            continue;
        auto* graph = dynamic_cast<TChartGraph*>(next);
        if (!graph || graph->clipRect() != clipRect())
            break;
        run.push_back(graph);
    }
    const QRect device(QPoint(0, 0),
                       QSize(painter->device()->width(), painter->device()->height()));
    const QRect area = painter->hasClipping()
                           ? painter->clipBoundingRect().toAlignedRect().intersected(device)
                           : device;
    if (area.isEmpty())
        return;
    QImage& scratch = Owner.RasterScratch();
    if (scratch.size() != area.size()) {
        scratch = QImage(area.size(), QImage::Format_ARGB32_Premultiplied);
        scratch.fill(Qt::transparent);
    }
    TLineRaster raster(scratch, area.topLeft());
    QRect touched;
    QVector<QPointF> points;
    for (TChartGraph* graph : run) {
        if (graph != this)
            graph->DrawnAlready = true;
        if (graph->Direct()) {
            graph->PixelPoints(points);
            raster.Polyline(points.constData(), static_cast<int>(points.size()), graph->pen());
            continue;
        }
        // As the layer would draw it, on the image instead of the buffer.
        QCPPainter other(&scratch);
        other.translate(-area.topLeft());
        other.setClipRect(area);
        graph->applyDefaultAntialiasingHint(&other);
        graph->QCPGraph::draw(&other);
        touched = QRect(QPoint(0, 0), area.size());
    }
    touched |= raster.Touched();
    if (touched.isEmpty())
        return;
    painter->drawImage(area.topLeft() + touched.topLeft(), scratch, touched);
    // The image is left transparent for the next pass.
    for (int y = touched.top(); y <= touched.bottom(); ++y)
        std::fill_n(reinterpret_cast<uint32_t*>(scratch.scanLine(y)) + touched.left(),
                    touched.width(), 0u);
}

QRect TChartGraph::clipRect() const
{
    QRect r = QCPGraph::clipRect();
    const double end = Owner.EndPosition(TAxisId::Bottom);
    if (end < 100) {
        const QRect plot = Owner.PlotRect();
        const int right = plot.left() +
                          static_cast<int>(plot.width() * std::clamp(end, 0.0, 100.0) / 100) +
                          kPastAxisEnd;
        r.setRight(std::min(r.right(), right));
    }
    return r;
}

bool TChartGraph::Direct() const
{
    return Dense && lineStyle() == lsLine && scatterStyle().isNone() &&
           brush().style() == Qt::NoBrush && pen().widthF() <= 1 && !antialiased();
}

bool TChartGraph::RasterTarget(const QCPPainter& painter)
{
    const QPaintDevice* device = painter.device();
    return device && painter.paintEngine() &&
           painter.paintEngine()->type() == QPaintEngine::Raster &&
           !painter.modes().testFlag(QCPPainter::pmVectorized) && !painter.antialiasing() &&
           device->devicePixelRatio() == 1 && painter.transform().isIdentity() &&
           painter.compositionMode() == QPainter::CompositionMode_SourceOver &&
           painter.opacity() == 1;
}

void TChartGraph::PixelPoints(QVector<QPointF>& points) const
{
    points.clear();
    points.reserve(mDataContainer->size());
    const QCPAxis* keys = keyAxis();
    const QCPAxis* values = valueAxis();
    if (keys->orientation() == Qt::Horizontal && keys->scaleType() == QCPAxis::stLinear &&
        values->scaleType() == QCPAxis::stLinear) {
        // Both axes are linear: the mapping is a scale and an offset.
        const QCPRange kr = keys->range();
        const QCPRange vr = values->range();
        const double kScale =
            (keys->coordToPixel(kr.upper) - keys->coordToPixel(kr.lower)) / (kr.upper - kr.lower);
        const double kOffset = keys->coordToPixel(kr.lower) - kScale * kr.lower;
        const double vScale = (values->coordToPixel(vr.upper) - values->coordToPixel(vr.lower)) /
                              (vr.upper - vr.lower);
        const double vOffset = values->coordToPixel(vr.lower) - vScale * vr.lower;
        for (auto it = mDataContainer->constBegin(); it != mDataContainer->constEnd(); ++it)
            points.push_back(QPointF(kOffset + kScale * it->key, vOffset + vScale * it->value));
        return;
    }
    for (auto it = mDataContainer->constBegin(); it != mDataContainer->constEnd(); ++it)
        points.push_back(coordsToPixels(it->key, it->value));
}

} // namespace zirko
