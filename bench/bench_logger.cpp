// Speed of a full logger memory download over the in-memory link, and of splitting, converting
// and saving the flights of a full memory image.
#include "core/device/FlightSplitter.h"
#include "core/device/LoggerLinkHarness.h"
#include "core/device/LoggerProtocol.h"
#include "core/device/LoggerSimulator.h"
#include "platform/files/FlightSaver.h"

#include <benchmark/benchmark.h>

#include <filesystem>
#include <string>
#include <vector>

namespace {

using zirko::TProtocolEventKind;

// About 8.7 MB of recorded flights: most of a 9,000,000-byte logger.
const std::vector<uint8_t>& FullImage()
{
    static const std::vector<uint8_t> image = zirko::GenerateMemoryImage(48, 2026, 3000);
    return image;
}

class TYesToAllUi : public zirko::TFlightSaveUi {
public:
    zirko::TOverwriteAnswer AskOverwrite(const zirko::TOverwriteQuestion&) override
    {
        return zirko::TOverwriteAnswer::RewriteAll;
    }
    void FlightAlreadySaved(const std::string&) override {}
    void FlightsFound(size_t) override {}
    void FlightNotSaved(const std::string&) override {}
    void FilesWritten(int) override {}
    void SaveFinished(const std::string&, const std::string&) override {}
};

// "D" to the finished image, fed as the driver would: what has arrived, in one piece.
void BM_DownloadFullMemory(benchmark::State& state)
{
    zirko::TSimulatorOptions options;
    options.Memory = FullImage();
    zirko::test::TLoggerLinkHarness link(options);
    link.Connect();
    for (auto _ : state) {
        link.Events.clear();
        link.Program.ReadData(link.Now);
        link.Settle();
        const auto* finished = link.Last(TProtocolEventKind::DownloadFinished);
        if (finished == nullptr || finished->Bytes.size() < FullImage().size())
            state.SkipWithError("download did not finish");
        benchmark::DoNotOptimize(finished);
    }
    state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(FullImage().size()));
}
BENCHMARK(BM_DownloadFullMemory)->Unit(benchmark::kMillisecond);

// Finding the flights and converting every one to metres, percent and volts (no files).
void BM_SplitAndConvert(benchmark::State& state)
{
    std::vector<uint8_t> image = FullImage();
    image.insert(image.end(), 5, 0xFF);
    const auto last = static_cast<int64_t>(image.size()) - 1;
    zirko::TSplitSettings settings;
    settings.DateText = "8.12.2026 10:00:00";
    for (auto _ : state) {
        size_t samples = 0;
        for (const auto& flight : zirko::SplitMemoryImage(image, last, settings))
            samples += flight.Record.Time.size();
        benchmark::DoNotOptimize(samples);
    }
    state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(image.size()));
}
BENCHMARK(BM_SplitAndConvert)->Unit(benchmark::kMillisecond);

// The whole save of a download: every flight written as a flight data file.
void BM_SaveFullMemory(benchmark::State& state)
{
    std::vector<uint8_t> image = FullImage();
    image.insert(image.end(), 5, 0xFF);
    const auto last = static_cast<int64_t>(image.size()) - 1;
    const auto folder = std::filesystem::temp_directory_path() / "zirko-bench-logger";
    std::filesystem::remove_all(folder);
    zirko::TSaverPaths paths;
    paths.DataFolder = folder.string();
    const zirko::TFlightSaver saver(paths);
    zirko::TSplitSettings settings;
    settings.DateText = "8.12.2026 10:00:00";
    TYesToAllUi ui;
    for (auto _ : state) {
        // An identical flight already on disk is not written again: save into an empty folder.
        state.PauseTiming();
        std::filesystem::remove_all(folder);
        state.ResumeTiming();
        const auto result = saver.DataReadingFinished(image, last, settings, ui);
        if (result.Saved != result.Segments)
            state.SkipWithError("not every flight was saved");
    }
    state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(image.size()));
    std::filesystem::remove_all(folder);
}
BENCHMARK(BM_SaveFullMemory)->Unit(benchmark::kMillisecond);

} // namespace
