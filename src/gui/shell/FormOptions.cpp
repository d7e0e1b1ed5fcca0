#include "gui/shell/FormOptions.h"

#include "core/app/NumberFormat.h"
#include "gui/services/KeyFilter.h"
#include "gui/services/UserDialogs.h"
#include "gui/services/WinStates.h"

#include <QComboBox>
#include <QFileInfo>
#include <QFrame>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSerialPortInfo>
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

} // namespace

TFormOptions::TFormOptions(QWidget* parent) : QDialog(parent)
{
    setObjectName("FormOptions");
    setWindowTitle("Options");
    setFixedSize(273, 200);

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

    connect(ButtonOK, &QPushButton::clicked, this, &QDialog::accept);
    connect(ButtonCancel, &QPushButton::clicked, this, &QDialog::reject);
    connect(ButtonFolder, &QToolButton::clicked, this, &TFormOptions::ChooseFolder);
}

QStringList TFormOptions::AvailablePortNames()
{
    QStringList names;
    for (const QSerialPortInfo& info : QSerialPortInfo::availablePorts())
        names << info.portName();
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
                        const QString& defaultFileName, double markerThreshold)
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

TOptionsResult TFormOptions::Result() const
{
    return {RootFolderResult(), PortNameResult(), DefaultFileNameResult(), MarkerThresholdResult()};
}

std::optional<TOptionsResult>
TFormOptions::ExecuteOptions(TFormOptions& form, const QString& rootFolder, const QString& portName,
                             const QString& defaultFileName, double markerThreshold)
{
    for (;;) {
        form.Fill(rootFolder, portName, defaultFileName, markerThreshold);
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
