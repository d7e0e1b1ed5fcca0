#include "gui/graph/FormAnnotEdit.h"
#include "gui/graph/FormGraphSetup.h"
#include "support/ScriptedDialogs.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <gtest/gtest.h>

using namespace zirko;
using namespace zirko::test;

TEST(GraphSetupDialog, DefaultsThenCancelChangesNothing)
{
    auto& dialogs = InstallScriptedDialogs();
    TFormGraphSetup form;
    TGraphSettings settings;
    settings.AltitudeAuto = false;
    settings.AltitudeMin = 50;
    settings.AnnotMarkSize = 9;
    const TGraphSettings before = settings;
    dialogs.DialogScripts.push_back([](QDialog& d) {
        auto& f = static_cast<TFormGraphSetup&>(d);
        QTest::mouseClick(f.ButtonDefaults, Qt::LeftButton);
        EXPECT_TRUE(f.CheckBoxAltAuto->isChecked());
        EXPECT_EQ(f.ComboBoxAnnSize->currentText(), "4");
        return int(QDialog::Rejected);
    });
    EXPECT_FALSE(ExecuteGraphSetup(form, settings));
    EXPECT_EQ(settings, before);
}

TEST(GraphSetupDialog, EnterMeansOkWhereverTheFocusIs)
{
    auto& dialogs = InstallScriptedDialogs();
    TFormGraphSetup form;
    TGraphSettings settings;
    dialogs.DialogScripts.push_back([](QDialog& d) {
        auto& f = static_cast<TFormGraphSetup&>(d);
        d.show();
        f.ButtonCancel->setFocus();
        QTest::keyClick(f.ButtonCancel, Qt::Key_Return);
        return d.result();
    });
    EXPECT_TRUE(ExecuteGraphSetup(form, settings));
}

TEST(GraphSetupDialog, OkTakesTheControlsOverAndMarksTheSettingsChanged)
{
    auto& dialogs = InstallScriptedDialogs();
    TFormGraphSetup form;
    TGraphSettings settings;
    dialogs.DialogScripts.push_back([](QDialog& d) {
        auto& f = static_cast<TFormGraphSetup&>(d);
        EXPECT_EQ(f.EditAltMax->text(), "100.0");
        EXPECT_FALSE(f.EditAltMin->isEnabled());
        f.CheckBoxAltAuto->setChecked(false);
        EXPECT_TRUE(f.EditAltMin->isEnabled());
        f.EditAltMin->setText("50");
        f.EditAltMax->setText("20");
        f.ComboBoxAltLW->setCurrentIndex(2); // width 3 greys the style box
        EXPECT_FALSE(f.ComboBoxAltLS->isEnabled());
        f.ComboBoxRXLW->setCurrentIndex(0);
        EXPECT_TRUE(f.ComboBoxRXST->isEnabled());
        f.EditTMax->setText("abc"); // not a number reads as the maximum's fallback
        return int(QDialog::Accepted);
    });
    EXPECT_TRUE(ExecuteGraphSetup(form, settings));
    EXPECT_TRUE(settings.SettingsChanged);
    EXPECT_FALSE(settings.AltitudeAuto);
    EXPECT_EQ(settings.AltitudeMin, 50); // accepted as typed; applying makes it 50..51
    EXPECT_EQ(settings.AltitudeMax, 20);
    EXPECT_EQ(settings.AltitudeLWidth, 3);
    EXPECT_EQ(settings.AltitudeLStyle, 0); // the stored style stays
    EXPECT_EQ(settings.TimeMax, 100);
}

TEST(GraphSetupDialog, LeavingAnEmptyNumberEditComplainsAndKeepsTheFocus)
{
    auto& dialogs = InstallScriptedDialogs();
    TFormGraphSetup form;
    TGraphSettings s;
    s.AltitudeAuto = false;
    form.LoadSettingsToDialog(s);
    form.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&form));
    form.activateWindow();
    form.EditAltMin->setFocus();
    QTest::keyClick(form.EditAltMin, Qt::Key_End);
    for (int i = 0; i < 6; ++i)
        QTest::keyClick(form.EditAltMin, Qt::Key_Backspace);
    QTest::keyClicks(form.EditAltMin, "x"); // refused by the key filter
    EXPECT_EQ(form.EditAltMin->text(), "");
    form.EditAltMax->setFocus();
    EXPECT_EQ(dialogs.Errors(), QStringList{"Incorrect number!"});
    EXPECT_TRUE(form.EditAltMin->hasFocus());
}

TEST(AnnotEditDialog, EnterWalksTheFieldsAndAnEmptyTextBecomesABlank)
{
    TFormAnnotEdit form;
    form.Fill("1.5", "2", "");
    form.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&form));
    form.activateWindow();
    form.EditTime->setFocus();
    QTest::keyClicks(form.EditTime, "a-");
    EXPECT_EQ(form.EditTime->text(), "1.5-");
    QTest::keyClick(form.EditTime, Qt::Key_Return);
    EXPECT_TRUE(form.EditAlt->hasFocus());
    // The field is entered with its text selected: what is typed replaces it.
    EXPECT_EQ(form.EditAlt->selectedText(), "2");
    QTest::keyClicks(form.EditAlt, "3");
    EXPECT_EQ(form.EditAlt->text(), "3");
    QTest::keyClick(form.EditAlt, Qt::Key_Return);
    EXPECT_TRUE(form.EditText->hasFocus());
    QTest::keyClick(form.EditText, Qt::Key_Return);
    EXPECT_TRUE(form.ButtonOk->hasFocus());
    QTest::keyClick(form.ButtonOk, Qt::Key_Return);
    EXPECT_EQ(form.result(), QDialog::Accepted);
    EXPECT_EQ(form.TextValue(), " ");
    EXPECT_EQ(form.TimeValue(), 0); // "1.5-" is not a number
    EXPECT_EQ(form.AltitudeValue(), 3);
}
