// Reader of enhanced (EMF) and placeable Windows (WMF) metafiles: checks the structure and plays
// the records into a list of shapes with the pen, brush, font and clip each was drawn with.
#pragma once

#include <QByteArray>
#include <QList>
#include <QPolygon>
#include <QRect>
#include <QSize>
#include <QString>
#include <QStringList>

#include <cstdint>
#include <map>
#include <optional>
#include <vector>

namespace zirko {

struct TMetaObject {
    enum class TKind { Pen, Brush, Font };
    TKind Kind = TKind::Pen;
    int Style = 0;
    int Width = 0;
    uint32_t Color = 0;
    int Hatch = 0;
    QString Face;
    int Height = 0;
    int Escapement = 0;
    int Weight = 0;
    bool Italic = false;
    int Charset = 0;
};

struct TMetaShape {
    enum class TKind { Polyline, Polygon, Rectangle, Ellipse, Text, Bitmap };
    TKind Kind = TKind::Polyline;
    QList<QPolygon> Points; // one list per line or polygon
    QRect Box;              // rectangles, ellipses, bitmaps: right and bottom exclusive
    QString Text;
    QPoint Reference;
    std::vector<int> Advances;
    std::optional<QRect> Clip; // right and bottom exclusive
    std::optional<TMetaObject> Pen, Brush, Font;
    uint32_t TextColor = 0;
};

struct TMetafile {
    bool Enhanced = false;
    QString Error; // the first structural fault; empty when the file is sound

    // EMF header.
    QRect Bounds, Frame; // as stored: left, top, right, bottom (inclusive)
    uint32_t DeclaredBytes = 0;
    uint32_t DeclaredRecords = 0;
    int Handles = 0;
    QSize Device, Millimeters, Micrometers;
    QString Description;

    // WMF headers.
    QRect BoundingBox; // left, top, right, bottom as stored
    int Inch = 0;
    uint32_t SizeWords = 0;
    int NumberOfObjects = 0;
    uint32_t MaxRecordWords = 0;

    struct TRecord {
        uint32_t Type = 0; // EMF record type or WMF function
        uint32_t Offset = 0;
        uint32_t Size = 0; // bytes
    };
    std::vector<TRecord> Records;
    std::vector<TMetaShape> Shapes;

    int Count(uint32_t type) const;
    QStringList Texts() const;
    std::vector<const TMetaShape*> ShapesOf(TMetaShape::TKind kind) const;
};

TMetafile ReadEmf(const QByteArray& bytes);
TMetafile ReadWmf(const QByteArray& bytes);

} // namespace zirko
