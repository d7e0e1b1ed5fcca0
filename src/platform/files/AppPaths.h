// Where the program keeps its settings file and where it looks for its data folder.
#pragma once

#include <QString>

namespace zirko {

struct TAppPaths {
    QString ProgramDir;   // the folder of the executable, without a trailing separator
    QString SettingsFile; // "<program name>.ini"
    QString BackupDir;    // raw copies of downloaded memory images
};

// True for the system's program folders (/usr/bin and the like): an installed program keeps
// its settings and data in the per-user folders even when run as root.
bool IsSharedProgramDir(const QString& programDir);

// The settings file sits beside the program when that folder is writable or the file is already
// there (a system program folder counts as not writable); otherwise in the per-user configuration
// folder.
TAppPaths DefaultAppPaths();

// Where downloads keep the raw copies of their memory images: "backups" in the per-user data
// folder; empty when there is no such folder.
QString DefaultBackupDir();

// The data folder at first start: "Data" beside the program when it exists; otherwise the
// program's folder when it is writable and not a system folder; otherwise "Data" in the per-user
// data folder (created).
QString DefaultDataDir(const QString& programDir);

} // namespace zirko
