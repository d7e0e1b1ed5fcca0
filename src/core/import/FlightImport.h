// Flights read from other loggers' files (telemetry CSV, IGC) and the flight records made of them.
#pragma once

#include "core/flightdata/DataBlock.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace zirko {

enum class TImportFormat { Auto, Csv, Igc };

// "telemetry CSV", "IGC" (the texts of the notes and of the preview).
std::string ImportFormatText(TImportFormat format);
// "auto", "csv", "igc" as zirko-cli takes them; nothing for another word.
std::optional<TImportFormat> ParseImportFormat(std::string_view word);
// Whether a file's ending (.csv, .igc, any case) names one of the formats imported.
bool IsImportSource(std::string_view fileName);
// The format of a file: by its ending (.csv, .igc, any case), else by its first bytes.
TImportFormat DetectImportFormat(std::string_view fileName, std::string_view content);

// The columns that feed the three channels. Nothing: chosen by the columns' names; an empty
// name: the channel is not imported.
struct TColumnChoice {
    std::optional<std::string> Altitude;
    std::optional<std::string> Servo;
    std::optional<std::string> Voltage;
};

// "altitude=COL,servo=COL,voltage=COL" (any of them, any order); an error text when it is not.
struct TColumnChoiceParse {
    TColumnChoice Choice;
    std::string Error;
};
TColumnChoiceParse ParseColumnChoice(std::string_view text);
// The choice as that text again, the channels left automatic left out.
std::string FormatColumnChoice(const TColumnChoice& choice);

// One session of the source: its samples in the source's units converted to metres, percent and
// volts. A channel array is empty when the session has no value in its column.
struct TImportedFlight {
    std::string StartDate;            // "yyyy-mm-dd", empty when the source has no date
    int64_t StartMilliseconds = 0;    // time of day of the first row
    std::vector<int64_t> Millisecond; // time of each row from the first row
    std::vector<double> Altitude;     // absolute, metres
    std::vector<double> Servo;        // percent of servo travel
    std::vector<double> Voltage;      // volts
    int64_t DurationMilliseconds() const { return Millisecond.empty() ? 0 : Millisecond.back(); }
};

// What a source file holds: the flights found, or why it is refused.
struct TImportResult {
    std::string Error; // not empty: the file is refused, with this message
    TImportFormat Format = TImportFormat::Auto;
    std::vector<std::string> Columns; // the columns one may choose from, in file order
    std::string Layout; // identifies the file's columns, for remembering a choice per layout
    std::string AltitudeColumn; // the columns used, empty for a channel not imported
    std::string ServoColumn;
    std::string VoltageColumn;
    std::vector<TImportedFlight> Flights;
    int64_t SkippedRows = 0; // rows that could not be read
    bool Ok() const { return Error.empty(); }
};

// Reads a source file's bytes; `fileName` names it in the messages and picks the format on Auto.
TImportResult ParseImport(std::string_view content, std::string_view fileName, TImportFormat format,
                          const TColumnChoice& choice);

// The flight record of flight `index` of `source`: times from 0 at its first row with one decimal,
// altitude relative to the first row (whose altitude is kept as "StartElevation=" in the extra
// section), the channels present, the sampling from the median row interval, the date and time
// of the first row as date text, the source file and its format in the notes' first line.
TDataBlock MakeImportedBlock(const TImportResult& source, size_t index,
                             std::string_view sourceName);

// "2024-05-18 14:03:12" (or only the time without a date) of a flight's first row.
std::string ImportedStartText(const TImportedFlight& flight);
// The columns used, as the preview and the notes show them: "altitude Alt(m), servo Thr"; with a
// flight, only those that gave it values.
std::string ImportedColumnsText(const TImportResult& source,
                                const TImportedFlight* flight = nullptr);

// The name of the n-th file written from a source: base plus a three-digit number, with "_"
// between when the base ends in a digit ("Glider001.zdf", "Glider-2024-05-18_001.zdf").
std::string ImportFileName(std::string_view baseName, int number);
// The source's file name without its folder.
std::string ImportBaseFileName(std::string_view sourcePath);
// The base name of the files made of a source: its file name without folder and ending.
std::string ImportBaseName(std::string_view sourcePath);
// Why a name given for the written files cannot be used (a folder part, "." or ".."), or empty.
std::string CheckImportName(std::string_view name);

// The import's closing text: "N flights imported from FILE", with the skipped rows when any.
std::string ImportSummaryText(std::string_view sourceName, size_t flights, int64_t skippedRows);

} // namespace zirko
