// The chart widget: series, axes, zoom and panning over QCustomPlot, fed per pixel column.
#pragma once

#include "gui/graph/ChartOwner.h"
#include "gui/graph/ChartSeries.h"

#include <QImage>
#include <QRect>
#include <QString>
#include <QWidget>
#include <array>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

class QCustomPlot;
class QCPAxis;
class QCPLayer;
class QCPLayoutGrid;
class QPainter;
class QMouseEvent;

namespace zirko {

class TChartTicker;
class TChartLayerable;

// The chart. Signals carry the events the graph page handles.
class TChart : public QWidget, private TChartOwner {
    Q_OBJECT
public:
    explicit TChart(QWidget* parent = nullptr);
    ~TChart() override;

    // --- series (owned by the chart; the list order is drawing and legend order) ---
    TChartSeries* AddSeries(TSeriesKind kind);
    void RemoveSeries(TChartSeries* series);
    int SeriesCount() const { return static_cast<int>(SeriesList.size()); }
    TChartSeries* Series(int i) const { return SeriesList[static_cast<size_t>(i)].get(); }
    int IndexOf(const TChartSeries* series) const;
    // One place toward the start of the list.
    void MoveSeriesTowardStart(TChartSeries* series);
    bool AnySeriesActive() const;
    // The next palette colour that no series but `asking` uses.
    QColor FreeColor(const TChartSeries* asking = nullptr) const;

    // --- axes ---
    bool Automatic(TAxisId axis) const;
    void SetAutomatic(TAxisId axis, bool automatic);
    // Fixes the range (reversed values are swapped, a too small span is widened); the axis is no
    // longer automatic.
    void SetMinMax(TAxisId axis, double min, double max);
    double Minimum(TAxisId axis) const;
    double Maximum(TAxisId axis) const override;
    // An automatic axis takes the extent of the active series on it again; a symmetric one the
    // range around 0 that holds that extent.
    void Recalculate(TAxisId axis);
    void SetSymmetric(TAxisId axis, bool symmetric);
    // A hidden axis takes no room and is left alone by zooming and panning; every axis but Climb
    // starts shown.
    bool AxisVisible(TAxisId axis) const;
    void SetAxisVisible(TAxisId axis, bool visible);
    // Something is drawn on the axis: an active series with points. Altitude and time always are,
    // as the plot's frame. A shown axis with nothing on it takes no room and shows no labels
    // (its range still follows zooms, for when something comes onto it).
    bool AxisInUse(TAxisId axis) const;
    // The axis has its place beside the plot at the last drawing.
    bool AxisLaidOut(TAxisId axis) const;
    void RecalculateAll();
    double ValueAtPixel(TAxisId axis, double pixel) const;
    double PixelOfValue(TAxisId axis, double value) const;
    // Lowest and highest x (bottom axis) or y of the active series on the axis.
    std::optional<std::pair<double, double>> DataExtent(TAxisId axis) const;
    void SetAxisTitle(TAxisId axis, const QString& title);
    QString AxisTitle(TAxisId axis) const;
    // Label format: at most `decimals` decimals, thousands grouped.
    void SetLabelDecimals(TAxisId axis, int decimals);
    // 0: automatic steps.
    void SetLabelStep(TAxisId axis, double step);
    void SetGridVisible(TAxisId axis, bool visible);
    // The bottom axis may end before the plot's right edge, in percent of the plot width.
    void SetEndPosition(TAxisId axis, double percent);
    double EndPosition(TAxisId axis) const override;
    // Rewrites every label of an axis (through the label hook).
    void RefreshLabels(TAxisId axis);
    // The axis label event: may replace a label text. Takes effect with the next drawing.
    using TLabelHook = std::function<QString(TAxisId axis, const QString& label)>;
    void SetLabelHook(TLabelHook hook);
    // The texts the axis shows now, left to right or bottom to top.
    QStringList TickLabels(TAxisId axis);
    // The user's separators, for the labels.
    void SetNumberFormat(char decimalSeparator, const std::string& groupSeparator);
    const std::string& GroupSeparator() const { return Grouping; }

