// The data folder model on real folders: what a reading finds, the user's renames, moves,
// deletions and new folders with their refusals, and the changes on disk it reports.
#include "platform/files/DataFolder.h"
#include "platform/files/LogbookFiles.h"
#include "support/TestUtil.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>

using namespace zirko;
using namespace zirko::test;

namespace {

class DataFolder : public ::testing::Test {
protected:
    void SetUp() override
    {
        Root = Dir.filePath("Data");
        ASSERT_TRUE(QDir().mkpath(Root));
        Folder.SetDataDir(Root + "/");
        Folder.Watch(Root);
    }

    void File(const QString& relative)
    {
        QDir().mkpath(QFileInfo(Root + "/" + relative).path());
        ASSERT_TRUE(WriteBytes(Root + "/" + relative, "<Header>"));
    }
    void Mkdir(const QString& relative) { ASSERT_TRUE(QDir().mkpath(Root + "/" + relative)); }
    bool Exists(const QString& relative) const { return QFileInfo::exists(Root + "/" + relative); }

    // "text" of every entry below the root, folders marked with a trailing "/", with the text of
    // the folder that holds it: "Sub/deep" for deep.zdf in Sub.
    QStringList Shown(const TFolderEntries& entries) const
    {
        QStringList out;
        for (size_t i = 1; i < entries.Entries.size(); ++i) {
            const TFolderEntry& e = entries.Entries[i];
            QString text = e.Text + (e.IsFolder ? "/" : "");
            for (int p = e.Parent; p > 0; p = entries.Entries[static_cast<size_t>(p)].Parent)
                text = entries.Entries[static_cast<size_t>(p)].Text + "/" + text;
            out << text;
        }
        return out;
    }

    QTemporaryDir Dir;
    QString Root;
    TDataFolder Folder;
};

} // namespace

TEST_F(DataFolder, AReadingListsFoldersThenFlightFilesInTheTreesOrderEachRealFolderOnce)
{
    File("b.zdf");
    File("X.ZDF");
    File("a.b.zdf");
    File("notes.txt");
    File(".hidden/h.zdf");
    File("Zeta/z.zdf");
    Mkdir("alpha/Empty");
    ASSERT_TRUE(QFile::link(Root + "/Zeta", Root + "/alpha/again"));
    ASSERT_TRUE(QFile::link(Root, Root + "/Zeta/up"));

    const TFolderEntries entries = Folder.Read();
    EXPECT_TRUE(entries.Complete);
    ASSERT_FALSE(entries.Entries.empty());
    EXPECT_EQ(entries.Entries[0].Path, Root);
    EXPECT_EQ(entries.Entries[0].Text, "Data");
    // The folders' entries come in the order the folders were read (names as bytes, breadth
    // first), each folder's own in the tree's order.
    EXPECT_EQ(Shown(entries), (QStringList{".hidden/", "alpha/", "Zeta/", "a.b", "b", "X",
                                           ".hidden/h", "Zeta/z", "alpha/Empty/"}));
    // A flight file keeps its name as on disk; the text drops the extension.
    const auto upper = std::find_if(entries.Entries.begin(), entries.Entries.end(),
                                    [](const TFolderEntry& e) { return e.Text == "X"; });
    ASSERT_NE(upper, entries.Entries.end());
    EXPECT_EQ(upper->Name, "X.ZDF");
    EXPECT_EQ(upper->Path, Root + "/X.ZDF");
    EXPECT_EQ(upper->NativePath, (Root + "/X.ZDF").toStdString());

    // The logbook finds the files the tree shows: z.zdf once, not again through alpha/again.
    QStringList found;
    for (const TFlightFileEntry& file : FindFlightFiles((Root + "/").toStdString()))
        found << QString::fromStdString(file.RelativePath);
    EXPECT_EQ(found, (QStringList{".hidden/h.zdf", "X.ZDF", "Zeta/z.zdf", "a.b.zdf", "b.zdf"}));

    // Every folder read is watched.
    QStringList watched = Folder.WatchedFolders();
    watched.sort();
    EXPECT_EQ(watched, (QStringList{Root, Root + "/.hidden", Root + "/Zeta", Root + "/alpha",
                                    Root + "/alpha/Empty"}));

    // A reading on a thread brings the same, and the limit cuts it breadth first.
    QSignalSpy scanned(&Folder, &TDataFolder::Scanned);
    Folder.SetMaxFolders(3);
    Folder.StartScan();
    EXPECT_TRUE(Folder.IsScanning());
    ASSERT_TRUE(scanned.wait(5000));
    EXPECT_FALSE(Folder.IsScanning());
    const auto limited = scanned[0][0].value<std::shared_ptr<const TFolderEntries>>();
    ASSERT_TRUE(limited);
    EXPECT_FALSE(limited->Complete);
    EXPECT_EQ(Shown(*limited),
              (QStringList{".hidden/", "Zeta/", "a.b", "b", "X", ".hidden/h", "Zeta/z"}));
    EXPECT_EQ(Folder.LimitMessage(), "The data folder " + Root +
                                         " holds more than 3 folders. The tree shows the first 3 "
                                         "of them.");

    // No root, no entries.
    EXPECT_TRUE(TDataFolder::Scan((Root + "/b.zdf").toStdString()).Entries.empty());
}

