// What the printed pages of the program share: the page set-up, a painter whose unit is a screen
// pixel (1/96 inch) on any printer or PDF, fonts in those units, and tables that stop at the
// bottom of their box.
#pragma once

#include <QFont>
#include <QPageLayout>
#include <QRectF>
#include <QString>
#include <QStringList>

#include <string>
#include <vector>

class QPainter;
class QPagedPaintDevice;

namespace zirko {

// Units of a page per inch: one unit is a pixel of a common screen, so charts and rich text laid
// out for the screen keep their proportions on paper. Printers and PDF writers are set to this
// resolution: a recorded chart replayed on a finer device would scale its fonts twice.
inline constexpr double kPageUnitsPerInch = 96;

// A4 with 12 mm margins, in the orientation asked for.
QPageLayout ReportPageLayout(QPageLayout::Orientation orientation = QPageLayout::Portrait);

// The printable area of `device` in page units, its top-left at (0, 0).
QRectF PageArea(const QPagedPaintDevice& device);
// Scales the painter (begun on `device`) from device pixels to page units.
void ScaleToPageUnits(QPainter& painter, const QPagedPaintDevice& device);

// The program's font at `pixels` page units.
QFont PageFont(double pixels, bool bold = false);

// One line of text cut with "…" to `width`, drawn with its top at `top`.
void DrawLine(QPainter& painter, const QString& text, double left, double top, double width,
              Qt::Alignment alignment = Qt::AlignLeft);

// As DrawLine, but a text somewhat too long is set in smaller type (down to three quarters of
// the font) so that it is read whole; only a longer one is cut.
void DrawFittedLine(QPainter& painter, const QString& text, double left, double top, double width);

// Label and value pairs one a line in `box`, labels in a column of `labelWidth`; a value too long
// for its column is fitted as DrawFittedLine does. Returns the height used; lines that do not fit
// are left out.
double DrawLabelledLines(QPainter& painter, const QRectF& box, double labelWidth,
                         const std::vector<std::pair<std::string, std::string>>& lines);

// A table in `box`: the header row bold over a rule, then the rows; `numberFrom` and the
// columns after it are aligned right. Rows that do not fit give way to a last line "… N more".
// `widths` are shares of the box's width. Returns the height used.
double DrawTable(QPainter& painter, const QRectF& box, const std::vector<std::string>& headers,
                 const std::vector<std::vector<std::string>>& rows,
                 const std::vector<double>& widths, size_t numberFrom,
                 const std::vector<std::string>* totals = nullptr);

// The height of one line of the page's body font.
double LineHeight(const QPainter& painter);

} // namespace zirko
