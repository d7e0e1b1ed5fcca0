#include "gui/app/FormMain.h"
#include "core/app/IniFile.h"
#include "core/shell/Assertion.h"
#include "gui/flightdata/FlightGrid.h"
#include "gui/graph/Chart.h"
#include "gui/graph/GraphPage.h"
#include "gui/graph/MeasureTool.h"
#include "gui/shell/DataTree.h"
#include "gui/shell/FormAssert.h"
#include "gui/shell/FormOptions.h"
#include "model/flightdata/OpenFlights.h"
#include "platform/files/FlightFile.h"
#include "platform/files/SettingsFile.h"
#include "support/MainWindowFixture.h"
#include "support/TestUtil.h"

#include <QApplication>
#include <QDir>
#include <QFontMetrics>
#include <QLabel>
#include <QLocale>
#include <QMenuBar>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QRegularExpression>
#include <QScreen>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QToolButton>
#include <gtest/gtest.h>

#include <algorithm>

using namespace zirko;
using namespace zirko::test;

namespace {

class FormMainTest : public TMainWindowFixture {
protected:
    FormMainTest() : TMainWindowFixture(true) {}
    std::unique_ptr<TFormMain> Start() { return NewForm(); }
    TIniFile Stored() const
    {
        return LoadIniFile(Paths.SettingsFile.toStdString()).value_or(TIniFile());
    }
};

} // namespace

TEST_F(FormMainTest, FirstStartWithoutSettingsGivesTheDefaults)
{
    auto form = Start();
    const TMainWindowControls ui(*form);
    EXPECT_EQ(form->windowTitle(), "ZIRKO");
    EXPECT_EQ(form->DataFolder->DataDir(), Dir.path()); // no "Data" folder beside the program
    EXPECT_EQ(form->Options.COM, "COM1");
    EXPECT_EQ(form->Options.DefFileName, "Blok");
    EXPECT_EQ(form->Options.FlightTemperature, 15);
    EXPECT_EQ(form->Options.DeflectionMin, -5);
    EXPECT_EQ(form->Options.DeflectionMax, 5);
    EXPECT_EQ(form->Options.MarkerThreshold, 0);
    EXPECT_TRUE(form->Options.ShowTable);
    EXPECT_FALSE(form->Options.TBShowLegend);
    EXPECT_FALSE(form->DeflectionOnGraph);
    EXPECT_TRUE(form->GraphSettings.AltitudeAuto);
    EXPECT_FALSE(form->GraphSettings.SettingsChanged);
    EXPECT_FALSE(ui.TabInfo->isEnabled());
    EXPECT_FALSE(ui.TabGraph->isEnabled());
    EXPECT_FALSE(ui.StringGrid1->isVisible());
    EXPECT_TRUE(form->DataFolder->NotifyEnabled());
    EXPECT_EQ(ui.PageControl->tabText(0), "Flight information");
    EXPECT_EQ(ui.PageControl->tabText(1), "Graph");
}

TEST_F(FormMainTest, DataFolderBesideTheProgramIsTheDefaultRoot)
{
    QDir(Dir.path()).mkdir("Data");
    auto form = Start();
    EXPECT_EQ(form->DataFolder->DataDir(), Dir.path() + "/Data");
}

TEST_F(FormMainTest, SettingsAreWrittenAtCloseWithoutGraphSetupUnlessConfirmed)
{
    {
        auto form = Start();
        form->Options.COM = "/dev/ttyUSB0";
        form->Options.DefFileName = "Let";
        form->close();
    }
    TIniFile ini = Stored();
    EXPECT_EQ(ini.ReadString("Options", "COM", ""), "/dev/ttyUSB0");
    EXPECT_EQ(ini.ReadString("Options", "DefFileName", ""), "Let");
    EXPECT_EQ(ini.ReadString("Options", "Root", ""), Dir.path().toStdString());
    EXPECT_TRUE(ini.ValueExists("Pos", "PanelLeft"));
    EXPECT_TRUE(ini.ValueExists("FormMain", "RLeft"));
    EXPECT_FALSE(ini.SectionExists("GraphSetup"));

    auto form = Start();
    EXPECT_EQ(form->Options.COM, "/dev/ttyUSB0");
    form->GraphSettings.SettingsChanged = true;
    form->GraphSettings.TimeMax = 31;
    form->close();
    EXPECT_EQ(Stored().ReadFloat("GraphSetup", "TimeMax", 0), 31);
}

