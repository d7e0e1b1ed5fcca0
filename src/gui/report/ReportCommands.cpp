#include "gui/report/ReportCommands.h"

#include "core/logbook/FlightDetails.h"
#include "gui/graph/GraphExport.h"
#include "gui/graph/OffscreenGraph.h"
#include "gui/report/FlightReport.h"
#include "gui/report/ReportPage.h"
#include "gui/report/ScoreSheetPrint.h"
#include "gui/services/UserDialogs.h"
#include "model/flightdata/OpenFlights.h"
#include "platform/files/FileStore.h"
#include "platform/files/FlightFile.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QPrintPreviewDialog>
#include <QPrinter>

namespace zirko {

namespace {

const char* const kReportFailed = "Error by printing the report!";
const char* const kSheetFailed = "Error by saving the score sheet";

void PreviewPages(QWidget* parent, const QString& title, bool landscape,
                  const std::function<QString(QPrinter&)>& paint, const char* failure)
{
    QPrinter printer(QPrinter::HighResolution);
    SetUpReportPrinter(printer, landscape);
    printer.setDocName(title);
    QPrintPreviewDialog dialog(&printer, parent);
    dialog.setObjectName("ReportPreview");
    dialog.setWindowTitle(title);
    QString error;
    QObject::connect(&dialog, &QPrintPreviewDialog::paintRequested, &dialog, [&](QPrinter* target) {
        // Pages are painted at the resolution their charts were recorded in.
        target->setResolution(static_cast<int>(kPageUnitsPerInch));
        const QString failed = paint(*target);
        if (!failed.isEmpty() && error.isEmpty())
            error = failed;
    });
    Dialogs().Exec(dialog);
    if (!error.isEmpty())
        Dialogs().ShowError(parent, QString(failure) + "\n" + error);
}

} // namespace

void SetUpReportPrinter(QPrinter& printer, bool landscape)
{
    printer.setPageLayout(
        ReportPageLayout(landscape ? QPageLayout::Landscape : QPageLayout::Portrait));
    printer.setResolution(static_cast<int>(kPageUnitsPerInch));
}

void PreviewFlightReport(QWidget* parent, const TFlightReport& report)
{
    PreviewPages(
        parent, kReportTitle, false, [&report](QPrinter& p) { return report.Print(p); },
        kReportFailed);
}

void ShowFlightReportOfFiles(QWidget* parent, const QStringList& files, const TOpenFlights& flights)
{
    if (files.isEmpty())
        return;
    QApplication::setOverrideCursor(Qt::WaitCursor);
    TFlightReport report;
    QStringList failures;
    for (const QString& file : files) {
        TOffscreenGraph::TFileRead read = TOffscreenGraph::ReadFile(file, 0);
        if (!read.Flight) {
            failures << read.Failure.join(' ').trimmed();
            continue;
        }
        const TEventOptions options = EventOptionsFor(
            flights.EventOptions(), &flights.ModelProfiles(), FlightDetailsOf(*read.Flight).Model);
        report.AddFlight(std::move(read.Flight), read.Name, options);
    }
    QApplication::restoreOverrideCursor();
    if (!failures.isEmpty())
        Dialogs().ShowError(parent, failures.join('\n'));
    if (report.PageCount() > 0)
        PreviewFlightReport(parent, report);
}

void ShowFlightReportOfOpenFlight(QWidget* parent, TOpenFlights& flights, int row)
{
    if (!flights.Flight(row)) {
        Dialogs().ShowMessage(parent, "No flight is open.");
        return;
    }
    // The notes being edited belong to the flight as it is now.
    flights.StoreEditedNotes(row);
    QApplication::setOverrideCursor(Qt::WaitCursor);
    TFlightReport report;
    report.AddFlight(std::make_unique<TDataBlock>(*flights.Flight(row)), flights.Name(row),
                     flights.EventOptionsOf(row));
    QApplication::restoreOverrideCursor();
    PreviewFlightReport(parent, report);
}

void ExecuteScoreSheet(QWidget* parent, const std::vector<TSheetFlight>& flights, char sep,
                       const QString& folder)
{
    if (flights.empty())
        return;
    const int choice =
        Dialogs().AskChoice(parent,
                            QString("Score sheet of %1 flight%2")
                                .arg(flights.size())
                                .arg(flights.size() == 1 ? "" : "s"),
                            {"Save as CSV or PDF...", "Print preview...", "Cancel"}, 0, 2);
    if (choice == 1) {
        const TScoreSheet sheet = ScoreSheetTable(flights, sep);
        PreviewPages(
            parent, kScoreSheetTitle, true,
            [&sheet](QPrinter& p) { return PrintScoreSheet(sheet, p); }, kReportFailed);
        return;
    }
    if (choice != 0)
        return;
    const TSaveChoice chosen =
        Dialogs().GetSaveFileNameOfType(parent, "Save score sheet", folder, kScoreSheetFilter);
    if (chosen.FileName.isEmpty())
        return;
    const QString fileName = PictureFileName(chosen.FileName, chosen.Filter);
    const QString shown = QDir::toNativeSeparators(QFileInfo(fileName).absoluteFilePath());
    if (IsFlightDataFile(QFile::encodeName(fileName).toStdString())) {
        Dialogs().ShowError(parent, "\"" + shown +
                                        "\" is a flight data file. A score sheet never replaces "
                                        "it: choose another name.");
        return;
    }
    if ((QFileInfo::exists(fileName) || QFileInfo(fileName).isSymLink()) &&
        Dialogs().AskYesNo(parent, "\"" + shown + "\" already exists. Do you want to replace it?",
                           false, TAnswer::No) != TAnswer::Yes)
        return;
    QString error;
    if (IsPdfName(fileName))
        error = WriteScoreSheetPdf(ScoreSheetTable(flights, sep), fileName);
    else if (!WriteFileAtomically(QFile::encodeName(fileName).toStdString(),
                                  ScoreSheetCsv(flights)))
        error = "Error in writing file.";
    if (!error.isEmpty())
        Dialogs().ShowError(parent, QString(kSheetFailed) + " \"" + shown + "\"!\n" + error);
}

} // namespace zirko
