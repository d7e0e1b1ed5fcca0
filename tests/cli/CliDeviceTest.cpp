// zirko-cli download, config, erase and split against zirko-cli simulate over a pseudo-terminal.
#include "core/device/LoggerSimulator.h"
#include "platform/files/FlightFile.h"
#include "platform/serial/PseudoTerminal.h"
#include "support/FlightShape.h"
#include "support/ProcessRun.h"
#include "support/TestUtil.h"

#include <QDateTime>
#include <QDir>
#include <QElapsedTimer>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>

void PrintTo(const QString& text, std::ostream* out)
{
    *out << '"' << text.toStdString() << '"';
}

namespace {

struct TRun {
    int ExitCode = -1;
    QString Out;
    QString Err;
    QStringList ErrLines() const { return Err.split('\n', Qt::SkipEmptyParts); }
};

TRun Finished(const zirko::test::TProcessRun& p)
{
    return {p.Code, QString::fromUtf8(p.Out), QString::fromUtf8(p.Err)};
}

TRun RunCli(const QStringList& args, int timeoutMs = 60000)
{
    return Finished(zirko::test::RunProcess(ZIRKO_CLI_PATH, args,
                                            QProcessEnvironment::systemEnvironment(), timeoutMs));
}

// A running `zirko-cli simulate`; stopped with SIGTERM when the test ends.
class TSimulator {
public:
    explicit TSimulator(const QStringList& options = {})
    {
        Process.start(ZIRKO_CLI_PATH, QStringList{"simulate"} + options);
        if (Process.waitForStarted(10000))
            while (!Process.canReadLine() && Process.waitForReadyRead(10000)) {
            }
        Port = QString::fromUtf8(Process.readLine()).trimmed();
    }
    ~TSimulator() { Stop(); }
    // The exit code of a clean stop.
    int Stop()
    {
        if (Process.state() == QProcess::NotRunning)
            return Process.exitCode();
        Process.terminate();
        if (!Process.waitForFinished(10000)) {
            Process.kill();
            Process.waitForFinished();
            return -1;
        }
        return Process.exitStatus() == QProcess::NormalExit ? Process.exitCode() : -1;
    }
    QString Port;

private:
    QProcess Process;
};

QStringList Files(const QString& dir)
{
    return QDir(dir).entryList(QDir::Files, QDir::Name);
}

zirko::TDataBlock ReadFlight(const QString& path)
{
    zirko::TDataBlock flight;
    const auto result = zirko::ReadDataFile(path.toStdString(), flight, 0);
    EXPECT_EQ(result.Status, zirko::TReadStatus::Ok) << result.Message;
    EXPECT_GT(result.Count, 0);
    return flight;
}

} // namespace

TEST(CliDownload, SavesEveryFlightOfTheSimulatedLoggerAndStopsCleanly)
{
    TSimulator sim({"--flights", "2"});
    ASSERT_TRUE(sim.Port.startsWith("/dev/")) << sim.Port.toStdString();
    QTemporaryDir out;
    const QString dir = out.path() + "/flights";
    const TRun run = RunCli({"download", "--port", sim.Port, "--out", dir, "--date", "1.2.2026"});
    ASSERT_EQ(run.ExitCode, 0) << run.Err.toStdString();
    EXPECT_EQ(run.Out, "Data reading finished (2 blocks read.)\n2 files succesfully written.\n");
    for (const char* status : {"Connected to Zirko", "Reading firmware finished.",
                               "Config file reading finished.", "Data reading started."})
        EXPECT_TRUE(run.Err.contains(status)) << status;
    EXPECT_TRUE(run.ErrLines().first().startsWith("Waiting for Zirko at " + sim.Port));
    // stderr is a pipe here: no progress line, no terminal control codes.
    EXPECT_FALSE(run.Err.contains("blocks read,")) << run.Err.toStdString();
    EXPECT_FALSE(run.Err.contains('\r'));
    EXPECT_EQ(Files(dir), (QStringList{"Blok001.zdf", "Blok002.zdf"}));
    const zirko::TDataBlock flight = ReadFlight(dir + "/Blok001.zdf");
    EXPECT_EQ(flight.DateText, "1.2.2026");
    EXPECT_EQ(flight.ChannelMask, 0xC800);
    EXPECT_FALSE(flight.Altitude.empty());
    EXPECT_DOUBLE_EQ(flight.Altitude.front(), 0.0);
    EXPECT_GT(*std::max_element(flight.Altitude.begin(), flight.Altitude.end()), 50.0);
    EXPECT_EQ(sim.Stop(), 0);
}