TEST_F(FormMainTest, TheClimbSwitchIsKeptInASectionOfItsOwn)
{
    WriteBytes(Paths.SettingsFile, "[Options]\r\nCOM=COM2\r\n[Pos]\r\nPanelLeft=240\r\n");
    TDataBlock flight;
    flight.DateText = "9.12.2026 9:00:00";
    flight.Sampling = 10;
    flight.ChannelMask = kMaskAltitude;
    for (int i = 0; i <= 100; ++i) {
        flight.Time.push_back(i * 0.1);
        flight.Altitude.push_back(i * 0.25);
    }
    const QString path = WriteFlight("climb.zdf", flight);
    {
        auto form = Start();
        const TMainWindowControls ui(*form);
        EXPECT_FALSE(ui.GraphPage->Plot().ClimbShown());
        ASSERT_EQ(form->Flights->OpenDataFile(path), 0);
        ui.PageControl->setCurrentWidget(ui.TabGraph);
        QTest::mouseClick(test::Named<QToolButton>(*ui.GraphPage, "TBClimb"), Qt::LeftButton);
        // The open-flights list hands out the rate: 2.5 m/s all along.
        const TChartSeries* climb = ui.GraphPage->Plot().SeriesOf(0, kSlotClimb);
        ASSERT_TRUE(climb && climb->Active());
        EXPECT_NEAR(climb->Y(50), 2.5, 1e-9);
        EXPECT_EQ(climb->Title(), "climb (Climb)");
        form->close();
    }
    TIniFile ini = Stored();
    EXPECT_EQ(ini.ReadString("Analysis", "Climb", ""), "1");
    EXPECT_FALSE(ini.ValueExists("Options", "Climb"));
    // The sections that were there stay first, in their order.
    const std::vector<std::string> names = ini.SectionNames();
    ASSERT_GE(names.size(), 3u);
    EXPECT_EQ(names[0], "Options");
    EXPECT_EQ(names[1], "Pos");
    EXPECT_EQ(std::count(names.begin(), names.end(), "Analysis"), 1);
    EXPECT_EQ(names.back(), "Analysis"); // after the window positions too

    auto form = Start();
    const TMainWindowControls ui(*form);
    EXPECT_TRUE(ui.GraphPage->Plot().ClimbShown());
    ASSERT_EQ(form->Flights->OpenDataFile(path), 0);
    EXPECT_TRUE(ui.GraphPage->Plot().SeriesOf(0, kSlotClimb)->Active());
    ui.PageControl->setCurrentWidget(ui.TabGraph);
    QTest::mouseClick(test::Named<QToolButton>(*ui.GraphPage, "TBClimb"), Qt::LeftButton);
    EXPECT_FALSE(ui.GraphPage->Plot().SeriesOf(0, kSlotClimb)->Active());
    form->close();
    EXPECT_EQ(Stored().ReadString("Analysis", "Climb", ""), "0");
    EXPECT_EQ(Stored().SectionNames(), names);
}

TEST_F(FormMainTest, AutoGridSizeBelowEightSwitchesSizingOffAndIsKept)
{
    WriteBytes(Paths.SettingsFile, "[Options]\r\nAutoGridSize=5\r\n");
    {
        auto form = Start();
        EXPECT_EQ(form->NameColMinWidth, 5);
        form->close();
    }
    EXPECT_EQ(Stored().ReadInteger("Options", "AutoGridSize", 0), 5);

    WriteBytes(Paths.SettingsFile, "[Options]\r\nAutoGridSize=10\r\n");
    auto form = Start();
    const TMainWindowControls ui(*form);
    const int width = QFontMetrics(ui.StringGrid1->font()).horizontalAdvance("ABCDEFGH");
    EXPECT_EQ(form->NameColMinWidth, width);
    form->close();
    EXPECT_EQ(Stored().ReadInteger("Options", "AutoGridSize", 0), width);
}

