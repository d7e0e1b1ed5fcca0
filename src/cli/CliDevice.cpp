// zirko-cli split, download, config and erase: the device window's work without a window.
#include "cli/CliCommand.h"

#include "core/device/FlightSplitter.h"
#include "core/device/LoggerProtocol.h"
#include "gui/app/AppPaths.h"
#include "platform/locale/SavingMoment.h"
#include "platform/serial/LoggerSession.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QEventLoop>
#include <QFile>
#include <QLocale>
#include <QTimer>
#include <iostream>

namespace zirko::cli {

namespace {

constexpr int kDefaultWaitSeconds = 30;

// Splitting and saving, with the questions answered from the command line.
class TCliSaveUi final : public TFlightSaveUi {
public:
    explicit TCliSaveUi(bool overwrite) : Overwrite(overwrite) {}

    TOverwriteAnswer AskOverwrite(const std::string& question) override
    {
        std::cerr << question << (Overwrite ? " Yes to All" : " No") << std::endl;
        return Overwrite ? TOverwriteAnswer::YesToAll : TOverwriteAnswer::No;
    }
    void ShowError(const std::string& text) override
    {
        std::cout.flush();
        std::cerr << text << std::endl;
        LastError = text;
    }
    void ShowInformation(const std::string&) override {}
    void StatusText(const std::string& text) override { std::cout << text << std::endl; }
    void InitLabelText(const std::string&) override {}

