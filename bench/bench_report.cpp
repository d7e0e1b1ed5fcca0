// The flight report of a 1.5 M-sample flight written as a PDF file: the flight analysed, its chart
// drawn and the page painted into the file, as `zirko-cli report` and the report's "Save as PDF"
// do. BM_ReportPdfOnly keeps the flight's report ready and times the writing alone.
#include "BenchFlights.h"

#include "core/analysis/FlightEvents.h"
#include "gui/report/FlightReport.h"

#include <QFile>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>

#include <memory>
#include <stdexcept>
#include <string>

namespace {

using namespace zirko;

// Formatted notes of a few paragraphs, as a pilot writes them.
std::string Notes()
{
    std::string rtf = "{\\rtf1\\ansi\\deff0{\\fonttbl{\\f0 Arial;}}\\f0\\fs20 ";
    for (int i = 0; i < 12; ++i)
        rtf += "Thermal over the forest, \\b strong\\b0  and \\i wide\\i0 ; landed at the "
               "field.\\par ";
    return rtf + "}";
}

std::unique_ptr<TDataBlock> LongFlight()
{
    auto flight = bench::MakeFlight(0);
    flight->Notes = Notes();
    return flight;
}

void Write(const TFlightReport& report, const QString& file)
{
    const QString error = report.WritePdf(file);
    if (!error.isEmpty())
        throw std::runtime_error(error.toStdString());
}

void BM_ReportOfALongFlight(benchmark::State& state)
{
    QTemporaryDir dir;
    const QString file = dir.filePath("report.pdf");
    for (auto _ : state) {
        state.PauseTiming();
        auto flight = LongFlight();
        state.ResumeTiming();
        TFlightReport report;
        report.AddFlight(std::move(flight), "Long", TEventOptions{});
        Write(report, file);
    }
    state.counters["samples"] = static_cast<double>(bench::kSamples);
    state.counters["pdf_kB"] = static_cast<double>(QFile(file).size()) / 1024;
}
BENCHMARK(BM_ReportOfALongFlight)->Unit(benchmark::kMillisecond)->Iterations(3);

void BM_ReportPdfOnly(benchmark::State& state)
{
    QTemporaryDir dir;
    TFlightReport report;
    report.AddFlight(LongFlight(), "Long", TEventOptions{});
    for (auto _ : state)
        Write(report, dir.filePath("report.pdf"));
}
BENCHMARK(BM_ReportPdfOnly)->Unit(benchmark::kMillisecond)->Iterations(3);

} // namespace
