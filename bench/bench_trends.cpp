// The logbook's Trends view over 10,000 rows: one full redraw (the rows taken from the filter
// model, the scatter or the bins worked out and the chart drawn), as after a keystroke in the
// filter or another column chosen.
#include "core/logbook/LogbookColumns.h"
#include "gui/logbook/TrendsView.h"
#include "model/logbook/LogbookTableModel.h"

#include <QApplication>
#include <QComboBox>
#include <benchmark/benchmark.h>

#include <string>
#include <vector>

namespace {

using namespace zirko;

constexpr int kRows = 10'000;

std::vector<TLogbookRow> Rows()
{
    static const char* kModels[] = {"Pike Perfect", "Supra",  "Bubble Dancer", "Maxa",
                                    "Vector",       "Plus",   "Xplorer",       "Ava",
                                    "Prestige",     "Shadow", "Ellipse",       "Zone"};
    std::vector<TLogbookRow> rows(kRows);
    for (int n = 0; n < kRows; ++n) {
        TLogbookRow& row = rows[static_cast<size_t>(n)];
        SetRowPath(row,
                   "Folder " + std::to_string(n % 50) + "/Flight" + std::to_string(n) + ".zdf");
        row.Date = CivilSeconds(2020 + n % 6, 1 + n % 12, 1 + n % 28, 8 + n % 10);
        row.Details.Model = kModels[n % 12];
        row.Values.resize(AnalysisFields().size());
        for (size_t f = 0; f < row.Values.size(); ++f)
            row.Values[f].Number = (n * 37 + static_cast<int>(f) * 101) % 400 + 0.5;
        row.Prepare();
    }
    return rows;
}

struct TView {
    TLogbookTableModel Table;
    TLogbookFilterModel Proxy;
    TTrendsView View;
    explicit TView(int kind)
    {
        Table.SetRows(Rows());
        Proxy.setSourceModel(&Table);
        Proxy.setDynamicSortFilter(true);
        Proxy.sort(static_cast<int>(*LogbookColumnIndex("date")), Qt::DescendingOrder);
        View.SetModel(&Proxy);
        View.findChild<QComboBox*>("ComboBoxTrendKind")->setCurrentIndex(kind);
        View.resize(1000, 600);
        View.show();
        QApplication::processEvents();
    }
};

void BM_TrendsScatterRedraw(benchmark::State& state)
{
    TView v(0);
    for (auto _ : state)
        v.View.Redraw();
    state.counters["rows"] = kRows;
}
BENCHMARK(BM_TrendsScatterRedraw)->Unit(benchmark::kMillisecond);

void BM_TrendsHistogramRedraw(benchmark::State& state)
{
    TView v(1);
    for (auto _ : state)
        v.View.Redraw();
}
BENCHMARK(BM_TrendsHistogramRedraw)->Unit(benchmark::kMillisecond);

} // namespace
