// The settings file on disk: read whole into a TIniFile, written where it appears complete.
#pragma once

#include "core/app/IniFile.h"

#include <filesystem>
#include <optional>

namespace zirko {

// Reads a settings file; a missing file gives empty settings. Nothing when the file is there but
// cannot be read.
std::optional<TIniFile> LoadIniFile(const std::filesystem::path& fileName,
                                    char decimalSeparator = '.');
// Writes through a temporary file, following a link and keeping the permissions as every save
// does; false when the file could not be written.
bool SaveIniFile(const std::filesystem::path& fileName, const TIniFile& ini);

} // namespace zirko
