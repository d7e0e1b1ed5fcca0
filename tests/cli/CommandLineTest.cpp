// Both programs' command lines: help and version answer at once, usage errors exit 2 with one line
// and the usage, and work failures stay exit 1.
#include "ZirkoVersion.h"
#include "core/analysis/FlightAnalysis.h"
#include "core/analysis/FlightEvents.h"
#include "platform/files/FlightFile.h"
#include "support/ProcessRun.h"
#include "support/TestUtil.h"

#include <QDir>
#include <QElapsedTimer>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcessEnvironment>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace zirko::test;

namespace {

struct TRun {
    int Code = -1;
    QString Out;
    QString Err;
    QStringList ErrLines() const { return Err.split('\n', Qt::SkipEmptyParts); }
};

TRun RunProgram(const QString& program, const QStringList& args,
                const QProcessEnvironment& environment = QProcessEnvironment::systemEnvironment())
{
    const TProcessRun p = RunProcess(program, args, environment, 20000);
    return {p.Code, QString::fromUtf8(p.Out), QString::fromUtf8(p.Err)};
}

TRun Cli(const QStringList& args)
{
    return RunProgram(ZIRKO_CLI_PATH, args);
}

const QString kSample = QString::fromUtf8(ZIRKO_TEST_DATA_DIR) + "/golden/inputs/notes.zdf";

// Each command with the options its usage line names.
const std::vector<std::pair<QString, QStringList>> kCommands{
    {"info", {"--marker-threshold T"}},
    {"dump", {"--marker-threshold T"}},
    {"csv", {"-o OUT.csv"}},
    {"notes", {"--format text|html|rtf"}},
    {"split", {"--out DIR", "--name NAME", "--date TEXT", "--overwrite keep|yes|no"}},
    {"download",
     {"--port PORT", "--out DIR", "--name NAME", "--date TEXT", "--overwrite keep|yes|no",
      "--wait S"}},
    {"config", {"--port PORT", "--get FILE", "--set FILE", "--wait S"}},
    {"erase", {"--port PORT", "--wait S", "--erase-timeout S"}},
    {"simulate", {"--image FILE", "--firmware TEXT", "--config FILE"}},
    {"render", {"-o OUT", "--size WxH", "--climb"}},
    {"stats", {}},
    {"events",
     {"--rules none|f5j|ales", "--motor-threshold P", "--ales-height M", "--low-voltage V"}},
    {"import",
     {"--out DIR", "--format auto|csv|igc", "--map altitude=COL,servo=COL,voltage=COL",
      "--name NAME"}},
    {"logbook", {"--filter EXPR", "--sort FIELD[,FIELD...]", "--format json|csv", "--no-cache"}},
    {"tag", {"--model M", "--site S", "--pilot P", "--tags T", "--add-tag T", "--remove-tag T"}},
};

} // namespace

TEST(CliCommandLine, HelpAndVersionAnswerOnStdoutAndExitZero)
{
    for (const char* help : {"--help", "-h"}) {
        const TRun run = Cli({help});
        EXPECT_EQ(run.Code, 0);
        EXPECT_TRUE(run.Out.startsWith("usage: zirko-cli COMMAND")) << run.Out.toStdString();
        EXPECT_TRUE(run.Err.isEmpty()) << run.Err.toStdString();
        for (const auto& [command, options] : kCommands)
            EXPECT_TRUE(run.Out.contains("\n  " + command + " ")) << command.toStdString();
    }
    for (const char* version : {"--version", "-v"}) {
        const TRun run = Cli({version});
        EXPECT_EQ(run.Code, 0);
        EXPECT_EQ(run.Out, QString("zirko-cli " ZIRKO_VERSION "\n"));
    }
    for (const auto& [command, options] : kCommands) {
        const TRun run = Cli({command, "--help"});
        EXPECT_EQ(run.Code, 0) << command.toStdString();
        EXPECT_TRUE(run.Out.startsWith("usage: zirko-cli " + command + " "))
            << run.Out.toStdString();
        EXPECT_TRUE(run.Err.isEmpty()) << command.toStdString() << ": " << run.Err.toStdString();
        for (const QString& option : options)
            EXPECT_TRUE(run.Out.contains(option))
                << command.toStdString() << " " << option.toStdString();
        EXPECT_TRUE(run.Out.contains("-h, --help"));
    }
}

