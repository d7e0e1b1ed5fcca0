// The protocol machine against the simulated logger, and against hand-made device bytes.
#include "LoggerLinkHarness.h"

#include "core/device/FlightSplitter.h"

#include <gtest/gtest.h>

namespace zirko {
namespace {

using test::TFeed;
using test::TLoggerLinkHarness;
using K = TProtocolEventKind;

std::vector<uint8_t> Bytes(std::string_view text)
{
    return {text.begin(), text.end()};
}

// A memory that holds `count` recorded bytes with no 0xFF among them.
std::vector<uint8_t> RecordedBytes(size_t count)
{
    std::vector<uint8_t> memory(count);
    for (size_t i = 0; i < count; ++i)
        memory[i] = static_cast<uint8_t>(i % 251);
    return memory;
}

TSimulatorOptions WithMemory(std::vector<uint8_t> memory)
{
    TSimulatorOptions options;
    options.Memory = std::move(memory);
    return options;
}

// The image a download hands on for splitting: its first LastDataIndex + 1 bytes.
std::vector<uint8_t> SplitImage(const TProtocolEvent& finished)
{
    return {finished.Bytes.begin(), finished.Bytes.begin() + finished.Number + 1};
}

class LoggerConversation : public testing::TestWithParam<TFeed> {};

TEST_P(LoggerConversation, HandshakeReadsFirmwareThenConfiguration)
{
    TLoggerLinkHarness link({}, GetParam());
    link.Connect();

    EXPECT_EQ(link.Sent, Bytes("**FR"));
    EXPECT_TRUE(link.Program.DeviceConnected());
    EXPECT_TRUE(link.Program.ConfigLoaded());
    EXPECT_TRUE(link.Program.PendingCommand().empty());
    EXPECT_EQ(link.Program.MemorySize(), kLoggerLargeMemory);
    EXPECT_EQ(link.Program.ConfigImage(), link.Device.Config());
    EXPECT_EQ(link.Texts(K::Status),
              (std::vector<std::string>{"Connected to Zirko", "Reading firmware finished.",
                                        "Config file reading finished."}));
    EXPECT_EQ(link.Count(K::Waiting), 1);
    EXPECT_EQ(link.Count(K::Connected), 1);
    EXPECT_EQ(link.Texts(K::Firmware), std::vector<std::string>{"ZIRKO logger sim. FW 2.10 "});
    EXPECT_EQ(link.Last(K::Firmware)->Number, kLoggerLargeMemory);
    EXPECT_EQ(link.Count(K::Disconnected), 0);
    EXPECT_EQ(link.Last(K::Configuration)->Bytes, link.Device.Config());
    EXPECT_TRUE(link.Last(K::Configuration)->Flag);
    EXPECT_EQ(link.Count(K::Failure), 0);
    // The device's own "*" was heard once before the handshake.
    ASSERT_EQ(link.Count(K::WaitingActivity), 1);
    EXPECT_EQ(link.Last(K::WaitingActivity)->Number, 1);
    EXPECT_EQ(WaitingDots(1), ".");
}

TEST_P(LoggerConversation, DownloadBringsTheRecordedMemoryAndFiveErasedBytes)
{
    const auto memory = GenerateMemoryImage(3, 7, 60);
    TLoggerLinkHarness link(WithMemory(memory), GetParam());
    const auto* finished = link.DownloadAll();
    ASSERT_NE(finished, nullptr);
    auto expected = memory;
    expected.insert(expected.end(), 5, 0xFF);
    EXPECT_EQ(SplitImage(*finished), expected);
    // Reading went on to the end of a run no flight can form; the raw backup keeps it all.
    EXPECT_EQ(finished->Bytes.size(), memory.size() + kLoggerEndRunBytes);
    EXPECT_EQ(finished->Number, static_cast<int64_t>(expected.size()) - 1);
    EXPECT_EQ(link.Program.LastDataIndex(), static_cast<int64_t>(expected.size()) - 1);
    EXPECT_EQ(link.Program.UsedBytes(), static_cast<int64_t>(expected.size()) - 1);
    EXPECT_TRUE(link.Last(K::Progress)->Flag);
    EXPECT_EQ(link.Last(K::Progress)->Number, static_cast<int64_t>(expected.size()) - 1);
    EXPECT_EQ(link.Texts(K::DownloadStarted), std::vector<std::string>{"Data reading started."});
    EXPECT_FALSE(link.Last(K::Busy)->Flag);
    EXPECT_EQ(link.Last(K::CommandFinished)->Text, "D");
    EXPECT_TRUE(link.Last(K::CommandFinished)->Flag);
    // Neither "O" nor "X" for the block in which the data ended.
    const auto fullBlocks = static_cast<int>(finished->Bytes.size() / kLoggerBlockBytes);
    EXPECT_EQ(link.SentCount(kLoggerBlockOk), fullBlocks);
    EXPECT_EQ(link.SentCount(kLoggerBlockBad), 0);

    // The rest of the last block arrived as trailing bytes and was ignored: the logger still
    // answers the next command.
    link.Program.RequestConfig(link.Now);
    link.Settle();
    EXPECT_EQ(link.Texts(K::Status).back(), "Config file reading finished.");
    EXPECT_EQ(link.Count(K::Failure), 0);
}

INSTANTIATE_TEST_SUITE_P(Feeds, LoggerConversation,
                         testing::Values(TFeed::Whole, TFeed::ByteByByte));

TEST(LoggerProtocol, TrailingGarbageAfterACommandChangesNothing)
{
    TLoggerLinkHarness link;
    link.Connect();
    link.Events.clear();
    link.Program.OnBytes(std::string_view("*FRWEDOX\xFF\xFF\xFF\xFF\xFF\x00zz", 16), link.Now);
    link.Collect();
    EXPECT_TRUE(link.Events.empty());
    EXPECT_TRUE(link.Program.TakeOutput().empty());
}

TEST(LoggerProtocol, DotsGrowPerByteBeforeTheHandshakeAndStartAgainPastOneHundred)
{
    TLoggerProtocol program;
    program.Start(0);
    std::vector<std::string> labels;
    for (int i = 0; i < 103; ++i) {
        program.OnBytes(std::string_view("?"), i);
        for (const auto& event : program.TakeEvents())
            if (event.Kind == K::WaitingActivity)
                labels.push_back(WaitingDots(event.Number));
    }
    ASSERT_EQ(labels.size(), 103u);
    EXPECT_EQ(labels[100], std::string(101, '.'));
    EXPECT_EQ(labels[101], ".");
    EXPECT_EQ(labels[102], "..");
    EXPECT_FALSE(program.DeviceConnected());
    EXPECT_EQ(program.TakeOutput(), Bytes("*"));
}

TEST(LoggerProtocol, NoiseBeforeTheLoggerStartsStillConnects)
{
    TSimulatorOptions options;
    options.Faults.NoiseBytes = 120;
    TLoggerLinkHarness link(options, TFeed::ByteByByte);
    link.Connect();
    EXPECT_TRUE(link.Program.DeviceConnected());
    EXPECT_EQ(link.Count(K::WaitingActivity), 121); // 121 bytes grow the dots
    EXPECT_EQ(link.Last(K::WaitingActivity)->Number, 121);
    EXPECT_EQ(link.Count(K::Connected), 1); // and the handshake clears them
    EXPECT_TRUE(link.Program.ConfigLoaded());
}

TEST(LoggerProtocol, MemorySizeComesFromZirkoAnywhereInTheFirmware)
{
    const std::pair<std::string, int64_t> cases[] = {
        {"ZIRKO v1", kLoggerLargeMemory},
        {std::string("abc\0def ghij klmn opqZIRKO", 26), kLoggerLargeMemory},
        {"logger 2.0", kLoggerSmallMemory},
        {"Zirko lowercase", kLoggerSmallMemory},
    };
    for (const auto& [firmware, size] : cases) {
        TSimulatorOptions options;
        options.Firmware = firmware;
        options.MemorySize = 1000;
        TLoggerLinkHarness link(options);
        link.Connect();
        EXPECT_EQ(link.Program.MemorySize(), size) << firmware;
        EXPECT_EQ(link.Last(K::Firmware)->Number, size);
        EXPECT_EQ(link.Program.FirmwareBytes().size(), kLoggerFirmwareBytes);
    }
}

TEST(LoggerProtocol, FirmwareTextStopsAtANul)
{
    TSimulatorOptions options;
    options.Firmware = std::string("ZIRKO 3\0junk", 12);
    TLoggerLinkHarness link(options);
    link.Connect();
    EXPECT_EQ(link.Texts(K::Firmware), std::vector<std::string>{"ZIRKO 3"});
}

TEST(LoggerDownload, FiveErasedBytesFirstEndTheDownloadWithNothingRead)
{
    TLoggerLinkHarness link;
    link.Connect();
    link.Program.ReadData(link.Now);
    link.Settle();
    const auto* finished = link.Last(K::DownloadFinished);
    ASSERT_NE(finished, nullptr);
    EXPECT_EQ(finished->Bytes, std::vector<uint8_t>(kLoggerEndRunBytes, 0xFF));
    EXPECT_EQ(finished->Number, 4);
    EXPECT_TRUE(link.Last(K::Progress)->Flag);
    EXPECT_EQ(link.Last(K::Progress)->Number, 0); // five erased bytes alone are no data
    EXPECT_EQ(link.SentCount(kLoggerBlockOk), 0);
}

TEST(LoggerDownload, TheEndRunIsCountedAcrossABlockBoundary)
{
    // Two erased bytes close block 0; the rest of the run opens block 1.
    TLoggerLinkHarness link(WithMemory(RecordedBytes(kLoggerBlockBytes - 2)));
    link.Connect();
    link.Program.ReadData(link.Now);
    link.Settle();
    const auto* finished = link.Last(K::DownloadFinished);
    ASSERT_NE(finished, nullptr);
    EXPECT_EQ(finished->Bytes.size(), kLoggerBlockBytes - 2 + kLoggerEndRunBytes);
    EXPECT_EQ(finished->Number, static_cast<int64_t>(kLoggerBlockBytes) + 2);
    EXPECT_TRUE(link.Last(K::Progress)->Flag);
    EXPECT_EQ(link.Last(K::Progress)->Number, static_cast<int64_t>(kLoggerBlockBytes) + 2);
    EXPECT_EQ(link.SentCount(kLoggerBlockOk), 1);
}

TEST(LoggerDownload, ACommandBeforeTheReplyToTheLastIsNotSent)
{
    TLoggerLinkHarness link(WithMemory(RecordedBytes(kLoggerBlockBytes * 2)));
    link.Connect();
    link.Program.ReadData(link.Now);
    // Given again, or another command, before the logger has begun to answer.
    link.Program.ReadData(link.Now);
    link.Program.RequestConfig(link.Now);
    EXPECT_EQ(link.Program.PendingCommand(), "D");
    link.Settle();
    EXPECT_EQ(link.SentCount(kLoggerDownload), 1);
    const auto* finished = link.Last(K::DownloadFinished);
    ASSERT_NE(finished, nullptr);
    EXPECT_EQ(finished->DataBytes,
              static_cast<int64_t>(kLoggerBlockBytes * 2 + kLoggerEndRunKept) - 1);
    EXPECT_TRUE(link.Texts(K::Failure).empty());
}

TEST(LoggerDownload, TheFinishedEventCarriesTheClosingCount)
{
    // Recorded data, and an erased memory whose end run is no data.
    for (size_t recorded : {kLoggerBlockBytes * 3 + 7, size_t{0}}) {
        TLoggerLinkHarness link(WithMemory(RecordedBytes(recorded)));
        link.Connect();
        link.Program.ReadData(link.Now);
        link.Settle();
        const auto* finished = link.Last(K::DownloadFinished);
        ASSERT_NE(finished, nullptr);
        EXPECT_EQ(finished->DataBytes, link.Last(K::Progress)->Number);
        EXPECT_EQ(finished->DataBytes,
                  recorded == 0 ? 0 : static_cast<int64_t>(recorded + kLoggerEndRunKept) - 1);
    }
}

// Flights whose last sample ends in 0xFF (all but the last), so that byte and the next marker are
// five erased bytes in a row, where the download used to end.
std::vector<uint8_t> FlightsEndingInErasedBytes(int flights)
{
    std::vector<uint8_t> memory;
    for (int i = 0; i < flights; ++i) {
        auto flight = GenerateFlight(TFlightProfile{.DurationSeconds = 20}, 40 + i);
        if (i + 1 < flights)
            flight.back() = 0xFF;
        memory.insert(memory.end(), flight.begin(), flight.end());
    }
    return memory;
}

TEST(LoggerDownload, AFlightEndingInAnErasedByteIsNotTheEndOfTheData)
{
    const auto memory = FlightsEndingInErasedBytes(4);
    TLoggerLinkHarness link(WithMemory(memory));
    const auto* finished = link.DownloadAll();
    ASSERT_NE(finished, nullptr);
    auto expected = memory;
    expected.insert(expected.end(), kLoggerEndRunKept, 0xFF);
    EXPECT_EQ(finished->Number + 1, static_cast<int64_t>(expected.size()));
    EXPECT_EQ(finished->Bytes.size(), memory.size() + kLoggerEndRunBytes);
    EXPECT_EQ(SplitImage(*finished), expected);
    EXPECT_EQ(link.Count(K::Failure), 0);

    // The downloaded image splits into the flights of the whole memory.
    const auto fromDownload = FindFlightSegments(finished->Bytes, finished->Number);
    const auto fromMemory = FindFlightSegments(expected, static_cast<int64_t>(expected.size()) - 1);
    EXPECT_EQ(fromDownload.size(), 4u);
    ASSERT_EQ(fromDownload.size(), fromMemory.size());
    for (size_t i = 0; i < fromMemory.size(); ++i) {
        EXPECT_EQ(fromDownload[i].DataStart, fromMemory[i].DataStart);
        EXPECT_EQ(fromDownload[i].DataEnd, fromMemory[i].DataEnd);
    }
}

TEST(LoggerDownload, ALoggerFallingSilentInsideErasedMemoryHasEndedItsData)
{
    // Block 0 ends in ten erased bytes, then the logger says nothing more.
    auto memory = RecordedBytes(kLoggerBlockBytes - 10);
    auto options = WithMemory(memory);
    options.Faults.SilentAfterBlock = 0;
    TLoggerLinkHarness link(options);
    const auto* finished = link.DownloadAll();
    ASSERT_NE(finished, nullptr);
    memory.insert(memory.end(), kLoggerEndRunKept, 0xFF);
    EXPECT_EQ(SplitImage(*finished), memory);
    EXPECT_EQ(finished->Bytes.size(), kLoggerBlockBytes);
    EXPECT_EQ(link.Count(K::Failure), 0);
}

TEST(LoggerDownload, AFlightMarkerDoesNotEndTheDownload)
{
    auto memory = RecordedBytes(600);
    std::fill_n(memory.begin() + 300, 4, 0xFF);
    TLoggerLinkHarness link(WithMemory(memory));
    link.Connect();
    link.Program.ReadData(link.Now);
    link.Settle();
    EXPECT_EQ(link.Last(K::DownloadFinished)->Number, 604);
}

TEST(LoggerDownload, TenBadBlocksAreRejectedAndTheResentBlockAccepted)
{
    auto options = WithMemory(RecordedBytes(1000));
    options.Faults.BadCheckBlock = 1;
    options.Faults.BadCheckTimes = 10;
    TLoggerLinkHarness link(options);
    link.Connect();
    link.Program.ReadData(link.Now);
    link.Settle();
    EXPECT_EQ(link.Count(K::Failure), 0);
    EXPECT_EQ(link.SentCount(kLoggerBlockBad), 10);
    auto expected = RecordedBytes(1000);
    expected.insert(expected.end(), 5, 0xFF);
    EXPECT_EQ(SplitImage(*link.Last(K::DownloadFinished)), expected);
}

TEST(LoggerDownload, TheEleventhBadBlockInARowEndsTheConnection)
{
    auto options = WithMemory(RecordedBytes(1000));
    options.Faults.BadCheckBlock = 2;
    options.Faults.BadCheckTimes = 11;
    TLoggerLinkHarness link(options);
    link.Connect();
    link.Program.ReadData(link.Now);
    link.Settle();
    EXPECT_EQ(link.Texts(K::Failure),
              std::vector<std::string>{"Communication error, bad CRC more then 10 times."});
    EXPECT_EQ(link.SentCount(kLoggerBlockBad), 10);
    EXPECT_EQ(link.Last(K::DownloadFinished), nullptr);
    ASSERT_EQ(link.Count(K::Disconnected), 1);
    EXPECT_EQ(link.Last(K::Disconnected)->Ending, TConnectionEnd::Failed);
    EXPECT_FALSE(link.Program.PortOpen());
    EXPECT_FALSE(link.Program.DeviceConnected());
}

// Device bytes for one block of `fill` with a right or wrong check byte.
std::vector<uint8_t> DeviceBlock(uint8_t fill, bool goodCheck)
{
    std::vector<uint8_t> block(kLoggerBlockBytes, fill);
    block.push_back(static_cast<uint8_t>(LoggerCheckByte(block) ^ (goodCheck ? 0 : 1)));
    return block;
}

TLoggerProtocol ConnectedProgram()
{
    TLoggerProtocol program;
    program.Start(0);
    program.OnBytes(std::string_view("*F"), 0);
    program.OnBytes(std::string_view("ZIRKO 12345678901234567890"), 0);
    program.OnBytes(std::string_view("R"), 0);
    std::vector<uint8_t> config(kLoggerConfigBytes, 3);
    config.push_back(LoggerCheckByte(config));
    program.OnBytes(config, 0);
    program.TakeOutput();
    program.TakeEvents();
    return program;
}

TEST(LoggerDownload, AGoodBlockResetsTheBadBlockCount)
{
    auto program = ConnectedProgram();
    program.ReadData(0);
    program.OnBytes(std::string_view("D"), 0);
    std::vector<uint8_t> echoes;
    for (int round = 0; round < 3; ++round) {
        for (int i = 0; i < 10; ++i) {
            program.OnBytes(DeviceBlock(7, false), 0);
            program.OnBytes(std::string_view("X"), 0);
        }
        program.OnBytes(DeviceBlock(7, true), 0);
        program.OnBytes(std::string_view("O"), 0);
    }
    program.OnBytes(std::vector<uint8_t>(kLoggerEndRunBytes, 0xFF), 0);
    bool failed = false;
    for (const auto& event : program.TakeEvents())
        failed |= event.Kind == K::Failure;
    EXPECT_FALSE(failed);
    EXPECT_EQ(program.LastDataIndex(), 3 * 264 + 4);
}

TEST(LoggerDownload, ARejectedBlockDoesNotCountTowardsTheEndOfData)
{
    auto program = ConnectedProgram();
    program.ReadData(0);
    program.OnBytes(std::string_view("D"), 0);
    std::vector<uint8_t> first(kLoggerBlockBytes, 0x11);
    first.back() = 0xFF;
    first.push_back(LoggerCheckByte(std::span(first).first(kLoggerBlockBytes)));
    program.OnBytes(first, 0);
    program.OnBytes(std::string_view("O"), 0);
    // A garbled copy of the next block ends in 0xFF bytes; the real one has only two.
    std::vector<uint8_t> garbled(kLoggerBlockBytes, 0x22);
    std::fill(garbled.end() - kLoggerEndRunBytes + 2, garbled.end(), 0xFF);
    garbled.push_back(0);
    program.OnBytes(garbled, 0);
    program.OnBytes(std::string_view("X"), 0);
    std::vector<uint8_t> second(kLoggerBlockBytes, 0x33);
    second[0] = second[1] = 0xFF;
    second.push_back(LoggerCheckByte(std::span(second).first(kLoggerBlockBytes)));
    program.OnBytes(second, 0);
    program.OnBytes(std::string_view("O"), 0);
    EXPECT_EQ(program.Phase(), TProtocolPhase::Download);
    program.OnBytes(std::vector<uint8_t>(kLoggerEndRunBytes, 0xFF), 0);
    EXPECT_EQ(program.LastDataIndex(), 2 * 264 + 4);
}

TEST(LoggerConfig, AReadStoppedEarlyReportsTheBytesRead)
{
    auto program = ConnectedProgram();
    program.RequestConfig(0);
    program.OnBytes(std::string_view("R"), 0);
    program.OnBytes(std::vector<uint8_t>(100, 0x40), 0);
    program.TakeEvents();
    program.Disconnect(10);
    std::vector<std::string> errors;
    for (const auto& event : program.TakeEvents())
        if (event.Kind == K::Failure)
            errors.push_back(event.Text);
    EXPECT_EQ(errors, std::vector<std::string>{"Reading failed, only 100 bytes read."});
    EXPECT_EQ(program.ConfigImage(), std::vector<uint8_t>(kLoggerConfigBytes, 3));
}

TEST(LoggerDownload, ABlockAfterAWrongEchoIsACommunicationError)
{
    auto options = WithMemory(RecordedBytes(2000));
    options.Faults.WrongEchoBlock = 3;
    TLoggerLinkHarness link(options);
    link.Connect();
    link.Program.ReadData(link.Now);
    link.Settle();
    EXPECT_EQ(link.Texts(K::Failure), std::vector<std::string>{"Communication error"});
    EXPECT_EQ(link.Last(K::DownloadFinished), nullptr);
    EXPECT_EQ(link.Count(K::Disconnected), 1);
}

TEST(LoggerDownload, SilenceTimesOutAfterOneHundredMilliseconds)
{
    auto options = WithMemory(RecordedBytes(2000));
    options.Faults.SilentAfterBlock = 2;
    TLoggerLinkHarness link(options);
    link.Connect();
    link.Program.ReadData(link.Now);
    link.Pump();
    const int64_t lastByte = link.Now;
    ASSERT_EQ(link.Program.NextDeadline(), lastByte + kLoggerReadTimeoutMs);
    link.Program.OnTime(lastByte + 99);
    link.Collect();
    EXPECT_EQ(link.Count(K::Failure), 0);
    link.Program.OnTime(lastByte + 100);
    link.Collect();
    EXPECT_EQ(link.Texts(K::Failure),
              std::vector<std::string>{"Communication error, no response from device"});
    EXPECT_EQ(link.Last(K::DownloadFinished), nullptr);
    ASSERT_EQ(link.Count(K::Disconnected), 1);
    EXPECT_EQ(link.Last(K::Disconnected)->Ending, TConnectionEnd::Failed);
    EXPECT_FALSE(link.Program.NextDeadline().has_value());
}

TEST(LoggerDownload, NoEchoOfTheAcknowledgementIsACommunicationError)
{
    auto program = ConnectedProgram();
    program.ReadData(0);
    program.OnBytes(std::string_view("D"), 0);
    program.OnBytes(DeviceBlock(1, true), 10);
    program.OnTime(110);
    const auto events = program.TakeEvents();
    ASSERT_FALSE(events.empty());
    bool shown = false;
    for (const auto& event : events)
        shown |= event.Kind == K::Failure && event.Text == "Communication error";
    EXPECT_TRUE(shown);
}

TEST(LoggerDownload, DisconnectBetweenBlocksKeepsWhatWasAccepted)
{
    auto program = ConnectedProgram();
    program.ReadData(0);
    program.OnBytes(std::string_view("D"), 0);
    program.OnBytes(DeviceBlock(1, true), 0);
    program.OnBytes(std::string_view("O"), 0);
    program.OnBytes(std::vector<uint8_t>(100, 2), 0); // half a block
    program.TakeEvents();
    program.Disconnect(5);
    const auto events = program.TakeEvents();
    const TProtocolEvent* finished = nullptr;
    for (const auto& event : events)
        if (event.Kind == K::DownloadFinished)
            finished = &event;
    ASSERT_NE(finished, nullptr);
    EXPECT_EQ(finished->Bytes, std::vector<uint8_t>(kLoggerBlockBytes, 1));
    EXPECT_EQ(events.back().Kind, K::Disconnected);
    EXPECT_EQ(events.back().Ending, TConnectionEnd::Requested);
    EXPECT_TRUE(program.StopRequested());
}

TEST(LoggerDownload, TheImageNeverGrowsPastItsLimit)
{
    TLoggerLinkHarness link(WithMemory(RecordedBytes(5000)));
    link.Program.SetMaxImageBytes(1000); // not a multiple of the block size
    link.Connect();
    link.Program.ReadData(link.Now);
    link.Settle();
    const auto* finished = link.Last(K::DownloadFinished);
    ASSERT_NE(finished, nullptr);
    EXPECT_EQ(finished->Bytes, RecordedBytes(1000));
    EXPECT_EQ(link.SentCount(kLoggerBlockOk), 4);
    EXPECT_EQ(link.Count(K::Failure), 0);
}

TEST(LoggerConfig, AWrongCheckByteKeepsTheConnectionAndTheLastGoodRecord)
{
    TSimulatorOptions options;
    options.Faults.BadConfigChecks = 1;
    TLoggerLinkHarness link(options);
    link.Connect();
    EXPECT_EQ(link.Texts(K::Failure), std::vector<std::string>{"Reading failed, CRC error."});
    EXPECT_FALSE(link.Program.ConfigLoaded());
    EXPECT_TRUE(link.Program.DeviceConnected());
    // The controls are refilled all the same, but not for editing.
    ASSERT_NE(link.Last(K::Configuration), nullptr);
    EXPECT_FALSE(link.Last(K::Configuration)->Flag);
    EXPECT_EQ(std::count_if(link.Events.begin(), link.Events.end(),
                            [](const auto& e) { return e.Kind == K::CommandFinished && e.Flag; }),
              1);

    link.Program.UploadConfig(link.Device.Config(), link.Now);
    link.Collect();
    EXPECT_EQ(link.Texts(K::Failure).back(), "File not loaded.");
    EXPECT_TRUE(link.Program.TakeOutput().empty());

    link.Program.RequestConfig(link.Now);
    link.Settle();
    ASSERT_TRUE(link.Program.ConfigLoaded());
    const auto good = link.Program.ConfigImage();

    // A garbled read after a good one leaves the good record in place for the next upload.
    link.Device.Faults().BadConfigChecks = 1;
    link.Program.RequestConfig(link.Now);
    link.Settle();
    EXPECT_EQ(link.Texts(K::Failure).back(), "Reading failed, CRC error.");
    EXPECT_EQ(link.Program.ConfigImage(), good);
    EXPECT_EQ(link.Last(K::Configuration)->Bytes, good);
}

TEST(LoggerConfig, AReadThatFallsSilentDisconnects)
{
    TSimulatorOptions options;
    options.Faults.SilentConfigAfter = 100;
    TLoggerLinkHarness link(options);
    link.Connect();
    EXPECT_EQ(link.Texts(K::Failure),
              std::vector<std::string>{"Communication error, no response from device"});
    ASSERT_EQ(link.Count(K::Disconnected), 1);
    EXPECT_EQ(link.Last(K::Disconnected)->Ending, TConnectionEnd::Failed);
    EXPECT_FALSE(link.Program.PortOpen());
}

TEST(LoggerConfig, UploadWritesTheRecordAndVerifiesTheReadBack)
{
    TLoggerLinkHarness link;
    link.Connect();
    auto edited = link.Program.ConfigImage();
    edited[30] = 0;
    edited[31] = 50;
    link.Sent.clear();
    link.Program.UploadConfig(edited, link.Now);
    link.Settle();
    std::vector<uint8_t> expectedWire = {'W'};
    expectedWire.insert(expectedWire.end(), edited.begin(), edited.end());
    expectedWire.push_back('R');
    EXPECT_EQ(link.Sent, expectedWire);
    EXPECT_EQ(link.Device.Config(), edited);
    EXPECT_EQ(link.Program.VerifyImage(), edited);
    EXPECT_EQ(link.Count(K::Failure), 0);
    const auto status = link.Texts(K::Status);
    const std::vector<std::string> tail(status.end() - 4, status.end());
    EXPECT_EQ(tail, (std::vector<std::string>{
                        "Config file writing started.", "Config file writing finished.",
                        "Verifying config file.", "Config file writing finished."}));
    EXPECT_EQ(link.Last(K::CommandFinished)->Text, "W");
}

TEST(LoggerConfig, AFailedVerificationIsFollowedByASuccessfulOne)
{
    TLoggerLinkHarness link;
    link.Connect();
    link.Device.Faults().CorruptReadBacks = 1;
    link.Program.UploadConfig(link.Program.ConfigImage(), link.Now);
    link.Settle();
    EXPECT_EQ(link.Texts(K::Failure), std::vector<std::string>{"Verifying config file failed."});
    EXPECT_TRUE(link.Program.PortOpen());

    link.Events.clear();
    link.Program.UploadConfig(link.Program.ConfigImage(), link.Now);
    link.Settle();
    EXPECT_EQ(link.Count(K::Failure), 0);
    EXPECT_TRUE(link.Last(K::Configuration)->Flag);
}

TEST(LoggerConfig, AVerificationWithAWrongCheckByteDisconnects)
{
    TLoggerLinkHarness link;
    link.Connect();
    link.Device.Faults().BadConfigChecks = 1;
    link.Program.UploadConfig(link.Program.ConfigImage(), link.Now);
    link.Settle();
    EXPECT_EQ(link.Texts(K::Failure),
              std::vector<std::string>{"Config file reading failed, CRC error."});
    ASSERT_EQ(link.Count(K::Disconnected), 1);
    EXPECT_EQ(link.Last(K::Disconnected)->Ending, TConnectionEnd::Failed);
    // The buttons are not switched on again after the disconnect.
    EXPECT_EQ(link.Events.back().Kind, K::Disconnected);
}

TEST(LoggerConfig, AShortRecordReportsTheBytesWritten)
{
    TLoggerLinkHarness link;
    link.Connect();
    std::vector<uint8_t> shortRecord(200, 1);
    link.Program.UploadConfig(shortRecord, link.Now);
    link.Collect();
    EXPECT_EQ(link.Texts(K::Failure), std::vector<std::string>{"Only 200 bytes written."});
    EXPECT_EQ(link.Program.TakeOutput().back(), 'R'); // the verification still follows
}

TEST(LoggerProtocol, EveryButtonAnswersNotConnectedWhileThePortIsClosed)
{
    TLoggerProtocol program;
    program.ReadData(0);
    program.EraseMemory(0);
    program.RequestConfig(0);
    program.UploadConfig(std::vector<uint8_t>(kLoggerConfigBytes), 0);
    const auto events = program.TakeEvents();
    ASSERT_EQ(events.size(), 4u);
    for (const auto& event : events) {
        EXPECT_EQ(event.Kind, K::Failure);
        EXPECT_EQ(event.Text, "Not connected.");
    }
    EXPECT_TRUE(program.TakeOutput().empty());
}

TEST(LoggerErase, TheSecondEFinishesAfterTheEraseTime)
{
    TSimulatorOptions options = WithMemory(RecordedBytes(3000));
    options.EraseMs = 2500;
    TLoggerLinkHarness link(options);
    link.Connect();
    const int64_t start = link.Now;
    link.Program.EraseMemory(link.Now);
    link.Pump();
    EXPECT_EQ(link.Texts(K::Status).back(), "Erasing started, please wait.");
    EXPECT_TRUE(link.Last(K::Busy)->Flag);
    EXPECT_FALSE(link.Program.NextDeadline().has_value()); // an erase waits for ever
    link.Settle();
    EXPECT_EQ(link.Now, start + 2500);
    EXPECT_EQ(link.Texts(K::Status).back(), "Erasing finished.");
    EXPECT_FALSE(link.Last(K::Busy)->Flag);
    EXPECT_TRUE(link.Program.PendingCommand().empty());

    link.Program.ReadData(link.Now);
    link.Settle();
    EXPECT_EQ(link.Last(K::DownloadFinished)->Number, 4);
}

// Each command the logger leaves unanswered, and a firmware text that stops half way.
struct TSilentCase {
    const char* Name;
    std::string Ignored;
    int FirmwareBytes;
    char Pending;
};

class LoggerSilence : public testing::TestWithParam<TSilentCase> {};

TEST_P(LoggerSilence, EndsAfterTwoSecondsWithNoResponse)
{
    TSimulatorOptions options = WithMemory(RecordedBytes(3000));
    options.Faults.IgnoredCommands = GetParam().Ignored;
    options.Faults.SilentFirmwareAfter = GetParam().FirmwareBytes;
    TLoggerLinkHarness link(options);
    link.Program.Start(link.Now);
    link.Device.PowerUp(link.Now);
    link.Pump();
    if (GetParam().Pending == 'D') {
        link.Settle();
        link.Program.ReadData(link.Now);
        link.Pump();
    }
    ASSERT_EQ(link.Program.PendingCommand(), std::string(1, GetParam().Pending));
    const int64_t silentSince = link.Now;
    ASSERT_EQ(link.Program.NextDeadline(), silentSince + kLoggerReplyTimeoutMs);
    link.Program.OnTime(silentSince + kLoggerReplyTimeoutMs - 1);
    link.Collect();
    EXPECT_EQ(link.Count(K::Failure), 0);
    link.Settle();
    EXPECT_EQ(link.Now, silentSince + kLoggerReplyTimeoutMs);
    EXPECT_EQ(link.Texts(K::Failure), std::vector<std::string>{kMsgNoResponse});
    ASSERT_EQ(link.Count(K::Disconnected), 1);
    EXPECT_EQ(link.Last(K::Disconnected)->Ending, TConnectionEnd::Failed);
    EXPECT_EQ(link.Events.back().Kind, K::Disconnected);
    EXPECT_FALSE(link.Program.PortOpen());
    EXPECT_TRUE(link.Program.PendingCommand().empty());
    if (const auto* cursor = link.Last(K::Busy)) {
        EXPECT_FALSE(cursor->Flag);
    }

    // The next Connect starts afresh.
    link.Device.Faults() = {};
    link.Events.clear();
    link.Connect();
    EXPECT_TRUE(link.Program.ConfigLoaded());
}

INSTANTIATE_TEST_SUITE_P(Replies, LoggerSilence,
                         testing::Values(TSilentCase{"FirmwareUnanswered", "F", -1, 'F'},
                                         TSilentCase{"FirmwareStopsHalfWay", "", 10, 'F'},
                                         TSilentCase{"ConfigurationUnanswered", "R", -1, 'R'},
                                         TSilentCase{"DownloadUnanswered", "D", -1, 'D'}),
                         [](const auto& info) { return std::string(info.param.Name); });

TEST(LoggerErase, AnEraseTimeOutBoundsTheWholeErase)
{
    TSimulatorOptions options = WithMemory(RecordedBytes(3000));
    options.EraseMs = 30000;
    TLoggerLinkHarness link(options);
    link.Program.SetEraseTimeout(5000);
    link.Connect();
    const int64_t start = link.Now;
    link.Program.EraseMemory(link.Now);
    link.Settle(5000);
    EXPECT_EQ(link.Now, start + 5000);
    EXPECT_EQ(link.Texts(K::Failure), std::vector<std::string>{kMsgNoResponse});
    EXPECT_FALSE(link.Last(K::Busy)->Flag);
    EXPECT_FALSE(link.Program.PortOpen());

    // An erase that finishes in time is not cut short.
    TLoggerLinkHarness quick(WithMemory(RecordedBytes(3000)));
    quick.Program.SetEraseTimeout(5000);
    quick.Connect();
    quick.Program.EraseMemory(quick.Now);
    quick.Settle();
    EXPECT_EQ(quick.Texts(K::Status).back(), "Erasing finished.");
    EXPECT_EQ(quick.Count(K::Failure), 0);
}

TEST(LoggerErase, AnotherReplyIsNamedInTheStatusBar)
{
    TSimulatorOptions options;
    options.Faults.WrongEraseReply = true;
    TLoggerLinkHarness link(options);
    link.Connect();
    link.Program.EraseMemory(link.Now);
    link.Settle();
    EXPECT_EQ(link.Texts(K::Status).back(), "Command:E expected, but ? found");
    EXPECT_TRUE(link.Program.PortOpen());
    EXPECT_EQ(link.Count(K::Failure), 0);
}

TEST(LoggerProtocol, ReplyLettersForAnotherCommandAreIgnored)
{
    auto program = ConnectedProgram();
    program.EraseMemory(0);
    program.OnBytes(std::string_view("DRFOX*W"), 0);
    EXPECT_EQ(program.PendingCommand(), "E");
    EXPECT_EQ(program.Phase(), TProtocolPhase::Idle);
    EXPECT_TRUE(program.TakeEvents().empty());
    program.OnBytes(std::string_view("E"), 0);
    EXPECT_EQ(program.Phase(), TProtocolPhase::Erasing);
}

TEST(LoggerProtocol, DisconnectShowsTheDisconnectedState)
{
    TLoggerLinkHarness link;
    link.Connect();
    link.Events.clear();
    link.Program.Disconnect(link.Now);
    link.Collect();
    EXPECT_EQ(link.Texts(K::Disconnected), std::vector<std::string>{"Disconnected."});
    EXPECT_EQ(link.Last(K::Disconnected)->Ending, TConnectionEnd::Requested);
    EXPECT_EQ(link.Events.back().Kind, K::Disconnected);
    EXPECT_FALSE(link.Program.DeviceConnected());
    EXPECT_FALSE(link.Program.PortOpen());

    // Connecting again starts a new handshake.
    link.Events.clear();
    link.Connect();
    EXPECT_TRUE(link.Program.DeviceConnected());
    EXPECT_TRUE(link.Program.ConfigLoaded());
}

TEST(LoggerSimulator, PacingSpreadsTheBytesAtTheWireRate)
{
    TSimulatorOptions options = WithMemory(RecordedBytes(11520 * 2));
    options.BytesPerSecond = 11520;
    TLoggerLinkHarness link(options);
    link.Connect();
    const int64_t start = link.Now;
    link.Program.ReadData(link.Now);
    link.Settle();
    ASSERT_NE(link.Last(K::DownloadFinished), nullptr);
    // About two seconds of data, one block plus check and echo at a time.
    EXPECT_GE(link.Now - start, 2000);
    EXPECT_LE(link.Now - start, 2200);
}

// Paced, a byte from the program reaches the logger a byte time after it left, and it cannot
// have left before the byte it answers was on the wire, however early the server handed that out.
TEST(LoggerSimulator, PacedAnswersWaitForTheProgramsByteOnTheWire)
{
    constexpr double kByteMs = 1000.0 / 11520;
    TSimulatorOptions options = WithMemory(RecordedBytes(2 * kLoggerBlockBytes));
    options.BytesPerSecond = 11520;
    TLoggerSimulator device(options);
    device.PowerUp(0);
    EXPECT_EQ(device.TakeOutput(kByteMs), Bytes("*"));

    // In parts of a millisecond: "D" goes up, its echo comes down.
    device.Receive(std::string_view("D"), 10.25);
    ASSERT_TRUE(device.NextDueMs().has_value());
    EXPECT_NEAR(*device.NextDueMs(), 10.25 + 2 * kByteMs, 1e-9);
    EXPECT_EQ(device.NextDeadline(), 11);
    EXPECT_TRUE(device.TakeOutput(10.25 + 2 * kByteMs - 1e-6).empty());
    EXPECT_EQ(device.TakeOutput(10.25 + 2 * kByteMs + 1e-6), Bytes("D"));

    // The whole block and its check byte taken a little before the check byte is due, and the
    // "O" handed over at once: the echo still waits for the check byte, then for the "O".
    const double checkDue = 10.25 + (2 + kLoggerBlockBytes + 1) * kByteMs;
    EXPECT_EQ(device.TakeOutput(checkDue + 1e-6).size(), kLoggerBlockBytes + 1);
    device.Receive(std::string_view("O"), checkDue - 0.6);
    EXPECT_NEAR(*device.NextDueMs(), checkDue + 2 * kByteMs, 1e-9);

    // An answer that comes late is echoed a byte time after it arrived.
    const double secondCheckDue = checkDue + (2 + kLoggerBlockBytes + 1) * kByteMs;
    EXPECT_EQ(device.TakeOutput(secondCheckDue + 1e-6).size(), 1 + kLoggerBlockBytes + 1);
    device.Receive(std::string_view("O"), secondCheckDue + 3);
    EXPECT_NEAR(*device.NextDueMs(), secondCheckDue + 3 + 2 * kByteMs, 1e-9);
    EXPECT_EQ(device.BlocksSent(), 3);
}

TEST(LoggerSimulator, UnpacedAnswersAreDueAtOnce)
{
    TLoggerSimulator device(WithMemory(RecordedBytes(kLoggerBlockBytes)));
    device.PowerUp(0);
    EXPECT_EQ(device.TakeOutput(0), Bytes("*"));
    device.Receive(std::string_view("D"), 7.5);
    EXPECT_EQ(device.NextDueMs(), 7.5);
    EXPECT_EQ(device.TakeOutput(7.5).size(), 1 + kLoggerBlockBytes + 1);
}

} // namespace
} // namespace zirko
