// IGC files read into flights and written as flight files, compared sample by sample.
#include "core/import/IgcFile.h"
#include "core/flightdata/ZdfFile.h"
#include "core/import/FlightImport.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

namespace zirko {
namespace {

std::string ReadTestFile(const std::string& name)
{
    std::ifstream in(std::string(ZIRKO_TEST_DATA_DIR) + "/import/" + name, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

TEST(IgcImport, EngineNoiseAndPressureAltitudeOfEveryFixAcrossMidnight)
{
    const std::string text = ReadTestFile("evening-flight.igc");
    const TImportResult source =
        ParseImport(text, "/media/card/evening-flight.igc", TImportFormat::Auto, {});
    ASSERT_TRUE(source.Ok()) << source.Error;
    EXPECT_EQ(source.Format, TImportFormat::Igc);
    EXPECT_EQ(ImportedColumnsText(source), "altitude Pressure altitude, servo ENL");
    EXPECT_EQ(source.Layout, "IGC,FXA,ENL");
    EXPECT_EQ(source.SkippedRows, 1); // the record broken off
    ASSERT_EQ(source.Flights.size(), 1u);

    // The fixes read the plain way: hhmmss, pressure altitude, ENL in bytes 39..41.
    struct TFix {
        long long Seconds;
        int Pressure, Enl;
    };
    std::vector<TFix> fixes;
    std::istringstream lines(text);
    for (std::string line; std::getline(lines, line);) {
        if (line.rfind("B", 0) != 0 || line.size() < 42)
            continue;
        long long seconds = std::stoll(line.substr(1, 2)) * 3600 +
                            std::stoll(line.substr(3, 2)) * 60 + std::stoll(line.substr(5, 2));
        if (!fixes.empty() && seconds < fixes.back().Seconds)
            seconds += 86400;
        fixes.push_back({seconds, std::stoi(line.substr(25, 5)), std::stoi(line.substr(38, 3))});
    }
    ASSERT_EQ(fixes.size(), 69u);

    const TDataBlock written = MakeImportedBlock(source, 0, "/media/card/evening-flight.igc");
    TDataBlock block;
    ASSERT_EQ(ParseDataFile(FormatDataFile(written), block, 0).Status, TReadStatus::Ok);
    EXPECT_EQ(block.ChannelMask, 0xC000);
    EXPECT_EQ(block.DateText, "2024-05-18 23:58:30");
    EXPECT_EQ(block.Sampling, 400);
    EXPECT_EQ(block.ExtraLines, std::vector<std::string>{"StartElevation=510.00"});
    EXPECT_EQ(block.Notes,
              "Imported from evening-flight.igc (IGC)\r\nColumns: altitude Pressure altitude, "
              "servo ENL");
    ASSERT_EQ(block.Time.size(), fixes.size());
    for (size_t i = 0; i < fixes.size(); ++i) {
        SCOPED_TRACE(i);
        EXPECT_DOUBLE_EQ(block.Time[i], static_cast<double>(fixes[i].Seconds - fixes[0].Seconds));
        EXPECT_DOUBLE_EQ(block.Altitude[i], fixes[i].Pressure - fixes[0].Pressure);
        EXPECT_NEAR(block.Rx[i], fixes[i].Enl * 200.0 / 999.0 - 100.0, 0.005 + 1e-9);
    }
    EXPECT_GT(block.Time.back(), 270.0); // past midnight, not a day back
}

const char* const kZeroPressure = "AXXXABC\r\n"
                                  "HFDTE010624\r\n"
                                  "I033638MOP3941ENL4246RPM\r\n"
                                  "B1200004907400N01639200EA0000000450999000 1234\r\n"
                                  "B1200014907400N01639200EA0000000452500999 1234\r\n"
                                  "B1159594907400N01639200EA0000000452500999 1234\r\n"
                                  "B1200034907400N01639200AA-000100455000000 1234\r\n";

TEST(IgcImport, GnssAltitudeStandsInWhenThePressureAltitudeIsZeroThroughout)
{
    const TImportResult source = ParseIgcFile(kZeroPressure, "z.igc", {});
    ASSERT_TRUE(source.Ok()) << source.Error;
    // The last fix has a pressure altitude: so this file keeps it; without that fix, GNSS.
    EXPECT_EQ(source.AltitudeColumn, kIgcPressureAltitude);
    std::string zero(kZeroPressure);
    zero.resize(zero.rfind("B12"));
    const TImportResult gnss = ParseIgcFile(zero, "z.igc", {});
    ASSERT_TRUE(gnss.Ok()) << gnss.Error;
    EXPECT_EQ(gnss.AltitudeColumn, kIgcGnssAltitude);
    EXPECT_EQ(gnss.ServoColumn, "MOP"); // the motor's own sensor before the noise level
    EXPECT_EQ(gnss.SkippedRows, 1);     // the fix a second back in time
    ASSERT_EQ(gnss.Flights.size(), 1u);
    EXPECT_EQ(gnss.Flights[0].Altitude, (std::vector<double>{450, 452}));
    EXPECT_EQ(gnss.Flights[0].Servo, (std::vector<double>{100, 500 * 200.0 / 999.0 - 100.0}));
    EXPECT_EQ(gnss.Flights[0].StartDate, "2024-06-01");
    EXPECT_EQ(gnss.Columns,
              (std::vector<std::string>{kIgcPressureAltitude, kIgcGnssAltitude, "MOP", "ENL"}));

    TColumnChoice choice;
    choice.Altitude = "pressure ALTITUDE";
    choice.Servo = "enl";
    const TImportResult chosen = ParseIgcFile(kZeroPressure, "z.igc", choice);
    ASSERT_TRUE(chosen.Ok()) << chosen.Error;
    EXPECT_EQ(chosen.Flights[0].Altitude, (std::vector<double>{0, 0, -1}));
    EXPECT_EQ(chosen.Flights[0].Servo, (std::vector<double>{-100, 100, -100}));
}

TEST(IgcImport, ChoicesItCannotServeAndFilesWithoutFixesAreRefused)
{
    TColumnChoice voltage;
    voltage.Voltage = "Battery";
    EXPECT_EQ(ParseIgcFile(kZeroPressure, "z.igc", voltage).Error,
              "z.igc: no column \"Battery\" for voltage.");
    TColumnChoice rpm;
    rpm.Servo = "RPM";
    EXPECT_EQ(ParseIgcFile(kZeroPressure, "z.igc", rpm).Error,
              "z.igc: no column \"RPM\" for servo.");
    TColumnChoice nothing;
    nothing.Altitude = "";
    nothing.Servo = "";
    EXPECT_EQ(ParseIgcFile(kZeroPressure, "z.igc", nothing).Error,
              "z.igc: no column for altitude, servo or voltage was found or chosen.");
    EXPECT_EQ(ParseIgcFile("AXXX\r\nHFDTE010624\r\nB12\r\nB99000049N\r\n", "n.igc", {}).Error,
              "n.igc: no B record with a readable time; it is not an IGC file.");
    // Without the ENL bytes in a fix, the fix is skipped, not read as a zero.
    const TImportResult shortFix = ParseIgcFile("I013638ENL\nB1200004907400N01639200EA0010000450999"
                                                "\nB1200014907400N01639200EA00100004509\n",
                                                "s.igc", {});
    ASSERT_TRUE(shortFix.Ok());
    EXPECT_EQ(shortFix.SkippedRows, 1);
    EXPECT_EQ(shortFix.Flights[0].Servo, (std::vector<double>{100}));
    EXPECT_EQ(ImportedStartText(shortFix.Flights[0]), "12:00:00"); // no date record
}

} // namespace
} // namespace zirko
