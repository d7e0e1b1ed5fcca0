// zirko-cli events: a flight's motor runs, start height, warnings and phases, found with the
// options and model profiles given.
#include "cli/CliAnalysis.h"

#include "core/analysis/FlightEvents.h"
#include "core/app/NumberFormat.h"
#include "core/app/TextCodec.h"
#include "core/logbook/FlightDetails.h"
#include "core/logbook/ModelProfiles.h"
#include "platform/files/LogbookFiles.h"

#include <iostream>
#include <sstream>

namespace zirko::cli {

namespace {

// `[` then one line per item and `]`, or `[]`.
template <class TItem, class TFormat>
void JsonList(std::ostream& o, const std::vector<TItem>& items, TFormat format)
{
    if (items.empty()) {
        o << "[]";
        return;
    }
    o << "[\n";
    for (size_t i = 0; i < items.size(); ++i)
        o << "      " << format(items[i]) << (i + 1 < items.size() ? ",\n" : "\n");
    o << "    ]";
}

void EventsObject(std::ostream& o, const std::string& file, const TFlightEvents& e)
{
    o << "  {\n";
    o << "    \"file\": " << JsonQuote(DecodeFileText(file)) << ",\n";
    o << "    \"rules\": \"" << RulesName(e.Rules) << "\",\n";
    o << "    \"motorRuns\": ";
    if (e.HasServo)
        JsonList(o, e.MotorRuns, [](const TSampleRun& r) {
            return "{\"start\": " + FormatShortest(r.Start) +
                   ", \"stop\": " + FormatShortest(r.Stop) +
                   ", \"duration\": " + FormatShortest(r.Duration()) + "}";
        });
    else
        o << "null";
    o << ",\n";
    const std::pair<const char*, const std::optional<double>*> times[] = {
        {"motorTime", &e.MotorTime},     {"launch", &e.Launch},
        {"startHeight", &e.StartHeight}, {"startHeightTime", &e.StartHeightTime},
        {"landing", &e.Landing},         {"flightTime", &e.FlightTime},
        {"penalty", &e.Penalty},
    };
    for (const auto& [name, value] : times)
        o << "    \"" << name << "\": " << JsonNumber(*value) << ",\n";
    o << "    \"warnings\": ";
    JsonList(o, e.Warnings, [](const TFlightWarning& w) {
        return std::string("{\"code\": \"") + WarningCodeName(w.Code) +
               "\", \"time\": " + FormatShortest(w.Time) + ", \"text\": " + JsonQuote(w.Text) + "}";
    });
    o << ",\n    \"phases\": ";
    if (e.HasPhases)
        JsonList(o, e.Phases, [](const TFlightPhase& p) {
            return std::string("{\"kind\": \"") + PhaseKindName(p.Kind) +
                   "\", \"start\": " + FormatShortest(p.Start) +
                   ", \"stop\": " + FormatShortest(p.Stop) +
                   ", \"gain\": " + FormatShortest(p.Gain) +
                   ", \"rate\": " + FormatShortest(p.Rate) + "}";
        });
    else
        o << "null";
    o << ",\n";
    o << "    \"climbCount\": " << e.ClimbCount << ",\n";
    o << "    \"climbTime\": " << FormatShortest(e.ClimbTime) << ",\n";
    o << "    \"bestClimbRate\": " << JsonNumber(e.BestClimbRate) << ",\n";
    o << "    \"glideSinkRate\": " << JsonNumber(e.GlideSinkRate) << "\n";
    o << "  }";
}

// As `stats`: one object per file in the order given, nothing printed unless every file was read.
// The options given override the flight's model profile, which overrides the defaults.
int RunEvents(const TArgParser& args)
{
    TCliEventOptions options;
    int code = 0;
    if (!ReadEventOptions(args, options, code))
        return code;
    std::ostringstream o;
    o << "[";
    const auto& files = args.Positional();
    for (size_t i = 0; i < files.size(); ++i) {
        TDataBlock f;
        if (!ReadFlight(files[i], 0, f, code))
            return code;
        o << (i ? ",\n" : "\n");
        EventsObject(o, files[i], AnalyseEvents(f, options.For(f)));
    }
    o << "\n]\n";
    std::cout << o.str();
    return 0;
}

} // namespace

TEventOptions TCliEventOptions::For(const TDataBlock& flight) const
{
    return EventOptionsFor({}, Profiles ? &*Profiles : nullptr, FlightDetailsOf(flight).Model,
                           &Given);
}

std::vector<TCliOption> EventOptionsHelp()
{
    return {
        {"rules", "none|f5j|ales",
         "the contest rules: f5j costs points for the start height, f5j and ales warn of a "
         "motor restart and a run over 30 s, ales of the altitude over the cut height "
         "(default none)"},
        {"motor-threshold", "P",
         "the motor runs while the servo channel is above P percent (default 0)"},
        {"ales-height", "M", "the ales cut height in metres over the start (default 200)"},
        {"low-voltage", "V", "warns of the voltage below V volts; 0 checks nothing (default 0)"},
        {"models", "FILE",
         "model profiles (models.ini): a flight whose Model names a section is analysed with "
         "that section's Rules, MotorThreshold, AlesHeight and LowVoltage; the options given "
         "on the command line still win"}};
}

bool ReadEventOptions(const TArgParser& args, TCliEventOptions& options, int& exitCode)
{
    if (const auto rules = args.Option("--rules")) {
        const auto parsed = ParseRules(*rules);
        if (!parsed) {
            exitCode = UsageFail(args, "Unknown rule set '" + *rules + "' (none, f5j or ales).");
            return false;
        }
        options.Given.Rules = RulesName(*parsed);
    }
    const auto number = [&](const char* name, std::optional<double>& value) {
        const auto text = args.Option(name);
        if (!text)
            return true;
        const auto parsed = ParseStrictNumber(*text);
        if (!parsed) {
            exitCode = UsageFail(args, std::string(name) + " takes a number, not '" + *text + "'.");
            return false;
        }
        value = *parsed;
        return true;
    };
    if (!number("--motor-threshold", options.Given.MotorThreshold) ||
        !number("--ales-height", options.Given.AlesHeight) ||
        !number("--low-voltage", options.Given.LowVoltage))
        return false;
    if (const auto file = args.Option("--models")) {
        TProfilesRead read = ReadModelProfiles(*file);
        if (!read.Ok) {
            exitCode = Fail(read.Message);
            return false;
        }
        options.Profiles = std::move(read.Profiles);
    }
    return true;
}

ZIRKO_CLI_COMMAND(
    "events",
    "finds each flight's motor runs, start height, warnings and phases and prints one JSON array "
    "on stdout, one object per FILE",
    TCliArguments("FILE", "the flight data files (.zdf)", true, "No flight file given."),
    EventOptionsHelp(), RunEvents,
    "Fields: file, rules, motorRuns (start, stop, duration), motorTime, launch, startHeight, "
    "startHeightTime, landing, flightTime, penalty, warnings (code, time, text), phases (kind "
    "motor, climb or glide, start, stop, gain, rate), climbCount, climbTime, bestClimbRate, "
    "glideSinkRate; null where a value does not exist. The start height is the highest altitude "
    "over the start from the motor's start until 10 s after it stops. Phases are told apart by "
    "the altitude's slope over about 20 s; a climb of less than 20 s or 5 m counts as glide. A "
    "file that cannot be read fails the command before anything is printed.");

} // namespace zirko::cli
