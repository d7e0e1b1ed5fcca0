// IGC flight recorder files: the fixes of the B records, the date of the H record and the B record
// extensions the I record declares.
#pragma once

#include "core/import/FlightImport.h"

#include <string_view>

namespace zirko {

// The names the choice of columns knows for the two altitudes of a B record.
inline constexpr const char* kIgcPressureAltitude = "Pressure altitude";
inline constexpr const char* kIgcGnssAltitude = "GNSS altitude";

// One flight: time from the B records' hhmmss (a time earlier than the previous one by more than
// half a day has crossed midnight), the pressure altitude (the GNSS altitude when the pressure
// altitude is 0 throughout) and, where the I record declares it, the engine noise "MOP" or "ENL"
// (0..999) as servo -100..+100 %. IGC files have no voltage.
TImportResult ParseIgcFile(std::string_view content, std::string_view fileName,
                           const TColumnChoice& choice);

} // namespace zirko
