// The graph page's measurement mode: the readings table, the rubber band, the two markers of
// Series1 and the crosshair. Band and crosshair live on the chart's overlay layer, so drawing or
// erasing them never redraws the flights.
#include "core/app/NumberFormat.h"
#include "core/graph/ChartMath.h"
#include "gui/graph/GraphHost.h"
#include "gui/graph/GraphPage.h"
#include "gui/graph/ReadingsGrid.h"

#include <QMouseEvent>
#include <QPainter>
#include <QToolButton>

#include <stdexcept>

namespace zirko {

namespace {

// What an XOR pen of `color` leaves on the chart's white background.
QColor XorOverWhite(const QColor& color)
{
    return QColor(255 ^ color.red(), 255 ^ color.green(), 255 ^ color.blue());
}

} // namespace

TReadingValues TGraphPage::ReadingsAt(const QPoint& chartPos) const
{
    TReadingValues v;
    v.Time = Chart1->ValueAtPixel(TAxisId::Bottom, chartPos.x());
    v.Altitude = Chart1->ValueAtPixel(TAxisId::Left, chartPos.y());
    if (ChannelShownAnywhere(2))
        v.Servo = Chart1->ValueAtPixel(TAxisId::Right, chartPos.y());
    if (ChannelShownAnywhere(3))
        v.Voltage = Chart1->ValueAtPixel(TAxisId::Voltage, chartPos.y());
    if (Chart1->AxisVisible(TAxisId::Climb))
        v.Climb = Chart1->ValueAtPixel(TAxisId::Climb, chartPos.y());
    return v;
}

void TGraphPage::FillReadingRow(int row, const QPoint& chartPos)
{
    StringGridOdecet->Table.FillRow(row, ReadingsAt(chartPos), Host.DecimalSeparator());
}

// TO at the position, then DELTA and the rates from the table's own texts.
void TGraphPage::FinishReadingRows(const QPoint& chartPos)
{
    FillReadingRow(2, chartPos);
    StringGridOdecet->Table.ComputeDifferences(ChannelShownAnywhere(2), ChannelShownAnywhere(3),
                                               Host.DecimalSeparator());
    StringGridOdecet->update();
}

void TGraphPage::AddMeasureMarker(double time, double altitude)
{
    Series1->AddXY(time, altitude,
                   FormatAxisNumber(altitude, 1, Host.GroupSeparator(), Host.DecimalSeparator()));
}

void TGraphPage::Chart1MouseDown(QMouseEvent* event)
{
    try {
        const QPoint pos = event->position().toPoint();
        MouseDownX = pos.x();
        MouseDownY = pos.y();
        const QRect plot = Chart1->PlotRect();
        // Edges count as inside.
        if (pos.x() < plot.left() || pos.x() > plot.right() + 1 || pos.y() < plot.top() ||
            pos.y() > plot.bottom() + 1)
            return;
        if (TBGrafRead->isChecked() && (event->buttons() & Qt::LeftButton)) {
            Chart1->CancelMousePress();
            Series1->Clear();
            Chart1->Recalculate(TAxisId::Left);
            Chart1->Recalculate(TAxisId::Bottom);
            MeasureStarting = true;
            // The start marker, placed at the first move, shows the point FROM was read at.
            MeasureFrom = ReadingsAt(pos);
            StringGridOdecet->Table.Start(MeasureFrom, Host.DecimalSeparator());
            StringGridOdecet->update();
        }
        if (event->buttons() & Qt::RightButton) {
            Chart1->CancelMousePress();
            if (Host.GridVisible())
                emit PopupRequested(pos, event->globalPosition().toPoint());
        }
    } catch (const std::exception& e) {
        ShowError(QString::fromUtf8(e.what()) + "\nIn ChartMouseDown.");
    }
}

void TGraphPage::Chart1MouseMove(QMouseEvent* event)
{
    try {
        const QPoint pos = event->position().toPoint();
        UpdateReadout(pos);
        bool overlayChanged = false;
        if (TBGrafRead->isChecked() && (event->buttons() & Qt::LeftButton) &&
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
        if (TBCrossHair->isChecked()) {
            const QRect plot = Chart1->PlotRect();
            const bool inside = plot.contains(pos);
            if (CrossX != -1 || inside) {
                CrossX = inside ? pos.x() : -1;
                CrossY = inside ? pos.y() : -1;
                overlayChanged = true;
            }
        }
        if (overlayChanged)
            Chart1->RedrawOverlay();
    } catch (const std::exception& e) {
        ShowError(QString::fromUtf8(e.what()) + "\nIn ChartMouseMove.");
    }
}

void TGraphPage::Chart1MouseUp(QMouseEvent* event)
{
    try {
        if (event->modifiers() & Qt::ControlModifier) {
            // The band stays as it is until the chart is next drawn; no end point is taken.
            if (MeasureRect.Left != INT_MAX)
                BandFrozen = true;
            return;
        }
        if (!TBGrafRead->isChecked() || MeasureRect.Left == INT_MAX)
            return;
        const QPoint pos = event->position().toPoint();
        MeasureRect.Left = INT_MAX;
        Chart1->RedrawOverlay();
        FinishReadingRows(pos);
        AddMeasureMarker(Chart1->ValueAtPixel(TAxisId::Bottom, pos.x()),
                         Chart1->ValueAtPixel(TAxisId::Left, pos.y()));
    } catch (const std::exception& e) {
        ShowError(QString::fromUtf8(e.what()) + "\nIn ChartMouseUp.");
    }
}

void TGraphPage::ClearCrosshair()
{
    if (CrossX == -1)
        return;
    CrossX = -1;
    Chart1->RedrawOverlay();
}

void TGraphPage::PaintOverlay(QPainter& painter)
{
    const QRect plot = Chart1->PlotRect();
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
        PaintPointerPanel(painter, plot);
    } else {
        PointerLines.clear();
        PointerPanelRect = QRect();
    }
    painter.restore();
}

} // namespace zirko
