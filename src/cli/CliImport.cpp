// zirko-cli import: other loggers' telemetry CSV logs and IGC files into flight data files.
#include "cli/CliCommand.h"

#include "platform/files/FlightImporter.h"

#include <iostream>

namespace zirko::cli {

namespace {

int RunImport(const TArgParser& p)
{
    const std::string formatWord = p.Option("--format").value_or("auto");
    const std::optional<TImportFormat> format = ParseImportFormat(formatWord);
    if (!format)
        return Fail("Unknown import format: " + formatWord + " (auto, csv or igc)");
    TColumnChoice choice;
    if (const auto map = p.Option("--map")) {
        const TColumnChoiceParse parse = ParseColumnChoice(*map);
        if (!parse.Error.empty())
            return Fail(parse.Error);
        choice = parse.Choice;
    }
    const auto name = p.Option("--name");
    if (name)
        if (const std::string bad = CheckImportName(*name); !bad.empty())
            return Fail(bad);
    const std::filesystem::path folder = *p.Option("--out");

    // Every source is read before anything is written: a refused file leaves the folder as it
    // was.
    std::vector<TImportResult> sources;
    for (const std::string& file : p.Positional()) {
        sources.push_back(ReadImportSource(file, *format, choice));
        if (!sources.back().Ok())
            return Fail(sources.back().Error);
    }
    for (size_t i = 0; i < sources.size(); ++i) {
        const std::string& file = p.Positional()[i];
        const TImportWrite write =
            WriteImportedFlights(sources[i], file, folder, name ? *name : ImportBaseName(file));
        for (const auto& written : write.Written)
            std::cout << written.string() << "\n";
        std::cout.flush();
        if (!write.Ok())
            return Fail(write.Error);
        std::cerr << ImportSummaryText(file, sources[i].Flights.size(), sources[i].SkippedRows)
                  << std::endl;
        sources[i] = {};
    }
    if (!std::cout)
        return Fail("Error in writing to standard output.");
    return 0;
}

} // namespace

ZIRKO_CLI_COMMAND("import",
                  "reads telemetry CSV logs and IGC files and writes their flights as flight "
                  "data files",
                  {"FILE", "a telemetry CSV log of a radio transmitter or an IGC file", true,
                   "No file to import given."},
                  {{"out", "DIR", "the folder the flights are written to (made when missing)",
                    "No output folder given (--out DIR)."},
                   {"format", "auto|csv|igc",
                    "the files' format; auto (the default) goes by the ending, then the content"},
                   {"map", "altitude=COL,servo=COL,voltage=COL",
                    "the columns that feed the channels instead of those chosen by their names; "
                    "an empty COL leaves the channel out"},
                   {"name", "NAME",
                    "the start of the written files' names (default: the source's name)"}},
                  RunImport,
                  "Each written file's path is one line on stdout, in the order of the flights; "
                  "for each FILE a line on stderr tells how many flights it gave and how many "
                  "rows could not be read. A telemetry log holds a flight per session: rows more "
                  "than 60 s apart start a new one. Files are numbered on from the next free "
                  "number and never written over. Every FILE is read before anything is "
                  "written: a FILE that is refused (no Date and Time, no such column, numbers "
                  "with a decimal comma, ...) fails the command with its reason and writes "
                  "nothing.");

} // namespace zirko::cli
