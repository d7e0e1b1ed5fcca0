#include "platform/metafile/ClippingPaintDevice.h"

#include "platform/metafile/MetafilePaintEngine.h"

#include <QFontMetricsF>
#include <QPainter>
#include <QPixmap>
#include <QTextItem>

#include <cmath>

namespace zirko {

class TClippingPaintEngine final : public QPaintEngine {
public:
    explicit TClippingPaintEngine(QPainter& target) : QPaintEngine(AllFeatures), Target(target) {}

    bool begin(QPaintDevice*) override
    {
        Base = Target.transform();
        Matrix = QTransform();
        ClipState = TClipState{};
        Clip.reset();
        return Target.isActive();
    }

    bool end() override
    {
        Target.setTransform(Base);
        return true;
    }

    Type type() const override { return static_cast<Type>(User + 13); }

    void updateState(const QPaintEngineState& state) override
    {
        const DirtyFlags flags = state.state();
        if (flags & DirtyTransform)
            Matrix = state.transform();
        if (flags & DirtyPen)
            Pen = state.pen();
        if (flags & DirtyBrush)
            Brush = state.brush();
        if (flags & DirtyFont)
            Font = state.font();
        if (flags & DirtyHints)
            Target.setRenderHints(state.renderHints());
        if (flags & (DirtyClipPath | DirtyClipRegion | DirtyClipEnabled))
            ApplyClipChange(ClipState, state, Matrix, kLimit);
        Clip = ClipState.Active();
    }

    void drawPath(const QPainterPath& path) override
    {
        if (Unclipped(path.controlPointRect())) {
            Direct();
            Target.drawPath(path);
            return;
        }
        const QPainterPath device = Matrix.map(path);
        if (Brush.style() != Qt::NoBrush) {
            QPainterPath box;
            box.addRect(QRectF(*Clip));
            Flat(Qt::NoPen, DeviceBrush());
            Target.drawPath(device.intersected(box));
        }
        if (Pen.style() != Qt::NoPen)
            StrokeClipped(device.toSubpathPolygons());
    }

    void drawPolygon(const QPointF* points, int pointCount, PolygonDrawMode mode) override
    {
        const QPolygonF polygon(QList<QPointF>(points, points + pointCount));
        if (Unclipped(polygon.boundingRect())) {
            Direct();
            if (mode == PolylineMode)
                Target.drawPolyline(polygon);
            else
                Target.drawPolygon(polygon,
                                   mode == OddEvenMode ? Qt::OddEvenFill : Qt::WindingFill);
            return;
        }
        if (mode == PolylineMode) {
            StrokeClipped({Matrix.map(polygon)});
            return;
        }
        QPainterPath path;
        path.addPolygon(polygon);
        path.closeSubpath();
        path.setFillRule(mode == OddEvenMode ? Qt::OddEvenFill : Qt::WindingFill);
        drawPath(path);
    }

    void drawLines(const QLineF* lines, int lineCount) override
    {
        QList<QPolygonF> device;
        for (int i = 0; i < lineCount; ++i) {
            if (Unclipped(QRectF(lines[i].p1(), lines[i].p2()).normalized())) {
                Direct();
                Target.drawLine(lines[i]);
            } else {
                device << Matrix.map(QPolygonF({lines[i].p1(), lines[i].p2()}));
            }
        }
        StrokeClipped(device);
    }

    void drawRects(const QRectF* rects, int rectCount) override
    {
        for (int i = 0; i < rectCount; ++i) {
            QPainterPath path;
            path.addRect(rects[i]);
            drawPath(path);
        }
    }

    void drawEllipse(const QRectF& rect) override
    {
        QPainterPath path;
        path.addEllipse(rect);
        drawPath(path);
    }

    void drawTextItem(const QPointF& p, const QTextItem& textItem) override
    {
        const QString text = textItem.text();
        const QFont font = textItem.font();
        const QRectF box = QFontMetricsF(font).boundingRect(text).translated(p);
        if (Unclipped(box)) {
            Direct();
            Target.setFont(font);
            Target.drawText(p, text);
            return;
        }
        if (!Matrix.mapRect(box).intersects(QRectF(*Clip)))
            return;
        // Text cut by the clip edge: its outline, cut, stands in for it.
        QPainterPath outline;
        outline.addText(p, font, text);
        QPainterPath clip;
        clip.addRect(QRectF(*Clip));
        Flat(Qt::NoPen, Pen.brush());
        Target.drawPath(Matrix.map(outline).intersected(clip));
    }

