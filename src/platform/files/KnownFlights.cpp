// The flights a data folder already holds, found by what the logger recorded, so that a download
// saves each flight once.
#include "platform/files/KnownFlights.h"

#include "core/flightdata/ZdfFile.h"
#include "core/logbook/LogbookRow.h"
#include "platform/files/FlightFile.h"
#include "platform/files/LogbookFiles.h"
#include "platform/files/LogbookIndex.h"

#include <QString>

#include <memory>
#include <set>

namespace zirko {

TKnownFlights TKnownFlights::InFolder(const std::filesystem::path& folder,
                                      const std::string& shownFolder,
                                      const std::filesystem::path& indexPath,
                                      const TEventOptions& analysis)
{
    TKnownFlights known;
    // The index only saves reading; one that cannot be had means every file is read.
    std::unique_ptr<TLogbookIndex> index;
    if (!indexPath.empty())
        index = std::make_unique<TLogbookIndex>(QString::fromStdString(indexPath.string()));
    // The rows are found as the logbook of the folder finds them, with the same options and the
    // folder's own model profiles, so the index keeps them for the logbook too.
    const std::optional<TModelProfiles> profiles = FolderModelProfiles(folder);
    const std::vector<TLogbookRow> rows =
        IndexedLogbookRows(folder, FindFlightFiles(folder), FlightDateFormats(),
                           profiles ? &*profiles : nullptr, index.get(), analysis);
    for (const TLogbookRow& row : rows)
        if (row.Error.empty() && !row.Values.empty())
            known.Add(row.SamplesHash, shownFolder + row.Path);
    return known;
}

void TKnownFlights::Add(uint64_t samplesHash, std::string path)
{
    ByHash.emplace(samplesHash, std::move(path));
}

std::string TKnownFlights::Find(const TDataBlock& stored) const
{
    if (ByHash.empty())
        return {};
    const auto [first, last] = ByHash.equal_range(SamplesHash(stored));
    for (auto it = first; it != last; ++it) {
        TDataBlock onDisk;
        const TReadResult read = ReadDataFile(it->second, onDisk, 0.0);
        if (read.Status == TReadStatus::Ok && read.Count > 0 && SameRecordedFlight(onDisk, stored))
            return it->second;
    }
    return {};
}

TKnownPlace KnownFlightsPlace(const std::vector<std::string>& paths)
{
    const std::set<std::string> distinct(paths.begin(), paths.end());
    if (distinct.empty())
        return {};
    if (distinct.size() == 1)
        return {*distinct.begin(), true};
    // The folders of the first and last path in sorted order bound those of all the others.
    const std::string& a = *distinct.begin();
    const std::string& b = *distinct.rbegin();
    size_t common = 0;
    for (size_t i = 0; i < a.size() && i < b.size() && a[i] == b[i]; ++i)
        if (a[i] == '/')
            common = i + 1;
    if (common == 0)
        return {"."};
    return {common == 1 ? std::string("/") : a.substr(0, common - 1)};
}

} // namespace zirko
