// Text bytes from files: UTF-8 when valid, otherwise Windows-1250; and the code pages RTF uses.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace zirko {

bool IsValidUtf8(std::string_view bytes);

// Unicode code point of a byte in a Windows code page (1250 Central European, 1252 Western).
// Bytes the code page leaves undefined map to U+FFFD.
char32_t CodePageToUnicode(unsigned char byte, int codePage);
// The byte of a code point in a code page, if it has one.
std::optional<unsigned char> UnicodeToCodePage(char32_t cp, int codePage);

std::string DecodeCodePage(std::string_view bytes, int codePage); // to UTF-8
void AppendUtf8(std::string& out, char32_t cp);

// UTF-8 when the bytes are valid UTF-8, otherwise Windows-1250 decoded to UTF-8.
std::string DecodeFileText(std::string_view bytes);

// A JSON string literal (with quotes) of UTF-8 text.
std::string JsonQuote(std::string_view utf8);

} // namespace zirko
