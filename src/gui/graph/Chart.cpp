#include "gui/graph/Chart.h"

#include "core/app/TextCodec.h"
#include "core/graph/ChartMath.h"
#include "gui/graph/LineRaster.h"

#include <QApplication>
#include <QClipboard>
#include <QFontMetrics>
#include <QImage>
#include <QMouseEvent>
#include <QPaintEngine>
#include <QPicture>
#include <QPrinter>
#include <QTimer>
#include <QVBoxLayout>
#include <qcustomplot.h>

#include <algorithm>
#include <cmath>
#include <numeric>

namespace zirko {

namespace {

const QString kBeforeDrawLayer = "chartbeforedraw";
const QString kAfterDrawLayer = "chartafterdraw";
const QString kOverlayLayer = "chartoverlay"; // "overlay" is QCustomPlot's own
// Point series up to this size are handed over whole.
constexpr int kPointSeriesWhole = 20000;

Qt::PenStyle QtPenStyle(TLineStyle style)
{
    switch (style) {
    case TLineStyle::Solid:
        return Qt::SolidLine;
    case TLineStyle::Dash:
        return Qt::DashLine;
    case TLineStyle::Dot:
        return Qt::DotLine;
    case TLineStyle::DashDot:
        return Qt::DashDotLine;
    case TLineStyle::DashDotDot:
        return Qt::DashDotDotLine;
    }
    return Qt::SolidLine;
}

QCPScatterStyle::ScatterShape QcpShape(TSymbolStyle style)
{
    switch (style) {
    case TSymbolStyle::Rectangle:
        return QCPScatterStyle::ssSquare;
    case TSymbolStyle::Circle:
        return QCPScatterStyle::ssCircle;
    case TSymbolStyle::Triangle:
        return QCPScatterStyle::ssTriangle;
    case TSymbolStyle::DownTriangle:
        return QCPScatterStyle::ssTriangleInverted;
    case TSymbolStyle::Cross:
        return QCPScatterStyle::ssPlus;
    case TSymbolStyle::DiagCross:
        return QCPScatterStyle::ssCross;
    case TSymbolStyle::Star:
        return QCPScatterStyle::ssStar;
    case TSymbolStyle::Diamond:
        return QCPScatterStyle::ssDiamond;
    case TSymbolStyle::SmallDot:
        // ssDot needs a 2-pixel pen to show at all; a small disc is what a dot should look like.
        return QCPScatterStyle::ssDisc;
    }
    return QCPScatterStyle::ssSquare;
}

// White is left out: a curve in it would vanish on the white plot.
const std::array<QColor, 15> kFreePalette{
    QColor(0xFF, 0x00, 0x00), QColor(0x00, 0x80, 0x00), QColor(0xFF, 0xFF, 0x00),
    QColor(0x00, 0x00, 0xFF), QColor(0x80, 0x80, 0x80), QColor(0xFF, 0x00, 0xFF),
    QColor(0x00, 0x80, 0x80), QColor(0x00, 0x00, 0x80), QColor(0x80, 0x00, 0x00),
    QColor(0x00, 0xFF, 0x00), QColor(0x80, 0x80, 0x00), QColor(0x80, 0x00, 0x80),
    QColor(0xC0, 0xC0, 0xC0), QColor(0x00, 0xFF, 0xFF), QColor(0x00, 0x00, 0x00)};

} // namespace

// Labels in "#,##0.##" style through the chart's label hook; on an axis that ends before the
// plot's edge no tick is placed beyond the axis end.
class TChartTicker : public QCPAxisTicker {
public:
    TChartTicker(TChart& chart, TAxisId axis) : Chart(chart), Axis(axis) {}
    int Decimals = 2;
    double Step = 0;

protected:
    double getTickStep(const QCPRange& range) override
    {
        // No two labels may read the same in the axis's number format.
        if (Step <= 0)
            return DistinctLabelStep(QCPAxisTicker::getTickStep(range), Decimals);
        // A fixed step is kept as long as the labels do not run into each other.
        const QCPAxis* axis = Chart.AxisOf(Axis);
        const double pixels = axis->orientation() == Qt::Horizontal ? axis->axisRect()->width()
                                                                    : axis->axisRect()->height();
        const double most = std::max(2.0, pixels / kMinLabelSpacing);
        const double count = range.size() / Step;
        return DistinctLabelStep(count <= most ? Step : Step * std::ceil(count / most), Decimals);
    }
    QVector<double> createTickVector(double tickStep, const QCPRange& range) override
    {
        QVector<double> ticks = QCPAxisTicker::createTickVector(tickStep, range);
        const double end = Chart.Maximum(Axis);
        const double slack = std::abs(tickStep) * 1e-9;
        ticks.erase(std::remove_if(ticks.begin(), ticks.end(),
                                   [end, slack](double t) { return t > end + slack; }),
                    ticks.end());
        return ticks;
    }
    QString getTickLabel(double tick, const QLocale&, QChar, int) override
    {
        if (Axis == TAxisId::Voltage) {
            // Its labels stand inside the plot, centred on their ticks: a tick closer to the
            // plot's top or bottom than half a label keeps its mark but shows no label, which
            // would be cut.
            const QCPAxis* axis = Chart.AxisOf(Axis);
            const QRect plot = axis->axisRect()->rect();
            const int half = QFontMetrics(axis->tickLabelFont()).height() / 2 + 1;
            const double y = axis->coordToPixel(tick);
            if (y < plot.top() + half || y > plot.bottom() - half)
                return {};
        }
        const QString text = QString::fromStdString(
            FormatAxisNumber(tick, Decimals, Chart.GroupSeparator, Chart.DecimalSeparator));
        return Chart.LabelHook ? Chart.LabelHook(Axis, text) : text;
    }

private:
    static constexpr double kMinLabelSpacing = 20;
    TChart& Chart;
    TAxisId Axis;
};

// Something drawn by a callback on a layer of its own.
class TChartLayerable : public QCPLayerable {
public:
    TChartLayerable(QCustomPlot* plot, const QString& layer, std::function<void(QPainter&)>& paint,
                    bool zoomBand)
        : QCPLayerable(plot, layer), Paint(paint), DrawsZoomBand(zoomBand)
    {
    }
    QRect Band; // the rectangle of a zoom being dragged

protected:
    void applyDefaultAntialiasingHint(QCPPainter* painter) const override
    {
        painter->setAntialiasing(false);
    }
    void draw(QCPPainter* painter) override
    {
        if (Paint) {
            painter->save();
            Paint(*painter);
            painter->restore();
        }
        if (DrawsZoomBand && !Band.isNull()) {
            painter->save();
            painter->setPen(QPen(Qt::black, 1, Qt::DotLine));
            painter->setBrush(Qt::NoBrush);
            painter->drawRect(Band);
            painter->restore();
        }
    }

private:
    std::function<void(QPainter&)>& Paint;
    bool DrawsZoomBand;
};

// A graph whose dense lines are drawn straight into the pixels of a raster buffer. The graphs that
// follow one such graph on the layer are drawn with it into a transparent image, the dense ones
// directly and the others by QCustomPlot, and the image goes onto the buffer in one piece, so
// the drawing order stays as it is. Anything else is drawn by QCustomPlot as usual.
class TChartGraph : public QCPGraph {
public:
    TChartGraph(TChart& chart, QCPAxis* keyAxis, QCPAxis* valueAxis)
        : QCPGraph(keyAxis, valueAxis), Chart(chart)
    {
    }
    // Set when the line has more than a point per pixel column and is drawn without smoothing.
    bool Dense = false;

protected:
    void draw(QCPPainter* painter) override
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
        QImage& scratch = Chart.RasterScratch;
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

