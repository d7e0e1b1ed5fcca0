#include "core/analysis/FlightEvents.h"

#include "core/analysis/FlightAnalysis.h"
#include "core/app/NumberFormat.h"

#include <algorithm>
#include <array>
#include <cmath>

namespace zirko {

namespace {

bool HasChannel(const std::vector<double>& channel, size_t samples)
{
    return samples > 0 && channel.size() >= samples;
}

bool Within(double t, double from, double to)
{
    return t >= from - kEventTimeTolerance && t <= to + kEventTimeTolerance;
}

// The runs of the samples for which `holds(i)` is true, in order.
template <class THolds>
std::vector<TSampleRun> FindRuns(const std::vector<double>& time, size_t n, THolds holds)
{
    std::vector<TSampleRun> runs;
    for (size_t i = 0; i < n; ++i) {
        if (!holds(i))
            continue;
        const size_t first = i;
        while (i + 1 < n && holds(i + 1))
            ++i;
        runs.push_back({first, i, time[first], i + 1 < n ? time[i + 1] : time[i]});
    }
    return runs;
}

double TotalDuration(const std::vector<TSampleRun>& runs)
{
    double sum = 0;
    for (const TSampleRun& run : runs)
        sum += run.Duration();
    return sum;
}

std::string Fixed(double value, int decimals)
{
    return FormatDisplay(value, decimals, '.');
}

// The highest altitude over the start among the samples whose time lies within [from, to], and
// the first sample reaching it; nothing when no sample lies there.
struct THighest {
    double Height = 0;
    size_t Sample = 0;
};
std::optional<THighest> HighestWithin(const TDataBlock& flight, size_t n, double from, double to)
{
    std::optional<THighest> best;
    const double ground = flight.Altitude[0];
    for (size_t j = 0; j < n; ++j) {
        if (!Within(flight.Time[j], from, to))
            continue;
        const double h = flight.Altitude[j] - ground;
        if (!best || h > best->Height)
            best = THighest{h, j};
    }
    return best;
}

using TWarningLists = std::array<std::vector<TFlightWarning>, 6>;

void AddWarning(TWarningLists& lists, TWarningCode code, double time, std::string text, double from,
                double to)
{
    lists[static_cast<size_t>(code)].push_back({code, time, std::move(text), from, to});
}

// Each list is in time order already; merging them keeps, among times that are one within the
// tolerance, the order of the codes.
std::vector<TFlightWarning> MergeWarnings(TWarningLists& lists)
{
    std::vector<TFlightWarning> out;
    std::array<size_t, 6> next{};
    for (;;) {
        std::optional<double> earliest;
        for (size_t c = 0; c < lists.size(); ++c)
            if (next[c] < lists[c].size() && (!earliest || lists[c][next[c]].Time < *earliest))
                earliest = lists[c][next[c]].Time;
        if (!earliest)
            return out;
        for (size_t c = 0; c < lists.size(); ++c) {
            if (next[c] < lists[c].size() &&
                lists[c][next[c]].Time <= *earliest + kEventTimeTolerance) {
                out.push_back(std::move(lists[c][next[c]++]));
                break;
            }
        }
    }
}

void MotorWarnings(const TFlightEvents& e, const TEventOptions& options, const TDataBlock& flight,
                   size_t n, TWarningLists& lists)
{
    if (e.Rules == TRules::None || e.MotorRuns.empty())
        return;
    for (size_t r = 1; r < e.MotorRuns.size(); ++r) {
        const TSampleRun& run = e.MotorRuns[r];
        AddWarning(lists, TWarningCode::MotorRestart, run.Start,
                   "Motor restarted at " + Fixed(run.Start, 1) + " s", run.Start, run.Stop);
    }
    for (const TSampleRun& run : e.MotorRuns) {
        if (run.Duration() > kLongestMotorRun + kEventTimeTolerance) {
            AddWarning(lists, TWarningCode::MotorOver30s, run.Start + kLongestMotorRun,
                       "Motor ran " + Fixed(run.Duration(), 1) + " s (over 30 s)", run.Start,
                       run.Stop);
            break;
        }
    }
    if (e.Rules != TRules::Ales || !HasChannel(flight.Altitude, n))
        return;
    const TSampleRun& first = e.MotorRuns.front();
    const auto highest = HighestWithin(flight, n, first.Start, first.Stop);
    if (!highest || !(highest->Height > options.AlesHeight))
        return;
    const double ground = flight.Altitude[0];
    for (size_t j = 0; j < n; ++j) {
        if (Within(flight.Time[j], first.Start, first.Stop) &&
            flight.Altitude[j] - ground > options.AlesHeight) {
            AddWarning(lists, TWarningCode::AlesHeight, flight.Time[j],
                       "Altitude " + Fixed(highest->Height, 1) + " m before motor cut (limit " +
                           FormatShortest(options.AlesHeight) + " m)",
                       first.Start, first.Stop);
            return;
        }
    }
}

void ChannelWarnings(const TDataBlock& flight, const TEventOptions& options, size_t n,
                     TWarningLists& lists)
{
    const auto& t = flight.Time;
    if (HasChannel(flight.Rx, n)) {
        const auto& r = flight.Rx;
        const auto lost =
            FindRuns(t, n, [&r](size_t i) { return std::fabs(r[i]) > kServoNoSignal; });
        if (!lost.empty())
            AddWarning(lists, TWarningCode::ServoSignal, lost.front().Start,
                       "No servo signal for " + Fixed(TotalDuration(lost), 1) + " s in " +
                           std::to_string(lost.size()) + " stretch(es)",
                       lost.front().Start, lost.back().Stop);
    }
    if (HasChannel(flight.Voltage, n) && options.LowVoltage > 0) {
        const auto& u = flight.Voltage;
        const double limit = options.LowVoltage;
        const auto low = FindRuns(t, n, [&u, limit](size_t i) { return u[i] < limit; });
        if (!low.empty()) {
            const double lowest = *std::min_element(u.begin(), u.begin() + static_cast<long>(n));
            AddWarning(lists, TWarningCode::LowVoltage, low.front().Start,
                       "Voltage below " + Fixed(limit, 2) + " V for " +
                           Fixed(TotalDuration(low), 1) + " s, lowest " + Fixed(lowest, 2) + " V",
                       low.front().Start, low.back().Stop);
        }
    }
    if (HasChannel(flight.Altitude, n)) {
        const auto& a = flight.Altitude;
        size_t count = 0;
        size_t firstPair = 0;
        for (size_t i = 0; i + 1 < n; ++i) {
            const double dt = t[i + 1] - t[i];
            if (dt > 0 && std::fabs(a[i + 1] - a[i]) / dt > kAltitudeJumpRate) {
                if (count++ == 0)
                    firstPair = i;
            }
        }
        if (count > 0) {
            const size_t i = firstPair;
            AddWarning(lists, TWarningCode::AltitudeJump, t[i + 1],
                       "Altitude jumps " + Fixed(std::fabs(a[i + 1] - a[i]), 1) + " m in " +
                           Fixed(t[i + 1] - t[i], 1) + " s (" + std::to_string(count) + " times)",
                       t[i], t[i + 1]);
        }
    }
}

// Consecutive samples of one kind.
struct TSegment {
    TPhaseKind Kind;
    size_t First;
    size_t Last;
};

std::vector<TSegment> KindSegments(const TDataBlock& flight, const TFlightEvents& e, size_t n)
{
    std::vector<TSegment> segments;
    const auto& t = flight.Time;
    std::vector<double> slope;
    ComputeSlope(t, flight.Altitude, SlopeHalfWindow(t, kPhaseHalfSeconds), slope);
    size_t run = 0;
    for (size_t i = 0; i < n; ++i) {
        if (!Within(t[i], *e.Launch, *e.Landing))
            continue;
        while (run < e.MotorRuns.size() && e.MotorRuns[run].Last < i)
            ++run;
        const TPhaseKind kind = run < e.MotorRuns.size() && e.MotorRuns[run].First <= i
                                    ? TPhaseKind::Motor
                                : slope[i] >= kClimbRate ? TPhaseKind::Climb
                                                         : TPhaseKind::Glide;
        if (!segments.empty() && segments.back().Kind == kind)
            segments.back().Last = i;
        else
            segments.push_back({kind, i, i});
    }
    return segments;
}

void FindPhases(const TDataBlock& flight, size_t n, TFlightEvents& e)
{
    e.HasPhases = true;
    if (!e.Launch || !e.Landing || *e.Landing < *e.Launch - kEventTimeTolerance)
        return;
    const auto& t = flight.Time;
    const auto& a = flight.Altitude;
    std::vector<TSegment> joined;
    for (TSegment s : KindSegments(flight, e, n)) {
        // A climb too short or too shallow to be a thermal is part of the glide around it.
        if (s.Kind == TPhaseKind::Climb &&
            (t[s.Last] - t[s.First] < kShortestClimb - kEventTimeTolerance ||
             a[s.Last] - a[s.First] < kSmallestClimbGain))
            s.Kind = TPhaseKind::Glide;
        if (!joined.empty() && joined.back().Kind == s.Kind)
            joined.back().Last = s.Last;
        else
            joined.push_back(s);
    }
    double glideDrop = 0;
    double glideTime = 0;
    for (const TSegment& s : joined) {
        TFlightPhase p{s.Kind, s.First, s.Last, t[s.First], t[s.Last], a[s.Last] - a[s.First], 0};
        const double duration = p.Stop - p.Start;
        if (std::fabs(duration) > kEventTimeTolerance)
            p.Rate = p.Gain / duration;
        if (p.Kind == TPhaseKind::Climb) {
            ++e.ClimbCount;
            e.ClimbTime += duration;
            if (!e.BestClimbRate || p.Rate > *e.BestClimbRate)
                e.BestClimbRate = p.Rate;
        } else if (p.Kind == TPhaseKind::Glide) {
            glideDrop -= p.Gain;
            glideTime += duration;
        }
        e.Phases.push_back(p);
    }
    if (std::fabs(glideTime) > kEventTimeTolerance)
        e.GlideSinkRate = glideDrop / glideTime;
}

} // namespace

const char* RulesName(TRules rules)
{
    switch (rules) {
    case TRules::F5j:
        return "f5j";
    case TRules::Ales:
        return "ales";
    case TRules::None:
        break;
    }
    return "none";
}

std::optional<TRules> ParseRules(std::string_view name)
{
    for (TRules r : {TRules::None, TRules::F5j, TRules::Ales})
        if (name == RulesName(r))
            return r;
    return std::nullopt;
}

const char* RulesTitle(TRules rules)
{
    switch (rules) {
    case TRules::F5j:
        return "F5J";
    case TRules::Ales:
        return "ALES";
    case TRules::None:
        break;
    }
    return "None";
}

const char* WarningCodeName(TWarningCode code)
{
    switch (code) {
    case TWarningCode::MotorRestart:
        return "motor-restart";
    case TWarningCode::MotorOver30s:
        return "motor-over-30s";
    case TWarningCode::AlesHeight:
        return "ales-height";
    case TWarningCode::ServoSignal:
        return "servo-signal";
    case TWarningCode::LowVoltage:
        return "low-voltage";
    case TWarningCode::AltitudeJump:
        break;
    }
    return "altitude-jump";
}

const char* PhaseKindName(TPhaseKind kind)
{
    switch (kind) {
    case TPhaseKind::Motor:
        return "motor";
    case TPhaseKind::Climb:
        return "climb";
    case TPhaseKind::Glide:
        break;
    }
    return "glide";
}

double StartHeightPenalty(double height)
{
    const double h = std::max(height, 0.0);
    return 0.5 * std::min(h, kPenaltyKnee) + 3 * std::max(h - kPenaltyKnee, 0.0);
}

TFlightEvents AnalyseEvents(const TDataBlock& flight, const TEventOptions& options)
{
    TFlightEvents e;
    e.Rules = options.Rules;
    const auto& t = flight.Time;
    const size_t n = t.size();
    const bool altitude = HasChannel(flight.Altitude, n);

    if (HasChannel(flight.Rx, n)) {
        const auto& r = flight.Rx;
        const double threshold = options.MotorThreshold;
        e.HasServo = true;
        e.MotorRuns = FindRuns(t, n, [&r, threshold](size_t i) { return r[i] > threshold; });
        e.MotorTime = TotalDuration(e.MotorRuns);
    }

    if (!e.MotorRuns.empty())
        e.Launch = e.MotorRuns.front().Start;
    else if (const auto launch = LaunchIndex(flight))
        e.Launch = t[*launch];
    if (const auto landing = LandingIndex(flight))
        e.Landing = t[*landing];
    if (e.Launch && e.Landing && *e.Landing - *e.Launch >= 0)
        e.FlightTime = *e.Landing - *e.Launch;

    if (altitude && !e.MotorRuns.empty()) {
        const TSampleRun& first = e.MotorRuns.front();
        if (const auto highest =
                HighestWithin(flight, n, first.Start, first.Stop + kStartHeightAfterMotor)) {
            e.StartHeight = highest->Height;
            e.StartHeightTime = t[highest->Sample];
        }
    }
    if (e.Rules == TRules::F5j && e.StartHeight)
        e.Penalty = StartHeightPenalty(*e.StartHeight);

    TWarningLists lists;
    MotorWarnings(e, options, flight, n, lists);
    ChannelWarnings(flight, options, n, lists);
    e.Warnings = MergeWarnings(lists);

    if (altitude)
        FindPhases(flight, n, e);
    return e;
}

bool MotorRunsAt(const TFlightEvents& events, size_t sample)
{
    const auto& runs = events.MotorRuns;
    const auto after = std::upper_bound(runs.begin(), runs.end(), sample,
                                        [](size_t s, const TSampleRun& r) { return s < r.First; });
    return after != runs.begin() && std::prev(after)->Last >= sample;
}

double MotorTimeWithin(const TFlightEvents& events, const std::vector<double>& time, size_t first,
                       size_t last)
{
    const size_t n = time.size();
    if (n == 0 || first > last)
        return 0;
    last = std::min(last, n - 1);
    const auto& runs = events.MotorRuns;
    auto it = std::partition_point(runs.begin(), runs.end(),
                                   [first](const TSampleRun& r) { return r.Last < first; });
    double sum = 0;
    for (; it != runs.end() && it->First <= last; ++it) {
        const size_t a = std::max(it->First, first);
        const size_t b = std::min(it->Last, last);
        sum += (b < last ? time[b + 1] : time[b]) - time[a];
    }
    return sum;
}

} // namespace zirko
