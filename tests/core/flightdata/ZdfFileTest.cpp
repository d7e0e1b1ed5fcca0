#include "core/flightdata/ZdfFile.h"

#include <gtest/gtest.h>
#include <new>
#include <string>

using namespace zirko;

namespace {

std::string Header(int mask)
{
    return "<Header>\r\n12.3.2026 10:00:00\r\n10\r\n" + std::to_string(mask) +
           "\r\n3\r\n4\r\n5\r\n6\r\n7\r\n</Header>\r\n";
}

TReadResult Parse(const std::string& text, TDataBlock& f, double threshold = 0)
{
    return ParseDataFile(text, f, threshold);
}

} // namespace

TEST(ZdfReader, MissingColumnsReadAsZeroAndExtraColumnsAreIgnored)
{
    TDataBlock f;
    auto r = Parse(Header(0x8800) + "<Data>\r\n1.5,,7\r\n2.5,1,2,3,4\r\n 3.5 \r\n</Data>\r\n", f);
    ASSERT_EQ(r.Status, TReadStatus::Ok);
    ASSERT_EQ(r.Count, 3);
    EXPECT_EQ(f.Time, (std::vector<double>{1.5, 2.5, 3.5}));
    EXPECT_EQ(f.Altitude, (std::vector<double>{0, 1, 0}));
    EXPECT_EQ(f.Voltage, (std::vector<double>{7, 2, 0}));
    EXPECT_TRUE(f.Rx.empty());
    EXPECT_TRUE(f.MarkerFlags.empty());
    EXPECT_EQ(f.HeaderWord7, 7);
    EXPECT_EQ(f.DateText, "12.3.2026 10:00:00");
}

// The memory the samples need is known from the line count before anything is allocated.
TEST(ZdfReader, AFlightLargerThanTheLimitThrowsBeforeAllocating)
{
    const std::string text =
        Header(0x8800) + "<Data>\r\n" + std::string(1000, '\n') + "</Data>\r\n";
    EXPECT_EQ(SampleMemoryBytes(1000, 0x8800), 24000u);
    EXPECT_EQ(SampleMemoryBytes(1000, 0x4000), 20000u); // servo: 4 more bytes for the marker
    EXPECT_EQ(SampleMemoryBytes(1000, 0x01FF), 8000u);  // the low bits are not stored
    TDataBlock f;
    EXPECT_THROW(ParseDataFile(text, f, 0, 23999), std::bad_alloc);
    TDataBlock g;
    const TReadResult r = ParseDataFile(text, g, 0, 24000);
    EXPECT_EQ(r.Count, 1000);
    EXPECT_EQ(g.Voltage, std::vector<double>(1000, 0.0));
}

// A downloaded flight is the one in a file when its header words and samples are, whatever the
// user wrote into the file since.
TEST(ZdfRecords, TheSameRecordedFlightIgnoresWhatTheUserEdits)
{
    TDataBlock f;
    ASSERT_EQ(Parse(Header(0x8800) + "<Data>\r\n0.0,1.5,4.9\r\n0.1,2,4.8\r\n</Data>\r\n", f).Count,
              2);
    TDataBlock downloaded = f;
    downloaded.Altitude = {1.4999999, 2.0000001}; // as converted, before the file's rounding
    downloaded.Voltage = {4.9000001, 4.8};
    const TDataBlock stored = AsStored(downloaded);
    EXPECT_TRUE(SameRecordedFlight(f, stored));
    TDataBlock edited = f;
    edited.DateText = "later";
    edited.Notes = "notes";
    edited.Annotations = {{0.1, 2, "top"}};
    edited.RxOffsetY = 3;
    EXPECT_TRUE(SameRecordedFlight(edited, stored));
    TDataBlock other = f;
    other.HeaderWord5 = 0;
    EXPECT_FALSE(SameRecordedFlight(other, stored));
    other = f;
    other.Voltage[1] = 4.81;
    EXPECT_FALSE(SameRecordedFlight(other, stored));
    other = f;
    other.Time.push_back(0.2);
    other.Altitude.push_back(0);
    other.Voltage.push_back(0);
    EXPECT_FALSE(SameRecordedFlight(other, stored));
}

