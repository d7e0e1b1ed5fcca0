#include "core/app/WindowGeometry.h"

#include "core/app/Settings.h"

namespace zirko {

namespace {
void ReadRect(const TIniFile& ini, const std::string& section, const char* prefix, TWinRect& r)
{
    const std::string p = prefix;
    r.Left = static_cast<int>(ini.ReadInteger(section, p + "Left", r.Left));
    r.Right = static_cast<int>(ini.ReadInteger(section, p + "Right", r.Right));
    r.Top = static_cast<int>(ini.ReadInteger(section, p + "Top", r.Top));
    r.Bottom = static_cast<int>(ini.ReadInteger(section, p + "Bottom", r.Bottom));
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

TRestoredGeometry ReadWindowGeometry(const TIniFile& ini, const std::string& windowName,
                                     const TWindowGeometry& current, int screenH, int screenW)
{
    TRestoredGeometry out;
    out.Geometry = current;
    out.ScreenH = static_cast<int>(ini.ReadInteger(kScreenSection, "ScreenH", screenH));
    out.ScreenW = static_cast<int>(ini.ReadInteger(kScreenSection, "ScreenW", screenW));
    if (screenH >= out.ScreenH && screenW >= out.ScreenW) {
        ReadRect(ini, windowName, "NR", out.Geometry.NR);
        ReadRect(ini, windowName, "R", out.Geometry.R);
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
