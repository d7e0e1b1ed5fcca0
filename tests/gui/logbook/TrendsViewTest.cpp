// The logbook's Trends view driven by the pointer and the keyboard: a point names its flight and
// chooses its row, the filter's rows are what is drawn, the histogram's bins follow the width
// typed, and the picture goes to the clipboard or a file.
#include "gui/logbook/TrendsView.h"
#include "core/logbook/LogbookColumns.h"
#include "gui/logbook/TrendsControls.h"
#include "model/logbook/LogbookTableModel.h"
#include "support/ScriptedDialogs.h"

#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QFileInfo>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>
#include <qcustomplot.h>

using namespace zirko;
using namespace zirko::test;

namespace {

TLogbookRow Row(const std::string& name, const std::string& model, int day, double maxAltitude,
                double motorTime)
{
    TLogbookRow row;
    SetRowPath(row, name + ".zdf");
    row.Details.Model = model;
    row.Date = CivilSeconds(2026, 5, day, 10);
    row.Values.resize(AnalysisFields().size());
    row.Values[*AnalysisFieldIndex("maxAltitude")].Number = maxAltitude;
    row.Values[*AnalysisFieldIndex("motorTime")].Number = motorTime;
    row.Prepare();
    return row;
}

class TrendsViewTest : public testing::Test {
protected:
    void SetUp() override
    {
        Dialogs = &InstallScriptedDialogs();
        std::vector<TLogbookRow> rows{
            Row("spring", "Pike", 1, 180, 25),  Row("windy", "Bubble", 3, 120, 30),
            Row("thermal", "Pike", 8, 260, 22), Row("short", "Bubble", 10, 90, 12),
            Row("record", "Pike", 15, 340, 28), Row("evening", "Bubble", 20, 150, 18),
        };
        Table.SetRows(std::move(rows));
        Filter.setSourceModel(&Table);
        Filter.setDynamicSortFilter(true);
        View.SetModel(&Filter);
        View.resize(800, 500);
        View.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&View));
        View.Redraw();
    }
    int SourceRow(const char* name) const { return Table.RowOfPath(std::string(name) + ".zdf"); }
    QPoint PixelOf(const char* name) const
    {
        const auto p = View.PointPixel(SourceRow(name));
        EXPECT_TRUE(p) << name;
        return p.value_or(QPoint());
    }
    // Chooses an entry of a combo box with the keyboard, as a user does.
    static void ChooseByKeys(QComboBox* combo, const QString& text)
    {
        combo->setFocus();
        const int target = combo->findText(text);
        ASSERT_GE(target, 0) << text.toStdString();
        while (combo->currentIndex() != target)
            QTest::keyClick(combo, combo->currentIndex() < target ? Qt::Key_Down : Qt::Key_Up);
        QTest::qWait(5); // the view redraws once the change is in
    }

    TScriptedDialogs* Dialogs = nullptr;
    TLogbookTableModel Table;
    TLogbookFilterModel Filter;
    TTrendsView View;
    TTrendsControls C{View};
};

} // namespace

TEST_F(TrendsViewTest, HoveringAPointNamesItsFlightAndClickingChoosesItsRow)
{
    QSignalSpy chosen(&View, &TTrendsView::RowsChosen);
    QTest::mouseMove(C.PlotTrends, PixelOf("thermal"));
    EXPECT_TRUE(C.LabelHover->text().startsWith("thermal (Pike): Date 2026-05-08 10:00:00, "
                                                "Max. alt. (m) 260.0"))
        << C.LabelHover->text().toStdString();
    // A few pixels off still reaches the point; far off names nothing.
    QTest::mouseMove(C.PlotTrends, PixelOf("short") + QPoint(3, -2));
    EXPECT_TRUE(C.LabelHover->text().startsWith("short (Bubble)"));
    QTest::mouseMove(C.PlotTrends, PixelOf("short") + QPoint(40, -60));
    EXPECT_EQ(C.LabelHover->text(), "");

    QTest::mouseClick(C.PlotTrends, Qt::LeftButton, {}, PixelOf("record"));
    ASSERT_EQ(chosen.count(), 1);
    EXPECT_EQ(chosen[0][0].value<QList<int>>(), QList<int>{SourceRow("record")});
    // A click beside every point chooses nothing.
    QTest::mouseClick(C.PlotTrends, Qt::LeftButton, {}, PixelOf("record") + QPoint(0, 50));
    EXPECT_EQ(chosen.count(), 1);
}

