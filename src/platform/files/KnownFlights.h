// The flights a data folder already holds, found by what the logger recorded, so that a download
// saves each flight once.
#pragma once

#include "core/analysis/FlightEvents.h"
#include "core/flightdata/DataBlock.h"

#include <cstdint>
#include <filesystem>
#include <string>
#include <unordered_map>
#include <vector>

namespace zirko {

class TKnownFlights {
public:
    // The flight files under `folder` by the hash of their header words and samples. The logbook
    // index at `indexPath` is brought up to date for the folder first and gives the hashes of
    // unchanged files; without an index (an empty path, or one that cannot be opened) every
    // file is read. Files that cannot be read are not known. `shownFolder` is how paths are
    // named: the folder as the user gave it, with its trailing separator. The rows it stores
    // are analysed with `analysis` (the folder's model profiles over them), which should be
    // what the logbook of that folder analyses with, or the logbook reads them all again.
    static TKnownFlights InFolder(const std::filesystem::path& folder,
                                  const std::string& shownFolder,
                                  const std::filesystem::path& indexPath,
                                  const TEventOptions& analysis = {});

    void Add(uint64_t samplesHash, std::string path);
    size_t Size() const { return ByHash.size(); }

    // The file that holds this flight, as `stored` reads back from a file (see AsStored): the
    // same hash, then the file is read and compared, so a hash collision or a file changed since
    // it was indexed never makes a flight known. Empty when there is none.
    std::string Find(const TDataBlock& stored) const;

private:
    std::unordered_multimap<uint64_t, std::string> ByHash;
};

// Where the known flights of a download are, for the closing message: the file when they are all
// in one, else the deepest folder that holds them all ("/" separated paths; "." when they share
// none).
struct TKnownPlace {
    std::string Path;
    bool IsFile = false;
};
TKnownPlace KnownFlightsPlace(const std::vector<std::string>& paths);

} // namespace zirko
