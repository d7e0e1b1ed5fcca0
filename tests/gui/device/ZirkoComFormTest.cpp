#include "gui/device/ZirkoComForm.h"
#include "core/device/LoggerProtocol.h"
#include "core/device/LoggerSimulator.h"
#include "gui/device/DeviceControls.h"
#include "platform/files/FlightFile.h"
#include "platform/locale/SavingMoment.h"
#include "platform/serial/LoggerSession.h"
#include "platform/serial/PtyServer.h"
#include "platform/serial/SimulatorDevice.h"
#include "platform/serial/SimulatorLink.h"
#include "support/EntryInput.h"
#include "support/ScriptedDialogs.h"

#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QFocusEvent>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QStatusBar>
#include <QTemporaryDir>
#include <QTest>
#include <QTimeZone>
#include <gtest/gtest.h>

using namespace zirko;
using namespace zirko::test;

namespace {

struct TShownForm {
    TScriptedDialogs& Scripted = InstallScriptedDialogs();
    TZirkoComForm Form;
    TShownForm()
    {
        Form.show();
        Form.activateWindow();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(&Form));
    }
    ~TShownForm() { Form.Session().Close(); }
};

void TypeInto(QLineEdit* edit, const QString& text)
{
    edit->selectAll();
    QTest::keyClick(edit, Qt::Key_Backspace);
    QTest::keyClicks(edit, text);
}

// The edits of the hidden groups cannot take the focus; leaving them is what a focus-out does.
void Leave(QLineEdit* edit)
{
    QFocusEvent out(QEvent::FocusOut, Qt::TabFocusReason);
    QApplication::sendEvent(edit, &out);
    QApplication::processEvents();
}

std::vector<QPushButton*> EnabledButtons(TZirkoComForm& f)
{
    const TDeviceControls c(f);
    std::vector<QPushButton*> on;
    for (QPushButton* b : {c.ButtonConnect, c.ButtonDisconnect, c.ButtonReadData, c.ButtonErase,
                           c.ButtonUpload, c.ButtonDownloadCfg, c.ButtonClose})
        if (b->isEnabled())
            on.push_back(b);
    return on;
}

bool WaitIdle(TZirkoComForm& f, int timeoutMs = 20000)
{
    const TDeviceControls c(f);
    return QTest::qWaitFor(
        [&] { return f.Session().PendingCommand().isEmpty() && c.ButtonReadData->isEnabled(); },
        timeoutMs);
}

} // namespace

TEST(ZirkoComForm, ShownNotConnectedWithTheGroupsClosedUp)
{
    TShownForm t;
    TZirkoComForm& f = t.Form;
    const TDeviceControls c(f);
    EXPECT_EQ(f.windowTitle(), "Data Reading");
    EXPECT_EQ(c.StatusBar1->currentMessage(), "Zirko not connected.");
    EXPECT_EQ(EnabledButtons(f), (std::vector<QPushButton*>{c.ButtonConnect, c.ButtonClose}));
    EXPECT_EQ(c.Lamp->Colour(), QColor(255, 0, 0));
    EXPECT_EQ(c.ButtonConnect->toolTip(), "Push Connect button and then power-up Zirko device.");
    EXPECT_FALSE(c.EditVoltspy->isEnabled());
    EXPECT_FALSE(c.CheckAltitude->isEnabled());
    EXPECT_TRUE(c.EditFlightTemperature->isEnabled());
    for (QWidget* hidden :
         {static_cast<QWidget*>(c.GroupDataLog), static_cast<QWidget*>(c.GroupStart),
          static_cast<QWidget*>(c.PanelNumbers), c.PanelFileName})
        EXPECT_FALSE(hidden->isVisible());
    EXPECT_TRUE(c.EditVoltspy->isVisible());
    EXPECT_EQ(c.LabelRecordingTime->text(), "0 s");
    EXPECT_EQ(c.ProgressBar1->maximum(), 540672);
    EXPECT_GE(f.width(), 401);
    EXPECT_LT(f.height(), 589);
}

TEST(ZirkoComForm, CtrlAltSTogglesTheNumbersStrip)
{
    TShownForm t;
    TZirkoComForm& f = t.Form;
    const TDeviceControls c(f);
    const int height = f.height();
    const int closeTop = c.ButtonClose->mapTo(&f, QPoint(0, 0)).y();
    QTest::keyClick(&f, Qt::Key_S, Qt::ControlModifier | Qt::AltModifier);
    QApplication::processEvents();
    EXPECT_TRUE(c.PanelNumbers->isVisible());
    EXPECT_EQ(f.height(), height + 40);
    EXPECT_EQ(c.ButtonClose->mapTo(&f, QPoint(0, 0)).y(), closeTop + 40);
    QTest::keyClick(&f, Qt::Key_S, Qt::ControlModifier | Qt::AltModifier);
    QApplication::processEvents();
    EXPECT_FALSE(c.PanelNumbers->isVisible());
    EXPECT_EQ(f.height(), height);
}

