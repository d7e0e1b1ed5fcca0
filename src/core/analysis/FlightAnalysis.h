// What a flight's samples tell a pilot beyond the curves: its climb rate, when it was launched
// and when it landed, how high it went and how the battery held.
#pragma once

#include "core/flightdata/DataBlock.h"

#include <cstddef>
#include <optional>
#include <vector>

namespace zirko {

// Half the width, in samples, of a window spanning about `halfSeconds` on either side of a
// sample at the flight's mean sample period: floor(halfSeconds / dt + 0.5), at least one sample
// (one where no time passes), at most the flight's length.
size_t SlopeHalfWindow(const std::vector<double>& time, double halfSeconds);

// The least-squares slope of `value` against `time` at every sample, over the samples within
// `halfWindow` on either side (fewer at the ends), 0 where all those samples share one time.
// `value` holds at least as many values as `time`; `out` gets one value per time. Linear in the
// number of samples, whatever the window.
void ComputeSlope(const std::vector<double>& time, const std::vector<double>& value,
                  size_t halfWindow, std::vector<double>& out);

// The climb rate is the altitude's slope over about one second.
inline constexpr double kClimbHalfSeconds = 0.5;
inline size_t ClimbHalfWindow(const std::vector<double>& time)
{
    return SlopeHalfWindow(time, kClimbHalfSeconds);
}

// The climb rate in m/s at every sample (ComputeSlope over ClimbHalfWindow).
void ComputeClimbRate(const std::vector<double>& time, const std::vector<double>& altitude,
                      std::vector<double>& out);
std::vector<double> ClimbRate(const TDataBlock& flight);

// The mean of n values, never overflowing: the plain sum while it stays finite (ordinary values
// keep every digit), else the sum of the values scaled down by an exact power of two.
double MeanOf(const double* values, size_t n);

// The altitude a pilot must gain over the start (or hold over the end) to count as flying, m.
inline constexpr double kLaunchHeight = 2.0;

// The numbers of one flight; absent where the channel is missing or the samples are too few.
struct TFlightStats {
    size_t Samples = 0;
    double Duration = 0; // last time minus first, 0 for fewer than two samples
    std::optional<double> StartAltitude;
    std::optional<double> MinAltitude;
    std::optional<double> MaxAltitude;
    std::optional<double> AltitudeGain;
    std::optional<double> LaunchTime;
    std::optional<double> LandingTime;
    std::optional<double> TimeAloft;
    std::optional<double> MaxClimbRate;
    std::optional<double> MaxSinkRate; // positive while sinking
    std::optional<double> MinVoltage;
    std::optional<double> MaxVoltage;
    std::optional<double> MeanVoltage;
};

// Samples are Time's; a channel counts when its array is not empty. `climb` is the flight's climb
// rate when the caller has it already (one value per sample); otherwise it is computed.
TFlightStats AnalyseFlight(const TDataBlock& flight, const std::vector<double>* climb = nullptr);

// Index of the launch sample: the first whose altitude is kLaunchHeight or more over the start.
std::optional<size_t> LaunchIndex(const TDataBlock& flight);
// Index of the landing sample: the last whose altitude is kLaunchHeight or more over the end.
std::optional<size_t> LandingIndex(const TDataBlock& flight);

} // namespace zirko
