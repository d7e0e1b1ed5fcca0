#include "gui/graph/OffsetPanel.h"

#include "core/app/NumberFormat.h"
#include "core/graph/Offsets.h"
#include "core/shell/Assertion.h"
#include "gui/graph/Chart.h"
#include "gui/graph/GraphHost.h"
#include "gui/services/KeyFilter.h"
#include "gui/services/UserDialogs.h"

#include <QCheckBox>
#include <QComboBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QSignalBlocker>
#include <QSlider>

#include <cmath>
#include <optional>
#include <stdexcept>

namespace zirko {

namespace {
constexpr const char* kUnit = "Graph";
} // namespace

TOffsetPanel::TOffsetPanel(TGraphHost& host, TChart& chart, QWidget* parent)
    : QWidget(parent), Host(host), Chart(chart)
{
    setObjectName("PanelOffsets");
    TrackBarX = new QSlider(Qt::Horizontal, this);
    TrackBarX->setObjectName("TrackBarX");
    TrackBarX->setRange(kTrackBarXMin, kTrackBarXMax);
    TrackBarX->setToolTip("X axis Offset");
    TrackBarY = new QSlider(Qt::Vertical, this);
    TrackBarY->setObjectName("TrackBarY");
    TrackBarY->setRange(kTrackBarYMin, kTrackBarYMax);
    TrackBarY->setToolTip("Y axis Offset");
    // The top end is the lowest position, that is the highest offset.
    TrackBarY->setInvertedAppearance(true);
    TrackBarY->setInvertedControls(true);
    for (QSlider* bar : {TrackBarX, TrackBarY}) {
        bar->setPageStep(10);
        bar->setValue(0);
    }
    QWidget* const PanelOffsets = this;
    auto* row = new QHBoxLayout(PanelOffsets);
    row->setContentsMargins(4, 2, 4, 2);
    CheckBoxShift = new QCheckBox("Offset", PanelOffsets);
    CheckBoxShift->setObjectName("CheckBoxShift");
    CheckBoxShift->setToolTip("ON/FF Offset");
    EditShiftX = new QLineEdit("0", PanelOffsets);
    EditShiftX->setObjectName("EditShiftX");
    EditShiftX->setToolTip("X axis Offset");
    EditShiftY = new QLineEdit("0", PanelOffsets);
    EditShiftY->setObjectName("EditShiftY");
    EditShiftY->setToolTip("Y axis Offset");
    ComboBoxShiftAxis = new QComboBox(PanelOffsets);
    ComboBoxShiftAxis->setObjectName("ComboBoxShiftAxis");
    ComboBoxShiftAxis->setToolTip("Select Data for Offset");
    ComboBoxShiftAxis->addItems({"Altitude", "Servo", "Voltage"});
    ComboBoxShiftAxis->setCurrentIndex(0);
    for (QLineEdit* edit : {EditShiftX, EditShiftY}) {
        edit->setMaximumWidth(80);
        InstallNumberKeyFilter(edit);
    }
    row->addWidget(CheckBoxShift);
    row->addWidget(new QLabel("X:", PanelOffsets));
    row->addWidget(EditShiftX);
    row->addSpacing(8);
    row->addWidget(ComboBoxShiftAxis);
    row->addWidget(new QLabel("Y:", PanelOffsets));
    row->addWidget(EditShiftY);
    row->addStretch(1);

    connect(CheckBoxShift, &QCheckBox::clicked, this, [this] {
        if (Host.CurrentRow() >= 0)
            SetShiftState(Host.CurrentRow(), true);
    });
    connect(EditShiftX, &QLineEdit::returnPressed, this, [this] { ApplyShiftX(true); });
    connect(EditShiftX, &QLineEdit::editingFinished, this, [this] { ApplyShiftX(true); });
    connect(EditShiftY, &QLineEdit::returnPressed, this, [this] { ApplyShiftY(true); });
    connect(EditShiftY, &QLineEdit::editingFinished, this, [this] { ApplyShiftY(true); });
    connect(ComboBoxShiftAxis, &QComboBox::activated, this, [this] { ComboBoxShiftAxisChange(); });
    connect(TrackBarX, &QSlider::valueChanged, this, [this](int position) {
        EditShiftX->setText(QString::number(position));
        ApplyShiftX(false);
    });
    connect(TrackBarY, &QSlider::valueChanged, this, [this](int position) {
        EditShiftY->setText(QString::number(-position));
        ApplyShiftY(false);
    });
    SetShiftState(-1, false);
}

TOffsetPanel::~TOffsetPanel()
{
    // An offset field left while the page goes away finishes its edit: the panel is gone then.
    for (QLineEdit* edit : {EditShiftX, EditShiftY})
        disconnect(edit, nullptr, this, nullptr);
}

void TOffsetPanel::ShowError(const QString& text)
{
    Dialogs().ShowError(this, text);
}

const TSeriesInfo& TOffsetPanel::Slot(int row, int k) const
{
    return (*Host.SeriesInfo(row))[static_cast<size_t>(k)];
}

QString TOffsetPanel::OffsetText(double value) const
{
    return QString::fromStdString(FormatDisplay(value, 1, Host.DecimalSeparator()));
}

double TOffsetPanel::FieldNumber(const QLineEdit* edit) const
{
    return ParseUserNumberDef(edit->text().toStdString(), Host.DecimalSeparator(), 0.0);
}

void TOffsetPanel::SetTrackBarSilently(QSlider* bar, int position)
{
    if (bar->value() == position)
        return;
    const QSignalBlocker block(bar);
    bar->setValue(position);
}

const TDataBlock* TOffsetPanel::ShiftFlight(const char* assertion) const
{
    if (!isEnabled())
        return nullptr;
    const int row = Host.CurrentRow();
    if (row < 0 || row >= Host.FlightCount())
        return nullptr;
    const TDataBlock* flight = Host.Flight(row);
    ZIRKO_ASSERT(flight != nullptr, assertion, kUnit);
    return flight;
}

void TOffsetPanel::Changed(int row, const std::vector<int>& changed)
{
    if (!changed.empty())
        emit OffsetsChanged(row);
}

void TOffsetPanel::ApplyShiftX(bool fromField)
{
    try {
        if (!ShiftFlight("P=nil in EditShiftXChange"))
            return;
        const int row = Host.CurrentRow();
        const double value = FieldNumber(EditShiftX);
        if (std::fabs(value - Slot(row, kSlotAltitude).OffsetX) <= kZeroChange)
            return;
        Changed(row, Host.SetOffsetX(row, value));
        if (fromField)
            SetTrackBarSilently(TrackBarX, TrackBarXPosition(value));
    } catch (const std::exception& e) {
        ShowError(QString::fromUtf8(e.what()) + "\nIn EditShiftXExit.");
    }
}

void TOffsetPanel::ApplyShiftY(bool fromField)
{
    try {
        const TDataBlock* flight = ShiftFlight("P=nil in EditShiftYChange");
        const int k = ComboBoxShiftAxis->currentIndex();
        if (!flight || k < 0)
            return;
        const int row = Host.CurrentRow();
        const double value = FieldNumber(EditShiftY);
        if (std::fabs(value - Slot(row, k).OffsetY) <= kZeroChange)
            return;
        Changed(row, Host.SetOffsetY(row, k, value));
        if (fromField)
            SetTrackBarSilently(TrackBarY, TrackBarYPosition(value));
    } catch (const std::exception& e) {
        ShowError(QString::fromUtf8(e.what()) + "\nIn EditShiftYExit.");
    }
}

void TOffsetPanel::SetShiftX(int row, double offset)
{
    Changed(row, Host.SetOffsetX(row, offset));
    EditShiftX->setText(OffsetText(offset));
    SetTrackBarSilently(TrackBarX, TrackBarXPosition(offset));
}

void TOffsetPanel::SetShiftY(int row, double offset)
{
    const int k = ComboBoxShiftAxis->currentIndex();
    if (k < 0)
        return;
    Changed(row, Host.SetOffsetY(row, k, offset));
    EditShiftY->setText(OffsetText(offset));
    SetTrackBarSilently(TrackBarY, TrackBarYPosition(offset));
}

void TOffsetPanel::ChooseShiftAxis(int k)
{
    ComboBoxShiftAxis->setCurrentIndex(k);
    ComboBoxShiftAxisChange();
}

void TOffsetPanel::ComboBoxShiftAxisChange()
{
    const TDataBlock* flight = ShiftFlight("P=nil in EditShiftXChange");
    const int k = ComboBoxShiftAxis->currentIndex();
    if (!flight || k < 0)
        return;
    const double offset = Slot(Host.CurrentRow(), k).OffsetY;
    EditShiftY->setText(OffsetText(offset));
    SetTrackBarSilently(TrackBarY, TrackBarYPosition(OffsetAsShown(offset)));
}

void TOffsetPanel::SetShiftState(int row, bool apply)
{
    const bool on = CheckBoxShift->isChecked();
    for (QWidget* w : std::initializer_list<QWidget*>{EditShiftX, EditShiftY, ComboBoxShiftAxis,
                                                      TrackBarX, TrackBarY})
        w->setEnabled(on);
    if (apply && isEnabled() && row >= 0 && row < Host.FlightCount()) {
        if (ZIRKO_ASSERT(Host.SeriesInfo(row) != nullptr, "P=nil in CheckBoxShiftClick", kUnit))
            Changed(row, Host.SetShiftOn(row, on));
    }
    emit AxesMoved();
}

void TOffsetPanel::LoadShiftControls(int row)
{
    const TFlightSlots* flightSlots = Host.SeriesInfo(row);
    if (!flightSlots)
        return;
    CheckBoxShift->setChecked((*flightSlots)[kSlotAltitude].ShiftOn);
    SetShiftState(row, false);
    const double x = (*flightSlots)[kSlotAltitude].OffsetX;
    const int k = std::max(0, ComboBoxShiftAxis->currentIndex());
    const double y = (*flightSlots)[static_cast<size_t>(k)].OffsetY;
    EditShiftX->setText(OffsetText(x));
    EditShiftY->setText(OffsetText(y));
    SetTrackBarSilently(TrackBarX, TrackBarXPosition(OffsetAsShown(x)));
    SetTrackBarSilently(TrackBarY, TrackBarYPosition(OffsetAsShown(y)));
}

TOffsetPanel::TZeroPoint TOffsetPanel::ZeroPointAt(int px, int py) const
{
    TZeroPoint p;
    p.Time = {Chart.Minimum(TAxisId::Bottom), Chart.Maximum(TAxisId::Bottom)};
    p.Altitude = {Chart.Minimum(TAxisId::Left), Chart.Maximum(TAxisId::Left)};
    p.TimeAutomatic = Chart.Automatic(TAxisId::Bottom);
    p.Vx = Chart.ValueAtPixel(TAxisId::Bottom, px);
    p.Vy = Chart.ValueAtPixel(TAxisId::Left, py);
    return p;
}

void TOffsetPanel::SwitchShiftOn(int row)
{
    if (CheckBoxShift->isChecked())
        return;
    CheckBoxShift->setChecked(true);
    SetShiftState(row, true);
}

void TOffsetPanel::AdjustToZero(const TZeroPoint& point, bool shiftAxes)
{
    try {
        if (!ShiftFlight("P=nil in AdjustToZeroClick"))
            return;
        const int row = Host.CurrentRow();
        // With the offsets switched off the point under the pointer is the recorded one: the new
        // offsets start from 0 and are switched on, so that point really goes to (0, 0).
        const bool wasOn = CheckBoxShift->isChecked();
        ChooseShiftAxis(kSlotAltitude);
        const TSeriesInfo& altitude = Slot(row, kSlotAltitude);
        const double x0 = wasOn ? altitude.OffsetX : 0.0;
        const double y0 = wasOn ? altitude.OffsetY : 0.0;
        SetShiftX(row, OffsetAsShown(x0 - point.Vx));
        SetShiftY(row, OffsetAsShown(y0 - point.Vy));
        SwitchShiftOn(row);
        if (shiftAxes && !point.TimeAutomatic) {
            Chart.SetMinMax(TAxisId::Bottom, point.Time.Min - point.Vx, point.Time.Max - point.Vx);
            Chart.SetMinMax(TAxisId::Left, point.Altitude.Min - point.Vy,
                            point.Altitude.Max - point.Vy);
        }
        emit AxesMoved();
    } catch (const std::exception& e) {
        ShowError(QString::fromUtf8(e.what()) + "\nIn AdjustToZeroClick.");
    }
}

void TOffsetPanel::AdjustRxToZero(int py)
{
    try {
        if (!ChannelShownAnywhere(Host, 2))
            return;
        if (!ShiftFlight("P=nil in AdjustRxToZeroClick"))
            return;
        const int row = Host.CurrentRow();
        const double rMin = Chart.Minimum(TAxisId::Right);
        const double rMax = Chart.Maximum(TAxisId::Right);
        ChooseShiftAxis(kSlotServo);
        const double vy = Chart.ValueAtPixel(TAxisId::Right, py);
        const double y0 = CheckBoxShift->isChecked() ? Slot(row, kSlotServo).OffsetY : 0.0;
        SetShiftY(row, OffsetAsShown(y0 - vy));
        SwitchShiftOn(row);
        if (ServoCentered && ServoCentered()) {
            const double s = rMax - rMin;
            Chart.SetMinMax(TAxisId::Right, -s / 2, s / 2);
        } else {
            Chart.SetMinMax(TAxisId::Right, rMin - vy, rMax - vy);
        }
        emit AxesMoved();
        Host.SetServoZero(row, y0 - vy);
    } catch (const std::exception& e) {
        ShowError(QString::fromUtf8(e.what()) + "\nIn AdjustRxToZeroClick.");
    }
}

std::vector<std::string> TOffsetPanel::AlignLaunches()
{
    std::vector<std::string> withoutLaunch;
    if (!isEnabled())
        return withoutLaunch;
    for (int row = 0; row < Host.FlightCount(); ++row) {
        const TDataBlock* flight = Host.Flight(row);
        if (!ZIRKO_ASSERT(flight != nullptr && Host.SeriesInfo(row) != nullptr,
                          "P=nil in AlignLaunchesClick", kUnit))
            continue;
        const std::optional<TShownOffset> offsets = LaunchZeroOffsets(*flight);
        if (!offsets) {
            withoutLaunch.push_back(Host.FlightName(row).toStdString());
            continue;
        }
        Changed(row, Host.MoveOffsetsTo(row, *offsets));
    }
    if (Host.CurrentRow() >= 0) {
        ChooseShiftAxis(kSlotAltitude);
        LoadShiftControls(Host.CurrentRow());
    }
    emit UndoZoomWanted();
    return withoutLaunch;
}

void TOffsetPanel::ResetFlightShift()
{
    if (!ShiftFlight("P=nil in ResetShiftClick"))
        return;
    const int row = Host.CurrentRow();
    ChooseShiftAxis(kSlotAltitude);
    SetShiftX(row, 0);
    SetShiftY(row, 0);
    EditShiftX->setText("0");
    EditShiftY->setText("0");
}

} // namespace zirko
