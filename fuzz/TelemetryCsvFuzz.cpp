// Fuzz target: any bytes read as a telemetry CSV log, with the columns found by their names and
// with a choice; what it accepts must give consistent flights that write and read back.
#include "ImportCheck.h"
#include "core/import/TelemetryCsv.h"

#include <cstdint>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    zirko::fuzz::CheckImported(zirko::ParseTelemetryCsv(text, "fuzz.csv", {}));
    zirko::TColumnChoice choice;
    choice.Altitude = "Alt(ft)";
    choice.Servo = "Thr";
    choice.Voltage = "";
    zirko::fuzz::CheckImported(zirko::ParseTelemetryCsv(text, "fuzz.csv", choice));
    return 0;
}