TEST(CliCommandLine, SimulateHelpPrintsHelpInsteadOfStartingASimulator)
{
    QElapsedTimer clock;
    clock.start();
    const TRun run = Cli({"simulate", "--help"});
    EXPECT_EQ(run.Code, 0);
    EXPECT_LT(clock.elapsed(), 15000);
    EXPECT_FALSE(run.Out.contains("/dev/")) << run.Out.toStdString();
    EXPECT_TRUE(run.Out.contains("--wrong-erase-reply"));
}

TEST(CliCommandLine, UsageErrorsExitTwoWithOneLineAndTheUsage)
{
    QTemporaryDir dir;
    struct TCase {
        QStringList Args;
        QString Line;  // the first stderr line
        QString Usage; // how the usage that follows starts
    };
    const std::vector<TCase> cases{
        {{}, "zirko-cli: No command given.", "usage: zirko-cli COMMAND"},
        {{"--bogus"}, "zirko-cli: Unknown option 'bogus'.", "usage: zirko-cli COMMAND"},
        {{"frob"}, "zirko-cli: Unknown command: frob", "usage: zirko-cli COMMAND"},
        {{"info", "--bogus", kSample},
         "zirko-cli info: Unknown option 'bogus'.",
         "usage: zirko-cli info FILE"},
        {{"info", kSample, "extra"},
         "zirko-cli info: Unexpected argument 'extra'.",
         "usage: zirko-cli info"},
        {{"info"}, "No flight file given.", "usage: zirko-cli info"},
        {{"info", kSample, "--marker-threshold"},
         "zirko-cli info: Missing value after '--marker-threshold'.",
         "usage: zirko-cli info"},
        {{"csv", kSample, "-o"},
         "zirko-cli csv: Missing value after '-o'.",
         "usage: zirko-cli csv"},
        {{"notes", kSample, "--format"},
         "zirko-cli notes: Missing value after '--format'.",
         "usage: zirko-cli notes"},
        {{"split", kSample}, "No output folder given (--out DIR).", "usage: zirko-cli split"},
        {{"split", "--out", dir.path()}, "No memory image given.", "usage: zirko-cli split"},
        {{"split", kSample, "--out", dir.path(), "second"},
         "zirko-cli split: Unexpected argument 'second'.",
         "usage: zirko-cli split"},
        {{"download", "--out", dir.path()},
         "No port given (--port PORT).",
         "usage: zirko-cli download"},
        {{"download", "--port", "/dev/null", "--out", dir.path(), "--wait"},
         "zirko-cli download: Missing value after '--wait'.",
         "usage: zirko-cli download"},
        {{"config", "--port", "/dev/null", "extra"},
         "zirko-cli config: Unexpected argument 'extra'.",
         "usage: zirko-cli config"},
        {{"erase"}, "No port given (--port PORT).", "usage: zirko-cli erase"},
        {{"simulate", "--fault"},
         "zirko-cli simulate: Unknown option 'fault'.",
         "usage: zirko-cli simulate"},
        {{"simulate", "now"},
         "zirko-cli simulate: Unexpected argument 'now'.",
         "usage: zirko-cli simulate"},
        {{"render", kSample, "-o"},
         "zirko-cli render: Missing value after '-o'.",
         "usage: zirko-cli render"},
        {{"render", kSample, "-o", dir.filePath("x.png"), "--colour", "red"},
         "zirko-cli render: Unknown option 'colour'.",
         "usage: zirko-cli render"},
        {{"events", kSample, "--rules", "f3j"},
         "zirko-cli events: Unknown rule set 'f3j' (none, f5j or ales).",
         "usage: zirko-cli events FILE..."},
        {{"events", kSample, "--rules", "F5J"},
         "zirko-cli events: Unknown rule set 'F5J' (none, f5j or ales).",
         "usage: zirko-cli events"},
        {{"events", kSample, "--ales-height", "high"},
         "zirko-cli events: --ales-height takes a number, not 'high'.",
         "usage: zirko-cli events"},
        {{"events", "--low-voltage", "3,5", kSample},
         "zirko-cli events: --low-voltage takes a number, not '3,5'.",
         "usage: zirko-cli events"},
        {{"events"}, "No flight file given.", "usage: zirko-cli events"},
    };
    for (const TCase& c : cases) {
        const std::string what = c.Args.join(' ').toStdString();
        const TRun run = Cli(c.Args);
        EXPECT_EQ(run.Code, 2) << what << ": " << run.Err.toStdString();
        EXPECT_TRUE(run.Out.isEmpty()) << what;
        const QStringList lines = run.ErrLines();
        ASSERT_GE(lines.size(), 2) << what << ": " << run.Err.toStdString();
        EXPECT_EQ(lines[0], c.Line) << what;
        EXPECT_TRUE(lines[1].startsWith(c.Usage)) << what << ": " << lines[1].toStdString();
    }
    EXPECT_TRUE(QDir(dir.path()).isEmpty());
}

