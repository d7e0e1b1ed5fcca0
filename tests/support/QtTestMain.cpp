// Test entry for everything that needs a Qt application object: headless, with private XDG
// folders. Window tests get a QApplication, the layers below them a QGuiApplication.
#ifdef ZIRKO_TEST_WIDGETS
#include <QApplication>
using TTestApplication = QApplication;
#else
#include <QGuiApplication>
using TTestApplication = QGuiApplication;
#endif
#include <QDir>
#include <QTemporaryDir>
#include <gtest/gtest.h>

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QTemporaryDir xdg(QDir::tempPath() + "/zirko-test-xdg-XXXXXX");
    QDir(xdg.path()).mkpath("runtime");
    QDir(xdg.path()).mkpath("data");
    QDir(xdg.path()).mkpath("config");
    QDir(xdg.path()).mkpath("cache");
    QFile::setPermissions(xdg.path() + "/runtime",
                          QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    qputenv("XDG_RUNTIME_DIR", (xdg.path() + "/runtime").toLocal8Bit());
    qputenv("XDG_DATA_HOME", (xdg.path() + "/data").toLocal8Bit());
    qputenv("XDG_CONFIG_HOME", (xdg.path() + "/config").toLocal8Bit());
    // The logbook index of downloads and of the logbook lives in the cache folder.
    qputenv("XDG_CACHE_HOME", (xdg.path() + "/cache").toLocal8Bit());
    ::testing::InitGoogleTest(&argc, argv);
    TTestApplication app(argc, argv);
    TTestApplication::setApplicationName("ZIRKO");
    return RUN_ALL_TESTS();
}
