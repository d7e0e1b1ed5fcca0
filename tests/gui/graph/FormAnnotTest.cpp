#include "gui/graph/FormAnnot.h"
#include "gui/graph/FormAnnotEdit.h"
#include "support/ScriptedDialogs.h"

#include <QComboBox>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTest>
#include <gtest/gtest.h>
#include <vector>

using namespace zirko;
using namespace zirko::test;

namespace {

struct TPoint {
    double X, Y;
    QString Label;
};

// Flights as the dialog sees them: rows of annotation points in series order.
class TFlightsWithAnnotations : public TAnnotationHost {
public:
    std::vector<std::vector<TPoint>> Rows;
    std::vector<bool> Modified;
    int AnnotFlightCount() const override { return static_cast<int>(Rows.size()); }
    QString AnnotFlightName(int row) const override { return QString("flight%1").arg(row); }
    bool AnnotFlightExists(int row) const override { return row >= 0 && row < AnnotFlightCount(); }
    int AnnotCount(int row) const override { return static_cast<int>(Rows[size_t(row)].size()); }
    double AnnotX(int row, int i) const override { return Rows[size_t(row)][size_t(i)].X; }
    double AnnotY(int row, int i) const override { return Rows[size_t(row)][size_t(i)].Y; }
    QString AnnotLabel(int row, int i) const override { return Rows[size_t(row)][size_t(i)].Label; }
    void AnnotAppend(int row, double x, double y, const QString& t) override
    {
        Rows[size_t(row)].push_back({x, y, t});
        Modified[size_t(row)] = true;
    }
    void AnnotDelete(int row, int i) override
    {
        Rows[size_t(row)].erase(Rows[size_t(row)].begin() + i);
        Modified[size_t(row)] = true;
    }
};

std::function<int(QDialog&)> TypeIntoEditor(QString time, QString alt, QString text)
{
    return [=](QDialog& d) {
        auto& e = static_cast<TFormAnnotEdit&>(d);
        e.EditTime->setText(time);
        e.EditAlt->setText(alt);
        e.EditText->setText(text);
        e.done(QDialog::Accepted);
        return int(QDialog::Accepted);
    };
}

} // namespace

TEST(AnnotationList, NewIsListedLastAndModifyMovesToTheEnd)
{
    auto& dialogs = InstallScriptedDialogs();
    TFlightsWithAnnotations flights;
    flights.Rows = {{{10, 1, "ten"}, {20, 2, "twenty"}}, {}};
    flights.Modified = {false, false};
    TFormAnnotEdit editor;
    TFormAnnot form(flights, editor);
    dialogs.DialogScripts.push_back([&](QDialog&) {
        EXPECT_EQ(form.ComboBox1->currentIndex(), 0);
        EXPECT_EQ(form.ListBox1->count(), 2);
        EXPECT_TRUE(form.ButtonModify->isEnabled());
        dialogs.DialogScripts.push_back(TypeIntoEditor("5", "3", "five"));
        form.ButtonAdd->click();
        EXPECT_EQ(form.ListBox1->item(2)->text(), "five");
        EXPECT_EQ(form.ListBox1->currentRow(), 2);
        form.ListBox1->setCurrentRow(0);
        dialogs.DialogScripts.push_back([](QDialog& d) {
            auto& e = static_cast<TFormAnnotEdit&>(d);
            EXPECT_EQ(e.EditTime->text(), "10.0");
            EXPECT_EQ(e.EditText->text(), "ten");
            e.EditText->setText("");
            e.done(QDialog::Accepted);
            return int(QDialog::Accepted);
        });
        form.ButtonModify->click();
        // Deleting the last entry removes that point and selects the one above it.
        form.ListBox1->setCurrentRow(2);
        form.ButtonDelete->click();
        EXPECT_EQ(form.ListBox1->currentRow(), 1);
        return int(QDialog::Accepted);
    });
    form.ShowAnnotationList(0);
    ASSERT_EQ(flights.Rows[0].size(), 2u);
    EXPECT_EQ(flights.Rows[0][0].Label, "twenty");
    EXPECT_EQ(flights.Rows[0][1].Label, "five");
    EXPECT_TRUE(flights.Modified[0]);
    EXPECT_FALSE(flights.Modified[1]);
}

TEST(AnnotationList, WithoutAFlightNewSaysSoAndAddsNothing)
{
    auto& dialogs = InstallScriptedDialogs();
    TFlightsWithAnnotations flights;
    TFormAnnotEdit editor;
    TFormAnnot form(flights, editor);
    dialogs.DialogScripts.push_back([&](QDialog&) {
        EXPECT_FALSE(form.ButtonModify->isEnabled());
        EXPECT_FALSE(form.ButtonDelete->isEnabled());
        form.ButtonAdd->click();
        return int(QDialog::Accepted);
    });
    form.ShowAnnotationList(-1);
    EXPECT_EQ(dialogs.Errors(), QStringList{"Pointer not found!"});
}
