// The flight's date from its header text, in the forms the program and the logger write.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace zirko {

// A wall-clock moment without a time zone: seconds since 1970-01-01 00:00 on the same clock.
using TCivilSeconds = int64_t;

TCivilSeconds CivilSeconds(int year, int month, int day, int hour = 0, int minute = 0,
                           int second = 0);
// The day (00:00) of a moment.
TCivilSeconds CivilDay(TCivilSeconds moment);
// "2026-05-01 14:03:09".
std::string FormatCivil(TCivilSeconds moment);

// The program's own form; the caller adds the locale's short date and long time form.
inline constexpr std::string_view kProgramDateFormat = "dd.MM.yyyy HH:mm:ss";

// Reads a header date in one of `formats` (patterns of d, dd, M, MM, yy, yyyy, H, HH, h, hh, m,
// mm, s, ss, AP/ap, t for a zone name, other characters literal; a blank matches any run of
// blanks) or ISO 8601 ("2026-05-01T14:03:09", "2026-05-01 14:03", "2026-05-01"). Nothing
// when no form reads the whole text as a valid date.
std::optional<TCivilSeconds> ParseFlightDate(std::string_view text,
                                             const std::vector<std::string>& formats);

// "2026-05-01" (a filter's date): the day, or nothing.
std::optional<TCivilSeconds> ParseIsoDay(std::string_view text);

} // namespace zirko
