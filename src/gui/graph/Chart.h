// The chart widget: series, axes, zoom and panning over QCustomPlot, fed per pixel column.
#pragma once

#include "core/graph/GraphSettings.h"
#include "core/graph/SeriesSummary.h"
#include "core/graph/SeriesTransform.h"

#include <QColor>
#include <QImage>
#include <QRect>
#include <QString>
#include <QWidget>
#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

class QCustomPlot;
class QCPAxis;
class QCPGraph;
class QCPLayer;
class QCPLayoutGrid;
class QCPItemText;
class QPainter;
class QPrinter;
class QMouseEvent;

namespace zirko {

class TChart;
class TChartGraph;
class TChartTicker;
class TChartLayerable;

// Left: altitude; Right: servo; Bottom: time; Voltage: the custom axis whose labels stand inside
// the plot's right edge; Climb: the climb rate, right of the servo axis and hidden until shown.
enum class TAxisId { Left = 0, Right = 1, Bottom = 2, Voltage = 3, Climb = 4 };
inline constexpr int kAxisCount = 5;

enum class TSeriesKind { Line, Point };

// One series of the chart. Its samples are points of its own, or a view of a flight record's
// arrays that it does not copy (the record must outlive the series, or the next SetPoints, SetView
// or Clear). Either way they are stored values, shown through a transform: the channel's map and
// the offsets. The plot is only handed what the visible range can show.
class TChartSeries {
public:
    TSeriesKind Kind() const { return SeriesKind; }
    TChart& Chart() const { return Owner; }

    // Appends a point given as shown (stored as what the transform shows there) and returns its
    // index (sorted series: the index where it went). A view becomes points of its own first.
    int AddXY(double x, double y, const std::string& label = {});
    // Replaces all points at once with stored values; a sorted series sorts them by x.
    void SetPoints(std::vector<double> x, std::vector<double> y);
    // Views the first `count` samples of `x` and `y` (no more than either holds). Whether those x
    // ascend may be told by a caller that knows, sparing a pass over them.
    void SetView(const std::vector<double>& x, const std::vector<double>& y, size_t count,
                 std::optional<bool> xAscending = std::nullopt);
    // Views the samples of `x` and `y` that `picked` lists, in its order.
    void SetPickedView(const std::vector<double>& x, const std::vector<double>& y,
                       std::vector<uint32_t> picked);
    bool IsView() const { return Viewing; }
    int Count() const { return static_cast<int>(Samples.Size); }
    // A point as shown.
    double X(int i) const { return View.X(StoredX(i)); }
    double Y(int i) const { return View.Y(StoredY(i)); }
    // A point as stored: the record's or the file's value.
    double StoredX(int i) const { return Samples.XAt(static_cast<size_t>(i)); }
    double StoredY(int i) const { return Samples.YAt(static_cast<size_t>(i)); }
    // The label bytes as stored; empty when the point has none.
    const std::string& Label(int i) const;
    QString LabelText(int i) const; // decoded for display
    void Delete(int i);
    void Clear();
    // How stored values are shown. A change redraws; it never passes over the samples.
    const TSeriesTransform& Transform() const { return View; }
    void SetTransform(const TSeriesTransform& transform);

    // Sorted by x (the default of line series) or kept in insertion order.
    bool Sorted() const { return IsSorted; }
    void SetSorted(bool sorted);

    bool Active() const { return IsActive; }
    void SetActive(bool active);
    QString Title() const { return SeriesTitle; }
    void SetTitle(const QString& title);
    QColor Color() const { return SeriesColor; }
    void SetColor(const QColor& color);
    TAxisId VerticalAxis() const { return Axis; }
    void SetVerticalAxis(TAxisId axis);
    bool ShowInLegend() const { return InLegend; }
    void SetShowInLegend(bool show);

