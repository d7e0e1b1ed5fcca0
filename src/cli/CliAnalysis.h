// What the analysing commands share: reading a flight file as the program does, and the options
// that say how its events are found (rules, thresholds, model profiles).
#pragma once

#include "cli/CliCommand.h"
#include "core/flightdata/DataBlock.h"
#include "core/logbook/ModelProfiles.h"

#include <optional>
#include <string>
#include <vector>

namespace zirko::cli {

// Reads `file`; on failure prints the program's message, sets `exitCode` and returns false.
bool ReadFlight(const std::string& file, double threshold, TDataBlock& flight, int& exitCode);

// A result as JSON: the shortest number, or null when there is none or it is not finite.
std::string JsonNumber(const std::optional<double>& value);

// The event options given on a command line, over the flight model's profile.
struct TCliEventOptions {
    TModelProfile Given;
    std::optional<TModelProfiles> Profiles;
    TEventOptions For(const TDataBlock& flight) const;
};

// --rules, --motor-threshold, --ales-height, --low-voltage and --models, as `events` takes them.
std::vector<TCliOption> EventOptionsHelp();
// Reads them; a bad value is a usage error, an unreadable profiles file a failure (exitCode set,
// false returned).
bool ReadEventOptions(const TArgParser& args, TCliEventOptions& options, int& exitCode);

} // namespace zirko::cli
