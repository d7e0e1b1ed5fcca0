#include "platform/files/FlightFile.h"

#include <algorithm>
#include <csignal>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace zirko;
namespace fs = std::filesystem;

namespace {

TDataBlock SampleFlight()
{
    TDataBlock f;
    f.DateText = "8.12.2026 7:14:28";
    f.Sampling = 10;
    f.ChannelMask = 0xC800;
    f.HeaderWord3 = 1;
    f.HeaderWord4 = 65535;
    f.HeaderWord5 = 0;
    f.HeaderWord6 = 42;
    f.HeaderWord7 = 15;
    for (int i = 0; i < 50; ++i) {
        f.Time.push_back(i * 0.1);
        f.Altitude.push_back(i * 1.25 - 3);
        f.Rx.push_back(i % 7 == 0 ? 80.5 : -33.1);
        f.Voltage.push_back(4.87 - i * 0.001);
    }
    f.Annotations = {{65, 120.4, "Engine off, gliding"}, {1.5, -2.25, " "}};
    f.Notes = "{\\rtf1\\ansi line one\\par\r\nline two}\r\n\r\nlast";
    f.RxOffsetY = -2.5;
    return f;
}

class TTempDir {
public:
    TTempDir()
    {
        char tmpl[] = "/tmp/zirko-zdf-XXXXXX";
        Path = ::mkdtemp(tmpl);
    }
    ~TTempDir()
    {
        std::error_code ec;
        fs::permissions(Path, fs::perms::owner_all, ec);
        fs::remove_all(Path, ec);
    }
    fs::path Path;
};

std::string Slurp(const fs::path& p)
{
    std::string s;
    ReadWholeFile(p, s);
    return s;
}

} // namespace

TEST(ZdfWriter, RoundTripKeepsEverythingToItsPrecision)
{
    TTempDir dir;
    const TDataBlock f = SampleFlight();
    const fs::path file = dir.Path / "flight.zdf";
    ASSERT_TRUE(WriteDataFile(file, f).Ok());
    TDataBlock g;
    auto r = ReadDataFile(file, g, 0);
    ASSERT_EQ(r.Status, TReadStatus::Ok);
    ASSERT_EQ(r.Count, 50);
    EXPECT_EQ(g.DateText, f.DateText);
    EXPECT_EQ(g.Sampling, f.Sampling);
    EXPECT_EQ(g.ChannelMask, f.ChannelMask);
    EXPECT_EQ(g.HeaderWord4, 65535);
    EXPECT_EQ(g.HeaderWord7, 15);
    for (size_t i = 0; i < f.Time.size(); ++i) {
        EXPECT_NEAR(g.Time[i], f.Time[i], 0.05);
        EXPECT_NEAR(g.Altitude[i], f.Altitude[i], 0.005);
        EXPECT_NEAR(g.Rx[i], f.Rx[i], 0.005);
        EXPECT_NEAR(g.Voltage[i], f.Voltage[i], 0.005);
    }
    ASSERT_EQ(g.Annotations.size(), 2u);
    EXPECT_EQ(g.Annotations[0].Text, "Engine off, gliding");
    EXPECT_EQ(g.Annotations[1].Text, "");
    EXPECT_NEAR(g.Annotations[1].Value, -2.25, 0.005);
    EXPECT_EQ(g.Notes, f.Notes);
    EXPECT_NEAR(g.RxOffsetY, -2.5, 0.005);
    EXPECT_EQ(g.MarkerFlags.size(), g.Rx.size());
}

TEST(ZdfWriter, ShortChannelIsRefusedAndWritesNothing)
{
    TTempDir dir;
    TDataBlock f = SampleFlight();
    f.Voltage.resize(3);
    const fs::path file = dir.Path / "flight.zdf";
    auto r = WriteDataFile(file, f);
    EXPECT_EQ(r.Status, TWriteStatus::Failed);
    EXPECT_FALSE(r.Message.empty());
    EXPECT_FALSE(fs::exists(file));
}