    // Curves and symbols stay left of the strip where the voltage labels stand.
    QRect clipRect() const override
    {
        QRect r = QCPGraph::clipRect();
        const double end = Chart.Axes[static_cast<size_t>(TAxisId::Bottom)].EndPercent;
        if (end < 100) {
            const QRect plot = Chart.PlotRect();
            const int right = plot.left() +
                              static_cast<int>(plot.width() * std::clamp(end, 0.0, 100.0) / 100) +
                              kPastAxisEnd;
            r.setRight(std::min(r.right(), right));
        }
        return r;
    }

private:
    // Room for a symbol or a line end on the time axis's last value.
    static constexpr int kPastAxisEnd = 5;
    bool Direct() const
    {
        return Dense && lineStyle() == lsLine && scatterStyle().isNone() &&
               brush().style() == Qt::NoBrush && pen().widthF() <= 1 && !antialiased();
    }
    static bool RasterTarget(const QCPPainter& painter)
    {
        const QPaintDevice* device = painter.device();
        return device && painter.paintEngine() &&
               painter.paintEngine()->type() == QPaintEngine::Raster &&
               !painter.modes().testFlag(QCPPainter::pmVectorized) && !painter.antialiasing() &&
               device->devicePixelRatio() == 1 && painter.transform().isIdentity() &&
               painter.compositionMode() == QPainter::CompositionMode_SourceOver &&
               painter.opacity() == 1;
    }
    void PixelPoints(QVector<QPointF>& points) const
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
            const double kScale = (keys->coordToPixel(kr.upper) - keys->coordToPixel(kr.lower)) /
                                  (kr.upper - kr.lower);
            const double kOffset = keys->coordToPixel(kr.lower) - kScale * kr.lower;
            const double vScale =
                (values->coordToPixel(vr.upper) - values->coordToPixel(vr.lower)) /
                (vr.upper - vr.lower);
            const double vOffset = values->coordToPixel(vr.lower) - vScale * vr.lower;
            for (auto it = mDataContainer->constBegin(); it != mDataContainer->constEnd(); ++it)
                points.push_back(QPointF(kOffset + kScale * it->key, vOffset + vScale * it->value));
            return;
        }
        for (auto it = mDataContainer->constBegin(); it != mDataContainer->constEnd(); ++it)
            points.push_back(coordsToPixels(it->key, it->value));
    }

    TChart& Chart;
    bool DrawnAlready = false;
};

// ---------------------------------------------------------------------------------------------
// TChartSeries

TChartSeries::TChartSeries(TChart& owner, TSeriesKind kind, TChartGraph* graph)
    : Owner(owner), SeriesKind(kind), Graph(graph)
{
    IsSorted = kind == TSeriesKind::Line;
    // The series hands over at most a few points per pixel column already.
    Graph->setAdaptiveSampling(false);
    Restyle();
}

TChartSeries::~TChartSeries()
{
    for (QCPItemText* mark : Marks)
        Owner.PlotWidget->removeItem(mark);
    Owner.PlotWidget->removeGraph(Graph);
}

const std::string& TChartSeries::Label(int i) const
{
    static const std::string kNone;
    return Labels.empty() ? kNone : Labels[static_cast<size_t>(i)];
}

QString TChartSeries::LabelText(int i) const
{
    return QString::fromStdString(DecodeFileText(Label(i)));
}

void TChartSeries::OwnedChanged()
{
    Samples = ViewOf(Xs, Ys);
    DataChanged();
}

void TChartSeries::Detach()
{
    if (!Viewing)
        return;
    const size_t n = Samples.Size;
    std::vector<double> x(n);
    std::vector<double> y(n);
    for (size_t i = 0; i < n; ++i) {
        x[i] = Samples.XAt(i);
        y[i] = Samples.YAt(i);
    }
    Xs = std::move(x);
    Ys = std::move(y);
    Labels.clear();
    Picked = {};
    Viewing = false;
    Samples = ViewOf(Xs, Ys);
}

void TChartSeries::SortByX()
{
    std::vector<double> x = std::move(Xs);
    std::vector<double> y = std::move(Ys);
    std::vector<std::string> labels = std::move(Labels);
    const size_t n = x.size();
    std::vector<size_t> order(n);
    std::iota(order.begin(), order.end(), size_t{0});
    std::stable_sort(order.begin(), order.end(), [&x](size_t a, size_t b) { return x[a] < x[b]; });
    Xs.resize(n);
    Ys.resize(n);
    Labels.resize(labels.empty() ? 0 : n);
    for (size_t i = 0; i < n; ++i) {
        Xs[i] = x[order[i]];
        Ys[i] = y[order[i]];
        if (!labels.empty())
            Labels[i] = std::move(labels[order[i]]);
    }
    XAscending = true;
}