TEST(ZirkoComForm, OperationsNeedAConnectionAndUploadAReadConfiguration)
{
    TShownForm t;
    TZirkoComForm& f = t.Form;
    const TDeviceControls c(f);
    f.ReadDataClick();
    f.EraseClick();
    f.DownloadCfgClick();
    EXPECT_EQ(t.Scripted.Errors(),
              QStringList({"Not connected.", "Not connected.", "Not connected."}));
    // The port is open but the logger has not answered yet: nothing has been read to upload.
    f.SetPortName("Simulator");
    QTest::mouseClick(c.ButtonConnect, Qt::LeftButton);
    ASSERT_TRUE(f.Session().PortOpen());
    EXPECT_EQ(EnabledButtons(f), (std::vector<QPushButton*>{c.ButtonDisconnect, c.ButtonClose}));
    EXPECT_EQ(c.Lamp->Colour(), QColor(255, 255, 0));
    f.UploadClick();
    EXPECT_EQ(t.Scripted.Errors().last(), "File not loaded.");
}

TEST(ZirkoComForm, SamplingEditsKeepThePeriodWithinTenMinutes)
{
    TShownForm t;
    TZirkoComForm& f = t.Form;
    const TDeviceControls c(f);
    f.EnableConfigControls(true);
    TypeInto(c.EditMin, "10");
    TypeInto(c.EditSec, "1");
    EXPECT_EQ(t.Scripted.Errors(), QStringList({"Max Sample rate is 10min"}));
    EXPECT_EQ(c.EditMin->text(), "10");
    EXPECT_EQ(c.EditSec->text(), "0");
    EXPECT_EQ(c.EditTenths->text(), "0");
    EXPECT_EQ(ConfigWord(f.ConfigImage, cfg::kSamplePeriod), 60000);

    TypeInto(c.EditMin, "0");
    TypeInto(c.EditSec, "0");
    TypeInto(c.EditTenths, "5");
    EXPECT_EQ(ConfigWord(f.ConfigImage, cfg::kSamplePeriod), 50);
    EXPECT_EQ(f.SamplePeriod().Milliseconds(), 500);
    // Letters never reach the edit; an emptied edit reads 0 when left.
    QTest::keyClicks(c.EditTenths, "x-");
    EXPECT_EQ(c.EditTenths->text(), "5");
    TypeInto(c.EditTenths, "");
    Leave(c.EditTenths);
    EXPECT_EQ(c.EditTenths->text(), "0");
    EXPECT_EQ(t.Scripted.Errors().size(), 1);
}

TEST(ZirkoComForm, RecordingTimeFollowsTheDataLogBoxes)
{
    TShownForm t;
    TZirkoComForm& f = t.Form;
    const TDeviceControls c(f);
    f.EnableConfigControls(true);
    f.MemorySize = 9000000;
    TypeInto(c.EditSec, "1");
    EXPECT_EQ(c.LabelRecordingTime->text(), "0 s");
    c.CheckAltitude->click();
    c.CheckRx->click();
    EXPECT_EQ(f.ConfigImage[cfg::kLogAltitude], 1);
    EXPECT_EQ(c.LabelRecordingTime->text(), "625h 0min 0s");
    c.CheckRx->click();
    EXPECT_EQ(f.ConfigImage[cfg::kLogRx], 0);
    EXPECT_EQ(c.LabelRecordingTime->text(), "1250h 0min 0s");
}

