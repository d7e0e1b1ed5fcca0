#include "core/app/NumberFormat.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstring>
#include <limits>

namespace zirko {

namespace {

constexpr double kPow10[] = {1e0,  1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,  1e8,  1e9,  1e10, 1e11,
                             1e12, 1e13, 1e14, 1e15, 1e16, 1e17, 1e18, 1e19, 1e20, 1e21, 1e22};

char* WriteFixedSlow(char* out, double value, int decimals)
{
    char buf[400];
    auto res = std::to_chars(buf, buf + sizeof buf, value, std::chars_format::fixed, decimals);
    std::string_view text(buf, static_cast<size_t>(res.ptr - buf));
    // A value that rounds to zero is written without a sign.
    if (!text.empty() && text.front() == '-' &&
        text.find_first_not_of("0.", 1) == std::string_view::npos)
        text.remove_prefix(1);
    std::memcpy(out, text.data(), text.size());
    return out + text.size();
}

} // namespace

char* WriteFixed(char* out, double value, int decimals)
{
    if (!std::isfinite(value))
        value = 0.0;
    if (decimals < 0 || decimals > 6 || std::fabs(value) >= 1e12)
        return WriteFixedSlow(out, value, decimals);
    // Scaled to an integer: exact for the magnitudes flight files hold. A product that lands on a
    // tie goes the slow way so that halves round like the exact decimal value does.
    const double scaled = value * kPow10[decimals];
    const double rounded = std::nearbyint(scaled);
    if (std::fabs(scaled - rounded) == 0.5)
        return WriteFixedSlow(out, value, decimals);
    unsigned long long n = static_cast<unsigned long long>(std::fabs(rounded));
    char buf[32];
    char* end = buf + sizeof buf;
    char* p = end;
    for (int i = 0; i < decimals; ++i) {
        *--p = static_cast<char>('0' + n % 10);
        n /= 10;
    }
    if (decimals > 0)
        *--p = '.';
    do {
        *--p = static_cast<char>('0' + n % 10);
        n /= 10;
    } while (n != 0);
    if (rounded < 0)
        *--p = '-';
    const size_t len = static_cast<size_t>(end - p);
    std::memcpy(out, p, len);
    return out + len;
}

void AppendFixed(std::string& out, double value, int decimals)
{
    char buf[400];
    out.append(buf, static_cast<size_t>(WriteFixed(buf, value, decimals) - buf));
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

std::string FormatShortest(double value, char decimalSeparator)
{
    if (!std::isfinite(value))
        return "0";
    char buf[64];
    auto res = std::to_chars(buf, buf + sizeof buf, value);
    if (decimalSeparator != '.')
        std::replace(buf, res.ptr, '.', decimalSeparator);
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
    // The magnitude is taken unsigned so that the most negative value has one too; the sign
    // stands once, in front of the minutes.
    const unsigned long long magnitude = seconds < 0
                                             ? 0ULL - static_cast<unsigned long long>(seconds)
                                             : static_cast<unsigned long long>(seconds);
    const unsigned long long s = magnitude % 60;
    std::string text = seconds < 0 ? "-" : "";
    text += std::to_string(magnitude / 60);
    text += s < 10 ? ":0" : ":";
    text += std::to_string(s);
    return text;
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
    bool negative = false;
    if (i < n && (text[i] == '+' || text[i] == '-')) {
        negative = text[i] == '-';
        ++i;
    }
    const size_t mantissaStart = i;
    size_t digits = 0;
    unsigned long long mantissa = 0;
    int fractionDigits = 0;
    while (isDigit(i)) {
        mantissa = mantissa * 10 + static_cast<unsigned>(text[i] - '0');
        ++i;
        ++digits;
    }
    if (i < n && text[i] == '.') {
        ++i;
        while (isDigit(i)) {
            mantissa = mantissa * 10 + static_cast<unsigned>(text[i] - '0');
            ++i;
            ++digits;
            ++fractionDigits;
        }
    }
    if (digits == 0)
        return std::nullopt;
    bool exponent = false;
    if (i < n && (text[i] == 'e' || text[i] == 'E')) {
        exponent = true;
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
    // Few digits and no exponent: an exact integer divided by an exact power of ten is correctly
    // rounded.
    if (!exponent && digits <= 15 && fractionDigits <= 22) {
        const double value = static_cast<double>(mantissa) / kPow10[fractionDigits];
        return negative ? -value : value;
    }
    std::string_view body = text.substr(mantissaStart);
    double value = 0;
    auto res = std::from_chars(body.data(), body.data() + body.size(), value);
    if (res.ec != std::errc() || res.ptr != body.data() + body.size() || !std::isfinite(value))
        return std::nullopt;
    return negative ? -value : value;
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