TEST_F(DataFolder, RenameKeepsTheExtensionAndRefusesTakenAndForeignNames)
{
    File("f1.zdf");
    File("f2.zdf");
    File("Upper.ZDF");
    File("Lety/Sub/a.zdf");
    Mkdir("Other");
    Folder.Read();
    QSignalSpy changed(&Folder, &TDataFolder::Changed);

    TFolderChange change = Folder.Rename(Root + "/f1.zdf", false, "Aaa");
    EXPECT_TRUE(change.Ok) << change.Message.toStdString();
    EXPECT_EQ(change.NewPath, Root + "/Aaa.zdf");
    EXPECT_EQ(change.NewName, "Aaa.zdf");
    EXPECT_TRUE(Exists("Aaa.zdf"));
    EXPECT_FALSE(Exists("f1.zdf"));
    EXPECT_EQ(changed.count(), 1);

    const auto refused = [this](const QString& path, bool isFolder, const QString& text) {
        const TFolderChange c = Folder.Rename(path, isFolder, text);
        EXPECT_FALSE(c.Ok) << text.toStdString();
        return c.Message;
    };
    EXPECT_EQ(refused(Root + "/Aaa.zdf", false, "f2"), "Soubor " + Root + "/f2.zdf už existuje!");
    EXPECT_EQ(refused(Root + "/Aaa.zdf", false, "Upper"),
              "Soubor " + Root + "/Upper.ZDF už existuje!");
    EXPECT_EQ(refused(Root + "/Lety", true, "Other"), "Složka " + Root + "/Other už existuje!");
    for (const QString bad : {"../f9", "sub/f9", "a\\b", ".", ".."})
        EXPECT_TRUE(refused(Root + "/Aaa.zdf", false, bad).contains("nelze použít"))
            << bad.toStdString();
    // The same name or none: nothing to do and nothing to say.
    EXPECT_TRUE(refused(Root + "/Aaa.zdf", false, "Aaa").isEmpty());
    EXPECT_TRUE(refused(Root + "/Aaa.zdf", false, "").isEmpty());
    // Gone behind the program's back: the rename fails with the platform's number.
    EXPECT_TRUE(refused(Root + "/gone.zdf", false, "new").startsWith("Can not rename file \r"));
    EXPECT_EQ(changed.count(), 1);
    QStringList files = QDir(Root).entryList(QDir::Files);
    files.sort();
    EXPECT_EQ(files, (QStringList{"Aaa.zdf", "Upper.ZDF", "f2.zdf"}));

    // A folder takes its watched sub-folders along; the root renames the data folder itself.
    change = Folder.Rename(Root + "/Lety", true, "Zavody");
    ASSERT_TRUE(change.Ok);
    EXPECT_TRUE(Folder.WatchedFolders().contains(Root + "/Zavody/Sub"));
    EXPECT_FALSE(Folder.WatchedFolders().contains(Root + "/Lety/Sub"));
    change = Folder.Rename(Root, true, "Flights");
    ASSERT_TRUE(change.Ok) << change.Message.toStdString();
    const QString moved = Dir.filePath("Flights");
    EXPECT_EQ(Folder.DataDir(), moved);
    EXPECT_EQ(Folder.Root(), moved);
    EXPECT_EQ(Folder.WatchedFolder(), moved);
    EXPECT_TRUE(Folder.WatchedFolders().contains(moved + "/Zavody/Sub"));
    EXPECT_FALSE(Folder.WatchedFolders().contains(Root));
    EXPECT_TRUE(QFileInfo(moved + "/Zavody/Sub/a.zdf").isFile());
}