TEST(ZirkoComForm, LimitedEditsClampAndStore)
{
    TShownForm t;
    TZirkoComForm& f = t.Form;
    const TDeviceControls c(f);
    f.EnableConfigControls(true);
    TypeInto(c.EditVoltspy, "9.9");
    EXPECT_EQ(c.EditVoltspy->text(), "9.8");
    EXPECT_EQ(ConfigWord(f.ConfigImage, cfg::kVoltspy), 817);
    TypeInto(c.EditVoltspy, "5");
    EXPECT_EQ(ConfigWord(f.ConfigImage, cfg::kVoltspy), 417);
    TypeInto(c.EditStartDelay, "12000");
    EXPECT_EQ(c.EditStartDelay->text(), "9999");
    EXPECT_EQ(ConfigWord(f.ConfigImage, cfg::kStartDelay), 9999);
    TypeInto(c.EditFinishTime, "1001");
    EXPECT_EQ(c.EditFinishTime->text(), "1000");
    EXPECT_EQ(ConfigWord(f.ConfigImage, cfg::kFinishTime), 1000);
    TypeInto(c.EditStartAltitude, "250");
    c.RadioStartAltitude->click();
    EXPECT_EQ(f.ConfigImage[cfg::kStartMode], 2);
    EXPECT_EQ(ConfigWord(f.ConfigImage, cfg::kStartAltitude), 250);
    c.RadioFinishRx->click();
    EXPECT_EQ(f.ConfigImage[cfg::kFinishMode], 3);
    EXPECT_TRUE(t.Scripted.Errors().isEmpty());
    // What the record holds comes back into the controls.
    f.ConfigToControls();
    EXPECT_EQ(c.EditVoltspy->text(), "5.00");
    EXPECT_TRUE(c.RadioStartAltitude->isChecked());
}

TEST(ZirkoComForm, PastedOrDroppedTextKeepsOnlyTheDigitsTheFieldTakes)
{
    TShownForm t;
    TZirkoComForm& f = t.Form;
    const TDeviceControls c(f);
    f.EnableConfigControls(true);
    c.EditVoltspy->selectAll();
    PasteByKey(c.EditVoltspy, "x5 V");
    EXPECT_EQ(c.EditVoltspy->text(), "5");
    c.EditVoltspy->selectAll();
    ASSERT_TRUE(PasteByMenu(c.EditVoltspy, "V 4.5"));
    EXPECT_EQ(c.EditVoltspy->text(), "4.5");
    EXPECT_EQ(ConfigWord(f.ConfigImage, cfg::kVoltspy), 375);
    c.EditStartDelay->selectAll();
    PasteByKey(c.EditStartDelay, "-12.5s");
    EXPECT_EQ(c.EditStartDelay->text(), "125");
    DropText(c.EditStartDelay, "x7");
    EXPECT_EQ(c.EditStartDelay->text(), "1257");
    EXPECT_EQ(ConfigWord(f.ConfigImage, cfg::kStartDelay), 1257);
    EXPECT_TRUE(t.Scripted.Errors().isEmpty()) << t.Scripted.Errors().join("|").toStdString();
}

TEST(ZirkoComForm, NumberAboveTheWordRangeIsRefusedOnLeaving)
{
    TShownForm t;
    TZirkoComForm& f = t.Form;
    const TDeviceControls c(f);
    f.EnableConfigControls(true);
    QTest::keyClick(&f, Qt::Key_S, Qt::ControlModifier | Qt::AltModifier);
    c.EditNumber[0]->setFocus();
    ASSERT_TRUE(QTest::qWaitFor([&] { return c.EditNumber[0]->hasFocus(); }));
    TypeInto(c.EditNumber[0], "70000");
    EXPECT_EQ(ConfigWord(f.ConfigImage, cfg::kNumber1), 70000 & 0xFFFF);
    QTest::keyClick(c.EditNumber[0], Qt::Key_Tab);
    ASSERT_TRUE(QTest::qWaitFor(
        [&] { return t.Scripted.Log.contains("message: Number must be 0..65535!"); }));
    EXPECT_TRUE(QTest::qWaitFor([&] { return c.EditNumber[0]->hasFocus(); }));
    EXPECT_TRUE(t.Scripted.Errors().isEmpty());
}

TEST(ZirkoComForm, FlightTemperatureKeepsItsLastGoodValue)
{
    TShownForm t;
    TZirkoComForm& f = t.Form;
    const TDeviceControls c(f);
    EXPECT_EQ(c.EditFlightTemperature->text(), "15");
    for (const char* bad : {"61", "abc"}) {
        TypeInto(c.EditFlightTemperature, bad);
        Leave(c.EditFlightTemperature);
        EXPECT_EQ(c.EditFlightTemperature->text(), "15");
    }
    EXPECT_EQ(t.Scripted.Errors(),
              QStringList(2, "Flight Temperature must be an integer between -30 and 60."));
    TypeInto(c.EditFlightTemperature, "-30");
    Leave(c.EditFlightTemperature);
    EXPECT_EQ(f.FlightTemperature(), -30);
    TypeInto(c.EditFlightTemperature, "");
    Leave(c.EditFlightTemperature);
    EXPECT_EQ(c.EditFlightTemperature->text(), "0");
    EXPECT_EQ(f.FlightTemperature(), 0);
}

