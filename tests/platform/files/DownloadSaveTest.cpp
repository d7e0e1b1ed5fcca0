// One download's save as the device window and zirko-cli run it: paths, backup, date text,
// flights already in the data folder and the questions asked through the interface.
#include "core/device/MemoryImages.h"

#include "platform/files/DownloadSave.h"
#include "platform/files/FileStore.h"
#include "platform/files/FlightFile.h"
#include "platform/files/LogbookIndex.h"
#include "platform/locale/SavingMoment.h"

#include <QDateTime>
#include <gtest/gtest.h>

#include <algorithm>
#include <deque>
#include <fstream>
#include <random>

namespace zirko {
namespace {

namespace fs = std::filesystem;

class TAnsweringUi final : public TFlightSaveUi {
public:
    TOverwriteAnswer AskOverwrite(const TOverwriteQuestion& question) override
    {
        Questions.push_back(fs::path(question.FileName).filename().string());
        const auto answer = Answers.empty() ? TOverwriteAnswer::Skip : Answers.front();
        if (!Answers.empty())
            Answers.pop_front();
        return answer;
    }
    void FlightAlreadySaved(const std::string& fileName) override
    {
        AlreadySaved.push_back(fileName);
    }
    void FlightsFound(size_t count) override { Found = count; }
    void FlightNotSaved(const std::string& reason) override { Errors.push_back(reason); }
    void FilesWritten(int) override {}
    void SaveFinished(const std::string& countText, const std::string& backupPath) override
    {
        Finished.push_back(countText + BackupNote(backupPath));
    }

    std::deque<TOverwriteAnswer> Answers;
    std::vector<std::string> Questions, AlreadySaved, Errors, Finished;
    size_t Found = 0;
};

class DownloadSave : public testing::Test {
protected:
    DownloadSave()
    {
        std::random_device seed;
        Root = fs::temp_directory_path() / ("zirko-download-" + std::to_string(seed()));
        fs::create_directories(Root / "data");
        Options.DataFolder = (Root / "data").string();
        Options.FileName = "Blok";
        Options.DateText = "9.12.2026 20:00:00";
    }
    ~DownloadSave() override
    {
        std::error_code error;
        fs::remove_all(Root, error);
    }

    // Two flights of altitude only; `altitude` is the first sample of the second.
    static std::vector<uint8_t> TwoFlights(uint16_t altitude = 0x0102)
    {
        auto image = test::ImageWithEnd(2 * 58);
        test::PutFlightHeader(image, 0, 10, 0x8000);
        test::PutFlightHeader(image, 58, 10, 0x8000);
        test::PutWord(image, 58 + 18, altitude);
        return image;
    }

    TSplitResult Run(const std::vector<uint8_t>& image)
    {
        TDownloadSave job(Options);
        return job.Run(image, test::LastIndex(image), Ui);
    }

    std::vector<std::string> Saved() const
    {
        std::vector<std::string> names;
        for (const auto& entry : fs::recursive_directory_iterator(Root / "data"))
            if (entry.is_regular_file())
                names.push_back(fs::relative(entry.path(), Root / "data").string());
        std::sort(names.begin(), names.end());
        return names;
    }

    std::string DateOf(const std::string& name) const
    {
        TDataBlock flight;
        EXPECT_EQ(ReadDataFile(Root / "data" / name, flight, 0).Status, TReadStatus::Ok);
        return flight.DateText;
    }

