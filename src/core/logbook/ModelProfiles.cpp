#include "core/logbook/ModelProfiles.h"

#include "core/app/IniFile.h"
#include "core/app/NumberFormat.h"
#include "core/logbook/TextFold.h"

namespace zirko {

void TModelProfiles::Parse(std::string_view text)
{
    Profiles.clear();
    TIniFile ini;
    ini.Parse(text);
    for (const auto& section : ini.SectionNames()) {
        const std::string key = FoldCase(TrimBlanks(section));
        if (key.empty() || Profiles.count(key))
            continue;
        TModelProfile p;
        p.Name = section;
        if (auto rules = ini.Value(section, "Rules"); rules && !TrimBlanks(*rules).empty())
            p.Rules = FoldCase(TrimBlanks(*rules));
        const auto number = [&](std::string_view name) -> std::optional<double> {
            if (auto v = ini.Value(section, name))
                return ParseUserNumber(*v, '.');
            return std::nullopt;
        };
        p.MotorThreshold = number("MotorThreshold");
        p.AlesHeight = number("AlesHeight");
        p.LowVoltage = number("LowVoltage");
        Profiles.emplace(key, std::move(p));
    }
}

const TModelProfile* TModelProfiles::Find(std::string_view model) const
{
    const auto it = Profiles.find(FoldCase(TrimBlanks(model)));
    return it == Profiles.end() ? nullptr : &it->second;
}

} // namespace zirko
