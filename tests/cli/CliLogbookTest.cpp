// zirko-cli tag changes only the extra section of each file; zirko-cli logbook lists every flight
// file under a folder as the tree finds them, with a row and its message for a file not read.
#include "support/ProcessRun.h"
#include "support/TestUtil.h"

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace zirko::test;

namespace {

struct TRun {
    int Code = -1;
    QByteArray Out;
    QString Err;
};

// Each run has a cache folder of its own unless `cache` names one.
TRun Cli(const QStringList& args, const QString& cache = {})
{
    QTemporaryDir home;
    const TProcessRun p = RunProcess(
        ZIRKO_CLI_PATH, args, WithCacheHome(cache.isEmpty() ? home.path() + "/cache" : cache));
    return {p.Code, p.Out, QString::fromUtf8(p.Err)};
}

const QByteArray kNotes = ReadBytes(TestDataPath("golden/inputs/notes.zdf"));
const QByteArray kExtra = "<Extra>\r\nRxOffsetY=2.50\r\n</Extra>\r\n";

QByteArray WithExtra(const QByteArray& lines)
{
    QByteArray bytes = kNotes;
    const qsizetype at = bytes.lastIndexOf(kExtra);
    return bytes.replace(at, kExtra.size(),
                         "<Extra>\r\nRxOffsetY=2.50\r\n" + lines + "</Extra>\r\n");
}

QJsonArray Rows(const TRun& run)
{
    return QJsonDocument::fromJson(run.Out).array();
}

QStringList Column(const QJsonArray& rows, const QString& field)
{
    QStringList out;
    for (const auto& r : rows)
        out << r.toObject().value(field).toVariant().toString();
    return out;
}

} // namespace

TEST(CliTag, ChangesOnlyTheExtraSectionAndEmptyValuesRemoveLines)
{
    ASSERT_TRUE(kNotes.endsWith(kExtra));
    QTemporaryDir dir;
    const QString a = dir.filePath("a.zdf");
    const QString b = dir.filePath("b.zdf");
    ASSERT_TRUE(WriteBytes(a, kNotes) && WriteBytes(b, kNotes));
    ASSERT_TRUE(QFile::setPermissions(b, QFile::ReadOwner | QFile::WriteOwner));
    const QFile::Permissions permissions = QFile::permissions(b);

    TRun run = Cli({"tag", a, b, "--model", "Pike\nPerfect", "--site", "Raná", "--tags",
                    "thermal , F5J", "--add-tag", "calm"});
    ASSERT_EQ(run.Code, 0) << run.Err.toStdString();
    const QByteArray tagged =
        WithExtra("Model=Pike Perfect\r\nSite=Raná\r\nTags=thermal, F5J, calm\r\n");
    EXPECT_EQ(ReadBytes(a), tagged);
    EXPECT_EQ(ReadBytes(b), tagged);
    EXPECT_EQ(QFile::permissions(b), permissions);

    run = Cli({"tag", a, "--site", "", "--remove-tag", "f5j", "--pilot", "Eva"});
    ASSERT_EQ(run.Code, 0) << run.Err.toStdString();
    EXPECT_EQ(ReadBytes(a), WithExtra("Model=Pike Perfect\r\nTags=thermal, calm\r\nPilot=Eva\r\n"));

    run = Cli({"tag", a, "--model", "", "--tags", "", "--pilot", ""});
    ASSERT_EQ(run.Code, 0) << run.Err.toStdString();
    EXPECT_EQ(ReadBytes(a), kNotes);
}

TEST(CliTag, RefusalsChangeNoFile)
{
    QTemporaryDir dir;
    const QString a = dir.filePath("a.zdf");
    const QString bad = dir.filePath("bad.zdf");
    ASSERT_TRUE(WriteBytes(a, kNotes));
    ASSERT_TRUE(WriteBytes(bad, ReadBytes(TestDataPath("golden/inputs/seed-bad.zdf"))));

    TRun run = Cli({"tag", a, "--model", "x RxOffsetY=5"});
    EXPECT_EQ(run.Code, 1);
    EXPECT_TRUE(run.Err.contains("RxOffsetY"));
    run = Cli({"tag", a, bad, "--model", "Pike"});
    EXPECT_EQ(run.Code, 1);
    run = Cli({"tag", a, dir.filePath("none.zdf"), "--model", "Pike"});
    EXPECT_EQ(run.Code, 1);
    EXPECT_TRUE(run.Err.endsWith("Error in reading file.\n")) << run.Err.toStdString();
    run = Cli({"tag", a});
    EXPECT_EQ(run.Code, 2);
    EXPECT_TRUE(run.Err.startsWith("zirko-cli tag: No detail to set given"));
    EXPECT_EQ(ReadBytes(a), kNotes);
    EXPECT_TRUE(QDir(dir.path()).entryList(QDir::Files) == (QStringList{"a.zdf", "bad.zdf"}));
}

