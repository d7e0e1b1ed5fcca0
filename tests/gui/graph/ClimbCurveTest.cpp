// The climb-rate curves: one per flight whose altitude is shown, on an axis of their own that is
// symmetric around 0, moved by the time offset only, and drawn wherever the chart is drawn.
#include "GraphPageFixture.h"
#include "core/app/NumberFormat.h"
#include "core/graph/GraphColors.h"
#include "gui/graph/GraphExport.h"

#include <QApplication>
#include <QCheckBox>
#include <QFile>
#include <QLabel>
#include <QPainter>
#include <QScrollBar>
#include <QToolBar>
#include <QToolButton>

#include <algorithm>
#include <cmath>
#include <vector>

namespace zirko {
namespace {

class ClimbCurveTest : public GraphPageTest {
protected:
    TChartSeries& Climb(int row) { return *Page->Plot().SeriesOf(row, kSlotClimb); }
    double LargestClimb(int row) const
    {
        double m = 0;
        for (double c : Host.ClimbRate(row))
            m = std::max(m, std::fabs(c));
        return m;
    }
    std::vector<std::pair<double, double>> Points(int row)
    {
        std::vector<std::pair<double, double>> points;
        for (int i = 0; i < Climb(row).Count(); ++i)
            points.emplace_back(Climb(row).X(i), Climb(row).Y(i));
        return points;
    }
    void ClickClimb() { QTest::mouseClick(TBClimb(), Qt::LeftButton); }
    TChartSource Source()
    {
        TChart* chart = &Chart();
        return {[chart](QPainter& p, const QRect& target) { chart->RenderTo(p, target); },
                chart->size()};
    }
};

TEST_F(ClimbCurveTest, TheButtonAddsACurvePerShownAltitudeOnASymmetricAxis)
{
    Open();
    Open({.Samples = 201});
    Open();
    Hide(2, 1);
    EXPECT_EQ(TBClimb()->text(), "Climb");
    EXPECT_EQ(TBClimb()->toolTip(), "Climb rate");
    EXPECT_FALSE(Page->Plot().ClimbShown());
    EXPECT_FALSE(Chart().AxisVisible(TAxisId::Climb));
    // Nothing is worked out before the curves are wanted.
    EXPECT_TRUE(Host.Climbs.empty());

    ClickClimb();
    ASSERT_TRUE(Page->Plot().ClimbShown());
    for (int row : {0, 1}) {
        const TChartSeries& climb = Climb(row);
        const std::vector<double>& rate = Host.ClimbRate(row);
        EXPECT_TRUE(climb.Active()) << row;
        EXPECT_TRUE(climb.IsView());
        ASSERT_EQ(climb.Count(), static_cast<int>(Host.Flight(row)->Time.size()));
        EXPECT_DOUBLE_EQ(climb.Y(17), rate[17]);
        EXPECT_DOUBLE_EQ(climb.X(17), Host.Flight(row)->Time[17]);
        EXPECT_EQ(climb.VerticalAxis(), TAxisId::Climb);
        EXPECT_EQ(
            climb.Color().rgb() & 0xFFFFFF,
            ClimbColorOf(Page->Plot().SeriesOf(row, kSlotAltitude)->Color().rgb() & 0xFFFFFF));
        EXPECT_NE(climb.Color(), Page->Plot().SeriesOf(row, kSlotAltitude)->Color());
        EXPECT_EQ(climb.Kind(), TSeriesKind::Line);
    }
    EXPECT_FALSE(Climb(2).Active());
    EXPECT_TRUE(Chart().AxisVisible(TAxisId::Climb));
    EXPECT_EQ(Chart().AxisTitle(TAxisId::Climb), "Climb (m/s)");
    const double m = std::max(LargestClimb(0), LargestClimb(1));
    ASSERT_GT(m, 0.5);
    EXPECT_DOUBLE_EQ(Chart().Maximum(TAxisId::Climb), m);
    EXPECT_DOUBLE_EQ(Chart().Minimum(TAxisId::Climb), -m);
    EXPECT_EQ(Chart().LegendTitles(),
              (QStringList{"f0 (Alt)", "f0 (Climb)", "f1 (Alt)", "f1 (Climb)"}));
    // The other axes stay as they were.
    EXPECT_DOUBLE_EQ(Chart().Maximum(TAxisId::Left), 90);

    ClickClimb();
    EXPECT_FALSE(Page->Plot().ClimbShown());
    EXPECT_FALSE(Climb(0).Active());
    EXPECT_FALSE(Climb(1).Active());
    EXPECT_FALSE(Chart().AxisVisible(TAxisId::Climb));
    EXPECT_EQ(Chart().LegendTitles(), (QStringList{"f0 (Alt)", "f1 (Alt)"}));
}

TEST_F(ClimbCurveTest, AltitudeShownOrHiddenAndFlightsOpenedOrClosedTakeTheirCurves)
{
    Open();
    ClickClimb();
    ASSERT_TRUE(Climb(0).Active());
    Hide(0, 1);
    EXPECT_FALSE(Climb(0).Active());
    // No curve left: the axis goes and the plot gets its room back.
    EXPECT_FALSE(Chart().AxisVisible(TAxisId::Climb));
    const int narrow = Chart().PlotRect().width();
    Show(0, 1);
    EXPECT_TRUE(Climb(0).Active());
    EXPECT_TRUE(Chart().AxisVisible(TAxisId::Climb));
    Chart().Replot();
    EXPECT_LT(Chart().PlotRect().width(), narrow);

    // A flight opened while the switch is on gets its curve at once, in its own colour.
    Open({.Samples = 51});
    EXPECT_TRUE(Climb(1).Active());
    EXPECT_EQ(Climb(1).Count(), 51);
    Close(0);
    EXPECT_TRUE(Climb(0).Active());
    EXPECT_EQ(Climb(0).Count(), 51);
    EXPECT_TRUE(Chart().AxisVisible(TAxisId::Climb));
    Host.Names[0] = "renamed";
    Page->Plot().RetitleFlightSeries(0);
    EXPECT_EQ(Climb(0).Title(), "renamed (Climb)");
    Close(0);
    EXPECT_FALSE(Chart().AxisVisible(TAxisId::Climb));
}

TEST_F(ClimbCurveTest, AFlightWithoutAltitudeHasNoCurve)
{
    Open({.Altitude = false});
    ClickClimb();
    EXPECT_TRUE(Host.ClimbRate(0).empty());
    EXPECT_FALSE(Climb(0).Active());
    EXPECT_FALSE(Chart().AxisVisible(TAxisId::Climb));
    Open();
    EXPECT_TRUE(Climb(1).Active());
    EXPECT_TRUE(Chart().AxisVisible(TAxisId::Climb));
    EXPECT_EQ(Chart().LegendTitles().filter("(Climb)"), QStringList{"f1 (Climb)"});
}

TEST_F(ClimbCurveTest, TheTimeOffsetMovesTheCurveAndNoValueOffsetDoes)
{
    Open();
    Show(0, 2);
    Show(0, 3);
    ClickClimb();
    Page->Offsets().LoadShiftControls(0);
    const auto recorded = Points(0);
    ASSERT_FALSE(recorded.empty());
    auto expectShiftedBy = [&](double dx) {
        const auto now = Points(0);
        ASSERT_EQ(now.size(), recorded.size());
        for (size_t i = 0; i < now.size(); ++i) {
            EXPECT_NEAR(now[i].first, recorded[i].first + dx, 1e-9) << i;
            EXPECT_DOUBLE_EQ(now[i].second, recorded[i].second) << i;
        }
    };
    Type(EditShiftX(), "3");
    expectShiftedBy(3);
    for (int k : {kSlotAltitude, kSlotServo, kSlotVoltage}) {
        Page->Offsets().ChooseShiftAxis(k);
        Type(EditShiftY(), "-4.5");
    }
    expectShiftedBy(3);
    EXPECT_DOUBLE_EQ((*Host.SeriesInfo(0))[kSlotClimb].OffsetY, 0);
    // The axis keeps its range: the rates did not change.
    EXPECT_DOUBLE_EQ(Chart().Maximum(TAxisId::Climb), LargestClimb(0));

    QTest::mouseClick(CheckBoxShift(), Qt::LeftButton);
    ASSERT_FALSE(CheckBoxShift()->isChecked());
    expectShiftedBy(0);
    QTest::mouseClick(CheckBoxShift(), Qt::LeftButton);
    expectShiftedBy(3);

    // A point set to (0, 0) moves the curve to the point's time only.
    Chart().Replot();
    const QPoint at = Chart().PlotRect().center();
    const TOffsetPanel::TZeroPoint point = Page->Offsets().ZeroPointAt(at.x(), at.y());
    Page->Offsets().AdjustToZero(point, false);
    // The field shows the offset to a tenth, and the tenth is what is taken.
    const TFlightSlots& info = *Host.SeriesInfo(0);
    EXPECT_NEAR(info[kSlotClimb].OffsetX, 3 - point.Vx, 0.051);
    EXPECT_DOUBLE_EQ(info[kSlotClimb].OffsetX, info[kSlotAltitude].OffsetX);
    EXPECT_NE(info[kSlotAltitude].OffsetY, 0);
    expectShiftedBy(info[kSlotClimb].OffsetX);
    Page->Offsets().ResetFlightShift();
    expectShiftedBy(0);

    // Aligning the launches moves the curve to the launch time, not to the launch height.
    EXPECT_TRUE(Page->Offsets().AlignLaunches().empty());
    EXPECT_NE(info[kSlotAltitude].OffsetY, 0);
    EXPECT_DOUBLE_EQ(info[kSlotClimb].OffsetX, info[kSlotAltitude].OffsetX);
    expectShiftedBy(info[kSlotAltitude].OffsetX);
    EXPECT_TRUE(Chart().Automatic(TAxisId::Climb));
}

TEST_F(ClimbCurveTest, TheCurveSurvivesZoomPanAndUndoZoomWhichMakesItSymmetricAgain)
{
    Open();
    Chart().Replot();
    // A hidden climb axis is left alone by zooming.
    QTest::mouseClick(TBZoomOut(), Qt::LeftButton);
    EXPECT_TRUE(Chart().Automatic(TAxisId::Climb));
    QTest::mouseClick(TBUndoZoom(), Qt::LeftButton);

    ClickClimb();
    Chart().Replot();
    const double m = LargestClimb(0);
    QTest::mouseClick(TBZoomOut(), Qt::LeftButton); // "Zoom in": 110 percent
    EXPECT_FALSE(Chart().Automatic(TAxisId::Climb));
    EXPECT_NEAR(Chart().Maximum(TAxisId::Climb), 0.8 * m, 1e-9);
    EXPECT_NEAR(Chart().Minimum(TAxisId::Climb), -0.8 * m, 1e-9);

    // A rectangle zooms the climb axis onto the values at its edges, as the other value axes.
    Chart().Replot();
    QWidget* plot = Chart().PlotArea();
    const QRect r = Chart().PlotRect();
    const QPoint a = r.topLeft() + QPoint(r.width() / 4, r.height() / 5);
    const QPoint b = r.topLeft() + QPoint(r.width() / 2, r.height() / 2);
    const double lo = Chart().ValueAtPixel(TAxisId::Climb, b.y());
    const double hi = Chart().ValueAtPixel(TAxisId::Climb, a.y());
    QTest::mousePress(plot, Qt::LeftButton, {}, a);
    QTest::mouseMove(plot, b);
    QTest::mouseRelease(plot, Qt::LeftButton, {}, b);
    EXPECT_NEAR(Chart().Minimum(TAxisId::Climb), lo, 1e-9);
    EXPECT_NEAR(Chart().Maximum(TAxisId::Climb), hi, 1e-9);
    EXPECT_TRUE(Climb(0).Active());
    Chart().Replot();
    EXPECT_GT(Climb(0).PlottedCount(), 0);

    // The vertical scroll bar moves it with the other value axes, keeping its span.
    ASSERT_TRUE(ScrollBar2()->isEnabled());
    const double span = hi - lo;
    ScrollBar2()->setValue(ScrollBar2()->value() > 50 ? 10 : 90);
    EXPECT_NEAR(Chart().Maximum(TAxisId::Climb) - Chart().Minimum(TAxisId::Climb), span, 1e-9);
    EXPECT_GT(std::fabs(Chart().Maximum(TAxisId::Climb) - hi), span / 10);
    Chart().SetMinMax(TAxisId::Climb, lo, hi);

    // Panning up moves it along with the altitude axis.
    Chart().Replot();
    ASSERT_TRUE(Page->SpaceDown());
    const QPoint c = Chart().PlotRect().center();
    const double perPixel = Chart().ValueAtPixel(TAxisId::Climb, c.y()) -
                            Chart().ValueAtPixel(TAxisId::Climb, c.y() + 1);
    QTest::mousePress(plot, Qt::LeftButton, {}, c);
    QTest::mouseMove(plot, c + QPoint(0, 40));
    QTest::mouseRelease(plot, Qt::LeftButton, {}, c + QPoint(0, 40));
    Page->SpaceUp();
    EXPECT_NEAR(Chart().Maximum(TAxisId::Climb), hi + 40 * perPixel, 1e-6);

    QTest::mouseClick(TBUndoZoom(), Qt::LeftButton);
    EXPECT_TRUE(Chart().Automatic(TAxisId::Climb));
    EXPECT_DOUBLE_EQ(Chart().Maximum(TAxisId::Climb), m);
    EXPECT_DOUBLE_EQ(Chart().Minimum(TAxisId::Climb), -m);
    EXPECT_TRUE(Climb(0).Active());
}

TEST_F(ClimbCurveTest, TheReadoutShowsTheClimbRateAtThePointer)
{
    Open();
    Chart().Replot();
    QWidget* plot = Chart().PlotArea();
    const QPoint p = Chart().PlotRect().topLeft() + QPoint(100, 60);
    QTest::mouseMove(plot, p);
    EXPECT_FALSE(LabelPos()->text().contains("m/s"));

    ClickClimb();
    Chart().Replot();
    QTest::mouseMove(plot, p + QPoint(1, 0));
    const double climb = Chart().ValueAtPixel(TAxisId::Climb, p.y());
    ASSERT_GT(climb, 0);
    const QString expected = QString::fromStdString("  " + FormatDisplay(climb, 1, '.') + "m/s ]");
    EXPECT_TRUE(LabelPos()->text().endsWith(expected)) << LabelPos()->text().toStdString();
    EXPECT_TRUE(LabelPos()->text().contains("m  "));
}

// With every channel and the climb rate the readout no longer fits beside the buttons of a
// narrow page: it stands below the chart, whole, and goes back as the page widens.
TEST_F(ClimbCurveTest, TheReadoutMovesBelowTheChartRatherThanBeingCutOff)
{
    Open();
    Show(0, 2);
    Show(0, 3);
    ClickClimb();
    Page->resize(1600, 600);
    QApplication::processEvents();
    EXPECT_FALSE(Page->ReadoutBelowChart());
    EXPECT_EQ(LabelPos()->parentWidget(), Page.get());

    Page->resize(700, 600); // the toolbar takes the readout without servo, voltage and climb
    QApplication::processEvents();
    ASSERT_TRUE(Page->ReadoutBelowChart());
    EXPECT_EQ(LabelPos()->parentWidget(), Chart().parentWidget());
    EXPECT_GT(LabelPos()->geometry().top(), ScrollBar1()->geometry().bottom());
    EXPECT_LT(LabelPos()->geometry().right(), CheckBox_RxCenter()->geometry().left());
    const QRect plot = Chart().PlotRect();
    QTest::mouseMove(Chart().PlotArea(), plot.center());
    const QString text = LabelPos()->text();
    EXPECT_TRUE(text.endsWith("m/s ]")) << text.toStdString();
    EXPECT_GE(LabelPos()->contentsRect().width(),
              LabelPos()->fontMetrics().horizontalAdvance(text));
    // Moving the pointer changes the text, not where the readout stands.
    const QRect placed = LabelPos()->geometry();
    QTest::mouseMove(Chart().PlotArea(), plot.topLeft() + QPoint(3, 3));
    QApplication::processEvents();
    EXPECT_NE(LabelPos()->text(), text);
    EXPECT_EQ(LabelPos()->geometry(), placed);

    // Without the climb rate, servo and voltage the shorter readout fits the toolbar again.
    ClickClimb();
    Hide(0, 2);
    Hide(0, 3);
    QApplication::processEvents();
    EXPECT_FALSE(Page->ReadoutBelowChart());
    EXPECT_EQ(LabelPos()->parentWidget(), Page.get());
    EXPECT_EQ(LabelPos()->geometry().center().y(),
              test::Named<QToolBar>(*Page, "ToolBarGraf")->geometry().center().y());
}

// Pixels of a colour in the image, within `area`.
int CountOf(const QImage& image, const QRect& area, QRgb colour)
{
    int n = 0;
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x)
            n += (image.pixel(x, y) & 0xFFFFFF) == (colour & 0xFFFFFF);
    return n;
}

TEST_F(ClimbCurveTest, PicturesAndExportsShowTheCurveTheZeroLineAndTheAxis)
{
    Open();
    Chart().Replot();
    const QRect plot = Chart().PlotRect();
    const QRgb colour = Climb(0).Color().rgb();
    const QImage without = Chart().ToImage();
    ClickClimb();
    Chart().Replot();
    const QImage with = Chart().ToImage();
    const QRect inner = Chart().PlotRect().adjusted(2, 2, -2, -2);
    EXPECT_GT(CountOf(with, inner, colour), CountOf(without, plot.adjusted(2, 2, -2, -2), colour));
    // The dashed zero line across the plot, at 0 on the climb axis.
    const int zero = static_cast<int>(std::lround(Chart().PixelOfValue(TAxisId::Climb, 0)));
    EXPECT_GT(CountOf(with, QRect(inner.left(), zero, inner.width(), 1), qRgb(0x80, 0x80, 0x80)),
              inner.width() / 4);

    const QString svgName = Dir.filePath("climb.svg");
    ASSERT_EQ(WriteGraphFile(Source(), svgName), QString());
    QFile svg(svgName);
    ASSERT_TRUE(svg.open(QIODevice::ReadOnly));
    const QByteArray bytes = svg.readAll();
    EXPECT_TRUE(bytes.contains("Climb (m/s)"));

    ClickClimb();
    ASSERT_EQ(WriteGraphFile(Source(), svgName), QString());
    QFile again(svgName);
    ASSERT_TRUE(again.open(QIODevice::ReadOnly));
    EXPECT_FALSE(again.readAll().contains("Climb (m/s)"));
}

} // namespace
} // namespace zirko
