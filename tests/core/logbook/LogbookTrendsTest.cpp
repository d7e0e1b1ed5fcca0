// Trends over logbook rows: the numbers taken from the columns, the groups by model, the line
// through them and the histogram's bins.
#include "core/logbook/LogbookTrends.h"
#include "core/logbook/LogbookColumns.h"

#include <gtest/gtest.h>

#include <cmath>
#include <random>

using namespace zirko;

namespace {

size_t Column(const char* key)
{
    return *LogbookColumnIndex(key);
}

TLogbookRow Row(const std::string& model, std::optional<double> maxAltitude,
                std::optional<double> motorTime, TCivilSeconds date = 0)
{
    TLogbookRow row;
    SetRowPath(row, model + ".zdf");
    row.Details.Model = model;
    row.Date = date;
    row.Values.resize(AnalysisFields().size());
    row.Values[*AnalysisFieldIndex("maxAltitude")].Number = maxAltitude;
    row.Values[*AnalysisFieldIndex("motorTime")].Number = motorTime;
    row.Prepare();
    return row;
}

std::vector<const TLogbookRow*> Pointers(const std::vector<TLogbookRow>& rows)
{
    std::vector<const TLogbookRow*> out;
    for (const auto& r : rows)
        out.push_back(&r);
    return out;
}

} // namespace

TEST(TrendColumns, AreTheDateAndTheNumberColumns)
{
    const auto columns = TrendColumns();
    ASSERT_FALSE(columns.empty());
    EXPECT_EQ(columns.front(), Column("date"));
    EXPECT_TRUE(IsDateColumn(Column("date")));
    for (size_t i = 1; i < columns.size(); ++i)
        EXPECT_TRUE(IsNumberColumn(columns[i]));
    EXPECT_EQ(std::count(columns.begin(), columns.end(), Column("name")), 0);

    TLogbookRow row = Row("Alpha", 250, std::nullopt, CivilSeconds(2026, 5, 1));
    EXPECT_EQ(TrendValue(row, Column("maxAltitude")), 250);
    EXPECT_FALSE(TrendValue(row, Column("motorTime")));
    EXPECT_FALSE(TrendValue(row, Column("model")));
    EXPECT_EQ(TrendValue(row, Column("date")), CivilSeconds(2026, 5, 1));
    // A header date that cannot be read gives way to the file's time, as in sorting.
    row.Date.reset();
    row.Modified = CivilSeconds(2026, 6, 2);
    EXPECT_EQ(TrendValue(row, Column("date")), CivilSeconds(2026, 6, 2));
}

TEST(FitLine, FindsTheLineThroughExactPointsAndOfNoisyOnes)
{
    const auto exact = FitLine({1, 2, 3, 4}, {5, 7, 9, 11});
    ASSERT_TRUE(exact);
    EXPECT_DOUBLE_EQ(exact->Slope, 2);
    EXPECT_DOUBLE_EQ(exact->Intercept, 3);
    EXPECT_EQ(exact->Count, 4u);

    // Dates near 1.8e9 s and a rise of 0.5 m a day keep their digits.
    std::vector<double> x, y;
    std::mt19937 random(7);
    std::normal_distribution<double> noise(0, 3);
    for (int d = 0; d < 200; ++d) {
        x.push_back(1.8e9 + 86400.0 * d);
        y.push_back(300 + 0.5 * d + noise(random));
    }
    const auto noisy = FitLine(x, y);
    ASSERT_TRUE(noisy);
    EXPECT_NEAR(noisy->Slope * 86400, 0.5, 0.02);
    EXPECT_NEAR(noisy->Slope * x[100] + noisy->Intercept, 350, 1);
}

TEST(FitLine, NeedsTwoPointsThatDoNotShareOneX)
{
    EXPECT_FALSE(FitLine({}, {}));
    EXPECT_FALSE(FitLine({1}, {2}));
    EXPECT_FALSE(FitLine({3, 3, 3}, {1, 2, 3}));
    const auto flat = FitLine({1, 2}, {4, 4});
    ASSERT_TRUE(flat);
    EXPECT_EQ(flat->Slope, 0);
}

