// The options dialog driven with real mouse and key events.
#include "gui/shell/FormOptions.h"
#include "gui/shell/OptionsControls.h"
#include "support/EntryInput.h"
#include "support/ScriptedDialogs.h"
#include "support/TestUtil.h"

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QDoubleSpinBox>
#include <QGroupBox>
#include <QLabel>
#include <QLayout>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QToolButton>
#include <gtest/gtest.h>

using namespace zirko;
using namespace zirko::test;

namespace {

class FormOptionsTest : public ::testing::Test {
protected:
    void SetUp() override { Dialogs = &InstallScriptedDialogs(); }
    // A folder whose full path is exactly `length` characters long.
    QString FolderOfLength(int length)
    {
        const QString base = Temp.path() + "/";
        const QString path = base + QString(length - base.size(), 'f');
        EXPECT_TRUE(QDir().mkpath(path));
        return path;
    }
    static int ShowAndClick(QDialog& dialog, QAbstractButton* button)
    {
        dialog.show();
        QTest::mouseClick(button, Qt::LeftButton);
        return dialog.result();
    }

    QTemporaryDir Temp;
    TScriptedDialogs* Dialogs = nullptr;
    TFormOptions Form;
    TOptionsControls C{Form};
};

TEST_F(FormOptionsTest, LayoutAndPortList)
{
    EXPECT_EQ("Options", Form.windowTitle());
    // The fields above the analysis group have their 200 pixels; the analysis and models groups
    // add their own heights.
    EXPECT_EQ(273, Form.width());
    EXPECT_EQ(200 + C.GroupAnalysis->sizeHint().height() + C.GroupModels->sizeHint().height() +
                  2 * Form.layout()->itemAt(0)->layout()->spacing(),
              Form.height());
    EXPECT_EQ(Form.minimumSize(), Form.maximumSize());
    EXPECT_TRUE(C.ComboBoxCOM->isEditable());
    EXPECT_EQ("Block", C.EditDefFileName->text());
    const QStringList ports = TFormOptions::AvailablePortNames();
    ASSERT_GE(ports.size(), 2);
    EXPECT_EQ("Simulator", ports.back());
    Form.show();
    EXPECT_FALSE(C.MarkerEdit->isVisible());
    EXPECT_FALSE(C.LabelMarker->isVisible());
}

TEST_F(FormOptionsTest, LongFolderIsShortenedOnlyInTheLabel)
{
    const QString thirty = "/" + QString(29, 'a');
    EXPECT_EQ(thirty, TFormOptions::ShortFolderText(thirty));

    const QString folder = FolderOfLength(Temp.path().size() + 40);
    ASSERT_GE(folder.size(), 31);
    Form.Fill(folder, "COM2", "Blok", 0.5);
    Form.show();
    EXPECT_EQ("..." + folder.right(30), C.LabelRoot->text());
    EXPECT_EQ(folder, C.LabelRoot->toolTip());

    Dialogs->DialogScripts.push_back([this](QDialog& d) { return ShowAndClick(d, C.ButtonOK); });
    const auto result = TFormOptions::ExecuteOptions(Form, folder, "COM2", "Blok", 0.5);
    ASSERT_TRUE(result.has_value());
    EXPECT_EQ(folder, result->RootFolder);
    EXPECT_EQ("Blok", result->DefaultFileName);
    ASSERT_TRUE(result->MarkerThreshold.has_value());
    EXPECT_EQ(0.5, *result->MarkerThreshold);
}

TEST_F(FormOptionsTest, ChoosingAFolderByLabelOrButtonTellsTheWatcherAtOnce)
{
    const QString first = FolderOfLength(Temp.path().size() + 35);
    const QString second = Temp.path();
    Form.Fill(second, "COM1", "Block", 0);
    Form.show();
    QSignalSpy chosen(&Form, &TFormOptions::FolderChosen);

    Dialogs->FileNames.push_back(first);
    QTest::mouseClick(C.LabelRoot, Qt::LeftButton);
    ASSERT_EQ(1, chosen.size());
    EXPECT_EQ(first, chosen[0][0].toString());
    EXPECT_EQ(first, Form.RootFolderResult());
    EXPECT_EQ("..." + first.right(30), C.LabelRoot->text());
    EXPECT_EQ(first, C.LabelRoot->toolTip());

    // A cancelled folder dialog changes nothing.
    QTest::mouseClick(C.ButtonFolder, Qt::LeftButton);
    EXPECT_EQ(1, chosen.size());
    EXPECT_EQ(first, Form.RootFolderResult());
    EXPECT_EQ(2, Dialogs->Log.count("folder: Default root folder:"));
}

TEST_F(FormOptionsTest, UnlistedOrTypedPortIsShownAndKept)
{
    // A stored port the system does not list now (unplugged, or a pseudo-terminal) stays.
    Dialogs->DialogScripts.push_back([this](QDialog& d) {
        EXPECT_EQ("COM77", C.ComboBoxCOM->currentText());
        return ShowAndClick(d, C.ButtonOK);
    });
    auto result = TFormOptions::ExecuteOptions(Form, Temp.path(), "COM77", "Block", 0);
    ASSERT_TRUE(result.has_value());
    EXPECT_EQ("COM77", result->PortName);

    // A device path typed into the box; Enter still means OK.
    Dialogs->DialogScripts.push_back([this](QDialog& d) {
        d.show();
        QLineEdit* edit = C.ComboBoxCOM->lineEdit();
        edit->setFocus();
        edit->selectAll();
        QTest::keyClicks(edit, "/dev/pts/7");
        QTest::keyClick(edit, Qt::Key_Return);
        return d.result();
    });
    result = TFormOptions::ExecuteOptions(Form, Temp.path(), "Simulator", "Block", 0);
    ASSERT_TRUE(result.has_value());
    EXPECT_EQ("/dev/pts/7", result->PortName);
    EXPECT_EQ(TFormOptions::AvailablePortNames().size(), C.ComboBoxCOM->count());

    Dialogs->DialogScripts.push_back([this](QDialog& d) {
        EXPECT_EQ("Simulator", C.ComboBoxCOM->currentText());
        return ShowAndClick(d, C.ButtonOK);
    });
    result = TFormOptions::ExecuteOptions(Form, Temp.path(), "Simulator", "Block", 0);
    ASSERT_TRUE(result.has_value());
    EXPECT_EQ("Simulator", result->PortName);
}

TEST_F(FormOptionsTest, FileNameRefusesCharactersFileNamesCannotHold)
{
    Form.show();
    C.EditDefFileName->clear();
    QTest::keyClicks(C.EditDefFileName, "Le:t?");
    EXPECT_EQ("Let", C.EditDefFileName->text());
    QTest::keyClicks(C.EditDefFileName, "\"*/<>\\|-_ 1.");
    EXPECT_EQ("Let-_ 1.", C.EditDefFileName->text());
    QTest::keyClick(C.EditDefFileName, Qt::Key_Backspace);
    EXPECT_EQ("Let-_ 1", C.EditDefFileName->text());
}

TEST_F(FormOptionsTest, PastedOrDroppedFileNameLosesOnlyTheRefusedCharacters)
{
    Form.show();
    C.EditDefFileName->selectAll();
    PasteByKey(C.EditDefFileName, "C:\\Flights/Day?1");
    EXPECT_EQ("CFlightsDay1", C.EditDefFileName->text());
    C.EditDefFileName->selectAll();
    ASSERT_TRUE(PasteByMenu(C.EditDefFileName, "<Hop>*"));
    EXPECT_EQ("Hop", C.EditDefFileName->text());
    DropText(C.EditDefFileName, "|_2\"");
    EXPECT_EQ("Hop_2", C.EditDefFileName->text());
}

TEST_F(FormOptionsTest, InvalidDirectoryReopensTheDialogFromTheStart)
{
    const QString gone = Temp.path() + "/gone";
    const QString good = FolderOfLength(Temp.path().size() + 12);
    const QString port = TFormOptions::AvailablePortNames().front();
    Dialogs->DialogScripts.push_back([this](QDialog& d) {
        d.show();
        C.ComboBoxCOM->setCurrentIndex(C.ComboBoxCOM->count() - 1);
        C.EditDefFileName->setFocus();
        QTest::keyClicks(C.EditDefFileName, "X");
        QTest::keyClick(C.EditDefFileName, Qt::Key_Return); // Enter is OK
        return d.result();
    });
    Dialogs->DialogScripts.push_back([this, good, port](QDialog& d) {
        // The user's changes of the first round are gone.
        EXPECT_EQ("Blok", C.EditDefFileName->text());
        EXPECT_EQ(port, C.ComboBoxCOM->currentText());
        Dialogs->FileNames.push_back(good);
        d.show();
        QTest::mouseClick(C.ButtonFolder, Qt::LeftButton);
        return ShowAndClick(d, C.ButtonOK);
    });
    const auto result = TFormOptions::ExecuteOptions(Form, gone, port, "Blok", 2);
    ASSERT_TRUE(result.has_value());
    EXPECT_EQ(good, result->RootFolder);
    EXPECT_EQ(QStringList{"Invalid directory!"}, Dialogs->Errors());
    EXPECT_EQ(2, Dialogs->Log.count("dialog: Options"));
}

TEST_F(FormOptionsTest, EscapeCancelsAndNothingIsTakenOver)
{
    Dialogs->DialogScripts.push_back([this](QDialog& d) {
        d.show();
        QTest::keyClick(C.EditDefFileName, Qt::Key_Escape);
        return d.result();
    });
    EXPECT_FALSE(TFormOptions::ExecuteOptions(Form, Temp.path(), "COM1", "Blok", 0).has_value());
    Dialogs->DialogScripts.push_back(
        [this](QDialog& d) { return ShowAndClick(d, C.ButtonCancel); });
    EXPECT_FALSE(TFormOptions::ExecuteOptions(Form, Temp.path(), "COM1", "Blok", 0).has_value());
    EXPECT_TRUE(Dialogs->Errors().isEmpty());
}

TEST_F(FormOptionsTest, MarkerBoxChecksItsNumberWhenLeft)
{
    Form.Fill(Temp.path(), "COM1", "Block", 1.5);
    EXPECT_EQ("1.50", C.MarkerEdit->text());
    // The row is hidden in the dialog; shown here to exercise its rules.
    C.MarkerEdit->setVisible(true);
    Form.show();
    QApplication::setActiveWindow(&Form);
    ASSERT_TRUE(QTest::qWaitForWindowActive(&Form));

    C.MarkerEdit->setFocus();
    C.MarkerEdit->clear();
    QTest::keyClicks(C.MarkerEdit, "abc");
    QTest::keyClick(C.MarkerEdit, Qt::Key_Return); // moves on to the port list
    EXPECT_TRUE(C.ComboBoxCOM->hasFocus());
    EXPECT_TRUE(Form.isVisible());
    EXPECT_EQ("1.50", C.MarkerEdit->text());
    EXPECT_EQ(QStringList{"Marker Threshold must be a number value."}, Dialogs->Errors());

    C.MarkerEdit->setFocus();
    C.MarkerEdit->clear();
    C.ComboBoxCOM->setFocus();
    EXPECT_EQ("0", C.MarkerEdit->text());
    EXPECT_EQ(0.0, Form.MarkerThresholdResult().value_or(-1));

    C.MarkerEdit->setFocus();
    QTest::keyClicks(C.MarkerEdit, ".25");
    C.ComboBoxCOM->setFocus();
    EXPECT_EQ(0.25, Form.MarkerThresholdResult().value_or(-1));
    EXPECT_EQ(1, Dialogs->Errors().size());
}

} // namespace

