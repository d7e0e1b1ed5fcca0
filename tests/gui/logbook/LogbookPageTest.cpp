// The Logbook page of the main window: the rows of a data folder, the filter and its count,
// sorting, the summary of a selection, the commands on the selected flights, and the reading
// (re-reading what changed on disk, Cancel).
#include "gui/logbook/LogbookPage.h"
#include "core/logbook/FlightDetails.h"
#include "core/logbook/LogbookColumns.h"
#include "gui/app/FormMain.h"
#include "gui/logbook/FormFlightDetails.h"
#include "gui/logbook/TrendsView.h"
#include "gui/shell/DataTree.h"
#include "model/flightdata/OpenFlights.h"
#include "model/logbook/LogbookTableModel.h"
#include "platform/files/FileStore.h"
#include "platform/files/FlightFile.h"
#include "support/EntryInput.h"
#include "support/MainWindowFixture.h"
#include "support/TestUtil.h"

#include <QApplication>
#include <QContextMenuEvent>
#include <QDir>
#include <QFileInfo>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QProgressBar>
#include <QPushButton>
#include <QTabBar>
#include <QTabWidget>
#include <QTableView>
#include <QTest>
#include <gtest/gtest.h>
#include <qcustomplot.h>

#include <optional>

using namespace zirko;
using namespace zirko::test;

namespace {

// 41 samples 0.5 s apart climbing from the ground to `top` m and down again.
TDataBlock MakeFlight(double top, const std::vector<std::string>& extra = {})
{
    TDataBlock f;
    f.DateText = "01.05.2026 10:00:00";
    f.Sampling = 50;
    f.ChannelMask = 0xC000;
    for (int i = 0; i <= 40; ++i) {
        f.Time.push_back(i * 0.5);
        const double up = i < 5 || i > 35 ? 0 : i <= 20 ? (i - 4) / 16.0 : (36 - i) / 16.0;
        f.Altitude.push_back(100 + up * top);
        f.Rx.push_back(0);
    }
    f.ExtraLines = extra;
    return f;
}

class LogbookPageTest : public TMainWindowFixture {
protected:
    void SetUp() override
    {
        TMainWindowFixture::SetUp();
        ASSERT_TRUE(IndexDir.isValid());
    }
    void TearDown() override
    {
        Dialogs->Answers.assign(10, TAnswer::No);
        TMainWindowFixture::TearDown();
    }

    // The window with its Logbook tab chosen by a click, its first reading done.
    void OpenPage()
    {
        ASSERT_NO_FATAL_FAILURE(StartForm());
        Page = Ui.LogbookPage;
        Page->SetIndexPath(IndexDir.path() + "/logbook.sqlite");
        Table = Named<QTableView>(*Page, "TableLogbook");
        QTabBar* bar = Ui.PageControl->tabBar();
        const int tab = Ui.PageControl->indexOf(Ui.TabLogbook);
        ASSERT_GE(tab, 0);
        EXPECT_EQ(bar->tabText(tab), "Logbook");
        QTest::mouseClick(bar, Qt::LeftButton, {}, bar->tabRect(tab).center());
        ASSERT_EQ(Ui.PageControl->currentWidget(), Ui.TabLogbook);
        ASSERT_TRUE(WaitForRows());
    }
    bool WaitForRows() const
    {
        return QTest::qWaitFor([this] { return !Page->IsReading(); }, 20000);
    }
    int Shown() const { return Table->model()->rowCount(); }
    QString Cell(int row, const char* key) const
    {
        return Table->model()
            ->index(row, static_cast<int>(*LogbookColumnIndex(key)))
            .data()
            .toString();
    }
    int RowOf(const QString& name) const
    {
        for (int r = 0; r < Shown(); ++r)
            if (Cell(r, "name") == name)
                return r;
        return -1;
    }
    QPoint CellPos(int row) const
    {
        return Table->visualRect(Table->model()->index(row, 0)).center();
    }
    void Click(int row, Qt::KeyboardModifiers mods = {})
    {
        QTest::mouseClick(Table->viewport(), Qt::LeftButton, mods, CellPos(row));
    }
    void TypeFilter(const QString& text)
    {
        Named<QLineEdit>(*Page, "EditFilter")->setFocus();
        Named<QLineEdit>(*Page, "EditFilter")->selectAll();
        QTest::keyClick(Named<QLineEdit>(*Page, "EditFilter"), Qt::Key_Backspace);
        QTest::keyClicks(Named<QLineEdit>(*Page, "EditFilter"), text);
    }
    // Right click on a row, then a click on the action in the popup.
    void Choose(int row, QAction* action)
    {
        const QPoint pos = CellPos(row);
        QContextMenuEvent event(QContextMenuEvent::Mouse, pos, Table->viewport()->mapToGlobal(pos));
        QApplication::sendEvent(Table->viewport(), &event);
        ASSERT_TRUE(Named<QMenu>(*Page, "PopupLogbook")->isVisible());
        QTest::qWait(20); // the headless platform activates the popup window late
        QTest::mouseClick(Named<QMenu>(*Page, "PopupLogbook"), Qt::LeftButton, {},
                          Named<QMenu>(*Page, "PopupLogbook")->actionGeometry(action).center());
        QCoreApplication::processEvents();
    }
    // Three flights and a file that is no flight.
    void WriteFolder()
    {
        WriteFlight("a.zdf", MakeFlight(9, {"Model=Bubble", "Pilot=Eva"}));
        WriteFlight("Club/b.zdf", MakeFlight(100, {"Model=Pike", "Tags=f5j, calm"}));
        WriteFlight("Club/c.zdf", MakeFlight(10, {"StartElevation=312"}));
        ASSERT_TRUE(WriteBytes(Dir.path() + "/Club/bad.zdf", "not a flight\r\n"));
    }

