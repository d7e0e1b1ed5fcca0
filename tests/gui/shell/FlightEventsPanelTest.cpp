// The flights' events in the main window: the information page's panel follows the current flight
// and shows a stretch on the Graph page at a double click; the options' rules find the events
// anew at once, in the panel, the statistics table and the grid's warning mark.
#include "gui/shell/FlightEventsPanel.h"
#include "gui/app/FormMain.h"
#include "gui/flightdata/FlightGrid.h"
#include "gui/graph/Chart.h"
#include "gui/graph/GraphPage.h"
#include "gui/shell/FlightStatsPanel.h"
#include "gui/shell/FormOptions.h"
#include "gui/shell/NotesPage.h"
#include "gui/shell/OptionsControls.h"
#include "model/flightdata/OpenFlights.h"
#include "support/MainWindowFixture.h"
#include "support/TestUtil.h"

#include <QApplication>
#include <QComboBox>
#include <QDoubleSpinBox>
#include <QFile>
#include <QGroupBox>
#include <QHelpEvent>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QRegularExpression>
#include <QTabWidget>
#include <QTableWidget>
#include <QTest>
#include <QTextEdit>
#include <QToolTip>
#include <gtest/gtest.h>

using namespace zirko;
using namespace zirko::test;

namespace {

// 120 s at 10 samples a second: the motor climbs 5 m/s from 10 s to 30 s and, with `restart`,
// 5 s more from 70 s; the model sinks 0.5 m/s after it but for a thermal of 1.5 m/s from 40 s to
// 65 s, and flies level from 100 s.
TDataBlock Glider(bool restart, bool servo = true)
{
    TDataBlock f;
    f.DateText = "9.12.2026 8:00:00";
    f.Sampling = 10;
    f.ChannelMask = servo ? kMaskAltitude | kMaskRx : kMaskAltitude;
    double height = 100;
    for (int i = 0; i <= 1200; ++i) {
        const double t = i / 10.0;
        const bool motor = (t >= 10 && t < 30) || (restart && t >= 70 && t < 75);
        f.Time.push_back(t);
        f.Altitude.push_back(height);
        if (servo)
            f.Rx.push_back(motor ? 100 : -100);
        const double rate = motor ? 5 : t < 10 ? 0 : t >= 40 && t < 65 ? 1.5 : -0.5;
        height = t >= 100 ? height : height + rate * 0.1;
    }
    return f;
}

class FlightEventsPanelTest : public TMainWindowFixture {
protected:
    void SetUp() override
    {
        TMainWindowFixture::SetUp();
        ASSERT_NO_FATAL_FAILURE(StartForm());
        Panel = Named<TFlightEventsPanel>(*Ui.NotesPage, "FlightEventsPanel");
        Ui.PageControl->setCurrentWidget(Ui.TabInfo);
    }
    void TearDown() override
    {
        Dialogs->Answers.assign(10, TAnswer::No);
        TMainWindowFixture::TearDown();
    }
    void Open(const QString& name, const TDataBlock& flight)
    {
        ASSERT_GE(Form->Flights->OpenDataFile(WriteFlight(name + ".zdf", flight)), 0);
    }
    QString Summary() const { return Panel->SummaryText(); }
    int TableRowOf(const QString& kind) const
    {
        for (int r = 0; r < Named<QTableWidget>(*Panel, "TableEvents")->rowCount(); ++r)
            if (Named<QTableWidget>(*Panel, "TableEvents")->item(r, 0)->text() == kind)
                return r;
        return -1;
    }
    void DoubleClick(QAbstractItemView* view, const QRect& cell)
    {
        QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, cell.center());
        QTest::mouseDClick(view->viewport(), Qt::LeftButton, {}, cell.center());
    }
    QString StatsCell(int row, const QString& header) const
    {
        const QTableWidget* table = Named<QTableWidget>(
            *Named<TFlightStatsPanel>(*Ui.NotesPage, "FlightStatsPanel"), "TableFlightStats");
        for (int c = 0; c < table->columnCount(); ++c)
            if (table->horizontalHeaderItem(c)->text() == header)
                return table->item(row, c) ? table->item(row, c)->text() : QString();
        return "<no column>";
    }
    // Accepts the options dialog with the rule set chosen from its list by the keyboard.
    void ChooseRules(const QString& title)
    {
        Dialogs->DialogScripts.push_back([title](QDialog& d) {
            auto& form = static_cast<TFormOptions&>(d);
            const TOptionsControls c{form};
            form.show();
            QComboBox* rules = c.ComboBoxRules;
            rules->setFocus();
            while (rules->currentText() != title && rules->currentIndex() + 1 < rules->count())
                QTest::keyClick(rules, Qt::Key_Down);
            while (rules->currentText() != title && rules->currentIndex() > 0)
                QTest::keyClick(rules, Qt::Key_Up);
            QTest::mouseClick(c.ButtonOK, Qt::LeftButton);
            return form.result();
        });
        Form->ExecuteOptions();
    }

