#include "platform/metafile/EmfPaintDevice.h"

#include "platform/metafile/MetafileBytes.h"
#include "platform/metafile/MetafileRecords.h"

#include <algorithm>
#include <cmath>

namespace zirko {

namespace {

constexpr char16_t kDescription[] = u"ZIRKO\0Graph\0";
constexpr int kDescriptionChars = 13; // both strings with their terminators, and a final one
constexpr int kHeaderBase = 108;      // header with both extensions, before the description
constexpr uint32_t kStockWhiteBrush = 0;
constexpr uint32_t kStockBlackPen = 7;
constexpr uint32_t kStockSystemFont = 13;
constexpr uint32_t kSrcCopy = 0x00CC0020;
constexpr int kFaceChars = 32;

class TEmfPaintEngine final : public TMetafilePaintEngine {
public:
    Type type() const override { return static_cast<Type>(User + 11); }

protected:
    void StartRecords(QSize, int) override
    {
        Out = TByteWriter{};
        RecordCount = 0;
        Simple(emf::kSetBkMode, kTransparent);
        Simple(emf::kSetTextAlign, kTaBaseline);
        Simple(emf::kSetPolyFillMode, kAlternate);
    }

    QByteArray FinishRecords(int handleCount) override
    {
        const int w = Pixels.width();
        const int h = Pixels.height();
        const int headerSize = (kHeaderBase + kDescriptionChars * 2 + 3) / 4 * 4;
        constexpr int kEofSize = 20;
        TByteWriter header;
        header.U32(emf::kHeader);
        header.U32(static_cast<uint32_t>(headerSize));
        // Bounds: inclusive pixels; Frame: the same picture in 0.01 mm.
        header.I32(0);
        header.I32(0);
        header.I32(w - 1);
        header.I32(h - 1);
        header.I32(0);
        header.I32(0);
        header.I32(static_cast<int>(std::lround((w - 1) * 2540.0 / Dpi)));
        header.I32(static_cast<int>(std::lround((h - 1) * 2540.0 / Dpi)));
        header.U32(emf::kSignature);
        header.U32(emf::kVersion);
        header.U32(static_cast<uint32_t>(headerSize + Out.Size() + kEofSize));
        header.U32(static_cast<uint32_t>(RecordCount + 2));
        header.U16(static_cast<uint16_t>(std::max(1, handleCount)));
        header.U16(0);
        header.U32(kDescriptionChars);
        header.U32(kHeaderBase);
        header.U32(0); // palette entries
        // Reference device: the picture itself at the given resolution.
        header.I32(w);
        header.I32(h);
        header.I32(std::max(1, static_cast<int>(std::lround(w * 25.4 / Dpi))));
        header.I32(std::max(1, static_cast<int>(std::lround(h * 25.4 / Dpi))));
        header.U32(0); // no pixel format
        header.U32(0);
        header.U32(0); // no OpenGL
        header.U32(static_cast<uint32_t>(std::lround(w * 25400.0 / Dpi)));
        header.U32(static_cast<uint32_t>(std::lround(h * 25400.0 / Dpi)));
        for (int i = 0; i < kDescriptionChars; ++i)
            header.U16(i < static_cast<int>(std::size(kDescription)) ? kDescription[i] : 0);
        header.PadTo(4);

        QByteArray file = header.Bytes;
        file.append(Out.Bytes);
        TByteWriter eof;
        eof.U32(emf::kEof);
        eof.U32(kEofSize);
        eof.U32(0);  // no palette
        eof.U32(16); // where a palette would start
        eof.U32(kEofSize);
        file.append(eof.Bytes);
        return file;
    }

    int FirstHandle() const override { return 1; } // handle 0 is the metafile itself

    bool SelectStockObjects() override
    {
        Simple(emf::kSelectObject, emf::kStockObject | kStockWhiteBrush);
        Simple(emf::kSelectObject, emf::kStockObject | kStockBlackPen);
        Simple(emf::kSelectObject, emf::kStockObject | kStockSystemFont);
        return true;
    }

    void WriteCreatePen(int handle, const TMetaPen& pen) override
    {
        const qsizetype at = Begin(emf::kExtCreatePen);
        Out.U32(static_cast<uint32_t>(handle));
        Out.Zeros(16); // no pattern bitmap
        uint32_t style = static_cast<uint32_t>(pen.Style);
        if (pen.Width > 1)
            style |= emf::kPsGeometric;
        Out.U32(style);
        Out.U32(static_cast<uint32_t>(pen.Width));
        Out.U32(kBsSolid);
        Out.U32(pen.Color);
        Out.U32(0); // hatch
        Out.U32(0); // no user dash entries
        End(at);
    }

