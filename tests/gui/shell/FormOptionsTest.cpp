// The options dialog driven with real mouse and key events.
#include "gui/shell/FormOptions.h"
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
};

TEST_F(FormOptionsTest, LayoutAndPortList)
{
    EXPECT_EQ("Options", Form.windowTitle());
    // The fields above the analysis group have their 200 pixels; the analysis and models groups
    // add their own heights.
    EXPECT_EQ(273, Form.width());
    EXPECT_EQ(200 + Form.GroupAnalysis->sizeHint().height() +
                  Form.GroupModels->sizeHint().height() +
                  2 * Form.layout()->itemAt(0)->layout()->spacing(),
              Form.height());
    EXPECT_EQ(Form.minimumSize(), Form.maximumSize());
    EXPECT_TRUE(Form.ComboBoxCOM->isEditable());
    EXPECT_EQ("Block", Form.EditDefFileName->text());
    const QStringList ports = TFormOptions::AvailablePortNames();
    ASSERT_GE(ports.size(), 2);
    EXPECT_EQ("Simulator", ports.back());
    Form.show();
    EXPECT_FALSE(Form.MarkerEdit->isVisible());
    EXPECT_FALSE(Form.LabelMarker->isVisible());
}

TEST_F(FormOptionsTest, LongFolderIsShortenedOnlyInTheLabel)
{
    const QString thirty = "/" + QString(29, 'a');
    EXPECT_EQ(thirty, TFormOptions::ShortFolderText(thirty));

    const QString folder = FolderOfLength(Temp.path().size() + 40);
    ASSERT_GE(folder.size(), 31);
    Form.Fill(folder, "COM2", "Blok", 0.5);
    Form.show();
    EXPECT_EQ("..." + folder.right(30), Form.LabelRoot->text());
    EXPECT_EQ(folder, Form.LabelRoot->toolTip());

    Dialogs->DialogScripts.push_back([this](QDialog& d) { return ShowAndClick(d, Form.ButtonOK); });
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
    QTest::mouseClick(Form.LabelRoot, Qt::LeftButton);
    ASSERT_EQ(1, chosen.size());
    EXPECT_EQ(first, chosen[0][0].toString());
    EXPECT_EQ(first, Form.RootFolderResult());
    EXPECT_EQ("..." + first.right(30), Form.LabelRoot->text());
    EXPECT_EQ(first, Form.LabelRoot->toolTip());

    // A cancelled folder dialog changes nothing.
    QTest::mouseClick(Form.ButtonFolder, Qt::LeftButton);
    EXPECT_EQ(1, chosen.size());
    EXPECT_EQ(first, Form.RootFolderResult());
    EXPECT_EQ(2, Dialogs->Log.count("folder: Default root folder:"));
}

TEST_F(FormOptionsTest, UnlistedOrTypedPortIsShownAndKept)
{
    // A stored port the system does not list now (unplugged, or a pseudo-terminal) stays.
    Dialogs->DialogScripts.push_back([this](QDialog& d) {
        EXPECT_EQ("COM77", Form.ComboBoxCOM->currentText());
        return ShowAndClick(d, Form.ButtonOK);
    });
    auto result = TFormOptions::ExecuteOptions(Form, Temp.path(), "COM77", "Block", 0);
    ASSERT_TRUE(result.has_value());
    EXPECT_EQ("COM77", result->PortName);

    // A device path typed into the box; Enter still means OK.
    Dialogs->DialogScripts.push_back([this](QDialog& d) {
        d.show();
        QLineEdit* edit = Form.ComboBoxCOM->lineEdit();
        edit->setFocus();
        edit->selectAll();
        QTest::keyClicks(edit, "/dev/pts/7");
        QTest::keyClick(edit, Qt::Key_Return);
        return d.result();
    });
    result = TFormOptions::ExecuteOptions(Form, Temp.path(), "Simulator", "Block", 0);
    ASSERT_TRUE(result.has_value());
    EXPECT_EQ("/dev/pts/7", result->PortName);
    EXPECT_EQ(TFormOptions::AvailablePortNames().size(), Form.ComboBoxCOM->count());

    Dialogs->DialogScripts.push_back([this](QDialog& d) {
        EXPECT_EQ("Simulator", Form.ComboBoxCOM->currentText());
        return ShowAndClick(d, Form.ButtonOK);
    });
    result = TFormOptions::ExecuteOptions(Form, Temp.path(), "Simulator", "Block", 0);
    ASSERT_TRUE(result.has_value());
    EXPECT_EQ("Simulator", result->PortName);
}

TEST_F(FormOptionsTest, FileNameRefusesCharactersFileNamesCannotHold)
{
    Form.show();
    Form.EditDefFileName->clear();
    QTest::keyClicks(Form.EditDefFileName, "Le:t?");
    EXPECT_EQ("Let", Form.EditDefFileName->text());
    QTest::keyClicks(Form.EditDefFileName, "\"*/<>\\|-_ 1.");
    EXPECT_EQ("Let-_ 1.", Form.EditDefFileName->text());
    QTest::keyClick(Form.EditDefFileName, Qt::Key_Backspace);
    EXPECT_EQ("Let-_ 1", Form.EditDefFileName->text());
}