TEST(ZdfWriter, FailedWriteLeavesThePreviousFileIntact)
{
    TTempDir dir;
    const fs::path file = dir.Path / "flight.zdf";
    const TDataBlock f = SampleFlight();
    ASSERT_TRUE(WriteDataFile(file, f).Ok());
    const std::string before = Slurp(file);

    // A disk that fills up in the middle of the write: the file size limit makes write() fail
    // part-way, also for root.
    struct rlimit old {};
    ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &old), 0);
    auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    struct rlimit small = old;
    small.rlim_cur = before.size() / 2;
    ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &small), 0);
    TDataBlock g = f;
    g.Notes = "changed";
    auto r = WriteDataFile(file, g);
    ::setrlimit(RLIMIT_FSIZE, &old);
    std::signal(SIGXFSZ, oldHandler);
    EXPECT_EQ(r.Status, TWriteStatus::IoError);
    EXPECT_EQ(r.Message, kMsgWriteIo);
    EXPECT_EQ(Slurp(file), before);
    EXPECT_EQ(std::distance(fs::directory_iterator(dir.Path), fs::directory_iterator{}), 1)
        << "the temporary file was left behind";
}

TEST(ZdfWriter, WriteIntoAMissingFolderFailsWithoutSideEffects)
{
    TTempDir dir;
    auto r = WriteDataFile(dir.Path / "missing" / "flight.zdf", SampleFlight());
    EXPECT_EQ(r.Status, TWriteStatus::IoError);
    EXPECT_EQ(r.Message, kMsgWriteIo);
    EXPECT_TRUE(fs::is_empty(dir.Path));
}

TEST(ZdfReader, UnreadableFileIsAnInputFailure)
{
    TTempDir dir;
    TDataBlock f;
    auto r = ReadDataFile(dir.Path / "nothing.zdf", f, 0);
    EXPECT_EQ(r.Status, TReadStatus::IoError);
    EXPECT_EQ(r.Count, 0);
    EXPECT_EQ(r.Message, kMsgReadIo);
    EXPECT_EQ(ReadDataFile("", f, 0).Count, 0);
}

// A FIFO would block the reader and a device would never end: neither is opened.
TEST(ZdfReader, AnythingButARegularFileIsRefusedUnopened)
{
    TTempDir dir;
    const fs::path fifo = dir.Path / "pipe.zdf";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    for (const fs::path& path : {fifo, fs::path("/dev/zero"), dir.Path}) {
        TDataBlock f;
        const TReadResult r = ReadDataFile(path, f, 0);
        EXPECT_EQ(r.Status, TReadStatus::IoError) << path;
        EXPECT_EQ(r.Count, 0);
        EXPECT_EQ(r.Message, path.string() + " is not a regular file.");
        EXPECT_EQ(NotRegularFileText(path), r.Message);
    }
    // A link to a flight file is read as the file.
    const fs::path flight = dir.Path / "flight.zdf";
    ASSERT_TRUE(WriteDataFile(flight, SampleFlight()).Ok());
    fs::create_symlink(flight, dir.Path / "link.zdf");
    TDataBlock f;
    EXPECT_EQ(ReadDataFile(dir.Path / "link.zdf", f, 0).Count, 50);
    EXPECT_EQ(NotRegularFileText(dir.Path / "link.zdf"), "");
    EXPECT_EQ(NotRegularFileText(dir.Path / "missing.zdf"), "");
    std::string content;
    EXPECT_FALSE(ReadWholeFile(fifo, content));
}

