// The chart's context menu on the main window: annotations from the chart and the offset commands
// over every open flight.
#include "gui/app/FormMain.h"
#include "gui/flightdata/FlightGrid.h"
#include "gui/graph/Chart.h"
#include "gui/graph/FormAnnotEdit.h"
#include "gui/graph/GraphPage.h"
#include "model/flightdata/OpenFlights.h"
#include "support/MainWindowFixture.h"
#include "support/TestUtil.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QMenu>
#include <QSignalSpy>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QTextEdit>
#include <QToolButton>
#include <gtest/gtest.h>

using namespace zirko;
using namespace zirko::test;

namespace {

TDataBlock MakeFlight(double rxOffset, double timeShift)
{
    TDataBlock f;
    f.DateText = "8.12.2026 9:00:00";
    f.Sampling = 10;
    f.ChannelMask = 0xC800;
    f.RxOffsetY = rxOffset;
    for (int i = 0; i <= 200; ++i) {
        f.Time.push_back(timeShift + i * 0.5);
        f.Altitude.push_back(20 + i * 0.3);
        f.Rx.push_back(i % 10 == 0 ? 50 : -20);
        f.Voltage.push_back(5.0);
    }
    return f;
}

class ChartPopupTest : public TMainWindowFixture {
protected:
    void SetUp() override
    {
        TMainWindowFixture::SetUp();
        ASSERT_NO_FATAL_FAILURE(StartForm(QSize(1100, 800)));
        for (int i = 0; i < 2; ++i) {
            const QString path =
                WriteFlight(QString("f%1.zdf").arg(i), MakeFlight(2.5 * i, 10.0 * i));
            ASSERT_FALSE(HasFailure());
            ASSERT_EQ(Form->Flights->OpenDataFile(path), i);
        }
        Ui.PageControl->setCurrentWidget(Ui.TabGraph);
        QTest::qWait(20);
        Chart().Replot();
    }
    void TearDown() override
    {
        Ui.PopupGraf->hide();
        Dialogs->Answers.assign(10, TAnswer::No);
        TMainWindowFixture::TearDown();
    }
    TChart& Chart() { return *test::Named<TChart>(*Ui.GraphPage, "Chart1"); }
    void RightClickAt(const QPoint& p)
    {
        QTest::mousePress(Chart().PlotArea(), Qt::RightButton, {}, p);
        QTest::mouseRelease(Chart().PlotArea(), Qt::RightButton, {}, p);
    }
    QAction* Find(QMenu* menu, const QString& text)
    {
        for (QAction* a : menu->actions())
            if (a->text() == text)
                return a;
        return nullptr;
    }
    const TSeriesInfo& Slot(int row, int k) { return (*Form->Flights->SeriesInfo(row))[size_t(k)]; }
};

} // namespace

TEST_F(ChartPopupTest, MenuListsTheFlightsAndAddsAnAnnotationAtTheClickedPoint)
{
    const QPoint p = Chart().PlotRect().center();
    RightClickAt(p);
    ASSERT_TRUE(Ui.PopupGraf->isVisible());
    ASSERT_EQ(Ui.pmnuAnnotNew->actions().size(), 2);
    EXPECT_EQ(Ui.pmnuAnnotNew->actions()[1]->text(), "f1");
    EXPECT_EQ(Ui.pmnuAnnotModify->actions()[0]->text(), "f0");
    for (const char* item : {"Cancel Zoom", "Graph setup", "Set Alt. to (0,0)",
                             "Set all Alt. to (0,0)", "Set Servo to (x,0)", "Reset shift"})
        EXPECT_NE(Find(Ui.PopupGraf, item), nullptr) << item;
    // The edit dialog comes filled with the point under the pointer.
    const QString time = QString::number(Chart().ValueAtPixel(TAxisId::Bottom, p.x()), 'f', 1);
    EXPECT_EQ(Ui.FormAnnotEdit->EditTime->text(), time);
    Dialogs->DialogScripts.push_back([](QDialog& d) {
        static_cast<TFormAnnotEdit&>(d).EditText->setText("thermal");
        d.done(QDialog::Accepted);
        return int(QDialog::Accepted);
    });
    Ui.pmnuAnnotNew->actions()[1]->trigger();
    TChartSeries* annotations = Ui.GraphPage->Plot().SeriesOf(1, kSlotAnnotation);
    ASSERT_EQ(annotations->Count(), 1);
    EXPECT_EQ(annotations->LabelText(0), "thermal");
    EXPECT_NEAR(annotations->X(0), time.toDouble(), 1e-9);
    EXPECT_TRUE(Form->Flights->Modified(1));
    EXPECT_FALSE(Form->Flights->Modified(0));

    // Outside the plot no menu opens.
    Ui.PopupGraf->hide();
    RightClickAt(Chart().PlotRect().topLeft() - QPoint(5, 5));
    EXPECT_FALSE(Ui.PopupGraf->isVisible());
}

