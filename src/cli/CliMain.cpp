// zirko-cli: the headless tool; it shares the core with the GUI.
#include "cli/CliCommand.h"

#include <QApplication>
#include <cstdio>
#include <cstring>
#include <memory>
#include <iostream>

namespace zirko::cli {

static std::vector<TCliCommand>& Registry()
{
    static std::vector<TCliCommand> commands;
    return commands;
}

bool RegisterCommand(const TCliCommand& command)
{
    Registry().push_back(command);
    return true;
}

const std::vector<TCliCommand>& Commands()
{
    return Registry();
}

int Fail(const std::string& message)
{
    std::cout.flush();
    std::cerr << message << std::endl;
    return 1;
}

std::optional<std::string> TArgParser::Option(const std::string& name) const
{
    std::optional<std::string> value;
    for (size_t i = 0; i + 1 < Args.size(); ++i)
        if (Args[i] == name)
            value = Args[i + 1];
    return value;
}

bool TArgParser::Flag(const std::string& name) const
{
    for (const auto& a : Args)
        if (a == name)
            return true;
    return false;
}

std::vector<std::string> TArgParser::Positional(const std::vector<std::string>& valued) const
{
    std::vector<std::string> out;
    for (size_t i = 0; i < Args.size(); ++i) {
        bool isValued = false;
        for (const auto& v : valued)
            if (Args[i] == v)
                isValued = true;
        if (isValued) {
            ++i;
            continue;
        }
        if (Args[i].size() > 2 && Args[i].rfind("--", 0) == 0)
            continue;
        out.push_back(Args[i]);
    }
    return out;
}

} // namespace zirko::cli

static void Usage()
{
    std::fprintf(stderr, "usage: zirko-cli COMMAND [ARGS]\n\ncommands:\n");
    for (const auto& c : zirko::cli::Commands())
        std::fprintf(stderr, "  %s\n", c.Usage);
}

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    // Only drawing and text documents (notes) need the GUI application object; everything else
    // runs on a plain core one.
    const bool drawing =
        argc >= 2 && (std::strcmp(argv[1], "render") == 0 || std::strcmp(argv[1], "notes") == 0);
    std::unique_ptr<QCoreApplication> app;
    if (drawing)
        app = std::make_unique<QApplication>(argc, argv);
    else
        app = std::make_unique<QCoreApplication>(argc, argv);
    QCoreApplication::setApplicationName("ZIRKO");
    if (argc < 2 || std::strcmp(argv[1], "--help") == 0 || std::strcmp(argv[1], "-h") == 0) {
        Usage();
        return argc < 2 ? 1 : 0;
    }
    zirko::cli::TArgs args(argv + 2, argv + argc);
    for (const auto& c : zirko::cli::Commands())
        if (std::strcmp(c.Name, argv[1]) == 0)
            return c.Run(args);
    Usage();
    return zirko::cli::Fail(std::string("Unknown command: ") + argv[1]);
}