    void WriteCreateBrush(int handle, const TMetaBrush& brush) override
    {
        const qsizetype at = Begin(emf::kCreateBrushIndirect);
        Out.U32(static_cast<uint32_t>(handle));
        Out.U32(static_cast<uint32_t>(brush.Style));
        Out.U32(brush.Color);
        Out.U32(static_cast<uint32_t>(brush.Hatch));
        End(at);
    }

    void WriteCreateFont(int handle, const TMetaFont& font) override
    {
        const qsizetype at = Begin(emf::kExtCreateFontIndirectW);
        Out.U32(static_cast<uint32_t>(handle));
        Out.I32(font.Height);
        Out.I32(0); // width from the face's aspect
        Out.I32(font.Escapement);
        Out.I32(font.Escapement);
        Out.I32(font.Weight);
        Out.U8(font.Italic ? 1 : 0);
        Out.U8(font.Underline ? 1 : 0);
        Out.U8(font.StrikeOut ? 1 : 0);
        Out.U8(1); // DEFAULT_CHARSET: the text is Unicode
        Out.U8(0);
        Out.U8(0);
        Out.U8(0);
        Out.U8(0);
        const QString face = font.Face.left(kFaceChars - 1);
        for (int i = 0; i < kFaceChars; ++i)
            Out.U16(i < face.size() ? face[i].unicode() : 0);
        // LogFontPanose tail: full name, style, version fields, PANOSE and padding, all unset.
        Out.Zeros(128 + 64 + 24 + 10 + 2);
        End(at);
    }

    void WriteSelectObject(int handle) override
    {
        Simple(emf::kSelectObject, static_cast<uint32_t>(handle));
    }

    void WriteDeleteObject(int handle) override
    {
        Simple(emf::kDeleteObject, static_cast<uint32_t>(handle));
    }

    void WriteSaveDc() override { End(Begin(emf::kSaveDc)); }

    void WriteRestoreDc() override { Simple(emf::kRestoreDc, static_cast<uint32_t>(-1)); }

    void WriteIntersectClip(const QRect& rect) override
    {
        const qsizetype at = Begin(emf::kIntersectClipRect);
        Box(rect);
        End(at);
    }

    void WriteTextColor(uint32_t color) override { Simple(emf::kSetTextColor, color); }

    void WriteFillMode(int mode) override
    {
        Simple(emf::kSetPolyFillMode, static_cast<uint32_t>(mode));
    }

    void WritePolyline(const QPolygon& points) override
    {
        const qsizetype at = Begin(emf::kPolyline16);
        Bounds(points.boundingRect());
        Out.U32(static_cast<uint32_t>(points.size()));
        Points(points);
        End(at);
    }

    void WritePolygons(const QList<QPolygon>& polygons) override
    {
        if (polygons.size() == 1) {
            const qsizetype at = Begin(emf::kPolygon16);
            Bounds(polygons.first().boundingRect());
            Out.U32(static_cast<uint32_t>(polygons.first().size()));
            Points(polygons.first());
            End(at);
            return;
        }
        const qsizetype at = Begin(emf::kPolyPolygon16);
        QRect bounds;
        qsizetype total = 0;
        for (const QPolygon& polygon : polygons) {
            bounds = bounds.united(polygon.boundingRect());
            total += polygon.size();
        }
        Bounds(bounds);
        Out.U32(static_cast<uint32_t>(polygons.size()));
        Out.U32(static_cast<uint32_t>(total));
        for (const QPolygon& polygon : polygons)
            Out.U32(static_cast<uint32_t>(polygon.size()));
        for (const QPolygon& polygon : polygons)
            Points(polygon);
        End(at);
    }

    void WriteRectangle(const QRect& box) override
    {
        const qsizetype at = Begin(emf::kRectangle);
        Box(box);
        End(at);
    }

    void WriteEllipse(const QRect& box) override
    {
        const qsizetype at = Begin(emf::kEllipse);
        Box(box);
        End(at);
    }

