// Reading and writing a long flight: 1,500,000 samples of altitude, servo and voltage (~40 MB).
#include "BenchMain.h"
#include "platform/files/FlightFile.h"

#include <benchmark/benchmark.h>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <optional>
#include <string>
#include <sys/resource.h>
#include <unistd.h>

using namespace zirko;

namespace {

constexpr size_t kSamples = 1500000;

const TDataBlock& LongFlight()
{
    static const TDataBlock flight = [] {
        TDataBlock f;
        f.DateText = "8.12.2026 7:14:28";
        f.Sampling = 10;
        f.ChannelMask = 0xC800;
        f.Time.resize(kSamples);
        f.Altitude.resize(kSamples);
        f.Rx.resize(kSamples);
        f.Voltage.resize(kSamples);
        double t = 0;
        for (size_t i = 0; i < kSamples; ++i) {
            f.Time[i] = t;
            t += 0.1;
            f.Altitude[i] = 250 * std::sin(i * 1e-4) + 120.37 * std::cos(i * 3e-3);
            f.Rx[i] = (i % 500 < 20) ? 95.5 : -12.25 + (i % 97) * 0.3;
            f.Voltage[i] = 5.2 - i * 1e-7;
        }
        return f;
    }();
    return flight;
}

std::filesystem::path BenchFile()
{
    return std::filesystem::temp_directory_path() / "zirko-bench-flight.zdf";
}

void BM_FormatFlight(benchmark::State& state)
{
    LongFlight(); // generated once, outside the timing
    size_t bytes = 0;
    for (auto _ : state) {
        std::string text = FormatDataFile(LongFlight());
        bytes = text.size();
        benchmark::DoNotOptimize(text.data());
    }
    state.SetBytesProcessed(static_cast<int64_t>(bytes) * state.iterations());
}

void BM_WriteDataFile(benchmark::State& state)
{
    const auto file = BenchFile();
    for (auto _ : state) {
        if (!WriteDataFile(file, LongFlight()).Ok())
            state.SkipWithError("write failed");
    }
    state.SetBytesProcessed(static_cast<int64_t>(std::filesystem::file_size(file)) *
                            state.iterations());
}

void BM_ReadDataFile(benchmark::State& state)
{
    const auto file = BenchFile();
    WriteDataFile(file, LongFlight());
    for (auto _ : state) {
        TDataBlock f;
        auto r = ReadDataFile(file, f, 0);
        if (r.Count != static_cast<int>(kSamples))
            state.SkipWithError("read failed");
        benchmark::DoNotOptimize(f.Time.data());
    }
    state.SetBytesProcessed(static_cast<int64_t>(std::filesystem::file_size(file)) *
                            state.iterations());
}

// Peak memory of reading, measured in a fresh process (this program started again with
// --read-peak FILE): the file size plus the arrays is the least any reader needs.
void BM_ReadPeakMemory(benchmark::State& state)
{
    const auto file = BenchFile();
    WriteDataFile(file, LongFlight());
    const double fileMb = std::filesystem::file_size(file) / 1048576.0;
    const double arraysMb =
        kSamples * 4 * sizeof(double) / 1048576.0 + kSamples * sizeof(int32_t) / 1048576.0;
    double peakMb = 0;
    for (auto _ : state) {
        const std::string cmd =
            "/proc/" + std::to_string(::getpid()) + "/exe --read-peak " + file.string();
        FILE* child = ::popen(cmd.c_str(), "r");
        long kb = 0;
        if (!child || std::fscanf(child, "%ld", &kb) != 1)
            state.SkipWithError("child failed");
        if (child)
            ::pclose(child);
        peakMb = kb / 1024.0;
    }
    state.counters["file_MB"] = fileMb;
    state.counters["arrays_MB"] = arraysMb;
    state.counters["peak_rss_MB"] = peakMb;
    state.counters["limit_MB"] = fileMb + 2 * arraysMb;
}

// A file of empty data lines: every line is a sample of zeros (time and seven channels), so the
// arrays take 68 bytes a line however short the lines are. Reading costs what the arrays need.
constexpr size_t kEmptyLines = 5000000;

std::filesystem::path EmptyLinesFile()
{
    const auto file = std::filesystem::temp_directory_path() / "zirko-bench-empty-lines.zdf";
    if (!std::filesystem::exists(file)) {
        std::string text = "<Header>\r\nd\r\n10\r\n65024\r\n0\r\n0\r\n0\r\n0\r\n0\r\n"
                           "</Header>\r\n<Data>\r\n";
        text.append(kEmptyLines * 2, '\0');
        for (size_t i = text.size() - kEmptyLines * 2; i < text.size(); i += 2) {
            text[i] = '\r';
            text[i + 1] = '\n';
        }
        text += "</Data>\r\n";
        WriteFileAtomically(file, text);
    }
    return file;
}

void BM_ReadEmptyLines(benchmark::State& state)
{
    const auto file = EmptyLinesFile();
    for (auto _ : state) {
        TDataBlock f;
        if (ReadDataFile(file, f, 0).Count != static_cast<int>(kEmptyLines))
            state.SkipWithError("read failed");
        benchmark::DoNotOptimize(f.Time.data());
    }
    const std::string cmd =
        "/proc/" + std::to_string(::getpid()) + "/exe --read-peak " + file.string();
    FILE* child = ::popen(cmd.c_str(), "r");
    long kb = 0;
    if (!child || std::fscanf(child, "%ld", &kb) != 1)
        state.SkipWithError("child failed");
    if (child)
        ::pclose(child);
    state.counters["file_MB"] = std::filesystem::file_size(file) / 1048576.0;
    state.counters["arrays_MB"] = SampleMemoryBytes(kEmptyLines, 0xFE00) / 1048576.0;
    state.counters["peak_rss_MB"] = kb / 1024.0;
}

} // namespace

BENCHMARK(BM_FormatFlight)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_WriteDataFile)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ReadDataFile)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ReadPeakMemory)->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK(BM_ReadEmptyLines)->Unit(benchmark::kMillisecond);

// With --read-peak FILE the program reads one file and prints its peak resident kB, for the
// benchmark that measures it in a process of its own.
std::optional<int> ReadPeakMode(int argc, char** argv)
{
    if (argc != 3 || std::string(argv[1]) != "--read-peak")
        return std::nullopt;
    TDataBlock f;
    ReadDataFile(argv[2], f, 0);
    struct rusage usage {};
    ::getrusage(RUSAGE_SELF, &usage);
    std::printf("%ld\n", usage.ru_maxrss);
    return f.Time.empty() ? 1 : 0;
}

const bool kHooks = zirko::bench::SetBenchHooks({.Mode = ReadPeakMode});
