#include "gui/device/ZirkoComForm.h"

#include "core/app/NumberFormat.h"
#include "core/device/LoggerProtocol.h"
#include "core/device/PortChoice.h"
#include "gui/services/KeyFilter.h"
#include "gui/services/UserDialogs.h"
#include "platform/files/AppPaths.h"
#include "platform/files/DownloadSave.h"
#include "platform/serial/LoggerSession.h"
#include "platform/serial/SerialPort.h"

#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLayout>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QSignalBlocker>
#include <QStatusBar>
#include <algorithm>

namespace zirko {

TZirkoComForm::TZirkoComForm(QWidget* parent) : QDialog(parent)
{
    setObjectName("ZirkoComForm");
    setWindowTitle(kDeviceCaptionFirst);
    Options.BackupFolder = DefaultBackupDir();
    ListPorts = SystemPortNames;
    Link = new TLoggerSession(this);
    BuildControls(this);
    ShowProgress(0, MemorySize);
    WireButtons();
    WireSession();
    WireEdits();
    WireModes();
}

TZirkoComForm::~TZirkoComForm()
{
    Link->Close();
}

void TZirkoComForm::WireButtons()
{
    connect(ComboPort, &QComboBox::currentTextChanged, this, &TZirkoComForm::PortEdited);
    connect(ButtonConnect, &QPushButton::clicked, this, &TZirkoComForm::ConnectClick);
    connect(ButtonDisconnect, &QPushButton::clicked, this, &TZirkoComForm::DisconnectClick);
    connect(ButtonReadData, &QPushButton::clicked, this, &TZirkoComForm::ReadDataClick);
    connect(ButtonErase, &QPushButton::clicked, this, &TZirkoComForm::EraseClick);
    connect(ButtonUpload, &QPushButton::clicked, this, &TZirkoComForm::UploadClick);
    connect(ButtonDownloadCfg, &QPushButton::clicked, this, &TZirkoComForm::DownloadCfgClick);
    connect(ButtonClose, &QPushButton::clicked, this, &TZirkoComForm::CloseClick);
}

void TZirkoComForm::WireSession()
{
    connect(Link, &TLoggerSession::StatusText, this, &TZirkoComForm::SetStatus);
    connect(Link, &TLoggerSession::ConnectFailed, this, &TZirkoComForm::SetTopLabel);
    connect(Link, &TLoggerSession::PortOpened, this, &TZirkoComForm::ApplyState);
    connect(Link, &TLoggerSession::WaitingActivity, this, [this](qint64 bytesHeard) {
        SetInitLabel(QString::fromStdString(WaitingDots(bytesHeard)));
    });
    connect(Link, &TLoggerSession::Connected, this, [this] {
        ApplyState();
        SetInitLabel(QString());
    });
    connect(Link, &TLoggerSession::Progress, this, [this](qint64 bytes, bool ended) {
        // The bar after a download shows the data's count; DownloadFinished sets it.
        if (!ended)
            ShowProgress(bytes, MemorySize);
        LabelData->setText(QString("Number of bytes read: %1").arg(bytes));
    });
    connect(Link, &TLoggerSession::Firmware, this,
            [this](const QString& text, qint64 memorySize, bool received) {
                if (received)
                    LabelFirmware->setText(text);
                MemorySize = memorySize;
                ShowProgress(0, MemorySize);
            });
    connect(Link, &TLoggerSession::Configuration, this,
            [this](const QByteArray& image, bool usable) {
                if (usable) {
                    ConfigUsable = true;
                    ApplyState();
                }
                for (size_t i = 0; i < kConfigSize && i < static_cast<size_t>(image.size()); ++i)
                    ConfigImage[i] = static_cast<uint8_t>(image[static_cast<qsizetype>(i)]);
                ConfigToControls();
            });
    connect(Link, &TLoggerSession::CommandFinished, this, [this](const QString&, bool goesOn) {
        // A command that does not go on ends the connection, which resets the controls.
        if (!goesOn)
            return;
        Operation.clear();
        ApplyState();
    });
    connect(Link, &TLoggerSession::Busy, this, [](bool busy) {
        if (busy)
            QApplication::setOverrideCursor(Qt::WaitCursor);
        else
            while (QApplication::overrideCursor())
                QApplication::restoreOverrideCursor();
    });
    connect(Link, &TLoggerSession::Failed, this, &TZirkoComForm::ShowError);
    connect(Link, &TLoggerSession::DownloadStarted, this, &TZirkoComForm::SetTopLabel);
    connect(Link, &TLoggerSession::DownloadFinished, this,
            [this](std::span<const uint8_t> image, qint64 lastDataIndex, qint64 usedBytes,
                   qint64 dataBytes) {
                // The end of the data tells how much of the memory is in use: that is all of
                // it, so the bar is full; it shows the count of the data label.
                ShowProgress(dataBytes, dataBytes);
                SetTopLabel(" ");
                UsedBytes = usedBytes;
                UpdateRecordingTime();
                DataReadingFinished(image, lastDataIndex);
            });
    connect(Link, &TLoggerSession::Disconnected, this,
            [this](TConnectionEnd ending, const QString& text) {
                if (ending != TConnectionEnd::Closing) {
                    SetStatus(text);
                    SetTopLabel(text);
                }
                Ended = true;
                ApplyState();
            });
    connect(Link, &TLoggerSession::ConnectionClosed, this, [this] {
        // The next logger may carry other firmware.
        LabelFirmware->setText(kFirmwareCaption);
        Operation.clear();
        ConfigUsable = false;
        ApplyState();
    });
}

namespace {

// The questions and reports of saving a download, shown by the device window.
class TWindowSaveUi final : public TFlightSaveUi {
public:
    explicit TWindowSaveUi(TZirkoComForm& form) : Form(form) {}
    TOverwriteAnswer AskOverwrite(const TOverwriteQuestion& question) override
    {
        // In the order of TOverwriteAnswer; Keep both loses nothing, Esc skips only this flight.
        const QStringList buttons{"Keep both", "Rewrite", "Rewrite all", "Skip"};
        const int chosen =
            Dialogs().AskChoice(&Form, QString::fromStdString(question.Text), buttons, 0, 3);
        return static_cast<TOverwriteAnswer>(std::clamp(chosen, 0, 3));
    }
    void FlightAlreadySaved(const std::string& fileName) override
    {
        Form.SetStatus(QString::fromStdString(AlreadySavedText(fileName)));
    }
    void FlightsFound(size_t count) override
    {
        Form.SetStatus(QString::fromStdString(ReadingFinishedText(count)));
    }
    void FlightNotSaved(const std::string& reason) override
    {
        Form.ShowError(QString::fromStdString(reason));
    }
    void FilesWritten(int count) override
    {
        Form.SetInitLabel(QString::fromStdString(SavedSoFarText(count)));
    }
    void SaveFinished(const std::string& countText, const std::string& backupPath) override
    {
        Dialogs().ShowInformation(&Form, QString::fromStdString(countText + BackupNote(backupPath)),
                                  "Yes");
    }

private:
    TZirkoComForm& Form;
};

} // namespace

void TZirkoComForm::DataReadingFinished(std::span<const uint8_t> image, qint64 lastDataIndex)
{
    TDownloadSaveOptions options;
    options.DataFolder = Options.DataFolder.toStdString();
    options.FileName = Options.DefaultFileName.toStdString();
    options.BackupFolder = Options.BackupFolder.toStdString();
    // A flight the logbook already has anywhere in the data folder is not saved a second time.
    options.SkipKnown = true;
    options.Analysis = Options.Analysis;
    TDownloadSave job(options);
    TWindowSaveUi ui(*this);
    const TSplitResult result = job.Run(image, lastDataIndex, ui);
    // An empty name became "Block" on saving: the main window keeps that.
    Options.DefaultFileName = QString::fromStdString(job.FileNameAfter(result));
    if (!result.Error.empty()) {
        ShowError(QString::fromStdString(result.Error + BackupNote(result.BackupPath)));
        Link->Disconnect();
    }
}

void TZirkoComForm::SetStatus(const QString& text)
{
    StatusBar1->showMessage(text);
}

void TZirkoComForm::SetTopLabel(const QString& text)
{
    LabelTop->setText(text);
    LabelTop->setToolTip(text.trimmed());
}

void TZirkoComForm::ShowProgress(qint64 bytes, qint64 scale)
{
    // An empty download still fills the bar: it has ended.
    const qint64 maximum = std::max<qint64>(scale, 1);
    ProgressBar1->setRange(0, static_cast<int>(maximum));
    ProgressBar1->setValue(static_cast<int>(scale > 0 ? std::min(bytes, maximum) : maximum));
    ProgressBar1->setFormat(QString("%1 bytes").arg(bytes));
}

void TZirkoComForm::SetInitLabel(const QString& text)
{
    LabelInit->setText(text);
}

void TZirkoComForm::ShowError(const QString& text)
{
    Dialogs().ShowError(this, text);
}

void TZirkoComForm::StoreWordFromEdit(QLineEdit* edit, size_t offset, int limit)
{
    if (edit->text().isEmpty())
        return;
    const TWordEdit value = ParseWordEdit(edit->text().toStdString(), limit);
    if (!value.Error.empty()) {
        ShowError(QString::fromStdString(value.Error));
        return;
    }
    if (value.Clamped) {
        edit->setText(QString::number(limit));
        return; // the new text stores the limit
    }
    SetConfigWord(ConfigImage, offset, static_cast<uint16_t>(value.Value));
}

void TZirkoComForm::WireEdits()
{
    // Digits only (the voltspy edit also "."), plus the keys that type nothing.
    for (QLineEdit* e : {EditMin, EditSec, EditTenths, EditStartDelay, EditStartAltitude,
                         EditFinishTime, EditNumber[0], EditNumber[1], EditNumber[2]})
        InstallKeyFilter(e, QString());
    InstallKeyFilter(EditVoltspy, ".");
    for (QLineEdit* e :
         {EditMin, EditSec, EditTenths, EditStartDelay, EditStartAltitude, EditFinishTime,
          EditVoltspy, EditNumber[0], EditNumber[1], EditNumber[2], EditFlightTemperature})
        e->installEventFilter(this);

    for (QLineEdit* e : {EditMin, EditSec, EditTenths})
        connect(e, &QLineEdit::textChanged, this, [this](const QString& text) {
            if (text.isEmpty())
                return;
            if (!ParseInteger(text.toStdString())) {
                ShowError(QString::fromStdString(ConversionErrorText(text.toStdString())));
                return;
            }
            UpdateRecordingTime();
        });
    connect(EditStartDelay, &QLineEdit::textChanged, this,
            [this] { StoreWordFromEdit(EditStartDelay, cfg::kStartDelay, cfg::kMaxStartDelay); });
    connect(EditStartAltitude, &QLineEdit::textChanged, this, [this] {
        StoreWordFromEdit(EditStartAltitude, cfg::kStartAltitude, cfg::kMaxStartAltitude);
    });
    connect(EditFinishTime, &QLineEdit::textChanged, this,
            [this] { StoreWordFromEdit(EditFinishTime, cfg::kFinishTime, cfg::kMaxFinishTime); });
    connect(EditVoltspy, &QLineEdit::textChanged, this, [this](const QString& text) {
        if (text.isEmpty())
            return;
        auto kept = StoreVoltspy(ConfigImage, text.toStdString());
        if (!kept) {
            ShowError("Invalid input value");
            return;
        }
        if (*kept < ParseStrictNumber(text.toStdString()).value_or(*kept))
            EditVoltspy->setText("9.8");
    });
    const size_t numberOffsets[3] = {cfg::kNumber1, cfg::kNumber2, cfg::kNumber3};
    for (int i = 0; i < 3; ++i)
        connect(EditNumber[i], &QLineEdit::textChanged, this,
                [this, offset = numberOffsets[i]](const QString& text) {
                    if (text.isEmpty())
                        return;
                    if (!StoreNumber(ConfigImage, offset, text.toStdString()))
                        ShowError(QString::fromStdString(ConversionErrorText(text.toStdString())));
                });

    auto logFlag = [this](QCheckBox* box, size_t offset) {
        connect(box, &QCheckBox::toggled, this, [this, offset](bool on) {
            ConfigImage[offset] = on ? 1 : 0;
            UpdateRecordingTime();
        });
    };
    logFlag(CheckAltitude, cfg::kLogAltitude);
    logFlag(CheckRx, cfg::kLogRx);
    logFlag(CheckPower, cfg::kLogPower);
}

std::array<TZirkoComForm::TModeChoice<TStartMode>, 4> TZirkoComForm::StartChoices() const
{
    return {{{RadioStartImmediately, TStartMode::Immediately},
             {RadioStartSeconds, TStartMode::SecondsAfterPowerOn, EditStartDelay, cfg::kStartDelay,
              cfg::kMaxStartDelay},
             {RadioStartRx, TStartMode::ByRx},
             {RadioStartAltitude, TStartMode::AboveAltitude, EditStartAltitude, cfg::kStartAltitude,
              cfg::kMaxStartAltitude}}};
}

std::array<TZirkoComForm::TModeChoice<TFinishMode>, 3> TZirkoComForm::FinishChoices() const
{
    return {{{RadioFinishPowerOff, TFinishMode::PowerOff},
             {RadioFinishMinutes, TFinishMode::MinutesAfterPowerOn, EditFinishTime,
              cfg::kFinishTime, cfg::kMaxFinishTime},
             {RadioFinishRx, TFinishMode::ByRx}}};
}

void TZirkoComForm::WireModes()
{
    // A mode that needs a value takes the one its edit shows when it is chosen.
    for (const auto& choice : StartChoices())
        connect(choice.Radio, &QRadioButton::toggled, this, [this, choice](bool on) {
            if (!on)
                return;
            if (choice.Edit)
                StoreWordFromEdit(choice.Edit, choice.Offset, choice.Limit);
            SetStartMode(ConfigImage, choice.Mode);
        });
    for (const auto& choice : FinishChoices())
        connect(choice.Radio, &QRadioButton::toggled, this, [this, choice](bool on) {
            if (!on)
                return;
            if (choice.Edit)
                StoreWordFromEdit(choice.Edit, choice.Offset, choice.Limit);
            SetFinishMode(ConfigImage, choice.Mode);
        });
}

bool TZirkoComForm::eventFilter(QObject* watched, QEvent* event)
{
    auto* edit = qobject_cast<QLineEdit*>(watched);
    if (!edit)
        return QDialog::eventFilter(watched, event);
    if (event->type() == QEvent::KeyPress) {
        auto* key = static_cast<QKeyEvent*>(event);
        if (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) {
            QWidget* next = edit == EditMin      ? static_cast<QWidget*>(EditSec)
                            : edit == EditSec    ? static_cast<QWidget*>(EditTenths)
                            : edit == EditTenths ? static_cast<QWidget*>(RadioStartImmediately)
                            : edit == EditFlightTemperature ? static_cast<QWidget*>(EditMin)
                                                            : nullptr;
            if (next) {
                next->setFocus();
                return true;
            }
        }
    } else if (event->type() == QEvent::FocusOut && !ClosingNow) {
        // Leaving is handled once the edit has lost the focus for good, so that a message box
        // opened here does not find the focus change half done.
        QMetaObject::invokeMethod(
            this, [this, edit] { EditLeft(edit); }, Qt::QueuedConnection);
    }
    return QDialog::eventFilter(watched, event);
}

void TZirkoComForm::EditLeft(QLineEdit* edit)
{
    if (ClosingNow)
        return;
    if (edit == EditFlightTemperature) {
        const auto degrees = ParseFlightTemperature(edit->text().toStdString());
        if (degrees) {
            Options.FlightTemperature = *degrees;
            if (edit->text().trimmed().isEmpty())
                edit->setText("0");
        } else {
            edit->setText(QString::number(Options.FlightTemperature));
            ShowError("Flight Temperature must be an integer between -30 and 60.");
        }
        return;
    }
    if (edit->text().isEmpty())
        edit->setText("0");
    for (QLineEdit* number : EditNumber) {
        if (edit != number)
            continue;
        auto value = ParseInteger(edit->text().toStdString());
        if (value && (*value < 0 || *value > 65535)) {
            Dialogs().ShowMessage(this, "Number must be 0..65535!");
            edit->setFocus();
        }
    }
}

void TZirkoComForm::ConfigToControls()
{
    const TConfigView v = ConfigToView(ConfigImage);
    for (QLineEdit* e : {EditMin, EditSec, EditTenths})
        e->setText("0");
    EditTenths->setText(QString::number(v.Tenths));
    EditSec->setText(QString::number(v.Seconds));
    EditMin->setText(QString::number(v.Minutes));
    CheckAltitude->setChecked(v.Altitude);
    CheckRx->setChecked(v.Rx);
    CheckPower->setChecked(v.Power);
    EditStartDelay->setText(QString::number(v.StartDelay));
    EditStartAltitude->setText(QString::number(v.StartAltitude));
    // A mode byte of no known value leaves the choice as it was.
    for (const auto& choice : StartChoices())
        if (choice.Mode == v.StartMode)
            choice.Radio->setChecked(true);
    EditFinishTime->setText(QString::number(v.FinishTime));
    for (const auto& choice : FinishChoices())
        if (choice.Mode == v.FinishMode)
            choice.Radio->setChecked(true);
    EditVoltspy->setText(QString::fromStdString(v.Voltspy));
    EditNumber[0]->setText(QString::number(v.Number1));
    EditNumber[1]->setText(QString::number(v.Number2));
    EditNumber[2]->setText(QString::number(v.Number3));
    // The period goes back through the edits, dropping parts below a tenth of a second.
    UpdateRecordingTime();
}

TSamplePeriod TZirkoComForm::SamplePeriod()
{
    auto number = [](QLineEdit* e) { return ParseInteger(e->text().toStdString()).value_or(0); };
    const TSamplePeriod p =
        StoreSamplePeriod(ConfigImage, number(EditMin), number(EditSec), number(EditTenths));
    if (p.Capped) {
        ShowError("Max Sample rate is 10min");
        // The record holds 60000 already; the edits follow without recomputing it.
        const QSignalBlocker blockMin(EditMin), blockSec(EditSec), blockTenths(EditTenths);
        EditMin->setText("10");
        EditSec->setText("0");
        EditTenths->setText("0");
    }
    return p;
}

void TZirkoComForm::UpdateRecordingTime()
{
    const int channels = LoggedChannels(ConfigImage);
    const TSamplePeriod p = SamplePeriod();
    LabelRecordingTime->setText(QString::fromStdString(
        RecordingTimeText(RecordingSeconds(channels, p.Milliseconds(), MemorySize, UsedBytes))));
}

void TZirkoComForm::EnableConfigControls(bool on)
{
    for (QWidget* w : std::initializer_list<QWidget*>{CheckAltitude,
                                                      CheckRx,
                                                      CheckPower,
                                                      EditMin,
                                                      EditSec,
                                                      EditTenths,
                                                      RadioStartImmediately,
                                                      RadioStartSeconds,
                                                      RadioStartRx,
                                                      RadioStartAltitude,
                                                      EditStartDelay,
                                                      EditStartAltitude,
                                                      RadioFinishPowerOff,
                                                      RadioFinishMinutes,
                                                      RadioFinishRx,
                                                      EditFinishTime,
                                                      EditVoltspy,
                                                      EditNumber[0],
                                                      EditNumber[1],
                                                      EditNumber[2]})
        w->setEnabled(on);
}

TDeviceWindowState TZirkoComForm::State() const
{
    TDeviceWindowState state;
    state.PortOpen = Link->PortOpen();
    state.DeviceConnected = Link->DeviceConnected();
    state.Pending = Link->PendingCommand().toStdString();
    state.Operation = Operation;
    state.ConfigUsable = ConfigUsable;
    state.Ended = Ended;
    return state;
}

void TZirkoComForm::ApplyState()
{
    const TDeviceWindowControls c = DeviceWindowControls(State());
    ButtonConnect->setEnabled(c.Connect);
    ComboPort->setEnabled(c.PortChoice);
    ButtonDisconnect->setEnabled(c.Disconnect);
    ButtonReadData->setEnabled(c.ReadData);
    ButtonErase->setEnabled(c.Erase);
    ButtonUpload->setEnabled(c.Upload);
    ButtonDownloadCfg->setEnabled(c.DownloadCfg);
    ButtonClose->setEnabled(c.Close);
    EnableConfigControls(c.ConfigEdits);
    Lamp->SetColour(c.Lamp);
    setWindowTitle(QString::fromStdString(c.Caption));
}

void TZirkoComForm::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    ClosingNow = false;
    ApplyState();
    SetTopLabel(" ");
    FillPortChoice();
    LabelInit->clear();
    LabelData->clear();
    LabelFirmware->setText(kFirmwareCaption);
    ShowProgress(0, MemorySize);
    EditFlightTemperature->setText(QString::number(Options.FlightTemperature));
    SetStatus("Zirko not connected.");
    if (QScreen* screen = this->screen())
        move(screen->availableGeometry().center() - rect().center());
}