TEST(Scatter, TakesRowsWithBothNumbersAndGroupsThemByModel)
{
    std::vector<TLogbookRow> rows{
        Row("Alpha", 200, 20),           Row("Beta", 210, 22), Row("alpha", 220, 24),
        Row("Alpha", 230, std::nullopt), Row("", 240, 28),     Row("Beta", 250, 30),
        Row("Alpha", 260, 32),
    };
    const auto s = BuildScatter(Pointers(rows), Column("motorTime"), Column("maxAltitude"), 10);
    ASSERT_EQ(s.Points.size(), 6u);
    EXPECT_EQ(s.Points[0].Row, 0u);
    EXPECT_EQ(s.Points[3].Row, 4u); // the row without a motor time is left out
    EXPECT_EQ(s.Points[1].X, 22);
    EXPECT_EQ(s.Points[1].Y, 210);
    ASSERT_EQ(s.Groups.size(), 3u);
    // Models regardless of case, the most flown first, titled as first seen.
    EXPECT_EQ(s.Groups[0].Title, "Alpha");
    EXPECT_EQ(s.Groups[0].Count, 3u);
    EXPECT_EQ(s.Groups[1].Title, "Beta");
    EXPECT_EQ(s.Groups[2].Title, kNoModelTitle);
    EXPECT_EQ(s.Points[2].Group, 0u); // "alpha"
    EXPECT_EQ(s.Points[3].Group, 2u);
    ASSERT_TRUE(s.Fit);
    EXPECT_DOUBLE_EQ(s.Fit->Slope, 5);
    EXPECT_EQ(s.Fit->Count, 6u);
}

TEST(Scatter, ModelsBeyondTheLimitAreOneGroup)
{
    std::vector<TLogbookRow> rows;
    for (int m = 0; m < 6; ++m)
        for (int k = 0; k <= m; ++k)
            rows.push_back(Row("M" + std::to_string(m), 100 + k, 10 + m));
    const auto s = BuildScatter(Pointers(rows), Column("motorTime"), Column("maxAltitude"), 4);
    ASSERT_EQ(s.Groups.size(), 4u);
    EXPECT_EQ(s.Groups[0].Title, "M5");
    EXPECT_EQ(s.Groups[2].Title, "M3");
    EXPECT_EQ(s.Groups[3].Title, kOtherModelsTitle);
    EXPECT_EQ(s.Groups[3].Count, 3u + 2 + 1);
    size_t others = 0;
    for (const auto& p : s.Points)
        others += p.Group == 3;
    EXPECT_EQ(others, 6u);
    // Exactly as many models as the limit need no "Other models".
    EXPECT_EQ(BuildScatter(Pointers(rows), Column("motorTime"), Column("maxAltitude"), 6)
                  .Groups.back()
                  .Title,
              "M0");
}

TEST(SlopeText, NamesTheUnitsAndADayForDates)
{
    EXPECT_EQ(SlopeText({5, 0, 2}, Column("motorTime"), Column("maxAltitude"), '.'),
              "Slope: 5.00 m per s");
    EXPECT_EQ(SlopeText({0.5 / 86400, 0, 2}, Column("date"), Column("maxAltitude"), ','),
              "Slope: 0,500 m per day");
    EXPECT_EQ(SlopeText({-1234.5, 0, 2}, Column("date"), Column("warnings"), '.'),
              "Slope: -106660800 per day");
    EXPECT_EQ(SlopeText({0.00123, 0, 2}, Column("maxAltitude"), Column("minVoltage"), '.'),
              "Slope: 0.00123 V per m");
}

TEST(HistogramText, CountsFlightsAndNamesTheBinWidthInTheColumnsUnit)
{
    const double day = 86400;
    // Dates in days, and bins of whole hours shorter than a day in hours.
    EXPECT_EQ(HistogramText(6, day, Column("date"), '.'), "6 flights in bins of 1 day");
    EXPECT_EQ(HistogramText(1, 7 * day, Column("date"), '.'), "1 flight in bins of 7 days");
    EXPECT_EQ(HistogramText(2, 3600, Column("date"), '.'), "2 flights in bins of 1 hour");
    EXPECT_EQ(HistogramText(2, 6 * 3600, Column("date"), '.'), "2 flights in bins of 6 hours");
    EXPECT_EQ(HistogramText(2, 36 * 3600, Column("date"), '.'), "2 flights in bins of 1.5 days");
    EXPECT_EQ(HistogramText(2, 0.3 * day, Column("date"), ','), "2 flights in bins of 0,3 days");
    // Time, height, voltage and points in the unit of the column's title.
    EXPECT_EQ(HistogramText(3, 10, Column("motorTime"), '.'), "3 flights in bins of 10 s");
    EXPECT_EQ(HistogramText(3, 100, Column("maxAltitude"), '.'), "3 flights in bins of 100 m");
    EXPECT_EQ(HistogramText(3, 0.05, Column("minVoltage"), ','), "3 flights in bins of 0,05 V");
    EXPECT_EQ(HistogramText(0, 2.5, Column("penalty"), '.'), "0 flights in bins of 2.5 pt");
    // A count without a unit.
    EXPECT_EQ(HistogramText(4, 1, Column("warnings"), '.'), "4 flights in bins 1 wide");
    EXPECT_EQ(FlightsText(1), "1 flight");
    EXPECT_EQ(FlightsText(11), "11 flights");
}

