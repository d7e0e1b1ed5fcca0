#include "core/analysis/FlightEvents.h"

#include "core/analysis/FlightAnalysis.h"

#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <numbers>

using namespace zirko;

namespace {

using TCurve = std::function<double(double)>;

// A flight sampled `perSecond` times a second for `seconds`, with the channels whose curves are
// given. `oneDecimal` writes every time with one decimal, as a 20 ms flight file does, so that
// several samples share a time.
TDataBlock Sampled(int perSecond, double seconds, const TCurve& altitude, const TCurve& rx = {},
                   const TCurve& voltage = {}, bool oneDecimal = false)
{
    TDataBlock f;
    const auto n = static_cast<size_t>(std::lround(seconds * perSecond)) + 1;
    for (size_t i = 0; i < n; ++i) {
        const double t = static_cast<double>(i) / perSecond;
        f.Time.push_back(oneDecimal ? std::round(t * 10) / 10 : t);
        if (altitude)
            f.Altitude.push_back(altitude(t));
        if (rx)
            f.Rx.push_back(rx(t));
        if (voltage)
            f.Voltage.push_back(voltage(t));
    }
    return f;
}

constexpr double kGround = 100;

// An electric glider: on the ground until 10 s, the motor climbs 6 m/s until 35 s, the zoom after
// the cut peaks at 255 m at 40 s, then glides at 0.6 m/s with two thermals (100–180 s at 1.5 m/s
// and 260–320 s at 1.2 m/s, both circled: the height swings with each 20 s circle) and a steeper
// approach from 320 s down to the ground.
double Glider(double t)
{
    const auto circles = [](double u, double amplitude) {
        return amplitude * std::sin(2 * std::numbers::pi * u / 20);
    };
    if (t < 10)
        return kGround;
    if (t < 35)
        return kGround + 6 * (t - 10);
    if (t < 40)
        return 250 + 2 * (t - 35) - 0.2 * (t - 35) * (t - 35);
    if (t < 100)
        return 255 - 0.6 * (t - 40);
    if (t < 180)
        return 219 + 1.5 * (t - 100) + circles(t - 100, 6);
    if (t < 260)
        return 339 - 0.6 * (t - 180);
    if (t < 320)
        return 291 + 1.2 * (t - 260) + circles(t - 260, 4);
    return std::max(kGround, 363 - 1.0 * (t - 320));
}

double Throttle(double t)
{
    return t >= 10 && t < 35 ? 100 : -100;
}

// The battery sags from 4.5 V by 0.021 V a second while the motor runs.
double Battery(double t)
{
    return t >= 10 && t < 35 ? 4.5 - 0.021 * (t - 10) : 4.95;
}

constexpr double kGliderSeconds = 620;

TDataBlock GliderFlight(int perSecond = 10, bool oneDecimal = false)
{
    return Sampled(perSecond, kGliderSeconds, Glider, Throttle, Battery, oneDecimal);
}

TEventOptions Rules(TRules rules)
{
    TEventOptions o;
    o.Rules = rules;
    return o;
}

std::vector<TWarningCode> Codes(const TFlightEvents& e)
{
    std::vector<TWarningCode> codes;
    for (const auto& w : e.Warnings)
        codes.push_back(w.Code);
    return codes;
}

std::vector<TPhaseKind> Kinds(const TFlightEvents& e)
{
    std::vector<TPhaseKind> kinds;
    for (const auto& p : e.Phases)
        kinds.push_back(p.Kind);
    return kinds;
}

} // namespace