TEST(CliDownload, ShowsItsProgressWhenStderrIsATerminal)
{
    TSimulator sim({"--flights", "3", "--pace", "20000"});
    ASSERT_TRUE(sim.Port.startsWith("/dev/")) << sim.Port.toStdString();
    auto terminal = zirko::TPseudoTerminal::Create();
    ASSERT_TRUE(terminal.Terminal) << terminal.Message.toStdString();
    QTemporaryDir out;
    QProcess process;
    process.setStandardErrorFile(terminal.Terminal->SlavePath());
    process.start(ZIRKO_CLI_PATH,
                  {"download", "--port", sim.Port, "--out", out.path(), "--date", "1.2.2026"});
    QByteArray err;
    while (!process.waitForFinished(50))
        err += terminal.Terminal->ReadAvailable();
    err += terminal.Terminal->ReadAvailable();
    ASSERT_EQ(process.exitCode(), 0) << err.toStdString();
    EXPECT_TRUE(process.readAllStandardOutput().endsWith("\n3 files succesfully written.\n"));
    const QString text = QString::fromUtf8(err);
    EXPECT_TRUE(text.contains(QRegularExpression(R"([0-9]+ blocks read, [0-9]+ of [0-9]+ bytes)")))
        << err.toStdString();
    // The progress line is wiped before each later text, so every status line stays whole.
    EXPECT_TRUE(err.contains("\r\033[K")) << err.toStdString();
    for (const QString& line : text.split('\n', Qt::SkipEmptyParts)) {
        const QString shown = line.section("\r\033[K", -1);
        if (!shown.contains("blocks read,")) {
            EXPECT_FALSE(shown.isEmpty()) << line.toStdString();
        }
    }
    EXPECT_TRUE(text.contains("Data reading started.")) << err.toStdString();
}

TEST(CliDownload, RecoversFromBadCheckBytesAndNeverOverwritesByDefault)
{
    TSimulator sim({"--flights", "1", "--bad-block", "0", "--bad-times", "3"});
    QTemporaryDir out;
    const TRun first =
        RunCli({"download", "--port", sim.Port, "--out", out.path(), "--name", "Flight0012.zdf"});
    ASSERT_EQ(first.ExitCode, 0) << first.Err.toStdString();
    EXPECT_EQ(Files(out.path()), QStringList{"Flight012.zdf"});
    const QString path = out.path() + "/Flight012.zdf";
    const QByteArray saved = zirko::test::ReadBytes(path);

    // The same flight again: already saved, nothing asked or written.
    const TRun again = RunCli({"download", "--port", sim.Port, "--out", out.path(), "--name",
                               "Flight0012.zdf", "--date", "other"});
    ASSERT_EQ(again.ExitCode, 0) << again.Err.toStdString();
    EXPECT_TRUE(again.Out.endsWith("0 files succesfully written. 1 flight already saved.\n"))
        << again.Out.toStdString();
    EXPECT_TRUE(again.Err.contains("Flight already saved as " + path + "."));
    EXPECT_EQ(zirko::test::ReadBytes(path), saved);
    EXPECT_EQ(Files(out.path()), QStringList{"Flight012.zdf"});

    // Another flight under that name: kept beside it by default, skipped with no, rewritten
    // with yes.
    zirko::TDataBlock other = ReadFlight(path);
    other.Altitude[3] += 1;
    ASSERT_TRUE(zirko::WriteDataFile(path.toStdString(), other).Ok());
    const QByteArray changed = zirko::test::ReadBytes(path);
    const TRun kept = RunCli({"download", "--port", sim.Port, "--out", out.path(), "--name",
                              "Flight0012.zdf", "--date", "other"});
    ASSERT_EQ(kept.ExitCode, 0) << kept.Err.toStdString();
    EXPECT_TRUE(kept.Out.endsWith("\n1 file succesfully written.\n"));
    EXPECT_TRUE(kept.Err.contains("Filename " + path +
                                  " already exists and holds a different "
                                  "flight. Keep both saves this flight as " +
                                  out.path() + "/Flight013.zdf. Keep both"))
        << kept.Err.toStdString();
    EXPECT_EQ(Files(out.path()), (QStringList{"Flight012.zdf", "Flight013.zdf"}));
    EXPECT_EQ(zirko::test::ReadBytes(path), changed);

    const TRun skipped = RunCli({"download", "--port", sim.Port, "--out", out.path(), "--name",
                                 "Flight0012.zdf", "--date", "other", "--overwrite", "no"});
    ASSERT_EQ(skipped.ExitCode, 0) << skipped.Err.toStdString();
    EXPECT_TRUE(skipped.Out.endsWith("\n0 files succesfully written. 1 flight skipped.\n"));
    EXPECT_EQ(zirko::test::ReadBytes(path), changed);

    const TRun rewritten = RunCli({"download", "--port", sim.Port, "--out", out.path(), "--name",
                                   "Flight0012.zdf", "--date", "other", "--overwrite", "yes"});
    ASSERT_EQ(rewritten.ExitCode, 0) << rewritten.Err.toStdString();
    EXPECT_TRUE(rewritten.Out.endsWith("1 file succesfully written.\n"));
    EXPECT_EQ(ReadFlight(path).DateText, "other");
    EXPECT_EQ(Files(out.path()).size(), 2);
}

