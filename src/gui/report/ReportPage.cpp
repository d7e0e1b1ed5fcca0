#include "gui/report/ReportPage.h"

#include <QFontMetricsF>
#include <QGuiApplication>
#include <QPageSize>
#include <QPagedPaintDevice>
#include <QPainter>

#include <algorithm>

namespace zirko {

namespace {

constexpr double kReportMarginMm = 12;
constexpr double kCellPadding = 4;
// A value may be set this much smaller to be read whole before it is cut with "…".
constexpr double kSmallestTypeShare = 0.75;

QString Qs(const std::string& text)
{
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

} // namespace

QPageLayout ReportPageLayout(QPageLayout::Orientation orientation)
{
    const QMarginsF margins(kReportMarginMm, kReportMarginMm, kReportMarginMm, kReportMarginMm);
    return QPageLayout(QPageSize(QPageSize::A4), orientation, margins, QPageLayout::Millimeter);
}

QRectF PageArea(const QPagedPaintDevice& device)
{
    const QRectF inches = device.pageLayout().paintRect(QPageLayout::Inch);
    return QRectF(0, 0, inches.width() * kPageUnitsPerInch, inches.height() * kPageUnitsPerInch);
}

void ScaleToPageUnits(QPainter& painter, const QPagedPaintDevice& device)
{
    const double scale = device.logicalDpiX() / kPageUnitsPerInch;
    painter.scale(scale, scale);
}

QFont PageFont(double pixels, bool bold)
{
    QFont font = QGuiApplication::font();
    font.setPixelSize(std::max(1, static_cast<int>(pixels + 0.5)));
    font.setBold(bold);
    return font;
}

double LineHeight(const QPainter& painter)
{
    return QFontMetricsF(painter.font()).height() * 1.15;
}

void DrawLine(QPainter& painter, const QString& text, double left, double top, double width,
              Qt::Alignment alignment)
{
    const QFontMetricsF metrics(painter.font());
    const QString shown = metrics.elidedText(text, Qt::ElideRight, std::max(0.0, width));
    painter.drawText(QRectF(left, top, std::max(0.0, width), metrics.height()),
                     alignment | Qt::AlignVCenter | Qt::TextSingleLine, shown);
}

void DrawFittedLine(QPainter& painter, const QString& text, double left, double top, double width)
{
    const QFont original = painter.font();
    const QFontMetricsF metrics(original);
    const double needed = metrics.horizontalAdvance(text);
    if (needed <= width || width <= 0 || original.pixelSize() <= 0) {
        DrawLine(painter, text, left, top, width);
        return;
    }
    QFont smaller = original;
    const double share = std::max(kSmallestTypeShare, width / needed);
    smaller.setPixelSize(std::max(1, static_cast<int>(original.pixelSize() * share)));
    painter.setFont(smaller);
    // On the line's middle, as the full-size text would be.
    const double shift = (metrics.height() - QFontMetricsF(smaller).height()) / 2;
    DrawLine(painter, text, left, top + shift, width);
    painter.setFont(original);
}

double DrawLabelledLines(QPainter& painter, const QRectF& box, double labelWidth,
                         const std::vector<std::pair<std::string, std::string>>& lines)
{
    const double step = LineHeight(painter);
    double y = box.top();
    const QFont plain = painter.font();
    QFont bold = plain;
    bold.setBold(true);
    for (const auto& [label, value] : lines) {
        if (y + step > box.bottom() + 0.01)
            break;
        painter.setFont(bold);
        DrawLine(painter, Qs(label), box.left(), y, labelWidth - kCellPadding);
        painter.setFont(plain);
        DrawFittedLine(painter, Qs(value), box.left() + labelWidth, y, box.width() - labelWidth);
        y += step;
    }
    return y - box.top();
}

double DrawTable(QPainter& painter, const QRectF& box, const std::vector<std::string>& headers,
                 const std::vector<std::vector<std::string>>& rows,
                 const std::vector<double>& widths, size_t numberFrom,
                 const std::vector<std::string>* totals)
{
    const double step = LineHeight(painter);
    std::vector<double> lefts;
    double x = box.left();
    for (size_t c = 0; c < headers.size(); ++c) {
        lefts.push_back(x);
        x += box.width() * (c < widths.size() ? widths[c] : 0);
    }
    lefts.push_back(box.right());
    const QFont plain = painter.font();
    QFont bold = plain;
    bold.setBold(true);
    const auto drawRow = [&](const std::vector<std::string>& cells, double y) {
        for (size_t c = 0; c < headers.size() && c < cells.size(); ++c) {
            const double w = lefts[c + 1] - lefts[c] - kCellPadding;
            DrawLine(painter, Qs(cells[c]), lefts[c], y, w,
                     c >= numberFrom ? Qt::AlignRight : Qt::AlignLeft);
        }
    };
    double y = box.top();
    if (y + step > box.bottom())
        return 0;
    painter.setFont(bold);
    drawRow(headers, y);
    y += step;
    painter.drawLine(QPointF(box.left(), y - 1), QPointF(box.right(), y - 1));
    painter.setFont(plain);
    // The totals and, when rows are left out, the line that says so keep their room.
    const double reserved = totals ? step + 2 : 0;
    const size_t room = static_cast<size_t>(std::max(0.0, (box.bottom() - y - reserved) / step));
    const size_t shown = rows.size() <= room ? rows.size() : (room > 0 ? room - 1 : 0);
    for (size_t r = 0; r < shown; ++r, y += step)
        drawRow(rows[r], y);
    if (shown < rows.size() && room > 0) {
        DrawLine(painter, QString::fromUtf8("\u2026 %1 more").arg(rows.size() - shown), box.left(),
                 y, box.width());
        y += step;
    }
    if (totals) {
        painter.drawLine(QPointF(box.left(), y + 1), QPointF(box.right(), y + 1));
        painter.setFont(bold);
        drawRow(*totals, y + 2);
        painter.setFont(plain);
        y += step + 2;
    }
    return y - box.top();
}

} // namespace zirko
