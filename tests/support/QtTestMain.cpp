// Test entry for everything that needs a QApplication: headless, with private XDG folders.
#include <QApplication>
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
    QFile::setPermissions(xdg.path() + "/runtime",
                          QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    qputenv("XDG_RUNTIME_DIR", (xdg.path() + "/runtime").toLocal8Bit());
    qputenv("XDG_DATA_HOME", (xdg.path() + "/data").toLocal8Bit());
    qputenv("XDG_CONFIG_HOME", (xdg.path() + "/config").toLocal8Bit());
    ::testing::InitGoogleTest(&argc, argv);
    QApplication app(argc, argv);
    QApplication::setApplicationName("ZIRKO");
    return RUN_ALL_TESTS();
}
