#include "gui/graph/MeasureTool.h"

#include "core/app/NumberFormat.h"
#include "core/graph/ChartMath.h"
#include "gui/graph/Chart.h"
#include "gui/graph/GraphHost.h"
#include "gui/graph/ReadingsGrid.h"
#include "gui/services/UserDialogs.h"

#include <QMouseEvent>
#include <QPainter>

#include <stdexcept>

namespace zirko {

namespace {

// What an XOR pen of `color` leaves on the chart's white background.
QColor XorOverWhite(const QColor& color)
{
    return QColor(255 ^ color.red(), 255 ^ color.green(), 255 ^ color.blue());
}

} // namespace

TMeasureTool::TMeasureTool(TChart& chart, TGraphHost& host, TReadingsGrid& grid,
                           TPointerBox::TSeriesOf seriesOf, QObject* parent)
    : QObject(parent), Chart(chart), Host(host), Grid(grid), Box(chart, host, std::move(seriesOf))
{
    Series1 = Chart.AddSeries(TSeriesKind::Point);
    Series1->SetTitle("Odecet");
    Series1->SetShowInLegend(false);
    Series1->SetColor(Qt::yellow);
    Series1->SetSymbol(TSymbolStyle::Circle, 3);
    Series1->SetSymbolPen(Qt::black, 2);
    Series1->SetMarkBackground(Qt::yellow);
    Series1->SetMarksVisible(true);
}

TMeasureTool::~TMeasureTool() = default;

void TMeasureTool::SetCrosshairOn(bool on)
{
    CrossOn = on;
    if (!on)
        ClearCrosshair();
}

void TMeasureTool::ChartDrawn()
{
    if (!BandFrozen)
        return;
    BandFrozen = false;
    MeasureRect.Left = INT_MAX;
    Chart.RedrawOverlay();
}

bool TMeasureTool::ShownAnywhere(int column) const
{
    return ChannelShownAnywhere(Host, column);
}

void TMeasureTool::ShowError(const QString& text)
{
    Dialogs().ShowError(Chart.window(), text);
}

TReadingValues TMeasureTool::ReadingsAt(const QPoint& chartPos) const
{
    TReadingValues v;
    v.Time = Chart.ValueAtPixel(TAxisId::Bottom, chartPos.x());
    v.Altitude = Chart.ValueAtPixel(TAxisId::Left, chartPos.y());
    if (ShownAnywhere(2))
        v.Servo = Chart.ValueAtPixel(TAxisId::Right, chartPos.y());
    if (ShownAnywhere(3))
        v.Voltage = Chart.ValueAtPixel(TAxisId::Voltage, chartPos.y());
    if (Chart.AxisVisible(TAxisId::Climb))
        v.Climb = Chart.ValueAtPixel(TAxisId::Climb, chartPos.y());
    return v;
}

void TMeasureTool::FillReadingRow(int row, const QPoint& chartPos)
{
    Grid.Table.FillRow(row, ReadingsAt(chartPos), Host.DecimalSeparator());
}

// TO at the position, then DELTA and the rates from the table's own texts.
void TMeasureTool::FinishReadingRows(const QPoint& chartPos)
{
    FillReadingRow(2, chartPos);
    Grid.Table.ComputeDifferences(ShownAnywhere(2), ShownAnywhere(3), Host.DecimalSeparator());
    Grid.update();
    emit Measured(MeasureFrom, ReadingsAt(chartPos));
}

void TMeasureTool::AddMeasureMarker(double time, double altitude)
{
    Series1->AddXY(time, altitude,
                   FormatAxisNumber(altitude, 1, Host.GroupSeparator(), Host.DecimalSeparator()));
}

void TMeasureTool::MouseDown(QMouseEvent* event)
{
    try {
        const QPoint pos = event->position().toPoint();
        MouseDownX = pos.x();
        MouseDownY = pos.y();
        const QRect plot = Chart.PlotRect();
        // Edges count as inside.
        if (pos.x() < plot.left() || pos.x() > plot.right() + 1 || pos.y() < plot.top() ||
            pos.y() > plot.bottom() + 1)
            return;
        if (IsMeasuring && (event->buttons() & Qt::LeftButton)) {
            Chart.CancelMousePress();
            Series1->Clear();
            Chart.Recalculate(TAxisId::Left);
            Chart.Recalculate(TAxisId::Bottom);
            MeasureStarting = true;
            // The start marker, placed at the first move, shows the point FROM was read at.
            MeasureFrom = ReadingsAt(pos);
            Grid.Table.Start(MeasureFrom, Host.DecimalSeparator());
            Grid.update();
            emit MeasureStarted(MeasureFrom);
        }
        if (event->buttons() & Qt::RightButton) {
            Chart.CancelMousePress();
            if (Host.GridVisible())
                emit PopupRequested(pos, event->globalPosition().toPoint());
        }
    } catch (const std::exception& e) {
        ShowError(QString::fromUtf8(e.what()) + "\nIn ChartMouseDown.");
    }
}

void TMeasureTool::MouseMove(QMouseEvent* event)
{
    try {
        const QPoint pos = event->position().toPoint();
        bool overlayChanged = false;
        if (IsMeasuring && (event->buttons() & Qt::LeftButton) &&
            (MeasureStarting || MeasureRect.Left != INT_MAX)) {
            if (MeasureStarting) {
                MeasureRect = {MouseDownX, MouseDownY, pos.x(), pos.y()};
                AddMeasureMarker(MeasureFrom.Time, MeasureFrom.Altitude);
                MeasureStarting = false;
            }
            MeasureRect.Right = pos.x();
            MeasureRect.Bottom = pos.y();
            BandFrozen = false;
            FinishReadingRows(pos);
            overlayChanged = true;
        }
        if (CrossOn) {
            const QRect plot = Chart.PlotRect();
            const bool inside = plot.contains(pos);
            if (CrossX != -1 || inside) {
                CrossX = inside ? pos.x() : -1;
                CrossY = inside ? pos.y() : -1;
                overlayChanged = true;
            }
        }
        if (overlayChanged)
            Chart.RedrawOverlay();
    } catch (const std::exception& e) {
        ShowError(QString::fromUtf8(e.what()) + "\nIn ChartMouseMove.");
    }
}

void TMeasureTool::MouseUp(QMouseEvent* event)
{
    try {
        if (event->modifiers() & Qt::ControlModifier) {
            // The band stays as it is until the chart is next drawn; no end point is taken.
            if (MeasureRect.Left != INT_MAX)
                BandFrozen = true;
            return;
        }
        if (!IsMeasuring || MeasureRect.Left == INT_MAX)
            return;
        const QPoint pos = event->position().toPoint();
        MeasureRect.Left = INT_MAX;
        Chart.RedrawOverlay();
        FinishReadingRows(pos);
        AddMeasureMarker(Chart.ValueAtPixel(TAxisId::Bottom, pos.x()),
                         Chart.ValueAtPixel(TAxisId::Left, pos.y()));
    } catch (const std::exception& e) {
        ShowError(QString::fromUtf8(e.what()) + "\nIn ChartMouseUp.");
    }
}

void TMeasureTool::ClearCrosshair()
{
    if (CrossX == -1)
        return;
    CrossX = -1;
    Chart.RedrawOverlay();
}

void TMeasureTool::PaintOverlay(QPainter& painter)
{
    const QRect plot = Chart.PlotRect();
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing, false);
    painter.setClipRect(plot);
    painter.setBrush(Qt::NoBrush);
    if (MeasureRect.Left != INT_MAX) {
        const QPoint corners[4] = {{MeasureRect.Left, MeasureRect.Top},
                                   {MeasureRect.Left, MeasureRect.Bottom},
                                   {MeasureRect.Right, MeasureRect.Bottom},
                                   {MeasureRect.Right, MeasureRect.Top}};
        // Black dots on a white line: one of the two stands out over any curve or background.
        painter.setPen(QPen(Qt::white, 1, Qt::SolidLine));
        painter.drawPolygon(corners, 4);
        painter.setPen(QPen(Qt::black, 1, Qt::DotLine));
        painter.drawPolygon(corners, 4);
    }
    if (CrossX != -1) {
        painter.setPen(QPen(XorOverWhite(CrossColor), 1, CrossStyle));
        painter.drawLine(CrossX, plot.top(), CrossX, plot.bottom());
        painter.drawLine(plot.left(), CrossY, plot.right(), CrossY);
        Box.Paint(painter, plot, CrossX, CrossY);
    } else {
        Box.Clear();
    }
    painter.restore();
}

} // namespace zirko
