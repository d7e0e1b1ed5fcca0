// Paint device that records QPainter drawing as an enhanced metafile (EMF).
#pragma once

#include "platform/metafile/MetafilePaintEngine.h"

namespace zirko {

// Logical units are the device pixels; the header gives the size in millimetres at `dpi`.
class TEmfPaintDevice final : public TMetafilePaintDevice {
public:
    explicit TEmfPaintDevice(QSize pixelSize, int dpi = 96);
};

} // namespace zirko
