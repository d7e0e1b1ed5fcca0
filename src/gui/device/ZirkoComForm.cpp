#include "gui/device/ZirkoComForm.h"

#include "core/app/NumberFormat.h"
#include "core/device/LoggerProtocol.h"
#include "core/device/PortChoice.h"
#include "gui/services/KeyFilter.h"
#include "gui/services/UserDialogs.h"
#include "platform/files/AppPaths.h"
#include "platform/files/FlightSaver.h"
#include "platform/files/LogbookIndex.h"
#include "platform/locale/SavingMoment.h"
#include "platform/serial/LoggerSession.h"
#include "platform/serial/SerialPort.h"

#include <QApplication>
#include <QButtonGroup>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QDateTime>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QPainter>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QSignalBlocker>
#include <QStatusBar>
#include <QTextLayout>
#include <QVBoxLayout>
#include <algorithm>

namespace zirko {

namespace {

constexpr int kSpacing = 6;
constexpr int kNumbersStripHeight = 40;
constexpr int kDesignedWidth = 401;
const char* const kFirmwareCaption = "Firmware:";
const char* const kCaptionConnected = "Data Reading / Zirko - Connected";
const char* const kCaptionDisconnected = "Data Reading / Zirko - Disconnected";
// A download of no more than these erased bytes holds no data.
constexpr qint64 kEndOfDataBytes = 5;

const QColor kRed(255, 0, 0);
const QColor kYellow(255, 255, 0);
const QColor kGreen(0, 200, 0);

QLineEdit* MakeEdit(QWidget* parent, const char* name, const QString& text, int width = 48)
{
    auto* e = new QLineEdit(text, parent);
    e->setObjectName(name);
    e->setFixedWidth(width);
    return e;
}

// Lines of the top label. It runs under the buttons and the lamp across the whole window, so
// failure texts with long device paths fit whole, and the window never resizes or moves.
constexpr int kTopLabelLines = 2;

// The top label wraps anywhere (device paths have no blanks) and elides what does not fit;
// the whole text stays in its hint.
class TTopLabel final : public QLabel {
public:
    explicit TTopLabel(QWidget* parent) : QLabel(" ", parent)
    {
        setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Fixed);
        setFixedHeight(fontMetrics().lineSpacing() * kTopLabelLines + 2);
    }

protected:
    void changeEvent(QEvent* event) override
    {
        if (event->type() == QEvent::FontChange)
            setFixedHeight(fontMetrics().lineSpacing() * kTopLabelLines + 2);
        QLabel::changeEvent(event);
    }
    void paintEvent(QPaintEvent*) override
    {
        const QString shown = text().trimmed();
        const QRect area = contentsRect();
        const QFontMetrics metrics(font());
        const int lineHeight = metrics.lineSpacing();
        const int maxLines = std::max(1, area.height() / lineHeight);
        QTextLayout layout(shown, font());
        QTextOption option;
        option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
        layout.setTextOption(option);
        layout.beginLayout();
        for (int n = 0; n < maxLines; ++n) {
            QTextLine line = layout.createLine();
            if (!line.isValid())
                break;
            line.setLineWidth(area.width());
            line.setPosition(QPointF(0, n * lineHeight));
        }
        layout.endLayout();
        QPainter p(this);
        p.setPen(palette().color(QPalette::WindowText));
        for (int i = 0; i < layout.lineCount(); ++i) {
            const QTextLine line = layout.lineAt(i);
            const bool last = i == layout.lineCount() - 1;
            if (last && line.textStart() + line.textLength() < shown.size()) {
                const QString rest = shown.mid(line.textStart());
                p.drawText(QPointF(area.left(), area.top() + line.y() + metrics.ascent()),
                           metrics.elidedText(rest, Qt::ElideRight, area.width()));
            } else {
                line.draw(&p, area.topLeft());
            }
        }
    }
};

} // namespace

TStatusLamp::TStatusLamp(QWidget* parent) : QWidget(parent), Current(kRed)
{
    setFixedSize(18, 18);
}

void TStatusLamp::SetColour(const QColor& colour)
{
    Current = colour;
    update();
}

void TStatusLamp::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(Qt::darkGray, 1));
    p.setBrush(Current);
    p.drawEllipse(QRectF(1.5, 1.5, width() - 3, height() - 3));
}

