// Finding the flights in memory images and building their records, without files.
#include "LoggerLinkHarness.h"
#include "MemoryImages.h"

#include "core/device/FlightSplitter.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

namespace zirko {
namespace {

using test::ImageWithEnd;
using test::LastIndex;
using test::PutFlightHeader;
using test::PutWord;

TEST(FlightSplitting, MarkersAtZeroAndOneThousandWithTheEndAtFiveThousandGiveTwoFlights)
{
    auto image = ImageWithEnd(5000);
    PutFlightHeader(image, 0, 10, 0x8000);
    PutFlightHeader(image, 1000, 20, 0x4000);
    const auto flights = SplitMemoryImage(image, 5004, {"", "d"});
    ASSERT_EQ(flights.size(), 2u);
    EXPECT_EQ(flights[0].Segment.DataStart, 18);
    EXPECT_EQ(flights[0].Segment.DataEnd, 1000);
    EXPECT_EQ(flights[0].Segment.Sampling, 10);
    EXPECT_EQ(flights[1].Segment.DataStart, 1018);
    EXPECT_EQ(flights[1].Segment.DataEnd, 5000);
    EXPECT_EQ(flights[1].Segment.ChannelMask, 0x4000);
    EXPECT_EQ(ReadingFinishedText(flights.size()), "Data reading finished (2 blocks read.)");
    EXPECT_EQ(flights[0].FileName, "Block001.zdf");
    EXPECT_EQ(flights[1].FileName, "Block002.zdf");
    EXPECT_EQ(flights[1].Record.DateText, "d");
    EXPECT_EQ(flights[1].Record.Sampling, 20);
}

TEST(FlightSplitting, AFlightWithNoChannelsIsSkippedNamedAndTakesNoNumber)
{
    auto image = ImageWithEnd(3 * 58);
    PutFlightHeader(image, 0, 10, 0x8000);
    PutFlightHeader(image, 58, 10, 0x0000);
    PutFlightHeader(image, 116, 10, 0x8000);
    const auto flights = SplitMemoryImage(image, LastIndex(image), {"Flight0012.zdf", "d"});
    ASSERT_EQ(flights.size(), 3u);
    EXPECT_EQ(flights[0].FileName, "Flight012.zdf");
    EXPECT_TRUE(flights[0].SkipReason.empty());
    EXPECT_EQ(flights[1].SkipReason,
              "Flight 2 of the download (byte 58) has no recorded channel and was not saved.");
    EXPECT_TRUE(flights[1].FileName.empty());
    EXPECT_TRUE(flights[1].Record.Time.empty());
    EXPECT_EQ(flights[2].FileName, "Flight013.zdf");
    EXPECT_EQ(flights[2].Record.Time.size(), 20u);
}

TEST(FlightSplitting, TheImageIsSearchedOnlyUpToItsLastDataIndex)
{
    auto image = ImageWithEnd(1000);
    PutFlightHeader(image, 0, 10, 0x8000);
    PutFlightHeader(image, 600, 10, 0x8000);
    // Bytes read past the end of the data (the rest of the erased run) hold no flight.
    EXPECT_EQ(FindFlightSegments(image, 599).size(), 0u);
    EXPECT_EQ(FindFlightSegments(image, LastIndex(image)).size(), 2u);
    EXPECT_EQ(FindFlightSegments(image, LastIndex(image) + 1000).size(), 2u);
    EXPECT_TRUE(SplitMemoryImage(std::vector<uint8_t>(5, 0xFF), 4, {}).empty());
}

TEST(FlightSplitting, AStretchTooShortForAHeaderIsNoFlight)
{
    auto image = ImageWithEnd(1000);
    PutFlightHeader(image, 0, 10, 0x8000);
    std::fill_n(image.begin() + 10, 4, 0xFF); // 10 bytes after the first marker
    PutFlightHeader(image, 500, 10, 0x8000);
    EXPECT_FALSE(AddFlightSegment(image, 0, 10));
    const auto segments = FindFlightSegments(image, LastIndex(image));
    ASSERT_EQ(segments.size(), 2u);
    EXPECT_EQ(segments[0].DataStart, 10 + 18);
    EXPECT_EQ(segments[1].DataStart, 500 + 18);
}

TEST(FlightSplitting, AnImageThatDoesNotStartWithAMarkerStillGivesItsFirstStretch)
{
    auto image = ImageWithEnd(800);
    PutWord(image, 4, 50);
    PutWord(image, 6, 0x0800);
    PutFlightHeader(image, 300, 10, 0x8000);
    EXPECT_EQ(FindFlightMarker(image, LastIndex(image), 0), 300);
    const auto segment = AddFlightSegment(image, 0, 300);
    ASSERT_TRUE(segment);
    EXPECT_EQ(segment->Sampling, 50);
    EXPECT_EQ(segment->ChannelMask, 0x0800);
    EXPECT_EQ(segment->DataStart, 18);
}

TEST(FlightSplitting, MarkerSearchStopsFourBytesBeforeTheLastIndex)
{
    std::vector<uint8_t> image(10, 0x11);
    std::fill_n(image.begin() + 6, 4, 0xFF);
    EXPECT_EQ(FindFlightMarker(image, 9, 0), -1); // would start at 6 > 9 - 4
    image.push_back(0x11);
    EXPECT_EQ(FindFlightMarker(image, 9, 0), -1);
    EXPECT_EQ(FindFlightMarker(image, 10, 0), 6);
    EXPECT_EQ(FindFlightMarker(image, 10, 7), -1);
}

TEST(FlightFileNames, NumberingFollowsTheDefaultName)
{
    const auto block = SaveNameFromDefault("Block");
    EXPECT_EQ(FlightFileName(block.BaseName, block.FirstNumber), "Block001.zdf");
    EXPECT_EQ(FlightFileName(block.BaseName, block.FirstNumber + 1), "Block002.zdf");
    EXPECT_EQ(FlightFileName(block.BaseName, 1000), "Block1000.zdf");

    const auto flight = SaveNameFromDefault("Flight0012.zdf");
    EXPECT_EQ(FlightFileName(flight.BaseName, flight.FirstNumber), "Flight012.zdf");
    EXPECT_EQ(FlightFileName(flight.BaseName, flight.FirstNumber + 1), "Flight013.zdf");

    const auto numbered = SaveNameFromDefault("Block001.zdf");
    EXPECT_EQ(FlightFileName(numbered.BaseName, numbered.FirstNumber), "Block001001.zdf");

    EXPECT_EQ(SaveNameFromDefault("C:\\Zirko\\Data\\Flight0012.zdf").BaseName, "Flight");
    EXPECT_EQ(SaveNameFromDefault("/home/pilot/Blok.zdf").BaseName, "Blok");
    EXPECT_EQ(SaveNameFromDefault("0042.x.y").FirstNumber, 42);
    EXPECT_EQ(SaveNameFromDefault("abc.zdf").BaseName, "abc");
    EXPECT_EQ(SaveNameFromDefault("Fly-123.zdf").BaseName, "Fly-123");
}

TEST(FlightFileNames, TheClosingCountAddsSkippedAndAlreadySavedFlightsOnlyWhenThereAreSome)
{
    EXPECT_EQ(SaveSummaryText(3, 0, 0), "3 files succesfully written.");
    EXPECT_EQ(SaveSummaryText(1, 1, 0), "1 file succesfully written. 1 flight skipped.");
    EXPECT_EQ(SaveSummaryText(0, 2, 1),
              "0 files succesfully written. 2 flights skipped. 1 flight already saved.");
    EXPECT_EQ(SaveSummaryText(0, 0, 4), "0 files succesfully written. 4 flights already saved.");
}

TEST(FlightConversion, SixHundredBytesOfThreeChannelsAreOneHundredSamples)
{
    auto image = ImageWithEnd(18 + 600);
    PutFlightHeader(image, 0, 10, 0xC800);
    for (size_t j = 0; j < 100; ++j) {
        PutWord(image, 18 + j * 6, 50000);         // equal pressure: altitude 0
        PutWord(image, 18 + j * 6 + 2, 1532 + 51); // 10 % servo
        PutWord(image, 18 + j * 6 + 4, static_cast<uint16_t>(200 + j)); // voltage
    }
    const auto segment = AddFlightSegment(image, 0, 618);
    ASSERT_TRUE(segment);
    const auto flight = BuildFlight(image, *segment, "8.12.2026 9:00:00");
    ASSERT_EQ(flight.Time.size(), 100u);
    EXPECT_NEAR(flight.Time.back(), 9.9, 1e-9);
    EXPECT_EQ(flight.Time[1], 0.1);
    ASSERT_EQ(flight.Altitude.size(), 100u);
    for (double altitude : flight.Altitude)
        EXPECT_EQ(altitude, 0.0);
    EXPECT_NEAR(flight.Rx[5], 10.0, 1e-9);
    EXPECT_NEAR(flight.Voltage[0], 0.0291 * 200 + 2.476, 1e-12);
    EXPECT_NEAR(flight.Voltage[99], 0.0291 * 299 + 2.476, 1e-12);
    EXPECT_TRUE(flight.Aux2000.empty());
    EXPECT_TRUE(flight.Aux0200.empty());
    EXPECT_EQ(flight.ChannelMask, 0xC800);
    EXPECT_EQ(flight.DateText, "8.12.2026 9:00:00");
}

TEST(FlightConversion, LowMaskBitsAreReadAndDroppedAndAPartialRowIsCut)
{
    auto image = ImageWithEnd(18 + 9);
    PutFlightHeader(image, 0, 100, 0x0801); // voltage and bit 0
    PutWord(image, 18, 300);
    PutWord(image, 20, 7);
    PutWord(image, 22, 400);
    PutWord(image, 24, 7);
    const auto segment = AddFlightSegment(image, 0, 27);
    ASSERT_TRUE(segment);
    const auto flight = BuildFlight(image, *segment, "");
    ASSERT_EQ(flight.Voltage.size(), 2u); // 9 bytes: two rows of two words, the rest cut
    EXPECT_NEAR(flight.Voltage[1], 0.0291 * 400 + 2.476, 1e-12);
    EXPECT_EQ(flight.Time[1], 1.0);
}

TEST(FlightConversion, AGeneratedFlightComesBackInMetres)
{
    TFlightProfile profile;
    profile.DurationSeconds = 400;
    profile.HeaderWord7 = 20;
    auto image = GenerateFlight(profile, 99);
    image.insert(image.end(), 5, 0xFF);
    const auto flights = SplitMemoryImage(image, LastIndex(image), {"", "d"});
    ASSERT_EQ(flights.size(), 1u);
    const auto& flight = flights[0].Record;
    ASSERT_EQ(flight.Altitude.size(), 4001u);
    const double top = *std::max_element(flight.Altitude.begin(), flight.Altitude.end());
    EXPECT_GT(top, 120.0);
    EXPECT_LT(top, 450.0);
    EXPECT_NEAR(flight.Altitude.front(), 0.0, 1e-9);
    EXPECT_NEAR(flight.Altitude.back(), 0.0, 0.5);
    EXPECT_GT(*std::max_element(flight.Rx.begin(), flight.Rx.end()), 99.0); // full throttle
    EXPECT_GT(flight.Voltage.front(), flight.Voltage.back());
    EXPECT_NEAR(flight.Time.back(), 400.0, 1e-6);

    // The encoding the generator uses is the one the conversion undoes.
    const uint16_t ground = PressureRawForAltitude(0, 98.5, 20);
    const uint16_t high = PressureRawForAltitude(250, 98.5, 20);
    EXPECT_NEAR(AltitudeForPressureRaw(high, ground, 20), 250.0, 0.5);
}

TEST(DownloadAndSplit, TheSimulatedLoggersFlightsComeOutOfTheFinishedDownload)
{
    const auto memory = GenerateMemoryImage(4, 3, 90);
    TSimulatorOptions options;
    options.Memory = memory;
    options.Faults.BadCheckBlock = 5;
    options.Faults.BadCheckTimes = 3;
    test::TLoggerLinkHarness link(options);
    const auto* finished = link.DownloadAll();
    ASSERT_NE(finished, nullptr);
    const auto flights = SplitMemoryImage(finished->Bytes, finished->Number, {"Blok", "d"});
    ASSERT_EQ(flights.size(), 4u);
    EXPECT_EQ(flights[3].FileName, "Blok004.zdf");
    EXPECT_EQ(flights[3].Record.Time.size(), 901u);
    EXPECT_EQ(flights[3].Record.HeaderWord3, 4);
}

} // namespace
} // namespace zirko
