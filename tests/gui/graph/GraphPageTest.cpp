#include "gui/graph/GraphPage.h"
#include "core/app/NumberFormat.h"
#include "core/flightdata/ZdfFile.h"
#include "core/graph/ChartMath.h"
#include "gui/graph/Chart.h"
#include "gui/graph/GraphHost.h"
#include "gui/graph/GraphPageFixture.h"
#include "support/ScriptedDialogs.h"

#include <QApplication>
#include <QCheckBox>
#include <QFontMetrics>
#include <QLabel>
#include <QRegularExpression>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QTest>
#include <QToolButton>
#include <QWheelEvent>
#include <gtest/gtest.h>
#include <qcustomplot.h>

#include <cmath>
#include <map>
#include <memory>
#include <set>

namespace zirko {
namespace {

TEST_F(GraphPageTest, FlightGetsSixTitledSeriesWithServoOffset)
{
    const int row = Open({.Samples = 101, .Voltage = true, .RxOffsetY = 2.5});
    const TDataBlock& f = *Host.Flight(row);
    const TFlightSlots& flightSlots = *Host.SeriesInfo(row);
    const char* suffixes[] = {" (Alt)", " (RX)", " (PowS)", " (Mark)", " (Annot)", " (Climb)"};
    for (int k = 0; k < kSlotCount; ++k) {
        ASSERT_NE(Page->Plot().SeriesOf(row, k), nullptr);
        EXPECT_EQ(Page->Plot().SeriesOf(row, k)->Title(), QString("f0") + suffixes[k]);
        EXPECT_EQ(flightSlots[static_cast<size_t>(k)].ColorIndex, 0);
        // The climb curve is a lighter blue, so it is not taken for the altitude.
        EXPECT_EQ(Page->Plot().SeriesOf(row, k)->Color(),
                  k == kSlotClimb ? QColor(0x80, 0x80, 0xFF) : QColor(0, 0, 255));
    }
    const TChartSeries& servo = *Page->Plot().SeriesOf(row, kSlotServo);
    ASSERT_EQ(servo.Count(), 101);
    EXPECT_DOUBLE_EQ(servo.Y(1), 12.5);
    EXPECT_DOUBLE_EQ(servo.Y(0), 52.5);
    EXPECT_DOUBLE_EQ(flightSlots[kSlotServo].OffsetY, 2.5);
    EXPECT_EQ(servo.VerticalAxis(), TAxisId::Right);
    EXPECT_EQ(Page->Plot().SeriesOf(row, kSlotVoltage)->VerticalAxis(), TAxisId::Voltage);
    // Markers where the servo is above the threshold (every 7th sample), in time order.
    const TChartSeries& marks = *Page->Plot().SeriesOf(row, kSlotMarker);
    ASSERT_EQ(marks.Count(), 15);
    EXPECT_DOUBLE_EQ(marks.X(1), 7);
    EXPECT_DOUBLE_EQ(marks.Y(1), f.Altitude[7]);
    EXPECT_TRUE(Page->Plot().SeriesOf(row, kSlotAltitude)->Active());
    EXPECT_FALSE(servo.Active());
    EXPECT_EQ(Host.ChannelState(3, row), TChannelState::Off);
}

TEST_F(GraphPageTest, DeflectionMapsTheServoRangeAndKeepsOffsetZero)
{
    Host.Deflection = true;
    const int row = Open({.Samples = 101, .Voltage = true, .RxOffsetY = 2.5});
    const TFlightSlots& flightSlots = *Host.SeriesInfo(row);
    EXPECT_DOUBLE_EQ(Page->Plot().SeriesOf(row, kSlotServo)->Y(0), 2.5); // 50 %
    EXPECT_DOUBLE_EQ(Page->Plot().SeriesOf(row, kSlotServo)->Y(1), 0.5); // 10 %
    EXPECT_DOUBLE_EQ(flightSlots[kSlotServo].OffsetY, 0);
}

TEST_F(GraphPageTest, LegendListsWhatIsDrawn)
{
    Open();
    EXPECT_EQ(Chart().LegendTitles(), QStringList{"f0 (Alt)"});
    Show(0, 3);
    EXPECT_EQ(Chart().LegendTitles(), (QStringList{"f0 (Alt)", "f0 (PowS)"}));
    Page->Plot().ShowChannel(0, 1, false);
    EXPECT_EQ(Chart().LegendTitles(), QStringList{"f0 (PowS)"});
}

TEST_F(GraphPageTest, TheLegendShowsANewNameWholeAtOnce)
{
    Open();
    Page->Plot().SetLegendShown(true);
    Chart().Replot();
    QCPLegend* legend = Chart().Plot()->legend;
    const int before = legend->outerRect().width();
    Host.Names[0] = "a flight renamed to something much longer";
    Page->Plot().RetitleFlightSeries(0);
    EXPECT_EQ(Chart().LegendTitles(), QStringList{Host.Names[0] + " (Alt)"});
    // Redrawn without being asked, wide enough for the whole new title.
    const int needed = QFontMetrics(legend->font()).horizontalAdvance(Host.Names[0] + " (Alt)");
    EXPECT_TRUE(QTest::qWaitFor([&] { return legend->outerRect().width() > needed; }, 2000))
        << before << " -> " << legend->outerRect().width() << " for " << needed;
}

TEST_F(GraphPageTest, WideLinesAreSolidAndThinOnesKeepTheirStyle)
{
    Open({.FlatAltitude = true});
    // Columns along the flat altitude line where it is drawn, out of those it spans.
    auto drawnColumns = [this] {
        Chart().Replot();
        const QImage image = Chart().PlotArea()->grab().toImage();
        const QRect plot = Chart().PlotRect();
        const int y = static_cast<int>(std::lround(Chart().PixelOfValue(TAxisId::Left, 50)));
        const int x0 = static_cast<int>(Chart().PixelOfValue(TAxisId::Bottom, 5));
        const int x1 = static_cast<int>(Chart().PixelOfValue(TAxisId::Bottom, 95));
        EXPECT_TRUE(plot.contains(x0, y) && plot.contains(x1, y));
        int drawn = 0;
        for (int x = x0; x <= x1; ++x) {
            const QColor c = image.pixelColor(x, y);
            drawn += c.blue() > 200 && c.red() < 180 && c.green() < 180;
        }
        return std::make_pair(drawn, x1 - x0 + 1);
    };
    Host.Settings.AltitudeLStyle = 1; // dash
    Host.Settings.AltitudeLWidth = 3;
    Page->Plot().ChangeGraphSettings();
    const auto wide = drawnColumns();
    EXPECT_EQ(wide.first, wide.second);
    EXPECT_EQ(Page->Plot().SeriesOf(0, kSlotAltitude)->PenStyle(), TLineStyle::Dash);
    Host.Settings.AltitudeLWidth = 1;
    Page->Plot().ChangeGraphSettings();
    const auto thin = drawnColumns();
    EXPECT_LT(thin.first, thin.second * 9 / 10); // dashes again
    EXPECT_GT(thin.first, thin.second / 3);
}

TEST_F(GraphPageTest, TextsOfTheChartStayWholeAndClearOfTheCurves)
{
    for (int i = 0; i < 6; ++i) {
        const int row = Open();
        Host.Names[static_cast<size_t>(row)] = QString("a rather long flight name %1").arg(row);
        Page->Plot().RetitleFlightSeries(row);
        Show(row, 3);
    }
    Page->Plot().SetLegendShown(true);
    Chart().Replot();
    QCustomPlot* plot = Chart().Plot();
    const QRect area = Chart().PlotRect();
    // The legend lies above the plot and inside the chart.
    const QRect legend = plot->legend->outerRect();
    EXPECT_TRUE(Chart().PlotArea()->rect().contains(legend));
    EXPECT_LE(legend.bottom(), area.top());
    // The voltage labels stand inside the plot, centred on their ticks.
    const int half = QFontMetrics(plot->yAxis2->tickLabelFont()).height() / 2;
    const QVector<double> ticks = plot->yAxis2->tickVector();
    const QVector<QString> labels = plot->yAxis2->tickVectorLabels();
    ASSERT_EQ(ticks.size(), labels.size());
    int shown = 0;
    for (qsizetype i = 0; i < ticks.size(); ++i) {
        if (labels[i].isEmpty())
            continue;
        ++shown;
        const double y = plot->yAxis2->coordToPixel(ticks[i]);
        EXPECT_GE(y - half, area.top()) << ticks[i];
        EXPECT_LE(y + half, area.bottom()) << ticks[i];
    }
    EXPECT_GE(shown, 1);
    // Zoomed in, the curves end where the time axis ends and leave the voltage labels alone.
    Page->Plot().SetLegendShown(false);
    Page->ZoomIn();
    Page->ZoomIn();
    Chart().Replot();
    const QImage image = Chart().PlotArea()->grab().toImage();
    const int axisEnd =
        static_cast<int>(Chart().PixelOfValue(TAxisId::Bottom, Chart().Maximum(TAxisId::Bottom)));
    ASSERT_LT(axisEnd + 10, area.right());
    int coloured = 0;
    for (int x = axisEnd + 8; x < area.right(); ++x)
        for (int y = area.top(); y <= area.bottom(); ++y) {
            const QColor c = image.pixelColor(x, y);
            coloured += c.saturation() > 100; // curves are coloured; labels and ticks are black
        }
    EXPECT_EQ(coloured, 0);
}

TEST_F(GraphPageTest, FlightWithoutVoltageHasGreyedVoltageCell)
{
    const int row = Open({.Samples = 50, .Voltage = false});
    EXPECT_EQ(Host.ChannelState(3, row), TChannelState::Unavailable);
    EXPECT_EQ(Page->Plot().SeriesOf(row, kSlotVoltage)->Count(), 0);
    EXPECT_EQ(Host.ChannelState(5, row), TChannelState::Off);
}

TEST_F(GraphPageTest, FifteenthFlightTakesFiveFreeColoursAndAClosedIndexIsReused)
{
    for (int i = 0; i < 15; ++i)
        Open({.Samples = 5});
    const TFlightSlots& last = *Host.SeriesInfo(14);
    EXPECT_EQ(last[0].ColorIndex, 255);
    std::set<QRgb> colours;
    for (int k = 0; k < kSlotCount; ++k)
        colours.insert(Page->Plot().SeriesOf(14, k)->Color().rgb());
    EXPECT_EQ(colours.size(), 5u);
    EXPECT_EQ(colours.count(QColor(Qt::white).rgb()), 0u); // nothing vanishes on the white plot
    Close(3);
    const int row = Open({.Samples = 5});
    EXPECT_EQ((*Host.SeriesInfo(row))[0].ColorIndex, 3);
}

TEST_F(GraphPageTest, TimeAxisEndsBeforeTheVoltageStrip)
{
    Open();
    Show(0, 3);
    Chart().Replot();
    Chart().Replot();
    const int w = Chart().PlotRect().width();
    ASSERT_GT(w, 100);
    EXPECT_EQ(Chart().EndPosition(TAxisId::Bottom), TimeAxisEndPercent(w));
    // No label beyond the axis end.
    Chart().SetMinMax(TAxisId::Bottom, 0, 100);
    Chart().Replot();
    const double endPixel = Chart().PixelOfValue(TAxisId::Bottom, 100);
    EXPECT_NEAR(endPixel - Chart().PlotRect().left(), w * TimeAxisEndPercent(w) / 100.0, 1.5);
}

TEST_F(GraphPageTest, MinSecCheckBoxRewritesTimeLabels)
{
    Open();
    Chart().SetMinMax(TAxisId::Bottom, 0, 300);
    const QStringList plain = Chart().TickLabels(TAxisId::Bottom);
    ASSERT_FALSE(plain.isEmpty());
    QTest::mouseClick(CheckBox_min_sec(), Qt::LeftButton, {}, CheckBox_min_sec()->rect().center());
    ASSERT_TRUE(CheckBox_min_sec()->isChecked());
    EXPECT_EQ(Chart().AxisTitle(TAxisId::Bottom), "Time (min:sec)");
    const QStringList minSec = Chart().TickLabels(TAxisId::Bottom);
    ASSERT_EQ(minSec.size(), plain.size());
    for (int i = 0; i < plain.size(); ++i)
        EXPECT_EQ(minSec[i].toStdString(), FormatMinSec(plain[i].toLongLong())) << i;
    QTest::mouseClick(CheckBox_min_sec(), Qt::LeftButton, {}, CheckBox_min_sec()->rect().center());
    EXPECT_EQ(Chart().AxisTitle(TAxisId::Bottom), "Time (sec)");
    EXPECT_EQ(Chart().TickLabels(TAxisId::Bottom), plain);
}

TEST_F(GraphPageTest, ScrollBarFollowsAndMovesTheTimeAxis)
{
    Open();
    EXPECT_FALSE(ScrollBar1()->isEnabled());
    Chart().SetMinMax(TAxisId::Bottom, 10, 20);
    Page->UpdateScrollBars();
    ASSERT_TRUE(ScrollBar1()->isEnabled());
    EXPECT_EQ(ScrollBar1()->value(), 15);
    ScrollBar1()->setValue(50);
    EXPECT_DOUBLE_EQ(Chart().Minimum(TAxisId::Bottom), 45);
    EXPECT_DOUBLE_EQ(Chart().Maximum(TAxisId::Bottom), 55);
    // The vertical bar waits until all three vertical axes are fixed.
    Chart().SetMinMax(TAxisId::Left, 0, 10);
    Page->UpdateScrollBars();
    EXPECT_FALSE(ScrollBar2()->isEnabled());
    Chart().SetMinMax(TAxisId::Right, 0, 10);
    Chart().SetMinMax(TAxisId::Voltage, 0, 10);
    Page->UpdateScrollBars();
    EXPECT_TRUE(ScrollBar2()->isEnabled());
}

TEST_F(GraphPageTest, UndoZoomReturnsToSettingsAndStoresCorrectedMaximum)
{
    Open();
    QTest::mouseClick(TBZoomOut(), Qt::LeftButton); // hint "Zoom in"
    EXPECT_FALSE(Chart().Automatic(TAxisId::Bottom));
    EXPECT_TRUE(ScrollBar1()->isEnabled());
    QTest::mouseClick(TBUndoZoom(), Qt::LeftButton);
    EXPECT_TRUE(Chart().Automatic(TAxisId::Bottom));
    EXPECT_FALSE(ScrollBar1()->isEnabled());
    EXPECT_FALSE(ScrollBar2()->isEnabled());
    EXPECT_DOUBLE_EQ(Chart().Minimum(TAxisId::Bottom), 0);
    EXPECT_DOUBLE_EQ(Chart().Maximum(TAxisId::Bottom), 100);

    Host.Settings.TimeAuto = false;
    Host.Settings.TimeMin = 30;
    Host.Settings.TimeMax = 30;
    QTest::mouseClick(TBUndoZoom(), Qt::LeftButton);
    EXPECT_DOUBLE_EQ(Chart().Minimum(TAxisId::Bottom), 30);
    EXPECT_DOUBLE_EQ(Chart().Maximum(TAxisId::Bottom), 31);
    EXPECT_DOUBLE_EQ(Host.Settings.TimeMax, 31);
}

TEST_F(GraphPageTest, ZoomButtonsNarrowAndWidenAllAxesAndTheVoltageAxis)
{
    Open();
    Show(0, 3);
    const double vMin = Chart().Minimum(TAxisId::Voltage);
    const double vMax = Chart().Maximum(TAxisId::Voltage);
    QTest::mouseClick(TBZoomOut(), Qt::LeftButton);
    EXPECT_DOUBLE_EQ(Chart().Minimum(TAxisId::Bottom), 10);
    EXPECT_DOUBLE_EQ(Chart().Maximum(TAxisId::Bottom), 90);
    const double d = (vMax - vMin) * 0.1;
    EXPECT_NEAR(Chart().Minimum(TAxisId::Voltage), vMin + d, 1e-9);
    EXPECT_NEAR(Chart().Maximum(TAxisId::Voltage), vMax - d, 1e-9);
    QTest::mouseClick(TBZoomIn(), Qt::LeftButton); // hint "Zoom out"
    EXPECT_DOUBLE_EQ(Chart().Minimum(TAxisId::Bottom), 2);
    EXPECT_DOUBLE_EQ(Chart().Maximum(TAxisId::Bottom), 98);
}

TEST_F(GraphPageTest, WheelZoomsOnlyWithAFlightOpen)
{
    QWidget* plot = Chart().PlotArea();
    const QPoint inside = Chart().PlotRect().center();
    EXPECT_FALSE(Page->HandleWheel(Chart().mapToGlobal(inside), 120));
    const double before = Chart().Maximum(TAxisId::Bottom);
    QWheelEvent none(inside, plot->mapToGlobal(inside), {}, {0, 120}, Qt::NoButton, {},
                     Qt::NoScrollPhase, false);
    QApplication::sendEvent(plot, &none);
    EXPECT_DOUBLE_EQ(Chart().Maximum(TAxisId::Bottom), before);

    Open();
    QWheelEvent wheel(inside, plot->mapToGlobal(inside), {}, {0, 120}, Qt::NoButton, {},
                      Qt::NoScrollPhase, false);
    QApplication::sendEvent(plot, &wheel);
    EXPECT_TRUE(wheel.isAccepted());
    EXPECT_DOUBLE_EQ(Chart().Maximum(TAxisId::Bottom), 90);
    EXPECT_TRUE(LabelPos()->text().startsWith("["));
    EXPECT_TRUE(LabelPos()->text().endsWith("m ]"));
    Host.PageActive = false;
    EXPECT_FALSE(Page->HandleWheel(Chart().mapToGlobal(inside), -120));
}

TEST_F(GraphPageTest, DraggedRectangleZoomsAndTheReadoutFollowsTheMouse)
{
    Open();
    Show(0, 3);
    Chart().Replot();
    QWidget* plot = Chart().PlotArea();
    EXPECT_EQ(LabelPos()->text(), "cursor");
    const QRect r = Chart().PlotRect();
    const QPoint a = r.topLeft() + QPoint(r.width() / 4, r.height() / 4);
    const QPoint b = r.topLeft() + QPoint(r.width() / 2, r.height() / 2);
    const double t0 = Chart().ValueAtPixel(TAxisId::Bottom, a.x());
    const double t1 = Chart().ValueAtPixel(TAxisId::Bottom, b.x());
    const double v0 = Chart().ValueAtPixel(TAxisId::Voltage, b.y());
    const double v1 = Chart().ValueAtPixel(TAxisId::Voltage, a.y());
    QTest::mousePress(plot, Qt::LeftButton, {}, a);
    QTest::mouseMove(plot, b);
    EXPECT_TRUE(LabelPos()->text().endsWith("V ]"));
    QTest::mouseRelease(plot, Qt::LeftButton, {}, b);
    EXPECT_NEAR(Chart().Minimum(TAxisId::Bottom), t0, 1e-9);
    EXPECT_NEAR(Chart().Maximum(TAxisId::Bottom), t1, 1e-9);
    EXPECT_NEAR(Chart().Minimum(TAxisId::Voltage), v0, 1e-9);
    EXPECT_NEAR(Chart().Maximum(TAxisId::Voltage), v1, 1e-9);
    EXPECT_TRUE(ScrollBar1()->isEnabled());
}

TEST_F(GraphPageTest, SpacePanningMovesTheView)
{
    Open();
    Show(0, 3);
    Chart().SetMinMax(TAxisId::Bottom, 20, 40);
    Chart().Replot();
    ASSERT_TRUE(Chart().Automatic(TAxisId::Voltage));
    ASSERT_TRUE(Page->SpaceDown());
    QWidget* plot = Chart().PlotArea();
    const QPoint c = Chart().PlotRect().center();
    const double perPixel = Chart().ValueAtPixel(TAxisId::Bottom, c.x() + 1) -
                            Chart().ValueAtPixel(TAxisId::Bottom, c.x());
    QTest::mousePress(plot, Qt::LeftButton, {}, c);
    QTest::mouseMove(plot, c + QPoint(50, 0));
    QTest::mouseRelease(plot, Qt::LeftButton, {}, c + QPoint(50, 0));
    EXPECT_NEAR(Chart().Minimum(TAxisId::Bottom), 20 - 50 * perPixel, 1e-6);
    EXPECT_NEAR(Chart().Maximum(TAxisId::Bottom), 40 - 50 * perPixel, 1e-6);
    // Only the plot's own axes pan; the voltage axis keeps following its data.
    EXPECT_TRUE(Chart().Automatic(TAxisId::Voltage));
    Page->SpaceUp();
    EXPECT_FALSE(Chart().PanningEnabled());
    EXPECT_TRUE(Chart().RectZoomEnabled());
}

TEST_F(GraphPageTest, ServoCenterAndChangeGraphSettings)
{
    Open();
    Show(0, 2);
    Chart().SetMinMax(TAxisId::Right, -20, 60);
    QTest::mouseClick(CheckBox_RxCenter(), Qt::LeftButton, {},
                      CheckBox_RxCenter()->rect().center());
    EXPECT_DOUBLE_EQ(Chart().Minimum(TAxisId::Right), -40);
    EXPECT_DOUBLE_EQ(Chart().Maximum(TAxisId::Right), 40);

    Host.Settings.AltitudeAuto = false;
    Host.Settings.AltitudeMin = 50;
    Host.Settings.AltitudeMax = 20;
    Host.Settings.RXLStyle = 3;
    Host.Settings.RXLWidth = 2;
    Page->Plot().ChangeGraphSettings();
    EXPECT_DOUBLE_EQ(Chart().Minimum(TAxisId::Left), 50);
    EXPECT_DOUBLE_EQ(Chart().Maximum(TAxisId::Left), 51);
    EXPECT_DOUBLE_EQ(Host.Settings.AltitudeMax, 51);
    const TChartSeries* servo = Page->Plot().SeriesOf(0, kSlotServo);
    EXPECT_EQ(servo->PenStyle(), TLineStyle::DashDot);
    EXPECT_EQ(servo->PenWidth(), 2);
}

TEST_F(GraphPageTest, ServoZeroLineIsDrawnOnlyWhileTheServoIsShown)
{
    Open();
    Chart().SetMinMax(TAxisId::Right, -100, 100);
    QTest::mouseClick(TBRxZero(), Qt::LeftButton);
    auto blackRow = [this] {
        const QImage image = Chart().ToImage();
        const int y = static_cast<int>(std::lround(Chart().PixelOfValue(TAxisId::Right, 0)));
        const QRect plot = Chart().PlotRect();
        int black = 0;
        for (int x = plot.left() + 5; x < plot.right() - 5; x += 10)
            black += image.pixelColor(x, y) == QColor(Qt::black) ? 1 : 0;
        return black * 10 >= plot.width() - 20;
    };
    EXPECT_FALSE(blackRow());
    Show(0, 2);
    Chart().SetMinMax(TAxisId::Right, -100, 100);
    EXPECT_TRUE(blackRow());
}

TEST_F(GraphPageTest, LargeFlightIsHandedToThePlotPerPixelColumn)
{
    const int row = Open({.Samples = 300001});
    Chart().Replot();
    const TChartSeries& alt = *Page->Plot().SeriesOf(row, kSlotAltitude);
    EXPECT_EQ(alt.Count(), 300001);
    EXPECT_LE(alt.PlottedCount(), 4 * Chart().PlotRect().width() + 8);
    Chart().SetMinMax(TAxisId::Bottom, 50, 50.01);
    Chart().Replot();
    // Times are stored to 0.01 s, so this view holds a few hundred samples, all handed over.
    EXPECT_GE(alt.PlottedCount(), 3);
    EXPECT_LE(alt.PlottedCount(), 4 * Chart().PlotRect().width() + 8);
    EXPECT_LT(alt.PlottedCount(), alt.Count() / 100);
}

TEST_F(GraphPageTest, SeriesOrderAnnotationsAndRemoval)
{
    Open();
    Open();
    TChartSeries* alt1 = Page->Plot().SeriesOf(1, kSlotAltitude);
    const int before = Chart().IndexOf(alt1);
    Page->Plot().MoveFlightSeriesToFront(1);
    EXPECT_EQ(Chart().IndexOf(alt1), before - 1);

    // The series shows the record's annotations, in their order, through the offsets.
    TDataBlock& record = *Host.Record(0);
    record.Annotations = {{12, 34, "Start"}, {5, 6, "Early"}};
    Page->Plot().ShowAnnotations(0);
    TChartSeries& annotations = *Page->Plot().SeriesOf(0, kSlotAnnotation);
    ASSERT_EQ(annotations.Count(), 2);
    EXPECT_EQ(annotations.LabelText(1), "Early"); // insertion order kept
    TSeriesInfo& slot = (*Host.SlotsAt(0))[kSlotAnnotation];
    slot.OffsetX = 1;
    slot.OffsetY = -1;
    Page->Plot().ShowOffsets(0);
    EXPECT_DOUBLE_EQ(annotations.X(0), 13);
    EXPECT_DOUBLE_EQ(annotations.Y(0), 33);
    // Shown shifted, held as placed.
    EXPECT_DOUBLE_EQ(annotations.StoredX(0), 12);
    record.Annotations.erase(record.Annotations.begin());
    Page->Plot().ShowAnnotations(0);
    ASSERT_EQ(annotations.Count(), 1);
    EXPECT_EQ(annotations.LabelText(0), "Early");
    // Shown anew, they keep the offsets.
    EXPECT_DOUBLE_EQ(annotations.X(0), 6);
    EXPECT_DOUBLE_EQ(annotations.StoredY(0), 6);

    const int count = Chart().SeriesCount();
    Close(0);
    EXPECT_EQ(Chart().SeriesCount(), count - kSlotCount);
}

} // namespace
} // namespace zirko
