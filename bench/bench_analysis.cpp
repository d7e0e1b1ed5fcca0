// Flight analysis of long flights: the climb rate, the numbers of the statistics and the events.
#include "BenchFlights.h"
#include "core/analysis/FlightAnalysis.h"
#include "core/analysis/FlightEvents.h"

#include <benchmark/benchmark.h>

using namespace zirko;

namespace {

// 1.5 M samples at 100 ms: the flight reaches 150,000 s, where the sums must not cancel.
void BM_ClimbRateLongFlight(benchmark::State& state)
{
    const auto flight = bench::MakeFlight(0, state.range(0) / 1000.0);
    std::vector<double> climb;
    for (auto _ : state) {
        ComputeClimbRate(flight->Time, flight->Altitude, climb);
        benchmark::DoNotOptimize(climb.data());
    }
    state.SetItemsProcessed(static_cast<int64_t>(state.iterations() * bench::kSamples));
}
BENCHMARK(BM_ClimbRateLongFlight)->Arg(100)->Arg(20)->Unit(benchmark::kMillisecond);

// Everything the statistics table and `stats` show, the climb rate included.
void BM_AnalyseFlight(benchmark::State& state)
{
    const auto flight = bench::MakeFlight(0, 0.1);
    for (auto _ : state) {
        auto stats = AnalyseFlight(*flight);
        benchmark::DoNotOptimize(stats);
    }
}
BENCHMARK(BM_AnalyseFlight)->Unit(benchmark::kMillisecond);

// Motor runs, start height, warnings and phases of 1.5 M samples at 100 ms (the 20 s slope's
// window is 201 samples) and at 10 ms (2001), under contest rules with the voltage checked. The
// servo curve of the bench flight switches the motor every few seconds: thousands of runs.
void BM_FlightEvents(benchmark::State& state)
{
    const auto flight = bench::MakeFlight(0, state.range(0) / 1000.0);
    TEventOptions options;
    options.Rules = TRules::Ales;
    options.LowVoltage = 4.5;
    size_t phases = 0;
    for (auto _ : state) {
        auto events = AnalyseEvents(*flight, options);
        phases = events.Phases.size();
        benchmark::DoNotOptimize(events);
    }
    state.counters["phases"] = static_cast<double>(phases);
    state.SetItemsProcessed(static_cast<int64_t>(state.iterations() * bench::kSamples));
}
BENCHMARK(BM_FlightEvents)->Arg(100)->Arg(10)->Unit(benchmark::kMillisecond);

} // namespace
