#include "core/analysis/StatsTable.h"

#include <gtest/gtest.h>

#include <sstream>

using namespace zirko;

namespace {

TFlightStats FullStats()
{
    TFlightStats s;
    s.Samples = 951;
    s.Duration = 95;
    s.StartAltitude = 212.34;
    s.MinAltitude = 211.96;
    s.MaxAltitude = 348.27;
    s.AltitudeGain = 135.91;
    s.LaunchTime = 4.5;
    s.LandingTime = 90.04;
    s.TimeAloft = 85.54;
    s.MaxClimbRate = 1.84;
    s.MaxSinkRate = 3.06;
    s.MinVoltage = 11.716;
    s.MaxVoltage = 12.6;
    s.MeanVoltage = 12.0449;
    return s;
}

std::vector<std::string> Lines(const std::string& text)
{
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);)
        lines.push_back(line);
    return lines;
}

std::vector<std::string> Fields(const std::string& line)
{
    std::vector<std::string> fields(1);
    for (char c : line) {
        if (c == '\t')
            fields.emplace_back();
        else
            fields.back() += c;
    }
    return fields;
}

} // namespace

TEST(StatsTable, CellsCarryUnitsDecimalsAndTheUsersSeparator)
{
    const std::vector<std::string> expected = {
        "951",     "95.0 s",  "212.3 m",   "212.0 m",   "348.3 m",   "135.9 m",
        "4.5 s",   "90.0 s",  "85.5 s",    "1.8 m/s",   "3.1 m/s",   "11.72 V",
        "12.60 V", "12.04 V", kAbsentCell, kAbsentCell, kAbsentCell, kAbsentCell}; // no events
    EXPECT_EQ(StatsCells(FullStats(), '.'), expected);

    const std::vector<std::string> comma = StatsCells(FullStats(), ',');
    EXPECT_EQ(comma[1], "95,0 s");
    EXPECT_EQ(comma[9], "1,8 m/s");
    EXPECT_EQ(comma[11], "11,72 V");
    // One header for the name and one per cell.
    EXPECT_EQ(StatsHeaders().size(), comma.size() + 1);
    EXPECT_EQ(StatsHeaders().front(), "Flight");
    EXPECT_EQ(StatsHeaders()[5], "Max. alt.");
}

TEST(StatsTable, AbsentValuesShowADashAndTheCountAndDurationAlwaysShow)
{
    TFlightStats empty; // a flight without samples
    const std::vector<std::string> cells = StatsCells(empty, ',');
    EXPECT_EQ(cells[0], "0");
    EXPECT_EQ(cells[1], "0,0 s");
    for (size_t c = 2; c < cells.size(); ++c)
        EXPECT_EQ(cells[c], kAbsentCell) << c;

    TFlightStats noVoltage = FullStats();
    noVoltage.MinVoltage.reset();
    noVoltage.MaxVoltage.reset();
    noVoltage.MeanVoltage.reset();
    noVoltage.LandingTime.reset();
    noVoltage.TimeAloft.reset();
    const std::vector<std::string> partial = StatsCells(noVoltage, '.');
    EXPECT_EQ(partial[6], "4.5 s");
    EXPECT_EQ(partial[7], kAbsentCell);
    EXPECT_EQ(partial[8], kAbsentCell);
    EXPECT_EQ(partial[10], "3.1 m/s");
    EXPECT_EQ(partial[13], kAbsentCell);
}

