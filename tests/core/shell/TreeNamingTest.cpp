#include "core/shell/TreeNaming.h"
#include "core/shell/FileKinds.h"

#include <algorithm>
#include <cctype>
#include <gtest/gtest.h>
#include <set>
#include <string>
#include <vector>

using namespace zirko;

namespace {

struct TEntry {
    bool IsFolder;
    std::string Text;
};

int AsciiFoldCollate(const std::string& a, const std::string& b)
{
    std::string la = a, lb = b;
    for (char& c : la)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    for (char& c : lb)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return la.compare(lb);
}

std::vector<std::string> Sorted(std::vector<TEntry> entries)
{
    std::sort(entries.begin(), entries.end(), [](const TEntry& a, const TEntry& b) {
        return CompareSiblings(a.IsFolder, a.Text, b.IsFolder, b.Text, AsciiFoldCollate) < 0;
    });
    std::vector<std::string> texts;
    for (const TEntry& e : entries)
        texts.push_back(e.Text);
    return texts;
}

} // namespace

TEST(TreeNaming, OnlyFlightFilesAreShownWhateverTheCaseOfTheExtension)
{
    EXPECT_TRUE(IsFlightFileName("Blok001.zdf"));
    EXPECT_TRUE(IsFlightFileName("X.ZDF"));
    EXPECT_TRUE(IsFlightFileName("a.b.Zdf"));
    EXPECT_FALSE(IsFlightFileName("notes.txt"));
    EXPECT_FALSE(IsFlightFileName("a.zdf.bak"));
    EXPECT_FALSE(IsFlightFileName("zdf"));
    EXPECT_FALSE(IsFlightFileName("a.zdfx"));
}

TEST(TreeNaming, NodeTextDropsOnlyTheLastExtensionAndKeepsTheRealCase)
{
    EXPECT_EQ(FlightNodeText("a.b.zdf"), "a.b");
    EXPECT_EQ(FlightNodeText("X.ZDF"), "X");
    EXPECT_EQ(FlightNodeText("a.zdf.zdf"), "a.zdf");
    EXPECT_EQ(FlightNodeText("Let č. 5.zdf"), "Let č. 5");
}

TEST(TreeNaming, RootTextIsTheLastComponentOfTheRootFolder)
{
    EXPECT_EQ(RootNodeText("/home/pilot/Data/"), "Data");
    EXPECT_EQ(RootNodeText("/home/pilot/Data"), "Data");
    EXPECT_EQ(RootNodeText("C:\\Zirko\\Data\\"), "Data");
    EXPECT_EQ(RootNodeText("C:\\"), "C:");
    EXPECT_EQ(RootNodeText("/"), "/");
    EXPECT_EQ(WithoutTrailingSeparator("/data//"), "/data");
}

TEST(TreeNaming, FoldersComeFirstThenNamesWithoutRegardToCase)
{
    EXPECT_EQ(Sorted({{false, "b"}, {true, "A"}, {true, "a2"}}),
              (std::vector<std::string>{"A", "a2", "b"}));
    EXPECT_EQ(Sorted({{false, "Alfa"}, {true, "zeta"}, {false, "beta"}, {false, "ALFA2"}}),
              (std::vector<std::string>{"zeta", "Alfa", "ALFA2", "beta"}));
}

TEST(TreeNaming, NewFolderTakesTheFirstFreeNumber)
{
    std::set<std::string> present;
    auto exists = [&](const std::string& name) { return present.count(name) > 0; };
    EXPECT_EQ(NewFolderName(exists), "Nová složka");
    present = {"Nová složka", "Nová složka (1)"};
    EXPECT_EQ(NewFolderName(exists), "Nová složka (2)");
    present = {"Nová složka", "Nová složka (2)"};
    EXPECT_EQ(NewFolderName(exists), "Nová složka (1)");
}

TEST(TreeNaming, NamesThatWouldLeaveTheFolderAreRefused)
{
    for (const char* bad : {"a/b", "..\\up", "/", "sub\\x", ".", ".."}) {
        const TNameCheck check = CheckNodeName(bad);
        EXPECT_FALSE(check.Ok) << bad;
        EXPECT_NE(check.Message.find(bad), std::string::npos) << check.Message;
    }
    for (const char* good : {"Let 1", "...", ".hidden", "a..b", "Nová složka (3)"})
        EXPECT_TRUE(CheckNodeName(good).Ok) << good;
}

TEST(TreeNaming, RenamedPathStaysInTheSameFolder)
{
    EXPECT_EQ(RenamedPath("/data/Lety/Blok001.ZDF", "Vítěz", true), "/data/Lety/Vítěz.zdf");
    EXPECT_EQ(RenamedPath("/data/Lety", "Lety 2026", false), "/data/Lety 2026");
    EXPECT_EQ(RenamedPath("C:\\Data\\a.zdf", "b", true), "C:\\Data\\b.zdf");
}

TEST(FileKinds, DroppedFilesAreSortedByTheirEnding)
{
    const TFilesByKind sorted =
        SortFilesByKind({"/d/a.zdf", "/d/notes.txt", "/d/B.ZDF", "/d.zdf/readme", "/d/c.zdf.bak"});
    EXPECT_EQ(sorted.Flights, (std::vector<std::string>{"/d/a.zdf", "/d/B.ZDF"}));
    EXPECT_EQ(sorted.Other,
              (std::vector<std::string>{"/d/notes.txt", "/d.zdf/readme", "/d/c.zdf.bak"}));
}
