// The commands of zirko-cli: each registers its arguments and options, from which the parser,
// the help texts and the manual page are made.
#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace zirko::cli {

// One option of a command: "-o" or "--name", with a value when ValueName is set.
struct TCliOption {
    TCliOption(std::string name, std::string valueName, std::string help,
               std::string missingText = {})
        : Name(std::move(name)), ValueName(std::move(valueName)), Help(std::move(help)),
          MissingText(std::move(missingText))
    {
    }
    std::string Name;      // "o" or "marker-threshold", without dashes
    std::string ValueName; // "OUT", "yes|no"; empty for a flag
    std::string Help;
    // A required option missing from the command line is a usage error with this text.
    std::string MissingText;
};

// The positional arguments of a command: one name, maybe repeated, maybe optional.
struct TCliArguments {
    TCliArguments() = default;
    TCliArguments(std::string name, std::string help, bool many, std::string missingText)
        : Name(std::move(name)), Help(std::move(help)), Many(many),
          MissingText(std::move(missingText))
    {
    }
    std::string Name; // "FILE"; empty when the command takes none
    std::string Help;
    bool Many = false;       // FILE...
    std::string MissingText; // usage error when none is given
};

// The command line of one command after parsing.
class TArgParser {
public:
    // Value of "--name VALUE" or "-o VALUE" (the last one given), if present.
    std::optional<std::string> Option(const std::string& name) const;
    bool Flag(const std::string& name) const;
    const std::vector<std::string>& Positional() const { return Arguments; }

    std::map<std::string, std::vector<std::string>> Values; // by option name without dashes
    std::vector<std::string> Arguments;
    const struct TCliCommand* Command = nullptr; // the command these were given to
};

struct TCliCommand {
    TCliCommand(const char* name, std::string summary, TCliArguments arguments,
                std::vector<TCliOption> options, int (*run)(const TArgParser&),
                std::string details = {})
        : Name(name), Summary(std::move(summary)), Arguments(std::move(arguments)),
          Options(std::move(options)), Run(run), Details(std::move(details))
    {
    }
    const char* Name;
    std::string Summary; // one sentence: what the command does
    TCliArguments Arguments;
    std::vector<TCliOption> Options;
    int (*Run)(const TArgParser& args);
    std::string Details; // further paragraphs of the help and the manual page
};

bool RegisterCommand(const TCliCommand& command);
const std::vector<TCliCommand>& Commands();

// The registered command of that name, or null.
const TCliCommand* FindCommand(const std::string& name);

// "info FILE [--marker-threshold T]": the command's line in the usage texts.
std::string Synopsis(const TCliCommand& command);
// "usage: zirko-cli SYNOPSIS", broken into lines where it would pass the width.
std::string UsageLines(const TCliCommand& command);
// The usage lines of the program, and of a command with the hint to its help.
std::string ProgramUsage();
std::string CommandUsage(const TCliCommand& command);
std::string CommandHelp(const TCliCommand& command);
std::string ProgramHelp();
// The manual page zirko-cli(1) in roff, made from the same tables as the help.
std::string ManualPage(const std::string& version);

// Prints the failure text as the last line on stderr and returns exit code 1.
int Fail(const std::string& message);
// Flushes standard output; when some of it could not be written (a full disk, a closed pipe)
// and `code` is 0, says so on stderr and returns 1, else returns `code`.
int CheckStandardOutput(int code);
// A command line that cannot be run as given: the message and the command's usage on stderr,
// exit code 2.
int UsageFail(const TArgParser& args, const std::string& message);
// Reads option `name` ("--wait") as a whole number from `least` to `most` into `value`, which
// stays as it is when the option is absent. Returns the usage error's text when the value is no
// such number, empty otherwise; nothing is ever computed from a value out of range.
std::string ReadWholeNumber(const TArgParser& args, const std::string& name, int64_t least,
                            int64_t most, int64_t& value);

// Writes `message` and `usage` to stderr and returns the usage exit code.
int UsageError(const std::string& message, const std::string& usage);

// The exit code of a command line that cannot be run as given.
inline constexpr int kUsageExitCode = 2;

} // namespace zirko::cli

#define ZIRKO_CLI_CONCAT2(a, b) a##b
#define ZIRKO_CLI_CONCAT(a, b) ZIRKO_CLI_CONCAT2(a, b)
#define ZIRKO_CLI_COMMAND(...)                                                                     \
    static const bool ZIRKO_CLI_CONCAT(kRegistered_, __LINE__) =                                   \
        ::zirko::cli::RegisterCommand({__VA_ARGS__})
