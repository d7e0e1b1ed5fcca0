// zirko-cli runs the reading commands itself and hands every other command line to zirko-cli-full:
// whichever program answers, the output, the messages and the exit code are the same.
#include "support/ProcessRun.h"
#include "support/TestUtil.h"

#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace zirko::test;

namespace {

using TRun = TProcessRun;

TRun Launch(const QString& program, const QStringList& args)
{
    QTemporaryDir home;
    return RunProcess(program, args, WithCacheHome(home.path() + "/cache"));
}

const QString kFlight = TestDataPath("golden/inputs/notes.zdf");

} // namespace

// The forms of a command line the quick program reads itself, and those it leaves to the whole
// tool (help, usage errors, odd forms, other commands), side by side with the whole tool.
TEST(CliQuick, EveryCommandLineComesOutAsFromTheWholeTool)
{
    QTemporaryDir dir;
    const QString bad = dir.filePath("bad.zdf");
    ASSERT_TRUE(WriteBytes(bad, "<Header>\r\nx\r\n"));
    const QString out = dir.filePath("out.csv");
    const QList<QStringList> lines{
        {"info", kFlight},
        {"info", kFlight, "--marker-threshold", "20"},
        {"info", "--marker-threshold=20", kFlight},
        {"info", kFlight, "-marker-threshold", "20", "--marker-threshold", "-5"},
        {"info", kFlight, "--marker-threshold", "x"},
        {"info", kFlight, "--marker-threshold"},
        {"info", kFlight, "--marker-threshold="},
        {"info"},
        {"info", kFlight, kFlight},
        {"info", kFlight, "--help"},
        {"info", kFlight, "--bogus"},
        {"info", kFlight, "--"},
        {"info", "-"},
        {"info", bad},
        {"info", dir.filePath("missing.zdf")},
        {"info", QString::fromUtf8("\xc5\xa1patn\xc3\xbd.zdf")},
        {"dump", kFlight, "--marker-threshold", "0.5"},
        {"stats", kFlight, kFlight},
        {"stats"},
        {"stats", kFlight, bad},
        {"csv", kFlight},
        {"csv", kFlight, "-o", kFlight},
        {"events", kFlight, "--rules", "f5j"},
        {"--version"},
        {"bogus"},
        {},
    };
    for (const QStringList& args : lines) {
        SCOPED_TRACE(args.join(' ').toStdString());
        const TRun quick = Launch(ZIRKO_CLI_PATH, args);
        const TRun whole = Launch(ZIRKO_CLI_FULL_PATH, args);
        EXPECT_NE(quick.Code, -1);
        EXPECT_EQ(quick.Code, whole.Code);
        EXPECT_EQ(quick.Out, whole.Out);
        EXPECT_EQ(quick.Err, whole.Err);
    }
    // An export written by the quick program is the whole tool's.
    ASSERT_EQ(Launch(ZIRKO_CLI_PATH, {"csv", kFlight, "-o", out}).Code, 0);
    const QByteArray quickCsv = ReadBytes(out);
    ASSERT_EQ(Launch(ZIRKO_CLI_FULL_PATH, {"csv", kFlight, "-o", out}).Code, 0);
    EXPECT_FALSE(quickCsv.isEmpty());
    EXPECT_EQ(quickCsv, ReadBytes(out));
}

// Alone, the quick program still reads flights; what needs the whole tool fails with a message
// that names it.
TEST(CliQuick, WithoutTheWholeToolTheReadingCommandsStillRun)
{
    QTemporaryDir dir;
    const QString alone = dir.filePath("zirko-cli");
    ASSERT_TRUE(QFile::copy(ZIRKO_CLI_PATH, alone));
    ASSERT_TRUE(QFile::setPermissions(alone, QFile::ReadOwner | QFile::ExeOwner));
    const TRun info = Launch(alone, {"info", kFlight});
    EXPECT_EQ(info.Code, 0) << info.Err.toStdString();
    EXPECT_EQ(info.Out, Launch(ZIRKO_CLI_FULL_PATH, {"info", kFlight}).Out);
    const TRun events = Launch(alone, {"events", kFlight});
    EXPECT_EQ(events.Code, 1);
    EXPECT_EQ(events.Out, "");
    EXPECT_EQ(events.Err, "zirko-cli: cannot start zirko-cli-full: No such file or directory.\n");
}
