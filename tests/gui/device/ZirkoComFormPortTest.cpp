// The device window's port field: it shows the port it will use, offers the ports found and the
// Simulator, steps in for a stored port that is missing, and takes a typed device path.
#include "core/device/LoggerSimulator.h"
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
        for (int i = 0; i < Form.ComboPort->count(); ++i)
            items << Form.ComboPort->itemText(i);
        return items;
    }
    // Types into the port field as the user does.
    void TypePort(const QString& text)
    {
        QLineEdit* edit = Form.ComboPort->lineEdit();
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
    EXPECT_EQ(t.Offered(), (QStringList{"ttyZIRKO7", "ttyZIRKO8", "Simulator"}));
    EXPECT_TRUE(f.ComboPort->isEditable());
    EXPECT_EQ(f.ComboPort->currentText(), "ttyZIRKO7");
    EXPECT_EQ(f.LabelTop->text(), "Port \"COM1\" not found; \"ttyZIRKO7\" is selected.");
    // The setting changes only when another port is used or chosen.
    EXPECT_EQ(f.PortName(), "COM1");

    // Choosing from the list with the keyboard.
    f.ComboPort->setFocus();
    QTest::keyClick(f.ComboPort, Qt::Key_Down);
    EXPECT_EQ(f.ComboPort->currentText(), "ttyZIRKO8");
    EXPECT_EQ(f.PortName(), "ttyZIRKO8");
    EXPECT_EQ(f.LabelTop->text().trimmed(), ""); // the note is answered
    QTest::keyClick(f.ComboPort, Qt::Key_Down);
    EXPECT_EQ(f.PortName(), "Simulator");

    // The chosen port is the one connected to; while connected it cannot be changed.
    QTest::mouseClick(f.ButtonConnect, Qt::LeftButton);
    ASSERT_TRUE(QTest::qWaitFor([&] { return f.EditVoltspy->isEnabled(); }, 20000));
    EXPECT_FALSE(f.ComboPort->isEnabled());
    EXPECT_EQ(f.Session().PortName(), "Simulator");
    QTest::mouseClick(f.ButtonDisconnect, Qt::LeftButton);
    ASSERT_TRUE(QTest::qWaitFor([&] { return !f.Session().PortOpen(); }, 5000));
    EXPECT_TRUE(f.ComboPort->isEnabled());
    EXPECT_TRUE(t.Scripted.Errors().isEmpty()) << t.Scripted.Errors().join("|").toStdString();
}

TEST(ZirkoComFormPort, WithNoPortFoundTheStoredOneStaysAndTheWindowSaysWhatToDo)
{
    TPortForm t({}, "");
    TZirkoComForm& f = t.Form;
    EXPECT_EQ(t.Offered(), QStringList{"Simulator"});
    EXPECT_EQ(f.ComboPort->currentText(), "COM1");
    EXPECT_EQ(f.LabelTop->text(), "Port \"COM1\" not found, nor any other: choose the Simulator "
                                  "or type the path of a port.");
    // Connecting to it fails with the reason beside the lamp, not with a guess.
    QTest::mouseClick(f.ButtonConnect, Qt::LeftButton);
    EXPECT_FALSE(f.Session().PortOpen());
    EXPECT_TRUE(f.LabelTop->text().contains("/dev/COM1"));
    EXPECT_TRUE(f.ComboPort->isEnabled());
}

TEST(ZirkoComFormPort, AStoredPortThatIsThereIsKeptWithoutANote)
{
    {
        TPortForm t({"ttyZIRKO7"}, "Simulator");
        EXPECT_EQ(t.Form.ComboPort->currentText(), "Simulator");
        EXPECT_EQ(t.Form.LabelTop->text().trimmed(), "");
    }
    // A pseudo-terminal is not listed by the system, but it is there.
    TSimulatorDevice device(TSimulatorOptions{});
    auto server = TPtyServer::Create(device);
    ASSERT_TRUE(server.Server) << server.Message.toStdString();
    const QString pty = server.Server->DevicePath();
    TPortForm t({"ttyZIRKO7"}, pty);
    EXPECT_EQ(t.Form.ComboPort->currentText(), pty);
    EXPECT_EQ(t.Form.LabelTop->text().trimmed(), "");
}

TEST(ZirkoComFormPort, ATypedDevicePathIsConnectedToAndKept)
{
    TSimulatorDevice device(TSimulatorOptions{});
    auto server = TPtyServer::Create(device);
    ASSERT_TRUE(server.Server) << server.Message.toStdString();
    TPortForm t({"ttyZIRKO7"}, "ttyZIRKO7");
    TZirkoComForm& f = t.Form;
    t.TypePort("/nonexistent/ttyZIRKO");
    QTest::mouseClick(f.ButtonConnect, Qt::LeftButton);
    EXPECT_FALSE(f.Session().PortOpen());
    EXPECT_TRUE(f.LabelTop->text().contains("/nonexistent/ttyZIRKO"));

    t.TypePort(server.Server->DevicePath());
    EXPECT_EQ(f.PortName(), server.Server->DevicePath());
    QTest::mouseClick(f.ButtonConnect, Qt::LeftButton);
    ASSERT_TRUE(QTest::qWaitFor([&] { return f.EditVoltspy->isEnabled(); }, 20000));
    EXPECT_EQ(f.Session().PortName(), server.Server->DevicePath());
    QTest::mouseClick(f.ButtonClose, Qt::LeftButton);
    EXPECT_FALSE(f.isVisible());
    // Shown again, the window offers the port it used last.
    f.show();
    EXPECT_EQ(f.ComboPort->currentText(), server.Server->DevicePath());
}
