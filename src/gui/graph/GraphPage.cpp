#include "gui/graph/GraphPage.h"

#include "core/app/NumberFormat.h"
#include "core/graph/ChartMath.h"
#include "core/graph/GraphColors.h"
#include "core/graph/Readings.h"
#include "core/shell/Assertion.h"
#include "gui/graph/GraphHost.h"
#include "gui/graph/GraphIcons.h"
#include "gui/graph/MeasureTool.h"
#include "gui/graph/OffsetPanel.h"
#include "gui/graph/RangeGrid.h"
#include "gui/graph/ReadingsGrid.h"
#include "gui/services/UserDialogs.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>
#include <QSlider>
#include <QToolBar>
#include <QToolButton>
#include <QVBoxLayout>
#include <QWheelEvent>

#include <algorithm>
#include <cmath>
#include <stdexcept>

namespace zirko {

namespace {

const std::array<const char*, kSlotCount> kTitleSuffix{" (Alt)",  " (RX)",    " (PowS)",
                                                       " (Mark)", " (Annot)", " (Climb)"};

QColor ColorOfIndex(uint8_t index)
{
    const uint32_t rgb = GraphColors[index];
    return QColor((rgb >> 16) & 0xFF, (rgb >> 8) & 0xFF, rgb & 0xFF);
}

QToolButton* MakeButton(QToolBar* bar, const QString& name, const QString& text,
                        const QString& hint, bool checkable, const QString& icon)
{
    auto* b = new QToolButton(bar);
    b->setObjectName(name);
    b->setText(text);
    b->setIcon(GraphIcon(icon));
    b->setToolButtonStyle(Qt::ToolButtonIconOnly);
    b->setToolTip(hint);
    b->setCheckable(checkable);
    b->setAutoRaise(true);
    bar->addWidget(b);
    return b;
}

// The cursor readout: as wide as its longest text, so it stays put while its text changes, yet
// never the reason a window cannot get narrower.
class TReadoutLabel final : public QLabel {
public:
    using QLabel::QLabel;
    int PreferredWidth = 0;
    QSize sizeHint() const override
    {
        const QSize hint = QLabel::sizeHint();
        return {std::max(hint.width(), PreferredWidth), hint.height()};
    }
    QSize minimumSizeHint() const override { return {0, QLabel::minimumSizeHint().height()}; }
};

} // namespace

TGraphPage::TGraphPage(TGraphHost& host, QWidget* parent) : QWidget(parent), Host(host)
{
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);

    PanelGraf = new QWidget(this);
    PanelGraf->setObjectName("PanelGraf");
    PanelGraf->setFixedHeight(kPanelGrafHeight);
    auto* panelLayout = new QHBoxLayout(PanelGraf);
    panelLayout->setContentsMargins(0, 0, 0, 0);
    panelLayout->setSpacing(0);
    StringGridOdecet = new TReadingsGrid(PanelGraf);
    StringGridOdecet->setObjectName("StringGridOdecet");
    panelLayout->addWidget(StringGridOdecet, 1);
    RangeGrid = new TRangeGrid(PanelGraf);
    RangeGrid->hide();
    panelLayout->addWidget(RangeGrid, 1);
    StringGridOdecet->ClipboardExtra = [this] { return RangeGrid->ClipboardText(); };
    // The readings' columns follow the width the table has: the panel's while it is alone.
    StringGridOdecet->installEventFilter(this);
    layout->addWidget(PanelGraf);

    CreateToolBar();
    ToolRow = new QHBoxLayout;
    ToolRow->setContentsMargins(0, 0, 0, 0);
    ToolRow->setSpacing(0);
    ToolRow->addWidget(ToolBarGraf, 1);
    ToolRow->addWidget(LabelPos);
    layout->addLayout(ToolRow);

    LayoutChartArea();
    layout->addWidget(ChartArea, 1);
    layout->addWidget(PanelOffsets);

    MeasureTool = new TMeasureTool(
        *Chart1, Host, *StringGridOdecet,
        [this](int row, int slot) -> const TChartSeries* { return SeriesOf(row, slot); }, this);
    connect(MeasureTool, &TMeasureTool::PopupRequested, this, &TGraphPage::PopupRequested);
    connect(MeasureTool, &TMeasureTool::MeasureStarted, this,
            [this] { RangeGrid->SetLines({}, Host.DecimalSeparator()); });
    connect(MeasureTool, &TMeasureTool::Measured, this,
            [this](const TReadingValues& from, const TReadingValues& to) {
                RangeGrid->SetLines(RangeLines(Host, from.Time, to.Time,
                                               [this](int row) { return FlightShown(row); }),
                                    Host.DecimalSeparator());
                RangeGrid->show();
            });

