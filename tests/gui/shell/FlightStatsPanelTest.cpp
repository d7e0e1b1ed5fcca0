// The statistics table on the information page of the main window: rows in grid order, the current
// flight marked, copying, and its fit at the window's default size.
#include "gui/shell/FlightStatsPanel.h"
#include "core/analysis/StatsTable.h"
#include "gui/app/FormMain.h"
#include "gui/flightdata/FlightGrid.h"
#include "gui/shell/NotesPage.h"
#include "model/flightdata/OpenFlights.h"
#include "support/MainWindowFixture.h"
#include "support/TestUtil.h"

#include <QApplication>
#include <QClipboard>
#include <QHeaderView>
#include <QLocale>
#include <QPushButton>
#include <QScrollBar>
#include <QTabWidget>
#include <QTableView>
#include <QTableWidget>
#include <QTest>
#include <QTextEdit>
#include <gtest/gtest.h>

using namespace zirko;
using namespace zirko::test;

namespace {

// 41 samples 0.5 s apart: from `ground` the altitude climbs 1 m a sample from sample 5 to 20,
// sinks as fast to 1 m over the ground at sample 35 and stays on the ground after.
TDataBlock MakeFlight(double ground, bool voltage)
{
    TDataBlock f;
    f.DateText = "9.12.2026 8:00:00";
    f.Sampling = 50;
    f.ChannelMask = voltage ? 0xC800 : 0xC000;
    for (int i = 0; i <= 40; ++i) {
        f.Time.push_back(i * 0.5);
        const int up = i < 5 || i > 35 ? 0 : i <= 20 ? i - 4 : 36 - i;
        f.Altitude.push_back(ground + up);
        f.Rx.push_back(0);
        if (voltage)
            f.Voltage.push_back(i < 20 ? 12.5 : 11.25);
    }
    return f;
}

class FlightStatsPanelTest : public TMainWindowFixture {
protected:
    void SetUp() override
    {
        TMainWindowFixture::SetUp();
        ASSERT_NO_FATAL_FAILURE(StartForm());
        Panel = Named<TFlightStatsPanel>(*Ui.NotesPage, "FlightStatsPanel");
        Table = Named<QTableWidget>(*Panel, "TableFlightStats");
    }
    void TearDown() override
    {
        QLocale::setDefault(QLocale::c());
        Dialogs->Answers.assign(10, TAnswer::No);
        TMainWindowFixture::TearDown();
    }
    void Open(const QString& name, double ground, bool voltage = true)
    {
        const QString path = WriteFlight(name + ".zdf", MakeFlight(ground, voltage));
        ASSERT_GE(Form->Flights->OpenDataFile(path), 0) << name.toStdString();
    }
    QString Cell(int row, int col) const
    {
        const QTableWidgetItem* item = Table->item(row, col);
        return item ? item->text() : QString("<none>");
    }
    QStringList Names() const
    {
        QStringList names;
        for (int r = 0; r < Table->rowCount(); ++r)
            names << Cell(r, 0);
        return names;
    }
    void ClickGridRow(int row)
    {
        QTest::mouseClick(Ui.StringGrid1->viewport(), Qt::LeftButton, {},
                          Ui.StringGrid1->CellRect(kGridNameCol, row).center());
    }
    bool Painted(int row) const
    {
        return Table->item(row, 0)->background() == Table->palette().brush(QPalette::Highlight);
    }

    TFlightStatsPanel* Panel = nullptr;
    QTableWidget* Table = nullptr;
};

} // namespace

TEST_F(FlightStatsPanelTest, RowsFollowTheFlightsInGridOrderWithTheirNumbers)
{
    EXPECT_EQ(Table->rowCount(), 0);
    ASSERT_NO_FATAL_FAILURE(Open("morning", 200));
    ASSERT_NO_FATAL_FAILURE(Open("noon", 300, false));
    ASSERT_NO_FATAL_FAILURE(Open("evening", 100));
    EXPECT_EQ(Names(), (QStringList{"morning", "noon", "evening"}));
    ASSERT_EQ(Table->columnCount(), 19);
    EXPECT_EQ(Table->horizontalHeaderItem(0)->text(), "Flight");
    EXPECT_EQ(Table->horizontalHeaderItem(5)->text(), "Max. alt.");
    // samples, duration, start, min, max, gain, launch, landing, aloft, climb, sink, voltages
    const QStringList morning = {"41",      "20.0 s",  "200.0 m", "200.0 m", "216.0 m",
                                 "16.0 m",  "3.0 s",   "17.0 s",  "14.0 s",  "2.0 m/s",
                                 "2.0 m/s", "11.25 V", "12.50 V", "11.86 V"};
    for (int c = 0; c < morning.size(); ++c)
        EXPECT_EQ(Cell(0, c + 1).toStdString(), morning[c].toStdString()) << c;
    EXPECT_EQ(Cell(1, 4), "300.0 m");
    EXPECT_EQ(Cell(2, 5), "116.0 m");
    EXPECT_EQ(Cell(1, 12), QString::fromUtf8(kAbsentCell)); // no voltage
    EXPECT_EQ(Table->item(0, 3)->textAlignment(), int(Qt::AlignRight | Qt::AlignVCenter));
    // The servo stays at 0 %: no motor run, no start height, no penalty without rules, no warning.
    EXPECT_EQ(Cell(0, 15), "0.0 s");
    EXPECT_EQ(Cell(0, 16), QString::fromUtf8(kAbsentCell));
    EXPECT_EQ(Cell(0, 17), QString::fromUtf8(kAbsentCell));
    EXPECT_EQ(Cell(0, 18), "0");

    // Closing the first row moves the others up; a rename shows the new name.
    Form->Flights->CloseDataFile(0);
    EXPECT_EQ(Names(), (QStringList{"noon", "evening"}));
    Form->Flights->RenameFlight(1, Dir.path() + "/late.zdf");
    EXPECT_EQ(Names(), (QStringList{"noon", "late"}));
    Form->Flights->CloseDataFile(0);
    Form->Flights->CloseDataFile(0);
    EXPECT_EQ(Table->rowCount(), 0);
}

