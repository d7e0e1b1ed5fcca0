// Paint engine and device shared by the EMF and WMF writers: turns QPainter drawing into GDI
// objects, clipping and primitives in device pixels; the formats only encode the records.
#pragma once

#include <QByteArray>
#include <QImage>
#include <QList>
#include <QPaintDevice>
#include <QPaintEngine>
#include <QPainterPath>
#include <QPen>
#include <QPolygon>
#include <QRect>
#include <QSize>
#include <QString>
#include <QTransform>

#include <cstdint>
#include <memory>
#include <optional>
#include <vector>

namespace zirko {

// GDI colour reference 0x00BBGGRR; metafiles have no alpha, so translucent colours are blended
// onto white paper.
uint32_t ColorRef(const QColor& color);

// GDI pen styles, brush styles and text alignment bits shared by EMF and WMF.
inline constexpr int kPsSolid = 0;
inline constexpr int kPsDash = 1;
inline constexpr int kPsDot = 2;
inline constexpr int kPsDashDot = 3;
inline constexpr int kPsDashDotDot = 4;
inline constexpr int kPsNull = 5;
inline constexpr int kPsEndCapRound = 0x000;
inline constexpr int kPsEndCapSquare = 0x100;
inline constexpr int kPsEndCapFlat = 0x200;
inline constexpr int kPsJoinRound = 0x0000;
inline constexpr int kPsJoinBevel = 0x1000;
inline constexpr int kPsJoinMiter = 0x2000;
inline constexpr int kBsSolid = 0;
inline constexpr int kBsNull = 1;
inline constexpr int kBsHatched = 2;
inline constexpr int kTransparent = 1;
inline constexpr int kTaBaseline = 24;
inline constexpr int kAlternate = 1;
inline constexpr int kWinding = 2;

struct TMetaPen {
    int Style = kPsSolid; // with end cap and join bits
    int Width = 1;        // device pixels
    uint32_t Color = 0;
    bool operator==(const TMetaPen&) const = default;
};

struct TMetaBrush {
    int Style = kBsSolid;
    uint32_t Color = 0;
    int Hatch = 0;
    bool operator==(const TMetaBrush&) const = default;
};

struct TMetaFont {
    QString Face;
    int Height = 0;     // negative: character height in pixels
    int Escapement = 0; // tenths of a degree, counter-clockwise
    int Weight = 400;
    bool Italic = false;
    bool Underline = false;
    bool StrikeOut = false;
    bool operator==(const TMetaFont&) const = default;
};

// A painter's rectangular clip in device pixels. The shape outlives switching clipping off, as
// QPainter::setClipping(true) brings the last clip back.
struct TClipState {
    std::optional<QRect> Shape;
    bool Enabled = false;
    std::optional<QRect> Active() const { return Enabled ? Shape : std::nullopt; }
};

class TMetafilePaintEngine : public QPaintEngine {
public:
    TMetafilePaintEngine();
    ~TMetafilePaintEngine() override;

    bool begin(QPaintDevice* device) override;
    bool end() override;
    void updateState(const QPaintEngineState& state) override;

    void drawRects(const QRect* rects, int rectCount) override;
    void drawRects(const QRectF* rects, int rectCount) override;
    void drawLines(const QLine* lines, int lineCount) override;
    void drawLines(const QLineF* lines, int lineCount) override;
    void drawEllipse(const QRectF& rect) override;
    void drawEllipse(const QRect& rect) override;
    void drawPath(const QPainterPath& path) override;
    void drawPolygon(const QPointF* points, int pointCount, PolygonDrawMode mode) override;
    void drawPolygon(const QPoint* points, int pointCount, PolygonDrawMode mode) override;
    void drawPixmap(const QRectF& r, const QPixmap& pm, const QRectF& sr) override;
    void drawImage(const QRectF& r, const QImage& image, const QRectF& sr,
                   Qt::ImageConversionFlags flags = Qt::AutoColor) override;
    void drawTextItem(const QPointF& p, const QTextItem& textItem) override;

