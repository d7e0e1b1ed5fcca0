#include "core/analysis/RangeStats.h"

#include "core/analysis/FlightAnalysis.h"

#include <algorithm>
#include <cmath>

namespace zirko {

namespace {

bool HasChannel(const std::vector<double>& channel, size_t samples)
{
    return samples > 0 && channel.size() >= samples;
}

} // namespace

size_t NearestSample(const std::vector<double>& time, double t)
{
    if (time.empty())
        return 0;
    const auto after = std::lower_bound(time.begin(), time.end(), t);
    if (after == time.begin())
        return 0;
    if (after == time.end())
        return time.size() - 1;
    const auto before = std::prev(after);
    const auto index = (t - *before <= *after - t) ? before : after;
    return static_cast<size_t>(index - time.begin());
}

std::optional<TRangeStats> RangeEnds(const TDataBlock& flight, const TFlightEvents& events,
                                     double from, double to, double timeOffset)
{
    const auto& t = flight.Time;
    const size_t n = t.size();
    if (n == 0)
        return std::nullopt;
    const double a = from - timeOffset;
    const double b = to - timeOffset;
    if (std::isnan(a) || std::isnan(b) || std::max(a, b) < t.front() || std::min(a, b) > t.back())
        return std::nullopt;

    TRangeStats r;
    r.FromSample = NearestSample(t, a);
    r.ToSample = NearestSample(t, b);
    r.FromTime = t[r.FromSample];
    r.ToTime = t[r.ToSample];
    r.Duration = r.ToTime - r.FromTime;
    if (HasChannel(flight.Altitude, n)) {
        const auto& h = flight.Altitude;
        r.FromAltitude = h[r.FromSample];
        r.ToAltitude = h[r.ToSample];
        r.Gain = *r.ToAltitude - *r.FromAltitude;
        if (std::fabs(r.Duration) > kEventTimeTolerance)
            r.MeanClimb = *r.Gain / r.Duration;
    }
    if (events.HasServo)
        r.MotorTime = MotorTimeWithin(events, t, std::min(r.FromSample, r.ToSample),
                                      std::max(r.FromSample, r.ToSample));
    return r;
}

std::optional<TRangeStats> AnalyseRange(const TDataBlock& flight, const TFlightEvents& events,
                                        double from, double to, double timeOffset)
{
    std::optional<TRangeStats> r = RangeEnds(flight, events, from, to, timeOffset);
    if (!r)
        return r;
    const size_t n = flight.Time.size();
    const size_t lo = std::min(r->FromSample, r->ToSample);
    const size_t hi = std::max(r->FromSample, r->ToSample);
    const auto count = static_cast<long>(hi - lo + 1);
    if (HasChannel(flight.Altitude, n)) {
        const auto first = flight.Altitude.begin() + static_cast<long>(lo);
        const auto [low, high] = std::minmax_element(first, first + count);
        r->MinAltitude = *low;
        r->MaxAltitude = *high;
    }
    if (HasChannel(flight.Voltage, n)) {
        const auto first = flight.Voltage.begin() + static_cast<long>(lo);
        r->MinVoltage = *std::min_element(first, first + count);
        r->MeanVoltage = MeanOf(flight.Voltage.data() + lo, hi - lo + 1);
    }
    return r;
}

} // namespace zirko
