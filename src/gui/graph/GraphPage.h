// The "Graph" tab page: toolbar, readings panel, chart with scroll bars, and the flights' series.
#pragma once

#include "core/flightdata/ChannelState.h"
#include "core/flightdata/DataBlock.h"
#include "core/graph/ChartMath.h"
#include "core/graph/Offsets.h"
#include "gui/graph/Chart.h"

#include "core/graph/Readings.h"

#include <QWidget>
#include <array>
#include <climits>
#include <string>
#include <vector>

class QToolBar;
class QHBoxLayout;
class QToolButton;
class QLabel;
class QScrollBar;
class QCheckBox;
class QComboBox;
class QLineEdit;
class QSlider;
class QWheelEvent;

namespace zirko {

class TGraphHost;
class TRangeGrid;
class TReadingsGrid;
class TMeasureTool;
class TOffsetPanel;

class TGraphPage : public QWidget {
    Q_OBJECT
public:
    explicit TGraphPage(TGraphHost& host, QWidget* parent = nullptr);
    ~TGraphPage() override;

    // --- what the main window calls ---
    // Creates the six series of a flight already in the list; returns the initial states of its
    // channel columns 1..5. The altitude channel is then switched on by the caller.
    TChannelStates BuildFlightSeries(int row);
    // The chart side of GridCheck: column 1..5 of a row shown or hidden.
    void ShowChannel(int row, int column, bool on);
    // The flight's series take its current name (after a rename or move of its file).
    void RetitleFlightSeries(int row);
    // Destroys the flight's series, which view the record's arrays: call it before the record is
    // emptied or freed.
    void RemoveFlightSeries(int row);
    // Each series of the flight one place toward the start of the list.
    void MoveFlightSeriesToFront(int row);
    // Applies GraphSettings to axes and series (and stores corrected maxima back).
    void ChangeGraphSettings();
    void UpdateScrollBars();
    void SetLegendShown(bool shown);
    bool LegendShown() const;
    void SetTableShown(bool shown);
    bool TableShown() const;
    // The climb-rate curves of the flights whose altitude is shown, on an axis of their own.
    void SetClimbShown(bool shown);
    bool ClimbShown() const;
    // Each shown flight's motor runs as translucent bands in its colour under its curves, its
    // start height marked with its value and a line where the start height window ends.
    void SetMotorShown(bool shown);
    bool MotorShown() const;
    // Each shown flight's climb phases tinted under its curves.
    void SetPhasesShown(bool shown);
    bool PhasesShown() const;
    // Zooms the time axis onto [from, to] of a flight's own time, with a margin on either side;
    // the value axes take the range of what shows there.
    void ShowFlightStretch(int row, double from, double to);
    // True when the grid is visible and some flight shows that column.
    bool ChannelShownAnywhere(int column) const;

    // --- series operations for offsets and annotations ---
    TChartSeries* SeriesOf(int row, int slot) const;
    // The flight's series take the offsets its slots hold now (no pass over the samples).
    void ShowOffsets(int row);
    // The annotation series shows the record's annotations as they are now.
    void ShowAnnotations(int row);

    // --- navigation ---
    // Wheel over the main window: zooms when a flight is open, the page active and the pointer
    // inside the chart. Returns whether it was handled.
    bool HandleWheel(const QPoint& globalPos, int delta);
    void ZoomIn();  // 110 percent (the button whose hint says "Zoom in")
    void ZoomOut(); // 90 percent
    void UndoZoom();
    bool ScrollUpdating = false;

    // Mouse-move readout at a chart position.
    void UpdateReadout(const QPoint& chartPos);

    // --- measurement mode, crosshair and the values at the pointer ---
    TMeasureTool& Measure() const { return *MeasureTool; }

    // --- events drawn with the flights (what the last full draw drew) ---
    enum class TBandKind { Motor, Climb };
    struct TEventBand {
        int Row = -1;
        TBandKind Kind = TBandKind::Motor;
        QRect Rect; // plot pixels; neighbouring runs closer than a pixel share one band
    };
    std::vector<TEventBand> EventBands;
    struct TStartMark {
        int Row = -1;
        QPoint At;           // the start height point
        QString Text;        // "183.4 m"
        int WindowEndX = -1; // the line at motor stop + 10 s; -1 when off the plot
    };
    std::vector<TStartMark> StartMarks;

