#include "core/report/ReportContent.h"

#include "core/analysis/StatsTable.h"

#include <gtest/gtest.h>

#include <algorithm>

using namespace zirko;

namespace {

// A motor climb to 100 m in 20 s, then a glide back down, with servo and voltage.
TDataBlock MotorFlight()
{
    TDataBlock f;
    f.DateText = "9.12.2026 10:00:00";
    f.ExtraLines = {"Model=Supra", "Site=Ra\xC5\xA1ovka", "Pilot=Jan"};
    for (int i = 0; i <= 1200; ++i) {
        const double t = i * 0.5;
        f.Time.push_back(t);
        f.Altitude.push_back(t <= 20 ? t * 5 : std::max(0.0, 100 - (t - 20) * 0.25));
        f.Rx.push_back(t >= 1 && t < 20 ? 80 : -100);
        f.Voltage.push_back(8.2 - t * 0.001);
    }
    return f;
}

const TReportLine* Line(const std::vector<TReportLine>& lines, const std::string& label)
{
    const auto it = std::find_if(lines.begin(), lines.end(),
                                 [&](const TReportLine& l) { return l.Label == label; });
    return it == lines.end() ? nullptr : &*it;
}

} // namespace

TEST(ReportContent, TitleHoldsTheDateAndDetailsAndMissingOnesReadAsADash)
{
    TDataBlock f = MotorFlight();
    const TReportContent r =
        ReportContentOf("Let0001", f, AnalyseFlight(f), AnalyseEvents(f, {}), '.');
    EXPECT_EQ(r.Name, "Let0001");
    const std::vector<TReportLine> title{{"Date", "9.12.2026 10:00:00"},
                                         {"Model", "Supra"},
                                         {"Site", "Ra\xC5\xA1ovka"},
                                         {"Pilot", "Jan"}};
    EXPECT_EQ(r.Title, title);

    f.ExtraLines.clear();
    f.DateText.clear();
    const TReportContent bare =
        ReportContentOf("x", f, AnalyseFlight(f), AnalyseEvents(f, {}), '.');
    for (const TReportLine& line : bare.Title)
        EXPECT_EQ(line.Value, kAbsentCell) << line.Label;
}

TEST(ReportContent, EventsShowStartHeightMotorTimeAndThePenaltyOnlyUnderF5j)
{
    const TDataBlock f = MotorFlight();
    TEventOptions f5j;
    f5j.Rules = TRules::F5j;
    const TFlightEvents events = AnalyseEvents(f, f5j);
    const TReportContent r = ReportContentOf("a", f, AnalyseFlight(f), events, ',');
    ASSERT_TRUE(events.StartHeight && events.MotorTime && events.Penalty);
    EXPECT_EQ(Line(r.Events, "Start height")->Value, "100,0 m at 20,0 s");
    EXPECT_EQ(Line(r.Events, "Motor time")->Value, "19,0 s in 1 run");
    EXPECT_EQ(Line(r.Events, "Rules")->Value, "F5J");
    EXPECT_EQ(Line(r.Events, "Penalty")->Value, "50,0 pt");

    const TReportContent none =
        ReportContentOf("a", f, AnalyseFlight(f), AnalyseEvents(f, {}), '.');
    EXPECT_EQ(Line(none.Events, "Penalty"), nullptr);
    EXPECT_EQ(Line(none.Events, "Rules")->Value, "None");

    TDataBlock glider = f;
    glider.Rx.clear();
    const TReportContent noServo =
        ReportContentOf("a", glider, AnalyseFlight(glider), AnalyseEvents(glider, {}), '.');
    EXPECT_EQ(Line(noServo.Events, "Motor time")->Value, "no servo channel");
    EXPECT_EQ(Line(noServo.Events, "Start height")->Value, kAbsentCell);
}

TEST(ReportContent, FlightTimeReadsInSecondsAndMinutes)
{
    const TDataBlock f = MotorFlight();
    const TFlightEvents events = AnalyseEvents(f, {});
    ASSERT_TRUE(events.FlightTime);
    const TReportContent r = ReportContentOf("a", f, AnalyseFlight(f), events, '.');
    const std::string value = Line(r.Events, "Flight time")->Value;
    EXPECT_NE(value.find(" s ("), std::string::npos) << value;
    EXPECT_EQ(value.back(), ')');
}

TEST(ReportContent, WarningsAndPhasesAreTheEventsTablesRows)
{
    TDataBlock f = MotorFlight();
    // A second motor run restarts the motor under contest rules.
    for (size_t i = 400; i < 410; ++i)
        f.Rx[i] = 80;
    TEventOptions f5j;
    f5j.Rules = TRules::F5j;
    const TFlightEvents events = AnalyseEvents(f, f5j);
    const TReportContent r = ReportContentOf("a", f, AnalyseFlight(f), events, '.');
    ASSERT_EQ(r.Warnings.size(), events.Warnings.size());
    ASSERT_FALSE(r.Warnings.empty());
    EXPECT_EQ(r.Warnings.front().Label, "200.0 s");
    EXPECT_EQ(r.Warnings.front().Value, "Motor restarted at 200.0 s");
    EXPECT_EQ(r.PhaseHeaders.size(), 6u);
    EXPECT_EQ(r.PhaseRows.size(), events.MotorRuns.size() + events.Phases.size());
    for (const auto& row : r.PhaseRows)
        EXPECT_EQ(row.size(), r.PhaseHeaders.size());
    EXPECT_EQ(r.PhaseRows.front().front(), "Motor run");
}

TEST(ReportContent, StatsWithoutVoltageOrAltitudeReadAsADash)
{
    TDataBlock f;
    f.Time = {0, 1, 2};
    f.Rx = {0, 0, 0};
    const TReportContent r = ReportContentOf("a", f, AnalyseFlight(f), AnalyseEvents(f, {}), '.');
    EXPECT_EQ(Line(r.Stats, "Voltage")->Value, kAbsentCell);
    EXPECT_EQ(Line(r.Stats, "Max. altitude")->Value, kAbsentCell);
    EXPECT_EQ(Line(r.Stats, "Samples")->Value, "3");
    EXPECT_TRUE(r.PhaseRows.empty());
}
