// The device window's round status lamp: red, yellow or green.
#pragma once

#include "core/device/DeviceWindowState.h"

#include <QColor>
#include <QWidget>

namespace zirko {

class TStatusLamp : public QWidget {
    Q_OBJECT
public:
    explicit TStatusLamp(QWidget* parent = nullptr);
    void SetColour(TLampColour colour);
    QColor Colour() const { return Current; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QColor Current;
};

} // namespace zirko
