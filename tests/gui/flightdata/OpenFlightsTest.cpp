#include "model/flightdata/OpenFlights.h"
#include "gui/app/FormMain.h"
#include "gui/flightdata/FlightGrid.h"
#include "gui/graph/Chart.h"
#include "gui/graph/GraphPage.h"
#include "gui/shell/FormAssert.h"
#include "platform/files/FlightFile.h"
#include "platform/richtext/RtfReader.h"
#include "support/MainWindowFixture.h"
#include "support/TestUtil.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QSplitter>
#include <QTemporaryDir>
#include <QTest>
#include <QTextDocument>
#include <QTextEdit>
#include <QToolTip>
#include <gtest/gtest.h>

using namespace zirko;
using namespace zirko::test;

namespace {

TDataBlock MakeFlight(int samples, bool voltage, double height)
{
    TDataBlock f;
    f.DateText = "8.12.2026 7:14:28";
    f.Sampling = 10;
    f.ChannelMask = voltage ? 0xC800 : 0xC000;
    for (int i = 0; i < samples; ++i) {
        f.Time.push_back(i * 0.5);
        f.Altitude.push_back(i == samples / 2 ? height : i * 0.1);
        f.Rx.push_back(i % 10 == 0 ? 50 : -20);
        if (voltage)
            f.Voltage.push_back(5.0);
    }
    f.Notes = "first notes";
    return f;
}

class OpenFlightsTest : public TMainWindowFixture {
protected:
    void SetUp() override
    {
        TMainWindowFixture::SetUp();
        ASSERT_NO_FATAL_FAILURE(StartForm());
    }
    void TearDown() override
    {
        Dialogs->Answers.clear();
        for (int i = 0; i < 10; ++i)
            Dialogs->Answers.push_back(TAnswer::No);
        TMainWindowFixture::TearDown();
    }
    QString Write(const QString& name, const TDataBlock& f) { return WriteFlight(name, f); }
};

std::string PlainNotes(const std::string& bytes)
{
    QTextDocument doc;
    LoadNotesDocument(bytes, doc);
    return doc.toPlainText().toStdString();
}

} // namespace

TEST_F(OpenFlightsTest, FirstFlightBecomesCurrentAndLaterOnesAreAdded)
{
    const QString a = Write("a.zdf.zdf", MakeFlight(300, true, 123.44));
    const QString b = Write("b.zdf", MakeFlight(10, false, 5));
    EXPECT_EQ(Form->Flights->OpenDataFile(a), 0);
    EXPECT_TRUE(Ui.StringGrid1->isVisible());
    EXPECT_TRUE(Ui.TabInfo->isEnabled());
    EXPECT_TRUE(Ui.TabGraph->isEnabled());
    EXPECT_EQ(Form->Flights->ActualRow(), 0);
    EXPECT_EQ(Form->Flights->Name(0), "a");
    EXPECT_EQ(Ui.GraphPage->Plot().SeriesOf(0, kSlotAltitude)->Title(), "a (Alt)");
    EXPECT_EQ(Ui.GraphPage->Plot().SeriesOf(0, kSlotVoltage)->Title(), "a (PowS)");
    EXPECT_EQ(Form->Flights->FileName(0), a);
    EXPECT_EQ(Form->Flights->Channel(1, 0), TChannelState::On);
    EXPECT_EQ(Named<QLineEdit>(*Form, "EditFlyTime")->text(), "2 min 29.5 sec");
    EXPECT_EQ(Named<QLineEdit>(*Form, "EditMaxAlt")->text(), "123.4 m");
    EXPECT_EQ(Named<QLineEdit>(*Form, "EditVer")->text(), "0");
    EXPECT_EQ(Named<QTextEdit>(*Form, "RichEdit1")->toPlainText(), "first notes");

    EXPECT_EQ(Form->Flights->OpenDataFile(b), 1);
    EXPECT_EQ(Form->Flights->ActualRow(), 0);
    EXPECT_EQ(Form->Flights->Channel(3, 1), TChannelState::Unavailable); // no voltage samples
    EXPECT_EQ(Form->Flights->FlightCount(), 2);
}

