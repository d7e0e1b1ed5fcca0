// The Logbook page's table model over 10,000 rows: one keystroke in the filter line (the proxy
// filters every row again and sorts what passes) and one click on a column header (a new sort).
#include "core/logbook/LogbookColumns.h"
#include "model/logbook/LogbookTableModel.h"

#include <benchmark/benchmark.h>

#include <string>
#include <vector>

namespace {

using namespace zirko;

constexpr int kRows = 10'000;
constexpr int kFolders = 50;

std::vector<TLogbookRow> Rows()
{
    static const char* kModels[] = {"Pike Perfect", "Supra", "Bubble Dancer", "Maxa"};
    static const char* kSites[] = {"Raná", "Black Hill", "Medlánky"};
    std::vector<TLogbookRow> rows(kRows);
    for (int n = 0; n < kRows; ++n) {
        TLogbookRow& row = rows[static_cast<size_t>(n)];
        SetRowPath(row, "Folder " + std::to_string(n % kFolders) + "/Flight" + std::to_string(n) +
                            ".zdf");
        row.DateText = std::to_string(1 + n % 28) + "." + std::to_string(1 + n % 12) + ".2026";
        row.Date = CivilSeconds(2026, 1 + n % 12, 1 + n % 28, 8 + n % 10);
        row.Details.Model = kModels[n % 4];
        row.Details.Site = kSites[n % 3];
        row.Details.Pilot = n % 2 ? "Jan" : "Eva";
        row.Details.Tags =
            n % 5 ? std::vector<std::string>{"thermal", "F5J"} : std::vector<std::string>{"test"};
        row.NotesText = n % 7 ? "" : "Windy, landed out in the field behind the hangar.";
        row.Values.resize(AnalysisFields().size());
        for (size_t f = 0; f < row.Values.size(); ++f)
            row.Values[f].Number = (n * 37 + static_cast<int>(f) * 101) % 400 + 0.5;
        row.Prepare();
    }
    return rows;
}

struct TModels {
    TLogbookTableModel Table;
    TLogbookFilterModel Proxy;
    TModels()
    {
        Table.SetRows(Rows());
        Proxy.setSourceModel(&Table);
        Proxy.setDynamicSortFilter(true);
        Proxy.sort(static_cast<int>(*LogbookColumnIndex("date")), Qt::DescendingOrder);
    }
};

void BM_LogbookPageFilterKeystroke(benchmark::State& state)
{
    TModels m;
    // Typing "pike" one letter further and back: each step filters and sorts anew.
    const char* texts[] = {"site:raná -tag:test maxAltitude>150 pik",
                           "site:raná -tag:test maxAltitude>150 pike"};
    int i = 0;
    for (auto _ : state) {
        m.Proxy.SetFilterText(texts[i++ % 2]);
        benchmark::DoNotOptimize(m.Proxy.rowCount());
    }
    state.counters["shown"] = m.Proxy.rowCount();
}
BENCHMARK(BM_LogbookPageFilterKeystroke)->Unit(benchmark::kMillisecond);

void BM_LogbookPageSortByColumn(benchmark::State& state)
{
    TModels m;
    const int columns[] = {static_cast<int>(*LogbookColumnIndex("maxAltitude")),
                           static_cast<int>(*LogbookColumnIndex("name"))};
    int i = 0;
    for (auto _ : state) {
        m.Proxy.sort(columns[i++ % 2], Qt::AscendingOrder);
        benchmark::DoNotOptimize(m.Proxy.rowCount());
    }
}
BENCHMARK(BM_LogbookPageSortByColumn)->Unit(benchmark::kMillisecond);

} // namespace