TEST_F(FlightStatsPanelTest, ASavedFlightShowsItsNewNumbers)
{
    ASSERT_NO_FATAL_FAILURE(Open("morning", 200));
    EXPECT_EQ(Cell(0, 5), "216.0 m");
    // The record changed behind the list's back, so that only the save tells anyone.
    auto* flight = const_cast<TDataBlock*>(Form->Flights->Flight(0));
    flight->Altitude[30] = 512.27;
    // Nothing told the table yet: it keeps what it showed.
    EXPECT_EQ(Cell(0, 5), "216.0 m");
    Form->Flights->SaveFlight(0);
    EXPECT_TRUE(Dialogs->Errors().isEmpty()) << Dialogs->Errors().join("|").toStdString();
    EXPECT_EQ(Cell(0, 5), "512.3 m");
    EXPECT_EQ(Cell(0, 6), "312.3 m");
}

TEST_F(FlightStatsPanelTest, TheCurrentFlightsRowIsMarked)
{
    ASSERT_NO_FATAL_FAILURE(Open("a", 10));
    ASSERT_NO_FATAL_FAILURE(Open("b", 20));
    ASSERT_NO_FATAL_FAILURE(Open("c", 30));
    ASSERT_EQ(Form->Flights->ActualRow(), 0);
    EXPECT_EQ(Panel->MarkedRow(), 0);
    EXPECT_TRUE(Painted(0));
    // Narrow, the columns scroll; marking another row leaves them where they are.
    Form->resize(800, 600);
    QTest::qWait(20);
    QScrollBar* columns = Table->horizontalScrollBar();
    ASSERT_GT(columns->maximum(), 0);
    columns->setValue(columns->maximum());
    ClickGridRow(2);
    EXPECT_EQ(columns->value(), columns->maximum());
    // Scrolled to the last column, every row still shows its flight's name at the left edge.
    QApplication::processEvents();
    QTableView* names = Named<QTableView>(*Panel, "TableFlightNames");
    ASSERT_TRUE(names->isVisible());
    EXPECT_EQ(names->columnWidth(0), Table->columnWidth(0));
    EXPECT_LE(names->geometry().left(), Table->frameWidth());
    for (int r = 0; r < Table->rowCount(); ++r) {
        const QRect cell = names->visualRect(names->model()->index(r, 0));
        const QModelIndex at = names->indexAt(cell.center());
        EXPECT_EQ(at.row(), r);
        EXPECT_EQ(at.column(), 0);
        EXPECT_EQ(at.data().toString(), Form->Flights->Name(r));
        EXPECT_EQ(names->rowHeight(r), Table->rowHeight(r));
    }
    ASSERT_EQ(Form->Flights->ActualRow(), 2);
    EXPECT_EQ(Panel->MarkedRow(), 2);
    EXPECT_TRUE(Painted(2));
    EXPECT_FALSE(Painted(0));
    EXPECT_EQ(Table->item(2, 7)->foreground(), Table->palette().brush(QPalette::HighlightedText));
    // The current flight closes: the one moving up into its row is current and marked.
    Form->Flights->CloseDataFile(2);
    EXPECT_EQ(Panel->MarkedRow(), Form->Flights->ActualRow());
    EXPECT_TRUE(Painted(Panel->MarkedRow()));
    for (int r = 0; r < Table->rowCount(); ++r)
        EXPECT_EQ(Painted(r), r == Panel->MarkedRow()) << r;
}

