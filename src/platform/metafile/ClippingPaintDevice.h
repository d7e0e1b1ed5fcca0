// Paint device that passes every drawing on to another painter with the clip already cut into the
// geometry, for targets that ignore clipping (QSvgGenerator before Qt 6.7).
#pragma once

#include <QPaintDevice>

#include <memory>

class QPainter;

namespace zirko {

class TClippingPaintEngine;

// Same size and resolution as the target painter's device; coordinates are the target's own.
class TClippingPaintDevice final : public QPaintDevice {
public:
    explicit TClippingPaintDevice(QPainter& target);
    ~TClippingPaintDevice() override;
    QPaintEngine* paintEngine() const override;

protected:
    int metric(PaintDeviceMetric metric) const override;

private:
    QPainter& Target;
    std::unique_ptr<TClippingPaintEngine> Engine;
};

} // namespace zirko