TEST(CliCommandLine, OptionsReadAsBeforeAndBadValuesStayWorkFailures)
{
    // Options may come before the file, "--" ends them, and the last of a repeated option counts.
    const TRun plain = Cli({"info", kSample});
    ASSERT_EQ(plain.Code, 0) << plain.Err.toStdString();
    EXPECT_EQ(Cli({"info", "--marker-threshold", "0", kSample}).Out, plain.Out);
    EXPECT_EQ(Cli({"info", "--marker-threshold", "9", "--marker-threshold", "0", kSample}).Out,
              plain.Out);
    EXPECT_EQ(Cli({"info", "--", kSample}).Out, plain.Out);
    EXPECT_NE(Cli({"info", kSample, "--marker-threshold", "-1"}).Out, QString());

    const TRun threshold = Cli({"info", kSample, "--marker-threshold", "x"});
    EXPECT_EQ(threshold.Code, 1);
    EXPECT_EQ(threshold.ErrLines().last(), "Marker Threshold must be a number value.");
}

// Every numeric option is checked against its range before anything is computed from it: a value
// out of range is a usage error.
TEST(CliCommandLine, NumericOptionsOutOfRangeAreUsageErrors)
{
    QTemporaryDir dir;
    struct TCase {
        QStringList Args;
        QString Line;
    };
    const QString erase = "zirko-cli erase: --erase-timeout takes a number of seconds above 0, at "
                          "most 1000000.";
    const QString wait = "--wait takes a whole number from 0 to 2147483.";
    const std::vector<TCase> cases{
        {{"erase", "--port", "/dev/zirko-none", "--erase-timeout", "0"}, erase},
        {{"erase", "--port", "/dev/zirko-none", "--erase-timeout", "-5"}, erase},
        {{"erase", "--port", "/dev/zirko-none", "--erase-timeout", "soon"}, erase},
        {{"erase", "--port", "/dev/zirko-none", "--erase-timeout", ""}, erase},
        {{"erase", "--port", "/dev/zirko-none", "--erase-timeout", "1e7"}, erase},
        {{"download", "--port", "/dev/zirko-none", "--out", dir.path(), "--wait", "4294968"},
         "zirko-cli download: " + wait},
        {{"download", "--port", "/dev/zirko-none", "--out", dir.path(), "--wait", "-1"},
         "zirko-cli download: " + wait},
        {{"config", "--port", "/dev/zirko-none", "--wait", "99999999999999999999"},
         "zirko-cli config: " + wait},
        {{"erase", "--port", "/dev/zirko-none", "--wait", "1.5"}, "zirko-cli erase: " + wait},
        {{"simulate", "--flights", "4000000000"},
         "zirko-cli simulate: --flights takes a whole number from 0 to 1000."},
        {{"simulate", "--pace", "x"},
         "zirko-cli simulate: --pace takes a whole number from 0 to 100000000."},
        {{"simulate", "--bad-block", "-2"},
         "zirko-cli simulate: --bad-block takes a whole number from -1 to 1000000."},
    };
    for (const TCase& c : cases) {
        const std::string what = c.Args.join(' ').toStdString();
        const TRun run = Cli(c.Args);
        EXPECT_EQ(run.Code, 2) << what << ": " << run.Err.toStdString();
        const QStringList lines = run.ErrLines();
        ASSERT_GE(lines.size(), 2) << what;
        EXPECT_EQ(lines[0], c.Line) << what;
        EXPECT_TRUE(lines[1].startsWith("usage: zirko-cli " + c.Args[0])) << what;
        EXPECT_TRUE(run.Out.isEmpty()) << what;
    }
    EXPECT_TRUE(QDir(dir.path()).isEmpty());
}

