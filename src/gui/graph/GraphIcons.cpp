#include "gui/graph/GraphIcons.h"

#include <QGuiApplication>
#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

#include <functional>
#include <map>

namespace zirko {

namespace {

constexpr int kSize = 20; // logical pixels

const QColor kInk(40, 40, 40);
const QColor kBlue(30, 90, 200);
const QColor kPaper(250, 250, 250);

void Magnifier(QPainter& p, bool plus)
{
    p.setPen(QPen(kInk, 1.6));
    p.setBrush(kPaper);
    p.drawEllipse(QRectF(2.5, 2.5, 11, 11));
    p.setPen(QPen(kInk, 2.6, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(12.5, 12.5), QPointF(17.5, 17.5));
    p.setPen(QPen(kBlue, 1.8));
    p.drawLine(QPointF(5.5, 8), QPointF(10.5, 8));
    if (plus)
        p.drawLine(QPointF(8, 5.5), QPointF(8, 10.5));
}

// Three or four text lines, each starting where `align` puts it.
void TextLines(QPainter& p, Qt::Alignment align)
{
    p.setPen(QPen(kInk, 1.6));
    const double widths[4] = {15, 10, 13, 8};
    for (int i = 0; i < 4; ++i) {
        const double w = widths[i];
        const double x = align & Qt::AlignRight     ? 17.5 - w
                         : align & Qt::AlignHCenter ? 10 - w / 2
                                                    : 2.5;
        const double y = 4.5 + i * 3.8;
        p.drawLine(QPointF(x, y), QPointF(x + w, y));
    }
}

using TPainterFn = std::function<void(QPainter&)>;

const std::map<QString, TPainterFn>& Painters()
{
    static const std::map<QString, TPainterFn> painters{
        {"copy",
         [](QPainter& p) {
             p.setPen(QPen(kInk, 1.2));
             p.setBrush(kPaper);
             p.drawRect(QRectF(2.5, 2.5, 10, 12));
             p.drawRect(QRectF(7.5, 5.5, 10, 12));
             p.setPen(QPen(kBlue, 1.2));
             p.drawPolyline(QPolygonF({{9, 14}, {11.5, 10}, {13.5, 12}, {16, 8}}));
         }},
        {"save",
         [](QPainter& p) {
             p.setPen(QPen(kInk, 1.2));
             p.setBrush(kBlue);
             p.drawRoundedRect(QRectF(2.5, 2.5, 15, 15), 1.5, 1.5);
             p.setBrush(kPaper);
             p.drawRect(QRectF(5.5, 2.5, 9, 6));
             p.drawRect(QRectF(5.5, 11.5, 9, 6));
         }},
        {"print",
         [](QPainter& p) {
             p.setPen(QPen(kInk, 1.2));
             p.setBrush(kPaper);
             p.drawRect(QRectF(5.5, 2.5, 9, 6));
             p.setBrush(QColor(150, 150, 150));
             p.drawRoundedRect(QRectF(2.5, 7.5, 15, 7), 1.5, 1.5);
             p.setBrush(kPaper);
             p.drawRect(QRectF(5.5, 11.5, 9, 6));
         }},
        {"setup",
         [](QPainter& p) {
             p.setPen(QPen(kInk, 1.2));
             p.drawRect(QRectF(2.5, 2.5, 15, 15));
             for (int i = 0; i < 3; ++i) {
                 const double y = 6 + i * 4;
                 p.setPen(QPen(kInk, 1));
                 p.drawLine(QPointF(5, y), QPointF(15, y));
                 p.setPen(Qt::NoPen);
                 p.setBrush(kBlue);
                 p.drawEllipse(QPointF(7 + i * 3, y), 1.8, 1.8);
             }
         }},
        {"zoomout", [](QPainter& p) { Magnifier(p, false); }},
        {"zoomin", [](QPainter& p) { Magnifier(p, true); }},
        {"undozoom",
         [](QPainter& p) {
             p.setPen(QPen(kInk, 1.2));
             p.setBrush(kPaper);
             p.drawRect(QRectF(2.5, 3.5, 15, 13));
             QFont f = p.font();
             f.setPixelSize(8);
             f.setBold(true);
             p.setFont(f);
             p.setPen(kBlue);
             p.drawText(QRectF(2.5, 3.5, 15, 13), Qt::AlignCenter, "1:1");
         }},
        {"measure",
         [](QPainter& p) {
             p.setPen(QPen(kInk, 1.2));
             p.setBrush(QColor(255, 220, 90));
             p.drawRect(QRectF(1.5, 7.5, 17, 6));
             for (int i = 0; i < 6; ++i)
                 p.drawLine(QPointF(3.5 + i * 2.6, 7.5), QPointF(3.5 + i * 2.6, i % 2 ? 9.5 : 11));
         }},
        {"annot",
         [](QPainter& p) {
             p.setPen(QPen(kInk, 1.2));
             p.setBrush(QColor(255, 245, 180));
             QPainterPath bubble;
             bubble.addRoundedRect(QRectF(2.5, 2.5, 15, 10), 2, 2);
             bubble.moveTo(6, 12.5);
             bubble.lineTo(5, 17);
             bubble.lineTo(10, 12.5);
             p.drawPath(bubble.simplified());
             p.setPen(QPen(kBlue, 1));
             p.drawLine(QPointF(5, 6), QPointF(15, 6));
             p.drawLine(QPointF(5, 9), QPointF(12, 9));
         }},
        {"cross",
         [](QPainter& p) {
             p.setPen(QPen(kInk, 1.4));
             p.drawLine(QPointF(10, 1.5), QPointF(10, 18.5));
             p.drawLine(QPointF(1.5, 10), QPointF(18.5, 10));
             p.setPen(QPen(kBlue, 1.4));
             p.setBrush(Qt::NoBrush);
             p.drawEllipse(QPointF(10, 10), 4, 4);
         }},
        {"rxzero",
         [](QPainter& p) {
             p.setPen(QPen(kInk, 1.4));
             p.drawLine(QPointF(1.5, 10.5), QPointF(18.5, 10.5));
             p.setPen(QPen(kBlue, 1.4));
             p.drawPolyline(QPolygonF({{1.5, 10.5}, {5, 4}, {9, 16}, {13, 5}, {18.5, 12}}));
         }},
        {"climb",
         [](QPainter& p) {
             // A rising arrow over a dashed zero line.
             p.setPen(QPen(kInk, 1, Qt::DashLine));
             p.drawLine(QPointF(1.5, 13.5), QPointF(18.5, 13.5));
             p.setPen(QPen(kBlue, 1.6));
             p.drawLine(QPointF(3, 16), QPointF(15, 4));
             p.setBrush(kBlue);
             p.drawPolygon(QPolygonF({{16.5, 2.5}, {10.5, 4}, {15, 8.5}}));
         }},
        {"motor",
         [](QPainter& p) {
             // A propeller over a band.
             p.fillRect(QRectF(5, 1.5, 10, 17), QColor(110, 150, 220, 90));
             p.setPen(QPen(kInk, 1.2));
             p.setBrush(kBlue);
             p.drawEllipse(QPointF(10, 10), 1.8, 1.8);
             p.drawEllipse(QRectF(8.6, 2, 2.8, 6.4));
             p.drawEllipse(QRectF(8.6, 11.6, 2.8, 6.4));
         }},
        {"phases",
         [](QPainter& p) {
             // A climb tinted between two glides.
             p.fillRect(QRectF(7, 1.5, 6, 17), QColor(90, 180, 90, 110));
             p.setPen(QPen(kBlue, 1.6));
             p.drawPolyline(QPolygonF({{1.5, 9}, {7, 13}, {13, 5}, {18.5, 9}}));
         }},
        {"table",
         [](QPainter& p) {
             p.setPen(QPen(kInk, 1.1));
             p.setBrush(kPaper);
             p.drawRect(QRectF(2.5, 3.5, 15, 13));
             p.fillRect(QRectF(3, 4, 14, 3), QColor(190, 200, 220));
             p.drawLine(QPointF(2.5, 7.5), QPointF(17.5, 7.5));
             p.drawLine(QPointF(2.5, 12), QPointF(17.5, 12));
             p.drawLine(QPointF(7.5, 3.5), QPointF(7.5, 16.5));
             p.drawLine(QPointF(12.5, 3.5), QPointF(12.5, 16.5));
         }},
        {"cut",
         [](QPainter& p) {
             p.setPen(QPen(kInk, 1.4));
             p.drawLine(QPointF(6, 2.5), QPointF(12.5, 12.5));
             p.drawLine(QPointF(14, 2.5), QPointF(7.5, 12.5));
             p.setPen(QPen(kBlue, 1.6));
             p.setBrush(Qt::NoBrush);
             p.drawEllipse(QPointF(6, 15), 2.6, 2.6);
             p.drawEllipse(QPointF(14, 15), 2.6, 2.6);
         }},
        {"paste",
         [](QPainter& p) {
             p.setPen(QPen(kInk, 1.2));
             p.setBrush(QColor(200, 160, 100));
             p.drawRoundedRect(QRectF(2.5, 3.5, 12, 14), 1.5, 1.5);
             p.setBrush(QColor(150, 150, 150));
             p.drawRect(QRectF(5.5, 2, 6, 3));
             p.setBrush(kPaper);
             p.drawRect(QRectF(8.5, 7.5, 9, 11));
             p.setPen(QPen(kBlue, 1));
             for (int i = 0; i < 3; ++i)
                 p.drawLine(QPointF(10, 10.5 + i * 2.5), QPointF(16, 10.5 + i * 2.5));
         }},
        {"undo",
         [](QPainter& p) {
             p.setPen(QPen(kBlue, 2, Qt::SolidLine, Qt::RoundCap));
             p.setBrush(Qt::NoBrush);
             QPainterPath arc;
             arc.moveTo(5, 8);
             arc.cubicTo(QPointF(9, 3), QPointF(18, 5), QPointF(16, 12));
             arc.cubicTo(QPointF(15, 15), QPointF(12, 16.5), QPointF(9, 16.5));
             p.drawPath(arc);
             p.setPen(Qt::NoPen);
             p.setBrush(kBlue);
             p.drawPolygon(QPolygonF({{2, 4}, {9.5, 6.5}, {3, 11.5}}));
         }},
        {"alignleft", [](QPainter& p) { TextLines(p, Qt::AlignLeft); }},
        {"aligncenter", [](QPainter& p) { TextLines(p, Qt::AlignHCenter); }},
        {"alignright", [](QPainter& p) { TextLines(p, Qt::AlignRight); }},
        {"legend",
         [](QPainter& p) {
             p.setPen(QPen(kInk, 1.1));
             p.setBrush(kPaper);
             p.drawRect(QRectF(2.5, 3.5, 15, 13));
             const QColor colors[3] = {kBlue, QColor(200, 40, 40), QColor(40, 150, 60)};
             for (int i = 0; i < 3; ++i) {
                 const double y = 7 + i * 3.5;
                 p.setPen(QPen(colors[i], 1.6));
                 p.drawLine(QPointF(4.5, y), QPointF(8.5, y));
                 p.setPen(QPen(kInk, 1));
                 p.drawLine(QPointF(10, y), QPointF(15.5, y));
             }
         }},
    };
    return painters;
}

} // namespace

QIcon DesktopIcon(const QString& themeName, const QString& drawnName)
{
    if (QIcon::hasThemeIcon(themeName))
        return QIcon::fromTheme(themeName);
    return GraphIcon(drawnName);
}

QIcon GraphIcon(const QString& name)
{
    const auto it = Painters().find(name);
    if (it == Painters().end())
        return {};
    return DrawnIcon(it->second);
}

QIcon DrawnIcon(const std::function<void(QPainter&)>& paint)
{
    QIcon icon;
    for (const qreal scale : {1.0, 2.0}) {
        QPixmap pixmap(static_cast<int>(kSize * scale), static_cast<int>(kSize * scale));
        pixmap.setDevicePixelRatio(scale);
        pixmap.fill(Qt::transparent);
        QPainter painter(&pixmap);
        painter.setRenderHint(QPainter::Antialiasing);
        paint(painter);
        painter.end();
        icon.addPixmap(pixmap);
    }
    return icon;
}

} // namespace zirko
