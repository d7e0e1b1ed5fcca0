// The logbook over a data folder of 10,000 flights of 3,000 samples in 50 folders: reading every
// file into a fresh index (cold), opening it again with nothing changed (warm), and one pass of
// the filter over all rows (a keystroke in the filter line).
#include "core/flightdata/ZdfFile.h"
#include "core/logbook/FlightDetails.h"
#include "core/logbook/LogbookFilter.h"
#include "platform/files/FileStore.h"
#include "platform/files/LogbookFiles.h"
#include "platform/files/LogbookIndex.h"

#include <QDir>
#include <QFile>
#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdio>
#include <filesystem>
#include <malloc.h>
#include <string>
#include <sys/resource.h>
#include <unistd.h>

namespace {

using namespace zirko;
namespace fs = std::filesystem;

constexpr int kFlights = 10'000;
constexpr int kFolders = 50;
constexpr size_t kSamples = 3'000;

std::string Flight(int n)
{
    TDataBlock f;
    f.DateText = std::to_string(1 + n % 28) + "." + std::to_string(1 + n % 12) + ".2026 " +
                 std::to_string(8 + n % 10) + ":15:00";
    f.Sampling = 10;
    f.ChannelMask = kMaskAltitude | kMaskRx | kMaskVoltage;
    for (size_t i = 0; i < kSamples; ++i) {
        const double t = static_cast<double>(i) * 0.1;
        f.Time.push_back(t);
        f.Altitude.push_back(200 + 150 * std::sin(t / (60 + n % 30)) + std::sin(t * 3));
        f.Rx.push_back(t < 30 ? 90 : -60);
        f.Voltage.push_back(4.9 - t * 1e-4);
    }
    static const char* kModels[] = {"Pike Perfect", "Supra", "Bubble Dancer", "Maxa"};
    static const char* kSites[] = {"Raná", "Black Hill", "Medlánky"};
    TDetailsEdit edit;
    edit.Model = kModels[n % 4];
    edit.Site = kSites[n % 3];
    edit.Pilot = n % 2 ? "Jan" : "Eva";
    edit.Tags = n % 5 ? "thermal, F5J" : "test";
    return RewriteDetails(FormatDataFile(f), edit).Content;
}

// The generated folder, made once and kept for later runs.
const fs::path& DataFolder()
{
    static const fs::path root = [] {
        const fs::path dir = fs::temp_directory_path() / "zirko-bench-logbook";
        const fs::path done = dir / ".complete";
        if (!fs::exists(done)) {
            fs::remove_all(dir);
            for (int n = 0; n < kFlights; ++n) {
                const fs::path folder = dir / ("Folder " + std::to_string(n % kFolders));
                fs::create_directories(folder);
                WriteFileAtomically(folder / ("Flight" + std::to_string(n) + ".zdf"), Flight(n));
            }
            WriteFileAtomically(done, "");
        }
        return dir;
    }();
    return root;
}

QString IndexPath(const char* name)
{
    return QString::fromStdString((fs::temp_directory_path() / name).string());
}

void RemoveIndex(const QString& path)
{
    for (const char* suffix : {"", "-journal", "-wal", "-shm"})
        QFile::remove(path + suffix);
}

size_t OpenLogbook(const QString& indexPath)
{
    TLogbookIndex index(indexPath);
    const auto files = FindFlightFiles(DataFolder());
    return IndexedLogbookRows(DataFolder(), files, FlightDateFormats(), nullptr, &index).size();
}

void BM_LogbookColdIndex(benchmark::State& state)
{
    DataFolder();
    const QString path = IndexPath("zirko-bench-cold.sqlite");
    for (auto _ : state) {
        state.PauseTiming();
        RemoveIndex(path);
        state.ResumeTiming();
        benchmark::DoNotOptimize(OpenLogbook(path));
    }
    RemoveIndex(path);
    state.counters["flights"] = kFlights;
}
BENCHMARK(BM_LogbookColdIndex)->Unit(benchmark::kSecond)->Iterations(2)->UseRealTime();

void BM_LogbookWarm(benchmark::State& state)
{
    const QString path = IndexPath("zirko-bench-warm.sqlite");
    RemoveIndex(path);
    OpenLogbook(path);
    for (auto _ : state)
        benchmark::DoNotOptimize(OpenLogbook(path));
    RemoveIndex(path);
}
BENCHMARK(BM_LogbookWarm)->Unit(benchmark::kMillisecond)->UseRealTime();

// The memory the process holds now, from /proc/self/statm (resident pages).
double ResidentMb()
{
    long pages = 0, resident = 0;
    if (FILE* statm = std::fopen("/proc/self/statm", "r")) {
        if (std::fscanf(statm, "%ld %ld", &pages, &resident) != 2)
            resident = 0;
        std::fclose(statm);
    }
    return static_cast<double>(resident) * static_cast<double>(::sysconf(_SC_PAGESIZE)) / 1048576.0;
}

// rows_MB: what holding the 10,000 rows (with their folded search texts) adds to the process, as
// the logbook page holds them; peak_MB: the most the process took, reading included.
void BM_LogbookFilterPass(benchmark::State& state)
{
    const QString path = IndexPath("zirko-bench-filter.sqlite");
    RemoveIndex(path);
    TLogbookIndex index(path);
    const auto files = FindFlightFiles(DataFolder());
    IndexedLogbookRows(DataFolder(), files, FlightDateFormats(), nullptr, &index);
    ::malloc_trim(0);
    const double before = ResidentMb();
    const auto rows = IndexedLogbookRows(DataFolder(), files, FlightDateFormats(), nullptr, &index);
    ::malloc_trim(0);
    state.counters["rows_MB"] = ResidentMb() - before;
    struct rusage usage {};
    ::getrusage(RUSAGE_SELF, &usage);
    state.counters["peak_MB"] = static_cast<double>(usage.ru_maxrss) / 1024.0;
    size_t matched = 0;
    for (auto _ : state) {
        TLogbookFilter filter;
        // Every term is looked at for the rows of Raná: about 670 match (the flights of
        // Pike Perfect at Raná fly in January, and every fifth is a test).
        filter.Parse("site:raná -tag:test maxAltitude>150 pike date>=2026-01-01");
        matched = 0;
        for (const auto& row : rows)
            matched += filter.Matches(row);
        benchmark::DoNotOptimize(matched);
    }
    state.counters["matched"] = static_cast<double>(matched);
    RemoveIndex(path);
}
BENCHMARK(BM_LogbookFilterPass)->Unit(benchmark::kMillisecond);

} // namespace
