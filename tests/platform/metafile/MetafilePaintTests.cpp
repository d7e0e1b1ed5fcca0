// The EMF and WMF painters: what QPainter draws arrives as sound records, read back by our reader.
#include "platform/metafile/EmfPaintDevice.h"
#include "platform/metafile/MetafileRecords.h"
#include "platform/metafile/WmfPaintDevice.h"
#include "support/MetafileReader.h"

#include <QImage>
#include <QPainter>
#include <QPainterPath>
#include <gtest/gtest.h>

#include <functional>

using namespace zirko;
using TKind = TMetaShape::TKind;

namespace {

enum class TFormat { Emf, Wmf };

TMetafile Draw(TFormat format, QSize size, const std::function<void(QPainter&)>& paint)
{
    std::unique_ptr<TMetafilePaintDevice> device;
    if (format == TFormat::Emf)
        device = std::make_unique<TEmfPaintDevice>(size, 96);
    else
        device = std::make_unique<TWmfPaintDevice>(size, 96);
    {
        QPainter painter(device.get());
        paint(painter);
    }
    return format == TFormat::Emf ? ReadEmf(device->Data()) : ReadWmf(device->Data());
}

class MetafilePainter : public ::testing::TestWithParam<TFormat> {
protected:
    TMetafile Draw(QSize size, const std::function<void(QPainter&)>& paint)
    {
        TMetafile file = ::Draw(GetParam(), size, paint);
        EXPECT_EQ(file.Error, QString()) << "the file is not sound";
        return file;
    }
};

uint32_t Ref(int r, int g, int b)
{
    return static_cast<uint32_t>(r | (g << 8) | (b << 16));
}

} // namespace

TEST(EmfHeader, DescribesPictureSizeRecordsAndHandles)
{
    const TMetafile file = Draw(TFormat::Emf, QSize(400, 300), [](QPainter& p) {
        p.setPen(QPen(Qt::red, 2));
        p.drawLine(10, 10, 200, 100);
        p.setPen(QPen(Qt::blue, 1));
        p.drawLine(10, 20, 200, 120);
    });
    ASSERT_EQ(file.Error, QString());
    EXPECT_EQ(file.Bounds, QRect(QPoint(0, 0), QPoint(399, 299)));
    EXPECT_EQ(file.Device, QSize(400, 300));
    EXPECT_EQ(file.Millimeters, QSize(106, 79)); // 400 px and 300 px at 96 dpi
    EXPECT_EQ(file.Micrometers, QSize(105833, 79375));
    EXPECT_EQ(file.Frame, QRect(QPoint(0, 0), QPoint(10557, 7911)));
    EXPECT_EQ(file.Description, "ZIRKO|Graph||");
    EXPECT_EQ(file.DeclaredRecords, file.Records.size());
    EXPECT_EQ(file.Records.front().Type, emf::kHeader);
    EXPECT_EQ(file.Records.back().Type, emf::kEof);
    // Pen, null brush, then the second pen while the first is deleted: handles 1..3.
    EXPECT_EQ(file.Handles, 4);
    EXPECT_EQ(file.Count(emf::kExtCreatePen), 2);
    EXPECT_EQ(file.Count(emf::kDeleteObject),
              file.Count(emf::kExtCreatePen) + file.Count(emf::kCreateBrushIndirect));
}

TEST(WmfHeader, PlaceableHeaderGivesInchUnitsBoxAndChecksum)
{
    std::unique_ptr<TWmfPaintDevice> device = std::make_unique<TWmfPaintDevice>(QSize(640, 480));
    {
        QPainter painter(device.get());
        painter.drawLine(0, 0, 639, 479);
    }
    const QByteArray bytes = device->Data();
    const TMetafile file = ReadWmf(bytes);
    ASSERT_EQ(file.Error, QString());
    EXPECT_EQ(file.BoundingBox, QRect(QPoint(0, 0), QPoint(640, 480)));
    EXPECT_EQ(file.Inch, 96);
    EXPECT_EQ(file.SizeWords * 2, static_cast<uint32_t>(bytes.size() - wmf::kPlaceableSize));
    EXPECT_EQ(file.Records.back().Type, wmf::kEof);
    EXPECT_GE(file.NumberOfObjects, 2);

    // The reader must notice a damaged header, or the checks above prove nothing.
    QByteArray damaged = bytes;
    damaged[14] = static_cast<char>(72);
    EXPECT_EQ(ReadWmf(damaged).Error, "wrong placeable header checksum");
    EXPECT_FALSE(ReadWmf(bytes.left(bytes.size() - 6)).Error.isEmpty());
}

