// The events of a flight for an electric glider pilot: motor runs, the start height and what it
// costs under contest rules, launch and landing, warnings, and the climbs and glides between.
#pragma once

#include "core/flightdata/DataBlock.h"

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace zirko {

// The contest rules a flight is judged by.
enum class TRules { None, F5j, Ales };

// "none", "f5j", "ales": the names of the command line and the settings file.
const char* RulesName(TRules rules);
std::optional<TRules> ParseRules(std::string_view name);
// "None", "F5J", "ALES": the names the windows show.
const char* RulesTitle(TRules rules);

struct TEventOptions {
    TRules Rules = TRules::None;
    double MotorThreshold = 0; // servo %, the motor runs while the servo is above it
    double AlesHeight = 200;   // m over the start, the limiter's cut height
    double LowVoltage = 0;     // V, 0: no voltage check

    bool operator==(const TEventOptions&) const = default;
};

// Two times closer than this are one time.
inline constexpr double kEventTimeTolerance = 1e-6;
// The window after the motor stops in which the model still counts as climbing on its motor, s.
inline constexpr double kStartHeightAfterMotor = 10;
// The longest motor run the contest rules allow, s.
inline constexpr double kLongestMotorRun = 30;
// The height up to which a metre of start height costs the lower penalty, m.
inline constexpr double kPenaltyKnee = 200;
// A servo channel beyond this (either sign) carries no pulse, %.
inline constexpr double kServoNoSignal = 150;
// A faster altitude change than this is a sensor fault, not flight, m/s.
inline constexpr double kAltitudeJumpRate = 80;
// Phases: the climb rate is taken over about twice this, s.
inline constexpr double kPhaseHalfSeconds = 10;
// A climb phase climbs at least this fast, m/s, ...
inline constexpr double kClimbRate = 0.2;
// ... lasts at least this long, s, ...
inline constexpr double kShortestClimb = 20;
// ... and gains at least this much, m.
inline constexpr double kSmallestClimbGain = 5;

// A maximal stretch of consecutive samples First … Last for which a condition holds. It starts at
// the time of First and stops at the time of the sample after Last (Last's own at the end).
struct TSampleRun {
    size_t First = 0;
    size_t Last = 0;
    double Start = 0;
    double Stop = 0;
    double Duration() const { return Stop - Start; }
};

// In the order warnings of one time are listed.
enum class TWarningCode {
    MotorRestart,
    MotorOver30s,
    AlesHeight,
    ServoSignal,
    LowVoltage,
    AltitudeJump
};

// "motor-restart", "motor-over-30s", ...
const char* WarningCodeName(TWarningCode code);

struct TFlightWarning {
    TWarningCode Code = TWarningCode::MotorRestart;
    double Time = 0;
    std::string Text;
    // The stretch of the flight the warning is about, for showing it.
    double From = 0;
    double To = 0;
};

enum class TPhaseKind { Motor, Climb, Glide };

// "motor", "climb", "glide".
const char* PhaseKindName(TPhaseKind kind);

struct TFlightPhase {
    TPhaseKind Kind = TPhaseKind::Glide;
    size_t First = 0; // samples
    size_t Last = 0;
    double Start = 0; // times of First and Last
    double Stop = 0;
    double Gain = 0; // altitude of Last less that of First, m
    double Rate = 0; // Gain per second, 0 for a phase of no time
};

struct TFlightEvents {
    TRules Rules = TRules::None;
    bool HasServo = false;             // without it there are no motor runs and no motor time
    std::vector<TSampleRun> MotorRuns; // in time order
    std::optional<double> MotorTime;
    std::optional<double> Launch;
    std::optional<double> StartHeight; // m over the first sample's altitude
    std::optional<double> StartHeightTime;
    std::optional<double> Landing;
    std::optional<double> FlightTime;
    std::optional<double> Penalty;
    std::vector<TFlightWarning> Warnings; // by time
    bool HasPhases = false;               // phases need the altitude
    std::vector<TFlightPhase> Phases;     // in time order
    size_t ClimbCount = 0;
    double ClimbTime = 0;
    std::optional<double> BestClimbRate;
    std::optional<double> GlideSinkRate; // m/s, positive while sinking
};

// Linear in the number of samples. A channel counts when it has a value for every sample.
TFlightEvents AnalyseEvents(const TDataBlock& flight, const TEventOptions& options);

// Whether sample `sample` lies inside one of the motor runs.
bool MotorRunsAt(const TFlightEvents& events, size_t sample);

// The motor time among samples first..last alone: the runs clipped there, each stopping at the
// sample after its last one inside, or at `last` itself. It equals the motor time AnalyseEvents
// finds for a flight of just those samples. `time` is the flight's, `events` found from it.
double MotorTimeWithin(const TFlightEvents& events, const std::vector<double>& time, size_t first,
                       size_t last);

// The contest penalty of a start height under rules whose start height costs points.
double StartHeightPenalty(double height);

} // namespace zirko
