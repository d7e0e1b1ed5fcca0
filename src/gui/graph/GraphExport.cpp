#include "gui/graph/GraphExport.h"

#include "gui/services/PrintHeader.h"
#include "gui/services/UserDialogs.h"
#include "platform/files/FlightFile.h"
#include "platform/metafile/ClippingPaintDevice.h"
#include "platform/metafile/EmfPaintDevice.h"
#include "platform/metafile/WmfPaintDevice.h"

#include <QBuffer>
#include <QClipboard>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>
#include <QPicture>
#include <QPrinter>
#include <QRegularExpression>
#include <QSaveFile>
#include <QScreen>
#include <QSvgGenerator>

#include <algorithm>

#include <qcustomplot.h>

namespace zirko {

namespace {

int ScreenDpi()
{
    const QScreen* screen = QGuiApplication::primaryScreen();
    return screen ? std::max(1, qRound(screen->logicalDotsPerInch())) : 96;
}

QRect WholeChart(const TChartSource& chart)
{
    return QRect(QPoint(0, 0), chart.Size);
}

void PaintOnWhite(QPainter& painter, const TChartSource& chart)
{
    painter.fillRect(WholeChart(chart), Qt::white);
    chart.Render(painter, WholeChart(chart));
}

QByteArray EncodeMetafile(TMetafilePaintDevice& device, const TChartSource& chart)
{
    QPainter painter(&device);
    PaintOnWhite(painter, chart);
    painter.end();
    return device.Data();
}

QByteArray EncodeBitmap(const TChartSource& chart, const char* format)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    if (!RenderGraphImage(chart).save(&buffer, format))
        return {};
    return bytes;
}

QByteArray EncodeSvg(const TChartSource& chart)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QSvgGenerator generator;
    generator.setOutputDevice(&buffer);
    generator.setSize(chart.Size);
    generator.setViewBox(WholeChart(chart));
    generator.setResolution(ScreenDpi());
    generator.setTitle("ZIRKO Graph");
    QPainter svg(&generator);
    {
        // The SVG painter drops clip rectangles, so the chart's clipping is cut into the shapes.
        TClippingPaintDevice clipping(svg);
        QPainter painter(&clipping);
        PaintOnWhite(painter, chart);
    }
    svg.end();
    return bytes;
}

QByteArray EncodePdf(const TChartSource& chart)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    const int dpi = ScreenDpi();
    {
        QPdfWriter writer(&buffer);
        writer.setResolution(dpi);
        writer.setPageMargins(QMarginsF(0, 0, 0, 0));
        const QSizeF points(chart.Size.width() * 72.0 / dpi, chart.Size.height() * 72.0 / dpi);
        writer.setPageSize(QPageSize(points, QPageSize::Point, QString(), QPageSize::ExactMatch));
        writer.setTitle("ZIRKO Graph");
        QPainter painter;
        if (!painter.begin(&writer))
            return {};
        // The page is whole points; the chart keeps its proportion within it.
        const double scale = std::min(static_cast<double>(writer.width()) / chart.Size.width(),
                                      static_cast<double>(writer.height()) / chart.Size.height());
        painter.scale(scale, scale);
        PaintOnWhite(painter, chart);
        painter.end();
    }
    return bytes;
}

} // namespace

TGraphFormat GraphFormatOf(const QString& fileName)
{
    const QString ending = fileName.right(3).toLower();
    if (ending == "emf")
        return TGraphFormat::Emf;
    if (ending == "wmf")
        return TGraphFormat::Wmf;
    if (ending == "png")
        return TGraphFormat::Png;
    if (ending == "svg")
        return TGraphFormat::Svg;
    if (ending == "pdf")
        return TGraphFormat::Pdf;
    return TGraphFormat::Bitmap;
}

