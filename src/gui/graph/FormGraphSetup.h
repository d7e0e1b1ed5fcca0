// The graph setup dialog: axis ranges, automatic flags, line and symbol styles.
#pragma once

#include "core/graph/GraphSettings.h"

#include <QDialog>

class QLineEdit;
class QCheckBox;
class QComboBox;
class QPushButton;

namespace zirko {

class TFormGraphSetup : public QDialog {
    Q_OBJECT
public:
    explicit TFormGraphSetup(QWidget* parent = nullptr);

    void LoadSettingsToDialog(const TGraphSettings& settings);
    void ReadSettingsFromDialog(TGraphSettings& settings) const;
    TGraphSettings Working; // the record the dialog edits

    QLineEdit* EditAltMin = nullptr;
    QLineEdit* EditAltMax = nullptr;
    QCheckBox* CheckBoxAltAuto = nullptr;
    QComboBox* ComboBoxAltLS = nullptr;
    QComboBox* ComboBoxAltLW = nullptr;
    QLineEdit* EditPSMin = nullptr;
    QLineEdit* EditPSMax = nullptr;
    QCheckBox* CheckBoxPSAuto = nullptr;
    QComboBox* ComboBoxPSLS = nullptr;
    QComboBox* ComboBoxPSLW = nullptr;
    QLineEdit* EditRXMin = nullptr;
    QLineEdit* EditRXMax = nullptr;
    QCheckBox* CheckBoxRXAuto = nullptr;
    QComboBox* ComboBoxRXST = nullptr;
    QComboBox* ComboBoxRXLW = nullptr;
    QLineEdit* EditTMin = nullptr;
    QLineEdit* EditTMax = nullptr;
    QCheckBox* CheckBoxTAuto = nullptr;
    QComboBox* ComboBoxAnnStyl = nullptr;
    QComboBox* ComboBoxAnnSize = nullptr;
    QComboBox* ComboBoxMAStyl = nullptr;
    QComboBox* ComboBoxMarkSize = nullptr;
    QPushButton* ButtonOk = nullptr;
    QPushButton* ButtonCancel = nullptr;
    QPushButton* ButtonDefaults = nullptr;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    struct TAxisControls {
        QLineEdit* Min;
        QLineEdit* Max;
        QCheckBox* Auto;
        QComboBox* Style; // null for the time axis
        QComboBox* Width;
    };
    TAxisControls Axes[4]{};
    bool CheckingNumber = false;
};

// Copies the settings into the dialog, shows it and, on OK, copies the dialog back and marks the
// settings changed. Returns true when the settings were changed.
bool ExecuteGraphSetup(TFormGraphSetup& dialog, TGraphSettings& settings);

} // namespace zirko
