// The Graph page's measurement mode and crosshair: the readings table, the rubber band, the two
// markers and the cross with the values at the pointer. Band and cross live on the chart's overlay
// layer, so drawing or erasing them never redraws the flights.
#pragma once

#include "core/graph/Readings.h"
#include "gui/graph/PointerBox.h"

#include <QColor>
#include <QObject>
#include <QPoint>
#include <climits>

class QMouseEvent;
class QPainter;

namespace zirko {

class TChart;
class TChartSeries;
class TGraphHost;
class TReadingsGrid;

class TMeasureTool final : public QObject {
    Q_OBJECT
public:
    TMeasureTool(TChart& chart, TGraphHost& host, TReadingsGrid& grid,
                 TPointerBox::TSeriesOf seriesOf, QObject* parent = nullptr);
    ~TMeasureTool() override;

    // Measurement mode: a left drag reads FROM at the press and TO where the pointer is.
    void SetMeasuring(bool on) { IsMeasuring = on; }
    bool Measuring() const { return IsMeasuring; }
    // The crosshair follows the pointer inside the plot while it is switched on.
    void SetCrosshairOn(bool on);
    bool CrosshairOn() const { return CrossOn; }

    // Chart values under a pixel; servo and voltage only when some flight shows them.
    TReadingValues ReadingsAt(const QPoint& chartPos) const;
    void MouseDown(QMouseEvent* event);
    void MouseMove(QMouseEvent* event);
    void MouseUp(QMouseEvent* event);
    // The cross goes (the pointer left, or a zoom moved everything under it).
    void ClearCrosshair();
    // A full draw of the chart happened: a band left by a release with Ctrl goes with it.
    void ChartDrawn();
    void PaintOverlay(QPainter& painter);

    // The two markers of a measurement ("Odecet"), on the chart.
    TChartSeries& Markers() const { return *Series1; }
    TPointerBox& PointerBox() { return Box; }
    const TPointerBox& PointerBox() const { return Box; }

    // Chart pixel position of the last press on the chart.
    int MouseDownX = 0;
    int MouseDownY = 0;
    // The rubber band on screen; Left == INT_MAX: none drawn.
    struct TMeasureRect {
        int Left = INT_MAX;
        int Top = 0;
        int Right = 0;
        int Bottom = 0;
    } MeasureRect;
    bool MeasureStarting = false;
    // The readings at the last measurement press (the FROM row).
    TReadingValues MeasureFrom;
    int CrossX = -1;
    int CrossY = -1;
    QColor CrossColor{255, 255, 0};
    Qt::PenStyle CrossStyle = Qt::SolidLine;

signals:
    // A right press inside the plot while flights are open: the chart's context menu is due.
    void PopupRequested(const QPoint& chartPos, const QPoint& globalPos);
    // The readings table holds a new FROM and TO (while dragging and at the release).
    void Measured(const TReadingValues& from, const TReadingValues& to);
    // A new measurement began: FROM is read, TO is not yet.
    void MeasureStarted(const TReadingValues& from);

private:
    void FillReadingRow(int row, const QPoint& chartPos);
    void FinishReadingRows(const QPoint& chartPos);
    void AddMeasureMarker(double time, double altitude);
    bool ShownAnywhere(int column) const;
    void ShowError(const QString& text);

    TChart& Chart;
    TGraphHost& Host;
    TReadingsGrid& Grid;
    TPointerBox Box;
    TChartSeries* Series1 = nullptr;
    bool IsMeasuring = false;
    bool CrossOn = false;
    // Set at a Ctrl release: the band stays until the next full redraw.
    bool BandFrozen = false;
};

} // namespace zirko
