#include "support/MetafileReader.h"

#include "core/app/TextCodec.h"
#include "platform/metafile/MetafileRecords.h"

#include <algorithm>
#include <string>

namespace zirko {

namespace {

class TCursor {
public:
    explicit TCursor(const QByteArray& bytes) : Bytes(bytes) {}

    bool Has(qsizetype offset, qsizetype count) const
    {
        return offset >= 0 && count >= 0 && offset <= Bytes.size() - count;
    }
    uint8_t U8(qsizetype at) const { return Has(at, 1) ? static_cast<uint8_t>(Bytes[at]) : 0; }
    uint16_t U16(qsizetype at) const { return static_cast<uint16_t>(U8(at) | (U8(at + 1) << 8)); }
    uint32_t U32(qsizetype at) const
    {
        return static_cast<uint32_t>(U16(at)) | (static_cast<uint32_t>(U16(at + 2)) << 16);
    }
    int I16(qsizetype at) const { return static_cast<int16_t>(U16(at)); }
    int I32(qsizetype at) const { return static_cast<int32_t>(U32(at)); }

    const QByteArray& Bytes;
};

// Plays object, state and clip records the way a GDI device context keeps them.
class TPlayer {
public:
    struct TDc {
        int Pen = -1, Brush = -1, Font = -1;
        uint32_t TextColor = 0;
        std::optional<QRect> Clip;
    };

    QString Error;
    std::map<int, TMetaObject> Objects;
    TDc Dc;
    std::vector<TDc> Stack;
    int HighestHandle = -1;

    void Fail(const QString& message)
    {
        if (Error.isEmpty())
            Error = message;
    }

    void Create(int handle, const TMetaObject& object)
    {
        if (Objects.count(handle))
            Fail(QString("object slot %1 created twice").arg(handle));
        Objects[handle] = object;
        HighestHandle = std::max(HighestHandle, handle);
    }

    int LowestFreeSlot() const
    {
        int slot = 0;
        while (Objects.count(slot))
            ++slot;
        return slot;
    }

    void Select(int handle)
    {
        const auto it = Objects.find(handle);
        if (it == Objects.end()) {
            Fail(QString("selected object %1 does not exist").arg(handle));
            return;
        }
        switch (it->second.Kind) {
        case TMetaObject::TKind::Pen:
            Dc.Pen = handle;
            break;
        case TMetaObject::TKind::Brush:
            Dc.Brush = handle;
            break;
        case TMetaObject::TKind::Font:
            Dc.Font = handle;
            break;
        }
    }

    void SelectStock(uint32_t index)
    {
        if (index == 6 || index == 7 || index == 8 || index == 19)
            Dc.Pen = -1;
        else if (index >= 10 && index <= 17 && index != 15)
            Dc.Font = -1;
        else
            Dc.Brush = -1;
    }

    void Delete(int handle)
    {
        if (!Objects.count(handle)) {
            Fail(QString("deleted object %1 does not exist").arg(handle));
            return;
        }
        auto selectedIn = [handle](const TDc& dc) {
            return dc.Pen == handle || dc.Brush == handle || dc.Font == handle;
        };
        if (selectedIn(Dc))
            Fail(QString("object %1 deleted while selected").arg(handle));
        for (const TDc& saved : Stack) {
            if (selectedIn(saved))
                Fail(QString("object %1 deleted while a saved state selects it").arg(handle));
        }
        Objects.erase(handle);
    }

    void Save() { Stack.push_back(Dc); }

    void Restore(int relative)
    {
        const int depth = relative < 0 ? -relative : static_cast<int>(Stack.size()) - relative + 1;
        if (depth <= 0 || depth > static_cast<int>(Stack.size())) {
            Fail("RestoreDC without a saved state");
            return;
        }
        Dc = Stack[Stack.size() - static_cast<std::size_t>(depth)];
        Stack.resize(Stack.size() - static_cast<std::size_t>(depth));
        for (int* handle : {&Dc.Pen, &Dc.Brush, &Dc.Font}) {
            if (*handle >= 0 && !Objects.count(*handle))
                Fail(QString("restored state selects deleted object %1").arg(*handle));
        }
    }

    void Intersect(int left, int top, int right, int bottom)
    {
        const QRect box(left, top, std::max(0, right - left), std::max(0, bottom - top));
        Dc.Clip = Dc.Clip ? Dc.Clip->intersected(box) : box;
        if (Dc.Clip->isEmpty())
            Dc.Clip = QRect(left, top, 0, 0);
    }

