// Telemetry CSV logs read into flights and written as flight files, compared sample by sample.
#include "core/import/TelemetryCsv.h"
#include "core/app/NumberFormat.h"
#include "core/flightdata/ZdfFile.h"
#include "core/import/FlightImport.h"

#include <gtest/gtest.h>

#include <cmath>
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

TDataBlock WrittenAndReadBack(const TImportResult& source, size_t index, const char* name)
{
    const std::string bytes = FormatDataFile(MakeImportedBlock(source, index, name));
    TDataBlock back;
    EXPECT_EQ(ParseDataFile(bytes, back, 0).Status, TReadStatus::Ok);
    return back;
}

// The log read the plain way: every row with 45 fields, a time and all three values, in sessions
// split where rows are more than 60 s apart.
struct TReferenceRow {
    long long Ms;
    double Altitude, Thr, RxBt;
    bool HasAltitude;
};
std::vector<std::vector<TReferenceRow>> ReferenceSessions(const std::string& text)
{
    std::vector<std::vector<TReferenceRow>> sessions;
    std::istringstream lines(text);
    std::string line;
    std::getline(lines, line);
    long long last = -1;
    while (std::getline(lines, line)) {
        std::vector<std::string> cells;
        std::istringstream split(line);
        for (std::string cell; std::getline(split, cell, ',');)
            cells.push_back(cell);
        if (cells.size() < 44)
            continue;
        int day = 0, hh = 0, mm = 0, ss = 0, ms = 0;
        if (std::sscanf(cells[0].c_str(), "2024-05-%d", &day) != 1 ||
            std::sscanf(cells[1].c_str(), "%d:%d:%d.%d", &hh, &mm, &ss, &ms) != 4)
            continue;
        const long long at = (((day * 24LL + hh) * 60 + mm) * 60 + ss) * 1000 + ms;
        if (last < 0 || at - last > 60000)
            sessions.emplace_back();
        last = at;
        TReferenceRow row{at, 0, std::stod(cells[24]), 0, !cells[17].empty()};
        if (row.HasAltitude)
            row.Altitude = std::stod(cells[17]);
        if (cells[12].empty())
            row.RxBt = NAN;
        else
            row.RxBt = std::stod(cells[12]);
        sessions.back().push_back(row);
    }
    return sessions;
}

TEST(TelemetryCsvImport, ARealisticLogGivesEverySessionWithEverySampleConverted)
{
    const std::string text = ReadTestFile("Glider-2024-05-18.csv");
    const TImportResult source =
        ParseImport(text, "logs/Glider-2024-05-18.csv", TImportFormat::Auto, TColumnChoice{});
    ASSERT_TRUE(source.Ok()) << source.Error;
    EXPECT_EQ(source.Format, TImportFormat::Csv);
    EXPECT_EQ(ImportedColumnsText(source), "altitude Alt(m), servo Thr, voltage RxBt(V)");
    // A row without voltage, a row cut short, a row without a readable time, and two rows of the
    // evening flight without altitude.
    EXPECT_EQ(source.SkippedRows, 5);
    EXPECT_EQ(
        ImportSummaryText("logs/Glider-2024-05-18.csv", source.Flights.size(), source.SkippedRows),
        "3 flights imported from Glider-2024-05-18.csv. 5 rows could not be read and were "
        "skipped.");

    const auto sessions = ReferenceSessions(text);
    ASSERT_EQ(source.Flights.size(), sessions.size());
    ASSERT_EQ(sessions.size(), 3u);
    const int32_t masks[] = {0xC800, 0x4800, 0xC800};
    const char* starts[] = {"2024-05-18 10:15:02", "2024-05-18 10:33:40", "2024-05-18 23:59:50"};
    const int32_t samplings[] = {20, 50, 100};
    for (size_t f = 0; f < sessions.size(); ++f) {
        SCOPED_TRACE(f);
        std::vector<TReferenceRow> rows;
        for (const auto& row : sessions[f])
            if (!std::isnan(row.RxBt) && (row.HasAltitude || f == 1))
                rows.push_back(row);
        const TDataBlock block = WrittenAndReadBack(source, f, "logs/Glider-2024-05-18.csv");
        EXPECT_EQ(block.ChannelMask, masks[f]);
        EXPECT_EQ(block.DateText, starts[f]);
        EXPECT_EQ(block.Sampling, samplings[f]);
        ASSERT_EQ(block.Time.size(), rows.size());
        for (size_t i = 0; i < rows.size(); ++i) {
            SCOPED_TRACE(i);
            const long long ms = rows[i].Ms - rows[0].Ms;
            EXPECT_DOUBLE_EQ(block.Time[i], static_cast<double>((ms + 50) / 100) / 10);
            EXPECT_NEAR(block.Rx[i], rows[i].Thr / 10.24, 0.005 + 1e-9);
            EXPECT_NEAR(block.Voltage[i], rows[i].RxBt, 0.005 + 1e-9);
            if (masks[f] & kMaskAltitude) {
                EXPECT_NEAR(block.Altitude[i], rows[i].Altitude - rows[0].Altitude, 0.005 + 1e-9);
            }
        }
        if (masks[f] & kMaskAltitude)
            EXPECT_EQ(block.ExtraLines, std::vector<std::string>{"StartElevation=" +
                                                                 FormatFixed(rows[0].Altitude, 2)});
        else
            EXPECT_TRUE(block.ExtraLines.empty());
        EXPECT_EQ(block.Notes.substr(0, block.Notes.find('\r')),
                  "Imported from Glider-2024-05-18.csv (telemetry CSV)");
        // The session without vario readings names the columns that gave it values.
        EXPECT_NE(block.Notes.find(f == 1 ? "\r\nColumns: servo Thr, voltage RxBt(V)\r\n"
                                          : "\r\nColumns: altitude Alt(m), servo Thr, voltage "
                                            "RxBt(V)\r\n"),
                  std::string::npos);
    }
}

