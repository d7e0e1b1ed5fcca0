// Min/max summary of a series for drawing: what each pixel column of a view has to show.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace zirko {

// The samples of a series, read from arrays it need not own: sample i is (X[i], Y[i]), or with an
// index table (X[Index[i]], Y[Index[i]]), which picks some samples of a flight without copying
// their values.
struct TSampleView {
    const double* X = nullptr;
    const double* Y = nullptr;
    const uint32_t* Index = nullptr;
    size_t Size = 0;

    size_t At(size_t i) const { return Index ? Index[i] : i; }
    double XAt(size_t i) const { return X[At(i)]; }
    double YAt(size_t i) const { return Y[At(i)]; }
};

// The first min(x.size(), y.size()) samples of two arrays.
TSampleView ViewOf(const std::vector<double>& x, const std::vector<double>& y);

// A multi-level min/max table over the y values of a series whose x values ascend. Level L
// holds the minimum and maximum of blocks of kBaseBlock << L samples, so the extreme of any index
// range costs a few lookups instead of a scan. The table takes about two bytes per sample: the
// arrays it summarises are the flight's own, and the table is what drawing adds to them (larger
// base blocks halve it but cost each pixel column's ragged ends twice the reading).
class TSeriesSummary {
public:
    static constexpr size_t kBaseBlock = 16;

    struct TMinMax {
        double Min;
        double Max;
    };

    // Builds the table for the y values of the samples; call again after the values change.
    void Build(const TSampleView& samples);
    void Build(const std::vector<double>& y);
    void Clear();

    // Minimum and maximum of the y values of samples [first, last), which must not be empty.
    TMinMax Range(const TSampleView& samples, size_t first, size_t last) const;
    TMinMax Range(const std::vector<double>& y, size_t first, size_t last) const;

    size_t LevelCount() const { return Levels.size(); }

    // Asks the processor to fetch what a range starting or ending near `index` will read.
    void Prefetch(const TSampleView& samples, size_t index) const;

    // The same over samples read through an accessor (see SeriesSummary.cpp).
    template <class TAccess> void BuildFrom(const TAccess& samples, size_t n);
    template <class TAccess>
    TMinMax RangeOf(const TAccess& samples, size_t first, size_t last) const;
    template <class TAccess> void PrefetchOf(const TAccess& samples, size_t n, size_t index) const;

private:
    std::vector<std::vector<TMinMax>> Levels;
};

// The points to hand to the plot for the view [xMin, xMax] drawn over `columns` pixel columns.
// Where the view holds few samples they pass unchanged. Otherwise each column with more than two
// samples becomes a vertical stroke at its centre from one extreme to the other, entered at the
// extreme nearer to where the line comes from. The line from the previous column's stroke runs
// straight on to it, or level into the column first, where that changes the vertical extent of
// neither column by more than `yTolerance` against the samples' own line (half a pixel is
// invisible); otherwise it runs through the last sample before and the first sample after the
// column boundary. So every column covers the extent the samples' line covers, with two or three
// points. One sample on each side of the view is kept so lines run on to the plot's edges. `x`
// must ascend.
struct TReducedPoints {
    std::vector<double> X;
    std::vector<double> Y;
};
TReducedPoints ReduceForView(const std::vector<double>& x, const std::vector<double>& y,
                             const TSeriesSummary& summary, double xMin, double xMax, int columns,
                             double yTolerance = 0);
// The same into `out`, whose capacity is reused.
void ReduceForView(const TSampleView& samples, const TSeriesSummary& summary, double xMin,
                   double xMax, int columns, TReducedPoints& out, double yTolerance = 0);

} // namespace zirko