TEST_F(FormOptionsTest, PastedOrDroppedFileNameLosesOnlyTheRefusedCharacters)
{
    Form.show();
    Form.EditDefFileName->selectAll();
    PasteByKey(Form.EditDefFileName, "C:\\Flights/Day?1");
    EXPECT_EQ("CFlightsDay1", Form.EditDefFileName->text());
    Form.EditDefFileName->selectAll();
    ASSERT_TRUE(PasteByMenu(Form.EditDefFileName, "<Hop>*"));
    EXPECT_EQ("Hop", Form.EditDefFileName->text());
    DropText(Form.EditDefFileName, "|_2\"");
    EXPECT_EQ("Hop_2", Form.EditDefFileName->text());
}

TEST_F(FormOptionsTest, InvalidDirectoryReopensTheDialogFromTheStart)
{
    const QString gone = Temp.path() + "/gone";
    const QString good = FolderOfLength(Temp.path().size() + 12);
    const QString port = TFormOptions::AvailablePortNames().front();
    Dialogs->DialogScripts.push_back([this](QDialog& d) {
        d.show();
        Form.ComboBoxCOM->setCurrentIndex(Form.ComboBoxCOM->count() - 1);
        Form.EditDefFileName->setFocus();
        QTest::keyClicks(Form.EditDefFileName, "X");
        QTest::keyClick(Form.EditDefFileName, Qt::Key_Return); // Enter is OK
        return d.result();
    });
    Dialogs->DialogScripts.push_back([this, good, port](QDialog& d) {
        // The user's changes of the first round are gone.
        EXPECT_EQ("Blok", Form.EditDefFileName->text());
        EXPECT_EQ(port, Form.ComboBoxCOM->currentText());
        Dialogs->FileNames.push_back(good);
        d.show();
        QTest::mouseClick(Form.ButtonFolder, Qt::LeftButton);
        return ShowAndClick(d, Form.ButtonOK);
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
        QTest::keyClick(Form.EditDefFileName, Qt::Key_Escape);
        return d.result();
    });
    EXPECT_FALSE(TFormOptions::ExecuteOptions(Form, Temp.path(), "COM1", "Blok", 0).has_value());
    Dialogs->DialogScripts.push_back(
        [this](QDialog& d) { return ShowAndClick(d, Form.ButtonCancel); });
    EXPECT_FALSE(TFormOptions::ExecuteOptions(Form, Temp.path(), "COM1", "Blok", 0).has_value());
    EXPECT_TRUE(Dialogs->Errors().isEmpty());
}

TEST_F(FormOptionsTest, MarkerBoxChecksItsNumberWhenLeft)
{
    Form.Fill(Temp.path(), "COM1", "Block", 1.5);
    EXPECT_EQ("1.50", Form.MarkerEdit->text());
    // The row is hidden in the dialog; shown here to exercise its rules.
    Form.MarkerEdit->setVisible(true);
    Form.show();
    QApplication::setActiveWindow(&Form);
    ASSERT_TRUE(QTest::qWaitForWindowActive(&Form));

    Form.MarkerEdit->setFocus();
    Form.MarkerEdit->clear();
    QTest::keyClicks(Form.MarkerEdit, "abc");
    QTest::keyClick(Form.MarkerEdit, Qt::Key_Return); // moves on to the port list
    EXPECT_TRUE(Form.ComboBoxCOM->hasFocus());
    EXPECT_TRUE(Form.isVisible());
    EXPECT_EQ("1.50", Form.MarkerEdit->text());
    EXPECT_EQ(QStringList{"Marker Threshold must be a number value."}, Dialogs->Errors());

    Form.MarkerEdit->setFocus();
    Form.MarkerEdit->clear();
    Form.ComboBoxCOM->setFocus();
    EXPECT_EQ("0", Form.MarkerEdit->text());
    EXPECT_EQ(0.0, Form.MarkerThresholdResult().value_or(-1));

    Form.MarkerEdit->setFocus();
    QTest::keyClicks(Form.MarkerEdit, ".25");
    Form.ComboBoxCOM->setFocus();
    EXPECT_EQ(0.25, Form.MarkerThresholdResult().value_or(-1));
    EXPECT_EQ(1, Dialogs->Errors().size());
}

} // namespace

