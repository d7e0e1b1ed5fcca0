// The flights' events on the chart: a band per motor run of each shown flight, the start height
// marked, the climb phases tinted, all following zoom, panning, the time offset and exports.
#include "GraphPageFixture.h"
#include "gui/graph/GraphExport.h"

#include <QImage>
#include <QPainter>
#include <QScrollBar>
#include <QToolButton>

#include <cmath>
#include <utility>
#include <vector>

namespace zirko {
namespace {

using TStretches = std::vector<std::pair<double, double>>;

// 200 s at 10 samples a second: on the ground at 100 m until the first motor run, 5 m/s up while
// the motor runs, 1.5 m/s up in the thermals, else 0.5 m/s down.
TDataBlock Glider(const TStretches& runs, const TStretches& thermals = {})
{
    auto within = [](const TStretches& stretches, double t) {
        for (const auto& [from, to] : stretches)
            if (t >= from - 1e-9 && t < to - 1e-9)
                return true;
        return false;
    };
    TDataBlock f;
    f.DateText = "9.12.2026 8:00:00";
    f.Sampling = 10;
    f.ChannelMask = kMaskAltitude | kMaskRx | kMaskVoltage;
    double height = 100;
    for (int i = 0; i <= 2000; ++i) {
        const double t = i / 10.0;
        const bool motor = within(runs, t);
        f.Time.push_back(t);
        f.Altitude.push_back(height);
        f.Rx.push_back(motor ? 100 : -100);
        f.Voltage.push_back(motor ? 3.9 : 4.1);
        const double rate = motor                    ? 5
                            : t < runs.front().first ? 0
                            : within(thermals, t)    ? 1.5
                                                     : -0.5;
        height = std::max(100.0, height + rate * 0.1);
    }
    return f;
}

class MotorBandsTest : public GraphPageTest {
protected:
    // Flight 0: runs 10–30 s and 100–105 s; flight 1: 50–60 s; flight 2: 20–40 s, nothing shown.
    void OpenThree()
    {
        OpenRecord(Glider({{10, 30}, {100, 105}}, {{140, 180}}));
        OpenRecord(Glider({{50, 60}}));
        OpenRecord(Glider({{20, 40}}));
        Hide(2, 1);
    }
    std::vector<QRect> Bands(int row, TBandKind kind) const
    {
        std::vector<QRect> bands;
        for (const auto& band : Page->Plot().EventBands())
            if (band.Row == row && band.Kind == kind)
                bands.push_back(band.Rect);
        return bands;
    }
    std::vector<QRect> Motor(int row) const { return Bands(row, TBandKind::Motor); }
    int X(double t)
    {
        return static_cast<int>(std::lround(Chart().PixelOfValue(TAxisId::Bottom, t)));
    }
    // The band spans the run's times, to the pixel.
    void ExpectBand(const QRect& band, double from, double to)
    {
        EXPECT_NEAR(band.left(), X(from), 1);
        EXPECT_NEAR(band.right(), X(to), 1);
        EXPECT_EQ(band.top(), Chart().PlotRect().top());
        EXPECT_EQ(band.bottom(), Chart().PlotRect().bottom());
    }
    // Pixels of the plot's top rows in column x that differ between two pictures: the curves stay
    // below them.
    static int Tinted(const QImage& image, const QImage& plain, int x, const QRect& plot)
    {
        int tinted = 0;
        for (int y = plot.top() + 2; y < plot.top() + 12; ++y)
            tinted += image.pixel(x, y) != plain.pixel(x, y);
        return tinted;
    }
    TChartSource Source()
    {
        TChart* chart = &Chart();
        return {[chart](QPainter& p, const QRect& target) { chart->RenderTo(p, target); },
                chart->size()};
    }
};

TEST_F(MotorBandsTest, TheMotorSwitchDrawsABandPerRunOfEachShownFlightAndItsStartHeight)
{
    OpenThree();
    EXPECT_EQ(TBMotor()->text(), "Motor");
    EXPECT_FALSE(Page->Plot().MotorShown());
    Chart().Replot();
    EXPECT_TRUE(Page->Plot().EventBands().empty());
    EXPECT_TRUE(Page->Plot().StartMarks().empty());
    const QRect plot = Chart().PlotRect();
    const QImage without = Chart().ToImage();

    QTest::mouseClick(TBMotor(), Qt::LeftButton);
    ASSERT_TRUE(Page->Plot().MotorShown());
    ASSERT_EQ(Motor(0).size(), 2u);
    ExpectBand(Motor(0)[0], 10, 30);
    ExpectBand(Motor(0)[1], 100, 105);
    ASSERT_EQ(Motor(1).size(), 1u);
    ExpectBand(Motor(1)[0], 50, 60);
    EXPECT_TRUE(Motor(2).empty()); // nothing of it is shown
    EXPECT_TRUE(Bands(0, TBandKind::Climb).empty());

    // The start height: 100 m over the ground at the cut, marked on the altitude curve, and the
    // line where its window ends, 10 s after the first run.
    ASSERT_EQ(Page->Plot().StartMarks().size(), 2u);
    const TStartMark& mark = Page->Plot().StartMarks()[0];
    EXPECT_EQ(mark.Row, 0);
    EXPECT_EQ(mark.Text, "100.0 m");
    EXPECT_NEAR(mark.At.x(), X(30), 1);
    EXPECT_NEAR(mark.At.y(), Chart().PixelOfValue(TAxisId::Left, 200), 1);
    EXPECT_NEAR(mark.WindowEndX, X(40), 1);
    EXPECT_EQ(Page->Plot().StartMarks()[1].Text, "50.0 m");

    // The picture of the chart carries the bands.
    const QImage with = Chart().ToImage();
    EXPECT_EQ(Tinted(with, without, X(20), plot), 10);
    EXPECT_EQ(Tinted(with, without, X(80), plot), 0); // between the runs

    QTest::mouseClick(TBMotor(), Qt::LeftButton);
    EXPECT_FALSE(Page->Plot().MotorShown());
    EXPECT_TRUE(Page->Plot().EventBands().empty());
    EXPECT_TRUE(Page->Plot().StartMarks().empty());
}

TEST_F(MotorBandsTest, BandsFollowZoomPanTheTimeOffsetAndExports)
{
    OpenThree();
    Page->Plot().SetMotorShown(true);
    Chart().Replot();
    ASSERT_EQ(Motor(0).size(), 2u);

    // Showing the second run zooms onto it with a margin: its band fills most of the plot.
    Page->ShowFlightStretch(0, 100, 105);
    EXPECT_FALSE(Chart().Automatic(TAxisId::Bottom));
    EXPECT_DOUBLE_EQ(Chart().Minimum(TAxisId::Bottom), 98);
    EXPECT_DOUBLE_EQ(Chart().Maximum(TAxisId::Bottom), 107);
    ASSERT_EQ(Motor(0).size(), 1u);
    ExpectBand(Motor(0)[0], 100, 105);
    EXPECT_GT(Motor(0)[0].width(), Chart().PlotRect().width() / 2);
    EXPECT_TRUE(Motor(1).empty());
    EXPECT_TRUE(ScrollBar1()->isEnabled());

    // Panning to 40–70 s brings flight 1's run into view.
    Chart().SetMinMax(TAxisId::Bottom, 40, 70);
    Chart().Replot();
    EXPECT_TRUE(Motor(0).empty());
    ASSERT_EQ(Motor(1).size(), 1u);
    ExpectBand(Motor(1)[0], 50, 60);

    // A time offset moves the flight's bands with its curves.
    QTest::mouseClick(TBUndoZoom(), Qt::LeftButton);
    Chart().Replot();
    Page->Offsets().LoadShiftControls(0);
    Type(EditShiftX(), "5");
    Chart().Replot();
    ASSERT_EQ(Motor(0).size(), 2u);
    ExpectBand(Motor(0)[0], 15, 35);
    ExpectBand(Motor(0)[1], 105, 110);
    ASSERT_FALSE(Page->Plot().StartMarks().empty());
    EXPECT_NEAR(Page->Plot().StartMarks()[0].WindowEndX, X(45), 1);

    // The exported picture has them too.
    Page->Plot().SetMotorShown(false);
    const QImage plain = Chart().ToImage();
    Page->Plot().SetMotorShown(true);
    const QString png = Dir.filePath("motor.png");
    ASSERT_EQ(WriteGraphFile(Source(), png), QString());
    QImage file(png);
    ASSERT_FALSE(file.isNull());
    ASSERT_EQ(file.size(), plain.size());
    file = file.convertToFormat(plain.format());
    EXPECT_EQ(Tinted(file, plain, X(25), Chart().PlotRect()), 10);
    EXPECT_EQ(Tinted(file, plain, X(12), Chart().PlotRect()), 0); // before the moved run
}

TEST_F(MotorBandsTest, ThePhasesSwitchTintsTheClimbPhases)
{
    OpenThree();
    QTest::mouseClick(TBPhases(), Qt::LeftButton);
    ASSERT_TRUE(Page->Plot().PhasesShown());
    EXPECT_TRUE(Motor(0).empty());
    std::vector<const TFlightPhase*> climbs;
    for (const TFlightPhase& p : Host.Events(0)->Phases)
        if (p.Kind == TPhaseKind::Climb)
            climbs.push_back(&p);
    // The motor's own climb is a motor phase; the thermal is the climb.
    ASSERT_EQ(climbs.size(), 1u);
    EXPECT_NEAR(climbs[0]->Start, 140, 10);
    EXPECT_NEAR(climbs[0]->Stop, 180, 10);
    const auto tints = Bands(0, TBandKind::Climb);
    ASSERT_EQ(tints.size(), 1u);
    ExpectBand(tints[0], climbs[0]->Start, climbs[0]->Stop);
    // Flight 1 glides only after its run.
    EXPECT_TRUE(Bands(1, TBandKind::Climb).empty());

    // Both switches: the tint and the bands.
    QTest::mouseClick(TBMotor(), Qt::LeftButton);
    EXPECT_EQ(Motor(0).size(), 2u);
    EXPECT_EQ(Bands(0, TBandKind::Climb).size(), 1u);
}

TEST_F(MotorBandsTest, TheValuesBoxSaysMotorWhereTheMotorRuns)
{
    OpenThree();
    Show(1, 2);
    Chart().Replot();
    auto motorAt = [this](double t) {
        std::vector<bool> motor;
        for (const auto& line : Page->Measure().PointerBox().LinesAt(X(t)))
            motor.push_back(line.Motor);
        return motor;
    };
    EXPECT_EQ(motorAt(20), (std::vector<bool>{true, false}));
    EXPECT_EQ(motorAt(55), (std::vector<bool>{false, true}));
    EXPECT_EQ(motorAt(80), (std::vector<bool>{false, false}));
}

} // namespace
} // namespace zirko
