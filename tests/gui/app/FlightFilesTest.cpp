// Flight files reached from the main window: File > Open flight, the recent flights, files dropped
// on the window, Ctrl+S and the mark of a flight with unsaved changes.
#include "core/app/IniFile.h"
#include "core/app/RecentFiles.h"
#include "gui/app/FormMain.h"
#include "gui/flightdata/FlightGrid.h"
#include "gui/shell/DataTree.h"
#include "model/flightdata/OpenFlights.h"
#include "platform/files/FlightFile.h"
#include "platform/files/SettingsFile.h"
#include "support/MainWindowFixture.h"
#include "support/TestUtil.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFile>
#include <QMenu>
#include <QMimeData>
#include <QTest>
#include <QTextEdit>
#include <QUrl>
#include <gtest/gtest.h>

using namespace zirko;
using namespace zirko::test;

namespace {

class FlightFilesTest : public TMainWindowFixture {
protected:
    void SetUp() override
    {
        TMainWindowFixture::SetUp();
        QDir().mkpath(Dir.path() + "/Data");
    }
    void TearDown() override
    {
        if (Form)
            Form->close();
        TMainWindowFixture::TearDown();
    }
    QString Flight(const QString& relative)
    {
        TDataBlock f;
        f.DateText = "9.12.2026 10:00:00";
        f.Sampling = 10;
        f.ChannelMask = kMaskAltitude;
        f.Time = {0, 0.1, 0.2};
        f.Altitude = {1, 2, 3};
        f.Notes = "notes";
        return WriteFlight(relative, f);
    }
    QStringList Names() const
    {
        QStringList names;
        for (int row = 0; row < Form->Flights->FlightCount(); ++row)
            names << Form->Flights->Name(row);
        return names;
    }
    // Opens the recent flights menu as a click on it does and returns its entries.
    QList<QAction*> RecentMenu()
    {
        Ui.mnuRecent->popup(Form->mapToGlobal(QPoint(10, 10)));
        EXPECT_TRUE(QTest::qWaitForWindowExposed(Ui.mnuRecent));
        return Ui.mnuRecent->actions();
    }
    void Choose(QMenu* menu, QAction* action)
    {
        QTest::qWait(20); // the headless platform activates the popup window late
        QTest::mouseClick(menu, Qt::LeftButton, {}, menu->actionGeometry(action).center());
        QCoreApplication::processEvents();
    }
};

} // namespace

TEST_F(FlightFilesTest, OpenFlightTakesSeveralFilesFromAnywhereEachOnlyOnce)
{
    const QString inside = Flight("Data/in.zdf");
    const QString outside = Flight("elsewhere/out.zdf");
    StartForm();
    Dialogs->OpenFileLists = {{outside, inside}};
    Ui.mnuOpenFlight->trigger();
    EXPECT_EQ(Dialogs->Log.last(), "open: Open flight");
    EXPECT_EQ(Names(), (QStringList{"out", "in"}));
    // The one in the data folder is marked open in the tree.
    ASSERT_NE(Ui.TreeView1->FindNode("in"), nullptr);
    EXPECT_EQ(Ui.TreeView1->FindNode("in")->Data()->GridRow, 1);
    EXPECT_EQ(Ui.TreeView1->FindNode("in")->ImageIndex(), kImageFlightOpen);
    // A flight already open becomes current instead of opening twice, however it is named.
    Dialogs->OpenFileLists = {{Dir.path() + "/Data/../Data/in.zdf"}};
    Ui.mnuOpenFlight->trigger();
    EXPECT_EQ(Names(), (QStringList{"out", "in"}));
    EXPECT_EQ(Form->Flights->ActualRow(), 1);
    // Cancel opens nothing; a file that is no flight says so.
    Ui.mnuOpenFlight->trigger();
    EXPECT_EQ(Form->Flights->FlightCount(), 2);
    EXPECT_TRUE(Dialogs->Errors().isEmpty()) << Dialogs->Log.join("\n").toStdString();
    ASSERT_TRUE(QFile(Dir.path() + "/bad.zdf").open(QIODevice::WriteOnly));
    Dialogs->OpenFileLists = {{Dir.path() + "/bad.zdf"}};
    Ui.mnuOpenFlight->trigger();
    EXPECT_EQ(Form->Flights->FlightCount(), 2);
    EXPECT_EQ(Dialogs->Errors().last(), "Chyba při otevírání souboru!");
}