TEST(FlightEvents, ElectricGliderMotorRunStartHeightLaunchAndLanding)
{
    const TDataBlock f = GliderFlight();
    const TFlightEvents e = AnalyseEvents(f, {});
    EXPECT_EQ(e.Rules, TRules::None);
    ASSERT_TRUE(e.HasServo);
    ASSERT_EQ(e.MotorRuns.size(), 1u);
    EXPECT_EQ(e.MotorRuns[0].First, 100u);
    EXPECT_EQ(e.MotorRuns[0].Last, 349u);
    EXPECT_EQ(e.MotorRuns[0].Start, 10);
    EXPECT_EQ(e.MotorRuns[0].Stop, 35); // the first sample after the run
    EXPECT_EQ(e.MotorTime, 25);
    EXPECT_EQ(e.Launch, 10);
    // The zoom after the cut counts: 255 m at 40 s.
    ASSERT_TRUE(e.StartHeight);
    EXPECT_NEAR(*e.StartHeight, 155, 1e-9);
    EXPECT_EQ(e.StartHeightTime, 40);
    const TFlightStats stats = AnalyseFlight(f);
    EXPECT_EQ(e.Landing, stats.LandingTime);
    ASSERT_TRUE(e.Landing);
    EXPECT_NEAR(*e.Landing, 581, 0.05);
    EXPECT_EQ(e.FlightTime, *e.Landing - 10);
    EXPECT_FALSE(e.Penalty); // no rules
    EXPECT_TRUE(e.Warnings.empty());

    EXPECT_TRUE(MotorRunsAt(e, 100));
    EXPECT_TRUE(MotorRunsAt(e, 349));
    EXPECT_FALSE(MotorRunsAt(e, 99));
    EXPECT_FALSE(MotorRunsAt(e, 350));

    // A threshold above full throttle finds no run: the launch is the stats' one.
    TEventOptions high;
    high.MotorThreshold = 100;
    const TFlightEvents none = AnalyseEvents(f, high);
    EXPECT_TRUE(none.HasServo);
    EXPECT_TRUE(none.MotorRuns.empty());
    EXPECT_EQ(none.MotorTime, 0);
    EXPECT_EQ(none.Launch, stats.LaunchTime);
    EXPECT_FALSE(none.StartHeight || none.StartHeightTime);
    EXPECT_FALSE(MotorRunsAt(none, 200));
}

TEST(FlightEvents, StartHeightWindowEndsTenSecondsAfterTheMotorStops)
{
    // The motor runs 10–20 s; a peak exactly at 30 s is in the window, one 0.1 s later is not.
    for (const double peak : {30.0, 30.1}) {
        const TDataBlock f = Sampled(
            10, 60, [peak](double t) { return std::fabs(t - peak) < 0.01 ? 180 : 50 + t; },
            [](double t) { return t >= 10 && t < 20 ? 80 : 0; });
        const TFlightEvents e = AnalyseEvents(f, Rules(TRules::F5j));
        ASSERT_TRUE(e.StartHeight);
        if (peak == 30.0) {
            EXPECT_EQ(*e.StartHeight, 130);
            EXPECT_EQ(e.StartHeightTime, 30);
        } else {
            EXPECT_NEAR(*e.StartHeight, 30, 1e-9); // 80 m at 30 s, the window's last sample
            EXPECT_EQ(e.StartHeightTime, 30);
        }
    }
    // Several samples at the highest point: the first one's time.
    const TDataBlock flat = Sampled(
        10, 30, [](double t) { return std::min(t, 15.0); }, [](double) { return 1; });
    EXPECT_EQ(AnalyseEvents(flat, {}).StartHeightTime, 15);
}

TEST(FlightEvents, PenaltyCostsHalfAPointAMetreUpTo200mAndThreeAbove)
{
    EXPECT_EQ(StartHeightPenalty(0), 0);
    EXPECT_EQ(StartHeightPenalty(-12), 0); // below the start costs nothing
    EXPECT_EQ(StartHeightPenalty(150), 75);
    EXPECT_EQ(StartHeightPenalty(200), 100);
    EXPECT_EQ(StartHeightPenalty(201), 103);
    EXPECT_EQ(StartHeightPenalty(250), 250);

    // Climbing 9 or 11.5 m/s for 20 s, then level: under and over 200 m.
    for (const auto& [rate, height, penalty] :
         {std::tuple{9.0, 180.0, 90.0}, std::tuple{11.5, 230.0, 190.0}}) {
        const TDataBlock f = Sampled(
            10, 60, [rate](double t) { return 20 + rate * std::clamp(t - 5, 0.0, 20.0); },
            [](double t) { return t >= 5 && t < 25 ? 100 : -100; });
        const TFlightEvents f5j = AnalyseEvents(f, Rules(TRules::F5j));
        ASSERT_TRUE(f5j.StartHeight && f5j.Penalty);
        EXPECT_NEAR(*f5j.StartHeight, height, 1e-9);
        EXPECT_NEAR(*f5j.Penalty, penalty, 1e-9);
        EXPECT_EQ(f5j.Rules, TRules::F5j);
        // Only the f5j rules cost points.
        EXPECT_FALSE(AnalyseEvents(f, Rules(TRules::Ales)).Penalty);
        EXPECT_FALSE(AnalyseEvents(f, Rules(TRules::None)).Penalty);
    }
}