    Chart1->SetAxisTitle(TAxisId::Left, "Altitude (m)");
    Chart1->SetLabelDecimals(TAxisId::Left, 1);
    Chart1->SetAxisTitle(TAxisId::Bottom, "Time (sec)");
    Chart1->SetLabelDecimals(TAxisId::Bottom, 2);
    Chart1->SetAxisTitle(TAxisId::Right, "Servo (%)");
    Chart1->SetLabelDecimals(TAxisId::Right, 1);
    Chart1->SetGridVisible(TAxisId::Right, false);
    Chart1->SetAxisTitle(TAxisId::Voltage, "Voltage (V)");
    Chart1->SetLabelDecimals(TAxisId::Voltage, 2);
    Chart1->SetLabelStep(TAxisId::Voltage, 0.05);
    Chart1->SetGridVisible(TAxisId::Voltage, false);
    Chart1->SetAxisTitle(TAxisId::Climb, "Climb (m/s)");
    Chart1->SetLabelDecimals(TAxisId::Climb, 1);
    Chart1->SetGridVisible(TAxisId::Climb, false);
    Chart1->SetSymmetric(TAxisId::Climb, true);
    Chart1->SetNumberFormat(Host.DecimalSeparator(), Host.GroupSeparator());
    StringGridOdecet->DecimalSeparator = Host.DecimalSeparator();
    Chart1->SetLabelHook(
        [this](TAxisId axis, const QString& label) { return TimeLabel(axis, label); });
    Chart1->SetBeforeDraw([this](QPainter& painter) { DrawEventBands(painter); });
    Chart1->SetAfterDraw([this](QPainter& painter) {
        DrawZeroLines(painter);
        DrawStartHeights(painter);
    });

    connect(Chart1, &TChart::Zoomed, this, [this](const QRect& rect) { ChartZoom(rect); });
    connect(Chart1, &TChart::UndoZoomed, this, [this] { ChartUndoZoom(); });
    connect(Chart1, &TChart::Scrolled, this, [this] { ChartScroll(); });
    connect(Chart1, &TChart::AfterDrawn, this, [this] {
        SetTimeAxisEnd();
        MeasureTool->ChartDrawn();
    });
    Chart1->SetOverlayPaint([this](QPainter& painter) { MeasureTool->PaintOverlay(painter); });
    connect(this, &TGraphPage::CrosshairCleared, MeasureTool, &TMeasureTool::ClearCrosshair);
    connect(Chart1, &TChart::MouseDown, this, [this](QMouseEvent* e) {
        MeasureTool->MouseDown(e);
        emit ChartMouseDown(e);
    });
    connect(Chart1, &TChart::MouseMove, this, [this](QMouseEvent* e) {
        ChartMouseMoved(e);
        emit ChartMouseMove(e);
    });
    connect(Chart1, &TChart::MouseUp, this, [this](QMouseEvent* e) {
        MeasureTool->MouseUp(e);
        emit ChartMouseUp(e);
    });
    Chart1->PlotArea()->installEventFilter(this);
    UpdateScrollBars();
}

TGraphPage::~TGraphPage()
{
    Chart1->SetLabelHook(nullptr);
    Chart1->SetBeforeDraw(nullptr);
    Chart1->SetAfterDraw(nullptr);
    Chart1->SetOverlayPaint(nullptr);
    // An offset field left while the page goes away finishes its edit: the page is gone then.
    disconnect(PanelOffsets, nullptr, this, nullptr);
}