TEST(EmfReader, RejectsTruncatedAndMiscountedFiles)
{
    TEmfPaintDevice device(QSize(100, 100));
    {
        QPainter painter(&device);
        painter.drawLine(0, 0, 50, 50);
    }
    const QByteArray bytes = device.Data();
    ASSERT_EQ(ReadEmf(bytes).Error, QString());
    EXPECT_FALSE(ReadEmf(bytes.left(bytes.size() - 20)).Error.isEmpty());
    QByteArray miscounted = bytes;
    miscounted[52] = static_cast<char>(miscounted[52] + 1);
    EXPECT_TRUE(ReadEmf(miscounted).Error.startsWith("header says"));
}

TEST_P(MetafilePainter, PenStylesWidthsAndColoursReachThePens)
{
    const std::vector<std::pair<Qt::PenStyle, int>> styles = {{Qt::SolidLine, kPsSolid},
                                                              {Qt::DashLine, kPsDash},
                                                              {Qt::DotLine, kPsDot},
                                                              {Qt::DashDotLine, kPsDashDot},
                                                              {Qt::DashDotDotLine, kPsDashDotDot}};
    const TMetafile file = Draw(QSize(200, 200), [&](QPainter& p) {
        int y = 10;
        for (const auto& [style, _] : styles) {
            p.setPen(QPen(QColor(10, 20, 30), 1, style));
            p.drawLine(10, y, 190, y);
            y += 10;
        }
        p.setPen(QPen(QColor(200, 0, 0), 3, Qt::SolidLine, Qt::FlatCap));
        p.drawPolyline(QPolygon({QPoint(10, 150), QPoint(50, 100), QPoint(90, 150)}));
    });
    const auto lines = file.ShapesOf(TKind::Polyline);
    ASSERT_EQ(lines.size(), styles.size() + 1);
    for (std::size_t i = 0; i < styles.size(); ++i) {
        ASSERT_TRUE(lines[i]->Pen);
        EXPECT_EQ(lines[i]->Pen->Style & 0xF, styles[i].second);
        EXPECT_EQ(lines[i]->Pen->Width, 1);
        EXPECT_EQ(lines[i]->Pen->Color, Ref(10, 20, 30));
        EXPECT_EQ(lines[i]->Points.first(), QPolygon({QPoint(10, 10 + 10 * static_cast<int>(i)),
                                                      QPoint(190, 10 + 10 * static_cast<int>(i))}));
    }
    const TMetaShape& thick = *lines.back();
    EXPECT_EQ(thick.Pen->Width, 3);
    EXPECT_EQ(thick.Pen->Style & 0xF00, kPsEndCapFlat);
    EXPECT_EQ(thick.Pen->Color, Ref(200, 0, 0));
    EXPECT_EQ(thick.Points.first().size(), 3);
}

TEST_P(MetafilePainter, ShapesKeepTheirGeometryAndFill)
{
    const TMetafile file = Draw(QSize(300, 200), [](QPainter& p) {
        p.setPen(Qt::black);
        p.setBrush(QColor(0, 128, 0));
        p.drawRect(QRect(10, 10, 50, 30));
        p.setBrush(Qt::NoBrush);
        p.drawEllipse(QRectF(100, 10, 40, 20));
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(255, 0, 0, 128)); // half transparent: blended onto white
        p.drawPolygon(QPolygon({QPoint(10, 100), QPoint(60, 60), QPoint(110, 100)}));
        // A ring: two subpaths filled as one poly-polygon, the hole left open.
        QPainterPath ring;
        ring.addRect(200, 100, 80, 80);
        ring.addRect(220, 120, 40, 40);
        p.drawPath(ring);
    });
    const auto rects = file.ShapesOf(TKind::Rectangle);
    ASSERT_EQ(rects.size(), 1u);
    EXPECT_EQ(rects[0]->Box, QRect(10, 10, 51, 31));
    EXPECT_EQ(rects[0]->Brush->Style, kBsSolid);
    EXPECT_EQ(rects[0]->Brush->Color, Ref(0, 128, 0));
    const auto ellipses = file.ShapesOf(TKind::Ellipse);
    ASSERT_EQ(ellipses.size(), 1u);
    EXPECT_EQ(ellipses[0]->Box, QRect(100, 10, 41, 21));
    EXPECT_EQ(ellipses[0]->Brush->Style, kBsNull);
    const auto polygons = file.ShapesOf(TKind::Polygon);
    ASSERT_EQ(polygons.size(), 2u);
    EXPECT_EQ(polygons[0]->Points.first(),
              QPolygon({QPoint(10, 100), QPoint(60, 60), QPoint(110, 100)}));
    EXPECT_EQ(polygons[0]->Pen->Style, kPsNull);
    EXPECT_EQ(polygons[0]->Brush->Color, Ref(255, 127, 127));
    EXPECT_EQ(polygons[1]->Points.size(), 2);
}

