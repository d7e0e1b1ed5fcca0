// Importing from disk: sources read, flights written under free names and never over a file.
#include "platform/files/FlightImporter.h"
#include "platform/files/FlightFile.h"

#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace zirko;
namespace fs = std::filesystem;

namespace {

class TImportDir {
public:
    TImportDir()
    {
        char tmpl[] = "/tmp/zirko-import-XXXXXX";
        Path = ::mkdtemp(tmpl);
    }
    ~TImportDir()
    {
        std::error_code ec;
        fs::remove_all(Path, ec);
    }
    fs::path Path;
};

const fs::path kLog = fs::path(ZIRKO_TEST_DATA_DIR) / "import" / "Glider-2024-05-18.csv";

TEST(FlightImporter, FlightsTakeTheNextFreeNumbersAndNothingIsWrittenOver)
{
    TImportDir dir;
    const fs::path out = dir.Path / "Imported" / "2024";
    fs::create_directories(out);
    // Taken names: a file, a folder and a link that points nowhere.
    std::ofstream(out / "Glider-2024-05-18_001.zdf") << "mine";
    fs::create_directory(out / "Glider-2024-05-18_002.zdf");
    fs::create_symlink(dir.Path / "nowhere", out / "Glider-2024-05-18_004.zdf");

    const TImportResult source = ReadImportSource(kLog, TImportFormat::Auto, {});
    ASSERT_TRUE(source.Ok()) << source.Error;
    ASSERT_EQ(source.Flights.size(), 3u);
    const TImportWrite write =
        WriteImportedFlights(source, kLog.string(), out, ImportBaseName(kLog.string()));
    ASSERT_TRUE(write.Ok()) << write.Error;
    ASSERT_EQ(write.Written.size(), 3u);
    EXPECT_EQ(write.Written[0], out / "Glider-2024-05-18_003.zdf");
    EXPECT_EQ(write.Written[1], out / "Glider-2024-05-18_005.zdf");
    EXPECT_EQ(write.Written[2], out / "Glider-2024-05-18_006.zdf");
    std::string mine;
    ASSERT_TRUE(ReadWholeFile(out / "Glider-2024-05-18_001.zdf", mine));
    EXPECT_EQ(mine, "mine");
    EXPECT_FALSE(fs::exists(dir.Path / "nowhere"));

    for (size_t i = 0; i < 3; ++i) {
        TDataBlock written;
        ASSERT_EQ(ReadDataFile(write.Written[i], written, 0).Status, TReadStatus::Ok);
        const TDataBlock expected = MakeImportedBlock(source, i, kLog.string());
        EXPECT_EQ(FormatDataFile(written), FormatDataFile(expected));
    }
}

TEST(FlightImporter, SourcesThatCannotBeReadAndFoldersThatCannotBeMadeAreMessages)
{
    TImportDir dir;
    const fs::path missing = dir.Path / "gone.csv";
    EXPECT_EQ(ReadImportSource(missing, TImportFormat::Auto, {}).Error,
              missing.string() + ": Error in reading file.");
    EXPECT_EQ(ReadImportSource(dir.Path, TImportFormat::Auto, {}).Error,
              NotRegularFileText(dir.Path));
    // A FIFO is refused without the open that would wait for a writer.
    ASSERT_EQ(::mkfifo((dir.Path / "pipe.csv").c_str(), 0600), 0);
    EXPECT_EQ(ReadImportSource(dir.Path / "pipe.csv", TImportFormat::Auto, {}).Error,
              (dir.Path / "pipe.csv").string() + " is not a regular file.");
    std::ofstream(dir.Path / "empty.igc");
    EXPECT_EQ(ReadImportSource(dir.Path / "empty.igc", TImportFormat::Auto, {}).Error,
              (dir.Path / "empty.igc").string() +
                  ": no B record with a readable time; it is not an IGC file.");

    const TImportResult source = ReadImportSource(kLog, TImportFormat::Csv, {});
    std::ofstream(dir.Path / "file") << "x";
    const TImportWrite write =
        WriteImportedFlights(source, "a.csv", dir.Path / "file" / "sub", "a");
    EXPECT_EQ(write.Error, "Cannot create " + (dir.Path / "file" / "sub").string());
    EXPECT_TRUE(write.Written.empty());
}

} // namespace
