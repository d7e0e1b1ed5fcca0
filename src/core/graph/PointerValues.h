// The values of a flight at the sample nearest the pointer's time, as the chart shows them.
#pragma once

#include "core/graph/SeriesTransform.h"

#include <array>
#include <cstddef>
#include <optional>
#include <span>
#include <string>

namespace zirko {

// One flight as the lookup reads it. Time ascends; a channel array may be shorter than Time or
// empty. A channel without a transform is not shown and gives no value.
struct TPointerFlight {
    std::span<const double> Time;
    std::span<const double> Altitude;
    std::span<const double> Servo;
    std::span<const double> Voltage;
    std::span<const double> Climb; // m/s, one per sample; shown without any value offset
    // The time offset in force: the flight's sample at stored time t is drawn at t + TimeOffset.
    double TimeOffset = 0;
    std::optional<TSeriesTransform> AltitudeShown;
    std::optional<TSeriesTransform> ServoShown;
    std::optional<TSeriesTransform> VoltageShown;
    bool ClimbShown = false;
};

// The sample found and its values as drawn.
struct TPointerSample {
    size_t Index = 0;
    double Time = 0;      // the flight's own time of the sample
    double ShownTime = 0; // where the chart draws it
    // The pointer is beyond the flight's first or last sample by more than half a sample step:
    // the values are the flight's end, not the flight at that moment.
    bool Outside = false;
    std::optional<double> Altitude;
    std::optional<double> Servo;
    std::optional<double> Voltage;
    std::optional<double> Climb;
};

// Index of the time nearest `t` in ascending `time`; a tie goes to the earlier sample, a time
// outside the range to the end on its side. Nothing for an empty array.
std::optional<size_t> NearestSampleIndex(std::span<const double> time, double t);

// The flight's sample nearest the chart time `pointerTime`, the time offset taken off first.
std::optional<TPointerSample> SampleAtPointer(const TPointerFlight& flight, double pointerTime);

// The texts of a sample for the pointer panel, in the user's decimal separator: the flight's own
// time in seconds, altitude, servo, voltage and climb rate, each with its unit; a value missing is
// "–". The servo takes "%" unless it is drawn as a deflection, which has no unit.
inline constexpr const char* kNoValue = "\xE2\x80\x93";
inline constexpr size_t kPointerFields = 5;
std::array<std::string, kPointerFields>
PointerSampleTexts(const TPointerSample& sample, bool servoAsDeflection, char decimalSeparator);

} // namespace zirko