int TZirkoComForm::Execute()
{
    return exec();
}

void TZirkoComForm::SetPortName(const QString& name)
{
    Options.PortName = name;
    if (!isVisible())
        return;
    FillingPorts = true;
    const int listed = ComboPort->findText(name);
    if (listed >= 0)
        ComboPort->setCurrentIndex(listed);
    else
        ComboPort->setEditText(name);
    FillingPorts = false;
}

void TZirkoComForm::FillPortChoice()
{
    const QStringList found = ListPorts ? ListPorts() : QStringList();
    std::vector<std::string> names;
    for (const QString& name : found)
        names.push_back(name.toStdString());
    const bool present = found.contains(Options.PortName) || PortPresent(Options.PortName);
    const TPortChoice choice = ChoosePort(Options.PortName.toStdString(), names, present);
    FillingPorts = true;
    ComboPort->clear();
    ComboPort->addItems(found);
    ComboPort->addItem(kSimulatorPortName);
    const QString port = QString::fromStdString(choice.Port);
    const int listed = ComboPort->findText(port);
    if (listed >= 0)
        ComboPort->setCurrentIndex(listed);
    else
        ComboPort->setEditText(port);
    FillingPorts = false;
    // The stored port stays in the settings until another one is used or chosen.
    PortNote = QString::fromStdString(choice.Note);
    if (!PortNote.isEmpty())
        SetTopLabel(PortNote);
}

