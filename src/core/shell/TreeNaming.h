// Naming rules of the data folder tree: node texts, sibling order, new folder names, renames.
#pragma once

#include <functional>
#include <string>
#include <string_view>

namespace zirko {

inline constexpr std::string_view kFlightExtension = ".zdf";
inline constexpr std::string_view kNewFolderName = "Nová složka";

// True for a file the tree shows: its extension (from the last ".") is ".zdf" in any case.
bool IsFlightFileName(std::string_view fileName);

// The node text of a flight file: the name without its four-character extension, in the case
// the file system holds it ("X.ZDF" gives "X"; "a.b.zdf" gives "a.b").
std::string FlightNodeText(std::string_view fileName);

// A path without trailing separators ("/" and "\"), except that a bare root stays as it is.
std::string WithoutTrailingSeparator(std::string_view path);

// The root node's text: the last component of the root folder's path; a drive or file-system
// root ("C:\", "/") is named by itself without the trailing separator, "/" staying "/".
std::string RootNodeText(std::string_view rootPath);

// Folders come before files; two folders or two files are ordered by `collate`, which compares
// their texts as file names (case-insensitively, in the user's collation) and returns <0, 0, >0.
template <class TText, class TCollate>
int CompareSiblings(bool aIsFolder, const TText& aText, bool bIsFolder, const TText& bText,
                    TCollate&& collate)
{
    if (aIsFolder != bIsFolder)
        return aIsFolder ? -1 : 1;
    return collate(aText, bText);
}

// The first of "Nová složka", "Nová složka (1)", "Nová složka (2)", ... for which `exists`
// answers false.
std::string NewFolderName(const std::function<bool(const std::string&)>& exists);

struct TNameCheck {
    bool Ok = true;
    std::string Message; // the text shown to the user when the name is refused
};

// A new name typed for a node must stay a single entry of the same folder: no path separator
// (either kind, so that the folder also reads on the other platform), and neither "." nor "..".
TNameCheck CheckNodeName(std::string_view name);

// The path of a renamed item: `oldPath` up to and including its last separator, then `newName`,
// then ".zdf" for a flight file.
std::string RenamedPath(std::string_view oldPath, std::string_view newName, bool isFile);

} // namespace zirko
