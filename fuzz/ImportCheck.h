// What both import fuzz targets hold any accepted source to: consistent flights that write and
// read back as flight files of the same samples.
#pragma once

#include "core/flightdata/ZdfFile.h"
#include "core/import/FlightImport.h"

#include <cmath>
#include <cstdlib>

namespace zirko::fuzz {

inline void CheckImported(const TImportResult& source)
{
    if (!source.Ok()) {
        if (!source.Flights.empty())
            std::abort();
        return;
    }
    if (source.Flights.empty() || source.SkippedRows < 0)
        std::abort();
    for (size_t i = 0; i < source.Flights.size(); ++i) {
        const TImportedFlight& flight = source.Flights[i];
        const size_t n = flight.Millisecond.size();
        if (n == 0 || flight.Millisecond.front() != 0)
            std::abort();
        for (size_t j = 1; j < n; ++j)
            if (flight.Millisecond[j] < flight.Millisecond[j - 1])
                std::abort();
        for (const auto* values : {&flight.Altitude, &flight.Servo, &flight.Voltage}) {
            if (!values->empty() && values->size() != n)
                std::abort();
            for (double v : *values)
                if (!std::isfinite(v))
                    std::abort();
        }
        const TDataBlock block = MakeImportedBlock(source, i, "fuzz");
        if (block.ChannelMask == 0)
            std::abort();
        TWriteResult write;
        const std::string bytes = FormatDataFile(block, &write);
        if (!write.Ok())
            std::abort();
        TDataBlock back;
        const TReadResult read = ParseDataFile(bytes, back, 0.0);
        if (read.Status != TReadStatus::Ok || read.Count != static_cast<int>(n) ||
            back.ChannelMask != block.ChannelMask || back.ExtraLines != block.ExtraLines)
            std::abort();
    }
}

} // namespace zirko::fuzz
