#include "gui/app/FormAbout.h"

#include "ZirkoVersion.h"

#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QIcon>
#include <QLabel>
#include <QPainter>
#include <QPainterPath>
#include <QPushButton>
#include <QVBoxLayout>

namespace zirko {

QIcon ProgramIcon()
{
    QIcon icon;
    for (int size : {16, 32, 48, 64}) {
        QPixmap pm(size, size);
        pm.fill(Qt::transparent);
        QPainter p(&pm);
        p.setRenderHint(QPainter::Antialiasing);
        const double s = size / 32.0;
        p.setPen(QPen(QColor(0, 0, 128), 1.5 * s));
        p.setBrush(QColor(230, 240, 255));
        p.drawRoundedRect(QRectF(1.5 * s, 3.5 * s, 29 * s, 25 * s), 4 * s, 4 * s);
        QPainterPath trace;
        trace.moveTo(4 * s, 24 * s);
        trace.cubicTo(9 * s, 23 * s, 10 * s, 8 * s, 15 * s, 9 * s);
        trace.cubicTo(19 * s, 10 * s, 20 * s, 14 * s, 23 * s, 12 * s);
        trace.cubicTo(25 * s, 11 * s, 26 * s, 20 * s, 28 * s, 24 * s);
        p.setBrush(Qt::NoBrush);
        p.setPen(QPen(QColor(0, 0, 255), 2 * s));
        p.drawPath(trace);
        p.setPen(QPen(QColor(255, 0, 0), 1.2 * s, Qt::DashLine));
        p.drawLine(QPointF(4 * s, 18 * s), QPointF(28 * s, 18 * s));
        icon.addPixmap(pm);
    }
    return icon;
}

TFormAbout::TFormAbout(QWidget* parent) : QDialog(parent)
{
    setObjectName("FormAbout");
    setWindowTitle("About");
    auto* iconLabel = new QLabel(this);
    iconLabel->setPixmap(ProgramIcon().pixmap(48, 48));
    auto* name = new QLabel("ZIRKO", this);
    QFont big = name->font();
    big.setPointSize(big.pointSize() + 6);
    big.setBold(true);
    name->setFont(big);
    auto* version = new QLabel("version " ZIRKO_VERSION, this);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok, this);
    buttons->button(QDialogButtonBox::Ok)->setText("OK");
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    auto* texts = new QVBoxLayout;
    texts->addWidget(name);
    texts->addWidget(version);
    auto* row = new QHBoxLayout;
    row->addWidget(iconLabel);
    row->addSpacing(12);
    row->addLayout(texts);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(row);
    layout->addWidget(buttons);
    setFixedSize(sizeHint().expandedTo(QSize(240, 130)));
}

} // namespace zirko
