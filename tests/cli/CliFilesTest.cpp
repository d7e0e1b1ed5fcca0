// zirko-cli against hostile files and outputs: FIFOs and devices refused unopened, output that
// never reached standard output failing the command, and split keeping its flights in --out.
#include "support/ProcessRun.h"
#include "support/TestUtil.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <sys/stat.h>

using namespace zirko::test;

namespace {

struct TRun {
    int Code = -1;
    QString Out;
    QStringList ErrLines;
};

// Runs zirko-cli; with `stdoutFile` its standard output goes there. A run that does not end in
// 20 s is killed and reported with code -1.
TRun RunCli(const QStringList& args, const QString& workDir = {}, const QString& stdoutFile = {})
{
    const TProcessRun p = RunProcess(ZIRKO_CLI_PATH, args, QProcessEnvironment::systemEnvironment(),
                                     20000, {workDir, stdoutFile});
    TRun run;
    run.Code = p.Code;
    run.Out = QString::fromUtf8(p.Out);
    run.ErrLines = QString::fromUtf8(p.Err).split('\n', Qt::SkipEmptyParts);
    return run;
}

const QString kInputs = QString::fromUtf8(ZIRKO_TEST_DATA_DIR) + "/golden/inputs/";

} // namespace

// Output lost on a full disk is a failure, not a success with part of the result.
TEST(CliOutput, AFailedWriteToStandardOutputFailsTheCommand)
{
    QTemporaryDir dir;
    const QString flight = kInputs + "notes.zdf";
    const std::vector<QStringList> commands{
        {"info", flight},
        {"dump", flight},
        {"csv", flight},
        {"notes", flight},
        {"notes", flight, "--format", "rtf"},
        {"stats", flight, flight},
        {"split", kInputs + "memory.img", "--out", dir.filePath("out"), "--date", "d"},
        {"--help"},
        {"info", "--help"},
        {"simulate", "--flights", "0"}, // nobody could learn its device path
    };
    for (const QStringList& args : commands) {
        const std::string what = args.join(' ').toStdString();
        const TRun run = RunCli(args, {}, "/dev/full");
        EXPECT_EQ(run.Code, 1) << what;
        ASSERT_FALSE(run.ErrLines.isEmpty()) << what;
        EXPECT_TRUE(run.ErrLines.last().startsWith("Error in writing standard output"))
            << what << ": " << run.ErrLines.last().toStdString();
        if (args.front() == "simulate")
            continue;
        // The same command into a file succeeds.
        const QString file = dir.filePath("stdout.txt");
        EXPECT_EQ(RunCli(args, {}, file).Code, 0) << what;
        EXPECT_GT(QFile(file).size(), 0) << what;
    }
}

