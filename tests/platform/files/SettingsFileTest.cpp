#include "platform/files/SettingsFile.h"

#include <filesystem>
#include <gtest/gtest.h>
#include <stdlib.h>

using namespace zirko;
namespace fs = std::filesystem;

namespace {

class SettingsFile : public ::testing::Test {
protected:
    SettingsFile()
    {
        char pattern[] = "/tmp/zirko-ini-XXXXXX";
        Dir = ::mkdtemp(pattern);
    }
    ~SettingsFile() override
    {
        std::error_code error;
        fs::permissions(Dir, fs::perms::owner_all, error);
        fs::remove_all(Dir, error);
    }
    fs::path Dir;
};

} // namespace

TEST_F(SettingsFile, AMissingFileIsEmptySettingsAndAnUnreadableOneIsNothing)
{
    const auto missing = LoadIniFile(Dir / "Zirko.ini", ',');
    ASSERT_TRUE(missing.has_value());
    EXPECT_TRUE(missing->SectionNames().empty());
    EXPECT_EQ(missing->DecimalSeparator, ',');
    // A folder where the file should be cannot be read as one.
    fs::create_directory(Dir / "folder.ini");
    EXPECT_FALSE(LoadIniFile(Dir / "folder.ini").has_value());
}

TEST_F(SettingsFile, KeepsTheDecimalSeparatorAndEveryLineAcrossASave)
{
    TIniFile ini(',');
    ini.Parse("; mine\r\n[Options]\r\nRoot=/data\r\n");
    ini.WriteFloat("Graph", "Scale", 1.5);
    ASSERT_TRUE(SaveIniFile(Dir / "Zirko.ini", ini));
    const auto back = LoadIniFile(Dir / "Zirko.ini", ',');
    ASSERT_TRUE(back.has_value());
    EXPECT_EQ(back->Text(), ini.Text());
    EXPECT_DOUBLE_EQ(back->ReadFloat("Graph", "Scale", 0), 1.5);
}

TEST_F(SettingsFile, SavingFollowsALinkKeepsPermissionsAndRefusesAReadOnlyFile)
{
    const fs::path target = Dir / "Zirko.ini";
    const fs::path link = Dir / "linked.ini";
    TIniFile ini;
    ini.WriteString("Options", "Root", "/data");
    ASSERT_TRUE(SaveIniFile(target, ini));
    fs::permissions(target, fs::perms::owner_read | fs::perms::owner_write);
    fs::create_symlink(target, link);

    ini.WriteString("Options", "Root", "/other");
    ASSERT_TRUE(SaveIniFile(link, ini));
    EXPECT_TRUE(fs::is_symlink(link));
    auto back = LoadIniFile(target);
    ASSERT_TRUE(back.has_value());
    EXPECT_EQ(back->ReadString("Options", "Root", ""), "/other");
    EXPECT_EQ(fs::status(target).permissions(), fs::perms::owner_read | fs::perms::owner_write);

    fs::permissions(target, fs::perms::owner_read);
    ini.WriteString("Options", "Root", "/third");
    EXPECT_FALSE(SaveIniFile(link, ini));
    back = LoadIniFile(target);
    ASSERT_TRUE(back.has_value());
    EXPECT_EQ(back->ReadString("Options", "Root", ""), "/other");
}
