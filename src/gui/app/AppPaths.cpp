#include "gui/app/AppPaths.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

namespace zirko {

TAppPaths DefaultAppPaths()
{
    TAppPaths p;
    p.ProgramDir = QDir::cleanPath(QCoreApplication::applicationDirPath());
    const QString baseName = QFileInfo(QCoreApplication::applicationFilePath()).completeBaseName();
    const QString beside = p.ProgramDir + "/" + baseName + ".ini";
    if (QFileInfo::exists(beside) || QFileInfo(p.ProgramDir).isWritable()) {
        p.SettingsFile = beside;
    } else {
        const QString config = QStandardPaths::writableLocation(QStandardPaths::AppConfigLocation);
        QDir().mkpath(config);
        p.SettingsFile = config + "/" + baseName + ".ini";
    }
    p.BackupDir = QStandardPaths::writableLocation(QStandardPaths::AppDataLocation) + "/backups";
    return p;
}

QString DefaultDataDir(const QString& programDir)
{
    const QString data = programDir + "/Data";
    if (QFileInfo(data).isDir())
        return data;
    if (QFileInfo(programDir).isWritable())
        return programDir;
    const QString user = QStandardPaths::writableLocation(QStandardPaths::AppDataLocation) + "/Data";
    QDir().mkpath(user);
    return user;
}

} // namespace zirko