TEST(CliDownload, ProtocolFailuresSaveNothing)
{
    struct TCase {
        QStringList Faults;
        QString Message;
    };
    const TCase cases[] = {
        {{"--silent-after", "1"}, "Communication error, no response from device"},
        {{"--bad-block", "1", "--bad-times", "11"},
         "Communication error, bad CRC more then 10 times."},
        {{"--wrong-echo", "0"}, "Communication error"},
    };
    for (const TCase& c : cases) {
        TSimulator sim(QStringList{"--flights", "3"} + c.Faults);
        QTemporaryDir out;
        const TRun run = RunCli({"download", "--port", sim.Port, "--out", out.path()});
        EXPECT_EQ(run.ExitCode, 1) << c.Message.toStdString();
        ASSERT_FALSE(run.ErrLines().isEmpty());
        EXPECT_EQ(run.ErrLines().last(), c.Message);
        EXPECT_TRUE(Files(out.path()).isEmpty()) << c.Message.toStdString();
        EXPECT_TRUE(run.Out.isEmpty());
    }
}

TEST(CliSimulate, FlightFaultSwitchesGiveTheirFlightARestartOrALostServoSignal)
{
    TSimulator sim({"--flights", "3", "--motor-restart", "2", "--servo-loss", "3"});
    QTemporaryDir out;
    const TRun run = RunCli({"download", "--port", sim.Port, "--out", out.path(), "--date", "d"});
    ASSERT_EQ(run.ExitCode, 0) << run.Err.toStdString();
    std::vector<size_t> runs;
    std::vector<size_t> losses;
    for (const QString& name : Files(out.path())) {
        const zirko::TDataBlock flight = ReadFlight(out.path() + "/" + name);
        runs.push_back(zirko::test::MotorRuns(flight.Rx).size());
        losses.push_back(zirko::test::SignalLosses(flight.Rx).size());
        EXPECT_GE(*std::max_element(flight.Rx.begin(), flight.Rx.end()), 99.0);
    }
    EXPECT_EQ(runs, (std::vector<size_t>{1, 2, 1}));
    EXPECT_EQ(losses, (std::vector<size_t>{0, 0, 1}));

    // A flight that is not there, or flights the simulator does not make, are refused.
    const TRun missing = RunCli({"simulate", "--flights", "2", "--motor-restart", "3"});
    EXPECT_EQ(missing.ExitCode, 1);
    ASSERT_FALSE(missing.ErrLines().isEmpty());
    EXPECT_EQ(missing.ErrLines().last(),
              "--motor-restart takes a flight number from 1 to 2, or 0 for every flight.");
    const QString image = out.path() + "/memory.bin";
    ASSERT_TRUE(zirko::test::WriteBytes(image, QByteArray(64, '\x11')));
    const TRun imaged = RunCli({"simulate", "--image", image, "--servo-loss", "1"});
    EXPECT_EQ(imaged.ExitCode, 1);
    ASSERT_FALSE(imaged.ErrLines().isEmpty());
    EXPECT_EQ(imaged.ErrLines().last(),
              "--motor-restart and --servo-loss work on generated flights, not on an --image.");
    EXPECT_TRUE(RunCli({"simulate", "--servo-loss", "x"}).Err.contains("flight number"));
}

