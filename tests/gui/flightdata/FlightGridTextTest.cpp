// The open-flights grid shows flight names whole: rows hold the font's full height, so the
// underscores and descenders below the baseline are drawn, at the default font and a larger one.
#include "gui/app/FormMain.h"
#include "gui/flightdata/FlightGrid.h"
#include "model/flightdata/OpenFlights.h"
#include "support/MainWindowFixture.h"

#include <QFontMetrics>
#include <QImage>
#include <QTest>
#include <gtest/gtest.h>

using namespace zirko;
using namespace zirko::test;

namespace {

TDataBlock SmallFlight()
{
    TDataBlock f;
    f.DateText = "8.12.2026 7:14:28";
    f.Sampling = 10;
    f.ChannelMask = 0xC000;
    for (int i = 0; i < 20; ++i) {
        f.Time.push_back(i * 0.5);
        f.Altitude.push_back(i * 0.1);
        f.Rx.push_back(0);
    }
    return f;
}

class FlightGridTextTest : public TMainWindowFixture {
protected:
    void SetUp() override
    {
        TMainWindowFixture::SetUp();
        ASSERT_NO_FATAL_FAILURE(StartForm());
    }
    void TearDown() override
    {
        Dialogs->Answers.clear();
        TMainWindowFixture::TearDown();
    }

    // Whether the underscore after `before` in the name cell of `row` is drawn: between the
    // letters before and after it only the underscore has ink, and only below the baseline.
    bool UnderscoreDrawn(int row, const QString& before)
    {
        TFlightGrid& grid = *Ui.StringGrid1;
        QApplication::processEvents();
        const QImage image = grid.viewport()->grab().toImage();
        const QFontMetrics metrics(grid.font());
        const QRect cell = grid.CellRect(kGridNameCol, row);
        // The text's left edge as the grid draws it.
        const int left = cell.left() + 2;
        const int from = left + metrics.horizontalAdvance(before) + 1;
        const int to = left + metrics.horizontalAdvance(before + "_") - 2;
        for (int y = cell.top(); y <= cell.bottom(); ++y)
            for (int x = from; x <= to; ++x)
                if (qGray(image.pixel(x, y)) < 160)
                    return true;
        return false;
    }
};

} // namespace

TEST_F(FlightGridTextTest, NamesKeepTheirUnderscoresAtAnyFontSize)
{
    ASSERT_GE(Form->Flights->OpenDataFile(WriteFlight("my_first_flight.zdf", SmallFlight())), 0);
    ASSERT_GE(Form->Flights->OpenDataFile(WriteFlight("go_py.zdf", SmallFlight())), 0);
    TFlightGrid& grid = *Ui.StringGrid1;
    ASSERT_EQ(grid.Cell(kGridNameCol, 0), "my_first_flight");
    EXPECT_GE(grid.rowHeight(0), QFontMetrics(grid.font()).height());
    EXPECT_TRUE(UnderscoreDrawn(0, "my"));
    // The second row is not selected: its text is black on white.
    EXPECT_TRUE(UnderscoreDrawn(1, "go"));

    // 125 % of the font: the rows grow with it.
    QFont larger = grid.font();
    larger.setPointSizeF(larger.pointSizeF() * 1.25);
    grid.setFont(larger);
    for (int row = 0; row < 2; ++row)
        EXPECT_GE(grid.rowHeight(row), QFontMetrics(larger).height()) << row;
    EXPECT_TRUE(UnderscoreDrawn(0, "my"));
    EXPECT_TRUE(UnderscoreDrawn(1, "go"));
    // A click lands on the row it aims at.
    QTest::mouseClick(grid.viewport(), Qt::LeftButton, {}, grid.CellRect(kGridNameCol, 1).center());
    EXPECT_EQ(Form->Flights->ActualRow(), 1);
}
