// Saves the flights of a downloaded memory image as flight files and keeps the image as a backup.
#pragma once

#include "core/analysis/FlightEvents.h"
#include "core/device/FlightSplitter.h"

#include <cstddef>
#include <filesystem>
#include <span>
#include <string>
#include <vector>

namespace zirko {

// What to do with a flight whose file name is taken by a different flight.
enum class TOverwriteAnswer {
    KeepBoth,   // the flight is saved under the next free number (the default)
    Rewrite,    // the file is replaced by this flight
    RewriteAll, // this and every later different flight replace their files without a question
    Skip,       // this flight is not saved; the save goes on with the next
};

// The question asked for a different flight under a taken name.
struct TOverwriteQuestion {
    std::string FileName; // the taken name
    std::string FreeName; // where Keep both saves the flight
    std::string Text;     // the question as shown
};

// What saving tells and asks; the device window and zirko-cli show it each their own way.
class TFlightSaveUi {
public:
    virtual ~TFlightSaveUi() = default;
    // A file of the flight's name holds another flight: Keep both, Rewrite, Rewrite all or Skip.
    virtual TOverwriteAnswer AskOverwrite(const TOverwriteQuestion& question) = 0;
    // The file of the flight's name, or with SkipKnown any file of the data folder, holds this
    // very flight (the same header words and samples): it is not written again and no question
    // is asked.
    virtual void FlightAlreadySaved(const std::string& fileName) = 0;
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
    // A flight whose header words and samples equal those of a flight file already anywhere under
    // the data folder is not saved again (FlightAlreadySaved names that file).
    bool SkipKnown = false;
    // The logbook index that finds those files quickly; empty reads every file of the folder.
    std::filesystem::path IndexPath;
    // The analysis the index's rows are brought up to date with: the logbook's own.
    TEventOptions Analysis;
};

// What a download's saving came to.
struct TSplitResult {
    int Segments = 0;       // flights found
    int Saved = 0;          // files really written
    int Skipped = 0;        // different flights under taken names the answer skipped
    int AlreadySaved = 0;   // flights the file of their name already held
    int Known = 0;          // flights another file of the data folder already held (SkipKnown)
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
    // Writes the flights in order. A name taken by the same flight is left alone, one taken by
    // another flight is asked about; a link whose target is missing counts as taken, and nothing
    // is ever created outside the data folder.
    TSplitResult SaveFlights(const std::vector<TImageFlight>& flights, TFlightSaveUi& ui) const;
    // Stores the image under a new time-stamped name and drops the oldest backups; returns its
    // path, or nothing when no backup could be kept.
    std::string KeepBackup(std::span<const uint8_t> image) const;

private:
    TSaverPaths Paths;
};

} // namespace zirko