TEST(CliLogbook, EveryFlightFileUnderTheFolderAsTheTreeFindsThem)
{
    QTemporaryDir dir;
    QDir root(dir.path());
    ASSERT_TRUE(root.mkpath("2026/Raná") && root.mkpath(".hidden") && root.mkpath("empty"));
    ASSERT_TRUE(WriteBytes(root.filePath("top.zdf"), WithExtra("Model=Pike\r\nTags=a, b\r\n")));
    ASSERT_TRUE(WriteBytes(root.filePath("2026/Raná/Let 1.ZDF"), WithExtra("Site=Raná\r\n")));
    ASSERT_TRUE(WriteBytes(root.filePath(".hidden/h.zdf"), kNotes));
    ASSERT_TRUE(WriteBytes(root.filePath("2026/broken.zdf"), "<Header>\r\nx\r\n"));
    ASSERT_TRUE(WriteBytes(root.filePath("2026/notes.txt"), "no flight"));
    // A link back to the top would make the walk endless, and a folder already read is not read
    // again through a link; one reached only through a link is read there.
    ASSERT_TRUE(QFile::link(root.path(), root.filePath("2026/loop")));
    ASSERT_TRUE(QFile::link(root.filePath(".hidden"), root.filePath("again")));
    QTemporaryDir outside;
    ASSERT_TRUE(WriteBytes(QDir(outside.path()).filePath("h.zdf"), kNotes));
    ASSERT_TRUE(QFile::link(outside.path(), root.filePath("linked")));

    TRun run = Cli({"logbook", root.path()});
    ASSERT_EQ(run.Code, 0) << run.Err.toStdString();
    QJsonArray rows = Rows(run);
    EXPECT_EQ(Column(rows, "path"),
              (QStringList{".hidden/h.zdf", "2026/broken.zdf", "2026/Raná/Let 1.ZDF",
                           "linked/h.zdf", "top.zdf"}));
    EXPECT_EQ(Column(rows, "name"), (QStringList{"h", "broken", "Let 1", "h", "top"}));
    EXPECT_EQ(Column(rows, "folder"), (QStringList{".hidden", "2026", "2026/Raná", "linked", ""}));
    const QJsonObject broken = rows[1].toObject();
    EXPECT_EQ(broken["error"].toString(), "Unexpected end of file");
    EXPECT_TRUE(broken["maxAltitude"].isNull());
    EXPECT_TRUE(broken["model"].isNull());
    const QJsonObject top = rows[4].toObject();
    EXPECT_TRUE(top["error"].isNull());
    EXPECT_EQ(top["date"].toString(), "1.2.2024 10:00:00");
    EXPECT_EQ(top["model"].toString(), "Pike");
    EXPECT_EQ(top["tags"].toArray(), (QJsonArray{"a", "b"}));
    EXPECT_GT(top["samples"].toInt(), 0);

    run = Cli({"logbook", root.path(), "--filter", "-name:h raná", "--format", "csv"});
    ASSERT_EQ(run.Code, 0) << run.Err.toStdString();
    const QList<QByteArray> lines = run.Out.split('\n');
    ASSERT_EQ(lines.size(), 3);
    EXPECT_TRUE(lines[0].startsWith("path,name,folder,date,model,site,pilot,tags,samples,"));
    EXPECT_TRUE(
        lines[1].startsWith("2026/Raná/Let 1.ZDF,Let 1,2026/Raná,1.2.2024 10:00:00,,Raná,"));

    run = Cli({"logbook", root.path(), "--filter", "samples>0", "--sort", "-name,path"});
    ASSERT_EQ(run.Code, 0) << run.Err.toStdString();
    EXPECT_EQ(Column(Rows(run), "path"),
              (QStringList{"top.zdf", "2026/Raná/Let 1.ZDF", ".hidden/h.zdf", "linked/h.zdf"}));
}

