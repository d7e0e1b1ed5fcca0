#include "platform/metafile/MetafilePaintEngine.h"

#include <QFontMetricsF>
#include <QPainter>
#include <QPixmap>
#include <QTextItem>

#include <algorithm>
#include <climits>
#include <cmath>
#include <numbers>

namespace zirko {

namespace {

// Far outside the picture nothing shows; the margin keeps pen joins and caps at the edge intact
// while every coordinate stays a 16-bit record value.
constexpr double kGuardMargin = 1024.0;
constexpr double kCoordinateLimit = 32000.0;

QRectF GuardBox(QSize pixels)
{
    const double left = std::max(-kGuardMargin, -kCoordinateLimit);
    const double top = left;
    const double right = std::min(pixels.width() + kGuardMargin, kCoordinateLimit);
    const double bottom = std::min(pixels.height() + kGuardMargin, kCoordinateLimit);
    return QRectF(QPointF(left, top), QPointF(right, bottom));
}

// Smallest whole-pixel rectangle covering `r`.
QRect OuterRect(const QRectF& r)
{
    const int left = static_cast<int>(std::floor(r.left() + 1e-6));
    const int top = static_cast<int>(std::floor(r.top() + 1e-6));
    const int right = static_cast<int>(std::ceil(r.right() - 1e-6));
    const int bottom = static_cast<int>(std::ceil(r.bottom() - 1e-6));
    return QRect(QPoint(left, top), QPoint(right - 1, bottom - 1));
}

QPolygon RoundPoints(const QPolygonF& points)
{
    QPolygon out;
    out.reserve(points.size());
    for (const QPointF& p : points) {
        const QPoint q(qRound(p.x()), qRound(p.y()));
        if (out.isEmpty() || out.last() != q)
            out << q;
    }
    return out;
}

QColor AverageGradientColor(const QGradient& gradient)
{
    const QGradientStops stops = gradient.stops();
    if (stops.isEmpty())
        return Qt::black;
    double r = 0, g = 0, b = 0, a = 0;
    for (const QGradientStop& stop : stops) {
        r += stop.second.redF();
        g += stop.second.greenF();
        b += stop.second.blueF();
        a += stop.second.alphaF();
    }
    const double n = static_cast<double>(stops.size());
    return QColor::fromRgbF(static_cast<float>(r / n), static_cast<float>(g / n),
                            static_cast<float>(b / n), static_cast<float>(a / n));
}

// Liang-Barsky: the part of segment a-b inside the box, as parameters 0 <= t0 <= t1 <= 1.
bool ClipSegment(QPointF a, QPointF b, const QRectF& box, double& t0, double& t1)
{
    t0 = 0;
    t1 = 1;
    const double dx = b.x() - a.x();
    const double dy = b.y() - a.y();
    const double p[4] = {-dx, dx, -dy, dy};
    const double q[4] = {a.x() - box.left(), box.right() - a.x(), a.y() - box.top(),
                         box.bottom() - a.y()};
    for (int i = 0; i < 4; ++i) {
        if (p[i] == 0) {
            if (q[i] < 0)
                return false;
            continue;
        }
        const double t = q[i] / p[i];
        if (p[i] < 0)
            t0 = std::max(t0, t);
        else
            t1 = std::min(t1, t);
        if (t0 > t1)
            return false;
    }
    return true;
}

} // namespace

uint32_t ColorRef(const QColor& color)
{
    const QColor rgb = color.toRgb();
    const double alpha = rgb.alphaF();
    auto blend = [alpha](int c) {
        return static_cast<uint32_t>(std::lround(c * alpha + 255.0 * (1.0 - alpha)));
    };
    return blend(rgb.red()) | (blend(rgb.green()) << 8) | (blend(rgb.blue()) << 16);
}

QList<QPolygonF> ClipPolyline(const QPolygonF& line, const QRectF& box)
{
    QList<QPolygonF> out;
    QPolygonF current;
    for (qsizetype i = 1; i < line.size(); ++i) {
        const QPointF a = line[i - 1];
        const QPointF b = line[i];
        double t0 = 0, t1 = 1;
        if (!ClipSegment(a, b, box, t0, t1)) {
            if (current.size() >= 2)
                out << current;
            current.clear();
            continue;
        }
        const QPointF p = t0 > 0 ? a + (b - a) * t0 : a;
        const QPointF q = t1 < 1 ? a + (b - a) * t1 : b;
        if (current.isEmpty() || t0 > 0) {
            if (current.size() >= 2)
                out << current;
            current = QPolygonF{p};
        }
        current << q;
        if (t1 < 1) {
            out << current;
            current.clear();
        }
    }
    if (current.size() >= 2)
        out << current;
    return out;
}

QPolygonF ClipPolygon(const QPolygonF& polygon, const QRectF& box)
{
    QPolygonF poly = polygon;
    if (poly.size() > 1 && poly.first() == poly.last())
        poly.removeLast();
    // Sutherland-Hodgman against the four edges in turn.
    for (int edge = 0; edge < 4 && !poly.isEmpty(); ++edge) {
        auto inside = [&](QPointF p) {
            switch (edge) {
            case 0:
                return p.x() >= box.left();
            case 1:
                return p.x() <= box.right();
            case 2:
                return p.y() >= box.top();
            default:
                return p.y() <= box.bottom();
            }
        };
        auto cross = [&](QPointF a, QPointF b) {
            double t = 0;
            switch (edge) {
            case 0:
                t = (box.left() - a.x()) / (b.x() - a.x());
                break;
            case 1:
                t = (box.right() - a.x()) / (b.x() - a.x());
                break;
            case 2:
                t = (box.top() - a.y()) / (b.y() - a.y());
                break;
            default:
                t = (box.bottom() - a.y()) / (b.y() - a.y());
                break;
            }
            return a + (b - a) * t;
        };
        QPolygonF out;
        for (qsizetype i = 0; i < poly.size(); ++i) {
            const QPointF cur = poly[i];
            const QPointF prev = poly[(i + poly.size() - 1) % poly.size()];
            const bool curIn = inside(cur);
            if (curIn != inside(prev))
                out << cross(prev, cur);
            if (curIn)
                out << cur;
        }
        poly = out;
    }
    return poly;
}

void ApplyClipChange(TClipState& clip, const QPaintEngineState& state, const QTransform& matrix,
                     const QRect& limit)
{
    const QPaintEngine::DirtyFlags flags = state.state();
    if (flags & (QPaintEngine::DirtyClipPath | QPaintEngine::DirtyClipRegion)) {
        QPainterPath shape;
        if (flags & QPaintEngine::DirtyClipPath)
            shape = state.clipPath();
        else
            shape.addRegion(state.clipRegion());
        QRect box =
            shape.isEmpty() ? QRect(0, 0, 0, 0) : OuterRect(matrix.map(shape).boundingRect());
        box = box.intersected(limit);
        switch (state.clipOperation()) {
        case Qt::NoClip:
            clip.Shape.reset();
            break;
        case Qt::ReplaceClip:
            clip.Shape = box;
            break;
        case Qt::IntersectClip:
            clip.Shape = clip.Shape ? clip.Shape->intersected(box) : box;
            break;
        }
        if (clip.Shape && clip.Shape->isEmpty())
            clip.Shape = QRect(0, 0, 0, 0);
    }
    if (flags & QPaintEngine::DirtyClipEnabled)
        clip.Enabled = state.isClipEnabled();
    else if (flags & (QPaintEngine::DirtyClipPath | QPaintEngine::DirtyClipRegion))
        clip.Enabled = true;
    if (!clip.Shape)
        clip.Enabled = false;
}

TMetafilePaintEngine::TMetafilePaintEngine() : QPaintEngine(AllFeatures) {}

TMetafilePaintEngine::~TMetafilePaintEngine() = default;

bool TMetafilePaintEngine::begin(QPaintDevice* device)
{
    Pixels = QSize(device->width(), device->height());
    Dpi = std::max(1, device->logicalDpiY());
    Matrix = QTransform();
    Pen = QPen();
    Brush = QBrush();
    Font = QFont();
    WantedClip = TClipState{};
    WrittenClip.reset();
    Dc = TDcState{};
    SavedDc.reset();
    HandleUsed.clear();
    HandleHigh = 0;
    ResultBytes.clear();
    StartRecords(Pixels, Dpi);
    return true;
}

bool TMetafilePaintEngine::end()
{
    if (SavedDc) {
        WriteRestoreDc();
        RestoreState();
        WrittenClip.reset();
    }
    if (SelectStockObjects()) {
        for (int* handle : {&Dc.Pen, &Dc.Brush, &Dc.Font}) {
            if (*handle >= 0) {
                WriteDeleteObject(*handle);
                ReleaseHandle(*handle);
            }
            *handle = -1;
        }
        Dc = TDcState{};
    }
    ResultBytes = FinishRecords(HandleHigh);
    return true;
}

void TMetafilePaintEngine::updateState(const QPaintEngineState& state)
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
    if (flags & (DirtyClipPath | DirtyClipRegion | DirtyClipEnabled))
        NoteClipChange(state);
}

