// zirko-cli info, dump, stats and csv: reading a flight file as the program does.
#include "cli/CliAnalysis.h"

#include "core/analysis/FlightAnalysis.h"
#include "core/analysis/FlightEvents.h"
#include "core/app/NumberFormat.h"
#include "core/app/TextCodec.h"
#include "core/flightdata/FlightText.h"
#include "platform/files/FlightFile.h"

#include <cmath>
#include <fstream>
#include <iostream>
#include <iterator>
#include <optional>
#include <sstream>

namespace zirko::cli {

namespace {

// Reads FILE with --marker-threshold; on failure prints the program's message and returns false.
bool LoadFlight(const TArgParser& p, TDataBlock& flight, int& exitCode)
{
    double threshold = 0;
    if (auto t = p.Option("--marker-threshold")) {
        auto v = ParseStrictNumber(*t);
        if (!v) {
            exitCode = Fail("Marker Threshold must be a number value.");
            return false;
        }
        threshold = *v;
    }
    return ReadFlight(p.Positional().front(), threshold, flight, exitCode);
}

int RunInfo(const TArgParser& args)
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

int RunDump(const TArgParser& args)
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

// One object per file, in the order given; nothing is printed unless every file was read.
int RunStats(const TArgParser& args)
{
    std::ostringstream o;
    o << "[";
    const auto& files = args.Positional();
    for (size_t i = 0; i < files.size(); ++i) {
        TDataBlock f;
        int code = 0;
        if (!ReadFlight(files[i], 0, f, code))
            return code;
        const TFlightStats s = AnalyseFlight(f);
        o << (i ? ",\n" : "\n") << "  {\n";
        o << "    \"file\": " << JsonQuote(DecodeFileText(files[i])) << ",\n";
        o << "    \"samples\": " << s.Samples << ",\n";
        o << "    \"duration\": " << JsonNumber(s.Duration) << ",\n";
        const std::pair<const char*, const std::optional<double>*> fields[] = {
            {"startAltitude", &s.StartAltitude}, {"minAltitude", &s.MinAltitude},
            {"maxAltitude", &s.MaxAltitude},     {"altitudeGain", &s.AltitudeGain},
            {"launchTime", &s.LaunchTime},       {"landingTime", &s.LandingTime},
            {"timeAloft", &s.TimeAloft},         {"maxClimbRate", &s.MaxClimbRate},
            {"maxSinkRate", &s.MaxSinkRate},     {"minVoltage", &s.MinVoltage},
            {"maxVoltage", &s.MaxVoltage},       {"meanVoltage", &s.MeanVoltage},
        };
        for (size_t k = 0; k < std::size(fields); ++k)
            o << "    \"" << fields[k].first << "\": " << JsonNumber(*fields[k].second)
              << (k + 1 < std::size(fields) ? ",\n" : "\n");
        o << "  }";
    }
    o << "\n]\n";
    std::cout << o.str();
    return 0;
}

int RunCsv(const TArgParser& args)
{
    // An export never takes a flight's place.
    if (auto file = args.Option("-o"); file && IsFlightDataFile(*file))
        return Fail("\"" + *file + "\" is a flight data file: an export never replaces it.");
    TDataBlock f;
    int code = 0;
    if (!LoadFlight(args, f, code))
        return code;
    const std::string out = FormatFlightCsv(f);
    if (auto file = args.Option("-o")) {
        if (!WriteFileAtomically(*file, out))
            return Fail("Error in writing file.");
        return 0;
    }
    std::cout << out;
    return 0;
}

} // namespace

bool ReadFlight(const std::string& file, double threshold, TDataBlock& flight, int& exitCode)
{
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

// JSON has no infinity and no NaN: a result that is not a finite number is null.
std::string JsonNumber(const std::optional<double>& value)
{
    return value && std::isfinite(*value) ? FormatShortest(*value) : "null";
}

const TCliArguments kFlightFile{"FILE", "the flight data file (.zdf)", false,
                                "No flight file given."};
const TCliOption kMarkerThreshold{
    "marker-threshold", "T",
    "reads the marker flags with threshold T, as the program's option \"Marker Threshold\" "
    "does (default 0)"};

ZIRKO_CLI_COMMAND("info", "reads a flight data file and prints one JSON object on stdout",
                  kFlightFile, {kMarkerThreshold}, RunInfo,
                  "Fields: samples, date, sampling, channelMask, headerWords, rxOffsetY, "
                  "channels, markers, annotations, notesBytes, flightTime, maxHeight.");
ZIRKO_CLI_COMMAND("dump", "prints the flight's arrays as CSV", kFlightFile, {kMarkerThreshold},
                  RunDump,
                  "A header row names the columns present (time, each channel that is not "
                  "empty, marker when rx is present); numbers use \".\" and the shortest form "
                  "that reads back to the same value.");
ZIRKO_CLI_COMMAND("stats",
                  "analyses flights and prints one JSON array on stdout, one object per FILE",
                  TCliArguments("FILE", "the flight data files (.zdf)", true,
                                "No flight file given."),
                  {}, RunStats,
                  "Fields: file, samples, duration, startAltitude, minAltitude, maxAltitude, "
                  "altitudeGain, launchTime, landingTime, timeAloft, maxClimbRate, "
                  "maxSinkRate, minVoltage, maxVoltage, meanVoltage; null where a value does "
                  "not exist. The climb rate is the least-squares slope of the altitude over "
                  "about one second. A file that cannot be read fails the command before "
                  "anything is printed.");
ZIRKO_CLI_COMMAND("csv", "exports the flight as CSV: a header with units, one row per sample",
                  kFlightFile, {{"o", "OUT.csv", "writes the CSV to OUT.csv instead of stdout"}},
                  RunCsv);

} // namespace zirko::cli