    fs::path Root;
    TDownloadSaveOptions Options;
    TAnsweringUi Ui;
};

TEST_F(DownloadSave, FlightsGoToTheDataFolderUnderTheNameAndDateGiven)
{
    const TSplitResult result = Run(TwoFlights());
    EXPECT_EQ(result.Segments, 2);
    EXPECT_EQ(result.Saved, 2);
    EXPECT_EQ(Saved(), (std::vector<std::string>{"Blok001.zdf", "Blok002.zdf"}));
    EXPECT_EQ(DateOf("Blok002.zdf"), "9.12.2026 20:00:00");
    EXPECT_EQ(Ui.Found, 2u);
    EXPECT_TRUE(result.BackupPath.empty());
    EXPECT_EQ(Ui.Finished, (std::vector<std::string>{"2 files succesfully written."}));
}

TEST_F(DownloadSave, WithoutADateEveryFlightCarriesTheMomentOfTheSave)
{
    Options.DateText.reset();
    const QDateTime before = QDateTime::currentDateTime();
    TDownloadSave job(Options);
    const auto image = TwoFlights();
    job.Run(image, test::LastIndex(image), Ui);
    const QDateTime after = QDateTime::currentDateTime();
    const std::string date = DateOf("Blok001.zdf");
    EXPECT_EQ(DateOf("Blok002.zdf"), date);
    EXPECT_EQ(job.Settings().DateText, date);
    EXPECT_TRUE(date == SavingMomentText(before).toStdString() ||
                date == SavingMomentText(after).toStdString())
        << date;
    // An empty date given is kept as given.
    Options.DateText = "";
    fs::remove_all(Root / "data");
    EXPECT_EQ(TDownloadSave(Options).Paths().DataFolder, (Root / "data").string());
    Run(image);
    EXPECT_EQ(DateOf("Blok001.zdf"), "");
}

TEST_F(DownloadSave, TheRawImageIsKeptInTheBackupFolderOnlyWhenThereIsData)
{
    Options.BackupFolder = Root / "backups";
    const auto image = TwoFlights();
    const TSplitResult result = Run(image);
    ASSERT_FALSE(result.BackupPath.empty());
    EXPECT_EQ(fs::path(result.BackupPath).parent_path(), Root / "backups");
    std::string kept;
    ASSERT_TRUE(ReadWholeFile(result.BackupPath, kept));
    EXPECT_EQ(kept, std::string(image.begin(), image.end()));
    EXPECT_EQ(Ui.Finished.back(), "2 files succesfully written." + BackupNote(result.BackupPath));

    // The erased end alone is an empty memory: no backup, no flight, no count.
    const auto erased = test::ImageWithEnd(0);
    const TSplitResult empty = Run(erased);
    EXPECT_TRUE(empty.BackupPath.empty());
    EXPECT_EQ(empty.Segments, 0);
    EXPECT_EQ(std::distance(fs::directory_iterator(Root / "backups"), fs::directory_iterator()), 1);
}

TEST_F(DownloadSave, KnownFlightsAreSkippedWhereverTheyLieAndOtherFlightsAreAskedAbout)
{
    Run(TwoFlights());
    fs::create_directories(Root / "data" / "2026");
    fs::rename(Root / "data" / "Blok001.zdf", Root / "data" / "2026" / "Evening.zdf");

    // Without skipping, the moved flight is saved again under its old name.
    Options.SkipKnown = false;
    Run(TwoFlights());
    EXPECT_EQ(Saved(),
              (std::vector<std::string>{"2026/Evening.zdf", "Blok001.zdf", "Blok002.zdf"}));
    fs::remove(Root / "data" / "Blok001.zdf");

    // Skipping finds it through the index and reads it to be sure; the second flight differs
    // from the file of its name, and the question goes to the interface.
    Options.SkipKnown = true;
    Options.IndexPath = Root / "index.sqlite";
    Ui.Answers = {TOverwriteAnswer::Rewrite};
    const TSplitResult result = Run(TwoFlights(0x0203));
    EXPECT_EQ(result.Known, 1);
    EXPECT_EQ(result.Saved, 1);
    EXPECT_EQ(Ui.Questions, (std::vector<std::string>{"Blok002.zdf"}));
    EXPECT_EQ(Saved(), (std::vector<std::string>{"2026/Evening.zdf", "Blok002.zdf"}));
    EXPECT_TRUE(fs::exists(Root / "index.sqlite"));

    // Answered Skip, nothing changes; with no index path every file is read.
    Options.IndexPath = fs::path();
    Ui.Answers = {TOverwriteAnswer::Skip};
    const TSplitResult skipped = Run(TwoFlights(0x0304));
    EXPECT_EQ(skipped.Known, 1);
    EXPECT_EQ(skipped.Skipped, 1);
    EXPECT_EQ(skipped.Saved, 0);
    EXPECT_EQ(Ui.Questions.size(), 2u);
}

TEST_F(DownloadSave, PathsAndTheFileNameKeptAfterwards)
{
    Options.FileName = "";
    Options.BackupFolder = Root / "b";
    Options.SkipKnown = true;
    TDownloadSave job(Options);
    EXPECT_EQ(job.Paths().BackupFolder, Root / "b");
    EXPECT_TRUE(job.Paths().SkipKnown);
    // Skipping known flights uses the user's logbook index unless told otherwise.
    EXPECT_EQ(job.Paths().IndexPath, fs::path(TLogbookIndex::DefaultPath().toStdString()));
    EXPECT_EQ(job.Settings().DefaultFileName, "");

    const auto erased = test::ImageWithEnd(0);
    EXPECT_EQ(job.FileNameAfter(job.Run(erased, test::LastIndex(erased), Ui)), "");
    const auto image = TwoFlights();
    const TSplitResult result = job.Run(image, test::LastIndex(image), Ui);
    EXPECT_EQ(job.FileNameAfter(result), "Block");
    EXPECT_EQ(Saved(), (std::vector<std::string>{"Block001.zdf", "Block002.zdf"}));

    // A folder that cannot be made ends the save with the reason, and nothing is written.
    std::ofstream(Root / "file") << "x";
    Options.DataFolder = (Root / "file" / "below").string();
    Options.SkipKnown = false;
    const TSplitResult failed = Run(image);
    EXPECT_FALSE(failed.Error.empty());
    EXPECT_EQ(failed.Saved, 0);
}

} // namespace
} // namespace zirko
