// Splitting memory images into flights, converting them and saving them as flight files.
#include "LoggerLinkHarness.h"

#include "core/device/FlightSplitter.h"
#include "platform/files/FlightFile.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cmath>
#include <deque>
#include <fstream>
#include <random>
#include <thread>

namespace zirko {
namespace {

namespace fs = std::filesystem;

class TRecordingUi final : public TFlightSaveUi {
public:
    TOverwriteAnswer AskOverwrite(const std::string& question) override
    {
        Questions.push_back(question);
        if (Answers.empty())
            return TOverwriteAnswer::No;
        const auto answer = Answers.front();
        Answers.pop_front();
        return answer;
    }
    void ShowError(const std::string& text) override { Errors.push_back(text); }
    void ShowInformation(const std::string& text) override { Information.push_back(text); }
    void StatusText(const std::string& text) override { Status.push_back(text); }
    void InitLabelText(const std::string& text) override { InitLabels.push_back(text); }

    std::deque<TOverwriteAnswer> Answers;
    std::vector<std::string> Questions, Errors, Information, Status, InitLabels;
};

class TTempFolder {
public:
    TTempFolder()
    {
        std::random_device seed;
        Path = fs::temp_directory_path() / ("zirko-split-" + std::to_string(seed()));
        fs::create_directories(Path);
    }
    ~TTempFolder()
    {
        std::error_code error;
        fs::remove_all(Path, error);
    }
    fs::path Path;
};

std::string FileText(const fs::path& path)
{
    std::string text;
    EXPECT_TRUE(ReadWholeFile(path, text)) << path;
    return text;
}

void PutWord(std::vector<uint8_t>& image, size_t at, uint16_t value)
{
    image[at] = static_cast<uint8_t>(value >> 8);
    image[at + 1] = static_cast<uint8_t>(value & 0xFF);
}

// A marker and a header at `at` in an image filled with bytes that are never 0xFF.
void PutFlightHeader(std::vector<uint8_t>& image, size_t at, uint16_t sampling, uint16_t mask)
{
    std::fill_n(image.begin() + static_cast<long>(at), 4, 0xFF);
    PutWord(image, at + 4, sampling);
    PutWord(image, at + 6, mask);
    for (size_t word = 8; word < 18; word += 2)
        PutWord(image, at + word, 0);
}

// `size` bytes of filler ending in the five erased bytes a download stops on.
std::vector<uint8_t> ImageWithEnd(size_t size)
{
    std::vector<uint8_t> image(size + 5, 0x11);
    std::fill(image.end() - 5, image.end(), 0xFF);
    return image;
}

TFlightSplitter SplitterFor(std::vector<uint8_t> image)
{
    TFlightSplitter splitter;
    splitter.LastDataIndex = static_cast<int64_t>(image.size()) - 1;
    splitter.DownloadBuffer = std::move(image);
    return splitter;
}

TEST(FlightSplitting, MarkersAtZeroAndOneThousandWithTheEndAtFiveThousandGiveTwoFlights)
{
    auto image = ImageWithEnd(5000);
    PutFlightHeader(image, 0, 10, 0x8000);
    PutFlightHeader(image, 1000, 20, 0x4000);
    TRecordingUi ui;
    TFlightSplitter splitter;
    TTempFolder folder;
    splitter.DataFolder = folder.Path.string();
    const auto result = splitter.DataReadingFinished(image, 5004, "d", ui);
    ASSERT_EQ(splitter.FlightList.size(), 2u);
    EXPECT_EQ(splitter.FlightList[0].DataStart, 18);
    EXPECT_EQ(splitter.FlightList[0].DataEnd, 1000);
    EXPECT_EQ(splitter.FlightList[0].Sampling, 10);
    EXPECT_EQ(splitter.FlightList[1].DataStart, 1018);
    EXPECT_EQ(splitter.FlightList[1].DataEnd, 5000);
    EXPECT_EQ(splitter.FlightList[1].ChannelMask, 0x4000);
    EXPECT_EQ(ui.Status, std::vector<std::string>{"Data reading finished (2 blocks read.)"});
    EXPECT_EQ(result.Saved, 2);
}

TEST(FlightSplitting, AStretchTooShortForAHeaderIsNoFlight)
{
    auto image = ImageWithEnd(1000);
    PutFlightHeader(image, 0, 10, 0x8000);
    std::fill_n(image.begin() + 10, 4, 0xFF); // 10 bytes after the first marker
    PutFlightHeader(image, 500, 10, 0x8000);
    auto splitter = SplitterFor(image);
    int64_t from = 0;
    int64_t previous = 0;
    int64_t position = 0;
    do {
        position = splitter.FindFlightMarker(from);
        if (position > previous)
            splitter.AddFlightSegment(previous, position);
        from = position + 3;
        previous = position;
    } while (position != -1);
    ASSERT_EQ(splitter.FlightList.size(), 2u);
    EXPECT_EQ(splitter.FlightList[0].DataStart, 10 + 18);
    EXPECT_EQ(splitter.FlightList[1].DataStart, 500 + 18);
}

TEST(FlightSplitting, AnImageThatDoesNotStartWithAMarkerStillGivesItsFirstStretch)
{
    auto image = ImageWithEnd(800);
    PutWord(image, 4, 50);
    PutWord(image, 6, 0x0800);
    PutFlightHeader(image, 300, 10, 0x8000);
    auto splitter = SplitterFor(image);
    EXPECT_EQ(splitter.FindFlightMarker(0), 300);
    splitter.AddFlightSegment(0, 300);
    ASSERT_EQ(splitter.FlightList.size(), 1u);
    EXPECT_EQ(splitter.FlightList[0].Sampling, 50);
    EXPECT_EQ(splitter.FlightList[0].ChannelMask, 0x0800);
    EXPECT_EQ(splitter.FlightList[0].DataStart, 18);
}

TEST(FlightSplitting, MarkerSearchStopsFourBytesBeforeTheLastIndex)
{
    auto splitter = SplitterFor(std::vector<uint8_t>(10, 0x11));
    std::fill_n(splitter.DownloadBuffer.begin() + 6, 4, 0xFF);
    EXPECT_EQ(splitter.FindFlightMarker(0), -1); // would start at 6 > 9 - 4
    splitter.DownloadBuffer.push_back(0x11);
    splitter.LastDataIndex = 10;
    EXPECT_EQ(splitter.FindFlightMarker(0), 6);
    EXPECT_EQ(splitter.FindFlightMarker(7), -1);
}

TEST(FlightFileNames, NumberingFollowsTheDefaultName)
{
    const auto block = SaveNameFromDefault("Block");
    EXPECT_EQ(FlightFileName(block.BaseName, block.FirstNumber), "Block001.zdf");
    EXPECT_EQ(FlightFileName(block.BaseName, block.FirstNumber + 1), "Block002.zdf");
    EXPECT_EQ(FlightFileName(block.BaseName, 1000), "Block1000.zdf");

    const auto flight = SaveNameFromDefault("Flight0012.zdf");
    EXPECT_EQ(FlightFileName(flight.BaseName, flight.FirstNumber), "Flight012.zdf");
    EXPECT_EQ(FlightFileName(flight.BaseName, flight.FirstNumber + 1), "Flight013.zdf");

    const auto numbered = SaveNameFromDefault("Block001.zdf");
    EXPECT_EQ(FlightFileName(numbered.BaseName, numbered.FirstNumber), "Block001001.zdf");

    EXPECT_EQ(SaveNameFromDefault("C:\\Zirko\\Data\\Flight0012.zdf").BaseName, "Flight");
    EXPECT_EQ(SaveNameFromDefault("/home/pilot/Blok.zdf").BaseName, "Blok");
    EXPECT_EQ(SaveNameFromDefault("0042.x.y").FirstNumber, 42);
    EXPECT_EQ(SaveNameFromDefault("abc.zdf").BaseName, "abc");
    EXPECT_EQ(SaveNameFromDefault("Fly-123.zdf").BaseName, "Fly-123");
}

TEST(FlightConversion, SixHundredBytesOfThreeChannelsAreOneHundredSamples)
{
    auto image = ImageWithEnd(18 + 600);
    PutFlightHeader(image, 0, 10, 0xC800);
    for (size_t j = 0; j < 100; ++j) {
        PutWord(image, 18 + j * 6, 50000);         // equal pressure: altitude 0
        PutWord(image, 18 + j * 6 + 2, 1532 + 51); // 10 % servo
        PutWord(image, 18 + j * 6 + 4, static_cast<uint16_t>(200 + j)); // voltage
    }
    auto splitter = SplitterFor(image);
    splitter.AddFlightSegment(0, 618);
    const auto flight = splitter.BuildFlight(splitter.FlightList[0], "8.12.2026 9:00:00");
    ASSERT_EQ(flight.Time.size(), 100u);
    EXPECT_NEAR(flight.Time.back(), 9.9, 1e-9);
    EXPECT_EQ(flight.Time[1], 0.1);
    ASSERT_EQ(flight.Altitude.size(), 100u);
    for (double altitude : flight.Altitude)
        EXPECT_EQ(altitude, 0.0);
    EXPECT_NEAR(flight.Rx[5], 10.0, 1e-9);
    EXPECT_NEAR(flight.Voltage[0], 0.0291 * 200 + 2.476, 1e-12);
    EXPECT_NEAR(flight.Voltage[99], 0.0291 * 299 + 2.476, 1e-12);
    EXPECT_TRUE(flight.Aux2000.empty());
    EXPECT_TRUE(flight.Aux0200.empty());
    EXPECT_EQ(flight.ChannelMask, 0xC800);
    EXPECT_EQ(flight.DateText, "8.12.2026 9:00:00");
    EXPECT_FALSE(flight.Modified);
}

TEST(FlightConversion, LowMaskBitsAreReadAndDroppedAndAPartialRowIsCut)
{
    auto image = ImageWithEnd(18 + 9);
    PutFlightHeader(image, 0, 100, 0x0801); // voltage and bit 0
    PutWord(image, 18, 300);
    PutWord(image, 20, 7);
    PutWord(image, 22, 400);
    PutWord(image, 24, 7);
    auto splitter = SplitterFor(image);
    splitter.AddFlightSegment(0, 27);
    const auto flight = splitter.BuildFlight(splitter.FlightList[0], "");
    ASSERT_EQ(flight.Voltage.size(), 2u); // 9 bytes: two rows of two words, the rest cut
    EXPECT_NEAR(flight.Voltage[1], 0.0291 * 400 + 2.476, 1e-12);
    EXPECT_EQ(flight.Time[1], 1.0);
}

TEST(FlightConversion, AGeneratedFlightComesBackInMetres)
{
    TFlightProfile profile;
    profile.DurationSeconds = 400;
    profile.HeaderWord7 = 20;
    auto image = GenerateFlight(profile, 99);
    image.insert(image.end(), 5, 0xFF);
    auto splitter = SplitterFor(image);
    TRecordingUi ui;
    TTempFolder folder;
    splitter.DataFolder = folder.Path.string();
    splitter.DataReadingFinished(image, static_cast<int64_t>(image.size()) - 1, "d", ui);
    ASSERT_EQ(splitter.FlightList.size(), 1u);
    const auto flight = splitter.BuildFlight(splitter.FlightList[0], "d");
    ASSERT_EQ(flight.Altitude.size(), 4001u);
    const double top = *std::max_element(flight.Altitude.begin(), flight.Altitude.end());
    EXPECT_GT(top, 120.0);
    EXPECT_LT(top, 450.0);
    EXPECT_NEAR(flight.Altitude.front(), 0.0, 1e-9);
    EXPECT_NEAR(flight.Altitude.back(), 0.0, 0.5);
    EXPECT_GT(*std::max_element(flight.Rx.begin(), flight.Rx.end()), 99.0); // a marker pulse
    EXPECT_GT(flight.Voltage.front(), flight.Voltage.back());
    EXPECT_NEAR(flight.Time.back(), 400.0, 1e-6);

    // The encoding the generator uses is the one the conversion undoes.
    const uint16_t ground = PressureRawForAltitude(0, 98.5, 20);
    const uint16_t high = PressureRawForAltitude(250, 98.5, 20);
    EXPECT_NEAR(AltitudeForPressureRaw(high, ground, 20), 250.0, 0.5);
}

class FlightSaving : public testing::Test {
protected:
    // Three flights of altitude only, each 20 samples.
    std::vector<uint8_t> ThreeFlights(uint16_t secondMask = 0x8000) const
    {
        auto image = ImageWithEnd(3 * 58);
        PutFlightHeader(image, 0, 10, 0x8000);
        PutFlightHeader(image, 58, 10, secondMask);
        PutFlightHeader(image, 116, 10, 0x8000);
        return image;
    }