// A FIFO would block the reader forever and /dev/zero would fill the memory: both are refused
// before they are opened.
TEST(CliInput, AnythingButARegularFileIsRefusedUnopened)
{
    QTemporaryDir dir;
    const QString fifo = dir.filePath("flight.zdf");
    ASSERT_EQ(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    const QString out = dir.filePath("out");
    struct TCase {
        QStringList Args;
        QString Refused; // the file named in the message
    };
    const std::vector<TCase> cases{
        {{"info", fifo}, fifo},
        {{"dump", fifo}, fifo},
        {{"csv", fifo}, fifo},
        {{"notes", fifo}, fifo},
        {{"stats", kInputs + "notes.zdf", fifo}, fifo},
        {{"render", fifo, "-o", dir.filePath("chart.png")}, fifo},
        {{"split", fifo, "--out", out}, fifo},
        {{"split", "/dev/zero", "--out", out}, "/dev/zero"},
        {{"info", "/dev/zero"}, "/dev/zero"},
        {{"info", dir.path()}, dir.path()},
        {{"simulate", "--image", fifo}, fifo},
        {{"config", "--port", "/dev/zirko-none", "--set", fifo}, fifo},
    };
    for (const TCase& c : cases) {
        const std::string what = c.Args.join(' ').toStdString();
        QElapsedTimer clock;
        clock.start();
        const TRun run = RunCli(c.Args);
        EXPECT_EQ(run.Code, 1) << what;
        EXPECT_LT(clock.elapsed(), 15000) << what;
        ASSERT_FALSE(run.ErrLines.isEmpty()) << what;
        EXPECT_EQ(run.ErrLines.last(), c.Refused + " is not a regular file.") << what;
        EXPECT_TRUE(run.Out.isEmpty()) << what;
    }
    EXPECT_FALSE(QFile::exists(out));
    EXPECT_FALSE(QFile::exists(dir.filePath("chart.png")));
}

// split keeps every flight in --out: a path in --name gives its file name only, and a link whose
// target is missing is a taken name that nothing is made through.
TEST(CliSplit, FlightsStayInTheOutputFolder)
{
    QTemporaryDir dir;
    const QString out = dir.filePath("out");
    const TRun named = RunCli({"split", kInputs + "memory.img", "--out", out, "--name",
                               "sub/dir/Flight0012.zdf", "--date", "d"});
    ASSERT_EQ(named.Code, 0) << named.ErrLines.join('|').toStdString();
    EXPECT_EQ(QDir(out).entryList(QDir::AllEntries | QDir::NoDotAndDotDot),
              (QStringList{"Flight012.zdf", "Flight013.zdf"}));

    const QString links = dir.filePath("links");
    ASSERT_TRUE(QDir().mkpath(links));
    const QString outside = dir.filePath("outside.zdf");
    ASSERT_TRUE(QFile::link(outside, links + "/Blok001.zdf"));
    const TRun run = RunCli({"split", kInputs + "memory.img", "--out", links, "--date", "d"});
    ASSERT_EQ(run.Code, 0) << run.ErrLines.join('|').toStdString();
    EXPECT_TRUE(run.Out.endsWith("\n2 files succesfully written.\n")) << run.Out.toStdString();
    EXPECT_TRUE(run.ErrLines.contains("Filename " + links +
                                      "/Blok001.zdf already exists and holds a different "
                                      "flight. Keep both saves this flight as " +
                                      links + "/Blok003.zdf. Keep both"))
        << run.ErrLines.join('|').toStdString();
    EXPECT_FALSE(QFile::exists(outside));
    EXPECT_TRUE(QFileInfo(links + "/Blok001.zdf").isSymLink());
    EXPECT_EQ(QDir(links).entryList(QDir::Files | QDir::NoDotAndDotDot),
              (QStringList{"Blok002.zdf", "Blok003.zdf"}));

    // Told to rewrite, the flight takes the link's place; still nothing outside.
    const TRun rewritten = RunCli(
        {"split", kInputs + "memory.img", "--out", links, "--date", "d", "--overwrite", "yes"});
    ASSERT_EQ(rewritten.Code, 0);
    EXPECT_TRUE(rewritten.Out.endsWith("\n1 file succesfully written. 1 flight already saved.\n"))
        << rewritten.Out.toStdString();
    EXPECT_FALSE(QFileInfo(links + "/Blok001.zdf").isSymLink());
    EXPECT_FALSE(QFile::exists(outside));
}

// An export never takes a flight's place: csv -o onto a flight file writes nothing.
TEST(CliCsv, NeverWritesOntoAFlightFile)
{
    QTemporaryDir dir;
    const QString flight = dir.filePath("flight.csv");
    ASSERT_TRUE(QFile::copy(kInputs + "notes.zdf", flight));
    const QByteArray before = ReadBytes(flight);
    for (const QString& target : {flight, dir.filePath("new.zdf")}) {
        const TRun run = RunCli({"csv", kInputs + "notes.zdf", "-o", target});
        EXPECT_EQ(run.Code, 1) << target.toStdString();
        ASSERT_FALSE(run.ErrLines.isEmpty());
        EXPECT_EQ(run.ErrLines.last(),
                  "\"" + target + "\" is a flight data file: an export never replaces it.");
    }
    EXPECT_EQ(ReadBytes(flight), before);
    EXPECT_FALSE(QFile::exists(dir.filePath("new.zdf")));
}
