#include "gui/graph/EventMarks.h"

#include "core/app/NumberFormat.h"
#include "core/graph/Offsets.h"
#include "gui/graph/Chart.h"
#include "gui/graph/FlightPlot.h"
#include "gui/graph/GraphHost.h"

#include <QFontMetrics>
#include <QPainter>

#include <algorithm>
#include <cmath>
#include <functional>

namespace zirko {

namespace {

constexpr int kMotorAlpha = 70;
constexpr int kClimbAlpha = 60;
// The climb tint is the flight's colour halfway to white, so a motor band stays the stronger.
constexpr double kClimbLighten = 0.5;
constexpr int kMarkRadius = 4;

QColor Lightened(const QColor& c, double f)
{
    return QColor(static_cast<int>(std::lround(c.red() + (255 - c.red()) * f)),
                  static_cast<int>(std::lround(c.green() + (255 - c.green()) * f)),
                  static_cast<int>(std::lround(c.blue() + (255 - c.blue()) * f)));
}

// Pixel columns [Left, Right] of stretches of the flight's time, merged where they meet, so that
// thousands of short runs of a long flight seen whole cost no more than the plot is wide.
class TBandSpans {
public:
    TBandSpans(const TChart& chart, const QRect& plot, double timeOffset)
        : Chart(chart), Plot(plot), Offset(timeOffset), From(chart.Minimum(TAxisId::Bottom)),
          To(chart.Maximum(TAxisId::Bottom))
    {
    }
    // Stretches come in time order.
    void Add(double start, double stop)
    {
        const double a = start + Offset;
        const double b = stop + Offset;
        if (b < From || a > To)
            return;
        const int left = std::max(Plot.left(), Pixel(std::max(a, From)));
        const int right = std::max(left, std::min(Plot.right(), Pixel(std::min(b, To))));
        if (!Spans.empty() && left <= Spans.back().second + 1)
            Spans.back().second = std::max(Spans.back().second, right);
        else
            Spans.emplace_back(left, right);
    }
    bool Before(double stop) const { return stop + Offset < From; }
    bool After(double start) const { return start + Offset > To; }
    const std::vector<std::pair<int, int>>& Result() const { return Spans; }

private:
    int Pixel(double t) const
    {
        return static_cast<int>(std::lround(Chart.PixelOfValue(TAxisId::Bottom, t)));
    }
    const TChart& Chart;
    QRect Plot;
    double Offset;
    double From;
    double To;
    std::vector<std::pair<int, int>> Spans;
};

// Feeds the items of a time-ordered list that can show between the axis' ends.
template <class TItem>
void AddVisible(TBandSpans& spans, const std::vector<TItem>& items, double TItem::*start,
                double TItem::*stop, const std::function<bool(const TItem&)>& wanted)
{
    auto it = std::partition_point(items.begin(), items.end(),
                                   [&](const TItem& item) { return spans.Before(item.*stop); });
    for (; it != items.end() && !spans.After((*it).*start); ++it)
        if (wanted(*it))
            spans.Add((*it).*start, (*it).*stop);
}

} // namespace

void TEventMarks::DrawBands(QPainter& painter, bool motor, bool phases)
{
    Bands.clear();
    if (!motor && !phases)
        return;
    const TChart& chart = Plot.Chart();
    const QRect plot = chart.PlotRect();
    painter.setPen(Qt::NoPen);
    painter.setRenderHint(QPainter::Antialiasing, false);
    auto fill = [&](int row, TBandKind kind, const TBandSpans& spans, const QColor& color) {
        for (const auto& [left, right] : spans.Result()) {
            const QRect band(QPoint(left, plot.top()), QPoint(right, plot.bottom()));
            painter.fillRect(band, color);
            Bands.push_back({row, kind, band});
        }
    };
    for (int row = 0; row < Host.FlightCount(); ++row) {
        if (!Plot.FlightShown(row))
            continue;
        const TFlightEvents* events = Host.Events(row);
        if (!events)
            continue;
        const QColor color = Plot.FlightColor(row);
        const double offset = Plot.TimeOffsetOf(row);
        if (phases) {
            TBandSpans climbs(chart, plot, offset);
            AddVisible<TFlightPhase>(
                climbs, events->Phases, &TFlightPhase::Start, &TFlightPhase::Stop,
                [](const TFlightPhase& p) { return p.Kind == TPhaseKind::Climb; });
            QColor tint = Lightened(color, kClimbLighten);
            tint.setAlpha(kClimbAlpha);
            fill(row, TBandKind::Climb, climbs, tint);
        }
        if (motor) {
            TBandSpans runs(chart, plot, offset);
            AddVisible<TSampleRun>(runs, events->MotorRuns, &TSampleRun::Start, &TSampleRun::Stop,
                                   [](const TSampleRun&) { return true; });
            QColor band = color;
            band.setAlpha(kMotorAlpha);
            fill(row, TBandKind::Motor, runs, band);
        }
    }
}

void TEventMarks::DrawStartHeights(QPainter& painter, bool motor)
{
    Starts.clear();
    if (!motor)
        return;
    const TChart& chart = Plot.Chart();
    const QRect plot = chart.PlotRect();
    const char sep = Host.DecimalSeparator();
    painter.setFont(chart.font());
    const QFontMetrics fm(painter.font());
    for (int row = 0; row < Host.FlightCount(); ++row) {
        if (!Plot.FlightShown(row))
            continue;
        const TFlightEvents* events = Host.Events(row);
        const TDataBlock* flight = Host.Flight(row);
        if (!events || events->MotorRuns.empty() || !events->StartHeight || !flight)
            continue;
        const QColor color = Plot.FlightColor(row);
        const double offset = Plot.TimeOffsetOf(row);
        TStartMark mark;
        mark.Row = row;
        mark.Text = QString::fromStdString(FormatDisplay(*events->StartHeight, 1, sep)) + " m";
        painter.setRenderHint(QPainter::Antialiasing, false);
        const double windowEnd = events->MotorRuns.front().Stop + kStartHeightAfterMotor + offset;
        const int x = static_cast<int>(std::lround(chart.PixelOfValue(TAxisId::Bottom, windowEnd)));
        if (x >= plot.left() && x <= plot.right()) {
            painter.setPen(QPen(color, 1, Qt::DashLine));
            painter.drawLine(x, plot.top(), x, plot.bottom());
            mark.WindowEndX = x;
        }
        // The point on the altitude curve, where that curve is shown.
        const TChartSeries* altitude = Plot.SeriesOf(row, kSlotAltitude);
        if (altitude && altitude->Active() && !flight->Altitude.empty()) {
            const double y = altitude->Transform().Y(flight->Altitude[0] + *events->StartHeight);
            const QPointF at(chart.PixelOfValue(TAxisId::Bottom, *events->StartHeightTime + offset),
                             chart.PixelOfValue(TAxisId::Left, y));
            if (plot.contains(at.toPoint())) {
                mark.At = at.toPoint();
                painter.setRenderHint(QPainter::Antialiasing, true);
                painter.setPen(QPen(Qt::black, 1));
                painter.setBrush(color);
                painter.drawPolygon(QPolygonF(
                    {at + QPointF(0, -kMarkRadius - 1), at + QPointF(kMarkRadius + 1, 0),
                     at + QPointF(0, kMarkRadius + 1), at + QPointF(-kMarkRadius - 1, 0)}));
                // The value beside the mark, inside the plot, on a white ground so curves under
                // it do not hide it.
                QRect text = fm.boundingRect(mark.Text).adjusted(-2, 0, 2, 0);
                text.moveBottomLeft(mark.At + QPoint(kMarkRadius + 3, -kMarkRadius - 1));
                if (text.right() > plot.right())
                    text.moveRight(mark.At.x() - kMarkRadius - 3);
                if (text.top() < plot.top())
                    text.moveTop(mark.At.y() + kMarkRadius + 1);
                painter.setPen(Qt::NoPen);
                painter.setBrush(QColor(255, 255, 255, 200));
                painter.drawRect(text);
                painter.setPen(color.darker(130));
                painter.drawText(text, Qt::AlignCenter, mark.Text);
            }
        }
        Starts.push_back(mark);
    }
}

} // namespace zirko