TEST_P(MetafilePainter, TextKeepsCharactersFontColourAndDirection)
{
    const QString caption = QString::fromUtf8("Výška [m] ěščř");
    const TMetafile file = Draw(QSize(300, 200), [&](QPainter& p) {
        QFont font("DejaVu Sans");
        font.setPixelSize(16);
        font.setBold(true);
        font.setItalic(true);
        p.setFont(font);
        p.setPen(QColor(0, 0, 255));
        p.drawText(QPointF(20, 50), caption);
        p.save();
        p.translate(30, 180);
        p.rotate(-90);
        p.setPen(QColor(255, 0, 0));
        p.drawText(QPointF(0, 0), "Servo [%]");
        p.restore();
    });
    EXPECT_EQ(file.Texts(), QStringList({caption, "Servo [%]"}));
    const auto texts = file.ShapesOf(TKind::Text);
    ASSERT_EQ(texts.size(), 2u);
    EXPECT_EQ(texts[0]->Reference, QPoint(20, 50));
    EXPECT_EQ(texts[0]->TextColor, Ref(0, 0, 255));
    ASSERT_TRUE(texts[0]->Font);
    EXPECT_EQ(texts[0]->Font->Height, -16);
    EXPECT_EQ(texts[0]->Font->Weight, 700);
    EXPECT_TRUE(texts[0]->Font->Italic);
    EXPECT_EQ(texts[0]->Font->Escapement, 0);
    EXPECT_EQ(texts[0]->Font->Face, "DejaVu Sans");
    // Advances follow Qt's own layout of the caption.
    QFont font("DejaVu Sans");
    font.setPixelSize(16);
    font.setBold(true);
    font.setItalic(true);
    int sum = 0;
    for (int a : texts[0]->Advances)
        sum += a;
    const TEmfPaintDevice metricsDevice(QSize(10, 10));
    EXPECT_NEAR(sum, QFontMetricsF(font, &metricsDevice).horizontalAdvance(caption), 1.0);

    EXPECT_EQ(texts[1]->Reference, QPoint(30, 180));
    EXPECT_EQ(texts[1]->Font->Escapement, 900); // reads upwards
    EXPECT_EQ(texts[1]->TextColor, Ref(255, 0, 0));
    if (GetParam() == TFormat::Wmf) {
        EXPECT_EQ(texts[0]->Font->Charset, wmf::kEastEuropeCharset);
    }
}

TEST_P(MetafilePainter, ClipFollowsThePainterThroughSaveAndRestore)
{
    const QRect plot(50, 40, 200, 100);
    const TMetafile file = Draw(QSize(300, 200), [&](QPainter& p) {
        p.drawLine(0, 10, 299, 10); // before any clip
        p.save();
        p.setClipRect(plot);
        p.drawLine(0, 90, 299, 90); // sticks out on both sides: clipped in the player
        p.save();
        p.setClipRect(QRect(100, 0, 300, 300), Qt::IntersectClip);
        p.drawLine(0, 100, 299, 100);
        p.restore();
        p.drawLine(0, 110, 299, 110);
        p.restore();
        p.drawLine(0, 190, 299, 190);
        p.setClipRect(QRect(0, 0, 20, 20));
        p.setClipping(false);
        p.drawLine(0, 195, 299, 195);
        p.setClipping(true); // the last clip comes back
        p.drawLine(0, 15, 299, 15);
    });
    const auto lines = file.ShapesOf(TKind::Polyline);
    ASSERT_EQ(lines.size(), 7u);
    EXPECT_FALSE(lines[0]->Clip);
    EXPECT_EQ(lines[1]->Clip, plot);
    EXPECT_EQ(lines[2]->Clip, QRect(100, 40, 150, 100));
    EXPECT_EQ(lines[3]->Clip, plot);
    EXPECT_FALSE(lines[4]->Clip);
    EXPECT_FALSE(lines[5]->Clip);
    EXPECT_EQ(lines[6]->Clip, QRect(0, 0, 20, 20));
    // The pens stay valid across the restores: the reader checked no selected object was deleted.
    for (const TMetaShape* line : lines)
        EXPECT_TRUE(line->Pen);
}