TEST_F(FormMainTest, PositionsFromALargerScreenAreIgnoredButTheStateIsApplied)
{
    WriteBytes(Paths.SettingsFile,
               "[Screen]\r\nScreenH=100000\r\nScreenW=100000\r\n[FormMain]\r\nRLeft=7\r\nRTop=9\r\n"
               "RRight=507\r\nRBottom=409\r\nNRLeft=7\r\nNRTop=9\r\nNRRight=507\r\nNRBottom=409\r\n"
               "State=1\r\n");
    auto form = Start();
    EXPECT_TRUE(form->windowState() & Qt::WindowMaximized);
    EXPECT_NE(form->geometry(), QRect(7, 9, 500, 400));
    form->close();
    // The stored screen size is written back unchanged.
    EXPECT_EQ(Stored().ReadInteger("Screen", "ScreenH", 0), 100000);
}

TEST_F(FormMainTest, StoredGeometryBeyondTheScreenIsFittedIntoIt)
{
    WriteBytes(Paths.SettingsFile,
               "[Screen]\r\nScreenH=0\r\nScreenW=0\r\n[FormMain]\r\nRLeft=40000\r\n"
               "RTop=-40000\r\nRRight=70000\r\nRBottom=-10000\r\nNRLeft=40000\r\n"
               "NRTop=-40000\r\nNRRight=70000\r\nNRBottom=-10000\r\nState=0\r\n");
    QRect area;
    QRect placed;
    {
        auto form = Start();
        area = form->screen()->availableVirtualGeometry();
        const QRect frame = form->frameGeometry();
        // Frame and all on the screen, as large as the screen allows.
        EXPECT_EQ(frame, area) << frame.x() << "," << frame.y() << " " << frame.width() << "x"
                               << frame.height();
        placed = form->geometry();
        form->close();
    }
    // Written back and read again, the window stays where it was.
    auto form = Start();
    EXPECT_EQ(form->geometry(), placed);
    // A stored place inside the screen is kept as it was.
    form->close();
    WriteBytes(Paths.SettingsFile, "[FormMain]\r\nRLeft=40\r\nRTop=30\r\nRRight=740\r\n"
                                   "RBottom=530\r\nState=0\r\n");
    form = Start();
    EXPECT_EQ(form->geometry(), QRect(40, 30, 700, 500));
}

TEST_F(FormMainTest, SaveWindowsPosOffLeavesGeometryUntouched)
{
    WriteBytes(Paths.SettingsFile, "[Options]\r\nSaveWindowsPos=0\r\n[FormMain]\r\nRLeft=1234\r\n");
    auto form = Start();
    form->close();
    EXPECT_EQ(Stored().ReadInteger("FormMain", "RLeft", 0), 1234);
    EXPECT_FALSE(Stored().ValueExists("FormMain", "RTop"));
}

TEST_F(FormMainTest, EscAsksBeforeExit)
{
    auto form = Start();
    const TMainWindowControls ui(*form);
    Dialogs->Answers = {TAnswer::No};
    QTest::keyClick(ui.StringGrid1, Qt::Key_Escape);
    EXPECT_TRUE(form->isVisible());
    ASSERT_EQ(Dialogs->Log.size(), 1);
    EXPECT_EQ(Dialogs->Log[0], "ask: Are you sure to exit application?");
    EXPECT_EQ(Dialogs->Defaults, std::vector<TAnswer>{TAnswer::No});
    Dialogs->Answers = {TAnswer::Yes};
    QTest::keyClick(ui.PageControl, Qt::Key_Escape);
    EXPECT_FALSE(form->isVisible());
}

TEST_F(FormMainTest, EnterOnTheRealExitQuestionKeepsTheProgramRunning)
{
    auto form = Start();
    const TMainWindowControls ui(*form);
    SetDialogs(MakeDesktopDialogs());
    QString asked;
    // The box is modal: Enter is pressed from inside its own event loop.
    QTimer::singleShot(50, [&asked] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        ASSERT_NE(box, nullptr);
        asked = box->text();
        QTest::keyClick(box, Qt::Key_Return);
    });
    QTest::keyClick(ui.StringGrid1, Qt::Key_Escape);
    EXPECT_EQ(asked, "Are you sure to exit application?");
    EXPECT_TRUE(form->isVisible());
    Dialogs = &InstallScriptedDialogs();
}