TEST_F(FlightFilesTest, RecentFlightsAreTheLastEightKeptInTheSettingsFile)
{
    QStringList paths;
    for (int i = 0; i < 10; ++i)
        paths << Flight(QString("Data/f%1.zdf").arg(i));
    StartForm();
    for (const QString& path : paths)
        ASSERT_GE(Form->OpenFlightFile(path), 0);
    ASSERT_EQ(Form->RecentFlights().size(), kMaxRecentFiles);
    EXPECT_EQ(Form->RecentFlights().front(), paths[9].toStdString());
    Form->close();
    const TIniFile ini = LoadIniFile(Paths.SettingsFile.toStdString()).value_or(TIniFile());
    EXPECT_EQ(ini.ReadString(kRecentSection, "File1", ""), paths[9].toStdString());
    EXPECT_EQ(ini.ReadString(kRecentSection, "File8", ""), paths[2].toStdString());

    Form = NewForm();
    Ui = TMainWindowControls(*Form);
    QList<QAction*> entries = RecentMenu();
    ASSERT_EQ(entries.size(), 8);
    EXPECT_EQ(entries[0]->text(), "&1 f9.zdf");
    EXPECT_EQ(entries[0]->toolTip(), QDir::toNativeSeparators(paths[9]));
    Choose(Ui.mnuRecent, entries[2]); // f7
    EXPECT_EQ(Names(), QStringList{"f7"});
    EXPECT_EQ(Ui.TreeView1->FindNode("f7")->Data()->GridRow, 0);
    EXPECT_EQ(Form->RecentFlights().front(), paths[7].toStdString());

    // A recent flight whose file is gone says so and is offered no more.
    ASSERT_TRUE(QFile::remove(paths[8]));
    entries = RecentMenu();
    Choose(Ui.mnuRecent, entries[1]); // f9 is now second, f8 third
    ASSERT_EQ(entries[2]->data().toString(), paths[8]);
    entries = RecentMenu();
    Choose(Ui.mnuRecent, entries[2]);
    EXPECT_EQ(Dialogs->Errors().last(), "Chyba při otevírání souboru!");
    EXPECT_EQ(std::count(Form->RecentFlights().begin(), Form->RecentFlights().end(),
                         paths[8].toStdString()),
              0);
    EXPECT_EQ(Names(), (QStringList{"f7", "f9"}));
}

TEST_F(FlightFilesTest, FlightFilesDroppedOnTheWindowOpenAndOtherFilesAreNamed)
{
    const QString a = Flight("elsewhere/a.zdf");
    const QString b = Flight("Data/b.zdf");
    const QString text = Dir.path() + "/readme.txt";
    ASSERT_TRUE(QFile(text).open(QIODevice::WriteOnly));
    StartForm();
    QMimeData mime;
    mime.setUrls({QUrl::fromLocalFile(a), QUrl::fromLocalFile(text), QUrl::fromLocalFile(b)});
    // Dropped over the tree, which moves only its own nodes: the window takes the files.
    QWidget* over = Ui.TreeView1->viewport();
    const QPoint pos = over->rect().center();
    QDragEnterEvent enter(pos, Qt::CopyAction, &mime, Qt::LeftButton, {});
    QApplication::sendEvent(over, &enter);
    EXPECT_TRUE(enter.isAccepted());
    QDragMoveEvent move(pos, Qt::CopyAction, &mime, Qt::LeftButton, {});
    QApplication::sendEvent(over, &move);
    QDropEvent drop(QPointF(pos), Qt::CopyAction, &mime, Qt::LeftButton, {});
    QApplication::sendEvent(over, &drop);
    QCoreApplication::processEvents();
    EXPECT_EQ(Names(), (QStringList{"a", "b"}));
    EXPECT_EQ(Ui.TreeView1->FindNode("b")->Data()->GridRow, 1);
    ASSERT_EQ(Dialogs->Errors().size(), 1);
    EXPECT_EQ(Dialogs->Errors()[0],
              "These files are not flight data files (.zdf) and were not opened:\n" + text);

    // Something that holds no file is not taken.
    QMimeData words;
    words.setText("a.zdf");
    QDragEnterEvent plain(pos, Qt::CopyAction, &words, Qt::LeftButton, {});
    QApplication::sendEvent(Form.get(), &plain);
    EXPECT_FALSE(plain.isAccepted());
}

