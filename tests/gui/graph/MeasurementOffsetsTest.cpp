// Measurement mode, crosshair and the offset controls of the graph page, driven by real mouse and
// key events.
#include "core/app/NumberFormat.h"
#include "gui/graph/GraphPageFixture.h"
#include "gui/graph/ReadingsGrid.h"
#include "support/EntryInput.h"

#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QSignalSpy>
#include <QSlider>
#include <QToolButton>

#include <algorithm>

namespace zirko {
namespace {

std::string Fmt(double v)
{
    return FormatDisplay(v, 1, '.');
}

double Num(const std::string& text)
{
    return ParseUserNumberDef(text, '.', 0);
}

class MeasurementTest : public GraphPageTest {
protected:
    QWidget* Plot() { return Chart().PlotArea(); }
    const TReadingsTable& Table() { return StringGridOdecet()->Table; }
    std::string Cell(int row, int col) { return Table().Cell(row, col); }
    QPoint At(double fx, double fy)
    {
        const QRect r = Chart().PlotRect();
        return r.topLeft() +
               QPoint(static_cast<int>(r.width() * fx), static_cast<int>(r.height() * fy));
    }
    void Drag(QPoint from, QPoint to, Qt::KeyboardModifiers releaseModifiers = {})
    {
        QTest::mousePress(Plot(), Qt::LeftButton, {}, from);
        QTest::mouseMove(Plot(), (from + to) / 2);
        QTest::mouseMove(Plot(), to);
        QTest::mouseRelease(Plot(), Qt::LeftButton, releaseModifiers, to);
    }
};

// What sits beside the readings table hears of each FROM and TO as the table gets them.
TEST_F(MeasurementTest, TheToolTellsTheReadingsItPutsInTheTable)
{
    Open();
    Chart().Replot();
    QTest::mouseClick(TBGrafRead(), Qt::LeftButton);
    std::vector<double> started;
    std::vector<std::pair<double, double>> measured;
    QObject scope;
    QObject::connect(&Page->Measure(), &TMeasureTool::MeasureStarted, &scope,
                     [&](const TReadingValues& from) { started.push_back(from.Time); });
    QObject::connect(&Page->Measure(), &TMeasureTool::Measured, &scope,
                     [&](const TReadingValues& from, const TReadingValues& to) {
                         measured.emplace_back(from.Time, to.Time);
                     });
    const QPoint from = At(0.2, 0.5);
    const QPoint to = At(0.6, 0.5);
    Drag(from, to);
    const double t0 = Chart().ValueAtPixel(TAxisId::Bottom, from.x());
    ASSERT_EQ(started.size(), 1u);
    EXPECT_DOUBLE_EQ(started[0], t0);
    // Two moves and the release.
    ASSERT_EQ(measured.size(), 3u);
    EXPECT_DOUBLE_EQ(measured.back().first, t0);
    EXPECT_DOUBLE_EQ(measured.back().second, Chart().ValueAtPixel(TAxisId::Bottom, to.x()));
    EXPECT_EQ(Cell(2, 1), Fmt(measured.back().second));
}

TEST_F(MeasurementTest, RightToLeftDragFillsTheTableWithNegativeTimeAndTwoMarkers)
{
    Open();
    Show(0, 3); // voltage shown, servo not
    Chart().Replot();
    QTest::mouseClick(TBGrafRead(), Qt::LeftButton);
    ASSERT_TRUE(TBGrafRead()->isChecked());
    const double tMin = Chart().Minimum(TAxisId::Bottom);
    const double tMax = Chart().Maximum(TAxisId::Bottom);
    const QPoint from = At(0.8, 0.2);
    const QPoint to = At(0.3, 0.7);
    const double t0 = Chart().ValueAtPixel(TAxisId::Bottom, from.x());
    const double t1 = Chart().ValueAtPixel(TAxisId::Bottom, to.x());
    const double a0 = Chart().ValueAtPixel(TAxisId::Left, from.y());
    const double a1 = Chart().ValueAtPixel(TAxisId::Left, to.y());
    const double v1 = Chart().ValueAtPixel(TAxisId::Voltage, to.y());
    Drag(from, to);

    // No zoom happened: the press belonged to the measurement.
    EXPECT_DOUBLE_EQ(Chart().Minimum(TAxisId::Bottom), tMin);
    EXPECT_DOUBLE_EQ(Chart().Maximum(TAxisId::Bottom), tMax);
    EXPECT_EQ(Cell(1, 1), Fmt(t0));
    EXPECT_EQ(Cell(2, 1), Fmt(t1));
    EXPECT_EQ(Cell(1, 2), Fmt(a0));
    EXPECT_EQ(Cell(2, 2), Fmt(a1));
    EXPECT_EQ(Cell(2, 4), Fmt(v1));
    EXPECT_EQ(Cell(1, 3), "");
    EXPECT_EQ(Cell(2, 3), "");
    EXPECT_EQ(Cell(3, 3), "");
    EXPECT_EQ(Cell(4, 3), "");
    EXPECT_EQ(Cell(4, 1), "x");
    // Differences and rates come from the rounded texts in the table.
    const double dt = Num(Cell(2, 1)) - Num(Cell(1, 1));
    const double da = Num(Cell(2, 2)) - Num(Cell(1, 2));
    EXPECT_LT(dt, 0);
    EXPECT_EQ(Cell(3, 1), Fmt(dt));
    EXPECT_EQ(Cell(3, 2), Fmt(da));
    EXPECT_EQ(Cell(4, 2), FormatDisplay(Num(Cell(3, 2)) / Num(Cell(3, 1)), 3, '.'));
    EXPECT_GT(Num(Cell(4, 2)), 0); // altitude fell while time went back
    // Start and end markers, with their altitude labels.
    ASSERT_EQ(Page->Measure().Markers().Count(), 2);
    EXPECT_NEAR(Page->Measure().Markers().X(1), t1, 1e-9);
    EXPECT_NEAR(Page->Measure().Markers().Y(1), a1, 1e-9);
    EXPECT_FALSE(Page->Measure().Markers().LabelText(1).isEmpty());
    // The band is gone after the release.
    EXPECT_EQ(Page->Measure().MeasureRect.Left, INT_MAX);
    EXPECT_TRUE(LabelPos()->text().contains("V"));
    EXPECT_FALSE(LabelPos()->text().contains("%"));
}

TEST_F(MeasurementTest, StartMarkerAndBandStartWhereFromWasRead)
{
    Open();
    Chart().Replot();
    TBGrafRead()->setChecked(true);
    const QPoint from = At(0.3, 0.3);
    const QPoint first = At(0.5, 0.6); // the first move lands far from the press
    QTest::mousePress(Plot(), Qt::LeftButton, {}, from);
    QTest::mouseMove(Plot(), first);
    EXPECT_EQ(Page->Measure().MeasureRect.Left, from.x());
    EXPECT_EQ(Page->Measure().MeasureRect.Top, from.y());
    EXPECT_EQ(Page->Measure().MeasureRect.Right, first.x());
    ASSERT_EQ(Page->Measure().Markers().Count(), 1);
    // The marker stands at the FROM point and its label shows the FROM altitude.
    EXPECT_EQ(Fmt(Page->Measure().Markers().X(0)), Cell(1, 1));
    EXPECT_EQ(Fmt(Page->Measure().Markers().Y(0)), Cell(1, 2));
    EXPECT_EQ(Num(Page->Measure().Markers().LabelText(0).toStdString()), Num(Cell(1, 2)));
    QTest::mouseRelease(Plot(), Qt::LeftButton, {}, At(0.6, 0.7));
    EXPECT_EQ(Fmt(Page->Measure().Markers().Y(0)), Cell(1, 2));
    EXPECT_EQ(Fmt(Page->Measure().Markers().Y(1)), Cell(2, 2));
}

TEST_F(MeasurementTest, BandIsDrawnInBlackAndWhite)
{
    Open();
    Chart().Replot();
    TBGrafRead()->setChecked(true);
    const QPoint from = At(0.2, 0.3);
    const QPoint to = At(0.7, 0.8);
    QTest::mousePress(Plot(), Qt::LeftButton, {}, from);
    QTest::mouseMove(Plot(), to);
    const QImage image = Plot()->grab().toImage();
    int black = 0;
    int white = 0;
    for (int x = from.x() + 1; x < to.x(); ++x) {
        const QColor c = image.pixelColor(x, from.y());
        if (c == Qt::black)
            ++black;
        else if (c == Qt::white)
            ++white;
        else
            ADD_FAILURE() << "band pixel at x " << x << " is " << c.name().toStdString();
    }
    // Dots and gaps alternate along the edge, whatever lies under it.
    EXPECT_GT(black, (to.x() - from.x()) / 4);
    EXPECT_GT(white, (to.x() - from.x()) / 4);
    QTest::mouseRelease(Plot(), Qt::LeftButton, {}, to);
}

TEST_F(MeasurementTest, VerticalDragGivesHashRatesAndAClickOnlyTheFromRow)
{
    Open();
    Show(0, 2);
    Chart().Replot();
    TBGrafRead()->setChecked(true);
    Drag(At(0.5, 0.2), At(0.5, 0.8));
    EXPECT_EQ(Cell(3, 1), "0.0");
    EXPECT_EQ(Cell(4, 2), "#");
    EXPECT_EQ(Cell(4, 3), "#");
    EXPECT_EQ(Cell(4, 4), ""); // voltage not shown

    // A click without a move: FROM only, the old markers cleared and no new ones.
    QTest::mouseClick(Plot(), Qt::LeftButton, {}, At(0.2, 0.5));
    EXPECT_FALSE(Cell(1, 1).empty());
    EXPECT_EQ(Cell(2, 1), "");
    EXPECT_EQ(Cell(3, 2), "");
    EXPECT_EQ(Page->Measure().Markers().Count(), 0);
}

TEST_F(MeasurementTest, ReleaseWithCtrlKeepsTheBandAndTakesNoEndPoint)
{
    Open();
    Chart().Replot();
    TBGrafRead()->setChecked(true);
    Drag(At(0.2, 0.2), At(0.6, 0.6), Qt::ControlModifier);
    EXPECT_EQ(Page->Measure().Markers().Count(), 1);
    EXPECT_NE(Page->Measure().MeasureRect.Left, INT_MAX);
    // The next full redraw takes the band away.
    Chart().Replot();
    EXPECT_EQ(Page->Measure().MeasureRect.Left, INT_MAX);
}

TEST_F(MeasurementTest, WithoutMeasurementModeADragZoomsAndTheTableStays)
{
    Open();
    Chart().Replot();
    Drag(At(0.2, 0.2), At(0.6, 0.6));
    EXPECT_FALSE(Chart().Automatic(TAxisId::Bottom));
    EXPECT_EQ(Cell(1, 1), "");
    EXPECT_EQ(Page->Measure().Markers().Count(), 0);
}

TEST_F(MeasurementTest, CrosshairFollowsInsideThePlotAndAZoomClearsIt)
{
    Open();
    Chart().Replot();
    QTest::mouseMove(Plot(), At(0.5, 0.5));
    EXPECT_EQ(Page->Measure().CrossX, -1); // switch off
    TBCrossHair()->setChecked(true);
    const QPoint p = At(0.4, 0.3);
    QTest::mouseMove(Plot(), p);
    EXPECT_EQ(Page->Measure().CrossX, p.x());
    EXPECT_EQ(Page->Measure().CrossY, p.y());
    QTest::mouseMove(Plot(), Chart().PlotRect().topLeft() - QPoint(3, 3));
    EXPECT_EQ(Page->Measure().CrossX, -1);
    QTest::mouseMove(Plot(), p);
    QTest::mouseClick(TBZoomOut(), Qt::LeftButton);
    EXPECT_EQ(Page->Measure().CrossX, -1);
    // Switching the crosshair off takes it off the chart at once.
    const QPoint q = At(0.6, 0.6);
    QTest::mouseMove(Plot(), q);
    ASSERT_EQ(Page->Measure().CrossX, q.x());
    QTest::mouseClick(TBCrossHair(), Qt::LeftButton);
    EXPECT_EQ(Page->Measure().CrossX, -1);
}

TEST_F(MeasurementTest, PicturesOfTheChartLeaveOutBandAndCrosshair)
{
    Open();
    Chart().Replot();
    const QImage clean = Chart().ToImage();
    TBCrossHair()->setChecked(true);
    TBGrafRead()->setChecked(true);
    QTest::mousePress(Plot(), Qt::LeftButton, {}, At(0.2, 0.2));
    QTest::mouseMove(Plot(), At(0.4, 0.4));
    QTest::mouseMove(Plot(), At(0.6, 0.6));
    ASSERT_NE(Page->Measure().MeasureRect.Left, INT_MAX);
    ASSERT_NE(Page->Measure().CrossX, -1);
    Page->Measure().Markers().Clear(); // the start marker is part of the chart, not of the overlay
    EXPECT_EQ(Chart().ToImage(), clean);
    QTest::mouseRelease(Plot(), Qt::LeftButton, {}, At(0.6, 0.6));
}

TEST_F(MeasurementTest, TimesReadBackInTheUsersDecimalSeparator)
{
    Host.Separator = ',';
    Page = std::make_unique<TGraphPage>(Host);
    Page->resize(900, 600);
    Page->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(Page.get()));
    Open();
    Chart().SetMinMax(TAxisId::Bottom, 70, 80);
    Chart().Replot();
    TBGrafRead()->setChecked(true);
    QTest::mouseClick(Plot(), Qt::LeftButton, {}, At(0.5, 0.5));
    const std::string from = Cell(1, 1);
    ASSERT_NE(from.find(','), std::string::npos) << from;
    const std::string shown = ReadingDisplayText(1, 1, from, StringGridOdecet()->DecimalSeparator);
    EXPECT_EQ(shown.rfind("1 min ", 0), 0u) << shown;
    EXPECT_NE(shown.find(','), std::string::npos) << shown;
}

TEST_F(MeasurementTest, OverlayRedrawsDoNotReplotTheChart)
{
    Open();
    Chart().Replot();
    QApplication::processEvents();
    TBCrossHair()->setChecked(true);
    QSignalSpy drawn(&Chart(), &TChart::AfterDrawn);
    for (int i = 1; i < 10; ++i)
        QTest::mouseMove(Plot(), At(0.1 * i, 0.5));
    QApplication::processEvents();
    EXPECT_EQ(drawn.count(), 0);
}

TEST_F(MeasurementTest, RightPressAsksForTheMenuOnlyInsideThePlotWithFlightsOpen)
{
    QSignalSpy popup(Page.get(), &TGraphPage::PopupRequested);
    QTest::mousePress(Plot(), Qt::RightButton, {}, At(0.5, 0.5));
    QTest::mouseRelease(Plot(), Qt::RightButton, {}, At(0.5, 0.5));
    EXPECT_EQ(popup.count(), 0); // no flight open
    Open();
    Chart().Replot();
    const QPoint outside = Chart().PlotRect().topLeft() - QPoint(4, 4);
    QTest::mousePress(Plot(), Qt::RightButton, {}, outside);
    QTest::mouseRelease(Plot(), Qt::RightButton, {}, outside);
    EXPECT_EQ(popup.count(), 0);
    const QPoint p = At(0.5, 0.5);
    QTest::mousePress(Plot(), Qt::RightButton, {}, p);
    ASSERT_EQ(popup.count(), 1);
    EXPECT_EQ(popup[0][0].toPoint(), p);
    EXPECT_EQ(Page->Measure().MouseDownX, p.x());
    EXPECT_EQ(Page->Measure().MouseDownY, p.y());
    // A button left down would ride along on the next test's mouse moves.
    QTest::mouseRelease(Plot(), Qt::RightButton, {}, p);
}

TEST_F(MeasurementTest, CopyCellPutsTheMeasurementOnTheClipboard)
{
    Open();
    Chart().Replot();
    TBGrafRead()->setChecked(true);
    Drag(At(0.2, 0.2), At(0.6, 0.6));
    QApplication::clipboard()->clear();
    TReadingsGrid* grid = StringGridOdecet();
    const QPoint copy = grid->CellRect(0, 0).center();
    QTest::mousePress(grid, Qt::LeftButton, {}, copy);
    QTest::mouseRelease(grid, Qt::LeftButton, {}, grid->CellRect(2, 2).center());
    EXPECT_TRUE(QApplication::clipboard()->text().isEmpty()); // released elsewhere
    EXPECT_FALSE(Table().CopyPressed());
    QTest::mouseClick(grid, Qt::LeftButton, {}, copy);
    const QStringList rows = QApplication::clipboard()->text().split("\r\n");
    // The five rows of the readings, an empty line, then the Range table of the one flight.
    ASSERT_EQ(rows.size(), 10);
    EXPECT_EQ(rows[1].split('\t')[1], QString::fromStdString(Cell(1, 1)).rightJustified(15));
    EXPECT_EQ(rows[5], "");
    EXPECT_EQ(rows[6], "Range");
    EXPECT_EQ(rows[8].split('\t')[0], "f0");
}

// ---------------------------------------------------------------------------------------------
// Offsets

class OffsetsTest : public GraphPageTest {
protected:
    void SetUp() override
    {
        GraphPageTest::SetUp();
        Open();
        Show(0, 2);
        Show(0, 3);
        Page->Offsets().LoadShiftControls(0);
        Recorded = Points();
    }
    // Every point of the five series of flight 0.
    std::vector<std::vector<std::pair<double, double>>> Points()
    {
        std::vector<std::vector<std::pair<double, double>>> all;
        for (int k = 0; k < kSlotCount; ++k) {
            std::vector<std::pair<double, double>> pts;
            const TChartSeries* s = Page->Plot().SeriesOf(0, k);
            for (int i = 0; i < s->Count(); ++i)
                pts.emplace_back(s->X(i), s->Y(i));
            all.push_back(pts);
        }
        return all;
    }
    const TSeriesInfo& Slot(int k) { return (*Host.SeriesInfo(0))[static_cast<size_t>(k)]; }
    std::vector<std::vector<std::pair<double, double>>> Recorded;
};

TEST_F(OffsetsTest, TimeOffsetFromTheFieldMovesEverySeriesAndRoundsTheSliderHalfToEven)
{
    ASSERT_TRUE(CheckBoxShift()->isChecked());
    ASSERT_TRUE(EditShiftX()->isEnabled());
    Page->Plot().SeriesOf(0, kSlotAnnotation)->AddXY(10, 20, "a");
    Recorded = Points();
    Type(EditShiftX(), "12.34");
    const auto moved = Points();
    for (int k = 0; k < kSlotCount; ++k) {
        ASSERT_EQ(moved[size_t(k)].size(), Recorded[size_t(k)].size());
        for (size_t i = 0; i < moved[size_t(k)].size(); ++i) {
            EXPECT_NEAR(moved[size_t(k)][i].first, Recorded[size_t(k)][i].first + 12.34, 1e-9);
            EXPECT_DOUBLE_EQ(moved[size_t(k)][i].second, Recorded[size_t(k)][i].second);
        }
        EXPECT_DOUBLE_EQ(Slot(k).OffsetX, 12.34);
    }
    EXPECT_EQ(TrackBarX()->value(), 12);
    Type(EditShiftX(), "2.5");
    EXPECT_EQ(TrackBarX()->value(), 2);
    Type(EditShiftX(), "3.5");
    EXPECT_EQ(TrackBarX()->value(), 4);
    Type(EditShiftX(), "5000");
    EXPECT_EQ(TrackBarX()->value(), 3600);
    EXPECT_NEAR(Page->Plot().SeriesOf(0, kSlotAltitude)->X(0), Recorded[0][0].first + 5000, 1e-9);
    EXPECT_FALSE(Host.Modified(0));
}

TEST_F(OffsetsTest, LettersAreDroppedAndTheSameNumberTwiceChangesNothing)
{
    Type(EditShiftX(), "1a.5");
    EXPECT_EQ(EditShiftX()->text(), "1.5");
    const auto once = Points();
    Type(EditShiftX(), "1.5");
    EXPECT_EQ(Points(), once);
    // Observers of the open flights hear of the one change, not of the repeat.
    EXPECT_EQ(Host.OffsetsEditedRows, std::vector<int>{0});
}

TEST_F(OffsetsTest, PastedAndDroppedTextKeepsOnlyWhatTheKeysWouldType)
{
    // Leaving the field with letters in it used to set the offset to 0.
    EditShiftX()->selectAll();
    test::PasteByKey(EditShiftX(), "1a.5 s");
    EXPECT_EQ(EditShiftX()->text(), "1.5");
    EditShiftY()->setFocus();
    EXPECT_DOUBLE_EQ(Slot(kSlotAltitude).OffsetX, 1.5);

    EditShiftX()->selectAll();
    ASSERT_TRUE(test::PasteByMenu(EditShiftX(), "x-2y"));
    EXPECT_EQ(EditShiftX()->text(), "-2");
    QTest::keyClick(EditShiftX(), Qt::Key_Return);
    EXPECT_DOUBLE_EQ(Slot(kSlotAltitude).OffsetX, -2);

    test::DropText(EditShiftX(), "5,m\t");
    EXPECT_EQ(EditShiftX()->text(), "-25");
    // Typing goes on at the right place after the dropped characters.
    QTest::keyClicks(EditShiftX(), "q0");
    EXPECT_EQ(EditShiftX()->text(), "-250");
}

TEST_F(OffsetsTest, SliderYUpByTenOffsetsTheChosenChannel)
{
    ComboBoxShiftAxis()->setCurrentIndex(2);
    Page->Offsets().ComboBoxShiftAxisChange();
    TrackBarY()->setFocus();
    for (int i = 0; i < 10; ++i)
        QTest::keyClick(TrackBarY(), Qt::Key_Up);
    EXPECT_EQ(TrackBarY()->value(), -10);
    EXPECT_EQ(EditShiftY()->text(), "10");
    EXPECT_DOUBLE_EQ(Slot(kSlotVoltage).OffsetY, 10);
    EXPECT_DOUBLE_EQ(Page->Plot().SeriesOf(0, kSlotVoltage)->Y(0),
                     Recorded[kSlotVoltage][0].second + 10);
    EXPECT_DOUBLE_EQ(Slot(kSlotAltitude).OffsetY, 0);
    // The slider follows the field, negated.
    Type(EditShiftY(), "-7.5");
    EXPECT_EQ(TrackBarY()->value(), 8);
}

TEST_F(OffsetsTest, AltitudeOffsetCarriesMarkersAndAnnotationsAndSwitchingOffAndOnRestores)
{
    Page->Plot().SeriesOf(0, kSlotAnnotation)->AddXY(10, 20, "a");
    Recorded = Points();
    Type(EditShiftX(), "3");
    Type(EditShiftY(), "-4.5");
    EXPECT_DOUBLE_EQ(Page->Plot().SeriesOf(0, kSlotAnnotation)->Y(0), 15.5);
    EXPECT_DOUBLE_EQ(Slot(kSlotMarker).OffsetY, -4.5);
    const auto shifted = Points();
    QTest::mouseClick(CheckBoxShift(), Qt::LeftButton);
    ASSERT_FALSE(CheckBoxShift()->isChecked());
    EXPECT_FALSE(EditShiftX()->isEnabled());
    EXPECT_FALSE(TrackBarY()->isEnabled());
    const auto off = Points();
    for (int k = 0; k < kSlotCount; ++k)
        for (size_t i = 0; i < off[size_t(k)].size(); ++i) {
            EXPECT_NEAR(off[size_t(k)][i].first, Recorded[size_t(k)][i].first, 1e-9);
            EXPECT_NEAR(off[size_t(k)][i].second, Recorded[size_t(k)][i].second, 1e-9);
        }
    QTest::mouseClick(CheckBoxShift(), Qt::LeftButton);
    const auto on = Points();
    for (int k = 0; k < kSlotCount; ++k)
        for (size_t i = 0; i < on[size_t(k)].size(); ++i) {
            EXPECT_NEAR(on[size_t(k)][i].first, shifted[size_t(k)][i].first, 1e-9);
            EXPECT_NEAR(on[size_t(k)][i].second, shifted[size_t(k)][i].second, 1e-9);
        }
}

// The series show the record's own arrays through the offsets; the record stays as read, so a
// save writes what was read, and an annotation placed on the shifted chart is held unshifted.
TEST_F(OffsetsTest, OffsetsLeaveTheRecordAsReadAndAnnotationsAreHeldUnshifted)
{
    const TDataBlock& f = *Host.Flight(0);
    const std::vector<double> time = f.Time;
    const std::vector<double> altitude = f.Altitude;
    const std::vector<double> rx = f.Rx;
    Type(EditShiftX(), "3");
    Type(EditShiftY(), "-4.5");
    Page->Offsets().ChooseShiftAxis(kSlotServo);
    Type(EditShiftY(), "7");
    EXPECT_EQ(f.Time, time);
    EXPECT_EQ(f.Altitude, altitude);
    EXPECT_EQ(f.Rx, rx);
    const TChartSeries& alt = *Page->Plot().SeriesOf(0, kSlotAltitude);
    const TChartSeries& servo = *Page->Plot().SeriesOf(0, kSlotServo);
    EXPECT_TRUE(alt.IsView());
    EXPECT_TRUE(servo.IsView());
    ASSERT_EQ(alt.Count(), static_cast<int>(time.size()));
    for (int i = 0; i < alt.Count(); ++i) {
        ASSERT_DOUBLE_EQ(alt.X(i), time[size_t(i)] + 3);
        ASSERT_DOUBLE_EQ(alt.Y(i), altitude[size_t(i)] - 4.5);
        ASSERT_DOUBLE_EQ(servo.Y(i), rx[size_t(i)] + 7);
    }
    const auto extent = alt.YExtent();
    ASSERT_TRUE(extent.has_value());
    EXPECT_DOUBLE_EQ(extent->first, *std::min_element(altitude.begin(), altitude.end()) - 4.5);

    TChartSeries& annotations = *Page->Plot().SeriesOf(0, kSlotAnnotation);
    annotations.AddXY(10, 20, "a");
    EXPECT_DOUBLE_EQ(annotations.StoredX(0), 7);
    EXPECT_DOUBLE_EQ(annotations.StoredY(0), 24.5);
    QTest::mouseClick(CheckBoxShift(), Qt::LeftButton);
    EXPECT_DOUBLE_EQ(annotations.X(0), 7);
    EXPECT_DOUBLE_EQ(alt.X(0), time[0]);
}

TEST_F(OffsetsTest, ServoToZeroWithOffsetsOffSwitchesThemOnAndIsSavedWithTheFlight)
{
    Type(EditShiftY(), "5"); // altitude offset, shown again once offsets are back on
    QTest::mouseClick(CheckBoxShift(), Qt::LeftButton);
    ASSERT_FALSE(CheckBoxShift()->isChecked());
    Chart().Replot();
    const int py = Chart().PlotRect().center().y();
    const double under = Chart().ValueAtPixel(TAxisId::Right, py);
    Page->Offsets().AdjustRxToZero(py);
    EXPECT_TRUE(CheckBoxShift()->isChecked());
    EXPECT_EQ(ComboBoxShiftAxis()->currentIndex(), kSlotServo);
    EXPECT_NEAR(Host.Flight(0)->RxOffsetY, -under, 1e-9);
    EXPECT_TRUE(Host.Modified(0));
    // The servo value that was under the pointer is now 0 (to the field's one decimal).
    EXPECT_NEAR(Page->Plot().SeriesOf(0, kSlotServo)->Y(0) - Recorded[kSlotServo][0].second,
                Num(FormatDisplay(-under, 1, '.')), 1e-9);
    EXPECT_NEAR(under + Slot(kSlotServo).OffsetY, 0, 0.051);
    EXPECT_NEAR(Page->Plot().SeriesOf(0, kSlotAltitude)->Y(0),
                Recorded[kSlotAltitude][0].second + 5, 1e-9);
    // The servo axis kept its span and moved with the point.
    EXPECT_NEAR(Chart().ValueAtPixel(TAxisId::Right, py), 0, 1e-6);
}

TEST_F(OffsetsTest, AltitudeToZeroMovesThePointUnderThePointerToTheOrigin)
{
    Chart().SetMinMax(TAxisId::Bottom, 10, 60);
    Chart().SetMinMax(TAxisId::Left, 0, 100);
    Chart().Replot();
    const QPoint p = Chart().PlotRect().center();
    const double vx = Chart().ValueAtPixel(TAxisId::Bottom, p.x());
    const double vy = Chart().ValueAtPixel(TAxisId::Left, p.y());
    Page->Offsets().AdjustToZero(Page->Offsets().ZeroPointAt(p.x(), p.y()), true);
    EXPECT_NEAR(Slot(kSlotAltitude).OffsetX, Num(FormatDisplay(-vx, 1, '.')), 1e-9);
    EXPECT_NEAR(Slot(kSlotAltitude).OffsetY, Num(FormatDisplay(-vy, 1, '.')), 1e-9);
    // The axes moved along: the flight keeps its place on screen.
    EXPECT_NEAR(Chart().Minimum(TAxisId::Bottom), 10 - vx, 1e-9);
    EXPECT_NEAR(Chart().Maximum(TAxisId::Left), 100 - vy, 1e-9);

    // With offsets off the command starts from zero and switches them on.
    QTest::mouseClick(CheckBoxShift(), Qt::LeftButton);
    Chart().SetMinMax(TAxisId::Bottom, 10, 60);
    Chart().SetMinMax(TAxisId::Left, 0, 100);
    Page->Offsets().AdjustToZero(Page->Offsets().ZeroPointAt(p.x(), p.y()), false);
    EXPECT_TRUE(CheckBoxShift()->isChecked());
    EXPECT_NEAR(Slot(kSlotAltitude).OffsetX, Num(FormatDisplay(-vx, 1, '.')), 1e-9);
    EXPECT_NEAR(Page->Plot().SeriesOf(0, kSlotAltitude)->X(0),
                Recorded[0][0].first + Slot(0).OffsetX, 1e-9);
}

} // namespace
} // namespace zirko
