// The logger's 264-byte configuration record as the device window edits it.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>

namespace zirko {

inline constexpr size_t kConfigSize = 264;
using TConfigImage = std::array<uint8_t, kConfigSize>;

namespace cfg {
inline constexpr size_t kLogAltitude = 11;
inline constexpr size_t kLogRx = 12;
inline constexpr size_t kLogPower = 15;
inline constexpr size_t kLogFirst = 11; // bytes 11..17 are the DataLog flags
inline constexpr size_t kLogLast = 17;
inline constexpr size_t kSamplePeriod = 30;
inline constexpr size_t kStartMode = 50;
inline constexpr size_t kFinishMode = 51;
inline constexpr size_t kStartDelay = 52;
inline constexpr size_t kStartAltitude = 54;
inline constexpr size_t kFinishTime = 56;
inline constexpr size_t kVoltspy = 66;
inline constexpr size_t kNumber1 = 70;
inline constexpr size_t kNumber2 = 72;
inline constexpr size_t kNumber3 = 74;
inline constexpr int kMaxSamplePeriod = 60000; // 10 minutes in 10 ms steps
inline constexpr int kMaxStartDelay = 9999;
inline constexpr int kMaxStartAltitude = 9999;
inline constexpr int kMaxFinishTime = 1000;
inline constexpr double kVoltspyStep = 0.01199;
inline constexpr double kMaxVoltspy = 9.8;
} // namespace cfg

uint16_t ConfigWord(const TConfigImage& image, size_t offset);
void SetConfigWord(TConfigImage& image, size_t offset, uint16_t value);

// When the logger begins to record (the byte at cfg::kStartMode). A byte of another value is
// kept as it is and matches none of these.
enum class TStartMode : uint8_t {
    ByRx = 0,                // a pulse on the receiver channel
    SecondsAfterPowerOn = 1, // cfg::kStartDelay seconds after power on
    AboveAltitude = 2,       // above cfg::kStartAltitude metres
    Immediately = 3,
};
// When it stops (the byte at cfg::kFinishMode).
enum class TFinishMode : uint8_t {
    PowerOff = 0,
    MinutesAfterPowerOn = 1, // cfg::kFinishTime minutes after power on
    ByRx = 3,
};

TStartMode StartModeOf(const TConfigImage& image);
void SetStartMode(TConfigImage& image, TStartMode mode);
TFinishMode FinishModeOf(const TConfigImage& image);
void SetFinishMode(TConfigImage& image, TFinishMode mode);

// What the controls show for a record.
struct TConfigView {
    int Minutes = 0;
    int Seconds = 0;
    int Tenths = 0;
    bool Altitude = false;
    bool Rx = false;
    bool Power = false;
    int StartDelay = 0;
    int StartAltitude = 0;
    int FinishTime = 0;
    TStartMode StartMode = TStartMode::Immediately;
    TFinishMode FinishMode = TFinishMode::PowerOff;
    std::string Voltspy; // volts, two decimals, "."
    int Number1 = 0;
    int Number2 = 0;
    int Number3 = 0;
};

TConfigView ConfigToView(const TConfigImage& image);

struct TSamplePeriod {
    int Value = 0;       // 10 ms steps as stored
    bool Capped = false; // above 10 minutes: "Max Sample rate is 10min", edits 10, 0, 0
    int Milliseconds() const { return Value * 10; }
};
// Reads the three edits into the record (offset 30).
TSamplePeriod StoreSamplePeriod(TConfigImage& image, long long minutes, long long seconds,
                                long long tenths);

// Number of the seven DataLog flags that hold 1.
int LoggedChannels(const TConfigImage& image);
// Seconds of recording left in the memory, and the label text ("1h 5min 3s" or "42 s").
long long RecordingSeconds(int channels, long long periodMs, long long memorySize,
                           long long usedBytes);
std::string RecordingTimeText(long long seconds);

// The voltspy threshold: raw = Round(volts / 0.01199), volts at most 9.8. Returns the volts kept
// (9.8 when more was typed), or nothing when the text is not a number ("Invalid input value").
std::optional<double> StoreVoltspy(TConfigImage& image, const std::string& text);

// An integer edit of the record ("9999", "1000" limits): the value to show and store, or the
// conversion error text for the error box. Values above the limit become the limit.
struct TWordEdit {
    long long Value = 0;
    bool Clamped = false;
    std::string Error;
};
TWordEdit ParseWordEdit(const std::string& text, long long limit);

// The text of a failed integer conversion, as the error box shows it.
std::string ConversionErrorText(const std::string& text);

// Number 1..3 while typed: the low 16 bits of the integer go into the record. Returns the whole
// value (above 65535 is refused when the edit is left), or nothing for text that is not a number.
std::optional<long long> StoreNumber(TConfigImage& image, size_t offset, const std::string& text);

// A flight temperature typed in the window: -30..60, empty gives 0; anything else is refused.
std::optional<int> ParseFlightTemperature(const std::string& text);

} // namespace zirko