    QTemporaryDir IndexDir;
    TLogbookPage* Page = nullptr;
    QTableView* Table = nullptr;
};

TEST_F(LogbookPageTest, ListsTheFolderAndTheFilterCountsWhatMatches)
{
    WriteFolder();
    ASSERT_NO_FATAL_FAILURE(OpenPage());
    EXPECT_EQ(Named<QLabel>(*Page, "LabelCount")->text(), "4 of 4 flights");
    ASSERT_EQ(Shown(), 4);
    const int b = RowOf("b");
    ASSERT_GE(b, 0);
    EXPECT_EQ(Cell(b, "folder"), "Club");
    EXPECT_EQ(Cell(b, "model"), "Pike");
    EXPECT_EQ(Cell(b, "tags"), "f5j, calm");
    EXPECT_EQ(Cell(b, "maxAltitude"), "200.0");
    EXPECT_EQ(Cell(b, "date"), "01.05.2026 10:00:00");
    // The file that cannot be read has its row, with the reader's message.
    const int bad = RowOf("bad");
    ASSERT_GE(bad, 0);
    EXPECT_FALSE(Cell(bad, "warnings").isEmpty());
    EXPECT_TRUE(Table->model()->index(bad, 0).data(TLogbookTableModel::kErrorRole).toBool());
    EXPECT_EQ(Cell(bad, "maxAltitude"), "");

    TypeFilter("model:pike");
    EXPECT_EQ(Named<QLabel>(*Page, "LabelCount")->text(), "1 of 4 flights");
    ASSERT_EQ(Shown(), 1);
    EXPECT_EQ(Cell(0, "name"), "b");
    TypeFilter("club -tag:f5j");
    EXPECT_EQ(Named<QLabel>(*Page, "LabelCount")->text(), "2 of 4 flights");
    TypeFilter("maxAltitude>150");
    EXPECT_EQ(Named<QLabel>(*Page, "LabelCount")->text(), "1 of 4 flights");
    TypeFilter("nothing-like-this");
    EXPECT_EQ(Named<QLabel>(*Page, "LabelCount")->text(), "0 of 4 flights");
    EXPECT_EQ(Shown(), 0);
    // A term that cannot be read says why and leaves the rows as they were.
    TypeFilter("model:pike");
    Named<QLineEdit>(*Page, "EditFilter")->selectAll();
    PasteByKey(Named<QLineEdit>(*Page, "EditFilter"), "maxAltitude>");
    EXPECT_NE(Named<QLabel>(*Page, "LabelCount")->text(), "1 of 4 flights");
    EXPECT_FALSE(Named<QLabel>(*Page, "LabelCount")->text().isEmpty());
    EXPECT_EQ(Shown(), 1);
    TypeFilter("");
    EXPECT_EQ(Named<QLabel>(*Page, "LabelCount")->text(), "4 of 4 flights");
}

TEST_F(LogbookPageTest, NumbersSortAsNumbersWithEmptyCellsLast)
{
    WriteFolder();
    ASSERT_NO_FATAL_FAILURE(OpenPage());
    QHeaderView* header = Table->horizontalHeader();
    const int column = static_cast<int>(*LogbookColumnIndex("maxAltitude"));
    const QPoint at(header->sectionViewportPosition(column) + header->sectionSize(column) / 2,
                    header->height() / 2);
    QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, at);
    const auto order = [this] {
        QStringList names;
        for (int r = 0; r < Shown(); ++r)
            names << Cell(r, "name");
        return names;
    };
    const QStringList first = order();
    const QStringList ascending{"a", "c", "b", "bad"};
    const QStringList descending{"b", "c", "a", "bad"};
    EXPECT_TRUE(first == ascending || first == descending) << first.join(' ').toStdString();
    QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, at);
    EXPECT_EQ(order(), first == ascending ? descending : ascending);
}