void TGraphPage::CreateToolBar()
{
    ToolBarGraf = new QToolBar(this);
    ToolBarGraf->setObjectName("ToolBarGraf");
    ToolBarGraf->setIconSize(QSize(20, 20));
    QToolBar* t = ToolBarGraf;
    TBCopyGraph = MakeButton(t, "TBCopyGraph", "Copy", "Copy graph to clipboard", false, "copy");
    TBSaveGraph = MakeButton(t, "TBSaveGraph", "Save", "Save as BMP", false, "save");
    TBPrintGraph = MakeButton(t, "TBPrintGraph", "Print", "Print", false, "print");
    TBGraphSetup = MakeButton(t, "TBGraphSetup", "Setup", "Graph setup", false, "setup");
    t->addSeparator();
    // The hints of the two zoom buttons are crossed over, as the buttons have always been.
    TBZoomIn = MakeButton(t, "TBZoomIn", "-", "Zoom out", false, "zoomout");
    TBUndoZoom = MakeButton(t, "TBUndoZoom", "1:1", "Original size", false, "undozoom");
    TBZoomOut = MakeButton(t, "TBZoomOut", "+", "Zoom in", false, "zoomin");
    t->addSeparator();
    TBGrafRead = MakeButton(t, "TBGrafRead", "Measure", "Measurement Mode", true, "measure");
    TBAnnotDialog =
        MakeButton(t, "TBAnnotDialog", "Annot", "Shows an Annotation dialog", false, "annot");
    TBCrossHair = MakeButton(t, "TBCrossHair", "Cross", "CrossHair Cursor", true, "cross");
    TBRxZero = MakeButton(t, "TBRxZero", "Rx 0", "Show/hide Rx zero line", true, "rxzero");
    TBClimb = MakeButton(t, "TBClimb", "Climb", "Climb rate", true, "climb");
    TBMotor = MakeButton(t, "TBMotor", "Motor", "Motor runs and start height", true, "motor");
    TBPhases = MakeButton(t, "TBPhases", "Phases", "Climb phases", true, "phases");
    t->addSeparator();
    TBShowTable =
        MakeButton(t, "TBShowTable", "Table", "Show/hide measurement table.", true, "table");
    TBShowTable->setChecked(true);
    TBShowLegend = MakeButton(t, "TBShowLegend", "Legend", "Show/hide legend", true, "legend");
    LabelPos = new TReadoutLabel("cursor", this);
    LabelPos->setObjectName("LabelPos");
    LabelPos->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    LabelPos->setContentsMargins(4, 0, 4, 0);

    connect(TBCopyGraph, &QToolButton::clicked, this, [this] { emit CopyGraphRequested(); });
    connect(TBSaveGraph, &QToolButton::clicked, this, [this] { emit SaveGraphRequested(); });
    connect(TBPrintGraph, &QToolButton::clicked, this, [this] { emit PrintGraphRequested(); });
    connect(TBGraphSetup, &QToolButton::clicked, this, [this] { emit GraphSetupRequested(); });
    connect(TBAnnotDialog, &QToolButton::clicked, this, [this] { emit AnnotationsRequested(); });
    connect(TBZoomIn, &QToolButton::clicked, this, [this] { ZoomOut(); });
    connect(TBZoomOut, &QToolButton::clicked, this, [this] { ZoomIn(); });
    connect(TBUndoZoom, &QToolButton::clicked, this, [this] { UndoZoom(); });
    connect(TBGrafRead, &QToolButton::toggled, this, [this](bool on) {
        MeasureTool->SetMeasuring(on);
        Chart1->setCursor(on ? Qt::CrossCursor : Qt::ArrowCursor);
        emit MeasurementModeChanged(on);
    });
    connect(TBCrossHair, &QToolButton::toggled, this,
            [this](bool on) { MeasureTool->SetCrosshairOn(on); });
    connect(TBRxZero, &QToolButton::clicked, this, [this] { Chart1->Replot(); });
    connect(TBClimb, &QToolButton::toggled, this, [this] {
        for (int row = 0; row < Host.FlightCount(); ++row)
            UpdateClimbSeries(row);
        UpdateClimbAxis();
        UpdateScrollBars();
    });
    for (QToolButton* events : {TBMotor, TBPhases})
        connect(events, &QToolButton::toggled, this, [this] { Chart1->Replot(); });
    connect(TBShowTable, &QToolButton::toggled, this, [this](bool on) {
        PanelGraf->setFixedHeight(on ? kPanelGrafHeight : 0);
        emit TableShownChanged(on);
    });
    connect(TBShowLegend, &QToolButton::toggled, this, [this](bool on) {
        Chart1->SetLegendVisible(on);
        emit LegendShownChanged(on);
    });
}

void TGraphPage::LayoutChartArea()
{
    ChartArea = new QWidget(this);
    auto* grid = new QGridLayout(ChartArea);
    grid->setContentsMargins(0, 0, 0, 0);
    grid->setSpacing(1);
    Chart1 = new TChart(ChartArea);
    Chart1->setObjectName("Chart1");
    ScrollBar1 = new QScrollBar(Qt::Horizontal, ChartArea);
    ScrollBar1->setObjectName("ScrollBar1");
    ScrollBar2 = new QScrollBar(Qt::Vertical, ChartArea);
    ScrollBar2->setObjectName("ScrollBar2");
    for (QScrollBar* bar : {ScrollBar1, ScrollBar2}) {
        bar->setRange(0, 100);
        bar->setPageStep(10);
    }
    PanelOffsets = new TOffsetPanel(Host, *Chart1, this);
    PanelOffsets->ServoCentered = [this] { return CheckBox_RxCenter->isChecked(); };
    connect(PanelOffsets, &TOffsetPanel::OffsetsChanged, this, [this](int row) {
        ShowOffsets(row);
        Chart1->RecalculateAll();
        UpdateScrollBars();
    });
    connect(PanelOffsets, &TOffsetPanel::AxesMoved, this, [this] { UpdateScrollBars(); });
    connect(PanelOffsets, &TOffsetPanel::UndoZoomWanted, this, [this] { UndoZoom(); });
    CheckBox_min_sec = new QCheckBox("min:sec", ChartArea);
    CheckBox_min_sec->setObjectName("CheckBox_min_sec");
    CheckBox_RxCenter = new QCheckBox("Servo Center", ChartArea);
    CheckBox_RxCenter->setObjectName("CheckBox_RxCenter");
    auto* checks = new QHBoxLayout;
    checks->addWidget(CheckBox_min_sec);
    checks->addStretch(1);
    // Where the readout stands while it does not fit the toolbar row.
    ReadoutBelowSlot = new QHBoxLayout;
    ReadoutBelowSlot->setContentsMargins(0, 0, 12, 0);
    checks->addLayout(ReadoutBelowSlot);
    checks->addWidget(CheckBox_RxCenter);
    grid->addWidget(Chart1, 0, 0);
    grid->addWidget(ScrollBar2, 0, 1);
    grid->addWidget(PanelOffsets->SliderY(), 0, 2);
    grid->addWidget(ScrollBar1, 1, 0);
    grid->addWidget(PanelOffsets->SliderX(), 2, 0);
    grid->addLayout(checks, 3, 0, 1, 3);
    grid->setRowStretch(0, 1);
    grid->setColumnStretch(0, 1);

    connect(ScrollBar1, &QScrollBar::valueChanged, this, [this](int v) { ScrollBar1Change(v); });
    connect(ScrollBar2, &QScrollBar::valueChanged, this, [this](int v) { ScrollBar2Change(v); });
    connect(CheckBox_min_sec, &QCheckBox::clicked, this, [this] { MinSecClick(); });
    connect(CheckBox_RxCenter, &QCheckBox::clicked, this, [this] { CenterServoAxis(); });
}

