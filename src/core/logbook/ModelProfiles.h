// The model profiles of a data folder ("models.ini"): how each model's flights are analysed.
#pragma once

#include "core/analysis/FlightEvents.h"

#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace zirko {

inline constexpr std::string_view kModelProfilesFile = "models.ini";

// One section of the file; a key that is missing or no number is absent and the general
// analysis settings apply for it.
struct TModelProfile {
    std::string Name;
    std::optional<std::string> Rules; // "none", "f5j", "ales"
    std::optional<double> MotorThreshold;
    std::optional<double> AlesHeight;
    std::optional<double> LowVoltage;
    // The section the profile was read from (empty for a new one), so that a renamed profile
    // keeps the keys this program does not know.
    std::string Section;
    bool operator==(const TModelProfile&) const = default;
};

class TModelProfiles {
public:
    void Parse(std::string_view text);
    // The profile of a model named in a flight, compared without regard to case and blanks.
    const TModelProfile* Find(std::string_view model) const;
    size_t Size() const { return Profiles.size(); }
    // In the order of the file.
    const std::vector<TModelProfile>& List() const { return Profiles; }
    // Changes whenever a profile's analysis values change; the same for equal profiles however
    // the file is laid out. Cached analyses carry it to know they are still current.
    std::string Fingerprint() const;

private:
    std::vector<TModelProfile> Profiles;
    std::map<std::string, size_t> ByName; // folded name to index
};

// The key a model name is found by: folded case, no blanks at the ends.
std::string ModelKey(std::string_view model);

// `options` with what the profile sets put in; a rule name the program does not know is left
// out.
TEventOptions ApplyProfile(TEventOptions options, const TModelProfile& profile);

// How a flight of `model` is analysed: the general options, over them the model's profile when
// `profiles` has one, over both the explicit values (a command line's options) when given.
TEventOptions EventOptionsFor(const TEventOptions& general, const TModelProfiles* profiles,
                              std::string_view model,
                              const TModelProfile* explicitValues = nullptr);

// Why a profile name cannot be used (empty, brackets, a line break, or the name of another profile
// of `others`), or nothing.
std::optional<std::string> CheckProfileName(std::string_view name,
                                            const std::vector<TModelProfile>& others);

// The text of models.ini holding `profiles`, made from the file's `previous` text: comments,
// sections that are no profile and keys the program does not know stay; a profile removed loses its
// section, a renamed one keeps its place; a new one comes last.
std::string FormatModelProfiles(std::string_view previous,
                                const std::vector<TModelProfile>& profiles);

} // namespace zirko