    TFlightEventsPanel* Panel = nullptr;
};

} // namespace

TEST_F(FlightEventsPanelTest, ThePanelFollowsTheCurrentFlight)
{
    EXPECT_EQ(Panel->ShownRow(), -1);
    ASSERT_NO_FATAL_FAILURE(Open("restart", Glider(true)));
    ASSERT_NO_FATAL_FAILURE(Open("noservo", Glider(false, false)));
    ASSERT_EQ(Form->Flights->ActualRow(), 0);
    EXPECT_EQ(Panel->ShownRow(), 0);
    EXPECT_TRUE(Summary().startsWith("Motor: 2 runs, 25.0 s\nStart height: 100.0 m at 30.0 s\n"))
        << Summary().toStdString();
    EXPECT_FALSE(Summary().contains("Penalty")); // no rules
    const TFlightEvents& events = *Form->Flights->Events(0);
    EXPECT_EQ(Named<QTableWidget>(*Panel, "TableEvents")->rowCount(),
              static_cast<int>(events.MotorRuns.size() + events.Phases.size()));
    EXPECT_EQ(Named<QTableWidget>(*Panel, "TableEvents")->item(0, 0)->text(), "Motor run");
    EXPECT_EQ(Named<QTableWidget>(*Panel, "TableEvents")->item(0, 1)->text(), "10.0 s");
    EXPECT_EQ(Named<QTableWidget>(*Panel, "TableEvents")->item(0, 3)->text(), "20.0 s");
    EXPECT_GE(TableRowOf("Climb"), 0);
    ASSERT_EQ(Named<QListWidget>(*Panel, "ListWarnings")->count(), 1);
    EXPECT_EQ(Named<QListWidget>(*Panel, "ListWarnings")->item(0)->text(), "No warnings");

    QTest::mouseClick(Ui.StringGrid1->viewport(), Qt::LeftButton, {},
                      Ui.StringGrid1->CellRect(kGridNameCol, 1).center());
    ASSERT_EQ(Form->Flights->ActualRow(), 1);
    EXPECT_EQ(Panel->ShownRow(), 1);
    EXPECT_TRUE(Summary().startsWith("Motor: no servo channel\nStart height: –\n"))
        << Summary().toStdString();
    EXPECT_EQ(TableRowOf("Motor run"), -1);

    Form->Flights->CloseDataFile(1);
    EXPECT_EQ(Panel->ShownRow(), 0);
    Form->Flights->CloseDataFile(0);
    EXPECT_EQ(Panel->ShownRow(), -1);
    EXPECT_EQ(Named<QTableWidget>(*Panel, "TableEvents")->rowCount(), 0);
}

