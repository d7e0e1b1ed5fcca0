// zirko-cli notes: a flight's notes as plain text, as HTML, or as the stored rich text.
#include "cli/CliCommand.h"

#include "platform/files/FlightFile.h"
#include "platform/richtext/RtfReader.h"

#include <QString>
#include <QTextDocument>

#include <iostream>

namespace zirko::cli {

namespace {

int RunNotes(const TArgParser& p)
{
    const auto& files = p.Positional();
    const std::string format = p.Option("--format").value_or("text");
    if (format != "text" && format != "html" && format != "rtf")
        return Fail("Unknown notes format: " + format + " (text, html or rtf)");

    const std::string& file = files.front();
    TDataBlock flight;
    const TReadResult result = ReadDataFile(file, flight, 0.0);
    if (result.Status == TReadStatus::Failed) {
        std::cerr << "Error by opening datafile \"" << file << "\"! " << std::endl;
        return Fail(result.Message);
    }
    if (result.Status == TReadStatus::IoError)
        return Fail(result.Message);
    if (result.Count < 1)
        return Fail("Chyba při otevírání souboru!");

    if (format == "rtf") {
        std::cout.write(flight.Notes.data(), static_cast<std::streamsize>(flight.Notes.size()));
        std::cout.flush();
        return 0;
    }
    QTextDocument document;
    LoadNotesDocument(flight.Notes, document);
    std::string out = (format == "html" ? document.toHtml() : document.toPlainText()).toStdString();
    if (!out.empty() && out.back() != '\n')
        out += '\n';
    std::cout << out;
    std::cout.flush();
    return 0;
}

} // namespace

ZIRKO_CLI_COMMAND("notes", "prints the flight's notes",
                  {"FILE", "the flight data file (.zdf)", false, "No flight file given."},
                  {{"format", "text|html|rtf",
                    "plain text (the default), HTML, or the stored rich text as it is"}},
                  RunNotes);

} // namespace zirko::cli