TEST_F(TrendsViewTest, ShowsTheFilteredRowsByModelWithTheLineAndItsSlope)
{
    // Two models in the legend, the most flown first (three each: by title).
    ASSERT_EQ(C.PlotTrends->graphCount(), 3);
    EXPECT_EQ(C.PlotTrends->graph(0)->name(), "Bubble (3)");
    EXPECT_EQ(C.PlotTrends->graph(1)->name(), "Pike (3)");
    EXPECT_EQ(C.PlotTrends->legend->itemCount(), 2);
    EXPECT_TRUE(View.Heading().contains("Slope: ")) << View.Heading().toStdString();
    EXPECT_TRUE(View.Heading().contains(" m per day (6 flights)"));

    ChooseByKeys(C.ComboBoxTrendX, "Motor time (s)");
    EXPECT_TRUE(View.Heading().startsWith("Max. alt. (m) against Motor time (s)"));
    EXPECT_TRUE(View.Heading().contains(" m per s (6 flights)"));

    Filter.SetFilterText("model:pike");
    QTest::qWait(5); // the view redraws once the filter's changes are in
    ASSERT_EQ(C.PlotTrends->graphCount(), 2);
    EXPECT_EQ(C.PlotTrends->graph(0)->name(), "Pike (3)");
    EXPECT_FALSE(View.PointPixel(SourceRow("windy")));
    // Pike: motor 25, 22, 28 s against 180, 260, 340 m.
    EXPECT_TRUE(View.Heading().contains("Slope: 13.3 m per s (3 flights)"))
        << View.Heading().toStdString();

    Filter.SetFilterText("record");
    QTest::qWait(5);
    EXPECT_TRUE(View.Heading().contains("No line")) << View.Heading().toStdString();
    Filter.SetFilterText("nothing-like-it");
    QTest::qWait(5);
    EXPECT_TRUE(View.Heading().contains("No flight shown has both numbers."));
}

TEST_F(TrendsViewTest, HistogramBinsFollowTheWidthAndABarChoosesItsFlights)
{
    QSignalSpy chosen(&View, &TTrendsView::RowsChosen);
    ChooseByKeys(C.ComboBoxTrendKind, "Histogram");
    ChooseByKeys(C.ComboBoxTrendX, "Max. alt. (m)");
    EXPECT_FALSE(C.ComboBoxTrendY->isEnabled());
    EXPECT_FALSE(C.EditBinWidth->isEnabled());
    EXPECT_FALSE(C.EditBinWidth->text().isEmpty()); // the automatic width is shown
    EXPECT_TRUE(View.Heading().startsWith("Max. alt. (m)\n6 flights in bins of "));

    QTest::mouseClick(C.CheckBoxAutoBin, Qt::LeftButton);
    ASSERT_TRUE(C.EditBinWidth->isEnabled());
    C.EditBinWidth->setFocus();
    C.EditBinWidth->selectAll();
    QTest::keyClicks(C.EditBinWidth, "100");
    QTest::keyClick(C.EditBinWidth, Qt::Key_Return);
    QTest::qWait(5);
    EXPECT_EQ(View.Heading(), "Max. alt. (m)\n6 flights in bins of 100 m");
    // 90 | 120 150 180 | 260 | 340: bins from 0.
    auto* bars = qobject_cast<QCPBars*>(C.PlotTrends->plottable(0));
    ASSERT_TRUE(bars);
    ASSERT_EQ(bars->data()->size(), 4);
    EXPECT_EQ(bars->data()->at(1)->value, 3);

    const QPoint bar(qRound(C.PlotTrends->xAxis->coordToPixel(150)),
                     qRound(C.PlotTrends->yAxis->coordToPixel(1)));
    QTest::mouseMove(C.PlotTrends, bar);
    EXPECT_EQ(C.LabelHover->text(), "3 flights with Max. alt. (m) from 100.0 to 200.0");
    QTest::mouseClick(C.PlotTrends, Qt::LeftButton, {}, bar);
    ASSERT_EQ(chosen.count(), 1);
    QList<int> rows = chosen[0][0].value<QList<int>>();
    std::sort(rows.begin(), rows.end());
    QList<int> expected{SourceRow("spring"), SourceRow("windy"), SourceRow("evening")};
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(rows, expected);

    // A width that gives no picture says so instead of drawing.
    C.EditBinWidth->selectAll();
    QTest::keyClicks(C.EditBinWidth, "0");
    QTest::keyClick(C.EditBinWidth, Qt::Key_Return);
    QTest::qWait(5);
    EXPECT_EQ(View.Heading(), "Max. alt. (m)\nThe bin width must be a number above 0.");
    EXPECT_EQ(C.PlotTrends->plottableCount(), 0);

    // Dates come in days.
    ChooseByKeys(C.ComboBoxTrendX, "Date");
    C.EditBinWidth->selectAll();
    QTest::keyClicks(C.EditBinWidth, "7");
    QTest::keyClick(C.EditBinWidth, Qt::Key_Return);
    QTest::qWait(5);
    EXPECT_EQ(View.Heading(), "Date\n6 flights in bins of 7 days");
}