TEST_F(FlightEventsPanelTest, ADoubleClickOnAPhaseOrAWarningShowsItsStretchOnTheGraph)
{
    ASSERT_NO_FATAL_FAILURE(Open("restart", Glider(true)));
    TChart* chart = test::Named<TChart>(*Ui.GraphPage, "Chart1");
    const int climb = TableRowOf("Climb");
    ASSERT_GE(climb, 0);
    const TFlightPhase* phase = nullptr;
    for (const TFlightPhase& p : Form->Flights->Events(0)->Phases)
        if (p.Kind == TPhaseKind::Climb)
            phase = &p;
    ASSERT_TRUE(phase);
    QTableWidget* table = Named<QTableWidget>(*Panel, "TableEvents");
    table->scrollToItem(table->item(climb, 2));
    DoubleClick(table, table->visualItemRect(table->item(climb, 2)));
    EXPECT_EQ(Ui.PageControl->currentWidget(), Ui.TabGraph);
    const double margin = std::max((phase->Stop - phase->Start) * 0.15, 2.0);
    EXPECT_NEAR(chart->Minimum(TAxisId::Bottom), phase->Start - margin, 1e-9);
    EXPECT_NEAR(chart->Maximum(TAxisId::Bottom), phase->Stop + margin, 1e-9);
    EXPECT_FALSE(chart->Automatic(TAxisId::Bottom));

    // Under f5j the restart is a warning; its stretch is the second run.
    ChooseRules("F5J");
    Ui.PageControl->setCurrentWidget(Ui.TabInfo);
    ASSERT_EQ(Named<QListWidget>(*Panel, "ListWarnings")->count(), 1);
    QListWidget* list = Named<QListWidget>(*Panel, "ListWarnings");
    EXPECT_EQ(list->item(0)->text(), "70.0 s  Motor restarted at 70.0 s");
    DoubleClick(list, list->visualItemRect(list->item(0)));
    EXPECT_EQ(Ui.PageControl->currentWidget(), Ui.TabGraph);
    EXPECT_NEAR(chart->Minimum(TAxisId::Bottom), 68, 1e-9);
    EXPECT_NEAR(chart->Maximum(TAxisId::Bottom), 77, 1e-9);
}

TEST_F(FlightEventsPanelTest, ChangingTheRulesInTheOptionsFindsTheEventsAnewAtOnce)
{
    ASSERT_NO_FATAL_FAILURE(Open("restart", Glider(true)));
    ASSERT_NO_FATAL_FAILURE(Open("single", Glider(false)));
    EXPECT_EQ(StatsCell(0, "Penalty"), QString::fromUtf8("\u2013"));
    EXPECT_EQ(StatsCell(0, "Warnings"), "0");
    EXPECT_TRUE(Form->Flights->Events(0)->Warnings.empty());

    ChooseRules("F5J");
    EXPECT_EQ(Form->Flights->EventOptions().Rules, TRules::F5j);
    EXPECT_EQ(Form->Options.Events.Rules, TRules::F5j);
    // The table, the panel and the grid show the new events without anything else happening.
    EXPECT_EQ(StatsCell(0, "Penalty"), "50.0 pt");
    EXPECT_EQ(StatsCell(0, "Warnings"), "1: motor-restart");
    EXPECT_EQ(StatsCell(1, "Warnings"), "0");
    EXPECT_TRUE(Summary().contains("Penalty (F5J): 50.0")) << Summary().toStdString();
    ASSERT_EQ(Form->Flights->Events(0)->Warnings.size(), 1u);
    EXPECT_TRUE(Form->Flights->Events(1)->Warnings.empty());

    // The warning mark's hint names the file and the warning: the hint of the mouse resting there.
    QWidget* viewport = Ui.StringGrid1->viewport();
    auto hintOf = [&](int row) {
        const QPoint at = Ui.StringGrid1->CellRect(0, row).center();
        QHelpEvent rest(QEvent::ToolTip, at, viewport->mapToGlobal(at));
        QApplication::sendEvent(viewport, &rest);
        return QToolTip::text();
    };
    EXPECT_EQ(hintOf(0), Form->Flights->FileName(0) + "\nMotor restarted at 70.0 s");
    EXPECT_EQ(hintOf(1), Form->Flights->FileName(1));
    QToolTip::hideText();

    // The threshold: at 100 % the servo never runs the motor.
    Dialogs->DialogScripts.push_back([](QDialog& d) {
        auto& form = static_cast<TFormOptions&>(d);
        const TOptionsControls c{form};
        form.show();
        c.EditMotorThreshold->setFocus();
        c.EditMotorThreshold->selectAll();
        QTest::keyClicks(c.EditMotorThreshold, "100");
        QTest::mouseClick(c.ButtonOK, Qt::LeftButton);
        return form.result();
    });
    Form->ExecuteOptions();
    EXPECT_EQ(Form->Flights->EventOptions().MotorThreshold, 100);
    EXPECT_EQ(StatsCell(0, "Motor time"), "0.0 s");
    EXPECT_EQ(StatsCell(0, "Warnings"), "0");

    // Cancelled, nothing changes; the options go to the settings file's analysis section.
    Dialogs->DialogScripts.push_back([](QDialog&) { return int(QDialog::Rejected); });
    Form->ExecuteOptions();
    EXPECT_EQ(Form->Flights->EventOptions().MotorThreshold, 100);
    Form->Flights->CloseAllDataFiles();
    Form->close();
    QFile ini(Paths.SettingsFile);
    ASSERT_TRUE(ini.open(QIODevice::ReadOnly));
    const QByteArray text = ini.readAll();
    EXPECT_TRUE(text.contains("Rules=f5j")) << text.toStdString();
    EXPECT_TRUE(text.contains("MotorThreshold=100")) << text.toStdString();
}