TEST(GuiCommandLine, HelpAndVersionNeedNoWindowSystem)
{
    QProcessEnvironment headless = QProcessEnvironment::systemEnvironment();
    for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
        headless.remove(name);
    const TRun help = RunProgram(ZIRKO_GUI_PATH, {"--help"}, headless);
    EXPECT_EQ(help.Code, 0) << help.Err.toStdString();
    EXPECT_TRUE(help.Out.startsWith("usage: zirko [FILE.zdf...]")) << help.Out.toStdString();
    EXPECT_TRUE(help.Err.isEmpty()) << help.Err.toStdString();
    const TRun version = RunProgram(ZIRKO_GUI_PATH, {"--version"}, headless);
    EXPECT_EQ(version.Code, 0);
    EXPECT_EQ(version.Out, QString("zirko " ZIRKO_VERSION "\n"));

    const TRun bogus = RunProgram(ZIRKO_GUI_PATH, {"--bogus", kSample}, headless);
    EXPECT_EQ(bogus.Code, 2);
    ASSERT_EQ(bogus.ErrLines().size(), 2) << bogus.Err.toStdString();
    EXPECT_EQ(bogus.ErrLines()[0], "zirko: Unknown option 'bogus'.");
    EXPECT_TRUE(bogus.ErrLines()[1].startsWith("usage: zirko"));

    // Qt's own options are left to Qt: here the platform that makes a window possible at all.
    const TRun qt = RunProgram(ZIRKO_GUI_PATH, {"-platform", "offscreen", "--version"}, headless);
    EXPECT_EQ(qt.Code, 0) << qt.Err.toStdString();
    EXPECT_EQ(qt.Out, QString("zirko " ZIRKO_VERSION "\n"));
}

// The info writer is our own (its layout is fixed); Qt's JSON parser checks what it writes.
TEST(CliInfo, WritesJsonThatReadsBackToTheFlightsValues)
{
    QTemporaryDir dir;
    zirko::TDataBlock flight;
    flight.DateText = "1.2.2024 \"10:00\" \\ x";
    flight.Sampling = 10;
    flight.Time = {0.0, 0.1, 0.2};
    flight.Altitude = {0.0, 12.34, 5.0};
    flight.ChannelMask = 0x8000; // altitude
    flight.RxOffsetY = 0.1;
    flight.Annotations = {{0.1, 12.34, "a \"quoted\" \\ back\tslash \x01 \xe8\xed\x9a"},
                          {0.2, -3.5, "Termik {} [], :"}};
    const QString path = dir.filePath("flight.zdf");
    ASSERT_TRUE(zirko::WriteDataFile(path.toStdString(), flight).Ok());
    zirko::TDataBlock stored;
    ASSERT_EQ(zirko::ReadDataFile(path.toStdString(), stored, 0).Status, zirko::TReadStatus::Ok);

    const TRun run = Cli({"info", path});
    ASSERT_EQ(run.Code, 0) << run.Err.toStdString();
    QJsonParseError error;
    const QJsonObject info = QJsonDocument::fromJson(run.Out.toUtf8(), &error).object();
    ASSERT_EQ(error.error, QJsonParseError::NoError) << error.errorString().toStdString();
    EXPECT_EQ(info["samples"].toInt(), 3);
    EXPECT_EQ(info["date"].toString().toStdString(), stored.DateText);
    EXPECT_EQ(info["rxOffsetY"].toDouble(), stored.RxOffsetY);
    const QJsonArray annotations = info["annotations"].toArray();
    ASSERT_EQ(annotations.size(), 2);
    for (qsizetype i = 0; i < annotations.size(); ++i) {
        const QJsonObject a = annotations[i].toObject();
        EXPECT_EQ(a["time"].toDouble(), stored.Annotations[i].Time);
        EXPECT_EQ(a["value"].toDouble(), stored.Annotations[i].Value);
    }
    // Windows-1250 text in the file reads as its Unicode letters.
    EXPECT_EQ(annotations[0].toObject()["text"].toString(),
              QString::fromUtf8("a \"quoted\" \\ back\tslash \x01 číš"));
    EXPECT_EQ(annotations[1].toObject()["text"].toString(), "Termik {} [], :");
    EXPECT_EQ(info["channels"].toArray(), (QJsonArray{"time", "altitude"}));
}