TEST_F(OpenFlightsTest, GreyedChannelCannotBeSwitched)
{
    Form->Flights->OpenDataFile(Write("b.zdf", MakeFlight(10, false, 5)));
    const QRect cell = Ui.StringGrid1->CellRect(3, 0);
    QTest::mouseClick(Ui.StringGrid1->viewport(), Qt::LeftButton, {}, cell.center());
    EXPECT_EQ(Form->Flights->Channel(3, 0), TChannelState::Unavailable);
    const QRect servo = Ui.StringGrid1->CellRect(2, 0);
    QTest::mouseClick(Ui.StringGrid1->viewport(), Qt::LeftButton, {}, servo.center());
    EXPECT_EQ(Form->Flights->Channel(2, 0), TChannelState::On);
    QTest::mouseClick(Ui.StringGrid1->viewport(), Qt::LeftButton, {}, servo.center());
    EXPECT_EQ(Form->Flights->Channel(2, 0), TChannelState::Off);
    EXPECT_TRUE(Form->Flights->ChannelShownAnywhere(1));
    EXPECT_FALSE(Form->Flights->ChannelShownAnywhere(2));
}

TEST_F(OpenFlightsTest, UnreadableFilesAreNotOpened)
{
    EXPECT_EQ(Form->Flights->OpenDataFile(Dir.path() + "/missing.zdf"), -1);
    EXPECT_TRUE(Dialogs->Log.isEmpty());
    const QString bad = Dir.path() + "/bad.zdf";
    WriteBytes(bad, "<header>\r\n<Data>\r\n1\r\n</Data>\r\n");
    EXPECT_EQ(Form->Flights->OpenDataFile(bad), -1);
    ASSERT_EQ(Dialogs->Errors().size(), 1);
    EXPECT_EQ(Dialogs->Errors()[0],
              "Error by opening datafile \"" + bad + "\"! \rBad header of file");
    const QString empty = Dir.path() + "/empty.zdf";
    WriteBytes(
        empty,
        "<Header>\r\nd\r\n1\r\n0\r\n0\r\n0\r\n0\r\n0\r\n0\r\n</Header>\r\n<Data>\r\n</Data>\r\n");
    EXPECT_EQ(Form->Flights->OpenDataFile(empty), -1);
    EXPECT_FALSE(Ui.StringGrid1->isVisible());
}

TEST_F(OpenFlightsTest, ClosingRowsMovesTheLaterOnesUp)
{
    const QString a = Write("a.zdf", MakeFlight(10, true, 1));
    const QString b = Write("b.zdf", MakeFlight(10, true, 2));
    const QString c = Write("c.zdf", MakeFlight(10, true, 3));
    Form->Flights->OpenDataFile(a);
    Form->Flights->OpenDataFile(b);
    Form->Flights->OpenDataFile(c);
    std::vector<int> closed;
    QObject scope; // the connection ends with the test
    QObject::connect(Form->Flights, &TOpenFlights::FlightClosed, &scope,
                     [&](int row) { closed.push_back(row); });
    Form->Flights->CloseDataFile(0);
    EXPECT_EQ(closed, std::vector<int>{0});
    EXPECT_EQ(Ui.StringGrid1->rowCount(), 2);
    EXPECT_EQ(Form->Flights->Name(0), "b");
    EXPECT_EQ(Form->Flights->Name(1), "c");
    EXPECT_EQ(Form->Flights->FileName(1), c);
    EXPECT_EQ(Form->Flights->FlightCount(), 2);
    EXPECT_EQ(Form->Flights->ActualRow(), 0);
    EXPECT_EQ(Named<QLineEdit>(*Form, "EditMaxAlt")->text(), "2.0 m");

    Form->Flights->CloseDataFile(5);
    EXPECT_EQ(Dialogs->Errors().last(),
              "Chyba při rušení řádku ze seznamu otevřených souborů! Řádek neexistuje!");
    Form->Flights->CloseDataFile(1);
    Form->Flights->CloseDataFile(0);
    EXPECT_FALSE(Ui.StringGrid1->isVisible());
    EXPECT_FALSE(Ui.TabGraph->isEnabled());
    EXPECT_TRUE(Named<QLineEdit>(*Form, "EditDate")->text().isEmpty());
    EXPECT_EQ(Form->Flights->ActualRow(), -1);
}

