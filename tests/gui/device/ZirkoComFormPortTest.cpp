// The device window's port field: it shows the port it will use, offers the ports found and the
// Simulator, steps in for a stored port that is missing, and takes a typed device path.
#include "core/device/LoggerSimulator.h"
#include "gui/device/DeviceControls.h"
#include "gui/device/ZirkoComForm.h"
#include "platform/serial/LoggerSession.h"
#include "platform/serial/PtyServer.h"
#include "platform/serial/SimulatorDevice.h"
#include "support/ScriptedDialogs.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStatusBar>
#include <QTest>
#include <gtest/gtest.h>

using namespace zirko;
using namespace zirko::test;

namespace {

// A window over a machine whose system lists `ports`.
struct TPortForm {
    TScriptedDialogs& Scripted = InstallScriptedDialogs();
    TZirkoComForm Form;
    TDeviceControls C{Form};
    TPortForm(const QStringList& ports, const QString& stored)
    {
        Form.ListPorts = [ports] { return ports; };
        Form.SetPortName(stored);
        Form.show();
        Form.activateWindow();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(&Form));
    }
    ~TPortForm() { Form.Session().Close(); }

    QStringList Offered() const
    {
        QStringList items;
        for (int i = 0; i < C.ComboPort->count(); ++i)
            items << C.ComboPort->itemText(i);
        return items;
    }
    // Types into the port field as the user does.
    void TypePort(const QString& text)
    {
        QLineEdit* edit = C.ComboPort->lineEdit();
        edit->setFocus();
        edit->selectAll();
        QTest::keyClick(edit, Qt::Key_Backspace);
        QTest::keyClicks(edit, text);
    }
};

} // namespace

TEST(ZirkoComFormPort, AMissingStoredPortGivesWayToTheFirstPortFound)
{
    TPortForm t({"ttyZIRKO7", "ttyZIRKO8"}, "COM1");
    TZirkoComForm& f = t.Form;
    const TDeviceControls c(f);
    EXPECT_EQ(t.Offered(), (QStringList{"ttyZIRKO7", "ttyZIRKO8", "Simulator"}));
    EXPECT_TRUE(c.ComboPort->isEditable());
    EXPECT_EQ(c.ComboPort->currentText(), "ttyZIRKO7");
    EXPECT_EQ(c.LabelTop->text(), "Port \"COM1\" not found; \"ttyZIRKO7\" is selected.");
    // The setting changes only when another port is used or chosen.
    EXPECT_EQ(f.PortName(), "COM1");

    // Choosing from the list with the keyboard.
    c.ComboPort->setFocus();
    QTest::keyClick(c.ComboPort, Qt::Key_Down);
    EXPECT_EQ(c.ComboPort->currentText(), "ttyZIRKO8");
    EXPECT_EQ(f.PortName(), "ttyZIRKO8");
    EXPECT_EQ(c.LabelTop->text().trimmed(), ""); // the note is answered
    QTest::keyClick(c.ComboPort, Qt::Key_Down);
    EXPECT_EQ(f.PortName(), "Simulator");

    // The chosen port is the one connected to; while connected it cannot be changed.
    QTest::mouseClick(c.ButtonConnect, Qt::LeftButton);
    ASSERT_TRUE(QTest::qWaitFor([&] { return c.EditVoltspy->isEnabled(); }, 20000));
    EXPECT_FALSE(c.ComboPort->isEnabled());
    EXPECT_EQ(f.Session().PortName(), "Simulator");
    QTest::mouseClick(c.ButtonDisconnect, Qt::LeftButton);
    ASSERT_TRUE(QTest::qWaitFor([&] { return !f.Session().PortOpen(); }, 5000));
    EXPECT_TRUE(c.ComboPort->isEnabled());
    EXPECT_TRUE(t.Scripted.Errors().isEmpty()) << t.Scripted.Errors().join("|").toStdString();
}

TEST(ZirkoComFormPort, WithNoPortFoundTheStoredOneStaysAndTheWindowSaysWhatToDo)
{
    TPortForm t({}, "");
    TZirkoComForm& f = t.Form;
    const TDeviceControls c(f);
    EXPECT_EQ(t.Offered(), QStringList{"Simulator"});
    EXPECT_EQ(c.ComboPort->currentText(), "COM1");
    EXPECT_EQ(c.LabelTop->text(), "Port \"COM1\" not found, nor any other: choose the Simulator "
                                  "or type the path of a port.");
    // Connecting to it fails with the reason beside the lamp, not with a guess.
    QTest::mouseClick(c.ButtonConnect, Qt::LeftButton);
    EXPECT_FALSE(f.Session().PortOpen());
    EXPECT_TRUE(c.LabelTop->text().contains("/dev/COM1"));
    EXPECT_TRUE(c.ComboPort->isEnabled());
}

TEST(ZirkoComFormPort, AStoredPortThatIsThereIsKeptWithoutANote)
{
    {
        TPortForm t({"ttyZIRKO7"}, "Simulator");
        EXPECT_EQ(t.C.ComboPort->currentText(), "Simulator");
        EXPECT_EQ(t.C.LabelTop->text().trimmed(), "");
    }
    // A pseudo-terminal is not listed by the system, but it is there.
    TSimulatorDevice device(TSimulatorOptions{});
    auto server = TPtyServer::Create(device);
    ASSERT_TRUE(server.Server) << server.Message.toStdString();
    const QString pty = server.Server->DevicePath();
    TPortForm t({"ttyZIRKO7"}, pty);
    EXPECT_EQ(t.C.ComboPort->currentText(), pty);
    EXPECT_EQ(t.C.LabelTop->text().trimmed(), "");
}

TEST(ZirkoComFormPort, ATypedDevicePathIsConnectedToAndKept)
{
    TSimulatorDevice device(TSimulatorOptions{});
    auto server = TPtyServer::Create(device);
    ASSERT_TRUE(server.Server) << server.Message.toStdString();
    TPortForm t({"ttyZIRKO7"}, "ttyZIRKO7");
    TZirkoComForm& f = t.Form;
    const TDeviceControls c(f);
    t.TypePort("/nonexistent/ttyZIRKO");
    QTest::mouseClick(c.ButtonConnect, Qt::LeftButton);
    EXPECT_FALSE(f.Session().PortOpen());
    EXPECT_TRUE(c.LabelTop->text().contains("/nonexistent/ttyZIRKO"));

    t.TypePort(server.Server->DevicePath());
    EXPECT_EQ(f.PortName(), server.Server->DevicePath());
    QTest::mouseClick(c.ButtonConnect, Qt::LeftButton);
    ASSERT_TRUE(QTest::qWaitFor([&] { return c.EditVoltspy->isEnabled(); }, 20000));
    EXPECT_EQ(f.Session().PortName(), server.Server->DevicePath());
    QTest::mouseClick(c.ButtonClose, Qt::LeftButton);
    EXPECT_FALSE(f.isVisible());
    // Shown again, the window offers the port it used last.
    f.show();
    EXPECT_EQ(c.ComboPort->currentText(), server.Server->DevicePath());
}