TEST_F(FormOptionsTest, AnalysisGroupShowsTheEventOptionsAndKeepsWhatItCannotShow)
{
    TEventOptions events{TRules::Ales, 12.5, 180, 3.7};
    Form.Fill(Temp.path(), "COM1", "Blok", 0, events);
    Form.show();
    EXPECT_EQ(Form.GroupAnalysis->title(), "Analysis");
    EXPECT_EQ(Form.ComboBoxRules->currentText(), "ALES");
    EXPECT_EQ(Form.ComboBoxRules->count(), 3);
    EXPECT_EQ(Form.EditMotorThreshold->value(), 12.5);
    EXPECT_EQ(Form.EditAlesHeight->value(), 180);
    EXPECT_EQ(Form.EditLowVoltage->value(), 3.7);
    EXPECT_EQ(Form.EventsResult(), events);

    // 0 V checks nothing and reads "off".
    Form.Fill(Temp.path(), "COM1", "Blok", 0, {});
    EXPECT_EQ(Form.EditLowVoltage->text(), "off");
    EXPECT_EQ(Form.EventsResult(), TEventOptions{});

    // A threshold with more decimals than the box shows stays as it was unless it is changed.
    events.MotorThreshold = 12.345;
    Dialogs->DialogScripts.push_back([this](QDialog& d) { return ShowAndClick(d, Form.ButtonOK); });
    auto result = TFormOptions::ExecuteOptions(Form, Temp.path(), "COM1", "Blok", 0, events);
    ASSERT_TRUE(result);
    EXPECT_EQ(result->Events, events);
    Dialogs->DialogScripts.push_back([this](QDialog& d) {
        d.show();
        Form.ComboBoxRules->setFocus();
        QTest::keyClick(Form.ComboBoxRules, Qt::Key_Up); // ALES to F5J
        Form.EditMotorThreshold->setFocus();
        Form.EditMotorThreshold->selectAll();
        QTest::keyClicks(Form.EditMotorThreshold, "7.5");
        QTest::mouseClick(Form.ButtonOK, Qt::LeftButton);
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
    ASSERT_EQ(Form.ListModels->count(), 2);
    EXPECT_EQ(Form.ListModels->currentItem()->text(), "Pike");
    EXPECT_EQ(Form.ComboModelRules->currentText(), "F5J");
    EXPECT_EQ(Form.EditModelMotorThreshold->text(), "40");
    EXPECT_EQ(Form.EditModelAlesHeight->text(), "");

    // Pike: renamed, its threshold left to the general setting, an ALES height typed.
    Form.EditModelName->selectAll();
    QTest::keyClicks(Form.EditModelName, "Pike Perfect");
    QTest::mouseClick(Form.ButtonModelRename, Qt::LeftButton);
    EXPECT_EQ(Form.ListModels->item(0)->text(), "Pike Perfect");
    Form.EditModelMotorThreshold->setFocus();
    Form.EditModelMotorThreshold->selectAll();
    QTest::keyClick(Form.EditModelMotorThreshold, Qt::Key_Delete);
    Form.EditModelAlesHeight->setFocus();
    QTest::keyClicks(Form.EditModelAlesHeight, "180");
    Form.EditModelName->setFocus();

    // Old: removed. Supra: added with Enter, rules ALES.
    QTest::mouseClick(Form.ListModels->viewport(), Qt::LeftButton, {},
                      Form.ListModels->visualItemRect(Form.ListModels->item(1)).center());
    ASSERT_EQ(Form.EditModelName->text(), "Old");
    QTest::mouseClick(Form.ButtonModelRemove, Qt::LeftButton);
    ASSERT_EQ(Form.ListModels->count(), 1);
    Form.EditModelName->setFocus();
    Form.EditModelName->selectAll();
    QTest::keyClicks(Form.EditModelName, "Supra");
    QTest::keyClick(Form.EditModelName, Qt::Key_Return);
    ASSERT_TRUE(Form.isVisible()); // Enter added the model, it did not close the dialog
    ASSERT_EQ(Form.ListModels->count(), 2);
    EXPECT_EQ(Form.ListModels->currentRow(), 1);
    Form.ComboModelRules->setFocus();
    QTest::keyClick(Form.ComboModelRules, Qt::Key_End); // the last entry: ALES
    EXPECT_EQ(Form.ComboModelRules->currentText(), "ALES");
    // The combo box reports a choice by key as activated.
    emit Form.ComboModelRules->activated(Form.ComboModelRules->currentIndex());

    // A name taken already (in another case) and a value that is no number are refused.
    Form.EditModelName->selectAll();
    QTest::keyClicks(Form.EditModelName, "PIKE perfect");
    QTest::mouseClick(Form.ButtonModelAdd, Qt::LeftButton);
    EXPECT_EQ(Form.ListModels->count(), 2);
    Form.EditModelLowVoltage->setFocus();
    QTest::keyClicks(Form.EditModelLowVoltage, "-");
    Form.EditModelName->setFocus();
    ASSERT_EQ(Dialogs->Errors().size(), 2);
    EXPECT_TRUE(Dialogs->Errors()[0].contains("is there already"));
    EXPECT_EQ(Form.EditModelLowVoltage->text(), "");

    ASSERT_TRUE(Form.ModelsEdited());
    ASSERT_TRUE(Form.WriteModels());
    EXPECT_EQ(ReadBytes(file), "; club models\r\n[Pike Perfect]\r\nRules=f5j\r\nWingspan=3.7\r\n"
                               "AlesHeight=180\r\n[Supra]\r\nRules=ales\r\n");
    EXPECT_FALSE(Form.ModelsEdited());
}
