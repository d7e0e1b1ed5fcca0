// The Trends view's controls as a test reaches them: by their object names.
#pragma once

#include "support/TestUtil.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <qcustomplot.h>

namespace zirko::test {

struct TTrendsControls {
    // The view whose controls these are.
    const QObject& Window;
    QPushButton* ButtonCopyTrend = Named<QPushButton>(Window, "ButtonCopyTrend");
    QPushButton* ButtonSaveTrend = Named<QPushButton>(Window, "ButtonSaveTrend");
    QCheckBox* CheckBoxAutoBin = Named<QCheckBox>(Window, "CheckBoxAutoBin");
    QComboBox* ComboBoxTrendKind = Named<QComboBox>(Window, "ComboBoxTrendKind");
    QComboBox* ComboBoxTrendX = Named<QComboBox>(Window, "ComboBoxTrendX");
    QComboBox* ComboBoxTrendY = Named<QComboBox>(Window, "ComboBoxTrendY");
    QLineEdit* EditBinWidth = Named<QLineEdit>(Window, "EditBinWidth");
    QLabel* LabelHover = Named<QLabel>(Window, "LabelHover");
    QCustomPlot* PlotTrends = Named<QCustomPlot>(Window, "PlotTrends");
};

} // namespace zirko::test
