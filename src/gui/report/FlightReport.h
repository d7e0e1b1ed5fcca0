// The flight report: one page per flight with its title, its chart, its numbers and events, the
// table of its motor runs and phases, and its notes. The same pages go to the print preview, the
// printer and PDF files.
#pragma once

#include "core/analysis/FlightEvents.h"
#include "core/flightdata/DataBlock.h"

#include <QString>

#include <memory>
#include <vector>

class QPainter;
class QPagedPaintDevice;
class QRectF;

namespace zirko {

class TOffscreenGraph;

class TFlightReport {
public:
    TFlightReport();
    ~TFlightReport();
    TFlightReport(const TFlightReport&) = delete;
    TFlightReport& operator=(const TFlightReport&) = delete;

    // A flight on a page of its own, analysed with `options`; pages follow the order added.
    void AddFlight(std::unique_ptr<TDataBlock> flight, const QString& name,
                   const TEventOptions& options);
    int PageCount() const { return static_cast<int>(Pages.size()); }

    // Paints page `page` into `area`, in page units (see ReportPage.h).
    void PaintPage(QPainter& painter, int page, const QRectF& area) const;
    // Every page on `device`, one after the other. Returns the failure's text, empty on success.
    QString Print(QPagedPaintDevice& device) const;
    // Writes the pages as a PDF file, replacing the file only once it is complete. Returns the
    // failure's text, empty on success.
    QString WritePdf(const QString& fileName) const;

private:
    struct TPage;
    std::vector<std::unique_ptr<TPage>> Pages;
};

// The flight's chart as its page shows it: the Graph page's scene with altitude, servo and
// voltage, the motor runs, the start height and the climb phases, its value axes with a little
// room above and below the curves.
std::unique_ptr<TOffscreenGraph> ReportChart(std::unique_ptr<TDataBlock> flight,
                                             const QString& name, const TEventOptions& options);

// The title of the program's PDF files and print jobs.
inline constexpr const char* kReportTitle = "ZIRKO flight report";

} // namespace zirko
