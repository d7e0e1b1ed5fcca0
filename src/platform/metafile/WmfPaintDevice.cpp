#include "platform/metafile/WmfPaintDevice.h"

#include "core/app/TextCodec.h"
#include "platform/metafile/MetafileBytes.h"
#include "platform/metafile/MetafileRecords.h"

#include <algorithm>
#include <cmath>

namespace zirko {

namespace {

constexpr uint32_t kSrcCopy = 0x00CC0020;
constexpr int kFaceBytes = 32;
constexpr int kCodePage = 1250;
constexpr int kEofWords = 3;

QByteArray ToCodePage(const QString& text)
{
    QByteArray bytes;
    for (char32_t cp : text.toUcs4()) {
        const auto byte = UnicodeToCodePage(cp, kCodePage);
        bytes.append(static_cast<char>(byte ? *byte : '?'));
    }
    return bytes;
}

class TWmfPaintEngine final : public TMetafilePaintEngine {
public:
    Type type() const override { return static_cast<Type>(User + 12); }

protected:
    void StartRecords(QSize pixels, int) override
    {
        Out = TByteWriter{};
        MaxRecordWords = kEofWords;
        Pair(wmf::kSetWindowOrg, 0, 0);
        Pair(wmf::kSetWindowExt, pixels.height(), pixels.width());
        Single(wmf::kSetBkMode, kTransparent);
        Single(wmf::kSetTextAlign, kTaBaseline);
        Single(wmf::kSetPolyFillMode, kAlternate);
    }

    QByteArray FinishRecords(int handleCount) override
    {
        TByteWriter file;
        // Placeable header: the picture in logical units and how many of them make an inch.
        file.U32(wmf::kPlaceableKey);
        file.U16(0);
        file.I16(0);
        file.I16(0);
        file.I16(Pixels.width());
        file.I16(Pixels.height());
        file.U16(static_cast<uint16_t>(Dpi));
        file.U32(0);
        uint16_t checksum = 0;
        for (int i = 0; i < 10; ++i)
            checksum ^= static_cast<uint16_t>(static_cast<uint8_t>(file.Bytes[2 * i]) |
                                              (static_cast<uint8_t>(file.Bytes[2 * i + 1]) << 8));
        file.U16(checksum);

        file.U16(1); // memory metafile
        file.U16(wmf::kHeaderWords);
        file.U16(wmf::kVersion);
        file.U32(static_cast<uint32_t>(wmf::kHeaderWords + Out.Size() / 2 + kEofWords));
        file.U16(static_cast<uint16_t>(handleCount));
        file.U32(static_cast<uint32_t>(MaxRecordWords));
        file.U16(0);
        file.Bytes.append(Out.Bytes);
        file.U32(kEofWords);
        file.U16(wmf::kEof);
        return file.Bytes;
    }

    int FirstHandle() const override { return 0; }

    bool SelectStockObjects() override { return false; } // WMF has none

    void WriteCreatePen(int, const TMetaPen& pen) override
    {
        const qsizetype at = Begin(wmf::kCreatePenIndirect);
        Out.U16(static_cast<uint16_t>(pen.Style));
        Out.I16(pen.Width);
        Out.I16(0);
        Out.U32(pen.Color);
        End(at);
    }

    void WriteCreateBrush(int, const TMetaBrush& brush) override
    {
        const qsizetype at = Begin(wmf::kCreateBrushIndirect);
        Out.U16(static_cast<uint16_t>(brush.Style));
        Out.U32(brush.Color);
        Out.U16(static_cast<uint16_t>(brush.Hatch));
        End(at);
    }

    void WriteCreateFont(int, const TMetaFont& font) override
    {
        const qsizetype at = Begin(wmf::kCreateFontIndirect);
        Out.I16(font.Height);
        Out.I16(0);
        Out.I16(font.Escapement);
        Out.I16(font.Escapement);
        Out.I16(font.Weight);
        Out.U8(font.Italic ? 1 : 0);
        Out.U8(font.Underline ? 1 : 0);
        Out.U8(font.StrikeOut ? 1 : 0);
        Out.U8(wmf::kEastEuropeCharset);
        Out.U8(0);
        Out.U8(0);
        Out.U8(0);
        Out.U8(0);
        QByteArray face = ToCodePage(font.Face).left(kFaceBytes - 1);
        face.append(kFaceBytes - face.size(), '\0');
        Out.Bytes.append(face);
        End(at);
    }

    void WriteSelectObject(int handle) override
    {
        Single(wmf::kSelectObject, static_cast<uint16_t>(handle));
    }

    void WriteDeleteObject(int handle) override
    {
        Single(wmf::kDeleteObject, static_cast<uint16_t>(handle));
    }

    void WriteSaveDc() override { End(Begin(wmf::kSaveDc)); }

    void WriteRestoreDc() override { Single(wmf::kRestoreDc, static_cast<uint16_t>(-1)); }

    void WriteIntersectClip(const QRect& rect) override { Box(wmf::kIntersectClipRect, rect); }

