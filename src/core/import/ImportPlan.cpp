#include "core/import/ImportPlan.h"

#include "core/app/NumberFormat.h"

#include <algorithm>
#include <cstdio>

namespace zirko {

void TImportPlan::AddFiles(const std::vector<std::string>& files, const TRemembered& remembered)
{
    for (const std::string& file : files) {
        if (std::any_of(Entries.begin(), Entries.end(),
                        [&file](const TEntry& e) { return e.File == file; }))
            continue;
        TEntry entry;
        entry.File = file;
        entry.Source = Reader(file, entry.Choice);
        if (!entry.Source.Layout.empty() && remembered) {
            if (auto choice = remembered(entry.Source.Layout)) {
                entry.Choice = *choice;
                entry.Source = Reader(file, entry.Choice);
            }
        }
        Entries.push_back(std::move(entry));
    }
}

void TImportPlan::SetChoice(size_t i, const TColumnChoice& choice)
{
    const std::string layout = Entries.at(i).Source.Layout;
    for (size_t k = 0; k < Entries.size(); ++k) {
        TEntry& entry = Entries[k];
        if (k != i && (layout.empty() || entry.Source.Layout != layout))
            continue;
        entry.Choice = choice;
        entry.Chosen = true;
        entry.Source = Reader(entry.File, choice);
    }
}

std::vector<std::pair<std::string, TColumnChoice>> TImportPlan::ChosenLayouts() const
{
    std::vector<std::pair<std::string, TColumnChoice>> layouts;
    for (const TEntry& entry : Entries) {
        if (!entry.Chosen || entry.Source.Layout.empty())
            continue;
        const bool known = std::any_of(layouts.begin(), layouts.end(), [&entry](const auto& l) {
            return l.first == entry.Source.Layout;
        });
        if (!known)
            layouts.emplace_back(entry.Source.Layout, entry.Choice);
    }
    return layouts;
}

std::vector<TImportPreviewRow> TImportPlan::Preview(char decimalSeparator) const
{
    std::vector<TImportPreviewRow> rows;
    for (size_t i = 0; i < Entries.size(); ++i) {
        const TImportResult& source = Entries[i].Source;
        TImportPreviewRow row;
        row.File = i;
        row.FileName = ImportBaseFileName(Entries[i].File);
        if (!source.Ok()) {
            row.Refused = true;
            row.Columns = source.Error;
            rows.push_back(row);
            continue;
        }
        for (const TImportedFlight& flight : source.Flights) {
            row.Columns = ImportedColumnsText(source, &flight);
            row.Start = ImportedStartText(flight);
            row.Duration = FormatFlightTime(
                static_cast<double>(flight.DurationMilliseconds()) / 1000.0, decimalSeparator);
            row.Samples = flight.Millisecond.size();
            rows.push_back(row);
        }
    }
    return rows;
}

size_t TImportPlan::FlightCount() const
{
    size_t count = 0;
    for (const TEntry& entry : Entries)
        if (entry.Source.Ok())
            count += entry.Source.Flights.size();
    return count;
}

std::string ImportLayoutKey(std::string_view layout)
{
    // FNV-1a: the same layout gives the same key on every machine.
    uint64_t hash = 14695981039346656037ull;
    for (char c : layout) {
        hash ^= static_cast<unsigned char>(c);
        hash *= 1099511628211ull;
    }
    char key[32];
    std::snprintf(key, sizeof key, "Columns%016llx", static_cast<unsigned long long>(hash));
    return key;
}

std::optional<TColumnChoice> ReadImportChoice(const TIniFile& ini, std::string_view layout)
{
    const auto text = ini.Value(kImportSection, ImportLayoutKey(layout));
    if (!text || text->empty())
        return std::nullopt;
    const TColumnChoiceParse parse = ParseColumnChoice(*text);
    if (!parse.Error.empty())
        return std::nullopt;
    return parse.Choice;
}

void WriteImportChoice(TIniFile& ini, std::string_view layout, const TColumnChoice& choice)
{
    ini.WriteString(kImportSection, ImportLayoutKey(layout), FormatColumnChoice(choice));
}

} // namespace zirko
