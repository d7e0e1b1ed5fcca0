// The options dialog's controls as a test reaches them: by their object names.
#pragma once

#include "support/TestUtil.h"

#include <QComboBox>
#include <QDoubleSpinBox>
#include <QFrame>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QToolButton>

namespace zirko::test {

struct TOptionsControls {
    // The dialog whose controls these are.
    const QObject& Window;
    QToolButton* ButtonFolder = Named<QToolButton>(Window, "ButtonFolder");
    QLabel* LabelRoot = Named<QLabel>(Window, "LabelRoot");
    QComboBox* ComboBoxCOM = Named<QComboBox>(Window, "ComboBoxCOM");
    QLineEdit* EditDefFileName = Named<QLineEdit>(Window, "EditDefFileName");
    QLabel* LabelMarker = Named<QLabel>(Window, "LabelMarker");
    QLineEdit* MarkerEdit = Named<QLineEdit>(Window, "MarkerEdit");
    QGroupBox* GroupAnalysis = Named<QGroupBox>(Window, "GroupAnalysis");
    QComboBox* ComboBoxRules = Named<QComboBox>(Window, "ComboBoxRules");
    QDoubleSpinBox* EditMotorThreshold = Named<QDoubleSpinBox>(Window, "EditMotorThreshold");
    QDoubleSpinBox* EditAlesHeight = Named<QDoubleSpinBox>(Window, "EditAlesHeight");
    QDoubleSpinBox* EditLowVoltage = Named<QDoubleSpinBox>(Window, "EditLowVoltage");
    QGroupBox* GroupModels = Named<QGroupBox>(Window, "GroupModels");
    QListWidget* ListModels = Named<QListWidget>(Window, "ListModels");
    QLineEdit* EditModelName = Named<QLineEdit>(Window, "EditModelName");
    QPushButton* ButtonModelAdd = Named<QPushButton>(Window, "ButtonModelAdd");
    QPushButton* ButtonModelRename = Named<QPushButton>(Window, "ButtonModelRename");
    QPushButton* ButtonModelRemove = Named<QPushButton>(Window, "ButtonModelRemove");
    QComboBox* ComboModelRules = Named<QComboBox>(Window, "ComboModelRules");
    QLineEdit* EditModelMotorThreshold = Named<QLineEdit>(Window, "EditModelMotorThreshold");
    QLineEdit* EditModelAlesHeight = Named<QLineEdit>(Window, "EditModelAlesHeight");
    QLineEdit* EditModelLowVoltage = Named<QLineEdit>(Window, "EditModelLowVoltage");
    QFrame* PanelBottom = Named<QFrame>(Window, "PanelBottom");
    QPushButton* ButtonOK = Named<QPushButton>(Window, "ButtonOK");
    QPushButton* ButtonCancel = Named<QPushButton>(Window, "ButtonCancel");
};

} // namespace zirko::test
