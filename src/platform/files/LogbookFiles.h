// The flight files under a data folder, found as the tree finds them and read into logbook rows.
#pragma once

#include "core/logbook/LogbookRow.h"
#include "core/logbook/ModelProfiles.h"
#include "core/shell/FolderScan.h"

#include <atomic>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace zirko {

// A flight file under the root: its path relative to the root ("/" separated, as the folders
// were walked, links included) and what the file system says of it.
struct TFlightFileEntry {
    std::string RelativePath;
    std::filesystem::path FullPath;
    int64_t Size = 0;
    int64_t ModifiedNs = 0;     // modification time, ns since the epoch
    TCivilSeconds Modified = 0; // the same on the local clock
};

// Every flight file under `root` that the data folder tree shows (".zdf" in any case, hidden ones
// too, each real folder once however many links lead to it), sorted by relative path. The walk
// stops after `maxFolders` folders, as the tree's does; `complete`, when given, tells whether it
// got to the end.
std::vector<TFlightFileEntry> FindFlightFiles(const std::filesystem::path& root,
                                              bool* complete = nullptr,
                                              size_t maxFolders = kMaxTreeFolders);

// The one line that says the folder limit cut the walk of `root` (as the user named it) short.
std::string FolderLimitNote(const std::string& root, size_t maxFolders = kMaxTreeFolders);

// The forms a header date is read in: the program's, then the locale's short date and long time.
std::vector<std::string> FlightDateFormats();

// One row of a file: read, analysed (events by the `general` options, with the model's profile
// over them) and its details taken; a file that cannot be read has its reader's message in Error.
TLogbookRow ReadLogbookRow(const TFlightFileEntry& file,
                           const std::vector<std::string>& dateFormats,
                           const TModelProfiles* profiles, const TEventOptions& general = {});

// Lets a caller follow a long read and stop it. Progress is called on the worker threads after
// each file with the number of files done; once Cancel is set no further file is begun, and the
// rows of the files left unread stay empty (an empty Path), so those read can still be used.
struct TReadControl {
    const std::atomic<bool>* Cancel = nullptr;
    std::function<void(size_t done, size_t total)> Progress;
    bool Cancelled() const { return Cancel && Cancel->load(std::memory_order_relaxed); }
};

// The rows of all files, read on one worker thread per core, in the order of `files`.
std::vector<TLogbookRow> ReadLogbookRows(const std::vector<TFlightFileEntry>& files,
                                         const std::vector<std::string>& dateFormats,
                                         const TModelProfiles* profiles,
                                         const TEventOptions& general = {},
                                         const TReadControl* control = nullptr);

// The profiles of `file` (models.ini), or nothing with the reason when it cannot be read.
struct TProfilesRead {
    bool Ok = false;
    TModelProfiles Profiles;
    std::string Text;    // the file's bytes
    std::string Message; // why not
};
TProfilesRead ReadModelProfiles(const std::filesystem::path& file);

// The profiles a data folder's flights are analysed with: its models.ini, or none when there is
// no such file or it cannot be read (the general options then apply to every flight). The
// logbook and the downloads that fill its index both take them from here.
std::optional<TModelProfiles> FolderModelProfiles(const std::filesystem::path& root);

} // namespace zirko
