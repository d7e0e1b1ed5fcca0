#include "core/app/WindowGeometry.h"

#include "core/app/Settings.h"

#include <algorithm>

namespace zirko {

namespace {

// Far beyond any screen, near enough to zero that widths and heights cannot overflow an int.
constexpr long long kCoordinateLimit = 1'000'000;

int ReadCoordinate(const TIniFile& ini, const std::string& section, const std::string& key,
                   int current)
{
    return static_cast<int>(
        std::clamp(ini.ReadInteger(section, key, current), -kCoordinateLimit, kCoordinateLimit));
}

void ReadRect(const TIniFile& ini, const std::string& section, const char* prefix,
              const TWinRect& available, TWinRect& r)
{
    const std::string p = prefix;
    bool stored = false;
    for (const char* side : {"Left", "Right", "Top", "Bottom"})
        stored = stored || ini.ValueExists(section, p + side);
    if (!stored)
        return;
    TWinRect read;
    read.Left = ReadCoordinate(ini, section, p + "Left", r.Left);
    read.Right = ReadCoordinate(ini, section, p + "Right", r.Right);
    read.Top = ReadCoordinate(ini, section, p + "Top", r.Top);
    read.Bottom = ReadCoordinate(ini, section, p + "Bottom", r.Bottom);
    r = FitRectToArea(read, available, r);
}

void WriteRect(TIniFile& ini, const std::string& section, const char* prefix, const TWinRect& r)
{
    const std::string p = prefix;
    ini.WriteInteger(section, p + "Left", r.Left);
    ini.WriteInteger(section, p + "Right", r.Right);
    ini.WriteInteger(section, p + "Top", r.Top);
    ini.WriteInteger(section, p + "Bottom", r.Bottom);
}
} // namespace

TWinRect FitRectToArea(const TWinRect& r, const TWinRect& area, const TWinRect& fallback)
{
    if (r.Right <= r.Left || r.Bottom <= r.Top)
        return fallback;
    if (area.Right <= area.Left || area.Bottom <= area.Top)
        return r;
    const int width = std::min(r.Right - r.Left, area.Right - area.Left);
    const int height = std::min(r.Bottom - r.Top, area.Bottom - area.Top);
    TWinRect fitted;
    fitted.Left = std::clamp(r.Left, area.Left, area.Right - width);
    fitted.Top = std::clamp(r.Top, area.Top, area.Bottom - height);
    fitted.Right = fitted.Left + width;
    fitted.Bottom = fitted.Top + height;
    return fitted;
}

TRestoredGeometry ReadWindowGeometry(const TIniFile& ini, const std::string& windowName,
                                     const TWindowGeometry& current, int screenH, int screenW,
                                     const TWinRect& available)
{
    TRestoredGeometry out;
    out.Geometry = current;
    out.ScreenH = static_cast<int>(ini.ReadInteger(kScreenSection, "ScreenH", screenH));
    out.ScreenW = static_cast<int>(ini.ReadInteger(kScreenSection, "ScreenW", screenW));
    if (screenH >= out.ScreenH && screenW >= out.ScreenW) {
        ReadRect(ini, windowName, "NR", available, out.Geometry.NR);
        ReadRect(ini, windowName, "R", available, out.Geometry.R);
    }
    out.Geometry.State = static_cast<int>(ini.ReadInteger(windowName, "State", current.State));
    return out;
}

void WriteWindowGeometry(TIniFile& ini, const std::string& windowName,
                         const TWindowGeometry& geometry, int screenH, int screenW)
{
    ini.WriteInteger(kScreenSection, "ScreenH", screenH);
    ini.WriteInteger(kScreenSection, "ScreenW", screenW);
    WriteRect(ini, windowName, "NR", geometry.NR);
    WriteRect(ini, windowName, "R", geometry.R);
    ini.WriteInteger(windowName, "State", geometry.State);
}

} // namespace zirko
