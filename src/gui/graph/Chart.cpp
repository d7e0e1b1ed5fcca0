#include "gui/graph/Chart.h"

#include "core/graph/ChartMath.h"
#include "gui/graph/ChartLayerable.h"
#include "gui/graph/ChartTicker.h"
#include "gui/graph/GraphExport.h"

#include <QFontMetrics>
#include <QImage>
#include <QMouseEvent>
#include <QTimer>
#include <QVBoxLayout>
#include <qcustomplot.h>

#include <algorithm>
#include <cmath>

namespace zirko {

namespace {

const QString kBeforeDrawLayer = "chartbeforedraw";
const QString kAfterDrawLayer = kChartAfterDrawLayer;
const QString kOverlayLayer = "chartoverlay"; // "overlay" is QCustomPlot's own

// White is left out: a curve in it would vanish on the white plot.
const std::array<QColor, 15> kFreePalette{
    QColor(0xFF, 0x00, 0x00), QColor(0x00, 0x80, 0x00), QColor(0xFF, 0xFF, 0x00),
    QColor(0x00, 0x00, 0xFF), QColor(0x80, 0x80, 0x80), QColor(0xFF, 0x00, 0xFF),
    QColor(0x00, 0x80, 0x80), QColor(0x00, 0x00, 0x80), QColor(0x80, 0x00, 0x00),
    QColor(0x00, 0xFF, 0x00), QColor(0x80, 0x80, 0x00), QColor(0x80, 0x00, 0x80),
    QColor(0xC0, 0xC0, 0xC0), QColor(0x00, 0xFF, 0xFF), QColor(0x00, 0x00, 0x00)};

} // namespace

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
    OverlayLayer = PlotWidget->layer(kOverlayLayer);
    OverlayLayer->setMode(QCPLayer::lmBuffered);
    BeforeDrawItem = new TChartLayerable(PlotWidget, kBeforeDrawLayer, false);
    AfterDrawItem = new TChartLayerable(PlotWidget, kAfterDrawLayer, false);
    OverlayItem = new TChartLayerable(PlotWidget, kOverlayLayer, true);

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
    SeriesList.clear();
    // The tickers and graphs inside the plot ask this object: the plot goes before its members
    // do.
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
    TChartOwner& owner = *this;
    SeriesList.push_back(std::make_unique<TChartSeries>(owner, kind));
    RebuildLegend();
    SeriesChanged();
    return SeriesList.back().get();
}

void TChart::RemoveSeries(TChartSeries* series)
{
    const int i = IndexOf(series);
    if (i < 0)
        return;
    SeriesList.erase(SeriesList.begin() + i);
    RecalculateAll();
}

int TChart::IndexOf(const TChartSeries* series) const
{
    const auto it = std::find_if(SeriesList.begin(), SeriesList.end(),
                                 [series](const auto& s) { return s.get() == series; });
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
    for (const auto& s : SeriesList)
        s->PlotGraph()->setLayer(PlotWidget->layer("main"));
    RebuildLegend();
    QueueReplot();
}

void TChart::RebuildLegend()
{
    // The legend lists what is drawn, in the order of the series list.
    QCPLegend* legend = PlotWidget->legend;
    legend->clearItems();
    for (const auto& s : SeriesList)
        if (s->ShowInLegend() && s->Active())
            s->PlotGraph()->addToLegend();
    // An item is as high as its font, but the plot clips what it draws one pixel above the
    // item's bottom, and some glyphs reach below the descent: without room below the text,
    // underscores vanish and descenders are cut.
    const QFontMetrics metrics(legend->font());
    const int inkBelow = metrics.tightBoundingRect("_gjpqy|").bottom() + 1 - metrics.descent();
    const QMargins room(0, 0, 0, 1 + std::max(0, inkBelow));
    // The legend's grid may hold empty cells left by an earlier wrapping.
    for (int i = 0; i < legend->itemCount(); ++i)
        if (QCPAbstractLegendItem* item = legend->item(i))
            item->setMargins(room);
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
                       [](const auto& s) { return s->Active(); });
}

QColor TChart::FreeColor(const TChartSeries* asking) const
{
    for (const QColor& c : kFreePalette) {
        const bool used =
            std::any_of(SeriesList.begin(), SeriesList.end(), [&c, asking](const auto& s) {
                return s.get() != asking && s->Color() == c;
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
    for (const auto& s : SeriesList) {
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
    return std::any_of(SeriesList.begin(), SeriesList.end(), [axis](const auto& s) {
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

void TChart::SetLabelHook(TLabelHook hook)
{
    LabelHook = std::move(hook);
}

QString TChart::AxisLabel(TAxisId axis, double value, int decimals) const
{
    const QString text =
        QString::fromStdString(FormatAxisNumber(value, decimals, Grouping, DecimalSeparator));
    return LabelHook ? LabelHook(axis, text) : text;
}

void TChart::SetNumberFormat(char decimalSeparator, const std::string& groupSeparator)
{
    DecimalSeparator = decimalSeparator;
    Grouping = groupSeparator;
}

QStringList TChart::TickLabels(TAxisId axis)
{
    Replot();
    const QVector<QString> labels = AxisOf(axis)->tickVectorLabels();
    return QStringList(labels.begin(), labels.end());
}

void TChart::ZoomPercent(double percent)
{
    LastZoom = percent;
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

void TChart::SetBeforeDraw(TPaint paint)
{
    BeforeDrawItem->SetPaint(std::move(paint));
}

void TChart::SetAfterDraw(TPaint paint)
{
    AfterDrawItem->SetPaint(std::move(paint));
}

void TChart::SetOverlayPaint(TPaint paint)
{
    OverlayItem->SetPaint(std::move(paint));
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

void TChart::SeriesChanged()
{
    QueueReplot();
}

void TChart::LegendChanged()
{
    RebuildLegend();
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
    for (const auto& s : SeriesList)
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
    RefreshSeriesData();
    PaintPlotScaled(*PlotWidget, size(), painter, target);
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

bool TChart::eventFilter(QObject* watched, QEvent* event)
{
    if (watched != PlotWidget)
        return QWidget::eventFilter(watched, event);
    switch (event->type()) {
    case QEvent::MouseButtonPress: {
        auto* me = static_cast<QMouseEvent*>(event);
        MouseCancelled = false;
        emit MouseDown(me);
        if (!MouseCancelled && me->button() == Qt::LeftButton &&
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
                OverlayItem->SetBand(QRect(DragStart, pos).normalized());
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
            const QRect band = OverlayItem->Band();
            OverlayItem->SetBand(QRect());
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
}

} // namespace zirko
