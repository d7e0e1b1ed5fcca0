// Copy, save and print of the chart, apart from the chart widget: the chart is handed over as a
// callback that paints it, as shown on screen, into a target rectangle of any painter.
#pragma once

#include <QImage>
#include <QRect>
#include <QSize>
#include <QString>

#include <functional>

class QCustomPlot;
class QPainter;
class QPrinter;
class QWidget;

namespace zirko {

// Paints the whole chart scaled into `target`. Vector output (metafiles, SVG, PDF, printer) stays
// vector only when the chart paints through the painter's own calls, e.g. by playing a QPicture
// recorded with QCustomPlot::toPainter, rather than by blitting its screen buffer.
using TChartRenderer = std::function<void(QPainter& painter, const QRect& target)>;

struct TChartSource {
    TChartRenderer Render;
    QSize Size; // on screen, in pixels
};

inline constexpr const char* kPictureFilter =
    "Bitmaps (*.bmp);;Enhanced Metafiles (*.emf);;Metafiles (*.wmf);;PNG (*.png);;SVG (*.svg);;"
    "PDF (*.pdf)";
inline constexpr const char* kPictureDefaultSuffix = "bmp";

enum class TGraphFormat { Bitmap, Emf, Wmf, Png, Svg, Pdf };

// Only the name's last three characters count, in lower case; anything unknown is a bitmap.
TGraphFormat GraphFormatOf(const QString& fileName);

// The chart as a picture at its on-screen size on white.
QImage RenderGraphImage(const TChartSource& chart);

// The file's bytes in the format its name asks for.
QByteArray EncodeGraph(const TChartSource& chart, TGraphFormat format);

// Writes the picture, replacing an existing file only once the new one is complete. Returns the
// error text, empty on success.
QString WriteGraphFile(const TChartSource& chart, const QString& fileName);

// The bitmap of the whole chart replaces the clipboard content.
void CopyGraphToClipboard(const TChartSource& chart);

// Saves without a question; a failure is shown as "Error by saving Graph as Image file ...".
bool SaveGraph(QWidget* parent, const TChartSource& chart, const QString& fileName);

// The name a picture is saved under: as typed when it has an ending, otherwise with the ending
// of the type chosen in the dialog (`filter`, e.g. "PNG (*.png)"), a bitmap's without one.
QString PictureFileName(const QString& typed, const QString& filter);

// The picture save dialog, then SaveGraph. A flight data file is never replaced (a message, nothing
// written); any other existing file only after a Yes (No is the default). Returns the name
// written, empty when nothing was (cancelled, refused or not replaced).
QString ExecuteSaveGraph(QWidget* parent, const TChartSource& chart,
                         const QString& folder = QString());

// Draws the plot laid out at size (its widget's size on screen), recorded once and scaled into
// target, so text and lines keep their proportions on any device.
void PaintPlotScaled(QCustomPlot& plot, QSize size, QPainter& painter, const QRect& target);

// Printer set-up, then the chart on one page in proportion within the printer's margins, under
// the `header` line (see PrintHeader.h; none when empty). The caller keeps the printer so its
// choices stay for the next print, and prints only a visible chart. False when cancelled or
// failed (the failure is shown).
bool PrintGraph(QWidget* parent, QPrinter& printer, const TChartSource& chart,
                const QString& header = QString());

} // namespace zirko