TEST_F(LogbookPageTest, TheSummaryAddsUpTheSelectedRows)
{
    WriteFolder();
    ASSERT_NO_FATAL_FAILURE(OpenPage());
    EXPECT_EQ(Named<QLabel>(*Page, "LabelSummary")->text(), "");
    Click(RowOf("a"));
    Click(RowOf("b"), Qt::ControlModifier);
    ASSERT_EQ(Page->SelectedRows().size(), 2u);
    const QString text = Named<QLabel>(*Page, "LabelSummary")->text();
    EXPECT_TRUE(text.startsWith("2 flights selected: time aloft ")) << text.toStdString();
    EXPECT_TRUE(text.contains("highest 200")) << text.toStdString();
    Click(RowOf("bad"), Qt::ControlModifier);
    EXPECT_TRUE(Named<QLabel>(*Page, "LabelSummary")->text().startsWith("3 flights selected"));
}

TEST_F(LogbookPageTest, SetDetailsRewritesOnlyTheExtraSectionsOfTheSelectedFlights)
{
    WriteFolder();
    const QString bPath = Dir.path() + "/Club/b.zdf";
    const QString cPath = Dir.path() + "/Club/c.zdf";
    const QByteArray aBefore = ReadBytes(Dir.path() + "/a.zdf");
    const QByteArray bBefore = ReadBytes(bPath);
    const QByteArray cBefore = ReadBytes(cPath);
    ASSERT_NO_FATAL_FAILURE(OpenPage());
    Click(RowOf("b"));
    Click(RowOf("c"), Qt::ControlModifier);
    Dialogs->DialogScripts.push_back([](QDialog& d) {
        auto& f = static_cast<TFormFlightDetails&>(d);
        d.show();
        EXPECT_EQ(Named<QLabel>(f, "LabelFlights")->text(), "The details of 2 flights:");
        EXPECT_EQ(Named<QLineEdit>(f, "EditModel")->text(), ""); // they differ
        EXPECT_FALSE(Named<QLineEdit>(f, "EditModel")->placeholderText().isEmpty());
        QTest::keyClicks(Named<QLineEdit>(f, "EditSite"), "Black Hill");
        QTest::keyClicks(Named<QLineEdit>(f, "EditPilot"), "Jan");
        return int(QDialog::Accepted);
    });
    ASSERT_NO_FATAL_FAILURE(Choose(RowOf("b"), Named<QAction>(*Page, "pmnuSetDetails")));
    EXPECT_TRUE(Dialogs->Errors().isEmpty()) << Dialogs->Errors().join('\n').toStdString();
    EXPECT_EQ(ReadBytes(Dir.path() + "/a.zdf"), aBefore);
    for (const auto& [path, before] : {std::pair{bPath, bBefore}, std::pair{cPath, cBefore}}) {
        const QByteArray after = ReadBytes(path);
        const TExtraSection was = LocateExtraSection(before.toStdString());
        const TExtraSection now = LocateExtraSection(after.toStdString());
        ASSERT_TRUE(now.Found);
        EXPECT_EQ(after.left(static_cast<qsizetype>(now.LinesBegin)),
                  before.left(static_cast<qsizetype>(was.LinesBegin)));
        EXPECT_EQ(after.mid(static_cast<qsizetype>(now.LinesEnd)),
                  before.mid(static_cast<qsizetype>(was.LinesEnd)));
        const TFlightDetails d = ReadDetails(now.Lines);
        EXPECT_EQ(d.Site, "Black Hill");
        EXPECT_EQ(d.Pilot, "Jan");
    }
    EXPECT_EQ(ReadDetails(LocateExtraSection(ReadBytes(bPath).toStdString()).Lines).Model, "Pike");
    EXPECT_TRUE(LocateExtraSection(ReadBytes(cPath).toStdString()).Lines[1] ==
                "StartElevation=312");
    // The page reads the two files again.
    ASSERT_TRUE(
        QTest::qWaitFor([this] { return Cell(RowOf("c"), "site") == "Black Hill"; }, 20000));
    EXPECT_EQ(Cell(RowOf("b"), "pilot"), "Jan");
    EXPECT_EQ(Cell(RowOf("a"), "pilot"), "Eva");
}

