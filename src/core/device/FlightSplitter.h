// Splits a downloaded logger memory image into flights, converts and saves them as flight files.
#pragma once

#include "core/flightdata/DataBlock.h"

#include <cstdint>
#include <filesystem>
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

enum class TOverwriteAnswer { Yes, No, YesToAll };

// What saving shows the user; the device window and zirko-cli implement it.
class TFlightSaveUi {
public:
    virtual ~TFlightSaveUi() = default;
    // "Filename ... already exists. Rewrite?" with Yes, No and Yes to All.
    virtual TOverwriteAnswer AskOverwrite(const std::string& question) = 0;
    virtual void ShowError(const std::string& text) = 0;
    // The closing information box (one Yes button).
    virtual void ShowInformation(const std::string& text) = 0;
    virtual void StatusText(const std::string& text) = 0;
    virtual void InitLabelText(const std::string& text) = 0;
};

// The first part of a saved file's name and the number the numbering starts at.
struct TSaveName {
    std::string BaseName;
    int FirstNumber = 1;
};
TSaveName SaveNameFromDefault(const std::string& defaultFileName);
// base + number with at least three digits + ".zdf".
std::string FlightFileName(const std::string& baseName, int number);
// "1 file succesfully written." / "N files succesfully written."
std::string SavedCountText(int count);
// The line that tells where the raw backup of a download is, or nothing without one.
std::string BackupNote(const std::string& backupPath);

// What a download's splitting and saving came to.
struct TSplitResult {
    int Segments = 0;       // flights found
    int Saved = 0;          // files really written
    std::string CountText;  // the count text of the closing box (empty when nothing was found)
    std::string BackupPath; // where the raw image was kept, empty when it was not
    std::string Error;      // a failure that ends the save and the connection ("Cannot create ")
};

class TFlightSplitter {
public:
    // The image as downloaded and the index of its last byte.
    std::vector<uint8_t> DownloadBuffer;
    int64_t LastDataIndex = -1;
    std::vector<TFlightSegment> FlightList;
    // The root data folder; empty saves into "Data" below the working folder.
    std::string DataFolder;
    // The option "DefFileName"; becomes "Block" when empty at a save.
    std::string DefaultFileName;
    // Every image is also kept here as a raw file, the newest ones only; empty keeps none.
    std::filesystem::path BackupFolder;
    size_t BackupsKept = 20;

    // Smallest i with from <= i <= LastDataIndex - 4 that starts four 0xFF bytes, or -1.
    int64_t FindFlightMarker(int64_t from) const;
    // Appends the flight between two markers when there is room for marker and header.
    void AddFlightSegment(int64_t start, int64_t end);
    // Takes a finished download: keeps the raw backup, finds the flights, reports and saves.
    TSplitResult DataReadingFinished(std::vector<uint8_t> image, int64_t lastDataIndex,
                                     const std::string& dateText, TFlightSaveUi& ui);
    // Writes every segment of FlightList; `dateText` is the one saving moment of this download.
    TSplitResult SaveFlights(const std::string& dateText, TFlightSaveUi& ui);
    // The flight record of one segment, channels converted to metres, percent and volts.
    TDataBlock BuildFlight(const TFlightSegment& segment, const std::string& dateText) const;

private:
    uint16_t Word(int64_t index) const;
    std::string KeepBackup();
};

} // namespace zirko
