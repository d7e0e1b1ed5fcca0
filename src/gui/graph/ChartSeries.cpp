#include "gui/graph/ChartSeries.h"

#include "core/app/TextCodec.h"
#include "gui/graph/ChartGraph.h"

#include <qcustomplot.h>

#include <algorithm>
#include <cmath>
#include <numeric>

namespace zirko {

namespace {

// Point series up to this size are handed over whole.
constexpr int kPointSeriesWhole = 20000;

Qt::PenStyle QtPenStyle(TLineStyle style)
{
    switch (style) {
    case TLineStyle::Solid:
        return Qt::SolidLine;
    case TLineStyle::Dash:
        return Qt::DashLine;
    case TLineStyle::Dot:
        return Qt::DotLine;
    case TLineStyle::DashDot:
        return Qt::DashDotLine;
    case TLineStyle::DashDotDot:
        return Qt::DashDotDotLine;
    }
    return Qt::SolidLine;
}

QCPScatterStyle::ScatterShape QcpShape(TSymbolStyle style)
{
    switch (style) {
    case TSymbolStyle::Rectangle:
        return QCPScatterStyle::ssSquare;
    case TSymbolStyle::Circle:
        return QCPScatterStyle::ssCircle;
    case TSymbolStyle::Triangle:
        return QCPScatterStyle::ssTriangle;
    case TSymbolStyle::DownTriangle:
        return QCPScatterStyle::ssTriangleInverted;
    case TSymbolStyle::Cross:
        return QCPScatterStyle::ssPlus;
    case TSymbolStyle::DiagCross:
        return QCPScatterStyle::ssCross;
    case TSymbolStyle::Star:
        return QCPScatterStyle::ssStar;
    case TSymbolStyle::Diamond:
        return QCPScatterStyle::ssDiamond;
    case TSymbolStyle::SmallDot:
        // ssDot needs a 2-pixel pen to show at all; a small disc is what a dot should look like.
        return QCPScatterStyle::ssDisc;
    }
    return QCPScatterStyle::ssSquare;
}

} // namespace

TChartSeries::TChartSeries(TChartOwner& owner, TSeriesKind kind)
    : Owner(owner), SeriesKind(kind),
      Graph(new TChartGraph(owner, owner.AxisOf(TAxisId::Bottom), owner.AxisOf(TAxisId::Left)))
{
    IsSorted = kind == TSeriesKind::Line;
    // The series hands over at most a few points per pixel column already.
    Graph->setAdaptiveSampling(false);
    Restyle();
}

TChartSeries::~TChartSeries()
{
    for (QCPItemText* mark : Marks)
        Owner.Plot()->removeItem(mark);
    Owner.Plot()->removeGraph(Graph);
}

const std::string& TChartSeries::Label(int i) const
{
    static const std::string kNone;
    return Labels.empty() ? kNone : Labels[static_cast<size_t>(i)];
}

QString TChartSeries::LabelText(int i) const
{
    return QString::fromStdString(DecodeFileText(Label(i)));
}

void TChartSeries::OwnedChanged()
{
    Samples = ViewOf(Xs, Ys);
    DataChanged();
}

void TChartSeries::Detach()
{
    if (!Viewing)
        return;
    const size_t n = Samples.Size;
    std::vector<double> x(n);
    std::vector<double> y(n);
    for (size_t i = 0; i < n; ++i) {
        x[i] = Samples.XAt(i);
        y[i] = Samples.YAt(i);
    }
    Xs = std::move(x);
    Ys = std::move(y);
    Labels.clear();
    Picked = {};
    Viewing = false;
    Samples = ViewOf(Xs, Ys);
}

void TChartSeries::SortByX()
{
    std::vector<double> x = std::move(Xs);
    std::vector<double> y = std::move(Ys);
    std::vector<std::string> labels = std::move(Labels);
    const size_t n = x.size();
    std::vector<size_t> order(n);
    std::iota(order.begin(), order.end(), size_t{0});
    std::stable_sort(order.begin(), order.end(), [&x](size_t a, size_t b) { return x[a] < x[b]; });
    Xs.resize(n);
    Ys.resize(n);
    Labels.resize(labels.empty() ? 0 : n);
    for (size_t i = 0; i < n; ++i) {
        Xs[i] = x[order[i]];
        Ys[i] = y[order[i]];
        if (!labels.empty())
            Labels[i] = std::move(labels[order[i]]);
    }
    XAscending = true;
}

int TChartSeries::AddXY(double x, double y, const std::string& label)
{
    Detach();
    x = View.StoredX(x);
    y = View.StoredY(y);
    size_t at = Xs.size();
    if (IsSorted)
        at = static_cast<size_t>(std::upper_bound(Xs.begin(), Xs.end(), x) - Xs.begin());
    else if (!Xs.empty() && x < Xs.back())
        XAscending = false;
    // The first labelled point gives every earlier point an empty label.
    if (!label.empty() && Labels.empty())
        Labels.resize(Xs.size());
    Xs.insert(Xs.begin() + static_cast<std::ptrdiff_t>(at), x);
    Ys.insert(Ys.begin() + static_cast<std::ptrdiff_t>(at), y);
    if (!Labels.empty() || !label.empty())
        Labels.insert(Labels.begin() + static_cast<std::ptrdiff_t>(at), label);
    OwnedChanged();
    return static_cast<int>(at);
}

void TChartSeries::SetPoints(std::vector<double> x, std::vector<double> y)
{
    const size_t n = std::min(x.size(), y.size());
    x.resize(n);
    y.resize(n);
    Labels.clear();
    Picked = {};
    Viewing = false;
    Xs = std::move(x);
    Ys = std::move(y);
    XAscending = std::is_sorted(Xs.begin(), Xs.end());
    if (IsSorted && !XAscending)
        SortByX();
    OwnedChanged();
}

void TChartSeries::SetView(const std::vector<double>& x, const std::vector<double>& y, size_t count,
                           std::optional<bool> xAscending)
{
    Xs = {};
    Ys = {};
    Labels.clear();
    Picked = {};
    Samples = {x.data(), y.data(), nullptr, std::min({count, x.size(), y.size()})};
    Viewing = true;
    XAscending = xAscending ? *xAscending
                            : std::is_sorted(x.begin(),
                                             x.begin() + static_cast<std::ptrdiff_t>(Samples.Size));
    // A record whose times do not ascend is drawn from a sorted copy, as points of its own.
    if (IsSorted && !XAscending) {
        Detach();
        SortByX();
        Samples = ViewOf(Xs, Ys);
    }
    DataChanged();
}

void TChartSeries::SetPickedView(const std::vector<double>& x, const std::vector<double>& y,
                                 std::vector<uint32_t> picked)
{
    Xs = {};
    Ys = {};
    Labels.clear();
    const size_t n = std::min(x.size(), y.size());
    picked.erase(std::remove_if(picked.begin(), picked.end(), [n](uint32_t i) { return i >= n; }),
                 picked.end());
    Picked = std::move(picked);
    Samples = {x.data(), y.data(), Picked.data(), Picked.size()};
    Viewing = true;
    XAscending = true;
    for (size_t i = 1; i < Samples.Size && XAscending; ++i)
        XAscending = !(Samples.XAt(i) < Samples.XAt(i - 1));
    if (IsSorted && !XAscending) {
        Detach();
        SortByX();
        Samples = ViewOf(Xs, Ys);
    }
    DataChanged();
}

void TChartSeries::Delete(int i)
{
    if (i < 0 || i >= Count())
        return;
    Detach();
    Xs.erase(Xs.begin() + i);
    Ys.erase(Ys.begin() + i);
    if (!Labels.empty())
        Labels.erase(Labels.begin() + i);
    if (!IsSorted)
        XAscending = std::is_sorted(Xs.begin(), Xs.end());
    OwnedChanged();
}

void TChartSeries::Clear()
{
    Xs.clear();
    Ys.clear();
    Labels.clear();
    Picked = {};
    Viewing = false;
    XAscending = true;
    OwnedChanged();
}

void TChartSeries::SetTransform(const TSeriesTransform& transform)
{
    if (transform == View)
        return;
    View = transform;
    // The summary holds stored values and stays as it is.
    Dirty = true;
    RefreshMarks();
    Owner.SeriesChanged();
}

void TChartSeries::SetSorted(bool sorted)
{
    if (sorted == IsSorted)
        return;
    IsSorted = sorted;
    if (sorted && !XAscending) {
        Detach();
        SortByX();
        OwnedChanged();
    }
}

void TChartSeries::SetActive(bool active)
{
    if (IsActive == active)
        return;
    IsActive = active;
    Graph->setVisible(active);
    RefreshMarks();
    Owner.LegendChanged();
    Owner.SeriesChanged();
}

void TChartSeries::SetTitle(const QString& title)
{
    if (SeriesTitle == title)
        return;
    SeriesTitle = title;
    Graph->setName(title);
    // The legend's cells are sized to the titles they hold: a longer title needs them anew.
    if (InLegend && IsActive) {
        Owner.LegendChanged();
        Owner.SeriesChanged();
    }
}

void TChartSeries::SetColor(const QColor& color)
{
    SeriesColor = color;
    Restyle();
}

void TChartSeries::SetVerticalAxis(TAxisId axis)
{
    Axis = axis == TAxisId::Bottom ? TAxisId::Left : axis;
    Graph->setValueAxis(Owner.AxisOf(Axis));
    for (QCPItemText* mark : Marks)
        mark->position->setAxes(Owner.AxisOf(TAxisId::Bottom), Owner.AxisOf(Axis));
    Owner.SeriesChanged();
}

void TChartSeries::SetShowInLegend(bool show)
{
    InLegend = show;
    Owner.LegendChanged();
}

void TChartSeries::SetPen(TLineStyle style, int width)
{
    LineStyle = style;
    LineWidth = std::max(1, width);
    Restyle();
}

void TChartSeries::SetSymbol(TSymbolStyle style, int size)
{
    SymbolStyle = style;
    SymbolPixels = std::max(1, size);
    Restyle();
}

void TChartSeries::SetMarksVisible(bool visible)
{
    ShowMarks = visible;
    RefreshMarks();
}

void TChartSeries::SetSymbolPen(const QColor& color, int width)
{
    OutlineColor = color;
    OutlineWidth = width;
    Restyle();
}

void TChartSeries::SetMarkBackground(const QColor& color)
{
    MarkBackground = color;
    for (QCPItemText* mark : Marks)
        mark->setBrush(color.alpha() == 0 ? Qt::NoBrush : QBrush(color));
}

std::optional<std::pair<double, double>> TChartSeries::XExtent() const
{
    const size_t n = Samples.Size;
    if (n == 0)
        return std::nullopt;
    if (XAscending)
        return std::make_pair(View.X(Samples.XAt(0)), View.X(Samples.XAt(n - 1)));
    double lo = Samples.XAt(0);
    double hi = lo;
    for (size_t i = 1; i < n; ++i) {
        const double v = Samples.XAt(i);
        if (v < lo)
            lo = v;
        else if (!(v < hi))
            hi = v;
    }
    return std::make_pair(View.X(lo), View.X(hi));
}

std::optional<std::pair<double, double>> TChartSeries::YExtent() const
{
    const size_t n = Samples.Size;
    if (n == 0)
        return std::nullopt;
    TSeriesSummary::TMinMax r{Samples.YAt(0), Samples.YAt(0)};
    // The table the drawing needs anyway answers this and every later asking in a few lookups.
    if (SummaryUsable())
        EnsureSummary();
    if (SummaryValid && Summary.LevelCount() > 0) {
        r = Summary.Range(Samples, 0, n);
    } else {
        for (size_t i = 1; i < n; ++i) {
            const double v = Samples.YAt(i);
            if (v < r.Min)
                r.Min = v;
            else if (!(v < r.Max))
                r.Max = v;
        }
    }
    return View.YRange(r.Min, r.Max);
}

int TChartSeries::PlottedCount() const
{
    return Graph->data()->size();
}

QCPGraph* TChartSeries::PlotGraph() const
{
    return Graph;
}

void TChartSeries::DataChanged()
{
    SummaryValid = false;
    Dirty = true;
    RefreshMarks();
    Owner.SeriesChanged();
}

void TChartSeries::EnsureSummary() const
{
    if (SummaryValid)
        return;
    Summary.Build(Samples);
    SummaryValid = true;
}

bool TChartSeries::SummaryUsable() const
{
    return XAscending && (SeriesKind == TSeriesKind::Line || Count() > kPointSeriesWhole);
}

void TChartSeries::Restyle()
{
    if (SeriesKind == TSeriesKind::Line) {
        Graph->setLineStyle(QCPGraph::lsLine);
        Graph->setScatterStyle(QCPScatterStyle());
        // A wider line is drawn solid; its style is kept for when it is 1 pixel again.
        const Qt::PenStyle style = LineWidth > 1 ? Qt::SolidLine : QtPenStyle(LineStyle);
        Graph->setPen(QPen(SeriesColor, LineWidth, style));
    } else {
        Graph->setLineStyle(QCPGraph::lsNone);
        const QPen outline =
            OutlineWidth > 0 ? QPen(OutlineColor, OutlineWidth) : QPen(SeriesColor, 1);
        Graph->setPen(outline);
        Graph->setScatterStyle(
            QCPScatterStyle(QcpShape(SymbolStyle), outline, QBrush(SeriesColor), SymbolPixels));
    }
}

void TChartSeries::RefreshMarks()
{
    const bool show = ShowMarks && IsActive && !Labels.empty();
    const size_t wanted = show ? Samples.Size : 0;
    while (Marks.size() > wanted) {
        Owner.Plot()->removeItem(Marks.back());
        Marks.pop_back();
    }
    while (Marks.size() < wanted) {
        auto* mark = new QCPItemText(Owner.Plot());
        mark->setClipToAxisRect(true);
        // Above the curves, whatever order the series are later put in.
        mark->setLayer(kChartAfterDrawLayer);
        mark->position->setType(QCPItemPosition::ptPlotCoords);
        mark->position->setAxes(Owner.AxisOf(TAxisId::Bottom), Owner.AxisOf(Axis));
        mark->setPositionAlignment(Qt::AlignLeft | Qt::AlignBottom);
        // The text stands 2 pixels off the point, as a label beside the symbol.
        mark->setPadding(QMargins(SymbolPixels / 2 + 2, 0, 0, SymbolPixels / 2 + 2));
        mark->setPen(Qt::NoPen);
        mark->setBrush(MarkBackground.alpha() == 0 ? Qt::NoBrush : QBrush(MarkBackground));
        mark->setColor(Qt::black);
        Marks.push_back(mark);
    }
    for (size_t i = 0; i < Marks.size(); ++i) {
        Marks[i]->position->setCoords(X(static_cast<int>(i)), Y(static_cast<int>(i)));
        Marks[i]->setText(LabelText(static_cast<int>(i)));
    }
}

void TChartSeries::Refresh(double xMin, double xMax, int columns)
{
    // Half a pixel of the value axis: what a join between pixel columns may add unseen. Points
    // made for a finer tolerance serve a coarser one as well.
    const QCPAxis* valueAxis = Graph->valueAxis();
    const int height = std::max(1, Owner.Plot()->axisRect()->height());
    const double tolerance = std::abs(valueAxis->range().size()) / height / 2;
    if (!Dirty && LastMin == xMin && LastMax == xMax && LastColumns == columns &&
        LastTolerance <= tolerance)
        return;
    Dirty = false;
    LastMin = xMin;
    LastMax = xMax;
    LastColumns = columns;
    LastTolerance = tolerance;
    QVector<QCPGraphData> points;
    if (SummaryUsable() && Count() > 4 * columns) {
        EnsureSummary();
        // The view is reduced in stored values and the few points it leaves are transformed.
        const double scale = std::abs(View.Scale);
        ReduceForView(Samples, Summary, View.StoredX(xMin), View.StoredX(xMax), columns, Reduced,
                      scale > 0 ? tolerance / scale : tolerance);
        points.resize(static_cast<int>(Reduced.X.size()));
        for (size_t i = 0; i < Reduced.X.size(); ++i)
            points[static_cast<int>(i)] = QCPGraphData(View.X(Reduced.X[i]), View.Y(Reduced.Y[i]));
    } else {
        points.resize(Count());
        for (int i = 0; i < Count(); ++i)
            points[i] = QCPGraphData(X(i), Y(i));
    }
    // A line with more than a point per pixel column is drawn as vertical strokes side by side:
    // smoothing their edges costs most of the drawing and shows nothing.
    if (SeriesKind == TSeriesKind::Line) {
        const bool dense = points.size() > columns;
        Graph->SetDense(dense);
        Graph->setAntialiased(!dense);
    }
    Graph->data()->set(points, XAscending);
}

} // namespace zirko
