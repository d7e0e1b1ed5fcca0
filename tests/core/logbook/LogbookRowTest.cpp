#include "core/logbook/LogbookRow.h"

#include <gtest/gtest.h>

using namespace zirko;

namespace {

TLogbookRow Row(const std::string& path, std::optional<double> maxAltitude)
{
    TLogbookRow row;
    SetRowPath(row, path);
    row.Values.resize(AnalysisFields().size());
    row.Values[*AnalysisFieldIndex("maxAltitude")].Number = maxAltitude;
    return row;
}

std::string Paths(const std::vector<TLogbookRow>& rows)
{
    std::string out;
    for (const auto& r : rows)
        out += (out.empty() ? "" : " ") + r.Path;
    return out;
}

} // namespace

TEST(LogbookRow, PathGivesNameAndFolder)
{
    TLogbookRow row;
    SetRowPath(row, "2026/Raná/a.b.ZDF");
    EXPECT_EQ(row.Name, "a.b");
    EXPECT_EQ(row.Folder, "2026/Raná");
    SetRowPath(row, "top.zdf");
    EXPECT_EQ(row.Name, "top");
    EXPECT_EQ(row.Folder, "");
}

TEST(LogbookRow, FilledFromAFlightWithDetailsNotesAndStats)
{
    TDataBlock f;
    f.DateText = "01.05.2026 10:00:00";
    f.Time = {0, 1, 2, 3, 4, 5};
    f.Altitude = {100, 101, 105, 110, 104, 100};
    f.Notes =
        "{\\rtf1\\ansi\\ansicpg1250{\\fonttbl{\\f0 Arial;}}\\f0 Kr\\'e1sn\\'fd \\b let\\b0\\par "
        "\\u382?ito}";
    TLogbookRow row;
    SetRowPath(row, "a.zdf");
    FillRow(row, f, {"RxOffsetY=0.00", "Model=Pike", "Tags=a,b"}, {}, nullptr);
    EXPECT_EQ(row.DateText, "01.05.2026 10:00:00");
    EXPECT_FALSE(row.Date); // no form given reads it
    EXPECT_EQ(row.Details.Model, "Pike");
    EXPECT_EQ(row.NotesText, "Krásný let žito");
    EXPECT_EQ(row.Value(*AnalysisFieldIndex("samples"))->Number, 6.0);
    EXPECT_EQ(row.Value(*AnalysisFieldIndex("maxAltitude"))->Number, 110.0);
    EXPECT_FALSE(row.Value(*AnalysisFieldIndex("minVoltage"))->Number);
    FillRow(row, f, {}, {std::string(kProgramDateFormat)}, nullptr);
    EXPECT_EQ(row.Date, CivilSeconds(2026, 5, 1, 10));
    EXPECT_EQ(NotesPlainText("line one\r\nline two"), "line one  line two");
}

TEST(LogbookRow, SortsByFieldsWithNullLastEitherWay)
{
    std::vector<TLogbookRow> rows{Row("c.zdf", 100), Row("a.zdf", std::nullopt), Row("b.zdf", 300),
                                  Row("d.zdf", 100)};
    SortRows(rows, {});
    EXPECT_EQ(Paths(rows), "a.zdf b.zdf c.zdf d.zdf");
    SortRows(rows, ParseSortKeys("maxAltitude").Keys);
    EXPECT_EQ(Paths(rows), "c.zdf d.zdf b.zdf a.zdf");
    SortRows(rows, ParseSortKeys("-maxAltitude").Keys);
    EXPECT_EQ(Paths(rows), "b.zdf c.zdf d.zdf a.zdf");
    SortRows(rows, ParseSortKeys("-maxAltitude,-path").Keys);
    EXPECT_EQ(Paths(rows), "b.zdf d.zdf c.zdf a.zdf");

    rows[0].Details.Model = "supra";
    rows[1].Details.Model = "Pike";
    SortRows(rows, ParseSortKeys("model").Keys);
    EXPECT_EQ(Paths(rows), "d.zdf b.zdf a.zdf c.zdf");

    rows[0].Date = CivilSeconds(2026, 5, 2);
    rows[1].Modified = CivilSeconds(2026, 5, 1); // an unread date sorts by the file's time
    rows[2].Date = CivilSeconds(2026, 4, 2);
    rows[3].Date = CivilSeconds(2026, 6, 2);
    SortRows(rows, ParseSortKeys("-date").Keys);
    EXPECT_EQ(Paths(rows), "c.zdf d.zdf b.zdf a.zdf");

    EXPECT_EQ(ParseSortKeys("date, -name").Keys.size(), 2u);
    EXPECT_NE(ParseSortKeys("date,height").Error.find("height"), std::string::npos);
    EXPECT_FALSE(ParseSortKeys("").Error.empty());
}