TEST_F(LogbookPageTest, DetailsAreNotSetBehindAChangedOpenFlight)
{
    WriteFolder();
    const QString bPath = Dir.path() + "/Club/b.zdf";
    const QByteArray before = ReadBytes(bPath);
    ASSERT_NO_FATAL_FAILURE(OpenPage());
    // A double click opens the flight and shows the graph.
    Click(RowOf("b"));
    QTest::mouseDClick(Table->viewport(), Qt::LeftButton, {}, CellPos(RowOf("b")));
    ASSERT_EQ(Form->Flights->FlightCount(), 1);
    EXPECT_EQ(Ui.PageControl->currentWidget(), Ui.TabGraph);
    Form->Flights->SetModified(0, true);
    Ui.PageControl->setCurrentWidget(Ui.TabLogbook);
    ASSERT_TRUE(WaitForRows());
    Click(RowOf("b"));
    Dialogs->DialogScripts.push_back([](QDialog&) {
        ADD_FAILURE() << "the dialog opened over a changed flight";
        return int(QDialog::Rejected);
    });
    ASSERT_NO_FATAL_FAILURE(Choose(RowOf("b"), Named<QAction>(*Page, "pmnuSetDetails")));
    ASSERT_EQ(Dialogs->Errors().size(), 1);
    EXPECT_TRUE(Dialogs->Errors()[0].contains("open and changed"))
        << Dialogs->Errors()[0].toStdString();
    EXPECT_EQ(ReadBytes(bPath), before);
    Dialogs->DialogScripts.clear();
    EXPECT_TRUE(Form->Flights->Modified(0));
}

TEST_F(LogbookPageTest, EnterOpensTheSelectedFlightsAndShowInTreeSelectsTheFile)
{
    WriteFolder();
    ASSERT_NO_FATAL_FAILURE(OpenPage());
    Click(RowOf("a"));
    Click(RowOf("c"), Qt::ControlModifier);
    ASSERT_NO_FATAL_FAILURE(Choose(RowOf("c"), Named<QAction>(*Page, "pmnuShowInTree")));
    ASSERT_NE(Ui.TreeView1->currentItem(), nullptr);
    EXPECT_EQ(Ui.TreeView1->GetFullName(Ui.TreeView1->currentItem()), Dir.path() + "/Club/c.zdf");
    Ui.PageControl->setCurrentWidget(Ui.TabLogbook);
    ASSERT_TRUE(WaitForRows());
    Table->setFocus();
    QTest::keyClick(Table, Qt::Key_Return);
    EXPECT_EQ(Form->Flights->FlightCount(), 2);
    EXPECT_EQ(Ui.PageControl->currentWidget(), Ui.TabGraph);
}

TEST_F(LogbookPageTest, CompareOpensTheSelectedFlightsWithTheirLaunchesAligned)
{
    WriteFolder();
    ASSERT_NO_FATAL_FAILURE(OpenPage());
    Click(RowOf("b"));
    Click(RowOf("c"), Qt::ControlModifier);
    ASSERT_NO_FATAL_FAILURE(Choose(RowOf("c"), Named<QAction>(*Page, "pmnuCompare")));
    ASSERT_EQ(Form->Flights->FlightCount(), 2);
    EXPECT_EQ(Ui.PageControl->currentWidget(), Ui.TabGraph);
    // Both flights have a launch: nothing to report.
    EXPECT_TRUE(Dialogs->Log.isEmpty()) << Dialogs->Log.join('\n').toStdString();
}