TEST(ZirkoComForm, EscClosesAtOnceWhenIdle)
{
    TShownForm t;
    QTest::keyClick(&t.Form, Qt::Key_Escape);
    EXPECT_FALSE(t.Form.isVisible());
    EXPECT_TRUE(t.Scripted.Log.isEmpty());
    EXPECT_EQ(t.Form.windowTitle(), "Data Reading / Zirko - Disconnected");
}

TEST(ZirkoComForm, ShownAgainAfterASessionStartsAfresh)
{
    TShownForm t;
    TZirkoComForm& f = t.Form;
    const TDeviceControls c(f);
    f.SetPortName("Simulator");
    QTest::mouseClick(c.ButtonConnect, Qt::LeftButton);
    ASSERT_TRUE(QTest::qWaitFor([&] { return c.EditVoltspy->isEnabled(); }, 20000));
    QTest::mouseClick(c.ButtonClose, Qt::LeftButton);
    ASSERT_FALSE(f.isVisible());
    EXPECT_TRUE(QTest::qWaitFor([&] { return !f.Session().PortOpen(); }, 5000));
    f.SetFlightTemperature(22);
    f.show();
    EXPECT_EQ(c.StatusBar1->currentMessage(), "Zirko not connected.");
    EXPECT_EQ(c.Lamp->Colour(), QColor(255, 0, 0));
    EXPECT_EQ(EnabledButtons(f), (std::vector<QPushButton*>{c.ButtonConnect, c.ButtonClose}));
    EXPECT_FALSE(c.EditVoltspy->isEnabled());
    EXPECT_EQ(c.EditFlightTemperature->text(), "22");
    EXPECT_TRUE(c.LabelData->text().isEmpty());
}

