#include "core/report/ScoreSheet.h"

#include "core/analysis/StatsTable.h"

#include <gtest/gtest.h>

using namespace zirko;

namespace {

TSheetFlight Flight(std::string name, double flightTime, std::optional<double> motor, double height,
                    std::optional<double> penalty, size_t warnings)
{
    TSheetFlight f;
    f.Name = std::move(name);
    f.Date = "9.12.2026 10:00:00";
    f.Pilot = "Jan";
    f.Model = "Supra";
    f.FlightTime = flightTime;
    f.MotorTime = motor;
    f.StartHeight = height;
    f.Penalty = penalty;
    f.Warnings = warnings;
    return f;
}

} // namespace

TEST(ScoreSheet, CsvHasAHeaderALinePerFlightAndTotalsOfWhatAddsUp)
{
    const std::vector<TSheetFlight> flights{Flight("Let0001", 571.04, 25.5, 155.04, 77.52, 1),
                                            Flight("Let0002", 300, 20.25, 180, 90, 0)};
    EXPECT_EQ(ScoreSheetCsv(flights),
              "Flight,Date,Pilot,Model,Flight time (s),Motor time (s),Start height (m),Penalty,"
              "Warnings\r\n"
              "Let0001,9.12.2026 10:00:00,Jan,Supra,571.0,25.5,155.0,77.5,1\r\n"
              "Let0002,9.12.2026 10:00:00,Jan,Supra,300.0,20.2,180.0,90.0,0\r\n"
              "Total,2 flights,,,871.0,45.8,,167.5,1\r\n");
}

TEST(ScoreSheet, MissingValuesAreEmptyInCsvAndADashOnThePage)
{
    TSheetFlight unread;
    unread.Name = "broken, \"old\"";
    const std::vector<TSheetFlight> flights{Flight("a", 100, std::nullopt, 50, std::nullopt, 2),
                                            unread};
    const std::string csv = ScoreSheetCsv(flights);
    EXPECT_NE(csv.find("a,9.12.2026 10:00:00,Jan,Supra,100.0,,50.0,,2\r\n"), std::string::npos)
        << csv;
    EXPECT_NE(csv.find("\"broken, \"\"old\"\"\",,,,,,,,\r\n"), std::string::npos) << csv;
    // No flight had a motor time or a penalty: no total for them either.
    EXPECT_NE(csv.find("Total,2 flights,,,100.0,,,,2\r\n"), std::string::npos) << csv;

    const TScoreSheet sheet = ScoreSheetTable(flights, ',');
    ASSERT_EQ(sheet.Rows.size(), 2u);
    EXPECT_EQ(sheet.Rows[0][4], "100,0");
    EXPECT_EQ(sheet.Rows[0][5], kAbsentCell);
    EXPECT_EQ(sheet.Rows[1][8], kAbsentCell);
    EXPECT_EQ(sheet.Totals[1], "2 flights");
    EXPECT_EQ(sheet.Totals[8], "2");
    EXPECT_EQ(sheet.Headers.size(), sheet.Totals.size());
}

TEST(ScoreSheet, EmptySheetHasItsHeaderAndZeroFlights)
{
    EXPECT_EQ(ScoreSheetCsv({}),
              "Flight,Date,Pilot,Model,Flight time (s),Motor time (s),Start height (m),Penalty,"
              "Warnings\r\nTotal,0 flights,,,,,,,\r\n");
    EXPECT_EQ(ScoreSheetTable({Flight("a", 1, 1, 1, 1, 0)}, '.').Totals[1], "1 flight");
}

TEST(ScoreSheet, FlightsComeFromTheirEventsOrFromTheLogbooksRow)
{
    TDataBlock flight;
    flight.DateText = "1.5.2026 9:00:00";
    flight.ExtraLines = {"Pilot=Eva", "Model=Pike"};
    for (int i = 0; i <= 200; ++i) {
        const double t = i * 0.5;
        flight.Time.push_back(t);
        flight.Altitude.push_back(t <= 20 ? t * 5 : 100 - (t - 20));
        flight.Rx.push_back(t < 20 ? 50 : -100);
    }
    TEventOptions f5j;
    f5j.Rules = TRules::F5j;
    const TFlightEvents events = AnalyseEvents(flight, f5j);
    const TSheetFlight read = SheetFlightOf("Let", flight, events);
    EXPECT_EQ(read.Pilot, "Eva");
    EXPECT_EQ(read.Model, "Pike");
    EXPECT_EQ(read.Date, "1.5.2026 9:00:00");
    EXPECT_EQ(read.MotorTime, events.MotorTime);
    EXPECT_EQ(read.StartHeight, events.StartHeight);
    EXPECT_EQ(read.Penalty, events.Penalty);
    EXPECT_EQ(read.FlightTime, events.FlightTime);

    TLogbookRow row;
    SetRowPath(row, "2026/Let.zdf");
    FillRow(row, flight, flight.ExtraLines, {}, nullptr, f5j);
    const TSheetFlight listed = SheetFlightOf(row);
    EXPECT_EQ(listed.Name, "Let");
    EXPECT_EQ(listed.Pilot, "Eva");
    EXPECT_EQ(listed.MotorTime, read.MotorTime);
    EXPECT_EQ(listed.StartHeight, read.StartHeight);
    EXPECT_EQ(listed.Penalty, read.Penalty);
    EXPECT_EQ(listed.FlightTime, read.FlightTime);
    EXPECT_EQ(listed.Warnings, read.Warnings);

    TLogbookRow failed;
    SetRowPath(failed, "bad.zdf");
    failed.Error = "Bad file";
    EXPECT_FALSE(SheetFlightOf(failed).Warnings);
    EXPECT_FALSE(SheetFlightOf(failed).FlightTime);
}
