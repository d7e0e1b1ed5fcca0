// The flights opened last, newest first, as the File menu offers them and the settings file keeps
// them.
#pragma once

#include "core/app/IniFile.h"

#include <cstddef>
#include <string>
#include <vector>

namespace zirko {

inline constexpr const char* kRecentSection = "Recent";
inline constexpr size_t kMaxRecentFiles = 8;

// `path` becomes the newest entry; an older entry of the same path goes, and so does the oldest
// beyond kMaxRecentFiles.
void AddRecentFile(std::vector<std::string>& recent, const std::string& path);
// `path` is no longer offered (its file was not found).
void RemoveRecentFile(std::vector<std::string>& recent, const std::string& path);

// Keys "File1" (the newest) to "File8"; empty, repeated and surplus entries are left out.
std::vector<std::string> ReadRecentFiles(const TIniFile& ini);
// Writes all eight keys, those beyond the list empty, so the section keeps its place.
void WriteRecentFiles(TIniFile& ini, const std::vector<std::string>& recent);

} // namespace zirko
