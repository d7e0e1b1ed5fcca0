// What a flight's samples tell a pilot beyond the curves: its climb rate, when it was launched
// and when it landed, how high it went and how the battery held.
#pragma once

#include "core/flightdata/DataBlock.h"

#include <cstddef>
#include <optional>
#include <vector>

namespace zirko {

// Half the width, in samples, of the window the climb rate is taken over: about half a second
// of the flight's mean sample period, at least one sample.
size_t ClimbHalfWindow(const std::vector<double>& time);

// The climb rate in m/s at every sample: the least-squares slope of the altitude against time
// over the samples within ClimbHalfWindow on either side (fewer at the ends), 0 where all those
// samples share one time. `altitude` holds at least as many values as `time`; `out` gets one
// value per time. Linear in the number of samples.
void ComputeClimbRate(const std::vector<double>& time, const std::vector<double>& altitude,
                      std::vector<double>& out);
std::vector<double> ClimbRate(const TDataBlock& flight);

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

} // namespace zirko