TEST(ZirkoComForm, WholeSessionWithTheSimulator)
{
    TShownForm t;
    TZirkoComForm& f = t.Form;
    const TDeviceControls c(f);
    QTemporaryDir data;
    f.SetPortName("Simulator");
    f.SetDataFolder(data.path());
    f.SetDefaultFileName("Block");

    QTest::mouseClick(c.ButtonConnect, Qt::LeftButton);
    ASSERT_TRUE(QTest::qWaitFor([&] { return c.EditVoltspy->isEnabled(); }, 20000));
    ASSERT_TRUE(WaitIdle(f));
    EXPECT_EQ(f.windowTitle(), "Data Reading / Zirko - Connected");
    EXPECT_EQ(c.Lamp->Colour(), QColor(0, 200, 0));
    EXPECT_TRUE(c.LabelFirmware->text().contains("ZIRKO"));
    EXPECT_EQ(c.ProgressBar1->maximum(), 9000000);
    EXPECT_EQ(EnabledButtons(f).size(), 6u);
    EXPECT_FALSE(c.ButtonConnect->isEnabled());
    EXPECT_TRUE(c.EditVoltspy->isEnabled());
    const QString voltspy = c.EditVoltspy->text();

    // Download: every flight lands in the data folder.
    QTest::mouseClick(c.ButtonReadData, Qt::LeftButton);
    EXPECT_FALSE(c.ButtonClose->isEnabled());
    ASSERT_TRUE(WaitIdle(f));
    const QStringList files = QDir(data.path()).entryList({"*.zdf"});
    EXPECT_EQ(files, QStringList({"Block001.zdf", "Block002.zdf", "Block003.zdf"}));
    EXPECT_TRUE(t.Scripted.Log.contains("info: 3 files succesfully written.") ||
                t.Scripted.Log.filter("info: 3 files succesfully written.").size() == 1);
    EXPECT_TRUE(c.LabelData->text().startsWith("Number of bytes read: "));
    EXPECT_NE(c.LabelRecordingTime->text(), "0 s");
    // The same memory again: every flight is in the logbook, nothing is asked or written.
    QTest::mouseClick(c.ButtonReadData, Qt::LeftButton);
    ASSERT_TRUE(WaitIdle(f));
    EXPECT_TRUE(t.Scripted.Log.filter("choose: ").isEmpty());
    EXPECT_EQ(t.Scripted.Log
                  .filter("info: 0 files succesfully written. 3 flights already in the logbook, "
                          "in " +
                          data.path() + ".")
                  .size(),
              1);
    EXPECT_EQ(QDir(data.path()).entryList({"*.zdf"}), files);
    // Sorted into a folder under other names, they are still known where they are now.
    ASSERT_TRUE(QDir(data.path()).mkpath("2026/May"));
    for (const QString& name : files)
        ASSERT_TRUE(QDir(data.path()).rename(name, "2026/May/Evening-" + name));
    QTest::mouseClick(c.ButtonReadData, Qt::LeftButton);
    ASSERT_TRUE(WaitIdle(f));
    EXPECT_TRUE(t.Scripted.Log.filter("choose: ").isEmpty());
    EXPECT_EQ(t.Scripted.Log
                  .filter("info: 0 files succesfully written. 3 flights already in the logbook, "
                          "in " +
                          data.path() + "/2026/May.")
                  .size(),
              1);
    EXPECT_TRUE(QDir(data.path()).entryList({"*.zdf"}).isEmpty());
    for (const QString& name : files)
        ASSERT_TRUE(QDir(data.path()).rename("2026/May/Evening-" + name, name));
    // Another flight under a taken name is asked about; Enter keeps both.
    const std::string second = QDir(data.path()).filePath("Block002.zdf").toStdString();
    TDataBlock changed;
    ASSERT_EQ(ReadDataFile(second, changed, 0).Status, TReadStatus::Ok);
    changed.Altitude[0] += 10;
    ASSERT_TRUE(WriteDataFile(second, changed).Ok());
    QTest::mouseClick(c.ButtonReadData, Qt::LeftButton);
    ASSERT_TRUE(WaitIdle(f));
    const QStringList asked = t.Scripted.Log.filter("choose: ");
    ASSERT_EQ(asked.size(), 1);
    EXPECT_TRUE(asked[0].contains("Block002.zdf already exists and holds a different flight"));
    EXPECT_TRUE(asked[0].endsWith("Block004.zdf. [Keep both|Rewrite|Rewrite all|Skip]"))
        << asked[0].toStdString();
    EXPECT_EQ(QDir(data.path()).entryList({"*.zdf"}),
              QStringList({"Block001.zdf", "Block002.zdf", "Block003.zdf", "Block004.zdf"}));
    EXPECT_EQ(t.Scripted.Log
                  .filter("info: 1 file succesfully written. 2 flights already in the logbook, "
                          "in " +
                          data.path() + ".")
                  .size(),
              1);

    // Upload with read-back, then a fresh read shows what was written.
    TypeInto(c.EditVoltspy, "6");
    QTest::mouseClick(c.ButtonUpload, Qt::LeftButton);
    ASSERT_TRUE(WaitIdle(f));
    EXPECT_EQ(ConfigWord(f.ConfigImage, cfg::kVoltspy), 500);
    TypeInto(c.EditVoltspy, voltspy);
    QTest::mouseClick(c.ButtonDownloadCfg, Qt::LeftButton);
    ASSERT_TRUE(WaitIdle(f));
    EXPECT_NE(c.EditVoltspy->text(), voltspy);
    EXPECT_EQ(ConfigWord(f.ConfigImage, cfg::kVoltspy), 500);
    EXPECT_TRUE(t.Scripted.Errors().isEmpty()) << t.Scripted.Errors().join("|").toStdString();

    // Erase asks first; No leaves the memory alone.
    t.Scripted.Answers = {TAnswer::No, TAnswer::Yes};
    QTest::mouseClick(c.ButtonErase, Qt::LeftButton);
    EXPECT_TRUE(f.Session().PendingCommand().isEmpty());
    QTest::mouseClick(c.ButtonErase, Qt::LeftButton);
    EXPECT_EQ(t.Scripted.Log.filter("ask: Erase memory?").size(), 2);
    // Enter alone never erases.
    EXPECT_EQ(t.Scripted.Defaults, (std::vector<TAnswer>{TAnswer::No, TAnswer::No}));
    ASSERT_TRUE(WaitIdle(f));
    QTest::mouseClick(c.ButtonReadData, Qt::LeftButton);
    ASSERT_TRUE(WaitIdle(f));
    EXPECT_EQ(c.StatusBar1->currentMessage(), "Data reading finished (0 blocks read.)");

    QTest::mouseClick(c.ButtonDisconnect, Qt::LeftButton);
    ASSERT_TRUE(QTest::qWaitFor([&] { return !f.Session().PortOpen(); }, 5000));
    EXPECT_EQ(f.windowTitle(), "Data Reading / Zirko - Disconnected");
    EXPECT_EQ(c.LabelTop->text(), "Disconnected.");
    EXPECT_EQ(c.Lamp->Colour(), QColor(255, 0, 0));
    EXPECT_EQ(EnabledButtons(f), (std::vector<QPushButton*>{c.ButtonConnect, c.ButtonClose}));
    EXPECT_FALSE(c.EditVoltspy->isEnabled());
}

