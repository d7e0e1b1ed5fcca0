// Min/max summary of a series for drawing: what each pixel column of a view has to show.
#pragma once

#include <cstddef>
#include <vector>

namespace zirko {

// A multi-level min/max table over the y values of a series whose x values ascend. Level L
// holds the minimum and maximum of blocks of kBaseBlock << L samples, so the extreme of any index
// range costs a few lookups instead of a scan.
class TSeriesSummary {
public:
    static constexpr size_t kBaseBlock = 16;

    // Builds the table for `y`; call again after the values change (a shift of all values by the
    // same amount can use ShiftValues instead).
    void Build(const std::vector<double>& y);
    void ShiftValues(double dy);
    void Clear();

    // Minimum and maximum of y[first, last), which must not be empty.
    struct TMinMax {
        double Min;
        double Max;
    };
    TMinMax Range(const std::vector<double>& y, size_t first, size_t last) const;

    size_t LevelCount() const { return Mins.size(); }

private:
    std::vector<std::vector<double>> Mins;
    std::vector<std::vector<double>> Maxs;
};

// The points to hand to the plot for the view [xMin, xMax] drawn over `columns` pixel columns.
// Where a column holds few samples they pass unchanged; otherwise each column gives its minimum
// and maximum at the column centre. One sample on each side of the view is kept so lines run on
// to the plot's edges. `x` must ascend.
struct TReducedPoints {
    std::vector<double> X;
    std::vector<double> Y;
};
TReducedPoints ReduceForView(const std::vector<double>& x, const std::vector<double>& y,
                             const TSeriesSummary& summary, double xMin, double xMax,
                             int columns);

} // namespace zirko
