// Where the program keeps its settings file and where it looks for its data folder.
#pragma once

#include <QString>

namespace zirko {

struct TAppPaths {
    QString ProgramDir;   // the folder of the executable, without a trailing separator
    QString SettingsFile; // "<program name>.ini"
    QString BackupDir;    // raw copies of downloaded memory images
};

// The settings file sits beside the program when that folder is writable or the file is already
// there; otherwise in the per-user configuration folder.
TAppPaths DefaultAppPaths();

// The data folder at first start: "Data" beside the program when it exists; otherwise the
// program's folder when it is writable; otherwise "Data" in the per-user data folder (created).
QString DefaultDataDir(const QString& programDir);

} // namespace zirko
