// A ".zdf" flight file read from disk: the file is mapped and parsed in place.
#pragma once

#include "core/flightdata/ZdfFile.h"

#include <filesystem>

namespace zirko {

// Reads a flight file into a freshly created record. On anything but Ok the record must be
// discarded. An empty file name gives Ok with Count 0.
TReadResult ReadDataFile(const std::filesystem::path& fileName, TDataBlock& flight,
                         double markerThreshold);

} // namespace zirko
