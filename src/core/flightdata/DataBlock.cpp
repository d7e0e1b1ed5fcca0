#include "core/flightdata/DataBlock.h"

#include <algorithm>
#include <bit>

namespace zirko {

void TDataBlock::Clear()
{
    Time.clear();
    for (const auto& ch : kChannels)
        (this->*ch.Array).clear();
    Notes.clear();
    Annotations.clear();
    MarkerFlags.clear();
    ExtraLines.clear();
}

int ChannelCount(int32_t channelMask)
{
    return std::popcount(static_cast<uint32_t>(channelMask) & 0xFFFFu);
}

void ComputeMarkerFlags(TDataBlock& flight, double markerThreshold)
{
    flight.MarkerFlags.resize(flight.Rx.size());
    for (size_t i = 0; i < flight.Rx.size(); ++i)
        flight.MarkerFlags[i] = flight.Rx[i] > markerThreshold ? 1 : 0;
}

double FlightTimeSeconds(const TDataBlock& flight)
{
    return flight.Time.empty() ? 0.0 : flight.Time.back();
}

double MaxHeight(const TDataBlock& flight)
{
    if (flight.Altitude.empty())
        return 0.0;
    return *std::max_element(flight.Altitude.begin(), flight.Altitude.end());
}

} // namespace zirko
