#include "core/flightdata/ChannelState.h"

namespace zirko {

TChannelStates InitialChannelStates(const TDataBlock& flight)
{
    auto of = [](bool empty) { return empty ? TChannelState::Unavailable : TChannelState::Off; };
    return {of(flight.Altitude.empty()), of(flight.Rx.empty()), of(flight.Voltage.empty()),
            of(flight.MarkerFlags.empty()), TChannelState::Off};
}

} // namespace zirko
