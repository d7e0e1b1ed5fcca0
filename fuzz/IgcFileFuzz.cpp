// Fuzz target: any bytes read as an IGC file; what it accepts must give a consistent flight that
// writes and reads back.
#include "ImportCheck.h"
#include "core/import/IgcFile.h"

#include <cstdint>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    zirko::fuzz::CheckImported(zirko::ParseIgcFile(text, "fuzz.igc", {}));
    zirko::TColumnChoice choice;
    choice.Altitude = zirko::kIgcGnssAltitude;
    choice.Servo = "ENL";
    zirko::fuzz::CheckImported(zirko::ParseIgcFile(text, "fuzz.igc", choice));
    return 0;
}