TEST_F(OpenFlightsTest, SelectingANameMakesItCurrentAndKeepsEditedNotes)
{
    const QString a = Write("a.zdf", MakeFlight(10, true, 1));
    const QString b = Write("b.zdf", MakeFlight(10, true, 2));
    Form->Flights->OpenDataFile(a);
    Form->Flights->OpenDataFile(b);
    Named<QTextEdit>(*Form, "RichEdit1")->selectAll();
    QTest::keyClicks(Named<QTextEdit>(*Form, "RichEdit1"), "edited");
    QTest::mouseClick(Ui.StringGrid1->viewport(), Qt::LeftButton, {},
                      Ui.StringGrid1->CellRect(0, 1).center());
    EXPECT_EQ(Form->Flights->ActualRow(), 1);
    EXPECT_TRUE(Form->Flights->Modified(0));
    EXPECT_EQ(PlainNotes(Form->Flights->Flight(0)->Notes), "edited");
    EXPECT_EQ(Named<QLineEdit>(*Form, "EditMaxAlt")->text(), "2.0 m");
}

TEST_F(OpenFlightsTest, EditedNotesOfTheCurrentFlightSurviveClosingAnother)
{
    Form->Flights->OpenDataFile(Write("a.zdf", MakeFlight(10, true, 1)));
    Form->Flights->OpenDataFile(Write("b.zdf", MakeFlight(10, true, 2)));
    Named<QTextEdit>(*Form, "RichEdit1")->selectAll();
    QTest::keyClicks(Named<QTextEdit>(*Form, "RichEdit1"), "keep me");
    Form->Flights->CloseDataFile(1);
    EXPECT_EQ(PlainNotes(Form->Flights->Flight(0)->Notes), "keep me");
    EXPECT_EQ(Named<QTextEdit>(*Form, "RichEdit1")->toPlainText(), "keep me");
}

TEST_F(OpenFlightsTest, ModifiedFlightIsSavedOnlyAfterYesAndSavingClearsModified)
{
    const QString a = Write("a.zdf", MakeFlight(10, true, 1));
    Form->Flights->OpenDataFile(a);
    Form->Flights->StoreNotes(0, "changed");
    Dialogs->Answers = {TAnswer::No};
    EXPECT_TRUE(Form->Flights->SaveDataFile(0, true));
    EXPECT_EQ(Dialogs->Log.last(), "ask: Do you want to save changes of " + a + "?");
    TDataBlock onDisk;
    ReadDataFile(a.toStdString(), onDisk, 0);
    EXPECT_EQ(onDisk.Notes, "first notes");

    Dialogs->Answers = {TAnswer::Yes};
    EXPECT_TRUE(Form->Flights->SaveDataFile(0, true));
    TDataBlock saved;
    ReadDataFile(a.toStdString(), saved, 0);
    EXPECT_EQ(saved.Notes, "changed");
    EXPECT_FALSE(Form->Flights->Modified(0));
    const int asked = Dialogs->Log.size();
    EXPECT_TRUE(Form->Flights->SaveDataFile(0, true)); // not modified: no question
    EXPECT_EQ(Dialogs->Log.size(), asked);
}

TEST_F(OpenFlightsTest, SavingAVanishedFileAsksForANameAndCancelWritesNothing)
{
    const QString a = Write("a.zdf", MakeFlight(10, true, 1));
    Form->Flights->OpenDataFile(a);
    QFile::remove(a);
    EXPECT_TRUE(Form->Flights->SaveDataFile(0, false));
    EXPECT_EQ(Dialogs->Log.last(), "save: DataFile " + a + " not found!");
    EXPECT_FALSE(QFile::exists(a));
    EXPECT_EQ(Form->Flights->FlightCount(), 1);

    const QString other = Dir.path() + "/other.zdf";
    Dialogs->FileNames = {other};
    EXPECT_TRUE(Form->Flights->SaveDataFile(0, false));
    EXPECT_TRUE(QFile::exists(other));
    // The flight belongs to the file it was saved to: the grid row names that one.
    EXPECT_EQ(Form->Flights->FileName(0), other);
    EXPECT_EQ(Ui.StringGrid1->Cell(kGridPathCol, 0), other);
    EXPECT_EQ(Ui.StringGrid1->Cell(kGridNameCol, 0), "other");
}

