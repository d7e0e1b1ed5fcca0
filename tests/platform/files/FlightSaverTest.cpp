// Saving the flights of downloaded memory images as flight files, and their raw backups.
#include "core/device/LoggerLinkHarness.h"
#include "core/device/MemoryImages.h"

#include "platform/files/FlightFile.h"
#include "platform/files/FlightSaver.h"
#include "platform/files/KnownFlights.h"
#include "platform/files/LogbookIndex.h"

#include <gtest/gtest.h>

#include <algorithm>
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
    // Without an answer given the question skips the flight: nothing is written unasked.
    TOverwriteAnswer AskOverwrite(const TOverwriteQuestion& question) override
    {
        Questions.push_back(question.Text);
        FreeNames.push_back(question.FreeName);
        if (Answers.empty())
            return TOverwriteAnswer::Skip;
        const auto answer = Answers.front();
        Answers.pop_front();
        return answer;
    }
    void FlightAlreadySaved(const std::string& fileName) override
    {
        AlreadySaved.push_back(fileName);
    }
    // The texts the device window shows for each report.
    void FlightsFound(size_t count) override { Status.push_back(ReadingFinishedText(count)); }
    void FlightNotSaved(const std::string& reason) override { Errors.push_back(reason); }
    void FilesWritten(int count) override { InitLabels.push_back(SavedSoFarText(count)); }
    void SaveFinished(const std::string& countText, const std::string& backupPath) override
    {
        Information.push_back(countText + BackupNote(backupPath));
    }

    std::deque<TOverwriteAnswer> Answers;
    std::vector<std::string> Questions, FreeNames, AlreadySaved, Errors, Information, Status,
        InitLabels;
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

using test::ImageWithEnd;
using test::LastIndex;
using test::PutFlightHeader;
using test::PutWord;

// Saves as a download does, into `folder` (no backup unless given).
TSplitResult SaveImage(const std::vector<uint8_t>& image, int64_t lastDataIndex,
                       const std::string& folder, const std::string& dateText, TFlightSaveUi& ui,
                       const std::string& defaultName = {}, const fs::path& backups = {})
{
    TSaverPaths paths;
    paths.DataFolder = folder;
    paths.BackupFolder = backups;
    return TFlightSaver(paths).DataReadingFinished(image, lastDataIndex, {defaultName, dateText},
                                                   ui);
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
        return SaveImage(image, LastIndex(image), Folder.Path.string(), "8.12.2026 9:41:00", Ui,
                         DefaultName, Folder.Path / "backup");
    }

    fs::path Saved(const std::string& name) const { return Folder.Path / name; }

    TTempFolder Folder;
    std::string DefaultName;
    TRecordingUi Ui;
};

