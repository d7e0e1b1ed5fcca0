#include "core/graph/GraphSettings.h"

namespace zirko {

void SetDefaultGraphSettings(TGraphSettings& settings)
{
    const bool changed = settings.SettingsChanged;
    settings = TGraphSettings{};
    settings.SettingsChanged = changed;
}

namespace {

template <class F> void ForEachKey(TGraphSettings& s, F&& f)
{
    f("AltitudeAuto", s.AltitudeAuto);
    f("AltitudeMin", s.AltitudeMin);
    f("AltitudeMax", s.AltitudeMax);
    f("AltitudeLStyle", s.AltitudeLStyle);
    f("AltitudeLWidth", s.AltitudeLWidth);
    f("PowerSupAuto", s.PowerSupAuto);
    f("PowerSupMin", s.PowerSupMin);
    f("PowerSupMax", s.PowerSupMax);
    f("PowerSupLStyle", s.PowerSupLStyle);
    f("PowerSupLWidth", s.PowerSupLWidth);
    f("RXAuto", s.RXAuto);
    f("RXMin", s.RXMin);
    f("RXMax", s.RXMax);
    f("RXLStyle", s.RXLStyle);
    f("RXLWidth", s.RXLWidth);
    f("TimeAuto", s.TimeAuto);
    f("TimeMin", s.TimeMin);
    f("TimeMax", s.TimeMax);
    f("AnnotMarkStyle", s.AnnotMarkStyle);
    f("AnnotMarkSize", s.AnnotMarkSize);
    f("MarkerMarkStyle", s.MarkerMarkStyle);
    f("MarkerMarkSize", s.MarkerMarkSize);
}

struct TReader {
    const TIniFile& Ini;
    void operator()(const char* key, bool& v) const
    {
        v = Ini.ReadBool(kGraphSetupSection, key, v);
    }
    void operator()(const char* key, int& v) const
    {
        v = static_cast<int>(Ini.ReadInteger(kGraphSetupSection, key, v));
    }
    void operator()(const char* key, double& v) const
    {
        v = Ini.ReadFloat(kGraphSetupSection, key, v);
    }
};

struct TWriter {
    TIniFile& Ini;
    void operator()(const char* key, bool& v) const { Ini.WriteBool(kGraphSetupSection, key, v); }
    void operator()(const char* key, int& v) const { Ini.WriteInteger(kGraphSetupSection, key, v); }
    void operator()(const char* key, double& v) const
    {
        Ini.WriteFloat(kGraphSetupSection, key, v);
    }
};

} // namespace

void ReadGraphSettings(const TIniFile& ini, TGraphSettings& settings)
{
    ForEachKey(settings, TReader{ini});
}

void WriteGraphSettings(TIniFile& ini, const TGraphSettings& settings)
{
    TGraphSettings copy = settings;
    ForEachKey(copy, TWriter{ini});
}

double EnforceMaxAboveMin(double min, double& max)
{
    if (min >= max)
        max = min + 1;
    return max;
}

TLineStyle LineStyleOf(int index)
{
    return (index >= 0 && index <= 4) ? static_cast<TLineStyle>(index) : TLineStyle::Solid;
}

TSymbolStyle SymbolStyleOf(int index)
{
    return (index >= 0 && index <= 8) ? static_cast<TSymbolStyle>(index) : TSymbolStyle::Rectangle;
}

} // namespace zirko
