// The ".zdf" flight data file: reader and writer.
#pragma once

#include "core/flightdata/DataBlock.h"

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

enum class TWriteStatus {
    Ok,
    IoError, // "Error in writing file."; the previous file is untouched
    Failed,  // the record is inconsistent (a channel array shorter than Time); nothing written
};

struct TWriteResult {
    TWriteStatus Status = TWriteStatus::Ok;
    std::string Message;
    bool Ok() const { return Status == TWriteStatus::Ok; }
};

// Serialises a flight exactly as it is written to disk.
std::string FormatDataFile(const TDataBlock& flight, TWriteResult* failure = nullptr);

// Writes the flight to a temporary file beside the target and replaces the target only when the
// whole file was written.
TWriteResult WriteDataFile(const std::filesystem::path& fileName, const TDataBlock& flight);

// Reads a whole file into memory; false when it cannot be opened or read.
bool ReadWholeFile(const std::filesystem::path& fileName, std::string& content);

// Replaces `fileName` with `content` through a temporary file in the same folder.
bool WriteFileAtomically(const std::filesystem::path& fileName, std::string_view content);

} // namespace zirko
