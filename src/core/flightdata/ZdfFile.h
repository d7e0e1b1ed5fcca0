// The ".zdf" flight data file: reader and writer.
#pragma once

#include "core/flightdata/DataBlock.h"

#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>

namespace zirko {

inline constexpr const char* kMsgUnexpectedEof = "Unexpected end of file";
inline constexpr const char* kMsgBadHeader = "Bad header of file";
inline constexpr const char* kMsgBadData = "Error reading data from file.";
inline constexpr const char* kMsgReadIo = "Error in reading file.";
inline constexpr const char* kMsgWriteIo = "Error in writing file.";

enum class TReadStatus {
    Ok,      // Count data lines were read (Count may be 0: the caller does not open such a file)
    Failed,  // a format error; Message is one of the texts above, shown by the caller
    IoError, // the file could not be read; "Error in reading file." is shown, Count is 0
};

struct TReadResult {
    TReadStatus Status = TReadStatus::Ok;
    int Count = 0;
    std::string Message;
};

// Reads a flight file into a freshly created record. On anything but Ok the record must be
// discarded. An empty file name gives Ok with Count 0.
TReadResult ReadDataFile(const std::filesystem::path& fileName, TDataBlock& flight,
                         double markerThreshold);

// The same reading from bytes already in memory.
TReadResult ParseDataFile(std::string_view content, TDataBlock& flight, double markerThreshold);

// The largest flight file the reader takes; anything larger is "Error in reading file.".
inline constexpr int64_t kMaxFlightFileBytes = int64_t{1} << 30;

enum class TWriteStatus {
    Ok,
    IoError, // "Error in writing file."; the previous file is untouched
    Failed,  // the record is inconsistent (a channel array shorter than Time); nothing written
    Exists,  // a new file was asked for and one of that name is there; nothing written
};

// Replace: the file is replaced whole, or created. CreateNew: the file appears only if no file
// of its name is there at the moment it would appear.
enum class TSaveMode { Replace, CreateNew };
enum class TFileSave { Written, Exists, Failed };

struct TWriteResult {
    TWriteStatus Status = TWriteStatus::Ok;
    std::string Message;
    bool Ok() const { return Status == TWriteStatus::Ok; }
};

// Serialises a flight exactly as it is written to disk.
std::string FormatDataFile(const TDataBlock& flight, TWriteResult* failure = nullptr);

// Writes the flight where nothing is visible until it is complete, then puts it in place. A
// symbolic link is followed (its target is replaced, the link stays), the old file's permissions
// are kept, and a file the user may not write is refused with "Error in writing file.".
TWriteResult WriteDataFile(const std::filesystem::path& fileName, const TDataBlock& flight,
                           TSaveMode mode = TSaveMode::Replace);

// Reads a whole file into memory; false when it cannot be opened or read.
bool ReadWholeFile(const std::filesystem::path& fileName, std::string& content);

// Saves `content` as WriteDataFile saves a flight.
TFileSave SaveFileAtomically(const std::filesystem::path& fileName, std::string_view content,
                             TSaveMode mode);
// Replaces or creates `fileName` with `content`; false when it was not written.
bool WriteFileAtomically(const std::filesystem::path& fileName, std::string_view content);

} // namespace zirko
