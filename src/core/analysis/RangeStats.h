// The numbers of one flight between two moments of the chart: the ends, the gain and mean climb,
// the highest and lowest altitude, the battery and the motor time in between.
#pragma once

#include "core/analysis/FlightEvents.h"
#include "core/flightdata/DataBlock.h"

#include <cstddef>
#include <optional>
#include <vector>

namespace zirko {

// The sample whose time lies nearest `t` (the earlier one of two as near); times in order, as the
// logger records them. 0 for no samples.
size_t NearestSample(const std::vector<double>& time, double t);

struct TRangeStats {
    size_t FromSample = 0; // the samples nearest the two moments
    size_t ToSample = 0;
    double FromTime = 0; // their times on the flight's own clock
    double ToTime = 0;
    // ToTime - FromTime: negative for a range measured backwards, as the readings' differences.
    double Duration = 0;
    std::optional<double> FromAltitude;
    std::optional<double> ToAltitude;
    std::optional<double> Gain;      // ToAltitude - FromAltitude
    std::optional<double> MeanClimb; // Gain / Duration, m/s; none where no time passes
    // Over the samples between the two, both included.
    std::optional<double> MaxAltitude;
    std::optional<double> MinAltitude;
    std::optional<double> MinVoltage;
    std::optional<double> MeanVoltage;
    std::optional<double> MotorTime; // none without a servo channel
};

// AnalyseRange without the numbers that need a pass over the samples between: the two samples,
// their times and altitudes, gain, mean climb and motor time, but no extremes and no mean voltage.
std::optional<TRangeStats> RangeEnds(const TDataBlock& flight, const TFlightEvents& events,
                                     double from, double to, double timeOffset);

// The flight between chart times `from` and `to`, the flight drawn `timeOffset` seconds after its
// own clock. The numbers are those AnalyseFlight and AnalyseEvents give for a flight of just the
// samples between. `events` are the flight's (for its motor runs). Nothing for a flight without
// samples or one whose samples all lie outside the range.
std::optional<TRangeStats> AnalyseRange(const TDataBlock& flight, const TFlightEvents& events,
                                        double from, double to, double timeOffset);

} // namespace zirko