TEST_F(DataFolder, MoveNeverReplacesAndSaysWhatIsMissing)
{
    File("a.zdf");
    File("x.zdf");
    File("Src/Deep/deep.zdf");
    File("Dst/x.ZDF");
    Mkdir("Dst2");
    Folder.Read();

    TFolderChange change = Folder.Move(Root + "/a.zdf", false, Root + "/Dst/");
    EXPECT_TRUE(change.Ok) << change.Message.toStdString();
    EXPECT_EQ(change.NewPath, Root + "/Dst/a.zdf");
    EXPECT_TRUE(Exists("Dst/a.zdf"));

    change = Folder.Move(Root + "/Src", true, Root + "/Dst2");
    ASSERT_TRUE(change.Ok) << change.Message.toStdString();
    EXPECT_TRUE(Exists("Dst2/Src/Deep/deep.zdf"));
    EXPECT_TRUE(Folder.WatchedFolders().contains(Root + "/Dst2/Src/Deep"));
    EXPECT_FALSE(Folder.WatchedFolders().contains(Root + "/Src"));

    // x.zdf beside x.ZDF would show twice.
    change = Folder.Move(Root + "/x.zdf", false, Root + "/Dst");
    EXPECT_FALSE(change.Ok);
    EXPECT_EQ(change.Message, "\"x\" již existuje v cílové složce!");
    EXPECT_TRUE(Exists("x.zdf"));
    EXPECT_EQ(Folder.Move(Root + "/x.zdf", false, Root + "/Nowhere").Message,
              "Cílová složka nenalezena! " + Root + "/Nowhere");
    EXPECT_EQ(Folder.Move(Root + "/gone.zdf", false, Root + "/Dst").Message,
              "Zdrojový soubor nenalezen! " + Root + "/gone.zdf");
    EXPECT_EQ(Folder.Move(Root + "/Gone", true, Root + "/Dst").Message,
              "Zdrojová složka nenalezena! " + Root + "/Gone");
    // Where it already is, or into itself: nothing to do.
    change = Folder.Move(Root + "/x.zdf", false, Root);
    EXPECT_FALSE(change.Ok);
    EXPECT_TRUE(change.Message.isEmpty());
    EXPECT_TRUE(Folder.Move(Root + "/Dst2", true, Root + "/Dst2").Message.isEmpty());
    // Into its own sub-folder: the platform refuses, and the caller is told to read again.
    change = Folder.Move(Root + "/Dst2", true, Root + "/Dst2/Src");
    EXPECT_FALSE(change.Ok);
    EXPECT_TRUE(change.Message.startsWith("Chyba při přesouvání \"\r" + Root + "/Dst2\" do \"\r"))
        << change.Message.toStdString();
    EXPECT_TRUE(change.Stale);
    EXPECT_TRUE(Exists("Dst2/Src/Deep/deep.zdf"));
}