int TChartSeries::AddXY(double x, double y, const std::string& label)
{
    Detach();
    x = View.StoredX(x);
    y = View.StoredY(y);
    size_t at = Xs.size();
    if (IsSorted)
        at = static_cast<size_t>(std::upper_bound(Xs.begin(), Xs.end(), x) - Xs.begin());
    else if (!Xs.empty() && x < Xs.back())
        XAscending = false;
    // The first labelled point gives every earlier point an empty label.
    if (!label.empty() && Labels.empty())
        Labels.resize(Xs.size());
    Xs.insert(Xs.begin() + static_cast<std::ptrdiff_t>(at), x);
    Ys.insert(Ys.begin() + static_cast<std::ptrdiff_t>(at), y);
    if (!Labels.empty() || !label.empty())
        Labels.insert(Labels.begin() + static_cast<std::ptrdiff_t>(at), label);
    OwnedChanged();
    return static_cast<int>(at);
}

void TChartSeries::SetPoints(std::vector<double> x, std::vector<double> y)
{
    const size_t n = std::min(x.size(), y.size());
    x.resize(n);
    y.resize(n);
    Labels.clear();
    Picked = {};
    Viewing = false;
    Xs = std::move(x);
    Ys = std::move(y);
    XAscending = std::is_sorted(Xs.begin(), Xs.end());
    if (IsSorted && !XAscending)
        SortByX();
    OwnedChanged();
}

void TChartSeries::SetView(const std::vector<double>& x, const std::vector<double>& y, size_t count,
                           std::optional<bool> xAscending)
{
    Xs = {};
    Ys = {};
    Labels.clear();
    Picked = {};
    Samples = {x.data(), y.data(), nullptr, std::min({count, x.size(), y.size()})};
    Viewing = true;
    XAscending = xAscending ? *xAscending
                            : std::is_sorted(x.begin(),
                                             x.begin() + static_cast<std::ptrdiff_t>(Samples.Size));
    // A record whose times do not ascend is drawn from a sorted copy, as points of its own.
    if (IsSorted && !XAscending) {
        Detach();
        SortByX();
        Samples = ViewOf(Xs, Ys);
    }
    DataChanged();
}

void TChartSeries::SetPickedView(const std::vector<double>& x, const std::vector<double>& y,
                                 std::vector<uint32_t> picked)
{
    Xs = {};
    Ys = {};
    Labels.clear();
    const size_t n = std::min(x.size(), y.size());
    picked.erase(std::remove_if(picked.begin(), picked.end(), [n](uint32_t i) { return i >= n; }),
                 picked.end());
    Picked = std::move(picked);
    Samples = {x.data(), y.data(), Picked.data(), Picked.size()};
    Viewing = true;
    XAscending = true;
    for (size_t i = 1; i < Samples.Size && XAscending; ++i)
        XAscending = !(Samples.XAt(i) < Samples.XAt(i - 1));
    if (IsSorted && !XAscending) {
        Detach();
        SortByX();
        Samples = ViewOf(Xs, Ys);
    }
    DataChanged();
}

void TChartSeries::Delete(int i)
{
    if (i < 0 || i >= Count())
        return;
    Detach();
    Xs.erase(Xs.begin() + i);
    Ys.erase(Ys.begin() + i);
    if (!Labels.empty())
        Labels.erase(Labels.begin() + i);
    if (!IsSorted)
        XAscending = std::is_sorted(Xs.begin(), Xs.end());
    OwnedChanged();
}

void TChartSeries::Clear()
{
    Xs.clear();
    Ys.clear();
    Labels.clear();
    Picked = {};
    Viewing = false;
    XAscending = true;
    OwnedChanged();
}

void TChartSeries::SetTransform(const TSeriesTransform& transform)
{
    if (transform == View)
        return;
    View = transform;
    // The summary holds stored values and stays as it is.
    Dirty = true;
    RefreshMarks();
    Owner.SeriesChanged(this);
}

void TChartSeries::SetSorted(bool sorted)
{
    if (sorted == IsSorted)
        return;
    IsSorted = sorted;
    if (sorted && !XAscending) {
        Detach();
        SortByX();
        OwnedChanged();
    }
}

void TChartSeries::SetActive(bool active)
{
    if (IsActive == active)
        return;
    IsActive = active;
    Graph->setVisible(active);
    RefreshMarks();
    Owner.RebuildLegend();
    Owner.SeriesChanged(this);
}

void TChartSeries::SetTitle(const QString& title)
{
    if (SeriesTitle == title)
        return;
    SeriesTitle = title;
    Graph->setName(title);
    // The legend's cells are sized to the titles they hold: a longer title needs them anew.
    if (InLegend && IsActive) {
        Owner.RebuildLegend();
        Owner.QueueReplot();
    }
}

void TChartSeries::SetColor(const QColor& color)
{
    SeriesColor = color;
    Restyle();
}

void TChartSeries::SetVerticalAxis(TAxisId axis)
{
    Axis = axis == TAxisId::Bottom ? TAxisId::Left : axis;
    Graph->setValueAxis(Owner.AxisOf(Axis));
    for (QCPItemText* mark : Marks)
        mark->position->setAxes(Owner.AxisOf(TAxisId::Bottom), Owner.AxisOf(Axis));
    Owner.SeriesChanged(this);
}

void TChartSeries::SetShowInLegend(bool show)
{
    InLegend = show;
    Owner.RebuildLegend();
}

void TChartSeries::SetPen(TLineStyle style, int width)
{
    LineStyle = style;
    LineWidth = std::max(1, width);
    Restyle();
}

void TChartSeries::SetSymbol(TSymbolStyle style, int size)
{
    SymbolStyle = style;
    SymbolPixels = std::max(1, size);
    Restyle();
}

void TChartSeries::SetMarksVisible(bool visible)
{
    ShowMarks = visible;
    RefreshMarks();
}

void TChartSeries::SetSymbolPen(const QColor& color, int width)
{
    OutlineColor = color;
    OutlineWidth = width;
    Restyle();
}

void TChartSeries::SetMarkBackground(const QColor& color)
{
    MarkBackground = color;
    for (QCPItemText* mark : Marks)
        mark->setBrush(color.alpha() == 0 ? Qt::NoBrush : QBrush(color));
}

std::optional<std::pair<double, double>> TChartSeries::XExtent() const
{
    const size_t n = Samples.Size;
    if (n == 0)
        return std::nullopt;
    if (XAscending)
        return std::make_pair(View.X(Samples.XAt(0)), View.X(Samples.XAt(n - 1)));
    double lo = Samples.XAt(0);
    double hi = lo;
    for (size_t i = 1; i < n; ++i) {
        const double v = Samples.XAt(i);
        if (v < lo)
            lo = v;
        else if (!(v < hi))
            hi = v;
    }
    return std::make_pair(View.X(lo), View.X(hi));
}

