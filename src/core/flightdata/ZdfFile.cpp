#include "core/flightdata/ZdfFile.h"

#include "core/app/NumberFormat.h"

#include <algorithm>
#include <atomic>
#include <bit>
#include <charconv>
#include <cstring>
#include <exception>
#include <functional>
#include <new>
#include <system_error>
#include <thread>

namespace zirko {

namespace {

// The offset of the first CR or LF in the `size` bytes at `text`, or `size`. Data lines are short,
// so eight bytes are looked at together rather than calling memchr twice a line.
size_t FindLineEnd(const char* text, size_t size)
{
    size_t i = 0;
    if constexpr (std::endian::native == std::endian::little) {
        constexpr uint64_t kOnes = 0x0101010101010101ull;
        constexpr uint64_t kHigh = 0x8080808080808080ull;
        for (; i + 8 <= size; i += 8) {
            uint64_t word;
            std::memcpy(&word, text + i, sizeof word);
            const uint64_t lf = word ^ (kOnes * '\n');
            const uint64_t cr = word ^ (kOnes * '\r');
            // The lowest marked byte is the first zero byte, i.e. the first CR or LF; higher marks
            // may be false and are never looked at.
            const uint64_t marks = ((lf - kOnes) & ~lf & kHigh) | ((cr - kOnes) & ~cr & kHigh);
            if (marks)
                return i + static_cast<size_t>(std::countr_zero(marks) / 8);
        }
    }
    for (; i < size; ++i)
        if (text[i] == '\n' || text[i] == '\r')
            return i;
    return size;
}

// Reads text lines the way a Pascal text file does: a line ends at CR LF, LF or CR, and
// "at end" becomes true as soon as the last line has been read.
class TLineReader {
public:
    explicit TLineReader(std::string_view text) : Text(text) {}

    std::string_view ReadLine()
    {
        const size_t start = Pos;
        const size_t n = Text.size();
        // A line ends at its first CR or LF.
        Pos = start + FindLineEnd(Text.data() + start, n - start);
        std::string_view line = Text.substr(start, Pos - start);
        if (Pos < n) {
            if (Text[Pos] == '\r' && Pos + 1 < n && Text[Pos + 1] == '\n')
                Pos += 2;
            else
                ++Pos;
        }
        return line;
    }