TEST(FlightEvents, AlesHeightWarnsWhenTheMotorClimbsOverTheLimit)
{
    // 10 m/s from 5 s to 28 s: 230 m at the cut; the zoom adds 15 m after it.
    const TDataBlock f = Sampled(
        10, 80,
        [](double t) {
            return 40 + 10 * std::clamp(t - 5, 0.0, 23.0) +
                   (t > 28 ? std::min(t - 28, 1.5) * 10 : 0);
        },
        [](double t) { return t >= 5 && t < 28 ? 100 : -100; });
    TEventOptions o = Rules(TRules::Ales);
    TFlightEvents e = AnalyseEvents(f, o);
    ASSERT_EQ(Codes(e), std::vector{TWarningCode::AlesHeight});
    const TFlightWarning& w = e.Warnings[0];
    EXPECT_NEAR(w.Time, 25.1, 1e-9); // the first sample over 200 m
    // The highest sample of the run is the one at its stop, 28 s.
    EXPECT_EQ(w.Text, "Altitude 230.0 m before motor cut (limit 200 m)");
    EXPECT_EQ(w.From, 5);
    EXPECT_EQ(w.To, 28);
    EXPECT_STREQ(WarningCodeName(w.Code), "ales-height");

    o.AlesHeight = 229.5;
    e = AnalyseEvents(f, o);
    ASSERT_EQ(e.Warnings.size(), 1u);
    EXPECT_EQ(e.Warnings[0].Text, "Altitude 230.0 m before motor cut (limit 229.5 m)");
    EXPECT_EQ(e.Warnings[0].Time, 28);

    // At or under the limit during the run (the zoom above it does not count), and under other
    // rules, nothing.
    o.AlesHeight = 230;
    EXPECT_TRUE(AnalyseEvents(f, o).Warnings.empty());
    o.AlesHeight = 240;
    EXPECT_TRUE(AnalyseEvents(f, o).Warnings.empty());
    EXPECT_TRUE(AnalyseEvents(f, Rules(TRules::F5j)).Warnings.empty());
    EXPECT_TRUE(AnalyseEvents(f, Rules(TRules::None)).Warnings.empty());
}

TEST(FlightEvents, RestartAndRunOver30sWarnUnderContestRulesOnly)
{
    // Runs 12.3–47.3 s (35 s) and 200–205 s and 300–300.1 s.
    const TDataBlock f = Sampled(
        10, 400, [](double t) { return 10 + t; },
        [](double t) {
            return (t >= 12.25 && t < 47.25) || (t >= 199.95 && t < 204.95) ||
                           (t > 299.95 && t < 300.05)
                       ? 90
                       : -90;
        });
    for (TRules rules : {TRules::F5j, TRules::Ales}) {
        const TFlightEvents e = AnalyseEvents(f, Rules(rules));
        ASSERT_EQ(e.MotorRuns.size(), 3u);
        ASSERT_EQ(Codes(e), (std::vector{TWarningCode::MotorOver30s, TWarningCode::MotorRestart,
                                         TWarningCode::MotorRestart}));
        EXPECT_NEAR(e.Warnings[0].Time, 42.3, 1e-9);
        EXPECT_EQ(e.Warnings[0].Text, "Motor ran 35.0 s (over 30 s)");
        EXPECT_NEAR(e.Warnings[0].From, 12.3, 1e-9);
        EXPECT_NEAR(e.Warnings[0].To, 47.3, 1e-9);
        EXPECT_EQ(e.Warnings[1].Time, 200);
        EXPECT_EQ(e.Warnings[1].Text, "Motor restarted at 200.0 s");
        EXPECT_EQ(e.Warnings[2].Text, "Motor restarted at 300.0 s");
        EXPECT_STREQ(WarningCodeName(TWarningCode::MotorOver30s), "motor-over-30s");
        EXPECT_STREQ(WarningCodeName(TWarningCode::MotorRestart), "motor-restart");
        EXPECT_NEAR(*e.MotorTime, 35 + 5 + 0.1, 1e-9);
    }
    EXPECT_TRUE(AnalyseEvents(f, {}).Warnings.empty());

    // 30 s between times written as 12.3 and 42.3 is not over 30 s, whatever their last bits;
    // 30.1 s is.
    for (const double stop : {42.25, 42.35}) {
        const TDataBlock g = Sampled(
            10, 60, [](double t) { return t; },
            [stop](double t) { return t >= 12.25 && t < stop ? 90 : -90; });
        const TFlightEvents e = AnalyseEvents(g, Rules(TRules::F5j));
        ASSERT_EQ(e.MotorRuns.size(), 1u);
        if (stop < 42.3) {
            EXPECT_TRUE(e.Warnings.empty()) << e.Warnings[0].Text;
        } else {
            ASSERT_EQ(e.Warnings.size(), 1u);
            EXPECT_EQ(e.Warnings[0].Text, "Motor ran 30.1 s (over 30 s)");
        }
    }
}