// --------------------------------------------------------------------------------------------
// The flights' series

const TFlightSlots* TGraphPage::SlotsOf(int row) const
{
    return Host.SeriesInfo(row);
}

void TGraphPage::ShowOffsets(int row)
{
    const TFlightSlots* flightSlots = SlotsOf(row);
    if (!flightSlots)
        return;
    for (int k = 0; k < kSlotCount; ++k) {
        TChartSeries* series = SeriesOf(row, k);
        if (!series)
            continue;
        TSeriesTransform t = series->Transform();
        const TShownOffset offset = ShownOffset((*flightSlots)[static_cast<size_t>(k)]);
        t.Dx = offset.Dx;
        t.Dy = offset.Dy;
        series->SetTransform(t);
    }
}

void TGraphPage::ShowAnnotations(int row)
{
    TChartSeries* s = SeriesOf(row, kSlotAnnotation);
    const TDataBlock* f = Host.Flight(row);
    if (!s || !f)
        return;
    // The annotations are few: points of the series' own, holding the record's values, shown
    // through the offsets.
    const TSeriesTransform shown = s->Transform();
    s->Clear();
    s->SetTransform({});
    for (const TAnotace& a : f->Annotations)
        s->AddXY(a.Time, a.Value, a.Text);
    s->SetTransform(shown);
    Chart1->Replot();
}

TChannelStates TGraphPage::BuildFlightSeries(int row)
{
    const TDataBlock* f = Host.Flight(row);
    const TFlightSlots* flightSlots = SlotsOf(row);
    if (!f || !flightSlots || row < 0 || row > static_cast<int>(FlightSeries.size()))
        return {TChannelState::Unavailable, TChannelState::Unavailable, TChannelState::Unavailable,
                TChannelState::Unavailable, TChannelState::Off};
    if (row == static_cast<int>(FlightSeries.size()))
        FlightSeries.emplace_back();
    std::array<TChartSeries*, kSlotCount>& handles = FlightSeries[static_cast<size_t>(row)];
    const TChannelStates states = InitialChannelStates(*f);
    const TGraphSettings& gs = Host.GraphSettings();
    // The host chose the flight's colour; past the table's end the chart picks a free one.
    const uint8_t colorIndex = (*flightSlots)[kSlotAltitude].ColorIndex;
    const QString name = Host.FlightName(row);
    const size_t nAlt = std::min(f->Time.size(), f->Altitude.size());
    // One look at the times serves the three lines that share them.
    const bool timeAscending = std::is_sorted(f->Time.begin(), f->Time.end());
    // The series view the record's arrays: nothing of the flight is copied here.
    for (int k = 0; k < kSlotCount; ++k) {
        TChartSeries*& handle = handles[static_cast<size_t>(k)];
        if (handle)
            Chart1->RemoveSeries(handle);
        const bool line = k <= kSlotVoltage || k == kSlotClimb;
        TChartSeries* s = Chart1->AddSeries(line ? TSeriesKind::Line : TSeriesKind::Point);
        handle = s;
        s->SetActive(false);
        s->SetTitle(name + kTitleSuffix[static_cast<size_t>(k)]);
        s->SetColor(colorIndex < kGraphColorCount ? ColorOfIndex(colorIndex)
                                                  : Chart1->FreeColor(s));
        switch (k) {
        case kSlotAltitude:
            s->SetVerticalAxis(TAxisId::Left);
            s->SetPen(LineStyleOf(gs.AltitudeLStyle), gs.AltitudeLWidth);
            s->SetView(f->Time, f->Altitude, nAlt, timeAscending);
            break;
        case kSlotServo: {
            s->SetVerticalAxis(TAxisId::Right);
            s->SetPen(LineStyleOf(gs.RXLStyle), gs.RXLWidth);
            const TLinearMap map =
                ServoMap(Host.DeflectionOnGraph(), Host.DeflectionMin(), Host.DeflectionMax());
            s->SetTransform({0, map.Scale, map.Base, 0});
            s->SetView(f->Time, f->Rx, f->Rx.size(), timeAscending);
            break;
        }
        case kSlotVoltage:
            s->SetVerticalAxis(TAxisId::Voltage);
            s->SetPen(LineStyleOf(gs.PowerSupLStyle), gs.PowerSupLWidth);
            s->SetView(f->Time, f->Voltage, f->Voltage.size(), timeAscending);
            break;
        case kSlotMarker: {
            s->SetVerticalAxis(TAxisId::Left);
            s->SetSorted(false);
            s->SetSymbol(SymbolStyleOf(gs.MarkerMarkStyle), gs.MarkerMarkSize);
            const size_t n = std::min(f->MarkerFlags.size(), nAlt);
            std::vector<uint32_t> picked;
            for (size_t i = 0; i < n; ++i)
                if (f->MarkerFlags[i] == 1)
                    picked.push_back(static_cast<uint32_t>(i));
            s->SetPickedView(f->Time, f->Altitude, std::move(picked));
            break;
        }
        case kSlotAnnotation:
            // The annotations are few: points of the series' own, holding the file's values.
            s->SetVerticalAxis(TAxisId::Left);
            s->SetSorted(false);
            s->SetSymbol(SymbolStyleOf(gs.AnnotMarkStyle), gs.AnnotMarkSize);
            s->SetMarksVisible(true);
            for (const TAnotace& a : f->Annotations)
                s->AddXY(a.Time, a.Value, a.Text);
            break;
        case kSlotClimb:
            // Empty until first shown: the climb rate is worked out only when it is wanted.
            s->SetVerticalAxis(TAxisId::Climb);
            s->SetPen(LineStyleOf(gs.AltitudeLStyle), gs.AltitudeLWidth);
            s->SetColor(QColor::fromRgb(ClimbColorOf(s->Color().rgb() & 0xFFFFFF)));
            break;
        default:
            break;
        }
    }
    // In percent the flight's own servo offset is the servo's offset while shown.
    if (!Host.DeflectionOnGraph() && f->RxOffsetY != 0)
        Host.SetOffsetY(row, kSlotServo, f->RxOffsetY);
    ShowOffsets(row);
    return states;
}

