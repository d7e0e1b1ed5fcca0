#include "core/analysis/RangeIndex.h"

#include "core/analysis/FlightAnalysis.h"
#include "core/app/NumberFormat.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace zirko {

namespace {

// No sum of values this size over any flight comes near overflowing.
constexpr double kLargest = 1e150;
constexpr double kInfinity = std::numeric_limits<double>::infinity();

bool HasChannel(const std::vector<double>& channel, size_t samples)
{
    return samples > 0 && channel.size() >= samples;
}

bool Ordinary(double value)
{
    return std::fabs(value) <= kLargest; // false for NaN and infinities too
}

// The extremes and sums of samples taken in order. Ties go as std::minmax_element and
// std::min_element settle them (the first lowest, the last highest), so that between zeros of
// either sign the same one is reported.
struct TTotals {
    double MinAltitude = kInfinity;
    double MaxAltitude = -kInfinity;
    double MinVoltage = kInfinity;
    double VoltageSum = 0;
    double VoltageAbsSum = 0;

    void AddAltitude(double h)
    {
        if (h < MinAltitude)
            MinAltitude = h;
        if (!(h < MaxAltitude))
            MaxAltitude = h;
    }
    void AddVoltage(double v)
    {
        if (v < MinVoltage)
            MinVoltage = v;
        VoltageSum += v;
        VoltageAbsSum += std::fabs(v);
    }
};

// Whether a pass over the samples, in whatever order, gives a mean that reads like sum / count to
// `decimals` decimals. Two orders of adding `count` values differ by at most 2 (count - 1) u /
// (1 - (count - 1) u) times the sum of the magnitudes (u the unit roundoff); the text of a value
// only ever grows with it, so equal texts at both ends of that interval settle it.
bool ReadsTheSame(double sum, double absSum, size_t count, int decimals)
{
    if (decimals < 0)
        return false;
    constexpr double u = std::numeric_limits<double>::epsilon() / 2;
    const double k = static_cast<double>(count);
    const double gamma = k * u / (1 - k * u);
    // 2.5 rather than 2: room for the rounding of absSum itself.
    const double slack = 2.5 * gamma * absSum;
    double low = (sum - slack) / k;
    double high = (sum + slack) / k;
    // The division of either mean rounds too, and so do these bounds.
    low -= std::fabs(low) * 8 * u;
    high += std::fabs(high) * 8 * u;
    return FormatFixed(low, decimals) == FormatFixed(high, decimals);
}

} // namespace

TRangeIndex::TRangeIndex(const TDataBlock& flight)
    : Samples(flight.Time.size()), Altitude(HasChannel(flight.Altitude, Samples)),
      Voltage(HasChannel(flight.Voltage, Samples))
{
    auto ordinary = [this](const std::vector<double>& channel) {
        return std::all_of(channel.begin(), channel.begin() + static_cast<long>(Samples), Ordinary);
    };
    Usable = (!Altitude || ordinary(flight.Altitude)) && (!Voltage || ordinary(flight.Voltage));
    if (!Usable)
        return;
    Blocks.resize(Samples / kBlock);
    for (size_t b = 0; b < Blocks.size(); ++b) {
        TTotals totals;
        for (size_t i = b * kBlock; i < (b + 1) * kBlock; ++i) {
            if (Altitude)
                totals.AddAltitude(flight.Altitude[i]);
            if (Voltage)
                totals.AddVoltage(flight.Voltage[i]);
        }
        Blocks[b] = {totals.MinAltitude, totals.MaxAltitude, totals.MinVoltage, totals.VoltageSum,
                     totals.VoltageAbsSum};
    }
}

bool TRangeIndex::Fits(const TDataBlock& flight) const
{
    return Usable && flight.Time.size() == Samples &&
           HasChannel(flight.Altitude, Samples) == Altitude &&
           HasChannel(flight.Voltage, Samples) == Voltage;
}

std::optional<TRangeStats> TRangeIndex::Analyse(const TDataBlock& flight,
                                                const TFlightEvents& events, double from, double to,
                                                double timeOffset, int meanDecimals) const
{
    if (!Fits(flight))
        return AnalyseRange(flight, events, from, to, timeOffset);
    std::optional<TRangeStats> r = RangeEnds(flight, events, from, to, timeOffset);
    if (!r || (!Altitude && !Voltage))
        return r;
    const size_t lo = std::min(r->FromSample, r->ToSample);
    const size_t hi = std::max(r->FromSample, r->ToSample);
    const size_t count = hi - lo + 1;

    TTotals totals;
    auto addSamples = [&](size_t first, size_t end) {
        for (size_t i = first; i < end; ++i) {
            if (Altitude)
                totals.AddAltitude(flight.Altitude[i]);
            if (Voltage)
                totals.AddVoltage(flight.Voltage[i]);
        }
    };
    // The blocks wholly inside [lo, hi], and the ragged ends either side of them.
    const size_t firstWhole = (lo + kBlock - 1) / kBlock;
    const size_t endWhole = (hi + 1) / kBlock;
    if (count <= kShortRange || firstWhole >= endWhole) {
        addSamples(lo, hi + 1);
    } else {
        addSamples(lo, firstWhole * kBlock);
        for (size_t b = firstWhole; b < endWhole; ++b) {
            const TBlock& block = Blocks[b];
            if (block.MinAltitude < totals.MinAltitude)
                totals.MinAltitude = block.MinAltitude;
            if (!(block.MaxAltitude < totals.MaxAltitude))
                totals.MaxAltitude = block.MaxAltitude;
            if (block.MinVoltage < totals.MinVoltage)
                totals.MinVoltage = block.MinVoltage;
            totals.VoltageSum += block.VoltageSum;
            totals.VoltageAbsSum += block.VoltageAbsSum;
        }
        addSamples(endWhole * kBlock, hi + 1);
    }
    if (Altitude) {
        r->MinAltitude = totals.MinAltitude;
        r->MaxAltitude = totals.MaxAltitude;
    }
    if (Voltage) {
        r->MinVoltage = totals.MinVoltage;
        if (count > kShortRange &&
            ReadsTheSame(totals.VoltageSum, totals.VoltageAbsSum, count, meanDecimals))
            r->MeanVoltage = totals.VoltageSum / static_cast<double>(count);
        else
            r->MeanVoltage = MeanOf(flight.Voltage.data() + lo, count);
    }
    return r;
}

} // namespace zirko
