// The ".zdf" flight data file: its bytes parsed into a record and a record formatted into them.
#pragma once

#include "core/app/ByteSink.h"
#include "core/flightdata/DataBlock.h"

#include <cstddef>
#include <cstdint>
#include <optional>
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

// How the data section is parsed: one of at least MinParallelBytes is cut at line starts into
// chunks of about ChunkBytes, parsed on Threads threads (0: one per core) and joined in order.
// The result is the same however it is cut; tests cut small files to compare.
// PrepareArray, when given, is handed the storage of each sample array before its first write: the
// platform maps the pages of a large one in one go instead of one fault per page.
struct TParseTuning {
    size_t MinParallelBytes = size_t{4} << 20;
    size_t ChunkBytes = size_t{1} << 20;
    unsigned Threads = 0;
    void (*PrepareArray)(void* data, size_t bytes) = nullptr;
};

// Reads a flight file's bytes into a freshly created record. On anything but Ok the record must
// be discarded. The samples take 8 bytes per line for Time and each kept channel (4 more for the
// marker flags); when that is more than `memoryLimit` bytes nothing is allocated and
// std::bad_alloc is thrown, as when an allocation fails while reading.
TReadResult ParseDataFile(std::string_view content, TDataBlock& flight, double markerThreshold,
                          size_t memoryLimit = SIZE_MAX, const TParseTuning& tuning = {});
// A number of a data line as the reader takes it, up to the first comma: the common forms on a
// fast path, the rest by the full grammar (ParseStrictNumber). Empty gives 0; text that is no
// number gives nothing (the reader fails with "Error reading data from file.").
std::optional<double> ReadDataNumber(std::string_view piece);
// The bytes the arrays of a flight of `samples` samples take with this channel mask.
uint64_t SampleMemoryBytes(int64_t samples, int32_t channelMask);

// The largest flight file the reader takes; anything larger is "Error in reading file.".
inline constexpr int64_t kMaxFlightFileBytes = int64_t{1} << 30;

enum class TWriteStatus {
    Ok,
    IoError, // "Error in writing file."; the previous file is untouched
    Failed,  // the record is inconsistent (a channel array shorter than Time); nothing written
    Exists,  // a new file was asked for and one of that name is there; nothing written
};

struct TWriteResult {
    TWriteStatus Status = TWriteStatus::Ok;
    std::string Message;
    bool Ok() const { return Status == TWriteStatus::Ok; }
};

// Whether the record can be written: Ok, or Failed with its message when a channel array is
// shorter than Time.
TWriteResult CheckDataFile(const TDataBlock& flight);
// Hands the flight's file bytes to the sink in chunks, never a buffer the size of the file; false
// when the sink refused some or the record fails CheckDataFile (nothing is handed on then).
bool EmitDataFile(const TDataBlock& flight, const TByteSink& sink);
// Serialises a flight exactly as it is written to disk.
std::string FormatDataFile(const TDataBlock& flight, TWriteResult* failure = nullptr);

// The record as it reads back once written (time to 0.1, the channels to 0.01); empty when it
// cannot be written.
TDataBlock AsStored(const TDataBlock& flight);
// Whether two records hold the same recorded flight: the same header words and the same samples
// of every channel. The date, annotations, notes and offsets, which the user edits, do not count.
bool SameRecordedFlight(const TDataBlock& a, const TDataBlock& b);

} // namespace zirko