TEST(LogbookRow, JsonAndCsvCarryEveryFieldAndTheError)
{
    std::vector<TLogbookRow> rows{Row("x/a,b.zdf", 12.5), Row("bad.zdf", std::nullopt)};
    rows[0].DateText = "01.05.2026 10:00:00";
    rows[0].Details = {"Pike \"P\"", "", "", {"a", "b"}};
    rows[1].Values.clear();
    rows[1].Error = "Unexpected end of file";
    const std::string json = LogbookJson(rows);
    EXPECT_NE(
        json.find("\"path\": \"x/a,b.zdf\",\n    \"name\": \"a,b\",\n    \"folder\": \"x\",\n"
                  "    \"date\": \"01.05.2026 10:00:00\",\n    \"model\": \"Pike \\\"P\\\"\""),
        std::string::npos);
    EXPECT_NE(json.find("\"site\": null,\n    \"pilot\": null,\n    \"tags\": [\"a\", \"b\"]"),
              std::string::npos);
    EXPECT_NE(json.find("\"maxAltitude\": 12.5"), std::string::npos);
    EXPECT_NE(json.find("\"date\": null,\n    \"model\": null"), std::string::npos);
    EXPECT_NE(json.find("\"error\": \"Unexpected end of file\"\n  }\n]\n"), std::string::npos);
    EXPECT_EQ(LogbookJson({}), "[]\n");

    const std::string csv = LogbookCsv(rows);
    EXPECT_EQ(csv.substr(0, csv.find("\r\n"))
                  .find("path,name,folder,date,model,site,pilot,tags,"
                        "samples,duration"),
              0u);
    EXPECT_NE(csv.find("\r\n\"x/a,b.zdf\",\"a,b\",x,01.05.2026 10:00:00,\"Pike \"\"P\"\"\",,,"
                       "\"a, b\","),
              std::string::npos);
    // Folder, date, details and every analysis field empty.
    EXPECT_NE(csv.find("\r\nbad.zdf,bad," + std::string(6 + AnalysisFields().size(), ',') +
                       "Unexpected end of file\r\n"),
              std::string::npos);
}

TEST(LogbookRow, StoredRowsComeBackWhole)
{
    TLogbookRow row = Row("x/a.zdf", 12.25);
    row.DateText = "1.5.2026 10:00:00";
    row.Date = CivilSeconds(2026, 5, 1, 10);
    row.Details = {"Pike", "Raná", "", {"a", "b:c", ""}};
    row.NotesText = "12:line";
    row.SamplesHash = 18446744073709551615ull;
    row.AnalysisKey = "f5j;10;200;0";
    TLogbookRow back;
    ASSERT_TRUE(RestoreRow(StoreRow(row), back));
    EXPECT_EQ(back.DateText, row.DateText);
    EXPECT_EQ(back.Date, row.Date);
    EXPECT_EQ(back.Details, row.Details);
    EXPECT_EQ(back.NotesText, row.NotesText);
    EXPECT_EQ(back.SamplesHash, row.SamplesHash);
    EXPECT_EQ(back.AnalysisKey, row.AnalysisKey);
    EXPECT_EQ(back.Values, row.Values);

    TLogbookRow failed;
    failed.Error = "Unexpected end of file";
    ASSERT_TRUE(RestoreRow(StoreRow(failed), back));
    EXPECT_EQ(back.Error, failed.Error);
    EXPECT_TRUE(back.Values.empty());

    const std::string stored = StoreRow(row);
    EXPECT_FALSE(RestoreRow(stored.substr(0, stored.size() - 1), back));
    EXPECT_FALSE(RestoreRow(stored + "x", back));
    EXPECT_FALSE(RestoreRow("1:1" + stored.substr(3), back)); // another layout version
    EXPECT_FALSE(RestoreRow("", back));
}

