// Saving a busy chart picture in each format: five flights of 1000 pixel columns each (a minimum
// and a maximum per column, 2000 points a line), grid, texts and a clipped plot.
#include "gui/graph/GraphExport.h"

#include <QPainter>
#include <benchmark/benchmark.h>

#include <cmath>

using namespace zirko;

namespace {

constexpr int kFlights = 5;
constexpr int kColumns = 1000;

void PaintBusyChart(QPainter& p, const QRect& target)
{
    p.save();
    p.translate(target.topLeft());
    const QRect plot(60, 20, 1000, 600);
    p.setPen(QPen(Qt::lightGray, 0, Qt::DotLine));
    for (int x = plot.left(); x <= plot.right(); x += 50)
        p.drawLine(x, plot.top(), x, plot.bottom());
    for (int y = plot.top(); y <= plot.bottom(); y += 50)
        p.drawLine(plot.left(), y, plot.right(), y);
    p.setPen(Qt::black);
    for (int i = 0; i <= 20; ++i)
        p.drawText(QPointF(plot.left() + i * 50 - 8, plot.bottom() + 16), QString::number(i * 10));
    p.save();
    p.setClipRect(plot);
    for (int f = 0; f < kFlights; ++f) {
        QPolygonF line;
        line.reserve(2 * kColumns);
        for (int c = 0; c < kColumns; ++c) {
            const double base = 300 + 200 * std::sin(c / (40.0 + f * 7));
            line << QPointF(plot.left() + c, plot.top() + base - 20)
                 << QPointF(plot.left() + c, plot.top() + base + 20);
        }
        p.setPen(QPen(QColor::fromHsv(f * 60, 255, 200), 1));
        p.drawPolyline(line);
    }
    p.restore();
    p.restore();
}

const TChartSource kChart{PaintBusyChart, QSize(1100, 680)};

void Encode(benchmark::State& state, TGraphFormat format)
{
    qint64 bytes = 0;
    for (auto _ : state) {
        const QByteArray data = EncodeGraph(kChart, format);
        bytes = data.size();
        benchmark::DoNotOptimize(data.constData());
    }
    state.counters["file_bytes"] = static_cast<double>(bytes);
}

void BM_SaveEmf(benchmark::State& state)
{
    Encode(state, TGraphFormat::Emf);
}
void BM_SaveWmf(benchmark::State& state)
{
    Encode(state, TGraphFormat::Wmf);
}
void BM_SaveSvg(benchmark::State& state)
{
    Encode(state, TGraphFormat::Svg);
}
void BM_SavePdf(benchmark::State& state)
{
    Encode(state, TGraphFormat::Pdf);
}
void BM_SaveBmp(benchmark::State& state)
{
    Encode(state, TGraphFormat::Bitmap);
}
void BM_SavePng(benchmark::State& state)
{
    Encode(state, TGraphFormat::Png);
}

BENCHMARK(BM_SaveEmf)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SaveWmf)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SaveSvg)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SavePdf)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SaveBmp)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SavePng)->Unit(benchmark::kMillisecond);

} // namespace
