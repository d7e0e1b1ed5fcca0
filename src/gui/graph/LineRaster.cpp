#include "gui/graph/LineRaster.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdlib>

namespace zirko {

namespace {

// Points further out than this are as good as infinitely far for a picture.
constexpr double kFar = 1e12;

int64_t Cell(double v)
{
    return static_cast<int64_t>(std::floor(std::clamp(v, -kFar, kFar)));
}

} // namespace

TLineRaster::TLineRaster(QImage& image, const QPoint& origin)
    : Bits(reinterpret_cast<uint32_t*>(image.bits())), PixelsPerLine(image.bytesPerLine() / 4),
      Width(image.width()), Height(image.height()), Origin(origin), MinX(INT_MAX), MaxX(INT_MIN),
      MinY(INT_MAX), MaxY(INT_MIN)
{
}

QRect TLineRaster::Touched() const
{
    if (MinX > MaxX || MinY > MaxY)
        return {};
    return QRect(QPoint(MinX, MinY), QPoint(MaxX, MaxY));
}

void TLineRaster::Polyline(const QPointF* points, int count, const QPen& pen)
{
    Colour = qPremultiply(pen.color().rgba());
    Pattern.clear();
    PatternLength = 0;
    Run = 0;
    IntoRun = 0;
    if (pen.style() != Qt::SolidLine) {
        const double width = std::max(1.0, pen.widthF());
        for (double d : pen.dashPattern())
            Pattern.push_back(std::max<int64_t>(1, std::llround(d * width)));
        if (Pattern.size() % 2 == 1) // an odd pattern repeats with on and off swapped
            Pattern.insert(Pattern.end(), Pattern.begin(), Pattern.end());
        for (int64_t run : Pattern)
            PatternLength += run;
    }
    if (count == 1) {
        Segment(points[0], points[0], true);
        return;
    }
    for (int i = 0; i + 1 < count; ++i)
        Segment(points[i], points[i + 1], i + 2 == count);
}

void TLineRaster::Advance(int64_t pixels)
{
    if (Pattern.empty() || pixels <= 0)
        return;
    pixels %= PatternLength;
    while (pixels > 0) {
        const int64_t rest = Pattern[Run] - IntoRun;
        if (pixels < rest) {
            IntoRun += pixels;
            return;
        }
        pixels -= rest;
        IntoRun = 0;
        Run = Run + 1 == Pattern.size() ? 0 : Run + 1;
    }
}

void TLineRaster::Segment(QPointF a, QPointF b, bool withLast)
{
    if (std::isnan(a.x()) || std::isnan(a.y()) || std::isnan(b.x()) || std::isnan(b.y()))
        return;
    a -= Origin;
    b -= Origin;
    const int64_t xa = Cell(a.x());
    const int64_t ya = Cell(a.y());
    const int64_t xb = Cell(b.x());
    const int64_t yb = Cell(b.y());
    // Step along the longer direction, one pixel each, the other coordinate following the line.
    const bool steep = std::llabs(yb - ya) >= std::llabs(xb - xa);
    const int64_t m0 = steep ? ya : xa;
    const int64_t m1 = steep ? yb : xb;
    const int64_t n0 = steep ? xa : ya;
    const int64_t n1 = steep ? xb : yb;
    const int64_t count = std::llabs(m1 - m0) + (withLast ? 1 : 0);
    if (count == 0)
        return;
    const int64_t step = m1 < m0 ? -1 : 1;
    const int64_t majorSize = steep ? Height : Width;
    const int64_t minorSize = steep ? Width : Height;
    // Only the steps inside the image are walked; the pattern runs on over the others.
    int64_t kLo = 0;
    int64_t kHi = count - 1;
    if (step > 0) {
        kLo = std::max(kLo, -m0);
        kHi = std::min(kHi, majorSize - 1 - m0);
    } else {
        kLo = std::max(kLo, m0 - (majorSize - 1));
        kHi = std::min(kHi, m0);
    }
    if (kLo > kHi) {
        Advance(count);
        return;
    }
    Advance(kLo);
    const int64_t nLo = std::min(n0, n1);
    const int64_t nHi = std::max(n0, n1);
    const int64_t firstMajor = m0 + step * kLo;
    const int64_t lastMajor = m0 + step * kHi;
    const int touchedLo = static_cast<int>(std::clamp<int64_t>(nLo, 0, minorSize - 1));
    const int touchedHi = static_cast<int>(std::clamp<int64_t>(nHi, 0, minorSize - 1));
    const int majorLo = static_cast<int>(std::min(firstMajor, lastMajor));
    const int majorHi = static_cast<int>(std::max(firstMajor, lastMajor));

    if (n0 == n1 && (n0 < 0 || n0 >= minorSize)) {
        Advance(count - kLo);
        return;
    }
    if (steep) {
        MinY = std::min(MinY, majorLo);
        MaxY = std::max(MaxY, majorHi);
        MinX = std::min(MinX, touchedLo);
        MaxX = std::max(MaxX, touchedHi);
    } else {
        MinX = std::min(MinX, majorLo);
        MaxX = std::max(MaxX, majorHi);
        MinY = std::min(MinY, touchedLo);
        MaxY = std::max(MaxY, touchedHi);
    }
    const int64_t majorStride = steep ? PixelsPerLine : 1;
    const int64_t minorStride = steep ? 1 : PixelsPerLine;
    if (n0 == n1) {
        // A vertical or horizontal run: the common stroke of a dense curve.
        uint32_t* p = Bits + firstMajor * majorStride + n0 * minorStride;
        const int64_t stride = step * majorStride;
        if (Pattern.empty()) {
            for (int64_t k = kLo; k <= kHi; ++k, p += stride)
                *p = Colour;
            return;
        }
        // Dash by dash.
        int64_t left = kHi - kLo + 1;
        while (left > 0) {
            const int64_t length = std::min(left, Pattern[Run] - IntoRun);
            if (Run % 2 == 0)
                for (int64_t k = 0; k < length; ++k)
                    p[k * stride] = Colour;
            p += length * stride;
            left -= length;
            IntoRun += length;
            if (IntoRun == Pattern[Run]) {
                IntoRun = 0;
                Run = Run + 1 == Pattern.size() ? 0 : Run + 1;
            }
        }
        Advance(count - 1 - kHi);
        return;
    }
    const double ma = steep ? a.y() : a.x();
    const double mb = steep ? b.y() : b.x();
    const double na = steep ? a.x() : a.y();
    const double nb = steep ? b.x() : b.y();
    // The other coordinate at each step's pixel centre; the slope is at most one.
    const double slope = mb != ma ? (nb - na) / (mb - ma) : 0;
    double along = na + (static_cast<double>(firstMajor) + 0.5 - ma) * slope;
    const double perStep = static_cast<double>(step) * slope;
    for (int64_t k = kLo; k <= kHi; ++k, along += perStep) {
        const int64_t m = m0 + step * k;
        int64_t n = static_cast<int64_t>(along);
        n -= along < static_cast<double>(n) ? 1 : 0;
        n = std::clamp(n, nLo, nHi);
        bool on = true;
        if (!Pattern.empty()) {
            on = Run % 2 == 0;
            if (++IntoRun == Pattern[Run]) {
                IntoRun = 0;
                Run = Run + 1 == Pattern.size() ? 0 : Run + 1;
            }
        }
        if (on && n >= 0 && n < minorSize)
            Bits[m * majorStride + n * minorStride] = Colour;
    }
    Advance(count - 1 - kHi);
}

} // namespace zirko
