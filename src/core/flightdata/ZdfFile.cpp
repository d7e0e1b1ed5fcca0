#include "core/flightdata/ZdfFile.h"

#include "core/app/NumberFormat.h"

#include <cerrno>
#include <charconv>
#include <cstdio>
#include <fcntl.h>
#include <random>
#include <sys/stat.h>
#include <unistd.h>

namespace zirko {

namespace {

// Reads text lines the way a Pascal text file does: a line ends at CR LF, LF or CR, and
// "at end" becomes true as soon as the last line has been read.
class TLineReader {
public:
    explicit TLineReader(std::string_view text) : Text(text) {}

    std::string_view ReadLine()
    {
        const size_t start = Pos;
        const size_t n = Text.size();
        while (Pos < n && Text[Pos] != '\n' && Text[Pos] != '\r')
            ++Pos;
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
    void Rewind() { Pos = 0; }

private:
    std::string_view Text;
    size_t Pos = 0;
};

struct TFormatError {
    const char* Message;
};

// Takes the next comma-separated piece of `rest` as a number; empty gives 0.
double TakeNumber(std::string_view& rest)
{
    const size_t comma = rest.find(',');
    std::string_view piece = rest.substr(0, comma);
    rest = comma == std::string_view::npos ? std::string_view{} : rest.substr(comma + 1);
    if (piece.empty())
        return 0.0;
    auto value = ParseStrictNumber(piece);
    if (!value)
        throw TFormatError{kMsgBadData};
    return *value;
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

} // namespace

TReadResult ParseDataFile(std::string_view content, TDataBlock& flight, double markerThreshold)
{
    TReadResult result;
    TLineReader reader(content);

    // Pass 1: count the data lines.
    std::string_view line;
    bool dataFound = false;
    do {
        line = reader.ReadLine();
        if (line == "<Data>")
            dataFound = true;
    } while (!dataFound && !reader.AtEof());
    int counted = 0;
    if (dataFound) {
        do {
            line = reader.ReadLine();
            ++counted;
        } while (line != "</Data>" && !reader.AtEof());
    }
    if (!dataFound || line != "</Data>") {
        result.Status = TReadStatus::Failed;
        result.Message = kMsgUnexpectedEof;
        return result;
    }
    const int n = counted - 1;

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

        const int k = ChannelCount(flight.ChannelMask);
        // Column 0 is Time; the next columns belong to the set mask bits from 15 down. Columns of
        // bits 8..0 are counted but not kept.
        std::vector<std::vector<double>*> columns;
        columns.push_back(&flight.Time);
        for (const auto& ch : kChannels) {
            if (flight.ChannelMask & ch.Mask)
                columns.push_back(&(flight.*ch.Array));
            else
                (flight.*ch.Array).clear();
        }
        for (auto* column : columns)
            column->assign(static_cast<size_t>(n), 0.0);
        const size_t kept = columns.size();

        for (int i = 0; i < n && !reader.AtEof(); ++i) {
            std::string_view rest = TrimBlanks(reader.ReadLine());
            for (int j = 0; j <= k; ++j) {
                const double value = TakeNumber(rest);
                if (static_cast<size_t>(j) < kept)
                    (*columns[static_cast<size_t>(j)])[static_cast<size_t>(i)] = value;
            }
        }
        if (flight.ChannelMask & kMaskRx)
            ComputeMarkerFlags(flight, markerThreshold);
        else
            flight.MarkerFlags.clear();

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

bool ReadWholeFile(const std::filesystem::path& fileName, std::string& content)
{
    const int fd = ::open(fileName.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return false;
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(fd);
        return false;
    }
    content.clear();
    content.reserve(static_cast<size_t>(st.st_size));
    char buf[1 << 16];
    for (;;) {
        const ssize_t got = ::read(fd, buf, sizeof buf);
        if (got < 0) {
            if (errno == EINTR)
                continue;
            ::close(fd);
            return false;
        }
        if (got == 0)
            break;
        content.append(buf, static_cast<size_t>(got));
    }
    ::close(fd);
    return true;
}

TReadResult ReadDataFile(const std::filesystem::path& fileName, TDataBlock& flight,
                         double markerThreshold)
{
    if (fileName.empty())
        return {};
    std::string content;
    if (!ReadWholeFile(fileName, content)) {
        TReadResult result;
        result.Status = TReadStatus::IoError;
        result.Message = kMsgReadIo;
        return result;
    }
    return ParseDataFile(content, flight, markerThreshold);
}

std::string FormatDataFile(const TDataBlock& flight, TWriteResult* failure)
{
    const size_t n = flight.Time.size();
    std::vector<const std::vector<double>*> columns;
    for (const auto& ch : kChannels) {
        const auto& array = flight.*ch.Array;
        if (array.empty())
            continue;
        if (array.size() < n) {
            if (failure) {
                failure->Status = TWriteStatus::Failed;
                failure->Message = std::string("Channel ") + ch.Name + " has fewer samples than Time.";
            }
            return {};
        }
        columns.push_back(&array);
    }

    std::string out;
    out.reserve(64 + n * (8 + 10 * columns.size()) + flight.Notes.size() +
                flight.Annotations.size() * 32);
    auto line = [&out](std::string_view text) {
        out.append(text);
        out.append("\r\n");
    };
    line("<Header>");
    line(flight.DateText);
    for (int32_t word : {flight.Sampling, flight.ChannelMask, flight.HeaderWord3, flight.HeaderWord4,
                         flight.HeaderWord5, flight.HeaderWord6, flight.HeaderWord7})
        line(std::to_string(word));
    line("</Header>");
    line("<Data>");
    for (size_t i = 0; i < n; ++i) {
        AppendFixed(out, flight.Time[i], 1);
        for (const auto* column : columns) {
            out.push_back(',');
            AppendFixed(out, (*column)[i], 2);
        }
        out.append("\r\n");
    }
    line("</Data>");
    if (!flight.Annotations.empty()) {
        line("<Anotace>");
        for (const auto& a : flight.Annotations) {
            AppendFixed(out, a.Time, 2);
            out.push_back(',');
            AppendFixed(out, a.Value, 2);
            out.push_back(',');
            line(a.Text);
        }
        line("</Anotace>");
    }
    line("<Text>");
    line(flight.Notes);
    line("</Text>");
    line("<Extra>");
    out.append("RxOffsetY=");
    AppendFixed(out, flight.RxOffsetY, 2);
    out.append("\r\n");
    line("</Extra>");
    return out;
}

bool WriteFileAtomically(const std::filesystem::path& fileName, std::string_view content)
{
    std::random_device rd;
    std::filesystem::path temp = fileName;
    temp += ".tmp" + std::to_string(rd() % 1000000);
    const int fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
    if (fd < 0)
        return false;
    // Keep the permissions of the file being replaced.
    struct stat old {};
    if (::stat(fileName.c_str(), &old) == 0)
        ::fchmod(fd, old.st_mode & 07777);
    size_t done = 0;
    bool ok = true;
    while (done < content.size()) {
        const ssize_t put = ::write(fd, content.data() + done, content.size() - done);
        if (put < 0) {
            if (errno == EINTR)
                continue;
            ok = false;
            break;
        }
        done += static_cast<size_t>(put);
    }
    if (ok && ::fsync(fd) != 0)
        ok = false;
    if (::close(fd) != 0)
        ok = false;
    if (ok && std::rename(temp.c_str(), fileName.c_str()) != 0)
        ok = false;
    if (!ok)
        ::unlink(temp.c_str());
    return ok;
}

TWriteResult WriteDataFile(const std::filesystem::path& fileName, const TDataBlock& flight)
{
    TWriteResult result;
    const std::string content = FormatDataFile(flight, &result);
    if (!result.Ok())
        return result;
    if (!WriteFileAtomically(fileName, content)) {
        result.Status = TWriteStatus::IoError;
        result.Message = kMsgWriteIo;
    }
    return result;
}

} // namespace zirko
