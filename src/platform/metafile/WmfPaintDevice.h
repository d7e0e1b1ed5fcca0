// Paint device that records QPainter drawing as a placeable Windows metafile (WMF).
#pragma once

#include "platform/metafile/MetafilePaintEngine.h"

namespace zirko {

// Logical units are the device pixels, `dpi` of them to the inch; texts are stored in the ANSI
// code page 1250.
class TWmfPaintDevice final : public TMetafilePaintDevice {
public:
    explicit TWmfPaintDevice(QSize pixelSize, int dpi = 96);
};

} // namespace zirko