TEST_F(FlightStatsPanelTest, CopyButtonAndCtrlCPutTheWholeTableOnTheClipboard)
{
    QLocale::setDefault(QLocale(QLocale::Czech, QLocale::Czechia));
    ASSERT_NO_FATAL_FAILURE(Open("morning", 200));
    ASSERT_NO_FATAL_FAILURE(Open("noon", 300, false));
    EXPECT_EQ(Cell(0, 2), "20,0 s");
    const QString expected =
        "Flight\tSamples\tDuration (s)\tStart alt. (m)\tMin. alt. (m)\tMax. alt. (m)\tGain (m)\t"
        "Launch (s)\tLanding (s)\tAloft (s)\tMax. climb (m/s)\tMax. sink (m/s)\tMin. voltage (V)\t"
        "Max. voltage (V)\tMean voltage (V)\tMotor time (s)\tStart height (m)\tPenalty (pt)\t"
        "Warnings\n"
        "morning\t41\t20,0\t200,0\t200,0\t216,0\t16,0\t3,0\t17,0\t14,0\t2,0\t2,0\t11,25\t12,50\t"
        "11,86\t0,0\t\t\t0\n"
        "noon\t41\t20,0\t300,0\t300,0\t316,0\t16,0\t3,0\t17,0\t14,0\t2,0\t2,0\t\t\t\t0,0\t\t\t0\n";
    Ui.PageControl->setCurrentWidget(Ui.TabInfo);
    QApplication::clipboard()->setText("before");
    QTest::mouseClick(Named<QPushButton>(*Panel, "ButtonCopyStats"), Qt::LeftButton);
    EXPECT_EQ(QApplication::clipboard()->text().toStdString(), expected.toStdString());

    QApplication::clipboard()->setText("before");
    Table->setFocus();
    QTest::keyClick(Table, Qt::Key_C, Qt::ControlModifier);
    EXPECT_EQ(QApplication::clipboard()->text().toStdString(), expected.toStdString());

    // In the notes Ctrl+C still copies the notes' selection.
    Named<QTextEdit>(*Form, "RichEdit1")->setPlainText("my notes");
    Named<QTextEdit>(*Form, "RichEdit1")->selectAll();
    Named<QTextEdit>(*Form, "RichEdit1")->setFocus();
    QTest::keyClick(Named<QTextEdit>(*Form, "RichEdit1"), Qt::Key_C, Qt::ControlModifier);
    EXPECT_EQ(QApplication::clipboard()->text(), "my notes");
}

TEST_F(FlightStatsPanelTest, EveryTextShowsWholeAtTheDefaultSizeAndAQuarterLargerFont)
{
    const QFont original = QApplication::font();
    for (const double scale : {1.0, 1.25}) {
        QFont font = original;
        font.setPointSizeF(original.pointSizeF() * scale);
        QApplication::setFont(font);
        Form.reset();
        ASSERT_NO_FATAL_FAILURE(StartForm());
        Ui.PageControl->setCurrentWidget(Ui.TabInfo);
        Panel = Named<TFlightStatsPanel>(*Ui.NotesPage, "FlightStatsPanel");
        Table = Named<QTableWidget>(*Panel, "TableFlightStats");
        for (int i = 0; i < 7; ++i)
            ASSERT_NO_FATAL_FAILURE(Open(QString("flight with a long name %1").arg(i), 1000 + i));
        QTest::qWait(20);
        const QFontMetrics fm(Table->font());
        for (int c = 0; c < Table->columnCount(); ++c) {
            const QFontMetrics headerFm(Table->horizontalHeader()->font());
            EXPECT_GE(Table->columnWidth(c), Table->horizontalHeader()->sectionSizeHint(c)) << c;
            EXPECT_GT(Table->columnWidth(c),
                      headerFm.horizontalAdvance(Table->horizontalHeaderItem(c)->text()))
                << c;
            for (int r = 0; r < Table->rowCount(); ++r)
                EXPECT_GT(Table->columnWidth(c), fm.horizontalAdvance(Cell(r, c)))
                    << scale << " " << r << " " << c;
        }
        // Five rows show whole above the notes, the rest scroll; so do the columns.
        int rows = 0;
        for (int r = 0; r < TFlightStatsPanel::kShownRows; ++r)
            rows += Table->rowHeight(r);
        EXPECT_GE(Table->viewport()->height(), rows) << scale;
        EXPECT_TRUE(Table->verticalScrollBar()->isVisible()) << scale;
        if (Table->horizontalHeader()->length() > Table->viewport()->width()) {
            EXPECT_TRUE(Table->horizontalScrollBar()->isVisible()) << scale;
        }
        EXPECT_GE(Named<QTextEdit>(*Form, "RichEdit1")->height(),
                  3 * Named<QTextEdit>(*Form, "RichEdit1")->fontMetrics().height())
            << scale;
        EXPECT_EQ(Named<QPushButton>(*Panel, "ButtonCopyStats")->width(),
                  Named<QPushButton>(*Panel, "ButtonCopyStats")->sizeHint().width())
            << scale;
    }
    QApplication::setFont(original);
}
