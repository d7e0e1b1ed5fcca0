// The commands of zirko-cli register themselves here.
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace zirko::cli {

using TArgs = std::vector<std::string>;

struct TCliCommand {
    const char* Name;
    const char* Usage;
    int (*Run)(const TArgs& args);
};

bool RegisterCommand(const TCliCommand& command);
const std::vector<TCliCommand>& Commands();

// Prints the failure text as the last line on stderr and returns exit code 1.
int Fail(const std::string& message);

// Option parsing over the arguments after the command name.
struct TArgParser {
    explicit TArgParser(const TArgs& args) : Args(args) {}
    // Value of "--name VALUE" (the last one given), if present.
    std::optional<std::string> Option(const std::string& name) const;
    bool Flag(const std::string& name) const;
    // Arguments that are neither options nor their values; `valued` names options with a value.
    std::vector<std::string> Positional(const std::vector<std::string>& valued) const;
    const TArgs& Args;
};

} // namespace zirko::cli

#define ZIRKO_CLI_CONCAT2(a, b) a##b
#define ZIRKO_CLI_CONCAT(a, b) ZIRKO_CLI_CONCAT2(a, b)
#define ZIRKO_CLI_COMMAND(name, usage, fn)                                                         \
    static const bool ZIRKO_CLI_CONCAT(kRegistered_, __LINE__) =                                   \
        ::zirko::cli::RegisterCommand({name, usage, fn})