TEST_F(FlightEventsPanelTest, OptionsAndPanelShowEveryTextWholeAtALargerFont)
{
    const QFont original = QApplication::font();
    for (const double scale : {1.0, 1.25}) {
        QFont font = original;
        font.setPointSizeF(original.pointSizeF() * scale);
        QApplication::setFont(font);
        TFormOptions options;
        const TOptionsControls c{options};
        options.show();
        for (QLabel* label : c.GroupAnalysis->findChildren<QLabel*>())
            EXPECT_GE(label->width(), label->sizeHint().width()) << label->text().toStdString();
        for (QWidget* box : std::initializer_list<QWidget*>{c.ComboBoxRules, c.EditMotorThreshold,
                                                            c.EditAlesHeight, c.EditLowVoltage})
            EXPECT_GE(box->width(), box->minimumSizeHint().width()) << scale;
        EXPECT_GE(c.PanelBottom->geometry().top(), c.GroupAnalysis->geometry().bottom());
        EXPECT_LE(c.PanelBottom->geometry().bottom(), options.height());

        Form.reset();
        ASSERT_NO_FATAL_FAILURE(StartForm());
        Ui.PageControl->setCurrentWidget(Ui.TabInfo);
        Panel = Named<TFlightEventsPanel>(*Ui.NotesPage, "FlightEventsPanel");
        ASSERT_NO_FATAL_FAILURE(Open("restart", Glider(true)));
        QTest::qWait(20);
        const QList<QLabel*> summary =
            Panel->findChildren<QLabel*>(QRegularExpression("^LabelEventsSummary\\d+$"));
        ASSERT_EQ(summary.size(), 6);
        for (const QLabel* line : summary) {
            if (line->isHidden())
                continue;
            EXPECT_GE(line->height(), line->sizeHint().height()) << scale;
            EXPECT_GE(line->contentsRect().width(),
                      line->fontMetrics().horizontalAdvance(line->text()))
                << scale << " " << line->text().toStdString();
        }
        EXPECT_GE(Named<QTextEdit>(*Form, "RichEdit1")->height(),
                  3 * Named<QTextEdit>(*Form, "RichEdit1")->fontMetrics().height())
            << scale;
    }
    QApplication::setFont(original);
}
