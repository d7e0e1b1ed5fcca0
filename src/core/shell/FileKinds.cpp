#include "core/shell/FileKinds.h"

#include "core/shell/TreeNaming.h"

namespace zirko {

TFileKind FileKindOf(std::string_view fileName)
{
    return IsFlightFileName(fileName) ? TFileKind::Flight : TFileKind::Other;
}

TFilesByKind SortFilesByKind(const std::vector<std::string>& fileNames)
{
    TFilesByKind sorted;
    for (const std::string& name : fileNames) {
        switch (FileKindOf(name)) {
        case TFileKind::Flight:
            sorted.Flights.push_back(name);
            break;
        case TFileKind::Other:
            sorted.Other.push_back(name);
            break;
        }
    }
    return sorted;
}

} // namespace zirko
