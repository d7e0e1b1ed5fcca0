// The import dialog's files: choices per layout, remembered in the settings file, and the preview.
#include "core/import/ImportPlan.h"

#include <gtest/gtest.h>

#include <map>

namespace zirko {
namespace {

const std::map<std::string, std::string> kFiles{
    {"/logs/a.csv", "Date,Time,Alt(m),Thr,CH3(us)\n"
                    "2024-06-01,08:00:00.000,100,-1024,1000\n"
                    "2024-06-01,08:01:05.500,110,1024,2000\n"
                    "2024-06-01,08:01:06.000,111,1024,2000\n"},
    {"/logs/b.csv", "Date,Time,Alt(m),Thr,CH3(us)\n2024-06-02,09:00:00.000,5,0,1500\n"},
    {"/logs/c.csv", "Date,Time,RxBt(V)\n2024-06-02,09:00:00.000,5.0\n"},
    {"/logs/bad.igc", "AXXX\r\n"},
};

TImportPlan MakePlan(int& reads)
{
    return TImportPlan([&reads](const std::string& file, const TColumnChoice& choice) {
        ++reads;
        return ParseImport(kFiles.at(file), file, TImportFormat::Auto, choice);
    });
}

TEST(ImportPlan, AChoiceServesEveryFileOfItsLayoutAndIsRememberedForIt)
{
    int reads = 0;
    TImportPlan plan = MakePlan(reads);
    plan.AddFiles({"/logs/a.csv", "/logs/b.csv", "/logs/c.csv", "/logs/bad.igc", "/logs/a.csv"},
                  {});
    ASSERT_EQ(plan.FileCount(), 4u);
    EXPECT_EQ(reads, 4);
    EXPECT_EQ(plan.FlightCount(), 4u); // a.csv holds two sessions

    TColumnChoice pulse;
    pulse.Servo = "CH3(us)";
    plan.SetChoice(1, pulse);
    EXPECT_EQ(reads, 6); // a.csv and b.csv, not c.csv
    EXPECT_EQ(plan.Source(0).ServoColumn, "CH3(us)");
    EXPECT_EQ(plan.Source(1).ServoColumn, "CH3(us)");
    EXPECT_EQ(plan.Choice(2).Servo, std::nullopt);

    const auto chosen = plan.ChosenLayouts();
    ASSERT_EQ(chosen.size(), 1u);
    EXPECT_EQ(chosen[0].first, "Date,Time,Alt(m),Thr,CH3(us)");
    TIniFile ini;
    WriteImportChoice(ini, chosen[0].first, chosen[0].second);
    TIniFile back;
    back.Parse(ini.Text());

    // A later import of the same layout starts from the remembered choice.
    TImportPlan later = MakePlan(reads);
    later.AddFiles({"/logs/b.csv", "/logs/c.csv"},
                   [&back](const std::string& layout) { return ReadImportChoice(back, layout); });
    EXPECT_EQ(later.Choice(0).Servo, "CH3(us)");
    EXPECT_EQ(later.Source(0).ServoColumn, "CH3(us)");
    EXPECT_EQ(later.Source(1).ServoColumn, "");
    EXPECT_FALSE(ReadImportChoice(back, "Date,Time,RxBt(V)").has_value());
    EXPECT_NE(ImportLayoutKey("Date,Time,RxBt(V)"), ImportLayoutKey("Date,Time,RxBt(V) "));
}

TEST(ImportPlan, ThePreviewListsEachFlightAndEachRefusedFile)
{
    int reads = 0;
    TImportPlan plan = MakePlan(reads);
    plan.AddFiles({"/logs/a.csv", "/logs/bad.igc"}, {});
    const auto rows = plan.Preview(',');
    ASSERT_EQ(rows.size(), 3u);
    EXPECT_EQ(rows[0].FileName, "a.csv");
    EXPECT_EQ(rows[0].Start, "2024-06-01 08:00:00");
    EXPECT_EQ(rows[0].Duration, "0,0 sec");
    EXPECT_EQ(rows[0].Samples, 1u);
    EXPECT_EQ(rows[1].Start, "2024-06-01 08:01:05");
    EXPECT_EQ(rows[1].Duration, "0,5 sec");
    EXPECT_EQ(rows[1].Samples, 2u);
    EXPECT_EQ(rows[1].Columns, "altitude Alt(m), servo Thr");
    EXPECT_TRUE(rows[2].Refused);
    EXPECT_EQ(rows[2].File, 1u);
    EXPECT_EQ(rows[2].Columns, "/logs/bad.igc: no B record with a readable time; it is not an "
                               "IGC file.");
}

} // namespace
} // namespace zirko