    // --- offsets of the current flight ---
    TOffsetPanel& Offsets() const { return *PanelOffsets; }

    // Controls.
    TChart* Chart1 = nullptr;
    QToolBar* ToolBarGraf = nullptr;
    QToolButton* TBCopyGraph = nullptr;
    QToolButton* TBSaveGraph = nullptr;
    QToolButton* TBPrintGraph = nullptr;
    QToolButton* TBGraphSetup = nullptr;
    QToolButton* TBZoomIn = nullptr;
    QToolButton* TBUndoZoom = nullptr;
    QToolButton* TBZoomOut = nullptr;
    QToolButton* TBGrafRead = nullptr;
    QToolButton* TBAnnotDialog = nullptr;
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

    static constexpr int kPanelGrafHeight = 92;

    // The readout stands at the right end of the toolbar while the longest text it can show now
    // fits beside the buttons; on a narrower page it stands below the chart instead.
    bool ReadoutBelowChart() const { return ReadoutBelow; }

public slots:
    // Space pressed / released on the main window (the main window previews keys). The press
    // returns whether it was taken.
    bool SpaceDown();
    void SpaceUp();
    void CenterServoAxis();

signals:
    // Buttons whose actions live elsewhere.
    void CopyGraphRequested();
    void SaveGraphRequested();
    void PrintGraphRequested();
    void GraphSetupRequested();
    void AnnotationsRequested();
    void MeasurementModeChanged(bool on);
    void TableShownChanged(bool shown);
    void LegendShownChanged(bool shown);
    // Chart mouse events after the readout has been updated.
    void ChartMouseDown(QMouseEvent* event);
    void ChartMouseMove(QMouseEvent* event);
    void ChartMouseUp(QMouseEvent* event);
    // A zoom has moved everything under the crosshair: it is no longer drawn.
    void CrosshairCleared();
    // A right press inside the plot while flights are open: the chart's context menu is due.
    void PopupRequested(const QPoint& chartPos, const QPoint& globalPos);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    void CreateToolBar();
    // Puts the readout where its longest text for the channels shown fits, and gives it that
    // width, so that it neither cuts a text off nor moves while the pointer moves.
    void PlaceReadout();
    void LayoutChartArea();
    void SetTimeAxisEnd();
    void ApplyAxisSetting(int axis, bool automatic, double min, double& max);
    void ChartZoom(const QRect& rect);
    void ChartUndoZoom();
    void ChartScroll();
    void ScrollBar1Change(int position);
    void ScrollBar2Change(int position);
    void MinSecClick();
    void DrawZeroLines(QPainter& painter);
    void DrawZeroLine(QPainter& painter, TAxisId axis, const QPen& pen);
    // The flight's climb curve is shown while the switch is on and its altitude is shown.
    void UpdateClimbSeries(int row);
    // The climb axis is shown while some climb curve is, at the range of the curves.
    void UpdateClimbAxis();
    // A flight some channel of which is shown, and the time offset its curves are drawn with.
    bool FlightShown(int row) const;
    double TimeOffsetOf(int row) const;
    QColor FlightColor(int row) const;
    // Under the curves: the motor bands and climb tints; over them: the start heights.
    void DrawEventBands(QPainter& painter);
    void DrawStartHeights(QPainter& painter);
    QString TimeLabel(TAxisId axis, const QString& label) const;
    // A flight's display slots; every access to them goes through here.
    const TFlightSlots* SlotsOf(int row) const;
    void ShowError(const QString& text);

    // The readout follows the pointer, then the measurement tool has the move.
    void ChartMouseMoved(QMouseEvent* event);

    TGraphHost& Host;
    TMeasureTool* MeasureTool = nullptr;
    TOffsetPanel* PanelOffsets = nullptr;
    // The series of each open flight, row by row, indexed by TSeriesSlot.
    std::vector<std::array<TChartSeries*, kSlotCount>> FlightSeries;
    QWidget* ChartArea = nullptr;
    QHBoxLayout* ToolRow = nullptr;
    QHBoxLayout* ReadoutBelowSlot = nullptr;
    bool ReadoutBelow = false;
};

} // namespace zirko
