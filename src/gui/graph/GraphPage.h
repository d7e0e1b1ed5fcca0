// The "Graph" tab page: toolbar, readings panel, the plot scene's chart with scroll bars, offsets.
#pragma once

#include "gui/graph/FlightPlot.h"

#include <QWidget>
#include <memory>

class QToolBar;
class QHBoxLayout;
class QToolButton;
class QLabel;
class QScrollBar;
class QCheckBox;
class QMouseEvent;

namespace zirko {

class TChart;
class TGraphHost;
class TRangeGrid;
class TReadingsGrid;
class TMeasureTool;
class TOffsetPanel;

// The interactive shell around the plot scene: its tools (readings, measurement, offsets,
// pointer values), scroll bars, zoom and panning. What the chart shows is the scene's.
class TGraphPage : public QWidget {
    Q_OBJECT
public:
    explicit TGraphPage(TGraphHost& host, QWidget* parent = nullptr);
    ~TGraphPage() override;

    // The flights' series, axes, settings and switches; the page's buttons follow its switches.
    TFlightPlot& Plot() const { return *Scene; }
    // Measurement mode, crosshair and the values at the pointer.
    TMeasureTool& Measure() const { return *MeasureTool; }
    // The offsets of the current flight.
    TOffsetPanel& Offsets() const { return *PanelOffsets; }

    // --- navigation ---
    // Wheel over the main window: zooms when a flight is open, the page active and the pointer
    // inside the chart. Returns whether it was handled.
    bool HandleWheel(const QPoint& globalPos, int delta);
    void ZoomIn();  // 110 percent (the button whose hint says "Zoom in")
    void ZoomOut(); // 90 percent
    void UndoZoom();
    // Zooms the time axis onto [from, to] of a flight's own time, with a margin on either side;
    // the value axes take the range of what shows there.
    void ShowFlightStretch(int row, double from, double to);
    // Space pressed / released on the main window (the main window previews keys). The press
    // returns whether it was taken.
    bool SpaceDown();
    void SpaceUp();
    void UpdateScrollBars();

    void SetTableShown(bool shown);
    bool TableShown() const;
    // The readout stands at the right end of the toolbar while the longest text it can show now
    // fits beside the buttons; on a narrower page it stands below the chart instead.
    bool ReadoutBelowChart() const { return ReadoutBelow; }

signals:
    // Buttons whose actions live elsewhere.
    void CopyGraphRequested();
    void SaveGraphRequested();
    void PrintGraphRequested();
    void GraphSetupRequested();
    void AnnotationsRequested();
    // A right press inside the plot while flights are open: the chart's context menu is due.
    void PopupRequested(const QPoint& chartPos, const QPoint& globalPos);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    void CreateToolBar();
    void LayoutChartArea();
    void ConnectChart();
    // The buttons and boxes take the scene's switches (after a change made without them).
    void FollowSwitches();
    // Puts the readout where its longest text for the channels shown fits, and gives it that
    // width, so that it neither cuts a text off nor moves while the pointer moves.
    void PlaceReadout();
    void ChartZoom(const QRect& rect);
    void ChartUndoZoom();
    void ChartScroll();
    void ScrollBar1Change(int position);
    void ScrollBar2Change(int position);
    void CenterServoAxis();
    // The readout follows the pointer, then the measurement tool has the move.
    void ChartMouseMoved(QMouseEvent* event);
    void UpdateReadout(const QPoint& chartPos);
    void ShowError(const QString& text);

    static constexpr int kPanelGrafHeight = 92;

    TGraphHost& Host;
    std::unique_ptr<TFlightPlot> Scene;
    TChart* Chart1 = nullptr; // the scene's
    TMeasureTool* MeasureTool = nullptr;
    TOffsetPanel* PanelOffsets = nullptr;
    QToolBar* ToolBarGraf = nullptr;
    QToolButton* TBGrafRead = nullptr;
    QToolButton* TBCrossHair = nullptr;
    QToolButton* TBRxZero = nullptr;
    QToolButton* TBClimb = nullptr;
    QToolButton* TBMotor = nullptr;
    QToolButton* TBPhases = nullptr;
    QToolButton* TBShowTable = nullptr;
    QToolButton* TBShowLegend = nullptr;
    QLabel* LabelPos = nullptr;
    // The readings panel; the measurement code owns what happens in StringGridOdecet.
    QWidget* PanelGraf = nullptr;
    TReadingsGrid* StringGridOdecet = nullptr;
    TRangeGrid* RangeGrid = nullptr; // beside it once a range is measured
    QScrollBar* ScrollBar1 = nullptr;
    QScrollBar* ScrollBar2 = nullptr;
    QCheckBox* CheckBox_min_sec = nullptr;
    QCheckBox* CheckBox_RxCenter = nullptr;
    QWidget* ChartArea = nullptr;
    QHBoxLayout* ToolRow = nullptr;
    QHBoxLayout* ReadoutBelowSlot = nullptr;
    bool ReadoutBelow = false;
    bool ScrollUpdating = false;
};

} // namespace zirko