// Every line is a sample, an empty one too; a file whose samples would not fit is told about
// before the arrays grow.
TEST(ZdfReader, AFlightLargerThanTheMemoryLimitIsRefused)
{
    TTempDir dir;
    const fs::path file = dir.Path / "empty-lines.zdf";
    std::ofstream(file, std::ios::binary)
        << "<Header>\r\nd\r\n10\r\n"
        << 0xFE00 << "\r\n0\r\n0\r\n0\r\n0\r\n0\r\n</Header>\r\n<Data>\r\n"
        << std::string(20000, '\n') << "</Data>\r\n";
    EXPECT_EQ(SampleMemoryBytes(20000, 0xFE00), 20000u * 68);
    SetFlightMemoryLimit(20000 * 68 - 1);
    TDataBlock f;
    const TReadResult refused = ReadDataFile(file, f, 0);
    SetFlightMemoryLimit(20000 * 68);
    TDataBlock g;
    const TReadResult read = ReadDataFile(file, g, 0);
    SetFlightMemoryLimit(0);
    EXPECT_EQ(refused.Status, TReadStatus::IoError);
    EXPECT_EQ(refused.Message, "Not enough memory to open " + file.string() + ".");
    EXPECT_TRUE(f.Time.empty());
    EXPECT_EQ(read.Status, TReadStatus::Ok);
    EXPECT_EQ(read.Count, 20000);
    EXPECT_EQ(g.Aux0200.size(), 20000u);
    EXPECT_GT(FlightMemoryLimit(), size_t{1} << 24);
}

// What a picture must never replace: a ".zdf" name, or a file that starts as a flight file does.
TEST(FlightDataFile, IsKnownByItsNameOrItsStart)
{
    TTempDir dir;
    const auto write = [&](const char* name, const std::string& content) {
        std::ofstream(dir.Path / name, std::ios::binary) << content;
        return dir.Path / name;
    };
    EXPECT_TRUE(IsFlightDataFile(dir.Path / "missing.zdf"));
    EXPECT_TRUE(IsFlightDataFile(dir.Path / "MISSING.Zdf"));
    EXPECT_TRUE(IsFlightDataFile(write("flight.png", "<Header>\r\n9.12.2026\r\n")));
    EXPECT_TRUE(IsFlightDataFile(write("bare", "<Header>")));
    EXPECT_FALSE(IsFlightDataFile(dir.Path / "missing.png"));
    EXPECT_FALSE(IsFlightDataFile(write("short.png", "<Heade")));
    EXPECT_FALSE(IsFlightDataFile(write("lower.png", "<header>\r\n")));
    EXPECT_FALSE(IsFlightDataFile(write("picture.png", "\x89PNG\r\n")));
    EXPECT_FALSE(IsFlightDataFile(dir.Path));
    fs::create_symlink(dir.Path / "flight.png", dir.Path / "link.bmp");
    EXPECT_TRUE(IsFlightDataFile(dir.Path / "link.bmp"));
    // A FIFO is not opened: the question returns at once.
    ASSERT_EQ(::mkfifo((dir.Path / "pipe").c_str(), 0600), 0);
    EXPECT_FALSE(IsFlightDataFile(dir.Path / "pipe"));
}

