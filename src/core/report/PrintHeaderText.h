// The header line over a printed chart or printed notes: the names and dates of the flights on
// the page, so that a sheet taken from the printer still says what it shows.
#pragma once

#include "core/flightdata/DataBlock.h"

#include <string>
#include <vector>

namespace zirko {

struct TPrintedFlight {
    std::string Name; // the flight's name as the program shows it (UTF-8)
    std::string Date; // the flight's date as text (UTF-8), empty when the file has none
    bool operator==(const TPrintedFlight&) const = default;
};

// The flight's name with its date decoded as the file's texts are.
TPrintedFlight PrintedFlightOf(const std::string& name, const TDataBlock& flight);

// "F1 (15.05.2026 10:00:00), F2 (15.05.2026 10:05:00)": the flights in the order given, a flight
// without a date by its name alone. Empty when there is no flight.
std::string PrintHeaderText(const std::vector<TPrintedFlight>& flights);

} // namespace zirko