void TMetafilePaintEngine::NoteClipChange(const QPaintEngineState& state)
{
    ApplyClipChange(WantedClip, state, Matrix, OuterRect(GuardBox(Pixels)));
}

// GDI intersects clips only; a wider or different clip goes back to the state saved before the
// last one and starts again from there.
void TMetafilePaintEngine::SyncClip()
{
    const std::optional<QRect> wanted = WantedClip.Active();
    if (wanted == WrittenClip)
        return;
    if (SavedDc) {
        WriteRestoreDc();
        RestoreState();
    }
    if (wanted) {
        WriteSaveDc();
        SaveState();
        WriteIntersectClip(*wanted);
    }
    WrittenClip = wanted;
}

int TMetafilePaintEngine::NewHandle()
{
    // A WMF player puts each new object in the lowest free slot; EMF follows the same rule.
    const int first = FirstHandle();
    int handle = first;
    while (handle < static_cast<int>(HandleUsed.size()) && HandleUsed[handle])
        ++handle;
    if (handle >= static_cast<int>(HandleUsed.size()))
        HandleUsed.resize(handle + 1, false);
    HandleUsed[handle] = true;
    HandleHigh = std::max(HandleHigh, handle + 1);
    return handle;
}

void TMetafilePaintEngine::ReleaseHandle(int handle)
{
    if (handle >= 0 && handle < static_cast<int>(HandleUsed.size()))
        HandleUsed[handle] = false;
}