TZirkoComForm::TZirkoComForm(QWidget* parent) : QDialog(parent)
{
    setObjectName("ZirkoComForm");
    setWindowTitle("Data Reading");
    Options.BackupFolder = DefaultBackupDir();
    ListPorts = SystemPortNames;
    Link = new TLoggerSession(this);
    BuildControls();
    WireSession();
    WireEdits();
}

TZirkoComForm::~TZirkoComForm()
{
    Link->Close();
}

void TZirkoComForm::BuildControls()
{
    QFont groupFont = font();
    groupFont.setBold(true);
    groupFont.setPointSize(groupFont.pointSize() + 3);
    auto group = [this, &groupFont](const char* title, const char* name) {
        auto* g = new QGroupBox(title, this);
        g->setObjectName(name);
        g->setFont(groupFont);
        return g;
    };
    // Explicit attributes, so that the controls do not inherit their group's bold title font.
    QFont normalFont = font();
    normalFont.setBold(false);
    normalFont.setPointSize(font().pointSize());
    auto normal = [normalFont](QWidget* w) { w->setFont(normalFont); };

    ButtonConnect = new QPushButton("Connect", this);
    ButtonConnect->setToolTip("Push Connect button and then power-up Zirko device.");
    ButtonDisconnect = new QPushButton("Disconnect", this);
    Lamp = new TStatusLamp(this);
    LabelTop = new TTopLabel(this);
    LabelTop->setObjectName("LabelTop");
    // The port to connect to: one the system lists, the Simulator, or a typed device path (the
    // system lists no pseudo-terminals).
    auto* portLabel = new QLabel("Port:", this);
    ComboPort = new QComboBox(this);
    ComboPort->setObjectName("ComboPort");
    ComboPort->setEditable(true);
    ComboPort->setInsertPolicy(QComboBox::NoInsert);
    ComboPort->setCompleter(nullptr);
    // Its width does not follow the names, so the window keeps its size and place.
    ComboPort->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    ComboPort->setMinimumContentsLength(12);
    portLabel->setBuddy(ComboPort);
    auto* top = new QHBoxLayout;
    top->addWidget(ButtonConnect);
    top->addWidget(ButtonDisconnect);
    top->addWidget(Lamp);
    top->addSpacing(kSpacing);
    top->addWidget(portLabel);
    top->addWidget(ComboPort, 1);

    auto* data = group("Data handling:", "GroupData");
    ButtonReadData = new QPushButton("Read Data", data);
    ButtonReadData->setToolTip("Downloads Data from ZIRKO device");
    ButtonErase = new QPushButton("Erase Memory", data);
    ButtonErase->setToolTip("Erases ZIRKO memory");
    LabelInit = new QLabel(data);
    LabelInit->setObjectName("LabelInit");
    LabelData = new QLabel(data);
    LabelData->setObjectName("LabelData");
    ProgressBar1 = new QProgressBar(data);
    ProgressBar1->setRange(0, static_cast<int>(MemorySize));
    ProgressBar1->setAlignment(Qt::AlignCenter);
    ShowProgress(0, MemorySize);
    auto* dataLayout = new QGridLayout(data);
    dataLayout->addWidget(ButtonReadData, 0, 0);
    dataLayout->addWidget(ButtonErase, 0, 1);
    dataLayout->addWidget(LabelInit, 1, 0, 1, 3);
    dataLayout->addWidget(LabelData, 2, 0, 1, 3);
    dataLayout->addWidget(ProgressBar1, 3, 0, 1, 3);
    auto* zero = new QLabel("0", data);
    auto* maxMem = new QLabel("MaxMem", data);
    dataLayout->addWidget(zero, 4, 0);
    dataLayout->addWidget(maxMem, 4, 2, Qt::AlignRight);
    for (QWidget* w : {static_cast<QWidget*>(ButtonReadData), static_cast<QWidget*>(ButtonErase),
                       static_cast<QWidget*>(LabelInit), static_cast<QWidget*>(LabelData),
                       static_cast<QWidget*>(zero), static_cast<QWidget*>(maxMem)})
        normal(w);

    // The file-name strip with the flight temperature is kept but never shown.
    PanelFileName = new QWidget(this);
    auto* fileLayout = new QHBoxLayout(PanelFileName);
    fileLayout->addWidget(new QLabel("File name:", PanelFileName));
    fileLayout->addWidget(new QLabel("Flight Temperature:", PanelFileName));
    EditFlightTemperature = MakeEdit(PanelFileName, "EditFlightTemperature", "15");
    fileLayout->addWidget(EditFlightTemperature);
    fileLayout->addWidget(new QLabel("°C", PanelFileName));
    PanelFileName->hide();

    GroupConfig = group("Configuration:", "GroupConfig");
    auto* configLayout = new QVBoxLayout(GroupConfig);
    GroupDataLog = new QGroupBox("DataLog:", GroupConfig);
    CheckAltitude = new QCheckBox("Altitude", GroupDataLog);
    CheckRx = new QCheckBox("RX Channel length", GroupDataLog);
    CheckPower = new QCheckBox("Power Supply", GroupDataLog);
    auto* logLayout = new QHBoxLayout(GroupDataLog);
    logLayout->addWidget(CheckAltitude);
    logLayout->addWidget(CheckRx);
    logLayout->addWidget(CheckPower);
    GroupSampling = new QGroupBox("Sampling rate:", GroupConfig);
    EditMin = MakeEdit(GroupSampling, "EditMin", "0");
    EditSec = MakeEdit(GroupSampling, "EditSec", "0");
    EditTenths = MakeEdit(GroupSampling, "EditTenths", "0");
    LabelRecordingTime = new QLabel("0 s", GroupSampling);
    LabelRecordingTime->setObjectName("LabelRecordingTime");
    auto* samplingLayout = new QGridLayout(GroupSampling);
    samplingLayout->addWidget(new QLabel("Min"), 0, 0);
    samplingLayout->addWidget(new QLabel("Sec"), 0, 1);
    samplingLayout->addWidget(new QLabel("0.1sec"), 0, 2);
    samplingLayout->addWidget(EditMin, 1, 0);
    samplingLayout->addWidget(EditSec, 1, 1);
    samplingLayout->addWidget(EditTenths, 1, 2);
    samplingLayout->addWidget(new QLabel("Recording Time available:"), 2, 0, 1, 2);
    samplingLayout->addWidget(LabelRecordingTime, 2, 2);
    GroupStart = new QGroupBox("Recording Start:", GroupConfig);
    RadioStartImmediately = new QRadioButton("Immediately", GroupStart);
    RadioStartSeconds = new QRadioButton("            sec after Power ON", GroupStart);
    RadioStartRx = new QRadioButton("By RX Channel", GroupStart);
    RadioStartAltitude = new QRadioButton("Above Altitude [m]:", GroupStart);
    EditStartDelay = MakeEdit(GroupStart, "EditStartDelay", "0");
    EditStartAltitude = MakeEdit(GroupStart, "EditStartAltitude", "0");
    auto* startLayout = new QGridLayout(GroupStart);
    startLayout->addWidget(RadioStartImmediately, 0, 0);
    startLayout->addWidget(RadioStartSeconds, 1, 0);
    startLayout->addWidget(EditStartDelay, 1, 1);
    startLayout->addWidget(RadioStartRx, 2, 0);
    startLayout->addWidget(RadioStartAltitude, 3, 0);
    startLayout->addWidget(EditStartAltitude, 3, 1);
    RadioStartImmediately->setChecked(true);
    GroupFinish = new QGroupBox("Recording Finish:", GroupConfig);
    RadioFinishPowerOff = new QRadioButton("On Power OFF", GroupFinish);
    RadioFinishMinutes = new QRadioButton("            min after Power ON", GroupFinish);
    RadioFinishRx = new QRadioButton("By RX Channel", GroupFinish);
    EditFinishTime = MakeEdit(GroupFinish, "EditFinishTime", "0");
    auto* finishLayout = new QGridLayout(GroupFinish);
    finishLayout->addWidget(RadioFinishPowerOff, 0, 0);
    finishLayout->addWidget(RadioFinishMinutes, 1, 0);
    finishLayout->addWidget(EditFinishTime, 1, 1);
    finishLayout->addWidget(RadioFinishRx, 2, 0);
    RadioFinishPowerOff->setChecked(true);
    EditVoltspy = MakeEdit(GroupConfig, "EditVoltspy", "0");
    ButtonUpload = new QPushButton("Upload Cfg", GroupConfig);
    ButtonUpload->setToolTip("Uploads configuration to ZIRKO device");
    ButtonDownloadCfg = new QPushButton("Download Cfg", GroupConfig);
    ButtonDownloadCfg->setToolTip("Downloads configuration from ZIRKO device");
    auto* voltRow = new QHBoxLayout;
    voltRow->addWidget(new QLabel("Voltspy Threshold:"));
    voltRow->addWidget(EditVoltspy);
    voltRow->addWidget(new QLabel("V"));
    voltRow->addStretch(1);
    auto* cfgButtons = new QHBoxLayout;
    cfgButtons->addWidget(ButtonUpload);
    cfgButtons->addWidget(ButtonDownloadCfg);
    configLayout->addWidget(GroupDataLog);
    configLayout->addWidget(GroupSampling);
    configLayout->addWidget(GroupStart);
    configLayout->addWidget(GroupFinish);
    configLayout->addLayout(voltRow);
    configLayout->addLayout(cfgButtons);
    for (QWidget* w : GroupConfig->findChildren<QWidget*>())
        normal(w);
    // These groups keep working while hidden: every read fills them and uploads carry them.
    for (QWidget* w : {static_cast<QWidget*>(GroupDataLog), static_cast<QWidget*>(GroupSampling),
                       static_cast<QWidget*>(GroupStart), static_cast<QWidget*>(GroupFinish)})
        w->hide();

    PanelNumbers = new QWidget(this);
    PanelNumbers->setObjectName("PanelNumbers");
    auto* numbersLayout = new QHBoxLayout(PanelNumbers);
    for (int i = 0; i < 3; ++i) {
        numbersLayout->addWidget(new QLabel(QString("Number %1:").arg(i + 1), PanelNumbers));
        EditNumber[i] = MakeEdit(PanelNumbers, "EditNumber", "0", 48);
        numbersLayout->addWidget(EditNumber[i]);
    }
    numbersLayout->setContentsMargins(0, 0, 0, 0);
    PanelNumbers->hide();

    LabelFirmware = new QLabel(kFirmwareCaption, this);
    LabelFirmware->setObjectName("LabelFirmware");
    ButtonClose = new QPushButton("Close", this);
    StatusBar1 = new QStatusBar(this);
    StatusBar1->setSizeGripEnabled(false);
    auto* bottom = new QHBoxLayout;
    bottom->addWidget(LabelFirmware, 1);
    bottom->addWidget(ButtonClose);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addWidget(LabelTop);
    layout->addWidget(data);
    layout->addWidget(PanelFileName);
    layout->addWidget(GroupConfig);
    layout->addWidget(PanelNumbers);
    layout->addLayout(bottom);
    layout->addWidget(StatusBar1);
    layout->setSpacing(kSpacing);
    layout->setSizeConstraint(QLayout::SetFixedSize);
    // With the spacing above it, the strip adds exactly kNumbersStripHeight to the window.
    PanelNumbers->setFixedHeight(kNumbersStripHeight - kSpacing);
    data->setMinimumWidth(kDesignedWidth - layout->contentsMargins().left() -
                          layout->contentsMargins().right());
    // Enter belongs to the edits (it moves the focus on), never to a default button.
    for (QPushButton* b : findChildren<QPushButton*>()) {
        b->setAutoDefault(false);
        b->setDefault(false);
    }

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
    connect(Link, &TLoggerSession::PortOpened, this, [this] {
        ComboPort->setEnabled(false);
        ButtonConnect->setEnabled(false);
        ButtonDisconnect->setEnabled(true);
        SetLamp(TLampColour::Yellow);
    });
    connect(Link, &TLoggerSession::WaitingActivity, this, [this](qint64 bytesHeard) {
        SetInitLabel(QString::fromStdString(WaitingDots(bytesHeard)));
    });
    connect(Link, &TLoggerSession::Connected, this, [this] {
        setWindowTitle(kCaptionConnected);
        SetLamp(TLampColour::Green);
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
                if (usable)
                    EnableConfigControls(true);
                for (size_t i = 0; i < kConfigSize && i < static_cast<size_t>(image.size()); ++i)
                    ConfigImage[i] = static_cast<uint8_t>(image[static_cast<qsizetype>(i)]);
                ConfigToControls();
            });
    connect(Link, &TLoggerSession::CommandFinished, this, [this](const QString&, bool goesOn) {
        if (goesOn)
            EnableOperationButtons();
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
            [this](std::span<const uint8_t> image, qint64 lastDataIndex, qint64 usedBytes) {
                // The end of the data tells how much of the memory is in use: that is all of
                // it, so the bar is full; it shows the count of the data label.
                // Bytes read past the image's end (the rest of the erased run) are not counted.
                const qint64 kept =
                    std::min<qint64>(static_cast<qint64>(image.size()), lastDataIndex + 1);
                const qint64 read = kept <= kEndOfDataBytes ? 0 : kept - 1;
                ShowProgress(read, read);
                SetTopLabel(" ");
                UsedBytes = usedBytes;
                UpdateRecordingTime();
                DataReadingFinished(image, lastDataIndex);
                ButtonClose->setEnabled(true);
            });
    connect(Link, &TLoggerSession::Disconnected, this,
            [this](TConnectionEnd ending, const QString& text) {
                if (ending != TConnectionEnd::Closing) {
                    SetStatus(text);
                    SetTopLabel(text);
                }
                setWindowTitle(kCaptionDisconnected);
                SetLamp(TLampColour::Red);
                if (ending != TConnectionEnd::Closing)
                    EnableConfigControls(false);
            });
    connect(Link, &TLoggerSession::ConnectionClosed, this, [this] {
        // The next logger may carry other firmware.
        LabelFirmware->setText(kFirmwareCaption);
        SetLamp(TLampColour::Red);
        ComboPort->setEnabled(true);
        ButtonConnect->setEnabled(true);
        ButtonDisconnect->setEnabled(false);
        ButtonClose->setEnabled(true);
        for (QPushButton* b : {ButtonReadData, ButtonUpload, ButtonDownloadCfg, ButtonErase})
            b->setEnabled(false);
        EnableConfigControls(false);
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
    TSaverPaths paths;
    paths.DataFolder = Options.DataFolder.toStdString();
    paths.BackupFolder = Options.BackupFolder.toStdString();
    // A flight the logbook already has anywhere in the data folder is not saved a second time.
    paths.SkipKnown = true;
    paths.IndexPath = TLogbookIndex::DefaultPath().toStdString();
    const TFlightSaver saver(std::move(paths));
    TSplitSettings settings;
    settings.DefaultFileName = Options.DefaultFileName.toStdString();
    settings.DateText = SavingMomentText(QDateTime::currentDateTime()).toStdString();
    TWindowSaveUi ui(*this);
    const TSplitResult result = saver.DataReadingFinished(image, lastDataIndex, settings, ui);
    // An empty name became "Block" on saving: the main window keeps that.
    if (result.Segments > 0)
        Options.DefaultFileName =
            QString::fromStdString(DefaultFileNameForSaving(settings.DefaultFileName));
    if (!result.Error.empty()) {
        ShowError(QString::fromStdString(result.Error + BackupNote(result.BackupPath)));
        Link->Disconnect();
    }
}

void TZirkoComForm::SetLamp(TLampColour colour)
{
    Lamp->SetColour(colour == TLampColour::Green    ? kGreen
                    : colour == TLampColour::Yellow ? kYellow
                                                    : kRed);
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
    connect(RadioStartImmediately, &QRadioButton::toggled, this, [this](bool on) {
        if (on)
            ConfigImage[cfg::kStartMode] = 3;
    });
    connect(RadioStartSeconds, &QRadioButton::toggled, this, [this](bool on) {
        if (!on)
            return;
        StoreWordFromEdit(EditStartDelay, cfg::kStartDelay, cfg::kMaxStartDelay);
        ConfigImage[cfg::kStartMode] = 1;
    });
    connect(RadioStartRx, &QRadioButton::toggled, this, [this](bool on) {
        if (on)
            ConfigImage[cfg::kStartMode] = 0;
    });
    connect(RadioStartAltitude, &QRadioButton::toggled, this, [this](bool on) {
        if (!on)
            return;
        StoreWordFromEdit(EditStartAltitude, cfg::kStartAltitude, cfg::kMaxStartAltitude);
        ConfigImage[cfg::kStartMode] = 2;
    });
    connect(RadioFinishPowerOff, &QRadioButton::toggled, this, [this](bool on) {
        if (on)
            ConfigImage[cfg::kFinishMode] = 0;
    });
    connect(RadioFinishMinutes, &QRadioButton::toggled, this, [this](bool on) {
        if (!on)
            return;
        StoreWordFromEdit(EditFinishTime, cfg::kFinishTime, cfg::kMaxFinishTime);
        ConfigImage[cfg::kFinishMode] = 1;
    });
    connect(RadioFinishRx, &QRadioButton::toggled, this, [this](bool on) {
        if (on)
            ConfigImage[cfg::kFinishMode] = 3;
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
    switch (v.StartMode) {
    case 0:
        RadioStartRx->setChecked(true);
        break;
    case 1:
        RadioStartSeconds->setChecked(true);
        break;
    case 2:
        RadioStartAltitude->setChecked(true);
        break;
    case 3:
        RadioStartImmediately->setChecked(true);
        break;
    default:
        break;
    }
    EditFinishTime->setText(QString::number(v.FinishTime));
    switch (v.FinishMode) {
    case 0:
        RadioFinishPowerOff->setChecked(true);
        break;
    case 1:
        RadioFinishMinutes->setChecked(true);
        break;
    case 3:
        RadioFinishRx->setChecked(true);
        break;
    default:
        break;
    }
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

void TZirkoComForm::SetOperationButtons(std::initializer_list<QPushButton*> buttons, bool on)
{
    for (QPushButton* b : buttons)
        b->setEnabled(on);
}

void TZirkoComForm::EnableOperationButtons()
{
    SetOperationButtons({ButtonClose, ButtonErase, ButtonUpload, ButtonDownloadCfg, ButtonReadData},
                        true);
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

void TZirkoComForm::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    ClosingNow = false;
    ButtonClose->setEnabled(true);
    ButtonConnect->setEnabled(true);
    SetOperationButtons(
        {ButtonReadData, ButtonUpload, ButtonDownloadCfg, ButtonErase, ButtonDisconnect}, false);
    SetTopLabel(" ");
    ComboPort->setEnabled(true);
    FillPortChoice();
    LabelInit->clear();
    LabelData->clear();
    LabelFirmware->setText(kFirmwareCaption);
    ShowProgress(0, MemorySize);
    EditFlightTemperature->setText(QString::number(Options.FlightTemperature));
    SetStatus("Zirko not connected.");
    SetLamp(TLampColour::Red);
    EnableConfigControls(false);
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
    SetStatus("Disconnected.");
    SetTopLabel("Disconnected.");
    setWindowTitle(kCaptionDisconnected);
    SetLamp(TLampColour::Red);
    ButtonClose->setEnabled(true);
    ButtonConnect->setEnabled(true);
    SetOperationButtons(
        {ButtonDisconnect, ButtonReadData, ButtonUpload, ButtonDownloadCfg, ButtonErase}, false);
    EnableConfigControls(false);
}

void TZirkoComForm::ReadDataClick()
{
    if (!Link->PortOpen()) {
        ShowError("Not connected.");
        return;
    }
    SetOperationButtons({ButtonClose, ButtonUpload, ButtonDownloadCfg, ButtonErase}, false);
    ShowProgress(0, MemorySize);
    LabelData->setText("Number of bytes read: 0");
    // The counts of the last download do not describe this one.
    LabelInit->clear();
    SetTopLabel(QString());
    Link->ReadData();
}

void TZirkoComForm::EraseClick()
{
    if (!Link->PortOpen()) {
        ShowError("Not connected.");
        return;
    }
    // Erasing loses every flight not yet downloaded: Enter answers No.
    if (Dialogs().AskYesNo(this, "Erase memory?", true, TAnswer::No) != TAnswer::Yes)
        return;
    SetOperationButtons({ButtonClose, ButtonUpload, ButtonDownloadCfg, ButtonReadData}, false);
    LabelInit->clear();
    Link->EraseMemory();
}

void TZirkoComForm::UploadClick()
{
    if (!Link->PortOpen()) {
        ShowError("Not connected.");
        return;
    }
    if (!Link->ConfigLoaded()) {
        ShowError("File not loaded.");
        return;
    }
    SetOperationButtons({ButtonClose, ButtonReadData, ButtonDownloadCfg, ButtonErase}, false);
    Link->UploadConfig(QByteArray(reinterpret_cast<const char*>(ConfigImage.data()),
                                  static_cast<qsizetype>(ConfigImage.size())));
}

void TZirkoComForm::DownloadCfgClick()
{
    if (!Link->PortOpen()) {
        ShowError("Not connected.");
        return;
    }
    SetOperationButtons({ButtonClose, ButtonUpload, ButtonReadData, ButtonErase}, false);
    Link->DownloadConfig();
}

void TZirkoComForm::CloseClick()
{
    if (!Link->PendingCommand().isEmpty() &&
        Dialogs().AskYesNo(this, "Are you sure to break current operation?") != TAnswer::Yes)
        return;
    ClosingNow = true;
    Link->Close();
    setWindowTitle(kCaptionDisconnected);
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