TEST(CliDownload, NoHandshakeInTimeIsExitTwo)
{
    auto pty = QTemporaryDir();
    // A pseudo-terminal nobody answers on: `simulate` with its device never switched on is not
    // possible, so a second program holds a silent pair open.
    QProcess holder;
    holder.start("python3", {"-c", "import os,sys,time\nm,s=os.openpty()\n"
                                   "print(os.ttyname(s),flush=True)\ntime.sleep(30)"});
    ASSERT_TRUE(holder.waitForReadyRead(10000));
    const QString port = QString::fromUtf8(holder.readLine()).trimmed();
    const TRun run = RunCli({"download", "--port", port, "--out", pty.path(), "--wait", "1"});
    holder.kill();
    holder.waitForFinished();
    EXPECT_EQ(run.ExitCode, 2);
    ASSERT_FALSE(run.ErrLines().isEmpty());
    EXPECT_EQ(run.ErrLines().last(), "No answer from logger at " + port);
}

// A long wait is waited for: seconds turn into milliseconds without overflow.
TEST(CliDownload, TheLongestWaitIsNotCutShort)
{
    QTemporaryDir out;
    QProcess holder;
    holder.start("python3", {"-c", "import os,sys,time\nm,s=os.openpty()\n"
                                   "print(os.ttyname(s),flush=True)\ntime.sleep(30)"});
    ASSERT_TRUE(holder.waitForReadyRead(10000));
    const QString port = QString::fromUtf8(holder.readLine()).trimmed();
    QProcess download;
    download.start(ZIRKO_CLI_PATH,
                   {"download", "--port", port, "--out", out.path(), "--wait", "2147483"});
    ASSERT_TRUE(download.waitForStarted());
    EXPECT_FALSE(download.waitForFinished(3000)) << download.readAllStandardError().toStdString();
    download.kill();
    download.waitForFinished();
    holder.kill();
    holder.waitForFinished();
}

TEST(CliDownload, AMissingPortFailsWithTheOpenText)
{
    QTemporaryDir out;
    const TRun run = RunCli({"download", "--port", "/dev/zirko-none", "--out", out.path()});
    EXPECT_EQ(run.ExitCode, 1);
    EXPECT_EQ(run.ErrLines().last(), "CreateFile failed with error 2  ,/dev/zirko-none.");
}

TEST(CliConfig, GetSetRoundTripAndFailedVerification)
{
    TSimulator sim({"--flights", "0", "--corrupt-readback", "1"});
    QTemporaryDir dir;
    const QString got = dir.path() + "/config.bin";
    const TRun get = RunCli({"config", "--port", sim.Port, "--get", got});
    ASSERT_EQ(get.ExitCode, 0) << get.Err.toStdString();
    QByteArray config = zirko::test::ReadBytes(got);
    ASSERT_EQ(config.size(), 264);

    config[30] = 0;
    config[31] = 50; // sampling 0.5 s
    const QString changed = dir.path() + "/changed.bin";
    ASSERT_TRUE(zirko::test::WriteBytes(changed, config));
    // The first read-back is corrupted by the simulator: the verification must catch it.
    const TRun corrupted = RunCli({"config", "--port", sim.Port, "--set", changed});
    EXPECT_EQ(corrupted.ExitCode, 1);
    EXPECT_EQ(corrupted.ErrLines().last(), "Verifying config file failed.");

    const TRun set = RunCli({"config", "--port", sim.Port, "--set", changed});
    ASSERT_EQ(set.ExitCode, 0) << set.Err.toStdString();
    EXPECT_TRUE(set.Err.contains("Config file writing finished."));
    const QString back = dir.path() + "/back.bin";
    ASSERT_EQ(RunCli({"config", "--port", sim.Port, "--get", back}).ExitCode, 0);
    EXPECT_EQ(zirko::test::ReadBytes(back), config);

    ASSERT_TRUE(zirko::test::WriteBytes(changed, config.left(100)));
    const TRun shortFile = RunCli({"config", "--port", sim.Port, "--set", changed});
    EXPECT_EQ(shortFile.ExitCode, 1);
}