TEST_F(FlightFilesTest, AModifiedFlightIsMarkedInTheGridUntilCtrlSSavesIt)
{
    const QString a = Flight("Data/a.zdf");
    const QString b = Flight("Data/b.zdf");
    StartForm();
    ASSERT_EQ(Form->OpenFlightFile(a), 0);
    ASSERT_EQ(Form->OpenFlightFile(b), 1);
    TFlightGrid* grid = Ui.StringGrid1;
    EXPECT_EQ(grid->ShownName(0), "a");
    EXPECT_FALSE(grid->NameFont(0).bold());
    const QImage clean = grid->viewport()->grab().toImage();

    // The first key typed into the notes marks the current flight, and only that one.
    Form->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(Form.get()));
    Named<QTextEdit>(*Form, "RichEdit1")->setFocus();
    QTest::keyClicks(Named<QTextEdit>(*Form, "RichEdit1"), "typed");
    EXPECT_TRUE(Form->Flights->Modified(0));
    EXPECT_EQ(grid->ShownName(0), "a *");
    EXPECT_TRUE(grid->NameFont(0).bold());
    EXPECT_EQ(grid->ShownName(1), "b");
    const QImage marked = grid->viewport()->grab().toImage();
    const QRect nameCell = grid->CellRect(kGridNameCol, 0);
    EXPECT_NE(clean.copy(nameCell), marked.copy(nameCell));
    EXPECT_EQ(clean.copy(grid->CellRect(kGridNameCol, 1)),
              marked.copy(grid->CellRect(kGridNameCol, 1)));

    // In the notes editor Ctrl+S stays the strike-out style; anywhere else it saves the current
    // flight with the notes as typed, and the mark goes.
    QTest::keyClick(Named<QTextEdit>(*Form, "RichEdit1"), Qt::Key_S, Qt::ControlModifier);
    EXPECT_TRUE(Form->Flights->Modified(0));
    Ui.TreeView1->setFocus();
    QTest::keyClick(Ui.TreeView1, Qt::Key_S, Qt::ControlModifier);
    TDataBlock saved;
    ASSERT_EQ(ReadDataFile(QFile::encodeName(a).toStdString(), saved, 0).Status, TReadStatus::Ok);
    EXPECT_NE(saved.Notes.find("typed"), std::string::npos);
    EXPECT_FALSE(Form->Flights->Modified(0));
    EXPECT_EQ(grid->ShownName(0), "a");
    EXPECT_EQ(grid->viewport()->grab().toImage().copy(nameCell), clean.copy(nameCell));
    // Saved: closing asks nothing.
    const qsizetype asked = Dialogs->Log.size();
    Form->Flights->CloseDataFile(0);
    EXPECT_EQ(Dialogs->Log.size(), asked);
    EXPECT_TRUE(Dialogs->Errors().isEmpty()) << Dialogs->Log.join("\n").toStdString();
}
