// The graph page's offset controls: the current flight shifted in time and, per channel, in
// value, by its fields and sliders, and the zero alignments of the chart's context menu.
#include "core/app/NumberFormat.h"
#include "core/shell/Assertion.h"
#include "gui/graph/GraphHost.h"
#include "gui/graph/GraphPage.h"
#include "gui/services/KeyFilter.h"

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

void TGraphPage::CreateOffsetControls()
{
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

QString TGraphPage::OffsetText(double value) const
{
    return QString::fromStdString(FormatDisplay(value, 1, Host.DecimalSeparator()));
}

double TGraphPage::FieldNumber(const QLineEdit* edit) const
{
    return ParseUserNumberDef(edit->text().toStdString(), Host.DecimalSeparator(), 0.0);
}

void TGraphPage::SetTrackBarSilently(QSlider* bar, int position)
{
    if (bar->value() == position)
        return;
    const QSignalBlocker block(bar);
    bar->setValue(position);
}

const TDataBlock* TGraphPage::ShiftFlight(const char* assertion) const
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

void TGraphPage::OffsetsChanged(int row, const std::vector<int>& changed)
{
    if (changed.empty())
        return;
    ShowOffsets(row);
    Chart1->RecalculateAll();
    UpdateScrollBars();
}

void TGraphPage::ApplyShiftX(bool fromField)
{
    try {
        if (!ShiftFlight("P=nil in EditShiftXChange"))
            return;
        const int row = Host.CurrentRow();
        const double value = FieldNumber(EditShiftX);
        if (std::fabs(value - (*SlotsOf(row))[kSlotAltitude].OffsetX) <= kZeroChange)
            return;
        OffsetsChanged(row, Host.SetOffsetX(row, value));
        if (fromField)
            SetTrackBarSilently(TrackBarX, TrackBarXPosition(value));
    } catch (const std::exception& e) {
        ShowError(QString::fromUtf8(e.what()) + "\nIn EditShiftXExit.");
    }
}

void TGraphPage::ApplyShiftY(bool fromField)
{
    try {
        const TDataBlock* flight = ShiftFlight("P=nil in EditShiftYChange");
        const int k = ComboBoxShiftAxis->currentIndex();
        if (!flight || k < 0)
            return;
        const int row = Host.CurrentRow();
        const double value = FieldNumber(EditShiftY);
        if (std::fabs(value - (*SlotsOf(row))[static_cast<size_t>(k)].OffsetY) <= kZeroChange)
            return;
        OffsetsChanged(row, Host.SetOffsetY(row, k, value));
        if (fromField)
            SetTrackBarSilently(TrackBarY, TrackBarYPosition(value));
    } catch (const std::exception& e) {
        ShowError(QString::fromUtf8(e.what()) + "\nIn EditShiftYExit.");
    }
}

void TGraphPage::SetShiftX(int row, double offset)
{
    OffsetsChanged(row, Host.SetOffsetX(row, offset));
    EditShiftX->setText(OffsetText(offset));
    SetTrackBarSilently(TrackBarX, TrackBarXPosition(offset));
}

void TGraphPage::SetShiftY(int row, double offset)
{
    const int k = ComboBoxShiftAxis->currentIndex();
    if (k < 0)
        return;
    OffsetsChanged(row, Host.SetOffsetY(row, k, offset));
    EditShiftY->setText(OffsetText(offset));
    SetTrackBarSilently(TrackBarY, TrackBarYPosition(offset));
}

void TGraphPage::ChooseShiftAxis(int k)
{
    ComboBoxShiftAxis->setCurrentIndex(k);
    ComboBoxShiftAxisChange();
}

void TGraphPage::ComboBoxShiftAxisChange()
{
    const TDataBlock* flight = ShiftFlight("P=nil in EditShiftXChange");
    const int k = ComboBoxShiftAxis->currentIndex();
    if (!flight || k < 0)
        return;
    const double offset = (*SlotsOf(Host.CurrentRow()))[static_cast<size_t>(k)].OffsetY;
    EditShiftY->setText(OffsetText(offset));
    SetTrackBarSilently(TrackBarY, TrackBarYPosition(OffsetAsShown(offset)));
}

void TGraphPage::SetShiftState(int row, bool apply)
{
    const bool on = CheckBoxShift->isChecked();
    for (QWidget* w : std::initializer_list<QWidget*>{EditShiftX, EditShiftY, ComboBoxShiftAxis,
                                                      TrackBarX, TrackBarY})
        w->setEnabled(on);
    if (apply && isEnabled() && row >= 0 && row < Host.FlightCount()) {
        if (ZIRKO_ASSERT(SlotsOf(row) != nullptr, "P=nil in CheckBoxShiftClick", kUnit))
            OffsetsChanged(row, Host.SetShiftOn(row, on));
    }
    UpdateScrollBars();
}

void TGraphPage::LoadShiftControls(int row)
{
    const TFlightSlots* flightSlots = SlotsOf(row);
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

TGraphPage::TZeroPoint TGraphPage::ZeroPointAt(int px, int py) const
{
    TZeroPoint p;
    p.Time = {Chart1->Minimum(TAxisId::Bottom), Chart1->Maximum(TAxisId::Bottom)};
    p.Altitude = {Chart1->Minimum(TAxisId::Left), Chart1->Maximum(TAxisId::Left)};
    p.TimeAutomatic = Chart1->Automatic(TAxisId::Bottom);
    p.Vx = Chart1->ValueAtPixel(TAxisId::Bottom, px);
    p.Vy = Chart1->ValueAtPixel(TAxisId::Left, py);
    return p;
}

void TGraphPage::SwitchShiftOn(int row)
{
    if (CheckBoxShift->isChecked())
        return;
    CheckBoxShift->setChecked(true);
    SetShiftState(row, true);
}

void TGraphPage::AdjustToZero(const TZeroPoint& point, bool shiftAxes)
{
    try {
        if (!ShiftFlight("P=nil in AdjustToZeroClick"))
            return;
        const int row = Host.CurrentRow();
        // With the offsets switched off the point under the pointer is the recorded one: the new
        // offsets start from 0 and are switched on, so that point really goes to (0, 0).
        const bool wasOn = CheckBoxShift->isChecked();
        ChooseShiftAxis(kSlotAltitude);
        const TSeriesInfo& altitude = (*SlotsOf(row))[kSlotAltitude];
        const double x0 = wasOn ? altitude.OffsetX : 0.0;
        const double y0 = wasOn ? altitude.OffsetY : 0.0;
        SetShiftX(row, OffsetAsShown(x0 - point.Vx));
        SetShiftY(row, OffsetAsShown(y0 - point.Vy));
        SwitchShiftOn(row);
        if (shiftAxes && !point.TimeAutomatic) {
            Chart1->SetMinMax(TAxisId::Bottom, point.Time.Min - point.Vx,
                              point.Time.Max - point.Vx);
            Chart1->SetMinMax(TAxisId::Left, point.Altitude.Min - point.Vy,
                              point.Altitude.Max - point.Vy);
        }
        UpdateScrollBars();
    } catch (const std::exception& e) {
        ShowError(QString::fromUtf8(e.what()) + "\nIn AdjustToZeroClick.");
    }
}

void TGraphPage::AdjustRxToZero(int py)
{
    try {
        if (!ChannelShownAnywhere(2))
            return;
        if (!ShiftFlight("P=nil in AdjustRxToZeroClick"))
            return;
        const int row = Host.CurrentRow();
        const double rMin = Chart1->Minimum(TAxisId::Right);
        const double rMax = Chart1->Maximum(TAxisId::Right);
        ChooseShiftAxis(kSlotServo);
        const double vy = Chart1->ValueAtPixel(TAxisId::Right, py);
        const double y0 = CheckBoxShift->isChecked() ? (*SlotsOf(row))[kSlotServo].OffsetY : 0.0;
        SetShiftY(row, OffsetAsShown(y0 - vy));
        SwitchShiftOn(row);
        if (CheckBox_RxCenter->isChecked()) {
            const double s = rMax - rMin;
            Chart1->SetMinMax(TAxisId::Right, -s / 2, s / 2);
        } else {
            Chart1->SetMinMax(TAxisId::Right, rMin - vy, rMax - vy);
        }
        UpdateScrollBars();
        Host.SetServoZero(row, y0 - vy);
    } catch (const std::exception& e) {
        ShowError(QString::fromUtf8(e.what()) + "\nIn AdjustRxToZeroClick.");
    }
}

std::vector<std::string> TGraphPage::AlignLaunches()
{
    std::vector<std::string> withoutLaunch;
    if (!isEnabled())
        return withoutLaunch;
    for (int row = 0; row < Host.FlightCount(); ++row) {
        const TDataBlock* flight = Host.Flight(row);
        if (!ZIRKO_ASSERT(flight != nullptr && SlotsOf(row) != nullptr,
                          "P=nil in AlignLaunchesClick", kUnit))
            continue;
        const std::optional<TShownOffset> offsets = LaunchZeroOffsets(*flight);
        if (!offsets) {
            withoutLaunch.push_back(Host.FlightName(row).toStdString());
            continue;
        }
        OffsetsChanged(row, Host.MoveOffsetsTo(row, *offsets));
    }
    if (Host.CurrentRow() >= 0) {
        ChooseShiftAxis(kSlotAltitude);
        LoadShiftControls(Host.CurrentRow());
    }
    UndoZoom();
    return withoutLaunch;
}

void TGraphPage::ResetFlightShift()
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