TEST(CliErase, ErasesTheMemorySoTheNextDownloadFindsNoFlight)
{
    TSimulator sim({"--flights", "2", "--erase-ms", "300"});
    const TRun erase = RunCli({"erase", "--port", sim.Port});
    ASSERT_EQ(erase.ExitCode, 0) << erase.Err.toStdString();
    EXPECT_TRUE(erase.Err.contains("Erasing started, please wait."));
    EXPECT_EQ(erase.ErrLines().filter("Erasing finished.").size(), 1);
    QTemporaryDir out;
    const TRun run = RunCli({"download", "--port", sim.Port, "--out", out.path()});
    ASSERT_EQ(run.ExitCode, 0) << run.Err.toStdString();
    EXPECT_EQ(run.Out, "Data reading finished (0 blocks read.)\n");
    EXPECT_TRUE(Files(out.path()).isEmpty());
}

TEST(CliErase, AnotherReplyThanEIsAFailure)
{
    TSimulator sim({"--wrong-erase-reply", "--erase-ms", "50"});
    const TRun erase = RunCli({"erase", "--port", sim.Port});
    EXPECT_EQ(erase.ExitCode, 1);
    EXPECT_EQ(erase.ErrLines().last(), "Command:E expected, but ? found");
}

// --skip-known: a flight the output folder holds anywhere, under any name, is not saved again.
TEST(CliDownload, SkipKnownSavesOnlyTheFlightsTheFolderLacks)
{
    QTemporaryDir out;
    {
        TSimulator first({"--flights", "3"});
        const TRun run = RunCli(
            {"download", "--port", first.Port, "--out", out.path() + "/2026", "--date", "d"});
        ASSERT_EQ(run.ExitCode, 0) << run.Err.toStdString();
    }
    TSimulator sim({"--flights", "4"});
    const QStringList download{"download", "--port",       sim.Port, "--out",
                               out.path(), "--skip-known", "--date", "d"};
    const TRun mixed = RunCli(download);
    ASSERT_EQ(mixed.ExitCode, 0) << mixed.Err.toStdString();
    EXPECT_EQ(mixed.Out, "Data reading finished (4 blocks read.)\n1 file succesfully written. 3 "
                         "flights already in the logbook, in " +
                             out.path() + "/2026.\n");
    EXPECT_EQ(mixed.ErrLines().filter("Flight already saved as ").size(), 3);
    EXPECT_EQ(Files(out.path()), QStringList{"Blok004.zdf"});

    const TRun known = RunCli(download);
    ASSERT_EQ(known.ExitCode, 0) << known.Err.toStdString();
    EXPECT_EQ(known.Out, "Data reading finished (4 blocks read.)\n0 files succesfully written. 4 "
                         "flights already in the logbook, in " +
                             out.path() + ".\n");
    EXPECT_EQ(Files(out.path()), QStringList{"Blok004.zdf"});
    // The raw backup is kept as for any download.
    EXPECT_EQ(known.ErrLines().filter("also kept in ").size(), 1);
}

TEST(CliSplit, TurnsTheDownloadBackupIntoTheSameFiles)
{
    TSimulator sim({"--flights", "3"});
    QTemporaryDir out;
    const TRun run =
        RunCli({"download", "--port", sim.Port, "--out", out.path() + "/a", "--date", "d"});
    ASSERT_EQ(run.ExitCode, 0) << run.Err.toStdString();
    const QString note = run.ErrLines().filter("also kept in ").value(0);
    const QString backup = note.mid(note.indexOf(" in ") + 4);
    ASSERT_TRUE(QFile::exists(backup)) << note.toStdString();

    const TRun split =
        RunCli({"split", backup, "--out", out.path() + "/b", "--date", "d", "--name", "Blok"});
    ASSERT_EQ(split.ExitCode, 0) << split.Err.toStdString();
    EXPECT_EQ(split.Out, "Data reading finished (3 blocks read.)\n3 files succesfully written.\n");
    const QStringList names = Files(out.path() + "/a");
    ASSERT_EQ(names.size(), 3);
    EXPECT_EQ(Files(out.path() + "/b"), names);
    for (const QString& name : names)
        EXPECT_EQ(zirko::test::ReadBytes(out.path() + "/a/" + name),
                  zirko::test::ReadBytes(out.path() + "/b/" + name));

    // Without --date the flights carry the saving moment: date and time with seconds, no zone.
    const TRun now = RunCli({"split", backup, "--out", out.path() + "/c", "--name", "Blok"});
    ASSERT_EQ(now.ExitCode, 0) << now.Err.toStdString();
    const QString dateText =
        QString::fromStdString(ReadFlight(out.path() + "/c/" + names[0]).DateText);
    EXPECT_EQ(dateText.count(':'), 2) << dateText.toStdString();
    EXPECT_FALSE(dateText.contains(QDateTime::currentDateTime().timeZoneAbbreviation()))
        << dateText.toStdString();
    EXPECT_EQ(dateText, dateText.trimmed());

    const TRun missing = RunCli({"split", out.path() + "/none.bin", "--out", out.path()});
    EXPECT_EQ(missing.ExitCode, 1);
}

