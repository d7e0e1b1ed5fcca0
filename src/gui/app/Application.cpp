#include "gui/app/Application.h"

#include <QApplication>
#include <QMainWindow>

namespace zirko {

int RunApplication(int argc, char** argv)
{
    QApplication app(argc, argv);
    QApplication::setApplicationName("ZIRKO");
    QMainWindow w;
    w.setWindowTitle("ZIRKO");
    w.resize(932, 662);
    w.show();
    return app.exec();
}

} // namespace zirko
