// One series of the chart: its points or a view of a flight record's arrays, its look, and what
// it hands the plot.
#pragma once

#include "core/graph/GraphSettings.h"
#include "core/graph/SeriesSummary.h"
#include "core/graph/SeriesTransform.h"
#include "gui/graph/ChartOwner.h"

#include <QColor>
#include <QString>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

class QCPGraph;
class QCPItemText;

namespace zirko {

class TChartGraph;

// One series of the chart. Its samples are points of its own, or a view of a flight record's
// arrays that it does not copy (the record must outlive the series, or the next SetPoints, SetView
// or Clear). Either way they are stored values, shown through a transform: the channel's map and
// the offsets. The plot is only handed what the visible range can show.
class TChartSeries {
public:
    // Made and deleted by the chart (TChart::AddSeries, RemoveSeries); its graph goes into the
    // owner's plot at once and out of it with the series.
    TChartSeries(TChartOwner& owner, TSeriesKind kind);
    ~TChartSeries();
    TChartSeries(const TChartSeries&) = delete;
    TChartSeries& operator=(const TChartSeries&) = delete;

    TSeriesKind Kind() const { return SeriesKind; }

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
    void SetSymbol(TSymbolStyle style, int size);
    // Per-point texts beside the symbols.
    void SetMarksVisible(bool visible);
    // Colours of the symbol outline and of the mark texts when they differ from the series colour.
    void SetSymbolPen(const QColor& color, int width);
    void SetMarkBackground(const QColor& color);

    // Lowest and highest x or y of all points as shown; nothing when empty.
    std::optional<std::pair<double, double>> XExtent() const;
    std::optional<std::pair<double, double>> YExtent() const;

    // How many points the plot was handed at the last refresh.
    int PlottedCount() const;

    // For the chart: the series' graph in the plot, and handing it the points the visible range
    // [xMin, xMax] shows over `columns` pixel columns (nothing when they are handed already).
    QCPGraph* PlotGraph() const;
    void Refresh(double xMin, double xMax, int columns);

private:
    void DataChanged();
    void Restyle();
    void RefreshMarks();
    bool SummaryUsable() const;
    void EnsureSummary() const;
    // Points of its own from here on: a view is copied out.
    void Detach();
    void SortByX();
    void OwnedChanged();

    TChartOwner& Owner;
    TSeriesKind SeriesKind;
    TChartGraph* Graph; // the plot's
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

} // namespace zirko