TChartSeries* TGraphPage::SeriesOf(int row, int slot) const
{
    if (row < 0 || row >= static_cast<int>(FlightSeries.size()) || slot < 0 || slot >= kSlotCount)
        return nullptr;
    return FlightSeries[static_cast<size_t>(row)][static_cast<size_t>(slot)];
}

void TGraphPage::ShowChannel(int row, int column, bool on)
{
    TChartSeries* s = SeriesOf(row, column - 1);
    if (!s)
        return;
    s->SetActive(on);
    if (column == 1)
        UpdateClimbSeries(row);
    Chart1->Recalculate(TAxisId::Bottom);
    if (column == 1) {
        Chart1->Recalculate(TAxisId::Left);
        UpdateClimbAxis();
    } else if (column == 2)
        Chart1->Recalculate(TAxisId::Right);
    else if (column == 3) {
        Chart1->Recalculate(TAxisId::Voltage);
        SetTimeAxisEnd();
    }
    if (column == 2 || column == 3)
        PlaceReadout();
}

void TGraphPage::UpdateClimbSeries(int row)
{
    TChartSeries* climb = SeriesOf(row, kSlotClimb);
    const TChartSeries* altitude = SeriesOf(row, kSlotAltitude);
    const TDataBlock* f = Host.Flight(row);
    if (!climb || !altitude || !f)
        return;
    const bool wanted = TBClimb->isChecked() && altitude->Active();
    if (wanted && climb->Count() == 0) {
        const std::vector<double>& rate = Host.ClimbRate(row);
        climb->SetView(f->Time, rate, std::min(f->Time.size(), rate.size()));
    }
    climb->SetActive(wanted && climb->Count() > 0);
}

void TGraphPage::UpdateClimbAxis()
{
    bool any = false;
    for (int row = 0; row < Host.FlightCount() && !any; ++row)
        if (const TChartSeries* s = SeriesOf(row, kSlotClimb))
            any = s->Active();
    const bool show = TBClimb->isChecked() && any;
    // An axis that comes into view starts from its automatic range, whatever zooms it missed.
    if (show && !Chart1->AxisVisible(TAxisId::Climb))
        Chart1->SetAutomatic(TAxisId::Climb, true);
    Chart1->SetAxisVisible(TAxisId::Climb, show);
    Chart1->Recalculate(TAxisId::Climb);
    PlaceReadout();
}

void TGraphPage::SetClimbShown(bool shown)
{
    TBClimb->setChecked(shown);
}

bool TGraphPage::ClimbShown() const
{
    return TBClimb->isChecked();
}

void TGraphPage::RetitleFlightSeries(int row)
{
    const QString name = Host.FlightName(row);
    for (int k = 0; k < kSlotCount; ++k)
        if (TChartSeries* s = SeriesOf(row, k))
            s->SetTitle(name + kTitleSuffix[static_cast<size_t>(k)]);
}

void TGraphPage::RemoveFlightSeries(int row)
{
    if (row < 0 || row >= static_cast<int>(FlightSeries.size()))
        return;
    for (TChartSeries* series : FlightSeries[static_cast<size_t>(row)])
        if (series)
            Chart1->RemoveSeries(series);
    // The rows below move up with their series.
    FlightSeries.erase(FlightSeries.begin() + row);
    UpdateClimbAxis();
}

void TGraphPage::MoveFlightSeriesToFront(int row)
{
    for (int slot :
         {kSlotClimb, kSlotVoltage, kSlotServo, kSlotAltitude, kSlotMarker, kSlotAnnotation})
        if (TChartSeries* s = SeriesOf(row, slot))
            Chart1->MoveSeriesTowardStart(s);
}

bool TGraphPage::ChannelShownAnywhere(int column) const
{
    return zirko::ChannelShownAnywhere(Host, column);
}

