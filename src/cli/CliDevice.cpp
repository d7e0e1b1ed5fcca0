// zirko-cli split, download, config and erase: the device window's work without a window.
#include "cli/CliCommand.h"

#include "core/app/NumberFormat.h"
#include "core/device/LoggerProtocol.h"
#include "platform/files/AppPaths.h"
#include "platform/files/DownloadSave.h"
#include "platform/files/FileStore.h"
#include "platform/serial/LoggerSession.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QLocale>
#include <QTimer>
#include <algorithm>
#include <chrono>
#include <cmath>
#include <iostream>
#include <limits>
#include <memory>
#include <streambuf>
#include <unistd.h>

namespace zirko::cli {

namespace {

constexpr int kDefaultWaitSeconds = 30;
// The longest wait a timer can run: about 24 days.
constexpr int64_t kMaxWaitSeconds = std::numeric_limits<int>::max() / 1000;
constexpr double kDefaultEraseTimeoutSeconds = 120;
constexpr double kMaxEraseTimeoutSeconds = 1e6;

// Splitting and saving, with the questions answered from the command line.
class TCliSaveUi final : public TFlightSaveUi {
public:
    explicit TCliSaveUi(TOverwriteAnswer answer) : Answer(answer) {}

    TOverwriteAnswer AskOverwrite(const TOverwriteQuestion& question) override
    {
        std::cout.flush();
        std::cerr << question.Text << " "
                  << (Answer == TOverwriteAnswer::KeepBoth     ? "Keep both"
                      : Answer == TOverwriteAnswer::RewriteAll ? "Rewrite all"
                                                               : "Skip")
                  << std::endl;
        return Answer;
    }
    void FlightAlreadySaved(const std::string& fileName) override
    {
        std::cout.flush();
        std::cerr << AlreadySavedText(fileName) << std::endl;
    }
    void FlightsFound(size_t count) override
    {
        std::cout << ReadingFinishedText(count) << std::endl;
    }
    void FlightNotSaved(const std::string& reason) override
    {
        std::cout.flush();
        std::cerr << reason << std::endl;
        LastError = reason;
    }
    void FilesWritten(int) override {}
    // The count and the backup's place are printed once the result is known.
    void SaveFinished(const std::string&, const std::string&) override {}