TEST(FlightEvents, RunsToTheLastSampleAndOfOneSample)
{
    // One sample at 2 s, then the motor from 5 s to the end.
    const TDataBlock f = Sampled(
        10, 8, [](double t) { return t; },
        [](double t) { return std::fabs(t - 2) < 0.01 || t > 4.95 ? 10 : 0; });
    const TFlightEvents e = AnalyseEvents(f, {});
    ASSERT_EQ(e.MotorRuns.size(), 2u);
    EXPECT_EQ(e.MotorRuns[0].First, 20u);
    EXPECT_EQ(e.MotorRuns[0].Last, 20u);
    EXPECT_EQ(e.MotorRuns[0].Start, 2);
    EXPECT_NEAR(e.MotorRuns[0].Duration(), 0.1, 1e-12); // to the next sample
    EXPECT_EQ(e.MotorRuns[1].Last, 80u);
    EXPECT_EQ(e.MotorRuns[1].Stop, 8); // the last sample's own time
    EXPECT_NEAR(e.MotorRuns[1].Duration(), 3, 1e-12);

    // A run of the last sample alone lasts no time; a flight of one sample too.
    const TDataBlock last = Sampled(
        10, 1, [](double t) { return t; }, [](double t) { return t > 0.95 ? 10 : 0; });
    const TFlightEvents l = AnalyseEvents(last, {});
    ASSERT_EQ(l.MotorRuns.size(), 1u);
    EXPECT_EQ(l.MotorRuns[0].Start, 1);
    EXPECT_EQ(l.MotorRuns[0].Duration(), 0);
    EXPECT_EQ(l.MotorTime, 0);
    const TFlightEvents one =
        AnalyseEvents(Sampled(
                          10, 0, [](double) { return 5; }, [](double) { return 50; }),
                      {});
    ASSERT_EQ(one.MotorRuns.size(), 1u);
    EXPECT_EQ(one.MotorRuns[0].Duration(), 0);
    EXPECT_EQ(one.StartHeight, 0);
    EXPECT_EQ(one.Launch, 0);
    EXPECT_FALSE(one.Landing);
    EXPECT_TRUE(one.HasPhases);
    EXPECT_TRUE(one.Phases.empty());

    // The threshold is strict, as the marker flags.
    TEventOptions at50;
    at50.MotorThreshold = 50;
    EXPECT_TRUE(
        AnalyseEvents(Sampled(10, 1, {}, [](double) { return 50; }), at50).MotorRuns.empty());
}

TEST(FlightEvents, ServoSignalLossIsOneWarningOverAllItsStretches)
{
    const TDataBlock f = Sampled(
        10, 60, [](double t) { return t; },
        [](double t) {
            if (t >= 20 && t < 22)
                return -300.0;
            if (t > 39.95 && t < 40.45)
                return 302.0;
            return t < 10 ? 150.0 : -150.0; // at the limits the signal is there
        });
    const TFlightEvents e = AnalyseEvents(f, {}); // under any rules
    ASSERT_EQ(Codes(e), std::vector{TWarningCode::ServoSignal});
    EXPECT_EQ(e.Warnings[0].Time, 20);
    EXPECT_EQ(e.Warnings[0].Text, "No servo signal for 2.5 s in 2 stretch(es)");
    EXPECT_EQ(e.Warnings[0].From, 20);
    EXPECT_NEAR(e.Warnings[0].To, 40.5, 1e-9);
    // The lost pulse at +302 % is over the threshold: a motor run as far as the servo tells.
    EXPECT_EQ(e.MotorRuns.size(), 2u);

    const TDataBlock good = Sampled(
        10, 60, [](double t) { return t; }, [](double t) { return t < 30 ? -150.0 : 150.0; });
    EXPECT_TRUE(AnalyseEvents(good, {}).Warnings.empty());
}

