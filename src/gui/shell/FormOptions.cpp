#include "gui/shell/FormOptions.h"

#include "core/app/NumberFormat.h"
#include "gui/services/KeyFilter.h"
#include "gui/services/UserDialogs.h"
#include "gui/services/UserLocale.h"
#include "gui/services/WinStates.h"
#include "platform/files/FileStore.h"
#include "platform/files/LogbookFiles.h"
#include "platform/serial/SerialPort.h"

#include <QComboBox>
#include <QDir>
#include <QDoubleSpinBox>
#include <QFileInfo>
#include <QFormLayout>
#include <QFrame>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
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
    ButtonFolder->setObjectName("ButtonFolder");
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
    LabelMarker->setObjectName("LabelMarker");
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
    GroupModels = BuildModelsGroup();
    body->addWidget(GroupModels);

    PanelBottom = new QFrame(this);
    PanelBottom->setObjectName("PanelBottom");
    PanelBottom->setFrameShape(QFrame::StyledPanel);
    auto* buttons = new QHBoxLayout(PanelBottom);
    buttons->setContentsMargins(8, 4, 8, 4);
    buttons->addStretch(1);
    ButtonOK = new QPushButton("OK", PanelBottom);
    ButtonOK->setObjectName("ButtonOK");
    ButtonCancel = new QPushButton("Cancel", PanelBottom);
    ButtonCancel->setObjectName("ButtonCancel");
    ButtonOK->setDefault(true);
    buttons->addWidget(ButtonOK);
    buttons->addWidget(ButtonCancel);
    outer->addWidget(PanelBottom);

    // The fields above the group keep the room they always had; the group adds what it needs at
    // the font in use.
    setFixedSize(kWidth, kBaseHeight + GroupAnalysis->sizeHint().height() +
                             GroupModels->sizeHint().height() + 2 * body->spacing());
    connect(ButtonOK, &QPushButton::clicked, this, &QDialog::accept);
    connect(ButtonCancel, &QPushButton::clicked, this, &QDialog::reject);
    connect(ButtonFolder, &QToolButton::clicked, this, &TFormOptions::ChooseFolder);
}

QGroupBox* TFormOptions::BuildModelsGroup()
{
    auto* group = new QGroupBox("Models", this);
    group->setObjectName("GroupModels");
    auto* layout = new QVBoxLayout(group);
    layout->setContentsMargins(6, 4, 6, 4);
    layout->setSpacing(3);
    ListModels = new QListWidget(group);
    ListModels->setObjectName("ListModels");
    ListModels->setFixedHeight(ListModels->fontMetrics().height() * 4 + 6);
    layout->addWidget(ListModels);
    auto* nameRow = new QHBoxLayout;
    EditModelName = new QLineEdit(group);
    EditModelName->setObjectName("EditModelName");
    EditModelName->setPlaceholderText("model name");
    EditModelName->installEventFilter(this);
    nameRow->addWidget(EditModelName, 1);
    layout->addLayout(nameRow);
    auto* buttons = new QHBoxLayout;
    ButtonModelAdd = new QPushButton("Add", group);
    ButtonModelAdd->setObjectName("ButtonModelAdd");
    ButtonModelRename = new QPushButton("Rename", group);
    ButtonModelRename->setObjectName("ButtonModelRename");
    ButtonModelRemove = new QPushButton("Remove", group);
    ButtonModelRemove->setObjectName("ButtonModelRemove");
    for (QPushButton* b : {ButtonModelAdd, ButtonModelRename, ButtonModelRemove}) {
        b->setAutoDefault(false);
        buttons->addWidget(b);
    }
    layout->addLayout(buttons);
    auto* values = new QFormLayout;
    values->setVerticalSpacing(3);
    values->setFieldGrowthPolicy(QFormLayout::AllNonFixedFieldsGrow);
    ComboModelRules = new QComboBox(group);
    ComboModelRules->setObjectName("ComboModelRules");
    ComboModelRules->addItem("(general)", QString());
    for (TRules rules : {TRules::None, TRules::F5j, TRules::Ales})
        ComboModelRules->addItem(RulesTitle(rules), QString(RulesName(rules)));
    values->addRow("Rules:", ComboModelRules);
    const auto valueEdit = [&](const char* name, const char* label, const char* hint) {
        auto* e = new QLineEdit(group);
        e->setObjectName(name);
        e->setPlaceholderText("general");
        e->setToolTip(hint);
        InstallNumberKeyFilter(e);
        e->installEventFilter(this);
        values->addRow(label, e);
        return e;
    };
    EditModelMotorThreshold =
        valueEdit("EditModelMotorThreshold",
                  "Motor threshold (%):", "The motor runs while the servo channel is above this.");
    EditModelAlesHeight =
        valueEdit("EditModelAlesHeight", "ALES height (m):", "The ALES limiter's cut height.");
    EditModelLowVoltage =
        valueEdit("EditModelLowVoltage", "Low voltage (V):", "Warns of the voltage below this.");
    layout->addLayout(values);

    connect(ListModels, &QListWidget::currentRowChanged, this, &TFormOptions::ShowModelValues);
    connect(ButtonModelAdd, &QPushButton::clicked, this, &TFormOptions::AddModel);
    connect(ButtonModelRename, &QPushButton::clicked, this, &TFormOptions::RenameModel);
    connect(ButtonModelRemove, &QPushButton::clicked, this, &TFormOptions::RemoveModel);
    connect(ComboModelRules, &QComboBox::activated, this, &TFormOptions::ModelRulesChosen);
    ShowModelValues();
    return group;
}

