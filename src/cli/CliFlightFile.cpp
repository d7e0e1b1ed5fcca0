// zirko-cli info, dump and csv: reading a flight file as the program does.
#include "cli/CliCommand.h"

#include "core/app/NumberFormat.h"
#include "core/app/TextCodec.h"
#include "core/flightdata/FlightText.h"
#include "core/flightdata/ZdfFile.h"

#include <fstream>
#include <iostream>
#include <sstream>

namespace zirko::cli {

namespace {

// Reads FILE with --marker-threshold; on failure prints the program's message and returns false.
bool LoadFlight(const TArgs& args, TDataBlock& flight, int& exitCode)
{
    TArgParser p(args);
    auto files = p.Positional({"--marker-threshold", "-o"});
    if (files.empty()) {
        exitCode = Fail("No flight file given.");
        return false;
    }
    double threshold = 0;
    if (auto t = p.Option("--marker-threshold")) {
        auto v = ParseStrictNumber(*t);
        if (!v) {
            exitCode = Fail("Marker Threshold must be a number value.");
            return false;
        }
        threshold = *v;
    }
    const std::string& file = files.front();
    auto result = ReadDataFile(file, flight, threshold);
    switch (result.Status) {
    case TReadStatus::Ok:
        if (result.Count < 1) {
            exitCode = Fail("Chyba při otevírání souboru!");
            return false;
        }
        return true;
    case TReadStatus::Failed:
        std::cerr << "Error by opening datafile \"" << file << "\"! " << std::endl;
        exitCode = Fail(result.Message);
        return false;
    case TReadStatus::IoError:
        exitCode = Fail(result.Message);
        return false;
    }
    return false;
}

int RunInfo(const TArgs& args)
{
    TDataBlock f;
    int code = 0;
    if (!LoadFlight(args, f, code))
        return code;
    std::ostringstream o;
    o << "{\n";
    o << "  \"samples\": " << f.Time.size() << ",\n";
    o << "  \"date\": " << JsonQuote(DecodeFileText(f.DateText)) << ",\n";
    o << "  \"sampling\": " << f.Sampling << ",\n";
    o << "  \"channelMask\": " << f.ChannelMask << ",\n";
    o << "  \"headerWords\": [" << f.HeaderWord3 << ", " << f.HeaderWord4 << ", " << f.HeaderWord5
      << ", " << f.HeaderWord6 << ", " << f.HeaderWord7 << "],\n";
    o << "  \"rxOffsetY\": " << FormatShortest(f.RxOffsetY) << ",\n";
    o << "  \"channels\": [\"time\"";
    for (const auto& ch : kChannels)
        if (!(f.*ch.Array).empty())
            o << ", \"" << ch.Name << "\"";
    o << "],\n";
    long markers = 0;
    for (int m : f.MarkerFlags)
        markers += m == 1;
    o << "  \"markers\": " << markers << ",\n";
    o << "  \"annotations\": [";
    for (size_t i = 0; i < f.Annotations.size(); ++i) {
        const auto& a = f.Annotations[i];
        o << (i ? ", " : "") << "{\"time\": " << FormatShortest(a.Time)
          << ", \"value\": " << FormatShortest(a.Value)
          << ", \"text\": " << JsonQuote(DecodeFileText(a.Text)) << "}";
    }
    o << "],\n";
    o << "  \"notesBytes\": " << f.Notes.size() << ",\n";
    o << "  \"flightTime\": " << JsonQuote(FlightTimeText(f, '.')) << ",\n";
    o << "  \"maxHeight\": " << JsonQuote(MaxHeightText(f, '.')) << "\n";
    o << "}\n";
    std::cout << o.str();
    return 0;
}

int RunDump(const TArgs& args)
{
    TDataBlock f;
    int code = 0;
    if (!LoadFlight(args, f, code))
        return code;
    std::vector<const std::vector<double>*> cols;
    std::string out = "time";
    for (const auto& ch : kChannels) {
        if (!(f.*ch.Array).empty()) {
            cols.push_back(&(f.*ch.Array));
            out += ",";
            out += ch.Name;
        }
    }
    const bool markers = !f.Rx.empty();
    if (markers)
        out += ",marker";
    out += "\n";
    for (size_t i = 0; i < f.Time.size(); ++i) {
        out += FormatShortest(f.Time[i]);
        for (const auto* c : cols) {
            out += ',';
            out += FormatShortest((*c)[i]);
        }
        if (markers) {
            out += ',';
            out += std::to_string(i < f.MarkerFlags.size() ? f.MarkerFlags[i] : 0);
        }
        out += '\n';
    }
    std::cout << out;
    return 0;
}

int RunCsv(const TArgs& args)
{
    TDataBlock f;
    int code = 0;
    if (!LoadFlight(args, f, code))
        return code;
    const std::string out = FormatFlightCsv(f);
    TArgParser p(args);
    if (auto file = p.Option("-o")) {
        if (!WriteFileAtomically(*file, out))
            return Fail("Error in writing file.");
        return 0;
    }
    std::cout << out;
    return 0;
}

} // namespace

ZIRKO_CLI_COMMAND("info", "info FILE [--marker-threshold T]", RunInfo);
ZIRKO_CLI_COMMAND("dump", "dump FILE [--marker-threshold T]", RunDump);
ZIRKO_CLI_COMMAND("csv", "csv FILE [-o OUT.csv]", RunCsv);

} // namespace zirko::cli