TEST(CliLogbook, BadFiltersSortsAndFoldersAreRefused)
{
    QTemporaryDir dir;
    TRun run = Cli({"logbook", dir.path(), "--filter", "date>=May"});
    EXPECT_EQ(run.Code, 2);
    EXPECT_TRUE(run.Err.startsWith("zirko-cli logbook: A date in the filter"))
        << run.Err.toStdString();
    run = Cli({"logbook", dir.path(), "--sort", "height"});
    EXPECT_EQ(run.Code, 2);
    run = Cli({"logbook", dir.path(), "--format", "xml"});
    EXPECT_EQ(run.Code, 2);
    run = Cli({"logbook", dir.filePath("none")});
    EXPECT_EQ(run.Code, 1);
    run = Cli({"logbook", dir.path()});
    EXPECT_EQ(run.Code, 0);
    EXPECT_EQ(run.Out, "[]\n");
}

TEST(CliLogbook, TheIndexServesNoRowAnalysedWithOtherProfiles)
{
    QTemporaryDir dir;
    QTemporaryDir cache;
    QDir root(dir.path());
    ASSERT_TRUE(root.mkpath("flights"));
    const QString flights = root.filePath("flights");
    ASSERT_TRUE(WriteBytes(flights + "/a.zdf", WithExtra("Model=Pike\r\n")));
    ASSERT_TRUE(WriteBytes(flights + "/b.zdf", WithExtra("Model=Supra\r\n")));
    const QString models = flights + "/models.ini";
    const auto rules = [&](const QStringList& extra = {}) {
        const TRun run = Cli(QStringList{"logbook", flights} + extra, cache.path());
        EXPECT_EQ(run.Code, 0) << run.Err.toStdString();
        return Column(Rows(run), "rules");
    };

    // The folder's own models.ini is taken without being named.
    ASSERT_TRUE(WriteBytes(models, "[pike]\r\nRules=f5j\r\n"));
    EXPECT_EQ(rules(), (QStringList{"f5j", "none"}));
    // A changed profile is seen although the flight files did not change.
    ASSERT_TRUE(WriteBytes(models, "[Pike]\r\nRules=ales\r\n[Supra]\r\nRules=f5j\r\n"));
    EXPECT_EQ(rules(), (QStringList{"ales", "f5j"}));
    const QString other = root.filePath("other.ini");
    ASSERT_TRUE(WriteBytes(other, "[Supra]\r\nRules=ales\r\n"));
    EXPECT_EQ(rules({"--models", other}), (QStringList{"none", "ales"}));
    ASSERT_TRUE(QFile::remove(models));
    EXPECT_EQ(rules(), (QStringList{"none", "none"}));

    const TRun missing = Cli({"logbook", flights, "--models", root.filePath("none.ini")});
    EXPECT_EQ(missing.Code, 1);
    EXPECT_TRUE(missing.Err.endsWith("Models file not found: " + root.filePath("none.ini") + "\n"))
        << missing.Err.toStdString();
}

// A folder with more folders than the walk takes: the rows of those walked, and the note on
// stderr (the output itself stays a clean table).
TEST(CliLogbook, TheFolderLimitIsNamedOnStderr)
{
    QTemporaryDir dir;
    ASSERT_TRUE(WriteBytes(dir.filePath("top.zdf"), kNotes));
    QDir root(dir.path());
    for (int i = 0; i < 20000; ++i)
        ASSERT_TRUE(root.mkdir(QString("f%1").arg(i, 5, 10, QChar('0'))));
    // The last folder of the walk (root first, then names in order) is beyond the limit.
    ASSERT_TRUE(WriteBytes(dir.filePath("f00000/first.zdf"), kNotes));
    ASSERT_TRUE(WriteBytes(dir.filePath("f19999/last.zdf"), kNotes));
    const TRun run = Cli({"logbook", dir.path(), "--no-cache"});
    EXPECT_EQ(run.Code, 0) << run.Err.toStdString();
    EXPECT_EQ(Column(Rows(run), "path"), (QStringList{"f00000/first.zdf", "top.zdf"}));
    EXPECT_EQ(run.Err, "The data folder " + dir.path() +
                           " holds more than 20000 folders. The logbook shows the flights of the "
                           "first 20000 of them.\n");

    ASSERT_TRUE(root.rmdir("f19998"));
    const TRun whole = Cli({"logbook", dir.path(), "--no-cache"});
    EXPECT_EQ(whole.Code, 0);
    EXPECT_EQ(Column(Rows(whole), "path"),
              (QStringList{"f00000/first.zdf", "f19999/last.zdf", "top.zdf"}));
    EXPECT_EQ(whole.Err, "");
}