void TZirkoComForm::PortEdited(const QString& text)
{
    if (FillingPorts)
        return;
    Options.PortName = text.trimmed();
    // The note was about the port offered; the user has chosen now.
    if (!PortNote.isEmpty() && LabelTop->text() == PortNote)
        SetTopLabel(" ");
    PortNote.clear();
}

void TZirkoComForm::ConnectClick()
{
    if (Link->PortOpen())
        return;
    Options.PortName = ComboPort->currentText().trimmed();
    Link->SetPortName(Options.PortName);
    Link->Connect();
}

void TZirkoComForm::DisconnectClick()
{
    Link->Disconnect();
    SetStatus(kMsgDisconnected);
    SetTopLabel(kMsgDisconnected);
    Ended = true;
    ApplyState();
}

void TZirkoComForm::StartOperation(const char* letter, const std::function<void()>& command)
{
    // The buttons change before the command goes out: its reply may be handled at once.
    Operation = letter;
    ApplyState();
    // A command refused (not connected, nothing read to upload) leaves nothing in hand.
    command();
    if (Link->PendingCommand().isEmpty() && Operation == letter) {
        Operation.clear();
        ApplyState();
    }
}

void TZirkoComForm::ReadDataClick()
{
    if (Link->PortOpen()) {
        // The counts of the last download do not describe this one.
        LabelInit->clear();
        SetTopLabel(QString());
    }
    StartOperation("D", [this] { Link->ReadData(); });
}

