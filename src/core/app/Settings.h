// The "Options", "Pos" and "Analysis" keys of the settings file, with their defaults and their
// order.
#pragma once

#include "core/analysis/FlightEvents.h"
#include "core/app/IniFile.h"

#include <functional>
#include <string>

namespace zirko {

inline constexpr const char* kOptionsSection = "Options";
inline constexpr const char* kPosSection = "Pos";
inline constexpr const char* kScreenSection = "Screen";
inline constexpr const char* kAnalysisSection = "Analysis";

struct TOptions {
    std::string Root;                 // DataDir
    std::string COM = "COM1";         // PortName of the device window
    std::string DefFileName = "Blok"; // DefaultFileName of the device window
    int FlightTemperature = 15;
    double DeflectionMin = -5;
    double DeflectionMax = 5;
    double MarkerThreshold = 0;
    bool DeflectionOnGraph = false;
    int PanelLeft = 233;
    bool SaveWindowsPos = true;
    int AutoGridSize = 10; // NameColMinWidth
    bool ShowTable = true;
    bool TBShowLegend = false;
    bool ShowClimb = false;  // the Graph page's climb-rate curves
    bool ShowMotor = false;  // the Graph page's motor runs and start heights
    bool ShowPhases = false; // the Graph page's climb phases
    TEventOptions Events;    // how the flights' events are found

    bool operator==(const TOptions&) const = default;
};

// Reads the keys in the order the main window reads them. `options` holds the defaults on entry
// (Root = the default data folder, PanelLeft = the panel's current width). A stored "Root" is
// taken only when `folderExists` says it exists.
void ReadOptions(const TIniFile& ini, TOptions& options,
                 const std::function<bool(const std::string&)>& folderExists);

// Writes the keys in the order the main window writes them at closing, all but the analysis
// section's.
void WriteOptions(TIniFile& ini, const TOptions& options);
// Writes the analysis section as the file's last one, wherever it stood before, so that the
// sections the program has always written keep their places and their order.
void WriteAnalysisOptions(TIniFile& ini, const TOptions& options);

} // namespace zirko
