// The box of values at the pointer that goes with the crosshair, driven by real mouse and key
// events over the graph page.
#include "core/app/NumberFormat.h"
#include "gui/graph/GraphPageFixture.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QToolButton>

namespace zirko {
namespace {

QString Text(const std::string& s)
{
    return QString::fromStdString(s);
}

QString Value(double v, int decimals, const char* unit)
{
    return Text(FormatDisplay(v, decimals, '.') + unit);
}

const QString kDash = QString::fromUtf8(kNoValue);

class PointerPanelTest : public GraphPageTest {
protected:
    QWidget* Plot() { return Chart().PlotArea(); }
    QPoint At(double fx, double fy)
    {
        const QRect r = Chart().PlotRect();
        return r.topLeft() +
               QPoint(static_cast<int>(r.width() * fx), static_cast<int>(r.height() * fy));
    }
    double TimeAt(const QPoint& p) { return Chart().ValueAtPixel(TAxisId::Bottom, p.x()); }
    void CrosshairOn()
    {
        QTest::mouseClick(TBCrossHair(), Qt::LeftButton);
        ASSERT_TRUE(TBCrossHair()->isChecked());
    }
    // The test flights have one sample a second from 0 to 100 s.
    static size_t SampleOf(double flightTime)
    {
        return static_cast<size_t>(std::clamp(std::lround(flightTime), 0L, 100L));
    }
    const TDataBlock& Flight(int row) { return *Host.Flights[static_cast<size_t>(row)]; }
    QImage PanelPixels(const QRect& rect) { return Plot()->grab().toImage().copy(rect); }
};

TEST_F(PointerPanelTest, OneLinePerShownFlightWithTheValuesOfItsNearestSample)
{
    Open();
    Open();
    Open();
    Show(0, 2);                                 // flight 0: altitude and servo
    Show(1, 3);                                 // flight 1: altitude and voltage
    Host.Channels[{1, 2}] = TChannelState::Off; // flight 2 shows nothing
    Page->Plot().ShowChannel(2, 1, false);
    QTest::mouseClick(TBClimb(), Qt::LeftButton);
    Chart().Replot();
    CrosshairOn();
    const QPoint p = At(0.37, 0.6);
    QTest::mouseMove(Plot(), p);
    ASSERT_EQ(Page->Measure().PointerBox().Lines.size(), 2u);

    const size_t i = SampleOf(TimeAt(p));
    const auto& l0 = Page->Measure().PointerBox().Lines[0];
    EXPECT_EQ(l0.Row, 0);
    EXPECT_EQ(l0.Name, "f0");
    EXPECT_EQ(l0.Color, Page->Plot().SeriesOf(0, kSlotAltitude)->Color());
    EXPECT_EQ(l0.Values[0], Value(Flight(0).Time[i], 1, " s"));
    EXPECT_EQ(l0.Values[1], Value(Flight(0).Altitude[i], 1, " m"));
    EXPECT_EQ(l0.Values[2], Value(Flight(0).Rx[i], 1, " %"));
    EXPECT_EQ(l0.Values[3], kDash);
    EXPECT_EQ(l0.Values[4], Value(Host.ClimbRate(0)[i], 1, " m/s"));
    const auto& l1 = Page->Measure().PointerBox().Lines[1];
    EXPECT_EQ(l1.Row, 1);
    EXPECT_NE(l1.Color, l0.Color);
    EXPECT_EQ(l1.Values[2], kDash);
    EXPECT_EQ(l1.Values[3], Value(Flight(1).Voltage[i], 2, " V"));

    // The box stands in the plot, away from the pointer, and follows the next move.
    const QRect plot = Chart().PlotRect();
    EXPECT_TRUE(plot.contains(Page->Measure().PointerBox().Rect));
    EXPECT_FALSE(Page->Measure().PointerBox().Rect.contains(p));
    const QPoint q = At(0.81, 0.6);
    QTest::mouseMove(Plot(), q);
    const size_t j = SampleOf(TimeAt(q));
    ASSERT_NE(i, j);
    EXPECT_EQ(Page->Measure().PointerBox().Lines[0].Values[1],
              Value(Flight(0).Altitude[j], 1, " m"));

    // Under the box's place the box moves to another corner, at the top while it can.
    const QRect box = Page->Measure().PointerBox().Rect;
    QTest::mouseMove(Plot(), box.center());
    EXPECT_TRUE(plot.contains(Page->Measure().PointerBox().Rect));
    EXPECT_FALSE(Page->Measure().PointerBox().Rect.contains(box.center()));
    EXPECT_EQ(Page->Measure().PointerBox().Rect.top(), box.top());
    // A box as wide as the plot goes to the bottom.
    for (int r = 0; r < 2; ++r)
        Host.Names[static_cast<size_t>(r)] = QString(60, 'n');
    QTest::mouseMove(Plot(), At(0.5, 0.05));
    ASSERT_GT(Page->Measure().PointerBox().Rect.width(), plot.width() / 2);
    EXPECT_TRUE(plot.contains(Page->Measure().PointerBox().Rect));
    EXPECT_FALSE(Page->Measure().PointerBox().Rect.contains(At(0.5, 0.05)));
    EXPECT_GT(Page->Measure().PointerBox().Rect.top(), plot.center().y());

    // Without its curve the climb rate is not read.
    QTest::mouseClick(TBClimb(), Qt::LeftButton);
    QTest::mouseMove(Plot(), q + QPoint(0, 2));
    EXPECT_EQ(Page->Measure().PointerBox().Lines[0].Values[4], kDash);
    EXPECT_EQ(Page->Measure().PointerBox().Lines[1].Values[4], kDash);
}

TEST_F(PointerPanelTest, OffsetsMoveTheSampleAndTheValuesAndSwitchingThemOffTakesThemOut)
{
    Open({.RxOffsetY = 2.5});
    Show(0, 2);
    Show(0, 3);
    Page->Offsets().LoadShiftControls(0);
    Type(EditShiftX(), "20");
    Type(EditShiftY(), "-30"); // the altitude's
    ComboBoxShiftAxis()->setCurrentIndex(2);
    Page->Offsets().ComboBoxShiftAxisChange();
    Type(EditShiftY(), "0.5"); // the voltage's
    QTest::mouseClick(TBClimb(), Qt::LeftButton);
    Chart().Replot();
    CrosshairOn();
    const QPoint p = At(0.5, 0.5);
    QTest::mouseMove(Plot(), p);
    ASSERT_EQ(Page->Measure().PointerBox().Lines.size(), 1u);
    const size_t i = SampleOf(TimeAt(p) - 20);
    const auto& on = Page->Measure().PointerBox().Lines[0].Values;
    EXPECT_EQ(on[0], Value(Flight(0).Time[i], 1, " s")); // the flight's own time
    EXPECT_EQ(on[1], Value(Flight(0).Altitude[i] - 30, 1, " m"));
    EXPECT_EQ(on[2], Value(Flight(0).Rx[i] + 2.5, 1, " %"));
    EXPECT_EQ(on[3], Value(Flight(0).Voltage[i] + 0.5, 2, " V"));
    EXPECT_EQ(on[4], Value(Host.ClimbRate(0)[i], 1, " m/s"));
    EXPECT_FALSE(Page->Measure().PointerBox().Lines[0].Outside);
    // Before the shifted flight begins: its first sample, marked as beyond its ends.
    Chart().SetMinMax(TAxisId::Bottom, 0, 130);
    const QPoint early = At(0.02, 0.5);
    ASSERT_LT(TimeAt(early), 19);
    QTest::mouseMove(Plot(), early);
    EXPECT_TRUE(Page->Measure().PointerBox().Lines[0].Outside);
    EXPECT_EQ(Page->Measure().PointerBox().Lines[0].Values[0], Value(0, 1, " s"));

    QTest::mouseClick(CheckBoxShift(), Qt::LeftButton);
    ASSERT_FALSE(CheckBoxShift()->isChecked());
    const QPoint q = p + QPoint(1, 0);
    QTest::mouseMove(Plot(), q);
    const size_t k = SampleOf(TimeAt(q));
    const auto& off = Page->Measure().PointerBox().Lines[0].Values;
    EXPECT_EQ(off[0], Value(Flight(0).Time[k], 1, " s"));
    EXPECT_EQ(off[1], Value(Flight(0).Altitude[k], 1, " m"));
    EXPECT_EQ(off[2], Value(Flight(0).Rx[k], 1, " %"));
    EXPECT_EQ(off[3], Value(Flight(0).Voltage[k], 2, " V"));
}

TEST_F(PointerPanelTest, TheServoReadsAsTheChartDrawsItOnTheDeflectionRange)
{
    Host.Deflection = true; // -5..5
    Open();
    Show(0, 2);
    Chart().Replot();
    CrosshairOn();
    const QPoint p = At(0.25, 0.5);
    QTest::mouseMove(Plot(), p);
    ASSERT_EQ(Page->Measure().PointerBox().Lines.size(), 1u);
    const size_t i = SampleOf(TimeAt(p));
    EXPECT_EQ(Page->Measure().PointerBox().Lines[0].Values[2],
              Value(Flight(0).Rx[i] * 0.05, 1, ""));
}

TEST_F(PointerPanelTest, TheBoxGoesWithTheCrosshairAndLeavesTheChartAsItWas)
{
    Open();
    Show(0, 2);
    Chart().Replot();
    const QPoint p = At(0.3, 0.7);
    QTest::mouseMove(Plot(), p);
    EXPECT_TRUE(Page->Measure().PointerBox().Lines.empty()); // crosshair off: no box
    CrosshairOn();
    QTest::mouseMove(Plot(), p + QPoint(1, 1));
    ASSERT_EQ(Page->Measure().PointerBox().Lines.size(), 1u);
    const QRect box = Page->Measure().PointerBox().Rect;
    ASSERT_FALSE(box.isNull());
    const QImage shown = PanelPixels(box);

    QTest::mouseClick(TBCrossHair(), Qt::LeftButton);
    EXPECT_TRUE(Page->Measure().PointerBox().Lines.empty());
    EXPECT_TRUE(Page->Measure().PointerBox().Rect.isNull());
    const QImage gone = PanelPixels(box);
    EXPECT_NE(shown, gone);

    // Leaving the plot hides it as well, and coming back shows it again.
    CrosshairOn();
    QTest::mouseMove(Plot(), p);
    ASSERT_FALSE(Page->Measure().PointerBox().Lines.empty());
    QTest::mouseMove(Plot(), Chart().PlotRect().topLeft() - QPoint(3, 3));
    EXPECT_TRUE(Page->Measure().PointerBox().Lines.empty());
    EXPECT_EQ(PanelPixels(box), gone);
    QTest::mouseMove(Plot(), p);
    EXPECT_EQ(Page->Measure().PointerBox().Lines.size(), 1u);
    QEvent leave(QEvent::Leave);
    QApplication::sendEvent(Plot(), &leave);
    EXPECT_TRUE(Page->Measure().PointerBox().Lines.empty());
    EXPECT_EQ(Page->Measure().CrossX, -1);
}

TEST_F(PointerPanelTest, EightFlightsFitWholeInThePlotAlsoWithALargerFontOrANarrowPage)
{
    for (int r = 0; r < 8; ++r) {
        Open();
        Show(r, 2);
        Show(r, 3);
        Host.Names[static_cast<size_t>(r)] = QString("2026-12-08 flight %1 long name").arg(r);
    }
    Chart().Replot();
    CrosshairOn();
    const QFont normal = Page->font();
    int move = 0;
    auto showAt = [&](double scale) {
        QFont font = normal;
        font.setPointSizeF(font.pointSizeF() * scale);
        Chart().setFont(font);
        QTest::mouseMove(Plot(), At(0.2 + 0.05 * move++, 0.8));
        ASSERT_EQ(Page->Measure().PointerBox().Lines.size(), 8u);
        EXPECT_TRUE(Chart().PlotRect().contains(Page->Measure().PointerBox().Rect))
            << "scale " << scale << ": box " << Page->Measure().PointerBox().Rect.width() << "x"
            << Page->Measure().PointerBox().Rect.height() << " in a plot "
            << Chart().PlotRect().width();
    };
    showAt(1.0);
    const QRect normalBox = Page->Measure().PointerBox().Rect;
    showAt(1.25);
    // Measured afresh with the font.
    EXPECT_GT(Page->Measure().PointerBox().Rect.width(), normalBox.width());
    EXPECT_GT(Page->Measure().PointerBox().Rect.height(), normalBox.height());

    // With room to spare every name is shown whole.
    ASSERT_EQ(Page->Measure().PointerBox().NamesShown.size(), 8u);
    for (size_t r = 0; r < 8; ++r)
        EXPECT_EQ(Page->Measure().PointerBox().NamesShown[r], Host.Names[r]);

    // On a narrow page the names give way, the values stay whole.
    Page->resize(560, 600);
    Chart().Replot();
    QApplication::processEvents();
    showAt(1.25);
    EXPECT_LT(Page->Measure().PointerBox().Rect.width(), normalBox.width());
    ASSERT_EQ(Page->Measure().PointerBox().NamesShown.size(), 8u);
    EXPECT_NE(Page->Measure().PointerBox().NamesShown[0], Host.Names[0]);
}

} // namespace
} // namespace zirko