TEST_F(LogbookPageTest, AnIndexThatCannotBeWrittenOnlyCostsTime)
{
    WriteFolder();
    ASSERT_TRUE(WriteBytes(IndexDir.path() + "/file", "x"));
    ASSERT_NO_FATAL_FAILURE(StartForm());
    Page = Ui.LogbookPage;
    // A folder that is a file: no index can be made there.
    Page->SetIndexPath(IndexDir.path() + "/file/logbook.sqlite");
    Table = Named<QTableView>(*Page, "TableLogbook");
    Ui.PageControl->setCurrentWidget(Ui.TabLogbook);
    ASSERT_TRUE(WaitForRows());
    EXPECT_EQ(Named<QLabel>(*Page, "LabelCount")->text(), "4 of 4 flights");
    EXPECT_EQ(Cell(RowOf("b"), "model"), "Pike");
    EXPECT_TRUE(Dialogs->Errors().isEmpty());
}

TEST_F(LogbookPageTest, ExportWritesTheShownRowsAsCsv)
{
    WriteFolder();
    ASSERT_NO_FATAL_FAILURE(OpenPage());
    TypeFilter("folder:club");
    ASSERT_EQ(Shown(), 3);
    const QString out = IndexDir.path() + "/rows.csv";
    Dialogs->FileNames.push_back(out);
    ASSERT_NO_FATAL_FAILURE(Choose(0, Named<QAction>(*Page, "pmnuExport")));
    const QList<QByteArray> lines = ReadBytes(out).split('\n');
    ASSERT_EQ(lines.size(), 5); // header, three rows, the end
    EXPECT_TRUE(lines[0].startsWith("path,name,folder,date,model"));
    EXPECT_TRUE(ReadBytes(out).contains("Club/b.zdf,b,Club,"));
    // A flight file is never replaced by the rows.
    const QByteArray flight = ReadBytes(Dir.path() + "/a.zdf");
    Dialogs->FileNames.push_back(Dir.path() + "/a.zdf");
    ASSERT_NO_FATAL_FAILURE(Choose(0, Named<QAction>(*Page, "pmnuExport")));
    EXPECT_EQ(ReadBytes(Dir.path() + "/a.zdf"), flight);
    EXPECT_EQ(Dialogs->Errors().size(), 1);
}

TEST_F(LogbookPageTest, AFlightChangedOnDiskIsReadAgain)
{
    WriteFolder();
    ASSERT_NO_FATAL_FAILURE(OpenPage());
    ASSERT_EQ(Cell(RowOf("c"), "maxAltitude"), "110.0");
    // Written as the program writes, through a new file put in place.
    WriteFlight("Club/c.zdf", MakeFlight(50));
    EXPECT_TRUE(
        QTest::qWaitFor([this] { return Cell(RowOf("c"), "maxAltitude") == "150.0"; }, 20000));
    // A new file appears, a deleted one goes.
    WriteFlight("Club/d.zdf", MakeFlight(20));
    ASSERT_TRUE(QFile::remove(Dir.path() + "/a.zdf"));
    EXPECT_TRUE(QTest::qWaitFor([this] { return RowOf("d") >= 0 && RowOf("a") < 0; }, 20000));
    EXPECT_EQ(Named<QLabel>(*Page, "LabelCount")->text(), "4 of 4 flights");
}

TEST_F(LogbookPageTest, CancelStopsAReadingAndKeepsEveryFileInTheTable)
{
    for (int i = 0; i < 300; ++i)
        WriteFlight(QString("Many/f%1.zdf").arg(i, 3, 10, QChar('0')), MakeFlight(10 + i));
    ASSERT_NO_FATAL_FAILURE(StartForm());
    Page = Ui.LogbookPage;
    Page->SetIndexPath(IndexDir.path() + "/logbook.sqlite");
    Table = Named<QTableView>(*Page, "TableLogbook");
    QTabBar* bar = Ui.PageControl->tabBar();
    QTest::mouseClick(bar, Qt::LeftButton, {},
                      bar->tabRect(Ui.PageControl->indexOf(Ui.TabLogbook)).center());
    ASSERT_TRUE(Page->IsReading());
    ASSERT_TRUE(Named<QPushButton>(*Page, "ButtonCancel")->isVisible());
    QTest::mouseClick(Named<QPushButton>(*Page, "ButtonCancel"), Qt::LeftButton);
    ASSERT_TRUE(WaitForRows());
    EXPECT_FALSE(Named<QPushButton>(*Page, "ButtonCancel")->isVisible());
    EXPECT_FALSE(Named<QProgressBar>(*Page, "ProgressRead")->isVisible());
    ASSERT_EQ(Page->Table()->rowCount(), 300);
    int unread = 0;
    for (const TLogbookRow& row : Page->Table()->Rows())
        unread += row.Error.empty() ? 0 : 1;
    EXPECT_GT(unread, 0);
    EXPECT_TRUE(Named<QLabel>(*Page, "LabelCount")->text().contains("not read"))
        << Named<QLabel>(*Page, "LabelCount")->text().toStdString();
    // The next reading reads what the cancel left.
    Page->Refresh();
    ASSERT_TRUE(WaitForRows());
    for (const TLogbookRow& row : Page->Table()->Rows())
        EXPECT_EQ(row.Error, "") << row.Path;
    EXPECT_EQ(Named<QLabel>(*Page, "LabelCount")->text(), "300 of 300 flights");
}