    bool AtEof() const { return Pos >= Text.size(); }
    // The text from the next line on.
    std::string_view Rest() const { return Text.substr(Pos); }
    void Rewind() { Pos = 0; }
    size_t Position() const { return Pos; }
    void Seek(size_t pos) { Pos = pos; }

private:
    std::string_view Text;
    size_t Pos = 0;
};

struct TFormatError {
    const char* Message;
};

constexpr double kPow10[] = {1e0,  1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,  1e8,  1e9,  1e10, 1e11,
                             1e12, 1e13, 1e14, 1e15, 1e16, 1e17, 1e18, 1e19, 1e20, 1e21, 1e22};

// Scans the fast number form at `q` (optional sign, digits, optionally "." and digits; 1 to 15
// digits in all, so the value is exact before the one division) and leaves `q` after it. Returns
// false when the text there has no digit or too many; the caller then takes the full grammar.
inline bool ScanFastNumber(const char*& q, const char* end, double& value)
{
    bool negative = false;
    if (q < end && (*q == '-' || *q == '+')) {
        negative = *q == '-';
        ++q;
    }
    unsigned long long mantissa = 0;
    int digits = 0;
    int fraction = 0;
    while (q < end && static_cast<unsigned char>(*q - '0') < 10) {
        mantissa = mantissa * 10 + static_cast<unsigned>(*q - '0');
        ++q;
        ++digits;
    }
    if (q < end && *q == '.') {
        ++q;
        while (q < end && static_cast<unsigned char>(*q - '0') < 10) {
            mantissa = mantissa * 10 + static_cast<unsigned>(*q - '0');
            ++q;
            ++digits;
            ++fraction;
        }
    }
    if (digits == 0 || digits > 15)
        return false;
    const double magnitude = static_cast<double>(mantissa) / kPow10[fraction];
    value = negative ? -magnitude : magnitude;
    return true;
}

// Takes the next comma-separated piece of `rest` as a number; empty gives 0. The common shape
// (sign, digits, ".", digits) is parsed in one pass; anything else goes through the full grammar.
double TakeNumber(std::string_view& rest)
{
    const char* q = rest.data();
    const char* end = q + rest.size();
    double value = 0.0;
    if (ScanFastNumber(q, end, value) && (q == end || *q == ',')) {
        rest = q == end ? std::string_view{}
                        : std::string_view(q + 1, static_cast<size_t>(end - q - 1));
        return value;
    }
    const size_t comma = rest.find(',');
    std::string_view piece = rest.substr(0, comma);
    rest = comma == std::string_view::npos ? std::string_view{} : rest.substr(comma + 1);
    if (piece.empty())
        return 0.0;
    const auto parsed = ParseStrictNumber(piece);
    if (!parsed)
        throw TFormatError{kMsgBadData};
    return *parsed;
}

// A header integer: blanks skipped, then an optional sign and digits; the rest of the line is
// ignored. Anything else is an input/output failure of the reader.
bool ParseHeaderInteger(std::string_view line, int32_t& value)
{
    size_t i = 0;
    while (i < line.size() && (line[i] == ' ' || line[i] == '\t'))
        ++i;
    line.remove_prefix(i);
    if (!line.empty() && line.front() == '+')
        line.remove_prefix(1);
    auto res = std::from_chars(line.data(), line.data() + line.size(), value);
    return res.ec == std::errc() && res.ptr != line.data();
}

// A line of the data section that starts a chunk of its own, and its index among the data lines.
struct TLineStart {
    size_t Pos;
    int Line;
};

// What counting the data lines found: the lines before "</Data>" (all of them when there is none),
// where that line starts, and a line start about every chunk for the parse.
struct TDataCount {
    int Lines = 0;
    bool Closed = false;
    size_t End = 0;
    std::vector<TLineStart> Starts;
};

// The number of line ends in the `size` bytes at `text`: every LF, and every CR not followed by
// an LF (a CR LF pair ends one line). The caller makes sure a CR at the very end is not the first
// half of a pair. A plain loop without branches, which the compiler turns into vector code.
size_t CountLineEnds(const char* text, size_t size)
{
    if (size == 0)
        return 0;
    size_t count = 0;
    constexpr size_t kBlock = 255; // byte counters cannot overflow within a block
    size_t i = 0;
    while (i + 1 < size) {
        const size_t stop = std::min(size - 1, i + kBlock);
        unsigned char block = 0;
        for (; i < stop; ++i) {
            const auto c = static_cast<unsigned char>(text[i]);
            const auto next = static_cast<unsigned char>(text[i + 1]);
            block += static_cast<unsigned char>((c == '\n') | ((c == '\r') & (next != '\n')));
        }
        count += block;
    }
    count += text[size - 1] == '\n' || text[size - 1] == '\r';
    return count;
}

// What counting the lines of one piece of the data section found: its lines before a "</Data>"
// line, and whether and where (offset in the piece) that line starts.
struct TPieceCount {
    int Lines = 0;
    bool Closed = false;
    size_t End = 0;
};

// Counts the lines of `piece` as TLineReader reads them, up to a "</Data>" line. Data lines hold
// no "<": the lines before the next "<" are counted by their line ends alone, and only a line
// holding one is read as a line.
TPieceCount CountPieceLines(std::string_view piece)
{
    TPieceCount count;
    const char* text = piece.data();
    const size_t n = piece.size();
    size_t pos = 0;
    size_t lines = 0;
    while (pos < n) {
        const void* found = std::memchr(text + pos, '<', n - pos);
        const size_t stop = found ? static_cast<size_t>(static_cast<const char*>(found) - text) : n;
        // The start of the line that holds `stop`: just after the last line end before it. A
        // CR there is never the first half of a CR LF pair, or the LF would be nearer.
        size_t lineStart = stop;
        while (lineStart > pos && text[lineStart - 1] != '\n' && text[lineStart - 1] != '\r')
            --lineStart;
        lines += CountLineEnds(text + pos, lineStart - pos);
        pos = lineStart;
        if (!found) {
            lines += pos < n; // a last line without its line end
            break;
        }
        TLineReader reader(piece.substr(pos));
        if (reader.ReadLine() == "</Data>") {
            count.Closed = true;
            count.End = pos;
            break;
        }
        ++lines;
        pos += reader.Position();
    }
    count.Lines = static_cast<int>(lines);
    return count;
}

// Counts the lines from `dataBegin` up to the first "</Data>" line as one reader would, in pieces
// cut after a line feed (a line always starts there) and counted on `threads` threads.
TDataCount CountDataLinesInParallel(std::string_view content, size_t dataBegin, size_t chunkBytes,
                                    unsigned threads)
{
    std::vector<size_t> cuts{dataBegin};
    for (size_t at = dataBegin + chunkBytes; at < content.size();) {
        const void* lf = std::memchr(content.data() + at, '\n', content.size() - at);
        if (!lf)
            break;
        const auto cut = static_cast<size_t>(static_cast<const char*>(lf) - content.data()) + 1;
        if (cut >= content.size())
            break;
        cuts.push_back(cut);
        at = cut + chunkBytes;
    }
    cuts.push_back(content.size());
    const size_t pieces = cuts.size() - 1;

    struct TPiece {
        int Lines = 0;
        bool Closed = false;
        size_t End = 0;
    };
    std::vector<TPiece> counted(pieces);
    std::atomic<size_t> next{0};
    std::atomic<size_t> firstClosed{pieces}; // pieces after it need no counting
    const auto work = [&] {
        for (size_t c; (c = next.fetch_add(1)) < pieces;) {
            if (c > firstClosed.load())
                continue;
            const TPieceCount found =
                CountPieceLines(content.substr(cuts[c], cuts[c + 1] - cuts[c]));
            TPiece& piece = counted[c];
            piece.Lines = found.Lines;
            if (found.Closed) {
                piece.Closed = true;
                piece.End = cuts[c] + found.End;
                for (size_t seen = firstClosed.load();
                     c < seen && !firstClosed.compare_exchange_weak(seen, c);) {
                }
            }
        }
    };
    std::vector<std::thread> workers;
    for (unsigned t = 1; t < std::min<size_t>(threads, pieces); ++t) {
        try {
            workers.emplace_back(work);
        } catch (const std::system_error&) {
            break;
        }
    }
    work();
    for (auto& w : workers)
        w.join();

    TDataCount count;
    for (size_t c = 0; c < pieces; ++c) {
        count.Starts.push_back({cuts[c], count.Lines});
        count.Lines += counted[c].Lines;
        if (counted[c].Closed) {
            count.Closed = true;
            count.End = counted[c].End;
            break;
        }
    }
    return count;
}

// Reads the data line at the start of `text` when it has the common shape: exactly k + 1 numbers
// of the fast form, separated by commas and followed by the line end (or the end of the text),
// with no blank or other character anywhere. Stores them as TakeNumber would and returns the
// length of the line with its line end; returns 0 (nothing stored) for any other line, which is
// then read the full way.
size_t ParseCommonLine(std::string_view text, int k, const std::vector<double*>& columns, int line)
{
    const char* const begin = text.data();
    const char* const end = begin + text.size();
    const char* q = begin;
    const size_t kept = columns.size();
    for (int j = 0; j <= k; ++j) {
        double value = 0.0;
        if (!ScanFastNumber(q, end, value))
            return 0;
        if (j < k) {
            if (q == end || *q != ',')
                return 0;
            ++q;
        } else if (q != end && *q != '\r' && *q != '\n') {
            return 0;
        }
        if (static_cast<size_t>(j) < kept)
            columns[static_cast<size_t>(j)][line] = value;
    }
    if (q < end) {
        if (*q == '\r' && q + 1 < end && q[1] == '\n')
            q += 2;
        else
            ++q;
    }
    return static_cast<size_t>(q - begin);
}

// Parses data lines `first` up to `last` (or until the reader runs out) into the columns: K + 1
// numbers a line, of which the first columns.size() are kept.
void ParseDataLines(TLineReader& reader, int first, int last, int k,
                    const std::vector<double*>& columns)
{
    const size_t kept = columns.size();
    for (int i = first; i < last && !reader.AtEof(); ++i) {
        if (const size_t end = ParseCommonLine(reader.Rest(), k, columns, i)) {
            reader.Seek(reader.Position() + end);
            continue;
        }
        std::string_view rest = TrimBlanks(reader.ReadLine());
        for (int j = 0; j <= k; ++j) {
            const double value = TakeNumber(rest);
            if (static_cast<size_t>(j) < kept)
                columns[static_cast<size_t>(j)][i] = value;
        }
    }
}

// Parses the chunks between consecutive `starts` on up to `threads` threads, each chunk into its
// own lines of the columns. A failure is handed on as the first chunk's failure, as reading the
// lines in order would have met it: every data failure has the same message.
void ParseChunksInParallel(std::string_view content, const std::vector<TLineStart>& starts, int k,
                           const std::vector<double*>& columns, unsigned threads)
{
    const size_t chunks = starts.size() - 1;
    std::vector<std::exception_ptr> failures(chunks);
    std::atomic<size_t> next{0};
    std::atomic<bool> failed{false};
    const auto work = [&] {
        for (size_t c; (c = next.fetch_add(1)) < chunks && !failed.load();) {
            try {
                TLineReader reader(
                    content.substr(starts[c].Pos, starts[c + 1].Pos - starts[c].Pos));
                ParseDataLines(reader, starts[c].Line, starts[c + 1].Line, k, columns);
            } catch (...) {
                failures[c] = std::current_exception();
                failed = true;
            }
        }
    };
    std::vector<std::thread> workers;
    for (unsigned t = 1; t < std::min<size_t>(threads, chunks); ++t) {
        try {
            workers.emplace_back(work);
        } catch (const std::system_error&) {
            break; // no more threads to be had: the others do the work
        }
    }
    work();
    for (auto& w : workers)
        w.join();
    for (const auto& failure : failures)
        if (failure)
            std::rethrow_exception(failure);
}

} // namespace

std::optional<double> ReadDataNumber(std::string_view piece)
{
    try {
        return TakeNumber(piece);
    } catch (const TFormatError&) {
        return std::nullopt;
    }
}

uint64_t SampleMemoryBytes(int64_t samples, int32_t channelMask)
{
    uint64_t perSample = sizeof(double); // Time
    for (const auto& ch : kChannels)
        if (channelMask & ch.Mask)
            perSample += sizeof(double);
    if (channelMask & kMaskRx)
        perSample += sizeof(int32_t);
    return static_cast<uint64_t>(std::max<int64_t>(samples, 0)) * perSample;
}

TReadResult ParseDataFile(std::string_view content, TDataBlock& flight, double markerThreshold,
                          size_t memoryLimit, const TParseTuning& tuning)
{
    TReadResult result;
    TLineReader reader(content);

    // Pass 1: count the data lines, noting a line start about every ChunkBytes for the parallel
    // parse.
    std::string_view line;
    bool dataFound = false;
    do {
        line = reader.ReadLine();
        if (line == "<Data>")
            dataFound = true;
    } while (!dataFound && !reader.AtEof());
    const size_t dataBegin = reader.Position();
    const size_t chunkBytes = std::max<size_t>(tuning.ChunkBytes, 1);
    const unsigned threads =
        tuning.Threads ? tuning.Threads : std::max(1u, std::thread::hardware_concurrency());
    TDataCount count;
    count.End = dataBegin;
    count.Starts = {{dataBegin, 0}};
    if (dataFound && threads > 1 && content.size() - dataBegin >= tuning.MinParallelBytes &&
        content.size() - dataBegin > chunkBytes) {
        count = CountDataLinesInParallel(content, dataBegin, chunkBytes, threads);
    } else if (dataFound) {
        // One piece: the parse runs on this thread as well, so no line starts are wanted.
        const TPieceCount found = CountPieceLines(content.substr(dataBegin));
        count.Lines = found.Lines;
        count.Closed = found.Closed;
        count.End = dataBegin + found.End;
    }
    if (!count.Closed) {
        result.Status = TReadStatus::Failed;
        result.Message = kMsgUnexpectedEof;
        return result;
    }
    const int n = count.Lines;
    const size_t dataEnd = count.End; // where the "</Data>" line starts
    std::vector<TLineStart>& starts = count.Starts;

    try {
        // Pass 2: parse.
        reader.Rewind();
        if (reader.ReadLine() != "<Header>")
            throw TFormatError{kMsgBadHeader};
        flight.DateText = std::string(reader.ReadLine());
        int32_t* header[] = {&flight.Sampling,    &flight.ChannelMask, &flight.HeaderWord3,
                             &flight.HeaderWord4, &flight.HeaderWord5, &flight.HeaderWord6,
                             &flight.HeaderWord7};
        for (int32_t* word : header) {
            if (reader.AtEof() || !ParseHeaderInteger(reader.ReadLine(), *word)) {
                flight.Clear();
                result.Status = TReadStatus::IoError;
                result.Count = 0;
                result.Message = kMsgReadIo;
                return result;
            }
        }
        while (!reader.AtEof() && reader.ReadLine() != "<Data>") {
        }
        // Pass 2 normally meets the "<Data>" line pass 1 found; only then are the lines pass 1
        // counted the ones to parse, and their chunks known.
        const bool sameData = reader.Position() == dataBegin;

        // Every line is a sample, an empty one too: the count decides the memory, so a file of
        // millions of empty lines is refused before the arrays grow past what may be had.
        if (SampleMemoryBytes(n, flight.ChannelMask) > memoryLimit)
            throw std::bad_alloc();

        const int k = ChannelCount(flight.ChannelMask);
        // Column 0 is Time; the next columns belong to the set mask bits from 15 down. Columns of
        // bits 8..0 are counted but not kept.
        // Lines missing at the end of the file read as zeros.
        std::vector<double*> columns;
        const auto prepare = [&](auto& array) {
            array.clear();
            array.reserve(static_cast<size_t>(n));
            if (tuning.PrepareArray && n > 0)
                tuning.PrepareArray(array.data(), static_cast<size_t>(n) * sizeof(array[0]));
        };
        const auto keep = [&](std::vector<double>& column) {
            prepare(column);
            column.assign(static_cast<size_t>(n), 0.0);
            columns.push_back(column.data());
        };
        keep(flight.Time);
        for (const auto& ch : kChannels) {
            if (flight.ChannelMask & ch.Mask)
                keep(flight.*ch.Array);
            else
                (flight.*ch.Array).clear();
        }

        if (sameData && n > 0 && starts.size() > 1 && threads > 1 &&
            dataEnd - dataBegin >= tuning.MinParallelBytes) {
            if (starts.back().Pos != dataEnd)
                starts.push_back({dataEnd, n});
            ParseChunksInParallel(content, starts, k, columns, threads);
            reader.Seek(dataEnd);
        } else {
            ParseDataLines(reader, 0, n, k, columns);
        }
        if (flight.ChannelMask & kMaskRx) {
            prepare(flight.MarkerFlags);
            ComputeMarkerFlags(flight, markerThreshold);
        } else {
            flight.MarkerFlags.clear();
        }

        // Annotations, notes and extra values.
        line = {};
        bool haveLine = false;
        while (!reader.AtEof()) {
            line = reader.ReadLine();
            if (line == "<Anotace>" || line == "<Text>") {
                haveLine = true;
                break;
            }
        }
        if (haveLine && line == "<Anotace>") {
            line = reader.ReadLine();
            while (!reader.AtEof() && line != "</Anotace>") {
                std::string_view rest = TrimBlanks(line);
                TAnotace a;
                a.Time = TakeNumber(rest);
                a.Value = TakeNumber(rest);
                a.Text = std::string(rest);
                flight.Annotations.push_back(std::move(a));
                line = reader.ReadLine();
            }
            haveLine = false;
        }
        if (!(haveLine && line == "<Text>")) {
            haveLine = false;
            while (!reader.AtEof()) {
                line = reader.ReadLine();
                if (line == "<Text>") {
                    haveLine = true;
                    break;
                }
            }
        }
        if (haveLine) {
            line = reader.ReadLine();
            bool first = true;
            while (!reader.AtEof() && line != "</Text>") {
                if (!first)
                    flight.Notes += "\r\n";
                flight.Notes.append(line);
                first = false;
                line = reader.ReadLine();
            }
        }

        flight.RxOffsetY = 0;
        flight.ExtraLines.clear();
        haveLine = false;
        while (!reader.AtEof()) {
            if (reader.ReadLine() == "<Extra>") {
                haveLine = true;
                break;
            }
        }
        if (haveLine) {
            line = reader.ReadLine();
            while (!reader.AtEof() && line != "</Extra>") {
                if (line.find("RxOffsetY") != std::string_view::npos) {
                    std::string_view rest = line.substr(line.find('=') + 1);
                    if (line.find('=') == std::string_view::npos)
                        rest = line;
                    rest = TrimBlanks(rest);
                    flight.RxOffsetY = TakeNumber(rest);
                } else {
                    flight.ExtraLines.emplace_back(line);
                }
                line = reader.ReadLine();
            }
        }
    } catch (const TFormatError& e) {
        flight.Clear();
        result.Status = TReadStatus::Failed;
        result.Message = e.Message;
        return result;
    }
    result.Count = n;
    return result;
}

} // namespace zirko
