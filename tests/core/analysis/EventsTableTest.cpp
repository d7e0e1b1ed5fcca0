#include "core/analysis/EventsTable.h"

#include "core/analysis/StatsTable.h"

#include <gtest/gtest.h>

using namespace zirko;

namespace {

TFlightEvents F5jFlight()
{
    TFlightEvents e;
    e.Rules = TRules::F5j;
    e.HasServo = true;
    e.MotorRuns = {{100, 349, 10, 35}, {600, 604, 60, 60.5}};
    e.MotorTime = 25.5;
    e.Launch = 10;
    e.StartHeight = 155.04;
    e.StartHeightTime = 40;
    e.Landing = 581;
    e.FlightTime = 571;
    e.Penalty = 77.52;
    e.Warnings = {{TWarningCode::MotorRestart, 60, "Motor restarted at 60.0 s", 60, 60.5}};
    e.HasPhases = true;
    e.Phases = {{TPhaseKind::Motor, 100, 349, 10, 34.9, 149.4, 6.0},
                {TPhaseKind::Glide, 350, 999, 35, 99.9, -40.25, -0.62},
                {TPhaseKind::Climb, 1000, 1800, 100, 180, 120, 1.5}};
    e.ClimbCount = 1;
    e.ClimbTime = 80;
    e.BestClimbRate = 1.5;
    e.GlideSinkRate = 0.6204;
    return e;
}

} // namespace

TEST(EventsTable, SummaryNamesTheRulesPenaltyAndWhatIsMissing)
{
    EXPECT_EQ(
        EventsSummary(F5jFlight(), ','),
        (std::vector<std::string>{"Motor: 2 runs, 25,5 s", "Start height: 155,0 m at 40,0 s",
                                  "Penalty (F5J): 77,5", "Flight time: 571,0 s",
                                  "Climbs: 1, 80,0 s, best 1,5 m/s", "Glide sink: 0,62 m/s"}));
    TFlightEvents bare;
    EXPECT_EQ(EventsSummary(bare, '.'),
              (std::vector<std::string>{"Motor: no servo channel", "Start height: –",
                                        "Flight time: –", "Climbs: 0", "Glide sink: –"}));
    bare.HasServo = true;
    bare.MotorRuns = {{0, 0, 5, 6}};
    bare.MotorTime = 1;
    bare.Rules = TRules::F5j; // the penalty line stays, without a value
    const auto lines = EventsSummary(bare, '.');
    EXPECT_EQ(lines[0], "Motor: 1 run, 1.0 s");
    EXPECT_EQ(lines[2], "Penalty (F5J): –");
}

TEST(EventsTable, RowsListTheMotorRunsThenThePhasesWithTheirStretches)
{
    const auto rows = EventsRows(F5jFlight(), '.');
    ASSERT_EQ(rows.size(), 5u);
    EXPECT_EQ(rows[0].Cells, (std::vector<std::string>{"Motor run", "10.0 s", "35.0 s", "25.0 s",
                                                       kAbsentCell, kAbsentCell}));
    EXPECT_EQ(rows[1].From, 60);
    EXPECT_EQ(rows[1].To, 60.5);
    EXPECT_EQ(rows[3].Cells, (std::vector<std::string>{"Glide", "35.0 s", "99.9 s", "64.9 s",
                                                       "-40.2 m", "-0.62 m/s"}));
    EXPECT_EQ(rows[4].Cells[0], "Climb");
    EXPECT_EQ(rows[4].From, 100);
    EXPECT_EQ(rows[4].To, 180);
    for (const auto& row : rows)
        EXPECT_EQ(row.Cells.size(), EventsHeaders().size());

    const auto warnings = WarningRows(F5jFlight(), ',');
    ASSERT_EQ(warnings.size(), 1u);
    EXPECT_EQ(warnings[0].Time, "60,0 s");
    EXPECT_EQ(warnings[0].Text, "Motor restarted at 60.0 s"); // the warning's own text
    EXPECT_EQ(warnings[0].To, 60.5);

    TFlightEvents two = F5jFlight();
    two.Warnings.push_back({TWarningCode::LowVoltage, 70, "Voltage below 3.50 V", 70, 80});
    EXPECT_EQ(WarningsHint(two), "Motor restarted at 60.0 s\nVoltage below 3.50 V");
    EXPECT_EQ(WarningsHint(TFlightEvents{}), "");
}
