#include "core/shell/TreeNaming.h"

#include <cctype>

namespace zirko {

namespace {
bool IsSeparator(char c)
{
    return c == '/' || c == '\\';
}
} // namespace

bool IsFlightFileName(std::string_view fileName)
{
    const size_t dot = fileName.rfind('.');
    if (dot == std::string_view::npos)
        return false;
    const std::string_view ext = fileName.substr(dot);
    if (ext.size() != kFlightExtension.size())
        return false;
    for (size_t i = 0; i < ext.size(); ++i)
        if (std::tolower(static_cast<unsigned char>(ext[i])) != kFlightExtension[i])
            return false;
    return true;
}

std::string FlightNodeText(std::string_view fileName)
{
    if (fileName.size() < kFlightExtension.size())
        return {};
    return std::string(fileName.substr(0, fileName.size() - kFlightExtension.size()));
}

std::string WithoutTrailingSeparator(std::string_view path)
{
    size_t end = path.size();
    while (end > 1 && IsSeparator(path[end - 1]))
        --end;
    return std::string(path.substr(0, end));
}

std::string RootNodeText(std::string_view rootPath)
{
    const std::string path = WithoutTrailingSeparator(rootPath);
    if (path.size() == 1 && IsSeparator(path[0]))
        return path;
    const size_t sep = path.find_last_of("/\\");
    return sep == std::string::npos ? path : path.substr(sep + 1);
}

std::string NewFolderName(const std::function<bool(const std::string&)>& exists)
{
    std::string name(kNewFolderName);
    for (int n = 1; exists(name); ++n)
        name = std::string(kNewFolderName) + " (" + std::to_string(n) + ")";
    return name;
}

TNameCheck CheckNodeName(std::string_view name)
{
    const std::string shown(name);
    if (name.find_first_of("/\\") != std::string_view::npos)
        return {false, "Jméno \"" + shown + "\" nelze použít! Jméno nesmí obsahovat znaky / a \\."};
    if (name == "." || name == "..")
        return {false, "Jméno \"" + shown + "\" nelze použít! Jméno nesmí být \".\" ani \"..\"."};
    if (name.find('\0') != std::string_view::npos)
        return {false, "Jméno \"" + shown + "\" nelze použít!"};
    return {};
}

std::string RenamedPath(std::string_view oldPath, std::string_view newName, bool isFile)
{
    const size_t sep = oldPath.find_last_of("/\\");
    std::string path(sep == std::string_view::npos ? std::string_view{}
                                                   : oldPath.substr(0, sep + 1));
    path += newName;
    if (isFile)
        path += kFlightExtension;
    return path;
}

} // namespace zirko
