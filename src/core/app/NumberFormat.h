// Number and time texts: fixed "." numbers for files, trimmed display numbers in the user's format.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace zirko {

// Fixed-point with "." and exactly `decimals` decimals, no blanks, no exponent ("-0.75", "12.50").
// Appends to `out`; non-finite values are written as 0 so a file stays readable.
void AppendFixed(std::string& out, double value, int decimals);
std::string FormatFixed(double value, int decimals);
// The same into a buffer of at least 32 + 330 bytes; returns the end of what was written.
char* WriteFixed(char* out, double value, int decimals);

// "%8.1f" / "%8.3f" trimmed of blanks, with the user's decimal separator.
std::string FormatDisplay(double value, int decimals, char decimalSeparator = '.');

// Shortest text that reads back to the same double; "." decimal by default (for JSON, CSV and ini
// files), the user's separator for texts shown.
std::string FormatShortest(double value, char decimalSeparator = '.');

// "2 min 5.5 sec", "42.0 sec", "-1 min -15.3 sec".
std::string FormatFlightTime(double seconds, char decimalSeparator = '.');

// Minutes and two-digit seconds: "1:05" for 65, "-1:05" for -65, "-0:30" for -30.
std::string FormatMinSec(long long seconds);

// A complete decimal number: optional sign, digits, optional "." and fraction, optional
// exponent. Nothing else, not even blanks.
std::optional<double> ParseStrictNumber(std::string_view text);

// A number typed by the user: blanks trimmed, the user's separator or "." as decimal point.
std::optional<double> ParseUserNumber(std::string_view text, char decimalSeparator);
double ParseUserNumberDef(std::string_view text, char decimalSeparator, double fallback);

// A whole number (optional sign, digits), trimmed; nothing else.
std::optional<long long> ParseInteger(std::string_view text);

// Round half to even, as the offset sliders and the recording-time label do.
long long RoundHalfEven(double value);

std::string_view TrimBlanks(std::string_view text); // removes characters <= ' ' at both ends

} // namespace zirko
