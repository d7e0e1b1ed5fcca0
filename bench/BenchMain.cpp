#include "BenchMain.h"

#include <benchmark/benchmark.h>
#include <memory>
#include <utility>

// ZIRKO_BENCH_APP is the application object the program's benchmarks need: none (0), an event
// loop without widgets (1), or widgets (2).
#if ZIRKO_BENCH_APP == 2
#include <QApplication>
#elif ZIRKO_BENCH_APP == 1
#include <QCoreApplication>
#endif

namespace zirko::bench {

namespace {

TBenchHooks& Hooks()
{
    static TBenchHooks hooks;
    return hooks;
}

#if ZIRKO_BENCH_APP == 2
std::unique_ptr<QApplication> MakeApplication(int& argc, char** argv)
{
    // Widgets draw without a screen unless the caller chose a platform.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    return std::make_unique<QApplication>(argc, argv);
}
#elif ZIRKO_BENCH_APP == 1
std::unique_ptr<QCoreApplication> MakeApplication(int& argc, char** argv)
{
    return std::make_unique<QCoreApplication>(argc, argv);
}
#else
std::unique_ptr<int> MakeApplication(int&, char**)
{
    return nullptr;
}
#endif

int Run(int argc, char** argv)
{
    const TBenchHooks& hooks = Hooks();
    if (hooks.Mode) {
        if (const std::optional<int> code = hooks.Mode(argc, argv))
            return *code;
    }
    const auto app = MakeApplication(argc, argv);
    if (hooks.Setup)
        hooks.Setup();
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    if (hooks.TearDown)
        hooks.TearDown();
    return 0;
}

} // namespace

bool SetBenchHooks(TBenchHooks hooks)
{
    Hooks() = std::move(hooks);
    return true;
}

} // namespace zirko::bench

int main(int argc, char** argv)
{
    return zirko::bench::Run(argc, argv);
}