TEST_F(ChartPopupTest, AllAltitudesToZeroThenResetKeepsTheServoOffsetOfTheFile)
{
    EXPECT_DOUBLE_EQ(Slot(1, kSlotServo).OffsetY, 2.5);
    const QPoint p = Chart().PlotRect().center();
    RightClickAt(p);
    Ui.PopupGraf->hide();
    const double vx = Chart().ValueAtPixel(TAxisId::Bottom, p.x());
    const double vy = Chart().ValueAtPixel(TAxisId::Left, p.y());
    const int current = Form->Flights->ActualRow();
    Find(Ui.PopupGraf, "Set all Alt. to (0,0)")->trigger();
    for (int row = 0; row < 2; ++row) {
        EXPECT_NEAR(Slot(row, kSlotAltitude).OffsetX, -vx, 0.051) << row;
        EXPECT_NEAR(Slot(row, kSlotAltitude).OffsetY, -vy, 0.051) << row;
        EXPECT_DOUBLE_EQ(Slot(row, kSlotAnnotation).OffsetY, Slot(row, kSlotAltitude).OffsetY);
    }
    EXPECT_EQ(Form->Flights->ActualRow(), current);

    Find(Ui.PopupGraf, "Reset shift")->trigger();
    for (int row = 0; row < 2; ++row) {
        EXPECT_DOUBLE_EQ(Slot(row, kSlotAltitude).OffsetX, 0);
        EXPECT_DOUBLE_EQ(Slot(row, kSlotAltitude).OffsetY, 0);
        EXPECT_DOUBLE_EQ(Ui.GraphPage->Plot().SeriesOf(row, kSlotAltitude)->X(0), 10.0 * row);
    }
    EXPECT_DOUBLE_EQ(Slot(1, kSlotServo).OffsetY, 2.5);
    EXPECT_TRUE(Chart().Automatic(TAxisId::Bottom));
    EXPECT_FALSE(Form->Flights->Modified(0));
}

TEST_F(ChartPopupTest, SelectingAFlightShowsItsOffsets)
{
    test::Named<QComboBox>(*Ui.GraphPage, "ComboBoxShiftAxis")->setCurrentIndex(1);
    Ui.StringGrid1->SelectRowSilently(0);
    QTest::mouseClick(Ui.StringGrid1->viewport(), Qt::LeftButton, {},
                      Ui.StringGrid1->CellRect(kGridNameCol, 1).center());
    ASSERT_EQ(Form->Flights->ActualRow(), 1);
    EXPECT_EQ(test::Named<QLineEdit>(*Ui.GraphPage, "EditShiftY")->text(), "2.5");
    QTest::mouseClick(Ui.StringGrid1->viewport(), Qt::LeftButton, {},
                      Ui.StringGrid1->CellRect(kGridNameCol, 0).center());
    ASSERT_EQ(Form->Flights->ActualRow(), 0);
    EXPECT_EQ(test::Named<QLineEdit>(*Ui.GraphPage, "EditShiftY")->text(), "0.0");
    EXPECT_TRUE(test::Named<QCheckBox>(*Ui.GraphPage, "CheckBoxShift")->isChecked());
}

TEST_F(ChartPopupTest, SpaceHeldOverTheGraphPagePansAndIsSwallowed)
{
    QWidget* target = test::Named<QToolButton>(*Ui.GraphPage, "TBZoomOut");
    target->setFocus();
    const double before = Chart().Maximum(TAxisId::Bottom);
    QTest::keyPress(target, Qt::Key_Space);
    EXPECT_TRUE(Chart().PanningEnabled());
    EXPECT_FALSE(Chart().RectZoomEnabled());
    QTest::keyRelease(target, Qt::Key_Space);
    EXPECT_FALSE(Chart().PanningEnabled());
    EXPECT_TRUE(Chart().RectZoomEnabled());
    // The focused zoom button did not get the key.
    EXPECT_DOUBLE_EQ(Chart().Maximum(TAxisId::Bottom), before);

    // On the information page Space is an ordinary key.
    Ui.PageControl->setCurrentWidget(Ui.TabInfo);
    QTest::keyPress(Named<QTextEdit>(*Form, "RichEdit1"), Qt::Key_Space);
    EXPECT_FALSE(Chart().PanningEnabled());
    QTest::keyRelease(Named<QTextEdit>(*Form, "RichEdit1"), Qt::Key_Space);
}

