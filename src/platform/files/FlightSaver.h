// Saves the flights of a downloaded memory image as flight files and keeps the image as a backup.
#pragma once

#include "core/device/FlightSplitter.h"

#include <cstddef>
#include <filesystem>
#include <span>
#include <string>
#include <vector>

namespace zirko {

enum class TOverwriteAnswer { Yes, No, YesToAll };

// What saving tells and asks; the device window and zirko-cli show it each their own way.
class TFlightSaveUi {
public:
    virtual ~TFlightSaveUi() = default;
    // "Filename ... already exists. Rewrite?" with Yes, No and Yes to All.
    virtual TOverwriteAnswer AskOverwrite(const std::string& question) = 0;
    // The image was split into `count` flights, skipped ones included.
    virtual void FlightsFound(size_t count) = 0;
    // A flight was not saved (no channel, or its file could not be written); the save goes on.
    virtual void FlightNotSaved(const std::string& reason) = 0;
    // `count` files are written so far; 0 when there was nothing to save.
    virtual void FilesWritten(int count) = 0;
    // The save is over: its count text, and where the raw image is kept (empty: nowhere).
    virtual void SaveFinished(const std::string& countText, const std::string& backupPath) = 0;
};

// Where a download goes.
struct TSaverPaths {
    // The root data folder; empty saves into "Data" below the working folder.
    std::string DataFolder;
    // Every image is also kept here as a raw file, the newest ones only; empty keeps none.
    std::filesystem::path BackupFolder;
    size_t BackupsKept = 20;
};

// What a download's saving came to.
struct TSplitResult {
    int Segments = 0;       // flights found
    int Saved = 0;          // files really written
    std::string CountText;  // the count text of the closing box (empty when nothing was found)
    std::string BackupPath; // where the raw image was kept, empty when it was not
    std::string Error;      // a failure that ends the save and the connection ("Cannot create ")
};

class TFlightSaver {
public:
    explicit TFlightSaver(TSaverPaths paths) : Paths(std::move(paths)) {}

    // A finished download: keeps the raw backup, finds the flights, reports and saves them.
    // The image is everything read; flights are looked for up to `lastDataIndex`.
    TSplitResult DataReadingFinished(std::span<const uint8_t> image, int64_t lastDataIndex,
                                     const TSplitSettings& settings, TFlightSaveUi& ui) const;
    // Writes the flights in order; No to an overwrite question ends the save.
    TSplitResult SaveFlights(const std::vector<TImageFlight>& flights, TFlightSaveUi& ui) const;
    // Stores the image under a new time-stamped name and drops the oldest backups; returns its
    // path, or nothing when no backup could be kept.
    std::string KeepBackup(std::span<const uint8_t> image) const;

private:
    TSaverPaths Paths;
};

} // namespace zirko
