// zirko-cli simulate: the built-in logger on a new pseudo-terminal, until the process is stopped.
#include "cli/CliCommand.h"

#include "platform/files/FileStore.h"
#include "platform/serial/PtyServer.h"
#include "platform/serial/SimulatorDevice.h"

#include <QCoreApplication>
#include <QFile>
#include <QSocketNotifier>
#include <csignal>
#include <initializer_list>
#include <iostream>
#include <string>
#include <sys/socket.h>
#include <unistd.h>
#include <utility>

namespace zirko::cli {

namespace {

// An unpaced logger stays awake this long for the program's answer.
constexpr qint64 kAnswerWaitMicroseconds = 1000;

// The write end of the pipe through which SIGTERM and SIGINT reach the event loop.
int gSignalPipe[2] = {-1, -1};

void OnStopSignal(int)
{
    const char byte = 1;
    [[maybe_unused]] const auto written = ::write(gSignalPipe[1], &byte, 1);
}

bool ReadFileBytes(const std::string& name, std::vector<uint8_t>& bytes)
{
    QFile file(QString::fromStdString(name));
    if (!file.open(QIODevice::ReadOnly))
        return false;
    const QByteArray content = file.readAll();
    bytes.assign(content.begin(), content.end());
    return true;
}

// The range of each whole-number option: far beyond any test, never past an int.
struct TIntOption {
    const char* Name;
    int* Value;
    int64_t Least;
    int64_t Most;
};

// Reads the options into their fields; returns the first usage error, empty when all are usable.
std::string ReadIntOptions(const TArgParser& p, std::initializer_list<TIntOption> options)
{
    for (const TIntOption& o : options) {
        int64_t value = *o.Value;
        if (std::string bad = ReadWholeNumber(p, o.Name, o.Least, o.Most, value); !bad.empty())
            return bad;
        *o.Value = static_cast<int>(value);
    }
    return {};
}

constexpr int64_t kMaxBlock = 1000000; // blocks of 264 bytes: more than any logger memory holds
constexpr int64_t kMaxCount = 1000000;

int RunSimulate(const TArgParser& p)
{
    TSimulatorOptions options;
    // A FIFO would block and a device such as /dev/zero would never end.
    for (const char* file : {"--image", "--config"})
        if (const std::string bad = NotRegularFileText(p.Option(file).value_or("")); !bad.empty())
            return Fail(bad);
    TImageFaults flightFaults;
    if (!ReadIntOptions(p, {{"--motor-restart", &flightFaults.MotorRestartFlight, 0, 1000},
                            {"--servo-loss", &flightFaults.ServoLossFlight, 0, 1000}})
             .empty())
        return UsageFail(
            p, "--motor-restart and --servo-loss take a flight number, or 0 for every flight.");
    const bool faultyFlights = p.Option("--motor-restart") || p.Option("--servo-loss");
    if (const auto image = p.Option("--image")) {
        if (faultyFlights)
            return Fail("--motor-restart and --servo-loss work on generated flights, not on an "
                        "--image.");
        if (!ReadFileBytes(*image, options.Memory))
            return Fail("Error in reading file.");
    } else {
        int flights = 3;
        if (std::string bad = ReadIntOptions(p, {{"--flights", &flights, 0, 1000}}); !bad.empty())
            return UsageFail(p, bad);
        for (const auto& [name, chosen] :
             {std::pair{"--motor-restart", flightFaults.MotorRestartFlight},
              std::pair{"--servo-loss", flightFaults.ServoLossFlight}})
            if (p.Option(name) && (chosen < 0 || chosen > flights))
                return Fail(std::string(name) + " takes a flight number from 1 to " +
                            std::to_string(flights) + ", or 0 for every flight.");
        options.Memory = GenerateMemoryImage(flights, 20260101, 300, flightFaults);
    }
    if (const auto firmware = p.Option("--firmware"))
        options.Firmware = *firmware;
    if (const auto config = p.Option("--config")) {
        if (!ReadFileBytes(*config, options.Config))
            return Fail("Error in reading file.");
        if (options.Config.size() != 264)
            return Fail("A configuration file holds exactly 264 bytes.");
    }
    TSimulatorFaults& f = options.Faults;
    int erase = static_cast<int>(options.EraseMs);
    const std::string bad =
        ReadIntOptions(p, {{"--pace", &options.BytesPerSecond, 0, 100000000},
                           {"--erase-ms", &erase, 0, 3600000},
                           {"--noise", &f.NoiseBytes, 0, kMaxCount},
                           {"--bad-block", &f.BadCheckBlock, -1, kMaxBlock},
                           {"--bad-times", &f.BadCheckTimes, 0, kMaxCount},
                           {"--silent-after", &f.SilentAfterBlock, -1, kMaxBlock},
                           {"--wrong-echo", &f.WrongEchoBlock, -1, kMaxBlock},
                           {"--bad-config", &f.BadConfigChecks, 0, kMaxCount},
                           {"--corrupt-readback", &f.CorruptReadBacks, 0, kMaxCount},
                           {"--silent-firmware-after", &f.SilentFirmwareAfter, -1, kMaxCount}});
    if (!bad.empty())
        return UsageFail(p, bad);
    options.EraseMs = erase;
    f.WrongEraseReply = p.Flag("--wrong-erase-reply");
    f.IgnoredCommands = p.Option("--ignore").value_or("");
    if (f.BadCheckBlock >= 0 && f.BadCheckTimes == 0)
        f.BadCheckTimes = 1;

    const bool unpaced = options.BytesPerSecond <= 0;
    TSimulatorDevice device(std::move(options));
    auto created = TPtyServer::Create(device);
    if (!created.Server)
        return Fail(created.Message.toStdString());
    if (unpaced)
        created.Server->SetAnswerWait(kAnswerWaitMicroseconds);

    if (::socketpair(AF_UNIX, SOCK_STREAM, 0, gSignalPipe) != 0)
        return Fail("Cannot watch for stop signals.");
    QSocketNotifier stop(gSignalPipe[0], QSocketNotifier::Read);
    QObject::connect(&stop, &QSocketNotifier::activated, qApp, &QCoreApplication::quit);
    struct sigaction action {};
    action.sa_handler = OnStopSignal;
    sigemptyset(&action.sa_mask);
    ::sigaction(SIGTERM, &action, nullptr);
    ::sigaction(SIGINT, &action, nullptr);

    std::cout << created.Server->DevicePath().toStdString() << std::endl;
    // Without its device path on stdout nobody can use the simulator: serving would be in vain.
    if (const int code = CheckStandardOutput(0); code != 0) {
        ::close(gSignalPipe[0]);
        ::close(gSignalPipe[1]);
        return code;
    }
    const bool verbose = p.Flag("--verbose");
    QObject::connect(created.Server.get(), &TPtyServer::ClientConnected, created.Server.get(),
                     [verbose] {
                         if (verbose)
                             std::cerr << "Program connected." << std::endl;
                     });
    QObject::connect(created.Server.get(), &TPtyServer::ClientDisconnected, created.Server.get(),
                     [verbose] {
                         if (verbose)
                             std::cerr << "Program disconnected." << std::endl;
                     });
    QCoreApplication::exec();
    created.Server.reset();
    ::close(gSignalPipe[0]);
    ::close(gSignalPipe[1]);
    return 0;
}

} // namespace

ZIRKO_CLI_COMMAND(
    "simulate",
    "runs the built-in logger simulator on a new pseudo-terminal; prints the device path as the "
    "first stdout line; serves until killed",
    {},
    {{"image", "FILE", "the logger's memory (default: generated flights)"},
     {"firmware", "TEXT",
      "the logger's 26 identification bytes (default \"ZIRKO logger sim. FW 2.10\")"},
     {"config", "FILE", "the logger's 264-byte configuration record"},
     {"flights", "N", "number of generated flights when no --image is given (default 3)"},
     {"pace", "BYTES_PER_S",
      "bytes the logger sends per second (11520 is 115200 baud; default 0, all at once)"},
     {"erase-ms", "MS", "milliseconds the logger takes to erase its memory (default 1500)"},
     {"noise", "N", "bytes other than \"*\" sent at power-up before the \"*\""},
     {"bad-block", "K", "block K of the download goes out with a bad check byte"},
     {"bad-times", "N", "how often block K is bad (default 1 with --bad-block)"},
     {"silent-after", "K", "after echoing block K the logger says nothing more"},
     {"wrong-echo", "K", "the reply after block K is another letter"},
     {"bad-config", "N", "this many configuration reads carry a wrong check byte"},
     {"corrupt-readback", "N", "this many reads after a write return one byte changed"},
     {"wrong-erase-reply", "", "the end of an erase is announced with \"?\" instead of \"E\""},
     {"silent-firmware-after", "N", "the firmware text stops after N bytes"},
     {"motor-restart", "N",
      "generated flight N (from 1; 0: every flight) starts its motor a second time, later in the "
      "flight"},
     {"servo-loss", "N",
      "generated flight N (from 1; 0: every flight) loses the servo signal for about a second: the "
      "servo channel reads about -300 %"},
     {"ignore", "LETTERS", "command letters the logger never answers"},
     {"verbose", "", "says on stderr when a program connects and disconnects"}},
    RunSimulate);

} // namespace zirko::cli