TEST_F(FormMainTest, MainMenuHasItsEntriesAndShortcuts)
{
    auto form = Start();
    const TMainWindowControls ui(*form);
    EXPECT_EQ(ui.mnuOptions->shortcut(), QKeySequence("Ctrl+O"));
    EXPECT_EQ(ui.mnuRefreshMain->shortcut(), QKeySequence("Ctrl+F"));
    EXPECT_EQ(ui.mnuReadData->shortcut(), QKeySequence("Ctrl+R"));
    EXPECT_EQ(ui.mnuExit->text(), "Exit");
    EXPECT_EQ(ui.mnuAbout->text(), "About");
    Dialogs->DialogScripts.push_back([](QDialog& d) {
        EXPECT_EQ(d.windowTitle(), "About");
        QStringList texts;
        for (QLabel* l : d.findChildren<QLabel*>())
            texts << l->text();
        EXPECT_TRUE(texts.contains("ZIRKO"));
        EXPECT_TRUE(texts.contains("version 0.99"));
        // The icon beside them is the installed one, drawn from its picture: not blank.
        QImage icon;
        for (QLabel* l : d.findChildren<QLabel*>())
            if (!l->pixmap().isNull())
                icon = l->pixmap().toImage();
        EXPECT_EQ(icon.size(), QSize(48, 48));
        int opaque = 0;
        for (int y = 0; y < icon.height(); ++y)
            for (int x = 0; x < icon.width(); ++x)
                opaque += qAlpha(icon.pixel(x, y)) > 128;
        EXPECT_GT(opaque, 48 * 48 / 2);
        return int(QDialog::Accepted);
    });
    ui.mnuAbout->trigger();
    EXPECT_EQ(Dialogs->Log.last(), "dialog: About");
}

TEST_F(FormMainTest, AssertionReportsKeepTheLatestInTheLabelAndAllInTheList)
{
    auto form = Start();
    const TMainWindowControls ui(*form);
    ZIRKO_ASSERT(false, "first check", "Data");
    ZIRKO_ASSERT(false, "Arow<=FormMain.DataList.count-1 in GridCheck", "Data");
    EXPECT_TRUE(ui.FormAssert->isVisible());
    EXPECT_FALSE(ui.FormAssert->isModal());
    EXPECT_EQ(ui.FormAssert->windowTitle(), "Assert");
    const QString label = Named<QLabel>(*ui.FormAssert, "Label1")->text();
    EXPECT_TRUE(label.startsWith("Arow<=FormMain.DataList.count-1 in GridCheck (Data, line "));
    EXPECT_TRUE(label.contains(", address $"));
    const QStringList lines =
        Named<QPlainTextEdit>(*ui.FormAssert, "Memo1")->toPlainText().split('\n');
    ASSERT_EQ(lines.size(), 2);
    EXPECT_TRUE(lines[0].startsWith("first check (Data, line "));
    EXPECT_EQ(lines[1], label);
}

TEST_F(FormMainTest, OptionsTakeOverAndOnlyANewRootReloadsTheTree)
{
    const QString data = Dir.path() + "/Data";
    QDir(Dir.path()).mkpath("Data/other");
    TDataBlock f;
    f.ChannelMask = 0x8000;
    f.Time = {0, 1};
    f.Altitude = {1, 2};
    ASSERT_TRUE(WriteDataFile((data + "/a.zdf").toStdString(), f).Ok());
    auto form = Start();
    const TMainWindowControls ui(*form);
    ASSERT_EQ(form->OpenFlightFile(data + "/a.zdf"), 0);
    form->DeflectionOnGraph = true;

    // The same folder again: the flight stays open.
    Dialogs->DialogScripts.push_back([](QDialog&) { return int(QDialog::Accepted); });
    form->ExecuteOptions();
    EXPECT_EQ(form->Flights->FlightCount(), 1);
    EXPECT_FALSE(form->DeflectionOnGraph);

    // Another folder: every flight closes and the tree shows the new root.
    Dialogs->DialogScripts.push_back([&](QDialog& d) {
        Dialogs->FileNames.push_back(data + "/other");
        static_cast<TFormOptions&>(d).ChooseFolder();
        return int(QDialog::Accepted);
    });
    form->ExecuteOptions();
    ASSERT_TRUE(WaitForTree(*form));
    EXPECT_EQ(form->DataFolder->DataDir(), data + "/other");
    EXPECT_EQ(form->Flights->FlightCount(), 0);
    EXPECT_EQ(ui.TreeView1->RootNode()->text(0), "other");
}

