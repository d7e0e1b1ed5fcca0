#include "core/app/IniFile.h"

#include "core/app/NumberFormat.h"

#include <cctype>
#include <charconv>

namespace zirko {

bool EqualsNoCase(std::string_view a, std::string_view b)
{
    if (a.size() != b.size())
        return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (std::tolower(static_cast<unsigned char>(a[i])) !=
            std::tolower(static_cast<unsigned char>(b[i])))
            return false;
    return true;
}

void TIniFile::Parse(std::string_view text)
{
    Preamble.clear();
    Sections.clear();
    std::vector<TLine>* target = &Preamble;
    size_t pos = 0;
    while (pos < text.size()) {
        size_t end = text.find_first_of("\r\n", pos);
        std::string_view raw = text.substr(pos, end == std::string_view::npos ? end : end - pos);
        if (end == std::string_view::npos)
            pos = text.size();
        else
            pos = (text[end] == '\r' && end + 1 < text.size() && text[end + 1] == '\n') ? end + 2
                                                                                        : end + 1;
        std::string_view line = TrimBlanks(raw);
        if (line.size() >= 2 && line.front() == '[') {
            const size_t close = line.find(']');
            if (close != std::string_view::npos) {
                Sections.push_back({std::string(TrimBlanks(line.substr(1, close - 1))), {}});
                target = &Sections.back().Lines;
                continue;
            }
        }
        const size_t eq = line.find('=');
        if (line.empty() || line.front() == ';' || line.front() == '#' ||
            eq == std::string_view::npos || eq == 0) {
            target->push_back({"", "", std::string(raw)});
            continue;
        }
        target->push_back({std::string(TrimBlanks(line.substr(0, eq))),
                           std::string(TrimBlanks(line.substr(eq + 1))), ""});
    }
}

std::string TIniFile::Text() const
{
    std::string out;
    auto emit = [&out](const std::vector<TLine>& lines) {
        for (const auto& l : lines) {
            if (l.Key.empty())
                out += l.Raw;
            else
                out += l.Key + "=" + l.Value;
            out += "\r\n";
        }
    };
    emit(Preamble);
    for (const auto& s : Sections) {
        out += "[" + s.Name + "]\r\n";
        emit(s.Lines);
    }
    return out;
}

TIniFile::TSection* TIniFile::FindSection(std::string_view name)
{
    for (auto& s : Sections)
        if (EqualsNoCase(s.Name, name))
            return &s;
    return nullptr;
}

const TIniFile::TSection* TIniFile::FindSection(std::string_view name) const
{
    for (const auto& s : Sections)
        if (EqualsNoCase(s.Name, name))
            return &s;
    return nullptr;
}

bool TIniFile::SectionExists(std::string_view section) const
{
    return FindSection(section) != nullptr;
}

std::vector<std::string> TIniFile::SectionNames() const
{
    std::vector<std::string> names;
    for (const auto& s : Sections)
        names.push_back(s.Name);
    return names;
}

std::optional<std::string> TIniFile::Value(std::string_view section, std::string_view key) const
{
    const TSection* s = FindSection(section);
    if (!s)
        return std::nullopt;
    for (const auto& l : s->Lines)
        if (!l.Key.empty() && EqualsNoCase(l.Key, key))
            return l.Value;
    return std::nullopt;
}

bool TIniFile::ValueExists(std::string_view section, std::string_view key) const
{
    return Value(section, key).has_value();
}

std::string TIniFile::ReadString(std::string_view section, std::string_view key,
                                 std::string_view def) const
{
    auto v = Value(section, key);
    return v ? *v : std::string(def);
}

long long TIniFile::ReadInteger(std::string_view section, std::string_view key, long long def) const
{
    auto v = Value(section, key);
    if (!v)
        return def;
    std::string_view text = TrimBlanks(*v);
    // Hexadecimal in the usual "0x" form is accepted as well.
    if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
        long long value = 0;
        auto res = std::from_chars(text.data() + 2, text.data() + text.size(), value, 16);
        return (res.ec == std::errc() && res.ptr == text.data() + text.size()) ? value : def;
    }
    return ParseInteger(text).value_or(def);
}

bool TIniFile::ReadBool(std::string_view section, std::string_view key, bool def) const
{
    return ReadInteger(section, key, def ? 1 : 0) != 0;
}

double TIniFile::ReadFloat(std::string_view section, std::string_view key, double def) const
{
    auto v = Value(section, key);
    if (!v)
        return def;
    return ParseUserNumberDef(*v, DecimalSeparator, def);
}

void TIniFile::WriteString(std::string_view section, std::string_view key, std::string_view value)
{
    TSection* s = FindSection(section);
    if (!s) {
        Sections.push_back({std::string(section), {}});
        s = &Sections.back();
    }
    for (auto& l : s->Lines) {
        if (!l.Key.empty() && EqualsNoCase(l.Key, key)) {
            l.Value = std::string(value);
            return;
        }
    }
    // New keys go after the last key of the section, before trailing blank lines.
    auto it = s->Lines.end();
    while (it != s->Lines.begin() && std::prev(it)->Key.empty() &&
           TrimBlanks(std::prev(it)->Raw).empty())
        --it;
    s->Lines.insert(it, {std::string(key), std::string(value), ""});
}

void TIniFile::WriteInteger(std::string_view section, std::string_view key, long long value)
{
    WriteString(section, key, std::to_string(value));
}

void TIniFile::WriteBool(std::string_view section, std::string_view key, bool value)
{
    WriteString(section, key, value ? "1" : "0");
}

void TIniFile::WriteFloat(std::string_view section, std::string_view key, double value)
{
    std::string text = FormatShortest(value);
    if (DecimalSeparator != '.')
        for (char& c : text)
            if (c == '.')
                c = DecimalSeparator;
    WriteString(section, key, text);
}

void TIniFile::EraseSection(std::string_view section)
{
    for (auto it = Sections.begin(); it != Sections.end(); ++it) {
        if (EqualsNoCase(it->Name, section)) {
            Sections.erase(it);
            return;
        }
    }
}

void TIniFile::AddSection(std::string_view section)
{
    if (!FindSection(section))
        Sections.push_back({std::string(section), {}});
}

void TIniFile::RenameSection(std::string_view section, std::string_view newName)
{
    if (TSection* s = FindSection(section))
        s->Name = std::string(newName);
}

void TIniFile::EraseKey(std::string_view section, std::string_view key)
{
    if (TSection* s = FindSection(section))
        std::erase_if(s->Lines,
                      [key](const TLine& l) { return !l.Key.empty() && EqualsNoCase(l.Key, key); });
}

} // namespace zirko
