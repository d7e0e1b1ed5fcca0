#include "gui/graph/PointerBox.h"

#include "core/graph/Offsets.h"
#include "gui/graph/Chart.h"
#include "gui/graph/GraphHost.h"

#include <QFontMetrics>
#include <QPainter>

#include <algorithm>
#include <cmath>

namespace zirko {

namespace {

constexpr int kMargin = 6;  // between the box and the plot's edges
constexpr int kPadding = 4; // inside the box

// The flight's colour, darkened just enough to be read on the box's white when it is a light one.
QColor ReadableOnWhite(const QColor& color)
{
    constexpr double kMaxLuma = 140;
    const double luma = 0.299 * color.red() + 0.587 * color.green() + 0.114 * color.blue();
    if (luma <= kMaxLuma)
        return color;
    const double f = kMaxLuma / luma;
    return QColor(static_cast<int>(color.red() * f), static_cast<int>(color.green() * f),
                  static_cast<int>(color.blue() * f));
}

} // namespace

TPointerBox::TPointerBox(const TChart& chart, const TGraphHost& host, TSeriesOf seriesOf)
    : Chart(chart), Host(host), SeriesOf(std::move(seriesOf))
{
}

void TPointerBox::Clear()
{
    Lines.clear();
    Rect = QRect();
}

std::vector<TPointerBox::TLine> TPointerBox::LinesAt(int x) const
{
    std::vector<TLine> lines;
    if (!Host.GridVisible())
        return lines;
    const double t = Chart.ValueAtPixel(TAxisId::Bottom, x);
    const char sep = Host.DecimalSeparator();
    for (int row = 0; row < Host.FlightCount(); ++row) {
        const TDataBlock* f = Host.Flight(row);
        const TFlightSlots* flightSlots = Host.SeriesInfo(row);
        if (!f || !flightSlots)
            continue;
        bool anyShown = false;
        for (int col = 1; col <= kChannelColumns; ++col)
            anyShown = anyShown || Host.ChannelState(col, row) == TChannelState::On;
        if (!anyShown)
            continue;
        auto shown = [&](int slot) -> std::optional<TSeriesTransform> {
            const TChartSeries* s = SeriesOf(row, slot);
            if (!s || Host.ChannelState(slot + 1, row) != TChannelState::On)
                return std::nullopt;
            return s->Transform();
        };
        TPointerFlight view;
        view.Time = f->Time;
        view.Altitude = f->Altitude;
        view.Servo = f->Rx;
        view.Voltage = f->Voltage;
        view.TimeOffset = ShownOffset((*flightSlots)[kSlotAltitude]).Dx;
        view.AltitudeShown = shown(kSlotAltitude);
        view.ServoShown = shown(kSlotServo);
        view.VoltageShown = shown(kSlotVoltage);
        // The climb rate as its curve shows it, when it does.
        const TChartSeries* climb = SeriesOf(row, kSlotClimb);
        if (climb && climb->Active()) {
            view.Climb = Host.ClimbRate(row);
            view.ClimbShown = true;
        }
        TLine line;
        line.Row = row;
        const TChartSeries* altitude = SeriesOf(row, kSlotAltitude);
        line.Color = altitude ? altitude->Color() : QColor(Qt::black);
        line.Name = Host.FlightName(row);
        if (const auto sample = SampleAtPointer(view, t)) {
            const auto texts = PointerSampleTexts(*sample, Host.DeflectionOnGraph(), sep);
            for (size_t k = 0; k < kPointerFields; ++k)
                line.Values[k] = QString::fromStdString(texts[k]);
            line.Outside = sample->Outside;
            if (!sample->Outside)
                if (const TFlightEvents* events = Host.Events(row))
                    line.Motor = MotorRunsAt(*events, sample->Index);
        } else {
            line.Values.fill(QString::fromUtf8(kNoValue));
        }
        lines.push_back(std::move(line));
    }
    return lines;
}

void TPointerBox::Paint(QPainter& painter, const QRect& plot, int crossX, int crossY)
{
    Lines = LinesAt(crossX);
    NamesShown.clear();
    Rect = QRect();
    if (Lines.empty())
        return;
    painter.setFont(Chart.font());
    const QFontMetrics fm(painter.font());
    const int lineHeight = fm.height();
    const int gap = fm.horizontalAdvance(QStringLiteral("  "));
    const int swatch = std::max(6, fm.ascent() * 2 / 3);

    int nameWidth = 0;
    std::array<int, kPointerFields> widths{};
    for (const TLine& line : Lines) {
        nameWidth = std::max(nameWidth, fm.horizontalAdvance(line.Name));
        for (size_t k = 0; k < kPointerFields; ++k)
            widths[k] = std::max(widths[k], fm.horizontalAdvance(line.Values[k]));
    }
    int valuesWidth = 2 * kPadding + swatch + gap / 2;
    for (int w : widths)
        valuesWidth += gap + w;
    // "motor" after the values of a flight whose motor runs there.
    const QString motorText = QStringLiteral("motor");
    const bool anyMotor =
        std::any_of(Lines.begin(), Lines.end(), [](const TLine& line) { return line.Motor; });
    const int motorWidth = anyMotor ? fm.horizontalAdvance(motorText) : 0;
    if (anyMotor)
        valuesWidth += gap + motorWidth;

    // Top right, inside the end of the time axis (the voltage labels stand beyond it); while the
    // pointer is under that place, top left, else a bottom corner. The names are shortened only
    // where the plot is too narrow for them beside the values: the colour tells the flight.
    const int timeEnd = static_cast<int>(
        std::lround(Chart.PixelOfValue(TAxisId::Bottom, Chart.Maximum(TAxisId::Bottom))));
    const int right = std::min(plot.right(), timeEnd) - kMargin;
    const int room = right - (plot.left() + kMargin);
    nameWidth = std::clamp(room - valuesWidth, 0, nameWidth);
    std::vector<QString> names;
    names.reserve(Lines.size());
    for (const TLine& line : Lines)
        names.push_back(fm.elidedText(line.Name, Qt::ElideMiddle, nameWidth));
    const int width = valuesWidth + nameWidth;
    const int height = 2 * kPadding + lineHeight * static_cast<int>(Lines.size());
    const QPoint corners[4] = {{right - width, plot.top() + kMargin},
                               {plot.left() + kMargin, plot.top() + kMargin},
                               {right - width, plot.bottom() - kMargin - height},
                               {plot.left() + kMargin, plot.bottom() - kMargin - height}};
    QRect box;
    for (const QPoint& corner : corners) {
        box = QRect(corner, QSize(width, height));
        if (!box.adjusted(-kMargin, -kMargin, kMargin, kMargin).contains(crossX, crossY))
            break;
    }
    Rect = box;
    NamesShown = names;

    painter.setPen(QPen(QColor(128, 128, 128), 1));
    painter.setBrush(QColor(255, 255, 255, 220));
    painter.drawRect(box.adjusted(0, 0, -1, -1));
    int y = box.top() + kPadding;
    for (size_t i = 0; i < Lines.size(); ++i, y += lineHeight) {
        const TLine& line = Lines[i];
        int x = box.left() + kPadding;
        painter.setPen(QPen(Qt::black, 1));
        painter.setBrush(line.Color);
        painter.drawRect(x, y + (lineHeight - swatch) / 2, swatch - 1, swatch - 1);
        x += swatch + gap / 2;
        painter.setPen(ReadableOnWhite(line.Color));
        painter.drawText(QRect(x, y, nameWidth, lineHeight), Qt::AlignLeft | Qt::AlignVCenter,
                         names[i]);
        x += nameWidth;
        if (line.Outside)
            painter.setPen(QColor(150, 150, 150));
        for (size_t k = 0; k < kPointerFields; ++k) {
            x += gap;
            painter.drawText(QRect(x, y, widths[k], lineHeight), Qt::AlignRight | Qt::AlignVCenter,
                             line.Values[k]);
            x += widths[k];
        }
        if (line.Motor)
            painter.drawText(QRect(x + gap, y, motorWidth, lineHeight),
                             Qt::AlignLeft | Qt::AlignVCenter, motorText);
    }
}

} // namespace zirko
