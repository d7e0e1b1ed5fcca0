// The Range table of measurement mode: a line per shown flight between FROM and TO, each flight's
// time offset taken off, and the copy cell putting it on the clipboard after the readings.
#include "gui/graph/RangeGrid.h"
#include "core/analysis/RangeStats.h"
#include "gui/graph/GraphPageFixture.h"
#include "gui/graph/ReadingsGrid.h"

#include <QApplication>
#include <QClipboard>
#include <QTableWidget>

namespace zirko {
namespace {

class RangeGridTest : public GraphPageTest {
protected:
    QWidget* Plot() { return Chart().PlotArea(); }
    TRangeGrid* Range() const { return test::Named<TRangeGrid>(*Page, "RangeGrid"); }
    QTableWidget* Grid() const { return test::Named<QTableWidget>(*Page, "GridRange"); }
    QString Cell(int row, int col) const
    {
        const QTableWidgetItem* item = Grid()->item(row, col);
        return item ? item->text() : QString();
    }
    QPoint At(double fx)
    {
        const QRect r = Chart().PlotRect();
        return r.topLeft() + QPoint(static_cast<int>(r.width() * fx), r.height() / 2);
    }
    void Drag(QPoint from, QPoint to)
    {
        QTest::mousePress(Plot(), Qt::LeftButton, {}, from);
        QTest::mouseMove(Plot(), (from + to) / 2);
        QTest::mouseMove(Plot(), to);
        QTest::mouseRelease(Plot(), Qt::LeftButton, {}, to);
    }
    // The line the core gives for a flight between the chart times of two pixels.
    std::array<std::string, kRangeColumns> Expected(int row, QPoint from, QPoint to, double offset)
    {
        const double t0 = Chart().ValueAtPixel(TAxisId::Bottom, from.x());
        const double t1 = Chart().ValueAtPixel(TAxisId::Bottom, to.x());
        return RangeCells({Host.FlightName(row).toStdString(),
                           AnalyseRange(*Host.Flight(row), *Host.Events(row), t0, t1, offset)},
                          '.');
    }
};

TEST_F(RangeGridTest, ALinePerShownFlightWithItsTimeOffsetTakenOff)
{
    Open();
    Open();
    Show(0, 3);
    Host.Current = 1; // the offset controls act on the current flight
    Page->Offsets().LoadShiftControls(1);
    ASSERT_TRUE(CheckBoxShift()->isChecked());
    Type(EditShiftX(), "7.5");
    Chart().Replot();
    QTest::mouseClick(TBGrafRead(), Qt::LeftButton);
    ASSERT_EQ(Grid()->rowCount(), 0);
    const QPoint from = At(0.25);
    const QPoint to = At(0.7);
    Drag(from, to);

    ASSERT_EQ(Grid()->rowCount(), 2);
    for (int row = 0; row < 2; ++row) {
        const auto expected = Expected(row, from, to, row == 1 ? 7.5 : 0);
        for (int c = 0; c < static_cast<int>(kRangeColumns); ++c)
            EXPECT_EQ(Cell(row, c).toStdString(), expected[static_cast<size_t>(c)])
                << "row " << row << " column " << c;
    }
    EXPECT_EQ(Cell(0, 0), "f0");
    EXPECT_EQ(Cell(1, 0), "f1");
    // The same flight drawn 7.5 s later gives other numbers at the same chart times.
    EXPECT_NE(Cell(0, 2), Cell(1, 2));
    EXPECT_FALSE(Cell(0, 1).isEmpty());

    // A flight the range misses says so; a hidden flight has no line.
    Type(EditShiftX(), "3000");
    Chart().Replot();
    Drag(At(0.005), At(0.02));
    ASSERT_EQ(Grid()->rowCount(), 2);
    EXPECT_NE(Cell(0, 1).toStdString(), kRangeOutside);
    EXPECT_EQ(Cell(1, 1).toStdString(), kRangeOutside);
    Hide(0, 1);
    Hide(0, 3);
    Chart().Replot();
    Drag(At(0.1), At(0.3));
    ASSERT_EQ(Grid()->rowCount(), 1);
    EXPECT_EQ(Cell(0, 0), "f1");
}

TEST_F(RangeGridTest, ALongFlightReadsAsTheCoreAnalysesItWhileTheBandMoves)
{
    // Long enough that a range spans many of the summaries' blocks.
    Open({.Samples = 50001});
    Open({.Samples = 50001});
    Show(0, 3);
    Show(1, 3);
    Host.Current = 1;
    Page->Offsets().LoadShiftControls(1);
    Type(EditShiftX(), "-12.5");
    Chart().Replot();
    QTest::mouseClick(TBGrafRead(), Qt::LeftButton);
    const QPoint from = At(0.5);
    QTest::mousePress(Plot(), Qt::LeftButton, {}, from);
    // Out to either side of FROM and back, the table following every move.
    for (double fx : {0.9, 0.55, 0.51, 0.1, 0.45, 0.02, 0.97}) {
        const QPoint to = At(fx);
        QTest::mouseMove(Plot(), to);
        SCOPED_TRACE(testing::Message() << "band to " << fx);
        ASSERT_EQ(Grid()->rowCount(), 2);
        for (int row = 0; row < 2; ++row) {
            const auto expected = Expected(row, from, to, row == 1 ? -12.5 : 0);
            for (int c = 1; c < static_cast<int>(kRangeColumns); ++c)
                EXPECT_EQ(Cell(row, c).toStdString(), expected[static_cast<size_t>(c)])
                    << "row " << row << " column " << c;
        }
    }
    QTest::mouseRelease(Plot(), Qt::LeftButton, {}, At(0.97));
}

TEST_F(RangeGridTest, CopyPutsTheRangeAfterTheReadings)
{
    Open();
    Chart().Replot();
    QTest::mouseClick(TBGrafRead(), Qt::LeftButton);
    Drag(At(0.2), At(0.6));
    QApplication::clipboard()->clear();
    TReadingsGrid* grid = StringGridOdecet();
    QTest::mouseClick(grid, Qt::LeftButton, {}, grid->CellRect(0, 0).center());
    const QString text = QApplication::clipboard()->text();
    const QString readings = QString::fromStdString(grid->Table.ClipboardText());
    ASSERT_TRUE(text.startsWith(readings));
    EXPECT_EQ(text.mid(readings.size()), "\r\n" + Range()->ClipboardText());
    EXPECT_TRUE(Range()->ClipboardText().startsWith("Range\r\nFlight\t"));
    EXPECT_EQ(Range()->ClipboardText().count("\r\n"), 3);
}

TEST_F(RangeGridTest, TheReadingsKeepEveryColumnWholeWhenTheRangeTableComesBeside)
{
    Open();
    Page->resize(700, 600); // about the page of the main window at its first size
    QApplication::processEvents();
    Chart().Replot();
    QTest::mouseClick(TBGrafRead(), Qt::LeftButton);
    Drag(At(0.2), At(0.6));
    QApplication::processEvents();
    ASSERT_TRUE(Range()->isVisible());
    EXPECT_GT(Range()->width(), 100);

    auto* readings = test::Named<TReadingsGrid>(*Page, "StringGridOdecet");
    QFont bold = readings->font();
    bold.setBold(true);
    const QFontMetrics fm(bold);
    EXPECT_LE(readings->CellRect(0, 4).right(), readings->width());
    const char* headings[] = {"TIME", "ALTITUDE", "SERVO", "VOLTAGE"};
    for (int col = 1; col <= 4; ++col) {
        EXPECT_GE(readings->CellRect(0, col).width(),
                  fm.horizontalAdvance(QString::fromLatin1(headings[col - 1])))
            << headings[col - 1];
        EXPECT_GE(readings->CellRect(1, col).width(), fm.horizontalAdvance("10 min 59.9 s"));
    }
}

} // namespace
} // namespace zirko
