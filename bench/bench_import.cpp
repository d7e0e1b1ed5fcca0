// Importing a 100 MB telemetry CSV log: read from disk, parsed and written as flight files.
#include "core/import/TelemetryCsv.h"
#include "platform/files/FlightImporter.h"

#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <unistd.h>

using namespace zirko;
namespace fs = std::filesystem;

namespace {

constexpr size_t kTargetBytes = 100u << 20;

// A log as a transmitter writes it: 45 columns, 5 rows a second, sessions of 20,000 rows, six
// a day.
std::string MakeLog()
{
    std::string text =
        "Date,Time,1RSS(dB),2RSS(dB),RQly(%),RSNR(dB),ANT,RFMD,TPWR(mW),TRSS(dB),TQly(%),"
        "TSNR(dB),RxBt(V),Curr(A),Capa(mAh),Bat%(%),VSpd(m/s),Alt(m),GPS,GSpd(kmh),Hdg(@),Sats,"
        "Rud,Ele,Thr,Ail,S1,6P,S2,LS,RS,SA,SB,SC,SD,SE,SF,SG,SH,CH1(us),CH2(us),CH3(us),CH4(us),"
        "LSW,TxBat(V)\n";
    text.reserve(kTargetBytes + 400);
    char row[512];
    for (long i = 0; text.size() < kTargetBytes; ++i) {
        const long session = i / 20000;
        const long ms = 6 * 3600000L + (session % 6) * 9000000L + (i % 20000) * 200;
        const double t = static_cast<double>(i % 20000) * 0.2;
        const int thr = (i % 20000) < 300 ? 1024 : -1024;
        const int written = std::snprintf(
            row, sizeof row,
            "2024-05-%02ld,%02ld:%02ld:%02ld.%03ld,-%ld,0,%ld,%ld,0,2,25,-%ld,100,%ld,%.1f,%.1f,0,"
            "0,%.2f,%.1f,49.123456 16.654321,0.0,0,9,%ld,%ld,%d,%ld,0,-1024,0,0,0,-1,0,1,-1,0,-1,"
            "0,0,%ld,%ld,%d,%ld,0x0000000000000000,7.9\n",
            1 + session / 6, ms / 3600000 % 24, ms / 60000 % 60, ms / 1000 % 60, ms % 1000,
            40 + i % 30, 95 + i % 6, 5 + i % 8, 40 + i % 20, 6 + i % 6, 5.1 - t * 1e-4,
            thr > 0 ? 25.6 : 0.0, std::sin(t / 20) * 2, 300 + 80 * std::sin(t / 60), i % 41 - 20,
            i % 81 - 40, thr, i % 61 - 30, 1450 + i % 100, 1420 + i % 160, 1500 + thr * 500 / 1024,
            1470 + i % 60);
        text.append(row, static_cast<size_t>(written));
    }
    return text;
}

struct TBenchFolder {
    TBenchFolder()
    {
        std::string pattern = (fs::temp_directory_path() / "zirko-bench-import-XXXXXX").string();
        Path = ::mkdtemp(pattern.data()) ? fs::path(pattern) : fs::path();
        Log = Path / "Glider-2024-05-01.csv";
        std::ofstream(Log, std::ios::binary) << MakeLog();
    }
    ~TBenchFolder()
    {
        std::error_code ec;
        fs::remove_all(Path, ec);
    }
    fs::path Path;
    fs::path Log;
};

const TBenchFolder& Folder()
{
    static const TBenchFolder folder;
    return folder;
}

// The whole import: the file read and parsed, every flight written as a flight file.
void BM_ImportCsv100MB(benchmark::State& state)
{
    const TBenchFolder& folder = Folder();
    const fs::path out = folder.Path / "Imported";
    size_t flights = 0;
    for (auto _ : state) {
        const TImportResult source = ReadImportSource(folder.Log, TImportFormat::Auto, {});
        const TImportWrite write =
            WriteImportedFlights(source, folder.Log.string(), out, ImportBaseName("Glider"));
        if (!source.Ok() || !write.Ok())
            state.SkipWithError((source.Error + write.Error).c_str());
        flights = write.Written.size();
        state.PauseTiming();
        std::error_code ec;
        fs::remove_all(out, ec);
        state.ResumeTiming();
    }
    state.counters["flights"] = static_cast<double>(flights);
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * fs::file_size(folder.Log)));
}
BENCHMARK(BM_ImportCsv100MB)->Unit(benchmark::kMillisecond)->UseRealTime();

// The parser alone over the same bytes in memory.
void BM_ParseCsv100MB(benchmark::State& state)
{
    static const std::string log = MakeLog();
    for (auto _ : state) {
        const TImportResult source = ParseTelemetryCsv(log, "Glider.csv", {});
        benchmark::DoNotOptimize(source.Flights.data());
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * log.size()));
}
BENCHMARK(BM_ParseCsv100MB)->Unit(benchmark::kMillisecond);

} // namespace
