// The root data folder as a model: its entries read from disk, the user's changes, the watcher.
#pragma once

#include "core/shell/FolderScan.h"

#include <QObject>
#include <QSet>
#include <QString>
#include <QStringList>

#include <atomic>
#include <functional>
#include <memory>
#include <string>
#include <thread>
#include <vector>

class QFileSystemWatcher;
class QTimer;

namespace zirko {

// A folder or flight file under the root.
struct TFolderEntry {
    QString Name;           // as on disk; the root's is its node text
    QString Text;           // as shown: a flight file's name without its extension
    QString Path;           // the full path as reached from the root, links as they are named
    std::string NativePath; // the same in the file system's bytes
    bool IsFolder = false;
    int Parent = -1; // index of the folder that holds it; -1 for the root
};

// One reading of the data folder: the root first, every entry after the folder that holds it,
// and the entries of one folder side by side.
struct TFolderEntries {
    std::vector<TFolderEntry> Entries;
    // False when the folder limit or a cancel stopped the reading: entries are missing.
    bool Complete = true;
};

// What an operation on the data folder did. An operation that failed says why in Message; one
// that had nothing to do leaves Message empty.
struct TFolderChange {
    bool Ok = false;
    QString Message;
    QString NewPath;    // where the item is now
    QString NewName;    // its new name on disk (a file's with its extension)
    bool Stale = false; // the disk may no longer be what the caller shows: read it again
};

class TDataFolder : public QObject {
    Q_OBJECT
public:
    explicit TDataFolder(QObject* parent = nullptr);
    ~TDataFolder() override;

    // The root data folder as set; Root() is the same without trailing separators.
    QString DataDir() const { return Dir; }
    void SetDataDir(const QString& folder) { Dir = folder; }
    QString Root() const;

    // Reads the folders and flight files under `root`: hidden entries count, each real folder is
    // taken once however many links lead to it, at most `maxFolders` folders (breadth first),
    // unreadable folders are empty. With `siblingOrder` a folder's entries come as the tree
    // shows them (folders first, then by the user's collation of their texts), else in byte
    // order of their names. May run on any thread.
    static TFolderEntries Scan(const std::string& root, size_t maxFolders = kMaxTreeFolders,
                               bool siblingOrder = true, const std::atomic<bool>* cancel = nullptr);
    // Reads the root now; the watched folders follow what was found.
    TFolderEntries Read();
    // Reads the root on a thread; Scanned brings the entries. A reading under way is dropped.
    void StartScan();
    void StopScan();
    bool IsScanning() const { return Scanning; }
    size_t MaxFolders() const { return FolderLimit; }
    void SetMaxFolders(size_t limit) { FolderLimit = limit; }
    // The message shown when a reading stopped at the folder limit.
    QString LimitMessage() const;

    // True when `a` comes before `b` among the entries of one folder.
    static bool SiblingLess(bool aIsFolder, const QString& aText, bool bIsFolder,
                            const QString& bText);
    // The text shown for an entry of that name.
    static QString TextOf(const QString& name, bool isFolder);
    static bool Exists(const QString& path, bool isFolder);

    // Renames the item at `path` to the typed text `newText` (a flight file keeps its extension).
    TFolderChange Rename(const QString& path, bool isFolder, const QString& newText);
    // Moves the item at `path` into the folder `targetFolder`, never replacing anything there.
    TFolderChange Move(const QString& path, bool isFolder, const QString& targetFolder);
    // Moves the item at `path` to the user's trash. `release` is asked first to let go of the
    // flights read from there; when it answers false nothing happens.
    TFolderChange Trash(const QString& path, bool isFolder, const std::function<bool()>& release);
    // Makes a new folder of the first free default name inside `parentFolder`.
    TFolderChange MakeFolder(const QString& parentFolder);

    // Watches `folder` and every folder below it for entries that appear, vanish or are renamed:
    // the folders last read when it is the root, else as found below it.
    void Watch(const QString& folder);
    QString WatchedFolder() const { return WatchRoot; }
    QStringList WatchedFolders() const;

    // Off while the program itself changes the data folder, so that the notifications of those
    // changes report nothing.
    bool NotifyEnabled() const { return Notify; }
    void SetNotifyEnabled(bool on) { Notify = on; }
    // The main window has been shown: changes on disk may be reported from now on.
    void WindowShown() { Shown = true; }

    // Holds the report of changes on disk while the caller works on what it shows.
    class THold {
    public:
        explicit THold(TDataFolder& folder) : Folder(folder) { ++Folder.Busy; }
        ~THold() { --Folder.Busy; }
        THold(const THold&) = delete;
        THold& operator=(const THold&) = delete;

    private:
        TDataFolder& Folder;
    };

signals:
    // A reading started by StartScan is done.
    void Scanned(std::shared_ptr<const TFolderEntries> entries);
    // Entries appeared, vanished or were renamed on disk (once a burst of changes has settled).
    void DiskChanged();
    // Files or folders of the data folder changed: by an operation here, or a reading found the
    // folder as it is now.
    void Changed();
    // An item went to the trash.
    void Trashed(const QString& path);

private:
    void ScanDone(quint64 generation, std::shared_ptr<const TFolderEntries> entries);
    void TakeFolders(const TFolderEntries& entries);
    void ReplaceFolders(const QString& oldPath, const QString& newPath);
    void SyncWatcher();
    void FolderNotified();
    bool NotificationsWanted() const;

    QString Dir;
    QString WatchRoot;
    QSet<QString> Folders; // every folder of the last reading, kept in step with our own changes
    QFileSystemWatcher* Watcher = nullptr;
    QTimer* NotifyTimer = nullptr;
    std::thread ScanThread;
    std::atomic<bool> ScanCancel{false};
    quint64 ScanGeneration = 0;
    size_t FolderLimit = kMaxTreeFolders;
    int Busy = 0;
    bool Scanning = false;
    bool Notify = false;
    bool Shown = false;
    bool Quitting = false;
};

} // namespace zirko
