#include "core/app/RecentFiles.h"

#include <algorithm>
#include <gtest/gtest.h>

using namespace zirko;

TEST(RecentFiles, NewestFirstWithoutRepeatsAndAtMostEight)
{
    std::vector<std::string> recent;
    for (int i = 1; i <= 10; ++i)
        AddRecentFile(recent, "/d/f" + std::to_string(i) + ".zdf");
    ASSERT_EQ(recent.size(), kMaxRecentFiles);
    EXPECT_EQ(recent.front(), "/d/f10.zdf");
    EXPECT_EQ(recent.back(), "/d/f3.zdf");
    AddRecentFile(recent, "/d/f5.zdf"); // opened again: moves to the top, nothing else goes
    EXPECT_EQ(recent.size(), kMaxRecentFiles);
    EXPECT_EQ(recent[0], "/d/f5.zdf");
    EXPECT_EQ(std::count(recent.begin(), recent.end(), "/d/f5.zdf"), 1);
    EXPECT_EQ(recent.back(), "/d/f3.zdf");
    AddRecentFile(recent, "");
    EXPECT_EQ(recent[0], "/d/f5.zdf");
    RemoveRecentFile(recent, "/d/f9.zdf");
    EXPECT_EQ(recent.size(), kMaxRecentFiles - 1);
}

TEST(RecentFiles, KeptInTheSettingsFileWhateverItHolds)
{
    TIniFile ini;
    WriteRecentFiles(ini, {"/a b/ř.zdf", "/c.zdf"});
    EXPECT_EQ(ReadRecentFiles(ini), (std::vector<std::string>{"/a b/ř.zdf", "/c.zdf"}));
    // A shorter list empties the keys it no longer uses.
    WriteRecentFiles(ini, {"/c.zdf"});
    EXPECT_EQ(ReadRecentFiles(ini), std::vector<std::string>{"/c.zdf"});
    EXPECT_EQ(ini.ReadString(kRecentSection, "File2", "x"), "");

    TIniFile edited;
    edited.Parse("[Recent]\r\nFile1=/x.zdf\r\nFile2=\r\nFile3=/x.zdf\r\nFile4=/y.zdf\r\n"
                 "File9=/z.zdf\r\n");
    EXPECT_EQ(ReadRecentFiles(edited), (std::vector<std::string>{"/x.zdf", "/y.zdf"}));
}
