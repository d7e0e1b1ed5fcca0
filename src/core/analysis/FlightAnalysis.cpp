#include "core/analysis/FlightAnalysis.h"

#include <algorithm>
#include <cmath>

namespace zirko {

namespace {

// Running sums of a window of samples, kept relative to a reference sample near the window so
// that times of a long flight (10^5 s) do not cancel the digits the slope is made of.
class TSlopeWindow {
public:
    TSlopeWindow(const std::vector<double>& time, const std::vector<double>& altitude)
        : Time(time), Altitude(altitude)
    {
    }

    // The window becomes [lo, hi) with the sums taken afresh around sample `ref`.
    void Rebase(size_t ref, size_t lo, size_t hi)
    {
        RefTime = Time[ref];
        RefAltitude = Altitude[ref];
        S0 = S1 = S2 = Sh = Sth = 0;
        for (size_t j = lo; j < hi; ++j)
            Add(j);
    }
    void Add(size_t j) { Accumulate(j, 1.0); }
    void Remove(size_t j) { Accumulate(j, -1.0); }

    // The least-squares slope over the window; 0 where its times do not spread.
    double Slope() const
    {
        const double spread = S0 * S2 - S1 * S1;
        if (!(spread > 1e-10 * S0 * S2))
            return 0;
        return (S0 * Sth - S1 * Sh) / spread;
    }

private:
    void Accumulate(size_t j, double sign)
    {
        const double u = Time[j] - RefTime;
        const double h = Altitude[j] - RefAltitude;
        S0 += sign;
        S1 += sign * u;
        S2 += sign * u * u;
        Sh += sign * h;
        Sth += sign * u * h;
    }

    const std::vector<double>& Time;
    const std::vector<double>& Altitude;
    double RefTime = 0;
    double RefAltitude = 0;
    double S0 = 0, S1 = 0, S2 = 0, Sh = 0, Sth = 0;
};

bool HasChannel(const std::vector<double>& channel, size_t samples)
{
    return samples > 0 && channel.size() >= samples;
}

} // namespace

double MeanOf(const double* values, size_t n)
{
    double sum = 0;
    for (size_t i = 0; i < n; ++i)
        sum += values[i];
    if (std::isfinite(sum) || n == 0)
        return sum / static_cast<double>(n);
    constexpr int kScale = 64;
    double scaled = 0;
    for (size_t i = 0; i < n; ++i)
        scaled += std::ldexp(values[i], -kScale);
    return std::ldexp(scaled / static_cast<double>(n), kScale);
}

size_t SlopeHalfWindow(const std::vector<double>& time, double halfSeconds)
{
    const size_t n = time.size();
    if (n < 2)
        return 1;
    const double dt = (time[n - 1] - time[0]) / static_cast<double>(n - 1);
    if (!(dt > 0))
        return 1;
    const double k = std::floor(halfSeconds / dt + 0.5);
    if (!(k >= 1))
        return 1;
    return k >= static_cast<double>(n) ? n : static_cast<size_t>(k);
}

void ComputeSlope(const std::vector<double>& time, const std::vector<double>& value,
                  size_t halfWindow, std::vector<double>& out)
{
    const size_t n = std::min(time.size(), value.size());
    out.assign(time.size(), 0.0);
    if (n == 0)
        return;
    const size_t k = std::max<size_t>(1, halfWindow);
    // The sums are taken afresh every `block` samples, which bounds the rounding that adding and
    // removing samples gathers, at a cost of one window per block.
    const size_t block = std::max<size_t>(64, 2 * k + 1);
    TSlopeWindow window(time, value);
    size_t lo = 0;
    size_t hi = 0;
    size_t rebaseAt = 0;
    for (size_t i = 0; i < n; ++i) {
        const size_t wantLo = i > k ? i - k : 0;
        const size_t wantHi = std::min(n, i + k + 1);
        if (i == rebaseAt) {
            lo = wantLo;
            hi = wantHi;
            window.Rebase(i, lo, hi);
            rebaseAt = i + block;
        } else {
            for (; hi < wantHi; ++hi)
                window.Add(hi);
            for (; lo < wantLo; ++lo)
                window.Remove(lo);
        }
        out[i] = window.Slope();
    }
}

void ComputeClimbRate(const std::vector<double>& time, const std::vector<double>& altitude,
                      std::vector<double>& out)
{
    ComputeSlope(time, altitude, ClimbHalfWindow(time), out);
}

std::vector<double> ClimbRate(const TDataBlock& flight)
{
    std::vector<double> out;
    if (HasChannel(flight.Altitude, flight.Time.size()))
        ComputeClimbRate(flight.Time, flight.Altitude, out);
    return out;
}

std::optional<size_t> LaunchIndex(const TDataBlock& flight)
{
    const size_t n = flight.Time.size();
    if (!HasChannel(flight.Altitude, n))
        return std::nullopt;
    const double start = flight.Altitude[0];
    for (size_t i = 0; i < n; ++i)
        if (flight.Altitude[i] - start >= kLaunchHeight)
            return i;
    return std::nullopt;
}

std::optional<size_t> LandingIndex(const TDataBlock& flight)
{
    const size_t n = flight.Time.size();
    if (!HasChannel(flight.Altitude, n))
        return std::nullopt;
    const double end = flight.Altitude[n - 1];
    for (size_t i = n; i-- > 0;)
        if (flight.Altitude[i] - end >= kLaunchHeight)
            return i;
    return std::nullopt;
}

TFlightStats AnalyseFlight(const TDataBlock& flight, const std::vector<double>* climb)
{
    TFlightStats s;
    const auto& t = flight.Time;
    const size_t n = t.size();
    s.Samples = n;
    s.Duration = n > 1 ? t[n - 1] - t[0] : 0;

    if (HasChannel(flight.Altitude, n)) {
        const auto& a = flight.Altitude;
        const auto [lo, hi] = std::minmax_element(a.begin(), a.begin() + static_cast<long>(n));
        s.StartAltitude = a[0];
        s.MinAltitude = *lo;
        s.MaxAltitude = *hi;
        s.AltitudeGain = *hi - a[0];
        if (auto launch = LaunchIndex(flight))
            s.LaunchTime = t[*launch];
        if (auto landing = LandingIndex(flight))
            s.LandingTime = t[*landing];
        if (s.LaunchTime && s.LandingTime && *s.LandingTime - *s.LaunchTime >= 0)
            s.TimeAloft = *s.LandingTime - *s.LaunchTime;
        if (n >= 2) {
            std::vector<double> own;
            if (!climb || climb->size() < n) {
                ComputeClimbRate(t, a, own);
                climb = &own;
            }
            const auto [down, up] =
                std::minmax_element(climb->begin(), climb->begin() + static_cast<long>(n));
            s.MaxClimbRate = *up;
            s.MaxSinkRate = -*down;
        }
    }

    if (HasChannel(flight.Voltage, n)) {
        const auto& v = flight.Voltage;
        const auto [lo, hi] = std::minmax_element(v.begin(), v.begin() + static_cast<long>(n));
        s.MinVoltage = *lo;
        s.MaxVoltage = *hi;
        s.MeanVoltage = MeanOf(v.data(), n);
    }
    return s;
}

} // namespace zirko