void TGraphPage::ApplyAxisSetting(int axis, bool automatic, double min, double& max)
{
    const auto id = static_cast<TAxisId>(axis);
    if (automatic) {
        Chart1->SetAutomatic(id, true);
        return;
    }
    EnforceMaxAboveMin(min, max);
    Chart1->SetMinMax(id, min, max);
}

void TGraphPage::ChangeGraphSettings()
{
    TGraphSettings& gs = Host.GraphSettings();
    ApplyAxisSetting(static_cast<int>(TAxisId::Left), gs.AltitudeAuto, gs.AltitudeMin,
                     gs.AltitudeMax);
    ApplyAxisSetting(static_cast<int>(TAxisId::Right), gs.RXAuto, gs.RXMin, gs.RXMax);
    ApplyAxisSetting(static_cast<int>(TAxisId::Voltage), gs.PowerSupAuto, gs.PowerSupMin,
                     gs.PowerSupMax);
    ApplyAxisSetting(static_cast<int>(TAxisId::Bottom), gs.TimeAuto, gs.TimeMin, gs.TimeMax);
    for (int row = 0; row < Host.FlightCount(); ++row) {
        if (!Host.Flight(row))
            throw std::runtime_error("Pointer to data not found in ChangeGraphSettings!");
        auto series = [this, row](int slot) { return SeriesOf(row, slot); };
        for (int slot : {kSlotAltitude, kSlotClimb})
            if (TChartSeries* s = series(slot))
                s->SetPen(LineStyleOf(gs.AltitudeLStyle), gs.AltitudeLWidth);
        if (TChartSeries* s = series(kSlotVoltage))
            s->SetPen(LineStyleOf(gs.PowerSupLStyle), gs.PowerSupLWidth);
        if (TChartSeries* s = series(kSlotServo))
            s->SetPen(LineStyleOf(gs.RXLStyle), gs.RXLWidth);
        if (TChartSeries* s = series(kSlotAnnotation))
            s->SetSymbol(SymbolStyleOf(gs.AnnotMarkStyle), gs.AnnotMarkSize);
        if (TChartSeries* s = series(kSlotMarker))
            s->SetSymbol(SymbolStyleOf(gs.MarkerMarkStyle), gs.MarkerMarkSize);
    }
}

void TGraphPage::SetLegendShown(bool shown)
{
    TBShowLegend->setChecked(shown);
    Chart1->SetLegendVisible(shown);
}

bool TGraphPage::LegendShown() const
{
    return TBShowLegend->isChecked();
}

void TGraphPage::SetTableShown(bool shown)
{
    TBShowTable->setChecked(shown);
    PanelGraf->setFixedHeight(shown ? kPanelGrafHeight : 0);
}

bool TGraphPage::TableShown() const
{
    return TBShowTable->isChecked();
}

// --------------------------------------------------------------------------------------------
// Axes, labels and the servo aids

void TGraphPage::SetTimeAxisEnd()
{
    // A chart that was never laid out can have a plot narrower than nothing, which gives more
    // than 100 percent; the axis keeps at most 100, and asking again each draw would never end.
    // The strip is for the voltage labels: without a voltage curve the time axis runs to the edge.
    const int percent = Chart1->AxisInUse(TAxisId::Voltage)
                            ? std::min(100, TimeAxisEndPercent(Chart1->PlotRect().width()))
                            : 100;
    if (Chart1->EndPosition(TAxisId::Bottom) != percent)
        Chart1->SetEndPosition(TAxisId::Bottom, percent);
}

QString TGraphPage::TimeLabel(TAxisId axis, const QString& label) const
{
    if (axis != TAxisId::Bottom || !CheckBox_min_sec->isChecked())
        return label;
    return QString::fromStdString(MinSecLabel(label.toStdString(), Chart1->GroupSeparator()));
}

void TGraphPage::MinSecClick()
{
    Chart1->SetAxisTitle(TAxisId::Bottom,
                         CheckBox_min_sec->isChecked() ? "Time (min:sec)" : "Time (sec)");
    Chart1->RefreshLabels(TAxisId::Bottom);
}

void TGraphPage::CenterServoAxis()
{
    if (!CheckBox_RxCenter->isChecked())
        return;
    const TAxisRange r =
        CenteredRange({Chart1->Minimum(TAxisId::Right), Chart1->Maximum(TAxisId::Right)});
    Chart1->SetMinMax(TAxisId::Right, r.Min, r.Max);
    Chart1->Replot();
}

void TGraphPage::DrawZeroLines(QPainter& painter)
{
    if (TBRxZero->isChecked() && ChannelShownAnywhere(2))
        DrawZeroLine(painter, TAxisId::Right, QPen(Qt::black, 1, Qt::SolidLine));
    if (Chart1->AxisVisible(TAxisId::Climb))
        DrawZeroLine(painter, TAxisId::Climb, QPen(QColor(0x80, 0x80, 0x80), 1, Qt::DashLine));
}

void TGraphPage::DrawZeroLine(QPainter& painter, TAxisId axis, const QPen& pen)
{
    const QRect plot = Chart1->PlotRect();
    const int y = static_cast<int>(std::lround(Chart1->PixelOfValue(axis, 0)));
    if (y <= plot.top() || y >= plot.bottom())
        return;
    painter.setPen(pen);
    painter.setRenderHint(QPainter::Antialiasing, false);
    painter.drawLine(plot.left(), y, plot.right(), y);
}