// An object replaced in the DC is deleted unless the saved DC will select it again.
void TMetafilePaintEngine::Unselect(int handle)
{
    if (handle < 0)
        return;
    if (SavedDc && (SavedDc->Pen == handle || SavedDc->Brush == handle || SavedDc->Font == handle))
        return;
    WriteDeleteObject(handle);
    ReleaseHandle(handle);
}

void TMetafilePaintEngine::SaveState()
{
    SavedDc = Dc;
}

void TMetafilePaintEngine::RestoreState()
{
    if (!SavedDc)
        return;
    const TDcState saved = *SavedDc;
    const TDcState current = Dc;
    Dc = saved;
    SavedDc.reset();
    // The restore re-selected the saved objects; the ones selected since are free now.
    if (current.Pen != saved.Pen && current.Pen >= 0) {
        WriteDeleteObject(current.Pen);
        ReleaseHandle(current.Pen);
    }
    if (current.Brush != saved.Brush && current.Brush >= 0) {
        WriteDeleteObject(current.Brush);
        ReleaseHandle(current.Brush);
    }
    if (current.Font != saved.Font && current.Font >= 0) {
        WriteDeleteObject(current.Font);
        ReleaseHandle(current.Font);
    }
}

void TMetafilePaintEngine::UsePen(const TMetaPen& pen)
{
    if (Dc.PenValue == pen)
        return;
    const int handle = NewHandle();
    WriteCreatePen(handle, pen);
    WriteSelectObject(handle);
    const int old = Dc.Pen;
    Dc.Pen = handle;
    Dc.PenValue = pen;
    Unselect(old);
}

