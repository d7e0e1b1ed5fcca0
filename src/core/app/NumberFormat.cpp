#include "core/app/NumberFormat.h"

#include <charconv>
#include <cmath>
#include <limits>

namespace zirko {

void AppendFixed(std::string& out, double value, int decimals)
{
    if (!std::isfinite(value))
        value = 0.0;
    char buf[400];
    auto res = std::to_chars(buf, buf + sizeof buf, value, std::chars_format::fixed, decimals);
    std::string_view text(buf, static_cast<size_t>(res.ptr - buf));
    // A value that rounds to zero is written without a sign.
    if (!text.empty() && text.front() == '-' &&
        text.find_first_not_of("0.", 1) == std::string_view::npos)
        text.remove_prefix(1);
    out.append(text);
}

std::string FormatFixed(double value, int decimals)
{
    std::string out;
    AppendFixed(out, value, decimals);
    return out;
}

std::string FormatDisplay(double value, int decimals, char decimalSeparator)
{
    std::string text = FormatFixed(value, decimals);
    if (decimalSeparator != '.') {
        for (char& c : text)
            if (c == '.')
                c = decimalSeparator;
    }
    return text;
}

std::string FormatShortest(double value)
{
    if (!std::isfinite(value))
        return "0";
    char buf[64];
    auto res = std::to_chars(buf, buf + sizeof buf, value);
    return std::string(buf, res.ptr);
}

std::string FormatFlightTime(double seconds, char decimalSeparator)
{
    if (!std::isfinite(seconds))
        seconds = 0;
    const double whole = std::trunc(seconds);
    const long long n = whole >= static_cast<double>(std::numeric_limits<long long>::max())
                            ? std::numeric_limits<long long>::max()
                        : whole <= static_cast<double>(std::numeric_limits<long long>::min())
                            ? std::numeric_limits<long long>::min()
                            : static_cast<long long>(whole);
    const long long m = n / 60;
    const double s = static_cast<double>(n % 60) + (seconds - whole);
    std::string text;
    if (m != 0)
        text = std::to_string(m) + " min ";
    text += FormatDisplay(s, 1, decimalSeparator) + " sec";
    return text;
}

std::string FormatMinSec(long long seconds)
{
    return std::to_string(seconds / 60) + ":" + std::to_string(seconds % 60);
}

std::string_view TrimBlanks(std::string_view text)
{
    while (!text.empty() && static_cast<unsigned char>(text.front()) <= ' ')
        text.remove_prefix(1);
    while (!text.empty() && static_cast<unsigned char>(text.back()) <= ' ')
        text.remove_suffix(1);
    return text;
}

std::optional<double> ParseStrictNumber(std::string_view text)
{
    size_t i = 0;
    const size_t n = text.size();
    auto isDigit = [&](size_t k) { return k < n && text[k] >= '0' && text[k] <= '9'; };
    if (i < n && (text[i] == '+' || text[i] == '-'))
        ++i;
    const size_t mantissaStart = i;
    size_t digits = 0;
    while (isDigit(i)) {
        ++i;
        ++digits;
    }
    if (i < n && text[i] == '.') {
        ++i;
        while (isDigit(i)) {
            ++i;
            ++digits;
        }
    }
    if (digits == 0)
        return std::nullopt;
    if (i < n && (text[i] == 'e' || text[i] == 'E')) {
        ++i;
        if (i < n && (text[i] == '+' || text[i] == '-'))
            ++i;
        if (!isDigit(i))
            return std::nullopt;
        while (isDigit(i))
            ++i;
    }
    if (i != n)
        return std::nullopt;
    std::string_view body = text.substr(mantissaStart);
    double value = 0;
    auto res = std::from_chars(body.data(), body.data() + body.size(), value);
    if (res.ec != std::errc() || res.ptr != body.data() + body.size() || !std::isfinite(value))
        return std::nullopt;
    return (text[0] == '-') ? -value : value;
}

std::optional<double> ParseUserNumber(std::string_view text, char decimalSeparator)
{
    text = TrimBlanks(text);
    if (decimalSeparator == '.' || text.find(decimalSeparator) == std::string_view::npos)
        return ParseStrictNumber(text);
    std::string copy(text);
    for (char& c : copy)
        if (c == decimalSeparator)
            c = '.';
    return ParseStrictNumber(copy);
}

double ParseUserNumberDef(std::string_view text, char decimalSeparator, double fallback)
{
    return ParseUserNumber(text, decimalSeparator).value_or(fallback);
}

std::optional<long long> ParseInteger(std::string_view text)
{
    text = TrimBlanks(text);
    if (!text.empty() && text.front() == '+')
        text.remove_prefix(1);
    long long value = 0;
    auto res = std::from_chars(text.data(), text.data() + text.size(), value);
    if (text.empty() || res.ec != std::errc() || res.ptr != text.data() + text.size())
        return std::nullopt;
    return value;
}

long long RoundHalfEven(double value)
{
    if (!std::isfinite(value))
        return 0;
    const double r = std::nearbyint(value); // default rounding mode: to nearest, ties to even
    if (r >= 9.2e18)
        return std::numeric_limits<long long>::max();
    if (r <= -9.2e18)
        return std::numeric_limits<long long>::min();
    return static_cast<long long>(r);
}

} // namespace zirko
