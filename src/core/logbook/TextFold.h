// Case-insensitive matching of UTF-8 texts, as the logbook's search compares words.
#pragma once

#include <string>
#include <string_view>

namespace zirko {

// The text in lower case: ASCII, Latin-1 and Latin Extended-A letters (Czech and the other
// Central European ones) folded; everything else kept as it is. Invalid UTF-8 bytes stay.
std::string FoldCase(std::string_view utf8);

// Whether `folded` (already folded) occurs in `text` without regard to case.
bool ContainsFolded(std::string_view text, std::string_view folded);

} // namespace zirko
