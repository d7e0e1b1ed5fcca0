#include "platform/files/TreeFiles.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>
#include <cerrno>
#include <cstdio>
#include <fcntl.h>

namespace zirko {

namespace {

QByteArray Native(const QString& path)
{
    return QFile::encodeName(path);
}

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

} // namespace

bool TFileResult::AlreadyExists() const
{
    return !Ok && Error == EEXIST;
}

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

TFileResult RenameItem(const QString& oldPath, const QString& newPath)
{
    // Never replaces: an item that appeared under the new name meanwhile stays as it is.
    return MoveItem(oldPath, newPath);
}

} // namespace zirko
