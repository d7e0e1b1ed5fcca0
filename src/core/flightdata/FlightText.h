// Texts shown about a flight: the information page values and the user-facing CSV export.
#pragma once

#include "core/flightdata/DataBlock.h"

#include <string>

namespace zirko {

// Flight file name without folder, cut before the first ".zdf" it contains.
std::string FlightNameOf(const std::string& fileName);

// FormatFlightTime of the last Time value; empty when there are no samples.
std::string FlightTimeText(const TDataBlock& flight, char decimalSeparator);
// Largest altitude "%8.1f" trimmed + " m"; empty when there is no altitude.
std::string MaxHeightText(const TDataBlock& flight, char decimalSeparator);
// The sample period shown beside "ms": Sampling counts 10 ms steps, so the period in
// milliseconds is Sampling x 10, with one decimal.
std::string SamplingText(const TDataBlock& flight, char decimalSeparator);

// CSV with a header naming each column and its unit, one row per sample.
std::string FormatFlightCsv(const TDataBlock& flight);

} // namespace zirko
