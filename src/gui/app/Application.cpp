#include "gui/app/Application.h"

#include "gui/app/CommandLine.h"
#include "gui/app/FormMain.h"
#include "gui/services/UserDialogs.h"

#include <QApplication>
#include <QTimer>

namespace zirko {

int RunApplication(int argc, char** argv)
{
    // Help, version and usage errors need no window system, so they are answered before one is
    // opened; only Qt's own options wait until the application object has taken them out.
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments << QString::fromLocal8Bit(argv[i]);
    TCommandLine commandLine = ParseCommandLine(arguments, false);
    if (commandLine.ExitCode)
        return *commandLine.ExitCode;
    QApplication app(argc, argv);
    QApplication::setApplicationName("ZIRKO");
    QApplication::setApplicationDisplayName("ZIRKO");
    if (!commandLine.Decided) {
        commandLine = ParseCommandLine(QApplication::arguments(), true);
        if (commandLine.ExitCode)
            return *commandLine.ExitCode;
    }
    TFormMain formMain(DefaultAppPaths());
    // Flights named on the command line open once the window has been shown.
    const QStringList files = commandLine.Files;
    QObject::connect(&formMain, &TFormMain::FirstShown, &formMain, [&formMain, files] {
        QTimer::singleShot(0, &formMain, [&formMain, files] {
            for (const QString& f : files)
                formMain.OpenFlightFile(f);
        });
    });
    formMain.show();
    return app.exec();
}

} // namespace zirko
