// The report commands of the windows: the flight report in a print preview (print, or save as PDF
// through the printer dialog) and the score sheet saved as CSV or PDF or previewed for printing.
#pragma once

#include "core/report/ScoreSheet.h"

#include <QString>
#include <QStringList>

#include <vector>

class QPrinter;
class QWidget;

namespace zirko {

class TFlightReport;
class TOpenFlights;

// The preview's printer: the report's page set-up at the resolution the pages are painted in.
void SetUpReportPrinter(QPrinter& printer, bool landscape = false);

// The print preview of the report's pages; a failure to paint is shown as an error.
void PreviewFlightReport(QWidget* parent, const TFlightReport& report);

// Flight files read and analysed as the open flights would be (their event options and the
// folder's model profiles), a page each. Files that cannot be read are named in one error box and
// left out; the preview opens for the rest.
void ShowFlightReportOfFiles(QWidget* parent, const QStringList& files,
                             const TOpenFlights& flights);

// The open flight of `row`, with the edits held in the windows (its notes), as it is now.
void ShowFlightReportOfOpenFlight(QWidget* parent, TOpenFlights& flights, int row);

// Asks whether to save the sheet (CSV or PDF, by the name's ending) or preview it for printing,
// then does so; failures are shown. `folder` is where the save dialog starts.
void ExecuteScoreSheet(QWidget* parent, const std::vector<TSheetFlight>& flights, char sep,
                       const QString& folder);

inline constexpr const char* kScoreSheetFilter = "CSV (*.csv);;PDF (*.pdf)";

} // namespace zirko
