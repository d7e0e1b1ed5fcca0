#include "core/device/ConfigRecord.h"

#include "core/app/NumberFormat.h"

#include <algorithm>
#include <cmath>

namespace zirko {

uint16_t ConfigWord(const TConfigImage& image, size_t offset)
{
    return static_cast<uint16_t>((image[offset] << 8) | image[offset + 1]);
}

void SetConfigWord(TConfigImage& image, size_t offset, uint16_t value)
{
    image[offset] = static_cast<uint8_t>(value >> 8);
    image[offset + 1] = static_cast<uint8_t>(value & 0xFF);
}

TStartMode StartModeOf(const TConfigImage& image)
{
    return static_cast<TStartMode>(image[cfg::kStartMode]);
}

void SetStartMode(TConfigImage& image, TStartMode mode)
{
    image[cfg::kStartMode] = static_cast<uint8_t>(mode);
}

TFinishMode FinishModeOf(const TConfigImage& image)
{
    return static_cast<TFinishMode>(image[cfg::kFinishMode]);
}

void SetFinishMode(TConfigImage& image, TFinishMode mode)
{
    image[cfg::kFinishMode] = static_cast<uint8_t>(mode);
}

TConfigView ConfigToView(const TConfigImage& image)
{
    TConfigView v;
    const int tenths = ConfigWord(image, cfg::kSamplePeriod) / 10;
    v.Tenths = tenths % 10;
    v.Seconds = (tenths / 10) % 60;
    v.Minutes = (tenths / 10) / 60;
    v.Altitude = image[cfg::kLogAltitude] == 1;
    v.Rx = image[cfg::kLogRx] == 1;
    v.Power = image[cfg::kLogPower] == 1;
    v.StartDelay = ConfigWord(image, cfg::kStartDelay);
    v.StartAltitude = ConfigWord(image, cfg::kStartAltitude);
    v.FinishTime = ConfigWord(image, cfg::kFinishTime);
    v.StartMode = StartModeOf(image);
    v.FinishMode = FinishModeOf(image);
    v.Voltspy = FormatFixed(ConfigWord(image, cfg::kVoltspy) * cfg::kVoltspyStep, 2);
    v.Number1 = ConfigWord(image, cfg::kNumber1);
    v.Number2 = ConfigWord(image, cfg::kNumber2);
    v.Number3 = ConfigWord(image, cfg::kNumber3);
    return v;
}

TSamplePeriod StoreSamplePeriod(TConfigImage& image, long long minutes, long long seconds,
                                long long tenths)
{
    TSamplePeriod p;
    // Any part this large is over ten minutes alone; bounding it keeps the sum from overflowing.
    static constexpr long long kPartLimit = 1'000'000'000;
    auto bounded = [](long long part) { return std::clamp(part, -kPartLimit, kPartLimit); };
    const long long value = (bounded(minutes) * 600 + bounded(seconds) * 10 + bounded(tenths)) * 10;
    if (value > cfg::kMaxSamplePeriod || value < 0) {
        p.Capped = value > cfg::kMaxSamplePeriod;
        p.Value = p.Capped ? cfg::kMaxSamplePeriod : 0;
    } else {
        p.Value = static_cast<int>(value);
    }
    SetConfigWord(image, cfg::kSamplePeriod, static_cast<uint16_t>(p.Value));
    return p;
}

int LoggedChannels(const TConfigImage& image)
{
    int n = 0;
    for (size_t i = cfg::kLogFirst; i <= cfg::kLogLast; ++i)
        n += image[i] == 1;
    return n;
}

long long RecordingSeconds(int channels, long long periodMs, long long memorySize,
                           long long usedBytes)
{
    if (channels == 0)
        return 0;
    return RoundHalfEven((periodMs / 1000.0) * static_cast<double>(memorySize - usedBytes) /
                         (channels * 2.0));
}

std::string RecordingTimeText(long long seconds)
{
    if (seconds > 60)
        return std::to_string(seconds / 3600) + "h " + std::to_string((seconds / 60) % 60) +
               "min " + std::to_string(seconds % 60) + "s";
    return std::to_string(seconds) + " s";
}

std::optional<double> StoreVoltspy(TConfigImage& image, const std::string& text)
{
    auto value = ParseStrictNumber(text);
    if (!value)
        return std::nullopt;
    double volts = *value;
    if (volts > cfg::kMaxVoltspy)
        volts = cfg::kMaxVoltspy;
    const long long raw = RoundHalfEven(volts / cfg::kVoltspyStep);
    SetConfigWord(image, cfg::kVoltspy, static_cast<uint16_t>(raw < 0 ? 0 : raw));
    return volts;
}

std::string ConversionErrorText(const std::string& text)
{
    return "'" + text + "' is not a valid integer value";
}

TWordEdit ParseWordEdit(const std::string& text, long long limit)
{
    TWordEdit edit;
    auto value = ParseInteger(text);
    if (!value) {
        edit.Error = ConversionErrorText(text);
        return edit;
    }
    edit.Value = *value < 0 ? 0 : *value;
    if (edit.Value > limit) {
        edit.Value = limit;
        edit.Clamped = true;
    }
    return edit;
}

std::optional<long long> StoreNumber(TConfigImage& image, size_t offset, const std::string& text)
{
    auto value = ParseInteger(text);
    if (!value)
        return std::nullopt;
    SetConfigWord(image, offset, static_cast<uint16_t>(static_cast<unsigned long long>(*value)));
    return *value;
}

std::optional<int> ParseFlightTemperature(const std::string& text)
{
    if (TrimBlanks(text).empty())
        return 0;
    auto value = ParseInteger(text);
    if (!value || *value < -30 || *value > 60)
        return std::nullopt;
    return static_cast<int>(*value);
}

} // namespace zirko