std::optional<std::pair<double, double>> TChartSeries::YExtent() const
{
    const size_t n = Samples.Size;
    if (n == 0)
        return std::nullopt;
    TSeriesSummary::TMinMax r{Samples.YAt(0), Samples.YAt(0)};
    // The table the drawing needs anyway answers this and every later asking in a few lookups.
    if (SummaryUsable())
        EnsureSummary();
    if (SummaryValid && Summary.LevelCount() > 0) {
        r = Summary.Range(Samples, 0, n);
    } else {
        for (size_t i = 1; i < n; ++i) {
            const double v = Samples.YAt(i);
            if (v < r.Min)
                r.Min = v;
            else if (!(v < r.Max))
                r.Max = v;
        }
    }
    return View.YRange(r.Min, r.Max);
}

int TChartSeries::PlottedCount() const
{
    return Graph->data()->size();
}

void TChartSeries::DataChanged()
{
    SummaryValid = false;
    Dirty = true;
    RefreshMarks();
    Owner.SeriesChanged(this);
}

void TChartSeries::EnsureSummary() const
{
    if (SummaryValid)
        return;
    Summary.Build(Samples);
    SummaryValid = true;
}

bool TChartSeries::SummaryUsable() const
{
    return XAscending && (SeriesKind == TSeriesKind::Line || Count() > kPointSeriesWhole);
}

void TChartSeries::Restyle()
{
    if (SeriesKind == TSeriesKind::Line) {
        Graph->setLineStyle(QCPGraph::lsLine);
        Graph->setScatterStyle(QCPScatterStyle());
        // A wider line is drawn solid; its style is kept for when it is 1 pixel again.
        const Qt::PenStyle style = LineWidth > 1 ? Qt::SolidLine : QtPenStyle(LineStyle);
        Graph->setPen(QPen(SeriesColor, LineWidth, style));
    } else {
        Graph->setLineStyle(QCPGraph::lsNone);
        const QPen outline =
            OutlineWidth > 0 ? QPen(OutlineColor, OutlineWidth) : QPen(SeriesColor, 1);
        Graph->setPen(outline);
        Graph->setScatterStyle(
            QCPScatterStyle(QcpShape(SymbolStyle), outline, QBrush(SeriesColor), SymbolPixels));
    }
}

void TChartSeries::RefreshMarks()
{
    const bool show = ShowMarks && IsActive && !Labels.empty();
    const size_t wanted = show ? Samples.Size : 0;
    while (Marks.size() > wanted) {
        Owner.PlotWidget->removeItem(Marks.back());
        Marks.pop_back();
    }
    while (Marks.size() < wanted) {
        auto* mark = new QCPItemText(Owner.PlotWidget);
        mark->setClipToAxisRect(true);
        // Above the curves, whatever order the series are later put in.
        mark->setLayer(kAfterDrawLayer);
        mark->position->setType(QCPItemPosition::ptPlotCoords);
        mark->position->setAxes(Owner.AxisOf(TAxisId::Bottom), Owner.AxisOf(Axis));
        mark->setPositionAlignment(Qt::AlignLeft | Qt::AlignBottom);
        // The text stands 2 pixels off the point, as a label beside the symbol.
        mark->setPadding(QMargins(SymbolPixels / 2 + 2, 0, 0, SymbolPixels / 2 + 2));
        mark->setPen(Qt::NoPen);
        mark->setBrush(MarkBackground.alpha() == 0 ? Qt::NoBrush : QBrush(MarkBackground));
        mark->setColor(Qt::black);
        Marks.push_back(mark);
    }
    for (size_t i = 0; i < Marks.size(); ++i) {
        Marks[i]->position->setCoords(X(static_cast<int>(i)), Y(static_cast<int>(i)));
        Marks[i]->setText(LabelText(static_cast<int>(i)));
    }
}

void TChartSeries::Refresh(double xMin, double xMax, int columns)
{
    // Half a pixel of the value axis: what a join between pixel columns may add unseen. Points
    // made for a finer tolerance serve a coarser one as well.
    const QCPAxis* valueAxis = Graph->valueAxis();
    const int height = std::max(1, Owner.PlotWidget->axisRect()->height());
    const double tolerance = std::abs(valueAxis->range().size()) / height / 2;
    if (!Dirty && LastMin == xMin && LastMax == xMax && LastColumns == columns &&
        LastTolerance <= tolerance)
        return;
    Dirty = false;
    LastMin = xMin;
    LastMax = xMax;
    LastColumns = columns;
    LastTolerance = tolerance;
    QVector<QCPGraphData> points;
    if (SummaryUsable() && Count() > 4 * columns) {
        EnsureSummary();
        // The view is reduced in stored values and the few points it leaves are transformed.
        const double scale = std::abs(View.Scale);
        ReduceForView(Samples, Summary, View.StoredX(xMin), View.StoredX(xMax), columns, Reduced,
                      scale > 0 ? tolerance / scale : tolerance);
        points.resize(static_cast<int>(Reduced.X.size()));
        for (size_t i = 0; i < Reduced.X.size(); ++i)
            points[static_cast<int>(i)] = QCPGraphData(View.X(Reduced.X[i]), View.Y(Reduced.Y[i]));
    } else {
        points.resize(Count());
        for (int i = 0; i < Count(); ++i)
            points[i] = QCPGraphData(X(i), Y(i));
    }
    // A line with more than a point per pixel column is drawn as vertical strokes side by side:
    // smoothing their edges costs most of the drawing and shows nothing.
    if (SeriesKind == TSeriesKind::Line) {
        Graph->Dense = points.size() > columns;
        Graph->setAntialiased(!Graph->Dense);
    }
    Graph->data()->set(points, XAscending);
}

// ---------------------------------------------------------------------------------------------
// TChart

