#include "core/shell/FolderScan.h"

#include "core/shell/TreeNaming.h"

#include <algorithm>
#include <filesystem>
#include <system_error>
#include <unordered_set>

namespace zirko {

namespace fs = std::filesystem;

namespace {

struct TEntry {
    std::string Name;
    bool IsFolder = false;
    bool IsLink = false;
};

std::vector<TEntry> ReadFolder(const std::string& path)
{
    std::vector<TEntry> entries;
    std::error_code ec;
    fs::directory_iterator it(path, fs::directory_options::skip_permission_denied, ec);
    for (; !ec && it != fs::directory_iterator(); it.increment(ec)) {
        TEntry entry;
        entry.Name = it->path().filename().string();
        std::error_code statError;
        // A link counts as what it points to; a dangling one as a file.
        entry.IsFolder = it->is_directory(statError);
        entry.IsLink = it->is_symlink(statError);
        entries.push_back(std::move(entry));
    }
    std::sort(entries.begin(), entries.end(),
              [](const TEntry& a, const TEntry& b) { return a.Name < b.Name; });
    return entries;
}

std::string Child(const std::string& folder, const std::string& name)
{
    return folder.empty() || folder.back() == '/' ? folder + name : folder + '/' + name;
}

} // namespace

TFolderScan ScanFolderTree(const std::string& root, size_t maxFolders,
                           const std::atomic<bool>* cancel)
{
    TFolderScan scan;
    std::error_code ec;
    if (!fs::is_directory(root, ec))
        return scan;
    const fs::path rootReal = fs::canonical(root, ec);
    // Canonical paths of the folders taken, with the one of each folder still to read.
    std::unordered_set<std::string> seen;
    std::vector<std::string> real;
    scan.Folders.push_back({root, {}, -1, {}});
    real.push_back(ec ? root : rootReal.string());
    seen.insert(real.back());
    for (size_t next = 0; next < scan.Folders.size(); ++next) {
        if (cancel && cancel->load(std::memory_order_relaxed)) {
            scan.Complete = false;
            break;
        }
        const std::string path = scan.Folders[next].Path;
        const std::string folderReal = real[next];
        for (const TEntry& entry : ReadFolder(path)) {
            if (!entry.IsFolder) {
                if (IsFlightFileName(entry.Name))
                    scan.Folders[next].Files.push_back(entry.Name);
                continue;
            }
            std::string entryReal = Child(folderReal, entry.Name);
            if (entry.IsLink) {
                std::error_code linkError;
                const fs::path target = fs::canonical(Child(path, entry.Name), linkError);
                if (linkError)
                    continue;
                entryReal = target.string();
            }
            if (seen.count(entryReal))
                continue;
            if (scan.Folders.size() >= maxFolders) {
                scan.Complete = false;
                continue; // the files of the folders already taken are still read
            }
            seen.insert(entryReal);
            real.push_back(std::move(entryReal));
            scan.Folders.push_back(
                {Child(path, entry.Name), entry.Name, static_cast<int>(next), {}});
        }
    }
    return scan;
}

} // namespace zirko
