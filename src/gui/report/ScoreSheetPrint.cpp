#include "gui/report/ScoreSheetPrint.h"

#include "gui/report/FlightReport.h"
#include "gui/report/ReportPage.h"

#include <QPainter>
#include <QPdfWriter>
#include <QSaveFile>

#include <algorithm>

namespace zirko {

namespace {

constexpr double kTitleFont = 18;
constexpr double kBodyFont = 10;
const std::vector<double> kWidths{0.14, 0.15, 0.11, 0.12, 0.09, 0.1, 0.11, 0.08, 0.1};

} // namespace

QString PrintScoreSheet(const TScoreSheet& sheet, QPagedPaintDevice& device)
{
    QPainter painter;
    if (!painter.begin(&device))
        return "The printer could not be started.";
    ScaleToPageUnits(painter, device);
    const QRectF area = PageArea(device);
    painter.setFont(PageFont(kBodyFont));
    const double step = LineHeight(painter);
    const double top = area.top() + kTitleFont * 1.6;
    // Each page holds the header, its rows and, on the last, the totals.
    const size_t perPage =
        std::max<size_t>(1, static_cast<size_t>((area.bottom() - top) / step) - 3);
    const size_t pages = std::max<size_t>(1, (sheet.Rows.size() + perPage - 1) / perPage);
    for (size_t p = 0; p < pages; ++p) {
        if (p > 0 && !device.newPage()) {
            painter.end();
            return "The printer refused a new page.";
        }
        painter.setFont(PageFont(kTitleFont, true));
        DrawLine(painter, kScoreSheetTitle, area.left(), area.top(), area.width() * 0.7);
        painter.setFont(PageFont(kBodyFont));
        DrawLine(painter, QString("%1 of %2").arg(p + 1).arg(pages),
                 area.left() + area.width() * 0.7, area.top(), area.width() * 0.3, Qt::AlignRight);
        const size_t first = p * perPage;
        const size_t last = std::min(sheet.Rows.size(), first + perPage);
        const std::vector<std::vector<std::string>> rows(sheet.Rows.begin() + first,
                                                         sheet.Rows.begin() + last);
        DrawTable(painter, QRectF(area.left(), top, area.width(), area.bottom() - top),
                  sheet.Headers, rows, kWidths, kSheetFirstNumberColumn,
                  p + 1 == pages ? &sheet.Totals : nullptr);
    }
    if (!painter.end())
        return "The print job could not be finished.";
    return {};
}

QString WriteScoreSheetPdf(const TScoreSheet& sheet, const QString& fileName)
{
    QSaveFile file(fileName);
    if (!file.open(QIODevice::WriteOnly))
        return file.errorString();
    QString error;
    {
        QPdfWriter writer(&file);
        writer.setResolution(static_cast<int>(kPageUnitsPerInch));
        writer.setPageLayout(ReportPageLayout(QPageLayout::Landscape));
        writer.setTitle(kScoreSheetTitle);
        writer.setCreator("ZIRKO");
        error = PrintScoreSheet(sheet, writer);
    }
    if (!error.isEmpty()) {
        file.cancelWriting();
        return error;
    }
    if (!file.commit())
        return file.errorString();
    return {};
}

bool IsPdfName(const QString& fileName)
{
    return fileName.endsWith(".pdf", Qt::CaseInsensitive);
}

} // namespace zirko