void TFormOptions::LoadModels(const QString& folder)
{
    const std::filesystem::path file =
        QFile::encodeName(
            QDir(folder).filePath(QString::fromStdString(std::string(kModelProfilesFile))))
            .toStdString();
    const TProfilesRead read = ReadModelProfiles(file);
    ShownModels = read.Ok ? read.Profiles.List() : std::vector<TModelProfile>();
    ModelsChanged = false;
    EditModelName->clear();
    ShowModels(ShownModels.empty() ? -1 : 0);
}

void TFormOptions::ShowModels(int select)
{
    const QSignalBlocker block(ListModels);
    ListModels->clear();
    for (const auto& p : ShownModels)
        ListModels->addItem(QString::fromStdString(p.Name));
    ListModels->setCurrentRow(select);
    ShowModelValues();
}

TModelProfile* TFormOptions::SelectedModel()
{
    const int row = ListModels->currentRow();
    return row >= 0 && row < static_cast<int>(ShownModels.size())
               ? &ShownModels[static_cast<size_t>(row)]
               : nullptr;
}

void TFormOptions::ShowModelValues()
{
    const TModelProfile* p = SelectedModel();
    ShowingModel = true;
    const int rules =
        p && p->Rules ? ComboModelRules->findData(QString::fromStdString(*p->Rules)) : 0;
    ComboModelRules->setCurrentIndex(std::max(0, rules));
    const auto text = [](const std::optional<double>& v) {
        return v ? QString::fromStdString(FormatShortest(*v, UserDecimalSeparator())) : QString();
    };
    EditModelMotorThreshold->setText(p ? text(p->MotorThreshold) : QString());
    EditModelAlesHeight->setText(p ? text(p->AlesHeight) : QString());
    EditModelLowVoltage->setText(p ? text(p->LowVoltage) : QString());
    for (QWidget* w : std::initializer_list<QWidget*>{ComboModelRules, EditModelMotorThreshold,
                                                      EditModelAlesHeight, EditModelLowVoltage,
                                                      ButtonModelRename, ButtonModelRemove})
        w->setEnabled(p != nullptr);
    if (p)
        EditModelName->setText(QString::fromStdString(p->Name));
    ShowingModel = false;
}

void TFormOptions::AddModel()
{
    const std::string name = EditModelName->text().trimmed().toStdString();
    if (const auto refused = CheckProfileName(name, ShownModels)) {
        Dialogs().ShowError(this, QString::fromStdString(*refused));
        return;
    }
    TModelProfile p;
    p.Name = name;
    ShownModels.push_back(p);
    ModelsChanged = true;
    ShowModels(static_cast<int>(ShownModels.size()) - 1);
}

