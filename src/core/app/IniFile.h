// Settings in the usual .ini form, parsed and formatted; keeps what it does not know.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace zirko {

class TIniFile {
public:
    TIniFile() = default;
    explicit TIniFile(char decimalSeparator) : DecimalSeparator(decimalSeparator) {}

    void Parse(std::string_view text);
    std::string Text() const;

    bool SectionExists(std::string_view section) const;
    bool ValueExists(std::string_view section, std::string_view key) const;
    std::optional<std::string> Value(std::string_view section, std::string_view key) const;

    std::string ReadString(std::string_view section, std::string_view key,
                           std::string_view def) const;
    long long ReadInteger(std::string_view section, std::string_view key, long long def) const;
    bool ReadBool(std::string_view section, std::string_view key, bool def) const;
    double ReadFloat(std::string_view section, std::string_view key, double def) const;

    void WriteString(std::string_view section, std::string_view key, std::string_view value);
    void WriteInteger(std::string_view section, std::string_view key, long long value);
    void WriteBool(std::string_view section, std::string_view key, bool value);
    void WriteFloat(std::string_view section, std::string_view key, double value);

    void EraseSection(std::string_view section);
    // An empty section at the end; nothing when it exists.
    void AddSection(std::string_view section);
    // The section keeps its place and its lines under the new name.
    void RenameSection(std::string_view section, std::string_view newName);
    void EraseKey(std::string_view section, std::string_view key);
    std::vector<std::string> SectionNames() const;

    char DecimalSeparator = '.';

private:
    struct TLine {
        std::string Key; // empty for comments and blank lines
        std::string Value;
        std::string Raw; // the line as read, for comments and blank lines
    };
    struct TSection {
        std::string Name;
        std::vector<TLine> Lines;
    };
    TSection* FindSection(std::string_view name);
    const TSection* FindSection(std::string_view name) const;

    std::vector<TLine> Preamble; // lines before the first section
    std::vector<TSection> Sections;
};

bool EqualsNoCase(std::string_view a, std::string_view b);

} // namespace zirko