TEST_F(FormMainTest, IdleWindowDoesNotRedrawTheChart)
{
    auto form = Start();
    const TMainWindowControls ui(*form);
    TChart* chart = test::Named<TChart>(*ui.GraphPage, "Chart1");
    int replots = 0;
    QObject scope;
    QObject::connect(chart, &TChart::AfterDrawn, &scope, [&replots] { ++replots; });
    auto idleReplots = [&](int ms) {
        QTest::qWait(300); // what the last step queued
        replots = 0;
        QTest::qWait(ms);
        return replots;
    };
    // The Graph page has never been shown: with no flight, then with one.
    EXPECT_EQ(idleReplots(1500), 0);
    TDataBlock f;
    f.ChannelMask = 0xC800;
    for (int i = 0; i < 200; ++i) {
        f.Time.push_back(i * 0.5);
        f.Altitude.push_back(1000 + i * 3.5);
        f.Rx.push_back(i % 50);
        f.Voltage.push_back(4.8 + i * 0.001);
    }
    ASSERT_TRUE(WriteDataFile((Dir.path() + "/a.zdf").toStdString(), f).Ok());
    ASSERT_EQ(form->OpenFlightFile(Dir.path() + "/a.zdf"), 0);
    form->Flights->GridCheck(3, 0, true);
    EXPECT_EQ(idleReplots(2000), 0);
    // On screen as well.
    ui.PageControl->setCurrentWidget(ui.TabGraph);
    EXPECT_EQ(idleReplots(1500), 0);
}

TEST_F(FormMainTest, AxisAndMarkerLabelsGroupDigitsAsTheUserLocaleDoes)
{
    const QLocale before;
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    TDataBlock f;
    f.ChannelMask = 0x8000;
    for (int i = 0; i < 100; ++i) {
        f.Time.push_back(i * 30.0); // up to 2970 s
        f.Altitude.push_back(1000 + i * 10.0);
    }
    ASSERT_TRUE(WriteDataFile((Dir.path() + "/a.zdf").toStdString(), f).Ok());
    {
        auto form = Start();
        const TMainWindowControls ui(*form);
        ASSERT_EQ(form->OpenFlightFile(Dir.path() + "/a.zdf"), 0);
        ui.PageControl->setCurrentWidget(ui.TabGraph);
        TGraphPage* page = ui.GraphPage;
        TChart* chart = test::Named<TChart>(*page, "Chart1");
        chart->Replot();
        const QStringList altitudes = chart->TickLabels(TAxisId::Left);
        ASSERT_FALSE(altitudes.isEmpty());
        for (const QString& label : altitudes)
            EXPECT_TRUE(label.contains('.') && !label.contains(QChar(0xA0))) << label.toStdString();
        EXPECT_TRUE(chart->TickLabels(TAxisId::Bottom)
                        .join(" ")
                        .contains(QRegularExpression("\\d\\.\\d{3}")));

        // The measurement markers' altitude labels as well.
        test::Named<QToolButton>(*page, "TBGrafRead")->setChecked(true);
        const QRect plot = chart->PlotRect();
        const QPoint from = plot.topLeft() + QPoint(plot.width() / 4, plot.height() / 4);
        const QPoint to = plot.center();
        QTest::mousePress(chart->PlotArea(), Qt::LeftButton, {}, from);
        QTest::mouseMove(chart->PlotArea(), to);
        QTest::mouseRelease(chart->PlotArea(), Qt::LeftButton, {}, to);
        ASSERT_EQ(page->Measure().Markers().Count(), 2);
        EXPECT_TRUE(
            page->Measure().Markers().LabelText(0).contains(QRegularExpression("^1\\.\\d{3}")))
            << page->Measure().Markers().LabelText(0).toStdString();
        Dialogs->Answers = {TAnswer::No};
    }
    QLocale::setDefault(before);
}
