#include "platform/files/SettingsFile.h"

#include "platform/files/FileStore.h"

#include <string>
#include <system_error>

namespace zirko {

std::optional<TIniFile> LoadIniFile(const std::filesystem::path& fileName, char decimalSeparator)
{
    TIniFile ini(decimalSeparator);
    std::error_code ec;
    if (!std::filesystem::exists(fileName, ec))
        return ini;
    std::string content;
    if (!ReadWholeFile(fileName, content))
        return std::nullopt;
    ini.Parse(content);
    return ini;
}

bool SaveIniFile(const std::filesystem::path& fileName, const TIniFile& ini)
{
    return WriteFileAtomically(fileName, ini.Text());
}

} // namespace zirko
