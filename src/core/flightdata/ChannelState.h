// What the open-flights grid shows for each of a flight's five chart channels.
#pragma once

#include "core/flightdata/DataBlock.h"

#include <array>
#include <cstdint>

namespace zirko {

enum class TChannelState : uint8_t {
    Off,         // the flight has samples of it; not drawn
    On,          // drawn
    Unavailable, // no samples: greyed, cannot be switched on
};

inline constexpr int kChannelColumns = 5; // altitude, servo, voltage, marker, annotation

using TChannelStates = std::array<TChannelState, kChannelColumns>;

// The states of a flight just opened, before its altitude is switched on: a channel without
// samples is unavailable; annotations can always be added.
TChannelStates InitialChannelStates(const TDataBlock& flight);

} // namespace zirko
