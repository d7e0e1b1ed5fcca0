#include "core/import/ImportRows.h"

#include <charconv>
#include <cstdio>

namespace zirko {

void TImportRows::CloseSession()
{
    if (Rows.empty())
        return;
    bool present[3] = {false, false, false};
    for (const auto& row : Rows)
        for (int c = 0; c < 3; ++c)
            present[c] = present[c] || !std::isnan(row.Value[c]);
    if (!present[0] && !present[1] && !present[2]) {
        Result.SkippedRows += static_cast<int64_t>(Rows.size());
        Rows.clear();
        return;
    }
    TImportedFlight flight;
    std::vector<double>* arrays[3] = {&flight.Altitude, &flight.Servo, &flight.Voltage};
    for (int c = 0; c < 3; ++c)
        if (present[c])
            arrays[c]->reserve(Rows.size());
    flight.Millisecond.reserve(Rows.size());
    int64_t first = 0;
    for (const auto& row : Rows) {
        bool complete = true;
        for (int c = 0; c < 3; ++c)
            complete = complete && !(present[c] && std::isnan(row.Value[c]));
        if (!complete) {
            ++Result.SkippedRows;
            continue;
        }
        if (flight.Millisecond.empty()) {
            first = row.Time;
            flight.StartMilliseconds = row.Time - DayStart;
        }
        flight.Millisecond.push_back(row.Time - first);
        for (int c = 0; c < 3; ++c)
            if (present[c])
                arrays[c]->push_back(row.Value[c]);
    }
    // A channel present in some rows only leaves those rows; the flight keeps the rest.
    if (!flight.Millisecond.empty()) {
        flight.StartDate = Date;
        Result.Flights.push_back(std::move(flight));
    }
    Rows.clear();
}

std::string_view TrimField(std::string_view text)
{
    while (!text.empty() && static_cast<unsigned char>(text.front()) <= ' ')
        text.remove_prefix(1);
    while (!text.empty() && static_cast<unsigned char>(text.back()) <= ' ')
        text.remove_suffix(1);
    return text;
}

bool SameName(std::string_view a, std::string_view b)
{
    if (a.size() != b.size())
        return false;
    for (size_t i = 0; i < a.size(); ++i) {
        char x = a[i];
        char y = b[i];
        if (x >= 'A' && x <= 'Z')
            x = static_cast<char>(x - 'A' + 'a');
        if (y >= 'A' && y <= 'Z')
            y = static_cast<char>(y - 'A' + 'a');
        if (x != y)
            return false;
    }
    return true;
}

double ParseValue(std::string_view text)
{
    if (!text.empty() && text.front() == '+')
        text.remove_prefix(1);
    if (text.empty())
        return kNoValue;
    // from_chars also takes "inf", "nan" and hexadecimal forms: only decimal digits may start.
    const char first = text.front() == '-' && text.size() > 1 ? text[1] : text.front();
    if (!(first >= '0' && first <= '9') && first != '.')
        return kNoValue;
    double value = 0;
    const auto res = std::from_chars(text.data(), text.data() + text.size(), value);
    if (res.ec != std::errc() || res.ptr != text.data() + text.size() || !std::isfinite(value))
        return kNoValue;
    return value;
}

int ParseDigits(std::string_view text)
{
    if (text.empty() || text.size() > 9)
        return -1;
    int value = 0;
    for (char c : text) {
        if (c < '0' || c > '9')
            return -1;
        value = value * 10 + (c - '0');
    }
    return value;
}

int64_t DaysFromCivil(int year, int month, int day)
{
    // The proleptic Gregorian calendar counted in 400-year eras.
    const int64_t y = static_cast<int64_t>(year) - (month <= 2 ? 1 : 0);
    const int64_t era = (y >= 0 ? y : y - 399) / 400;
    const int64_t yoe = y - era * 400;
    const int64_t mp = (month + 9) % 12;
    const int64_t doy = (153 * mp + 2) / 5 + day - 1;
    const int64_t doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + doe - 719468;
}

std::string CivilDateText(int year, int month, int day)
{
    char text[32];
    std::snprintf(text, sizeof text, "%04d-%02d-%02d", year, month, day);
    return text;
}

} // namespace zirko
