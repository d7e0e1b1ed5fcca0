#include "gui/graph/FormGraphSetup.h"

#include "core/app/NumberFormat.h"
#include "gui/services/KeyFilter.h"
#include "gui/services/UserDialogs.h"
#include "gui/services/UserLocale.h"
#include "gui/services/WinStates.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>

namespace zirko {

namespace {

const QStringList kLineStyles = {"Solid", "Dash ", "Dot", "DashDot", "DashDotDot"};
const QStringList kSymbols = {"Rectangle", "Circle", "Triangle", "DownTriangle", "Cross",
                              "DiagCross", "Star",   "Diamond",  "SmallDot"};

QString Display(double value)
{
    return QString::fromStdString(FormatDisplay(value, 1, UserDecimalSeparator()));
}

QComboBox* MakeCombo(QWidget* parent, const char* name, const QStringList& items)
{
    auto* combo = new QComboBox(parent);
    combo->setObjectName(name);
    combo->addItems(items);
    return combo;
}

QStringList Numbers(int from, int to)
{
    QStringList out;
    for (int i = from; i <= to; ++i)
        out << QString::number(i);
    return out;
}

} // namespace

TFormGraphSetup::TFormGraphSetup(QWidget* parent) : QDialog(parent)
{
    setObjectName("FormGraphSetup");
    setWindowTitle("Graph setup");
    setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint);
    auto makeEdit = [this](const char* name) {
        auto* e = new QLineEdit(this);
        e->setObjectName(name);
        e->setMaximumWidth(80);
        InstallNumberKeyFilter(e);
        e->installEventFilter(this);
        return e;
    };
    auto makeAuto = [this](const char* name) {
        auto* c = new QCheckBox("Automatic", this);
        c->setObjectName(name);
        return c;
    };
    EditAltMin = makeEdit("EditAltMin");
    EditAltMax = makeEdit("EditAltMax");
    CheckBoxAltAuto = makeAuto("CheckBoxAltAuto");
    ComboBoxAltLS = MakeCombo(this, "ComboBoxAltLS", kLineStyles);
    ComboBoxAltLW = MakeCombo(this, "ComboBoxAltLW", Numbers(1, 5));
    EditPSMin = makeEdit("EditPSMin");
    EditPSMax = makeEdit("EditPSMax");
    CheckBoxPSAuto = makeAuto("CheckBoxPSAuto");
    ComboBoxPSLS = MakeCombo(this, "ComboBoxPSLS", kLineStyles);
    ComboBoxPSLW = MakeCombo(this, "ComboBoxPSLW", Numbers(1, 5));
    EditRXMin = makeEdit("EditRXMin");
    EditRXMax = makeEdit("EditRXMax");
    CheckBoxRXAuto = makeAuto("CheckBoxRXAuto");
    ComboBoxRXST = MakeCombo(this, "ComboBoxRXST", kLineStyles);
    ComboBoxRXLW = MakeCombo(this, "ComboBoxRXLW", Numbers(1, 5));
    EditTMin = makeEdit("EditTMin");
    EditTMax = makeEdit("EditTMax");
    CheckBoxTAuto = makeAuto("CheckBoxTAuto");
    ComboBoxAnnStyl = MakeCombo(this, "ComboBoxAnnStyl", kSymbols);
    ComboBoxAnnSize = MakeCombo(this, "ComboBoxAnnSize", Numbers(2, 10));
    ComboBoxMAStyl = MakeCombo(this, "ComboBoxMAStyl", kSymbols);
    ComboBoxMarkSize = MakeCombo(this, "ComboBoxMarkSize", Numbers(2, 10));
    Axes[0] = {EditAltMin, EditAltMax, CheckBoxAltAuto, ComboBoxAltLS, ComboBoxAltLW};
    Axes[1] = {EditPSMin, EditPSMax, CheckBoxPSAuto, ComboBoxPSLS, ComboBoxPSLW};
    Axes[2] = {EditRXMin, EditRXMax, CheckBoxRXAuto, ComboBoxRXST, ComboBoxRXLW};
    Axes[3] = {EditTMin, EditTMax, CheckBoxTAuto, nullptr, nullptr};

