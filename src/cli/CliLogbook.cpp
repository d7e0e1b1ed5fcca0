// zirko-cli logbook and tag: every flight under a folder as a table, and the details of flights.
#include "cli/CliCommand.h"

#include "core/flightdata/ZdfFile.h"
#include "core/logbook/FlightDetails.h"
#include "core/logbook/LogbookFilter.h"
#include "platform/files/FileStore.h"
#include "platform/files/FlightFile.h"
#include "platform/files/LogbookFiles.h"
#include "platform/files/LogbookIndex.h"

#include <filesystem>
#include <iostream>
#include <memory>
#include <optional>

namespace zirko::cli {

namespace {

// The file's bytes when it is a flight file the program opens; otherwise its message is printed.
bool ReadFlightBytes(const std::string& file, std::string& content, int& exitCode)
{
    TDataBlock flight;
    const TReadResult read = ReadDataFile(file, flight, 0);
    if (read.Status == TReadStatus::Failed) {
        std::cerr << "Error by opening datafile \"" << file << "\"! " << std::endl;
        exitCode = Fail(read.Message);
        return false;
    }
    if (read.Status == TReadStatus::IoError) {
        exitCode = Fail(read.Message);
        return false;
    }
    if (read.Count < 1) {
        exitCode = Fail("Chyba při otevírání souboru!");
        return false;
    }
    if (!ReadWholeFile(file, content)) {
        exitCode = Fail(kMsgReadIo);
        return false;
    }
    return true;
}

// Every file is read and checked before the first is written, so a refused one changes nothing.
int RunTag(const TArgParser& args)
{
    TDetailsEdit edit;
    edit.Model = args.Option("--model");
    edit.Site = args.Option("--site");
    edit.Pilot = args.Option("--pilot");
    edit.Tags = args.Option("--tags");
    if (auto it = args.Values.find("add-tag"); it != args.Values.end())
        edit.AddTags = it->second;
    if (auto it = args.Values.find("remove-tag"); it != args.Values.end())
        edit.RemoveTags = it->second;
    if (edit.Empty())
        return UsageFail(args, "No detail to set given (--model, --site, --pilot, --tags, "
                               "--add-tag, --remove-tag).");
    if (auto refused = CheckDetailsEdit(edit))
        return Fail(*refused);
    std::vector<std::string> contents;
    for (const auto& file : args.Positional()) {
        std::string content;
        int code = 0;
        if (!ReadFlightBytes(file, content, code))
            return code;
        TRewriteResult rewritten = RewriteDetails(content, edit);
        if (!rewritten.Ok)
            return Fail(file + ": " + rewritten.Message);
        contents.push_back(rewritten.Changed ? std::move(rewritten.Content) : std::string());
    }
    int code = 0;
    for (size_t i = 0; i < contents.size(); ++i) {
        if (contents[i].empty())
            continue;
        const std::string& file = args.Positional()[i];
        if (SaveFileAtomically(file, contents[i], TSaveMode::Replace) != TFileSave::Written) {
            std::cerr << file << ": ";
            code = Fail(kMsgWriteIo);
        }
    }
    return code;
}

int RunLogbook(const TArgParser& args)
{
    const std::string& dir = args.Positional().front();
    const std::string format = args.Option("--format").value_or("json");
    if (format != "json" && format != "csv")
        return UsageFail(args, "Unknown format '" + format + "' (json or csv).");
    TLogbookFilter filter;
    if (auto text = args.Option("--filter"); text && !filter.Parse(*text))
        return UsageFail(args, filter.Error);
    std::vector<TSortKey> keys;
    if (auto text = args.Option("--sort")) {
        TSortParse sort = ParseSortKeys(*text);
        if (!sort.Error.empty())
            return UsageFail(args, sort.Error);
        keys = std::move(sort.Keys);
    }
    std::error_code ec;
    if (!std::filesystem::is_directory(dir, ec))
        return Fail("Folder not found: " + dir);
    // The index only saves reading: without it (or when it cannot be had) every file is read.
    std::unique_ptr<TLogbookIndex> index;
    if (!args.Flag("--no-cache"))
        index = std::make_unique<TLogbookIndex>(TLogbookIndex::DefaultPath());
    // The folder's own profiles travel with its flights; a file named on the command line must
    // be there.
    std::optional<TModelProfiles> profiles;
    const auto modelsFile = args.Option("--models");
    const std::filesystem::path models =
        modelsFile ? std::filesystem::path(*modelsFile)
                   : std::filesystem::path(dir) / std::string(kModelProfilesFile);
    if (modelsFile || std::filesystem::exists(std::filesystem::symlink_status(models, ec))) {
        TProfilesRead read = ReadModelProfiles(models);
        if (!read.Ok)
            return Fail(read.Message);
        profiles = std::move(read.Profiles);
    }
    bool complete = true;
    const std::vector<TFlightFileEntry> files = FindFlightFiles(dir, &complete);
    // The rows of the folders walked are still the answer; the note tells that some are missing.
    if (!complete)
        std::cerr << FolderLimitNote(dir) << std::endl;
    std::vector<TLogbookRow> rows = IndexedLogbookRows(
        dir, files, FlightDateFormats(), profiles ? &*profiles : nullptr, index.get());
    std::vector<TLogbookRow> shown;
    for (auto& row : rows)
        if (filter.Matches(row))
            shown.push_back(std::move(row));
    SortRows(shown, keys);
    std::cout << (format == "csv" ? LogbookCsv(shown) : LogbookJson(shown));
    return 0;
}

} // namespace

ZIRKO_CLI_COMMAND(
    "logbook", "prints every flight file under DIR as one row of a table (JSON or CSV)",
    TCliArguments("DIR", "the data folder, walked recursively as the program's tree walks it",
                  false, "No folder given."),
    {{"filter", "EXPR",
      "only the rows the filter text lets through: words (in name, folder, model, site, pilot, "
      "tags or notes), model:, site:, pilot:, tag:, folder:, name: words, FIELD>N, >=, <, <=, "
      "= comparisons, date>=YYYY-MM-DD, and -TERM to exclude"},
     {"sort", "FIELD[,FIELD...]",
      "orders the rows by these fields, \"-\" before one for descending; null sorts last "
      "(default: path)"},
     {"format", "json|csv", "one JSON array (the default), or CSV with a header row"},
     {"no-cache", "",
      "reads every file instead of taking those unchanged since the last run from the index in "
      "the user's cache folder"},
     {"models", "FILE",
      "model profiles to analyse the flights with, as events --models (default: DIR/models.ini "
      "when it is there)"}},
    RunLogbook,
    "Fields: path (relative to DIR, \"/\" separated), name, folder, date (the header text), "
    "model, site, pilot, tags (an array), the fields of stats and of events except file, and "
    "error (the reader's message for a file that cannot be read; its other fields are null "
    "then). In CSV the tags are one cell and motorRuns, warnings and phases their counts. Events "
    "are found with the events command's defaults and the profile of the flight's model. The "
    "index (an SQLite database in the user's cache folder) keeps each "
    "file's "
    "row with its size and modification time; a missing or damaged index is made again, and one "
    "that cannot be written only costs time.");
ZIRKO_CLI_COMMAND(
    "tag", "sets the details (model, site, pilot, tags) in each flight file's extra section",
    TCliArguments("FILE", "the flight data files (.zdf)", true, "No flight file given."),
    {{"model", "M", "the model flown"},
     {"site", "S", "the flying site"},
     {"pilot", "P", "the pilot"},
     {"tags", "T", "the tags, comma-separated, in place of the file's"},
     {"add-tag", "T", "adds tags (comma-separated) the file does not have yet; may be repeated"},
     {"remove-tag", "T", "removes tags, without regard to case; may be repeated"}},
    RunTag,
    "Every other byte of each file stays as it was; the file is replaced atomically. An empty "
    "value removes its line. Values are one line (line breaks become blanks); a value holding "
    "\"RxOffsetY\" is refused. Every file is read and checked before the first is written.");

} // namespace zirko::cli