TEST(FlightEvents, LowVoltageIsCheckedOnlyWithALimit)
{
    const TDataBlock f = GliderFlight();
    TEventOptions o;
    o.LowVoltage = 4.41;
    const TFlightEvents e = AnalyseEvents(f, o);
    ASSERT_EQ(Codes(e), std::vector{TWarningCode::LowVoltage});
    EXPECT_NEAR(e.Warnings[0].Time, 14.3, 1e-9);
    EXPECT_EQ(e.Warnings[0].Text, "Voltage below 4.41 V for 20.7 s, lowest 3.98 V");
    EXPECT_EQ(e.Warnings[0].To, 35);

    EXPECT_TRUE(AnalyseEvents(f, {}).Warnings.empty()); // 0: no check
    o.LowVoltage = 3.97;
    EXPECT_TRUE(AnalyseEvents(f, o).Warnings.empty()); // the lowest is 3.9771 V
    TDataBlock noVoltage = f;
    noVoltage.Voltage.clear();
    o.LowVoltage = 6;
    EXPECT_TRUE(AnalyseEvents(noVoltage, o).Warnings.empty());
}

TEST(FlightEvents, AltitudeJumpsFasterThan80MetresASecond)
{
    // One sample 20 m high: up and down again, two jumps.
    const TDataBlock f =
        Sampled(10, 30, [](double t) { return std::fabs(t - 12) < 0.01 ? 70 : 50; });
    const TFlightEvents e = AnalyseEvents(f, {});
    ASSERT_EQ(Codes(e), std::vector{TWarningCode::AltitudeJump});
    EXPECT_EQ(e.Warnings[0].Time, 12);
    EXPECT_EQ(e.Warnings[0].Text, "Altitude jumps 20.0 m in 0.1 s (2 times)");
    EXPECT_NEAR(e.Warnings[0].From, 11.9, 1e-9);

    // 79 m/s is not too fast; repeated times are no pair.
    EXPECT_TRUE(
        AnalyseEvents(Sampled(10, 3, [](double t) { return 79 * t; }), {}).Warnings.empty());
    EXPECT_TRUE(AnalyseEvents(GliderFlight(50, true), {}).Warnings.empty());
    TDataBlock still;
    still.Time = {1, 1, 1};
    still.Altitude = {0, 500, 0};
    EXPECT_TRUE(AnalyseEvents(still, {}).Warnings.empty());
}

TEST(FlightEvents, WarningsAreInTimeOrderAndEqualTimesInTheOrderOfTheList)
{
    // Under ales: the motor runs 12.3–47.3 s (35 s, over 200 m from 32.4 s on) and restarts at
    // 60 s, where the altitude jumps; the voltage drops below its limit at 42.3 s, when the first
    // run passes 30 s; the servo loses its pulse at 50 s.
    const TDataBlock f = Sampled(
        10, 100,
        [](double t) { return 10 * std::clamp(t - 12.3, 0.0, 35.0) + (t > 59.95 ? 50 : 0); },
        [](double t) {
            if (t > 49.95 && t < 50.05)
                return -300.0;
            return (t > 12.25 && t < 47.25) || (t > 59.95 && t < 61) ? 100.0 : 0.0;
        },
        [](double t) { return t > 42.25 ? 3.0 : 4.0; });
    TEventOptions o = Rules(TRules::Ales);
    o.LowVoltage = 3.5;
    const TFlightEvents e = AnalyseEvents(f, o);
    ASSERT_EQ(Codes(e), (std::vector{TWarningCode::AlesHeight, TWarningCode::MotorOver30s,
                                     TWarningCode::LowVoltage, TWarningCode::ServoSignal,
                                     TWarningCode::MotorRestart, TWarningCode::AltitudeJump}));
    EXPECT_NEAR(e.Warnings[0].Time, 32.4, 1e-9);
    EXPECT_NEAR(e.Warnings[1].Time, 42.3, 1e-9); // 12.3 + 30, maybe not to its last bit
    EXPECT_EQ(e.Warnings[2].Time, 42.3);
    EXPECT_EQ(e.Warnings[3].Time, 50);
    EXPECT_EQ(e.Warnings[4].Time, 60);
    EXPECT_EQ(e.Warnings[5].Time, 60);
}

