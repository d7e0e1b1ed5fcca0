#include "core/logbook/TextFold.h"

#include "core/app/TextCodec.h"

namespace zirko {

namespace {

char32_t FoldCodePoint(char32_t c)
{
    if (c >= 'A' && c <= 'Z')
        return c + 32;
    if (c < 0xC0)
        return c;
    if (c <= 0xDE)
        return c == 0xD7 ? c : c + 32;
    if (c >= 0x100 && c <= 0x137)
        return c | 1; // pairs: upper case even, lower case odd
    if (c >= 0x139 && c <= 0x148)
        return (c & 1) ? c + 1 : c;
    if (c >= 0x14A && c <= 0x177)
        return c | 1;
    if (c == 0x178)
        return 0xFF;
    if (c >= 0x179 && c <= 0x17E)
        return (c & 1) ? c + 1 : c;
    return c;
}

} // namespace

std::string FoldCase(std::string_view utf8)
{
    std::string out;
    out.reserve(utf8.size());
    size_t i = 0;
    while (i < utf8.size()) {
        const auto b = static_cast<unsigned char>(utf8[i]);
        if (b < 0x80) {
            out += static_cast<char>(b >= 'A' && b <= 'Z' ? b + 32 : b);
            ++i;
            continue;
        }
        // Two-byte sequences hold every letter folded here; longer ones are copied.
        if ((b & 0xE0) == 0xC0 && i + 1 < utf8.size() &&
            (static_cast<unsigned char>(utf8[i + 1]) & 0xC0) == 0x80) {
            const char32_t c = (static_cast<char32_t>(b & 0x1F) << 6) |
                               (static_cast<unsigned char>(utf8[i + 1]) & 0x3F);
            AppendUtf8(out, FoldCodePoint(c));
            i += 2;
            continue;
        }
        out += utf8[i++];
    }
    return out;
}

bool ContainsFolded(std::string_view text, std::string_view folded)
{
    if (folded.empty())
        return true;
    return FoldCase(text).find(folded) != std::string::npos;
}

} // namespace zirko