TEST(ZirkoComForm, FeedbackDescribesTheLatestDownloadAndConnection)
{
    TShownForm t;
    TZirkoComForm& f = t.Form;
    const TDeviceControls c(f);
    QTemporaryDir data;
    f.SetPortName("Simulator");
    f.SetDataFolder(data.path());
    QTest::mouseClick(c.ButtonConnect, Qt::LeftButton);
    ASSERT_TRUE(WaitIdle(f));
    EXPECT_TRUE(c.LabelFirmware->text().contains("ZIRKO"));

    QTest::mouseClick(c.ButtonReadData, Qt::LeftButton);
    ASSERT_TRUE(WaitIdle(f));
    // The download ended: the bar is full and names the bytes the data label counts.
    const QString count = c.LabelData->text().section(": ", 1);
    ASSERT_GT(count.toLongLong(), 0);
    EXPECT_EQ(c.ProgressBar1->value(), c.ProgressBar1->maximum());
    EXPECT_EQ(c.ProgressBar1->text(), count + " bytes");
    EXPECT_EQ(c.LabelTop->text().trimmed(), "");
    EXPECT_EQ(c.LabelInit->text(), "3 files succesfully written.");

    t.Scripted.Answers = {TAnswer::Yes};
    QTest::mouseClick(c.ButtonErase, Qt::LeftButton);
    ASSERT_TRUE(WaitIdle(f));
    QTest::mouseClick(c.ButtonReadData, Qt::LeftButton);
    ASSERT_TRUE(WaitIdle(f));
    EXPECT_EQ(c.StatusBar1->currentMessage(), "Data reading finished (0 blocks read.)");
    EXPECT_EQ(c.LabelInit->text(), "");
    EXPECT_EQ(c.LabelData->text(), "Number of bytes read: 0");
    EXPECT_EQ(c.ProgressBar1->value(), c.ProgressBar1->maximum());
    EXPECT_EQ(c.ProgressBar1->text(), "0 bytes");

    // While the next download runs the bar starts again from the logger's memory size.
    f.Session().SetSimulatorPacing(11520);
    QTest::mouseClick(c.ButtonReadData, Qt::LeftButton);
    EXPECT_EQ(c.ProgressBar1->value(), 0);
    EXPECT_EQ(c.ProgressBar1->maximum(), 9000000);
    ASSERT_TRUE(WaitIdle(f));

    QTest::mouseClick(c.ButtonDisconnect, Qt::LeftButton);
    ASSERT_TRUE(QTest::qWaitFor([&] { return !f.Session().PortOpen(); }, 5000));
    EXPECT_EQ(c.LabelFirmware->text(), "Firmware:");
    EXPECT_TRUE(t.Scripted.Errors().isEmpty()) << t.Scripted.Errors().join("|").toStdString();
}

TEST(ZirkoComForm, ALongFailureTextNeitherResizesNorMovesTheWindow)
{
    TShownForm t;
    TZirkoComForm& f = t.Form;
    const TDeviceControls c(f);
    QTest::qWait(50);
    const QRect before = f.geometry();
    const QString port = "/dev/serial/by-id/usb-ZIRKO_Logger_" + QString(90, 'x') + "-port0";
    f.SetPortName(port);
    QTest::mouseClick(c.ButtonConnect, Qt::LeftButton);
    QTest::qWait(50);
    EXPECT_TRUE(c.LabelTop->text().contains(port));
    EXPECT_TRUE(c.LabelTop->toolTip().contains(port));
    EXPECT_EQ(f.geometry(), before);
    EXPECT_LE(c.LabelTop->geometry().right(), f.width());
}

TEST(ZirkoComForm, AnUnpluggedLoggerMidDownloadGivesOneErrorBox)
{
    TShownForm t;
    TZirkoComForm& f = t.Form;
    const TDeviceControls c(f);
    QTemporaryDir data;
    TSimulatorOptions options;
    options.Memory = GenerateMemoryImage(3, 7, 60);
    options.BytesPerSecond = 11520; // slow enough to pull the plug mid-download
    TSimulatorDevice device(options);
    auto server = TPtyServer::Create(device);
    ASSERT_TRUE(server.Server) << server.Message.toStdString();
    f.SetPortName(server.Server->DevicePath());
    f.SetDataFolder(data.path());
    QTest::mouseClick(c.ButtonConnect, Qt::LeftButton);
    ASSERT_TRUE(WaitIdle(f));
    QTest::mouseClick(c.ButtonReadData, Qt::LeftButton);
    QTest::qWait(300);
    // The box stays open a while, as a real one does until the user answers it.
    t.Scripted.ErrorBoxMs = 400;
    server.Server.reset();
    ASSERT_TRUE(QTest::qWaitFor([&] { return !f.Session().PortOpen(); }, 5000));
    QTest::qWait(600);
    EXPECT_EQ(t.Scripted.Errors(), QStringList({"Communication error"}));
    EXPECT_TRUE(c.ButtonConnect->isEnabled());
    EXPECT_EQ(c.Lamp->Colour(), QColor(255, 0, 0));
    EXPECT_TRUE(QDir(data.path()).entryList({"*.zdf"}).isEmpty());
}