void TMetafilePaintEngine::UseBrush(const TMetaBrush& brush)
{
    if (Dc.BrushValue == brush)
        return;
    const int handle = NewHandle();
    WriteCreateBrush(handle, brush);
    WriteSelectObject(handle);
    const int old = Dc.Brush;
    Dc.Brush = handle;
    Dc.BrushValue = brush;
    Unselect(old);
}

void TMetafilePaintEngine::UseFont(const TMetaFont& font)
{
    if (Dc.FontValue == font)
        return;
    const int handle = NewHandle();
    WriteCreateFont(handle, font);
    WriteSelectObject(handle);
    const int old = Dc.Font;
    Dc.Font = handle;
    Dc.FontValue = font;
    Unselect(old);
}

TMetaPen TMetafilePaintEngine::CurrentPen() const
{
    if (Pen.style() == Qt::NoPen || Pen.brush().style() == Qt::NoBrush || Pen.color().alpha() == 0)
        return TMetaPen{kPsNull, 1, 0};
    int style = kPsSolid;
    switch (Pen.style()) {
    case Qt::DashLine:
        style = kPsDash;
        break;
    case Qt::DotLine:
        style = kPsDot;
        break;
    case Qt::DashDotLine:
        style = kPsDashDot;
        break;
    case Qt::DashDotDotLine:
        style = kPsDashDotDot;
        break;
    default:
        break;
    }
    double width = Pen.widthF();
    if (!Pen.isCosmetic())
        width *= std::sqrt(std::abs(Matrix.determinant()));
    const int pixels = std::max(1, static_cast<int>(std::lround(width)));
    if (pixels > 1) {
        switch (Pen.capStyle()) {
        case Qt::FlatCap:
            style |= kPsEndCapFlat;
            break;
        case Qt::RoundCap:
            style |= kPsEndCapRound;
            break;
        default:
            style |= kPsEndCapSquare;
            break;
        }
        switch (Pen.joinStyle()) {
        case Qt::RoundJoin:
            style |= kPsJoinRound;
            break;
        case Qt::BevelJoin:
            style |= kPsJoinBevel;
            break;
        default:
            style |= kPsJoinMiter;
            break;
        }
    }
    return TMetaPen{style, pixels, ColorRef(Pen.color())};
}

TMetaBrush TMetafilePaintEngine::CurrentBrush() const
{
    const TMetaBrush none{kBsNull, 0, 0};
    switch (Brush.style()) {
    case Qt::NoBrush:
        return none;
    case Qt::LinearGradientPattern:
    case Qt::RadialGradientPattern:
    case Qt::ConicalGradientPattern: {
        const QColor c = Brush.gradient() ? AverageGradientColor(*Brush.gradient()) : Qt::black;
        return c.alpha() == 0 ? none : TMetaBrush{kBsSolid, ColorRef(c), 0};
    }
    case Qt::HorPattern:
        return TMetaBrush{kBsHatched, ColorRef(Brush.color()), 0};
    case Qt::VerPattern:
        return TMetaBrush{kBsHatched, ColorRef(Brush.color()), 1};
    case Qt::FDiagPattern:
        return TMetaBrush{kBsHatched, ColorRef(Brush.color()), 2};
    case Qt::BDiagPattern:
        return TMetaBrush{kBsHatched, ColorRef(Brush.color()), 3};
    case Qt::CrossPattern:
        return TMetaBrush{kBsHatched, ColorRef(Brush.color()), 4};
    case Qt::DiagCrossPattern:
        return TMetaBrush{kBsHatched, ColorRef(Brush.color()), 5};
    default:
        return Brush.color().alpha() == 0 ? none : TMetaBrush{kBsSolid, ColorRef(Brush.color()), 0};
    }
}

bool TMetafilePaintEngine::PrepareDrawing(bool stroke, bool fill, int fillMode)
{
    SyncClip();
    UsePen(stroke ? CurrentPen() : TMetaPen{kPsNull, 1, 0});
    UseBrush(fill ? CurrentBrush() : TMetaBrush{kBsNull, 0, 0});
    if (fill && Dc.FillMode != fillMode) {
        WriteFillMode(fillMode);
        Dc.FillMode = fillMode;
    }
    return true;
}

