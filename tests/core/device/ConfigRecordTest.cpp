#include "core/device/ConfigRecord.h"

#include <gtest/gtest.h>

using namespace zirko;

TEST(ConfigRecord, SamplePeriodIsCappedAtTenMinutes)
{
    TConfigImage image{};
    auto p = StoreSamplePeriod(image, 10, 1, 0);
    EXPECT_TRUE(p.Capped);
    EXPECT_EQ(p.Value, 60000);
    EXPECT_EQ(ConfigWord(image, cfg::kSamplePeriod), 60000);
    p = StoreSamplePeriod(image, 0, 0, 5);
    EXPECT_FALSE(p.Capped);
    EXPECT_EQ(ConfigWord(image, cfg::kSamplePeriod), 50);
    EXPECT_EQ(p.Milliseconds(), 500);
}

TEST(ConfigRecord, ViewSplitsThePeriodAndDropsPartsBelowATenth)
{
    TConfigImage image{};
    SetConfigWord(image, cfg::kSamplePeriod, 7537); // 75.37 s
    image[cfg::kLogRx] = 1;
    image[cfg::kStartMode] = 2;
    SetConfigWord(image, cfg::kVoltspy, 417);
    const TConfigView v = ConfigToView(image);
    EXPECT_EQ(v.Minutes, 1);
    EXPECT_EQ(v.Seconds, 15);
    EXPECT_EQ(v.Tenths, 3);
    EXPECT_TRUE(v.Rx);
    EXPECT_FALSE(v.Altitude);
    EXPECT_EQ(v.StartMode, TStartMode::AboveAltitude);
    EXPECT_EQ(v.Voltspy, "5.00");
}

TEST(ConfigRecord, ModesAreTheBytesTheLoggerReads)
{
    TConfigImage image{};
    SetStartMode(image, TStartMode::AboveAltitude);
    SetFinishMode(image, TFinishMode::ByRx);
    EXPECT_EQ(image[cfg::kStartMode], 2);
    EXPECT_EQ(image[cfg::kFinishMode], 3);
    EXPECT_EQ(StartModeOf(image), TStartMode::AboveAltitude);
    EXPECT_EQ(ConfigToView(image).FinishMode, TFinishMode::ByRx);
    // A byte no mode has survives a read and a write untouched.
    image[cfg::kFinishMode] = 2;
    const TFinishMode unknown = FinishModeOf(image);
    for (TFinishMode known :
         {TFinishMode::PowerOff, TFinishMode::MinutesAfterPowerOn, TFinishMode::ByRx})
        EXPECT_NE(unknown, known);
    SetFinishMode(image, unknown);
    EXPECT_EQ(image[cfg::kFinishMode], 2);
}

TEST(ConfigRecord, RecordingTime)
{
    EXPECT_EQ(RecordingTimeText(RecordingSeconds(2, 1000, 9000000, 0)), "625h 0min 0s");
    EXPECT_EQ(RecordingTimeText(RecordingSeconds(0, 1000, 9000000, 0)), "0 s");
    EXPECT_EQ(RecordingTimeText(3903), "1h 5min 3s");
    EXPECT_EQ(RecordingTimeText(60), "60 s");
    TConfigImage image{};
    image[11] = image[13] = image[17] = 1;
    image[12] = 2; // only a 1 counts
    EXPECT_EQ(LoggedChannels(image), 3);
}

TEST(ConfigRecord, VoltspyAndTemperatureLimits)
{
    TConfigImage image{};
    EXPECT_EQ(StoreVoltspy(image, "9.9"), 9.8);
    EXPECT_EQ(ConfigWord(image, cfg::kVoltspy), 817);
    EXPECT_EQ(StoreVoltspy(image, "5"), 5.0);
    EXPECT_EQ(ConfigWord(image, cfg::kVoltspy), 417);
    EXPECT_FALSE(StoreVoltspy(image, "1.2.3").has_value());
    EXPECT_EQ(ConfigWord(image, cfg::kVoltspy), 417);
    EXPECT_EQ(ParseFlightTemperature(""), 0);
    EXPECT_EQ(ParseFlightTemperature("-30"), -30);
    EXPECT_FALSE(ParseFlightTemperature("61").has_value());
    EXPECT_FALSE(ParseFlightTemperature("abc").has_value());
}

TEST(ConfigRecord, WordEditsClampToTheirLimitsAndReportConversionErrors)
{
    auto delay = ParseWordEdit("12000", cfg::kMaxStartDelay);
    EXPECT_EQ(delay.Value, 9999);
    EXPECT_TRUE(delay.Clamped);
    auto finish = ParseWordEdit("1001", cfg::kMaxFinishTime);
    EXPECT_EQ(finish.Value, 1000);
    EXPECT_TRUE(finish.Clamped);
    auto exact = ParseWordEdit("1000", cfg::kMaxFinishTime);
    EXPECT_EQ(exact.Value, 1000);
    EXPECT_FALSE(exact.Clamped);
    // Too many digits for any integer: the box shows the conversion text, nothing is stored.
    auto huge = ParseWordEdit("99999999999999999999999", cfg::kMaxStartDelay);
    EXPECT_EQ(huge.Error, "'99999999999999999999999' is not a valid integer value");
}

TEST(ConfigRecord, NumbersKeepTheLowSixteenBitsAndOtherBytesStayUntouched)
{
    TConfigImage image{};
    for (size_t i = 0; i < kConfigSize; ++i)
        image[i] = static_cast<uint8_t>(i * 7);
    const TConfigImage before = image;
    EXPECT_EQ(StoreNumber(image, cfg::kNumber2, "65537"), 65537);
    EXPECT_EQ(ConfigWord(image, cfg::kNumber2), 1);
    EXPECT_FALSE(StoreNumber(image, cfg::kNumber2, "x").has_value());
    EXPECT_EQ(ConfigWord(image, cfg::kNumber2), 1);
    for (size_t i = 0; i < kConfigSize; ++i) {
        if (i != cfg::kNumber2 && i != cfg::kNumber2 + 1) {
            EXPECT_EQ(image[i], before[i]) << i;
        }
    }
}

TEST(ConfigRecord, HugeSamplingPartsAreCappedWithoutOverflow)
{
    TConfigImage image{};
    auto p = StoreSamplePeriod(image, 99999999999999999LL, 0, 0);
    EXPECT_TRUE(p.Capped);
    EXPECT_EQ(ConfigWord(image, cfg::kSamplePeriod), 60000);
    p = StoreSamplePeriod(image, 0, 9223372036854775807LL, 9223372036854775807LL);
    EXPECT_TRUE(p.Capped);
    // A value being typed with its decimal point still last is read as far as it goes.
    EXPECT_EQ(StoreVoltspy(image, "5."), 5.0);
    EXPECT_EQ(ConfigWord(image, cfg::kVoltspy), 417);
}
