// Chart drawing speed: full replots, zoom and scroll steps, the overlay layer alone, and opening
// a long flight file until it is drawn.
#include "BenchFlights.h"
#include "BenchMain.h"
#include "core/flightdata/DataBlock.h"
#include "core/graph/SeriesSummary.h"
#include "gui/graph/Chart.h"
#include "gui/graph/FlightPlot.h"
#include "gui/graph/GraphPage.h"
#include "gui/graph/MeasureTool.h"
#include "gui/graph/OffscreenGraph.h"
#include "platform/files/FlightFile.h"

#include <QApplication>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QToolButton>
#include <benchmark/benchmark.h>

#include <map>
#include <memory>

namespace zirko {
namespace {

using bench::kSamples;
using bench::MakeFlight;

// A Graph page of 1200 x 800 with `flights` flights, every channel shown.
struct TBenchPage {
    TOffscreenGraphHost Host{TOptions(), TOffscreenGraph::DefaultSettings()};
    std::unique_ptr<TGraphPage> Page = std::make_unique<TGraphPage>(Host);

    explicit TBenchPage(int flights)
    {
        Page->setAttribute(Qt::WA_DontShowOnScreen);
        Page->resize(1200, 800);
        Page->show();
        Page->Plot().ChangeGraphSettings();
        for (int r = 0; r < flights; ++r) {
            const int row =
                Host.OpenFlight(Page->Plot(), MakeFlight(r), QString("flight%1").arg(r));
            for (int c = 2; c <= 5; ++c)
                Host.ShowChannel(Page->Plot(), row, c, true);
        }
        Page->Plot().Draw();
    }
    // The page's series view the host's flights: the page goes first.
    ~TBenchPage() { Page.reset(); }
};

std::map<int, std::unique_ptr<TBenchPage>>& Pages()
{
    static std::map<int, std::unique_ptr<TBenchPage>> pages;
    return pages;
}

TBenchPage& PageOf(int flights)
{
    auto& p = Pages()[flights];
    if (!p)
        p = std::make_unique<TBenchPage>(flights);
    return *p;
}

// A replot of the view [start, start + span) of the flights' time, both as fractions of it: every
// series reduced afresh for a new range and drawn; with `climb` the climb-rate curves too.
void Replot(benchmark::State& state, int flights, double startFraction, double viewFraction,
            bool climb = false)
{
    TGraphPage& page = *PageOf(flights).Page;
    // The rates are worked out once, when first shown, and kept: not part of a replot.
    page.Plot().SetClimbShown(climb);
    TChart& chart = page.Plot().Chart();
    const double duration = static_cast<double>(kSamples) * 0.01;
    const double span = duration * viewFraction;
    const double start = duration * startFraction;
    int k = 0;
    for (auto _ : state) {
        chart.SetMinMax(TAxisId::Bottom, start, start + span * (1 + 1e-6 * (k++ & 1)));
        chart.Replot();
    }
    chart.UndoZoom();
    page.Plot().SetClimbShown(false);
}

// The whole flights in view, as after opening them or undoing the zoom.
void BM_FullReplot1Flight(benchmark::State& state)
{
    Replot(state, 1, 0, 1);
}
void BM_FullReplot10Flights(benchmark::State& state)
{
    Replot(state, 10, 0, 1);
}
void BM_FullReplot10FlightsClimb(benchmark::State& state)
{
    Replot(state, 10, 0, 1, true);
}
// With every flight's motor runs as bands (about 800 runs a flight, each narrower than a pixel
// column when the whole flight shows), its start height and its climb phases tinted. The events
// are found once, at the first draw, and kept: not part of a replot.
void BM_FullReplot10FlightsMotorPhases(benchmark::State& state)
{
    TGraphPage& page = *PageOf(10).Page;
    page.Plot().SetMotorShown(true);
    page.Plot().SetPhasesShown(true);
    page.Plot().Chart().Replot();
    Replot(state, 10, 0, 1);
    state.counters["bands"] = static_cast<double>(page.Plot().EventBands().size());
    page.Plot().SetMotorShown(false);
    page.Plot().SetPhasesShown(false);
}
// From 40 % of the flights on, so the flights end 60 % into the plot.
void BM_PartReplot10Flights(benchmark::State& state)
{
    Replot(state, 10, 0.4, 1);
}
void BM_ZoomedReplot10Flights1Percent(benchmark::State& state)
{
    Replot(state, 10, 0.4, 0.01);
}

// The points of one series of kSamples samples for a full view of 1100 pixel columns.
void BM_ReduceOneSeries(benchmark::State& state)
{
    const std::unique_ptr<TDataBlock> f = MakeFlight(0);
    TSeriesSummary summary;
    summary.Build(f->Rx);
    TReducedPoints out;
    int k = 0;
    for (auto _ : state) {
        ReduceForView(ViewOf(f->Time, f->Rx), summary, 0, 15000 + (k++ & 1), 1100, out, 0.1);
        benchmark::DoNotOptimize(out.X.data());
    }
    state.counters["points"] = static_cast<double>(out.X.size());
}

// One wheel step, in or out, from the same zoomed view each time.
void BM_WheelZoomStep10Flights(benchmark::State& state)
{
    TGraphPage& page = *PageOf(10).Page;
    TChart& chart = page.Plot().Chart();
    const QPoint centre = chart.mapToGlobal(chart.PlotRect().center());
    page.HandleWheel(centre, 120);
    chart.Replot();
    std::array<std::pair<double, double>, kAxisCount> view;
    for (int a = 0; a < kAxisCount; ++a)
        view[static_cast<size_t>(a)] = {chart.Minimum(static_cast<TAxisId>(a)),
                                        chart.Maximum(static_cast<TAxisId>(a))};
    int k = 0;
    for (auto _ : state) {
        state.PauseTiming();
        for (int a = 0; a < kAxisCount; ++a)
            chart.SetMinMax(static_cast<TAxisId>(a), view[static_cast<size_t>(a)].first,
                            view[static_cast<size_t>(a)].second);
        state.ResumeTiming();
        page.HandleWheel(centre, (k++ & 1) ? -120 : 120);
        chart.Replot();
    }
    chart.UndoZoom();
}

void BM_ScrollBarStep10Flights(benchmark::State& state)
{
    TGraphPage& page = *PageOf(10).Page;
    page.Plot().Chart().SetMinMax(TAxisId::Bottom, 1000, 3000);
    page.UpdateScrollBars();
    QScrollBar* bar = page.findChild<QScrollBar*>("ScrollBar1");
    int k = 0;
    for (auto _ : state) {
        bar->setValue(20 + (k++ % 60));
        page.Plot().Chart().Replot();
    }
    page.Plot().Chart().UndoZoom();
}

// One mouse move over the chart with 10 flights open, handled as the page handles it (readout,
// readings table, band with the Range table of every flight, or crosshair with the values at the
// pointer on the overlay layer) and painted: the chart and whatever else the move changed on the
// page.
void MoveOverChart(benchmark::State& state, bool measuring)
{
    TGraphPage& page = *PageOf(10).Page;
    QWidget* plot = page.Plot().Chart().PlotArea();
    const QRect r = page.Plot().Chart().PlotRect();
    const Qt::MouseButtons held = measuring ? Qt::LeftButton : Qt::NoButton;
    auto move = [&](const QPoint& p) {
        QMouseEvent e(QEvent::MouseMove, QPointF(p), QPointF(plot->mapToGlobal(p)), Qt::NoButton,
                      held, Qt::NoModifier);
        QApplication::sendEvent(plot, &e);
        plot->repaint();
        // The tables beside the chart paint on the next turn of the event loop.
        QApplication::processEvents();
    };
    // On screen, so that every move also composes the layers on the widget.
    page.show();
    QApplication::processEvents();
    page.findChild<QToolButton*>("TBGrafRead")->setChecked(measuring);
    page.findChild<QToolButton*>("TBCrossHair")->setChecked(!measuring);
    // The values at the pointer with every channel, the climb rate's too.
    page.Plot().SetClimbShown(!measuring);
    const QPoint start = r.topLeft() + QPoint(r.width() / 5, r.height() / 5);
    if (measuring) {
        QMouseEvent press(QEvent::MouseButtonPress, QPointF(start),
                          QPointF(plot->mapToGlobal(start)), Qt::LeftButton, Qt::LeftButton,
                          Qt::NoModifier);
        QApplication::sendEvent(plot, &press);
    }
    // The first move of a measurement sets the start marker, which redraws the chart once. With
    // the crosshair it also shows the values at the pointer.
    move(start + QPoint(5, 5));
    QApplication::processEvents();
    if (!measuring && page.Measure().PointerBox().Lines.size() != 10)
        state.SkipWithError("the values at the pointer are not shown for every flight");
    auto* range = page.findChild<QTableWidget*>("GridRange");
    if (measuring && (!range || !range->isVisible() || range->rowCount() != 10))
        state.SkipWithError("the Range table does not show every flight");
    int k = 0;
    for (auto _ : state) {
        // Back and forth over the press: the range grows and shrinks on either side of FROM.
        move(start + QPoint((k * 37) % 600 - 200, 10 + k % 300));
        ++k;
    }
    if (measuring) {
        QMouseEvent release(QEvent::MouseButtonRelease, QPointF(start),
                            QPointF(plot->mapToGlobal(start)), Qt::LeftButton, Qt::NoButton,
                            Qt::NoModifier);
        QApplication::sendEvent(plot, &release);
    }
    page.findChild<QToolButton*>("TBGrafRead")->setChecked(false);
    page.findChild<QToolButton*>("TBCrossHair")->setChecked(false);
    page.Plot().SetClimbShown(false);
    QApplication::processEvents();
    page.hide();
}

void BM_RubberBandMove10Flights(benchmark::State& state)
{
    MoveOverChart(state, true);
}

void BM_CrosshairMove10Flights(benchmark::State& state)
{
    MoveOverChart(state, false);
}

// The lookup alone: every flight's sample nearest the pointer's time and its texts.
void BM_PointerLines10Flights(benchmark::State& state)
{
    TGraphPage& page = *PageOf(10).Page;
    page.Plot().SetClimbShown(true);
    const QRect r = page.Plot().Chart().PlotRect();
    size_t lines = 0;
    int k = 0;
    for (auto _ : state) {
        const auto found = page.Measure().PointerBox().LinesAt(r.left() + k++ % r.width());
        lines = found.size();
        benchmark::DoNotOptimize(found.data());
    }
    state.counters["lines"] = static_cast<double>(lines);
    page.Plot().SetClimbShown(false);
}

// Opening a flight file of kSamples samples until it is drawn: reading, the flight's series and
// the altitude channel shown, as File > Open does, then the first draw.
void BM_OpenFlightUntilDrawn(benchmark::State& state)
{
    QTemporaryDir dir;
    const QString file = dir.filePath("long.zdf");
    // The file keeps time in tenths of a second.
    if (!WriteDataFile(file.toStdString(), *MakeFlight(0, 0.1)).Ok()) {
        state.SkipWithError("the flight could not be written");
        return;
    }
    for (auto _ : state) {
        state.PauseTiming();
        auto graph = std::make_unique<TOffscreenGraph>();
        graph->SetChartSize(QSize(1200, 800));
        graph->Draw();
        state.ResumeTiming();
        if (!graph->OpenFile(file).isEmpty())
            state.SkipWithError("the flight could not be read");
        graph->Plot().Chart().Replot();
        state.PauseTiming();
        graph.reset();
        state.ResumeTiming();
    }
}

BENCHMARK(BM_ReduceOneSeries)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_FullReplot1Flight)->Unit(benchmark::kMillisecond)->MinTime(2);
BENCHMARK(BM_FullReplot10Flights)->Unit(benchmark::kMillisecond)->MinTime(2);
BENCHMARK(BM_FullReplot10FlightsClimb)->Unit(benchmark::kMillisecond)->MinTime(2);
BENCHMARK(BM_FullReplot10FlightsMotorPhases)->Unit(benchmark::kMillisecond)->MinTime(2);
BENCHMARK(BM_PartReplot10Flights)->Unit(benchmark::kMillisecond)->MinTime(2);
BENCHMARK(BM_ZoomedReplot10Flights1Percent)->Unit(benchmark::kMillisecond)->MinTime(2);
BENCHMARK(BM_WheelZoomStep10Flights)->Unit(benchmark::kMillisecond)->MinTime(2);
BENCHMARK(BM_ScrollBarStep10Flights)->Unit(benchmark::kMillisecond)->MinTime(2);
BENCHMARK(BM_RubberBandMove10Flights)->Unit(benchmark::kMillisecond)->MinTime(1);
BENCHMARK(BM_CrosshairMove10Flights)->Unit(benchmark::kMillisecond)->MinTime(1);
BENCHMARK(BM_PointerLines10Flights)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_OpenFlightUntilDrawn)->Unit(benchmark::kMillisecond)->MinTime(5);

} // namespace
} // namespace zirko

// The pages go while the application still exists.
const bool kHooks = zirko::bench::SetBenchHooks({.TearDown = [] { zirko::Pages().clear(); }});
