#include "core/app/Settings.h"

namespace zirko {

void ReadOptions(const TIniFile& ini, TOptions& o,
                 const std::function<bool(const std::string&)>& folderExists)
{
    const std::string root = ini.ReadString(kOptionsSection, "Root", o.Root);
    if (root != o.Root && folderExists && folderExists(root))
        o.Root = root;
    o.COM = ini.ReadString(kOptionsSection, "COM", o.COM);
    o.DefFileName = ini.ReadString(kOptionsSection, "DefFileName", o.DefFileName);
    o.FlightTemperature = static_cast<int>(
        ini.ReadInteger(kOptionsSection, "FlightTemperature", o.FlightTemperature));
    o.DeflectionMin = ini.ReadFloat(kOptionsSection, "DeflectionMin", o.DeflectionMin);
    o.DeflectionMax = ini.ReadFloat(kOptionsSection, "DeflectionMax", o.DeflectionMax);
    o.MarkerThreshold = ini.ReadFloat(kOptionsSection, "MarkerThreshold", o.MarkerThreshold);
    o.DeflectionOnGraph = ini.ReadBool(kOptionsSection, "DeflectionOnGraph", o.DeflectionOnGraph);
    o.PanelLeft = static_cast<int>(ini.ReadInteger(kPosSection, "PanelLeft", o.PanelLeft));
    o.SaveWindowsPos = ini.ReadBool(kOptionsSection, "SaveWindowsPos", o.SaveWindowsPos);
    o.AutoGridSize =
        static_cast<int>(ini.ReadInteger(kOptionsSection, "AutoGridSize", o.AutoGridSize));
    o.ShowTable = ini.ReadBool(kOptionsSection, "ShowTable", o.ShowTable);
    o.TBShowLegend = ini.ReadBool(kOptionsSection, "TBShowLegend", o.TBShowLegend);
    o.ShowClimb = ini.ReadBool(kAnalysisSection, "Climb", o.ShowClimb);
    o.ShowMotor = ini.ReadBool(kAnalysisSection, "Motor", o.ShowMotor);
    o.ShowPhases = ini.ReadBool(kAnalysisSection, "Phases", o.ShowPhases);
    // A rule set this program does not know leaves the default.
    if (const auto rules =
            ParseRules(ini.ReadString(kAnalysisSection, "Rules", RulesName(o.Events.Rules))))
        o.Events.Rules = *rules;
    o.Events.MotorThreshold =
        ini.ReadFloat(kAnalysisSection, "MotorThreshold", o.Events.MotorThreshold);
    o.Events.AlesHeight = ini.ReadFloat(kAnalysisSection, "AlesHeight", o.Events.AlesHeight);
    o.Events.LowVoltage = ini.ReadFloat(kAnalysisSection, "LowVoltage", o.Events.LowVoltage);
}

void WriteOptions(TIniFile& ini, const TOptions& o)
{
    ini.WriteString(kOptionsSection, "Root", o.Root);
    ini.WriteString(kOptionsSection, "COM", o.COM);
    ini.WriteString(kOptionsSection, "DefFileName", o.DefFileName);
    ini.WriteInteger(kOptionsSection, "FlightTemperature", o.FlightTemperature);
    ini.WriteFloat(kOptionsSection, "MarkerThreshold", o.MarkerThreshold);
    ini.WriteFloat(kOptionsSection, "DeflectionMin", o.DeflectionMin);
    ini.WriteFloat(kOptionsSection, "DeflectionMax", o.DeflectionMax);
    ini.WriteBool(kOptionsSection, "DeflectionOnGraph", o.DeflectionOnGraph);
    ini.WriteInteger(kPosSection, "PanelLeft", o.PanelLeft);
    ini.WriteBool(kOptionsSection, "SaveWindowsPos", o.SaveWindowsPos);
    ini.WriteInteger(kOptionsSection, "AutoGridSize", o.AutoGridSize);
    ini.WriteBool(kOptionsSection, "ShowTable", o.ShowTable);
    ini.WriteBool(kOptionsSection, "TBShowLegend", o.TBShowLegend);
}

void WriteAnalysisOptions(TIniFile& ini, const TOptions& o)
{
    ini.EraseSection(kAnalysisSection);
    ini.WriteBool(kAnalysisSection, "Climb", o.ShowClimb);
    ini.WriteBool(kAnalysisSection, "Motor", o.ShowMotor);
    ini.WriteBool(kAnalysisSection, "Phases", o.ShowPhases);
    ini.WriteString(kAnalysisSection, "Rules", RulesName(o.Events.Rules));
    ini.WriteFloat(kAnalysisSection, "MotorThreshold", o.Events.MotorThreshold);
    ini.WriteFloat(kAnalysisSection, "AlesHeight", o.Events.AlesHeight);
    ini.WriteFloat(kAnalysisSection, "LowVoltage", o.Events.LowVoltage);
}

} // namespace zirko
