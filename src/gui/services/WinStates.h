// Window positions: restored at a window's first show, written when the main window closes.
#pragma once

#include <QPointer>
#include <QString>
#include <QWidget>
#include <vector>

namespace zirko {

class TWinStates {
public:
    void SetSettingsFile(const QString& fileName) { SettingsFile = fileName; }
    void SetSaveWindowsPos(bool on) { SaveWindowsPos = on; }
    bool SaveWindowsPosEnabled() const { return SaveWindowsPos; }

    // Applies the stored geometry of `window` (section = its objectName) once per run.
    void RestoreWindowState(QWidget* window);
    // Writes the geometry of every registered window that still exists, then forgets them.
    void SaveWindowStates();
    bool IsRegistered(const QWidget* window) const;

private:
    struct TEntry {
        QPointer<QWidget> Window;
        QString Name;
    };
    std::vector<TEntry> Registered;
    QString SettingsFile;
    bool SaveWindowsPos = true;
    int ScreenH = 0;
    int ScreenW = 0;
};

// The program's one store.
TWinStates& WinStates();

} // namespace zirko
