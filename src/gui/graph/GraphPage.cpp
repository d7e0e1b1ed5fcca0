#include "gui/graph/GraphPage.h"

#include "core/app/NumberFormat.h"
#include "core/graph/ChartMath.h"
#include "core/graph/GraphColors.h"
#include "core/graph/Readings.h"
#include "core/shell/Assertion.h"
#include "gui/graph/Chart.h"
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
        [this](int row, int slot) -> const TChartSeries* { return Scene->SeriesOf(row, slot); },
        this);
    connect(MeasureTool, &TMeasureTool::PopupRequested, this, &TGraphPage::PopupRequested);
    connect(MeasureTool, &TMeasureTool::MeasureStarted, this,
            [this] { RangeGrid->SetLines({}, Host.DecimalSeparator()); });
    connect(MeasureTool, &TMeasureTool::Measured, this,
            [this](const TReadingValues& from, const TReadingValues& to) {
                RangeGrid->SetLines(RangeLines(Host, from.Time, to.Time,
                                               [this](int row) { return Scene->FlightShown(row); }),
                                    Host.DecimalSeparator());
                RangeGrid->show();
            });

    StringGridOdecet->DecimalSeparator = Host.DecimalSeparator();
    ConnectChart();
    FollowSwitches();
    UpdateScrollBars();
}

void TGraphPage::ConnectChart()
{
    connect(Scene.get(), &TFlightPlot::AxesChanged, this, [this] { PlaceReadout(); });
    connect(Scene.get(), &TFlightPlot::OptionsChanged, this, [this] { FollowSwitches(); });
    connect(Chart1, &TChart::Zoomed, this, [this](const QRect& rect) { ChartZoom(rect); });
    connect(Chart1, &TChart::UndoZoomed, this, [this] { ChartUndoZoom(); });
    connect(Chart1, &TChart::Scrolled, this, [this] { ChartScroll(); });
    connect(Chart1, &TChart::AfterDrawn, MeasureTool, &TMeasureTool::ChartDrawn);
    Chart1->SetOverlayPaint([this](QPainter& painter) { MeasureTool->PaintOverlay(painter); });
    connect(Chart1, &TChart::MouseDown, MeasureTool, &TMeasureTool::MouseDown);
    connect(Chart1, &TChart::MouseMove, this, [this](QMouseEvent* e) { ChartMouseMoved(e); });
    connect(Chart1, &TChart::MouseUp, MeasureTool, &TMeasureTool::MouseUp);
    Chart1->PlotArea()->installEventFilter(this);
}

TGraphPage::~TGraphPage()
{
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
    QToolButton* TBCopyGraph =
        MakeButton(t, "TBCopyGraph", "Copy", "Copy graph to clipboard", false, "copy");
    QToolButton* TBSaveGraph = MakeButton(t, "TBSaveGraph", "Save", "Save as BMP", false, "save");
    QToolButton* TBPrintGraph = MakeButton(t, "TBPrintGraph", "Print", "Print", false, "print");
    QToolButton* TBGraphSetup =
        MakeButton(t, "TBGraphSetup", "Setup", "Graph setup", false, "setup");
    t->addSeparator();
    // The hints of the two zoom buttons are crossed over, as the buttons have always been.
    QToolButton* TBZoomIn = MakeButton(t, "TBZoomIn", "-", "Zoom out", false, "zoomout");
    QToolButton* TBUndoZoom =
        MakeButton(t, "TBUndoZoom", "1:1", "Original size", false, "undozoom");
    QToolButton* TBZoomOut = MakeButton(t, "TBZoomOut", "+", "Zoom in", false, "zoomin");
    t->addSeparator();
    TBGrafRead = MakeButton(t, "TBGrafRead", "Measure", "Measurement Mode", true, "measure");
    QToolButton* TBAnnotDialog =
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
    });
    connect(TBCrossHair, &QToolButton::toggled, this,
            [this](bool on) { MeasureTool->SetCrosshairOn(on); });
    // The switches are the scene's; each button sets its own, and follows it (FollowSwitches).
    connect(TBRxZero, &QToolButton::toggled, this,
            [this](bool on) { Scene->SetServoZeroShown(on); });
    connect(TBClimb, &QToolButton::toggled, this, [this](bool on) {
        Scene->SetClimbShown(on);
        UpdateScrollBars();
    });
    connect(TBMotor, &QToolButton::toggled, this, [this](bool on) { Scene->SetMotorShown(on); });
    connect(TBPhases, &QToolButton::toggled, this, [this](bool on) { Scene->SetPhasesShown(on); });
    connect(TBShowTable, &QToolButton::toggled, this,
            [this](bool on) { PanelGraf->setFixedHeight(on ? kPanelGrafHeight : 0); });
    connect(TBShowLegend, &QToolButton::toggled, this,
            [this](bool on) { Scene->SetLegendShown(on); });
}

void TGraphPage::FollowSwitches()
{
    // Setting a button to what the scene already has changes nothing there; only the button's own
    // work (the scroll bars after the climb axis) is done.
    TBRxZero->setChecked(Scene->ServoZeroShown());
    TBClimb->setChecked(Scene->ClimbShown());
    TBMotor->setChecked(Scene->MotorShown());
    TBPhases->setChecked(Scene->PhasesShown());
    TBShowLegend->setChecked(Scene->LegendShown());
    CheckBox_min_sec->setChecked(Scene->MinSecLabels());
}

void TGraphPage::LayoutChartArea()
{
    ChartArea = new QWidget(this);
    auto* grid = new QGridLayout(ChartArea);
    grid->setContentsMargins(0, 0, 0, 0);
    grid->setSpacing(1);
    Scene = std::make_unique<TFlightPlot>(Host, ChartArea);
    Chart1 = &Scene->Chart();
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
        Scene->ShowOffsets(row);
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
    connect(CheckBox_min_sec, &QCheckBox::toggled, this,
            [this](bool on) { Scene->SetMinSecLabels(on); });
    connect(CheckBox_RxCenter, &QCheckBox::clicked, this, [this] { CenterServoAxis(); });
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
// Navigation

void TGraphPage::CenterServoAxis()
{
    if (!CheckBox_RxCenter->isChecked())
        return;
    const TAxisRange r =
        CenteredRange({Chart1->Minimum(TAxisId::Right), Chart1->Maximum(TAxisId::Right)});
    Chart1->SetMinMax(TAxisId::Right, r.Min, r.Max);
    Chart1->Replot();
}

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
        Scene->FollowZoom(rect);
    } catch (const std::exception& e) {
        ShowError(QString::fromStdString(e.what()) + "\nIn ChartZoom.");
    }
    UpdateScrollBars();
    CenterServoAxis();
    UpdateScrollBars();
    MeasureTool->ClearCrosshair();
}

void TGraphPage::ChartUndoZoom()
{
    try {
        Scene->ApplyAxisSettings();
        CenterServoAxis();
        UpdateScrollBars();
    } catch (const std::exception& e) {
        ShowError(QString::fromStdString(e.what()) + "\nIn ChartUndoZoom.");
    }
}

void TGraphPage::ShowFlightStretch(int row, double from, double to)
{
    if (!Host.Flight(row))
        return;
    Scene->ShowFlightStretch(row, from, to);
    UpdateScrollBars();
    MeasureTool->ClearCrosshair();
    Chart1->Replot();
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
    if (Scene->ChannelShownAnywhere(2))
        widest.Servo = -100.0;
    if (Scene->ChannelShownAnywhere(3))
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
        Chart1->AnySeriesActive(), v, Scene->ChannelShownAnywhere(1), Host.DecimalSeparator())));
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