    auto axisGroup = [this](const char* title, const TAxisControls& a) {
        auto* box = new QGroupBox(title, this);
        auto* g = new QGridLayout(box);
        g->addWidget(new QLabel("Minimum:"), 0, 0);
        g->addWidget(a.Min, 0, 1);
        g->addWidget(new QLabel("Maximum:"), 1, 0);
        g->addWidget(a.Max, 1, 1);
        g->addWidget(a.Auto, 2, 0, 1, 2);
        if (a.Style) {
            g->addWidget(new QLabel("Line style:"), 0, 2);
            g->addWidget(a.Style, 0, 3);
            g->addWidget(new QLabel("Line width:"), 1, 2);
            g->addWidget(a.Width, 1, 3);
        }
        connect(a.Auto, &QCheckBox::toggled, this, [a](bool on) {
            a.Min->setEnabled(!on);
            a.Max->setEnabled(!on);
        });
        if (a.Width)
            connect(a.Width, &QComboBox::currentIndexChanged, this,
                    [a](int index) { a.Style->setEnabled(index == 0); });
        return box;
    };
    auto symbolGroup = [this](const char* title, QComboBox* style, QComboBox* size) {
        auto* box = new QGroupBox(title, this);
        auto* g = new QGridLayout(box);
        g->addWidget(new QLabel("Mark style:"), 0, 0);
        g->addWidget(style, 0, 1);
        g->addWidget(new QLabel("Mark Size:"), 1, 0);
        g->addWidget(size, 1, 1);
        return box;
    };
    auto* grid = new QGridLayout;
    grid->addWidget(axisGroup("Altitude axis", Axes[0]), 0, 0);
    grid->addWidget(axisGroup("Voltage axis", Axes[1]), 0, 1);
    grid->addWidget(axisGroup("Servo axis", Axes[2]), 1, 0);
    grid->addWidget(axisGroup("Time axis", Axes[3]), 1, 1);
    grid->addWidget(symbolGroup("Annotation", ComboBoxAnnStyl, ComboBoxAnnSize), 2, 0);
    grid->addWidget(symbolGroup("Marker", ComboBoxMAStyl, ComboBoxMarkSize), 2, 1);

    ButtonOk = new QPushButton("Ok", this);
    ButtonCancel = new QPushButton("Cancel", this);
    ButtonDefaults = new QPushButton("Defaults", this);
    ButtonDefaults->setObjectName("ButtonDefaults");
    ButtonOk->setDefault(true);
    // Enter means Ok wherever the focus is.
    ButtonCancel->setAutoDefault(false);
    ButtonDefaults->setAutoDefault(false);
    connect(ButtonOk, &QPushButton::clicked, this, &QDialog::accept);
    connect(ButtonCancel, &QPushButton::clicked, this, &QDialog::reject);
    connect(ButtonDefaults, &QPushButton::clicked, this, [this] {
        SetDefaultGraphSettings(Working);
        LoadSettingsToDialog(Working);
    });
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(ButtonDefaults);
    buttons->addStretch(1);
    buttons->addWidget(ButtonOk);
    buttons->addWidget(ButtonCancel);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(grid);
    layout->addLayout(buttons);
}

void TFormGraphSetup::LoadSettingsToDialog(const TGraphSettings& s)
{
    struct TAxisValues {
        bool Auto;
        double Min, Max;
        int Style, Width;
    } values[4] = {
        {s.AltitudeAuto, s.AltitudeMin, s.AltitudeMax, s.AltitudeLStyle, s.AltitudeLWidth},
        {s.PowerSupAuto, s.PowerSupMin, s.PowerSupMax, s.PowerSupLStyle, s.PowerSupLWidth},
        {s.RXAuto, s.RXMin, s.RXMax, s.RXLStyle, s.RXLWidth},
        {s.TimeAuto, s.TimeMin, s.TimeMax, 0, 1},
    };
    for (int i = 0; i < 4; ++i) {
        const TAxisControls& a = Axes[i];
        const TAxisValues& v = values[i];
        a.Min->setText(Display(v.Min));
        a.Max->setText(Display(v.Max));
        a.Auto->setChecked(v.Auto);
        a.Min->setEnabled(!v.Auto);
        a.Max->setEnabled(!v.Auto);
        if (a.Style) {
            a.Style->setCurrentIndex(std::clamp(v.Style, 0, 4));
            a.Width->setCurrentIndex(std::clamp(v.Width - 1, 0, 4));
            a.Style->setEnabled(a.Width->currentIndex() == 0);
        }
    }
    ComboBoxAnnStyl->setCurrentIndex(std::clamp(s.AnnotMarkStyle, 0, 8));
    ComboBoxAnnSize->setCurrentIndex(std::clamp(s.AnnotMarkSize - 2, 0, 8));
    ComboBoxMAStyl->setCurrentIndex(std::clamp(s.MarkerMarkStyle, 0, 8));
    ComboBoxMarkSize->setCurrentIndex(std::clamp(s.MarkerMarkSize - 2, 0, 8));
}