QImage RenderGraphImage(const TChartSource& chart)
{
    if (chart.Size.isEmpty() || !chart.Render)
        return {};
    QImage image(chart.Size, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    chart.Render(painter, WholeChart(chart));
    return image;
}

QByteArray EncodeGraph(const TChartSource& chart, TGraphFormat format)
{
    if (chart.Size.isEmpty() || !chart.Render)
        return {};
    switch (format) {
    case TGraphFormat::Emf: {
        TEmfPaintDevice device(chart.Size, ScreenDpi());
        return EncodeMetafile(device, chart);
    }
    case TGraphFormat::Wmf: {
        TWmfPaintDevice device(chart.Size, ScreenDpi());
        return EncodeMetafile(device, chart);
    }
    case TGraphFormat::Png:
        return EncodeBitmap(chart, "PNG");
    case TGraphFormat::Svg:
        return EncodeSvg(chart);
    case TGraphFormat::Pdf:
        return EncodePdf(chart);
    case TGraphFormat::Bitmap:
        break;
    }
    return EncodeBitmap(chart, "BMP");
}

QString WriteGraphFile(const TChartSource& chart, const QString& fileName)
{
    if (chart.Size.isEmpty())
        return "The graph has no area to draw.";
    const QByteArray bytes = EncodeGraph(chart, GraphFormatOf(fileName));
    if (bytes.isEmpty())
        return "The picture could not be encoded.";
    QSaveFile file(fileName);
    if (!file.open(QIODevice::WriteOnly))
        return file.errorString();
    if (file.write(bytes) != bytes.size()) {
        const QString error = file.errorString();
        file.cancelWriting();
        return error;
    }
    if (!file.commit())
        return file.errorString();
    return {};
}

void CopyGraphToClipboard(const TChartSource& chart)
{
    const QImage image = RenderGraphImage(chart);
    if (!image.isNull())
        QGuiApplication::clipboard()->setImage(image);
}

bool SaveGraph(QWidget* parent, const TChartSource& chart, const QString& fileName)
{
    const QString error = WriteGraphFile(chart, fileName);
    if (error.isEmpty())
        return true;
    Dialogs().ShowError(parent, "Error by saving Graph as Image file \"" +
                                    QFileInfo(fileName).absoluteFilePath() + "\"!" + "\n" + error);
    return false;
}

QString PictureFileName(const QString& typed, const QString& filter)
{
    if (!QFileInfo(typed).suffix().isEmpty())
        return typed;
    static const QRegularExpression kPattern(R"(\*\.(\w+))");
    const QRegularExpressionMatch match = kPattern.match(filter);
    const QString ending = match.hasMatch() ? match.captured(1) : QString(kPictureDefaultSuffix);
    QString name = typed;
    while (name.endsWith('.'))
        name.chop(1);
    return name + '.' + ending;
}

QString ExecuteSaveGraph(QWidget* parent, const TChartSource& chart, const QString& folder)
{
    const TSaveChoice choice =
        Dialogs().GetSaveFileNameOfType(parent, "Save Graph as Image", folder, kPictureFilter);
    if (choice.FileName.isEmpty())
        return {};
    const QString fileName = PictureFileName(choice.FileName, choice.Filter);
    const QString shown = QDir::toNativeSeparators(QFileInfo(fileName).absoluteFilePath());
    // A flight typed by mistake, or a picture named after one, must never cost the flight.
    if (IsFlightDataFile(QFile::encodeName(fileName).toStdString())) {
        Dialogs().ShowError(parent, "\"" + shown +
                                        "\" is a flight data file. A picture never replaces it: "
                                        "choose another name.");
        return {};
    }
    if (QFileInfo::exists(fileName) || QFileInfo(fileName).isSymLink()) {
        if (Dialogs().AskYesNo(parent,
                               "\"" + shown + "\" already exists. Do you want to replace it?",
                               false, TAnswer::No) != TAnswer::Yes)
            return {};
    }
    if (!SaveGraph(parent, chart, fileName))
        return {};
    return fileName;
}

bool PrintGraph(QWidget* parent, QPrinter& printer, const TChartSource& chart,
                const QString& header)
{
    if (!Dialogs().SetupPrinter(parent, printer))
        return false;
    auto fail = [parent](const QString& text) {
        Dialogs().ShowError(parent, QString("Error by printing Graph!") + "\n" + text);
        return false;
    };
    if (chart.Size.isEmpty() || !chart.Render)
        return fail("The graph has no area to draw.");
    // Screen resolution keeps fonts and pen widths as on screen; the painter scales to the page.
    printer.setResolution(ScreenDpi());
    QPainter painter;
    if (!painter.begin(&printer))
        return fail("The printer could not be started.");
    const TPrintHeader top(printer, header);
    top.Paint(painter);
    const QRectF page = top.ContentArea();
    const double scale =
        std::min(page.width() / chart.Size.width(), page.height() / chart.Size.height());
    painter.translate(page.left() + (page.width() - chart.Size.width() * scale) / 2.0, page.top());
    painter.scale(scale, scale);
    chart.Render(painter, WholeChart(chart));
    if (!painter.end() || printer.printerState() == QPrinter::Error)
        return fail("The printer reported an error.");
    return true;
}

void PaintPlotScaled(QCustomPlot& plot, QSize size, QPainter& painter, const QRect& target)
{
    const int w = std::max(1, size.width());
    const int h = std::max(1, size.height());
    QPicture picture;
    {
        QCPPainter recorder(&picture);
        plot.toPainter(&recorder, w, h);
    }
    painter.save();
    painter.translate(target.topLeft());
    painter.scale(static_cast<double>(target.width()) / w,
                  static_cast<double>(target.height()) / h);
    painter.drawPicture(0, 0, picture);
    painter.restore();
}

} // namespace zirko