TChart::TChart(QWidget* parent) : QWidget(parent)
{
    PlotWidget = new QCustomPlot(this);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(PlotWidget);
    PlotWidget->setNoAntialiasingOnDrag(true);
    PlotWidget->setPlottingHints(QCP::phCacheLabels);
    PlotWidget->setBackground(Qt::white);

    ServoAxis = PlotWidget->axisRect()->addAxis(QCPAxis::atRight);
    // Only the innermost axis of a side can draw its labels inside: the voltage axis.
    PlotWidget->yAxis2->setVisible(true);
    PlotWidget->yAxis2->setTickLabelSide(QCPAxis::lsInside);
    PlotWidget->yAxis2->grid()->setVisible(false);
    ServoAxis->grid()->setVisible(false);
    ServoAxis->setLayer("axes");
    ServoAxis->grid()->setLayer("grid");
    // Outermost on the right. While hidden it takes no room, so the other axes stand where they
    // would without it.
    ClimbAxis = PlotWidget->axisRect()->addAxis(QCPAxis::atRight);
    Axes[static_cast<size_t>(TAxisId::Climb)].Shown = false;
    ClimbAxis->setVisible(false);
    ClimbAxis->grid()->setVisible(false);
    ClimbAxis->setLayer("axes");
    ClimbAxis->grid()->setLayer("grid");

    for (int a = 0; a < kAxisCount; ++a) {
        // No axis lines: the plot's edges are its grid and the labels.
        AxisOf(static_cast<TAxisId>(a))->setBasePen(Qt::NoPen);
        QSharedPointer<TChartTicker> ticker(new TChartTicker(*this, static_cast<TAxisId>(a)));
        Axes[static_cast<size_t>(a)].Ticker = ticker.data();
        AxisOf(static_cast<TAxisId>(a))->setTicker(ticker);
        ApplyRange(static_cast<TAxisId>(a));
    }

    PlotWidget->addLayer(kBeforeDrawLayer, PlotWidget->layer("main"), QCustomPlot::limBelow);
    PlotWidget->addLayer(kAfterDrawLayer, PlotWidget->layer("main"), QCustomPlot::limAbove);
    PlotWidget->addLayer(kOverlayLayer, PlotWidget->layer("overlay"), QCustomPlot::limAbove);
    AfterDrawLayer = PlotWidget->layer(kAfterDrawLayer);
    OverlayLayer = PlotWidget->layer(kOverlayLayer);
    OverlayLayer->setMode(QCPLayer::lmBuffered);
    BeforeDrawItem = new TChartLayerable(PlotWidget, kBeforeDrawLayer, BeforeDraw, false);
    AfterDrawItem = new TChartLayerable(PlotWidget, kAfterDrawLayer, AfterDraw, false);
    OverlayItem = new TChartLayerable(PlotWidget, kOverlayLayer, OverlayPaint, true);

    // The legend, when shown, stands centred in a row of its own above the plot, so it never
    // covers a curve and is never wider than the chart.
    PlotWidget->axisRect()->insetLayout()->take(PlotWidget->legend);
    PlotWidget->legend->setVisible(false);
    PlotWidget->legend->setFillOrder(QCPLayoutGrid::foColumnsFirst);
    // Colour boxes 16 pixels wide, framed in silver.
    PlotWidget->legend->setIconSize(16, 10);
    PlotWidget->legend->setBorderPen(QPen(QColor(0xC0, 0xC0, 0xC0)));
    LegendRow = new QCPLayoutGrid;
    LegendRow->setParent(PlotWidget);
    LegendRow->setMargins(QMargins(0, 2, 0, 0));
    // Spacers left and right of the legend centre it. The layout cannot take empty cells.
    LegendRow->addElement(0, 0, new QCPLayoutElement(PlotWidget));
    LegendRow->addElement(0, 1, PlotWidget->legend);
    LegendRow->addElement(0, 2, new QCPLayoutElement(PlotWidget));
    LegendRow->setColumnStretchFactors({1, 1, 1});

    connect(PlotWidget, &QCustomPlot::beforeReplot, this, [this] { RefreshSeriesData(); });
    connect(PlotWidget, &QCustomPlot::afterReplot, this, [this] { emit AfterDrawn(); });
    PlotWidget->installEventFilter(this);
    PlotWidget->setMouseTracking(true);
}

TChart::~TChart()
{
    for (TChartSeries* s : SeriesList)
        delete s;
    SeriesList.clear();
    // The layerables and tickers inside the plot refer to this object's members: the plot goes
    // before they do.
    PlotWidget->removeEventFilter(this);
    // A legend row out of the layout is not the plot's to delete, and it goes while the plot is
    // still whole.
    if (!LegendRow->layout())
        delete LegendRow;
    delete PlotWidget;
    PlotWidget = nullptr;
}

QCPAxis* TChart::AxisOf(TAxisId axis) const
{
    switch (axis) {
    case TAxisId::Left:
        return PlotWidget->yAxis;
    case TAxisId::Right:
        return ServoAxis;
    case TAxisId::Bottom:
        return PlotWidget->xAxis;
    case TAxisId::Voltage:
        return PlotWidget->yAxis2;
    case TAxisId::Climb:
        return ClimbAxis;
    }
    return PlotWidget->yAxis;
}

std::vector<TAxisId> TChart::StandardValueAxes() const
{
    std::vector<TAxisId> axes{TAxisId::Left, TAxisId::Right};
    if (AxisVisible(TAxisId::Climb))
        axes.push_back(TAxisId::Climb);
    return axes;
}

TChartSeries* TChart::AddSeries(TSeriesKind kind)
{
    auto* graph = new TChartGraph(*this, PlotWidget->xAxis, PlotWidget->yAxis);
    auto* series = new TChartSeries(*this, kind, graph);
    SeriesList.push_back(series);
    RebuildLegend();
    SeriesChanged(series);
    return series;
}

void TChart::RemoveSeries(TChartSeries* series)
{
    const auto it = std::find(SeriesList.begin(), SeriesList.end(), series);
    if (it == SeriesList.end())
        return;
    SeriesList.erase(it);
    delete series;
    RecalculateAll();
}

int TChart::IndexOf(const TChartSeries* series) const
{
    const auto it = std::find(SeriesList.begin(), SeriesList.end(), series);
    return it == SeriesList.end() ? -1 : static_cast<int>(it - SeriesList.begin());
}

void TChart::MoveSeriesTowardStart(TChartSeries* series)
{
    const int i = IndexOf(series);
    if (i <= 0)
        return;
    std::swap(SeriesList[static_cast<size_t>(i)], SeriesList[static_cast<size_t>(i - 1)]);
    ReorderLayers();
}