    TOverwriteAnswer Answer;
    std::string LastError;
};

struct TSaveOptions {
    TDownloadSaveOptions Save;
    TOverwriteAnswer Overwrite = TOverwriteAnswer::KeepBoth;
};

// Reads --out, --name, --date, --overwrite and --skip-known; an empty message means they are
// usable.
std::string ParseSaveOptions(const TArgParser& p, TSaveOptions& options)
{
    options.Save.DataFolder = p.Option("--out").value_or("");
    options.Save.FileName = "Blok";
    if (const auto name = p.Option("--name")) {
        // Only the file name counts, as for the option it stands for: the flights stay in the
        // output folder.
        if (std::any_of(name->begin(), name->end(),
                        [](char c) { return static_cast<unsigned char>(c) < 0x20 || c == 0x7F; }))
            return "--name takes a file name without control characters.";
        options.Save.FileName = *name;
    }
    options.Save.DateText = p.Option("--date");
    const std::string overwrite = p.Option("--overwrite").value_or("keep");
    if (overwrite == "keep")
        options.Overwrite = TOverwriteAnswer::KeepBoth;
    else if (overwrite == "yes")
        options.Overwrite = TOverwriteAnswer::RewriteAll;
    else if (overwrite == "no")
        options.Overwrite = TOverwriteAnswer::Skip;
    else
        return "--overwrite takes keep, yes or no.";
    options.Save.SkipKnown = p.Flag("--skip-known");
    return {};
}

// Splits an image and saves its flights as the download does; returns the exit code.
int SplitAndSave(std::span<const uint8_t> image, int64_t lastDataIndex, const TSaveOptions& options,
                 const std::filesystem::path& backupFolder)
{
    TDownloadSaveOptions save = options.Save;
    save.BackupFolder = backupFolder;
    TDownloadSave job(save);
    TCliSaveUi ui(options.Overwrite);
    const TSplitResult result = job.Run(image, lastDataIndex, ui);
    if (result.Segments > 0 && result.Error.empty())
        std::cout << result.CountText << std::endl;
    std::cout.flush();
    // Before any failure text, which stays the last line.
    if (!result.BackupPath.empty())
        std::cerr << "The downloaded memory is also kept in " << result.BackupPath << std::endl;
    if (!result.Error.empty())
        return Fail(result.Error);
    if (!ui.LastError.empty())
        return Fail(ui.LastError);
    return 0;
}

int RunSplit(const TArgParser& p)
{
    const auto& files = p.Positional();
    TSaveOptions options;
    if (const std::string bad = ParseSaveOptions(p, options); !bad.empty())
        return Fail(bad);
    // A FIFO would block and a device such as /dev/zero would never end.
    if (const std::string bad = NotRegularFileText(files.front()); !bad.empty())
        return Fail(bad);
    std::string bytes;
    if (!ReadWholeFile(files.front(), bytes))
        return Fail("Error in reading file.");
    const std::span image(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size());
    const auto last = static_cast<int64_t>(image.size()) - 1;
    return SplitAndSave(image, last, options, {});
}

// The download's progress on a terminal: one line rewritten in place. Every other text on stderr
// first wipes it, so status lines and messages stay whole.
class TProgressLine final : public std::streambuf {
public:
    TProgressLine() : Target(std::cerr.rdbuf()) { std::cerr.rdbuf(this); }
    ~TProgressLine() override
    {
        Clear();
        std::cerr.rdbuf(Target);
    }
    TProgressLine(const TProgressLine&) = delete;
    TProgressLine& operator=(const TProgressLine&) = delete;

    void SetMaximum(qint64 bytes) { Maximum = bytes; }

    void Update(qint64 bytes)
    {
        if (!Clock.isValid() || bytes <= 0) {
            Clock.start();
            StartBytes = bytes;
        }
        // A terminal needs no more than a few redraws a second.
        if (Shown && LastDraw.isValid() && LastDraw.elapsed() < 200)
            return;
        LastDraw.start();
        std::string line = std::to_string(bytes / static_cast<qint64>(kLoggerBlockBytes)) +
                           " blocks read, " + std::to_string(bytes) + " of " +
                           std::to_string(Maximum) + " bytes";
        const double seconds = Clock.elapsed() / 1000.0;
        const qint64 done = bytes - StartBytes;
        if (seconds >= 1 && done > 0 && Maximum > bytes) {
            const auto left = static_cast<qint64>((Maximum - bytes) * seconds / done + 0.5);
            line += ", about " + std::to_string(left / 60) + ":" + (left % 60 < 10 ? "0" : "") +
                    std::to_string(left % 60) + " left";
        }
        Clear();
        Target->sputn(line.data(), static_cast<std::streamsize>(line.size()));
        Target->pubsync();
        Shown = true;
    }

protected:
    int overflow(int c) override
    {
        Clear();
        return c == traits_type::eof() ? traits_type::not_eof(c)
                                       : Target->sputc(static_cast<char>(c));
    }
    std::streamsize xsputn(const char* text, std::streamsize count) override
    {
        Clear();
        return Target->sputn(text, count);
    }
    int sync() override { return Target->pubsync(); }

private:
    void Clear()
    {
        if (!Shown)
            return;
        Shown = false;
        Target->sputn("\r\033[K", 4);
    }