TEST(FlightEvents, MissingChannelsLeaveTheirEventsOut)
{
    // Without the servo: no runs, the launch from the altitude.
    TDataBlock f = GliderFlight();
    f.Rx.clear();
    TFlightEvents e = AnalyseEvents(f, Rules(TRules::F5j));
    EXPECT_FALSE(e.HasServo);
    EXPECT_TRUE(e.MotorRuns.empty());
    EXPECT_FALSE(e.MotorTime || e.StartHeight || e.StartHeightTime || e.Penalty);
    EXPECT_EQ(e.Launch, AnalyseFlight(f).LaunchTime);
    ASSERT_TRUE(e.FlightTime);
    EXPECT_TRUE(e.HasPhases);
    ASSERT_FALSE(e.Phases.empty());
    EXPECT_NE(e.Phases.front().Kind, TPhaseKind::Motor);

    // Without the altitude: motor runs, but no height, landing or phases.
    f = GliderFlight();
    f.Altitude.clear();
    e = AnalyseEvents(f, Rules(TRules::Ales));
    EXPECT_EQ(e.MotorRuns.size(), 1u);
    EXPECT_EQ(e.Launch, 10);
    EXPECT_FALSE(e.StartHeight || e.Landing || e.FlightTime || e.Penalty);
    EXPECT_FALSE(e.HasPhases);
    EXPECT_EQ(e.ClimbCount, 0u);
    EXPECT_EQ(e.ClimbTime, 0);
    EXPECT_FALSE(e.BestClimbRate || e.GlideSinkRate);
    EXPECT_TRUE(e.Warnings.empty());

    // A channel shorter than the time column counts as missing; an empty flight has nothing.
    f = GliderFlight();
    f.Rx.resize(10);
    EXPECT_FALSE(AnalyseEvents(f, {}).HasServo);
    e = AnalyseEvents(TDataBlock{}, Rules(TRules::F5j));
    EXPECT_FALSE(e.HasServo || e.HasPhases || e.Launch || e.Landing);
    EXPECT_TRUE(e.Warnings.empty());
}

TEST(FlightEvents, PhasesOfTwoCircledThermals)
{
    const TDataBlock f = GliderFlight();
    // The circles are real: the one-second climb rate sinks inside the first thermal.
    const std::vector<double> climb = ClimbRate(f);
    EXPECT_LT(*std::min_element(climb.begin() + 1100, climb.begin() + 1700), 0);

    const TFlightEvents e = AnalyseEvents(f, {});
    ASSERT_TRUE(e.HasPhases);
    // The zoom after the cut climbs, but for less than 20 s: it is part of the first glide.
    ASSERT_EQ(Kinds(e), (std::vector{TPhaseKind::Motor, TPhaseKind::Glide, TPhaseKind::Climb,
                                     TPhaseKind::Glide, TPhaseKind::Climb, TPhaseKind::Glide}));
    EXPECT_EQ(e.Phases.front().Start, 10);
    EXPECT_EQ(e.Phases.front().Stop, 34.9);
    EXPECT_NEAR(e.Phases.front().Gain, 6 * 24.9, 1e-9);
    EXPECT_NEAR(e.Phases.front().Rate, 6, 1e-9);
    EXPECT_EQ(e.Phases.back().Stop, e.Landing);
    for (size_t i = 1; i < e.Phases.size(); ++i)
        EXPECT_EQ(e.Phases[i].First, e.Phases[i - 1].Last + 1) << "phase " << i;

    const TFlightPhase& first = e.Phases[2];
    EXPECT_NEAR(first.Start, 100, 6);
    EXPECT_NEAR(first.Stop, 180, 6);
    EXPECT_NEAR(first.Rate, 1.5, 0.2);
    const TFlightPhase& second = e.Phases[4];
    EXPECT_NEAR(second.Start, 260, 6);
    EXPECT_NEAR(second.Stop, 320, 6);
    EXPECT_NEAR(second.Rate, 1.2, 0.2);
    EXPECT_EQ(second.Gain, f.Altitude[second.Last] - f.Altitude[second.First]);

    EXPECT_EQ(e.ClimbCount, 2u);
    EXPECT_NEAR(e.ClimbTime, (first.Stop - first.Start) + (second.Stop - second.Start), 1e-9);
    EXPECT_EQ(e.BestClimbRate, std::max(first.Rate, second.Rate));
    const double drop = -(e.Phases[1].Gain + e.Phases[3].Gain + e.Phases[5].Gain);
    const double glide = (e.Phases[1].Stop - e.Phases[1].Start) +
                         (e.Phases[3].Stop - e.Phases[3].Start) +
                         (e.Phases[5].Stop - e.Phases[5].Start);
    ASSERT_TRUE(e.GlideSinkRate);
    EXPECT_NEAR(*e.GlideSinkRate, drop / glide, 1e-12);
    EXPECT_GT(*e.GlideSinkRate, 0.5);
    EXPECT_STREQ(PhaseKindName(TPhaseKind::Climb), "climb");
}