TEST(TelemetryCsvImport, PulseAndFeetColumnsAreConvertedAndAChoiceOverridesTheNames)
{
    const std::string text = "Date,Time,GAlt(m),Alt(ft),CH3(us),CH1(us),VFAS(V),A1(V)\n"
                             "2024-06-01,08:00:00.000,100,1000,1000,1500,12.6,3.3\n"
                             "2024-06-01,08:00:00.100,101,1010.5,2012,1500,12.5,3.3\r\n";
    // Alt(ft) comes before GAlt(m) in no list: GAlt(m) wins; the lowest CHn(us) is CH1.
    TImportResult automatic = ParseTelemetryCsv(text, "a.csv", {});
    ASSERT_TRUE(automatic.Ok()) << automatic.Error;
    EXPECT_EQ(ImportedColumnsText(automatic), "altitude GAlt(m), servo CH1(us), voltage VFAS(V)");
    EXPECT_EQ(automatic.Flights[0].Servo, (std::vector<double>{0, 0}));

    TColumnChoice choice;
    choice.Altitude = "alt(FT)";
    choice.Servo = "CH3(us)";
    choice.Voltage = "";
    const TImportResult chosen = ParseTelemetryCsv(text, "a.csv", choice);
    ASSERT_TRUE(chosen.Ok()) << chosen.Error;
    EXPECT_EQ(ImportedColumnsText(chosen), "altitude Alt(ft), servo CH3(us)");
    const auto& flight = chosen.Flights[0];
    EXPECT_EQ(flight.Millisecond, (std::vector<int64_t>{0, 100}));
    EXPECT_DOUBLE_EQ(flight.Altitude[1], 1010.5 * 0.3048);
    EXPECT_DOUBLE_EQ(flight.Servo[0], -500 / 5.12);
    EXPECT_DOUBLE_EQ(flight.Servo[1], 512 / 5.12);
    EXPECT_TRUE(flight.Voltage.empty());
    EXPECT_EQ(MakeImportedBlock(chosen, 0, "a.csv").ChannelMask, 0xC000);
    EXPECT_EQ(chosen.Columns, (std::vector<std::string>{"GAlt(m)", "Alt(ft)", "CH3(us)", "CH1(us)",
                                                        "VFAS(V)", "A1(V)"}));
}

TEST(TelemetryCsvImport, GapsBackwardTimesAndARepeatedHeaderStartNewFlights)
{
    const std::string text = "Date,Time,Alt(m)\n"
                             "2024-06-01,08:00:00.000,1\n"
                             "2024-06-01,08:01:00.000,2\n" // exactly 60 s: the same flight
                             "2024-06-01,08:02:00.001,3\n" // more than 60 s: a new one
                             "2024-06-01,08:01:59.000,4\n" // back in time: a new one
                             "Date,Time,Alt(m)\n"
                             "2024-06-01,08:02:00.000,5\n";
    const TImportResult source = ParseTelemetryCsv(text, "g.csv", {});
    ASSERT_TRUE(source.Ok()) << source.Error;
    ASSERT_EQ(source.Flights.size(), 4u);
    EXPECT_EQ(source.Flights[0].Altitude, (std::vector<double>{1, 2}));
    EXPECT_EQ(source.Flights[0].DurationMilliseconds(), 60000);
    EXPECT_EQ(source.Flights[1].Altitude, (std::vector<double>{3}));
    EXPECT_EQ(source.Flights[2].Altitude, (std::vector<double>{4}));
    EXPECT_EQ(source.Flights[3].Altitude, (std::vector<double>{5}));
    EXPECT_EQ(source.SkippedRows, 0);
    // A flight of one row has no interval to take the sampling from.
    EXPECT_EQ(MakeImportedBlock(source, 1, "g.csv").Sampling, 0);
}