namespace {

// Several generated flights; all but the last end in a sample whose last byte is 0xFF.
QByteArray FlightsEndingInErasedBytes(int flights)
{
    QByteArray memory;
    for (int i = 0; i < flights; ++i) {
        auto flight = zirko::GenerateFlight(zirko::TFlightProfile{.DurationSeconds = 30}, 70 + i);
        if (i + 1 < flights)
            flight.back() = 0xFF;
        memory.append(reinterpret_cast<const char*>(flight.data()),
                      static_cast<qsizetype>(flight.size()));
    }
    return memory;
}

// Runs zirko-cli under a shell that sets the file size limit first (in blocks of 512 bytes).
TRun RunCliLimited(int sizeBlocks, const QStringList& args)
{
    QStringList shell{"-c", QString("ulimit -f %1; exec \"$0\" \"$@\"").arg(sizeBlocks),
                      ZIRKO_CLI_PATH};
    return Finished(zirko::test::RunProcess("/bin/sh", shell + args));
}

QStringList AllEntries(const QString& dir)
{
    return QDir(dir).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot, QDir::Name);
}

} // namespace

TEST(CliDownload, FlightsEndingInAnErasedByteAreAllDownloaded)
{
    QTemporaryDir dir;
    const QByteArray memory = FlightsEndingInErasedBytes(5);
    const QString image = dir.path() + "/memory.bin";
    ASSERT_TRUE(zirko::test::WriteBytes(image, memory + QByteArray(5, '\xFF')));
    TSimulator sim({"--image", image});
    const TRun run =
        RunCli({"download", "--port", sim.Port, "--out", dir.path() + "/a", "--date", "d"});
    ASSERT_EQ(run.ExitCode, 0) << run.Err.toStdString();
    EXPECT_EQ(run.Out, "Data reading finished (5 blocks read.)\n5 files succesfully written.\n");
    const TRun split = RunCli({"split", image, "--out", dir.path() + "/b", "--date", "d"});
    ASSERT_EQ(split.ExitCode, 0) << split.Err.toStdString();
    EXPECT_EQ(split.Out, run.Out);
    const QStringList names = Files(dir.path() + "/a");
    EXPECT_EQ(names.size(), 5);
    EXPECT_EQ(Files(dir.path() + "/b"), names);
    for (const QString& name : names)
        EXPECT_EQ(zirko::test::ReadBytes(dir.path() + "/a/" + name),
                  zirko::test::ReadBytes(dir.path() + "/b/" + name))
            << name.toStdString();
}

TEST(CliDevice, ALoggerThatStopsAnsweringEndsEveryCommand)
{
    struct TCase {
        QStringList Faults;
        QStringList Command;
    };
    const TCase cases[] = {
        {{"--silent-firmware-after", "6"}, {"download"}},
        {{"--ignore", "F"}, {"config"}},
        {{"--ignore", "R"}, {"erase"}},
        {{"--ignore", "D"}, {"download"}},
        {{"--erase-ms", "60000"}, {"erase", "--erase-timeout", "1"}},
    };
    for (const TCase& c : cases) {
        const std::string name = (c.Faults + c.Command).join(' ').toStdString();
        TSimulator sim(QStringList{"--flights", "1"} + c.Faults);
        QTemporaryDir out;
        QElapsedTimer clock;
        clock.start();
        QStringList args = c.Command + QStringList{"--port", sim.Port};
        if (c.Command.front() == "download")
            args << "--out" << out.path();
        const TRun run = RunCli(args, 20000);
        EXPECT_LT(clock.elapsed(), 10000) << name;
        EXPECT_EQ(run.ExitCode, 1) << name;
        ASSERT_FALSE(run.ErrLines().isEmpty()) << name;
        EXPECT_EQ(run.ErrLines().last(), "Communication error, no response from device") << name;
        EXPECT_TRUE(Files(out.path()).isEmpty()) << name;
    }
}