TEST(FlightEvents, SamplingOf20msWithRepeatedTimesAnd250msFindsTheSameFlight)
{
    const TFlightEvents tenth = AnalyseEvents(GliderFlight(10), Rules(TRules::F5j));
    for (const int perSecond : {50, 4}) {
        const TDataBlock f = GliderFlight(perSecond, perSecond == 50);
        const TFlightEvents e = AnalyseEvents(f, Rules(TRules::F5j));
        ASSERT_EQ(e.MotorRuns.size(), 1u) << perSecond;
        EXPECT_EQ(e.MotorRuns[0].Start, 10);
        EXPECT_EQ(e.MotorRuns[0].Stop, 35);
        EXPECT_NEAR(*e.StartHeight, 155, 1e-9);
        EXPECT_EQ(e.StartHeightTime, 40);
        EXPECT_NEAR(*e.Penalty, 77.5, 1e-9);
        EXPECT_TRUE(e.Warnings.empty());
        std::vector<TFlightPhase> phases = e.Phases;
        if (perSecond == 50) {
            // The samples before the motor's first that share its time lie within [launch,
            // landing] too: a glide of no time.
            ASSERT_FALSE(phases.empty());
            EXPECT_EQ(phases[0].Kind, TPhaseKind::Glide);
            EXPECT_EQ(phases[0].Start, 10);
            EXPECT_EQ(phases[0].Stop, 10);
            EXPECT_EQ(phases[0].Rate, 0);
            phases.erase(phases.begin());
        }
        ASSERT_EQ(phases.size(), tenth.Phases.size()) << perSecond;
        for (size_t i = 0; i < phases.size(); ++i) {
            EXPECT_EQ(phases[i].Kind, tenth.Phases[i].Kind) << perSecond << " " << i;
            EXPECT_NEAR(phases[i].Start, tenth.Phases[i].Start, 1.5) << perSecond << " " << i;
            EXPECT_NEAR(phases[i].Rate, tenth.Phases[i].Rate, 0.1) << perSecond << " " << i;
        }
    }
    // With times written to 0.1 s, the samples that share the motor start's time count for the
    // start height: the motor starts at the last of five samples at 10.0 s, and the third of them
    // stands highest (which is no altitude jump: no time passes beside it).
    TDataBlock f = GliderFlight(50, true);
    for (size_t i = 0; i < f.Time.size(); ++i)
        f.Rx[i] = i >= 502 && i < 1750 ? 100 : -100;
    f.Altitude[500] = 1000;
    const TFlightEvents e = AnalyseEvents(f, {});
    EXPECT_EQ(e.MotorRuns[0].Start, 10);
    EXPECT_EQ(e.StartHeight, 900);
    EXPECT_EQ(e.StartHeightTime, 10);
}

namespace {

// The climb segments a 20 s slope finds, before any are turned into glide: (first, last).
std::vector<std::pair<size_t, size_t>> RawClimbs(const TDataBlock& f)
{
    std::vector<double> slope;
    ComputeSlope(f.Time, f.Altitude, SlopeHalfWindow(f.Time, kPhaseHalfSeconds), slope);
    std::vector<std::pair<size_t, size_t>> climbs;
    for (size_t i = 0; i < slope.size(); ++i) {
        if (slope[i] < kClimbRate)
            continue;
        const size_t first = i;
        while (i + 1 < slope.size() && slope[i + 1] >= kClimbRate)
            ++i;
        climbs.emplace_back(first, i);
    }
    return climbs;
}

} // namespace

