// The flight record made of an imported flight, the names of its files and the choice of columns.
#include "core/import/FlightImport.h"
#include "core/flightdata/ZdfFile.h"

#include <gtest/gtest.h>

namespace zirko {
namespace {

TEST(ImportedFlightRecord, TimesInTenthsAltitudeFromTheFirstRowAndTheMedianStep)
{
    TImportResult source;
    source.Format = TImportFormat::Csv;
    source.AltitudeColumn = "Alt(m)";
    source.VoltageColumn = "RxBt(V)";
    TImportedFlight flight;
    flight.StartDate = "2024-05-18";
    flight.StartMilliseconds = ((9 * 60 + 5) * 60 + 7) * 1000 + 999;
    flight.Millisecond = {0, 149, 150, 250, 1250, 1300};
    flight.Altitude = {-12.5, -10, -13.25, 0, 1, 2};
    flight.Voltage = {5, 5, 5, 5, 5, 4.96};
    source.Flights = {flight, flight};

    const TDataBlock block = MakeImportedBlock(source, 1, "C:\\logs\\Glider.csv");
    EXPECT_EQ(block.DateText, "2024-05-18 09:05:07");
    EXPECT_EQ(block.Time, (std::vector<double>{0, 0.1, 0.2, 0.3, 1.3, 1.3}));
    EXPECT_EQ(block.Altitude, (std::vector<double>{0, 2.5, -0.75, 12.5, 13.5, 14.5}));
    EXPECT_EQ(block.Voltage, flight.Voltage);
    EXPECT_TRUE(block.Rx.empty());
    EXPECT_EQ(block.ChannelMask, 0x8800);
    EXPECT_EQ(block.Sampling, 10); // steps 149, 1, 100, 1000, 50: the median is 100 ms
    EXPECT_EQ(block.ExtraLines, std::vector<std::string>{"StartElevation=-12.50"});
    EXPECT_EQ(block.Notes, "Imported from Glider.csv (telemetry CSV)\r\nColumns: altitude Alt(m), "
                           "voltage RxBt(V)\r\nFlight 2 of 2 in the file");
    EXPECT_EQ(block.HeaderWord7, 0);

    // Written and read back, the notes and the start elevation are the file's.
    TDataBlock back;
    ASSERT_EQ(ParseDataFile(FormatDataFile(block), back, 0).Status, TReadStatus::Ok);
    EXPECT_EQ(back.Notes, block.Notes);
    EXPECT_EQ(back.ExtraLines, block.ExtraLines);
    EXPECT_EQ(back.Time, block.Time);
}

TEST(ImportNames, FilesAreNamedAfterTheSourceWithARunningNumber)
{
    EXPECT_EQ(ImportBaseName("/home/pilot/logs/Glider-2024-05-18.csv"), "Glider-2024-05-18");
    EXPECT_EQ(ImportBaseName("C:\\logs\\evening.flight.igc"), "evening.flight");
    EXPECT_EQ(ImportBaseName(".csv"), ".csv");
    EXPECT_EQ(ImportBaseName("logs/"), "Imported");
    EXPECT_EQ(ImportFileName("Glider-2024-05-18", 1), "Glider-2024-05-18_001.zdf");
    EXPECT_EQ(ImportFileName("Glider", 12), "Glider012.zdf");
    EXPECT_EQ(ImportFileName("Glider", 1234), "Glider1234.zdf");
    EXPECT_EQ(CheckImportName("Evening"), "");
    for (const char* bad : {"", ".", "..", "a/b", "a\\b"})
        EXPECT_EQ(CheckImportName(bad), "The name \"" + std::string(bad) +
                                            "\" cannot name the files: give a name "
                                            "without a folder.");
    EXPECT_EQ(ImportSummaryText("x/a.igc", 1, 1),
              "1 flight imported from a.igc. 1 row could not be read and was skipped.");
    EXPECT_EQ(ImportSummaryText("a.igc", 2, 0), "2 flights imported from a.igc.");
}

TEST(ImportChoice, TheMapTextNamesColumnsPerChannelAndAnEmptyOneLeavesTheChannelOut)
{
    const TColumnChoiceParse parse =
        ParseColumnChoice("servo=CH3(us), altitude = Alt(ft),voltage=");
    ASSERT_EQ(parse.Error, "");
    EXPECT_EQ(parse.Choice.Servo, "CH3(us)");
    EXPECT_EQ(parse.Choice.Altitude, "Alt(ft)");
    EXPECT_EQ(parse.Choice.Voltage, "");
    EXPECT_EQ(FormatColumnChoice(parse.Choice), "altitude=Alt(ft),servo=CH3(us),voltage=");
    EXPECT_FALSE(ParseColumnChoice("servo=Thr").Choice.Altitude.has_value());
    EXPECT_EQ(ParseColumnChoice("speed=GSpd(kmh)").Error,
              "The column choice \"speed=GSpd(kmh)\" is not altitude=COL, servo=COL or "
              "voltage=COL.");
    EXPECT_NE(ParseColumnChoice("altitude").Error, "");

    EXPECT_EQ(ParseImportFormat("igc"), TImportFormat::Igc);
    EXPECT_FALSE(ParseImportFormat("IGC").has_value());
    EXPECT_EQ(DetectImportFormat("a.IGC", ""), TImportFormat::Igc);
    EXPECT_EQ(DetectImportFormat("a.txt", "AXXX001\r\nHFDTEDATE:010624,01\r\n"),
              TImportFormat::Igc);
    EXPECT_EQ(DetectImportFormat("a.log", "Date,Time,Alt(m)\n"), TImportFormat::Csv);
    EXPECT_EQ(DetectImportFormat("A.csv", "AXXX001\r\n"), TImportFormat::Csv);
}

} // namespace
} // namespace zirko