void TFormOptions::RenameModel()
{
    TModelProfile* p = SelectedModel();
    if (!p)
        return;
    const std::string name = EditModelName->text().trimmed().toStdString();
    if (name == p->Name)
        return;
    std::vector<TModelProfile> others;
    for (const auto& other : ShownModels)
        if (&other != p)
            others.push_back(other);
    if (const auto refused = CheckProfileName(name, others)) {
        Dialogs().ShowError(this, QString::fromStdString(*refused));
        return;
    }
    p->Name = name;
    ModelsChanged = true;
    ShowModels(ListModels->currentRow());
}

void TFormOptions::RemoveModel()
{
    const int row = ListModels->currentRow();
    if (!SelectedModel())
        return;
    ShownModels.erase(ShownModels.begin() + row);
    ModelsChanged = true;
    EditModelName->clear();
    ShowModels(std::min(row, static_cast<int>(ShownModels.size()) - 1));
}

void TFormOptions::ModelRulesChosen()
{
    TModelProfile* p = SelectedModel();
    if (!p || ShowingModel)
        return;
    const QString rules = ComboModelRules->currentData().toString();
    const std::optional<std::string> value =
        rules.isEmpty() ? std::nullopt : std::optional(rules.toStdString());
    if (value != p->Rules) {
        p->Rules = value;
        ModelsChanged = true;
    }
}

void TFormOptions::ModelValueExit(QLineEdit* edit)
{
    TModelProfile* p = SelectedModel();
    if (!p || ShowingModel)
        return;
    std::optional<double>& value = edit == EditModelMotorThreshold ? p->MotorThreshold
                                   : edit == EditModelAlesHeight   ? p->AlesHeight
                                                                   : p->LowVoltage;
    const QString text = edit->text().trimmed();
    std::optional<double> typed;
    if (!text.isEmpty()) {
        typed = ParseUserNumber(text.toStdString(), UserDecimalSeparator());
        if (!typed) {
            ShowModelValues();
            Dialogs().ShowError(this, "The model's values must be numbers (or empty).");
            return;
        }
    }
    if (typed != value) {
        value = typed;
        ModelsChanged = true;
    }
}

bool TFormOptions::WriteModels()
{
    const QString path =
        QDir(RootFolder).filePath(QString::fromStdString(std::string(kModelProfilesFile)));
    const std::filesystem::path file = QFile::encodeName(path).toStdString();
    // Made from the file as it is now, so that what another program added meanwhile stays.
    std::string previous;
    if (QFileInfo::exists(path) && !ReadWholeFile(file, previous)) {
        Dialogs().ShowError(this, "Error in reading file.\n" + path);
        return false;
    }
    if (SaveFileAtomically(file, FormatModelProfiles(previous, ShownModels), TSaveMode::Replace) !=
        TFileSave::Written) {
        Dialogs().ShowError(this, "Error in writing file.\n" + path);
        return false;
    }
    ModelsChanged = false;
    return true;
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
    LoadModels(rootFolder);
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
        // The values in a box still being edited count.
        for (QLineEdit* e :
             {form.EditModelMotorThreshold, form.EditModelAlesHeight, form.EditModelLowVoltage})
            if (e->hasFocus())
                form.ModelValueExit(e);
        const QFileInfo folder(form.RootFolder);
        if (!form.RootFolder.isEmpty() && folder.isDir()) {
            TOptionsResult result = form.Result();
            // A failed write is told; the other options are taken all the same.
            result.ModelsWritten = form.ModelsEdited() && form.WriteModels();
            return result;
        }
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
    // The models belong to the folder: those of the chosen one are edited from now on.
    LoadModels(chosen);
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
    } else if (watched == EditModelName && event->type() == QEvent::KeyPress) {
        // Enter adds the model typed instead of closing the dialog.
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            AddModel();
            return true;
        }
    } else if ((watched == EditModelMotorThreshold || watched == EditModelAlesHeight ||
                watched == EditModelLowVoltage) &&
               event->type() == QEvent::FocusOut) {
        ModelValueExit(static_cast<QLineEdit*>(watched));
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