TEST(ZdfReader, LowMaskBitsCountAsColumnsButAreNotStored)
{
    TDataBlock f;
    // 0x8001: altitude plus bit 0; the bit-0 column sits between time and nothing stored.
    auto r = Parse(Header(0x8001) + "<Data>\r\n1.0,2.0,99\r\n</Data>\r\n", f);
    ASSERT_EQ(r.Status, TReadStatus::Ok);
    EXPECT_EQ(f.Altitude, (std::vector<double>{2.0}));
    EXPECT_TRUE(f.Voltage.empty());
}

TEST(ZdfReader, FormatFailuresCarryTheirMessages)
{
    struct Case {
        std::string Text;
        const char* Message;
    } cases[] = {
        {"<header>\r\nd\r\n" + Header(0x8000).substr(12) + "<Data>\r\n1,2\r\n</Data>\r\n",
         kMsgBadHeader},
        {Header(0x8000) + "<Data>\r\n1,2\r\n", kMsgUnexpectedEof},
        {Header(0x8000) + "1,2\r\n</Data>\r\n", kMsgUnexpectedEof},
        {"", kMsgUnexpectedEof},
        {Header(0x8000) + "<Data>\r\n1.5,x\r\n</Data>\r\n", kMsgBadData},
        {Header(0x8000) + "<Data>\r\n1.5,1e\r\n</Data>\r\n", kMsgBadData},
        {Header(0x8000) + "<Data>\r\n1.5, 2\r\n</Data>\r\n", kMsgBadData},
        {Header(0x8000) + "<Data>\r\n1,2\r\n</Data>\r\n<Anotace>\r\n1.0;2,x\r\n</Anotace>\r\n",
         kMsgBadData},
        {Header(0x8000) + "<Data>\r\n1,2\r\n</Data>\r\n<Text>\r\n</"
                          "Text>\r\n<Extra>\r\nRxOffsetY=abc\r\n</Extra>\r\n",
         kMsgBadData},
    };
    for (const auto& c : cases) {
        TDataBlock f;
        auto r = Parse(c.Text, f);
        EXPECT_EQ(r.Status, TReadStatus::Failed) << c.Text;
        EXPECT_EQ(r.Message, c.Message) << c.Text;
        EXPECT_TRUE(f.Time.empty());
    }
}

TEST(ZdfReader, EmptyDataSectionGivesZeroLines)
{
    TDataBlock f;
    auto r = Parse(Header(0x8000) + "<Data>\r\n</Data>\r\n", f);
    EXPECT_EQ(r.Status, TReadStatus::Ok);
    EXPECT_EQ(r.Count, 0);
}

TEST(ZdfReader, HeaderWithoutIntegerIsAnInputFailureAndOpensNothing)
{
    TDataBlock f;
    auto r = Parse(
        "<Header>\r\nd\r\n10\r\nabc\r\n3\r\n4\r\n5\r\n6\r\n7\r\n</Header>\r\n<Data>\r\n1,2\r\n"
        "</Data>\r\n",
        f);
    EXPECT_EQ(r.Status, TReadStatus::IoError);
    EXPECT_EQ(r.Count, 0);
    EXPECT_EQ(r.Message, kMsgReadIo);
    EXPECT_TRUE(f.Time.empty());
}

TEST(ZdfReader, HeaderIntegersSkipBlanksAndIgnoreTrailingText)
{
    TDataBlock f;
    auto r =
        Parse("<Header>\r\nd\r\n  10 ms\r\n-5x\r\n3\r\n4\r\n5\r\n6\r\n7\r\n</Header>\r\n<Data>\r\n"
              "1\r\n</Data>\r\n",
              f);
    ASSERT_EQ(r.Status, TReadStatus::Ok);
    EXPECT_EQ(f.Sampling, 10);
    EXPECT_EQ(f.ChannelMask, -5);
}

