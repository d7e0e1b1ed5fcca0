#include "gui/graph/ChartTicker.h"

#include "core/graph/ChartMath.h"

#include <QFontMetrics>

#include <algorithm>
#include <cmath>

namespace zirko {

double TChartTicker::getTickStep(const QCPRange& range)
{
    // No two labels may read the same in the axis's number format.
    if (Step <= 0)
        return DistinctLabelStep(QCPAxisTicker::getTickStep(range), Decimals);
    // A fixed step is kept as long as the labels do not run into each other.
    const QCPAxis* axis = Owner.AxisOf(Axis);
    const double pixels = axis->orientation() == Qt::Horizontal ? axis->axisRect()->width()
                                                                : axis->axisRect()->height();
    const double most = std::max(2.0, pixels / kMinLabelSpacing);
    const double count = range.size() / Step;
    return DistinctLabelStep(count <= most ? Step : Step * std::ceil(count / most), Decimals);
}

QVector<double> TChartTicker::createTickVector(double tickStep, const QCPRange& range)
{
    QVector<double> ticks = QCPAxisTicker::createTickVector(tickStep, range);
    const double end = Owner.Maximum(Axis);
    const double slack = std::abs(tickStep) * 1e-9;
    ticks.erase(std::remove_if(ticks.begin(), ticks.end(),
                               [end, slack](double t) { return t > end + slack; }),
                ticks.end());
    return ticks;
}

QString TChartTicker::getTickLabel(double tick, const QLocale&, QChar, int)
{
    if (Axis == TAxisId::Voltage) {
        // Its labels stand inside the plot, centred on their ticks: a tick closer to the plot's
        // top or bottom than half a label keeps its mark but shows no label, which would be cut.
        const QCPAxis* axis = Owner.AxisOf(Axis);
        const QRect plot = axis->axisRect()->rect();
        const int half = QFontMetrics(axis->tickLabelFont()).height() / 2 + 1;
        const double y = axis->coordToPixel(tick);
        if (y < plot.top() + half || y > plot.bottom() - half)
            return {};
    }
    return Owner.AxisLabel(Axis, tick, Decimals);
}

} // namespace zirko
