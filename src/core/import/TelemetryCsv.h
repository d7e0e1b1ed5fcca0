// Telemetry logs of radio transmitters: a header row of column names, then one CSV row per sample.
#pragma once

#include "core/import/FlightImport.h"

#include <string_view>

namespace zirko {

// A gap longer than this between two rows starts a new flight.
inline constexpr int64_t kSessionGapMilliseconds = 60000;

// Time from the "Date" (yyyy-mm-dd) and "Time" (hh:mm:ss.sss) columns; altitude from "Alt(m)",
// else "GAlt(m)", else "Alt(ft)"; servo from "Thr" (a stick in -1024..1024), else the
// lowest "CHn(us)" channel; voltage from "RxBt(V)", else "VFAS(V)", else "A1(V)". A chosen
// column ending in "(ft)" is in feet, one ending in "(us)" a pulse width in microseconds, any
// other servo column a stick value.
TImportResult ParseTelemetryCsv(std::string_view content, std::string_view fileName,
                                const TColumnChoice& choice);

} // namespace zirko