    void drawPixmap(const QRectF& r, const QPixmap& pm, const QRectF& sr) override
    {
        drawImage(r, pm.toImage(), sr, Qt::AutoColor);
    }

    void drawImage(const QRectF& r, const QImage& image, const QRectF& sr,
                   Qt::ImageConversionFlags flags) override
    {
        if (Unclipped(r)) {
            Direct();
            Target.drawImage(r, image, sr, flags);
            return;
        }
        const QRectF target = Matrix.mapRect(r);
        const QRectF visible = target.intersected(QRectF(*Clip));
        if (visible.isEmpty() || target.isEmpty())
            return;
        const double sx = sr.width() / target.width();
        const double sy = sr.height() / target.height();
        const QRectF source(sr.left() + (visible.left() - target.left()) * sx,
                            sr.top() + (visible.top() - target.top()) * sy, visible.width() * sx,
                            visible.height() * sy);
        Target.setTransform(Base);
        Target.drawImage(visible, image, source, flags);
    }

private:
    static constexpr QRect kLimit{-1000000, -1000000, 2000000, 2000000};

    // True when nothing of `logical` can reach outside the clip: then the target draws it as is.
    bool Unclipped(const QRectF& logical) const
    {
        if (!Clip)
            return true;
        const double pad = std::max(1.0, Pen.widthF()) * std::sqrt(std::abs(Matrix.determinant()));
        return QRectF(*Clip).contains(Matrix.mapRect(logical).adjusted(-pad, -pad, pad, pad));
    }

    void Direct()
    {
        Target.setTransform(Matrix * Base);
        Target.setPen(Pen);
        Target.setBrush(Brush);
    }

    // Geometry already in device pixels.
    void Flat(const QPen& pen, const QBrush& brush)
    {
        Target.setTransform(Base);
        Target.setPen(pen);
        Target.setBrush(brush);
    }

    QBrush DeviceBrush() const
    {
        QBrush brush = Brush;
        brush.setTransform(Brush.transform() * Matrix);
        return brush;
    }

    void StrokeClipped(const QList<QPolygonF>& deviceLines)
    {
        if (deviceLines.isEmpty() || Pen.style() == Qt::NoPen)
            return;
        QPen pen = Pen;
        if (!pen.isCosmetic())
            pen.setWidthF(pen.widthF() * std::sqrt(std::abs(Matrix.determinant())));
        Flat(pen, Qt::NoBrush);
        const QRectF box = Clip ? QRectF(*Clip) : QRectF(kLimit);
        for (const QPolygonF& line : deviceLines) {
            for (const QPolygonF& piece : ClipPolyline(line, box))
                Target.drawPolyline(piece);
        }
    }

    QPainter& Target;
    QTransform Base;
    QTransform Matrix;
    QPen Pen;
    QBrush Brush;
    QFont Font;
    TClipState ClipState;
    std::optional<QRect> Clip; // the active part of ClipState
};

TClippingPaintDevice::TClippingPaintDevice(QPainter& target)
    : Target(target), Engine(std::make_unique<TClippingPaintEngine>(target))
{
}

TClippingPaintDevice::~TClippingPaintDevice() = default;

QPaintEngine* TClippingPaintDevice::paintEngine() const
{
    return Engine.get();
}

int TClippingPaintDevice::metric(PaintDeviceMetric metric) const
{
    const QPaintDevice* device = Target.device();
    switch (metric) {
    case PdmWidth:
        return device->width();
    case PdmHeight:
        return device->height();
    case PdmWidthMM:
        return device->widthMM();
    case PdmHeightMM:
        return device->heightMM();
    case PdmNumColors:
        return device->colorCount();
    case PdmDepth:
        return device->depth();
    case PdmDpiX:
        return device->logicalDpiX();
    case PdmDpiY:
        return device->logicalDpiY();
    case PdmPhysicalDpiX:
        return device->physicalDpiX();
    case PdmPhysicalDpiY:
        return device->physicalDpiY();
    case PdmDevicePixelRatio:
        return 1;
    case PdmDevicePixelRatioScaled:
        return static_cast<int>(devicePixelRatioFScale());
    }
    return QPaintDevice::metric(metric);
}

} // namespace zirko
