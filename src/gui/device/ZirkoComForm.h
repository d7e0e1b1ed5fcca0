// The device window: connect to the logger, download and erase its memory, edit its configuration.
#pragma once

#include "core/analysis/FlightEvents.h"
#include "core/device/ConfigRecord.h"
#include "core/device/DeviceWindowState.h"
#include "core/device/LoggerProtocol.h"
#include "gui/device/ZirkoComControls.h"

#include <QDialog>
#include <QStringList>
#include <array>
#include <cstdint>
#include <functional>
#include <span>

namespace zirko {

class TLoggerSession;

// The controls stay the window's own; tools and tests find them by their object names.
class TZirkoComForm : public QDialog, private TZirkoComControls {
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
    // How the logbook analyses flights: a download brings the logbook's index up to date with
    // these, so the logbook need not analyse those files again.
    const TEventOptions& EventOptions() const { return Options.Analysis; }
    void SetEventOptions(const TEventOptions& options) { Options.Analysis = options; }

    // Shows the window modally; the main window refreshes its folder tree afterwards.
    int Execute();
    TLoggerSession& Session() { return *Link; }
    TConfigImage ConfigImage{};
    // The logger's memory, as its firmware tells it.
    qint64 MemorySize = kLoggerSmallMemory;
    qint64 UsedBytes = 0;

    void ConfigToControls();
    TSamplePeriod SamplePeriod();
    void UpdateRecordingTime();
    void EnableConfigControls(bool on);
    // What the connection and the command in hand allow: the buttons, the lamp and the caption.
    TDeviceWindowState State() const;
    void ApplyState();
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
    void WireButtons();
    void WireSession();
    void WireEdits();
    void WireModes();
    // Offers the ports found and preselects the stored one, or the first port found when the
    // stored one is not there (the top label says so).
    void FillPortChoice();
    void PortEdited(const QString& text);
    // Runs one of the user's commands through the session; `letter` is its reply letter.
    void StartOperation(const char* letter, const std::function<void()>& command);
    void DataReadingFinished(std::span<const uint8_t> image, qint64 lastDataIndex);
    void StoreWordFromEdit(QLineEdit* edit, size_t offset, int limit);

    // A radio button of the start or finish mode, and the edit whose value its mode needs.
    template <typename TMode> struct TModeChoice {
        QRadioButton* Radio = nullptr;
        TMode Mode{};
        QLineEdit* Edit = nullptr;
        size_t Offset = 0;
        int Limit = 0;
    };
    std::array<TModeChoice<TStartMode>, 4> StartChoices() const;
    std::array<TModeChoice<TFinishMode>, 3> FinishChoices() const;
    void EditLeft(QLineEdit* edit);

    struct TOptions {
        QString PortName;
        QString DataFolder;
        QString DefaultFileName;
        int FlightTemperature = 15;
        double MarkerThreshold = 0;
        QString BackupFolder;
        TEventOptions Analysis;
    };
    TOptions Options;
    bool ClosingNow = false;
    bool FillingPorts = false;
    QString PortNote; // what the top label says about the port offered
    TLoggerSession* Link = nullptr;
    // The user's command whose reply is not handled yet (see TDeviceWindowState).
    std::string Operation;
    bool ConfigUsable = false;
    bool Ended = false;
};

} // namespace zirko