TEST_F(FormOptionsTest, AnalysisGroupShowsTheEventOptionsAndKeepsWhatItCannotShow)
{
    TEventOptions events{TRules::Ales, 12.5, 180, 3.7};
    Form.Fill(Temp.path(), "COM1", "Blok", 0, events);
    Form.show();
    EXPECT_EQ(C.GroupAnalysis->title(), "Analysis");
    EXPECT_EQ(C.ComboBoxRules->currentText(), "ALES");
    EXPECT_EQ(C.ComboBoxRules->count(), 3);
    EXPECT_EQ(C.EditMotorThreshold->value(), 12.5);
    EXPECT_EQ(C.EditAlesHeight->value(), 180);
    EXPECT_EQ(C.EditLowVoltage->value(), 3.7);
    EXPECT_EQ(Form.EventsResult(), events);

    // 0 V checks nothing and reads "off".
    Form.Fill(Temp.path(), "COM1", "Blok", 0, {});
    EXPECT_EQ(C.EditLowVoltage->text(), "off");
    EXPECT_EQ(Form.EventsResult(), TEventOptions{});

    // A threshold with more decimals than the box shows stays as it was unless it is changed.
    events.MotorThreshold = 12.345;
    Dialogs->DialogScripts.push_back([this](QDialog& d) { return ShowAndClick(d, C.ButtonOK); });
    auto result = TFormOptions::ExecuteOptions(Form, Temp.path(), "COM1", "Blok", 0, events);
    ASSERT_TRUE(result);
    EXPECT_EQ(result->Events, events);
    Dialogs->DialogScripts.push_back([this](QDialog& d) {
        d.show();
        C.ComboBoxRules->setFocus();
        QTest::keyClick(C.ComboBoxRules, Qt::Key_Up); // ALES to F5J
        C.EditMotorThreshold->setFocus();
        C.EditMotorThreshold->selectAll();
        QTest::keyClicks(C.EditMotorThreshold, "7.5");
        QTest::mouseClick(C.ButtonOK, Qt::LeftButton);
        return d.result();
    });
    result = TFormOptions::ExecuteOptions(Form, Temp.path(), "COM1", "Blok", 0, events);
    ASSERT_TRUE(result);
    EXPECT_EQ(result->Events.Rules, TRules::F5j);
    EXPECT_EQ(result->Events.MotorThreshold, 7.5);
    EXPECT_EQ(result->Events.AlesHeight, 180);
}