    // Line kind.
    TLineStyle PenStyle() const { return LineStyle; }
    int PenWidth() const { return LineWidth; }
    void SetPen(TLineStyle style, int width);
    // Point kind: symbol and its size in pixels, filled and outlined in the series colour.
    TSymbolStyle Symbol() const { return SymbolStyle; }
    int SymbolSize() const { return SymbolPixels; }
    void SetSymbol(TSymbolStyle style, int size);
    // Per-point texts beside the symbols.
    bool MarksVisible() const { return ShowMarks; }
    void SetMarksVisible(bool visible);
    // Colours of the symbol outline and of the mark texts when they differ from the series colour.
    void SetSymbolPen(const QColor& color, int width);
    void SetMarkBackground(const QColor& color);

    // Lowest and highest x or y of all points as shown; nothing when empty.
    std::optional<std::pair<double, double>> XExtent() const;
    std::optional<std::pair<double, double>> YExtent() const;

    // How many points the plot was handed at the last refresh.
    int PlottedCount() const;

private:
    friend class TChart;
    TChartSeries(TChart& owner, TSeriesKind kind, TChartGraph* graph);
    ~TChartSeries();
    void DataChanged();
    void Restyle();
    void Refresh(double xMin, double xMax, int columns);
    void RefreshMarks();
    bool SummaryUsable() const;
    void EnsureSummary() const;
    // Points of its own from here on: a view is copied out.
    void Detach();
    void SortByX();
    void OwnedChanged();

    TChart& Owner;
    TSeriesKind SeriesKind;
    TChartGraph* Graph;
    std::vector<double> Xs;
    std::vector<double> Ys;
    std::vector<std::string> Labels; // empty, or one per point
    std::vector<uint32_t> Picked;
    // What is read: the own points, or the record's arrays.
    TSampleView Samples;
    bool Viewing = false;
    TSeriesTransform View;
    // Built when first needed, by drawing or by an extent.
    mutable TSeriesSummary Summary;
    TReducedPoints Reduced; // kept for its capacity
    mutable bool SummaryValid = false;
    bool XAscending = true;
    bool IsSorted = true;
    bool IsActive = true;
    bool InLegend = true;
    bool ShowMarks = false;
    bool Dirty = true;
    QString SeriesTitle;
    QColor SeriesColor = Qt::red;
    QColor OutlineColor;
    int OutlineWidth = 0;
    QColor MarkBackground = Qt::transparent;
    TAxisId Axis = TAxisId::Left;
    TLineStyle LineStyle = TLineStyle::Solid;
    int LineWidth = 1;
    TSymbolStyle SymbolStyle = TSymbolStyle::Rectangle;
    int SymbolPixels = 4;
    std::vector<QCPItemText*> Marks;
    // What the last refresh was made for.
    double LastMin = 0;
    double LastMax = 0;
    int LastColumns = -1;
    double LastTolerance = 0;
};

// The chart. Signals carry the events the graph page handles.
class TChart : public QWidget {
    Q_OBJECT
public:
    explicit TChart(QWidget* parent = nullptr);
    ~TChart() override;

    // --- series (owned by the chart; the list order is drawing and legend order) ---
    TChartSeries* AddSeries(TSeriesKind kind);
    void RemoveSeries(TChartSeries* series);
    int SeriesCount() const { return static_cast<int>(SeriesList.size()); }
    TChartSeries* Series(int i) const { return SeriesList[static_cast<size_t>(i)]; }
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
    double Maximum(TAxisId axis) const;
    // An automatic axis takes the extent of the active series on it again; a symmetric one the
    // range around 0 that holds that extent.
    void Recalculate(TAxisId axis);
    bool Symmetric(TAxisId axis) const;
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
    void SetLabelsVisible(TAxisId axis, bool visible);
    bool LabelsVisible(TAxisId axis) const;
    void SetGridVisible(TAxisId axis, bool visible);
    // The bottom axis may end before the plot's right edge, in percent of the plot width.
    void SetEndPosition(TAxisId axis, double percent);
    double EndPosition(TAxisId axis) const;
    // Rewrites every label of an axis (through the label hook).
    void RefreshLabels(TAxisId axis);
    // The axis label event: may replace a label text.
    std::function<QString(TAxisId axis, const QString& label)> LabelHook;
    // The texts the axis shows now, left to right or bottom to top.
    QStringList TickLabels(TAxisId axis);
    char DecimalSeparator = '.';
    std::string GroupSeparator = "\xC2\xA0";

