// The command table, the help texts and the messages every command shares; no Qt, so that the
// quick program that runs the reading commands has them too.
#include "cli/CliCommand.h"

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <cstdio>
#include <cstring>
#include <iostream>
#include <sstream>

namespace zirko::cli {

namespace {

std::vector<TCliCommand>& Registry()
{
    static std::vector<TCliCommand> commands;
    return commands;
}

constexpr size_t kHelpWidth = 79;
constexpr size_t kHelpIndent = 26;

std::string Dashed(const TCliOption& option)
{
    return (option.Name.size() == 1 ? "-" : "--") + option.Name;
}

std::string OptionTerm(const TCliOption& option)
{
    return Dashed(option) + (option.ValueName.empty() ? "" : " " + option.ValueName);
}

std::string ArgumentsTerm(const TCliArguments& arguments)
{
    return arguments.Name + (arguments.Many ? "..." : "");
}

// Words of `text` in lines of at most kHelpWidth, each but the first indented by `indent`.
std::string Wrapped(const std::string& text, size_t indent, size_t column)
{
    std::istringstream words(text);
    std::string out;
    std::string word;
    while (words >> word) {
        if (column > indent && column + 1 + word.size() > kHelpWidth) {
            out += '\n';
            out.append(indent, ' ');
            column = indent;
        } else if (column > indent) {
            out += ' ';
            ++column;
        }
        out += word;
        column += word.size();
    }
    return out;
}

// "  TERM      help text" with the help in a column of its own.
std::string HelpRow(const std::string& term, const std::string& help)
{
    std::string row = "  " + term;
    if (row.size() + 2 > kHelpIndent)
        row += "\n" + std::string(kHelpIndent, ' ');
    else
        row += std::string(kHelpIndent - row.size(), ' ');
    return row + Wrapped(help, kHelpIndent, kHelpIndent) + "\n";
}

// A text for roff: backslashes and dashes escaped, a leading dot or quote defused.
std::string Roff(const std::string& text)
{
    std::string out;
    for (char c : text) {
        if (c == '\\')
            out += "\\e";
        else if (c == '-')
            out += "\\-";
        else
            out += c;
    }
    if (!out.empty() && (out[0] == '.' || out[0] == '\''))
        out.insert(0, "\\&");
    return out;
}

const TCliOption kHelpOption{"help", "", "shows this help and exits"};

} // namespace

const TCliCommand* FindCommand(const std::string& name)
{
    for (const auto& c : Commands())
        if (name == c.Name)
            return &c;
    return nullptr;
}

int UsageError(const std::string& message, const std::string& usage)
{
    std::cout.flush();
    std::cerr << message << "\n" << usage << std::flush;
    return kUsageExitCode;
}

std::string ProgramUsage()
{
    return "usage: zirko-cli COMMAND [ARGUMENTS] (zirko-cli --help lists the commands)\n";
}

std::string CommandUsage(const TCliCommand& command)
{
    return UsageLines(command) + "(zirko-cli " + command.Name + " --help tells more)\n";
}

bool RegisterCommand(const TCliCommand& command)
{
    Registry().push_back(command);
    return true;
}

const std::vector<TCliCommand>& Commands()
{
    // Registration follows the link order of the files; the texts list the commands as the
    // contract does.
    static const bool sorted = [] {
        const std::vector<std::string> order{"info",     "dump",   "csv",    "notes",    "split",
                                             "download", "config", "erase",  "simulate", "render",
                                             "stats",    "events", "import", "logbook",  "tag",
                                             "report",   "sheet"};
        const auto rank = [&order](const TCliCommand& c) {
            return std::find(order.begin(), order.end(), c.Name) - order.begin();
        };
        std::stable_sort(Registry().begin(), Registry().end(),
                         [&rank](const auto& a, const auto& b) { return rank(a) < rank(b); });
        return true;
    }();
    (void)sorted;
    return Registry();
}

int Fail(const std::string& message)
{
    std::cout.flush();
    std::cerr << message << std::endl;
    return 1;
}

int UsageFail(const TArgParser& args, const std::string& message)
{
    const std::string prefix =
        args.Command ? std::string("zirko-cli ") + args.Command->Name + ": " : "zirko-cli: ";
    return UsageError(prefix + message,
                      args.Command ? CommandUsage(*args.Command) : ProgramUsage());
}

std::string ReadWholeNumber(const TArgParser& args, const std::string& name, int64_t least,
                            int64_t most, int64_t& value)
{
    const std::optional<std::string> text = args.Option(name);
    if (!text)
        return {};
    int64_t read = 0;
    const char* end = text->data() + text->size();
    const auto [stop, error] = std::from_chars(text->data(), end, read);
    if (text->empty() || error != std::errc() || stop != end || read < least || read > most)
        return name + " takes a whole number from " + std::to_string(least) + " to " +
               std::to_string(most) + ".";
    value = read;
    return {};
}

// Output that never reached standard output (a full disk, a closed pipe) fails the command: its
// result is not there.
int CheckStandardOutput(int code)
{
    std::cout.flush();
    bool failed = !std::cout.good();
    errno = 0;
    if (std::fflush(stdout) != 0 || std::ferror(stdout))
        failed = true;
    const int error = errno;
    if (!failed || code != 0)
        return code;
    std::cout.clear();
    std::clearerr(stdout);
    std::cerr << "Error in writing standard output"
              << (error != 0 ? std::string(": ") + std::strerror(error) : std::string()) << "."
              << std::endl;
    return 1;
}

static std::string StripDashes(const std::string& name)
{
    const size_t start = name.find_first_not_of('-');
    return start == std::string::npos ? std::string() : name.substr(start);
}

std::optional<std::string> TArgParser::Option(const std::string& name) const
{
    const auto it = Values.find(StripDashes(name));
    if (it == Values.end() || it->second.empty())
        return std::nullopt;
    return it->second.back();
}

bool TArgParser::Flag(const std::string& name) const
{
    return Values.count(StripDashes(name)) != 0;
}

// The command's name, its arguments, then its options, each one word of the synopsis.
static std::vector<std::string> SynopsisItems(const TCliCommand& command)
{
    std::vector<std::string> items{command.Name};
    if (!command.Arguments.Name.empty()) {
        const std::string term = ArgumentsTerm(command.Arguments);
        items.push_back(command.Arguments.MissingText.empty() ? "[" + term + "]" : term);
    }
    for (const auto& o : command.Options) {
        const std::string term = OptionTerm(o);
        items.push_back(o.MissingText.empty() ? "[" + term + "]" : term);
    }
    return items;
}

std::string Synopsis(const TCliCommand& command)
{
    std::string line;
    for (const auto& item : SynopsisItems(command))
        line += (line.empty() ? "" : " ") + item;
    return line;
}

// "usage: zirko-cli SYNOPSIS" broken between items where it would pass the width.
std::string UsageLines(const TCliCommand& command)
{
    const std::string start = "usage: zirko-cli ";
    std::string out = start;
    size_t column = start.size();
    bool first = true;
    for (const auto& item : SynopsisItems(command)) {
        if (!first && column + 1 + item.size() > kHelpWidth) {
            out += '\n';
            out.append(start.size() + 2, ' ');
            column = start.size() + 2;
        } else if (!first) {
            out += ' ';
            ++column;
        }
        out += item;
        column += item.size();
        first = false;
    }
    return out + "\n";
}

std::string CommandHelp(const TCliCommand& command)
{
    std::string out = UsageLines(command) + "\n";
    out += Wrapped(command.Summary, 0, 0) + "\n";
    if (!command.Details.empty())
        out += "\n" + Wrapped(command.Details, 0, 0) + "\n";
    if (!command.Arguments.Name.empty())
        out += "\narguments:\n" + HelpRow(ArgumentsTerm(command.Arguments), command.Arguments.Help);
    out += "\noptions:\n";
    for (const auto& o : command.Options)
        out += HelpRow(OptionTerm(o), o.Help);
    out += HelpRow("-h, --help", kHelpOption.Help);
    return out;
}

std::string ProgramHelp()
{
    std::string out = "usage: zirko-cli COMMAND [ARGUMENTS]\n"
                      "       zirko-cli COMMAND --help\n"
                      "       zirko-cli --version\n\n";
    out += Wrapped("The headless tool of ZIRKO desktop, the companion program of a flight data "
                   "logger for RC model aircraft: it reads and converts flight data files, "
                   "talks to a logger on a serial port and draws flights as pictures.",
                   0, 0) +
           "\n\ncommands:\n";
    for (const auto& c : Commands())
        out += HelpRow(c.Name, c.Summary);
    out += "\noptions:\n";
    out += HelpRow("-h, --help", kHelpOption.Help);
    out += HelpRow("-v, --version", "shows the version and exits");
    out += "\nexit status: 0 success, 1 the work failed (its message is the last line on\n"
           "stderr), 2 the command line cannot be run as given.\n";
    return out;
}

std::string ManualPage(const std::string& version)
{
    std::string out = ".TH ZIRKO\\-CLI 1 \"\" \"zirko " + version + "\" \"User Commands\"\n";
    out += ".SH NAME\nzirko\\-cli \\- headless tool of ZIRKO desktop, the flight data logger "
           "companion\n";
    out += ".SH SYNOPSIS\n.B zirko\\-cli\n.I COMMAND\n.RI [ ARGUMENTS ]\n.br\n"
           ".B zirko\\-cli\n.I COMMAND\n.B \\-\\-help\n.br\n.B zirko\\-cli \\-\\-version\n";
    out += ".SH DESCRIPTION\n"
           "zirko\\-cli does without a window what ZIRKO desktop does: it reads and converts "
           "flight data files (.zdf), talks to a flight data logger on a serial port, splits "
           "logger memory images into flights and draws flights as pictures.\n"
           "It shares the program's core, so it behaves exactly as the program does for the "
           "same work.\n";
    out += ".SH COMMANDS\n";
    for (const auto& c : Commands()) {
        out += ".SS \"" + Roff(Synopsis(c)) + "\"\n" + Roff(c.Summary) + "\n";
        if (!c.Details.empty())
            out += ".PP\n" + Roff(c.Details) + "\n";
        if (!c.Arguments.Name.empty())
            out += ".TP\n.I " + Roff(ArgumentsTerm(c.Arguments)) + "\n" + Roff(c.Arguments.Help) +
                   "\n";
        for (const auto& o : c.Options) {
            out += ".TP\n.B " + Roff(Dashed(o)) + "\n";
            if (!o.ValueName.empty())
                out.insert(out.size() - 1, " \\fI" + Roff(o.ValueName) + "\\fR");
            out += Roff(o.Help) + "\n";
        }
        out += ".TP\n.BR \\-h \", \" \\-\\-help\n" + Roff(kHelpOption.Help) + "\n";
    }
    out += ".SH OPTIONS\n.TP\n.BR \\-h \", \" \\-\\-help\nshows the commands and exits\n"
           ".TP\n.BR \\-v \", \" \\-\\-version\nshows the version and exits\n";
    out += ".SH EXIT STATUS\n.TP\n.B 0\nsuccess\n.TP\n.B 1\nthe work failed; its message is "
           "the last line on standard error\n.TP\n.B 2\nthe command line cannot be run as "
           "given (an unknown option, a missing value, an extra argument), or no logger "
           "answered in time\n";
    out += ".SH SEE ALSO\n.BR zirko (1)\n";
    return out;
}

} // namespace zirko::cli
