// Reads the data folder tree from disk into plain entries: every real folder once, however many
// symbolic links lead to it, and never more than a set number of folders.
#pragma once

#include <atomic>
#include <cstddef>
#include <string>
#include <vector>

namespace zirko {

// A data folder with more folders than this is shown as far as it was read.
inline constexpr size_t kMaxTreeFolders = 20000;

struct TScannedFolder {
    std::string Path;               // as reached from the root, through links as they are named
    std::string Name;               // its entry's name; empty for the root
    int Parent = -1;                // index of the folder that holds it; -1 for the root
    std::vector<std::string> Files; // flight files (".zdf" in any case), names as on disk
};

struct TFolderScan {
    // Every folder after the one that holds it; the root first. Empty when the root is no folder.
    std::vector<TScannedFolder> Folders;
    // False when the limit or a cancel stopped the reading: folders and files are missing.
    bool Complete = true;
};

// Reads `root` breadth first, so that a limit keeps the upper levels whole. Entries of a folder
// are taken in name order, so the path by which a folder is shown does not depend on the file
// system's order. A folder reached again (through a link, or a link back up) is left out, as is
// every folder beyond `maxFolders`. Hidden entries count; unreadable folders are shown empty.
// `cancel`, when given and set, ends the reading early (Complete stays false).
TFolderScan ScanFolderTree(const std::string& root, size_t maxFolders = kMaxTreeFolders,
                           const std::atomic<bool>* cancel = nullptr);

} // namespace zirko