    // --- navigation ---
    // Each standard axis [min + d, max - d], d = (max - min) * (p - 100) / 100; then Zoomed. The
    // standard axes are the plot's own shown ones: all but the voltage axis and a hidden one.
    void ZoomPercent(double percent);
    // The percentage of the last zoom by percentage.
    double LastZoomPercent = 100;
    // Zooms the standard axes onto a rectangle of plot pixels; then Zoomed(rect).
    void ZoomRect(const QRect& rect);
    // Every axis back to automatic; then UndoZoomed (whose handler may fix ranges again).
    void UndoZoom();
    bool RectZoomEnabled() const { return RectZoom; }
    void SetRectZoomEnabled(bool on);
    bool PanningEnabled() const { return Panning; }
    void SetPanningEnabled(bool on);
    // Set from a mouse press handler: the chart does not start its own zoom or drag for it.
    bool CancelMouse = false;

    // --- drawing ---
    QRect PlotRect() const;
    // Painted under the series, over the grid, with every full draw (and in images, prints and
    // exports).
    std::function<void(QPainter&)> BeforeDraw;
    // Painted after the series with every full draw (and in images, prints and exports).
    std::function<void(QPainter&)> AfterDraw;
    // Painted on a layer of its own, redrawn alone by RedrawOverlay (not in exports).
    std::function<void(QPainter&)> OverlayPaint;
    void RedrawOverlay();
    // A full redraw now.
    void Replot();
    bool LegendVisible() const;
    // The titles the legend lists: active series shown in the legend, in list order.
    QStringList LegendTitles() const;
    void SetLegendVisible(bool visible);

    // --- output ---
    void RenderTo(QPainter& painter, const QRect& target);
    QImage ToImage(); // on-screen size, white background
    void CopyToClipboard();
    // Empty on success, else the error text.
    QString SaveBitmap(const QString& fileName);
    void Print(QPrinter& printer);

    QCustomPlot* Plot() const { return PlotWidget; }
    // The widget that receives the chart's mouse events.
    QWidget* PlotArea() const;

signals:
    void Zoomed(const QRect& rect); // an empty rectangle for a zoom by percentage
    void UndoZoomed();
    void Scrolled();
    void Resized();
    void AfterDrawn();
    void MouseDown(QMouseEvent* event);
    void MouseMove(QMouseEvent* event);
    void MouseUp(QMouseEvent* event);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    friend class TChartSeries;
    friend class TChartGraph;
    friend class TChartLayerable;
    friend class TChartTicker;
    QCPAxis* AxisOf(TAxisId axis) const;
    // The value axes that zooms and drags move: the plot's own and shown.
    std::vector<TAxisId> StandardValueAxes() const;
    void ApplyRange(TAxisId axis);
    // Gives room to the axes that are shown and in use, and none to the others.
    void LayOutAxes();
    void RefreshSeriesData();
    void SeriesChanged(TChartSeries* series);
    void ReorderLayers();
    void RebuildLegend();
    void FitLegend();
    void ApplyInteractions();
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
    QCPLayer* AfterDrawLayer;
    QCPLayer* OverlayLayer;
    QCPLayoutGrid* LegendRow; // the row above the plot while the legend is shown
    TChartLayerable* BeforeDrawItem;
    TChartLayerable* AfterDrawItem;
    TChartLayerable* OverlayItem;
    std::array<TAxisState, kAxisCount> Axes;
    std::vector<TChartSeries*> SeriesList;
    bool RectZoom = true;
    bool Panning = false;
    bool Dragging = false;
    bool DragMoved = false;
    QPoint DragStart;
    std::array<double, kAxisCount> DragStartMin{};
    std::array<double, kAxisCount> DragStartMax{};
    bool Refreshing = false;
    bool ReplotQueued = false;
    QImage RasterScratch; // transparent between draws
};

} // namespace zirko