void TMetafilePaintEngine::StrokePolylines(const QList<QPolygonF>& devicePolylines)
{
    if (CurrentPen().Style == kPsNull)
        return;
    const QRectF guard = GuardBox(Pixels);
    QList<QPolygon> lines;
    for (const QPolygonF& line : devicePolylines) {
        for (const QPolygonF& piece : ClipPolyline(line, guard)) {
            QPolygon points = RoundPoints(piece);
            if (points.size() >= 2)
                lines << points;
        }
    }
    if (lines.isEmpty())
        return;
    PrepareDrawing(true, false, Dc.FillMode);
    const int limit = std::max(2, MaxPointsPerRecord());
    for (const QPolygon& line : lines) {
        // Long lines go out in pieces that share their joining point.
        for (qsizetype start = 0; start < line.size() - 1; start += limit - 1)
            WritePolyline(line.mid(start, limit));
    }
}

void TMetafilePaintEngine::FillPolygons(const QList<QPolygonF>& devicePolygons, bool stroke,
                                        int fillMode)
{
    const bool fill = CurrentBrush().Style != kBsNull;
    stroke = stroke && CurrentPen().Style != kPsNull;
    if (!fill && !stroke)
        return;
    const QRectF guard = GuardBox(Pixels);
    const int limit = std::max(3, MaxPointsPerRecord());
    QList<QPolygon> polygons;
    for (const QPolygonF& polygon : devicePolygons) {
        QPolygon points = RoundPoints(ClipPolygon(polygon, guard));
        if (points.size() > 1 && points.first() == points.last())
            points.removeLast();
        if (points.size() > limit) {
            // A format limit, far beyond what a chart fills: keep an even selection of corners.
            QPolygon reduced;
            for (int i = 0; i < limit; ++i)
                reduced << points[static_cast<qsizetype>(i) * points.size() / limit];
            points = reduced;
        }
        if (points.size() >= 3)
            polygons << points;
    }
    if (polygons.isEmpty())
        return;
    PrepareDrawing(stroke, fill, fillMode);
    QList<QPolygon> group;
    qsizetype groupPoints = 0;
    for (const QPolygon& polygon : polygons) {
        if (!group.isEmpty() && groupPoints + polygon.size() > limit) {
            WritePolygons(group);
            group.clear();
            groupPoints = 0;
        }
        group << polygon;
        groupPoints += polygon.size();
    }
    WritePolygons(group);
}

void TMetafilePaintEngine::drawPath(const QPainterPath& path)
{
    if (path.isEmpty())
        return;
    const bool stroke = CurrentPen().Style != kPsNull;
    const bool fill = CurrentBrush().Style != kBsNull;
    const int fillMode = path.fillRule() == Qt::WindingFill ? kWinding : kAlternate;
    const QList<QPolygonF> subpaths = path.toSubpathPolygons(Matrix);
    const bool allClosed = std::all_of(subpaths.begin(), subpaths.end(), [](const QPolygonF& p) {
        return p.size() > 2 && p.first() == p.last();
    });
    if (fill && stroke && allClosed) {
        FillPolygons(subpaths, true, fillMode);
        return;
    }
    if (fill)
        FillPolygons(subpaths, false, fillMode);
    if (stroke)
        StrokePolylines(subpaths);
}

void TMetafilePaintEngine::drawPolygon(const QPointF* points, int pointCount, PolygonDrawMode mode)
{
    if (pointCount < 2)
        return;
    const QPolygonF device = Matrix.map(QPolygonF(QList<QPointF>(points, points + pointCount)));
    if (mode == PolylineMode) {
        StrokePolylines({device});
        return;
    }
    FillPolygons({device}, true, mode == OddEvenMode ? kAlternate : kWinding);
}