    bool Overwrite;
    std::string LastError;
};

struct TSaveOptions {
    std::string OutDir;
    std::string Name = "Blok";
    std::string DateText;
    bool Overwrite = false;
};

std::string NowDateText()
{
    return SavingMomentText(QDateTime::currentDateTime()).toStdString();
}

// Reads --out, --name, --date and --overwrite; an empty message means they are usable.
std::string ParseSaveOptions(const TArgParser& p, TSaveOptions& options)
{
    const auto out = p.Option("--out");
    if (!out || out->empty())
        return "No output folder given (--out DIR).";
    options.OutDir = *out;
    if (const auto name = p.Option("--name"))
        options.Name = *name;
    options.DateText = p.Option("--date").value_or(NowDateText());
    const std::string overwrite = p.Option("--overwrite").value_or("no");
    if (overwrite != "yes" && overwrite != "no")
        return "--overwrite takes yes or no.";
    options.Overwrite = overwrite == "yes";
    return {};
}

// Splits an image and saves its flights as the download does; returns the exit code.
int SplitAndSave(std::vector<uint8_t> image, int64_t lastDataIndex, const TSaveOptions& options,
                 const std::filesystem::path& backupFolder)
{
    TFlightSplitter splitter;
    splitter.DataFolder = options.OutDir;
    splitter.DefaultFileName = options.Name;
    splitter.BackupFolder = backupFolder;
    TCliSaveUi ui(options.Overwrite);
    const TSplitResult result =
        splitter.DataReadingFinished(std::move(image), lastDataIndex, options.DateText, ui);
    if (!result.Error.empty())
        return Fail(result.Error);
    if (result.Segments > 0)
        std::cout << result.CountText << std::endl;
    if (!result.BackupPath.empty())
        std::cerr << "The downloaded memory is also kept in " << result.BackupPath << std::endl;
    if (!ui.LastError.empty())
        return Fail(ui.LastError);
    return 0;
}

int RunSplit(const TArgs& args)
{
    TArgParser p(args);
    const auto files = p.Positional({"--out", "--name", "--date", "--overwrite"});
    if (files.empty())
        return Fail("No memory image given.");
    TSaveOptions options;
    if (const std::string bad = ParseSaveOptions(p, options); !bad.empty())
        return Fail(bad);
    QFile file(QString::fromStdString(files.front()));
    if (!file.open(QIODevice::ReadOnly))
        return Fail("Error in reading file.");
    const QByteArray bytes = file.readAll();
    std::vector<uint8_t> image(bytes.begin(), bytes.end());
    const auto last = static_cast<int64_t>(image.size()) - 1;
    return SplitAndSave(std::move(image), last, options, {});
}

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
        connect(&Session, &TLoggerSession::TopLabelText, this, [this](const QString& text) {
            if (!Done && !text.trimmed().isEmpty() && text != LastStatus)
                std::cerr << text.toStdString() << std::endl;
        });
        connect(&Session, &TLoggerSession::FirmwareText, this, [](const QString& text) {
            std::cerr << "Firmware: " << text.toStdString() << std::endl;
        });
        connect(&Session, &TLoggerSession::ConnectFailed, this,
                [this](const QString& text) { Finish(Fail(text.trimmed().toStdString())); });
        connect(&Session, &TLoggerSession::ErrorShown, this,
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
    std::function<int(std::vector<uint8_t>, int64_t)> AfterDownload;

    int Run(int waitSeconds)
    {
        WaitTimer.start(waitSeconds * 1000);
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
        if (Session.PortOpen())
            Session.Close();
        Loop.quit();
    }

private:
    void OnCommandFinished(const QString& letter)
    {
        if (Done)
            return;
        if (letter == "R" && !ConfigDone) {
            ConfigDone = true;
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

    void OnDownloadFinished(const QByteArray& image, qint64 lastDataIndex, qint64)
    {
        if (Done || !AfterDownload)
            return;
        Closing = true;
        Session.Disconnect();
        std::vector<uint8_t> bytes(image.begin(), image.end());
        Finish(AfterDownload(std::move(bytes), lastDataIndex));
    }

    TJob Job;
    QString Port;
    QEventLoop Loop;
    QTimer WaitTimer;
    QString LastStatus;
    bool ConfigDone = false;
    bool Done = false;
    bool Closing = false;
    int ExitCode = 1;
};

// Reads --port and --wait; an empty message means they are usable.
std::string ParseConnection(const TArgParser& p, QString& port, int& waitSeconds)
{
    const auto name = p.Option("--port");
    if (!name || name->empty())
        return "No port given (--port PORT).";
    port = QString::fromStdString(*name);
    waitSeconds = kDefaultWaitSeconds;
    if (const auto wait = p.Option("--wait")) {
        try {
            size_t used = 0;
            waitSeconds = std::stoi(*wait, &used);
            if (used != wait->size() || waitSeconds < 0)
                return "--wait takes a number of seconds.";
        } catch (const std::exception&) {
            return "--wait takes a number of seconds.";
        }
    }
    return {};
}

int RunDownload(const TArgs& args)
{
    TArgParser p(args);
    QString port;
    int wait = 0;
    if (const std::string bad = ParseConnection(p, port, wait); !bad.empty())
        return Fail(bad);
    TSaveOptions options;
    if (const std::string bad = ParseSaveOptions(p, options); !bad.empty())
        return Fail(bad);
    TDeviceJob job(TJob::Download, port);
    job.AfterConfig = [&job] { job.Session.ReadData(); };
    job.AfterDownload = [&options](std::vector<uint8_t> image, int64_t last) {
        return SplitAndSave(std::move(image), last, options,
                            DefaultAppPaths().BackupDir.toStdString());
    };
    return job.Run(wait);
}

int RunConfig(const TArgs& args)
{
    TArgParser p(args);
    QString port;
    int wait = 0;
    if (const std::string bad = ParseConnection(p, port, wait); !bad.empty())
        return Fail(bad);
    const auto getFile = p.Option("--get");
    const auto setFile = p.Option("--set");
    QByteArray upload;
    if (setFile) {
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

int RunErase(const TArgs& args)
{
    TArgParser p(args);
    QString port;
    int wait = 0;
    if (const std::string bad = ParseConnection(p, port, wait); !bad.empty())
        return Fail(bad);
    TDeviceJob job(TJob::Erase, port);
    job.AfterConfig = [&job] { job.Session.EraseMemory(); };
    return job.Run(wait);
}

} // namespace

ZIRKO_CLI_COMMAND("split",
                  "split IMAGE --out DIR [--name NAME] [--date TEXT] [--overwrite yes|no]",
                  RunSplit);
ZIRKO_CLI_COMMAND("download",
                  "download --port PORT --out DIR [--name NAME] [--date TEXT] "
                  "[--overwrite yes|no] [--wait S]",
                  RunDownload);
ZIRKO_CLI_COMMAND("config", "config --port PORT [--get FILE] [--set FILE] [--wait S]",
                  RunConfig);
ZIRKO_CLI_COMMAND("erase", "erase --port PORT [--wait S]", RunErase);

} // namespace zirko::cli