TEST_F(OpenFlightsTest, GridMenuReflectsTheChannelStates)
{
    Form->Flights->OpenDataFile(Write("b.zdf", MakeFlight(10, false, 5)));
    QTest::mousePress(Ui.StringGrid1->viewport(), Qt::RightButton, {},
                      Ui.StringGrid1->CellRect(0, 0).center());
    auto* popup = Ui.StringGrid1->findChild<QMenu*>("PopupGrid");
    ASSERT_NE(popup, nullptr);
    QStringList items;
    for (QAction* a : popup->actions()) {
        items << (a->isSeparator() ? "-" : a->text());
        if (a->text() == "Voltage") {
            EXPECT_FALSE(a->isEnabled());
        }
        if (a->text() == "Altitude") {
            EXPECT_TRUE(a->isChecked());
        }
    }
    EXPECT_EQ(items, (QStringList{"Close Data", "Save", "-", "Altitude", "Servo", "Voltage",
                                  "Marker", "Annotation", "-", "Cancel"}));
    popup->hide();
    // Let go of the button, or the later tests' mouse moves would go on carrying it.
    QTest::mouseRelease(Ui.StringGrid1->viewport(), Qt::RightButton, {},
                        Ui.StringGrid1->CellRect(0, 0).center());
}

namespace {

// A path that exists but cannot be replaced by a file: the write fails, also for root.
void BlockWrites(const QString& path)
{
    QFile::remove(path);
    QDir().mkpath(path);
}

} // namespace

TEST_F(OpenFlightsTest, FailedSaveOnCloseKeepsTheFlightOpenAndInStep)
{
    std::vector<QString> paths;
    for (const char* name : {"a.zdf", "b.zdf", "c.zdf"})
        paths.push_back(Write(name, MakeFlight(10, true, static_cast<double>(paths.size() + 1))));
    for (const QString& p : paths)
        Form->Flights->OpenDataFile(p);
    std::vector<int> closed;
    QObject scope; // the recording ends with the test, before the window closes the rest
    QObject::connect(Form->Flights, &TOpenFlights::FlightClosed, &scope,
                     [&](int row) { closed.push_back(row); });
    Named<QTextEdit>(*Form, "RichEdit1")->selectAll();
    QTest::keyClicks(Named<QTextEdit>(*Form, "RichEdit1"), "unsaved notes");
    BlockWrites(paths[0]);

    Dialogs->Answers = {TAnswer::Yes};
    Form->Flights->CloseDataFile(0);
    ASSERT_FALSE(Dialogs->Errors().isEmpty());
    EXPECT_EQ(Form->Flights->FlightCount(), 3);
    EXPECT_EQ(Ui.StringGrid1->rowCount(), 3);
    EXPECT_TRUE(closed.empty());
    EXPECT_EQ(Form->Flights->Name(0), "a");
    EXPECT_EQ(Form->Flights->ActualRow(), 0);
    EXPECT_TRUE(Form->Flights->Modified(0));
    EXPECT_EQ(PlainNotes(Form->Flights->Flight(0)->Notes), "unsaved notes");
    EXPECT_EQ(Named<QTextEdit>(*Form, "RichEdit1")->toPlainText(), "unsaved notes");
    EXPECT_EQ(Named<QLineEdit>(*Form, "EditMaxAlt")->text(), "1.0 m");
    for (int row = 0; row < 3; ++row) {
        ASSERT_NE(Ui.GraphPage->Plot().SeriesOf(row, kSlotAltitude), nullptr);
        EXPECT_EQ(Ui.GraphPage->Plot().SeriesOf(row, kSlotAltitude)->Title(),
                  Form->Flights->Name(row) + " (Alt)");
    }

    // An inconsistent record cannot be written either; the flight stays and so do the others.
    const_cast<TDataBlock*>(Form->Flights->Flight(1))->Altitude.pop_back(); // behind its back
    Form->Flights->SetModified(1, true);
    Dialogs->Answers = {TAnswer::Yes};
    const int errors = Dialogs->Errors().size();
    Form->Flights->CloseDataFile(1);
    ASSERT_EQ(Dialogs->Errors().size(), errors + 1);
    EXPECT_TRUE(Dialogs->Errors().last().endsWith("\rIn GridCloseFile."));
    EXPECT_EQ(Form->Flights->FlightCount(), 3);
    EXPECT_EQ(Form->Flights->Name(1), "b");

    // Answering No drops the changes and closes as usual.
    Dialogs->Answers = {TAnswer::No};
    Form->Flights->CloseDataFile(0);
    EXPECT_EQ(closed, std::vector<int>{0});
    EXPECT_EQ(Form->Flights->FlightCount(), 2);
    EXPECT_EQ(Form->Flights->Name(0), "b");
    EXPECT_EQ(Form->Flights->FileName(1), paths[2]);
    EXPECT_EQ(Ui.GraphPage->Plot().SeriesOf(1, kSlotAltitude)->Title(), "c (Alt)");
}

