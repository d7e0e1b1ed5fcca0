// Speed of the device side: a whole memory download through the protocol and the simulated
// logger, finding the flights in an image and converting them.
#include "core/device/FlightSplitter.h"
#include "core/device/LoggerLinkHarness.h"
#include "core/device/LoggerProtocol.h"
#include "core/device/LoggerSimulator.h"

#include <benchmark/benchmark.h>

namespace {

using namespace zirko;

// About `bytes` of generated flights of ten minutes each.
std::vector<uint8_t> FullMemory(size_t bytes)
{
    std::vector<uint8_t> image;
    for (uint32_t seed = 1; image.size() < bytes; ++seed) {
        TFlightProfile profile;
        profile.DurationSeconds = 600;
        profile.HeaderWord3 = static_cast<int>(seed);
        const auto flight = GenerateFlight(profile, seed);
        image.insert(image.end(), flight.begin(), flight.end());
    }
    image.resize(bytes);
    if (image.back() == 0xFF)
        image.back() = 0xFE;
    return image;
}

// The program downloads the logger's memory over an in-memory wire with no pacing: what the
// machine and the simulator cost per byte, against 11520 bytes/s on the real wire.
void BM_DownloadMemory(benchmark::State& state)
{
    const auto memory = FullMemory(static_cast<size_t>(state.range(0)));
    for (auto _ : state) {
        TSimulatorOptions options;
        options.Memory = memory;
        test::TLoggerLinkHarness link(options);
        link.Connect();
        link.Program.ReadData(link.Now);
        link.Settle();
        // Complete: every recorded byte and the kept start of the erased end counted as data.
        const auto* finished = link.Last(TProtocolEventKind::DownloadFinished);
        const auto dataBytes = static_cast<int64_t>(memory.size() + kLoggerEndRunKept) - 1;
        if (finished == nullptr || finished->DataBytes != dataBytes ||
            link.Last(TProtocolEventKind::Failure) != nullptr)
            state.SkipWithError("download incomplete");
        benchmark::DoNotOptimize(finished);
    }
    state.SetBytesProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_DownloadMemory)->Arg(540672)->Arg(9000000)->Unit(benchmark::kMillisecond);

// Finding every flight of a full memory and converting all of them to physical units.
void BM_SplitAndConvert(benchmark::State& state)
{
    auto image = FullMemory(static_cast<size_t>(state.range(0)));
    image.insert(image.end(), 5, 0xFF);
    const auto last = static_cast<int64_t>(image.size()) - 1;
    for (auto _ : state) {
        size_t samples = 0;
        for (const auto& segment : FindFlightSegments(image, last))
            samples += BuildFlight(image, segment, "d").Time.size();
        benchmark::DoNotOptimize(samples);
    }
    state.SetBytesProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_SplitAndConvert)->Arg(9000000)->Unit(benchmark::kMillisecond);

} // namespace
