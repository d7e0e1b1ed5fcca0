// The model profiles of a data folder ("models.ini"): how each model's flights are analysed.
#pragma once

#include <map>
#include <optional>
#include <string>
#include <string_view>

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
};

class TModelProfiles {
public:
    void Parse(std::string_view text);
    // The profile of a model named in a flight, compared without regard to case and blanks.
    const TModelProfile* Find(std::string_view model) const;
    size_t Size() const { return Profiles.size(); }

private:
    std::map<std::string, TModelProfile> Profiles; // by folded name
};

} // namespace zirko