TEST(TelemetryCsvImport, FilesThatCannotBeReadRightAreRefusedWithTheirReason)
{
    struct Case {
        std::string Text;
        TColumnChoice Choice;
        std::string Message;
    } cases[] = {
        {"", {}, "f.csv: the file is empty."},
        {"Time,Alt(m)\n08:00:00.000,1\n",
         {},
         "f.csv: no \"Date\" and \"Time\" columns in its first line; it is not a telemetry log."},
        {"Date,Time,RSSI(dB)\n2024-06-01,08:00:00.000,1\n",
         {},
         "f.csv: no column for altitude, servo or voltage was found or chosen."},
        {"Date,Time,Alt(m)\n2024-06-01,08:00:00.000,1\n",
         {std::nullopt, std::string("CH9(us)"), std::nullopt},
         "f.csv: no column \"CH9(us)\" for servo."},
        {"Date,Time,Alt(m)\n2024-06-01,8h,1\n2024-13-01,08:00:00.000,2\n",
         {},
         "f.csv: no row with a readable date and time."},
        {"Date,Time,Alt(m)\n2024-06-01,08:00:00.000,\n",
         {},
         "f.csv: no values in the columns "
         "altitude Alt(m)."},
        // A decimal comma in a quoted field, and one that splits every row into more fields.
        {"Date,Time,Alt(m)\n2024-06-01,08:00:00.000,\"12,5\"\n",
         {},
         "f.csv, line 2: \"12,5\" is written with a decimal comma. The file is not imported, as "
         "its numbers would be misread: export it with \".\" as the decimal separator."},
        {"Date,Time,Alt(m)\n2024-06-01,08:00:00,000,12,5\n2024-06-01,08:00:01,000,13,0\n",
         {},
         "f.csv: most rows hold more fields than the first line names, as numbers written with a "
         "decimal comma do. The file is not imported, as its numbers would be misread: export it "
         "with \".\" as the decimal separator."},
    };
    for (const auto& c : cases) {
        const TImportResult result = ParseImport(c.Text, "f.csv", TImportFormat::Csv, c.Choice);
        EXPECT_EQ(result.Error, c.Message) << c.Text;
        EXPECT_TRUE(result.Flights.empty()) << c.Text;
    }
    // The log a spreadsheet saved with semicolons and decimal commas.
    const TImportResult locale =
        ParseImport(ReadTestFile("locale-comma.csv"), "locale-comma.csv", TImportFormat::Auto, {});
    EXPECT_NE(locale.Error.find("locale-comma.csv, line 2: \"09:00:05,000\" is written with a "
                                "decimal comma."),
              std::string::npos);
    EXPECT_TRUE(locale.Flights.empty());
    // With points, the same layout reads.
    const TImportResult points = ParseImport("Date;Time;RxBt(V)\r\n2024-05-18;09:00:05.000;5.9\r\n",
                                             "p.csv", TImportFormat::Auto, {});
    ASSERT_TRUE(points.Ok()) << points.Error;
    EXPECT_EQ(points.Flights[0].Voltage, (std::vector<double>{5.9}));
}

TEST(TelemetryCsvImport, OddCellsAreSkippedRowsNotFailures)
{
    // A byte-order mark, blank lines, a row with one field too many, a value that is no number,
    // "inf" and a minute of 60.
    const std::string text = "\xEF\xBB\xBF"
                             "Date,Time,Alt(m)\n\n"
                             "2024-06-01,08:00:00.000,1\n"
                             "2024-06-01,08:00:00.100,2,9\n"
                             "2024-06-01,08:00:00.200,x\n"
                             "2024-06-01,08:00:00.300,inf\n"
                             "2024-06-01,08:60:00.300,7\n"
                             "2024-06-01,08:00:00.400,+3.5e0,\n";
    const TImportResult source = ParseTelemetryCsv(text, "o.csv", {});
    ASSERT_TRUE(source.Ok()) << source.Error;
    EXPECT_EQ(source.SkippedRows, 4);
    ASSERT_EQ(source.Flights.size(), 1u);
    EXPECT_EQ(source.Flights[0].Altitude, (std::vector<double>{1, 3.5}));
    EXPECT_EQ(source.Flights[0].Millisecond, (std::vector<int64_t>{0, 400}));
}

} // namespace
} // namespace zirko