    TMetaShape Shape(TMetaShape::TKind kind) const
    {
        TMetaShape shape;
        shape.Kind = kind;
        shape.Clip = Dc.Clip;
        shape.TextColor = Dc.TextColor;
        auto lookup = [this](int handle) -> std::optional<TMetaObject> {
            const auto it = Objects.find(handle);
            return it == Objects.end() ? std::nullopt : std::optional(it->second);
        };
        shape.Pen = lookup(Dc.Pen);
        shape.Brush = lookup(Dc.Brush);
        shape.Font = lookup(Dc.Font);
        return shape;
    }
};

QRect StoredRect(const TCursor& c, qsizetype at)
{
    return QRect(QPoint(c.I32(at), c.I32(at + 4)), QPoint(c.I32(at + 8), c.I32(at + 12)));
}

QRect GdiBox(int left, int top, int right, int bottom)
{
    return QRect(left, top, right - left, bottom - top);
}

QPolygon Points16(const TCursor& c, qsizetype at, int count)
{
    QPolygon points;
    points.reserve(count);
    for (int i = 0; i < count; ++i)
        points << QPoint(c.I16(at + 4 * i), c.I16(at + 4 * i + 2));
    return points;
}

QString Decode1250(const QByteArray& bytes)
{
    return QString::fromStdString(
        DecodeCodePage(std::string_view(bytes.constData(), bytes.size()), 1250));
}

void PlayEmfRecord(const TCursor& c, qsizetype at, uint32_t type, uint32_t size, TPlayer& player,
                   TMetafile& file)
{
    auto need = [&](qsizetype bytes) {
        if (static_cast<qsizetype>(size) < bytes) {
            player.Fail(QString("record %1 at %2 is too short").arg(type).arg(at));
            return false;
        }
        return true;
    };
    using TKind = TMetaShape::TKind;
    switch (type) {
    case emf::kExtCreatePen:
        if (need(52)) {
            TMetaObject pen;
            pen.Style = static_cast<int>(c.U32(at + 28));
            pen.Width = static_cast<int>(c.U32(at + 32));
            pen.Color = c.U32(at + 40);
            player.Create(static_cast<int>(c.U32(at + 8)), pen);
        }
        break;
    case emf::kCreatePen:
        if (need(28)) {
            TMetaObject pen;
            pen.Style = static_cast<int>(c.U32(at + 12));
            pen.Width = c.I32(at + 16);
            pen.Color = c.U32(at + 24);
            player.Create(static_cast<int>(c.U32(at + 8)), pen);
        }
        break;
    case emf::kCreateBrushIndirect:
        if (need(24)) {
            TMetaObject brush;
            brush.Kind = TMetaObject::TKind::Brush;
            brush.Style = static_cast<int>(c.U32(at + 12));
            brush.Color = c.U32(at + 16);
            brush.Hatch = static_cast<int>(c.U32(at + 20));
            player.Create(static_cast<int>(c.U32(at + 8)), brush);
        }
        break;
    case emf::kExtCreateFontIndirectW:
        if (need(12 + 92)) {
            TMetaObject font;
            font.Kind = TMetaObject::TKind::Font;
            font.Height = c.I32(at + 12);
            font.Escapement = c.I32(at + 20);
            font.Weight = c.I32(at + 28);
            font.Italic = c.U8(at + 32) != 0;
            font.Charset = c.U8(at + 35);
            for (int i = 0; i < 32; ++i) {
                const uint16_t ch = c.U16(at + 40 + 2 * i);
                if (ch == 0)
                    break;
                font.Face += QChar(ch);
            }
            player.Create(static_cast<int>(c.U32(at + 8)), font);
        }
        break;
    case emf::kSelectObject:
        if (need(12)) {
            const uint32_t handle = c.U32(at + 8);
            if (handle & emf::kStockObject)
                player.SelectStock(handle & ~emf::kStockObject);
            else
                player.Select(static_cast<int>(handle));
        }
        break;
    case emf::kDeleteObject:
        if (need(12))
            player.Delete(static_cast<int>(c.U32(at + 8)));
        break;
    case emf::kSaveDc:
        player.Save();
        break;
    case emf::kRestoreDc:
        if (need(12))
            player.Restore(c.I32(at + 8));
        break;
    case emf::kIntersectClipRect:
        if (need(24))
            player.Intersect(c.I32(at + 8), c.I32(at + 12), c.I32(at + 16), c.I32(at + 20));
        break;
    case emf::kSetTextColor:
        if (need(12))
            player.Dc.TextColor = c.U32(at + 8);
        break;
    case emf::kPolyline16:
    case emf::kPolygon16:
        if (need(28)) {
            const int count = static_cast<int>(c.U32(at + 24));
            if (count < 0 || !need(28 + 4 * static_cast<qsizetype>(count)))
                break;
            TMetaShape shape =
                player.Shape(type == emf::kPolyline16 ? TKind::Polyline : TKind::Polygon);
            shape.Points << Points16(c, at + 28, count);
            const QRect bounds = StoredRect(c, at + 8);
            if (!shape.Points.first().isEmpty() && bounds != shape.Points.first().boundingRect())
                player.Fail(QString("record at %1 has wrong bounds").arg(at));
            file.Shapes.push_back(shape);
        }
        break;
    case emf::kPolyPolygon16:
        if (need(32)) {
            const uint32_t polygons = c.U32(at + 24);
            const uint32_t total = c.U32(at + 28);
            if (!need(32 + 4 * static_cast<qsizetype>(polygons) +
                      4 * static_cast<qsizetype>(total)))
                break;
            TMetaShape shape = player.Shape(TKind::Polygon);
            qsizetype point = at + 32 + 4 * static_cast<qsizetype>(polygons);
            uint32_t sum = 0;
            for (uint32_t i = 0; i < polygons; ++i) {
                const uint32_t n = c.U32(at + 32 + 4 * static_cast<qsizetype>(i));
                sum += n;
                if (sum > total)
                    break;
                shape.Points << Points16(c, point, static_cast<int>(n));
                point += 4 * static_cast<qsizetype>(n);
            }
            if (sum != total)
                player.Fail(QString("poly-polygon at %1 miscounts its points").arg(at));
            file.Shapes.push_back(shape);
        }
        break;
    case emf::kRectangle:
    case emf::kEllipse:
        if (need(24)) {
            TMetaShape shape =
                player.Shape(type == emf::kRectangle ? TKind::Rectangle : TKind::Ellipse);
            shape.Box = GdiBox(c.I32(at + 8), c.I32(at + 12), c.I32(at + 16), c.I32(at + 20));
            file.Shapes.push_back(shape);
        }
        break;
    case emf::kExtTextOutW:
        if (need(76)) {
            TMetaShape shape = player.Shape(TKind::Text);
            shape.Reference = QPoint(c.I32(at + 36), c.I32(at + 40));
            const uint32_t chars = c.U32(at + 44);
            const uint32_t offString = c.U32(at + 48);
            const uint32_t offDx = c.U32(at + 72);
            if (!need(static_cast<qsizetype>(offString) + 2 * static_cast<qsizetype>(chars)))
                break;
            for (uint32_t i = 0; i < chars; ++i)
                shape.Text += QChar(c.U16(at + offString + 2 * static_cast<qsizetype>(i)));
            if (offDx != 0 && need(static_cast<qsizetype>(offDx) + 4 * chars)) {
                for (uint32_t i = 0; i < chars; ++i)
                    shape.Advances.push_back(c.I32(at + offDx + 4 * static_cast<qsizetype>(i)));
            }
            file.Shapes.push_back(shape);
        }
        break;
    case emf::kStretchDiBits:
        if (need(80)) {
            const uint32_t offBits = c.U32(at + 56);
            const uint32_t cbBits = c.U32(at + 60);
            if (!need(static_cast<qsizetype>(offBits) + cbBits))
                break;
            TMetaShape shape = player.Shape(TKind::Bitmap);
            shape.Box = QRect(c.I32(at + 24), c.I32(at + 28), c.I32(at + 72), c.I32(at + 76));
            file.Shapes.push_back(shape);
        }
        break;
    default:
        break;
    }
}

void PlayWmfRecord(const TCursor& c, qsizetype at, uint16_t function, uint32_t size,
                   TPlayer& player, TMetafile& file)
{
    const qsizetype p = at + 6; // first parameter
    auto need = [&](qsizetype bytes) {
        if (static_cast<qsizetype>(size) < 6 + bytes) {
            player.Fail(QString("record %1 at %2 is too short").arg(function, 0, 16).arg(at));
            return false;
        }
        return true;
    };
    auto create = [&](const TMetaObject& object) {
        const int slot = player.LowestFreeSlot();
        if (slot >= file.NumberOfObjects)
            player.Fail(QString("object slot %1 beyond the header's %2 objects")
                            .arg(slot)
                            .arg(file.NumberOfObjects));
        player.Create(slot, object);
    };
    using TKind = TMetaShape::TKind;
    switch (function) {
    case wmf::kCreatePenIndirect:
        if (need(10)) {
            TMetaObject pen;
            pen.Style = c.U16(p);
            pen.Width = c.I16(p + 2);
            pen.Color = c.U32(p + 6);
            create(pen);
        }
        break;
    case wmf::kCreateBrushIndirect:
        if (need(8)) {
            TMetaObject brush;
            brush.Kind = TMetaObject::TKind::Brush;
            brush.Style = c.U16(p);
            brush.Color = c.U32(p + 2);
            brush.Hatch = c.U16(p + 6);
            create(brush);
        }
        break;
    case wmf::kCreateFontIndirect:
        if (need(18)) {
            TMetaObject font;
            font.Kind = TMetaObject::TKind::Font;
            font.Height = c.I16(p);
            font.Escapement = c.I16(p + 4);
            font.Weight = c.I16(p + 8);
            font.Italic = c.U8(p + 10) != 0;
            font.Charset = c.U8(p + 13);
            QByteArray face;
            for (qsizetype i = p + 18; i < at + static_cast<qsizetype>(size) && c.U8(i) != 0; ++i)
                face.append(static_cast<char>(c.U8(i)));
            font.Face = Decode1250(face);
            create(font);
        }
        break;
    case 0x00F7: // palette
    case 0x01F9: // pattern brush
    case 0x0142: // DIB pattern brush
    case 0x06FF: // region
    {
        TMetaObject other;
        other.Kind = TMetaObject::TKind::Brush;
        create(other);
        break;
    }
    case wmf::kSelectObject:
        if (need(2))
            player.Select(c.U16(p));
        break;
    case wmf::kDeleteObject:
        if (need(2))
            player.Delete(c.U16(p));
        break;
    case wmf::kSaveDc:
        player.Save();
        break;
    case wmf::kRestoreDc:
        if (need(2))
            player.Restore(c.I16(p));
        break;
    case wmf::kIntersectClipRect:
        if (need(8))
            player.Intersect(c.I16(p + 6), c.I16(p + 4), c.I16(p + 2), c.I16(p));
        break;
    case wmf::kSetTextColor:
        if (need(4))
            player.Dc.TextColor = c.U32(p);
        break;
    case wmf::kPolyline:
    case wmf::kPolygon:
        if (need(2)) {
            const int count = c.I16(p);
            if (count < 0 || !need(2 + 4 * static_cast<qsizetype>(count)))
                break;
            TMetaShape shape =
                player.Shape(function == wmf::kPolyline ? TKind::Polyline : TKind::Polygon);
            shape.Points << Points16(c, p + 2, count);
            file.Shapes.push_back(shape);
        }
        break;
    case wmf::kPolyPolygon:
        if (need(2)) {
            const int polygons = c.U16(p);
            if (!need(2 + 2 * static_cast<qsizetype>(polygons)))
                break;
            TMetaShape shape = player.Shape(TKind::Polygon);
            qsizetype point = p + 2 + 2 * static_cast<qsizetype>(polygons);
            for (int i = 0; i < polygons; ++i) {
                const int n = c.U16(p + 2 + 2 * i);
                if (!need(point - p + 4 * static_cast<qsizetype>(n)))
                    break;
                shape.Points << Points16(c, point, n);
                point += 4 * static_cast<qsizetype>(n);
            }
            file.Shapes.push_back(shape);
        }
        break;
    case wmf::kRectangle:
    case wmf::kEllipse:
        if (need(8)) {
            TMetaShape shape =
                player.Shape(function == wmf::kRectangle ? TKind::Rectangle : TKind::Ellipse);
            shape.Box = GdiBox(c.I16(p + 6), c.I16(p + 4), c.I16(p + 2), c.I16(p));
            file.Shapes.push_back(shape);
        }
        break;
    case wmf::kExtTextOut:
        if (need(8)) {
            TMetaShape shape = player.Shape(TKind::Text);
            shape.Reference = QPoint(c.I16(p + 2), c.I16(p));
            const int length = c.I16(p + 4);
            const uint16_t options = c.U16(p + 6);
            qsizetype text = p + 8 + ((options & 0x0006) ? 8 : 0);
            if (length < 0 || !need(text - p + length))
                break;
            QByteArray bytes = c.Bytes.mid(text, length);
            shape.Text = Decode1250(bytes);
            const qsizetype dx = text + (length + 1) / 2 * 2;
            if (dx + 2 * static_cast<qsizetype>(length) <= at + static_cast<qsizetype>(size)) {
                for (int i = 0; i < length; ++i)
                    shape.Advances.push_back(c.I16(dx + 2 * i));
            }
            file.Shapes.push_back(shape);
        }
        break;
    case wmf::kTextOut:
        if (need(2)) {
            const int length = c.I16(p);
            const qsizetype padded = (length + 1) / 2 * 2;
            if (length < 0 || !need(2 + padded + 4))
                break;
            TMetaShape shape = player.Shape(TKind::Text);
            shape.Text = Decode1250(c.Bytes.mid(p + 2, length));
            shape.Reference = QPoint(c.I16(p + 2 + padded + 2), c.I16(p + 2 + padded));
            file.Shapes.push_back(shape);
        }
        break;
    case wmf::kStretchDib:
        if (need(22 + 40)) {
            TMetaShape shape = player.Shape(TKind::Bitmap);
            shape.Box = QRect(c.I16(p + 20), c.I16(p + 18), c.I16(p + 16), c.I16(p + 14));
            file.Shapes.push_back(shape);
        }
        break;
    default:
        break;
    }
}

} // namespace

int TMetafile::Count(uint32_t type) const
{
    return static_cast<int>(std::count_if(Records.begin(), Records.end(),
                                          [type](const TRecord& r) { return r.Type == type; }));
}

QStringList TMetafile::Texts() const
{
    QStringList texts;
    for (const TMetaShape& shape : Shapes) {
        if (shape.Kind == TMetaShape::TKind::Text)
            texts << shape.Text;
    }
    return texts;
}

std::vector<const TMetaShape*> TMetafile::ShapesOf(TMetaShape::TKind kind) const
{
    std::vector<const TMetaShape*> out;
    for (const TMetaShape& shape : Shapes) {
        if (shape.Kind == kind)
            out.push_back(&shape);
    }
    return out;
}

TMetafile ReadEmf(const QByteArray& bytes)
{
    TMetafile file;
    file.Enhanced = true;
    const TCursor c(bytes);
    TPlayer player;
    if (bytes.size() < 88 || c.U32(0) != emf::kHeader) {
        file.Error = "no EMF header";
        return file;
    }
    const uint32_t headerSize = c.U32(4);
    if (c.U32(40) != emf::kSignature)
        player.Fail("wrong EMF signature");
    if (c.U32(44) != emf::kVersion)
        player.Fail("wrong EMF version");
    file.Bounds = StoredRect(c, 8);
    file.Frame = StoredRect(c, 24);
    file.DeclaredBytes = c.U32(48);
    file.DeclaredRecords = c.U32(52);
    file.Handles = c.U16(56);
    file.Device = QSize(c.I32(72), c.I32(76));
    file.Millimeters = QSize(c.I32(80), c.I32(84));
    if (headerSize >= 108)
        file.Micrometers = QSize(c.I32(100), c.I32(104));
    const uint32_t descriptionChars = c.U32(60);
    const uint32_t descriptionOffset = c.U32(64);
    if (descriptionChars > 0) {
        if (descriptionOffset < 88 ||
            static_cast<qsizetype>(descriptionOffset) + 2 * descriptionChars > headerSize)
            player.Fail("description outside the header");
        else
            for (uint32_t i = 0; i < descriptionChars; ++i) {
                const uint16_t ch = c.U16(descriptionOffset + 2 * static_cast<qsizetype>(i));
                file.Description += ch == 0 ? QChar('|') : QChar(ch);
            }
    }
    if (file.DeclaredBytes != static_cast<uint32_t>(bytes.size()))
        player.Fail(QString("header says %1 bytes, the file has %2")
                        .arg(file.DeclaredBytes)
                        .arg(bytes.size()));

    qsizetype at = 0;
    bool sawEof = false;
    while (at < bytes.size()) {
        if (!c.Has(at, 8)) {
            player.Fail(QString("truncated record at %1").arg(at));
            break;
        }
        const uint32_t type = c.U32(at);
        const uint32_t size = c.U32(at + 4);
        if (size < 8 || size % 4 != 0 || !c.Has(at, size)) {
            player.Fail(QString("record %1 at %2 has a bad size %3").arg(type).arg(at).arg(size));
            break;
        }
        if (sawEof) {
            player.Fail("records after EMR_EOF");
            break;
        }
        file.Records.push_back({type, static_cast<uint32_t>(at), size});
        if (type == emf::kHeader && at != 0)
            player.Fail("a second EMR_HEADER");
        if (type == emf::kEof)
            sawEof = true;
        PlayEmfRecord(c, at, type, size, player, file);
        at += size;
    }
    if (!sawEof)
        player.Fail("no EMR_EOF");
    if (file.DeclaredRecords != file.Records.size())
        player.Fail(QString("header says %1 records, the file has %2")
                        .arg(file.DeclaredRecords)
                        .arg(file.Records.size()));
    if (player.HighestHandle >= file.Handles)
        player.Fail(QString("handle %1 beyond the header's %2 handles")
                        .arg(player.HighestHandle)
                        .arg(file.Handles));
    if (!player.Stack.empty())
        player.Fail("SaveDC without RestoreDC");
    file.Error = player.Error;
    return file;
}

TMetafile ReadWmf(const QByteArray& bytes)
{
    TMetafile file;
    const TCursor c(bytes);
    TPlayer player;
    constexpr qsizetype kBase = wmf::kPlaceableSize;
    if (bytes.size() < kBase + 18 || c.U32(0) != wmf::kPlaceableKey) {
        file.Error = "no placeable WMF header";
        return file;
    }
    file.BoundingBox = QRect(QPoint(c.I16(6), c.I16(8)), QPoint(c.I16(10), c.I16(12)));
    file.Inch = c.U16(14);
    uint16_t checksum = 0;
    for (int i = 0; i < 10; ++i)
        checksum ^= c.U16(2 * i);
    if (checksum != c.U16(20))
        player.Fail("wrong placeable header checksum");
    if (c.U16(kBase) != 1 && c.U16(kBase) != 2)
        player.Fail("wrong metafile type");
    if (c.U16(kBase + 2) != wmf::kHeaderWords)
        player.Fail("wrong header size");
    file.SizeWords = c.U32(kBase + 6);
    file.NumberOfObjects = c.U16(kBase + 10);
    file.MaxRecordWords = c.U32(kBase + 12);
    if (static_cast<qsizetype>(file.SizeWords) * 2 != bytes.size() - kBase)
        player.Fail(QString("header says %1 words, the file has %2")
                        .arg(file.SizeWords)
                        .arg((bytes.size() - kBase) / 2));

    qsizetype at = kBase + 18;
    bool sawEof = false;
    uint32_t largest = 0;
    while (at < bytes.size()) {
        if (!c.Has(at, 6)) {
            player.Fail(QString("truncated record at %1").arg(at));
            break;
        }
        const uint32_t words = c.U32(at);
        const uint16_t function = c.U16(at + 4);
        if (words < 3 || !c.Has(at, 2 * static_cast<qsizetype>(words))) {
            player.Fail(QString("record %1 at %2 has a bad size").arg(function, 0, 16).arg(at));
            break;
        }
        if (sawEof) {
            player.Fail("records after META_EOF");
            break;
        }
        largest = std::max(largest, words);
        file.Records.push_back({function, static_cast<uint32_t>(at), 2 * words});
        if (function == wmf::kEof)
            sawEof = true;
        PlayWmfRecord(c, at, function, 2 * words, player, file);
        at += 2 * static_cast<qsizetype>(words);
    }
    if (!sawEof)
        player.Fail("no META_EOF");
    if (largest != file.MaxRecordWords)
        player.Fail(QString("header says the largest record has %1 words, it has %2")
                        .arg(file.MaxRecordWords)
                        .arg(largest));
    if (!player.Stack.empty())
        player.Fail("SaveDC without RestoreDC");
    file.Error = player.Error;
    return file;
}

} // namespace zirko
