// Peak memory and time of drawing ten long flights, through `zirko-cli render` and through the
// Graph page, set against the bytes of the records' arrays and the time of reading the files.
//
// Every measured run is a child process of its own (this program started again in one of its
// child modes, or zirko-cli), so that its peak resident size holds nothing but that run. The
// parent never reads a flight nor starts Qt: a child's peak as the kernel reports it can include
// the parent's own peak, which stays small that way.
#include "BenchFlights.h"
#include "BenchMain.h"
#include "core/flightdata/DataBlock.h"
#include "gui/graph/Chart.h"
#include "gui/graph/FlightPlot.h"
#include "gui/graph/OffscreenGraph.h"
#include "platform/files/FlightFile.h"

#include <QApplication>
#include <QSize>
#include <QString>
#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <optional>
#include <spawn.h>
#include <sstream>
#include <string>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

extern char** environ;

namespace zirko {
namespace {

constexpr int kFlights = 10;
constexpr double kMiB = 1048576.0;
const QSize kChartSize(1200, 800);

using Clock = std::chrono::steady_clock;

double SecondsSince(Clock::time_point start)
{
    return std::chrono::duration<double>(Clock::now() - start).count();
}

// A field of /proc/self/status in kB (VmHWM, VmRSS), 0 when it is not there.
long StatusKb(const char* field)
{
    std::ifstream status("/proc/self/status");
    const std::string prefix = std::string(field) + ":";
    for (std::string line; std::getline(status, line);)
        if (line.rfind(prefix, 0) == 0)
            return std::strtol(line.c_str() + prefix.size(), nullptr, 10);
    return 0;
}

// The bytes of a record's sample arrays: time, every channel, the marker flags.
size_t ArrayBytes(const TDataBlock& f)
{
    size_t bytes = f.Time.size() * sizeof(double) + f.MarkerFlags.size() * sizeof(int32_t);
    for (const TChannelInfo& c : kChannels)
        bytes += (f.*c.Array).size() * sizeof(double);
    return bytes;
}

// ---- Child modes --------------------------------------------------------------------------

// Writes the flights flight0.zdf ... flight9.zdf into `dir`.
int WriteFlights(const std::filesystem::path& dir)
{
    for (int r = 0; r < kFlights; ++r) {
        // The file keeps time in tenths of a second.
        std::unique_ptr<TDataBlock> f = bench::MakeFlight(r, 0.1);
        f->Sampling = 10;
        const auto file = dir / ("flight" + std::to_string(r) + ".zdf");
        if (!WriteDataFile(file, *f).Ok()) {
            std::fprintf(stderr, "cannot write %s\n", file.c_str());
            return 1;
        }
    }
    return 0;
}

// Reads every file and keeps them all, as ten open flights keep them. Prints the seconds taken,
// the peak resident kB and the bytes of the records' arrays.
int ReadFlights(const std::vector<std::string>& files)
{
    std::vector<TDataBlock> flights(files.size());
    const Clock::time_point start = Clock::now();
    for (size_t i = 0; i < files.size(); ++i) {
        const TReadResult r = ReadDataFile(files[i], flights[i], 0);
        if (r.Status != TReadStatus::Ok || r.Count != static_cast<int>(bench::kSamples)) {
            std::fprintf(stderr, "cannot read %s\n", files[i].c_str());
            return 1;
        }
    }
    const double seconds = SecondsSince(start);
    size_t bytes = 0;
    for (const TDataBlock& f : flights)
        bytes += ArrayBytes(f);
    std::printf("%.6f %ld %zu\n", seconds, StatusKb("VmHWM"), bytes);
    return 0;
}

// Opens the files on a Graph page of its own as the program opens them, the chart sized
// 1200 x 800, and draws them once. Prints the seconds from the first open to the end of the
// draw, the peak resident kB and the resident kB of the empty page before the first open.
int DrawOnGraphPage(int argc, char** argv, const std::vector<std::string>& files)
{
    QApplication app(argc, argv);
    TOffscreenGraph graph;
    if (!graph.SetChartSize(kChartSize)) {
        std::fprintf(stderr, "the chart cannot get 1200 x 800\n");
        return 1;
    }
    graph.Draw();
    const long baseKb = StatusKb("VmRSS");
    const Clock::time_point start = Clock::now();
    for (const std::string& file : files) {
        if (!graph.OpenFile(QString::fromStdString(file)).isEmpty()) {
            std::fprintf(stderr, "cannot open %s\n", file.c_str());
            return 1;
        }
    }
    graph.Plot().Chart().Replot();
    const double seconds = SecondsSince(start);
    std::printf("%.6f %ld %ld\n", seconds, StatusKb("VmHWM"), baseKb);
    return 0;
}

// ---- Parent side ---------------------------------------------------------------------------

struct TChildRun {
    bool Ok = false;
    double WallSeconds = 0;
    double PeakMiB = 0; // the child's peak resident size as wait4() reports it
    std::string Output; // what it printed on stdout
};

// Runs `args` to its end. Its stdout is kept; its stderr is shown only when it fails, so that
// the warnings of a Qt without a screen do not fill the report.
TChildRun RunChild(const std::vector<std::string>& args)
{
    TChildRun run;
    char errName[] = "/tmp/zirko-bench-stderr-XXXXXX";
    const int err = ::mkstemp(errName);
    if (err < 0)
        return run;
    ::unlink(errName);
    int out[2];
    if (::pipe(out) != 0)
        return run;
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, out[1], STDOUT_FILENO);
    posix_spawn_file_actions_addclose(&actions, out[0]);
    posix_spawn_file_actions_addclose(&actions, out[1]);
    posix_spawn_file_actions_adddup2(&actions, err, STDERR_FILENO);
    posix_spawn_file_actions_addclose(&actions, err);
    std::vector<char*> argv;
    for (const std::string& a : args)
        argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    pid_t pid = 0;
    const Clock::time_point start = Clock::now();
    const int spawned = ::posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    ::close(out[1]);
    if (spawned != 0) {
        ::close(out[0]);
        ::close(err);
        return run;
    }
    char buffer[4096];
    for (ssize_t n; (n = ::read(out[0], buffer, sizeof buffer)) > 0;)
        run.Output.append(buffer, static_cast<size_t>(n));
    ::close(out[0]);
    int status = 0;
    struct rusage usage {};
    if (::wait4(pid, &status, 0, &usage) != pid) {
        ::close(err);
        return run;
    }
    run.WallSeconds = SecondsSince(start);
    run.PeakMiB = static_cast<double>(usage.ru_maxrss) / 1024.0; // kB on Linux
    run.Ok = WIFEXITED(status) && WEXITSTATUS(status) == 0;
    if (!run.Ok) {
        ::lseek(err, 0, SEEK_SET);
        for (ssize_t n; (n = ::read(err, buffer, sizeof buffer)) > 0;)
            std::fwrite(buffer, 1, static_cast<size_t>(n), stderr);
    }
    ::close(err);
    return run;
}

std::string SelfPath()
{
    return std::filesystem::read_symlink("/proc/self/exe").string();
}

// The ten flight files, written once by a child into a folder of their own.
struct TFlightFiles {
    std::filesystem::path Dir;
    std::vector<std::string> Names;
    double FileMiB = 0;
    bool Ok = false;

