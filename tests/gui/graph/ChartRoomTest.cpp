// The chart's room and texts: axes with nothing on them take no width, tick labels never repeat,
// and legend titles show whole, descenders and underscores included.
#include "core/graph/ChartMath.h"
#include "gui/graph/Chart.h"
#include "gui/graph/GraphPageFixture.h"

#include <QApplication>
#include <QFontMetrics>
#include <QImage>
#include <QPainter>
#include <qcustomplot.h>

namespace zirko {
namespace {

class ChartRoomTest : public GraphPageTest {
protected:
    void Draw()
    {
        // The time axis end follows the plot width of the draw before.
        Chart().Replot();
        Chart().Replot();
    }
    // Pixels between the plot's right edge and the chart's.
    int RightMargin() { return Chart().width() - 1 - Chart().PlotRect().right(); }
};

TEST_F(ChartRoomTest, ValueAxesWithNothingOnThemTakeNoRoom)
{
    Open();
    Draw();
    EXPECT_FALSE(Chart().AxisLaidOut(TAxisId::Right));
    EXPECT_FALSE(Chart().AxisLaidOut(TAxisId::Voltage));
    EXPECT_FALSE(Chart().AxisLaidOut(TAxisId::Climb));
    const int bare = RightMargin();
    EXPECT_LT(bare, 20);
    // No voltage labels: the time axis runs to the plot's edge.
    EXPECT_EQ(Chart().EndPosition(TAxisId::Bottom), 100);

    Show(0, 2);
    Draw();
    EXPECT_TRUE(Chart().AxisLaidOut(TAxisId::Right));
    EXPECT_FALSE(Chart().AxisLaidOut(TAxisId::Voltage));
    const int servo = RightMargin();
    EXPECT_GT(servo, bare + 20);
    EXPECT_EQ(Chart().EndPosition(TAxisId::Bottom), 100);

    Show(0, 3);
    Draw();
    EXPECT_TRUE(Chart().AxisLaidOut(TAxisId::Voltage));
    const int w = Chart().PlotRect().width();
    EXPECT_EQ(Chart().EndPosition(TAxisId::Bottom), TimeAxisEndPercent(w));

    Hide(0, 2);
    Hide(0, 3);
    Draw();
    EXPECT_FALSE(Chart().AxisLaidOut(TAxisId::Right));
    EXPECT_FALSE(Chart().AxisLaidOut(TAxisId::Voltage));
    EXPECT_EQ(RightMargin(), bare);
    EXPECT_EQ(Chart().EndPosition(TAxisId::Bottom), 100);
    // Its range still followed, for when a servo curve is shown again.
    EXPECT_TRUE(Chart().AxisVisible(TAxisId::Right));
}

TEST_F(ChartRoomTest, AShownChannelWithoutSamplesLeavesItsAxisOut)
{
    // A shown channel with no samples draws nothing either.
    Open({.Samples = 101, .Voltage = false});
    Draw();
    TChartSeries* voltage = Page->Plot().SeriesOf(0, kSlotVoltage);
    ASSERT_NE(voltage, nullptr);
    voltage->SetActive(true);
    Draw();
    EXPECT_EQ(voltage->Count(), 0);
    EXPECT_FALSE(Chart().AxisLaidOut(TAxisId::Voltage));
}

TEST_F(ChartRoomTest, CurvesAreReducedForThePlotWidthOfTheirOwnDrawing)
{
    Page->resize(400, 600);
    Open({.Samples = 20001});
    Draw();
    // The drawing that follows the widening: a point or more for every pixel column of the
    // wide plot, not the fewer of the narrow one before.
    Page->resize(1400, 600);
    QApplication::processEvents();
    const TChartSeries& altitude = *Page->Plot().SeriesOf(0, kSlotAltitude);
    EXPECT_GE(altitude.PlottedCount(), Chart().PlotRect().width());
    EXPECT_LT(altitude.PlottedCount(), 20001);
}

TEST_F(ChartRoomTest, TickLabelsOfEveryAxisDiffer)
{
    Open();
    Show(0, 2);
    Show(0, 3);
    Page->Plot().SetClimbShown(true);
    Draw();
    ASSERT_TRUE(Chart().AxisLaidOut(TAxisId::Climb));
    // Spans whose natural steps are finer than the labels' last decimal.
    const std::pair<TAxisId, std::pair<double, double>> cases[] = {
        {TAxisId::Right, {0, 1}},       {TAxisId::Right, {0.6, 0.75}},
        {TAxisId::Climb, {-0.3, 0.3}},  {TAxisId::Left, {10, 10.4}},
        {TAxisId::Bottom, {1, 1.08}},   {TAxisId::Voltage, {4.8, 4.9}},
        {TAxisId::Voltage, {4.0, 8.0}}, {TAxisId::Right, {-100, 100}},
    };
    for (const auto& [axis, range] : cases) {
        Chart().SetMinMax(axis, range.first, range.second);
        const QStringList labels = Chart().TickLabels(axis);
        QStringList shown;
        for (const QString& label : labels)
            if (!label.isEmpty()) // voltage labels too near the plot's edge are left out
                shown << label;
        ASSERT_GE(shown.size(), 1) << static_cast<int>(axis);
        EXPECT_EQ(shown.removeDuplicates(), 0)
            << static_cast<int>(axis) << ": " << labels.join(", ").toStdString();
    }
}

// Whether any pixel of a rectangle of the image is dark.
bool Inked(const QImage& image, const QRect& area)
{
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x)
            if (qGray(image.pixel(x, y)) < 160)
                return true;
    return false;
}

TEST_F(ChartRoomTest, LegendTitlesShowTheirUnderscores)
{
    Open();
    Host.Names[0] = "my_first_flight";
    Page->Plot().RetitleFlightSeries(0);
    Page->Plot().SetLegendShown(true);
    Draw();
    QCPLegend* legend = Chart().Plot()->legend;
    ASSERT_EQ(legend->itemCount(), 1);
    QCPAbstractLegendItem* item = legend->item(0);
    const QFontMetrics metrics(item->font());
    EXPECT_GE(item->outerRect().height(), metrics.height());
    // The title starts right of the colour box, at the item's top. Under "my", between the "y"
    // and the "f", nothing but the underscore is drawn.
    const QRect text = item->rect();
    const int left = text.left() + legend->iconSize().width() + legend->iconTextPadding();
    const QRect underscore(
        QPoint(left + metrics.horizontalAdvance("my") + 1, text.top()),
        QPoint(left + metrics.horizontalAdvance("my_") - 2, text.top() + metrics.height() + 2));
    ASSERT_GT(underscore.width(), 1);
    EXPECT_TRUE(Inked(Chart().ToImage(), underscore));
    // Exported pictures are drawn the same way.
    QImage picture(Chart().size(), QImage::Format_RGB32);
    picture.fill(Qt::white);
    {
        QPainter painter(&picture);
        Chart().RenderTo(painter, picture.rect());
    }
    EXPECT_TRUE(Inked(picture, underscore));
}

} // namespace
} // namespace zirko
