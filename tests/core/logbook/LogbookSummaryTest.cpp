// The logbook page's numbers: cells and their order per column, the layout of the columns, the
// match count and the summary of selected rows.
#include "core/logbook/LogbookSummary.h"
#include "core/logbook/LogbookColumns.h"

#include <gtest/gtest.h>

using namespace zirko;

namespace {

TLogbookRow Row(const std::string& path, std::optional<double> timeAloft,
                std::optional<double> maxAltitude)
{
    TLogbookRow row;
    SetRowPath(row, path);
    row.Values.resize(AnalysisFields().size());
    row.Values[*AnalysisFieldIndex("timeAloft")].Number = timeAloft;
    row.Values[*AnalysisFieldIndex("maxAltitude")].Number = maxAltitude;
    row.Prepare();
    return row;
}

size_t Column(const char* key)
{
    return *LogbookColumnIndex(key);
}

} // namespace

TEST(LogbookSummary, AddsUpTheRowsThatHaveValues)
{
    TLogbookRow a = Row("a.zdf", 600.4, 152.25);
    TLogbookRow b = Row("b.zdf", 125, 310.5);
    const TLogbookRow noLaunch = Row("c.zdf", std::nullopt, 3);
    a.Values[*AnalysisFieldIndex("motorTime")].Number = 30;
    a.Values[*AnalysisFieldIndex("startHeight")].Number = 150;
    b.Values[*AnalysisFieldIndex("motorTime")].Number = 15.4;
    b.Values[*AnalysisFieldIndex("startHeight")].Number = 201;
    // A flight without motor has no start height: the mean is over the two that have one.
    TLogbookRow unread;
    SetRowPath(unread, "bad.zdf");
    unread.Error = "Chyba při otevírání souboru!";
    const TLogbookSummary s = SummariseRows({&a, &b, &noLaunch, &unread});
    EXPECT_EQ(s.Count, 4u);
    EXPECT_DOUBLE_EQ(s.TimeAloft, 725.4);
    ASSERT_TRUE(s.HighestAltitude);
    EXPECT_DOUBLE_EQ(*s.HighestAltitude, 310.5);
    EXPECT_DOUBLE_EQ(s.MotorTime, 45.4);
    ASSERT_TRUE(s.MeanStartHeight);
    EXPECT_DOUBLE_EQ(*s.MeanStartHeight, 175.5);
    EXPECT_EQ(s.StartHeights, 2u);
    EXPECT_EQ(SummaryText(s, ','), "4 flights selected: time aloft 12:05, motor time 0:45, highest "
                                   "310,5 m, mean start height 175,5 m");
}

TEST(LogbookSummary, NothingSelectedSaysNothing)
{
    EXPECT_EQ(SummaryText(SummariseRows({}), '.'), "");
    TLogbookRow unread;
    unread.Error = "x";
    const TLogbookSummary one = SummariseRows({&unread});
    EXPECT_FALSE(one.HighestAltitude);
    EXPECT_FALSE(one.MeanStartHeight);
    EXPECT_EQ(SummaryText(one, '.'), "1 flight selected: time aloft 0:00, motor time 0:00");
}

TEST(LogbookSummary, TotalsPastAnHourAndMatchCounts)
{
    EXPECT_EQ(FormatDurationTotal(3725), "1:02:05");
    EXPECT_EQ(FormatDurationTotal(59.6), "1:00");
    EXPECT_EQ(MatchCountText(12, 340), "12 of 340 flights");
    EXPECT_EQ(MatchCountText(0, 340), "0 of 340 flights");
    EXPECT_EQ(MatchCountText(1, 1), "1 of 1 flight");
}