TEST(FlightEvents, ShortOrShallowClimbsBecomeGlideAndJoinTheirNeighbours)
{
    // The motor lifts the model 100 m by 20 s; then the model sinks at 0.3 m/s but for a burst of
    // 0.8 m/s lift from 100 s to 120 s; or it flies level, climbs 0.21 m/s from 100 s to 138 s and
    // comes down at 1 m/s from 160 s.
    const auto motor = [](double t) { return t < 20 ? 100.0 : -100.0; };
    const auto burst = [](double t) {
        return t < 20 ? 5 * t : 100 - 0.3 * (t - 20) + 0.8 * std::clamp(t - 100, 0.0, 20.0);
    };
    const auto gentle = [](double t) {
        return t < 20 ? 5 * t
                      : 100 + 0.21 * std::clamp(t - 100, 0.0, 38.0) - std::max(t - 160, 0.0);
    };
    const TDataBlock shortClimb = Sampled(10, 200, burst, motor);
    const TDataBlock shallowClimb = Sampled(10, 200, gentle, motor);

    // What the 20 s slope alone finds after the motor's own climb: one climb of under 20 s
    // gaining more than 5 m, and one of over 20 s gaining less.
    const auto a = RawClimbs(shortClimb);
    ASSERT_EQ(a.size(), 2u);
    EXPECT_LT(shortClimb.Time[a[1].second] - shortClimb.Time[a[1].first], 20);
    EXPECT_GE(shortClimb.Altitude[a[1].second] - shortClimb.Altitude[a[1].first], 5);
    const auto b = RawClimbs(shallowClimb);
    ASSERT_EQ(b.size(), 2u);
    EXPECT_GE(shallowClimb.Time[b[1].second] - shallowClimb.Time[b[1].first], 20);
    EXPECT_LT(shallowClimb.Altitude[b[1].second] - shallowClimb.Altitude[b[1].first], 5);

    for (const TDataBlock* f : {&shortClimb, &shallowClimb}) {
        const TFlightEvents e = AnalyseEvents(*f, {});
        ASSERT_EQ(Kinds(e), (std::vector{TPhaseKind::Motor, TPhaseKind::Glide}));
        EXPECT_EQ(e.ClimbCount, 0u);
        EXPECT_EQ(e.ClimbTime, 0);
        EXPECT_FALSE(e.BestClimbRate);
        EXPECT_EQ(e.Phases[1].First, e.Phases[0].Last + 1);
        EXPECT_EQ(e.Phases[1].Stop, e.Landing);
    }
}

TEST(FlightEvents, NoPhasesWithoutALaunchOrALandingOrWithTheLandingFirst)
{
    // Level the whole time: never launched, never landed.
    const TFlightEvents level = AnalyseEvents(Sampled(10, 60, [](double) { return 50; }), {});
    EXPECT_TRUE(level.HasPhases);
    EXPECT_TRUE(level.Phases.empty());
    EXPECT_EQ(level.ClimbCount, 0u);
    EXPECT_FALSE(level.BestClimbRate || level.GlideSinkRate);

    // Thrown from a hill with the motor starting late: it lands before its launch.
    const TDataBlock hill = Sampled(
        10, 60, [](double t) { return t < 10 ? 300 - 20 * t : 100.0; },
        [](double t) { return t > 40 ? 100 : 0; });
    const TFlightEvents e = AnalyseEvents(hill, {});
    ASSERT_TRUE(e.Launch && e.Landing);
    EXPECT_LT(*e.Landing, *e.Launch);
    EXPECT_FALSE(e.FlightTime);
    EXPECT_TRUE(e.Phases.empty());
}

TEST(FlightEvents, RuleNamesReadBack)
{
    for (TRules r : {TRules::None, TRules::F5j, TRules::Ales})
        EXPECT_EQ(ParseRules(RulesName(r)), r);
    EXPECT_STREQ(RulesName(TRules::F5j), "f5j");
    EXPECT_FALSE(ParseRules("F5J"));
    EXPECT_FALSE(ParseRules(""));
}