    TSplitResult Save(const std::vector<uint8_t>& image)
    {
        Splitter.DataFolder = Folder.Path.string();
        Splitter.BackupFolder = Folder.Path / "backup";
        return Splitter.DataReadingFinished(image, static_cast<int64_t>(image.size()) - 1,
                                            "8.12.2026 9:41:00", Ui);
    }

    fs::path Saved(const std::string& name) const { return Folder.Path / name; }

    TTempFolder Folder;
    TFlightSplitter Splitter;
    TRecordingUi Ui;
};

TEST_F(FlightSaving, EveryFlightIsWrittenUnderTheNextNumber)
{
    const auto result = Save(ThreeFlights());
    EXPECT_EQ(result.Saved, 3);
    EXPECT_EQ(Splitter.DefaultFileName, "Block");
    EXPECT_EQ(Ui.InitLabels, (std::vector<std::string>{"1 file succesfully written.",
                                                       "2 files succesfully written.",
                                                       "3 files succesfully written."}));
    ASSERT_EQ(Ui.Information.size(), 1u);
    EXPECT_TRUE(Ui.Information[0].starts_with("3 files succesfully written.\n"));
    EXPECT_NE(Ui.Information[0].find(result.BackupPath), std::string::npos);
    for (const char* name : {"Block001.zdf", "Block002.zdf", "Block003.zdf"}) {
        TDataBlock flight;
        const auto read = ReadDataFile(Saved(name), flight, 50);
        EXPECT_EQ(read.Status, TReadStatus::Ok) << name;
        EXPECT_EQ(read.Count, 20);
        EXPECT_EQ(flight.DateText, "8.12.2026 9:41:00");
    }
    EXPECT_FALSE(fs::exists(Saved("Block004.zdf")));
}

TEST_F(FlightSaving, YesToAllOverwritesEveryLaterFileWithoutAsking)
{
    for (const char* name : {"Flight012.zdf", "Flight013.zdf", "Flight014.zdf"})
        std::ofstream(Saved(name)) << "old";
    Splitter.DefaultFileName = "Flight0012.zdf";
    Ui.Answers = {TOverwriteAnswer::YesToAll};
    const auto result = Save(ThreeFlights());
    EXPECT_EQ(Ui.Questions, std::vector<std::string>{"Filename " + Folder.Path.string() +
                                                     "/Flight012.zdf already exists. Rewrite?"});
    EXPECT_EQ(result.Saved, 3);
    EXPECT_GT(fs::file_size(Saved("Flight014.zdf")), 3u);
}

TEST_F(FlightSaving, NoEndsTheSaveButTheBackupKeepsTheFlights)
{
    std::ofstream(Saved("Block002.zdf")) << "old";
    const auto image = ThreeFlights();
    const auto result = Save(image);
    EXPECT_EQ(Ui.Questions.size(), 1u);
    EXPECT_EQ(result.Saved, 1);
    EXPECT_FALSE(fs::exists(Saved("Block003.zdf")));
    EXPECT_TRUE(Ui.Information[0].starts_with("1 file succesfully written."));

    // The backup is the image as downloaded; splitting it again saves the rest.
    std::ifstream backup(result.BackupPath, std::ios::binary);
    const std::vector<uint8_t> kept((std::istreambuf_iterator<char>(backup)), {});
    EXPECT_EQ(kept, image);
    TFlightSplitter again;
    again.DataFolder = Folder.Path.string();
    TRecordingUi yes;
    yes.Answers = {TOverwriteAnswer::YesToAll};
    EXPECT_EQ(
        again.DataReadingFinished(kept, static_cast<int64_t>(kept.size()) - 1, "d", yes).Saved, 3);
}

TEST_F(FlightSaving, AFailedWriteIsReportedAndTheNextFlightStillSaved)
{
    fs::create_directory(Saved("Block002.zdf")); // a folder where the file should go
    Ui.Answers = {TOverwriteAnswer::Yes};
    const auto result = Save(ThreeFlights());
    EXPECT_EQ(Ui.Errors, std::vector<std::string>{"Error in writing file."});
    EXPECT_EQ(result.Saved, 2);
    EXPECT_TRUE(fs::exists(Saved("Block003.zdf")));
    EXPECT_TRUE(Ui.Information[0].starts_with("2 files succesfully written."));
}

TEST_F(FlightSaving, AReadOnlyFlightIsRefusedAndNotCountedAndTheOthersSave)
{
    ASSERT_EQ(Save(ThreeFlights()).Saved, 3);
    const std::string before = FileText(Saved("Block002.zdf"));
    fs::permissions(Saved("Block002.zdf"), fs::perms::owner_read);
    Ui = {};
    Ui.Answers = {TOverwriteAnswer::YesToAll};
    const auto result = Save(ThreeFlights());
    EXPECT_EQ(Ui.Errors, std::vector<std::string>{"Error in writing file."});
    EXPECT_EQ(result.Saved, 2);
    EXPECT_EQ(FileText(Saved("Block002.zdf")), before);
    EXPECT_EQ(fs::status(Saved("Block002.zdf")).permissions(), fs::perms::owner_read);
}

TEST_F(FlightSaving, TheBackupKeepsEverythingReadAlsoPastTheImage)
{
    auto image = ThreeFlights();
    const auto lastDataIndex = static_cast<int64_t>(image.size()) - 1;
    image.insert(image.end(), 14, 0xFF); // read on to the end of the erased run
    Splitter.DataFolder = Folder.Path.string();
    Splitter.BackupFolder = Folder.Path / "backup";
    const auto result = Splitter.DataReadingFinished(image, lastDataIndex, "d", Ui);
    EXPECT_EQ(result.Saved, 3);
    const std::string backup = FileText(result.BackupPath);
    EXPECT_EQ(backup, std::string(image.begin(), image.end()));
}

// Two downloads saved into one folder at the same moment, each answering No to an existing file.
TEST(FlightSavingRace, TwoSaversNeverBothWriteTheSameFile)
{
    auto image = GenerateMemoryImage(3, 11, 240);
    image.insert(image.end(), 5, 0xFF);
    for (int round = 0; round < 8; ++round) {
        TTempFolder folder;
        std::atomic<int> ready = 0;
        int saved[2] = {0, 0};
        auto save = [&](int saver) {
            TFlightSplitter splitter;
            splitter.DataFolder = folder.Path.string();
            splitter.DefaultFileName = "Blok";
            TRecordingUi ui;
            ++ready;
            while (ready < 2) {
            }
            saved[saver] = splitter
                               .DataReadingFinished(image, static_cast<int64_t>(image.size()) - 1,
                                                    "saver " + std::to_string(saver), ui)
                               .Saved;
        };
        std::thread first(save, 0);
        std::thread second(save, 1);
        first.join();
        second.join();
        int files = 0;
        for (const auto& entry : fs::directory_iterator(folder.Path)) {
            ++files;
            EXPECT_EQ(entry.path().extension(), ".zdf") << entry.path();
        }
        // Every success a saver reports is a file of its own on disk.
        EXPECT_EQ(saved[0] + saved[1], files) << "round " << round;
        EXPECT_EQ(files, 3);
    }
}

TEST_F(FlightSaving, AFlightWithNoChannelsIsSkippedAndNamed)
{
    const auto result = Save(ThreeFlights(0x0000));
    ASSERT_EQ(Ui.Errors.size(), 1u);
    EXPECT_EQ(Ui.Errors[0], "Flight 2 of the download (byte 58) has no recorded channel and was "
                            "not saved.");
    EXPECT_EQ(result.Saved, 2);
    EXPECT_TRUE(fs::exists(Saved("Block001.zdf")));
    EXPECT_TRUE(fs::exists(Saved("Block002.zdf")));
    EXPECT_FALSE(fs::exists(Saved("Block003.zdf")));
}

TEST_F(FlightSaving, AFolderThatCannotBeCreatedSavesNothing)
{
    Splitter.BackupFolder = Folder.Path / "backup";
    Splitter.DataFolder = (Folder.Path / "missing" / "data").string();
    const auto image = ThreeFlights();
    const auto result =
        Splitter.DataReadingFinished(image, static_cast<int64_t>(image.size()) - 1, "d", Ui);
    EXPECT_EQ(result.Error, "Cannot create " + Splitter.DataFolder + "/");
    // The failure box says where the flights are kept all the same.
    EXPECT_EQ(BackupNote(result.BackupPath),
              "\nThe downloaded memory is also kept in " + result.BackupPath);
    EXPECT_EQ(BackupNote(""), "");
    EXPECT_EQ(result.Saved, 0);
    EXPECT_TRUE(Ui.Information.empty());
    EXPECT_TRUE(fs::exists(result.BackupPath));

    // One missing level is created.
    Splitter.DataFolder = (Folder.Path / "data").string();
    EXPECT_EQ(
        Splitter.DataReadingFinished(image, static_cast<int64_t>(image.size()) - 1, "d", Ui).Saved,
        3);
}

TEST_F(FlightSaving, OnlyTheNewestTwentyBackupsStay)
{
    const auto backups = Folder.Path / "backup";
    fs::create_directories(backups);
    for (int i = 0; i < 25; ++i) {
        char name[64];
        std::snprintf(name, sizeof name, "Zirko-2001%04d-000000-01.bin", 101 + i);
        std::ofstream(backups / name) << "x";
    }
    std::ofstream(backups / "notes.txt") << "kept";
    const auto result = Save(ThreeFlights());
    int count = 0;
    for (const auto& entry : fs::directory_iterator(backups))
        count += entry.path().extension() == ".bin";
    EXPECT_EQ(count, 20);
    EXPECT_TRUE(fs::exists(result.BackupPath));
    EXPECT_TRUE(fs::exists(backups / "notes.txt"));
    EXPECT_FALSE(fs::exists(backups / "Zirko-20010101-000000-01.bin"));
    EXPECT_TRUE(fs::exists(backups / "Zirko-20010125-000000-01.bin"));
}

TEST_F(FlightSaving, AnImageWithNoFlightShowsNoBoxAndKeepsNoBackup)
{
    const auto result = Save(std::vector<uint8_t>(5, 0xFF));
    EXPECT_EQ(Ui.Status, std::vector<std::string>{"Data reading finished (0 blocks read.)"});
    EXPECT_TRUE(Ui.Information.empty());
    EXPECT_TRUE(result.BackupPath.empty());
    EXPECT_EQ(result.Segments, 0);
}

TEST_F(FlightSaving, AnEmptyListSavesNoFile)
{
    EXPECT_EQ(Splitter.SaveFlights("d", Ui).Saved, 0);
    EXPECT_EQ(Ui.InitLabels, std::vector<std::string>{"0 files saved."});
}

TEST(DownloadAndSave, TheSimulatedLoggersFlightsEndUpAsFiles)
{
    const auto memory = GenerateMemoryImage(4, 3, 90);
    TSimulatorOptions options;
    options.Memory = memory;
    options.Faults.BadCheckBlock = 5;
    options.Faults.BadCheckTimes = 3;
    test::TLoggerLinkHarness link(options);
    link.Connect();
    link.Program.ReadData(link.Now);
    link.Settle();
    const auto* finished = link.Last(TProtocolEventKind::DownloadFinished);
    ASSERT_NE(finished, nullptr);

    TTempFolder folder;
    TFlightSplitter splitter;
    splitter.DataFolder = folder.Path.string();
    splitter.DefaultFileName = "Blok";
    TRecordingUi ui;
    const auto result = splitter.DataReadingFinished(finished->Bytes, finished->Number, "d", ui);
    EXPECT_EQ(result.Segments, 4);
    EXPECT_EQ(result.Saved, 4);
    TDataBlock flight;
    const auto read = ReadDataFile(folder.Path / "Blok004.zdf", flight, 50);
    EXPECT_EQ(read.Status, TReadStatus::Ok);
    EXPECT_EQ(read.Count, 901);
    EXPECT_EQ(flight.HeaderWord3, 4);
}

} // namespace
} // namespace zirko
