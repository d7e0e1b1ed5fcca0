// One download's save: where its flights and raw backup go, how they are named and dated, which
// flights are left out; the device window and zirko-cli download and split all save through it.
#pragma once

#include "platform/files/FlightSaver.h"

#include <cstdint>
#include <filesystem>
#include <optional>
#include <span>
#include <string>

namespace zirko {

struct TDownloadSaveOptions {
    // The root data folder; empty saves into "Data" below the working folder.
    std::string DataFolder;
    // The option "DefFileName": the start of the files' names (empty names them "Block").
    std::string FileName;
    // The date text the flights carry; none: the moment of the save, as the locale writes it.
    std::optional<std::string> DateText;
    // Where the raw image is kept; empty keeps none.
    std::filesystem::path BackupFolder;
    // A flight already in a file anywhere under the data folder is not saved again.
    bool SkipKnown = false;
    // The logbook index that finds those flights; none: the user's own logbook index, empty:
    // every file of the folder is read.
    std::optional<std::filesystem::path> IndexPath;
    // The analysis options the logbook uses (the model profiles come from the data folder), so
    // that the rows this save stores in the index are those the logbook wants.
    TEventOptions Analysis;
};

class TDownloadSave {
public:
    explicit TDownloadSave(const TDownloadSaveOptions& options);

    // What the saver is given: fixed when the job is made.
    const TSaverPaths& Paths() const { return SaverPaths; }
    // The names and the date text; the date is fixed once Run has begun.
    const TSplitSettings& Settings() const { return Split; }

    // Keeps the raw backup, finds the flights up to `lastDataIndex` and saves them, asking and
    // telling through `ui`.
    TSplitResult Run(std::span<const uint8_t> image, int64_t lastDataIndex, TFlightSaveUi& ui);

    // The option "DefFileName" after a save: an empty one became "Block" once flights were found.
    std::string FileNameAfter(const TSplitResult& result) const;

private:
    TSaverPaths SaverPaths;
    TSplitSettings Split;
    bool DateGiven = false;
};

} // namespace zirko
