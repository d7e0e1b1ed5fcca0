// Download speed of the logger session through a pseudo-terminal against the simulated logger.
#include "core/device/LoggerProtocol.h"
#include "core/device/LoggerSimulator.h"
#include "platform/serial/LoggerSession.h"
#include "platform/serial/PtyServer.h"
#include "platform/serial/SimulatorDevice.h"

#include <QElapsedTimer>
#include <QEventLoop>
#include <QThread>
#include <QTimer>
#include <atomic>
#include <benchmark/benchmark.h>
#include <future>

using namespace zirko;

namespace {

// A memory filled with generated flights to exactly `size` bytes.
std::vector<uint8_t> FullMemory(size_t size)
{
    std::vector<uint8_t> memory;
    for (uint32_t seed = 1; memory.size() < size; ++seed) {
        const auto flight = GenerateFlight(TFlightProfile{}, seed);
        memory.insert(memory.end(), flight.begin(), flight.end());
    }
    memory.resize(size);
    // No run of erased bytes may end the download early.
    for (size_t i = 4; i < memory.size(); ++i)
        if (memory[i] == 0xFF && memory[i - 1] == 0xFF && memory[i - 2] == 0xFF &&
            memory[i - 3] == 0xFF && memory[i - 4] == 0xFF)
            memory[i] = 0xFE;
    return memory;
}

// The simulated logger on a pseudo-terminal, served from a thread of its own as the logger is a
// device of its own: the program's event loop never runs the device's side.
class TServedLogger {
public:
    explicit TServedLogger(TSimulatorOptions options)
        : Unpaced(options.BytesPerSecond <= 0), Device(std::move(options))
    {
        std::promise<QString> path;
        auto ready = path.get_future();
        Thread.reset(QThread::create([this, &path] {
            auto created = TPtyServer::Create(Device);
            // As `zirko-cli simulate` serves an unpaced logger.
            if (created.Server && Unpaced)
                created.Server->SetAnswerWait(1000);
            QEventLoop serving;
            Serving.store(created.Server ? &serving : nullptr);
            path.set_value(created.Server ? created.Server->DevicePath() : QString());
            if (created.Server)
                serving.exec();
            Serving.store(nullptr);
        }));
        Thread->start();
        Path = ready.get();
    }
    ~TServedLogger()
    {
        if (QEventLoop* serving = Serving.load())
            QMetaObject::invokeMethod(serving, &QEventLoop::quit, Qt::QueuedConnection);
        Thread->wait();
    }
    bool Unpaced;
    std::atomic<QEventLoop*> Serving = nullptr;
    TSimulatorDevice Device;
    std::unique_ptr<QThread> Thread;
    QString Path;
};

// Connects, downloads the whole memory and returns the milliseconds of the download alone and
// the bytes received; 0 ms when it failed.
std::pair<qint64, qint64> Download(TSimulatorOptions options)
{
    TServedLogger logger(std::move(options));
    if (logger.Path.isEmpty())
        return {0, 0};
    TLoggerSession session;
    session.SetPortName(logger.Path);
    QEventLoop loop;
    QElapsedTimer clock;
    qint64 elapsed = 0;
    qint64 bytes = 0;
    bool started = false;
    QObject scope; // the connections end before what they write to
    QObject::connect(&session, &TLoggerSession::CommandFinished, &scope,
                     [&](const QString& letter) {
                         if (letter == "R" && !started) {
                             started = true;
                             clock.start();
                             session.ReadData();
                         }
                     });
    QObject::connect(&session, &TLoggerSession::DownloadFinished, &scope,
                     [&](std::span<const uint8_t> image, qint64, qint64) {
                         elapsed = clock.elapsed();
                         bytes = static_cast<qint64>(image.size());
                         loop.quit();
                     });
    QObject::connect(&session, &TLoggerSession::Failed, &loop, &QEventLoop::quit);
    QTimer::singleShot(0, &session, &TLoggerSession::Connect);
    QTimer::singleShot(600000, &loop, &QEventLoop::quit);
    loop.exec();
    session.Close();
    return {elapsed, bytes};
}

void BM_DownloadUnpaced(benchmark::State& state)
{
    TSimulatorOptions options;
    options.Firmware = "ZIRKO benchmark";
    options.Memory = FullMemory(static_cast<size_t>(state.range(0)));
    qint64 total = 0;
    for (auto _ : state) {
        const auto [ms, bytes] = Download(options);
        if (ms == 0 && bytes == 0) {
            state.SkipWithError("download failed");
            return;
        }
        state.SetIterationTime(static_cast<double>(ms) / 1000.0);
        total += bytes;
    }
    state.SetBytesProcessed(total);
}
BENCHMARK(BM_DownloadUnpaced)->Arg(2'000'000)->UseManualTime()->Unit(benchmark::kMillisecond);

// At 115200 baud every byte takes 1/11520 s on the wire, either way, and each side waits for the
// other's byte: the time a real link needs is the measure.
void BM_DownloadPacedSmallMemory(benchmark::State& state)
{
    constexpr int kBytesPerSecond = 11520;
    constexpr size_t kMemory = 540672;
    TSimulatorOptions options;
    options.Firmware = "Logger benchmark";
    options.Memory = FullMemory(kMemory);
    options.BytesPerSecond = kBytesPerSecond;
    const double blocks = static_cast<double>(kMemory) / 264.0;
    // "D" goes to the logger and its echo comes back; per block the 264 bytes and the check byte
    // come, the program's "O" goes and its echo comes back (the logger cannot echo a byte before
    // it has it); the run of erased bytes after the last full block ends the download.
    const double wireSeconds =
        (2 + blocks * (264 + 1 + 1 + 1) + kLoggerEndRunBytes) / kBytesPerSecond;
    for (auto _ : state) {
        const auto [ms, bytes] = Download(options);
        if (bytes < static_cast<qint64>(kMemory)) {
            state.SkipWithError("download failed");
            return;
        }
        state.SetIterationTime(static_cast<double>(ms) / 1000.0);
        state.counters["wire_s"] = wireSeconds;
        state.counters["ratio_to_wire"] = (static_cast<double>(ms) / 1000.0) / wireSeconds;
    }
}
BENCHMARK(BM_DownloadPacedSmallMemory)
    ->Iterations(1)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);

} // namespace
