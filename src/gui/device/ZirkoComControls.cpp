#include "gui/device/ZirkoComControls.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QStatusBar>
#include <QTextLayout>
#include <QVBoxLayout>
#include <algorithm>
#include <utility>

namespace zirko {

namespace {

constexpr int kSpacing = 6;
constexpr int kNumbersStripHeight = 40;
constexpr int kDesignedWidth = 401;

QLineEdit* MakeEdit(QWidget* parent, const QString& name, const QString& text, int width = 48)
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

void TZirkoComControls::BuildControls(QDialog* window)
{
    QFont groupFont = window->font();
    groupFont.setBold(true);
    groupFont.setPointSize(groupFont.pointSize() + 3);
    auto group = [window, &groupFont](const char* title, const char* name) {
        auto* g = new QGroupBox(title, window);
        g->setObjectName(name);
        g->setFont(groupFont);
        return g;
    };
    // Explicit attributes, so that the controls do not inherit their group's bold title font.
    QFont normalFont = window->font();
    normalFont.setBold(false);
    normalFont.setPointSize(window->font().pointSize());
    auto normal = [normalFont](QWidget* w) { w->setFont(normalFont); };

    ButtonConnect = new QPushButton("Connect", window);
    ButtonConnect->setToolTip("Push Connect button and then power-up Zirko device.");
    ButtonDisconnect = new QPushButton("Disconnect", window);
    Lamp = new TStatusLamp(window);
    LabelTop = new TTopLabel(window);
    LabelTop->setObjectName("LabelTop");
    // The port to connect to: one the system lists, the Simulator, or a typed device path (the
    // system lists no pseudo-terminals).
    auto* portLabel = new QLabel("Port:", window);
    ComboPort = new QComboBox(window);
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
    ProgressBar1->setAlignment(Qt::AlignCenter);
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
    PanelFileName = new QWidget(window);
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

    PanelNumbers = new QWidget(window);
    PanelNumbers->setObjectName("PanelNumbers");
    auto* numbersLayout = new QHBoxLayout(PanelNumbers);
    for (int i = 0; i < 3; ++i) {
        numbersLayout->addWidget(new QLabel(QString("Number %1:").arg(i + 1), PanelNumbers));
        EditNumber[i] = MakeEdit(PanelNumbers, QString("EditNumber%1").arg(i + 1), "0", 48);
        numbersLayout->addWidget(EditNumber[i]);
    }
    numbersLayout->setContentsMargins(0, 0, 0, 0);
    PanelNumbers->hide();

    LabelFirmware = new QLabel(kFirmwareCaption, window);
    LabelFirmware->setObjectName("LabelFirmware");
    ButtonClose = new QPushButton("Close", window);
    StatusBar1 = new QStatusBar(window);
    StatusBar1->setSizeGripEnabled(false);
    auto* bottom = new QHBoxLayout;
    bottom->addWidget(LabelFirmware, 1);
    bottom->addWidget(ButtonClose);

    auto* layout = new QVBoxLayout(window);
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
    // The controls the edits above did not name, under the names the user's tools find them by.
    const std::pair<QObject*, const char*> named[] = {
        {ButtonConnect, "ButtonConnect"},
        {ButtonDisconnect, "ButtonDisconnect"},
        {Lamp, "Lamp"},
        {ButtonReadData, "ButtonReadData"},
        {ButtonErase, "ButtonErase"},
        {ProgressBar1, "ProgressBar1"},
        {PanelFileName, "PanelFileName"},
        {GroupDataLog, "GroupDataLog"},
        {CheckAltitude, "CheckAltitude"},
        {CheckRx, "CheckRx"},
        {CheckPower, "CheckPower"},
        {GroupSampling, "GroupSampling"},
        {GroupStart, "GroupStart"},
        {RadioStartImmediately, "RadioStartImmediately"},
        {RadioStartSeconds, "RadioStartSeconds"},
        {RadioStartRx, "RadioStartRx"},
        {RadioStartAltitude, "RadioStartAltitude"},
        {GroupFinish, "GroupFinish"},
        {RadioFinishPowerOff, "RadioFinishPowerOff"},
        {RadioFinishMinutes, "RadioFinishMinutes"},
        {RadioFinishRx, "RadioFinishRx"},
        {ButtonUpload, "ButtonUpload"},
        {ButtonDownloadCfg, "ButtonDownloadCfg"},
        {ButtonClose, "ButtonClose"},
        {StatusBar1, "StatusBar1"},
    };
    for (const auto& [control, name] : named)
        control->setObjectName(name);
    // Enter belongs to the edits (it moves the focus on), never to a default button.
    for (QPushButton* b : window->findChildren<QPushButton*>()) {
        b->setAutoDefault(false);
        b->setDefault(false);
    }
}

} // namespace zirko