void TMetafilePaintEngine::drawPolygon(const QPoint* points, int pointCount, PolygonDrawMode mode)
{
    QList<QPointF> converted;
    converted.reserve(pointCount);
    for (int i = 0; i < pointCount; ++i)
        converted << QPointF(points[i]);
    drawPolygon(converted.constData(), pointCount, mode);
}

void TMetafilePaintEngine::drawLines(const QLineF* lines, int lineCount)
{
    QList<QPolygonF> polylines;
    for (int i = 0; i < lineCount; ++i) {
        const QPointF a = Matrix.map(lines[i].p1());
        const QPointF b = Matrix.map(lines[i].p2());
        if (!polylines.isEmpty() && polylines.last().last() == a)
            polylines.last() << b;
        else
            polylines << QPolygonF{a, b};
    }
    StrokePolylines(polylines);
}

void TMetafilePaintEngine::drawLines(const QLine* lines, int lineCount)
{
    QList<QLineF> converted;
    converted.reserve(lineCount);
    for (int i = 0; i < lineCount; ++i)
        converted << QLineF(lines[i]);
    drawLines(converted.constData(), lineCount);
}

void TMetafilePaintEngine::DrawBox(const QRectF& rect, bool ellipse)
{
    const bool stroke = CurrentPen().Style != kPsNull;
    const bool fill = CurrentBrush().Style != kBsNull;
    if (!stroke && !fill)
        return;
    const QRectF device = Matrix.mapRect(rect).normalized();
    if (Matrix.type() > QTransform::TxScale || !GuardBox(Pixels).contains(device)) {
        QPainterPath path;
        if (ellipse)
            path.addEllipse(rect);
        else
            path.addRect(rect);
        drawPath(path);
        return;
    }
    // A GDI box leaves out its right and bottom edge, which Qt's rectangle includes.
    const QRect box(QPoint(qRound(device.left()), qRound(device.top())),
                    QPoint(qRound(device.right()), qRound(device.bottom())));
    PrepareDrawing(stroke, fill, Dc.FillMode);
    if (ellipse)
        WriteEllipse(box);
    else
        WriteRectangle(box);
}

void TMetafilePaintEngine::drawRects(const QRectF* rects, int rectCount)
{
    for (int i = 0; i < rectCount; ++i)
        DrawBox(rects[i], false);
}

void TMetafilePaintEngine::drawRects(const QRect* rects, int rectCount)
{
    for (int i = 0; i < rectCount; ++i)
        DrawBox(QRectF(rects[i]), false);
}

void TMetafilePaintEngine::drawEllipse(const QRectF& rect)
{
    DrawBox(rect, true);
}

void TMetafilePaintEngine::drawEllipse(const QRect& rect)
{
    DrawBox(QRectF(rect), true);
}

void TMetafilePaintEngine::drawTextItem(const QPointF& p, const QTextItem& textItem)
{
    const QString text = textItem.text();
    if (text.isEmpty() || Pen.style() == Qt::NoPen || Pen.color().alpha() == 0)
        return;
    const QPointF reference = Matrix.map(p);
    if (!GuardBox(Pixels).contains(reference))
        return;
    const QFont font = textItem.font();
    const double pixelSize =
        font.pixelSize() > 0 ? font.pixelSize() : font.pointSizeF() * Dpi / 72.0;
    const double scaleX = std::hypot(Matrix.m11(), Matrix.m12());
    const double scaleY = std::hypot(Matrix.m21(), Matrix.m22());
    // Qt turns clockwise on screen, GDI counts its escapement counter-clockwise.
    const double angle = -std::atan2(Matrix.m12(), Matrix.m11()) * 180.0 / std::numbers::pi;
    int escapement = static_cast<int>(std::lround(angle * 10.0)) % 3600;
    if (escapement < 0)
        escapement += 3600;

    TMetaFont metaFont;
    metaFont.Face = font.family();
    metaFont.Height = -std::max(1, static_cast<int>(std::lround(pixelSize * scaleY)));
    metaFont.Escapement = escapement;
    metaFont.Weight = font.weight();
    metaFont.Italic = font.italic();
    // QPainter draws underline and strike-out itself as lines after the text.

    // Advances from Qt's own layout, so the players place each character where Qt did.
    const QFontMetricsF metrics(font, paintDevice());
    std::vector<int> advances;
    long placed = 0;
    for (qsizetype i = 0; i < text.size();) {
        const qsizetype step = text[i].isHighSurrogate() && i + 1 < text.size() ? 2 : 1;
        i += step;
        const double position = metrics.horizontalAdvance(text.left(i)) * scaleX;
        const long end = std::lround(position);
        advances.push_back(static_cast<int>(end - placed));
        placed = end;
    }

    SyncClip();
    UseFont(metaFont);
    const uint32_t color = ColorRef(Pen.color());
    if (Dc.TextColor != color) {
        WriteTextColor(color);
        Dc.TextColor = color;
    }
    WriteText(QPoint(qRound(reference.x()), qRound(reference.y())), text, advances);
}