TEST_F(TrendsViewTest, SwitchingBetweenScatterAndHistogramNeedsNoWiderRoom)
{
    // The logbook sits beside the folder tree: a wider minimum would push the tree narrower.
    const int scatter = View.minimumSizeHint().width();
    ChooseByKeys(C.ComboBoxTrendKind, "Histogram");
    ASSERT_TRUE(C.CheckBoxAutoBin->isVisible());
    ASSERT_TRUE(C.EditBinWidth->isVisible());
    EXPECT_LE(View.minimumSizeHint().width(), scatter);
    ChooseByKeys(C.ComboBoxTrendKind, "Scatter");
    ASSERT_TRUE(C.ComboBoxTrendY->isVisible());
    EXPECT_LE(View.minimumSizeHint().width(), scatter);
}

TEST_F(TrendsViewTest, FlightsOfOneMomentGetARangeAroundItAndTicksWithTheTime)
{
    const double day = 86400;
    const auto ticks = [this](QCPAxis* axis) {
        C.PlotTrends->replot();
        return axis->tickVectorLabels();
    };
    // Six flights over twenty days: ticks of dates.
    QCPAxis* x = C.PlotTrends->xAxis;
    EXPECT_GT(x->range().size(), 19 * day);
    EXPECT_LT(x->range().size(), 22 * day);
    for (const QString& label : ticks(x))
        EXPECT_FALSE(label.contains(':')) << label.toStdString();

    // One flight: the day around it, whose ticks name the hours, and its altitude in the middle
    // of a sane span.
    Filter.SetFilterText("record");
    QTest::qWait(5);
    const double when = static_cast<double>(CivilSeconds(2026, 5, 15, 10));
    EXPECT_DOUBLE_EQ(x->range().lower, when - day / 2);
    EXPECT_DOUBLE_EQ(x->range().upper, when + day / 2);
    const QVector<QString> labels = ticks(x);
    ASSERT_FALSE(labels.isEmpty());
    for (const QString& label : labels)
        EXPECT_TRUE(label.contains("15.05.2026") || label.contains("16.05.2026"))
            << label.toStdString();
    EXPECT_TRUE(labels.join('|').contains(':'));
    const QCPRange y = C.PlotTrends->yAxis->range();
    EXPECT_TRUE(y.contains(340));
    EXPECT_GT(y.size(), 1);
    EXPECT_LT(y.size(), 100);
    EXPECT_TRUE(View.PointPixel(SourceRow("record")));

    // A histogram of that one date.
    ChooseByKeys(C.ComboBoxTrendKind, "Histogram");
    ChooseByKeys(C.ComboBoxTrendX, "Date");
    EXPECT_LT(x->range().size(), 3 * day);
    EXPECT_TRUE(x->range().contains(when));
}

TEST_F(TrendsViewTest, CopyAndSavePictureGiveTheChart)
{
    QGuiApplication::clipboard()->clear();
    QTest::mouseClick(C.ButtonCopyTrend, Qt::LeftButton);
    const QImage copied = QGuiApplication::clipboard()->image();
    ASSERT_FALSE(copied.isNull());
    EXPECT_EQ(copied.size(), C.PlotTrends->size());
    // Not blank: the points are drawn in their models' colours.
    for (int g = 0; g < 2; ++g) {
        const QRgb color = C.PlotTrends->graph(g)->pen().color().rgb();
        int pixels = 0;
        for (int y = 0; y < copied.height(); ++y)
            for (int x = 0; x < copied.width(); ++x)
                pixels += copied.pixel(x, y) == color;
        EXPECT_GT(pixels, 20) << "model " << g;
    }

    QTemporaryDir dir;
    const QString file = dir.path() + "/trend.png";
    Dialogs->FileNames.push_back(file);
    Dialogs->Filters.push_back("PNG (*.png)");
    QTest::mouseClick(C.ButtonSaveTrend, Qt::LeftButton);
    QImage saved(file);
    ASSERT_FALSE(saved.isNull()) << Dialogs->Log.join("\n").toStdString();
    EXPECT_EQ(saved.size(), copied.size());
}
