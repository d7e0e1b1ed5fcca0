#include "core/shell/FolderScan.h"

#include <atomic>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <random>
#include <set>
#include <string>

using namespace zirko;
namespace fs = std::filesystem;

namespace {

class FolderScanTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        std::random_device random;
        Root = fs::temp_directory_path() / ("zirko-scan-" + std::to_string(random()));
        fs::create_directories(Root);
    }
    void TearDown() override
    {
        std::error_code ec;
        fs::remove_all(Root, ec);
    }
    void Touch(const std::string& relative)
    {
        fs::create_directories((Root / relative).parent_path());
        std::ofstream(Root / relative) << "<Header>";
    }
    std::string At(const std::string& relative) const { return (Root / relative).string(); }
    // Folder paths relative to the root, "" for the root itself.
    static std::set<std::string> Relative(const TFolderScan& scan, const fs::path& root)
    {
        std::set<std::string> out;
        for (const TScannedFolder& f : scan.Folders)
            out.insert(fs::path(f.Path).lexically_relative(root).string());
        return out;
    }

    fs::path Root;
};

} // namespace

TEST_F(FolderScanTest, EveryFolderAndOnlyFlightFilesParentsFirst)
{
    Touch("a.zdf");
    Touch("B.ZDF");
    Touch("notes.txt");
    Touch("Sub/Deep/d.zdf");
    Touch(".hidden/h.zdf");
    fs::create_directories(Root / "Empty");
    const TFolderScan scan = ScanFolderTree(Root.string());
    EXPECT_TRUE(scan.Complete);
    ASSERT_EQ(scan.Folders.size(), 5u);
    EXPECT_EQ(scan.Folders[0].Parent, -1);
    EXPECT_EQ(scan.Folders[0].Files, (std::vector<std::string>{"B.ZDF", "a.zdf"}));
    for (size_t i = 1; i < scan.Folders.size(); ++i) {
        const TScannedFolder& f = scan.Folders[i];
        ASSERT_GE(f.Parent, 0);
        ASSERT_LT(static_cast<size_t>(f.Parent), i); // the folder holding it came first
        EXPECT_EQ(fs::path(f.Path).parent_path(), fs::path(scan.Folders[f.Parent].Path));
        EXPECT_EQ(fs::path(f.Path).filename(), f.Name);
    }
    EXPECT_EQ(Relative(scan, Root),
              (std::set<std::string>{".", ".hidden", "Empty", "Sub", "Sub/Deep"}));
    EXPECT_TRUE(ScanFolderTree(At("a.zdf")).Folders.empty());
    EXPECT_TRUE(ScanFolderTree(At("missing")).Folders.empty());
}

TEST_F(FolderScanTest, EachRealFolderIsReadOnceHoweverManyLinksLeadThere)
{
    // 16 levels of two links each to the next: 2^16 paths, 17 real folders.
    constexpr int kLevels = 16;
    for (int level = 0; level <= kLevels; ++level)
        Touch("store/L" + std::to_string(level) + "/f.zdf");
    fs::create_directories(Root / "top");
    for (int level = 0; level < kLevels; ++level) {
        const fs::path from =
            level == 0 ? Root / "top" : Root / "store" / ("L" + std::to_string(level));
        const fs::path to = Root / "store" / ("L" + std::to_string(level + 1));
        fs::create_directory_symlink(to, from / "a");
        fs::create_directory_symlink(to, from / "b");
    }
    // A link back up and a dangling one end nowhere.
    fs::create_directory_symlink(Root, Root / "store" / "L3" / "up");
    fs::create_symlink(Root / "gone", Root / "top" / "dangling");
    const TFolderScan scan = ScanFolderTree(Root.string());
    EXPECT_TRUE(scan.Complete);
    // The root, top, store and its 17 levels: every real folder exactly once.
    EXPECT_EQ(scan.Folders.size(), 3u + kLevels + 1);
    std::set<std::string> real;
    size_t files = 0;
    for (const TScannedFolder& f : scan.Folders) {
        EXPECT_TRUE(real.insert(fs::canonical(f.Path).string()).second) << f.Path;
        files += f.Files.size();
    }
    EXPECT_EQ(files, kLevels + 1u);
}

TEST_F(FolderScanTest, TheLimitKeepsTheUpperLevelsAndSaysItStopped)
{
    for (int i = 0; i < 6; ++i)
        Touch("F" + std::to_string(i) + "/Deeper/x.zdf");
    Touch("top.zdf");
    const TFolderScan scan = ScanFolderTree(Root.string(), 5);
    EXPECT_FALSE(scan.Complete);
    ASSERT_EQ(scan.Folders.size(), 5u);
    // Breadth first: the root and the first four of its folders, all on the first level.
    for (size_t i = 1; i < scan.Folders.size(); ++i)
        EXPECT_EQ(scan.Folders[i].Parent, 0);
    EXPECT_EQ(scan.Folders[0].Files, std::vector<std::string>{"top.zdf"});
    EXPECT_TRUE(ScanFolderTree(Root.string(), 13).Complete);
    EXPECT_FALSE(ScanFolderTree(Root.string(), 12).Complete);

    std::atomic<bool> cancel{true};
    const TFolderScan cancelled = ScanFolderTree(Root.string(), kMaxTreeFolders, &cancel);
    EXPECT_FALSE(cancelled.Complete);
    EXPECT_EQ(cancelled.Folders.size(), 1u);
}