TEST_F(OpenFlightsTest, ClosingAllKeepsOnlyTheFlightsThatCouldNotBeSaved)
{
    const QString a = Write("a.zdf", MakeFlight(10, true, 1));
    const QString b = Write("b.zdf", MakeFlight(10, true, 2));
    const QString c = Write("c.zdf", MakeFlight(10, true, 3));
    for (const QString& p : {a, b, c})
        Form->Flights->OpenDataFile(p);
    for (int row = 0; row < 3; ++row) {
        Form->Flights->StoreNotes(row, "changed");
    }
    BlockWrites(b);
    std::vector<int> closed;
    QObject scope; // the recording ends with the test, before the window closes the rest
    QObject::connect(Form->Flights, &TOpenFlights::FlightClosed, &scope,
                     [&](int row) { closed.push_back(row); });
    Dialogs->Answers = {TAnswer::Yes, TAnswer::Yes, TAnswer::Yes};
    Form->Flights->CloseAllDataFiles();
    EXPECT_EQ(Dialogs->Errors().size(), 1);
    ASSERT_EQ(Form->Flights->FlightCount(), 1);
    EXPECT_EQ(Ui.StringGrid1->rowCount(), 1);
    EXPECT_EQ(Form->Flights->FileName(0), b);
    EXPECT_EQ(Form->Flights->Flight(0)->Notes, "changed");
    EXPECT_EQ(Ui.GraphPage->Plot().SeriesOf(0, kSlotAltitude)->Title(), "b (Alt)");
    EXPECT_EQ(closed, (std::vector<int>{0, 1}));
    EXPECT_EQ(Form->Flights->ActualRow(), 0);
    EXPECT_EQ(Named<QLineEdit>(*Form, "EditMaxAlt")->text(), "2.0 m");
    TDataBlock saved;
    ReadDataFile(c.toStdString(), saved, 0);
    EXPECT_EQ(saved.Notes, "changed");
}

TEST_F(OpenFlightsTest, WindowStaysOpenWhileAFlightCouldNotBeSaved)
{
    const QString a = Write("a.zdf", MakeFlight(10, true, 1));
    const QString b = Write("b.zdf", MakeFlight(10, true, 2));
    Form->Flights->OpenDataFile(a);
    Form->Flights->OpenDataFile(b);
    Form->Flights->SetModified(0, true);
    Form->Flights->SetModified(1, true);
    BlockWrites(a);
    Dialogs->Answers = {TAnswer::Yes, TAnswer::Yes};
    EXPECT_FALSE(Form->close());
    EXPECT_TRUE(Form->isVisible());
    EXPECT_EQ(Form->Flights->FlightCount(), 1);
    EXPECT_EQ(Form->Flights->Name(0), "a");
    EXPECT_FALSE(QFile::exists(Dir.path() + "/zirko.ini")); // settings wait for the real close

    Dialogs->Answers = {TAnswer::No};
    EXPECT_TRUE(Form->close());
    EXPECT_EQ(Form->Flights->FlightCount(), 0);
}

