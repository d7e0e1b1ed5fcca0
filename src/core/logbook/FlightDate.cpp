#include "core/logbook/FlightDate.h"

#include "core/app/NumberFormat.h"

#include <cctype>
#include <cstdio>

namespace zirko {

namespace {

int64_t DaysFromCivil(int64_t y, int64_t m, int64_t d)
{
    y -= m <= 2;
    const int64_t era = (y >= 0 ? y : y - 399) / 400;
    const int64_t yoe = y - era * 400;
    const int64_t doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const int64_t doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + doe - 719468;
}

bool IsLeap(int y)
{
    return (y % 4 == 0 && y % 100 != 0) || y % 400 == 0;
}

int DaysInMonth(int y, int m)
{
    static const int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    return m == 2 && IsLeap(y) ? 29 : kDays[m - 1];
}

struct TParts {
    int Year = -1, Month = -1, Day = -1, Hour = 0, Minute = 0, Second = 0;
    int Pm = -1; // -1 no AM/PM, 0 AM, 1 PM
    bool TwelveHour = false;
};

bool Valid(const TParts& p)
{
    if (p.Year < 1 || p.Month < 1 || p.Month > 12 || p.Day < 1 ||
        p.Day > DaysInMonth(p.Year, p.Month))
        return false;
    if (p.TwelveHour ? (p.Hour < 1 || p.Hour > 12) : (p.Hour < 0 || p.Hour > 23))
        return false;
    return p.Minute >= 0 && p.Minute < 60 && p.Second >= 0 && p.Second < 61;
}

// Digits at `pos`: at least `least`, at most `most`.
bool TakeDigits(std::string_view text, size_t& pos, size_t least, size_t most, int& value)
{
    size_t n = 0;
    value = 0;
    while (pos + n < text.size() && n < most &&
           std::isdigit(static_cast<unsigned char>(text[pos + n]))) {
        value = value * 10 + (text[pos + n] - '0');
        ++n;
    }
    if (n < least)
        return false;
    pos += n;
    return true;
}

size_t RunOf(std::string_view format, size_t i)
{
    size_t n = 1;
    while (i + n < format.size() && format[i + n] == format[i])
        ++n;
    return n;
}

std::optional<TCivilSeconds> ParseWith(std::string_view text, std::string_view format)
{
    TParts p;
    size_t pos = 0;
    size_t i = 0;
    while (i < format.size()) {
        const char f = format[i];
        const size_t run = RunOf(format, i);
        int v = 0;
        if (f == ' ') {
            if (pos >= text.size() || text[pos] != ' ')
                return std::nullopt;
            while (pos < text.size() && text[pos] == ' ')
                ++pos;
            i += run;
            continue;
        }
        if (f == 'd' || f == 'M' || f == 'H' || f == 'h' || f == 'm' || f == 's') {
            // One or two digits either way: the program writes "8.12.2026 9:41:05" for its own
            // form.
            if (run > 2 || !TakeDigits(text, pos, 1, 2, v))
                return std::nullopt;
            (f == 'd'   ? p.Day
             : f == 'M' ? p.Month
             : f == 'm' ? p.Minute
             : f == 's' ? p.Second
                        : p.Hour) = v;
            if (f == 'h')
                p.TwelveHour = true;
        } else if (f == 'y') {
            if (run == 4) {
                if (!TakeDigits(text, pos, 4, 4, v))
                    return std::nullopt;
                p.Year = v;
            } else if (run == 2) {
                if (!TakeDigits(text, pos, 2, 2, v))
                    return std::nullopt;
                p.Year = 2000 + v;
            } else {
                return std::nullopt;
            }
        } else if ((f == 'A' || f == 'a') && i + 1 < format.size() &&
                   (format[i + 1] == 'P' || format[i + 1] == 'p')) {
            if (pos + 2 > text.size())
                return std::nullopt;
            const char c0 = static_cast<char>(std::toupper(static_cast<unsigned char>(text[pos])));
            const char c1 =
                static_cast<char>(std::toupper(static_cast<unsigned char>(text[pos + 1])));
            if ((c0 != 'A' && c0 != 'P') || c1 != 'M')
                return std::nullopt;
            p.Pm = c0 == 'P';
            pos += 2;
            i += 2;
            continue;
        } else if (f == 't') {
            while (pos < text.size() && text[pos] != ' ')
                ++pos;
        } else if (f == 'z') {
            if (!TakeDigits(text, pos, 1, 3, v))
                return std::nullopt;
        } else if (f == '\'') {
            // A quoted literal.
            const size_t close = format.find('\'', i + 1);
            if (close == std::string_view::npos)
                return std::nullopt;
            const std::string_view lit = format.substr(i + 1, close - i - 1);
            if (text.substr(pos, lit.size()) != lit)
                return std::nullopt;
            pos += lit.size();
            i = close + 1;
            continue;
        } else {
            for (size_t k = 0; k < run; ++k) {
                if (pos >= text.size() || text[pos] != f)
                    return std::nullopt;
                ++pos;
            }
        }
        i += run;
    }
    if (pos != text.size())
        return std::nullopt;
    if (p.Pm >= 0) {
        p.TwelveHour = true;
        if (!Valid(p))
            return std::nullopt;
        p.Hour = p.Hour % 12 + (p.Pm ? 12 : 0);
        p.TwelveHour = false;
    }
    if (!Valid(p))
        return std::nullopt;
    return CivilSeconds(p.Year, p.Month, p.Day, p.Hour, p.Minute, p.Second);
}

} // namespace

TCivilSeconds CivilSeconds(int year, int month, int day, int hour, int minute, int second)
{
    return DaysFromCivil(year, month, day) * 86400 + hour * 3600 + minute * 60 + second;
}

TCivilSeconds CivilDay(TCivilSeconds moment)
{
    const int64_t days = moment >= 0 ? moment / 86400 : -((-moment + 86399) / 86400);
    return days * 86400;
}

std::string FormatCivil(TCivilSeconds moment)
{
    const int64_t z = CivilDay(moment) / 86400 + 719468;
    const int64_t era = (z >= 0 ? z : z - 146096) / 146097;
    const int64_t doe = z - era * 146097;
    const int64_t yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const int64_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const int64_t mp = (5 * doy + 2) / 153;
    const int64_t d = doy - (153 * mp + 2) / 5 + 1;
    const int64_t m = mp + (mp < 10 ? 3 : -9);
    const int64_t y = yoe + era * 400 + (m <= 2);
    const int64_t s = moment - CivilDay(moment);
    char buf[128];
    std::snprintf(buf, sizeof buf, "%04lld-%02lld-%02lld %02lld:%02lld:%02lld",
                  static_cast<long long>(y), static_cast<long long>(m), static_cast<long long>(d),
                  static_cast<long long>(s / 3600), static_cast<long long>(s / 60 % 60),
                  static_cast<long long>(s % 60));
    return buf;
}

std::optional<TCivilSeconds> ParseFlightDate(std::string_view text,
                                             const std::vector<std::string>& formats)
{
    text = TrimBlanks(text);
    if (text.empty())
        return std::nullopt;
    for (const auto& f : formats)
        if (auto v = ParseWith(text, f))
            return v;
    for (std::string_view iso : {"yyyy-MM-ddTHH:mm:ss", "yyyy-MM-dd HH:mm:ss", "yyyy-MM-ddTHH:mm",
                                 "yyyy-MM-dd HH:mm", "yyyy-MM-dd"})
        if (auto v = ParseWith(text, iso))
            return v;
    return std::nullopt;
}

std::optional<TCivilSeconds> ParseIsoDay(std::string_view text)
{
    return ParseWith(text, "yyyy-MM-dd");
}

} // namespace zirko
