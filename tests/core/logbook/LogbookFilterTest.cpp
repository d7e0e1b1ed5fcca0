#include "core/logbook/LogbookFilter.h"

#include <gtest/gtest.h>

using namespace zirko;

namespace {

TLogbookRow Row(const std::string& path, double startAltitude, const std::string& date)
{
    TLogbookRow row;
    SetRowPath(row, path);
    row.DateText = date;
    row.Date = ParseFlightDate(date, {std::string(kProgramDateFormat)});
    row.Modified = CivilSeconds(2026, 1, 1);
    row.Values.resize(AnalysisFields().size());
    row.Values[*AnalysisFieldIndex("startAltitude")].Number = startAltitude;
    row.Values[*AnalysisFieldIndex("samples")].Number = 100;
    return row;
}

class LogbookFilter : public ::testing::Test {
protected:
    void SetUp() override
    {
        Rows.push_back(Row("Raná/Pike 1.zdf", 212.5, "01.05.2026 10:00:00"));
        Rows[0].Details = {"Pike Perfect", "Raná", "Jan Novák", {"thermal", "F5J"}};
        Rows[0].NotesText = "Landed in the Wheat field";
        Rows.push_back(Row("Supra.zdf", 150, "30.04.2026 23:59:59"));
        Rows[1].Details = {"Supra", "Black Hill", "Eva", {"calm"}};
        Rows.push_back(Row("Lost/broken.zdf", 0, ""));
        Rows[2].Values.clear();
        Rows[2].Error = "Unexpected end of file";
        Rows.push_back(Row("ŽLUŤOUČKÝ.zdf", 300, "dne 2.5."));
        Rows[3].Modified = CivilSeconds(2026, 5, 3, 8);
        Rows[3].Values[*AnalysisFieldIndex("startAltitude")].Number.reset();
        for (auto& r : Rows)
            r.Prepare();
    }
    // The names of the rows the filter lets through.
    std::string Matching(const std::string& text)
    {
        TLogbookFilter filter;
        EXPECT_TRUE(filter.Parse(text)) << filter.Error;
        std::string names;
        for (const auto& r : Rows)
            if (filter.Matches(r))
                names += (names.empty() ? "" : "|") + r.Name;
        return names;
    }
    std::vector<TLogbookRow> Rows;
};

} // namespace

TEST_F(LogbookFilter, WordsMatchEveryTextFieldWithoutRegardToCase)
{
    EXPECT_EQ(Matching(""), "Pike 1|Supra|broken|ŽLUŤOUČKÝ");
    EXPECT_EQ(Matching("PIKE"), "Pike 1");
    EXPECT_EQ(Matching("raná"), "Pike 1"); // folder and site
    EXPECT_EQ(Matching("RANÁ"), "Pike 1"); // Czech capitals fold too
    EXPECT_EQ(Matching("žluťoučký"), "ŽLUŤOUČKÝ");
    EXPECT_EQ(Matching("novák"), "Pike 1"); // pilot
    EXPECT_EQ(Matching("f5j"), "Pike 1");   // a tag
    EXPECT_EQ(Matching("wheat"), "Pike 1"); // the notes
    EXPECT_EQ(Matching("lost"), "broken");
    EXPECT_EQ(Matching("black hill"), "Supra"); // two words, both must hold
    EXPECT_EQ(Matching("pike supra"), "");
    EXPECT_EQ(Matching("nothing-like-it"), "");
}

TEST_F(LogbookFilter, FieldWordsLookInTheirFieldOnly)
{
    EXPECT_EQ(Matching("site:raná"), "Pike 1");
    EXPECT_EQ(Matching("folder:raná"), "Pike 1");
    EXPECT_EQ(Matching("name:raná"), "");
    EXPECT_EQ(Matching("model:pike"), "Pike 1");
    EXPECT_EQ(Matching("pilot:eva"), "Supra");
    EXPECT_EQ(Matching("tag:calm"), "Supra");
    EXPECT_EQ(Matching("Tag:therm"), "Pike 1");
    EXPECT_EQ(Matching("site:\"black hill\""), "Supra");
    EXPECT_EQ(Matching("notes:wheat"), ""); // not a field: the whole term is a word
}

TEST_F(LogbookFilter, NumbersCompareAndNullNeverMatches)
{
    EXPECT_EQ(Matching("startAltitude>150"), "Pike 1");
    EXPECT_EQ(Matching("startAltitude>=150"), "Pike 1|Supra");
    EXPECT_EQ(Matching("startAltitude<212.5"), "Supra");
    EXPECT_EQ(Matching("startAltitude<=212.5"), "Pike 1|Supra");
    EXPECT_EQ(Matching("startAltitude=150"), "Supra");
    EXPECT_EQ(Matching("startAltitude>-1e9"), "Pike 1|Supra");
    EXPECT_EQ(Matching("samples=100 -startAltitude>200"), "Supra|ŽLUŤOUČKÝ");
}

TEST_F(LogbookFilter, DatesCompareByDayAndAnUnreadDateByTheFileTime)
{
    EXPECT_EQ(Matching("date>=2026-05-01"), "Pike 1|ŽLUŤOUČKÝ");
    EXPECT_EQ(Matching("date=2026-05-01"), "Pike 1");
    EXPECT_EQ(Matching("date<2026-05-01"), "Supra");
    EXPECT_EQ(Matching("date<=2026-04-30"), "Supra");
    EXPECT_EQ(Matching("date>2026-05-01"), "ŽLUŤOUČKÝ");
    EXPECT_EQ(Matching("date=2026-05-03"), "ŽLUŤOUČKÝ");
    EXPECT_EQ(Matching("-date=2026-05-01 -lost"), "Supra|ŽLUŤOUČKÝ");
}

TEST_F(LogbookFilter, NegationExcludes)
{
    EXPECT_EQ(Matching("-pike"), "Supra|broken|ŽLUŤOUČKÝ");
    EXPECT_EQ(Matching("-tag:calm -site:raná"), "broken|ŽLUŤOUČKÝ");
    EXPECT_EQ(Matching("-"), ""); // a lone dash is a word no name holds
}

TEST(LogbookFilterText, TermsThatCannotBeUnderstoodAreRefused)
{
    TLogbookFilter filter;
    EXPECT_FALSE(filter.Parse("date>=yesterday"));
    EXPECT_NE(filter.Error.find("YYYY-MM-DD"), std::string::npos);
    EXPECT_FALSE(filter.Parse("altitude>100"));
    EXPECT_NE(filter.Error.find("altitude"), std::string::npos);
    EXPECT_FALSE(filter.Parse("maxAltitude>high"));
    EXPECT_FALSE(filter.Parse("maxAltitude>"));
    EXPECT_TRUE(filter.Parse("maxAltitude>=1.5e2 -x"));
    EXPECT_TRUE(filter.Error.empty());
    EXPECT_FALSE(filter.Parse("a=b=c"));
    EXPECT_TRUE(filter.Parse("12:30 x-y=2")); // no field name before ":" or "=": words
}
