// Dense chart lines drawn straight into the pixels: the same pixels QPainter draws, the same
// picture as the chart's vector output, and one replot for each step the user takes.
#include "gui/graph/Chart.h"
#include "gui/graph/GraphPage.h"
#include "gui/graph/LineRaster.h"
#include "gui/graph/OffscreenGraph.h"
#include "support/TestUtil.h"

#include <QApplication>
#include <QCheckBox>
#include <QPainter>
#include <QPicture>
#include <QScrollBar>
#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <random>

using namespace zirko;

namespace {

QImage Blank(const QSize& size)
{
    QImage image(size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    return image;
}

QImage ByPainter(const QSize& size, const std::vector<QPointF>& line, const QPen& pen,
                 const QPoint& origin)
{
    QImage image = Blank(size);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing, false);
    painter.translate(-origin);
    painter.setPen(pen);
    painter.drawPolyline(line.data(), static_cast<int>(line.size()));
    return image;
}

QImage ByRaster(const QSize& size, const std::vector<QPointF>& line, const QPen& pen,
                const QPoint& origin, QRect* touched = nullptr)
{
    QImage image = Blank(size);
    TLineRaster raster(image, origin);
    raster.Polyline(line.data(), static_cast<int>(line.size()), pen);
    if (touched)
        *touched = raster.Touched();
    return image;
}

struct TDifference {
    int Differ = 0;
    int Drawn = 0; // pixels drawn in either picture
};

TDifference Compare(const QImage& a, const QImage& b, const QRect& area)
{
    TDifference d;
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x) {
            const QRgb pa = a.pixel(x, y);
            const QRgb pb = b.pixel(x, y);
            d.Drawn += qAlpha(pa) != 0 || qAlpha(pb) != 0 || pa != pb;
            d.Differ += pa != pb;
        }
    return d;
}

// A dense curve as the chart hands it over: a vertical stroke per pixel column at a fractional
// position, joined to the next, and some longer slanted lines.
std::vector<QPointF> DenseCurve(unsigned seed, double yRange)
{
    std::mt19937 gen(seed);
    std::uniform_real_distribution<double> y(-0.2 * yRange, 1.2 * yRange);
    std::uniform_real_distribution<double> frac(0, 1);
    std::vector<QPointF> line;
    for (int c = -3; c < 230; ++c) {
        const double x = c + 0.1 + 0.8 * frac(gen);
        line.emplace_back(x, y(gen));
        line.emplace_back(x, y(gen));
        if (c % 37 == 0)
            line.emplace_back(x + 0.3, y(gen));
    }
    return line;
}

} // namespace

TEST(LineRaster, CoversThePixelsQPainterCovers)
{
    const QSize size(220, 150);
    for (const QPoint origin : {QPoint(0, 0), QPoint(-7, 12)}) {
        for (unsigned seed = 1; seed <= 5; ++seed) {
            const std::vector<QPointF> line = DenseCurve(seed, 150);
            const QPen pen(QColor(20, 120, 200), 1);
            QRect touched;
            const QImage raster = ByRaster(size, line, pen, origin, &touched);
            const QImage painter = ByPainter(size, line, pen, origin);
            const TDifference d = Compare(raster, painter, raster.rect());
            // Vertical strokes are pixel for pixel the same; slanted lines may choose the
            // neighbouring pixel now and then.
            EXPECT_LT(d.Differ, d.Drawn / 100) << seed << ": " << d.Differ << " of " << d.Drawn;
            EXPECT_GT(d.Drawn, 5000);
            // Nothing outside what it reports as touched.
            for (int y = 0; y < size.height(); ++y)
                for (int x = 0; x < size.width(); ++x)
                    if (qAlpha(raster.pixel(x, y)) != 0) {
                        ASSERT_TRUE(touched.contains(x, y)) << x << "," << y;
                    }
        }
    }
    // Points very far off and not-a-number points neither hang nor write outside the image.
    const std::vector<QPointF> wild{{10.5, -1e15}, {10.5, 1e15}, {40, 20},
                                    {NAN, 3},      {60, 70},     {1e300, 80}};
    const QImage raster = ByRaster(size, wild, QPen(Qt::black, 1), QPoint());
    int column = 0;
    for (int y = 0; y < size.height(); ++y)
        column += qAlpha(raster.pixel(10, y)) != 0;
    EXPECT_EQ(column, size.height());
}

