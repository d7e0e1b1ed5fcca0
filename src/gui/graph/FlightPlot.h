// The plot scene: the chart with the open flights' series, climb curves, events, axes, graph
// settings and offsets. The Graph page, the picture export, the report and zirko-cli draw with it.
#pragma once

#include "core/flightdata/ChannelState.h"
#include "core/graph/SeriesInfo.h"
#include "gui/graph/ChartOwner.h"
#include "gui/graph/EventMarks.h"

#include <QColor>
#include <QObject>
#include <QSize>
#include <array>
#include <memory>
#include <vector>

class QPainter;
class QPen;
class QWidget;

namespace zirko {

class TChart;
class TChartSeries;
class TGraphHost;

class TFlightPlot final : public QObject {
    Q_OBJECT
public:
    // The chart is made as a child of `chartParent`; without one the scene keeps it itself,
    // laid out and drawn as if shown, but never on a screen.
    explicit TFlightPlot(TGraphHost& host, QWidget* chartParent = nullptr);
    ~TFlightPlot() override;
    TFlightPlot(const TFlightPlot&) = delete;
    TFlightPlot& operator=(const TFlightPlot&) = delete;

    TChart& Chart() const { return *ChartWidget; }

    // --- the flights' series ---
    // Creates the six series of a flight already in the host; returns the initial states of its
    // channel columns 1..5. The altitude channel is then switched on by the caller.
    TChannelStates BuildFlightSeries(int row);
    // Column 1..5 of a row shown or hidden.
    void ShowChannel(int row, int column, bool on);
    // The flight's series take its current name (after a rename or move of its file).
    void RetitleFlightSeries(int row);
    // Destroys the flight's series, which view the record's arrays: call it before the record is
    // emptied or freed.
    void RemoveFlightSeries(int row);
    // Each series of the flight one place toward the start of the list.
    void MoveFlightSeriesToFront(int row);
    TChartSeries* SeriesOf(int row, int slot) const;
    // The flight's series take the offsets its slots hold now (no pass over the samples).
    void ShowOffsets(int row);
    // The annotation series shows the record's annotations as they are now.
    void ShowAnnotations(int row);

    // --- settings and what is drawn besides the curves ---
    // Applies the graph settings to axes and series (and stores corrected maxima back).
    void ChangeGraphSettings();
    // Each axis automatic or at the range the graph settings fix.
    void ApplyAxisSettings();
    void SetLegendShown(bool shown);
    bool LegendShown() const;
    // The climb-rate curves of the flights whose altitude is shown, on an axis of their own.
    void SetClimbShown(bool shown);
    bool ClimbShown() const { return Climb; }
    // Each shown flight's motor runs as translucent bands in its colour under its curves, its
    // start height marked with its value and a line where the start height window ends.
    void SetMotorShown(bool shown);
    bool MotorShown() const { return Motor; }
    // Each shown flight's climb phases tinted under its curves.
    void SetPhasesShown(bool shown);
    bool PhasesShown() const { return Phases; }
    // A line at servo 0 while some flight shows its servo.
    void SetServoZeroShown(bool shown);
    bool ServoZeroShown() const { return ServoZero; }
    // Time labels as minutes and seconds.
    void SetMinSecLabels(bool on);
    bool MinSecLabels() const { return MinSec; }

    // --- axes ---
    // Zooms the time axis onto [from, to] of a flight's own time, with a margin on either side.
    void ShowFlightStretch(int row, double from, double to);
    // After a zoom of the plot's own axes (by percentage when `rect` is null): the voltage axis
    // takes the same zoom, so the voltage curve keeps its place against the other channels.
    void FollowZoom(const QRect& rect);

    // --- what the flights' drawing asks ---
    // A flight some channel of which is shown, and the time offset its curves are drawn with.
    bool FlightShown(int row) const;
    double TimeOffsetOf(int row) const;
    QColor FlightColor(int row) const;
    // True when the grid is visible and some flight shows that column.
    bool ChannelShownAnywhere(int column) const;
    // What the last full draw drew of the flights' events.
    const std::vector<TEventBand>& EventBands() const { return Marks.Bands; }
    const std::vector<TStartMark>& StartMarks() const { return Marks.Starts; }

    // --- drawing away from the screen ---
    // The chart exactly this size.
    void SetSize(const QSize& size);
    // A full draw, and a second one when the first moved the end of the time axis (which
    // depends on the room the axes took).
    void Draw();

signals:
    // Which value axes are in use changed (a channel or the climb axis shown or hidden).
    void AxesChanged();
    // One of the switches (legend, climb, motor, phases, servo zero, min:sec) changed.
    void OptionsChanged();

private:
    void ApplyAxisSetting(TAxisId axis, bool automatic, double min, double& max);
    // The flight's climb curve is shown while the switch is on and its altitude is shown.
    void UpdateClimbSeries(int row);
    // The climb axis is shown while some climb curve is, at the range of the curves.
    void UpdateClimbAxis();
    // The time axis leaves a strip for the voltage labels while a voltage curve is drawn.
    bool SetTimeAxisEnd();
    void DrawZeroLines(QPainter& painter);
    void DrawZeroLine(QPainter& painter, TAxisId axis, const QPen& pen);

    TGraphHost& Host;
    std::unique_ptr<TChart> OwnChart; // only while no widget holds the chart
    TChart* ChartWidget;
    // The series of each open flight, row by row, indexed by TSeriesSlot.
    std::vector<std::array<TChartSeries*, kSlotCount>> FlightSeries;
    TEventMarks Marks;
    bool Climb = false;
    bool Motor = false;
    bool Phases = false;
    bool ServoZero = false;
    bool MinSec = false;
    bool EndMovedByDraw = false; // the last draw moved the end of the time axis
};

} // namespace zirko
