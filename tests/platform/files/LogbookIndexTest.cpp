// The logbook's index is a cache: it gives the rows the files give, follows renames, moves,
// deletions and edits on disk, and is made again when it is damaged or of another layout.
#include "platform/files/LogbookIndex.h"
#include "support/TestUtil.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace zirko;
using namespace zirko::test;

namespace {

const QByteArray kNotes = ReadBytes(TestDataPath("golden/inputs/notes.zdf"));

QByteArray Flight(const QByteArray& model)
{
    QByteArray bytes = kNotes;
    return bytes.replace("RxOffsetY=2.50\r\n", "RxOffsetY=2.50\r\nModel=" + model + "\r\n");
}

class LogbookIndex : public ::testing::Test {
protected:
    void SetUp() override
    {
        Root = Dir.filePath("flights");
        ASSERT_TRUE(QDir().mkpath(Root + "/2026"));
        Database = Dir.filePath("cache/logbook.sqlite");
    }
    // "path=model" of every row, read through a fresh index at Database.
    QString Rows()
    {
        TLogbookIndex index(Database);
        EXPECT_TRUE(index.Usable());
        const auto files = FindFlightFiles(Root.toStdString());
        QStringList out;
        for (const auto& r : IndexedLogbookRows(Root.toStdString(), files, {}, nullptr, &index))
            out << QString::fromStdString(r.Path + "=" +
                                          (r.Error.empty() ? r.Details.Model : r.Error));
        return out.join(' ');
    }
    // The paths the index holds, relative to Root.
    QStringList Stored()
    {
        TLogbookIndex index(Database);
        QStringList out;
        const std::string root = QDir(Root).absolutePath().toStdString();
        for (const auto& [path, s] : index.Load(root))
            out << QString::fromStdString(path.substr(root.size() + 1));
        out.sort();
        return out;
    }
    QTemporaryDir Dir;
    QString Root;
    QString Database;
};

} // namespace

TEST_F(LogbookIndex, UnchangedFilesComeFromTheIndex)
{
    const QString a = Root + "/a.zdf";
    const QDateTime time = QDateTime::currentDateTime().addSecs(-60);
    const auto write = [&](const QByteArray& bytes) {
        QFile f(a);
        return f.open(QIODevice::WriteOnly | QIODevice::Truncate) &&
               f.write(bytes) == bytes.size() && f.flush() &&
               f.setFileTime(time, QFileDevice::FileModificationTime);
    };
    ASSERT_TRUE(write(Flight("AAAA")));
    EXPECT_EQ(Rows(), "a.zdf=AAAA");
    // Same size and time: the stored row stands (that is what makes a warm start fast)...
    ASSERT_TRUE(write(Flight("BBBB")));
    EXPECT_EQ(Rows(), "a.zdf=AAAA");
    // ...and without the index the file is read.
    const auto files = FindFlightFiles(Root.toStdString());
    EXPECT_EQ(IndexedLogbookRows(Root.toStdString(), files, {}, nullptr, nullptr)[0].Details.Model,
              "BBBB");
}

TEST_F(LogbookIndex, FollowsRenameMoveDeleteAndEditOnDisk)
{
    ASSERT_TRUE(WriteBytes(Root + "/a.zdf", Flight("A")));
    ASSERT_TRUE(WriteBytes(Root + "/b.zdf", Flight("B")));
    ASSERT_TRUE(WriteBytes(Root + "/2026/c.zdf", Flight("C")));
    EXPECT_EQ(Rows(), "2026/c.zdf=C a.zdf=A b.zdf=B");
    EXPECT_EQ(Stored(), (QStringList{"2026/c.zdf", "a.zdf", "b.zdf"}));

    ASSERT_TRUE(QFile::rename(Root + "/a.zdf", Root + "/renamed.zdf"));
    ASSERT_TRUE(QFile::rename(Root + "/b.zdf", Root + "/2026/b.zdf"));
    EXPECT_EQ(Rows(), "2026/b.zdf=B 2026/c.zdf=C renamed.zdf=A");
    EXPECT_EQ(Stored(), (QStringList{"2026/b.zdf", "2026/c.zdf", "renamed.zdf"}));

    ASSERT_TRUE(QFile::remove(Root + "/2026/c.zdf"));
    ASSERT_TRUE(WriteBytes(Root + "/renamed.zdf", Flight("Edited")));
    ASSERT_TRUE(WriteBytes(Root + "/2026/b.zdf", "<Header>\r\n"));
    EXPECT_EQ(Rows(), "2026/b.zdf=Unexpected end of file renamed.zdf=Edited");
    EXPECT_EQ(Stored(), (QStringList{"2026/b.zdf", "renamed.zdf"}));

    // A folder beside the root whose name starts like it keeps its own rows.
    const QString other = Root + "-other";
    ASSERT_TRUE(QDir().mkpath(other));
    ASSERT_TRUE(WriteBytes(other + "/x.zdf", Flight("X")));
    {
        TLogbookIndex index(Database);
        const auto files = FindFlightFiles(other.toStdString());
        IndexedLogbookRows(other.toStdString(), files, {}, nullptr, &index);
    }
    EXPECT_EQ(Rows(), "2026/b.zdf=Unexpected end of file renamed.zdf=Edited");
    TLogbookIndex index(Database);
    EXPECT_EQ(index.Load(QDir(other).absolutePath().toStdString()).size(), 1u);
}

TEST_F(LogbookIndex, DamagedOrOlderIndexIsMadeAgainAndAMissingOneCostsNothing)
{
    ASSERT_TRUE(WriteBytes(Root + "/a.zdf", Flight("A")));
    ASSERT_TRUE(QDir().mkpath(Dir.filePath("cache")));
    ASSERT_TRUE(WriteBytes(Database, QByteArray(4096, 'x')));
    EXPECT_EQ(Rows(), "a.zdf=A");
    EXPECT_EQ(Stored(), QStringList{"a.zdf"});

    {
        QSqlDatabase db = QSqlDatabase::addDatabase("QSQLITE", "older");
        db.setDatabaseName(Database);
        ASSERT_TRUE(db.open());
        QSqlQuery q(db);
        ASSERT_TRUE(q.exec("UPDATE meta SET value = 'index 0' WHERE key = 'layout'"));
        db.close();
    }
    QSqlDatabase::removeDatabase("older");
    EXPECT_TRUE(Stored().isEmpty()); // another layout: nothing of it is trusted
    EXPECT_EQ(Rows(), "a.zdf=A");
    EXPECT_EQ(Stored(), QStringList{"a.zdf"});

    // An index that cannot be made at all leaves every file to be read.
    ASSERT_TRUE(WriteBytes(Dir.filePath("file"), "x"));
    TLogbookIndex nowhere(Dir.filePath("file/logbook.sqlite"));
    EXPECT_FALSE(nowhere.Usable());
    const auto files = FindFlightFiles(Root.toStdString());
    const auto rows = IndexedLogbookRows(Root.toStdString(), files, {}, nullptr, &nowhere);
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_EQ(rows[0].Details.Model, "A");
}