    std::streambuf* Target;
    QElapsedTimer Clock;
    QElapsedTimer LastDraw;
    qint64 StartBytes = 0;
    qint64 Maximum = 0;
    bool Shown = false;
};

enum class TJob { Download, Config, Erase };

// One connection to a logger, run to the end of one job on the event loop.
class TDeviceJob final : public QObject {
public:
    TDeviceJob(TJob job, const QString& port) : Job(job), Port(port)
    {
        Session.SetPortName(port);
        // Once the job has its result, the closing texts would hide the failure as last line.
        connect(&Session, &TLoggerSession::StatusText, this, [this](const QString& text) {
            if (Done)
                return;
            LastStatus = text;
            std::cerr << text.toStdString() << std::endl;
        });
        connect(&Session, &TLoggerSession::DownloadStarted, this, &TDeviceJob::ShowEvent);
        connect(&Session, &TLoggerSession::Disconnected, this,
                [this](TConnectionEnd, const QString& text) { ShowEvent(text); });
        connect(&Session, &TLoggerSession::Firmware, this,
                [this](const QString& text, qint64, bool received) {
                    if (!Done && received)
                        std::cerr << "Firmware: " << text.toStdString() << std::endl;
                });
        connect(&Session, &TLoggerSession::ConnectFailed, this,
                [this](const QString& text) { Finish(Fail(text.trimmed().toStdString())); });
        connect(&Session, &TLoggerSession::Failed, this,
                [this](const QString& text) { Finish(Fail(text.toStdString())); });
        connect(&Session, &TLoggerSession::CommandFinished, this, &TDeviceJob::OnCommandFinished);
        connect(&Session, &TLoggerSession::DownloadFinished, this, &TDeviceJob::OnDownloadFinished);
        connect(&Session, &TLoggerSession::ConnectionClosed, this, [this] {
            if (!Done && !Closing)
                Finish(Fail(kMsgCommunication));
        });
        WaitTimer.setSingleShot(true);
        connect(&WaitTimer, &QTimer::timeout, this, [this] {
            if (Session.DeviceConnected())
                return;
            std::cout.flush();
            std::cerr << "No answer from logger at " << Port.toStdString() << std::endl;
            Finish(2);
        });
    }

    // What runs once the logger's configuration was read.
    std::function<void()> AfterConfig;
    std::function<void(const QByteArray&)> AfterVerify;
    std::function<int(std::span<const uint8_t>, int64_t)> AfterDownload;

    // Shows the download's progress on stderr, when stderr is a terminal.
    void ShowProgress()
    {
        if (!::isatty(STDERR_FILENO))
            return;
        Progress = std::make_unique<TProgressLine>();
        connect(&Session, &TLoggerSession::Firmware, this,
                [this](const QString&, qint64 memorySize) { Progress->SetMaximum(memorySize); });
        connect(&Session, &TLoggerSession::Progress, this, [this](qint64 position, bool ended) {
            if (!Done && !ended && Session.DeviceConnected() && Downloading)
                Progress->Update(position);
        });
    }

    int Run(int64_t waitSeconds)
    {
        WaitTimer.start(std::chrono::seconds(waitSeconds));
        QTimer::singleShot(0, &Session, &TLoggerSession::Connect);
        Loop.exec();
        return ExitCode;
    }

    TLoggerSession Session;

    void Finish(int code)
    {
        if (Done)
            return;
        Done = true;
        ExitCode = code;
        WaitTimer.stop();
        Progress.reset();
        if (Session.PortOpen())
            Session.Close();
        Loop.quit();
    }

private:
    // A text of the conversation that is not a status line, unless it repeats the last one.
    void ShowEvent(const QString& text)
    {
        if (Done || text.trimmed().isEmpty() || text == LastStatus)
            return;
        std::cerr << text.toStdString() << std::endl;
    }

    void OnCommandFinished(const QString& letter)
    {
        if (Done)
            return;
        if (letter == "R" && !ConfigDone) {
            ConfigDone = true;
            Downloading = Job == TJob::Download;
            if (AfterConfig)
                AfterConfig();
            return;
        }
        if (letter == "W" && AfterVerify) {
            AfterVerify(Session.ConfigImage());
            return;
        }
        if (letter == "E" && Job == TJob::Erase) {
            if (LastStatus == "Erasing finished.")
                Finish(0);
            else
                Finish(Fail(LastStatus.toStdString()));
        }
    }