TEST_F(ChartPopupTest, AlignLaunchesPutsEveryLaunchAtZeroAndNamesTheFlightsWithoutOne)
{
    // Two more flights that never rise 2 m over their start.
    TDataBlock flat = MakeFlight(0, 3);
    flat.Altitude.assign(flat.Time.size(), 55.0);
    TDataBlock low = MakeFlight(0, 4);
    for (size_t i = 0; i < low.Altitude.size(); ++i)
        low.Altitude[i] = 40 + (i % 20) * 0.1;
    ASSERT_EQ(Form->Flights->OpenDataFile(WriteFlight("flat.zdf", flat)), 2);
    ASSERT_EQ(Form->Flights->OpenDataFile(WriteFlight("low.zdf", low)), 3);
    // The second flight's offsets are off: the command switches them on.
    Ui.StringGrid1->SelectRowSilently(0);
    QTest::mouseClick(Ui.StringGrid1->viewport(), Qt::LeftButton, {},
                      Ui.StringGrid1->CellRect(kGridNameCol, 1).center());
    ASSERT_EQ(Form->Flights->ActualRow(), 1);
    QTest::mouseClick(test::Named<QCheckBox>(*Ui.GraphPage, "CheckBoxShift"), Qt::LeftButton);
    ASSERT_FALSE(Slot(1, kSlotAltitude).ShiftOn);
    QTest::mouseClick(Ui.StringGrid1->viewport(), Qt::LeftButton, {},
                      Ui.StringGrid1->CellRect(kGridNameCol, 0).center());
    ASSERT_EQ(Form->Flights->ActualRow(), 0);

    const QList<QAction*> items = Ui.PopupGraf->actions();
    const qsizetype all = items.indexOf(Find(Ui.PopupGraf, "Set all Alt. to (0,0)"));
    ASSERT_GE(all, 0);
    ASSERT_LT(all + 1, items.size());
    EXPECT_EQ(items[all + 1]->text(), "Align launches");

    QSignalSpy moved(Form->Flights, &TOpenFlights::OffsetsChanged);
    RightClickAt(Chart().PlotRect().center());
    Ui.PopupGraf->hide();
    items[all + 1]->trigger();

    // MakeFlight climbs 0.3 m a sample: sample 7 is the first 2 m over the start.
    constexpr int kLaunch = 7;
    for (int row = 0; row < 2; ++row) {
        const TChartSeries* altitude = Ui.GraphPage->Plot().SeriesOf(row, kSlotAltitude);
        EXPECT_NEAR(altitude->X(kLaunch), 0, 1e-9) << row;
        EXPECT_NEAR(altitude->Y(kLaunch), 0, 1e-9) << row;
        EXPECT_LT(altitude->Y(kLaunch - 1), 0) << row;
        EXPECT_TRUE(Slot(row, kSlotAltitude).ShiftOn) << row;
        EXPECT_EQ(Slot(row, kSlotAnnotation).OffsetY, Slot(row, kSlotAltitude).OffsetY);
        EXPECT_EQ(Slot(row, kSlotMarker).OffsetX, Slot(row, kSlotAltitude).OffsetX);
    }
    EXPECT_DOUBLE_EQ(Slot(1, kSlotAltitude).OffsetX, -(10.0 + kLaunch * 0.5));
    // The servo keeps its offset from the file, shown now that the offsets are on.
    EXPECT_NEAR(Ui.GraphPage->Plot().SeriesOf(1, kSlotServo)->Y(0), 50 + 2.5, 1e-9);
    ASSERT_EQ(moved.count(), 2);
    EXPECT_EQ(moved[0][0].toInt(), 0);
    EXPECT_EQ(moved[1][0].toInt(), 1);
    for (int row = 2; row < 4; ++row) {
        EXPECT_EQ(Slot(row, kSlotAltitude).OffsetX, 0) << row;
        EXPECT_EQ(Slot(row, kSlotAltitude).OffsetY, 0) << row;
        EXPECT_DOUBLE_EQ(Ui.GraphPage->Plot().SeriesOf(row, kSlotAltitude)->X(0), row + 1.0);
    }
    EXPECT_EQ(Dialogs->Log.filter("message: "),
              QStringList{"message: No launch found in: flat, low."});
    EXPECT_TRUE(Dialogs->Errors().isEmpty());
    // The controls show the current flight's new offsets; the axes take in every flight.
    EXPECT_EQ(Form->Flights->ActualRow(), 0);
    EXPECT_EQ(test::Named<QLineEdit>(*Ui.GraphPage, "EditShiftX")->text(), "-3.5");
    EXPECT_EQ(test::Named<QLineEdit>(*Ui.GraphPage, "EditShiftY")->text(), "-22.1");
    EXPECT_EQ(test::Named<QComboBox>(*Ui.GraphPage, "ComboBoxShiftAxis")->currentIndex(), 0);
    EXPECT_TRUE(test::Named<QCheckBox>(*Ui.GraphPage, "CheckBoxShift")->isChecked());
    EXPECT_TRUE(Chart().Automatic(TAxisId::Bottom));
    EXPECT_FALSE(Form->Flights->Modified(0));
    EXPECT_FALSE(Form->Flights->Modified(1));

    Find(Ui.PopupGraf, "Reset shift")->trigger();
    for (int row = 0; row < 4; ++row) {
        const TDataBlock& flight = *Form->Flights->Flight(row);
        const TChartSeries* altitude = Ui.GraphPage->Plot().SeriesOf(row, kSlotAltitude);
        for (int i : {0, kLaunch, 200}) {
            EXPECT_DOUBLE_EQ(altitude->X(i), flight.Time[size_t(i)]) << row << " " << i;
            EXPECT_DOUBLE_EQ(altitude->Y(i), flight.Altitude[size_t(i)]) << row << " " << i;
        }
    }
    EXPECT_EQ(test::Named<QLineEdit>(*Ui.GraphPage, "EditShiftX")->text(), "0.0");
}