TEST_F(DataFolder, TrashAsksFirstAndNeverDeletesForGood)
{
    File("keep.zdf");
    File("Dir/f3.zdf");
    Folder.Read();
    QSignalSpy trashed(&Folder, &TDataFolder::Trashed);

    // The caller would not let go of its flights: nothing happens.
    TFolderChange change = Folder.Trash(Root + "/Dir", true, [] { return false; });
    EXPECT_FALSE(change.Ok);
    EXPECT_TRUE(change.Message.isEmpty());
    EXPECT_TRUE(Exists("Dir/f3.zdf"));

    int asked = 0;
    change = Folder.Trash(Root + "/Dir", true, [&] { return ++asked > 0; });
    ASSERT_TRUE(change.Ok) << change.Message.toStdString();
    EXPECT_EQ(asked, 1);
    EXPECT_FALSE(Exists("Dir"));
    EXPECT_TRUE(QFileInfo(change.NewPath + "/f3.zdf").isFile());
    ASSERT_EQ(trashed.count(), 1);
    EXPECT_EQ(trashed[0][0].toString(), Root + "/Dir");
    EXPECT_FALSE(Folder.WatchedFolders().contains(Root + "/Dir"));

    // Without a usable trash the file stays, and the message says why.
    const QByteArray dataHome = qgetenv("XDG_DATA_HOME");
    ASSERT_TRUE(WriteBytes(Dir.filePath("plainfile"), "x"));
    qputenv("XDG_DATA_HOME", QFile::encodeName(Dir.filePath("plainfile/share")));
    change = Folder.Trash(Root + "/keep.zdf", false, {});
    qputenv("XDG_DATA_HOME", dataHome);
    EXPECT_FALSE(change.Ok);
    EXPECT_TRUE(change.Message.startsWith("Chyba při odstraňování keep\rError="))
        << change.Message.toStdString();
    EXPECT_FALSE(change.Message.endsWith("Error=0"));
    EXPECT_TRUE(change.Stale);
    EXPECT_TRUE(Exists("keep.zdf"));
    EXPECT_EQ(trashed.count(), 1);
}

TEST_F(DataFolder, ANewFolderTakesTheNextFreeNameAndIsWatched)
{
    Mkdir("Lety/Nová složka");
    Mkdir("Lety/Nová složka (1)");
    Folder.Read();
    TFolderChange change = Folder.MakeFolder(Root + "/Lety");
    ASSERT_TRUE(change.Ok);
    EXPECT_EQ(change.NewName, "Nová složka (2)");
    EXPECT_TRUE(QFileInfo(Root + "/Lety/Nová složka (2)").isDir());
    EXPECT_TRUE(Folder.WatchedFolders().contains(change.NewPath));

    change = Folder.MakeFolder(Root + "/Missing");
    EXPECT_FALSE(change.Ok);
    EXPECT_EQ(change.Message, "Složku \"" + Root + "/Missing/Nová složka\" nelze vytvořit!");
}

TEST_F(DataFolder, ChangesOnDiskAreReportedOnceSettledAndOnlyWhileWanted)
{
    Mkdir("Dir");
    Folder.Read();
    QSignalSpy disk(&Folder, &TDataFolder::DiskChanged);
    Folder.SetNotifyEnabled(true);

    // Before the window is shown nothing is reported.
    File("Dir/early.zdf");
    QTest::qWait(300);
    EXPECT_EQ(disk.count(), 0);

    Folder.WindowShown();
    for (int i = 0; i < 5; ++i) // a burst, as a download writes it
        File(QString("Dir/burst%1.zdf").arg(i));
    ASSERT_TRUE(QTest::qWaitFor([&] { return disk.count() > 0; }, 3000));
    QTest::qWait(300);
    EXPECT_EQ(disk.count(), 1);

    // Changes while notifications are off are not reported.
    disk.clear();
    Folder.SetNotifyEnabled(false);
    File("Dir/quiet.zdf");
    QTest::qWait(300);
    EXPECT_EQ(disk.count(), 0);

    // A change while an operation holds the folder waits for its end.
    Folder.SetNotifyEnabled(true);
    {
        TDataFolder::THold hold(Folder);
        File("Dir/held.zdf");
        QTest::qWait(300);
        EXPECT_EQ(disk.count(), 0);
    }
    EXPECT_TRUE(QTest::qWaitFor([&] { return disk.count() == 1; }, 3000));

    // A folder other than the root is watched with everything below it.
    Mkdir("../Elsewhere/Deep");
    Folder.Watch(Dir.filePath("Elsewhere"));
    EXPECT_EQ(Folder.WatchedFolders().size(), 2);
    disk.clear();
    ASSERT_TRUE(WriteBytes(Dir.filePath("Elsewhere/Deep/x.zdf"), "x"));
    EXPECT_TRUE(QTest::qWaitFor([&] { return disk.count() == 1; }, 3000));
}
