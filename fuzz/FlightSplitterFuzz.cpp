// Fuzz target: any bytes as a downloaded memory image. The flights found lie inside the image, in
// order, and every one converts into a record whose channels all have one value per time step.
#include "core/device/FlightSplitter.h"

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

void Require(bool condition)
{
    if (!condition)
        std::abort();
}

// Saving is refused before any file is touched: the folder's parent does not exist.
class TRefusingUi : public zirko::TFlightSaveUi {
public:
    zirko::TOverwriteAnswer AskOverwrite(const std::string&) override
    {
        std::abort(); // no file can exist in a folder that cannot be created
    }
    void ShowError(const std::string&) override {}
    void ShowInformation(const std::string&) override {}
    void StatusText(const std::string&) override {}
    void InitLabelText(const std::string&) override {}
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size == 0)
        return 0;
    // The first byte trims the image from its end, as a download that stopped early would.
    const auto trim = static_cast<int64_t>(data[0] % 8);
    std::vector<uint8_t> image(data + 1, data + size);
    const int64_t lastDataIndex = static_cast<int64_t>(image.size()) - 1 - trim;

    zirko::TFlightSplitter splitter;
    splitter.DataFolder = "/zirko-fuzz-missing-parent/Data";
    TRefusingUi ui;
    const auto result = splitter.DataReadingFinished(image, lastDataIndex, "fuzz", ui);
    Require(result.Saved == 0);
    Require(result.Segments == static_cast<int>(splitter.FlightList.size()));
    Require(splitter.FlightList.empty() || !result.Error.empty());

    int64_t previousEnd = 0;
    for (const auto& segment : splitter.FlightList) {
        Require(segment.DataStart - 18 >= previousEnd || segment.DataStart - 18 == 0);
        Require(segment.DataStart <= segment.DataEnd);
        Require(segment.DataEnd <= lastDataIndex + 1);
        previousEnd = segment.DataEnd;

        const zirko::TDataBlock flight = splitter.BuildFlight(segment, "fuzz");
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