    // The finished file; empty until a painter has ended on the device.
    const QByteArray& Result() const { return ResultBytes; }

protected:
    // Format side. Coordinates are device pixels; handles come from the engine.
    virtual void StartRecords(QSize pixels, int dpi) = 0;
    virtual QByteArray FinishRecords(int handleCount) = 0;
    virtual int FirstHandle() const = 0;
    // Selects built-in objects so the file's own ones can be deleted at the end; false when the
    // format has none.
    virtual bool SelectStockObjects() = 0;
    virtual void WriteCreatePen(int handle, const TMetaPen& pen) = 0;
    virtual void WriteCreateBrush(int handle, const TMetaBrush& brush) = 0;
    virtual void WriteCreateFont(int handle, const TMetaFont& font) = 0;
    virtual void WriteSelectObject(int handle) = 0;
    virtual void WriteDeleteObject(int handle) = 0;
    virtual void WriteSaveDc() = 0;
    virtual void WriteRestoreDc() = 0;
    virtual void WriteIntersectClip(const QRect& rect) = 0;
    virtual void WriteTextColor(uint32_t color) = 0;
    virtual void WriteFillMode(int mode) = 0;
    virtual void WritePolyline(const QPolygon& points) = 0;
    virtual void WritePolygons(const QList<QPolygon>& polygons) = 0;
    // GDI boxes: right and bottom exclusive.
    virtual void WriteRectangle(const QRect& box) = 0;
    virtual void WriteEllipse(const QRect& box) = 0;
    // Baseline-left reference point; one advance per code point of `text`.
    virtual void WriteText(QPoint reference, const QString& text,
                           const std::vector<int>& advances) = 0;
    virtual void WriteBitmap(const QRect& target, const QImage& rgb888) = 0;
    // Longest point list one record may carry.
    virtual int MaxPointsPerRecord() const = 0;

    QSize Pixels;
    int Dpi = 96;

private:
    struct TDcState {
        int Pen = -1, Brush = -1, Font = -1; // selected handles, -1: the default object
        std::optional<TMetaPen> PenValue;
        std::optional<TMetaBrush> BrushValue;
        std::optional<TMetaFont> FontValue;
        std::optional<uint32_t> TextColor;
        int FillMode = kAlternate;
    };

    void SyncClip();
    void UsePen(const TMetaPen& pen);
    void UseBrush(const TMetaBrush& brush);
    void UseFont(const TMetaFont& font);
    int NewHandle();
    void ReleaseHandle(int handle);
    void Unselect(int handle);
    void SaveState();
    void RestoreState();
    TMetaPen CurrentPen() const;
    TMetaBrush CurrentBrush() const;
    bool PrepareDrawing(bool stroke, bool fill, int fillMode);
    void StrokePolylines(const QList<QPolygonF>& devicePolylines);
    void FillPolygons(const QList<QPolygonF>& devicePolygons, bool stroke, int fillMode);
    void DrawBox(const QRectF& rect, bool ellipse);
    void NoteClipChange(const QPaintEngineState& state);

    QTransform Matrix;
    QPen Pen;
    QBrush Brush;
    QFont Font;
    TClipState WantedClip;            // as the painter asks
    std::optional<QRect> WrittenClip; // as the records stand
    TDcState Dc;
    std::optional<TDcState> SavedDc;
    std::vector<bool> HandleUsed;
    int HandleHigh = 0; // highest handle ever used + 1
    QByteArray ResultBytes;
};

// A paint device whose drawing is recorded by a metafile engine at a given size and resolution.
class TMetafilePaintDevice : public QPaintDevice {
public:
    ~TMetafilePaintDevice() override;
    QPaintEngine* paintEngine() const override;
    // The finished metafile, once the painter on this device has ended.
    QByteArray Data() const;
    QSize Size() const { return PixelSize; }

protected:
    TMetafilePaintDevice(QSize pixelSize, int dpi, std::unique_ptr<TMetafilePaintEngine> engine);
    int metric(PaintDeviceMetric metric) const override;

private:
    QSize PixelSize;
    int Dpi;
    std::unique_ptr<TMetafilePaintEngine> Engine;
};

// Keeps a line or polygon inside a rectangle: the int16 coordinates of the records cannot hold
// what lies far outside the picture.
QList<QPolygonF> ClipPolyline(const QPolygonF& line, const QRectF& box);
QPolygonF ClipPolygon(const QPolygonF& polygon, const QRectF& box);

// Follows a painter's clip change; non-rectangular clips are taken by their bounding rectangle.
void ApplyClipChange(TClipState& clip, const QPaintEngineState& state, const QTransform& matrix,
                     const QRect& limit);

} // namespace zirko