TEST(LineRaster, DashesRunAlongTheWholeLine)
{
    const QSize size(220, 150);
    for (Qt::PenStyle style : {Qt::DashLine, Qt::DotLine, Qt::DashDotLine}) {
        const QPen pen(Qt::red, 1, style);
        // A single long vertical line: the pattern shows as QPainter shows it.
        const std::vector<QPointF> straight{{50.2, 3.7}, {50.2, 140.1}};
        EXPECT_EQ(ByRaster(size, straight, pen, QPoint()), ByPainter(size, straight, pen, QPoint()))
            << style;
        // A dense curve: about the same share of its pixels is drawn.
        const std::vector<QPointF> line = DenseCurve(9, 150);
        const QImage raster = ByRaster(size, line, pen, QPoint());
        const QImage solid = ByRaster(size, line, QPen(Qt::red, 1), QPoint());
        const QImage painter = ByPainter(size, line, pen, QPoint());
        auto drawn = [](const QImage& image) {
            int n = 0;
            for (int y = 0; y < image.height(); ++y)
                for (int x = 0; x < image.width(); ++x)
                    n += qAlpha(image.pixel(x, y)) != 0;
            return n;
        };
        EXPECT_LT(drawn(raster), drawn(solid) * 9 / 10) << style;
        EXPECT_NEAR(drawn(raster), drawn(painter), drawn(painter) / 10.0) << style;
    }
}

// The chart's bitmap (dense lines drawn directly) and its vector picture played back on a bitmap
// (every line drawn by QPainter).
struct TTwoPictures {
    QImage Bitmap;
    QImage Played;
    QRect Plot;
};

TTwoPictures DrawBothWays(TChart& chart)
{
    chart.Replot();
    chart.Replot();
    TTwoPictures p;
    p.Bitmap = chart.ToImage().convertToFormat(QImage::Format_RGB32);
    p.Played = QImage(p.Bitmap.size(), QImage::Format_RGB32);
    p.Played.fill(Qt::white);
    QPainter painter(&p.Played);
    chart.RenderTo(painter, p.Played.rect());
    p.Plot = chart.PlotRect().adjusted(1, 1, -1, -1);
    return p;
}

// Per pixel column of the plot: the first and last row holding the colour in that column or a
// neighbouring one (QPainter ends a short level join a pixel further on than the line goes),
// -1 when none.
std::vector<std::pair<int, int>> ColumnExtents(const QImage& image, const QRect& plot, QRgb colour)
{
    std::vector<std::pair<int, int>> out;
    for (int x = plot.left() + 1; x < plot.right(); ++x) {
        std::pair<int, int> e{-1, -1};
        for (int y = plot.top(); y <= plot.bottom(); ++y)
            for (int dx = -1; dx <= 1; ++dx)
                if (image.pixel(x + dx, y) == colour) {
                    if (e.first < 0)
                        e.first = y;
                    e.second = y;
                }
        out.push_back(e);
    }
    return out;
}

