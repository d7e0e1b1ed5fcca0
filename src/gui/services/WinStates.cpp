#include "gui/services/WinStates.h"

#include "core/app/WindowGeometry.h"
#include "gui/services/UserDialogs.h"
#include "gui/services/UserLocale.h"
#include "platform/files/SettingsFile.h"

#include <QGuiApplication>
#include <QLocale>
#include <QScreen>

namespace zirko {

namespace {

TWinRect ToRect(const QRect& r)
{
    return {r.left(), r.top(), r.left() + r.width(), r.top() + r.height()};
}

QRect FromRect(const TWinRect& r)
{
    return QRect(r.Left, r.Top, r.Right - r.Left, r.Bottom - r.Top);
}

QScreen* ScreenOf(QWidget* window)
{
    return window && window->screen() ? window->screen() : QGuiApplication::primaryScreen();
}

QSize ScreenSize(QWidget* window)
{
    QScreen* screen = ScreenOf(window);
    return screen ? screen->size() : QSize(0, 0);
}

// Where a window may stand: the screen without the desktop's panels, all screens together.
QRect AvailableArea(QWidget* window)
{
    QScreen* screen = ScreenOf(window);
    return screen ? screen->availableVirtualGeometry() : QRect();
}

// The window system's frame around the window's client area, as far as it is known yet.
QMargins FrameMargins(const QWidget* window)
{
    const QRect frame = window->frameGeometry();
    const QRect client = window->geometry();
    const QMargins margins(client.left() - frame.left(), client.top() - frame.top(),
                           frame.right() - client.right(), frame.bottom() - client.bottom());
    const bool sound =
        margins.left() >= 0 && margins.top() >= 0 && margins.right() >= 0 && margins.bottom() >= 0;
    return sound ? margins : QMargins();
}

// Places the client area at `client`: the position is given for the frame, as the window
// system takes it, so the window lands where it was and its frame stays on the screen.
void Place(QWidget* window, const QRect& client, const QMargins& frame)
{
    window->resize(client.size());
    window->move(client.topLeft() - QPoint(frame.left(), frame.top()));
}

TIniFile LoadSettings(const QString& fileName)
{
    const char separator = UserDecimalSeparator();
    return LoadIniFile(fileName.toStdString(), separator).value_or(TIniFile(separator));
}

} // namespace

TWinStates& WinStates()
{
    static TWinStates store;
    return store;
}

bool TWinStates::IsRegistered(const QWidget* window) const
{
    for (const auto& e : Registered)
        if (e.Window == window)
            return true;
    return false;
}

void TWinStates::RestoreWindowState(QWidget* window)
{
    if (!SaveWindowsPos || !window || IsRegistered(window))
        return;
    TWindowGeometry current;
    current.R = ToRect(window->geometry());
    current.NR =
        ToRect(window->normalGeometry().isValid() ? window->normalGeometry() : window->geometry());
    current.State = window->isMaximized()   ? kWinMaximized
                    : window->isMinimized() ? kWinMinimized
                                            : kWinNormal;
    const QSize screen = ScreenSize(window);
    const TIniFile ini = LoadSettings(SettingsFile);
    // The stored rectangles are client areas: they fit where the frame around them still does.
    const QMargins frame = FrameMargins(window);
    const TRestoredGeometry stored =
        ReadWindowGeometry(ini, window->objectName().toStdString(), current, screen.height(),
                           screen.width(), ToRect(AvailableArea(window).marginsRemoved(frame)));
    ScreenH = stored.ScreenH;
    ScreenW = stored.ScreenW;
    const QRect r = FromRect(stored.Geometry.R);
    const QRect nr = FromRect(stored.Geometry.NR);
    switch (stored.Geometry.State) {
    case kWinMaximized:
        if (nr.isValid())
            Place(window, nr, frame);
        window->setWindowState(window->windowState() | Qt::WindowMaximized);
        break;
    case kWinMinimized:
        if (nr.isValid())
            Place(window, nr, frame);
        window->setWindowState(window->windowState() | Qt::WindowMinimized);
        break;
    case kWinNormal:
        if (r.isValid())
            Place(window, r, frame);
        window->setWindowState(window->windowState() &
                               ~(Qt::WindowMaximized | Qt::WindowMinimized));
        break;
    default:
        if (r.isValid())
            Place(window, r, frame);
        break;
    }
    Registered.push_back({window, window->objectName()});
}

void TWinStates::SaveWindowStates()
{
    if (!SaveWindowsPos || Registered.empty()) {
        Registered.clear();
        return;
    }
    TIniFile ini = LoadSettings(SettingsFile);
    for (const auto& e : Registered) {
        if (!e.Window)
            continue;
        QWidget* w = e.Window;
        TWindowGeometry g;
        g.NR = ToRect(w->normalGeometry().isValid() ? w->normalGeometry() : w->geometry());
        g.R = ToRect(w->geometry());
        g.State = w->isMaximized() ? kWinMaximized : w->isMinimized() ? kWinMinimized : kWinNormal;
        WriteWindowGeometry(ini, e.Name.toStdString(), g, ScreenH, ScreenW);
    }
    if (!SaveIniFile(SettingsFile.toStdString(), ini))
        Dialogs().ShowError(nullptr, "Error in writing file.\n" + SettingsFile);
    Registered.clear();
}

} // namespace zirko