// A data folder with more folders than a reading walks: the rows of those walked, and a line
// that says the others are missing, gone once the whole folder is read.
TEST_F(LogbookPageTest, TheFolderLimitIsNamedOnThePage)
{
    WriteFlight("top.zdf", MakeFlight(10));
    for (const char* folder : {"A", "B", "C"})
        WriteFlight(QString("%1/%2.zdf").arg(folder, QString(folder).toLower()), MakeFlight(20));
    ASSERT_NO_FATAL_FAILURE(StartForm());
    Page = Ui.LogbookPage;
    Page->SetIndexPath(IndexDir.path() + "/logbook.sqlite");
    Page->SetMaxFolders(2);
    Table = Named<QTableView>(*Page, "TableLogbook");
    QTabBar* bar = Ui.PageControl->tabBar();
    QTest::mouseClick(bar, Qt::LeftButton, {},
                      bar->tabRect(Ui.PageControl->indexOf(Ui.TabLogbook)).center());
    ASSERT_TRUE(WaitForRows());
    auto* note = Page->findChild<QLabel*>("LabelLimit");
    ASSERT_TRUE(note);
    EXPECT_TRUE(note->isVisible());
    EXPECT_EQ(note->text(), "The data folder " + QDir::toNativeSeparators(Page->DataDir()) +
                                " holds more than 2 folders. The logbook shows the flights of "
                                "the first 2 of them.");
    EXPECT_EQ(Named<QLabel>(*Page, "LabelCount")->text(), "2 of 2 flights");
    EXPECT_GE(RowOf("top"), 0);
    EXPECT_GE(RowOf("a"), 0);

    Page->SetMaxFolders(10);
    Page->Refresh();
    ASSERT_TRUE(WaitForRows());
    EXPECT_FALSE(note->isVisible());
    EXPECT_EQ(Named<QLabel>(*Page, "LabelCount")->text(), "4 of 4 flights");
}

TEST_F(LogbookPageTest, ColumnsChosenMovedAndSizedAreKept)
{
    WriteFolder();
    ASSERT_NO_FATAL_FAILURE(OpenPage());
    QHeaderView* header = Table->horizontalHeader();
    const int notes = static_cast<int>(*LogbookColumnIndex("notes"));
    const int date = static_cast<int>(*LogbookColumnIndex("date"));
    // The header's menu hides a column.
    QContextMenuEvent event(QContextMenuEvent::Mouse, QPoint(5, 5),
                            header->viewport()->mapToGlobal(QPoint(5, 5)));
    QApplication::sendEvent(header->viewport(), &event);
    ASSERT_TRUE(Named<QMenu>(*Page, "PopupColumns")->isVisible());
    QAction* notesAction =
        Named<QMenu>(*Page, "PopupColumns")->findChild<QAction*>("pmnuColumn_notes");
    ASSERT_NE(notesAction, nullptr);
    QTest::qWait(20);
    QTest::mouseClick(Named<QMenu>(*Page, "PopupColumns"), Qt::LeftButton, {},
                      Named<QMenu>(*Page, "PopupColumns")->actionGeometry(notesAction).center());
    EXPECT_TRUE(header->isSectionHidden(notes));
    header->moveSection(header->visualIndex(date), 0);
    header->resizeSection(date, 177);
    Form->close();
    Form.reset();
    ASSERT_NO_FATAL_FAILURE(OpenPage());
    header = Table->horizontalHeader();
    EXPECT_TRUE(header->isSectionHidden(notes));
    EXPECT_EQ(header->logicalIndex(0), date);
    EXPECT_EQ(header->sectionSize(date), 177);
}

} // namespace