TEST(ChartDraw, DenseLinesLookAsQPainterDrawsThem)
{
    TChart chart;
    chart.resize(900, 520);
    chart.show();
    const size_t n = 400000;
    std::vector<double> x(n), slow(n), fast(n);
    for (size_t i = 0; i < n; ++i) {
        const double t = static_cast<double>(i) * 0.01;
        x[i] = t;
        slow[i] = 100 + 60 * std::sin(t / 50) + 4 * std::sin(t * 5);
        fast[i] = 100 + 70 * std::sin(t / 2);
    }
    TChartSeries* a = chart.AddSeries(TSeriesKind::Line);
    a->SetColor(QColor(0, 0, 255));
    a->SetPoints(x, slow);
    TChartSeries* markers = chart.AddSeries(TSeriesKind::Point);
    markers->SetColor(QColor(0, 128, 0));
    markers->SetPoints({500, 1500, 2500}, {100, 120, 140});
    TChartSeries* b = chart.AddSeries(TSeriesKind::Line);
    b->SetColor(QColor(255, 0, 0));
    b->SetPoints(x, fast);
    chart.RecalculateAll();

    // Solid lines: the same pixels, but for a rare slanted join.
    TTwoPictures solid = DrawBothWays(chart);
    const TDifference d = Compare(solid.Bitmap, solid.Played, solid.Plot);
    EXPECT_GT(d.Drawn, 100000);
    EXPECT_LT(d.Differ, d.Drawn / 200) << d.Differ << " of " << d.Drawn;
    // The markers are drawn between the two lines, as they are without the direct drawing.
    auto markerPixels = [&solid](const QImage& image) {
        int n = 0;
        for (int y = solid.Plot.top(); y <= solid.Plot.bottom(); ++y)
            for (int xx = solid.Plot.left(); xx <= solid.Plot.right(); ++xx) {
                const QRgb p = image.pixel(xx, y);
                n += qGreen(p) > 60 && qRed(p) < 100 && qBlue(p) < 100;
            }
        return n;
    };
    EXPECT_GT(markerPixels(solid.Bitmap), 5);
    EXPECT_EQ(markerPixels(solid.Bitmap), markerPixels(solid.Played));

    // Dashed: where the dashes fall follows the whole line's length, so single pixels differ, but
    // every pixel column spans the same rows and about as many pixels are drawn.
    b->SetPen(TLineStyle::Dash, 1);
    TTwoPictures dashed = DrawBothWays(chart);
    const auto direct = ColumnExtents(dashed.Bitmap, dashed.Plot, qRgb(255, 0, 0));
    const auto played = ColumnExtents(dashed.Played, dashed.Plot, qRgb(255, 0, 0));
    int apart = 0, drawnDirect = 0, drawnPlayed = 0;
    for (size_t c = 0; c < direct.size(); ++c) {
        apart += std::abs(direct[c].first - played[c].first) > 3 ||
                 std::abs(direct[c].second - played[c].second) > 3;
    }
    for (int y = dashed.Plot.top(); y <= dashed.Plot.bottom(); ++y)
        for (int xx = dashed.Plot.left(); xx <= dashed.Plot.right(); ++xx) {
            drawnDirect += dashed.Bitmap.pixel(xx, y) == qRgb(255, 0, 0);
            drawnPlayed += dashed.Played.pixel(xx, y) == qRgb(255, 0, 0);
        }
    EXPECT_LT(apart, static_cast<int>(direct.size()) / 50);

    EXPECT_GT(drawnDirect, 100000);
    EXPECT_NEAR(drawnDirect, drawnPlayed, drawnPlayed / 20.0);
}

// Each zoom or scroll step of the user draws the chart once.
TEST(ChartDraw, OneReplotPerStep)
{
    TOffscreenGraphHost host(TOptions(), TOffscreenGraph::DefaultSettings());
    TGraphPage page(host);
    page.setAttribute(Qt::WA_DontShowOnScreen);
    page.resize(1000, 700);
    page.show();
    page.Plot().ChangeGraphSettings();
    auto flight = std::make_unique<TDataBlock>();
    for (int i = 0; i < 100000; ++i) {
        flight->Time.push_back(i * 0.1);
        flight->Altitude.push_back(100 + 50 * std::sin(i * 0.001));
        flight->Rx.push_back(30 * std::sin(i * 0.01));
    }
    host.OpenFlight(page.Plot(), std::move(flight), "flight");
    host.ShowChannel(page.Plot(), 0, 2, true);
    page.Plot().Chart().Replot();
    QApplication::processEvents();
    int count = 0;
    QObject scope; // the connection ends with the test
    QObject::connect(test::Named<TChart>(page, "Chart1"), &TChart::AfterDrawn, &scope,
                     [&count] { ++count; });
    auto draws = [&count](const std::function<void()>& step) {
        count = 0;
        step();
        for (int k = 0; k < 5; ++k)
            QApplication::processEvents();
        return count;
    };
    const QPoint centre =
        test::Named<TChart>(page, "Chart1")
            ->mapToGlobal(test::Named<TChart>(page, "Chart1")->PlotRect().center());
    EXPECT_EQ(draws([&] { page.HandleWheel(centre, 120); }), 1);
    // Centring the servo axis draws at once; the draw queued by the zoom then has nothing to do.
    test::Named<QCheckBox>(page, "CheckBox_RxCenter")->setChecked(true);
    EXPECT_EQ(draws([&] { page.HandleWheel(centre, -120); }), 1);
    EXPECT_EQ(draws([&] { page.ZoomIn(); }), 1);
    EXPECT_EQ(draws([&] {
                  test::Named<QScrollBar>(page, "ScrollBar1")
                      ->setValue(test::Named<QScrollBar>(page, "ScrollBar1")->value() + 7);
              }),
              1);
    EXPECT_EQ(draws([&] { page.UndoZoom(); }), 1);
}