// Every field reads back through Qt's JSON parser as the analysis of the file as stored.
TEST(CliStats, OneObjectPerFileInOrderAndNothingPrintedWhenAFileFails)
{
    QTemporaryDir dir;
    zirko::TDataBlock climbing;
    climbing.DateText = "9.12.2026 8:00:00";
    climbing.Sampling = 10;
    climbing.ChannelMask = 0x8000 | 0x0800; // altitude and voltage
    for (int i = 0; i < 100; ++i) {
        climbing.Time.push_back(i * 0.1);
        climbing.Altitude.push_back(i < 50 ? i * 0.3 : 15 - (i - 50) * 0.2);
        climbing.Voltage.push_back(8.4 - i * 0.001);
    }
    zirko::TDataBlock battery = climbing;
    battery.ChannelMask = 0x0800;
    battery.Altitude.clear();
    const QString first = dir.filePath("climbing.zdf");
    const QString second = dir.filePath("battery.zdf");
    ASSERT_TRUE(zirko::WriteDataFile(first.toStdString(), climbing).Ok());
    ASSERT_TRUE(zirko::WriteDataFile(second.toStdString(), battery).Ok());

    const TRun run = Cli({"stats", second, first});
    ASSERT_EQ(run.Code, 0) << run.Err.toStdString();
    QJsonParseError error;
    const QJsonArray all = QJsonDocument::fromJson(run.Out.toUtf8(), &error).array();
    ASSERT_EQ(error.error, QJsonParseError::NoError) << error.errorString().toStdString();
    ASSERT_EQ(all.size(), 2);
    const QJsonObject b = all[0].toObject();
    const QJsonObject c = all[1].toObject();
    EXPECT_EQ(b["file"].toString(), second);
    EXPECT_EQ(c["file"].toString(), first);

    zirko::TDataBlock stored;
    ASSERT_EQ(zirko::ReadDataFile(first.toStdString(), stored, 0).Status, zirko::TReadStatus::Ok);
    const zirko::TFlightStats s = zirko::AnalyseFlight(stored);
    EXPECT_EQ(c["samples"].toInt(), 100);
    EXPECT_EQ(c["duration"].toDouble(), s.Duration);
    EXPECT_EQ(c["maxAltitude"].toDouble(), *s.MaxAltitude);
    EXPECT_EQ(c["launchTime"].toDouble(), *s.LaunchTime);
    EXPECT_EQ(c["landingTime"].toDouble(), *s.LandingTime);
    EXPECT_EQ(c["timeAloft"].toDouble(), *s.TimeAloft);
    EXPECT_EQ(c["maxClimbRate"].toDouble(), *s.MaxClimbRate);
    EXPECT_NEAR(c["maxClimbRate"].toDouble(), 3, 1e-9);
    EXPECT_NEAR(c["maxSinkRate"].toDouble(), 2, 1e-9);
    EXPECT_EQ(c["meanVoltage"].toDouble(), *s.MeanVoltage);
    // Without altitude every altitude and rate field is there, as null.
    for (const char* field :
         {"startAltitude", "minAltitude", "maxAltitude", "altitudeGain", "launchTime",
          "landingTime", "timeAloft", "maxClimbRate", "maxSinkRate"}) {
        EXPECT_TRUE(b.contains(field)) << field;
        EXPECT_TRUE(b[field].isNull()) << field;
    }
    EXPECT_EQ(b["minVoltage"].toDouble(), *s.MinVoltage);

    const TRun failed = Cli({"stats", first, dir.filePath("none.zdf"), second});
    EXPECT_EQ(failed.Code, 1);
    EXPECT_TRUE(failed.Out.isEmpty()) << failed.Out.toStdString();
    EXPECT_EQ(failed.ErrLines().last(), "Error in reading file.");
}