void TChart::ReorderLayers()
{
    // Re-adding to the layer puts a plottable last, so walking the list restores its order.
    for (TChartSeries* s : SeriesList)
        s->Graph->setLayer(PlotWidget->layer("main"));
    RebuildLegend();
    QueueReplot();
}

void TChart::RebuildLegend()
{
    // The legend lists what is drawn, in the order of the series list.
    QCPLegend* legend = PlotWidget->legend;
    legend->clearItems();
    for (TChartSeries* s : SeriesList)
        if (s->InLegend && s->IsActive)
            s->Graph->addToLegend();
    // An item is as high as its font, but the plot clips what it draws one pixel above the
    // item's bottom, and some glyphs reach below the descent: without room below the text,
    // underscores vanish and descenders are cut.
    const QFontMetrics metrics(legend->font());
    const int inkBelow = metrics.tightBoundingRect("_gjpqy|").bottom() + 1 - metrics.descent();
    const QMargins room(0, 0, 0, 1 + std::max(0, inkBelow));
    for (int i = 0; i < legend->itemCount(); ++i)
        legend->item(i)->setMargins(room);
    FitLegend();
}

void TChart::FitLegend()
{
    QCPLegend* legend = PlotWidget->legend;
    if (!legend->visible())
        return;
    // As many titles side by side as the chart's width takes; the rest wraps into more rows.
    const int available = std::max(1, width() - 4);
    int columns = std::max(1, legend->itemCount());
    for (;;) {
        legend->setWrap(columns);
        legend->setFillOrder(QCPLayoutGrid::foColumnsFirst, true);
        if (columns == 1 || legend->minimumOuterSizeHint().width() <= available)
            break;
        --columns;
    }
    legend->setMaximumSize(legend->minimumOuterSizeHint());
}

bool TChart::AnySeriesActive() const
{
    return std::any_of(SeriesList.begin(), SeriesList.end(),
                       [](const TChartSeries* s) { return s->Active(); });
}

QColor TChart::FreeColor(const TChartSeries* asking) const
{
    for (const QColor& c : kFreePalette) {
        const bool used =
            std::any_of(SeriesList.begin(), SeriesList.end(), [&c, asking](const TChartSeries* s) {
                return s != asking && s->Color() == c;
            });
        if (!used)
            return c;
    }
    return kFreePalette[SeriesList.size() % kFreePalette.size()];
}

bool TChart::Automatic(TAxisId axis) const
{
    return Axes[static_cast<size_t>(axis)].Automatic;
}

void TChart::SetAutomatic(TAxisId axis, bool automatic)
{
    Axes[static_cast<size_t>(axis)].Automatic = automatic;
    if (automatic)
        Recalculate(axis);
}

void TChart::SetMinMax(TAxisId axis, double min, double max)
{
    TAxisState& a = Axes[static_cast<size_t>(axis)];
    a.Automatic = false;
    if (min > max)
        std::swap(min, max);
    const double tiny = 1e-10 * std::max({1.0, std::abs(min), std::abs(max)});
    if (max - min < tiny) {
        min -= 1;
        max += 1;
    }
    a.Min = min;
    a.Max = max;
    ApplyRange(axis);
}

double TChart::Minimum(TAxisId axis) const
{
    return Axes[static_cast<size_t>(axis)].Min;
}

double TChart::Maximum(TAxisId axis) const
{
    return Axes[static_cast<size_t>(axis)].Max;
}

std::optional<std::pair<double, double>> TChart::DataExtent(TAxisId axis) const
{
    std::optional<std::pair<double, double>> r;
    for (const TChartSeries* s : SeriesList) {
        if (!s->Active())
            continue;
        std::optional<std::pair<double, double>> e;
        if (axis == TAxisId::Bottom)
            e = s->XExtent();
        else if (s->VerticalAxis() == axis)
            e = s->YExtent();
        if (!e)
            continue;
        if (!r)
            r = e;
        else
            r = std::make_pair(std::min(r->first, e->first), std::max(r->second, e->second));
    }
    return r;
}

void TChart::Recalculate(TAxisId axis)
{
    TAxisState& a = Axes[static_cast<size_t>(axis)];
    if (!a.Automatic)
        return;
    if (const auto e = DataExtent(axis); e && a.Symmetric) {
        const TAxisRange r = SymmetricRange(e->first, e->second);
        a.Min = r.Min;
        a.Max = r.Max;
    } else if (e) {
        a.Min = e->first;
        a.Max = e->second;
        if (a.Max - a.Min < 1e-10 * std::max({1.0, std::abs(a.Min), std::abs(a.Max)})) {
            a.Min -= 1;
            a.Max += 1;
        }
    }
    ApplyRange(axis);
}

bool TChart::Symmetric(TAxisId axis) const
{
    return Axes[static_cast<size_t>(axis)].Symmetric;
}

void TChart::SetSymmetric(TAxisId axis, bool symmetric)
{
    Axes[static_cast<size_t>(axis)].Symmetric = symmetric;
    Recalculate(axis);
}

bool TChart::AxisVisible(TAxisId axis) const
{
    return Axes[static_cast<size_t>(axis)].Shown;
}

void TChart::SetAxisVisible(TAxisId axis, bool visible)
{
    if (AxisVisible(axis) == visible)
        return;
    Axes[static_cast<size_t>(axis)].Shown = visible;
    QueueReplot();
}

bool TChart::AxisInUse(TAxisId axis) const
{
    if (axis == TAxisId::Left || axis == TAxisId::Bottom)
        return true;
    return std::any_of(SeriesList.begin(), SeriesList.end(), [axis](const TChartSeries* s) {
        return s->Active() && s->VerticalAxis() == axis && s->Count() > 0;
    });
}

bool TChart::AxisLaidOut(TAxisId axis) const
{
    return AxisOf(axis)->visible();
}

void TChart::LayOutAxes()
{
    for (int a = 0; a < kAxisCount; ++a) {
        const auto id = static_cast<TAxisId>(a);
        AxisOf(id)->setVisible(AxisVisible(id) && AxisInUse(id));
    }
}

void TChart::RecalculateAll()
{
    for (int a = 0; a < kAxisCount; ++a)
        Recalculate(static_cast<TAxisId>(a));
}

