// File operations of the data folder tree: move to the trash, move without overwriting, rename.
#pragma once

#include <QString>

namespace zirko {

struct TFileResult {
    bool Ok = false;
    int Error = 0;     // the platform's error number when not Ok
    QString TrashPath; // where a deleted item went
    bool AlreadyExists() const;
};

// Moves a file or a whole folder to the user's trash. A trash that is missing or that the
// platform cannot use is a failure: the item is never deleted for good.
TFileResult RecycleFile(const QString& path);

// Moves a file or folder to `destination`, never replacing an existing item there.
TFileResult MoveItem(const QString& source, const QString& destination);

// Renames in place, never replacing an existing item of the new name.
TFileResult RenameItem(const QString& oldPath, const QString& newPath);

} // namespace zirko