TEST(LogbookColumns, CellsShowNumbersInTheUsersFormatAndErrorsInWarnings)
{
    const TLogbookRow a = Row("2026/a.zdf", 600.45, 152.25);
    EXPECT_EQ(LogbookCellText(a, Column("name"), ','), "a");
    EXPECT_EQ(LogbookCellText(a, Column("folder"), ','), "2026");
    EXPECT_EQ(LogbookCellText(a, Column("maxAltitude"), ','), "152,2");
    EXPECT_EQ(LogbookCellText(a, Column("duration"), ','), "");
    // Every column that shows a number shows one the analysis finds.
    for (const TLogbookColumn& column : LogbookColumns()) {
        if (!column.Field.empty()) {
            EXPECT_TRUE(AnalysisFieldIndex(column.Field)) << column.Key;
        }
    }
    TLogbookRow bad;
    SetRowPath(bad, "bad.zdf");
    bad.Error = "Chyba při otevírání souboru!";
    EXPECT_EQ(LogbookCellText(bad, Column("warnings"), '.'), bad.Error);
    EXPECT_EQ(LogbookCellText(bad, Column("maxAltitude"), '.'), "");
}

TEST(LogbookColumns, NumbersCompareAsNumbersAndEmptyCellsAreNull)
{
    const TLogbookRow nine = Row("x.zdf", 1, 9);
    const TLogbookRow ten = Row("y.zdf", 1, 10);
    const TLogbookRow none = Row("z.zdf", 1, std::nullopt);
    const size_t alt = Column("maxAltitude");
    EXPECT_LT(LogbookCellCompare(nine, ten, alt), 0); // "9" > "10" as texts
    EXPECT_GT(LogbookCellCompare(ten, nine, alt), 0);
    EXPECT_TRUE(LogbookCellNull(none, alt));
    EXPECT_FALSE(LogbookCellNull(nine, alt));
    // Equal values fall back on the path.
    EXPECT_LT(LogbookCellCompare(nine, Row("z.zdf", 1, 9), alt), 0);
    // Texts without regard to case; an empty text is null.
    TLogbookRow upper = Row("B.zdf", 1, 1), lower = Row("a.zdf", 1, 1);
    EXPECT_GT(LogbookCellCompare(upper, lower, Column("name")), 0);
    EXPECT_TRUE(LogbookCellNull(upper, Column("model")));
}

TEST(LogbookColumns, DatesSortByTheHeaderElseTheFileTime)
{
    TLogbookRow dated = Row("a.zdf", 1, 1);
    dated.Date = CivilSeconds(2026, 5, 1, 10);
    dated.DateText = "01.05.2026 10:00:00";
    TLogbookRow undated = Row("b.zdf", 1, 1);
    undated.DateText = "yesterday";
    undated.Modified = CivilSeconds(2026, 4, 30);
    EXPECT_FALSE(LogbookCellNull(undated, Column("date")));
    EXPECT_GT(LogbookCellCompare(dated, undated, Column("date")), 0);
    EXPECT_EQ(LogbookCellText(undated, Column("date"), '.'), "yesterday");
}

TEST(LogbookColumns, LayoutKeepsOrderWidthsAndHiddenColumns)
{
    const auto places = ParseColumnLayout("date:140,-notes,name:90,bogus:5,date:7");
    ASSERT_EQ(places.size(), LogbookColumns().size());
    EXPECT_EQ(places[0].Column, Column("date"));
    EXPECT_EQ(places[0].Width, 140);
    EXPECT_FALSE(places[1].Shown);
    EXPECT_EQ(places[2].Column, Column("name"));
    // The columns the text leaves out follow, shown, in their own order.
    EXPECT_EQ(places[3].Column, Column("folder"));
    EXPECT_TRUE(places[3].Shown);
    EXPECT_EQ(ParseColumnLayout(FormatColumnLayout(places)).size(), places.size());
    EXPECT_EQ(FormatColumnLayout(ParseColumnLayout(FormatColumnLayout(places))),
              FormatColumnLayout(places));
    EXPECT_EQ(ParseColumnLayout("")[0].Column, Column("name"));
}