TEST_F(OpenFlightsTest, NameColumnFollowsThePanelWidth)
{
    Form->Flights->OpenDataFile(Write("a.zdf", MakeFlight(10, true, 1)));
    ASSERT_GE(Form->NameColMinWidth, 8);
    auto expected = [&] {
        return std::max(Ui.StringGrid1->viewport()->width() -
                            (kGridVisibleColumns - 1) * kGridDefaultColWidth - kGridVisibleColumns,
                        Form->NameColMinWidth);
    };
    const int before = Ui.StringGrid1->columnWidth(0);
    EXPECT_EQ(before, expected());
    const int total = Ui.Splitter1->sizes()[0] + Ui.Splitter1->sizes()[1];
    Ui.Splitter1->setSizes(
        {Ui.Splitter1->sizes()[0] + 120, total - Ui.Splitter1->sizes()[0] - 120});
    QApplication::processEvents();
    const int wider = Ui.StringGrid1->columnWidth(0);
    EXPECT_GT(wider, before);
    EXPECT_EQ(wider, expected());
    Ui.Splitter1->setSizes({30, total - 30});
    QApplication::processEvents();
    EXPECT_LT(Ui.StringGrid1->columnWidth(0), wider);
    EXPECT_EQ(Ui.StringGrid1->columnWidth(0), expected());
}

TEST_F(OpenFlightsTest, ClosingARowAboveTheCurrentOneKeepsTheSelectedRowIndex)
{
    for (const char* name : {"a.zdf", "b.zdf", "c.zdf", "d.zdf"})
        Form->Flights->OpenDataFile(Write(name, MakeFlight(10, true, name[0] - 'a' + 1)));
    QTest::mouseClick(Ui.StringGrid1->viewport(), Qt::LeftButton, {},
                      Ui.StringGrid1->CellRect(0, 1).center());
    ASSERT_EQ(Form->Flights->ActualRow(), 1);
    Named<QTextEdit>(*Form, "RichEdit1")->selectAll();
    QTest::keyClicks(Named<QTextEdit>(*Form, "RichEdit1"), "notes of b");

    // Row 1 stays selected and now holds c, which becomes current; b keeps its edited notes.
    Form->Flights->CloseDataFile(0);
    EXPECT_EQ(Ui.StringGrid1->SelectedRow(), 1);
    EXPECT_EQ(Form->Flights->ActualRow(), 1);
    EXPECT_EQ(Form->Flights->Name(1), "c");
    EXPECT_EQ(Named<QLineEdit>(*Form, "EditMaxAlt")->text(), "3.0 m");
    EXPECT_EQ(PlainNotes(Form->Flights->Flight(0)->Notes), "notes of b");
    EXPECT_TRUE(Form->Flights->Modified(0));

    // The selected last row has no row below to move up: the selection follows its flight.
    QTest::mouseClick(Ui.StringGrid1->viewport(), Qt::LeftButton, {},
                      Ui.StringGrid1->CellRect(0, 2).center());
    ASSERT_EQ(Form->Flights->ActualRow(), 2);
    Form->Flights->CloseDataFile(0);
    EXPECT_EQ(Form->Flights->ActualRow(), 1);
    EXPECT_EQ(Form->Flights->Name(1), "d");
    EXPECT_EQ(Named<QLineEdit>(*Form, "EditMaxAlt")->text(), "4.0 m");
}

