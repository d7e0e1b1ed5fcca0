// zirko-cli report and sheet: the flight report's pages and the score sheet of flights, written as
// the program prints them.
#include "cli/CliAnalysis.h"

#include "core/analysis/FlightEvents.h"
#include "core/flightdata/FlightText.h"
#include "core/report/ScoreSheet.h"
#include "gui/report/FlightReport.h"
#include "gui/report/ScoreSheetPrint.h"
#include "platform/files/FileStore.h"
#include "platform/files/FlightFile.h"

#include <QFile>
#include <QFileInfo>
#include <QString>

#include <iostream>
#include <memory>

namespace zirko::cli {

namespace {

QString Qs(const std::string& text)
{
    return QString::fromStdString(text);
}

// A report or sheet never takes a flight's place; the name's ending picks the format.
bool CheckOutput(const std::string& out, bool csvAllowed, int& exitCode)
{
    if (IsFlightDataFile(out)) {
        exitCode = Fail("\"" + out + "\" is a flight data file: a report never replaces it.");
        return false;
    }
    if (!IsPdfName(Qs(out)) && !(csvAllowed && Qs(out).endsWith(".csv", Qt::CaseInsensitive))) {
        exitCode = Fail("Unknown format of \"" + out + "\": the name must end with " +
                        (csvAllowed ? ".csv or .pdf." : ".pdf."));
        return false;
    }
    return true;
}

int WriteFailed(const std::string& out, const QString& error)
{
    std::cerr << "Error in writing file \"" << QFileInfo(Qs(out)).absoluteFilePath().toStdString()
              << "\"." << std::endl;
    return Fail(error.toStdString());
}

// Every file is read before anything is written: a flight that cannot be read leaves no file.
int RunReport(const TArgParser& args)
{
    const std::string out = *args.Option("-o");
    int code = 0;
    if (!CheckOutput(out, false, code))
        return code;
    TCliEventOptions options;
    if (!ReadEventOptions(args, options, code))
        return code;
    std::vector<std::unique_ptr<TDataBlock>> flights;
    for (const std::string& file : args.Positional()) {
        flights.push_back(std::make_unique<TDataBlock>());
        if (!ReadFlight(file, 0, *flights.back(), code))
            return code;
    }
    TFlightReport report;
    for (size_t i = 0; i < flights.size(); ++i) {
        const TEventOptions found = options.For(*flights[i]);
        report.AddFlight(std::move(flights[i]), Qs(FlightNameOf(args.Positional()[i])), found);
    }
    if (const QString error = report.WritePdf(Qs(out)); !error.isEmpty())
        return WriteFailed(out, error);
    return 0;
}

int RunSheet(const TArgParser& args)
{
    const std::string out = *args.Option("-o");
    int code = 0;
    if (!CheckOutput(out, true, code))
        return code;
    TCliEventOptions options;
    if (!ReadEventOptions(args, options, code))
        return code;
    std::vector<TSheetFlight> flights;
    for (const std::string& file : args.Positional()) {
        TDataBlock flight;
        if (!ReadFlight(file, 0, flight, code))
            return code;
        flights.push_back(
            SheetFlightOf(FlightNameOf(file), flight, AnalyseEvents(flight, options.For(flight))));
    }
    if (IsPdfName(Qs(out))) {
        if (const QString error = WriteScoreSheetPdf(ScoreSheetTable(flights, '.'), Qs(out));
            !error.isEmpty())
            return WriteFailed(out, error);
        return 0;
    }
    if (!WriteFileAtomically(out, ScoreSheetCsv(flights)))
        return WriteFailed(out, "Error in writing file.");
    return 0;
}

std::vector<TCliOption> WithOutput(const char* valueName, const char* help,
                                   std::vector<TCliOption> options)
{
    options.insert(options.begin(),
                   TCliOption{"o", valueName, help, "No output file given (-o OUT)."});
    return options;
}

} // namespace

ZIRKO_CLI_COMMAND(
    "report", "writes the flight report as PDF, one page per flight",
    TCliArguments("FILE", "the flight data files (.zdf), a page each in the order given", true,
                  "No flight file given."),
    WithOutput("OUT.pdf", "the PDF file to write", EventOptionsHelp()), RunReport,
    "Each page holds the flight's name, date, model, site and pilot, its chart (altitude, servo, "
    "voltage, motor runs, start height and climb phases), its events (start height, rules and "
    "penalty, motor time, flight time, climbs, glide sink rate, warnings), its statistics, the "
    "table of its motor runs and phases, and its notes. Events are found as the events command "
    "finds them. A file that cannot be read fails the command before anything is written.");
ZIRKO_CLI_COMMAND(
    "sheet",
    "writes the score sheet of the flights, one line per flight with totals, as CSV or PDF",
    TCliArguments("FILE", "the flight data files (.zdf), a line each in the order given", true,
                  "No flight file given."),
    WithOutput("OUT.csv|OUT.pdf", "the file to write; its ending picks CSV or PDF",
               EventOptionsHelp()),
    RunSheet,
    "Columns: flight, date, pilot, model, flight time, motor time, start height, penalty and the "
    "number of warnings; the totals line counts the flights and sums flight time, motor time, "
    "penalty and warnings. CSV has numbers with \".\" and one decimal, an empty field where a "
    "value does not exist, and lines ending in CR LF. Events are found as the events command "
    "finds them. A file that cannot be read fails the command before anything is written.");

} // namespace zirko::cli