// --------------------------------------------------------------------------------------------
// Navigation

void TGraphPage::ZoomIn()
{
    Chart1->ZoomPercent(110);
}

void TGraphPage::ZoomOut()
{
    Chart1->ZoomPercent(90);
}

void TGraphPage::UndoZoom()
{
    if (Chart1->isVisible())
        Chart1->UndoZoom();
}

bool TGraphPage::HandleWheel(const QPoint& globalPos, int delta)
{
    if (!Chart1->isVisible() || !Host.GraphPageActive() || Host.FlightCount() < 1)
        return false;
    const QPoint p = Chart1->mapFromGlobal(globalPos);
    if (!(p.x() > 0 && p.x() < Chart1->width() && p.y() > 0 && p.y() < Chart1->height()))
        return false;
    Chart1->ZoomPercent(delta <= 0 ? 90 : 110);
    // The move handling follows, so the readout and the crosshair show the new values.
    QMouseEvent move(QEvent::MouseMove, QPointF(p), QPointF(globalPos), Qt::NoButton, Qt::NoButton,
                     QGuiApplication::keyboardModifiers());
    ChartMouseMoved(&move);
    return true;
}

void TGraphPage::ChartZoom(const QRect& rect)
{
    try {
        // A zoom by percentage has no rectangle: the voltage axis takes the same percentage, so
        // the voltage curve keeps its place against the other channels.
        if (rect.isNull()) {
            const TAxisRange r = ZoomByPercent(
                {Chart1->Minimum(TAxisId::Voltage), Chart1->Maximum(TAxisId::Voltage)},
                Chart1->LastZoomPercent());
            Chart1->SetMinMax(TAxisId::Voltage, r.Min, r.Max);
        } else {
            const double lo = Chart1->ValueAtPixel(TAxisId::Voltage, rect.bottom());
            const double hi = Chart1->ValueAtPixel(TAxisId::Voltage, rect.top());
            Chart1->SetMinMax(TAxisId::Voltage, lo, hi);
        }
    } catch (const std::exception& e) {
        ShowError(QString::fromStdString(e.what()) + "\nIn ChartZoom.");
    }
    UpdateScrollBars();
    CenterServoAxis();
    UpdateScrollBars();
    emit CrosshairCleared();
}

void TGraphPage::ChartUndoZoom()
{
    try {
        TGraphSettings& gs = Host.GraphSettings();
        ApplyAxisSetting(static_cast<int>(TAxisId::Left), gs.AltitudeAuto, gs.AltitudeMin,
                         gs.AltitudeMax);
        ApplyAxisSetting(static_cast<int>(TAxisId::Right), gs.RXAuto, gs.RXMin, gs.RXMax);
        ApplyAxisSetting(static_cast<int>(TAxisId::Voltage), gs.PowerSupAuto, gs.PowerSupMin,
                         gs.PowerSupMax);
        ApplyAxisSetting(static_cast<int>(TAxisId::Bottom), gs.TimeAuto, gs.TimeMin, gs.TimeMax);
        CenterServoAxis();
        UpdateScrollBars();
    } catch (const std::exception& e) {
        ShowError(QString::fromStdString(e.what()) + "\nIn ChartUndoZoom.");
    }
}

void TGraphPage::ChartScroll()
{
    try {
        Chart1->Recalculate(TAxisId::Voltage);
        UpdateScrollBars();
    } catch (const std::exception& e) {
        ShowError(QString::fromStdString(e.what()) + "\nIn ChartScroll.");
    }
}

bool TGraphPage::SpaceDown()
{
    if (!Chart1->isVisible() || !Host.GraphPageActive() || Host.FlightCount() < 1)
        return false;
    Chart1->SetRectZoomEnabled(false);
    Chart1->SetPanningEnabled(true);
    Chart1->setCursor(Qt::PointingHandCursor);
    return true;
}

void TGraphPage::SpaceUp()
{
    if (!Host.GraphPageActive())
        return;
    Chart1->SetRectZoomEnabled(true);
    Chart1->SetPanningEnabled(false);
    Chart1->setCursor(TBGrafRead->isChecked() ? Qt::CrossCursor : Qt::ArrowCursor);
    CenterServoAxis();
}

void TGraphPage::UpdateScrollBars()
{
    ScrollUpdating = true;
    if (Chart1->Automatic(TAxisId::Bottom)) {
        ScrollBar1->setEnabled(false);
    } else {
        ScrollBar1->setEnabled(true);
        if (const auto e = Chart1->DataExtent(TAxisId::Bottom))
            if (const auto pos = HorizontalScrollPosition(
                    {Chart1->Minimum(TAxisId::Bottom), Chart1->Maximum(TAxisId::Bottom)}, e->first,
                    e->second))
                ScrollBar1->setValue(*pos);
    }
    const bool verticalFixed = !Chart1->Automatic(TAxisId::Left) &&
                               !Chart1->Automatic(TAxisId::Right) &&
                               !Chart1->Automatic(TAxisId::Voltage);
    ScrollBar2->setEnabled(verticalFixed);
    if (verticalFixed)
        if (const auto e = Chart1->DataExtent(TAxisId::Left))
            if (const auto pos = VerticalScrollPosition(
                    {Chart1->Minimum(TAxisId::Left), Chart1->Maximum(TAxisId::Left)}, e->first,
                    e->second))
                ScrollBar2->setValue(*pos);
    ScrollUpdating = false;
}

