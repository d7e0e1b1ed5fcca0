// One-pixel lines drawn straight into the pixels of an image, for curves whose many vertical
// strokes would cost QPainter most of a chart's drawing time.
#pragma once

#include <QImage>
#include <QPen>
#include <QPointF>
#include <QRect>

#include <cstdint>
#include <vector>

namespace zirko {

// Draws polylines with a pen one pixel wide, without smoothing, into a
// Format_ARGB32_Premultiplied image, covering the pixels QPainter covers for such a pen: the
// pixel below and right of each point, every pixel of a segment but its last, and the last point
// of the line. Dashed pens keep their pattern running along the whole line, a pixel of pattern
// per pixel stepped along the line's longer direction.
class TLineRaster {
public:
    // `origin`: where the image's top left pixel lies in the coordinates of the points.
    TLineRaster(QImage& image, const QPoint& origin);

    // Only the pen's colour (opaque or not, written as it is) and dash style count.
    void Polyline(const QPointF* points, int count, const QPen& pen);

    // The pixels written so far, in image coordinates.
    QRect Touched() const;

private:
    void Segment(QPointF a, QPointF b, bool withLast);
    void Plot(int64_t x, int64_t y, bool on);
    void Advance(int64_t pixels);

    uint32_t* Bits;
    int64_t PixelsPerLine;
    int Width;
    int Height;
    QPointF Origin;
    uint32_t Colour = 0;
    // Dash runs in pixels, on and off alternating; empty for a solid pen.
    std::vector<int64_t> Pattern;
    int64_t PatternLength = 0;
    size_t Run = 0;
    int64_t IntoRun = 0;
    int MinX, MaxX, MinY, MaxY;
};

} // namespace zirko