void TZirkoComForm::EraseClick()
{
    // Erasing loses every flight not yet downloaded: Enter answers No. Without a connection the
    // session refuses at once and nothing is asked.
    if (Link->PortOpen()) {
        if (Dialogs().AskYesNo(this, "Erase memory?", true, TAnswer::No) != TAnswer::Yes)
            return;
        LabelInit->clear();
    }
    StartOperation("E", [this] { Link->EraseMemory(); });
}

void TZirkoComForm::UploadClick()
{
    StartOperation("W", [this] {
        Link->UploadConfig(QByteArray(reinterpret_cast<const char*>(ConfigImage.data()),
                                      static_cast<qsizetype>(ConfigImage.size())));
    });
}

void TZirkoComForm::DownloadCfgClick()
{
    StartOperation("R", [this] { Link->DownloadConfig(); });
}

void TZirkoComForm::CloseClick()
{
    if (!Link->PendingCommand().isEmpty() &&
        Dialogs().AskYesNo(this, "Are you sure to break current operation?") != TAnswer::Yes)
        return;
    ClosingNow = true;
    Link->Close();
    Ended = true;
    ApplyState();
    done(QDialog::Accepted);
}

void TZirkoComForm::reject()
{
    // Esc and the window's close button go the way of the Close button.
    CloseClick();
}

void TZirkoComForm::closeEvent(QCloseEvent* event)
{
    // The title bar's close button asks like the Close button does.
    if (!ClosingNow)
        CloseClick();
    if (ClosingNow)
        event->accept();
    else
        event->ignore();
}

void TZirkoComForm::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_S &&
        event->modifiers() == (Qt::ControlModifier | Qt::AltModifier)) {
        ToggleNumbersStrip();
        return;
    }
    QDialog::keyPressEvent(event);
}

void TZirkoComForm::ToggleNumbersStrip()
{
    PanelNumbers->setVisible(!PanelNumbers->isVisible());
    layout()->activate();
}

} // namespace zirko
