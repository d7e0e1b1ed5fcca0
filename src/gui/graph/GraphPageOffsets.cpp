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

TDataBlock* TGraphPage::ShiftFlight(const char* assertion) const
{
    if (!isEnabled())
        return nullptr;
    const int row = Host.CurrentRow();
    if (row < 0 || row >= Host.FlightCount())
        return nullptr;
    TDataBlock* flight = Host.Flight(row);
    ZIRKO_ASSERT(flight != nullptr, assertion, kUnit);
    return flight;
}

void TGraphPage::OffsetsChanged(int row, const std::vector<int>& changed)
{
    if (changed.empty())
        return;
    Host.OffsetsEdited(row);
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
        TFlightSlots& flightSlots = *SlotsOf(row);
        const double value = FieldNumber(EditShiftX);
        if (std::fabs(value - flightSlots[kSlotAltitude].OffsetX) <= kZeroChange)
            return;
        OffsetsChanged(row, zirko::ApplyShiftX(flightSlots, value));
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
        TFlightSlots& flightSlots = *SlotsOf(row);
        const double value = FieldNumber(EditShiftY);
        if (std::fabs(value - flightSlots[static_cast<size_t>(k)].OffsetY) <= kZeroChange)
            return;
        OffsetsChanged(row, zirko::ApplyShiftY(flightSlots, k, value));
        if (fromField)
            SetTrackBarSilently(TrackBarY, TrackBarYPosition(value));
    } catch (const std::exception& e) {
        ShowError(QString::fromUtf8(e.what()) + "\nIn EditShiftYExit.");
    }
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
    SetTrackBarSilently(TrackBarY, TrackBarYPosition(FieldNumber(EditShiftY)));
}

void TGraphPage::SetShiftState(int row, bool apply)
{
    const bool on = CheckBoxShift->isChecked();
    for (QWidget* w : std::initializer_list<QWidget*>{EditShiftX, EditShiftY, ComboBoxShiftAxis,
                                                      TrackBarX, TrackBarY})
        w->setEnabled(on);
    if (apply && isEnabled() && row >= 0 && row < Host.FlightCount()) {
        TFlightSlots* flightSlots = SlotsOf(row);
        if (ZIRKO_ASSERT(flightSlots != nullptr, "P=nil in CheckBoxShiftClick", kUnit))
            OffsetsChanged(row, SetShiftOn(*flightSlots, on));
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
    EditShiftX->setText(OffsetText((*flightSlots)[kSlotAltitude].OffsetX));
    const int k = std::max(0, ComboBoxShiftAxis->currentIndex());
    EditShiftY->setText(OffsetText((*flightSlots)[static_cast<size_t>(k)].OffsetY));
    SetTrackBarSilently(TrackBarX, TrackBarXPosition(FieldNumber(EditShiftX)));
    SetTrackBarSilently(TrackBarY, TrackBarYPosition(FieldNumber(EditShiftY)));
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

void TGraphPage::AdjustToZero(const TZeroPoint& point, bool shiftAxes)
{
    try {
        if (!ShiftFlight("P=nil in AdjustToZeroClick"))
            return;
        // With the offsets switched off the point under the pointer is the recorded one: the new
        // offsets start from 0 and are switched on, so that point really goes to (0, 0).
        const bool wasOn = CheckBoxShift->isChecked();
        ChooseShiftAxis(kSlotAltitude);
        const double x0 = wasOn ? FieldNumber(EditShiftX) : 0.0;
        EditShiftX->setText(OffsetText(x0 - point.Vx));
        ApplyShiftX(true);
        const double y0 = wasOn ? FieldNumber(EditShiftY) : 0.0;
        EditShiftY->setText(OffsetText(y0 - point.Vy));
        ApplyShiftY(true);
        if (!wasOn) {
            CheckBoxShift->setChecked(true);
            SetShiftState(Host.CurrentRow(), true);
        }
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
        TDataBlock* flight = ShiftFlight("P=nil in AdjustRxToZeroClick");
        if (!flight)
            return;
        const double rMin = Chart1->Minimum(TAxisId::Right);
        const double rMax = Chart1->Maximum(TAxisId::Right);
        ChooseShiftAxis(kSlotServo);
        const double vy = Chart1->ValueAtPixel(TAxisId::Right, py);
        const double y0 = CheckBoxShift->isChecked() ? FieldNumber(EditShiftY) : 0.0;
        EditShiftY->setText(OffsetText(y0 - vy));
        ApplyShiftY(true);
        if (!CheckBoxShift->isChecked()) {
            CheckBoxShift->setChecked(true);
            SetShiftState(Host.CurrentRow(), true);
        }
        if (CheckBox_RxCenter->isChecked()) {
            const double s = rMax - rMin;
            Chart1->SetMinMax(TAxisId::Right, -s / 2, s / 2);
        } else {
            Chart1->SetMinMax(TAxisId::Right, rMin - vy, rMax - vy);
        }
        UpdateScrollBars();
        flight->RxOffsetY = y0 - vy;
        Host.MarkModified(Host.CurrentRow());
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
        TFlightSlots* flightSlots = SlotsOf(row);
        if (!ZIRKO_ASSERT(flight != nullptr && flightSlots != nullptr,
                          "P=nil in AlignLaunchesClick", kUnit))
            continue;
        const std::optional<TShownOffset> offsets = LaunchZeroOffsets(*flight);
        if (!offsets) {
            withoutLaunch.push_back(Host.FlightName(row).toStdString());
            continue;
        }
        OffsetsChanged(row, MoveOffsetsTo(*flightSlots, *offsets));
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
    ChooseShiftAxis(kSlotAltitude);
    EditShiftX->setText("0");
    ApplyShiftX(true);
    EditShiftY->setText("0");
    ApplyShiftY(true);
}

} // namespace zirko
