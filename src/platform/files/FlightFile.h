// A ".zdf" flight file on disk: mapped and parsed in place, or formatted into an atomic save.
#pragma once

#include "core/flightdata/ZdfFile.h"
#include "platform/files/FileStore.h"

#include <filesystem>

namespace zirko {

// Reads a flight file into a freshly created record. On anything but Ok the record must be
// discarded. An empty file name gives Ok with Count 0.
TReadResult ReadDataFile(const std::filesystem::path& fileName, TDataBlock& flight,
                         double markerThreshold);

// Saves the flight as SaveProducedFile saves a file, formatted in chunks as it is written; a
// file the user may not write is refused with "Error in writing file.".
TWriteResult WriteDataFile(const std::filesystem::path& fileName, const TDataBlock& flight,
                           TSaveMode mode = TSaveMode::Replace);

} // namespace zirko