// The events of a written flight read back through Qt's JSON parser as the core finds them.
TEST(CliEvents, OneObjectPerFileWithTheOptionsGivenAndNothingPrintedWhenAFileFails)
{
    QTemporaryDir dir;
    // The motor at 80 % from 2 s to 12 s and at 30 % from 40 s to 41 s; 8 m/s while it runs.
    zirko::TDataBlock glider;
    glider.DateText = "9.12.2026 8:00:00";
    glider.Sampling = 10;
    glider.ChannelMask = 0x8000 | 0x4000 | 0x0800;
    double height = 50;
    for (int i = 0; i <= 900; ++i) {
        const double t = i / 10.0;
        const double rx = t >= 2 && t < 12 ? 80 : t >= 40 && t < 41 ? 30 : -100;
        height += rx > 0 ? 0.8 : t < 2 || height <= 50 ? 0 : -0.1;
        glider.Time.push_back(t);
        glider.Rx.push_back(rx);
        glider.Altitude.push_back(height);
        glider.Voltage.push_back(rx > 0 ? 3.6 : 4.1);
    }
    zirko::TDataBlock ground = glider;
    ground.ChannelMask = 0x0800;
    ground.Rx.clear();
    ground.Altitude.clear();
    const QString first = dir.filePath("glider.zdf");
    const QString second = dir.filePath("ground.zdf");
    ASSERT_TRUE(zirko::WriteDataFile(first.toStdString(), glider).Ok());
    ASSERT_TRUE(zirko::WriteDataFile(second.toStdString(), ground).Ok());

    const TRun run = Cli({"events", first, second, "--rules", "f5j", "--motor-threshold", "50",
                          "--low-voltage", "3.8"});
    ASSERT_EQ(run.Code, 0) << run.Err.toStdString();
    QJsonParseError error;
    const QJsonArray all = QJsonDocument::fromJson(run.Out.toUtf8(), &error).array();
    ASSERT_EQ(error.error, QJsonParseError::NoError) << error.errorString().toStdString();
    ASSERT_EQ(all.size(), 2);
    const QJsonObject g = all[0].toObject();
    EXPECT_EQ(g["file"].toString(), first);
    EXPECT_EQ(g["rules"].toString(), "f5j");

    zirko::TDataBlock stored;
    ASSERT_EQ(zirko::ReadDataFile(first.toStdString(), stored, 0).Status, zirko::TReadStatus::Ok);
    zirko::TEventOptions options;
    options.Rules = zirko::TRules::F5j;
    options.MotorThreshold = 50;
    options.LowVoltage = 3.8;
    const zirko::TFlightEvents e = zirko::AnalyseEvents(stored, options);
    // The 30 % run is under the threshold: one run, no restart.
    const QJsonArray runs = g["motorRuns"].toArray();
    ASSERT_EQ(runs.size(), 1);
    EXPECT_EQ(runs[0].toObject()["start"].toDouble(), 2);
    EXPECT_EQ(runs[0].toObject()["stop"].toDouble(), 12);
    EXPECT_EQ(runs[0].toObject()["duration"].toDouble(), e.MotorRuns[0].Duration());
    EXPECT_EQ(g["motorTime"].toDouble(), *e.MotorTime);
    EXPECT_EQ(g["launch"].toDouble(), 2);
    EXPECT_EQ(g["startHeight"].toDouble(), *e.StartHeight);
    EXPECT_NEAR(g["startHeight"].toDouble(), 80, 1e-6);
    EXPECT_EQ(g["startHeightTime"].toDouble(), *e.StartHeightTime);
    EXPECT_EQ(g["landing"].toDouble(), *e.Landing);
    EXPECT_EQ(g["flightTime"].toDouble(), *e.FlightTime);
    EXPECT_EQ(g["penalty"].toDouble(), *e.Penalty);
    const QJsonArray warnings = g["warnings"].toArray();
    ASSERT_EQ(warnings.size(), 1);
    EXPECT_EQ(warnings[0].toObject()["code"].toString(), "low-voltage");
    EXPECT_EQ(warnings[0].toObject()["time"].toDouble(), 2);
    EXPECT_EQ(warnings[0].toObject()["text"].toString().toStdString(), e.Warnings[0].Text);
    const QJsonArray phases = g["phases"].toArray();
    ASSERT_EQ(static_cast<size_t>(phases.size()), e.Phases.size());
    ASSERT_GE(phases.size(), 2);
    EXPECT_EQ(phases[0].toObject()["kind"].toString(), "motor");
    EXPECT_EQ(phases[1].toObject()["kind"].toString(), "glide");
    for (qsizetype i = 0; i < phases.size(); ++i) {
        const QJsonObject p = phases[i].toObject();
        EXPECT_EQ(p["start"].toDouble(), e.Phases[i].Start);
        EXPECT_EQ(p["stop"].toDouble(), e.Phases[i].Stop);
        EXPECT_EQ(p["gain"].toDouble(), e.Phases[i].Gain);
        EXPECT_EQ(p["rate"].toDouble(), e.Phases[i].Rate);
    }
    EXPECT_EQ(g["climbCount"].toInt(), 0);
    EXPECT_TRUE(g["bestClimbRate"].isNull());
    EXPECT_EQ(g["glideSinkRate"].toDouble(), *e.GlideSinkRate);

    // Voltage only: the servo's and the altitude's fields are there, as null.
    const QJsonObject v = all[1].toObject();
    for (const char* field :
         {"motorRuns", "motorTime", "launch", "startHeight", "startHeightTime", "landing",
          "flightTime", "penalty", "phases", "bestClimbRate", "glideSinkRate"}) {
        EXPECT_TRUE(v.contains(field)) << field;
        EXPECT_TRUE(v[field].isNull()) << field;
    }
    EXPECT_EQ(v["climbCount"].toInt(), 0);
    EXPECT_EQ(v["warnings"].toArray().size(), 1);

    // The defaults: no rules, the threshold 0 (both runs), no voltage check, 200 m.
    const TRun plain = Cli({"events", first});
    ASSERT_EQ(plain.Code, 0) << plain.Err.toStdString();
    const QJsonObject p = QJsonDocument::fromJson(plain.Out.toUtf8()).array()[0].toObject();
    EXPECT_EQ(p["rules"].toString(), "none");
    EXPECT_EQ(p["motorRuns"].toArray().size(), 2);
    EXPECT_TRUE(p["penalty"].isNull());
    EXPECT_TRUE(p["warnings"].toArray().isEmpty());
    const TRun ales = Cli({"events", first, "--rules", "ales", "--ales-height", "79.5"});
    const QJsonArray alesWarnings =
        QJsonDocument::fromJson(ales.Out.toUtf8()).array()[0].toObject()["warnings"].toArray();
    ASSERT_EQ(alesWarnings.size(), 2);
    EXPECT_EQ(alesWarnings[0].toObject()["text"].toString(),
              "Altitude 80.0 m before motor cut (limit 79.5 m)");
    EXPECT_EQ(alesWarnings[1].toObject()["code"].toString(), "motor-restart");

    const TRun failed = Cli({"events", first, dir.filePath("none.zdf")});
    EXPECT_EQ(failed.Code, 1);
    EXPECT_TRUE(failed.Out.isEmpty()) << failed.Out.toStdString();
    EXPECT_EQ(failed.ErrLines().last(), "Error in reading file.");
}