void TMetafilePaintEngine::drawPixmap(const QRectF& r, const QPixmap& pm, const QRectF& sr)
{
    drawImage(r, pm.toImage(), sr);
}

void TMetafilePaintEngine::drawImage(const QRectF& r, const QImage& image, const QRectF& sr,
                                     Qt::ImageConversionFlags)
{
    if (image.isNull() || r.isEmpty())
        return;
    QRectF target = Matrix.mapRect(r);
    QRectF source = sr.isEmpty() ? QRectF(image.rect()) : sr;
    const QRectF visible = target.intersected(GuardBox(Pixels));
    if (visible.isEmpty())
        return;
    if (visible != target) {
        const double sx = source.width() / target.width();
        const double sy = source.height() / target.height();
        source = QRectF(source.left() + (visible.left() - target.left()) * sx,
                        source.top() + (visible.top() - target.top()) * sy, visible.width() * sx,
                        visible.height() * sy);
        target = visible;
    }
    const QRect box(QPoint(qRound(target.left()), qRound(target.top())),
                    QPoint(qRound(target.right()) - 1, qRound(target.bottom()) - 1));
    const QRect sourceBox = source.toAlignedRect().intersected(image.rect());
    if (box.isEmpty() || sourceBox.isEmpty())
        return;
    // Bitmap records carry no alpha: translucent pixels are laid on white paper.
    QImage rgb(sourceBox.size(), QImage::Format_RGB888);
    rgb.fill(Qt::white);
    {
        QPainter onWhite(&rgb);
        onWhite.drawImage(QPoint(0, 0), image, sourceBox);
    }
    SyncClip();
    WriteBitmap(box, rgb);
}

TMetafilePaintDevice::TMetafilePaintDevice(QSize pixelSize, int dpi,
                                           std::unique_ptr<TMetafilePaintEngine> engine)
    : PixelSize(pixelSize.expandedTo(QSize(1, 1))), Dpi(std::max(1, dpi)), Engine(std::move(engine))
{
}

TMetafilePaintDevice::~TMetafilePaintDevice() = default;

QPaintEngine* TMetafilePaintDevice::paintEngine() const
{
    return Engine.get();
}

QByteArray TMetafilePaintDevice::Data() const
{
    return Engine->Result();
}

int TMetafilePaintDevice::metric(PaintDeviceMetric metric) const
{
    switch (metric) {
    case PdmWidth:
        return PixelSize.width();
    case PdmHeight:
        return PixelSize.height();
    case PdmWidthMM:
        return static_cast<int>(std::lround(PixelSize.width() * 25.4 / Dpi));
    case PdmHeightMM:
        return static_cast<int>(std::lround(PixelSize.height() * 25.4 / Dpi));
    case PdmNumColors:
        return INT_MAX;
    case PdmDepth:
        return 32;
    case PdmDpiX:
    case PdmDpiY:
    case PdmPhysicalDpiX:
    case PdmPhysicalDpiY:
        return Dpi;
    case PdmDevicePixelRatio:
        return 1;
    case PdmDevicePixelRatioScaled:
        return static_cast<int>(devicePixelRatioFScale());
    }
    return QPaintDevice::metric(metric);
}

} // namespace zirko
