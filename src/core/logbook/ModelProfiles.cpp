#include "core/logbook/ModelProfiles.h"

#include "core/app/IniFile.h"
#include "core/app/NumberFormat.h"
#include "core/logbook/TextFold.h"

#include <set>

namespace zirko {

namespace {

constexpr std::string_view kRulesKey = "Rules";
constexpr std::string_view kMotorThresholdKey = "MotorThreshold";
constexpr std::string_view kAlesHeightKey = "AlesHeight";
constexpr std::string_view kLowVoltageKey = "LowVoltage";

std::string OptionalNumberText(const std::optional<double>& v)
{
    return v ? FormatShortest(*v) : std::string("-");
}

} // namespace

std::string ModelKey(std::string_view model)
{
    return FoldCase(TrimBlanks(model));
}

void TModelProfiles::Parse(std::string_view text)
{
    Profiles.clear();
    ByName.clear();
    TIniFile ini;
    ini.Parse(text);
    for (const auto& section : ini.SectionNames()) {
        const std::string key = ModelKey(section);
        if (key.empty() || ByName.count(key))
            continue;
        TModelProfile p;
        p.Name = section;
        p.Section = section;
        if (auto rules = ini.Value(section, kRulesKey); rules && !TrimBlanks(*rules).empty())
            p.Rules = FoldCase(TrimBlanks(*rules));
        const auto number = [&](std::string_view name) -> std::optional<double> {
            if (auto v = ini.Value(section, name))
                return ParseUserNumber(*v, '.');
            return std::nullopt;
        };
        p.MotorThreshold = number(kMotorThresholdKey);
        p.AlesHeight = number(kAlesHeightKey);
        p.LowVoltage = number(kLowVoltageKey);
        ByName.emplace(key, Profiles.size());
        Profiles.push_back(std::move(p));
    }
}

const TModelProfile* TModelProfiles::Find(std::string_view model) const
{
    const auto it = ByName.find(ModelKey(model));
    return it == ByName.end() ? nullptr : &Profiles[it->second];
}

std::string TModelProfiles::Fingerprint() const
{
    // By folded name, so the order of the sections and the case of names do not count.
    std::string text;
    for (const auto& [key, index] : ByName) {
        const TModelProfile& p = Profiles[index];
        text += key + "\x1f" + p.Rules.value_or("-") + "\x1f" +
                OptionalNumberText(p.MotorThreshold) + "\x1f" + OptionalNumberText(p.AlesHeight) +
                "\x1f" + OptionalNumberText(p.LowVoltage) + "\x1e";
    }
    return text;
}

TEventOptions ApplyProfile(TEventOptions options, const TModelProfile& profile)
{
    if (profile.Rules)
        if (const auto rules = ParseRules(*profile.Rules))
            options.Rules = *rules;
    if (profile.MotorThreshold)
        options.MotorThreshold = *profile.MotorThreshold;
    if (profile.AlesHeight)
        options.AlesHeight = *profile.AlesHeight;
    if (profile.LowVoltage)
        options.LowVoltage = *profile.LowVoltage;
    return options;
}

TEventOptions EventOptionsFor(const TEventOptions& general, const TModelProfiles* profiles,
                              std::string_view model, const TModelProfile* explicitValues)
{
    TEventOptions options = general;
    if (profiles)
        if (const TModelProfile* profile = profiles->Find(model))
            options = ApplyProfile(options, *profile);
    if (explicitValues)
        options = ApplyProfile(options, *explicitValues);
    return options;
}

std::optional<std::string> CheckProfileName(std::string_view name,
                                            const std::vector<TModelProfile>& others)
{
    const std::string_view trimmed = TrimBlanks(name);
    if (trimmed.empty())
        return "A model needs a name.";
    if (trimmed.find_first_of("[]\r\n") != std::string_view::npos)
        return "A model name cannot hold \"[\", \"]\" or a line break.";
    const std::string key = ModelKey(trimmed);
    for (const auto& other : others)
        if (ModelKey(other.Name) == key)
            return "The model \"" + std::string(trimmed) + "\" is there already.";
    return std::nullopt;
}

std::string FormatModelProfiles(std::string_view previous,
                                const std::vector<TModelProfile>& profiles)
{
    TIniFile ini;
    ini.Parse(previous);
    TModelProfiles old;
    old.Parse(previous);
    std::set<std::string> kept;
    for (const auto& p : profiles)
        if (!p.Section.empty())
            kept.insert(ModelKey(p.Section));
    for (const auto& p : old.List())
        if (!kept.count(ModelKey(p.Section)))
            ini.EraseSection(p.Section);
    for (const auto& p : profiles) {
        const std::string name(TrimBlanks(p.Name));
        if (!p.Section.empty() && ini.SectionExists(p.Section))
            ini.RenameSection(p.Section, name);
        const auto put = [&](std::string_view key, const std::optional<std::string>& value) {
            if (value)
                ini.WriteString(name, key, *value);
            else
                ini.EraseKey(name, key);
        };
        const auto number = [](const std::optional<double>& v) -> std::optional<std::string> {
            return v ? std::optional(FormatShortest(*v)) : std::nullopt;
        };
        // A section with no key yet still names the model.
        if (!ini.SectionExists(name))
            ini.AddSection(name);
        put(kRulesKey, p.Rules);
        put(kMotorThresholdKey, number(p.MotorThreshold));
        put(kAlesHeightKey, number(p.AlesHeight));
        put(kLowVoltageKey, number(p.LowVoltage));
    }
    return ini.Text();
}

} // namespace zirko