void TFormGraphSetup::ReadSettingsFromDialog(TGraphSettings& s) const
{
    const char sep = UserDecimalSeparator();
    auto minOf = [sep](const QLineEdit* e) {
        return ParseUserNumberDef(e->text().toStdString(), sep, 0);
    };
    auto maxOf = [sep](const QLineEdit* e) {
        return ParseUserNumberDef(e->text().toStdString(), sep, 100);
    };
    s.AltitudeMin = minOf(EditAltMin);
    s.AltitudeMax = maxOf(EditAltMax);
    s.AltitudeAuto = CheckBoxAltAuto->isChecked();
    s.AltitudeLStyle = ComboBoxAltLS->currentIndex();
    s.AltitudeLWidth = ComboBoxAltLW->currentIndex() + 1;
    s.PowerSupMin = minOf(EditPSMin);
    s.PowerSupMax = maxOf(EditPSMax);
    s.PowerSupAuto = CheckBoxPSAuto->isChecked();
    s.PowerSupLStyle = ComboBoxPSLS->currentIndex();
    s.PowerSupLWidth = ComboBoxPSLW->currentIndex() + 1;
    s.RXMin = minOf(EditRXMin);
    s.RXMax = maxOf(EditRXMax);
    s.RXAuto = CheckBoxRXAuto->isChecked();
    s.RXLStyle = ComboBoxRXST->currentIndex();
    s.RXLWidth = ComboBoxRXLW->currentIndex() + 1;
    s.TimeMin = minOf(EditTMin);
    s.TimeMax = maxOf(EditTMax);
    s.TimeAuto = CheckBoxTAuto->isChecked();
    s.AnnotMarkStyle = ComboBoxAnnStyl->currentIndex();
    s.AnnotMarkSize = ComboBoxAnnSize->currentIndex() + 2;
    s.MarkerMarkStyle = ComboBoxMAStyl->currentIndex();
    s.MarkerMarkSize = ComboBoxMarkSize->currentIndex() + 2;
}

bool TFormGraphSetup::eventFilter(QObject* watched, QEvent* event)
{
    // Leaving a number edit checks it: text that is not a number sends the focus back.
    auto* edit = qobject_cast<QLineEdit*>(watched);
    if (edit && event->type() == QEvent::FocusOut && !CheckingNumber && isVisible()) {
        const double value =
            ParseUserNumberDef(edit->text().toStdString(), UserDecimalSeparator(), -999999);
        if (value < -999998) {
            CheckingNumber = true;
            Dialogs().ShowError(this, "Incorrect number!");
            edit->setFocus();
            CheckingNumber = false;
        }
    }
    return QDialog::eventFilter(watched, event);
}

void TFormGraphSetup::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    WinStates().RestoreWindowState(this);
}

bool ExecuteGraphSetup(TFormGraphSetup& dialog, TGraphSettings& settings)
{
    try {
        dialog.Working = settings;
        dialog.LoadSettingsToDialog(dialog.Working);
        if (Dialogs().Exec(dialog) != QDialog::Accepted)
            return false;
        dialog.ReadSettingsFromDialog(dialog.Working);
        settings = dialog.Working;
        settings.SettingsChanged = true;
        return true;
    } catch (const std::exception& e) {
        Dialogs().ShowError(&dialog, QString("Error in Graph Setup!\n") + e.what());
        return false;
    }
}

} // namespace zirko
