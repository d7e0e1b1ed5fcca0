#include "core/app/RecentFiles.h"

#include <algorithm>

namespace zirko {

namespace {
std::string Key(size_t index)
{
    return "File" + std::to_string(index + 1);
}
} // namespace

void AddRecentFile(std::vector<std::string>& recent, const std::string& path)
{
    if (path.empty())
        return;
    std::erase(recent, path);
    recent.insert(recent.begin(), path);
    if (recent.size() > kMaxRecentFiles)
        recent.resize(kMaxRecentFiles);
}

void RemoveRecentFile(std::vector<std::string>& recent, const std::string& path)
{
    std::erase(recent, path);
}

std::vector<std::string> ReadRecentFiles(const TIniFile& ini)
{
    std::vector<std::string> recent;
    for (size_t i = 0; i < kMaxRecentFiles; ++i) {
        const std::string path = ini.ReadString(kRecentSection, Key(i), "");
        if (!path.empty() && std::find(recent.begin(), recent.end(), path) == recent.end())
            recent.push_back(path);
    }
    return recent;
}

void WriteRecentFiles(TIniFile& ini, const std::vector<std::string>& recent)
{
    for (size_t i = 0; i < kMaxRecentFiles; ++i)
        ini.WriteString(kRecentSection, Key(i), i < recent.size() ? recent[i] : std::string());
}

} // namespace zirko