TEST(Histogram, CountsEveryValueInBinsStartingAtAMultipleOfTheWidth)
{
    const auto h = BuildHistogram({12, 14.9, 15, 19.99, 20, 31, 12}, 5);
    EXPECT_TRUE(h.Error.empty());
    EXPECT_EQ(h.Start, 10);
    EXPECT_EQ(h.Width, 5);
    EXPECT_EQ(h.Counts, (std::vector<size_t>{3, 2, 1, 0, 1}));
    EXPECT_EQ(h.BinOf(31), 4u);
    EXPECT_EQ(h.BinOf(-100), 0u);
    // Negative values and a maximum on a bin edge.
    const auto n = BuildHistogram({-3, -0.5, 0, 2}, 1);
    EXPECT_EQ(n.Start, -3);
    EXPECT_EQ(n.Counts, (std::vector<size_t>{1, 0, 1, 1, 0, 1}));
    // One value makes one bin.
    EXPECT_EQ(BuildHistogram({7}, 2).Counts, std::vector<size_t>{1});
    EXPECT_TRUE(BuildHistogram({}, 2).Counts.empty());
}

TEST(Histogram, RefusesWidthsThatGiveNoPicture)
{
    EXPECT_FALSE(BuildHistogram({1, 2}, 0).Error.empty());
    EXPECT_FALSE(BuildHistogram({1, 2}, -1).Error.empty());
    EXPECT_FALSE(BuildHistogram({1, 2}, std::nan("")).Error.empty());
    const auto many = BuildHistogram({0, 1e6}, 1);
    EXPECT_EQ(many.Error, "Too many bins (1000001): choose a wider bin.");
    EXPECT_TRUE(many.Counts.empty());
}

TEST(Histogram, AutomaticWidthIsRoundAndFitsTheSpread)
{
    std::vector<double> heights;
    std::mt19937 random(3);
    std::normal_distribution<double> spread(250, 40);
    for (int i = 0; i < 1000; ++i)
        heights.push_back(spread(random));
    // Freedman-Diaconis: 2 * IQR (about 54) / 10 = about 10.8, rounded up to a round width.
    const double width = AutoBinWidth(heights, false);
    EXPECT_TRUE(width == 10 || width == 20) << width;
    const auto h = BuildHistogram(heights, width);
    EXPECT_GT(h.Counts.size(), 8u);
    EXPECT_LT(h.Counts.size(), 30u);

    EXPECT_EQ(AutoBinWidth({5, 5, 5}, false), 1);
    EXPECT_EQ(AutoBinWidth({}, true), 86400);
    // Most values one, a few apart: the middle half has no spread, so the deviation decides.
    EXPECT_GT(AutoBinWidth({1, 1, 1, 1, 1, 1, 1, 1, 9, 20}, false), 0);
    // Dates a few days apart come in whole days or weeks.
    std::vector<double> days;
    for (int d = 0; d < 60; ++d)
        days.push_back(1.8e9 + 86400.0 * (d * 3 % 90));
    const double dateWidth = AutoBinWidth(days, true);
    EXPECT_EQ(std::fmod(dateWidth, 86400), 0);
    EXPECT_LE(BuildHistogram(days, dateWidth).Counts.size(), kMaxBins);
    // Never narrower than the bins allow.
    EXPECT_TRUE(
        BuildHistogram({0, 0, 0, 0, 0, 0, 1e9}, AutoBinWidth({0, 0, 0, 0, 0, 0, 1e9}, false))
            .Error.empty());
}
