// The import dialog: the flights found in the chosen files, the columns that feed altitude, servo
// and voltage, and the folder the flight files go to.
#pragma once

#include <QDialog>

#include <string>
#include <vector>

class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QTreeWidget;

namespace zirko {

class TImportPlan;

class TFormImport : public QDialog {
    Q_OBJECT
public:
    explicit TFormImport(QWidget* parent = nullptr);

    // Shows the plan's files; a choice of columns is put into the plan at once. The plan must
    // outlive the dialog's use of it.
    void SetPlan(TImportPlan* plan, const QString& folder, char decimalSeparator);
    QString Folder() const;

private:
    QTreeWidget* ListFlights = nullptr; // File, Start, Duration, Samples, Columns
    QLabel* LabelFile = nullptr;        // the file whose columns the boxes show
    QComboBox* ComboAltitude = nullptr;
    QComboBox* ComboServo = nullptr;
    QComboBox* ComboVoltage = nullptr;
    QLineEdit* EditFolder = nullptr;
    QPushButton* ButtonFolder = nullptr;
    QLabel* LabelCount = nullptr;
    QPushButton* ButtonImport = nullptr;
    QPushButton* ButtonCancel = nullptr;

    void ShowPreview();
    void ShowChoice();
    void ChoiceChanged();
    void ChooseFolder();
    void UpdateButtons();
    int CurrentFile() const;

    TImportPlan* Plan = nullptr;
    char Separator = '.';
    int ShownFile = -1;
    std::vector<std::string> ShownColumns; // what the boxes list after their first two entries
    bool Filling = false;
};

} // namespace zirko