TEST_F(LogbookPageTest, WhatTheTreeChangesReachesTheLogbookAlsoWhileItIsHidden)
{
    WriteFolder();
    ASSERT_NO_FATAL_FAILURE(OpenPage());
    ASSERT_TRUE(WaitForTree(*Form));
    TDataTree* tree = Ui.TreeView1;
    Ui.PageControl->setCurrentWidget(Ui.TabGraph);
    ASSERT_FALSE(Page->isVisible());

    tree->TreeView1Edited(tree->FindNode("a"), "renamed");
    tree->FindNode("Club")->setExpanded(true);
    tree->TreeView1DragDrop(tree->FindNode("Club/c"), tree->RootNode());
    tree->PopupTag = tree->AbsoluteIndex(tree->FindNode("Club/b"));
    tree->mnuDeleteClick();
    ASSERT_TRUE(Dialogs->Errors().isEmpty()) << Dialogs->Log.join("\n").toStdString();
    QTest::qWait(400);
    EXPECT_FALSE(Page->IsReading()); // a hidden page reads nothing yet

    Ui.PageControl->setCurrentWidget(Ui.TabLogbook);
    ASSERT_TRUE(
        QTest::qWaitFor([this] { return RowOf("renamed") >= 0 && !Page->IsReading(); }, 20000));
    EXPECT_EQ(RowOf("a"), -1);
    EXPECT_EQ(RowOf("b"), -1);
    ASSERT_GE(RowOf("c"), 0);
    EXPECT_EQ(Cell(RowOf("c"), "folder"), "");
    EXPECT_EQ(Named<QLabel>(*Page, "LabelCount")->text(), "3 of 3 flights");

    // A renamed root folder is followed, not lost.
    const QString root = Form->DataFolder->Root();
    tree->TreeView1Edited(tree->RootNode(), "moved");
    ASSERT_EQ(Page->DataDir(), QFileInfo(root).path() + "/moved");
    EXPECT_TRUE(QTest::qWaitFor(
        [this] {
            return !Page->IsReading() &&
                   Named<QLabel>(*Page, "LabelCount")->text() == "3 of 3 flights";
        },
        20000))
        << Named<QLabel>(*Page, "LabelCount")->text().toStdString();
    EXPECT_GE(RowOf("renamed"), 0);
    tree->TreeView1Edited(tree->RootNode(), QFileInfo(root).fileName()); // for the clean-up
    EXPECT_TRUE(QFileInfo(root).isDir());
}

TEST_F(LogbookPageTest, TrendsShowTheRowsAndAClickedPointSelectsItsRow)
{
    WriteFolder();
    ASSERT_NO_FATAL_FAILURE(OpenPage());
    const TTrendsView* trends = Named<TTrendsView>(*Page, "TrendsView");
    EXPECT_FALSE(trends->isVisible());
    QTest::mouseClick(Named<QPushButton>(*Page, "ButtonTrends"), Qt::LeftButton);
    ASSERT_TRUE(trends->isVisible());
    QCustomPlot* plot = Named<QCustomPlot>(*trends, "PlotTrends");
    const int b = RowOf("b");
    ASSERT_GE(b, 0);
    const int source = Page->Proxy()->mapToSource(Table->model()->index(b, 0)).row();
    std::optional<QPoint> point;
    ASSERT_TRUE(QTest::qWaitFor([&] { return (point = trends->PointPixel(source)).has_value(); }));

    QTest::mouseMove(plot, *point);
    EXPECT_TRUE(Named<QLabel>(*trends, "LabelHover")->text().startsWith("b (Pike): "));
    QTest::mouseClick(plot, Qt::LeftButton, {}, *point);
    const QModelIndexList selected = Table->selectionModel()->selectedRows();
    ASSERT_EQ(selected.size(), 1);
    EXPECT_EQ(selected[0].row(), b);
    EXPECT_TRUE(Named<QLabel>(*Page, "LabelSummary")->text().contains("1 flight selected"))
        << Named<QLabel>(*Page, "LabelSummary")->text().toStdString();

    // The filter's rows are the chart's.
    TypeFilter("model:bubble");
    ASSERT_TRUE(QTest::qWaitFor([&] { return !trends->PointPixel(source); }));
    QTest::mouseClick(Named<QPushButton>(*Page, "ButtonTrends"), Qt::LeftButton);
    EXPECT_FALSE(trends->isVisible());
}
