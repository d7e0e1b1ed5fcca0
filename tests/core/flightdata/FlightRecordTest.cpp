#include "core/app/NumberFormat.h"
#include "core/flightdata/FlightText.h"

#include <gtest/gtest.h>
#include <limits>

using namespace zirko;

TEST(FlightTime, OneDecimalRoundingAndMinutesFormattedSeparately)
{
    EXPECT_EQ(FormatFlightTime(59.95), "60.0 sec");
    EXPECT_EQ(FormatFlightTime(125.5), "2 min 5.5 sec");
    EXPECT_EQ(FormatFlightTime(42), "42.0 sec");
    EXPECT_EQ(FormatFlightTime(119.96), "1 min 60.0 sec");
    EXPECT_EQ(FormatFlightTime(-75.3), "-1 min -15.3 sec");
    EXPECT_EQ(FormatFlightTime(-12.25, ','), "-12,2 sec");
    EXPECT_EQ(FormatFlightTime(75.25, ','), "1 min 15,2 sec");
}

TEST(NumberText, FixedFileNumbersAndTrimmedDisplayNumbers)
{
    EXPECT_EQ(FormatFixed(-0.75, 2), "-0.75");
    EXPECT_EQ(FormatFixed(12.5, 2), "12.50");
    EXPECT_EQ(FormatFixed(-0.001, 2), "0.00");
    EXPECT_EQ(FormatFixed(1e7, 1), "10000000.0");
    EXPECT_EQ(FormatDisplay(3.14159, 3, ','), "3,142");
    EXPECT_EQ(FormatDisplay(-2.25, 1), "-2.2"); // ties of the binary value go to even
    EXPECT_EQ(FormatMinSec(65), "1:05");
    EXPECT_EQ(FormatMinSec(-65), "-1:05");
    EXPECT_EQ(FormatMinSec(-30), "-0:30");
    EXPECT_EQ(FormatMinSec(600), "10:00");
    EXPECT_EQ(FormatMinSec(std::numeric_limits<long long>::min()), "-153722867280912930:08");
}

TEST(NumberText, StrictNumbersAcceptOnlyTheFileGrammar)
{
    EXPECT_EQ(ParseStrictNumber("-12.5e-1"), -1.25);
    EXPECT_EQ(ParseStrictNumber("+3"), 3);
    EXPECT_EQ(ParseStrictNumber("5."), 5);
    EXPECT_EQ(ParseStrictNumber(".5"), 0.5);
    for (const char* bad : {"", "-", ".", "1,5", " 1", "1 ", "1e", "0x10", "inf", "nan", "1e999"})
        EXPECT_FALSE(ParseStrictNumber(bad).has_value()) << bad;
    EXPECT_EQ(ParseUserNumber(" 1,5 ", ','), 1.5);
    EXPECT_EQ(ParseUserNumber("1.5", ','), 1.5);
    EXPECT_EQ(ParseUserNumberDef("x", ',', 7), 7);
}

TEST(NumberText, HalvesRoundToEven)
{
    EXPECT_EQ(RoundHalfEven(2.5), 2);
    EXPECT_EQ(RoundHalfEven(3.5), 4);
    EXPECT_EQ(RoundHalfEven(-2.5), -2);
    EXPECT_EQ(RoundHalfEven(12.34), 12);
}

TEST(FlightText, NamesAndSummaryValues)
{
    EXPECT_EQ(FlightNameOf("/data/a.zdf.zdf"), "a");
    EXPECT_EQ(FlightNameOf("/data/a.b.zdf"), "a.b");
    EXPECT_EQ(FlightNameOf("Flight.ZDF"), "Flight.ZDF");
    TDataBlock f;
    EXPECT_EQ(FlightTimeText(f, '.'), "");
    f.Time = {0, 62.5};
    f.Altitude = {3, 123.44};
    f.Sampling = 25;
    EXPECT_EQ(FlightTimeText(f, '.'), "1 min 2.5 sec");
    EXPECT_EQ(MaxHeightText(f, ','), "123,4 m");
    EXPECT_EQ(SamplingText(f, '.'), "250.0"); // 25 steps of 10 ms
}