TEST_F(FormOptionsTest, ModelsEditorWritesModelsIniKeepingWhatItDoesNotKnow)
{
    const QString root = Temp.path();
    const QString file = root + "/models.ini";
    ASSERT_TRUE(WriteBytes(file, "; club models\r\n[Pike]\r\nRules=f5j\r\nWingspan=3.7\r\n"
                                 "MotorThreshold=40\r\n[Old]\r\nRules=ales\r\n"));
    Form.Fill(root, "COM1", "Block", 0);
    Form.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&Form));
    ASSERT_EQ(C.ListModels->count(), 2);
    EXPECT_EQ(C.ListModels->currentItem()->text(), "Pike");
    EXPECT_EQ(C.ComboModelRules->currentText(), "F5J");
    EXPECT_EQ(C.EditModelMotorThreshold->text(), "40");
    EXPECT_EQ(C.EditModelAlesHeight->text(), "");

    // Pike: renamed, its threshold left to the general setting, an ALES height typed.
    C.EditModelName->selectAll();
    QTest::keyClicks(C.EditModelName, "Pike Perfect");
    QTest::mouseClick(C.ButtonModelRename, Qt::LeftButton);
    EXPECT_EQ(C.ListModels->item(0)->text(), "Pike Perfect");
    C.EditModelMotorThreshold->setFocus();
    C.EditModelMotorThreshold->selectAll();
    QTest::keyClick(C.EditModelMotorThreshold, Qt::Key_Delete);
    C.EditModelAlesHeight->setFocus();
    QTest::keyClicks(C.EditModelAlesHeight, "180");
    C.EditModelName->setFocus();

    // Old: removed. Supra: added with Enter, rules ALES.
    QTest::mouseClick(C.ListModels->viewport(), Qt::LeftButton, {},
                      C.ListModels->visualItemRect(C.ListModels->item(1)).center());
    ASSERT_EQ(C.EditModelName->text(), "Old");
    QTest::mouseClick(C.ButtonModelRemove, Qt::LeftButton);
    ASSERT_EQ(C.ListModels->count(), 1);
    C.EditModelName->setFocus();
    C.EditModelName->selectAll();
    QTest::keyClicks(C.EditModelName, "Supra");
    QTest::keyClick(C.EditModelName, Qt::Key_Return);
    ASSERT_TRUE(Form.isVisible()); // Enter added the model, it did not close the dialog
    ASSERT_EQ(C.ListModels->count(), 2);
    EXPECT_EQ(C.ListModels->currentRow(), 1);
    C.ComboModelRules->setFocus();
    QTest::keyClick(C.ComboModelRules, Qt::Key_End); // the last entry: ALES
    EXPECT_EQ(C.ComboModelRules->currentText(), "ALES");
    // The combo box reports a choice by key as activated.
    emit C.ComboModelRules->activated(C.ComboModelRules->currentIndex());

    // A name taken already (in another case) and a value that is no number are refused.
    C.EditModelName->selectAll();
    QTest::keyClicks(C.EditModelName, "PIKE perfect");
    QTest::mouseClick(C.ButtonModelAdd, Qt::LeftButton);
    EXPECT_EQ(C.ListModels->count(), 2);
    C.EditModelLowVoltage->setFocus();
    QTest::keyClicks(C.EditModelLowVoltage, "-");
    C.EditModelName->setFocus();
    ASSERT_EQ(Dialogs->Errors().size(), 2);
    EXPECT_TRUE(Dialogs->Errors()[0].contains("is there already"));
    EXPECT_EQ(C.EditModelLowVoltage->text(), "");

    ASSERT_TRUE(Form.ModelsEdited());
    ASSERT_TRUE(Form.WriteModels());
    EXPECT_EQ(ReadBytes(file), "; club models\r\n[Pike Perfect]\r\nRules=f5j\r\nWingspan=3.7\r\n"
                               "AlesHeight=180\r\n[Supra]\r\nRules=ales\r\n");
    EXPECT_FALSE(Form.ModelsEdited());
}
