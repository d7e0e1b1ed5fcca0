#include "platform/files/LogbookFiles.h"

#include "core/flightdata/ZdfFile.h"
#include "core/shell/TreeNaming.h"
#include "platform/files/DataFolder.h"
#include "platform/files/FileStore.h"
#include "platform/files/FlightFile.h"

#include <QFile>
#include <QLocale>

#include <algorithm>
#include <atomic>
#include <ctime>
#include <sys/stat.h>
#include <thread>

namespace zirko {

namespace {

TCivilSeconds LocalCivil(time_t seconds)
{
    struct tm local {};
    if (!localtime_r(&seconds, &local))
        return 0;
    return CivilSeconds(local.tm_year + 1900, local.tm_mon + 1, local.tm_mday, local.tm_hour,
                        local.tm_min, local.tm_sec);
}

} // namespace

std::vector<TFlightFileEntry> FindFlightFiles(const std::filesystem::path& root, bool* complete,
                                              size_t maxFolders)
{
    std::vector<TFlightFileEntry> files;
    const std::string top = root.string();
    const size_t prefix = top.empty() || top.back() == '/' ? top.size() : top.size() + 1;
    // The files the data folder tree shows, found by the same reading.
    const TFolderEntries found = TDataFolder::Scan(top, maxFolders, false);
    if (complete)
        *complete = found.Complete;
    for (const TFolderEntry& entry : found.Entries) {
        if (entry.IsFolder)
            continue;
        TFlightFileEntry file;
        file.RelativePath = entry.NativePath.substr(prefix);
        file.FullPath = entry.NativePath;
        struct stat st {};
        if (::stat(entry.NativePath.c_str(), &st) == 0) {
            file.Size = st.st_size;
            file.ModifiedNs =
                static_cast<int64_t>(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec;
            file.Modified = LocalCivil(st.st_mtim.tv_sec);
        }
        files.push_back(std::move(file));
    }
    std::sort(files.begin(), files.end(),
              [](const auto& a, const auto& b) { return a.RelativePath < b.RelativePath; });
    return files;
}

std::string FolderLimitNote(const std::string& root, size_t maxFolders)
{
    const std::string limit = std::to_string(maxFolders);
    return "The data folder " + root + " holds more than " + limit +
           " folders. The logbook shows the flights of the first " + limit + " of them.";
}

std::vector<std::string> FlightDateFormats()
{
    const QLocale locale;
    return {
        std::string(kProgramDateFormat),
        (locale.dateFormat(QLocale::ShortFormat) + " " + locale.timeFormat(QLocale::LongFormat))
            .toStdString(),
        (locale.dateFormat(QLocale::ShortFormat) + " " + locale.timeFormat(QLocale::ShortFormat))
            .toStdString()};
}

TLogbookRow ReadLogbookRow(const TFlightFileEntry& file,
                           const std::vector<std::string>& dateFormats,
                           const TModelProfiles* profiles, const TEventOptions& general)
{
    TLogbookRow row;
    SetRowPath(row, file.RelativePath);
    row.Modified = file.Modified;
    TDataBlock flight;
    TReadResult read = ReadDataFile(file.FullPath, flight, 0);
    if (read.Status == TReadStatus::Ok && read.Count < 1)
        read.Message = "Chyba při otevírání souboru!";
    std::string content;
    if (read.Status != TReadStatus::Ok || read.Count < 1) {
        row.Error = read.Message;
    } else if (!ReadWholeFile(file.FullPath, content)) {
        // Gone or changed into something else since it was read.
        row.Error = kMsgReadIo;
    } else {
        FillRow(row, flight, LocateExtraSection(content).Lines, dateFormats, profiles, general);
    }
    row.Prepare();
    return row;
}

std::vector<TLogbookRow> ReadLogbookRows(const std::vector<TFlightFileEntry>& files,
                                         const std::vector<std::string>& dateFormats,
                                         const TModelProfiles* profiles,
                                         const TEventOptions& general, const TReadControl* control)
{
    std::vector<TLogbookRow> rows(files.size());
    std::atomic<size_t> next{0};
    std::atomic<size_t> done{0};
    const auto work = [&] {
        for (size_t i; (i = next.fetch_add(1)) < files.size();) {
            if (control && control->Cancelled())
                break;
            rows[i] = ReadLogbookRow(files[i], dateFormats, profiles, general);
            if (control && control->Progress)
                control->Progress(done.fetch_add(1) + 1, files.size());
        }
    };
    const size_t threads =
        std::min<size_t>(std::max(1u, std::thread::hardware_concurrency()), files.size());
    std::vector<std::thread> workers;
    for (size_t t = 1; t < threads; ++t)
        workers.emplace_back(work);
    work();
    for (auto& w : workers)
        w.join();
    return rows;
}

TProfilesRead ReadModelProfiles(const std::filesystem::path& file)
{
    TProfilesRead result;
    const std::string name = QFile::decodeName(file.string().c_str()).toStdString();
    if (const std::string other = NotRegularFileText(file); !other.empty()) {
        result.Message = other;
        return result;
    }
    std::error_code ec;
    if (!std::filesystem::exists(file, ec)) {
        result.Message = "Models file not found: " + name;
        return result;
    }
    if (!ReadWholeFile(file, result.Text)) {
        result.Message = "Cannot read the models file " + name + ".";
        return result;
    }
    result.Profiles.Parse(result.Text);
    result.Ok = true;
    return result;
}

std::optional<TModelProfiles> FolderModelProfiles(const std::filesystem::path& root)
{
    const std::filesystem::path models = root / std::string(kModelProfilesFile);
    std::error_code ec;
    if (!std::filesystem::exists(std::filesystem::symlink_status(models, ec)))
        return std::nullopt;
    TProfilesRead read = ReadModelProfiles(models);
    if (!read.Ok)
        return std::nullopt;
    return std::move(read.Profiles);
}

} // namespace zirko
