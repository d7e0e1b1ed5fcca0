// Finds the flights in a downloaded logger memory image and builds their flight records.
#pragma once

#include "core/flightdata/DataBlock.h"

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace zirko {

// One flight found in the memory image: the stretch from its marker to the next one.
struct TFlightSegment {
    int32_t Sampling = 0;
    int32_t ChannelMask = 0;
    int32_t HeaderWord3 = 0;
    int32_t HeaderWord4 = 0;
    int32_t HeaderWord5 = 0;
    int32_t HeaderWord6 = 0;
    int32_t HeaderWord7 = 0;
    int32_t ChannelCount = 0;
    int64_t DataStart = 0; // first sample byte (marker index + 18)
    int64_t DataEnd = 0;   // the next marker: first byte past the flight
};

// The first part of a saved file's name and the number the numbering starts at.
struct TSaveName {
    std::string BaseName;
    int FirstNumber = 1;
};
// The option "DefFileName" as saving uses it: "Block" when it is empty.
std::string DefaultFileNameForSaving(const std::string& defaultFileName);
TSaveName SaveNameFromDefault(const std::string& defaultFileName);
// base + number with at least three digits + ".zdf".
std::string FlightFileName(const std::string& baseName, int number);
// "1 file succesfully written." / "N files succesfully written."
std::string SavedCountText(int count);
// The closing count of a save: SavedCountText, then how many flights were skipped and how many
// were already saved, each only when there were some.
std::string SaveSummaryText(int written, int skipped, int alreadySaved);
// What follows the count when flights were not saved because the data folder already held them:
// " 1 flight already in the logbook: FILE." (also "N flights" when one file holds them all) or
// " N flights already in the logbook, in FOLDER."; nothing for 0.
std::string KnownFlightsText(int known, const std::string& place, bool placeIsFile);
// The question for a different flight under a taken name, with where Keep both saves it.
std::string OverwriteQuestionText(const std::string& fileName, const std::string& freeName);
// The note for a flight the file of its name already holds.
std::string AlreadySavedText(const std::string& fileName);
// The running count while saving: as SavedCountText, "0 files saved." when there was nothing.
std::string SavedSoFarText(int count);
// The line that tells where the raw backup of a download is, or nothing without one.
std::string BackupNote(const std::string& backupPath);
// "Data reading finished (N blocks read.)"
std::string ReadingFinishedText(size_t flights);

// Smallest i with from <= i <= lastDataIndex - 4 that starts four 0xFF bytes, or -1.
int64_t FindFlightMarker(std::span<const uint8_t> image, int64_t lastDataIndex, int64_t from);
// The flight between two markers, or nothing when there is no room for marker and header.
std::optional<TFlightSegment> AddFlightSegment(std::span<const uint8_t> image, int64_t start,
                                               int64_t end);
// Every flight between the markers of the image up to `lastDataIndex`, in memory order.
std::vector<TFlightSegment> FindFlightSegments(std::span<const uint8_t> image,
                                               int64_t lastDataIndex);
// The flight record of one segment, channels converted to metres, percent and volts.
TDataBlock BuildFlight(std::span<const uint8_t> image, const TFlightSegment& segment,
                       const std::string& dateText);

// What a download's flights are saved as.
struct TSplitSettings {
    std::string DefaultFileName; // the option "DefFileName"; empty names the files "Block"
    std::string DateText;        // the one saving moment of this download
};

// One flight of the image, ready to be written, or the reason it is not.
struct TImageFlight {
    TFlightSegment Segment;
    std::string FileName; // "Block001.zdf"; empty for a skipped flight
    std::string BaseName; // "Block": the name without its number
    int Number = 0;       // 1 for "Block001.zdf"
    TDataBlock Record;
    std::string SkipReason; // the message shown instead of saving; empty for a flight to save
};

// Every stretch of the image in order: the flights to save and the skipped ones.
std::vector<TImageFlight> SplitMemoryImage(std::span<const uint8_t> image, int64_t lastDataIndex,
                                           const TSplitSettings& settings);

} // namespace zirko
