// The rows of a source file gathered into sessions, and the text helpers both parsers share.
#pragma once

#include "core/import/FlightImport.h"

#include <cmath>
#include <cstdint>
#include <limits>
#include <string>
#include <string_view>
#include <vector>

namespace zirko {

inline constexpr double kNoValue = std::numeric_limits<double>::quiet_NaN();

// Collects rows (a time and up to three channel values, NaN where a row has none) and closes them
// into flights: a channel is present in a flight when any of its rows has a value, and a row
// without a value of a present channel is skipped and counted.
class TImportRows {
public:
    explicit TImportRows(TImportResult& result) : Result(result) {}

    bool HasRows() const { return !Rows.empty(); }
    // The absolute time of the last row of the current session (which must have rows).
    int64_t LastMilliseconds() const { return Rows.back().Time; }

    // A row at an absolute time; `date` ("yyyy-mm-dd" or empty) and `dayStart` (the absolute time
    // of that day's midnight) count for the first row of a session only.
    void Add(int64_t milliseconds, double altitude, double servo, double voltage,
             std::string_view date, int64_t dayStart)
    {
        if (Rows.empty()) {
            Date = date;
            DayStart = dayStart;
        }
        Rows.push_back({milliseconds, {altitude, servo, voltage}});
    }
    // Ends the current session: a flight when one of its channels has values, else its rows are
    // counted as skipped.
    void CloseSession();

private:
    struct TRow {
        int64_t Time;
        double Value[3];
    };
    TImportResult& Result;
    std::vector<TRow> Rows;
    std::string Date;
    int64_t DayStart = 0;
};

// The text with blanks (characters <= ' ') removed at both ends.
std::string_view TrimField(std::string_view text);
// Equal ignoring ASCII case.
bool SameName(std::string_view a, std::string_view b);
// A decimal number with "." (optional sign, digits, fraction, exponent), finite; NaN otherwise.
double ParseValue(std::string_view text);
// Digits only, at most 9 of them; -1 otherwise.
int ParseDigits(std::string_view text);
// Days since 1970-01-01 of a civil date.
int64_t DaysFromCivil(int year, int month, int day);
// "yyyy-mm-dd".
std::string CivilDateText(int year, int month, int day);

} // namespace zirko
