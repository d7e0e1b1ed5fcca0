// Fuzz target: any bytes as a downloaded memory image. The flights found lie inside the image, in
// order, and every one converts into a record whose channels all have one value per time step.
#include "core/device/FlightSplitter.h"

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <span>
#include <string>

namespace {

void Require(bool condition)
{
    if (!condition)
        std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size == 0)
        return 0;
    // The first byte trims the image from its end, as a download that stopped early would.
    const auto trim = static_cast<int64_t>(data[0] % 8);
    const std::span<const uint8_t> image(data + 1, size - 1);
    const int64_t lastDataIndex = static_cast<int64_t>(image.size()) - 1 - trim;

    zirko::TSplitSettings settings;
    settings.DateText = "fuzz";
    const auto flights = zirko::SplitMemoryImage(image, lastDataIndex, settings);
    Require(flights.size() == zirko::FindFlightSegments(image, lastDataIndex).size());

    int64_t previousEnd = 0;
    int saved = 0;
    for (const auto& found : flights) {
        const auto& segment = found.Segment;
        Require(segment.DataStart - 18 >= previousEnd || segment.DataStart - 18 == 0);
        Require(segment.DataStart <= segment.DataEnd);
        Require(segment.DataEnd <= lastDataIndex + 1);
        previousEnd = segment.DataEnd;
        // A flight without channels is named as skipped and takes no file number.
        Require(found.SkipReason.empty() == (segment.ChannelCount > 0));
        Require(found.FileName.empty() == !found.SkipReason.empty());
        if (!found.FileName.empty())
            Require(found.FileName == zirko::FlightFileName("Block", ++saved));

        const zirko::TDataBlock& flight = found.Record;
        const size_t samples = flight.Time.size();
        if (segment.ChannelCount > 0)
            Require(2 * samples * static_cast<size_t>(segment.ChannelCount) <=
                    static_cast<size_t>(segment.DataEnd - segment.DataStart));
        for (const auto& channel : zirko::kChannels) {
            const auto& values = flight.*(channel.Array);
            const bool recorded = (segment.ChannelMask & channel.Mask) != 0;
            Require(values.size() == (recorded ? samples : 0));
            for (double value : values)
                Require(std::isfinite(value));
        }
        if (!flight.Altitude.empty())
            Require(flight.Altitude[0] == 0.0);
    }
    return 0;
}
