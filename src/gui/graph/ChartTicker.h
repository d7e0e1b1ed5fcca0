// The ticks and tick labels of one chart axis.
#pragma once

#include "gui/graph/ChartOwner.h"

#include <qcustomplot.h>

namespace zirko {

// Labels in "#,##0.##" style as the chart formats them; on an axis that ends before the plot's
// edge no tick is placed beyond the axis end.
class TChartTicker : public QCPAxisTicker {
public:
    TChartTicker(const TChartOwner& owner, TAxisId axis) : Owner(owner), Axis(axis) {}
    int Decimals = 2;
    double Step = 0; // 0: automatic steps

protected:
    double getTickStep(const QCPRange& range) override;
    QVector<double> createTickVector(double tickStep, const QCPRange& range) override;
    QString getTickLabel(double tick, const QLocale&, QChar, int) override;

private:
    static constexpr double kMinLabelSpacing = 20;
    const TChartOwner& Owner;
    TAxisId Axis;
};

} // namespace zirko
