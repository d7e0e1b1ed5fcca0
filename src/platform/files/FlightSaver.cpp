// Saves the flights of a downloaded memory image as flight files and keeps the image as a backup.
#include "platform/files/FlightSaver.h"

#include "core/device/LoggerProtocol.h"
#include "platform/files/FlightFile.h"
#include "platform/files/KnownFlights.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <optional>
#include <sys/stat.h>
#include <system_error>

namespace zirko {

namespace {

constexpr const char* kBackupPrefix = "Zirko-";
constexpr const char* kBackupSuffix = ".bin";

// "YYYYMMDD-HHMMSS" in UTC: sorts by time and means the same on every machine.
std::string TimeStamp()
{
    using namespace std::chrono;
    const auto now = floor<seconds>(system_clock::now());
    const auto day = floor<days>(now);
    const year_month_day date(day);
    const hh_mm_ss time(now - day);
    char text[32];
    std::snprintf(text, sizeof text, "%04d%02u%02u-%02d%02d%02d", static_cast<int>(date.year()),
                  static_cast<unsigned>(date.month()), static_cast<unsigned>(date.day()),
                  static_cast<int>(time.hours().count()), static_cast<int>(time.minutes().count()),
                  static_cast<int>(time.seconds().count()));
    return text;
}

// Whether a file of this name is there; a link whose target is missing takes its name too.
bool NameTaken(const std::string& fileName)
{
    struct stat st {};
    return ::lstat(fileName.c_str(), &st) == 0 || errno != ENOENT;
}

// How often one flight is tried when names are taken again between the look and the write.
constexpr int kSaveAttempts = 100;
// How many numbers Keep both looks at for a free name.
constexpr int kFreeNameLooks = 100000;

} // namespace

std::string TFlightSaver::KeepBackup(std::span<const uint8_t> image) const
{
    namespace fs = std::filesystem;
    if (Paths.BackupFolder.empty() || image.empty())
        return {};
    std::error_code error;
    fs::create_directories(Paths.BackupFolder, error);
    const std::string stamp = TimeStamp();
    const std::string_view bytes(reinterpret_cast<const char*>(image.data()), image.size());
    fs::path target;
    TFileSave saved = TFileSave::Exists;
    for (int serial = 1; serial < 100 && saved == TFileSave::Exists; ++serial) {
        char suffix[8];
        std::snprintf(suffix, sizeof suffix, "-%02d", serial);
        target = Paths.BackupFolder / (kBackupPrefix + stamp + suffix + kBackupSuffix);
        saved = SaveFileAtomically(target, bytes, TSaveMode::CreateNew);
    }
    if (saved != TFileSave::Written)
        return {};

    // Only the newest backups stay; their names sort by time.
    std::vector<fs::path> backups;
    for (fs::directory_iterator it(Paths.BackupFolder, error), end; !error && it != end;
         it.increment(error)) {
        const std::string name = it->path().filename().string();
        if (it->is_regular_file(error) && name.starts_with(kBackupPrefix) &&
            name.ends_with(kBackupSuffix))
            backups.push_back(it->path());
    }
    std::sort(backups.begin(), backups.end());
    for (size_t i = 0; i + Paths.BackupsKept < backups.size(); ++i)
        fs::remove(backups[i], error);
    return target.string();
}

TSplitResult TFlightSaver::DataReadingFinished(std::span<const uint8_t> image,
                                               int64_t lastDataIndex,
                                               const TSplitSettings& settings,
                                               TFlightSaveUi& ui) const
{
    lastDataIndex = std::min(lastDataIndex, static_cast<int64_t>(image.size()) - 1);
    // Everything read, also past the end of the data: the backup shows what the logger sent.
    std::string backup;
    // The erased end alone is nothing worth keeping.
    if (lastDataIndex + 1 > static_cast<int64_t>(kLoggerEndRunKept))
        backup = KeepBackup(image);

    const std::vector<TImageFlight> flights = SplitMemoryImage(image, lastDataIndex, settings);
    ui.FlightsFound(flights.size());
    TSplitResult result;
    if (!flights.empty())
        result = SaveFlights(flights, ui);
    result.Segments = static_cast<int>(flights.size());
    result.BackupPath = backup;
    if (!result.CountText.empty())
        ui.SaveFinished(result.CountText, backup);
    return result;
}

TSplitResult TFlightSaver::SaveFlights(const std::vector<TImageFlight>& flights,
                                       TFlightSaveUi& ui) const
{
    namespace fs = std::filesystem;
    TSplitResult result;
    if (flights.empty()) {
        ui.FilesWritten(0);
        return result;
    }

    std::string folder = Paths.DataFolder.empty() ? std::string("./Data") : Paths.DataFolder;
    if (folder.back() != '/' && folder.back() != '\\')
        folder += '/';
    std::error_code error;
    if (!fs::is_directory(folder, error)) {
        // One level only: a missing parent means the data folder option is wrong.
        if (!fs::create_directory(folder, error) || error) {
            result.Error = "Cannot create " + folder;
            return result;
        }
    }

    std::optional<TKnownFlights> known;
    if (Paths.SkipKnown)
        known = TKnownFlights::InFolder(folder, folder, Paths.IndexPath, Paths.Analysis);
    std::vector<std::string> knownPaths;

    // Keep both takes numbers above every one this download gives out, so no later flight of it
    // meets a file made by this one.
    int nextFree = 1;
    for (const TImageFlight& flight : flights)
        nextFree = std::max(nextFree, flight.Number + 1);
    bool rewriteAll = false;
    for (const TImageFlight& flight : flights) {
        if (!flight.SkipReason.empty()) {
            ui.FlightNotSaved(flight.SkipReason);
            continue;
        }
        // The flight as its file reads back, to tell it from another under the same name.
        std::optional<TDataBlock> stored;
        const auto heldAlready = [&](const std::string& fileName) {
            if (!stored)
                stored = AsStored(flight.Record);
            TDataBlock onDisk;
            const TReadResult read = ReadDataFile(fileName, onDisk, 0.0);
            return read.Status == TReadStatus::Ok && read.Count > 0 &&
                   SameRecordedFlight(onDisk, *stored);
        };
        if (known && known->Size() > 0) {
            stored = AsStored(flight.Record);
            if (std::string path = known->Find(*stored); !path.empty()) {
                ++result.Known;
                ui.FlightAlreadySaved(path);
                knownPaths.push_back(std::move(path));
                continue;
            }
        }
        std::string fileName = folder + flight.FileName;
        // A name may be taken between the look and the write: it is then looked at again, as one
        // that was there before.
        bool done = false;
        for (int attempt = 0; attempt < kSaveAttempts && !done; ++attempt) {
            done = true;
            TSaveMode mode = TSaveMode::CreateNew;
            if (NameTaken(fileName)) {
                if (heldAlready(fileName)) {
                    ++result.AlreadySaved;
                    ui.FlightAlreadySaved(fileName);
                    break;
                }
                std::string freeName = folder + FlightFileName(flight.BaseName, nextFree);
                for (int look = 0; look < kFreeNameLooks && NameTaken(freeName); ++look)
                    freeName = folder + FlightFileName(flight.BaseName, ++nextFree);
                TOverwriteAnswer answer = TOverwriteAnswer::RewriteAll;
                if (!rewriteAll)
                    answer = ui.AskOverwrite(
                        {fileName, freeName, OverwriteQuestionText(fileName, freeName)});
                if (answer == TOverwriteAnswer::Skip) {
                    ++result.Skipped;
                    break;
                }
                if (answer == TOverwriteAnswer::KeepBoth) {
                    fileName = freeName;
                    ++nextFree;
                    done = false;
                    continue;
                }
                rewriteAll = rewriteAll || answer == TOverwriteAnswer::RewriteAll;
                mode = TSaveMode::Replace;
            }
            const TWriteResult written = WriteDataFile(fileName, flight.Record, mode);
            if (written.Status == TWriteStatus::Exists) {
                done = false;
                continue;
            }
            if (!written.Ok()) {
                ui.FlightNotSaved(kMsgWriteIo);
                break;
            }
            ++result.Saved;
            ui.FilesWritten(result.Saved);
            break;
        }
        if (!done)
            ui.FlightNotSaved(kMsgWriteIo);
    }
    const TKnownPlace place = KnownFlightsPlace(knownPaths);
    result.CountText = SaveSummaryText(result.Saved, result.Skipped, result.AlreadySaved) +
                       KnownFlightsText(result.Known, place.Path, place.IsFile);
    return result;
}

} // namespace zirko
