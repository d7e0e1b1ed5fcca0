// The flight details a pilot keeps in a file's extra section: model, site, pilot and tags.
#pragma once

#include "core/flightdata/DataBlock.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace zirko {

inline constexpr std::string_view kModelKey = "Model";
inline constexpr std::string_view kSiteKey = "Site";
inline constexpr std::string_view kPilotKey = "Pilot";
inline constexpr std::string_view kTagsKey = "Tags";

struct TFlightDetails {
    std::string Model; // UTF-8, one line; empty when the file has none
    std::string Site;
    std::string Pilot;
    std::vector<std::string> Tags;
    bool operator==(const TFlightDetails&) const = default;
};

// The details among the lines of an extra section (without the section's own tag lines).
TFlightDetails ReadDetails(const std::vector<std::string>& extraLines);
// The details of a flight that was read, its lines decoded as the file's texts are.
TFlightDetails FlightDetailsOf(const TDataBlock& flight);

// "a, b ,c" gives {"a", "b", "c"}: blanks around each tag dropped, empty tags left out.
std::vector<std::string> SplitTags(std::string_view text);
std::string JoinTags(const std::vector<std::string>& tags);

// A typed value as it is stored: line breaks become blanks, blanks at both ends go.
std::string CleanDetailValue(std::string_view value);
// Why a value cannot be stored, or nothing when it can. Every reader takes a line holding
// "RxOffsetY" for the servo zero, so such a value would change the flight.
std::optional<std::string> CheckDetailValue(std::string_view value);

// A change of details: an absent field stays, an empty one removes its line.
struct TDetailsEdit {
    std::optional<std::string> Model;
    std::optional<std::string> Site;
    std::optional<std::string> Pilot;
    std::optional<std::string> Tags; // comma-separated, replaces every tag
    std::vector<std::string> AddTags;
    std::vector<std::string> RemoveTags;
    bool Empty() const;
};

// Why the edit cannot be stored (the first value refused), or nothing.
std::optional<std::string> CheckDetailsEdit(const TDetailsEdit& edit);

// The extra lines after the edit: a changed detail keeps its line's place, a new one comes last,
// every other line stays as it was. Tags are compared without regard to case.
std::vector<std::string> ApplyDetailsEdit(std::vector<std::string> extraLines,
                                          const TDetailsEdit& edit);

// Where a flight file's extra section lies, found as the reader finds it.
struct TExtraSection {
    bool Found = false;
    size_t LinesBegin = 0;          // first byte after the "<Extra>" line
    size_t LinesEnd = 0;            // first byte of the "</Extra>" line, or the end of the bytes
    bool Closed = false;            // a "</Extra>" line ends it
    std::string LineBreak = "\r\n"; // what ends the "<Extra>" line
    std::vector<std::string> Lines;
};
TExtraSection LocateExtraSection(std::string_view content);

struct TRewriteResult {
    bool Ok = false;
    std::string Content; // the file's new bytes when Ok
    std::string Message; // why not
    bool Changed = false;
};

// The file's bytes with only its extra section rewritten by the edit; a file without the
// section gets one at its end.
TRewriteResult RewriteDetails(std::string_view content, const TDetailsEdit& edit);

} // namespace zirko