TEST(StatsTable, CopyTextHasAHeaderWithUnitsAndBareNumbersPerFlight)
{
    const TFlightStats full = FullStats();
    TFlightStats bare;
    bare.Samples = 1;
    const std::string text =
        StatsCopyText({{"morning", &full}, {"with\ttab", &bare}, {"gone", nullptr}}, ',');
    ASSERT_FALSE(text.empty());
    EXPECT_EQ(text.back(), '\n');
    const std::vector<std::string> lines = Lines(text);
    ASSERT_EQ(lines.size(), 4u);
    EXPECT_EQ(lines[0], "Flight\tSamples\tDuration (s)\tStart alt. (m)\tMin. alt. (m)\tMax. alt. "
                        "(m)\tGain (m)\tLaunch (s)\tLanding (s)\tAloft (s)\tMax. climb (m/s)\t"
                        "Max. sink (m/s)\tMin. voltage (V)\tMax. voltage (V)\tMean voltage (V)\t"
                        "Motor time (s)\tStart height (m)\tPenalty (pt)\tWarnings");
    EXPECT_EQ(lines[1], "morning\t951\t95,0\t212,3\t212,0\t348,3\t135,9\t4,5\t90,0\t85,5\t1,8\t"
                        "3,1\t11,72\t12,60\t12,04\t\t\t\t");
    // Absent values leave their fields empty; a tab in a name cannot shift the columns.
    const std::vector<std::string> second = Fields(lines[2]);
    ASSERT_EQ(second.size(), StatsHeaders().size());
    EXPECT_EQ(second[0], "with tab");
    EXPECT_EQ(second[1], "1");
    EXPECT_EQ(second[2], "0,0");
    EXPECT_EQ(second[3], "");
    EXPECT_EQ(second.back(), "");
    EXPECT_EQ(Fields(lines[3]).size(), StatsHeaders().size());
    EXPECT_EQ(Fields(lines[3])[0], "gone");

    // Without flights only the header remains.
    EXPECT_EQ(Lines(StatsCopyText({}, '.')).size(), 1u);
}

TEST(StatsTable, EventColumnsShowMotorTimeStartHeightPenaltyAndTheWarningsCodes)
{
    TFlightEvents e;
    e.MotorTime = 27.04;
    e.StartHeight = 183.46;
    e.Penalty = 91.73;
    e.Warnings = {{TWarningCode::MotorRestart, 60, "Motor restarted at 60.0 s", 60, 61},
                  {TWarningCode::LowVoltage, 80, "Voltage below", 80, 90},
                  {TWarningCode::MotorRestart, 120, "Motor restarted at 120.0 s", 120, 121}};
    const TFlightStats stats = FullStats();
    const std::vector<std::string> cells = StatsCells(stats, ',', &e);
    ASSERT_EQ(cells.size(), StatsHeaders().size() - 1);
    const std::vector<std::string> events(cells.end() - 4, cells.end());
    EXPECT_EQ(events, (std::vector<std::string>{"27,0 s", "183,5 m", "91,7 pt",
                                                "3: motor-restart, low-voltage"}));
    EXPECT_EQ(StatsHeaders()[StatsHeaders().size() - 4], "Motor time");

    // Without a servo or under no rules the values are absent; no warning is a count of 0.
    TFlightEvents quiet;
    const std::vector<std::string> none = StatsCells(stats, '.', &quiet);
    EXPECT_EQ(std::vector<std::string>(none.end() - 4, none.end()),
              (std::vector<std::string>{kAbsentCell, kAbsentCell, kAbsentCell, "0"}));

    // The copy holds the bare numbers and the count.
    const std::vector<std::string> lines =
        Lines(StatsCopyText({{"f5j", &stats, &e}, {"quiet", &stats, &quiet}}, '.'));
    ASSERT_EQ(lines.size(), 3u);
    const std::vector<std::string> first = Fields(lines[1]);
    ASSERT_EQ(first.size(), StatsHeaders().size());
    EXPECT_EQ(std::vector<std::string>(first.end() - 4, first.end()),
              (std::vector<std::string>{"27.0", "183.5", "91.7", "3"}));
    const std::vector<std::string> second = Fields(lines[2]);
    EXPECT_EQ(std::vector<std::string>(second.end() - 4, second.end()),
              (std::vector<std::string>{"", "", "", "0"}));
}
