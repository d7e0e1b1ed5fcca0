// The columns of the logbook page: what each shows, how it sorts, and the layout the user keeps.
#pragma once

#include "core/logbook/LogbookRow.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace zirko {

struct TLogbookColumn {
    std::string Key;   // the settings' word for the column ("name", "timeAloft")
    std::string Title; // the header text
    std::string Field; // the analysis field it shows; empty for the row's own texts
    int Decimals = 1;  // of a number; -1 for a count
};

// Every column in its default order.
const std::vector<TLogbookColumn>& LogbookColumns();
std::optional<size_t> LogbookColumnIndex(std::string_view key);
bool IsNumberColumn(size_t column);

// The number a number column shows, or nothing (not read, no such value).
std::optional<double> LogbookCellNumber(const TLogbookRow& row, size_t column);
// What a cell shows: numbers trimmed in the user's number format, the date as the header wrote
// it, the tags comma-separated, the notes' first words; a row that could not be read shows its
// reader's message in the warnings column.
std::string LogbookCellText(const TLogbookRow& row, size_t column, char decimalSeparator);

// Sorting by a column: texts without regard to case, numbers as numbers, the date by the row's
// SortDate(). A null cell (no number, an empty text) sorts after every other in either direction,
// which is the caller's part: LogbookCellNull tells it, LogbookCellCompare orders the rest
// (negative, 0, positive) and falls back on the path.
bool LogbookCellNull(const TLogbookRow& row, size_t column);
int LogbookCellCompare(const TLogbookRow& a, const TLogbookRow& b, size_t column);

// The columns as the user arranged them: shown ones in their order with their widths (0: the
// default), then the hidden ones.
struct TColumnPlace {
    size_t Column = 0;
    int Width = 0;
    bool Shown = true;
};
// Reads "name:120,date:140,-notes" (a "-" hides a column); unknown words are dropped, columns
// the text does not name follow in their default order, shown. An empty text gives the default.
std::vector<TColumnPlace> ParseColumnLayout(std::string_view text);
std::string FormatColumnLayout(const std::vector<TColumnPlace>& places);

} // namespace zirko