TEST_F(OpenFlightsTest, ClosingARowWhileTheLastRowIsCurrentReportsNoAssertion)
{
    for (const char* name : {"a.zdf", "b.zdf", "c.zdf", "d.zdf", "e.zdf"})
        Form->Flights->OpenDataFile(Write(name, MakeFlight(10, true, name[0] - 'a' + 1)));
    auto makeLastCurrent = [&] {
        const int last = Ui.StringGrid1->rowCount() - 1;
        QTest::mouseClick(Ui.StringGrid1->viewport(), Qt::LeftButton, {},
                          Ui.StringGrid1->CellRect(0, last).center());
        ASSERT_EQ(Form->Flights->ActualRow(), last);
    };
    makeLastCurrent();
    // A row above the current one, as the tree closes it.
    Form->Flights->CloseDataFile(1);
    EXPECT_EQ(Form->Flights->ActualRow(), 3);
    EXPECT_EQ(Form->Flights->Name(3), "e");
    EXPECT_EQ(Named<QLineEdit>(*Form, "EditMaxAlt")->text(), "5.0 m");
    // The current last row itself, with the Delete key in the grid.
    QTest::mouseClick(Ui.StringGrid1->viewport(), Qt::LeftButton, {},
                      Ui.StringGrid1->CellRect(0, 3).center());
    QTest::keyClick(Ui.StringGrid1, Qt::Key_Delete);
    EXPECT_EQ(Ui.StringGrid1->rowCount(), 3);
    EXPECT_EQ(Form->Flights->ActualRow(), 2);
    EXPECT_EQ(Named<QLineEdit>(*Form, "EditMaxAlt")->text(), "4.0 m");
    makeLastCurrent();
    Form->Flights->CloseDataFile(0);
    EXPECT_EQ(Form->Flights->ActualRow(), 1);
    EXPECT_EQ(Form->Flights->Name(1), "d");
    EXPECT_EQ(Named<QLineEdit>(*Form, "EditMaxAlt")->text(), "4.0 m");
    EXPECT_TRUE(Ui.FormAssert->isHidden());
    EXPECT_TRUE(Dialogs->Errors().isEmpty());
}

TEST_F(OpenFlightsTest, GridCellsShowTheirHintsUnderTheMouse)
{
    const QString a = Write("a.zdf", MakeFlight(10, true, 1));
    Form->Flights->OpenDataFile(a);
    QWidget* viewport = Ui.StringGrid1->viewport();
    Form->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(Form.get()));
    // Moves without a button, as the window system delivers them; the hint shows once the mouse
    // has rested there as long as the usual tool tip takes.
    auto hintAt = [&](int col, const QString& hint) {
        const QPoint at = viewport->mapTo(Form.get(), Ui.StringGrid1->CellRect(col, 0).center());
        QTest::mouseMove(Form->windowHandle(), at);
        EXPECT_TRUE(QTest::qWaitFor([&] { return QToolTip::text() == hint; }, 10000))
            << "column " << col << " shows \"" << QToolTip::text().toStdString() << "\"";
    };
    hintAt(0, a);
    const QStringList names{"Altitude", "Servo", "Voltage", "Marker", "Annotation"};
    for (int col : {1, 3, 5})
        hintAt(col, names[col - 1]);
    QToolTip::hideText();
}

TEST_F(OpenFlightsTest, SaveFromTheGridMenuWritesTheNotesAsTheEditorShowsThem)
{
    const QString a = Write("a.zdf", MakeFlight(10, true, 1));
    Form->Flights->OpenDataFile(a);
    Named<QTextEdit>(*Form, "RichEdit1")->selectAll();
    QTest::keyClicks(Named<QTextEdit>(*Form, "RichEdit1"), "typed before saving");
    QTest::mousePress(Ui.StringGrid1->viewport(), Qt::RightButton, {},
                      Ui.StringGrid1->CellRect(0, 0).center());
    auto* popup = Ui.StringGrid1->findChild<QMenu*>("PopupGrid");
    ASSERT_NE(popup, nullptr);
    ASSERT_TRUE(QTest::qWaitForWindowExposed(popup));
    QAction* save = nullptr;
    for (QAction* action : popup->actions())
        if (action->text() == "Save")
            save = action;
    ASSERT_NE(save, nullptr);
    QTest::mouseClick(popup, Qt::LeftButton, {}, popup->actionGeometry(save).center());
    QTest::mouseRelease(Ui.StringGrid1->viewport(), Qt::RightButton, {},
                        Ui.StringGrid1->CellRect(0, 0).center());
    TDataBlock onDisk;
    ReadDataFile(a.toStdString(), onDisk, 0);
    EXPECT_EQ(PlainNotes(onDisk.Notes), "typed before saving");
    EXPECT_FALSE(Form->Flights->Modified(0));
    // Saved: closing asks nothing.
    const int asked = Dialogs->Log.size();
    Form->Flights->CloseDataFile(0);
    EXPECT_EQ(Dialogs->Log.size(), asked);
}

