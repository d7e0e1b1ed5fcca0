#include "gui/app/CommandLine.h"

#include "ZirkoVersion.h"

#include <QCommandLineParser>
#include <cstdio>

namespace zirko {

namespace {

// The options QGuiApplication and QApplication take for themselves.
const QStringList kQtOptions{"platform",
                             "platformpluginpath",
                             "platformtheme",
                             "plugin",
                             "qwindowgeometry",
                             "qwindowicon",
                             "qwindowtitle",
                             "reverse",
                             "session",
                             "style",
                             "stylesheet",
                             "widgetcount",
                             "display",
                             "geometry",
                             "title",
                             "name",
                             "visual",
                             "ncols",
                             "cmap",
                             "nograb",
                             "dograb",
                             "sync",
                             "qmljsdebugger"};

const char* const kUsage = "usage: zirko [FILE.zdf...] (zirko --help tells more)\n";

void Print(FILE* stream, const QString& text)
{
    std::fputs(text.toLocal8Bit().constData(), stream);
    std::fflush(stream);
}

} // namespace

QString ProgramHelpText()
{
    return QStringLiteral(
        "usage: zirko [FILE.zdf...]\n"
        "       zirko --help\n"
        "       zirko --version\n"
        "\n"
        "ZIRKO desktop, the companion program of a flight data logger for RC model\n"
        "aircraft: downloads flights from the logger, keeps them in a data folder and\n"
        "draws them on a chart. The flights named open once the main window is shown.\n"
        "\n"
        "arguments:\n"
        "  FILE.zdf...             flight data files to open\n"
        "\n"
        "options:\n"
        "  -h, --help              shows this help and exits\n"
        "  -v, --version           shows the version and exits\n"
        "\n"
        "Qt's own options (-platform NAME, -style NAME, ...) are also understood.\n");
}

TCommandLine ParseCommandLine(const QStringList& arguments, bool qtOptionsRemoved)
{
    QCommandLineParser parser;
    // Qt's options have one dash and whole words (-platform); ours then read the same way.
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    parser.addOption(QCommandLineOption(QStringList{"h", "help"}));
    parser.addOption(QCommandLineOption(QStringList{"v", "version"}));
    TCommandLine result;
    if (!parser.parse(arguments)) {
        bool onlyQt = !qtOptionsRemoved;
        for (const QString& name : parser.unknownOptionNames())
            onlyQt = onlyQt && kQtOptions.contains(name);
        if (onlyQt && !parser.unknownOptionNames().isEmpty()) {
            result.Decided = false;
            return result;
        }
        Print(stderr, "zirko: " + parser.errorText() + "\n" + kUsage);
        result.ExitCode = 2;
        return result;
    }
    if (parser.isSet("help")) {
        Print(stdout, ProgramHelpText());
        result.ExitCode = 0;
    } else if (parser.isSet("version")) {
        Print(stdout, QStringLiteral("zirko " ZIRKO_VERSION "\n"));
        result.ExitCode = 0;
    }
    result.Files = parser.positionalArguments();
    return result;
}

} // namespace zirko
