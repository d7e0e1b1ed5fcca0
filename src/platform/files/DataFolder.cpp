#include "platform/files/DataFolder.h"

#include "core/shell/TreeNaming.h"

#include <QCollator>
#include <QCoreApplication>
#include <QCursor>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QFileSystemWatcher>
#include <QGuiApplication>
#include <QStandardPaths>
#include <QTimer>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <fcntl.h>

namespace zirko {

namespace {

// A burst of changes (a download writes many files) is reported once.
constexpr int kNotifyDelayMs = 100;
constexpr qsizetype kMaxWalkedFolders = static_cast<qsizetype>(kMaxTreeFolders);

std::string Utf8(const QString& text)
{
    return text.toStdString();
}

QString FromUtf8(const std::string& text)
{
    return QString::fromStdString(text);
}

QString FromNative(const std::string& bytes)
{
    return QFile::decodeName(QByteArray::fromStdString(bytes));
}

QByteArray Native(const QString& path)
{
    return QFile::encodeName(path);
}

QString NameOf(const QString& path)
{
    return path.mid(path.lastIndexOf('/') + 1);
}

QString FolderOf(const QString& path)
{
    return path.left(std::max<qsizetype>(path.lastIndexOf('/'), 0));
}

// The program's own changes to the data folder must not come back to it as notifications.
class TNotifyOff {
public:
    explicit TNotifyOff(bool& notify) : Flag(notify), Was(notify) { Flag = false; }
    ~TNotifyOff() { Flag = Was; }
    TNotifyOff(const TNotifyOff&) = delete;
    TNotifyOff& operator=(const TNotifyOff&) = delete;

private:
    bool& Flag;
    bool Was;
};

// Moving a large folder to the trash can take a while.
class TWaitCursor {
public:
    TWaitCursor() : Shown(qobject_cast<QGuiApplication*>(QCoreApplication::instance()) != nullptr)
    {
        if (Shown)
            QGuiApplication::setOverrideCursor(Qt::WaitCursor);
    }
    ~TWaitCursor()
    {
        if (Shown)
            QGuiApplication::restoreOverrideCursor();
    }
    TWaitCursor(const TWaitCursor&) = delete;
    TWaitCursor& operator=(const TWaitCursor&) = delete;

private:
    bool Shown;
};

struct TFileResult {
    bool Ok = false;
    int Error = 0;     // the platform's error number when not Ok
    QString TrashPath; // where a deleted item went
    bool AlreadyExists() const { return !Ok && Error == EEXIST; }
};

// A freedesktop trash keeps each item in "<trash>/files" beside "<trash>/info".
bool IsInRealTrash(const QString& trashPath)
{
    if (trashPath.isEmpty() || !QFileInfo(trashPath).isAbsolute())
        return false;
    QDir files = QFileInfo(trashPath).absoluteDir();
    if (files.dirName() != "files")
        return false;
    QDir trash = files;
    return trash.cdUp() && QFileInfo(trash.filePath("info")).isDir() &&
           QFileInfo::exists(trashPath);
}

// Moves a file or a whole folder to the user's trash. A trash that is missing or that the
// platform cannot use is a failure: the item is never deleted for good.
TFileResult RecycleFile(const QString& path)
{
    TFileResult result;
    // Without the per-user data folder the platform would invent a trash in the working folder.
    const QString dataHome = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
    if (dataHome.isEmpty() || !QDir().mkpath(dataHome)) {
        result.Error = ENOENT;
        return result;
    }
    if (!QFileInfo::exists(path) && !QFileInfo(path).isSymLink()) {
        result.Error = ENOENT;
        return result;
    }
    errno = 0;
    QString trashPath;
    const bool moved = QFile::moveToTrash(path, &trashPath);
    const int error = errno;
    if (moved && IsInRealTrash(trashPath) && !QFileInfo::exists(path)) {
        result.Ok = true;
        result.TrashPath = trashPath;
        return result;
    }
    if (moved && !trashPath.isEmpty() && QFileInfo::exists(trashPath) && !QFileInfo::exists(path))
        std::rename(Native(trashPath).constData(), Native(path).constData()); // not a trash: undo
    result.Error = error != 0 ? error : ENOENT;
    return result;
}

// Moves or renames a file or folder, never replacing an existing item at `destination`.
TFileResult MoveItem(const QString& source, const QString& destination)
{
    TFileResult result;
    const QByteArray from = Native(source);
    const QByteArray to = Native(destination);
    errno = 0;
    int rc = ::renameat2(AT_FDCWD, from.constData(), AT_FDCWD, to.constData(), RENAME_NOREPLACE);
    if (rc != 0 && (errno == EINVAL || errno == ENOSYS) && QFileInfo::exists(source)) {
        // File systems without the no-replace flag: check first, then a plain rename.
        if (QFileInfo::exists(destination) || QFileInfo(destination).isSymLink()) {
            result.Error = EEXIST;
            return result;
        }
        rc = std::rename(from.constData(), to.constData());
    }
    if (rc == 0) {
        result.Ok = true;
        return result;
    }
    result.Error = errno;
    if (result.Error == EXDEV && QFileInfo(source).isFile()) {
        // Another file system: a file is copied, and the original removed only once the copy
        // is complete.
        if (QFileInfo::exists(destination)) {
            result.Error = EEXIST;
            return result;
        }
        if (QFile::copy(source, destination)) {
            if (QFile::remove(source)) {
                result.Ok = true;
                result.Error = 0;
                return result;
            }
            QFile::remove(destination);
        }
        result.Error = EXDEV;
    }
    return result;
}

// The item of `folder` shown with `text`: a folder of that name, or a flight file whose name
// differs from text + ".zdf" at most in the case of the extension. Empty when there is none.
QString ShownTwin(const QString& folder, const QString& text, bool isFolder)
{
    const QString base = folder + '/' + text;
    if (isFolder)
        return QFileInfo(base).isDir() ? base : QString();
    const QString extension = FromUtf8(std::string(kFlightExtension));
    for (int upper = 0; upper < 8; ++upper) {
        QString candidate = base + extension;
        for (int k = 0; k < 3; ++k)
            if (upper & (1 << k))
                candidate[candidate.size() - 1 - k] = candidate[candidate.size() - 1 - k].toUpper();
        const QFileInfo info(candidate);
        if (!info.isDir() && (info.exists() || info.isSymLink()))
            return candidate;
    }
    return {};
}

} // namespace

TDataFolder::TDataFolder(QObject* parent) : QObject(parent)
{
    Watcher = new QFileSystemWatcher(this);
    connect(Watcher, &QFileSystemWatcher::directoryChanged, this, &TDataFolder::FolderNotified);
    NotifyTimer = new QTimer(this);
    NotifyTimer->setSingleShot(true);
    NotifyTimer->setInterval(kNotifyDelayMs);
    connect(NotifyTimer, &QTimer::timeout, this, [this] {
        if (Quitting || QCoreApplication::closingDown())
            return;
        if (!Notify || Busy > 0 || Scanning) {
            NotifyTimer->start(); // one of our own operations is running: look again later
            return;
        }
        emit DiskChanged();
    });
    if (QCoreApplication* app = QCoreApplication::instance())
        connect(app, &QCoreApplication::aboutToQuit, this, [this] { Quitting = true; });
}

TDataFolder::~TDataFolder()
{
    Quitting = true;
    StopScan();
}

QString TDataFolder::Root() const
{
    return FromUtf8(WithoutTrailingSeparator(Utf8(Dir)));
}

QString TDataFolder::TextOf(const QString& name, bool isFolder)
{
    return isFolder ? name : FromUtf8(FlightNodeText(Utf8(name)));
}

bool TDataFolder::Exists(const QString& path, bool isFolder)
{
    return isFolder ? QFileInfo(path).isDir() : QFileInfo::exists(path);
}

bool TDataFolder::SiblingLess(bool aIsFolder, const QString& aText, bool bIsFolder,
                              const QString& bText)
{
    static thread_local QCollator collator = [] {
        QCollator made;
        made.setCaseSensitivity(Qt::CaseInsensitive);
        return made;
    }();
    return CompareSiblings(aIsFolder, aText, bIsFolder, bText,
                           [](const QString& x, const QString& y) {
                               const int c = collator.compare(x, y);
                               return c != 0 ? c : QString::compare(x, y);
                           }) < 0;
}

TFolderEntries TDataFolder::Scan(const std::string& root, size_t maxFolders, bool siblingOrder,
                                 const std::atomic<bool>* cancel)
{
    TFolderEntries result;
    const TFolderScan scan = ScanFolderTree(root, maxFolders, cancel);
    result.Complete = scan.Complete;
    const size_t count = scan.Folders.size();
    if (count == 0)
        return result;
    std::vector<std::vector<size_t>> subfolders(count);
    for (size_t i = 1; i < count; ++i)
        subfolders[static_cast<size_t>(scan.Folders[i].Parent)].push_back(i);
    std::vector<int> entryOf(count, -1);
    TFolderEntry rootEntry;
    rootEntry.Path = FromNative(root);
    rootEntry.NativePath = root;
    rootEntry.Name = FromUtf8(RootNodeText(WithoutTrailingSeparator(Utf8(rootEntry.Path))));
    rootEntry.Text = rootEntry.Name;
    rootEntry.IsFolder = true;
    result.Entries.push_back(std::move(rootEntry));
    entryOf[0] = 0;
    std::vector<TFolderEntry> children;
    std::vector<size_t> folderOf; // the scanned folder of each child that is one
    for (size_t i = 0; i < count; ++i) {
        children.clear();
        folderOf.clear();
        const int parent = entryOf[i];
        const TScannedFolder& folder = scan.Folders[i];
        for (size_t k : subfolders[i]) {
            TFolderEntry entry;
            entry.NativePath = scan.Folders[k].Path;
            entry.Path = FromNative(entry.NativePath);
            entry.Name = FromNative(scan.Folders[k].Name);
            entry.Text = entry.Name;
            entry.IsFolder = true;
            entry.Parent = parent;
            children.push_back(std::move(entry));
            folderOf.push_back(k);
        }
        for (const std::string& file : folder.Files) {
            TFolderEntry entry;
            entry.NativePath = folder.Path.empty() || folder.Path.back() == '/'
                                   ? folder.Path + file
                                   : folder.Path + '/' + file;
            entry.Path = FromNative(entry.NativePath);
            entry.Name = FromNative(file);
            entry.Text = TextOf(entry.Name, false);
            entry.Parent = parent;
            children.push_back(std::move(entry));
        }
        std::vector<size_t> order(children.size());
        for (size_t k = 0; k < order.size(); ++k)
            order[k] = k;
        if (siblingOrder)
            std::stable_sort(order.begin(), order.end(), [&](size_t a, size_t b) {
                return SiblingLess(children[a].IsFolder, children[a].Text, children[b].IsFolder,
                                   children[b].Text);
            });
        for (size_t k : order) {
            if (k < folderOf.size())
                entryOf[folderOf[k]] = static_cast<int>(result.Entries.size());
            result.Entries.push_back(std::move(children[k]));
        }
    }
    return result;
}

TFolderEntries TDataFolder::Read()
{
    TFolderEntries entries = Scan(Native(Root()).toStdString(), FolderLimit);
    TakeFolders(entries);
    SyncWatcher();
    emit Changed();
    return entries;
}

void TDataFolder::StartScan()
{
    StopScan();
    Scanning = true;
    const quint64 generation = ++ScanGeneration;
    ScanCancel.store(false);
    const std::string root = Native(Root()).toStdString();
    const size_t limit = FolderLimit;
    ScanThread = std::thread([this, root, limit, generation] {
        auto entries = std::make_shared<const TFolderEntries>(Scan(root, limit, true, &ScanCancel));
        // The folder waits for this thread before it goes, so it is still there to be told.
        QMetaObject::invokeMethod(
            this, [this, entries, generation] { ScanDone(generation, entries); },
            Qt::QueuedConnection);
    });
}

void TDataFolder::StopScan()
{
    ScanCancel.store(true);
    if (ScanThread.joinable())
        ScanThread.join();
    ++ScanGeneration; // what the stopped reading posted is for nobody
    Scanning = false;
}

void TDataFolder::ScanDone(quint64 generation, std::shared_ptr<const TFolderEntries> entries)
{
    if (generation != ScanGeneration)
        return;
    if (ScanThread.joinable())
        ScanThread.join(); // it has nothing left to do but end
    Scanning = false;
    TakeFolders(*entries);
    SyncWatcher();
    emit Scanned(entries);
    emit Changed();
}

QString TDataFolder::LimitMessage() const
{
    const QString limit = QString::number(FolderLimit);
    return "The data folder " + QDir::toNativeSeparators(Root()) + " holds more than " + limit +
           " folders. The tree shows the first " + limit + " of them.";
}

void TDataFolder::TakeFolders(const TFolderEntries& entries)
{
    Folders.clear();
    for (const TFolderEntry& entry : entries.Entries)
        if (entry.IsFolder)
            Folders.insert(entry.Path);
}

void TDataFolder::ReplaceFolders(const QString& oldPath, const QString& newPath)
{
    const QString below = oldPath + '/';
    QSet<QString> kept;
    for (const QString& folder : std::as_const(Folders)) {
        if (folder == oldPath)
            kept.insert(newPath);
        else if (folder.startsWith(below))
            kept.insert(newPath.isEmpty() ? QString() : newPath + folder.mid(oldPath.size()));
        else
            kept.insert(folder);
    }
    kept.remove(QString());
    Folders = std::move(kept);
}

TFolderChange TDataFolder::Rename(const QString& path, bool isFolder, const QString& newText)
{
    TFolderChange change;
    if (newText.isEmpty() || newText == TextOf(NameOf(path), isFolder))
        return change;
    const TNameCheck check = CheckNodeName(Utf8(newText));
    if (!check.Ok) {
        change.Message = FromUtf8(check.Message);
        return change;
    }
    const QString newPath = FromUtf8(RenamedPath(Utf8(path), Utf8(newText), !isFolder));
    if (isFolder && QFileInfo(newPath).isDir()) {
        change.Message = "Složka " + newPath + " už existuje!";
        return change;
    }
    if (!isFolder && QFileInfo(newPath).isFile()) {
        change.Message = "Soubor " + newPath + " už existuje!";
        return change;
    }
    // "X.ZDF" beside a new "X.zdf" would show two items of the same name.
    if (const QString twin = ShownTwin(FolderOf(path), newText, isFolder);
        !twin.isEmpty() && twin != path) {
        change.Message = (isFolder ? "Složka " : "Soubor ") + twin + " už existuje!";
        return change;
    }
    THold hold(*this);
    TFileResult result;
    {
        TNotifyOff off(Notify);
        result = MoveItem(path, newPath);
    }
    if (!result.Ok) {
        change.Message = "Can not rename file \r" + path + "\r to \r" + newPath +
                         "\rErorr#=" + QString::number(result.Error);
        return change;
    }
    change.Ok = true;
    change.NewPath = newPath;
    change.NewName = NameOf(newPath);
    if (path == Root()) {
        Dir = newPath;
        if (WatchRoot == path)
            WatchRoot = newPath;
    }
    if (isFolder)
        ReplaceFolders(path, newPath);
    SyncWatcher();
    emit Changed();
    return change;
}

TFolderChange TDataFolder::Move(const QString& path, bool isFolder, const QString& targetFolder)
{
    TFolderChange change;
    const QString targetPath = FromUtf8(WithoutTrailingSeparator(Utf8(targetFolder)));
    if (!QFileInfo(targetPath).isDir()) {
        change.Message = "Cílová složka nenalezena! " + targetPath;
        return change;
    }
    const QString name = NameOf(path);
    const QString destination = targetPath + '/' + name;
    if (!QFileInfo::exists(path)) {
        change.Message =
            isFolder ? "Zdrojová složka nenalezena! " + path : "Zdrojový soubor nenalezen! " + path;
        return change;
    }
    // Moved where it already is, or into itself: nothing to do.
    if (targetPath == path || targetPath == FolderOf(path))
        return change;
    const QString text = TextOf(name, isFolder);
    const QString taken = "\"" + text + "\" již existuje v cílové složce!";
    if (!ShownTwin(targetPath, text, isFolder).isEmpty()) {
        change.Message = taken;
        return change;
    }
    THold hold(*this);
    TFileResult result;
    {
        TNotifyOff off(Notify);
        result = MoveItem(path, destination);
    }
    if (result.AlreadyExists()) {
        change.Message = taken;
        return change;
    }
    if (!result.Ok) {
        change.Message = "Chyba při přesouvání \"\r" + path + "\" do \"\r" + destination +
                         "! \rErorr:" + QString::number(result.Error);
        change.Stale = true;
        return change;
    }
    change.Ok = true;
    change.NewPath = destination;
    change.NewName = name;
    if (isFolder)
        ReplaceFolders(path, destination);
    SyncWatcher();
    emit Changed();
    return change;
}

TFolderChange TDataFolder::Trash(const QString& path, bool isFolder,
                                 const std::function<bool()>& release)
{
    TFolderChange change;
    THold hold(*this);
    if (release && !release())
        return change;
    const QString text = TextOf(NameOf(path), isFolder);
    TNotifyOff off(Notify);
    try {
        TFileResult result;
        {
            TWaitCursor wait;
            result = RecycleFile(path);
        }
        if (!result.Ok) {
            change.Message =
                "Chyba při odstraňování " + text + "\rError=" + QString::number(result.Error);
            change.Stale = true;
            return change;
        }
        change.Ok = true;
        change.NewPath = result.TrashPath;
        change.NewName = NameOf(result.TrashPath);
        if (isFolder)
            ReplaceFolders(path, QString());
        SyncWatcher();
        emit Trashed(path);
        emit Changed();
    } catch (...) {
        change.Ok = false;
        change.Message = "Chyba při odstraňování " + text;
        change.Stale = true;
    }
    return change;
}

TFolderChange TDataFolder::MakeFolder(const QString& parentFolder)
{
    TFolderChange change;
    const QString name = FromUtf8(NewFolderName([&parentFolder](const std::string& candidate) {
        const QString path = parentFolder + '/' + FromUtf8(candidate);
        return QFileInfo::exists(path) || QFileInfo(path).isSymLink();
    }));
    const QString path = parentFolder + '/' + name;
    bool made = false;
    {
        TNotifyOff off(Notify);
        made = QDir().mkdir(path);
    }
    if (!made) {
        change.Message = "Složku \"" + path + "\" nelze vytvořit!";
        return change;
    }
    change.Ok = true;
    change.NewPath = path;
    change.NewName = name;
    Folders.insert(path);
    SyncWatcher();
    return change;
}

void TDataFolder::Watch(const QString& folder)
{
    WatchRoot = FromUtf8(WithoutTrailingSeparator(Utf8(folder)));
    SyncWatcher();
}

QStringList TDataFolder::WatchedFolders() const
{
    return Watcher->directories();
}

void TDataFolder::SyncWatcher()
{
    QSet<QString> wanted;
    if (!WatchRoot.isEmpty()) {
        if (WatchRoot == Root()) {
            // The folders last read; while a reading runs, those it finds.
            if (!Scanning)
                wanted = Folders;
        } else if (QFileInfo(WatchRoot).isDir()) {
            wanted.insert(WatchRoot);
            QDirIterator it(WatchRoot, QDir::Dirs | QDir::NoDotAndDotDot | QDir::Hidden,
                            QDirIterator::Subdirectories);
            // A folder chosen elsewhere (a whole disk, say) must not stall the program.
            while (it.hasNext() && wanted.size() < kMaxWalkedFolders)
                wanted.insert(it.next());
        }
    }
    const QStringList current = Watcher->directories();
    QStringList gone;
    for (const QString& dir : current)
        if (!wanted.remove(dir))
            gone << dir;
    if (!gone.isEmpty())
        Watcher->removePaths(gone);
    QStringList added;
    for (const QString& dir : std::as_const(wanted))
        if (QFileInfo(dir).isDir())
            added << dir;
    if (!added.isEmpty())
        Watcher->addPaths(added);
}

bool TDataFolder::NotificationsWanted() const
{
    return Notify && Shown && !Quitting && !QCoreApplication::closingDown();
}

void TDataFolder::FolderNotified()
{
    if (NotificationsWanted())
        NotifyTimer->start();
}

} // namespace zirko
