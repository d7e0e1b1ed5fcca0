// Program-wide chart settings: axis ranges, automatic flags, line and symbol styles.
#pragma once

#include "core/app/IniFile.h"

namespace zirko {

struct TGraphSettings {
    bool AltitudeAuto = true;
    double AltitudeMin = 0;
    double AltitudeMax = 100;
    int AltitudeLStyle = 0;
    int AltitudeLWidth = 1;
    bool PowerSupAuto = true;
    double PowerSupMin = 0;
    double PowerSupMax = 100;
    int PowerSupLStyle = 2;
    int PowerSupLWidth = 1;
    bool RXAuto = true;
    double RXMin = 0;
    double RXMax = 100;
    int RXLStyle = 1;
    int RXLWidth = 1;
    bool TimeAuto = true;
    double TimeMin = 0;
    double TimeMax = 100;
    int AnnotMarkStyle = 7;
    int AnnotMarkSize = 4;
    int MarkerMarkStyle = 2;
    int MarkerMarkSize = 4;
    bool SettingsChanged = false;

    bool operator==(const TGraphSettings&) const = default;
};

inline constexpr const char* kGraphSetupSection = "GraphSetup";

// Line styles: index into solid, dash, dot, dash-dot, dash-dot-dot.
enum class TLineStyle { Solid = 0, Dash, Dot, DashDot, DashDotDot };
// Symbols: rectangle, circle, triangle, down triangle, cross, diagonal cross, star, diamond,
// small dot.
enum class TSymbolStyle {
    Rectangle = 0,
    Circle,
    Triangle,
    DownTriangle,
    Cross,
    DiagCross,
    Star,
    Diamond,
    SmallDot
};

// Writes the defaults into everything but SettingsChanged.
void SetDefaultGraphSettings(TGraphSettings& settings);

// Reads every key of "GraphSetup", each with the current value as default.
void ReadGraphSettings(const TIniFile& ini, TGraphSettings& settings);
void WriteGraphSettings(TIniFile& ini, const TGraphSettings& settings);

// A non-automatic range with min >= max gets max := min + 1; returns the maximum to use.
double EnforceMaxAboveMin(double min, double& max);

// Clamps style and size indexes read from a file into their lists.
TLineStyle LineStyleOf(int index);
TSymbolStyle SymbolStyleOf(int index);

} // namespace zirko
