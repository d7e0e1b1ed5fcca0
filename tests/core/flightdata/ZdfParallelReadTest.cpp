// The data section read in chunks on several threads, and the fast path for common numbers: both
// give exactly what one thread and the full number grammar give.
#include "core/app/NumberFormat.h"
#include "core/flightdata/ZdfFile.h"

#include <gtest/gtest.h>

#include <cstring>
#include <new>
#include <random>
#include <string>

using namespace zirko;

namespace {

// Equal as bits: -0 and 0 differ, as they do once written.
bool SameBits(double a, double b)
{
    return std::memcmp(&a, &b, sizeof a) == 0;
}

testing::AssertionResult SameNumber(std::string_view piece)
{
    const std::optional<double> fast = ReadDataNumber(piece);
    const std::optional<double> full =
        piece.empty() ? std::optional<double>(0.0) : ParseStrictNumber(piece);
    if (fast.has_value() != full.has_value() || (fast && !SameBits(*fast, *full)))
        return testing::AssertionFailure()
               << "\"" << piece << "\": " << (fast ? std::to_string(*fast) : "none") << " vs "
               << (full ? std::to_string(*full) : "none");
    return testing::AssertionSuccess();
}

TEST(ZdfNumbers, TheFastPathReadsWhatTheFullGrammarReads)
{
    for (const char* piece : {"",
                              "0",
                              "-0",
                              "+0",
                              "-0.0",
                              "-0.00",
                              "1.",
                              "-1.",
                              ".5",
                              "-.5",
                              "+.5",
                              ".",
                              "-",
                              "+",
                              "12.30",
                              "-33.10",
                              "104.25",
                              "0.1",
                              "0.2",
                              "0.3",
                              "1.15",
                              "2.675",
                              "00012.50",
                              "123456789012345",
                              "1234567890123456",
                              "12345678901234567890",
                              "9007199254740993",
                              "0.000000000000001",
                              "0.0000000000000001",
                              "99999999999999999999999.5",
                              "1.7976931348623157e308",
                              "1e400",
                              "-1e400",
                              "1e-400",
                              "4.9e-324",
                              "1e5",
                              "1E5",
                              "-12.5e-1",
                              "1e",
                              "1e+",
                              "--1",
                              "+-1",
                              "1.2.3",
                              " 1",
                              "1 ",
                              "1\t",
                              "0x10",
                              "inf",
                              "nan",
                              "1_0",
                              "١",
                              "12.3456789012345678901234"})
        EXPECT_TRUE(SameNumber(piece));

    // Numbers of every length and shape, as a writer with any number of decimals makes them.
    std::mt19937_64 random(20261209);
    for (int i = 0; i < 200000; ++i) {
        std::string piece;
        const int shape = static_cast<int>(random() % 4);
        if (shape == 1)
            piece += '-';
        if (shape == 2)
            piece += '+';
        const int digits = 1 + static_cast<int>(random() % 20);
        const int point = static_cast<int>(random() % (digits + 2));
        for (int d = 0; d < digits; ++d) {
            if (d == point)
                piece += '.';
            piece += static_cast<char>('0' + random() % 10);
        }
        if (shape == 3 && random() % 2)
            piece += "e" + std::to_string(static_cast<int>(random() % 40) - 20);
        ASSERT_TRUE(SameNumber(piece));
    }
}

std::string Header(int mask, const std::string& date = "9.12.2026 10:00:00")
{
    return "<Header>\r\n" + date + "\r\n10\r\n" + std::to_string(mask) +
           "\r\n3\r\n4\r\n5\r\n6\r\n7\r\n</Header>\r\n";
}

// Data lines of every kind the reader meets: blanks around, control characters, empty lines,
// missing and extra columns, signs, long numbers, exponents, and all three line ends.
std::string TrickyData(size_t lines)
{
    std::mt19937 random(7);
    const char* ends[] = {"\r\n", "\n", "\r", "\r\n", "\r\n"};
    std::string data;
    for (size_t i = 0; i < lines; ++i) {
        const std::string t = std::to_string(i / 10) + "." + std::to_string(i % 10);
        switch (random() % 10) {
        case 0:
            data += "";
            break;
        case 1:
            data += "  " + t + ",-0.00,+3.5,\t";
            break;
        case 2:
            data += t + ",,7";
            break;
        case 3:
            data += t + ",1e3,-2.5E-2,12345678901234567890,9,9,9";
            break;
        case 4:
            data += "\x01" + t + ",.5,-.25,5.\x02";
            break;
        default:
            data += t + "," + std::to_string(static_cast<int>(random() % 40000) - 20000) + "." +
                    std::to_string(random() % 100) + ",-33.10,4.87";
        }
        data += ends[random() % 5];
    }
    return data;
}

std::string TrickyFile(size_t lines)
{
    return Header(0xC800) + "<Data>\r\n" + TrickyData(lines) +
           "</Data>\r\n<Anotace>\r\n10.00,5.00,a, b\r\n</Anotace>\r\n<Text>\r\nnotes\r\n"
           "</Text>\r\n<Extra>\r\nRxOffsetY=1.25\r\nModel=Pike\r\n</Extra>\r\n";
}

// Every cut the reader may make: tiny chunks on more threads than chunks or fewer.
const TParseTuning kCuts[] = {{0, 1, 2}, {0, 7, 3}, {0, 64, 4}, {0, 1000, 2}, {0, 1 << 20, 8}};
const TParseTuning kOneThread{SIZE_MAX, 1 << 20, 1};

void ExpectSameFlight(const TDataBlock& a, const TDataBlock& b)
{
    EXPECT_EQ(a.DateText, b.DateText);
    EXPECT_TRUE(SameRecordedFlight(a, b));
    for (const auto& ch : kChannels) {
        const auto& x = a.*ch.Array;
        const auto& y = b.*ch.Array;
        ASSERT_EQ(x.size(), y.size());
        for (size_t i = 0; i < x.size(); ++i)
            ASSERT_TRUE(SameBits(x[i], y[i])) << i;
    }
    for (size_t i = 0; i < a.Time.size(); ++i)
        ASSERT_TRUE(SameBits(a.Time[i], b.Time[i])) << i;
    EXPECT_EQ(a.MarkerFlags, b.MarkerFlags);
    ASSERT_EQ(a.Annotations.size(), b.Annotations.size());
    for (size_t i = 0; i < a.Annotations.size(); ++i)
        EXPECT_EQ(a.Annotations[i].Text, b.Annotations[i].Text);
    EXPECT_EQ(a.Notes, b.Notes);
    EXPECT_EQ(a.RxOffsetY, b.RxOffsetY);
    EXPECT_EQ(a.ExtraLines, b.ExtraLines);
}

TEST(ZdfParallelRead, ChunksJoinedInOrderGiveWhatOneThreadReads)
{
    const std::string text = TrickyFile(5000);
    TDataBlock one;
    const TReadResult expected = ParseDataFile(text, one, 20, SIZE_MAX, kOneThread);
    ASSERT_EQ(expected.Status, TReadStatus::Ok);
    // A lone CR before an empty LF-ended line makes one CR LF end: a few lines fewer.
    ASSERT_GT(expected.Count, 4900);
    EXPECT_EQ(one.Annotations.at(0).Text, "a, b");
    EXPECT_EQ(one.ExtraLines, std::vector<std::string>{"Model=Pike"});
    for (const TParseTuning& cut : kCuts) {
        SCOPED_TRACE(cut.ChunkBytes);
        TDataBlock many;
        const TReadResult r = ParseDataFile(text, many, 20, SIZE_MAX, cut);
        EXPECT_EQ(r.Status, expected.Status);
        EXPECT_EQ(r.Count, expected.Count);
        ExpectSameFlight(many, one);
    }
}

// A bad number anywhere (first line, inside a chunk, last line) fails the whole file with the
// reader's message and leaves nothing behind, however the lines were cut.
TEST(ZdfParallelRead, ABadLineAnywhereFailsAsOnOneThread)
{
    const std::string data = TrickyData(3000);
    std::vector<size_t> lineStarts{0};
    for (size_t i = 0; i + 1 < data.size(); ++i)
        if (data[i] == '\n' || (data[i] == '\r' && data[i + 1] != '\n'))
            lineStarts.push_back(i + 1);
    for (size_t at : {size_t{0}, lineStarts[1234], lineStarts[lineStarts.size() - 1]}) {
        for (const char* bad : {"1.5,x\r\n", "1.5, 2\r\n", "1e\r\n", "0.0,1.2.3\r\n",
                                "</Data> \r\n", "1.0,<2\n", "<\r"}) {
            SCOPED_TRACE(std::to_string(at) + " " + bad);
            const std::string text = Header(0xC800) + "<Data>\r\n" + data.substr(0, at) + bad +
                                     data.substr(at) + "</Data>\r\n";
            TDataBlock one;
            const TReadResult expected = ParseDataFile(text, one, 0, SIZE_MAX, kOneThread);
            EXPECT_EQ(expected.Status, TReadStatus::Failed);
            EXPECT_EQ(expected.Message, kMsgBadData);
            for (const TParseTuning& cut : kCuts) {
                TDataBlock many;
                const TReadResult r = ParseDataFile(text, many, 0, SIZE_MAX, cut);
                EXPECT_EQ(r.Status, TReadStatus::Failed);
                EXPECT_EQ(r.Message, kMsgBadData);
                EXPECT_TRUE(many.Time.empty());
                EXPECT_TRUE(many.Altitude.empty());
            }
        }
    }
}

// The data lines split as a text file reader splits them, each trimmed, cut at its commas and read
// by the full number grammar (empty: 0); `columns` numbers a line, missing ones 0.
std::vector<std::vector<double>> ReferenceColumns(const std::string& data, size_t columns)
{
    std::vector<std::vector<double>> out(columns);
    size_t pos = 0;
    while (pos < data.size()) {
        const size_t stop = data.find_first_of("\r\n", pos);
        const size_t end = stop == std::string::npos ? data.size() : stop;
        std::string_view rest = TrimBlanks(std::string_view(data).substr(pos, end - pos));
        for (size_t j = 0; j < columns; ++j) {
            const size_t comma = rest.find(',');
            const std::string_view piece = rest.substr(0, comma);
            rest = comma == std::string_view::npos ? std::string_view() : rest.substr(comma + 1);
            out[j].push_back(piece.empty() ? 0.0 : ParseStrictNumber(piece).value_or(-999999));
        }
        pos = end;
        if (pos < data.size())
            pos += data.compare(pos, 2, "\r\n") == 0 ? 2 : 1;
    }
    return out;
}

// Lines of the common shape read on the quick path, and lines just off it (a blank, a sign
// alone, too many digits, a column more or less, a lone CR) read the full way, come out as the
// full grammar reads each number, whatever the cut.
TEST(ZdfParallelRead, EveryLineReadsAsTheFullGrammarReadsIt)
{
    std::mt19937 random(11);
    std::string data;
    const char* ends[] = {"\r\n", "\n", "\r"};
    for (int i = 0; i < 4000; ++i) {
        const auto number = [&] {
            const int digits = 1 + static_cast<int>(random() % 17);
            std::string text = random() % 3 == 0 ? "-" : random() % 9 == 0 ? "+" : "";
            const int point = static_cast<int>(random() % (digits + 1));
            for (int d = 0; d < digits; ++d) {
                if (d == point)
                    text += '.';
                text += static_cast<char>('0' + random() % 10);
            }
            return text;
        };
        std::string line = number() + "," + number() + "," + number() + "," + number();
        switch (random() % 8) {
        case 0:
            line += " ";
            break;
        case 1:
            line += "," + number();
            break;
        case 2:
            line = line.substr(0, line.rfind(','));
            break;
        case 3:
            line += ",";
            break;
        default:
            break;
        }
        data += line + ends[random() % 3 == 0 ? random() % 3 : 0];
    }
    const std::string text = Header(0xC800) + "<Data>\r\n" + data + "</Data>\r\n";
    const auto expected = ReferenceColumns(data, 4);
    for (const TParseTuning& cut : {kOneThread, kCuts[0], kCuts[2], kCuts[3]}) {
        SCOPED_TRACE(cut.ChunkBytes);
        TDataBlock f;
        const TReadResult r = ParseDataFile(text, f, 0, SIZE_MAX, cut);
        ASSERT_EQ(r.Status, TReadStatus::Ok);
        ASSERT_EQ(static_cast<size_t>(r.Count), expected[0].size());
        const std::vector<double>* read[] = {&f.Time, &f.Altitude, &f.Rx, &f.Voltage};
        for (size_t j = 0; j < 4; ++j)
            for (size_t i = 0; i < expected[j].size(); ++i)
                ASSERT_TRUE(SameBits((*read[j])[i], expected[j][i]))
                    << "line " << i << " column " << j << ": " << (*read[j])[i] << " vs "
                    << expected[j][i];
    }
}

// Odd files where the counting pass and the parsing pass see different data lines: a date line
// reading "<Data>", a second data section, a file ending without its last line end, and the
// limit on memory, which is met before anything is parsed.
TEST(ZdfParallelRead, OddFilesReadAsOnOneThread)
{
    const std::string data = TrickyData(400);
    const std::string cases[] = {
        Header(0xC800, "<Data>") + "<Data>\r\n" + data + "</Data>\r\n",
        Header(0xC800) + "<Data>\r\n" + data + "</Data>\r\n<Data>\r\n" + data + "</Data>\r\n",
        Header(0xC800) + "<Data>\r\n" + data + "</Data>",
        Header(0x4000) + "<Data>\r\n" + std::string(500, '\n') + "</Data>\r\n",
        "<Header>\r\n<Data>\r\n" + data + "</Data>\r\n",
    };
    for (const std::string& text : cases) {
        TDataBlock one;
        const TReadResult expected = ParseDataFile(text, one, 0, SIZE_MAX, kOneThread);
        for (const TParseTuning& cut : kCuts) {
            TDataBlock many;
            const TReadResult r = ParseDataFile(text, many, 0, SIZE_MAX, cut);
            EXPECT_EQ(r.Status, expected.Status) << text.substr(0, 40);
            EXPECT_EQ(r.Count, expected.Count);
            EXPECT_EQ(r.Message, expected.Message);
            ExpectSameFlight(many, one);
        }
        if (expected.Status != TReadStatus::IoError) {
            TDataBlock limited;
            EXPECT_THROW(ParseDataFile(text, limited, 0, 1, kCuts[1]), std::bad_alloc)
                << text.substr(0, 40);
        }
    }
}

} // namespace
