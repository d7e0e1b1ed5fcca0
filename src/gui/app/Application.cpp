#include "gui/app/Application.h"

#include "gui/app/FormMain.h"
#include "gui/app/UserDialogs.h"

#include <QApplication>
#include <QTimer>

namespace zirko {

int RunApplication(int argc, char** argv)
{
    QApplication app(argc, argv);
    QApplication::setApplicationName("ZIRKO");
    QApplication::setApplicationDisplayName("ZIRKO");
    TFormMain formMain(DefaultAppPaths());
    // Flights named on the command line open once the window has been shown.
    const QStringList files = QApplication::arguments().mid(1);
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
