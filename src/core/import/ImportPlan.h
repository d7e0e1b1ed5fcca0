// The files of one import as the import dialog shows them: each read with the column choice of its
// layout, the flights found, and the choices remembered per layout in the settings file.
#pragma once

#include "core/app/IniFile.h"
#include "core/import/FlightImport.h"

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace zirko {

// One line of the preview: a flight found, or a file that is refused.
struct TImportPreviewRow {
    size_t File = 0;      // index of the file in the plan
    std::string FileName; // without its folder
    std::string Start;    // "2024-05-18 10:15:02"; empty for a refused file
    std::string Duration; // "1 min 30.5 sec"
    size_t Samples = 0;
    std::string Columns; // the columns used, or why the file is refused
    bool Refused = false;
};

class TImportPlan {
public:
    // Reads one file with a choice of columns (the platform maps and parses it).
    using TReader =
        std::function<TImportResult(const std::string& file, const TColumnChoice& choice)>;
    // The choice remembered for a layout, if any.
    using TRemembered = std::function<std::optional<TColumnChoice>(const std::string& layout)>;

    explicit TImportPlan(TReader reader) : Reader(std::move(reader)) {}

    // Reads each file not yet in the plan: by the columns' names first, then again with the
    // choice remembered for its layout.
    void AddFiles(const std::vector<std::string>& files, const TRemembered& remembered);
    size_t FileCount() const { return Entries.size(); }
    const std::string& File(size_t i) const { return Entries.at(i).File; }
    const TImportResult& Source(size_t i) const { return Entries.at(i).Source; }
    const TColumnChoice& Choice(size_t i) const { return Entries.at(i).Choice; }
    // Reads every file of file i's layout again with `choice`.
    void SetChoice(size_t i, const TColumnChoice& choice);
    // Every layout whose choice was set in this plan, with that choice.
    std::vector<std::pair<std::string, TColumnChoice>> ChosenLayouts() const;

    // Durations are written with the user's decimal separator.
    std::vector<TImportPreviewRow> Preview(char decimalSeparator = '.') const;
    // The flights of the files that are not refused.
    size_t FlightCount() const;

private:
    struct TEntry {
        std::string File;
        TColumnChoice Choice;
        TImportResult Source;
        bool Chosen = false; // the choice was set here, to be remembered
    };
    TReader Reader;
    std::vector<TEntry> Entries;
};

// The settings file's section of the remembered choices: one key per layout.
inline constexpr const char* kImportSection = "Import";
// "Columns" and 16 hexadecimal digits: a layout's key (a header row may be too long for a key).
std::string ImportLayoutKey(std::string_view layout);
std::optional<TColumnChoice> ReadImportChoice(const TIniFile& ini, std::string_view layout);
void WriteImportChoice(TIniFile& ini, std::string_view layout, const TColumnChoice& choice);

} // namespace zirko