TEST(ZirkoComForm, EscDuringADownloadAsksAndNoGoesOn)
{
    TShownForm t;
    TZirkoComForm& f = t.Form;
    const TDeviceControls c(f);
    QTemporaryDir data;
    f.SetPortName("Simulator");
    f.SetDataFolder(data.path());
    // At the wire's own speed a download takes long enough to be interrupted.
    f.Session().SetSimulatorPacing(11520);
    QTest::mouseClick(c.ButtonConnect, Qt::LeftButton);
    ASSERT_TRUE(WaitIdle(f));
    QTest::mouseClick(c.ButtonReadData, Qt::LeftButton);
    ASSERT_EQ(f.Session().PendingCommand(), "D");
    t.Scripted.Answers = {TAnswer::No};
    QTest::keyClick(&f, Qt::Key_Escape);
    EXPECT_EQ(t.Scripted.Log.last(), "ask: Are you sure to break current operation?");
    EXPECT_TRUE(f.isVisible());
    EXPECT_EQ(f.Session().PendingCommand(), "D");
    t.Scripted.Answers = {TAnswer::Yes};
    QTest::keyClick(&f, Qt::Key_Escape);
    EXPECT_FALSE(f.isVisible());
    EXPECT_TRUE(QTest::qWaitFor([&] { return !f.Session().PortOpen(); }, 5000));
}

TEST(ZirkoComForm, WhileACommandRunsOnlyItsButtonAndDisconnectTakeInput)
{
    TShownForm t;
    TZirkoComForm& f = t.Form;
    const TDeviceControls c(f);
    QTemporaryDir data;
    f.SetPortName("Simulator");
    f.SetDataFolder(data.path());
    QTest::mouseClick(c.ButtonConnect, Qt::LeftButton);
    // While the logger answers its opening commands nothing else may be given.
    EXPECT_EQ(EnabledButtons(f), (std::vector<QPushButton*>{c.ButtonDisconnect, c.ButtonClose}));
    ASSERT_TRUE(WaitIdle(f));
    QTest::mouseClick(c.ButtonReadData, Qt::LeftButton);
    EXPECT_EQ(EnabledButtons(f), (std::vector<QPushButton*>{c.ButtonDisconnect, c.ButtonReadData}));
    EXPECT_TRUE(c.EditVoltspy->isEnabled());
    // A second Read Data in the middle is no new download.
    QTest::mouseClick(c.ButtonReadData, Qt::LeftButton);
    EXPECT_EQ(f.Session().PendingCommand(), "D");
    ASSERT_TRUE(WaitIdle(f));
    EXPECT_EQ(EnabledButtons(f).size(), 6u);
    QTest::mouseClick(c.ButtonDownloadCfg, Qt::LeftButton);
    EXPECT_EQ(EnabledButtons(f),
              (std::vector<QPushButton*>{c.ButtonDisconnect, c.ButtonDownloadCfg}));
    ASSERT_TRUE(WaitIdle(f));
    EXPECT_EQ(f.windowTitle(), "Data Reading / Zirko - Connected");
    EXPECT_TRUE(t.Scripted.Errors().isEmpty()) << t.Scripted.Errors().join("|").toStdString();
}

TEST(ZirkoComForm, PortThatCannotOpenShowsWhyBesideTheRedLamp)
{
    TShownForm t;
    TZirkoComForm& f = t.Form;
    const TDeviceControls c(f);
    f.SetPortName("/nonexistent/ttyZIRKO");
    QTest::mouseClick(c.ButtonConnect, Qt::LeftButton);
    EXPECT_FALSE(f.Session().PortOpen());
    EXPECT_TRUE(c.LabelTop->text().contains("/nonexistent/ttyZIRKO"));
    EXPECT_EQ(c.Lamp->Colour(), QColor(255, 0, 0));
    EXPECT_EQ(EnabledButtons(f), (std::vector<QPushButton*>{c.ButtonConnect, c.ButtonClose}));
}

