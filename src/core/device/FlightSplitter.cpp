// Splits a downloaded logger memory image into flights, converts and saves them as flight files.
#include "core/device/FlightSplitter.h"

#include "core/flightdata/ZdfFile.h"

#include <algorithm>
#include <bit>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <system_error>

namespace zirko {

namespace {

constexpr int64_t kMarkerBytes = 4;
constexpr int64_t kHeaderBytes = 18; // marker and seven header words
constexpr const char* kBackupPrefix = "Zirko-";
constexpr const char* kBackupSuffix = ".bin";

bool IsDigits(const std::string& text)
{
    return !text.empty() &&
           std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
}

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

} // namespace

TSaveName SaveNameFromDefault(const std::string& defaultFileName)
{
    // The option may hold a Windows or a POSIX path: only its last part names the files.
    const auto slash = defaultFileName.find_last_of("/\\");
    std::string name =
        slash == std::string::npos ? defaultFileName : defaultFileName.substr(slash + 1);
    const auto dot = name.find('.');
    if (dot == std::string::npos)
        return {name, 1};
    name.resize(dot);
    // A name such as Flight0012.zdf goes on from its own number.
    if (dot >= 4) {
        const std::string digits = name.substr(name.size() - 4);
        if (IsDigits(digits))
            return {name.substr(0, name.size() - 4), std::stoi(digits)};
    }
    return {name, 1};
}

std::string FlightFileName(const std::string& baseName, int number)
{
    char digits[16];
    std::snprintf(digits, sizeof digits, "%.3d", number);
    return baseName + digits + ".zdf";
}

std::string SavedCountText(int count)
{
    return std::to_string(count) +
           (count == 1 ? " file succesfully written." : " files succesfully written.");
}

uint16_t TFlightSplitter::Word(int64_t index) const
{
    return static_cast<uint16_t>((DownloadBuffer[static_cast<size_t>(index)] << 8) |
                                 DownloadBuffer[static_cast<size_t>(index) + 1]);
}

int64_t TFlightSplitter::FindFlightMarker(int64_t from) const
{
    const int64_t last =
        std::min(LastDataIndex, static_cast<int64_t>(DownloadBuffer.size()) - 1) - 4;
    int64_t run = 0;
    // A run of 0xFF is counted once, not re-read for every start position.
    for (int64_t i = std::max<int64_t>(from, 0); i <= last + kMarkerBytes - 1; ++i) {
        if (DownloadBuffer[static_cast<size_t>(i)] == 0xFF) {
            if (++run == kMarkerBytes)
                return i - kMarkerBytes + 1;
        } else {
            run = 0;
        }
    }
    return -1;
}

void TFlightSplitter::AddFlightSegment(int64_t start, int64_t end)
{
    if (end - start < kHeaderBytes)
        return;
    TFlightSegment segment;
    segment.Sampling = Word(start + 4);
    segment.ChannelMask = Word(start + 6);
    segment.HeaderWord3 = Word(start + 8);
    segment.HeaderWord4 = Word(start + 10);
    segment.HeaderWord5 = Word(start + 12);
    segment.HeaderWord6 = Word(start + 14);
    segment.HeaderWord7 = Word(start + 16);
    segment.ChannelCount = std::popcount(static_cast<uint16_t>(segment.ChannelMask));
    segment.DataStart = start + kHeaderBytes;
    segment.DataEnd = end;
    FlightList.push_back(segment);
}

TDataBlock TFlightSplitter::BuildFlight(const TFlightSegment& segment,
                                        const std::string& dateText) const
{
    TDataBlock flight;
    flight.DateText = dateText;
    flight.Sampling = segment.Sampling;
    flight.ChannelMask = segment.ChannelMask;
    flight.HeaderWord3 = segment.HeaderWord3;
    flight.HeaderWord4 = segment.HeaderWord4;
    flight.HeaderWord5 = segment.HeaderWord5;
    flight.HeaderWord6 = segment.HeaderWord6;
    flight.HeaderWord7 = segment.HeaderWord7;
    if (segment.ChannelCount <= 0)
        return flight;
    const auto samples = static_cast<int64_t>(std::trunc(
        static_cast<double>(segment.DataEnd - segment.DataStart) / 2.0 / segment.ChannelCount));
    const auto count = static_cast<size_t>(std::max<int64_t>(samples, 0));

    flight.Time.resize(count);
    double time = 0;
    for (size_t j = 0; j < count; ++j) {
        flight.Time[j] = time;
        time += segment.Sampling / 100.0;
    }

    // Columns follow the set mask bits from bit 15 down; bits 8..0 are read and dropped.
    int column = 0;
    for (int bit = 15; bit >= 0; --bit) {
        if ((segment.ChannelMask & (1 << bit)) == 0)
            continue;
        const auto channel = std::find_if(kChannels.begin(), kChannels.end(),
                                          [bit](auto& c) { return c.Mask == (1u << bit); });
        if (channel != kChannels.end()) {
            auto& values = flight.*(channel->Array);
            values.resize(count);
            for (size_t j = 0; j < count; ++j) {
                const int64_t index = segment.DataStart +
                                      2 * (static_cast<int64_t>(j) * segment.ChannelCount + column);
                values[j] = Word(index);
            }
        }
        ++column;
    }

    if (!flight.Altitude.empty()) {
        // Pressure in kPa from the sensor word; heights are relative to the first sample.
        const double factor = 20718.6607 - 0.8485 * segment.HeaderWord7;
        const double ground = (flight.Altitude[0] / 65536.0) / 0.009 + 10.555555;
        for (double& value : flight.Altitude) {
            const double pressure = (value / 65536.0) / 0.009 + 10.555555;
            value = -std::log(pressure / ground) * factor;
        }
    }
    for (double& value : flight.Rx)
        value = (value - 1532) / 5.1;
    for (double& value : flight.Voltage)
        value = 0.0291 * value + 2.476;
    return flight;
}

std::string TFlightSplitter::KeepBackup()
{
    namespace fs = std::filesystem;
    if (BackupFolder.empty() || DownloadBuffer.empty())
        return {};
    std::error_code error;
    fs::create_directories(BackupFolder, error);
    const std::string stamp = TimeStamp();
    // Everything read, also past the end of the data: the backup shows what the logger sent.
    const std::string_view bytes(reinterpret_cast<const char*>(DownloadBuffer.data()),
                                 DownloadBuffer.size());
    fs::path target;
    TFileSave saved = TFileSave::Exists;
    for (int serial = 1; serial < 100 && saved == TFileSave::Exists; ++serial) {
        char suffix[8];
        std::snprintf(suffix, sizeof suffix, "-%02d", serial);
        target = BackupFolder / (kBackupPrefix + stamp + suffix + kBackupSuffix);
        saved = SaveFileAtomically(target, bytes, TSaveMode::CreateNew);
    }
    if (saved != TFileSave::Written)
        return {};

    // Only the newest backups stay; their names sort by time.
    std::vector<fs::path> backups;
    for (fs::directory_iterator it(BackupFolder, error), end; !error && it != end;
         it.increment(error)) {
        const std::string name = it->path().filename().string();
        if (it->is_regular_file(error) && name.starts_with(kBackupPrefix) &&
            name.ends_with(kBackupSuffix))
            backups.push_back(it->path());
    }
    std::sort(backups.begin(), backups.end());
    for (size_t i = 0; i + BackupsKept < backups.size(); ++i)
        fs::remove(backups[i], error);
    return target.string();
}

TSplitResult TFlightSplitter::DataReadingFinished(std::vector<uint8_t> image, int64_t lastDataIndex,
                                                  const std::string& dateText, TFlightSaveUi& ui)
{
    FlightList.clear();
    DownloadBuffer = std::move(image);
    LastDataIndex = std::min(lastDataIndex, static_cast<int64_t>(DownloadBuffer.size()) - 1);

    // Five bytes or fewer are the erased end alone: nothing worth keeping.
    std::string backup;
    if (LastDataIndex + 1 > 5)
        backup = KeepBackup();

    int64_t from = 0;
    int64_t previous = 0;
    int64_t position = 0;
    do {
        position = FindFlightMarker(from);
        if (position > previous)
            AddFlightSegment(previous, position);
        from = position + 3;
        previous = position;
    } while (position != -1);

    ui.StatusText("Data reading finished (" + std::to_string(FlightList.size()) + " blocks read.)");
    TSplitResult result;
    if (!FlightList.empty())
        result = SaveFlights(dateText, ui);
    result.Segments = static_cast<int>(FlightList.size());
    result.BackupPath = backup;
    if (!result.CountText.empty())
        ui.ShowInformation(result.CountText + BackupNote(backup));
    return result;
}

std::string BackupNote(const std::string& backupPath)
{
    return backupPath.empty() ? std::string()
                              : "\nThe downloaded memory is also kept in " + backupPath;
}

TSplitResult TFlightSplitter::SaveFlights(const std::string& dateText, TFlightSaveUi& ui)
{
    namespace fs = std::filesystem;
    TSplitResult result;
    if (DefaultFileName.empty())
        DefaultFileName = "Block";
    if (FlightList.empty()) {
        ui.InitLabelText("0 files saved.");
        return result;
    }

    std::string folder = DataFolder.empty() ? std::string("./Data") : DataFolder;
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

    const TSaveName name = SaveNameFromDefault(DefaultFileName);
    int number = name.FirstNumber;
    bool asking = true;
    for (size_t i = 0; i < FlightList.size(); ++i) {
        const TFlightSegment& segment = FlightList[i];
        if (segment.ChannelCount == 0) {
            ui.ShowError("Flight " + std::to_string(i + 1) + " of the download (byte " +
                         std::to_string(segment.DataStart - kHeaderBytes) +
                         ") has no recorded channel and was not saved.");
            continue;
        }
        const std::string fileName = folder + FlightFileName(name.BaseName, number);
        // Yes replaces the file; No ends the whole save.
        auto mayReplace = [&] {
            const TOverwriteAnswer answer =
                ui.AskOverwrite("Filename " + fileName + " already exists. Rewrite?");
            if (answer == TOverwriteAnswer::YesToAll)
                asking = false;
            return answer != TOverwriteAnswer::No;
        };
        TSaveMode mode = asking ? TSaveMode::CreateNew : TSaveMode::Replace;
        if (asking && fs::exists(fileName, error)) {
            if (!mayReplace())
                break;
            mode = TSaveMode::Replace;
        }
        const TDataBlock flight = BuildFlight(segment, dateText);
        TWriteResult written = WriteDataFile(fileName, flight, mode);
        // Another program saved a file of this name meanwhile: it is asked about as one that
        // was there before.
        if (written.Status == TWriteStatus::Exists) {
            if (!mayReplace())
                break;
            written = WriteDataFile(fileName, flight, TSaveMode::Replace);
        }
        ++number;
        if (!written.Ok()) {
            ui.ShowError(kMsgWriteIo);
            continue;
        }
        ++result.Saved;
        ui.InitLabelText(SavedCountText(result.Saved));
    }
    result.CountText = SavedCountText(result.Saved);
    return result;
}

} // namespace zirko
