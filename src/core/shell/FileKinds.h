// What a file handed to the program from outside (dropped on the main window) is, by its name.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace zirko {

enum class TFileKind {
    Flight, // a flight data file (".zdf"): opened as a flight
    Other,  // nothing the program opens
};

TFileKind FileKindOf(std::string_view fileName);

// Files sorted by kind, each list in the order given.
struct TFilesByKind {
    std::vector<std::string> Flights;
    std::vector<std::string> Other;
};
TFilesByKind SortFilesByKind(const std::vector<std::string>& fileNames);

} // namespace zirko
