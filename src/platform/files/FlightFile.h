// A ".zdf" flight file on disk: mapped and parsed in place, or formatted into an atomic save.
#pragma once

#include "core/flightdata/ZdfFile.h"
#include "platform/files/FileStore.h"

#include <cstddef>
#include <filesystem>
#include <string>

namespace zirko {

// Reads a flight file into a freshly created record. On anything but Ok the record must be
// discarded. An empty file name gives Ok with Count 0. Anything but a regular file (a FIFO, a
// device, a folder) is refused unopened ("NAME is not a regular file."); a flight whose samples
// would take more than FlightMemoryLimit(), or an allocation that fails while reading, gives
// "Not enough memory to open NAME." (both IoError).
TReadResult ReadDataFile(const std::filesystem::path& fileName, TDataBlock& flight,
                         double markerThreshold);

// "Not enough memory to open NAME.": the message when a flight does not fit in memory.
std::string NotEnoughMemoryText(const std::filesystem::path& fileName);
// The most memory the samples of one flight may take: half the machine's memory, less under a
// lower resource limit of the process.
size_t FlightMemoryLimit();
// Sets that limit for this process (0 goes back to the machine's); lets tests try the refusal.
void SetFlightMemoryLimit(size_t bytes);

// Saves the flight as SaveProducedFile saves a file, formatted in chunks as it is written; a
// file the user may not write is refused with "Error in writing file.".
TWriteResult WriteDataFile(const std::filesystem::path& fileName, const TDataBlock& flight,
                           TSaveMode mode = TSaveMode::Replace);

// Whether `fileName` names a flight data file: its name ends in ".zdf" (any case), or it is an
// existing regular file whose content starts with "<Header>". Pictures and exports never replace
// such a file. Nothing but a regular file is opened, so a FIFO cannot block the question.
bool IsFlightDataFile(const std::filesystem::path& fileName);

} // namespace zirko
