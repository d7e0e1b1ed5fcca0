// zirko-cli: runs the commands that only read flight files at once, without loading Qt, and hands
// every other command line to the whole tool (zirko-cli-full) in its place.
#include "cli/CliCommand.h"

#include "core/app/TextCodec.h"

#include <cerrno>
#include <climits>
#include <clocale>
#include <cstring>
#include <iostream>
#include <new>
#include <stdexcept>
#include <string>
#include <unistd.h>

namespace zirko::cli {

namespace {

// The option of `command` that `word` names ("--name", "-name" or "--name=value"), or null.
const TCliOption* OptionNamed(const TCliCommand& command, std::string_view word,
                              std::optional<std::string>& inlineValue)
{
    if (word.size() < 2 || word[0] != '-')
        return nullptr;
    const bool doubleDash = word[1] == '-';
    std::string_view name = word.substr(doubleDash ? 2 : 1);
    const size_t equals = name.find('=');
    if (equals != std::string_view::npos) {
        if (!doubleDash)
            return nullptr;
        inlineValue = std::string(name.substr(equals + 1));
        name = name.substr(0, equals);
    }
    for (const TCliOption& option : command.Options)
        if (option.Name == name)
            return &option;
    return nullptr;
}

// The command line after the command's name, when it is one the whole tool would run as given
// and read the same way: only options of the command, each value present, the arguments it takes,
// every word UTF-8. Anything else (help, a usage error, an odd form) is left to the whole tool,
// whose parser writes the messages.
std::optional<TArgParser> PlainCommandLine(const TCliCommand& command, int argc, char** argv)
{
    TArgParser parsed;
    parsed.Command = &command;
    for (int i = 2; i < argc; ++i) {
        const std::string_view word = argv[i];
        if (!IsValidUtf8(word))
            return std::nullopt;
        if (word.empty() || word[0] != '-') {
            parsed.Arguments.emplace_back(word);
            continue;
        }
        std::optional<std::string> value;
        const TCliOption* option = OptionNamed(command, word, value);
        if (!option)
            return std::nullopt; // help, "--", "-", an unknown option
        std::vector<std::string>& values = parsed.Values[option->Name];
        if (option->ValueName.empty()) {
            if (value)
                return std::nullopt;
            values.emplace_back();
            continue;
        }
        if (!value) {
            if (i + 1 >= argc || argv[i + 1][0] == '-' || !IsValidUtf8(argv[i + 1]))
                return std::nullopt;
            value = argv[++i];
        }
        if (value->empty() && !option->MissingText.empty())
            return std::nullopt;
        values.push_back(std::move(*value));
    }
    const TCliArguments& expected = command.Arguments;
    const size_t most = expected.Name.empty() ? 0 : expected.Many ? SIZE_MAX : 1;
    if (parsed.Arguments.size() > most ||
        (parsed.Arguments.empty() && !expected.MissingText.empty()))
        return std::nullopt;
    for (const TCliOption& option : command.Options)
        if (!option.MissingText.empty() && !parsed.Values.count(option.Name))
            return std::nullopt;
    return parsed;
}

// The whole tool: beside this program in the build, in the package's program folder once
// installed.
std::string WholeToolPath()
{
    char self[PATH_MAX];
    const ssize_t length = ::readlink("/proc/self/exe", self, sizeof self - 1);
    if (length <= 0)
        return {};
    const std::string path(self, static_cast<size_t>(length));
    const std::string dir = path.substr(0, path.rfind('/') + 1);
    for (const std::string& candidate :
         {dir + "zirko-cli-full", dir + ZIRKO_CLI_FULL_FROM_BIN "/zirko-cli-full"})
        if (::access(candidate.c_str(), X_OK) == 0)
            return candidate;
    return {};
}

} // namespace

} // namespace zirko::cli

int main(int argc, char** argv)
{
    using namespace zirko::cli;
    const TCliCommand* command = argc >= 2 ? FindCommand(argv[1]) : nullptr;
    std::optional<TArgParser> parsed;
    if (command)
        parsed = PlainCommandLine(*command, argc, argv);
    if (!parsed) {
        const std::string whole = WholeToolPath();
        if (!whole.empty())
            ::execv(whole.c_str(), argv);
        std::cerr << "zirko-cli: cannot start "
                  << (whole.empty() ? std::string("zirko-cli-full") : whole) << ": "
                  << std::strerror(whole.empty() ? ENOENT : errno) << "." << std::endl;
        return 1;
    }
    // As the whole tool: the user's locale for the C library.
    std::setlocale(LC_ALL, "");
    int code = 1;
    try {
        code = command->Run(*parsed);
    } catch (const std::bad_alloc&) {
        code = Fail(std::string("Not enough memory for zirko-cli ") + command->Name + ".");
    } catch (const std::length_error&) {
        code = Fail(std::string("Not enough memory for zirko-cli ") + command->Name + ".");
    }
    return CheckStandardOutput(code);
}