    void WriteText(QPoint reference, const QString& text, const std::vector<int>& advances) override
    {
        const qsizetype at = Begin(emf::kExtTextOutW);
        Out.I32(0); // bounds not computed
        Out.I32(0);
        Out.I32(-1);
        Out.I32(-1);
        Out.U32(1); // GM_COMPATIBLE
        const float scale = static_cast<float>(2540.0 / Dpi);
        Out.F32(scale);
        Out.F32(scale);
        Out.I32(reference.x());
        Out.I32(reference.y());
        Out.U32(static_cast<uint32_t>(text.size()));
        constexpr uint32_t kStringOffset = 76;
        Out.U32(kStringOffset);
        Out.U32(0); // no options: transparent, unclipped
        Out.I32(0);
        Out.I32(0);
        Out.I32(-1);
        Out.I32(-1);
        const qsizetype dxOffsetAt = Out.Size();
        Out.U32(0);
        for (QChar c : text)
            Out.U16(c.unicode());
        Out.PadTo(4);
        Out.PatchU32(dxOffsetAt, static_cast<uint32_t>(Out.Size() - at));
        // One spacing value per UTF-16 unit; the second half of a pair takes none.
        std::size_t next = 0;
        for (qsizetype i = 0; i < text.size(); ++i) {
            const bool low = text[i].isLowSurrogate() && i > 0 && text[i - 1].isHighSurrogate();
            Out.I32(low || next >= advances.size() ? 0 : advances[next++]);
        }
        End(at);
    }

    void WriteBitmap(const QRect& target, const QImage& rgb888) override
    {
        const int width = rgb888.width();
        const int height = rgb888.height();
        const int stride = (width * 3 + 3) / 4 * 4;
        const qsizetype at = Begin(emf::kStretchDiBits);
        Bounds(target);
        Out.I32(target.x());
        Out.I32(target.y());
        Out.I32(0);
        Out.I32(0);
        Out.I32(width);
        Out.I32(height);
        Out.U32(80); // bitmap info follows the fixed part
        Out.U32(40);
        Out.U32(120);
        Out.U32(static_cast<uint32_t>(stride * height));
        Out.U32(0); // DIB_RGB_COLORS
        Out.U32(kSrcCopy);
        Out.I32(target.width());
        Out.I32(target.height());
        DibHeader(width, height, stride);
        DibRows(rgb888, stride);
        End(at);
    }

    int MaxPointsPerRecord() const override { return 1 << 20; }

private:
    qsizetype Begin(uint32_t type)
    {
        const qsizetype at = Out.Size();
        Out.U32(type);
        Out.U32(0);
        return at;
    }

    void End(qsizetype at)
    {
        Out.PadTo(4);
        Out.PatchU32(at + 4, static_cast<uint32_t>(Out.Size() - at));
        ++RecordCount;
    }

    void Simple(uint32_t type, uint32_t value)
    {
        const qsizetype at = Begin(type);
        Out.U32(value);
        End(at);
    }

    void Bounds(const QRect& r)
    {
        Out.I32(r.left());
        Out.I32(r.top());
        Out.I32(r.right());
        Out.I32(r.bottom());
    }

    // A GDI box, right and bottom exclusive.
    void Box(const QRect& r)
    {
        Out.I32(r.x());
        Out.I32(r.y());
        Out.I32(r.x() + r.width());
        Out.I32(r.y() + r.height());
    }

    void Points(const QPolygon& points)
    {
        for (const QPoint& p : points) {
            Out.I16(p.x());
            Out.I16(p.y());
        }
    }

    void DibHeader(int width, int height, int stride)
    {
        Out.U32(40);
        Out.I32(width);
        Out.I32(height); // positive: rows stored bottom-up
        Out.U16(1);
        Out.U16(24);
        Out.U32(0); // BI_RGB
        Out.U32(static_cast<uint32_t>(stride * height));
        const int perMetre = static_cast<int>(std::lround(Dpi / 0.0254));
        Out.I32(perMetre);
        Out.I32(perMetre);
        Out.U32(0);
        Out.U32(0);
    }

    void DibRows(const QImage& rgb888, int stride)
    {
        for (int y = rgb888.height() - 1; y >= 0; --y) {
            const uchar* line = rgb888.constScanLine(y);
            for (int x = 0; x < rgb888.width(); ++x) {
                Out.U8(line[3 * x + 2]);
                Out.U8(line[3 * x + 1]);
                Out.U8(line[3 * x]);
            }
            Out.Zeros(stride - rgb888.width() * 3);
        }
    }

    TByteWriter Out;
    int RecordCount = 0;
};

} // namespace

TEmfPaintDevice::TEmfPaintDevice(QSize pixelSize, int dpi)
    : TMetafilePaintDevice(pixelSize, dpi, std::make_unique<TEmfPaintEngine>())
{
}

} // namespace zirko