void TChart::ApplyRange(TAxisId axis)
{
    const TAxisState& a = Axes[static_cast<size_t>(axis)];
    double upper = a.Max;
    if (axis == TAxisId::Bottom && a.EndPercent < 100) {
        // The axis ends before the plot's edge: the plot's range runs on past the axis end.
        const double end = std::max(1.0, a.EndPercent);
        upper = a.Min + (a.Max - a.Min) * 100.0 / end;
    }
    AxisOf(axis)->setRange(a.Min, upper);
    QueueReplot();
}

double TChart::ValueAtPixel(TAxisId axis, double pixel) const
{
    return AxisOf(axis)->pixelToCoord(pixel);
}

double TChart::PixelOfValue(TAxisId axis, double value) const
{
    return AxisOf(axis)->coordToPixel(value);
}

void TChart::SetAxisTitle(TAxisId axis, const QString& title)
{
    AxisOf(axis)->setLabel(title);
    QueueReplot();
}

QString TChart::AxisTitle(TAxisId axis) const
{
    return AxisOf(axis)->label();
}

void TChart::SetLabelDecimals(TAxisId axis, int decimals)
{
    Axes[static_cast<size_t>(axis)].Ticker->Decimals = std::clamp(decimals, 0, 15);
    RefreshLabels(axis);
}

void TChart::SetLabelStep(TAxisId axis, double step)
{
    Axes[static_cast<size_t>(axis)].Ticker->Step = step;
    RefreshLabels(axis);
}

void TChart::SetLabelsVisible(TAxisId axis, bool visible)
{
    AxisOf(axis)->setTickLabels(visible);
    QueueReplot();
}

bool TChart::LabelsVisible(TAxisId axis) const
{
    return AxisOf(axis)->tickLabels();
}

void TChart::SetGridVisible(TAxisId axis, bool visible)
{
    AxisOf(axis)->grid()->setVisible(visible);
    QueueReplot();
}

void TChart::SetEndPosition(TAxisId axis, double percent)
{
    if (axis != TAxisId::Bottom)
        return;
    Axes[static_cast<size_t>(axis)].EndPercent = std::min(100.0, percent);
    ApplyRange(axis);
}

double TChart::EndPosition(TAxisId axis) const
{
    return Axes[static_cast<size_t>(axis)].EndPercent;
}

void TChart::RefreshLabels(TAxisId axis)
{
    // Labels are made afresh at every draw; a changed hook needs only a draw.
    AxisOf(axis)->setTickLabels(false);
    AxisOf(axis)->setTickLabels(true);
    QueueReplot();
}

QStringList TChart::TickLabels(TAxisId axis)
{
    Replot();
    const QVector<QString> labels = AxisOf(axis)->tickVectorLabels();
    return QStringList(labels.begin(), labels.end());
}

void TChart::ZoomPercent(double percent)
{
    LastZoomPercent = percent;
    std::vector<TAxisId> axes = StandardValueAxes();
    axes.push_back(TAxisId::Bottom);
    for (TAxisId axis : axes) {
        const TAxisRange r = ZoomByPercent({Minimum(axis), Maximum(axis)}, percent);
        SetMinMax(axis, r.Min, r.Max);
    }
    emit Zoomed(QRect());
}

void TChart::ZoomRect(const QRect& rect)
{
    const QRect r = rect.normalized();
    const double x0 = ValueAtPixel(TAxisId::Bottom, r.left());
    const double x1 = ValueAtPixel(TAxisId::Bottom, r.right());
    for (TAxisId axis : StandardValueAxes()) {
        const double lo = ValueAtPixel(axis, r.bottom());
        const double hi = ValueAtPixel(axis, r.top());
        SetMinMax(axis, lo, hi);
    }
    SetMinMax(TAxisId::Bottom, x0, x1);
    emit Zoomed(r);
}

void TChart::UndoZoom()
{
    for (int a = 0; a < kAxisCount; ++a)
        SetAutomatic(static_cast<TAxisId>(a), true);
    emit UndoZoomed();
}

void TChart::SetRectZoomEnabled(bool on)
{
    RectZoom = on;
}

void TChart::SetPanningEnabled(bool on)
{
    Panning = on;
}

QWidget* TChart::PlotArea() const
{
    return PlotWidget;
}

QRect TChart::PlotRect() const
{
    return PlotWidget->axisRect()->rect();
}

void TChart::RedrawOverlay()
{
    OverlayLayer->replot();
}

void TChart::Replot()
{
    ReplotQueued = false;
    PlotWidget->replot(QCustomPlot::rpImmediateRefresh);
}

void TChart::QueueReplot()
{
    // Everything changed before control returns to the event loop is drawn by one replot, and a
    // replot made meanwhile takes the queued one's place.
    if (ReplotQueued)
        return;
    ReplotQueued = true;
    QTimer::singleShot(0, this, [this] {
        if (!ReplotQueued)
            return;
        ReplotQueued = false;
        PlotWidget->replot(QCustomPlot::rpRefreshHint);
    });
}

QStringList TChart::LegendTitles() const
{
    QStringList titles;
    for (int i = 0; i < PlotWidget->legend->itemCount(); ++i)
        if (auto* item = qobject_cast<QCPPlottableLegendItem*>(PlotWidget->legend->item(i)))
            titles << item->plottable()->name();
    return titles;
}

bool TChart::LegendVisible() const
{
    return PlotWidget->legend->visible();
}

void TChart::SetLegendVisible(bool visible)
{
    QCPLayoutGrid* layout = PlotWidget->plotLayout();
    const bool placed = LegendRow->layout() != nullptr;
    if (visible && !placed) {
        layout->insertRow(0);
        layout->addElement(0, 0, LegendRow);
        layout->setRowStretchFactor(0, 0.001);
    } else if (!visible && placed) {
        layout->take(LegendRow);
        layout->simplify();
    }
    PlotWidget->legend->setVisible(visible);
    FitLegend();
    QueueReplot();
}

void TChart::SeriesChanged(TChartSeries*)
{
    QueueReplot();
}

void TChart::RefreshSeriesData()
{
    if (Refreshing)
        return;
    Refreshing = true;
    LayOutAxes();
    // The series are reduced for the plot width of this drawing. The plot lays itself out only
    // after this, so a chart first shown, resized, or with an axis come or gone would otherwise
    // get the points for the width it had before.
    QCPLayoutGrid* layout = PlotWidget->plotLayout();
    for (const auto phase :
         {QCPLayoutElement::upPreparation, QCPLayoutElement::upMargins, QCPLayoutElement::upLayout})
        layout->update(phase);
    const TAxisState& x = Axes[static_cast<size_t>(TAxisId::Bottom)];
    const double endFraction = std::clamp(x.EndPercent, 1.0, 100.0) / 100.0;
    const int columns =
        std::max(1, static_cast<int>(PlotWidget->axisRect()->width() * endFraction));
    for (TChartSeries* s : SeriesList)
        if (s->Active())
            s->Refresh(x.Min, x.Max, columns);
    Refreshing = false;
}

