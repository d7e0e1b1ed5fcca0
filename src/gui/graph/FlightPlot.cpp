#include "gui/graph/FlightPlot.h"

#include "core/graph/ChartMath.h"
#include "core/graph/GraphColors.h"
#include "core/graph/Offsets.h"
#include "gui/graph/Chart.h"
#include "gui/graph/GraphHost.h"

#include <QPainter>

#include <algorithm>
#include <cmath>
#include <stdexcept>

namespace zirko {

namespace {

const std::array<const char*, kSlotCount> kTitleSuffix{" (Alt)",  " (RX)",    " (PowS)",
                                                       " (Mark)", " (Annot)", " (Climb)"};

// The margin around a stretch shown on request, as a share of its length, and at least this.
constexpr double kStretchMargin = 0.15;
constexpr double kStretchMinMargin = 2; // s

QColor ColorOfIndex(uint8_t index)
{
    const uint32_t rgb = GraphColors[index];
    return QColor((rgb >> 16) & 0xFF, (rgb >> 8) & 0xFF, rgb & 0xFF);
}

} // namespace

TFlightPlot::TFlightPlot(TGraphHost& host, QWidget* chartParent)
    : Host(host), OwnChart(chartParent ? nullptr : std::make_unique<TChart>()),
      ChartWidget(OwnChart ? OwnChart.get() : new TChart(chartParent)), Marks(*this, host)
{
    TChart& chart = *ChartWidget;
    chart.setObjectName("Chart1");
    if (OwnChart) {
        // Laid out and painted like a shown chart, without a window on any screen.
        chart.setAttribute(Qt::WA_DontShowOnScreen);
        chart.show();
    }
    chart.SetAxisTitle(TAxisId::Left, "Altitude (m)");
    chart.SetLabelDecimals(TAxisId::Left, 1);
    chart.SetAxisTitle(TAxisId::Bottom, "Time (sec)");
    chart.SetLabelDecimals(TAxisId::Bottom, 2);
    chart.SetAxisTitle(TAxisId::Right, "Servo (%)");
    chart.SetLabelDecimals(TAxisId::Right, 1);
    chart.SetGridVisible(TAxisId::Right, false);
    chart.SetAxisTitle(TAxisId::Voltage, "Voltage (V)");
    chart.SetLabelDecimals(TAxisId::Voltage, 2);
    chart.SetLabelStep(TAxisId::Voltage, 0.05);
    chart.SetGridVisible(TAxisId::Voltage, false);
    chart.SetAxisTitle(TAxisId::Climb, "Climb (m/s)");
    chart.SetLabelDecimals(TAxisId::Climb, 1);
    chart.SetGridVisible(TAxisId::Climb, false);
    chart.SetSymmetric(TAxisId::Climb, true);
    chart.SetNumberFormat(Host.DecimalSeparator(), Host.GroupSeparator());
    chart.SetLabelHook([this](TAxisId axis, const QString& label) {
        if (axis != TAxisId::Bottom || !MinSec)
            return label;
        return QString::fromStdString(
            MinSecLabel(label.toStdString(), ChartWidget->GroupSeparator()));
    });
    chart.SetBeforeDraw([this](QPainter& painter) { Marks.DrawBands(painter, Motor, Phases); });
    chart.SetAfterDraw([this](QPainter& painter) {
        DrawZeroLines(painter);
        Marks.DrawStartHeights(painter, Motor);
    });
    connect(&chart, &TChart::AfterDrawn, this, [this] { EndMovedByDraw = SetTimeAxisEnd(); });
}

TFlightPlot::~TFlightPlot()
{
    // A chart held by a page may outlive the scene by a moment: it no longer asks it anything.
    ChartWidget->SetLabelHook(nullptr);
    ChartWidget->SetBeforeDraw(nullptr);
    ChartWidget->SetAfterDraw(nullptr);
}

// --------------------------------------------------------------------------------------------
// The flights' series

TChannelStates TFlightPlot::BuildFlightSeries(int row)
{
    const TDataBlock* f = Host.Flight(row);
    const TFlightSlots* flightSlots = Host.SeriesInfo(row);
    if (!f || !flightSlots || row < 0 || row > static_cast<int>(FlightSeries.size()))
        return {TChannelState::Unavailable, TChannelState::Unavailable, TChannelState::Unavailable,
                TChannelState::Unavailable, TChannelState::Off};
    if (row == static_cast<int>(FlightSeries.size()))
        FlightSeries.emplace_back();
    std::array<TChartSeries*, kSlotCount>& handles = FlightSeries[static_cast<size_t>(row)];
    const TChannelStates states = InitialChannelStates(*f);
    const TGraphSettings& gs = Host.GraphSettings();
    TChart& chart = *ChartWidget;
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
            chart.RemoveSeries(handle);
        const bool line = k <= kSlotVoltage || k == kSlotClimb;
        TChartSeries* s = chart.AddSeries(line ? TSeriesKind::Line : TSeriesKind::Point);
        handle = s;
        s->SetActive(false);
        s->SetTitle(name + kTitleSuffix[static_cast<size_t>(k)]);
        s->SetColor(colorIndex < kGraphColorCount ? ColorOfIndex(colorIndex) : chart.FreeColor(s));
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

TChartSeries* TFlightPlot::SeriesOf(int row, int slot) const
{
    if (row < 0 || row >= static_cast<int>(FlightSeries.size()) || slot < 0 || slot >= kSlotCount)
        return nullptr;
    return FlightSeries[static_cast<size_t>(row)][static_cast<size_t>(slot)];
}

void TFlightPlot::ShowChannel(int row, int column, bool on)
{
    TChartSeries* s = SeriesOf(row, column - 1);
    if (!s)
        return;
    TChart& chart = *ChartWidget;
    s->SetActive(on);
    if (column == 1)
        UpdateClimbSeries(row);
    chart.Recalculate(TAxisId::Bottom);
    if (column == 1) {
        chart.Recalculate(TAxisId::Left);
        UpdateClimbAxis();
    } else if (column == 2)
        chart.Recalculate(TAxisId::Right);
    else if (column == 3) {
        chart.Recalculate(TAxisId::Voltage);
        SetTimeAxisEnd();
    }
    if (column == 2 || column == 3)
        emit AxesChanged();
}

void TFlightPlot::UpdateClimbSeries(int row)
{
    TChartSeries* climb = SeriesOf(row, kSlotClimb);
    const TChartSeries* altitude = SeriesOf(row, kSlotAltitude);
    const TDataBlock* f = Host.Flight(row);
    if (!climb || !altitude || !f)
        return;
    const bool wanted = Climb && altitude->Active();
    if (wanted && climb->Count() == 0) {
        const std::vector<double>& rate = Host.ClimbRate(row);
        climb->SetView(f->Time, rate, std::min(f->Time.size(), rate.size()));
    }
    climb->SetActive(wanted && climb->Count() > 0);
}

void TFlightPlot::UpdateClimbAxis()
{
    bool any = false;
    for (int row = 0; row < Host.FlightCount() && !any; ++row)
        if (const TChartSeries* s = SeriesOf(row, kSlotClimb))
            any = s->Active();
    const bool show = Climb && any;
    TChart& chart = *ChartWidget;
    // An axis that comes into view starts from its automatic range, whatever zooms it missed.
    if (show && !chart.AxisVisible(TAxisId::Climb))
        chart.SetAutomatic(TAxisId::Climb, true);
    chart.SetAxisVisible(TAxisId::Climb, show);
    chart.Recalculate(TAxisId::Climb);
    emit AxesChanged();
}

void TFlightPlot::RetitleFlightSeries(int row)
{
    const QString name = Host.FlightName(row);
    for (int k = 0; k < kSlotCount; ++k)
        if (TChartSeries* s = SeriesOf(row, k))
            s->SetTitle(name + kTitleSuffix[static_cast<size_t>(k)]);
}

void TFlightPlot::RemoveFlightSeries(int row)
{
    if (row < 0 || row >= static_cast<int>(FlightSeries.size()))
        return;
    for (TChartSeries* series : FlightSeries[static_cast<size_t>(row)])
        if (series)
            ChartWidget->RemoveSeries(series);
    // The rows below move up with their series.
    FlightSeries.erase(FlightSeries.begin() + row);
    UpdateClimbAxis();
}

void TFlightPlot::MoveFlightSeriesToFront(int row)
{
    for (int slot :
         {kSlotClimb, kSlotVoltage, kSlotServo, kSlotAltitude, kSlotMarker, kSlotAnnotation})
        if (TChartSeries* s = SeriesOf(row, slot))
            ChartWidget->MoveSeriesTowardStart(s);
}

void TFlightPlot::ShowOffsets(int row)
{
    const TFlightSlots* flightSlots = Host.SeriesInfo(row);
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

void TFlightPlot::ShowAnnotations(int row)
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
    ChartWidget->Replot();
}

// --------------------------------------------------------------------------------------------
// Settings and switches

void TFlightPlot::ApplyAxisSetting(TAxisId axis, bool automatic, double min, double& max)
{
    if (automatic) {
        ChartWidget->SetAutomatic(axis, true);
        return;
    }
    EnforceMaxAboveMin(min, max);
    ChartWidget->SetMinMax(axis, min, max);
}

void TFlightPlot::ApplyAxisSettings()
{
    TGraphSettings& gs = Host.GraphSettings();
    ApplyAxisSetting(TAxisId::Left, gs.AltitudeAuto, gs.AltitudeMin, gs.AltitudeMax);
    ApplyAxisSetting(TAxisId::Right, gs.RXAuto, gs.RXMin, gs.RXMax);
    ApplyAxisSetting(TAxisId::Voltage, gs.PowerSupAuto, gs.PowerSupMin, gs.PowerSupMax);
    ApplyAxisSetting(TAxisId::Bottom, gs.TimeAuto, gs.TimeMin, gs.TimeMax);
}

void TFlightPlot::ChangeGraphSettings()
{
    ApplyAxisSettings();
    const TGraphSettings& gs = Host.GraphSettings();
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

void TFlightPlot::SetLegendShown(bool shown)
{
    if (shown == LegendShown())
        return;
    ChartWidget->SetLegendVisible(shown);
    emit OptionsChanged();
}

bool TFlightPlot::LegendShown() const
{
    return ChartWidget->LegendVisible();
}

void TFlightPlot::SetClimbShown(bool shown)
{
    if (shown == Climb)
        return;
    Climb = shown;
    for (int row = 0; row < Host.FlightCount(); ++row)
        UpdateClimbSeries(row);
    UpdateClimbAxis();
    emit OptionsChanged();
}

void TFlightPlot::SetMotorShown(bool shown)
{
    if (shown == Motor)
        return;
    Motor = shown;
    ChartWidget->Replot();
    emit OptionsChanged();
}

void TFlightPlot::SetPhasesShown(bool shown)
{
    if (shown == Phases)
        return;
    Phases = shown;
    ChartWidget->Replot();
    emit OptionsChanged();
}

void TFlightPlot::SetServoZeroShown(bool shown)
{
    if (shown == ServoZero)
        return;
    ServoZero = shown;
    ChartWidget->Replot();
    emit OptionsChanged();
}

void TFlightPlot::SetMinSecLabels(bool on)
{
    if (on == MinSec)
        return;
    MinSec = on;
    ChartWidget->SetAxisTitle(TAxisId::Bottom, on ? "Time (min:sec)" : "Time (sec)");
    ChartWidget->RefreshLabels(TAxisId::Bottom);
    emit OptionsChanged();
}

// --------------------------------------------------------------------------------------------
// Axes

void TFlightPlot::ShowFlightStretch(int row, double from, double to)
{
    if (!Host.Flight(row))
        return;
    if (to < from)
        std::swap(from, to);
    const double offset = TimeOffsetOf(row);
    const double margin = std::max((to - from) * kStretchMargin, kStretchMinMargin);
    ChartWidget->SetMinMax(TAxisId::Bottom, from + offset - margin, to + offset + margin);
}

void TFlightPlot::FollowZoom(const QRect& rect)
{
    TChart& chart = *ChartWidget;
    if (rect.isNull()) {
        const TAxisRange r =
            ZoomByPercent({chart.Minimum(TAxisId::Voltage), chart.Maximum(TAxisId::Voltage)},
                          chart.LastZoomPercent());
        chart.SetMinMax(TAxisId::Voltage, r.Min, r.Max);
    } else {
        const double lo = chart.ValueAtPixel(TAxisId::Voltage, rect.bottom());
        const double hi = chart.ValueAtPixel(TAxisId::Voltage, rect.top());
        chart.SetMinMax(TAxisId::Voltage, lo, hi);
    }
}

bool TFlightPlot::SetTimeAxisEnd()
{
    TChart& chart = *ChartWidget;
    // A chart that was never laid out can have a plot narrower than nothing, which gives more
    // than 100 percent; the axis keeps at most 100, and asking again each draw would never end.
    // The strip is for the voltage labels: without a voltage curve the time axis runs to the edge.
    const int percent = chart.AxisInUse(TAxisId::Voltage)
                            ? std::min(100, TimeAxisEndPercent(chart.PlotRect().width()))
                            : 100;
    if (chart.EndPosition(TAxisId::Bottom) == percent)
        return false;
    chart.SetEndPosition(TAxisId::Bottom, percent);
    return true;
}

void TFlightPlot::DrawZeroLines(QPainter& painter)
{
    if (ServoZero && ChannelShownAnywhere(2))
        DrawZeroLine(painter, TAxisId::Right, QPen(Qt::black, 1, Qt::SolidLine));
    if (ChartWidget->AxisVisible(TAxisId::Climb))
        DrawZeroLine(painter, TAxisId::Climb, QPen(QColor(0x80, 0x80, 0x80), 1, Qt::DashLine));
}

void TFlightPlot::DrawZeroLine(QPainter& painter, TAxisId axis, const QPen& pen)
{
    const QRect plot = ChartWidget->PlotRect();
    const int y = static_cast<int>(std::lround(ChartWidget->PixelOfValue(axis, 0)));
    if (y <= plot.top() || y >= plot.bottom())
        return;
    painter.setPen(pen);
    painter.setRenderHint(QPainter::Antialiasing, false);
    painter.drawLine(plot.left(), y, plot.right(), y);
}

// --------------------------------------------------------------------------------------------
// What the flights' drawing asks

bool TFlightPlot::FlightShown(int row) const
{
    if (!Host.GridVisible() || !Host.Flight(row) || !Host.SeriesInfo(row))
        return false;
    for (int col = 1; col <= kChannelColumns; ++col)
        if (Host.ChannelState(col, row) == TChannelState::On)
            return true;
    return false;
}

double TFlightPlot::TimeOffsetOf(int row) const
{
    const TFlightSlots* flightSlots = Host.SeriesInfo(row);
    return flightSlots ? ShownOffset((*flightSlots)[kSlotAltitude]).Dx : 0;
}

QColor TFlightPlot::FlightColor(int row) const
{
    const TChartSeries* altitude = SeriesOf(row, kSlotAltitude);
    return altitude ? altitude->Color() : QColor(Qt::black);
}

bool TFlightPlot::ChannelShownAnywhere(int column) const
{
    return zirko::ChannelShownAnywhere(Host, column);
}

// --------------------------------------------------------------------------------------------
// Drawing away from the screen

void TFlightPlot::SetSize(const QSize& size)
{
    ChartWidget->resize(size);
}

void TFlightPlot::Draw()
{
    ChartWidget->Replot();
    // The draw laid the axes out; where the time axis ends follows from the room they took.
    if (EndMovedByDraw)
        ChartWidget->Replot();
}

} // namespace zirko