TEST_F(FlightSaving, EveryFlightIsWrittenUnderTheNextNumber)
{
    const auto result = Save(ThreeFlights());
    EXPECT_EQ(result.Saved, 3);
    EXPECT_EQ(DefaultFileNameForSaving(DefaultName), "Block");
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

TEST_F(FlightSaving, RewriteAllRewritesEveryLaterFileWithoutAsking)
{
    for (const char* name : {"Flight012.zdf", "Flight013.zdf", "Flight014.zdf"})
        std::ofstream(Saved(name)) << "old";
    DefaultName = "Flight0012.zdf";
    Ui.Answers = {TOverwriteAnswer::RewriteAll};
    const auto result = Save(ThreeFlights());
    const std::string taken = Folder.Path.string() + "/Flight012.zdf";
    EXPECT_EQ(Ui.Questions,
              std::vector<std::string>{"Filename " + taken +
                                       " already exists and holds a different flight. Keep "
                                       "both saves this flight as " +
                                       Folder.Path.string() + "/Flight015.zdf."});
    EXPECT_EQ(result.Saved, 3);
    EXPECT_GT(fs::file_size(Saved("Flight014.zdf")), 3u);
    EXPECT_FALSE(fs::exists(Saved("Flight015.zdf")));
}

// A second download of the same memory: every flight is already there, nothing is asked or written.
TEST_F(FlightSaving, FlightsAlreadySavedAreLeftAloneWithoutAQuestion)
{
    ASSERT_EQ(Save(ThreeFlights()).Saved, 3);
    // The user's notes and a later date do not make it another flight.
    TDataBlock edited;
    ASSERT_EQ(ReadDataFile(Saved("Block002.zdf"), edited, 0).Status, TReadStatus::Ok);
    edited.Notes = "thermal at the wood";
    edited.DateText = "1.1.2020";
    ASSERT_TRUE(WriteDataFile(Saved("Block002.zdf"), edited).Ok());
    const std::string before = FileText(Saved("Block002.zdf"));
    Ui = {};
    const auto result = Save(ThreeFlights());
    EXPECT_TRUE(Ui.Questions.empty());
    EXPECT_EQ(result.Saved, 0);
    EXPECT_EQ(result.AlreadySaved, 3);
    EXPECT_EQ(Ui.AlreadySaved.size(), 3u);
    EXPECT_EQ(AlreadySavedText(Ui.AlreadySaved[1]),
              "Flight already saved as " + Saved("Block002.zdf").string() + ".");
    EXPECT_TRUE(Ui.Information[0].starts_with("0 files succesfully written. 3 flights already "
                                              "saved.\n"));
    EXPECT_EQ(FileText(Saved("Block002.zdf")), before);
    EXPECT_FALSE(fs::exists(Saved("Block004.zdf")));
}

// A second download with other flights under the first one's names: each answer decides one flight.
TEST_F(FlightSaving, ADifferentFlightUnderATakenNameIsAskedAbout)
{
    ASSERT_EQ(Save(ThreeFlights()).Saved, 3);
    auto other = ThreeFlights();
    for (size_t flight = 0; flight < 3; ++flight)
        PutWord(other, flight * 58 + 8, 7); // another header word
    const std::string first = FileText(Saved("Block001.zdf"));

    // Keep both takes the next free numbers; Skip skips that flight only.
    Ui = {};
    Ui.Answers = {TOverwriteAnswer::KeepBoth, TOverwriteAnswer::Skip, TOverwriteAnswer::KeepBoth};
    auto result = Save(other);
    EXPECT_EQ(Ui.Questions.size(), 3u);
    EXPECT_EQ(Ui.FreeNames, (std::vector<std::string>{Saved("Block004.zdf").string(),
                                                      Saved("Block005.zdf").string(),
                                                      Saved("Block005.zdf").string()}));
    EXPECT_EQ(result.Saved, 2);
    EXPECT_EQ(result.Skipped, 1);
    EXPECT_EQ(Ui.Information[0].substr(0, Ui.Information[0].find('\n')),
              "2 files succesfully written. 1 flight skipped.");
    EXPECT_EQ(FileText(Saved("Block001.zdf")), first);
    TDataBlock kept;
    ASSERT_EQ(ReadDataFile(Saved("Block004.zdf"), kept, 0).Status, TReadStatus::Ok);
    EXPECT_EQ(kept.HeaderWord3, 7);
    EXPECT_TRUE(fs::exists(Saved("Block005.zdf")));
    EXPECT_FALSE(fs::exists(Saved("Block006.zdf")));

    // Again: only the file of the flight's own name is compared, so each is asked about anew.
    Ui = {};
    Ui.Answers = {TOverwriteAnswer::Rewrite};
    result = Save(other);
    EXPECT_EQ(Ui.Questions.size(), 3u);
    EXPECT_EQ(result.Saved, 1);
    EXPECT_EQ(result.Skipped, 2);
    EXPECT_EQ(result.AlreadySaved, 0);
    EXPECT_EQ(Ui.Information[0].substr(0, Ui.Information[0].find('\n')),
              "1 file succesfully written. 2 flights skipped.");
    ASSERT_EQ(ReadDataFile(Saved("Block001.zdf"), kept, 0).Status, TReadStatus::Ok);
    EXPECT_EQ(kept.HeaderWord3, 7);
}

TEST_F(FlightSaving, TheBackupKeepsWhatWasSkippedForALaterSplit)
{
    std::ofstream(Saved("Block002.zdf")) << "old";
    const auto image = ThreeFlights();
    const auto result = Save(image);
    EXPECT_EQ(Ui.Questions.size(), 1u);
    EXPECT_EQ(result.Saved, 2);
    EXPECT_EQ(result.Skipped, 1);
    EXPECT_TRUE(fs::exists(Saved("Block003.zdf")));

    // The backup is the image as downloaded; splitting it again saves the skipped flight.
    std::ifstream backup(result.BackupPath, std::ios::binary);
    const std::vector<uint8_t> kept((std::istreambuf_iterator<char>(backup)), {});
    EXPECT_EQ(kept, image);
    TRecordingUi yes;
    yes.Answers = {TOverwriteAnswer::RewriteAll};
    const auto again = SaveImage(kept, LastIndex(kept), Folder.Path.string(), "d", yes);
    EXPECT_EQ(again.Saved, 1);
    EXPECT_EQ(again.AlreadySaved, 2);
    EXPECT_GT(fs::file_size(Saved("Block002.zdf")), 3u);
}

TEST_F(FlightSaving, AFailedWriteIsReportedAndTheNextFlightStillSaved)
{
    fs::create_directory(Saved("Block002.zdf")); // a folder where the file should go
    Ui.Answers = {TOverwriteAnswer::Rewrite};
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
    Ui.Answers = {TOverwriteAnswer::RewriteAll};
    auto other = ThreeFlights();
    for (size_t flight = 0; flight < 3; ++flight)
        PutWord(other, flight * 58 + 8, 9);
    const auto result = Save(other);
    EXPECT_EQ(Ui.Errors, std::vector<std::string>{"Error in writing file."});
    EXPECT_EQ(Ui.Questions.size(), 1u);
    EXPECT_EQ(result.Saved, 2);
    EXPECT_EQ(FileText(Saved("Block002.zdf")), before);
    EXPECT_EQ(fs::status(Saved("Block002.zdf")).permissions(), fs::perms::owner_read);
}

// A link in the data folder whose target is missing is a taken name; nothing is ever made through
// it, whatever the answer.
TEST_F(FlightSaving, ALinkToAMissingFileIsATakenNameAndNothingIsMadeOutside)
{
    fs::create_directory(Saved("data"));
    const fs::path outside = Folder.Path / "outside.zdf";
    for (const char* name : {"Block001.zdf", "Block002.zdf", "Block003.zdf"})
        fs::create_symlink(outside, Saved("data") / name);
    const auto image = ThreeFlights();
    const auto save = [&] {
        return SaveImage(image, LastIndex(image), Saved("data").string(), "d", Ui);
    };
    Ui.Answers = {TOverwriteAnswer::KeepBoth, TOverwriteAnswer::Skip, TOverwriteAnswer::Rewrite};
    const auto result = save();
    EXPECT_EQ(Ui.Questions.size(), 3u);
    EXPECT_EQ(result.Saved, 2);
    EXPECT_FALSE(fs::exists(outside));
    EXPECT_TRUE(fs::is_regular_file(Saved("data") / "Block004.zdf"));
    EXPECT_TRUE(fs::is_symlink(Saved("data") / "Block001.zdf"));
    EXPECT_TRUE(fs::is_symlink(Saved("data") / "Block002.zdf"));
    // Rewrite puts the flight in the link's place, in the folder.
    EXPECT_FALSE(fs::is_symlink(Saved("data") / "Block003.zdf"));
    EXPECT_TRUE(fs::is_regular_file(Saved("data") / "Block003.zdf"));
}

TEST_F(FlightSaving, TheBackupKeepsEverythingReadAlsoPastTheImage)
{
    auto image = ThreeFlights();
    const auto lastDataIndex = static_cast<int64_t>(image.size()) - 1;
    image.insert(image.end(), 14, 0xFF); // read on to the end of the erased run
    const auto result =
        SaveImage(image, lastDataIndex, Folder.Path.string(), "d", Ui, {}, Folder.Path / "backup");
    EXPECT_EQ(result.Saved, 3);
    const std::string backup = FileText(result.BackupPath);
    EXPECT_EQ(backup, std::string(image.begin(), image.end()));
}

// Two downloads of the same memory saved into one folder at the same moment: each flight is written
// once, the other saver finds it already saved.
TEST(FlightSavingRace, TwoSaversNeverBothWriteTheSameFile)
{
    auto image = GenerateMemoryImage(3, 11, 240);
    image.insert(image.end(), 5, 0xFF);
    for (int round = 0; round < 8; ++round) {
        TTempFolder folder;
        std::atomic<int> ready = 0;
        int saved[2] = {0, 0};
        int already[2] = {0, 0};
        auto save = [&](int saver) {
            TRecordingUi ui;
            ++ready;
            while (ready < 2) {
            }
            const TSplitResult result = SaveImage(image, LastIndex(image), folder.Path.string(),
                                                  "saver " + std::to_string(saver), ui, "Blok");
            saved[saver] = result.Saved;
            already[saver] = result.AlreadySaved;
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
        EXPECT_EQ(already[0] + already[1], 3) << "round " << round;
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
    const std::string missing = (Folder.Path / "missing" / "data").string();
    const auto image = ThreeFlights();
    const auto result =
        SaveImage(image, LastIndex(image), missing, "d", Ui, {}, Folder.Path / "backup");
    EXPECT_EQ(result.Error, "Cannot create " + missing + "/");
    // The failure box says where the flights are kept all the same.
    EXPECT_EQ(BackupNote(result.BackupPath),
              "\nThe downloaded memory is also kept in " + result.BackupPath);
    EXPECT_EQ(BackupNote(""), "");
    EXPECT_EQ(result.Saved, 0);
    EXPECT_TRUE(Ui.Information.empty());
    EXPECT_TRUE(fs::exists(result.BackupPath));

    // One missing level is created.
    EXPECT_EQ(SaveImage(image, LastIndex(image), (Folder.Path / "data").string(), "d", Ui).Saved,
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
    EXPECT_EQ(TFlightSaver({Folder.Path.string(), {}, 20}).SaveFlights({}, Ui).Saved, 0);
    EXPECT_EQ(Ui.InitLabels, std::vector<std::string>{"0 files saved."});
}

// Three different flights (header word 3 is 1, 2, 3), with `changed` of them recorded otherwise.
std::vector<uint8_t> ThreeDifferentFlights(size_t changed = 3)
{
    auto image = ImageWithEnd(3 * 58);
    for (size_t flight = 0; flight < 3; ++flight) {
        PutFlightHeader(image, flight * 58, 10, 0x8000);
        PutWord(image, flight * 58 + 8, static_cast<uint16_t>(flight + 1));
        if (flight == changed)
            PutWord(image, flight * 58 + 20, 0x4242); // another sample
    }
    return image;
}

class KnownFlights : public FlightSaving {
protected:
    TSplitResult SaveSkippingKnown(const std::vector<uint8_t>& image, const fs::path& index,
                                   const TEventOptions& analysis = {})
    {
        Ui = {};
        TSaverPaths paths;
        paths.DataFolder = Folder.Path.string();
        paths.BackupFolder = Folder.Path / "backup";
        paths.SkipKnown = true;
        paths.IndexPath = index;
        paths.Analysis = analysis;
        return TFlightSaver(paths).DataReadingFinished(image, LastIndex(image),
                                                       {"", "9.12.2026 8:00:00"}, Ui);
    }
    // The files saved so far moved into a subfolder under other names, as a user sorts them.
    void MoveInto(const std::string& subfolder, const std::vector<std::string>& names)
    {
        fs::create_directories(Saved(subfolder));
        for (const auto& name : names)
            fs::rename(Saved(name), Saved(subfolder) / ("sorted-" + name));
    }
    std::vector<std::string> FlightFilesAtTop() const
    {
        std::vector<std::string> names;
        for (const auto& entry : fs::directory_iterator(Folder.Path))
            if (entry.path().extension() == ".zdf")
                names.push_back(entry.path().filename().string());
        std::sort(names.begin(), names.end());
        return names;
    }
    std::string FirstLine(const std::string& text) const { return text.substr(0, text.find('\n')); }
    fs::path Index() const { return Folder.Path / "cache" / "logbook.sqlite"; }
};

// A memory downloaded again after its flights were sorted into folders: nothing is saved, the box
// says where they are, and the raw backup is kept all the same. With the index, without one and
// with one that cannot be made the answer is the same.
TEST_F(KnownFlights, AMemoryWhoseFlightsAreAllKnownSavesNothingAndSaysWhere)
{
    ASSERT_EQ(Save(ThreeDifferentFlights()).Saved, 3);
    MoveInto("2025/May", {"Block001.zdf", "Block002.zdf"});
    MoveInto("2025/June", {"Block003.zdf"});
    std::ofstream(Folder.Path / "not-a-dir") << "x";
    for (const fs::path& index : {Index(), fs::path(), Folder.Path / "not-a-dir" / "logbook"}) {
        SCOPED_TRACE(index.string());
        const auto result = SaveSkippingKnown(ThreeDifferentFlights(), index);
        EXPECT_EQ(result.Saved, 0);
        EXPECT_EQ(result.Known, 3);
        EXPECT_TRUE(Ui.Questions.empty());
        EXPECT_TRUE(FlightFilesAtTop().empty());
        EXPECT_EQ(Ui.AlreadySaved,
                  (std::vector<std::string>{Saved("2025/May/sorted-Block001.zdf").string(),
                                            Saved("2025/May/sorted-Block002.zdf").string(),
                                            Saved("2025/June/sorted-Block003.zdf").string()}));
        ASSERT_EQ(Ui.Information.size(), 1u);
        EXPECT_EQ(FirstLine(Ui.Information[0]),
                  "0 files succesfully written. 3 flights already in the logbook, in " +
                      Saved("2025").string() + ".");
        EXPECT_FALSE(result.BackupPath.empty());
        EXPECT_TRUE(fs::exists(result.BackupPath));
    }
    EXPECT_TRUE(fs::exists(Index()));
}

// Only the new flights are saved; one known flight is named by its file. A flight the index knew
// but whose file changed since (same size, same time) is read, found different and saved.
TEST_F(KnownFlights, AMixSavesOnlyTheNewFlights)
{
    ASSERT_EQ(Save(ThreeDifferentFlights()).Saved, 3);
    MoveInto("old", {"Block001.zdf", "Block002.zdf", "Block003.zdf"});
    ASSERT_EQ(SaveSkippingKnown(ThreeDifferentFlights(), Index()).Known, 3); // indexed now

    fs::remove(Saved("old/sorted-Block001.zdf"));
    // The second flight's file gets another sample behind the index's back.
    const fs::path second = Saved("old/sorted-Block002.zdf");
    const auto modified = fs::last_write_time(second);
    std::string text = FileText(second);
    const size_t sample = text.find("<Data>\r\n0.0,") + 12;
    ASSERT_EQ(text.substr(sample, 5), "0.00\r");
    text[sample] = '9';
    std::ofstream(second, std::ios::binary | std::ios::trunc) << text;
    fs::last_write_time(second, modified);

    const auto result = SaveSkippingKnown(ThreeDifferentFlights(), Index());
    EXPECT_EQ(result.Saved, 2);
    EXPECT_EQ(result.Known, 1);
    EXPECT_EQ(FlightFilesAtTop(), (std::vector<std::string>{"Block001.zdf", "Block002.zdf"}));
    EXPECT_EQ(FirstLine(Ui.Information[0]),
              "2 files succesfully written. 1 flight already in the logbook: " +
                  Saved("old/sorted-Block003.zdf").string() + ".");

    // A changed flight is new even under a name holding the old one: Keep both is asked.
    Ui = {};
    const auto again = SaveSkippingKnown(ThreeDifferentFlights(0), Index());
    EXPECT_EQ(again.Known, 2);
    EXPECT_EQ(Ui.Questions.size(), 1u);
    EXPECT_EQ(again.Skipped, 1);
}

// The index a download brings up to date is the logbook's: rows analysed with the logbook's
// options and the folder's model profiles are taken from it without reading a file again.
TEST_F(KnownFlights, TheDownloadLeavesTheIndexAsTheLogbookWantsIt)
{
    ASSERT_EQ(Save(ThreeDifferentFlights()).Saved, 3);
    std::ofstream(Folder.Path / "models.ini") << "[Glider]\r\nRules=ales\r\nAlesHeight=150\r\n";
    TEventOptions logbook;
    logbook.Rules = TRules::F5j;
    logbook.MotorThreshold = 12;
    logbook.LowVoltage = 3.5;
    ASSERT_EQ(SaveSkippingKnown(ThreeDifferentFlights(), Index(), logbook).Known, 3);

    const auto filesRead = [&](const TEventOptions& options) {
        std::atomic<size_t> read{0};
        TReadControl control;
        control.Progress = [&read](size_t, size_t) { ++read; };
        TLogbookIndex index(QString::fromStdString(Index().string()));
        const std::optional<TModelProfiles> profiles = FolderModelProfiles(Folder.Path);
        EXPECT_TRUE(profiles.has_value());
        const auto rows =
            IndexedLogbookRows(Folder.Path, FindFlightFiles(Folder.Path), FlightDateFormats(),
                               profiles ? &*profiles : nullptr, &index, options, &control);
        EXPECT_EQ(rows.size(), 3u);
        return read.load();
    };
    EXPECT_EQ(filesRead(logbook), 0u);
    // Other options do need the files again: the index holds the options it analysed with.
    EXPECT_EQ(filesRead({}), 3u);
}

TEST(KnownFlightsPlace, OneFileOrTheDeepestCommonFolder)
{
    EXPECT_EQ(KnownFlightsPlace({}).Path, "");
    const auto one = KnownFlightsPlace({"out/a/x.zdf", "out/a/x.zdf"});
    EXPECT_EQ(one.Path, "out/a/x.zdf");
    EXPECT_TRUE(one.IsFile);
    const auto two = KnownFlightsPlace({"out/ab/x.zdf", "out/abc/y.zdf", "out/ab/z.zdf"});
    EXPECT_EQ(two.Path, "out");
    EXPECT_FALSE(two.IsFile);
    EXPECT_EQ(KnownFlightsPlace({"/a.zdf", "/b/c.zdf"}).Path, "/");
    EXPECT_EQ(KnownFlightsPlace({"a.zdf", "b/c.zdf"}).Path, ".");
    EXPECT_EQ(KnownFlightsText(2, "out", false), " 2 flights already in the logbook, in out.");
}

TEST(DownloadAndSave, TheSimulatedLoggersFlightsEndUpAsFiles)
{
    const auto memory = GenerateMemoryImage(4, 3, 90);
    TSimulatorOptions options;
    options.Memory = memory;
    options.Faults.BadCheckBlock = 5;
    options.Faults.BadCheckTimes = 3;
    test::TLoggerLinkHarness link(options);
    const auto* finished = link.DownloadAll();
    ASSERT_NE(finished, nullptr);

    TTempFolder folder;
    TRecordingUi ui;
    const auto result =
        SaveImage(finished->Bytes, finished->Number, folder.Path.string(), "d", ui, "Blok");
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
