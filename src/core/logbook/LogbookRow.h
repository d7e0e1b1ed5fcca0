// One flight of the logbook: where its file is, its date and details, and its analysis numbers.
#pragma once

#include "core/flightdata/DataBlock.h"
#include "core/logbook/FlightDate.h"
#include "core/logbook/FlightDetails.h"
#include "core/logbook/ModelProfiles.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace zirko {

enum class TFieldKind {
    Text,   // a string
    Number, // a number or null
    List,   // a JSON array (or null); compared, sorted and written to CSV as its count
};

struct TLogbookField {
    std::string Name;
    TFieldKind Kind;
};

// A value of an analysis field: Number holds the number (a List's count), Text the string (a
// List's JSON array); a null Number is null.
struct TLogbookValue {
    std::optional<double> Number;
    std::string Text;
    bool operator==(const TLogbookValue&) const = default;
};

// The fields of the flight analysis, in output order (those of `stats`, then of `events`),
// each with its index into TLogbookRow::Values.
const std::vector<TLogbookField>& AnalysisFields();
std::optional<size_t> AnalysisFieldIndex(std::string_view name);

struct TLogbookRow {
    std::string Path;                  // relative to the logbook's folder, "/" separated, UTF-8
    std::string Name;                  // the node text: the file name without ".zdf"
    std::string Folder;                // the relative folder, "" at the top
    std::string DateText;              // the header's date text, decoded
    std::optional<TCivilSeconds> Date; // the header date, when readable
    TCivilSeconds Modified = 0;        // the file's modification time, local clock
    TFlightDetails Details;
    std::string NotesText;             // the notes as plain text, for the search
    std::vector<TLogbookValue> Values; // by AnalysisFields(); empty for a file not read
    std::string Error;                 // the reader's message for a file that cannot be read
    uint64_t SamplesHash = 0;          // of the file's data lines, see SamplesHash()
    // The event options the values were found with (EventOptionsKey): a stored row analysed
    // with other ones is no longer current.
    std::string AnalysisKey;

    // The folded texts the search looks in, made by Prepare().
    std::string FoldedName, FoldedFolder, FoldedModel, FoldedSite, FoldedPilot, FoldedNotes;
    std::vector<std::string> FoldedTags;

    // The date for sorting and date comparisons: the header's, else the file's.
    TCivilSeconds SortDate() const { return Date ? *Date : Modified; }
    const TLogbookValue* Value(size_t index) const
    {
        return index < Values.size() ? &Values[index] : nullptr;
    }
    void Prepare();
};

// "Flights/2026/a.zdf" gives name "a" and folder "Flights/2026".
void SetRowPath(TLogbookRow& row, std::string_view relativePath);

// Fills the row from a flight that was read: date (read in `dateFormats`, see ParseFlightDate),
// details, notes and the analysis, its events found by the `general` options with the model's
// profile over them when `profiles` has one.
void FillRow(TLogbookRow& row, const TDataBlock& flight, const std::vector<std::string>& extraLines,
             const std::vector<std::string>& dateFormats, const TModelProfiles* profiles,
             const TEventOptions& general = {});

// Names event options: equal texts for equal options.
std::string EventOptionsKey(const TEventOptions& options);

// The plain text of notes as stored: rich text's words without its control words and groups.
std::string NotesPlainText(std::string_view notes);

// Orders rows by `keys`: field names, "-" before one for descending; null (a missing number,
// an empty text) last either way; ties keep the path order.
struct TSortKey {
    std::string Field;
    bool Descending = false;
};
struct TSortParse {
    std::vector<TSortKey> Keys;
    std::string Error;
};
TSortParse ParseSortKeys(std::string_view text); // "date,-maxAltitude"
bool IsLogbookField(std::string_view name);
void SortRows(std::vector<TLogbookRow>& rows, const std::vector<TSortKey>& keys);

// A hash of what the logger recorded: the header words and every sample of every channel. The
// date, details, notes and annotations, which the user edits, do not count.
uint64_t SamplesHash(const TDataBlock& flight);

// What the logbook's index keeps of a row: everything but where the file is and when it was
// modified. Restore gives false for bytes of another layout (the row must be read again).
std::string StoreRow(const TLogbookRow& row);
bool RestoreRow(std::string_view stored, TLogbookRow& row);
// Names the layout of StoreRow and the analysis fields: an index of another one is rebuilt.
std::string LogbookLayout();

// The rows as the command line prints them: one JSON array, or CSV with a header row.
std::string LogbookJson(const std::vector<TLogbookRow>& rows);
std::string LogbookCsv(const std::vector<TLogbookRow>& rows);

} // namespace zirko
