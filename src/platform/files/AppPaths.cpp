#include "platform/files/AppPaths.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

namespace zirko {

bool IsSharedProgramDir(const QString& programDir)
{
    // Installed programs live in folders that belong to the system, writable only because the
    // user is root: files written there would outlive the package.
    static const QStringList kSystemDirs = {"/bin",       "/sbin",           "/usr/bin",
                                            "/usr/sbin",  "/usr/local/bin",  "/usr/local/sbin",
                                            "/usr/games", "/usr/local/games"};
    const QString dir = QDir::cleanPath(programDir);
    return kSystemDirs.contains(dir) ||
           kSystemDirs.contains(QDir::cleanPath(QFileInfo(dir).canonicalFilePath()));
}

static bool MayWriteBesideProgram(const QString& programDir)
{
    return QFileInfo(programDir).isWritable() && !IsSharedProgramDir(programDir);
}

TAppPaths DefaultAppPaths()
{
    TAppPaths p;
    p.ProgramDir = QDir::cleanPath(QCoreApplication::applicationDirPath());
    const QString baseName = QFileInfo(QCoreApplication::applicationFilePath()).completeBaseName();
    const QString beside = p.ProgramDir + "/" + baseName + ".ini";
    if (QFileInfo::exists(beside) || MayWriteBesideProgram(p.ProgramDir)) {
        p.SettingsFile = beside;
    } else {
        const QString config = QStandardPaths::writableLocation(QStandardPaths::AppConfigLocation);
        QDir().mkpath(config);
        p.SettingsFile = config + "/" + baseName + ".ini";
    }
    p.BackupDir = DefaultBackupDir();
    return p;
}

QString DefaultBackupDir()
{
    const QString base = QStandardPaths::writableLocation(QStandardPaths::AppDataLocation);
    return base.isEmpty() ? QString() : base + "/backups";
}

QString DefaultDataDir(const QString& programDir)
{
    const QString data = programDir + "/Data";
    if (QFileInfo(data).isDir())
        return data;
    if (MayWriteBesideProgram(programDir))
        return programDir;
    const QString user =
        QStandardPaths::writableLocation(QStandardPaths::AppDataLocation) + "/Data";
    QDir().mkpath(user);
    return user;
}

} // namespace zirko