TEST_P(MetafilePainter, TransformMovesPointsAndThickensPens)
{
    const TMetafile file = Draw(QSize(400, 400), [](QPainter& p) {
        p.translate(100, 50);
        p.scale(2, 2);
        p.setPen(QPen(Qt::black, 1.5));
        p.drawLine(QPointF(0, 0), QPointF(50, 25));
        p.setPen(QPen(Qt::black, 0)); // cosmetic: one pixel at any scale
        p.drawLine(QPointF(0, 10), QPointF(50, 10));
        p.setClipRect(QRect(0, 0, 10, 10));
        p.drawLine(QPointF(0, 5), QPointF(50, 5));
    });
    const auto lines = file.ShapesOf(TKind::Polyline);
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_EQ(lines[0]->Points.first(), QPolygon({QPoint(100, 50), QPoint(200, 100)}));
    EXPECT_EQ(lines[0]->Pen->Width, 3);
    EXPECT_EQ(lines[1]->Pen->Width, 1);
    EXPECT_EQ(lines[2]->Clip, QRect(100, 50, 20, 20));
}

TEST_P(MetafilePainter, FarOutsideCoordinatesAreCutNotWrapped)
{
    const TMetafile file = Draw(QSize(200, 100), [](QPainter& p) {
        p.drawLine(QPointF(-100000, 50), QPointF(100000, 50));
        p.setBrush(Qt::gray);
        p.drawPolygon(QPolygonF({QPointF(-90000, 10), QPointF(90000, 10), QPointF(0, 90)}));
    });
    const auto lines = file.ShapesOf(TKind::Polyline);
    ASSERT_EQ(lines.size(), 1u);
    const QPolygon line = lines[0]->Points.first();
    ASSERT_EQ(line.size(), 2);
    EXPECT_LT(line[0].x(), 0);
    EXPECT_GT(line[1].x(), 199);
    EXPECT_EQ(line[0].y(), 50);
    EXPECT_EQ(line[1].y(), 50);
    const auto polygons = file.ShapesOf(TKind::Polygon);
    ASSERT_EQ(polygons.size(), 1u);
    for (const QPoint& corner : polygons[0]->Points.first()) {
        EXPECT_GE(corner.y(), 10);
        EXPECT_LE(corner.y(), 90);
        EXPECT_LT(std::abs(corner.x()), 32000);
    }
}

TEST_P(MetafilePainter, LongLinesAreSplitIntoJoinedRecords)
{
    QPolygonF zigzag;
    for (int i = 0; i < 40000; ++i)
        zigzag << QPointF(i % 2000 / 10.0, (i % 2 == 0) ? 10 + i / 2000 : 90 - i / 2000);
    const TMetafile file = Draw(QSize(200, 100), [&](QPainter& p) { p.drawPolyline(zigzag); });
    const auto lines = file.ShapesOf(TKind::Polyline);
    ASSERT_FALSE(lines.empty());
    qsizetype points = 0;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        points += lines[i]->Points.first().size();
        if (i > 0) {
            EXPECT_EQ(lines[i]->Points.first().first(), lines[i - 1]->Points.first().last());
        }
    }
    EXPECT_GT(points, 30000);
    if (GetParam() == TFormat::Wmf) {
        EXPECT_GE(lines.size(), 3u);
    }
}

TEST_P(MetafilePainter, ImagesBecomeBitmapRecords)
{
    QImage image(20, 10, QImage::Format_ARGB32);
    image.fill(QColor(0, 0, 255));
    const TMetafile file = Draw(QSize(100, 100), [&](QPainter& p) {
        p.setClipRect(QRect(0, 0, 60, 60));
        p.drawImage(QRectF(10, 20, 40, 20), image);
    });
    const auto bitmaps = file.ShapesOf(TKind::Bitmap);
    ASSERT_EQ(bitmaps.size(), 1u);
    EXPECT_EQ(bitmaps[0]->Box, QRect(10, 20, 40, 20));
    EXPECT_EQ(bitmaps[0]->Clip, QRect(0, 0, 60, 60));
}

INSTANTIATE_TEST_SUITE_P(Formats, MetafilePainter, ::testing::Values(TFormat::Emf, TFormat::Wmf),
                         [](const auto& info) {
                             return info.param == TFormat::Emf ? std::string("Emf")
                                                               : std::string("Wmf");
                         });