namespace {
// The overlay (rubber band, crosshair) belongs to the screen only: pictures, copies and prints
// are drawn without it.
class TOverlayHidden {
public:
    explicit TOverlayHidden(QCPLayer* layer) : Layer(layer), WasVisible(layer->visible())
    {
        Layer->setVisible(false);
    }
    ~TOverlayHidden() { Layer->setVisible(WasVisible); }
    TOverlayHidden(const TOverlayHidden&) = delete;
    TOverlayHidden& operator=(const TOverlayHidden&) = delete;

private:
    QCPLayer* Layer;
    bool WasVisible;
};
} // namespace

void TChart::RenderTo(QPainter& painter, const QRect& target)
{
    const TOverlayHidden hidden(OverlayLayer);
    const int w = std::max(1, width());
    const int h = std::max(1, height());
    RefreshSeriesData();
    QPicture picture;
    {
        QCPPainter recorder(&picture);
        PlotWidget->toPainter(&recorder, w, h);
    }
    painter.save();
    painter.translate(target.topLeft());
    painter.scale(static_cast<double>(target.width()) / w,
                  static_cast<double>(target.height()) / h);
    painter.drawPicture(0, 0, picture);
    painter.restore();
}

QImage TChart::ToImage()
{
    const TOverlayHidden hidden(OverlayLayer);
    RefreshSeriesData();
    QImage image(std::max(1, width()), std::max(1, height()), QImage::Format_RGB32);
    image.fill(Qt::white);
    {
        QCPPainter painter(&image);
        PlotWidget->toPainter(&painter, image.width(), image.height());
    }
    return image;
}

void TChart::CopyToClipboard()
{
    QApplication::clipboard()->setImage(ToImage());
}

QString TChart::SaveBitmap(const QString& fileName)
{
    if (!ToImage().save(fileName, "BMP"))
        return "Cannot write the file " + fileName + ".";
    return {};
}

void TChart::Print(QPrinter& printer)
{
    QCPPainter painter;
    if (!painter.begin(&printer))
        return;
    const QRect page = printer.pageLayout().paintRectPixels(printer.resolution());
    const int w = std::max(1, width());
    const int h = std::max(1, height());
    const double scale =
        std::min(static_cast<double>(page.width()) / w, static_cast<double>(page.height()) / h);
    painter.scale(scale, scale);
    const TOverlayHidden hidden(OverlayLayer);
    RefreshSeriesData();
    PlotWidget->toPainter(&painter, w, h);
    painter.end();
}

bool TChart::eventFilter(QObject* watched, QEvent* event)
{
    if (watched != PlotWidget)
        return QWidget::eventFilter(watched, event);
    switch (event->type()) {
    case QEvent::MouseButtonPress: {
        auto* me = static_cast<QMouseEvent*>(event);
        CancelMouse = false;
        emit MouseDown(me);
        if (!CancelMouse && me->button() == Qt::LeftButton &&
            PlotRect().contains(me->position().toPoint())) {
            Dragging = true;
            DragMoved = false;
            DragStart = me->position().toPoint();
            for (int a = 0; a < kAxisCount; ++a) {
                DragStartMin[static_cast<size_t>(a)] = Axes[static_cast<size_t>(a)].Min;
                DragStartMax[static_cast<size_t>(a)] = Axes[static_cast<size_t>(a)].Max;
            }
        }
        return true;
    }
    case QEvent::MouseMove: {
        auto* me = static_cast<QMouseEvent*>(event);
        emit MouseMove(me);
        if (Dragging && (me->buttons() & Qt::LeftButton)) {
            const QPoint pos = me->position().toPoint();
            DragMoved = DragMoved || (pos - DragStart).manhattanLength() > 2;
            if (Panning) {
                for (int a = 0; a < kAxisCount; ++a) {
                    const auto id = static_cast<TAxisId>(a);
                    // The voltage axis is not one of the plot's own: the scroll handler sets it.
                    if (id == TAxisId::Voltage || !AxisVisible(id))
                        continue;
                    const double lo = DragStartMin[static_cast<size_t>(a)];
                    const double hi = DragStartMax[static_cast<size_t>(a)];
                    const bool horizontal = id == TAxisId::Bottom;
                    // Value per pixel at the range the drag started from.
                    const double pixels =
                        horizontal ? PlotRect().width() *
                                         std::clamp(Axes[2].EndPercent, 1.0, 100.0) / 100.0
                                   : -PlotRect().height();
                    if (pixels == 0)
                        continue;
                    const double moved =
                        horizontal ? pos.x() - DragStart.x() : pos.y() - DragStart.y();
                    const double d = moved * (hi - lo) / pixels;
                    Axes[static_cast<size_t>(a)].Automatic = false;
                    Axes[static_cast<size_t>(a)].Min = lo - d;
                    Axes[static_cast<size_t>(a)].Max = hi - d;
                    ApplyRange(id);
                }
                emit Scrolled();
            } else if (RectZoom) {
                OverlayItem->Band = QRect(DragStart, pos).normalized();
                RedrawOverlay();
            }
        }
        return true;
    }
    case QEvent::MouseButtonRelease: {
        auto* me = static_cast<QMouseEvent*>(event);
        emit MouseUp(me);
        if (Dragging && me->button() == Qt::LeftButton) {
            Dragging = false;
            const QRect band = OverlayItem->Band;
            OverlayItem->Band = QRect();
            if (!band.isNull())
                RedrawOverlay();
            if (!Panning && RectZoom && DragMoved && band.width() > 3 && band.height() > 3)
                ZoomRect(band.intersected(PlotRect()));
        }
        return true;
    }

    // The second press of a double click has come as a press already.
    case QEvent::MouseButtonDblClick:
        return true;
    default:
        break;
    }
    return QWidget::eventFilter(watched, event);
}

void TChart::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    FitLegend();
    emit Resized();
}

} // namespace zirko