void TGraphPage::ScrollBar1Change(int position)
{
    if (ScrollUpdating)
        return;
    const auto e = Chart1->DataExtent(TAxisId::Bottom);
    const double low = e ? e->first : 0;
    const double high = e ? e->second : 0;
    const TAxisRange r = ScrolledRange(
        {Chart1->Minimum(TAxisId::Bottom), Chart1->Maximum(TAxisId::Bottom)}, low, high, position);
    Chart1->SetMinMax(TAxisId::Bottom, r.Min, r.Max);
}

void TGraphPage::ScrollBar2Change(int position)
{
    if (ScrollUpdating)
        return;
    const int p = 100 - position;
    auto scroll = [this, p](TAxisId axis) {
        const auto e = Chart1->DataExtent(axis);
        const double low = e ? e->first : 0;
        const double high = e ? e->second : 0;
        const TAxisRange r =
            ScrolledRange({Chart1->Minimum(axis), Chart1->Maximum(axis)}, low, high, p);
        Chart1->SetMinMax(axis, r.Min, r.Max);
    };
    scroll(TAxisId::Left);
    if (CheckBox_RxCenter->isChecked()) {
        const double w = Chart1->Maximum(TAxisId::Right) - Chart1->Minimum(TAxisId::Right);
        Chart1->SetMinMax(TAxisId::Right, -w / 2, w / 2);
    } else {
        scroll(TAxisId::Right);
    }
    scroll(TAxisId::Voltage);
    if (Chart1->AxisVisible(TAxisId::Climb) && !Chart1->Automatic(TAxisId::Climb))
        scroll(TAxisId::Climb);
}

void TGraphPage::PlaceReadout()
{
    if (!LabelPos || !ToolRow || !ReadoutBelowSlot)
        return;
    // The widest values each shown channel gives, in the longest time text.
    TReadingValues widest;
    widest.Time = 5999.9;
    widest.Altitude = 8888.8;
    if (ChannelShownAnywhere(2))
        widest.Servo = -100.0;
    if (ChannelShownAnywhere(3))
        widest.Voltage = 88.8;
    if (Chart1->AxisVisible(TAxisId::Climb))
        widest.Climb = -88.8;
    const QString longest =
        QString::fromStdString(PositionReadout(true, widest, true, Host.DecimalSeparator()));
    const QMargins m = LabelPos->contentsMargins();
    const int needed =
        LabelPos->fontMetrics().horizontalAdvance(longest) + m.left() + m.right() + 2;
    const bool below = width() < ToolBarGraf->sizeHint().width() + needed;
    auto* label = static_cast<TReadoutLabel*>(LabelPos);
    if (label->PreferredWidth != needed) {
        label->PreferredWidth = needed;
        label->updateGeometry();
    }
    if (below == ReadoutBelow && LabelPos->parentWidget())
        return;
    ReadoutBelow = below;
    ToolRow->removeWidget(LabelPos);
    ReadoutBelowSlot->removeWidget(LabelPos);
    LabelPos->setParent(below ? ChartArea : this);
    (below ? ReadoutBelowSlot : ToolRow)->addWidget(LabelPos);
    LabelPos->show();
}

void TGraphPage::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    PlaceReadout();
}

void TGraphPage::changeEvent(QEvent* event)
{
    QWidget::changeEvent(event);
    if (event->type() == QEvent::FontChange || event->type() == QEvent::StyleChange)
        PlaceReadout();
}

void TGraphPage::ChartMouseMoved(QMouseEvent* event)
{
    UpdateReadout(event->position().toPoint());
    MeasureTool->MouseMove(event);
}

void TGraphPage::UpdateReadout(const QPoint& chartPos)
{
    const TReadingValues v = MeasureTool->ReadingsAt(chartPos);
    LabelPos->setText(QString::fromStdString(PositionReadout(
        Chart1->AnySeriesActive(), v, ChannelShownAnywhere(1), Host.DecimalSeparator())));
}

bool TGraphPage::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == StringGridOdecet && event->type() == QEvent::Resize) {
        StringGridOdecet->FitColumns(StringGridOdecet->width(), Host.AutoGridSize());
    } else if (watched == Chart1->PlotArea() && event->type() == QEvent::Leave) {
        // The pointer has gone: no cross, and no values at it.
        MeasureTool->ClearCrosshair();
    } else if (watched == Chart1->PlotArea() && event->type() == QEvent::Wheel) {
        auto* we = static_cast<QWheelEvent*>(event);
        if (HandleWheel(we->globalPosition().toPoint(), we->angleDelta().y())) {
            we->accept();
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

void TGraphPage::ShowError(const QString& text)
{
    Dialogs().ShowError(this, text);
}

} // namespace zirko
