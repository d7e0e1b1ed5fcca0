// Other loggers' files read from disk and their flights written as flight files into a folder.
#pragma once

#include "core/import/FlightImport.h"

#include <filesystem>
#include <string>
#include <vector>

namespace zirko {

// Reads and parses a source file; a file that cannot be read is refused with
// "NAME: Error in reading file.", anything but a regular file unopened with "NAME is not a
// regular file.", and a source too large for memory with "Not enough memory to open NAME.".
TImportResult ReadImportSource(const std::filesystem::path& fileName, TImportFormat format,
                               const TColumnChoice& choice);

// The files written for one source, or where writing stopped.
struct TImportWrite {
    std::vector<std::filesystem::path> Written; // in the order of the flights
    std::string Error; // not empty: the flights from Written.size() on were not written
    bool Ok() const { return Error.empty(); }
};

// Writes every flight of `source` into `folder` (made when missing) as
// ImportFileName(baseName, n), n the next number whose file does not exist, so no file is ever
// written over. `sourceName` goes into the notes.
TImportWrite WriteImportedFlights(const TImportResult& source, const std::string& sourceName,
                                  const std::filesystem::path& folder, const std::string& baseName);

} // namespace zirko