TEST(ZirkoComForm, AFirmwareReplyThatStopsShowsNoResponseAndTheWindowCanConnectAgain)
{
    TShownForm t;
    TZirkoComForm& f = t.Form;
    const TDeviceControls c(f);
    TSimulatorOptions options = BuiltInSimulatorOptions(0);
    options.Faults.SilentFirmwareAfter = 8;
    f.SetPortName("Simulator");
    f.Session().SetLinkForNextConnect(
        std::make_unique<TSimulatorLink>(std::make_unique<TSimulatorDevice>(options)));
    QTest::mouseClick(c.ButtonConnect, Qt::LeftButton);
    ASSERT_TRUE(QTest::qWaitFor([&] { return !t.Scripted.Errors().isEmpty(); }, 10000));
    EXPECT_EQ(t.Scripted.Errors(), QStringList{kMsgNoResponse});
    ASSERT_TRUE(QTest::qWaitFor([&] { return c.ButtonConnect->isEnabled(); }, 5000));
    EXPECT_FALSE(f.Session().PortOpen());
    EXPECT_EQ(EnabledButtons(f), (std::vector<QPushButton*>{c.ButtonConnect, c.ButtonClose}));
    EXPECT_EQ(c.Lamp->Colour(), QColor(255, 0, 0));
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);

    // The next Connect gets the built-in logger, which answers.
    QTest::mouseClick(c.ButtonConnect, Qt::LeftButton);
    EXPECT_TRUE(QTest::qWaitFor([&] { return c.EditVoltspy->isEnabled(); }, 20000));
    EXPECT_EQ(t.Scripted.Errors().size(), 1);
}

TEST(ZirkoComForm, DownloadIntoAFolderThatCannotBeMadeSavesNothingAndDisconnects)
{
    TShownForm t;
    TZirkoComForm& f = t.Form;
    const TDeviceControls c(f);
    QTemporaryDir data;
    const QString folder = data.path() + "/missing/Data";
    f.SetPortName("Simulator");
    f.SetDataFolder(folder);
    QTest::mouseClick(c.ButtonConnect, Qt::LeftButton);
    ASSERT_TRUE(QTest::qWaitFor([&] { return c.EditVoltspy->isEnabled(); }, 20000));
    ASSERT_TRUE(WaitIdle(f));
    QTest::mouseClick(c.ButtonReadData, Qt::LeftButton);
    ASSERT_TRUE(QTest::qWaitFor([&] { return !f.Session().PortOpen(); }, 20000));
    // The box also says where the raw backup keeps the flights that could not be saved.
    ASSERT_EQ(t.Scripted.Errors().size(), 1);
    const QStringList lines = t.Scripted.Errors().front().split('\n');
    ASSERT_EQ(lines.size(), 2);
    EXPECT_EQ(lines[0], "Cannot create " + folder + "/");
    EXPECT_TRUE(lines[1].startsWith("The downloaded memory is also kept in /"));
    EXPECT_FALSE(QDir(folder).exists());
    EXPECT_GT(c.ProgressBar1->value(), 0);
    EXPECT_TRUE(c.ButtonConnect->isEnabled());
    EXPECT_TRUE(c.ButtonClose->isEnabled());
}

TEST(SavingMoment, LongTimeWithSecondsButNoTimeZone)
{
    EXPECT_EQ(WithoutTimeZone("H:mm:ss t"), "H:mm:ss");
    EXPECT_EQ(WithoutTimeZone("h:mm:ss AP tttt"), "h:mm:ss AP");
    EXPECT_EQ(WithoutTimeZone("t HH:mm:ss"), "HH:mm:ss");
    EXPECT_EQ(WithoutTimeZone("HH 'h' mm 'at' ss t"), "HH 'h' mm 'at' ss"); // quoted t stays
    EXPECT_EQ(WithoutTimeZone("HH:mm:ss"), "HH:mm:ss");

    const QTimeZone prague("Europe/Prague");
    ASSERT_TRUE(prague.isValid());
    const QDateTime moment(QDate(2026, 12, 8), QTime(14, 3, 22), prague);
    for (const QLocale& locale :
         {QLocale(QLocale::Czech, QLocale::Czechia),
          QLocale(QLocale::English, QLocale::UnitedStates),
          QLocale(QLocale::German, QLocale::Germany), QLocale(QLocale::Chinese, QLocale::China)}) {
        const QString text = SavingMomentText(moment, locale);
        SCOPED_TRACE(text.toStdString());
        EXPECT_TRUE(text.startsWith(locale.toString(moment.date(), QLocale::ShortFormat) + " "));
        EXPECT_TRUE(text.contains("22")); // seconds
        EXPECT_FALSE(text.contains("CET"));
        EXPECT_FALSE(text.contains("UTC"));
        EXPECT_FALSE(text.contains("GMT"));
        EXPECT_FALSE(text.contains(moment.timeZoneAbbreviation()));
        EXPECT_FALSE(text.contains(QDateTime::currentDateTime().timeZoneAbbreviation()));
        EXPECT_EQ(text, text.trimmed());
    }
}
