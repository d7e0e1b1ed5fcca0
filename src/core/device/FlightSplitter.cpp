// Finds the flights in a downloaded logger memory image and builds their flight records.
#include "core/device/FlightSplitter.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstdio>

namespace zirko {

namespace {

constexpr int64_t kMarkerBytes = 4;
constexpr int64_t kHeaderBytes = 18; // marker and seven header words

bool IsDigits(const std::string& text)
{
    return !text.empty() &&
           std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
}

uint16_t Word(std::span<const uint8_t> image, int64_t index)
{
    return static_cast<uint16_t>((image[static_cast<size_t>(index)] << 8) |
                                 image[static_cast<size_t>(index) + 1]);
}

} // namespace

std::string DefaultFileNameForSaving(const std::string& defaultFileName)
{
    return defaultFileName.empty() ? std::string("Block") : defaultFileName;
}

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

namespace {

// " N flight(s)": appended piece by piece, as GCC 12 at -O3 takes " " + std::to_string(...) for
// an overlapping copy (-Wrestrict) and fails the build.
void AppendFlightCount(std::string& text, int count)
{
    text += ' ';
    text += std::to_string(count);
    text += count == 1 ? " flight" : " flights";
}

} // namespace

std::string SaveSummaryText(int written, int skipped, int alreadySaved)
{
    std::string text = SavedCountText(written);
    if (skipped > 0) {
        AppendFlightCount(text, skipped);
        text += " skipped.";
    }
    if (alreadySaved > 0) {
        AppendFlightCount(text, alreadySaved);
        text += " already saved.";
    }
    return text;
}

std::string KnownFlightsText(int known, const std::string& place, bool placeIsFile)
{
    std::string text;
    if (known <= 0)
        return text;
    AppendFlightCount(text, known);
    text += " already in the logbook";
    text += placeIsFile ? ": " : ", in ";
    text += place;
    text += '.';
    return text;
}

std::string OverwriteQuestionText(const std::string& fileName, const std::string& freeName)
{
    return "Filename " + fileName +
           " already exists and holds a different flight. Keep both "
           "saves this flight as " +
           freeName + ".";
}

std::string AlreadySavedText(const std::string& fileName)
{
    return "Flight already saved as " + fileName + ".";
}

std::string SavedSoFarText(int count)
{
    return count == 0 ? std::string("0 files saved.") : SavedCountText(count);
}

std::string BackupNote(const std::string& backupPath)
{
    return backupPath.empty() ? std::string()
                              : "\nThe downloaded memory is also kept in " + backupPath;
}

std::string ReadingFinishedText(size_t flights)
{
    return "Data reading finished (" + std::to_string(flights) + " blocks read.)";
}

int64_t FindFlightMarker(std::span<const uint8_t> image, int64_t lastDataIndex, int64_t from)
{
    const int64_t last = std::min(lastDataIndex, static_cast<int64_t>(image.size()) - 1) - 4;
    int64_t run = 0;
    // A run of 0xFF is counted once, not re-read for every start position.
    for (int64_t i = std::max<int64_t>(from, 0); i <= last + kMarkerBytes - 1; ++i) {
        if (image[static_cast<size_t>(i)] == 0xFF) {
            if (++run == kMarkerBytes)
                return i - kMarkerBytes + 1;
        } else {
            run = 0;
        }
    }
    return -1;
}

std::optional<TFlightSegment> AddFlightSegment(std::span<const uint8_t> image, int64_t start,
                                               int64_t end)
{
    if (end - start < kHeaderBytes)
        return std::nullopt;
    TFlightSegment segment;
    segment.Sampling = Word(image, start + 4);
    segment.ChannelMask = Word(image, start + 6);
    segment.HeaderWord3 = Word(image, start + 8);
    segment.HeaderWord4 = Word(image, start + 10);
    segment.HeaderWord5 = Word(image, start + 12);
    segment.HeaderWord6 = Word(image, start + 14);
    segment.HeaderWord7 = Word(image, start + 16);
    segment.ChannelCount = std::popcount(static_cast<uint16_t>(segment.ChannelMask));
    segment.DataStart = start + kHeaderBytes;
    segment.DataEnd = end;
    return segment;
}

std::vector<TFlightSegment> FindFlightSegments(std::span<const uint8_t> image,
                                               int64_t lastDataIndex)
{
    lastDataIndex = std::min(lastDataIndex, static_cast<int64_t>(image.size()) - 1);
    std::vector<TFlightSegment> segments;
    int64_t from = 0;
    int64_t previous = 0;
    int64_t position = 0;
    do {
        position = FindFlightMarker(image, lastDataIndex, from);
        if (position > previous)
            if (auto segment = AddFlightSegment(image, previous, position))
                segments.push_back(*segment);
        from = position + 3;
        previous = position;
    } while (position != -1);
    return segments;
}

TDataBlock BuildFlight(std::span<const uint8_t> image, const TFlightSegment& segment,
                       const std::string& dateText)
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
                values[j] = Word(image, index);
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

std::vector<TImageFlight> SplitMemoryImage(std::span<const uint8_t> image, int64_t lastDataIndex,
                                           const TSplitSettings& settings)
{
    const TSaveName name = SaveNameFromDefault(DefaultFileNameForSaving(settings.DefaultFileName));
    int number = name.FirstNumber;
    std::vector<TImageFlight> flights;
    for (const TFlightSegment& segment : FindFlightSegments(image, lastDataIndex)) {
        TImageFlight flight;
        flight.Segment = segment;
        if (segment.ChannelCount == 0) {
            flight.SkipReason = "Flight " + std::to_string(flights.size() + 1) +
                                " of the download (byte " +
                                std::to_string(segment.DataStart - kHeaderBytes) +
                                ") has no recorded channel and was not saved.";
        } else {
            flight.BaseName = name.BaseName;
            flight.Number = number++;
            flight.FileName = FlightFileName(name.BaseName, flight.Number);
            flight.Record = BuildFlight(image, segment, settings.DateText);
        }
        flights.push_back(std::move(flight));
    }
    return flights;
}

} // namespace zirko
