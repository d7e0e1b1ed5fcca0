// Flight analysis of long flights: the climb rate and the numbers of the statistics.
#include "BenchFlights.h"
#include "core/analysis/FlightAnalysis.h"

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

} // namespace

BENCHMARK_MAIN();
