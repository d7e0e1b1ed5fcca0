// Chart drawing speed: full replots, zoom and scroll steps, and the overlay layer alone.
#include "core/flightdata/DataBlock.h"
#include "gui/graph/Chart.h"
#include "gui/graph/GraphHost.h"
#include "gui/graph/GraphPage.h"

#include <QApplication>
#include <QPainter>
#include <QScrollBar>
#include <benchmark/benchmark.h>

#include <cmath>
#include <map>
#include <memory>

namespace zirko {
namespace {

class TBenchHost : public TGraphHost {
public:
    std::vector<std::unique_ptr<TDataBlock>> Flights;
    std::map<std::pair<int, int>, QString> Cells;
    TGraphSettings Settings;

    int FlightCount() const override { return static_cast<int>(Flights.size()); }
    TDataBlock* Flight(int row) const override { return Flights[static_cast<size_t>(row)].get(); }
    QString FlightName(int row) const override { return QString("flight%1").arg(row); }
    QString GridCell(int col, int row) const override
    {
        const auto it = Cells.find({col, row});
        return it == Cells.end() ? QString() : it->second;
    }
    bool GridVisible() const override { return !Flights.empty(); }
    int CurrentRow() const override { return 0; }
    char DecimalSeparator() const override { return '.'; }
    bool DeflectionOnGraph() const override { return false; }
    double DeflectionMin() const override { return -5; }
    double DeflectionMax() const override { return 5; }
    TGraphSettings& GraphSettings() override { return Settings; }
    bool GraphPageActive() const override { return true; }
    int AutoGridSize() const override { return 10; }
};

constexpr size_t kSamples = 1'500'000;

// A page of 1200 x 800 with `flights` flights, every channel shown.
struct TBenchPage {
    TBenchHost Host;
    std::unique_ptr<TGraphPage> Page;

    explicit TBenchPage(int flights)
    {
        Page = std::make_unique<TGraphPage>(Host);
        Page->resize(1200, 800);
        Page->show();
        for (int r = 0; r < flights; ++r) {
            auto f = std::make_unique<TDataBlock>();
            f->Time.resize(kSamples);
            f->Altitude.resize(kSamples);
            f->Rx.resize(kSamples);
            f->Voltage.resize(kSamples);
            f->MarkerFlags.resize(kSamples);
            for (size_t i = 0; i < kSamples; ++i) {
                const double t = static_cast<double>(i) * 0.01;
                f->Time[i] = t;
                f->Altitude[i] = 100 + 80 * std::sin(t / (30 + r)) + 3 * std::sin(t * 7);
                f->Rx[i] = 60 * std::sin(t / 3 + r);
                f->Voltage[i] = 4.9 - t * 1e-5 + 0.01 * std::sin(t);
                f->MarkerFlags[i] = i % 50000 == 0 ? 1 : 0;
            }
            Host.Flights.push_back(std::move(f));
            const std::array<QString, 5> states = Page->BuildFlightSeries(r);
            for (int c = 1; c <= 5; ++c) {
                Host.Cells[{c, r}] = states[static_cast<size_t>(c - 1)] == "2" ? "2" : "1";
                Page->ShowChannel(r, c, true);
            }
        }
        QApplication::processEvents();
        Page->Chart1->Replot();
    }
};

TBenchPage& PageOf(int flights)
{
    static std::map<int, std::unique_ptr<TBenchPage>> pages;
    auto& p = pages[flights];
    if (!p)
        p = std::make_unique<TBenchPage>(flights);
    return *p;
}

// A full replot: every series reduced afresh for a new range and drawn.
void FullReplot(benchmark::State& state, int flights, double viewFraction)
{
    TChart& chart = *PageOf(flights).Page->Chart1;
    const double span = static_cast<double>(kSamples) * 0.01 * viewFraction;
    const double start = static_cast<double>(kSamples) * 0.01 * 0.4;
    int k = 0;
    for (auto _ : state) {
        chart.SetMinMax(TAxisId::Bottom, start, start + span * (1 + 1e-6 * (k++ & 1)));
        chart.Replot();
    }
    chart.UndoZoom();
}

void BM_FullReplot10Flights(benchmark::State& state) { FullReplot(state, 10, 1.0); }
void BM_FullReplot1Flight(benchmark::State& state) { FullReplot(state, 1, 1.0); }
void BM_ZoomedReplot10Flights1Percent(benchmark::State& state) { FullReplot(state, 10, 0.01); }

void BM_WheelZoomStep10Flights(benchmark::State& state)
{
    TGraphPage& page = *PageOf(10).Page;
    const QPoint centre = page.Chart1->mapToGlobal(page.Chart1->PlotRect().center());
    int k = 0;
    for (auto _ : state) {
        page.HandleWheel(centre, (k++ & 1) ? -120 : 120);
        page.Chart1->Replot();
    }
    page.Chart1->UndoZoom();
}

void BM_ScrollBarStep10Flights(benchmark::State& state)
{
    TGraphPage& page = *PageOf(10).Page;
    page.Chart1->SetMinMax(TAxisId::Bottom, 1000, 3000);
    page.UpdateScrollBars();
    int k = 0;
    for (auto _ : state) {
        page.ScrollBar1->setValue(20 + (k++ % 60));
        page.Chart1->Replot();
    }
    page.Chart1->UndoZoom();
}

void BM_OverlayRedraw10Flights(benchmark::State& state)
{
    TChart& chart = *PageOf(10).Page->Chart1;
    QPoint cross = chart.PlotRect().center();
    chart.OverlayPaint = [&chart, &cross](QPainter& p) {
        const QRect r = chart.PlotRect();
        p.setPen(QPen(Qt::yellow, 1));
        p.drawLine(cross.x(), r.top(), cross.x(), r.bottom());
        p.drawLine(r.left(), cross.y(), r.right(), cross.y());
    };
    int k = 0;
    for (auto _ : state) {
        cross.setX(chart.PlotRect().left() + 10 + (k++ % 500));
        chart.RedrawOverlay();
    }
    chart.OverlayPaint = nullptr;
}

BENCHMARK(BM_FullReplot1Flight)->Unit(benchmark::kMillisecond)->MinTime(2);
BENCHMARK(BM_FullReplot10Flights)->Unit(benchmark::kMillisecond)->MinTime(2);
BENCHMARK(BM_ZoomedReplot10Flights1Percent)->Unit(benchmark::kMillisecond)->MinTime(2);
BENCHMARK(BM_WheelZoomStep10Flights)->Unit(benchmark::kMillisecond)->MinTime(2);
BENCHMARK(BM_ScrollBarStep10Flights)->Unit(benchmark::kMillisecond)->MinTime(2);
BENCHMARK(BM_OverlayRedraw10Flights)->Unit(benchmark::kMillisecond)->MinTime(1);

} // namespace
} // namespace zirko

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
