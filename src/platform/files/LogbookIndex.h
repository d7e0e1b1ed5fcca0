// The logbook's index: an SQLite cache of the rows of flight files, so that only new and changed
// files are read again. It is a cache only: whatever goes wrong with it, the rows are read.
#pragma once

#include "platform/files/LogbookFiles.h"

#include <QString>

#include <string>
#include <unordered_map>
#include <vector>

namespace zirko {

class TLogbookIndex {
public:
    // Opens (or makes) the index at `databasePath`; one that is corrupt or of another layout is
    // replaced by an empty one. Usable() tells whether an index could be had at all.
    explicit TLogbookIndex(const QString& databasePath);
    ~TLogbookIndex();
    TLogbookIndex(const TLogbookIndex&) = delete;
    TLogbookIndex& operator=(const TLogbookIndex&) = delete;

    bool Usable() const { return Open; }

    // What the index holds of one file.
    struct TStored {
        int64_t Size = 0;
        int64_t ModifiedNs = 0;
        std::string Row; // StoreRow's bytes
    };
    // Every file stored under the folder `root` (an absolute path), by absolute path.
    std::unordered_map<std::string, TStored> Load(const std::string& root) const;

    // In one transaction: stores the rows of `changed` files and forgets the files in `gone`.
    // False when the index could not be written (nothing else fails).
    struct TChange {
        std::string Path; // absolute
        int64_t Size = 0;
        int64_t ModifiedNs = 0;
        const TLogbookRow* Row = nullptr;
    };
    bool Update(const std::vector<TChange>& changed, const std::vector<std::string>& gone);

    // The details of every readable flight stored under the folder `root`, no file read.
    std::vector<TFlightDetails> StoredDetails(const std::filesystem::path& root) const;

    // The index of the user's cache folder.
    static QString DefaultPath();

private:
    bool OpenDatabase(const QString& path);
    void Close();
    QString Connection;
    bool Open = false;
};

// The rows of the files, those unchanged since the index stored them (and analysed there with the
// options their model takes now) taken from it, the others read (on one worker thread per core)
// and stored. `index` may be null: every file is read.
// With `control`, the progress counts the files read (not those the index gave) and a cancelled
// read leaves the rows of unread files empty (an empty Path); they are not stored.
std::vector<TLogbookRow> IndexedLogbookRows(const std::filesystem::path& root,
                                            const std::vector<TFlightFileEntry>& files,
                                            const std::vector<std::string>& dateFormats,
                                            const TModelProfiles* profiles, TLogbookIndex* index,
                                            const TEventOptions& general = {},
                                            const TReadControl* control = nullptr);

} // namespace zirko