TEST(LogbookRow, SamplesHashSeesHeaderWordsAndSamplesOnly)
{
    TDataBlock a;
    a.ChannelMask = kMaskAltitude;
    a.Time = {0, 0.1};
    a.Altitude = {1, 2};
    TDataBlock b = a;
    b.DateText = "other";
    b.Notes = "notes";
    b.Annotations.push_back({1, 2, "x"});
    EXPECT_EQ(SamplesHash(a), SamplesHash(b));
    b.Altitude[1] = 2.01;
    EXPECT_NE(SamplesHash(a), SamplesHash(b));
    b = a;
    b.HeaderWord5 = 1;
    EXPECT_NE(SamplesHash(a), SamplesHash(b));
    b = a;
    b.Altitude.clear();
    b.Voltage = {1, 2}; // the same numbers in another channel
    EXPECT_NE(SamplesHash(a), SamplesHash(b));
}

TEST(LogbookRow, EventsAreFoundWithTheProfileOfTheFlightsModel)
{
    // The servo is at 60 % for 3 s, at 20 % for 2 s more, then off.
    TDataBlock f;
    f.DateText = "1.5.2026 10:00:00";
    f.Sampling = 10;
    f.ChannelMask = kMaskAltitude | kMaskRx;
    for (int i = 0; i <= 100; ++i) {
        f.Time.push_back(i / 10.0);
        f.Altitude.push_back(i < 50 ? i : 50);
        f.Rx.push_back(i < 30 ? 60 : i < 50 ? 20 : -100);
    }
    TModelProfiles profiles;
    profiles.Parse("[Pike]\nRules=f5j\nMotorThreshold=50\n");
    TEventOptions general;
    general.MotorThreshold = 10;
    const auto value = [](const TLogbookRow& row, const char* field) {
        return row.Values[*AnalysisFieldIndex(field)];
    };

    TLogbookRow pike;
    FillRow(pike, f, {"Model= pike "}, {}, &profiles, general);
    EXPECT_EQ(value(pike, "rules").Text, "f5j");
    EXPECT_DOUBLE_EQ(*value(pike, "motorTime").Number, 3.0);
    EXPECT_EQ(value(pike, "motorRuns").Number, 1.0);
    EXPECT_EQ(value(pike, "motorRuns").Text, "[{\"start\": 0, \"stop\": 3, \"duration\": 3}]");
    EXPECT_TRUE(value(pike, "penalty").Number);

    TLogbookRow other;
    FillRow(other, f, {"Model=Supra"}, {}, &profiles, general);
    EXPECT_EQ(value(other, "rules").Text, "none");
    EXPECT_DOUBLE_EQ(*value(other, "motorTime").Number, 5.0);
    EXPECT_FALSE(value(other, "penalty").Number);
    EXPECT_NE(pike.AnalysisKey, other.AnalysisKey);
    EXPECT_EQ(other.AnalysisKey, EventOptionsKey(general));

    // Without a servo channel there are no motor runs to list: null, not an empty list.
    f.Rx.clear();
    f.ChannelMask = kMaskAltitude;
    TLogbookRow glider;
    FillRow(glider, f, {}, {}, nullptr);
    EXPECT_FALSE(value(glider, "motorRuns").Number);
    EXPECT_EQ(value(glider, "warnings").Text, "[]");
}
