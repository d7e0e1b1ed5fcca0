// The options dialog: root data folder, logger port, default file name, marker threshold, and
// how the flights' events are found.
#pragma once

#include "core/analysis/FlightEvents.h"
#include "core/logbook/ModelProfiles.h"

#include <QDialog>

#include <optional>

class QComboBox;
class QDoubleSpinBox;
class QFrame;
class QGroupBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;
class QToolButton;

namespace zirko {

// What the user accepted; the main window takes these over.
struct TOptionsResult {
    QString RootFolder;
    QString PortName; // as chosen or typed; empty opens the default port
    QString DefaultFileName;
    std::optional<double> MarkerThreshold; // only when the marker box holds a number
    TEventOptions Events;
    // The model profiles were changed and written to the root folder's models.ini.
    bool ModelsWritten = false;
};

class TFormOptions : public QDialog {
    Q_OBJECT
public:
    explicit TFormOptions(QWidget* parent = nullptr);

    // The system's serial ports (the fixed "COM1".."COM4" when it reports none), then the
    // built-in logger simulator.
    static QStringList AvailablePortNames();

    // Fills the dialog before it is shown.
    void Fill(const QString& rootFolder, const QString& portName, const QString& defaultFileName,
              double markerThreshold, const TEventOptions& events = {});

    QString RootFolderResult() const { return RootFolder; }
    QString PortNameResult() const;
    QString DefaultFileNameResult() const;
    std::optional<double> MarkerThresholdResult() const;
    TEventOptions EventsResult() const;
    TOptionsResult Result() const;

    // The model profiles of `folder`'s models.ini in the "Models" group, unchanged so far.
    void LoadModels(const QString& folder);
    const std::vector<TModelProfile>& ModelsResult() const { return ShownModels; }
    bool ModelsEdited() const { return ModelsChanged; }
    // Writes the profiles into models.ini of the root folder, keeping what the file holds besides
    // them; false (the message shown) when it could not be written.
    bool WriteModels();

    // Fills and shows the dialog until it is cancelled or accepted with an existing folder;
    // "Invalid directory!" reopens it from the given values.
    static std::optional<TOptionsResult>
    ExecuteOptions(TFormOptions& form, const QString& rootFolder, const QString& portName,
                   const QString& defaultFileName, double markerThreshold,
                   const TEventOptions& events = {});

    // The label text for a folder: "..." and the last 30 characters of a longer path.
    static QString ShortFolderText(const QString& path);

    // Chooses the root folder through the folder dialog.
    void ChooseFolder();

signals:
    // Sent as soon as a folder is chosen, even if the dialog is cancelled afterwards, so the
    // folder watcher can follow at once.
    void FolderChosen(const QString& folder);

protected:
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QToolButton* ButtonFolder = nullptr;
    QLabel* LabelRoot = nullptr;
    QComboBox* ComboBoxCOM = nullptr;
    QLineEdit* EditDefFileName = nullptr;
    QLabel* LabelMarker = nullptr;
    QLineEdit* MarkerEdit = nullptr;
    // The "Analysis" group: the contest rules and what the flights' events are found by.
    QGroupBox* GroupAnalysis = nullptr;
    QComboBox* ComboBoxRules = nullptr;
    QDoubleSpinBox* EditMotorThreshold = nullptr;
    QDoubleSpinBox* EditAlesHeight = nullptr;
    QDoubleSpinBox* EditLowVoltage = nullptr; // 0 reads "off"
    // The "Models" group: the data folder's model profiles. An empty box or "(general)" takes
    // the value of the "Analysis" group.
    QGroupBox* GroupModels = nullptr;
    QListWidget* ListModels = nullptr;
    QLineEdit* EditModelName = nullptr;
    QPushButton* ButtonModelAdd = nullptr;
    QPushButton* ButtonModelRename = nullptr;
    QPushButton* ButtonModelRemove = nullptr;
    QComboBox* ComboModelRules = nullptr;
    QLineEdit* EditModelMotorThreshold = nullptr;
    QLineEdit* EditModelAlesHeight = nullptr;
    QLineEdit* EditModelLowVoltage = nullptr;
    QFrame* PanelBottom = nullptr;
    QPushButton* ButtonOK = nullptr;
    QPushButton* ButtonCancel = nullptr;

    void UpdateRootLabel();
    void MarkerEditExit();
    QGroupBox* BuildModelsGroup();
    void ShowModels(int select);
    void ShowModelValues();
    void AddModel();
    void RenameModel();
    void RemoveModel();
    void ModelRulesChosen();
    // Takes a value box into the selected profile; a text that is no number is told and undone.
    void ModelValueExit(QLineEdit* edit);
    TModelProfile* SelectedModel();

    QString RootFolder;
    double MarkerThreshold = 0;
    // The event options as filled in, and what their boxes showed then.
    TEventOptions ShownEvents;
    struct TFilledBoxes {
        int Rules = 0;
        double MotorThreshold = 0;
        double AlesHeight = 0;
        double LowVoltage = 0;
    } FilledEvents;
    std::vector<TModelProfile> ShownModels;
    bool ModelsChanged = false;
    bool ShowingModel = false; // the boxes are being filled, not edited
};

} // namespace zirko