TEST(CliSplit, NamesWithControlCharactersAreRefusedAndAPathGivesItsFileName)
{
    QTemporaryDir dir;
    const QString image = dir.path() + "/memory.bin";
    ASSERT_TRUE(
        zirko::test::WriteBytes(image, FlightsEndingInErasedBytes(1) + QByteArray(5, '\xFF')));
    for (const QString& name : {QString("Blok\n001"), QString("Bl\x1b[2Jok")}) {
        const TRun run = RunCli({"split", image, "--out", dir.path() + "/out", "--name", name});
        EXPECT_EQ(run.ExitCode, 1) << name.toStdString();
        EXPECT_TRUE(run.ErrLines().value(0).startsWith("--name takes a file name without"))
            << run.Err.toStdString();
        EXPECT_FALSE(QDir(dir.path() + "/out").exists());
    }
    const TRun named =
        RunCli({"split", image, "--out", dir.path() + "/out", "--name", "../sub/Blok"});
    EXPECT_EQ(named.ExitCode, 0) << named.Err.toStdString();
    EXPECT_EQ(Files(dir.path() + "/out"), QStringList{"Blok001.zdf"});
    EXPECT_FALSE(QDir(dir.path() + "/sub").exists());
}

TEST(CliSplit, ASaveStoppedByTheSizeLimitOrASignalLeavesNoPartialFile)
{
    QTemporaryDir dir;
    const QString image = dir.path() + "/memory.bin";
    QByteArray memory;
    for (int i = 0; i < 6; ++i) {
        auto flight = zirko::GenerateFlight(zirko::TFlightProfile{.DurationSeconds = 900}, 90 + i);
        memory.append(reinterpret_cast<const char*>(flight.data()),
                      static_cast<qsizetype>(flight.size()));
    }
    ASSERT_TRUE(zirko::test::WriteBytes(image, memory + QByteArray(5, '\xFF')));

    // A file size limit stops the save half way through the first flight.
    const TRun limited = RunCliLimited(100, {"split", image, "--out", dir.path() + "/a"});
    EXPECT_EQ(limited.ExitCode, -1) << limited.Err.toStdString();
    EXPECT_TRUE(AllEntries(dir.path() + "/a").isEmpty())
        << AllEntries(dir.path() + "/a").join(' ').toStdString();

    // The same for the CSV export.
    ASSERT_EQ(RunCli({"split", image, "--out", dir.path() + "/b", "--date", "d"}).ExitCode, 0);
    const TRun csv =
        RunCliLimited(100, {"csv", dir.path() + "/b/Blok001.zdf", "-o", dir.path() + "/c.csv"});
    EXPECT_EQ(csv.ExitCode, -1);
    EXPECT_FALSE(QFile::exists(dir.path() + "/c.csv"));
    QStringList left = AllEntries(dir.path());
    left.removeAll("memory.bin");
    left.removeAll("a");
    left.removeAll("b");
    EXPECT_TRUE(left.isEmpty()) << left.join(' ').toStdString();

    // SIGTERM in the middle of saving: what is on disk are whole flights only.
    QProcess process;
    process.start(ZIRKO_CLI_PATH, {"split", image, "--out", dir.path() + "/d", "--date", "d"});
    ASSERT_TRUE(process.waitForStarted());
    QTest::qWait(150);
    process.terminate();
    process.waitForFinished(20000); // false when it had finished already
    ASSERT_EQ(process.state(), QProcess::NotRunning);
    for (const QString& name : AllEntries(dir.path() + "/d")) {
        EXPECT_TRUE(name.endsWith(".zdf")) << name.toStdString();
        EXPECT_EQ(zirko::test::ReadBytes(dir.path() + "/d/" + name),
                  zirko::test::ReadBytes(dir.path() + "/b/" + name))
            << name.toStdString();
    }
}
