// The header line printed over the chart and over the notes, in the top margin of the page, and
// the printer set-up those two prints start from.
#pragma once

#include <QFont>
#include <QRectF>
#include <QString>

class QPagedPaintDevice;
class QPainter;
class QPrinter;

namespace zirko {

// Landscape, with margins that leave the header its room; the paper stays the printer's. The
// print dialog still offers every choice.
void SetHeaderedPrintDefaults(QPrinter& printer);

// The header of the pages printed on one device: the text on one line over a thin rule, in the
// top margin. Where the margin is too narrow for it (a user's choice, or a printer that allows
// no more), the line takes the top of the printable area and the content goes below it, so
// neither is cut. Coordinates are those of a painter begun on the device and not transformed:
// the printable area's top-left is (0, 0), in device pixels.
class TPrintHeader {
public:
    TPrintHeader(const QPagedPaintDevice& device, const QString& text);

    // Where the page's content goes: the printable area, less the header's room where it needed
    // some.
    QRectF ContentArea() const { return Content; }
    // True when the header lies in the margin, above the printable area.
    bool InMargin() const { return Line.bottom() <= 0; }
    // Draws the header (nothing for an empty text), the font made smaller for a long line and
    // the line cut with "…" only below the smallest font.
    void Paint(QPainter& painter) const;

private:
    QString Text;
    QFont Font;
    QRectF Line;
    QRectF Content;
    double Dpi = 96;
};

} // namespace zirko