TEST(ZdfReader, AnnotationsKeepCommasAndLoseOuterBlanks)
{
    TDataBlock f;
    auto r =
        Parse(Header(0x8000) + "<Data>\r\n1,2\r\n</Data>\r\n<Anotace>\r\n  10.00,5.00,a, b  \r\n"
                               "-1,2.5,\r\n</Anotace>\r\n<Text>\r\n</Text>\r\n",
              f);
    ASSERT_EQ(r.Status, TReadStatus::Ok);
    ASSERT_EQ(f.Annotations.size(), 2u);
    EXPECT_EQ(f.Annotations[0].Text, "a, b");
    EXPECT_DOUBLE_EQ(f.Annotations[0].Time, 10);
    EXPECT_DOUBLE_EQ(f.Annotations[0].Value, 5);
    EXPECT_EQ(f.Annotations[1].Text, "");
    EXPECT_DOUBLE_EQ(f.Annotations[1].Time, -1);
}

TEST(ZdfReader, MissingSectionsGiveDefaultsAndAnUnclosedSectionLosesItsLastLine)
{
    TDataBlock f;
    auto r = Parse(Header(0x8000) + "<Data>\r\n1,2\r\n</Data>\r\n", f);
    ASSERT_EQ(r.Status, TReadStatus::Ok);
    EXPECT_TRUE(f.Annotations.empty());
    EXPECT_EQ(f.RxOffsetY, 0);
    EXPECT_TRUE(f.Notes.empty());

    TDataBlock g;
    r = Parse(Header(0x8000) + "<Data>\r\n1,2\r\n</Data>\r\n<Text>\r\nkept\r\nlost\r\n", g);
    ASSERT_EQ(r.Status, TReadStatus::Ok);
    EXPECT_EQ(g.Notes, "kept");
}

TEST(ZdfReader, ExtraSectionIsOnlyFoundAfterTheNotes)
{
    // The reader looks for the notes first; a file without them has no servo offset.
    TDataBlock f;
    auto r = Parse(
        Header(0x8000) + "<Data>\r\n1,2\r\n</Data>\r\n<Extra>\r\nRxOffsetY=3\r\n</Extra>\r\n", f);
    ASSERT_EQ(r.Status, TReadStatus::Ok);
    EXPECT_EQ(f.RxOffsetY, 0);
}

TEST(ZdfReader, LaterRxOffsetLineWinsAndOtherExtraLinesAreKeptAndWrittenBack)
{
    TDataBlock f;
    auto r = Parse(Header(0x8000) + "<Data>\r\n1,2\r\n</Data>\r\n<Text>\r\n</"
                                    "Text>\r\n<Extra>\r\nRxOffsetY=1.5\r\nFoo=bar\r\n"
                                    "xRxOffsetY = -2.25\r\n\r\nStartElevation=312.40\r\n"
                                    "RxOffsetY=\r\n</Extra>\r\n",
                   f);
    ASSERT_EQ(r.Status, TReadStatus::Ok);
    EXPECT_EQ(f.RxOffsetY, 0); // the last one is empty, which reads as 0
    EXPECT_EQ(f.ExtraLines, (std::vector<std::string>{"Foo=bar", "", "StartElevation=312.40"}));
    const std::string written = FormatDataFile(f);
    EXPECT_NE(written.find("<Extra>\r\nRxOffsetY=0.00\r\nFoo=bar\r\n\r\nStartElevation=312.40"
                           "\r\n</Extra>\r\n"),
              std::string::npos);
    TDataBlock back;
    ASSERT_EQ(Parse(written, back).Status, TReadStatus::Ok);
    EXPECT_EQ(back.ExtraLines, f.ExtraLines);
    TDataBlock g;
    r = Parse(Header(0x8000) + "<Data>\r\n1,2\r\n</Data>\r\n<Text>\r\n</"
                               "Text>\r\n<Extra>\r\nRxOffsetY=1.5\r\nxRxOffsetY = -2.25\r\n"
                               "</Extra>\r\n",
              g);
    ASSERT_EQ(r.Status, TReadStatus::Ok);
    EXPECT_EQ(g.RxOffsetY, -2.25);
}

