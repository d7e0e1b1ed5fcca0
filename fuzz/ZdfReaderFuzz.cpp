// Fuzz target: any bytes given to the flight file reader; what it accepts must write and read back.
#include "core/flightdata/ZdfFile.h"

#include <cstdint>
#include <cstdlib>
#include <string_view>

namespace {
// A text that is itself a section tag (possible only in a crafted file) moves the sections of the
// file written back; such records are read but not compared.
bool HoldsTagLine(const zirko::TDataBlock& f)
{
    static const char* kTags[] = {"<Header>",   "</Header>", "<Data>",  "</Data>", "<Anotace>",
                                  "</Anotace>", "<Text>",    "</Text>", "<Extra>", "</Extra>"};
    for (const char* tag : kTags) {
        if (f.DateText == tag)
            return true;
        for (const auto& a : f.Annotations)
            if (a.Text.find(tag) != std::string::npos)
                return true;
        if (f.Notes.find(tag) != std::string::npos)
            return true;
    }
    return false;
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    zirko::TDataBlock flight;
    const zirko::TReadResult first = zirko::ParseDataFile(text, flight, 0.0);
    if (first.Status != zirko::TReadStatus::Ok || first.Count < 1 || HoldsTagLine(flight))
        return 0;
    // Only consistent records are written; the reader keeps the masked channels filled.
    zirko::TWriteResult write;
    const std::string again = zirko::FormatDataFile(flight, &write);
    if (!write.Ok())
        return 0;
    zirko::TDataBlock second;
    const zirko::TReadResult back = zirko::ParseDataFile(again, second, 0.0);
    if (back.Status != zirko::TReadStatus::Ok || back.Count != static_cast<int>(flight.Time.size()))
        std::abort();
    return 0;
}
