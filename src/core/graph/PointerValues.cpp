#include "core/graph/PointerValues.h"

#include "core/app/NumberFormat.h"

#include <algorithm>

namespace zirko {

namespace {

std::optional<double> ShownValue(std::span<const double> values, size_t i,
                                 const std::optional<TSeriesTransform>& shown)
{
    if (!shown || i >= values.size())
        return std::nullopt;
    return shown->Y(values[i]);
}

std::string WithUnit(const std::optional<double>& value, int decimals, const char* unit, char sep)
{
    return value ? FormatDisplay(*value, decimals, sep) + unit : std::string(kNoValue);
}

} // namespace

std::optional<size_t> NearestSampleIndex(std::span<const double> time, double t)
{
    if (time.empty())
        return std::nullopt;
    const auto above = std::lower_bound(time.begin(), time.end(), t);
    if (above == time.begin())
        return 0;
    if (above == time.end())
        return time.size() - 1;
    const auto i = static_cast<size_t>(above - time.begin());
    return t - time[i - 1] <= time[i] - t ? i - 1 : i;
}

std::optional<TPointerSample> SampleAtPointer(const TPointerFlight& flight, double pointerTime)
{
    const double t = pointerTime - flight.TimeOffset;
    const std::optional<size_t> found = NearestSampleIndex(flight.Time, t);
    if (!found)
        return std::nullopt;
    const size_t i = *found;
    TPointerSample s;
    s.Index = i;
    s.Time = flight.Time[i];
    s.ShownTime = s.Time + flight.TimeOffset;
    if (const size_t n = flight.Time.size(); n >= 2) {
        const double before = flight.Time[0] - (flight.Time[1] - flight.Time[0]) / 2;
        const double after = flight.Time[n - 1] + (flight.Time[n - 1] - flight.Time[n - 2]) / 2;
        s.Outside = t < before || t > after;
    }
    s.Altitude = ShownValue(flight.Altitude, i, flight.AltitudeShown);
    s.Servo = ShownValue(flight.Servo, i, flight.ServoShown);
    s.Voltage = ShownValue(flight.Voltage, i, flight.VoltageShown);
    if (flight.ClimbShown && i < flight.Climb.size())
        s.Climb = flight.Climb[i];
    return s;
}

std::array<std::string, kPointerFields> PointerSampleTexts(const TPointerSample& sample,
                                                           bool servoAsDeflection, char sep)
{
    return {FormatDisplay(sample.Time, 1, sep) + " s", WithUnit(sample.Altitude, 1, " m", sep),
            WithUnit(sample.Servo, 1, servoAsDeflection ? "" : " %", sep),
            WithUnit(sample.Voltage, 2, " V", sep), WithUnit(sample.Climb, 1, " m/s", sep)};
}

} // namespace zirko