TEST(ZdfReader, MarkerFlagsUseAStrictThreshold)
{
    TDataBlock f;
    auto r =
        Parse(Header(0xC000) + "<Data>\r\n0,1,0\r\n0.1,1,0.01\r\n0.2,1,-5\r\n</Data>\r\n", f, 0);
    ASSERT_EQ(r.Status, TReadStatus::Ok);
    EXPECT_EQ(f.MarkerFlags, (std::vector<int32_t>{0, 1, 0}));
    TDataBlock g;
    Parse(Header(0xC000) + "<Data>\r\n0,1,50\r\n0.1,1,50.5\r\n</Data>\r\n", g, 50);
    EXPECT_EQ(g.MarkerFlags, (std::vector<int32_t>{0, 1}));
}

TEST(ZdfWriter, WritesTheDocumentedLayout)
{
    TDataBlock f;
    f.DateText = "d";
    f.Sampling = 10;
    f.ChannelMask = 0xC800;
    f.Time = {12.3};
    f.Altitude = {104.25};
    f.Rx = {-33.1};
    f.Voltage = {4.87};
    f.Annotations = {{65, 120.4, "Engine off, gliding"}};
    f.RxOffsetY = -0.75;
    EXPECT_EQ(FormatDataFile(f),
              "<Header>\r\nd\r\n10\r\n51200\r\n0\r\n0\r\n0\r\n0\r\n0\r\n</Header>\r\n"
              "<Data>\r\n12.3,104.25,-33.10,4.87\r\n</Data>\r\n"
              "<Anotace>\r\n65.00,120.40,Engine off, gliding\r\n</Anotace>\r\n"
              "<Text>\r\n\r\n</Text>\r\n<Extra>\r\nRxOffsetY=-0.75\r\n</Extra>\r\n");
}

TEST(ZdfWriter, ChunksHandedToASinkAreTheFormattedFileAndARefusalStopsThem)
{
    TDataBlock f;
    f.DateText = "d";
    f.ChannelMask = 0x8000;
    // Enough lines for several chunks of the writer's buffer.
    for (int i = 0; i < 200000; ++i) {
        f.Time.push_back(i * 0.1);
        f.Altitude.push_back(i * 0.25);
    }
    std::string handed;
    int chunks = 0;
    ASSERT_TRUE(EmitDataFile(f, [&](const char* data, size_t size) {
        handed.append(data, size);
        ++chunks;
        return true;
    }));
    EXPECT_GT(chunks, 1);
    EXPECT_EQ(handed, FormatDataFile(f));

    int calls = 0;
    EXPECT_FALSE(EmitDataFile(f, [&](const char*, size_t) { return ++calls < 2; }));
    EXPECT_EQ(calls, 2);
}

TEST(ZdfWriter, AShortChannelIsRefusedBeforeAByteIsHandedOn)
{
    TDataBlock f;
    f.ChannelMask = 0x8000;
    f.Time = {0.0, 0.1};
    f.Altitude = {1.0};
    const TWriteResult checked = CheckDataFile(f);
    EXPECT_EQ(checked.Status, TWriteStatus::Failed);
    EXPECT_EQ(checked.Message, "Channel altitude has fewer samples than Time.");
    bool handed = false;
    EXPECT_FALSE(EmitDataFile(f, [&](const char*, size_t) { return handed = true; }));
    EXPECT_FALSE(handed);
    f.Altitude.push_back(2.0);
    EXPECT_TRUE(CheckDataFile(f).Ok());
}