    // --- navigation ---
    // Each standard axis [min + d, max - d], d = (max - min) * (p - 100) / 100; then Zoomed. The
    // standard axes are the plot's own shown ones: all but the voltage axis and a hidden one.
    void ZoomPercent(double percent);
    // The percentage of the last zoom by percentage.
    double LastZoomPercent() const { return LastZoom; }
    // Every axis back to automatic; then UndoZoomed (whose handler may fix ranges again).
    void UndoZoom();
    bool RectZoomEnabled() const { return RectZoom; }
    void SetRectZoomEnabled(bool on);
    bool PanningEnabled() const { return Panning; }
    void SetPanningEnabled(bool on);
    // Called from a MouseDown handler: the chart does not start its own zoom or drag for that
    // press.
    void CancelMousePress() { MouseCancelled = true; }

    // --- drawing ---
    QRect PlotRect() const override;
    using TPaint = std::function<void(QPainter&)>;
    // Painted under the series, over the grid, with every full draw (and in images, prints and
    // exports).
    void SetBeforeDraw(TPaint paint);
    // Painted after the series with every full draw (and in images, prints and exports).
    void SetAfterDraw(TPaint paint);
    // Painted on a layer of its own, redrawn alone by RedrawOverlay (not in exports).
    void SetOverlayPaint(TPaint paint);
    void RedrawOverlay();
    // A full redraw now.
    void Replot();
    bool LegendVisible() const;
    // The titles the legend lists: active series shown in the legend, in list order.
    QStringList LegendTitles() const;
    void SetLegendVisible(bool visible);

    // --- output (copies, files and prints are made from RenderTo, without the overlay) ---
    void RenderTo(QPainter& painter, const QRect& target);
    QImage ToImage(); // on-screen size, white background

    QCustomPlot* Plot() const override { return PlotWidget; }
    // The widget that receives the chart's mouse events.
    QWidget* PlotArea() const;

signals:
    void Zoomed(const QRect& rect); // an empty rectangle for a zoom by percentage
    void UndoZoomed();
    void Scrolled();
    void AfterDrawn();
    void MouseDown(QMouseEvent* event);
    void MouseMove(QMouseEvent* event);
    void MouseUp(QMouseEvent* event);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    // What the parts ask of the chart.
    QCPAxis* AxisOf(TAxisId axis) const override;
    QString AxisLabel(TAxisId axis, double value, int decimals) const override;
    QImage& RasterScratch() override { return Scratch; }
    void SeriesChanged() override;
    void LegendChanged() override;

    // Zooms the standard axes onto a rectangle of plot pixels; then Zoomed(rect).
    void ZoomRect(const QRect& rect);
    // The value axes that zooms and drags move: the plot's own and shown.
    std::vector<TAxisId> StandardValueAxes() const;
    void ApplyRange(TAxisId axis);
    // Gives room to the axes that are shown and in use, and none to the others.
    void LayOutAxes();
    void RefreshSeriesData();
    void ReorderLayers();
    void RebuildLegend();
    void FitLegend();
    // A full redraw when control is back in the event loop.
    void QueueReplot();

    struct TAxisState {
        bool Automatic = true;
        bool Symmetric = false;
        bool Shown = true;
        double Min = 0;
        double Max = 1;
        double EndPercent = 100;
        TChartTicker* Ticker = nullptr; // shared with (and kept alive by) the plot's axis
    };
    QCustomPlot* PlotWidget;
    QCPAxis* ServoAxis;
    QCPAxis* ClimbAxis;
    QCPLayer* OverlayLayer;
    QCPLayoutGrid* LegendRow; // the row above the plot while the legend is shown
    TChartLayerable* BeforeDrawItem;
    TChartLayerable* AfterDrawItem;
    TChartLayerable* OverlayItem;
    std::array<TAxisState, kAxisCount> Axes;
    std::vector<std::unique_ptr<TChartSeries>> SeriesList;
    bool RectZoom = true;
    bool Panning = false;
    bool Dragging = false;
    bool DragMoved = false;
    QPoint DragStart;
    std::array<double, kAxisCount> DragStartMin{};
    std::array<double, kAxisCount> DragStartMax{};
    bool Refreshing = false;
    bool ReplotQueued = false;
    bool MouseCancelled = false;
    double LastZoom = 100;
    TLabelHook LabelHook;
    char DecimalSeparator = '.';
    std::string Grouping = "\xC2\xA0";
    QImage Scratch; // transparent between draws
};

} // namespace zirko
