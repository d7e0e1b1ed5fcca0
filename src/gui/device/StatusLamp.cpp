#include "gui/device/StatusLamp.h"

#include <QPainter>

namespace zirko {

namespace {

const QColor kRed(255, 0, 0);
const QColor kYellow(255, 255, 0);
const QColor kGreen(0, 200, 0);

} // namespace

TStatusLamp::TStatusLamp(QWidget* parent) : QWidget(parent), Current(kRed)
{
    setFixedSize(18, 18);
}

void TStatusLamp::SetColour(TLampColour colour)
{
    Current = colour == TLampColour::Green    ? kGreen
              : colour == TLampColour::Yellow ? kYellow
                                              : kRed;
    update();
}

void TStatusLamp::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(Qt::darkGray, 1));
    p.setBrush(Current);
    p.drawEllipse(QRectF(1.5, 1.5, width() - 3, height() - 3));
}

} // namespace zirko