    void WriteTextColor(uint32_t color) override
    {
        const qsizetype at = Begin(wmf::kSetTextColor);
        Out.U32(color);
        End(at);
    }

    void WriteFillMode(int mode) override
    {
        Single(wmf::kSetPolyFillMode, static_cast<uint16_t>(mode));
    }

    void WritePolyline(const QPolygon& points) override
    {
        const qsizetype at = Begin(wmf::kPolyline);
        Out.I16(static_cast<int>(points.size()));
        Points(points);
        End(at);
    }

    void WritePolygons(const QList<QPolygon>& polygons) override
    {
        if (polygons.size() == 1) {
            const qsizetype at = Begin(wmf::kPolygon);
            Out.I16(static_cast<int>(polygons.first().size()));
            Points(polygons.first());
            End(at);
            return;
        }
        const qsizetype at = Begin(wmf::kPolyPolygon);
        Out.U16(static_cast<uint16_t>(polygons.size()));
        for (const QPolygon& polygon : polygons)
            Out.U16(static_cast<uint16_t>(polygon.size()));
        for (const QPolygon& polygon : polygons)
            Points(polygon);
        End(at);
    }

    void WriteRectangle(const QRect& box) override { Box(wmf::kRectangle, box); }

    void WriteEllipse(const QRect& box) override { Box(wmf::kEllipse, box); }

    void WriteText(QPoint reference, const QString& text, const std::vector<int>& advances) override
    {
        const QByteArray bytes = ToCodePage(text);
        const qsizetype at = Begin(wmf::kExtTextOut);
        Out.I16(reference.y());
        Out.I16(reference.x());
        Out.I16(static_cast<int>(bytes.size()));
        Out.U16(0); // no options: transparent, unclipped, no rectangle
        Out.Bytes.append(bytes);
        Out.PadTo(2);
        for (qsizetype i = 0; i < bytes.size(); ++i)
            Out.I16(i < static_cast<qsizetype>(advances.size()) ? advances[i] : 0);
        End(at);
    }

    void WriteBitmap(const QRect& target, const QImage& rgb888) override
    {
        const int width = rgb888.width();
        const int height = rgb888.height();
        const int stride = (width * 3 + 3) / 4 * 4;
        const qsizetype at = Begin(wmf::kStretchDib);
        Out.U32(kSrcCopy);
        Out.U16(0); // DIB_RGB_COLORS
        Out.I16(height);
        Out.I16(width);
        Out.I16(0);
        Out.I16(0);
        Out.I16(target.height());
        Out.I16(target.width());
        Out.I16(target.y());
        Out.I16(target.x());
        Out.U32(40);
        Out.I32(width);
        Out.I32(height);
        Out.U16(1);
        Out.U16(24);
        Out.U32(0);
        Out.U32(static_cast<uint32_t>(stride * height));
        const int perMetre = static_cast<int>(std::lround(Dpi / 0.0254));
        Out.I32(perMetre);
        Out.I32(perMetre);
        Out.U32(0);
        Out.U32(0);
        for (int y = height - 1; y >= 0; --y) {
            const uchar* line = rgb888.constScanLine(y);
            for (int x = 0; x < width; ++x) {
                Out.U8(line[3 * x + 2]);
                Out.U8(line[3 * x + 1]);
                Out.U8(line[3 * x]);
            }
            Out.Zeros(stride - width * 3);
        }
        End(at);
    }

    // Point counts are 16-bit; the records stay well below that.
    int MaxPointsPerRecord() const override { return 16000; }

private:
    qsizetype Begin(uint16_t function)
    {
        const qsizetype at = Out.Size();
        Out.U32(0);
        Out.U16(function);
        return at;
    }

    void End(qsizetype at)
    {
        Out.PadTo(2);
        const qsizetype words = (Out.Size() - at) / 2;
        Out.PatchU32(at, static_cast<uint32_t>(words));
        MaxRecordWords = std::max(MaxRecordWords, words);
    }

    void Single(uint16_t function, uint16_t value)
    {
        const qsizetype at = Begin(function);
        Out.U16(value);
        End(at);
    }

    void Pair(uint16_t function, int first, int second)
    {
        const qsizetype at = Begin(function);
        Out.I16(first);
        Out.I16(second);
        End(at);
    }

    // WMF keeps box corners in reverse order: bottom, right, top, left.
    void Box(uint16_t function, const QRect& r)
    {
        const qsizetype at = Begin(function);
        Out.I16(r.y() + r.height());
        Out.I16(r.x() + r.width());
        Out.I16(r.y());
        Out.I16(r.x());
        End(at);
    }

    void Points(const QPolygon& points)
    {
        for (const QPoint& p : points) {
            Out.I16(p.x());
            Out.I16(p.y());
        }
    }

    TByteWriter Out;
    qsizetype MaxRecordWords = kEofWords;
};

} // namespace

TWmfPaintDevice::TWmfPaintDevice(QSize pixelSize, int dpi)
    : TMetafilePaintDevice(pixelSize, dpi, std::make_unique<TWmfPaintEngine>())
{
}

} // namespace zirko
