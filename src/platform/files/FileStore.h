// Whole-file reading and atomic saving: the disk work behind the flight and settings files.
#pragma once

#include "core/app/ByteSink.h"

#include <filesystem>
#include <functional>
#include <string>
#include <string_view>

namespace zirko {

// Replace: the file is replaced whole, or created. CreateNew: the file appears only if no file
// of its name is there at the moment it would appear.
enum class TSaveMode { Replace, CreateNew };
enum class TFileSave { Written, Exists, Failed };

// Hands all the bytes of a file to the sink; false as soon as that fails.
using TByteProducer = std::function<bool(const TByteSink&)>;

// Reads a whole file into memory; false when it cannot be opened or read, or is no regular file.
bool ReadWholeFile(const std::filesystem::path& fileName, std::string& content);

// "NAME is not a regular file." when `fileName` is there but is something else (a FIFO, a device,
// a folder); empty otherwise. The name is only looked at: opening a FIFO would block, and reading
// a device such as /dev/zero would never end.
std::string NotRegularFileText(const std::filesystem::path& fileName);

// Writes the file where nothing is visible until it is complete, then puts it in place. A
// symbolic link is followed (its target is replaced, the link stays), the old file's permissions
// are kept, and a file the user may not write is refused. Nothing is created through a link whose
// target is missing: CreateNew finds the name taken (Exists), Replace replaces the link itself.
TFileSave SaveProducedFile(const std::filesystem::path& fileName, TSaveMode mode,
                           const TByteProducer& produce);
// Saves `content` as SaveProducedFile saves what a producer hands on.
TFileSave SaveFileAtomically(const std::filesystem::path& fileName, std::string_view content,
                             TSaveMode mode);
// Replaces or creates `fileName` with `content`; false when it was not written.
bool WriteFileAtomically(const std::filesystem::path& fileName, std::string_view content);

} // namespace zirko
