#include "core/graph/Readings.h"

#include <gtest/gtest.h>

using namespace zirko;

TEST(ReadingsTable, DragFillsFromToDeltaAndRatesFromTheRoundedTexts)
{
    TReadingsTable t;
    t.Start({10.04, 100.06, 5.0, 4.9}, '.');
    EXPECT_EQ(t.Cell(4, 1), "x");
    EXPECT_EQ(t.Cell(1, 1), "10.0");
    t.FillRow(2, {5.0, 90.0, 7.5, 4.8}, '.'); // right to left
    t.ComputeDifferences(true, true, '.');
    EXPECT_EQ(t.Cell(3, 1), "-5.0");
    EXPECT_EQ(t.Cell(3, 2), "-10.1"); // 90.0 - 100.1, from the texts
    EXPECT_EQ(t.Cell(4, 2), "2.020");
    EXPECT_EQ(t.Cell(4, 3), "-0.500");
    EXPECT_EQ(t.Cell(4, 1), "x");
}

TEST(ReadingsTable, VerticalDragGivesHashAndHiddenChannelsStayEmpty)
{
    TReadingsTable t;
    t.Start({10.01, 100, std::nullopt, 4.9}, ',');
    t.FillRow(2, {10.04, 120, std::nullopt, 5.2}, ',');
    t.ComputeDifferences(false, true, ',');
    EXPECT_EQ(t.Cell(3, 1), "0,0");
    EXPECT_EQ(t.Cell(4, 2), "#");
    EXPECT_EQ(t.Cell(4, 4), "#");
    EXPECT_EQ(t.Cell(1, 3), "");
    EXPECT_EQ(t.Cell(3, 3), "");
    EXPECT_EQ(t.Cell(4, 3), "");
}

TEST(ReadingsTable, ClipboardCellsAreFifteenCharactersWide)
{
    TReadingsTable t;
    t.Start({75.3, 1234.5, -3.2, 4.9}, '.');
    t.SetCell(2, 2, "12345678901234567890");
    const std::string text = t.ClipboardText();
    // Titles are centred by adding blank pairs, then cut back to 15 at the right end.
    const std::string expectedRow0 = std::string(15, ' ') + "\t" + "      TIME     " + "\t" +
                                     "    ALTITUDE   " + "\t" + "     SERVO     " + "\t" +
                                     "    VOLTAGE    " + "\r\n";
    EXPECT_EQ(text.substr(0, expectedRow0.size()), expectedRow0);
    const std::string expectedRow1 = "FROM           \t           75.3\t         1234.5\t"
                                     "           -3.2\t            4.9\r\n";
    EXPECT_EQ(text.substr(expectedRow0.size(), expectedRow1.size()), expectedRow1);
    EXPECT_NE(text.find("\t123456789012345\t"), std::string::npos);
    EXPECT_EQ(text.size(), 5 * (5 * 15 + 4 + 2));
}

TEST(ReadingsTable, CopyCellPressedStateAndDisplayTexts)
{
    TReadingsTable t;
    EXPECT_FALSE(t.CopyPressed());
    t.SetCopyPressed(true);
    EXPECT_TRUE(t.CopyPressed());
    EXPECT_EQ(ReadingDisplayText(0, 0, t.Cell(0, 0), '.'), "Copy to clipboard");
    EXPECT_EQ(ReadingDisplayText(1, 1, "75.3", '.'), "1 min 15.3 sec");
    EXPECT_EQ(ReadingDisplayText(2, 1, "12.0", '.'), "12.0 sec");
    EXPECT_EQ(ReadingDisplayText(4, 1, "x", '.'), "x");
    EXPECT_EQ(ReadingDisplayText(2, 2, "75.3", '.'), "75.3");
}

TEST(PositionReadout, ListsOnlyTheShownChannels)
{
    EXPECT_EQ(PositionReadout(true, {75.3, 120.44, std::nullopt, 4.87}, true, '.'),
              "[1 min 15.3 sec  120.4m  4.9V ]");
    EXPECT_EQ(PositionReadout(true, {119.96, 0, -2.5, std::nullopt}, false, '.'),
              "[1 min 60.0 sec  -2.5% ]");
    EXPECT_EQ(PositionReadout(false, {}, true, '.'), "[ ]");
}

TEST(PositionReadout, ClimbRateComesLastInMetresPerSecond)
{
    EXPECT_EQ(PositionReadout(true, {75.3, 120.44, -2.5, 4.87, -1.26}, true, '.'),
              "[1 min 15.3 sec  120.4m  -2.5%  4.9V  -1.3m/s ]");
    EXPECT_EQ(PositionReadout(true, {5, 0, std::nullopt, std::nullopt, 0.04}, false, ','),
              "[5,0 sec  0,0m/s ]");
    // Nothing is read off an axis of no active series.
    EXPECT_EQ(PositionReadout(false, {5, 0, std::nullopt, std::nullopt, 2}, true, '.'), "[ ]");
}
