#include "gui/shell/FormOptions.h"

#include "core/app/NumberFormat.h"
#include "gui/services/KeyFilter.h"
#include "gui/services/UserDialogs.h"
#include "gui/services/WinStates.h"
#include "platform/serial/SerialPort.h"

#include <QComboBox>
#include <QDoubleSpinBox>
#include <QFileInfo>
#include <QFormLayout>
#include <QFrame>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStyle>
#include <QToolButton>
#include <QVBoxLayout>

namespace zirko {

namespace {

const char* const kMsgInvalidDirectory = "Invalid directory!";
const char* const kMsgMarkerNotNumber = "Marker Threshold must be a number value.";
const char* const kSimulatorPort = "Simulator";
constexpr int kLabelChars = 30;

// File names cannot hold these; every other character, control keys included, passes.
const char* const kFileNameRefused = "\"*/:<>?\\|";

QString MarkerText(double value)
{
    return QString::fromStdString(FormatFixed(value, 2)).trimmed();
}

// The dialog's height without the analysis group.
constexpr int kBaseHeight = 200;
constexpr int kWidth = 273;

QDoubleSpinBox* NumberBox(QWidget* parent, const char* name, double min, double max, int decimals,
                          const char* suffix)
{
    auto* box = new QDoubleSpinBox(parent);
    box->setObjectName(name);
    box->setRange(min, max);
    box->setDecimals(decimals);
    box->setSuffix(suffix);
    box->setAccelerated(true);
    return box;
}

} // namespace

TFormOptions::TFormOptions(QWidget* parent) : QDialog(parent)
{
    setObjectName("FormOptions");
    setWindowTitle("Options");

    auto* outer = new QVBoxLayout(this);
    outer->setContentsMargins(0, 0, 0, 0);
    outer->setSpacing(0);
    auto* body = new QVBoxLayout;
    body->setContentsMargins(8, 6, 8, 4);
    body->setSpacing(3);
    outer->addLayout(body, 1);

    body->addWidget(new QLabel("Default root folder:", this));
    auto* folderRow = new QHBoxLayout;
    ButtonFolder = new QToolButton(this);
    ButtonFolder->setIcon(style()->standardIcon(QStyle::SP_DirOpenIcon));
    ButtonFolder->setText("...");
    folderRow->addWidget(ButtonFolder);
    LabelRoot = new QLabel(this);
    LabelRoot->setObjectName("LabelRoot");
    LabelRoot->setCursor(Qt::PointingHandCursor);
    LabelRoot->installEventFilter(this);
    folderRow->addWidget(LabelRoot, 1);
    body->addLayout(folderRow);

    body->addWidget(new QLabel("Communication port:", this));
    ComboBoxCOM = new QComboBox(this);
    ComboBoxCOM->setObjectName("ComboBoxCOM");
    // The system lists no pseudo-terminals and no port that is unplugged just now: a device
    // path can be typed.
    ComboBoxCOM->setEditable(true);
    ComboBoxCOM->setInsertPolicy(QComboBox::NoInsert);
    ComboBoxCOM->setCompleter(nullptr);
    ComboBoxCOM->addItems(AvailablePortNames());
    body->addWidget(ComboBoxCOM);

    body->addWidget(new QLabel("Default file name:", this));
    auto* nameRow = new QHBoxLayout;
    EditDefFileName = new QLineEdit("Block", this);
    EditDefFileName->setObjectName("EditDefFileName");
    InstallRefusingKeyFilter(EditDefFileName, kFileNameRefused);
    nameRow->addWidget(EditDefFileName, 1);
    nameRow->addWidget(new QLabel("+ \"00X.zdf\"", this));
    body->addLayout(nameRow);

    // The threshold row is part of the dialog but not shown.
    auto* markerRow = new QHBoxLayout;
    LabelMarker = new QLabel("Marker Threshold:", this);
    MarkerEdit = new QLineEdit(this);
    MarkerEdit->setObjectName("MarkerEdit");
    MarkerEdit->installEventFilter(this);
    markerRow->addWidget(LabelMarker);
    markerRow->addWidget(MarkerEdit, 1);
    body->addLayout(markerRow);
    LabelMarker->setVisible(false);
    MarkerEdit->setVisible(false);
    body->addStretch(1);

    GroupAnalysis = new QGroupBox("Analysis", this);
    GroupAnalysis->setObjectName("GroupAnalysis");
    auto* analysis = new QFormLayout(GroupAnalysis);
    analysis->setContentsMargins(6, 4, 6, 4);
    analysis->setVerticalSpacing(3);
    analysis->setFieldGrowthPolicy(QFormLayout::AllNonFixedFieldsGrow);
    ComboBoxRules = new QComboBox(GroupAnalysis);
    ComboBoxRules->setObjectName("ComboBoxRules");
    for (TRules rules : {TRules::None, TRules::F5j, TRules::Ales})
        ComboBoxRules->addItem(RulesTitle(rules), static_cast<int>(rules));
    analysis->addRow("Contest rules:", ComboBoxRules);
    EditMotorThreshold = NumberBox(GroupAnalysis, "EditMotorThreshold", -300, 300, 1, " %");
    EditMotorThreshold->setToolTip("The motor runs while the servo channel is above this.");
    analysis->addRow("Motor threshold:", EditMotorThreshold);
    EditAlesHeight = NumberBox(GroupAnalysis, "EditAlesHeight", 0, 10000, 1, " m");
    EditAlesHeight->setToolTip(
        "The height over the start at which an ALES limiter cuts the motor.");
    analysis->addRow("ALES height:", EditAlesHeight);
    EditLowVoltage = NumberBox(GroupAnalysis, "EditLowVoltage", 0, 100, 2, " V");
    EditLowVoltage->setSpecialValueText("off");
    EditLowVoltage->setSingleStep(0.1);
    EditLowVoltage->setToolTip("Warns of the voltage below this; off checks nothing.");
    analysis->addRow("Low voltage:", EditLowVoltage);
    body->addWidget(GroupAnalysis);

    PanelBottom = new QFrame(this);
    PanelBottom->setFrameShape(QFrame::StyledPanel);
    auto* buttons = new QHBoxLayout(PanelBottom);
    buttons->setContentsMargins(8, 4, 8, 4);
    buttons->addStretch(1);
    ButtonOK = new QPushButton("OK", PanelBottom);
    ButtonCancel = new QPushButton("Cancel", PanelBottom);
    ButtonOK->setDefault(true);
    buttons->addWidget(ButtonOK);
    buttons->addWidget(ButtonCancel);
    outer->addWidget(PanelBottom);

    // The fields above the group keep the room they always had; the group adds what it needs at
    // the font in use.
    setFixedSize(kWidth, kBaseHeight + GroupAnalysis->sizeHint().height() + body->spacing());
    connect(ButtonOK, &QPushButton::clicked, this, &QDialog::accept);
    connect(ButtonCancel, &QPushButton::clicked, this, &QDialog::reject);
    connect(ButtonFolder, &QToolButton::clicked, this, &TFormOptions::ChooseFolder);
}

QStringList TFormOptions::AvailablePortNames()
{
    QStringList names = SystemPortNames();
    if (names.isEmpty())
        names << "COM1"
              << "COM2"
              << "COM3"
              << "COM4";
    names << kSimulatorPort;
    return names;
}

QString TFormOptions::ShortFolderText(const QString& path)
{
    return path.size() > kLabelChars ? "..." + path.right(kLabelChars) : path;
}

void TFormOptions::Fill(const QString& rootFolder, const QString& portName,
                        const QString& defaultFileName, double markerThreshold,
                        const TEventOptions& events)
{
    RootFolder = rootFolder;
    // A stored port the system does not list now stays as it was, not silently replaced.
    const int listed = ComboBoxCOM->findText(portName);
    ComboBoxCOM->setCurrentIndex(listed);
    if (listed < 0)
        ComboBoxCOM->setEditText(portName);
    EditDefFileName->setText(defaultFileName);
    MarkerThreshold = markerThreshold;
    MarkerEdit->setText(MarkerText(markerThreshold));
    ComboBoxRules->setCurrentIndex(ComboBoxRules->findData(static_cast<int>(events.Rules)));
    EditMotorThreshold->setValue(events.MotorThreshold);
    EditAlesHeight->setValue(events.AlesHeight);
    EditLowVoltage->setValue(events.LowVoltage);
    // A value the boxes cannot show exactly is kept unless the user changes its box.
    ShownEvents = events;
    FilledEvents = {ComboBoxRules->currentIndex(), EditMotorThreshold->value(),
                    EditAlesHeight->value(), EditLowVoltage->value()};
    UpdateRootLabel();
}

QString TFormOptions::PortNameResult() const
{
    return ComboBoxCOM->currentText().trimmed();
}

QString TFormOptions::DefaultFileNameResult() const
{
    return EditDefFileName->text();
}

std::optional<double> TFormOptions::MarkerThresholdResult() const
{
    return ParseStrictNumber(MarkerEdit->text().toStdString());
}

TEventOptions TFormOptions::EventsResult() const
{
    TEventOptions events = ShownEvents;
    if (ComboBoxRules->currentIndex() != FilledEvents.Rules)
        events.Rules = static_cast<TRules>(ComboBoxRules->currentData().toInt());
    if (EditMotorThreshold->value() != FilledEvents.MotorThreshold)
        events.MotorThreshold = EditMotorThreshold->value();
    if (EditAlesHeight->value() != FilledEvents.AlesHeight)
        events.AlesHeight = EditAlesHeight->value();
    if (EditLowVoltage->value() != FilledEvents.LowVoltage)
        events.LowVoltage = EditLowVoltage->value();
    return events;
}

TOptionsResult TFormOptions::Result() const
{
    return {RootFolderResult(), PortNameResult(), DefaultFileNameResult(), MarkerThresholdResult(),
            EventsResult()};
}

std::optional<TOptionsResult>
TFormOptions::ExecuteOptions(TFormOptions& form, const QString& rootFolder, const QString& portName,
                             const QString& defaultFileName, double markerThreshold,
                             const TEventOptions& events)
{
    for (;;) {
        form.Fill(rootFolder, portName, defaultFileName, markerThreshold, events);
        if (Dialogs().Exec(form) != QDialog::Accepted)
            return std::nullopt;
        const QFileInfo folder(form.RootFolder);
        if (!form.RootFolder.isEmpty() && folder.isDir())
            return form.Result();
        Dialogs().ShowError(&form, kMsgInvalidDirectory);
    }
}

void TFormOptions::ChooseFolder()
{
    const QString chosen = Dialogs().GetExistingDirectory(this, "Default root folder:", RootFolder);
    if (chosen.isEmpty())
        return;
    emit FolderChosen(chosen);
    RootFolder = chosen;
    UpdateRootLabel();
}

void TFormOptions::UpdateRootLabel()
{
    LabelRoot->setText(ShortFolderText(RootFolder));
    LabelRoot->setToolTip(RootFolder);
}

void TFormOptions::showEvent(QShowEvent* event)
{
    WinStates().RestoreWindowState(this);
    UpdateRootLabel();
    QDialog::showEvent(event);
}

void TFormOptions::MarkerEditExit()
{
    const QString text = MarkerEdit->text().trimmed();
    if (text.isEmpty()) {
        MarkerEdit->setText("0");
        return;
    }
    if (!ParseStrictNumber(text.toStdString())) {
        MarkerEdit->setText(MarkerText(MarkerThreshold));
        Dialogs().ShowError(this, kMsgMarkerNotNumber);
    }
}

bool TFormOptions::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == LabelRoot && event->type() == QEvent::MouseButtonRelease) {
        if (static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton) {
            ChooseFolder();
            return true;
        }
    } else if (watched == MarkerEdit) {
        if (event->type() == QEvent::KeyPress) {
            const int key = static_cast<QKeyEvent*>(event)->key();
            if (key == Qt::Key_Return || key == Qt::Key_Enter) {
                ComboBoxCOM->setFocus();
                return true;
            }
        } else if (event->type() == QEvent::FocusOut) {
            MarkerEditExit();
        }
    }
    return QDialog::eventFilter(watched, event);
}

} // namespace zirko