    void OnDownloadFinished(std::span<const uint8_t> image, qint64 lastDataIndex, qint64)
    {
        if (Done || !AfterDownload)
            return;
        Closing = true;
        Progress.reset();
        // The image stays the protocol's until this signal has been delivered, also while the
        // port closes.
        Session.Disconnect();
        Finish(AfterDownload(image, lastDataIndex));
    }

    TJob Job;
    QString Port;
    QEventLoop Loop;
    QTimer WaitTimer;
    QString LastStatus;

    std::unique_ptr<TProgressLine> Progress;
    bool Downloading = false;
    bool ConfigDone = false;
    bool Done = false;
    bool Closing = false;
    int ExitCode = 1;
};

// Reads --port and --wait; an empty message means they are usable, any other is a usage error.
std::string ParseConnection(const TArgParser& p, QString& port, int64_t& waitSeconds)
{
    port = QString::fromStdString(p.Option("--port").value_or(""));
    waitSeconds = kDefaultWaitSeconds;
    return ReadWholeNumber(p, "--wait", 0, kMaxWaitSeconds, waitSeconds);
}

// Reads --erase-timeout: how long the logger may take to erase its memory.
std::string ParseEraseTimeout(const TArgParser& p, double& seconds)
{
    const auto text = p.Option("--erase-timeout");
    if (!text)
        return {};
    const std::optional<double> value = ParseStrictNumber(*text);
    if (!value || !(*value > 0) || *value > kMaxEraseTimeoutSeconds)
        return "--erase-timeout takes a number of seconds above 0, at most 1000000.";
    seconds = *value;
    return {};
}

int RunDownload(const TArgParser& p)
{
    QString port;
    int64_t wait = 0;
    if (const std::string bad = ParseConnection(p, port, wait); !bad.empty())
        return UsageFail(p, bad);
    TSaveOptions options;
    if (const std::string bad = ParseSaveOptions(p, options); !bad.empty())
        return Fail(bad);
    TDeviceJob job(TJob::Download, port);
    job.ShowProgress();
    job.AfterConfig = [&job] { job.Session.ReadData(); };
    job.AfterDownload = [&options](std::span<const uint8_t> image, int64_t last) {
        return SplitAndSave(image, last, options, DefaultAppPaths().BackupDir.toStdString());
    };
    return job.Run(wait);
}

int RunConfig(const TArgParser& p)
{
    QString port;
    int64_t wait = 0;
    if (const std::string bad = ParseConnection(p, port, wait); !bad.empty())
        return UsageFail(p, bad);
    const auto getFile = p.Option("--get");
    const auto setFile = p.Option("--set");
    QByteArray upload;
    if (setFile) {
        if (const std::string bad = NotRegularFileText(*setFile); !bad.empty())
            return Fail(bad);
        QFile file(QString::fromStdString(*setFile));
        if (!file.open(QIODevice::ReadOnly))
            return Fail("Error in reading file.");
        upload = file.readAll();
        if (upload.size() != static_cast<qsizetype>(kLoggerConfigBytes))
            return Fail("A configuration file holds exactly 264 bytes; " + *setFile + " has " +
                        std::to_string(upload.size()) + ".");
    }
    TDeviceJob job(TJob::Config, port);
    job.AfterConfig = [&] {
        const QByteArray config = job.Session.ConfigImage();
        if (getFile) {
            QFile out(QString::fromStdString(*getFile));
            if (!out.open(QIODevice::WriteOnly | QIODevice::Truncate) ||
                out.write(config) != config.size()) {
                job.Finish(Fail("Error in writing file."));
                return;
            }
        } else if (!setFile) {
            std::cout << config.toHex().toStdString() << std::endl;
        }
        if (setFile)
            job.Session.UploadConfig(upload);
        else
            job.Finish(0);
    };
    job.AfterVerify = [&](const QByteArray& config) {
        job.Finish(config == upload ? 0 : Fail(kMsgVerifyFailed));
    };
    return job.Run(wait);
}

int RunErase(const TArgParser& p)
{
    QString port;
    int64_t wait = 0;
    if (const std::string bad = ParseConnection(p, port, wait); !bad.empty())
        return UsageFail(p, bad);
    double eraseTimeout = kDefaultEraseTimeoutSeconds;
    if (const std::string bad = ParseEraseTimeout(p, eraseTimeout); !bad.empty())
        return UsageFail(p, bad);
    TDeviceJob job(TJob::Erase, port);
    // Without a Disconnect button a logger that never finishes must not keep the tool waiting.
    job.Session.SetEraseTimeout(std::llround(eraseTimeout * 1000));
    job.AfterConfig = [&job] { job.Session.EraseMemory(); };
    return job.Run(wait);
}

} // namespace

const TCliOption kPort{"port", "PORT",
                       "the logger's serial port, e.g. /dev/ttyUSB0, or the device path that "
                       "zirko-cli simulate printed",
                       "No port given (--port PORT)."};
const TCliOption kWait{"wait", "S",
                       "seconds to wait for the logger's handshake, 0 to 2147483 (default 30); "
                       "no handshake in time: exit 2"};
const TCliOption kOut{"out", "DIR", "the folder the flights are saved in",
                      "No output folder given (--out DIR)."};
const TCliOption kName{"name", "NAME",
                       "the start of the saved files' names (default \"Blok\"); of a path only "
                       "the file name counts"};
const TCliOption kDate{"date", "TEXT",
                       "the date text of the saved flights (default: now, in the locale's short "
                       "date and long time format)"};
const TCliOption kOverwrite{
    "overwrite", "keep|yes|no",
    "a different flight under a taken name: keep (the default) saves it under the next free "
    "number, yes rewrites the file, no skips that flight; a flight the file already holds is "
    "never written again"};
const TCliOption kSkipKnown{
    "skip-known", "",
    "a flight whose header words and samples equal those of a flight file anywhere under the "
    "output folder is not saved again (found through the logbook index in the user's cache "
    "folder, each match read to be sure); the count names how many and where"};

ZIRKO_CLI_COMMAND("split",
                  "splits a raw logger memory image into flights and saves them as the download "
                  "does",
                  {"IMAGE", "a memory image, e.g. a raw backup the download kept", false,
                   "No memory image given."},
                  {kOut, kName, kDate, kOverwrite, kSkipKnown}, RunSplit,
                  "stdout shows \"Data reading finished (N blocks read.)\", then the count: \"N "
                  "files succesfully written.\", followed by \"K flights skipped.\" and \"M "
                  "flights already saved.\" and \"J flights already in the logbook, in DIR.\" when "
                  "there are some. Each question about a taken "
                  "name with its answer, and each flight already saved, appear on stderr.");
ZIRKO_CLI_COMMAND("download",
                  "connects to a logger, reads firmware and configuration, downloads the "
                  "memory, then splits and saves as split does",
                  {}, {kPort, kOut, kName, kDate, kOverwrite, kSkipKnown, kWait}, RunDownload,
                  "Each status text of the device window appears on stderr; when stderr is a "
                  "terminal, a progress line shows the blocks and bytes read and the time left.");
ZIRKO_CLI_COMMAND("config",
                  "reads the logger's 264-byte configuration and prints it in hex, or writes it "
                  "to a file, or uploads one and verifies it",
                  {},
                  {kPort,
                   {"get", "FILE", "writes the configuration read to FILE"},
                   {"set", "FILE", "uploads FILE's 264 bytes and verifies them"},
                   kWait},
                  RunConfig);
ZIRKO_CLI_COMMAND("erase", "erases the logger's memory and waits for it to finish", {},
                  {kPort,
                   kWait,
                   {"erase-timeout", "S",
                    "seconds the logger may take to erase its memory (default 120)"}},
                  RunErase);

} // namespace zirko::cli