namespace {

fs::perms Perms(const fs::path& p)
{
    return fs::status(p).permissions();
}

// Everything in a folder, to see that no temporary file stayed.
std::vector<std::string> Entries(const fs::path& folder)
{
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

TDataBlock ChangedFlight()
{
    TDataBlock f = SampleFlight();
    f.Notes = "changed";
    return f;
}

} // namespace

TEST(ZdfWriter, AFileTheUserMayNotWriteIsRefusedAndKept)
{
    TTempDir dir;
    const fs::path file = dir.Path / "flight.zdf";
    ASSERT_TRUE(WriteDataFile(file, SampleFlight()).Ok());
    const std::string before = Slurp(file);
    fs::permissions(file, fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);

    const auto r = WriteDataFile(file, ChangedFlight());
    EXPECT_EQ(r.Status, TWriteStatus::IoError);
    EXPECT_EQ(r.Message, kMsgWriteIo);
    EXPECT_EQ(Slurp(file), before);
    EXPECT_EQ(Perms(file), fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
    EXPECT_EQ(Entries(dir.Path), std::vector<std::string>{"flight.zdf"});
}

TEST(ZdfWriter, ReplacingKeepsThePermissionsAndFollowsALink)
{
    TTempDir dir;
    fs::create_directory(dir.Path / "real");
    const fs::path target = dir.Path / "real" / "flight.zdf";
    ASSERT_TRUE(WriteDataFile(target, SampleFlight()).Ok());
    const auto mode = fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read;
    fs::permissions(target, mode);
    const fs::path link = dir.Path / "link.zdf";
    fs::create_symlink("real/flight.zdf", link);

    ASSERT_TRUE(WriteDataFile(link, ChangedFlight()).Ok());
    EXPECT_TRUE(fs::is_symlink(link));
    EXPECT_EQ(fs::read_symlink(link), "real/flight.zdf");
    TDataBlock back;
    ASSERT_EQ(ReadDataFile(target, back, 0).Status, TReadStatus::Ok);
    EXPECT_EQ(back.Notes, "changed");
    EXPECT_EQ(Perms(target), mode);
    EXPECT_EQ(Entries(dir.Path / "real"), std::vector<std::string>{"flight.zdf"});

    // Nothing is made through a link to a file that is not there: a new file finds the name
    // taken, a replacing one takes the link's place.
    const fs::path dangling = dir.Path / "later.zdf";
    fs::create_symlink("real/later.zdf", dangling);
    EXPECT_EQ(WriteDataFile(dangling, SampleFlight(), TSaveMode::CreateNew).Status,
              TWriteStatus::Exists);
    EXPECT_TRUE(fs::is_symlink(dangling));
    EXPECT_FALSE(fs::exists(dir.Path / "real" / "later.zdf"));
    ASSERT_TRUE(WriteDataFile(dangling, SampleFlight(), TSaveMode::Replace).Ok());
    EXPECT_FALSE(fs::is_symlink(dangling));
    EXPECT_TRUE(fs::is_regular_file(dangling));
    EXPECT_EQ(Entries(dir.Path / "real"), std::vector<std::string>{"flight.zdf"});
}

TEST(ZdfWriter, ANewFileNeverReplacesOneThatIsThere)
{
    TTempDir dir;
    const fs::path file = dir.Path / "flight.zdf";
    ASSERT_TRUE(WriteDataFile(file, SampleFlight(), TSaveMode::CreateNew).Ok());
    const std::string before = Slurp(file);
    EXPECT_EQ(WriteDataFile(file, ChangedFlight(), TSaveMode::CreateNew).Status,
              TWriteStatus::Exists);
    EXPECT_EQ(Slurp(file), before);
    EXPECT_EQ(SaveFileAtomically(file, "x", TSaveMode::CreateNew), TFileSave::Exists);
    EXPECT_EQ(Entries(dir.Path), std::vector<std::string>{"flight.zdf"});
}

TEST(ZdfWriter, ASaveStoppedByTheFileSizeLimitLeavesNoTemporaryFile)
{
    TTempDir dir;
    const fs::path file = dir.Path / "flight.zdf";
    TDataBlock big = SampleFlight();
    for (int i = 0; i < 20000; ++i) {
        big.Time.push_back(i * 0.1);
        big.Altitude.push_back(i);
        big.Rx.push_back(1);
        big.Voltage.push_back(4);
    }
    // The system stops the process in the middle of a write, as it does at the size limit.
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        std::signal(SIGXFSZ, SIG_DFL);
        struct rlimit small {};
        small.rlim_cur = small.rlim_max = 64 * 1024;
        ::setrlimit(RLIMIT_FSIZE, &small);
        WriteDataFile(file, big);
        ::_exit(0);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFSIGNALED(status));
    EXPECT_EQ(WTERMSIG(status), SIGXFSZ);
    EXPECT_TRUE(fs::is_empty(dir.Path)) << Entries(dir.Path).front();
}

TEST(ZdfReader, AFileLargerThanTheReaderCanHoldIsRefusedAtOnce)
{
    TTempDir dir;
    const fs::path file = dir.Path / "huge.zdf";
    std::ofstream(file) << "<Header>\r\n";
    fs::resize_file(file, static_cast<uintmax_t>(kMaxFlightFileBytes) + 1); // sparse
    TDataBlock f;
    const auto r = ReadDataFile(file, f, 0);
    EXPECT_EQ(r.Status, TReadStatus::IoError);
    EXPECT_EQ(r.Message, kMsgReadIo);
    EXPECT_EQ(r.Count, 0);
}
