// zirko-cli: the headless tool; it shares the core with the GUI.
#include "cli/CliCommand.h"

#include "ZirkoVersion.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QStringList>
#include <algorithm>
#include <cerrno>
#include <charconv>
#include <cstdio>
#include <cstring>
#include <iostream>
#include <memory>
#include <new>
#include <sstream>
#include <stdexcept>

namespace zirko::cli {

namespace {

// Parses the arguments after the command name and runs the command.
int RunCommand(const TCliCommand& command, const QStringList& args)
{
    const std::string prefix = std::string("zirko-cli ") + command.Name + ": ";
    QCommandLineParser parser;
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    parser.addOption(QCommandLineOption(QStringList{"h", "help"}));
    for (const auto& o : command.Options) {
        const QString name = QString::fromStdString(o.Name);
        if (o.ValueName.empty())
            parser.addOption(QCommandLineOption(name));
        else
            parser.addOption(QCommandLineOption(name, {}, QString::fromStdString(o.ValueName)));
    }
    if (!parser.parse(QStringList{QString("zirko-cli ") + command.Name} + args))
        return UsageError(prefix + parser.errorText().toStdString(), CommandUsage(command));
    if (parser.isSet("help")) {
        std::cout << CommandHelp(command);
        return 0;
    }
    TArgParser parsed;
    parsed.Command = &command;
    for (const QString& a : parser.positionalArguments())
        parsed.Arguments.push_back(a.toStdString());
    const TCliArguments& expected = command.Arguments;
    const size_t most = expected.Name.empty() ? 0 : expected.Many ? SIZE_MAX : 1;
    if (parsed.Arguments.size() > most)
        return UsageError(prefix + "Unexpected argument '" + parsed.Arguments[most] + "'.",
                          CommandUsage(command));
    if (parsed.Arguments.empty() && !expected.MissingText.empty())
        return UsageError(expected.MissingText, CommandUsage(command));
    for (const auto& o : command.Options) {
        const QString name = QString::fromStdString(o.Name);
        if (!parser.isSet(name)) {
            if (!o.MissingText.empty())
                return UsageError(o.MissingText, CommandUsage(command));
            continue;
        }
        std::vector<std::string>& values = parsed.Values[o.Name];
        if (o.ValueName.empty()) {
            values.emplace_back();
            continue;
        }
        for (const QString& v : parser.values(name))
            values.push_back(v.toStdString());
        if (!o.MissingText.empty() && values.back().empty())
            return UsageError(o.MissingText, CommandUsage(command));
    }
    return command.Run(parsed);
}

} // namespace

} // namespace zirko::cli

int main(int argc, char** argv)
{
    using namespace zirko::cli;
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    // Only drawing and text documents (notes) need the GUI application object; everything else
    // runs on a plain core one.
    const bool drawing =
        argc >= 2 && (std::strcmp(argv[1], "render") == 0 || std::strcmp(argv[1], "notes") == 0 ||
                      std::strcmp(argv[1], "report") == 0 || std::strcmp(argv[1], "sheet") == 0);
    std::unique_ptr<QCoreApplication> app;
    if (drawing)
        app = std::make_unique<QApplication>(argc, argv);
    else
        app = std::make_unique<QCoreApplication>(argc, argv);
    QCoreApplication::setApplicationName("ZIRKO");
    QCoreApplication::setApplicationVersion(ZIRKO_VERSION);

    // Options before the command belong to the program; everything from the command on to it.
    QCommandLineParser parser;
    parser.setOptionsAfterPositionalArgumentsMode(QCommandLineParser::ParseAsPositionalArguments);
    parser.addOption(QCommandLineOption(QStringList{"h", "help"}));
    parser.addOption(QCommandLineOption(QStringList{"v", "version"}));
    parser.addOption(QCommandLineOption("help-man"));
    if (!parser.parse(QCoreApplication::arguments()))
        return UsageError("zirko-cli: " + parser.errorText().toStdString(), ProgramUsage());
    if (parser.isSet("help")) {
        std::cout << ProgramHelp();
        return CheckStandardOutput(0);
    }
    if (parser.isSet("version")) {
        std::cout << "zirko-cli " << ZIRKO_VERSION << "\n";
        return CheckStandardOutput(0);
    }
    if (parser.isSet("help-man")) {
        std::cout << ManualPage(ZIRKO_VERSION);
        return CheckStandardOutput(0);
    }
    QStringList rest = parser.positionalArguments();
    if (rest.isEmpty())
        return UsageError("zirko-cli: No command given.", ProgramUsage());
    const std::string name = rest.takeFirst().toStdString();
    const TCliCommand* command = FindCommand(name);
    if (!command)
        return UsageError("zirko-cli: Unknown command: " + name, ProgramUsage());
    int code = 1;
    try {
        code = RunCommand(*command, rest);
    } catch (const std::bad_alloc&) {
        code = Fail("Not enough memory for zirko-cli " + name + ".");
    } catch (const std::length_error&) {
        code = Fail("Not enough memory for zirko-cli " + name + ".");
    }
    return CheckStandardOutput(code);
}
