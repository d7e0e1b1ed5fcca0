// A real QCustomPlot, played through a QPicture as the chart adapter renders it: the metafiles
// keep its clipping to the axis rectangle and its texts.
#include "gui/graph/GraphExport.h"

#include "support/MetafileReader.h"
#include "support/ScriptedDialogs.h"
#include "support/TestUtil.h"

#include <QPicture>
#include <QSvgRenderer>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <qcustomplot.h>

using namespace zirko;
using namespace zirko::test;

namespace {

struct TPlotFixture {
    QCustomPlot Plot;

    TPlotFixture()
    {
        // A plot never shown keeps its first size: show it at the size the test expects.
        Plot.resize(500, 350);
        Plot.show();
        QCPGraph* graph = Plot.addGraph();
        graph->setPen(QPen(QColor(0, 0, 255), 2));
        QVector<double> x, y;
        for (int i = 0; i <= 100; ++i) {
            x << i / 10.0;
            y << (i % 20) * 5.0;
        }
        graph->setData(x, y);
        // Zoomed in: the line runs on beyond the axis rectangle on both sides.
        Plot.xAxis->setRange(3, 7);
        Plot.yAxis->setRange(0, 100);
        Plot.xAxis->setLabel("Time [s]");
        Plot.yAxis->setLabel("Altitude [m]");
        Plot.replot();
        EXPECT_EQ(Plot.size(), QSize(500, 350));
        EXPECT_LT(Plot.axisRect()->rect().right(), 500);
    }

    TChartSource Source()
    {
        return TChartSource{[this](QPainter& painter, const QRect& target) {
                                QPicture picture;
                                {
                                    QCPPainter recorder(&picture);
                                    Plot.toPainter(&recorder, Plot.width(), Plot.height());
                                }
                                painter.save();
                                painter.translate(target.topLeft());
                                painter.scale(double(target.width()) / Plot.width(),
                                              double(target.height()) / Plot.height());
                                painter.drawPicture(0, 0, picture);
                                painter.restore();
                            },
                            Plot.size()};
    }
};

void ExpectGraphClippedToAxisRect(const TMetafile& file, const QRect& axisRect)
{
    ASSERT_EQ(file.Error, QString());
    EXPECT_TRUE(file.Texts().contains("Altitude [m]"));
    EXPECT_TRUE(file.Texts().contains("Time [s]"));
    int graphLines = 0;
    bool reachesOutside = false;
    for (const TMetaShape* line : file.ShapesOf(TMetaShape::TKind::Polyline)) {
        if (!line->Pen || line->Pen->Color != 0xFF0000u) // blue as a GDI colour reference
            continue;
        ++graphLines;
        ASSERT_TRUE(line->Clip);
        EXPECT_TRUE(axisRect.adjusted(-1, -1, 1, 1).contains(*line->Clip))
            << line->Clip->x() << "," << line->Clip->y() << " " << line->Clip->width() << "x"
            << line->Clip->height();
        for (const QPoint& p : line->Points.first())
            reachesOutside = reachesOutside || !line->Clip->contains(p);
    }
    EXPECT_GT(graphLines, 0);
    EXPECT_TRUE(reachesOutside) << "the drawing should need its clip";
}

} // namespace

TEST(ChartPictureExport, MetafilesClipTheGraphToTheAxisRectangle)
{
    QTemporaryDir dir;
    InstallScriptedDialogs();
    TPlotFixture fixture;
    const QRect axisRect = fixture.Plot.axisRect()->rect();
    ASSERT_TRUE(SaveGraph(nullptr, fixture.Source(), dir.filePath("chart.emf")));
    ASSERT_TRUE(SaveGraph(nullptr, fixture.Source(), dir.filePath("chart.wmf")));
    const TMetafile emf = ReadEmf(ReadBytes(dir.filePath("chart.emf")));
    ExpectGraphClippedToAxisRect(emf, axisRect);
    EXPECT_EQ(emf.Device, QSize(500, 350));
    ExpectGraphClippedToAxisRect(ReadWmf(ReadBytes(dir.filePath("chart.wmf"))), axisRect);
}

TEST(ChartPictureExport, SvgAndBitmapAgreeOutsideThePlot)
{
    QTemporaryDir dir;
    InstallScriptedDialogs();
    TPlotFixture fixture;
    const QRect axisRect = fixture.Plot.axisRect()->rect();
    ASSERT_TRUE(SaveGraph(nullptr, fixture.Source(), dir.filePath("chart.svg")));
    QSvgRenderer renderer(dir.filePath("chart.svg"));
    ASSERT_TRUE(renderer.isValid());
    QImage svg(fixture.Plot.size(), QImage::Format_RGB32);
    svg.fill(Qt::white);
    {
        QPainter painter(&svg);
        renderer.render(&painter);
    }
    // No blue from the graph may show left or right of the axis rectangle.
    for (int y = axisRect.top(); y <= axisRect.bottom(); ++y) {
        for (int x : {axisRect.left() - 8, axisRect.right() + 8}) {
            const QRgb pixel = svg.pixel(x, y);
            ASSERT_FALSE(qBlue(pixel) > 150 && qRed(pixel) < 100 && qGreen(pixel) < 100)
                << "blue at " << x << "," << y;
        }
    }
}
