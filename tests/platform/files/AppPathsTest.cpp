#include "platform/files/AppPaths.h"

#include <QDir>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace zirko;

TEST(AppPaths, AnInstalledProgramKeepsItsDataInThePerUserFolderEvenWhenItsFolderIsWritable)
{
    const QString user =
        QStandardPaths::writableLocation(QStandardPaths::AppDataLocation) + "/Data";
    EXPECT_EQ(DefaultDataDir("/usr/bin"), user);
    EXPECT_EQ(DefaultDataDir("/usr/local/bin/"), user);
    EXPECT_TRUE(QDir(user).exists());
    EXPECT_TRUE(IsSharedProgramDir("/usr/bin"));
}

TEST(AppPaths, AProgramInAFolderOfItsOwnUsesThatFolderOrItsDataSubfolder)
{
    QTemporaryDir dir;
    EXPECT_FALSE(IsSharedProgramDir(dir.path()));
    EXPECT_EQ(DefaultDataDir(dir.path()), dir.path());
    QDir(dir.path()).mkdir("Data");
    EXPECT_EQ(DefaultDataDir(dir.path()), dir.path() + "/Data");
}