namespace {

// The whole text of a line edit is in view: with the cursor at its end, the left edge shows the
// first character.
bool ShowsWholeText(QLineEdit* edit)
{
    edit->setCursorPosition(static_cast<int>(edit->text().size()));
    edit->grab(); // the visible part is settled when the box is painted
    return edit->cursorPositionAt(QPoint(edit->contentsRect().left() + 4, edit->height() / 2)) == 0;
}

} // namespace

TEST_F(OpenFlightsTest, FlightInformationShowsEveryTextWholeAlsoWithLargerFonts)
{
    TDataBlock f = MakeFlight(3000, true, 1234.5);
    f.DateText = "29 Dec 2026 00:45:22";
    const QString a = Write("a.zdf", f);
    const QFont defaultFont = QApplication::font();
    for (const double scale : {1.0, 1.25}) {
        QFont font = defaultFont;
        font.setPointSizeF(defaultFont.pointSizeF() * scale);
        QApplication::setFont(font);
        Form.reset();
        Form = std::make_unique<TFormMain>(
            TAppPaths{Dir.path(), Dir.path() + "/zirko.ini", Dir.path() + "/backups"});
        Ui = TMainWindowControls(*Form);
        Form->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(Form.get()));
        ASSERT_EQ(Form->Flights->OpenDataFile(a), 0);
        QApplication::processEvents();
        for (QLineEdit* e :
             {Named<QLineEdit>(*Form, "EditDate"), Named<QLineEdit>(*Form, "EditSample"),
              Named<QLineEdit>(*Form, "EditVer"), Named<QLineEdit>(*Form, "EditFlyTime"),
              Named<QLineEdit>(*Form, "EditMaxAlt")}) {
            EXPECT_TRUE(ShowsWholeText(e)) << scale << " " << e->text().toStdString();
        }
        // Every label is as wide as its text and keeps clear of its neighbours.
        const QList<QLabel*> labels = Ui.TabInfo->findChildren<QLabel*>();
        QList<QWidget*> fields(labels.begin(), labels.end());
        for (QLineEdit* e :
             {Named<QLineEdit>(*Form, "EditDate"), Named<QLineEdit>(*Form, "EditSample"),
              Named<QLineEdit>(*Form, "EditVer"), Named<QLineEdit>(*Form, "EditFlyTime"),
              Named<QLineEdit>(*Form, "EditMaxAlt")})
            fields << e;
        for (QLabel* l : labels) {
            if (l->isVisible() && !l->text().isEmpty()) {
                EXPECT_GE(l->contentsRect().width(), l->fontMetrics().horizontalAdvance(l->text()))
                    << l->text().toStdString();
            }
        }
        // Texts side by side in a row stand at least three blanks apart.
        auto textLeft = [](QLabel* l) { return l->geometry().x() + l->contentsRect().left(); };
        for (QLabel* l : labels) {
            for (QLabel* r : labels) {
                if (l == r || !l->isVisible() || !r->isVisible() || textLeft(r) <= textLeft(l) ||
                    std::abs(l->geometry().center().y() - r->geometry().center().y()) >= 4)
                    continue;
                EXPECT_GE(textLeft(r) - textLeft(l) - l->fontMetrics().horizontalAdvance(l->text()),
                          l->fontMetrics().horizontalAdvance("   "))
                    << scale << " " << l->text().toStdString() << " | " << r->text().toStdString();
            }
        }
        for (QWidget* w : fields) {
            for (QWidget* other : fields) {
                if (w == other || !w->isVisible() || !other->isVisible() ||
                    w->parentWidget() != other->parentWidget())
                    continue;
                EXPECT_FALSE(w->geometry().adjusted(-2, 0, 2, 0).intersects(other->geometry()))
                    << scale << " " << w->objectName().toStdString() << " "
                    << other->objectName().toStdString();
            }
        }
        Dialogs->Answers = {TAnswer::No};
    }
    QApplication::setFont(defaultFont);
}