    TFlightFiles()
    {
        std::string pattern =
            (std::filesystem::temp_directory_path() / "zirko-bench-XXXXXX").string();
        if (!::mkdtemp(pattern.data()))
            return;
        Dir = pattern;
        Ok = RunChild({SelfPath(), "--write", Dir.string()}).Ok;
        for (int r = 0; Ok && r < kFlights; ++r) {
            Names.push_back((Dir / ("flight" + std::to_string(r) + ".zdf")).string());
            FileMiB += static_cast<double>(std::filesystem::file_size(Names.back())) / kMiB;
        }
    }
    ~TFlightFiles()
    {
        std::error_code ignored;
        if (!Dir.empty())
            std::filesystem::remove_all(Dir, ignored);
    }
};

TFlightFiles& Files()
{
    static TFlightFiles files;
    return files;
}

struct TReadRun {
    bool Ok = false;
    double Seconds = 0;
    double PeakMiB = 0;
    double HwmMiB = 0;
    double ArraysMiB = 0;
};

TReadRun ReadInChild()
{
    std::vector<std::string> args{SelfPath(), "--read"};
    args.insert(args.end(), Files().Names.begin(), Files().Names.end());
    const TChildRun child = RunChild(args);
    TReadRun run;
    long hwmKb = 0;
    size_t bytes = 0;
    std::istringstream in(child.Output);
    run.Ok = child.Ok && static_cast<bool>(in >> run.Seconds >> hwmKb >> bytes);
    run.PeakMiB = child.PeakMiB;
    run.HwmMiB = static_cast<double>(hwmKb) / 1024.0;
    run.ArraysMiB = static_cast<double>(bytes) / kMiB;
    return run;
}

bool Prepared(benchmark::State& state)
{
    if (!Files().Ok) {
        state.SkipWithError("the flight files could not be written");
        return false;
    }
    return true;
}

// A drawing set against a reading of the same files run just before it, so that the ratio of
// their times holds up while the load of the machine drifts.
struct TDrawRun {
    double Seconds = 0;
    double PeakMiB = 0;
    TReadRun Read;
};

void SetDrawCounters(benchmark::State& state, const TDrawRun& run)
{
    state.counters["peak_MiB"] = run.PeakMiB;
    state.counters["arrays_MiB"] = run.Read.ArraysMiB;
    state.counters["read_s"] = run.Read.Seconds;
    state.counters["mem_x_arrays"] = run.PeakMiB / run.Read.ArraysMiB;
    state.counters["time_x_read"] = run.Seconds / run.Read.Seconds;
}

// Reading the ten files and keeping them: the time and the memory any way of drawing them
// starts from.
void BM_ReadTenFiles(benchmark::State& state)
{
    if (!Prepared(state))
        return;
    TReadRun run;
    for (auto _ : state) {
        run = ReadInChild();
        if (!run.Ok) {
            state.SkipWithError("the flight files could not be read");
            return;
        }
        state.SetIterationTime(run.Seconds);
    }
    state.counters["peak_MiB"] = run.PeakMiB;
    state.counters["hwm_MiB"] = run.HwmMiB;
    state.counters["arrays_MiB"] = run.ArraysMiB;
    state.counters["files_MiB"] = Files().FileMiB;
    state.counters["mem_x_arrays"] = run.PeakMiB / run.ArraysMiB;
}

// `zirko-cli render` of the ten files into a PNG of 1200 x 800: the whole run of the program,
// from its start to its exit.
void BM_CliRenderTenFlights(benchmark::State& state)
{
    if (!Prepared(state))
        return;
    const std::string picture = (Files().Dir / "render.png").string();
    std::vector<std::string> args{ZIRKO_CLI_PATH, "render"};
    args.insert(args.end(), Files().Names.begin(), Files().Names.end());
    args.insert(args.end(), {"-o", picture, "--size", "1200x800"});
    TDrawRun draw;
    for (auto _ : state) {
        draw.Read = ReadInChild();
        const TChildRun run = RunChild(args);
        if (!draw.Read.Ok || !run.Ok || !std::filesystem::exists(picture)) {
            state.SkipWithError("zirko-cli render failed");
            return;
        }
        draw.Seconds = run.WallSeconds;
        draw.PeakMiB = run.PeakMiB;
        state.SetIterationTime(draw.Seconds);
        std::filesystem::remove(picture);
    }
    SetDrawCounters(state, draw);
}

// The ten files opened on the Graph page and drawn once at 1200 x 800; the time runs from the
// first open to the end of the draw, the peak is the whole process's.
void BM_GraphPageTenFlights(benchmark::State& state)
{
    if (!Prepared(state))
        return;
    std::vector<std::string> args{SelfPath(), "--graph"};
    args.insert(args.end(), Files().Names.begin(), Files().Names.end());
    TDrawRun draw;
    double hwmMiB = 0;
    double baseMiB = 0;
    double wallSeconds = 0;
    for (auto _ : state) {
        draw.Read = ReadInChild();
        const TChildRun run = RunChild(args);
        long hwmKb = 0;
        long baseKb = 0;
        std::istringstream in(run.Output);
        if (!draw.Read.Ok || !run.Ok || !(in >> draw.Seconds >> hwmKb >> baseKb)) {
            state.SkipWithError("the Graph page could not draw the flights");
            return;
        }
        state.SetIterationTime(draw.Seconds);
        draw.PeakMiB = run.PeakMiB;
        hwmMiB = static_cast<double>(hwmKb) / 1024.0;
        baseMiB = static_cast<double>(baseKb) / 1024.0;
        wallSeconds = run.WallSeconds;
    }
    SetDrawCounters(state, draw);
    state.counters["hwm_MiB"] = hwmMiB;
    state.counters["empty_page_MiB"] = baseMiB;
    state.counters["process_s"] = wallSeconds;
}

BENCHMARK(BM_ReadTenFiles)
    ->Unit(benchmark::kMillisecond)
    ->UseManualTime()
    ->Iterations(1)
    ->Repetitions(5)
    ->DisplayAggregatesOnly(true);
BENCHMARK(BM_CliRenderTenFlights)
    ->Unit(benchmark::kMillisecond)
    ->UseManualTime()
    ->Iterations(1)
    ->Repetitions(5)
    ->DisplayAggregatesOnly(true);
BENCHMARK(BM_GraphPageTenFlights)
    ->Unit(benchmark::kMillisecond)
    ->UseManualTime()
    ->Iterations(1)
    ->Repetitions(5)
    ->DisplayAggregatesOnly(true);

} // namespace
} // namespace zirko

// Besides the benchmarks, the program is the child they measure: it writes, reads or draws the
// files named on its command line.
std::optional<int> ChildMode(int argc, char** argv)
{
    if (argc < 2)
        return std::nullopt;
    const std::string mode = argv[1];
    const std::vector<std::string> rest(argv + 2, argv + argc);
    if (mode == "--write" && rest.size() == 1)
        return zirko::WriteFlights(rest[0]);
    if (mode == "--read")
        return zirko::ReadFlights(rest);
    if (mode == "--graph") {
        qputenv("QT_QPA_PLATFORM", "offscreen");
        int qtArgc = 1;
        return zirko::DrawOnGraphPage(qtArgc, argv, rest);
    }
    return std::nullopt;
}

const bool kHooks = zirko::bench::SetBenchHooks({
    .Mode = ChildMode,
    // zirko-cli draws without a screen as the Graph page child does.
    .Setup = [] { ::setenv("QT_QPA_PLATFORM", "offscreen", 0); },
});
