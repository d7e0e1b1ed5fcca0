// Block summaries of a flight's altitude and voltage, so that the numbers of a range cost its two
// ragged ends and a look at each whole block in between instead of a pass over every sample.
#pragma once

#include "core/analysis/RangeStats.h"

#include <cstddef>
#include <optional>
#include <vector>

namespace zirko {

class TRangeIndex {
public:
    static constexpr size_t kBlock = 1024;
    // Ranges up to this many samples are read sample by sample.
    static constexpr size_t kShortRange = 4 * kBlock;

    TRangeIndex() = default;
    // The samples of an open flight do not change: the index is built once per flight.
    explicit TRangeIndex(const TDataBlock& flight);

    // AnalyseRange(flight, events, from, to, timeOffset) for the flight the index was built from
    // (any other flight is analysed sample by sample). Every number is the same to the last bit
    // but the mean voltage of a long range: its sum is taken block by block, which may round
    // differently from one pass over the samples in the last bits, never so much that it reads
    // differently to `meanDecimals` decimals. Where that cannot be ruled out, the samples are
    // summed one by one after all.
    std::optional<TRangeStats> Analyse(const TDataBlock& flight, const TFlightEvents& events,
                                       double from, double to, double timeOffset,
                                       int meanDecimals) const;

private:
    struct TBlock {
        double MinAltitude;
        double MaxAltitude;
        double MinVoltage;
        double VoltageSum;
        double VoltageAbsSum;
    };
    bool Fits(const TDataBlock& flight) const;

    std::vector<TBlock> Blocks;
    size_t Samples = 0;
    bool Altitude = false;
    bool Voltage = false;
    // Every value finite and small enough that no sum overflows; otherwise the flight is always
    // analysed sample by sample, whose extremes and mean treat such values their own way.
    bool Usable = false;
};

} // namespace zirko
