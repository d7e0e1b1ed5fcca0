#include "gui/services/PrintHeader.h"

#include <QFontMetricsF>
#include <QGuiApplication>
#include <QMarginsF>
#include <QPageLayout>
#include <QPagedPaintDevice>
#include <QPainter>
#include <QPen>
#include <QPrinter>

#include <algorithm>

namespace zirko {

namespace {

constexpr double kMarginMm = 12;
constexpr double kHeaderPoints = 9;
constexpr double kSmallestPoints = 6;
// Between the rule under the header and the content.
constexpr double kGapMm = 2;
// The part of the top margin next to the paper's edge that many printers cannot reach.
constexpr double kEdgeMm = 4;

double Px(double mm, double dpi)
{
    return mm * dpi / 25.4;
}

} // namespace

void SetHeaderedPrintDefaults(QPrinter& printer)
{
    printer.setPageOrientation(QPageLayout::Landscape);
    printer.setPageMargins(QMarginsF(kMarginMm, kMarginMm, kMarginMm, kMarginMm),
                           QPageLayout::Millimeter);
}

TPrintHeader::TPrintHeader(const QPagedPaintDevice& device, const QString& text)
    : Text(text), Dpi(std::max(1, device.logicalDpiY()))
{
    const QPageLayout layout = device.pageLayout();
    const int dpi = static_cast<int>(Dpi);
    const QRect printable = layout.paintRectPixels(dpi);
    Content = QRectF(0, 0, printable.width(), printable.height());
    if (Text.isEmpty())
        return;
    Font = QGuiApplication::font();
    Font.setPointSizeF(kHeaderPoints);
    const double height = QFontMetricsF(Font, &device).height();
    const double gap = Px(kGapMm, Dpi);
    const double topMargin = layout.marginsPixels(dpi).top();
    if (height + gap + Px(kEdgeMm, Dpi) <= topMargin) {
        Line = QRectF(0, -gap - height, Content.width(), height);
    } else {
        Line = QRectF(0, 0, Content.width(), height);
        Content.setTop(std::min(Content.bottom(), height + gap));
    }
}

void TPrintHeader::Paint(QPainter& painter) const
{
    if (Text.isEmpty())
        return;
    painter.save();
    // Said even when the painter has no transform: a printer kept for the next job otherwise
    // goes on with the transform its last job ended with.
    painter.resetTransform();
    QFont font = Font;
    // Many flights make a long line: smaller type first, cut only when even that is too long.
    while (font.pointSizeF() > kSmallestPoints &&
           QFontMetricsF(font, painter.device()).horizontalAdvance(Text) > Line.width())
        font.setPointSizeF(std::max(kSmallestPoints, font.pointSizeF() - 0.5));
    painter.setFont(font);
    painter.setPen(Qt::black);
    const QString shown =
        QFontMetricsF(font, painter.device()).elidedText(Text, Qt::ElideRight, Line.width());
    painter.drawText(Line, Qt::AlignLeft | Qt::AlignBottom | Qt::TextSingleLine, shown);
    QPen rule(Qt::black);
    rule.setWidthF(std::max(1.0, Px(0.2, Dpi)));
    painter.setPen(rule);
    const double y = Line.bottom() + Px(kGapMm, Dpi) / 2;
    painter.drawLine(QPointF(Line.left(), y), QPointF(Line.right(), y));
    painter.restore();
}

} // namespace zirko
