// The device window: connect to the logger, download and erase its memory, edit its configuration.
#pragma once

#include "core/device/ConfigRecord.h"

#include <QDialog>
#include <QStringList>
#include <cstdint>
#include <functional>
#include <initializer_list>
#include <span>

class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QProgressBar;
class QPushButton;
class QRadioButton;
class QStatusBar;
class QWidget;

namespace zirko {

class TLoggerSession;

enum class TLampColour { Red, Yellow, Green };

// A round status lamp: red, yellow or green.
class TStatusLamp : public QWidget {
    Q_OBJECT
public:
    explicit TStatusLamp(QWidget* parent = nullptr);
    void SetColour(const QColor& colour);
    QColor Colour() const { return Current; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QColor Current;
};

// The memory size assumed until the firmware text has been read.
inline constexpr qint64 kDefaultMemorySize = 540672;

class TZirkoComForm : public QDialog {
    Q_OBJECT
public:
    explicit TZirkoComForm(QWidget* parent = nullptr);
    ~TZirkoComForm() override;

    // Options the main window loads and saves. The port is the one chosen in the window last
    // (used for connecting or picked there); while the window is shown, a name set here is what
    // its port field shows.
    QString PortName() const { return Options.PortName; }
    void SetPortName(const QString& name);
    QString DataFolder() const { return Options.DataFolder; }
    void SetDataFolder(const QString& folder) { Options.DataFolder = folder; }
    QString DefaultFileName() const { return Options.DefaultFileName; }
    void SetDefaultFileName(const QString& name) { Options.DefaultFileName = name; }
    int FlightTemperature() const { return Options.FlightTemperature; }
    void SetFlightTemperature(int degrees) { Options.FlightTemperature = degrees; }
    double MarkerThreshold() const { return Options.MarkerThreshold; }
    void SetMarkerThreshold(double threshold) { Options.MarkerThreshold = threshold; }
    // Where downloads keep their raw images (the program's backup folder unless set).
    QString BackupFolder() const { return Options.BackupFolder; }
    void SetBackupFolder(const QString& folder) { Options.BackupFolder = folder; }

    // Shows the window modally; the main window refreshes its folder tree afterwards.
    int Execute();
    TLoggerSession& Session() { return *Link; }
    TConfigImage ConfigImage{};
    qint64 MemorySize = kDefaultMemorySize;
    qint64 UsedBytes = 0;

    void ConfigToControls();
    TSamplePeriod SamplePeriod();
    void UpdateRecordingTime();
    void EnableOperationButtons();
    void EnableConfigControls(bool on);
    void ShowError(const QString& text);
    void SetStatus(const QString& text);
    void SetInitLabel(const QString& text);
    // The label beside the lamp; its hint holds the whole text.
    void SetTopLabel(const QString& text);
    // The bar at `bytes` of `scale`, with the count as its text.
    void ShowProgress(qint64 bytes, qint64 scale);
    void ToggleNumbersStrip();

    // The serial ports the system lists; the port field offers them and the Simulator.
    std::function<QStringList()> ListPorts;

    // Controls.
    QComboBox* ComboPort = nullptr;
    QPushButton* ButtonConnect = nullptr;
    QPushButton* ButtonDisconnect = nullptr;
    TStatusLamp* Lamp = nullptr;
    QLabel* LabelTop = nullptr;
    QPushButton* ButtonReadData = nullptr;
    QPushButton* ButtonErase = nullptr;
    QLabel* LabelInit = nullptr;
    QLabel* LabelData = nullptr;
    QProgressBar* ProgressBar1 = nullptr;
    QWidget* PanelFileName = nullptr;
    QLineEdit* EditFlightTemperature = nullptr;
    QGroupBox* GroupConfig = nullptr;
    QGroupBox* GroupDataLog = nullptr;
    QCheckBox* CheckAltitude = nullptr;
    QCheckBox* CheckRx = nullptr;
    QCheckBox* CheckPower = nullptr;
    QGroupBox* GroupSampling = nullptr;
    QLineEdit* EditMin = nullptr;
    QLineEdit* EditSec = nullptr;
    QLineEdit* EditTenths = nullptr;
    QLabel* LabelRecordingTime = nullptr;
    QGroupBox* GroupStart = nullptr;
    QRadioButton* RadioStartImmediately = nullptr;
    QRadioButton* RadioStartSeconds = nullptr;
    QRadioButton* RadioStartRx = nullptr;
    QRadioButton* RadioStartAltitude = nullptr;
    QLineEdit* EditStartDelay = nullptr;
    QLineEdit* EditStartAltitude = nullptr;
    QGroupBox* GroupFinish = nullptr;
    QRadioButton* RadioFinishPowerOff = nullptr;
    QRadioButton* RadioFinishMinutes = nullptr;
    QRadioButton* RadioFinishRx = nullptr;
    QLineEdit* EditFinishTime = nullptr;
    QLineEdit* EditVoltspy = nullptr;
    QPushButton* ButtonUpload = nullptr;
    QPushButton* ButtonDownloadCfg = nullptr;
    QWidget* PanelNumbers = nullptr;
    QLineEdit* EditNumber[3]{};
    QLabel* LabelFirmware = nullptr;
    QPushButton* ButtonClose = nullptr;
    QStatusBar* StatusBar1 = nullptr;

public slots:
    void ConnectClick();
    void DisconnectClick();
    void ReadDataClick();
    void EraseClick();
    void UploadClick();
    void DownloadCfgClick();
    void CloseClick();

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void reject() override;

private:
    void BuildControls();
    void WireSession();
    void WireEdits();
    void SetLamp(TLampColour colour);
    // Offers the ports found and preselects the stored one, or the first port found when the
    // stored one is not there (the top label says so).
    void FillPortChoice();
    void PortEdited(const QString& text);
    void DataReadingFinished(std::span<const uint8_t> image, qint64 lastDataIndex);
    void StoreWordFromEdit(QLineEdit* edit, size_t offset, int limit);
    void EditLeft(QLineEdit* edit);
    void SetOperationButtons(std::initializer_list<QPushButton*> buttons, bool on);

    struct TOptions {
        QString PortName;
        QString DataFolder;
        QString DefaultFileName;
        int FlightTemperature = 15;
        double MarkerThreshold = 0;
        QString BackupFolder;
    };
    TOptions Options;
    bool ClosingNow = false;
    bool FillingPorts = false;
    QString PortNote; // what the top label says about the port offered
    TLoggerSession* Link = nullptr;
};

} // namespace zirko
