#include "gui/graph/ReadingsGrid.h"

#include <QApplication>
#include <QClipboard>
#include <QTest>
#include <gtest/gtest.h>

using namespace zirko;

TEST(ReadingsGrid, CopyCellCopiesOnlyWhenReleasedOnItself)
{
    TReadingsGrid grid;
    grid.resize(grid.sizeHint());
    grid.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&grid));
    grid.Table.Start({75.3, 10, std::nullopt, std::nullopt}, '.');
    QApplication::clipboard()->setText("before");
    const QPoint copy = grid.CellRect(0, 0).center();
    const QPoint elsewhere = grid.CellRect(2, 3).center();

    QTest::mousePress(&grid, Qt::LeftButton, {}, copy);
    EXPECT_TRUE(grid.Table.CopyPressed());
    QTest::mouseRelease(&grid, Qt::LeftButton, {}, elsewhere);
    EXPECT_FALSE(grid.Table.CopyPressed());
    EXPECT_EQ(QApplication::clipboard()->text(), "before");

    QTest::mouseClick(&grid, Qt::LeftButton, {}, copy);
    const QString text = QApplication::clipboard()->text();
    EXPECT_TRUE(text.startsWith(QString(15, ' ') + "\t      TIME     \t"));
    EXPECT_TRUE(text.contains("FROM           \t           75.3\t"));
}

TEST(ReadingsGrid, ColumnsFollowThePanelWidthFromAMinimumOfEight)
{
    TReadingsGrid grid;
    // Column 0 is at least 92 pixels; wider when the font needs it for its texts.
    EXPECT_GE(grid.ColWidths[0], 92);
    grid.ColWidths[0] = 92;
    grid.FitColumns(600, 10);
    // a = 600 - 8 - 92 - 4 = 496: 124 each, no rest
    EXPECT_EQ(grid.ColWidths[1], 124);
    EXPECT_EQ(grid.ColWidths[4], 124);
    grid.FitColumns(503, 10); // a = 399: 99 each, the last one 99 + 3
    EXPECT_EQ(grid.ColWidths[3], 99);
    EXPECT_EQ(grid.ColWidths[4], 102);
    grid.FitColumns(120, 30); // too narrow: every column at least AutoGridSize
    EXPECT_EQ(grid.ColWidths[1], 30);
    const auto before = grid.ColWidths;
    grid.FitColumns(1000, 5); // below 8 the widths are left alone
    EXPECT_EQ(grid.ColWidths, before);
}
