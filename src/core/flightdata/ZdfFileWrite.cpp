#include "core/flightdata/ZdfFile.h"

#include "core/app/NumberFormat.h"

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

namespace zirko {

namespace {

// Collects the file in a fixed buffer and hands it on in chunks: no buffer the size of the file.
class TChunkWriter {
public:
    explicit TChunkWriter(TByteSink sink) : Buffer(1 << 20), Sink(std::move(sink)) {}
    // Room for `bytes` more; returns where to write them.
    char* Reserve(size_t bytes)
    {
        if (Used + bytes > Buffer.size()) {
            Flush();
            if (bytes > Buffer.size())
                Buffer.resize(bytes);
        }
        return Buffer.data() + Used;
    }
    void Commit(char* end) { Used = static_cast<size_t>(end - Buffer.data()); }
    void Append(std::string_view text)
    {
        while (!text.empty()) {
            const size_t room = Buffer.size() - Used;
            if (room == 0) {
                Flush();
                continue;
            }
            const size_t part = std::min(room, text.size());
            std::memcpy(Buffer.data() + Used, text.data(), part);
            Used += part;
            text.remove_prefix(part);
        }
    }
    void Line(std::string_view text)
    {
        Append(text);
        Append("\r\n");
    }
    bool Flush()
    {
        if (Used > 0 && Ok)
            Ok = Sink(Buffer.data(), Used);
        Used = 0;
        return Ok;
    }
    bool Ok = true;

private:
    std::vector<char> Buffer;
    size_t Used = 0;
    TByteSink Sink;
};

// The channel arrays that are written, in file order; empty on an inconsistent record.
bool WrittenColumns(const TDataBlock& flight, std::vector<const std::vector<double>*>& columns,
                    TWriteResult* failure)
{
    const size_t n = flight.Time.size();
    for (const auto& ch : kChannels) {
        const auto& array = flight.*ch.Array;
        if (array.empty())
            continue;
        if (array.size() < n) {
            if (failure) {
                failure->Status = TWriteStatus::Failed;
                failure->Message =
                    std::string("Channel ") + ch.Name + " has fewer samples than Time.";
            }
            return false;
        }
        columns.push_back(&array);
    }
    return true;
}

// The date and annotation texts are one line each: a line break inside would break the file.
std::string SingleLine(std::string text)
{
    for (char& c : text)
        if (c == '\r' || c == '\n')
            c = ' ';
    return text;
}

bool EmitColumns(const TDataBlock& flight, const std::vector<const std::vector<double>*>& columns,
                 TChunkWriter& w)
{
    w.Line("<Header>");
    w.Line(SingleLine(flight.DateText));
    for (int32_t word :
         {flight.Sampling, flight.ChannelMask, flight.HeaderWord3, flight.HeaderWord4,
          flight.HeaderWord5, flight.HeaderWord6, flight.HeaderWord7})
        w.Line(std::to_string(word));
    w.Line("</Header>");
    w.Line("<Data>");
    // A data line can never be longer than this bound.
    const size_t maxLine = 400 * (columns.size() + 1);
    const size_t n = flight.Time.size();
    for (size_t i = 0; i < n && w.Ok; ++i) {
        char* p = WriteFixed(w.Reserve(maxLine), flight.Time[i], 1);
        for (const auto* column : columns) {
            *p++ = ',';
            p = WriteFixed(p, (*column)[i], 2);
        }
        *p++ = '\r';
        *p++ = '\n';
        w.Commit(p);
    }
    w.Line("</Data>");
    if (!flight.Annotations.empty()) {
        w.Line("<Anotace>");
        for (const auto& a : flight.Annotations) {
            char* p = WriteFixed(w.Reserve(820), a.Time, 2);
            *p++ = ',';
            p = WriteFixed(p, a.Value, 2);
            *p++ = ',';
            w.Commit(p);
            w.Line(SingleLine(a.Text));
        }
        w.Line("</Anotace>");
    }
    w.Line("<Text>");
    w.Line(flight.Notes);
    w.Line("</Text>");
    w.Line("<Extra>");
    w.Append("RxOffsetY=");
    w.Commit(WriteFixed(w.Reserve(400), flight.RxOffsetY, 2));
    w.Append("\r\n");
    for (const auto& extra : flight.ExtraLines)
        w.Line(SingleLine(extra));
    w.Line("</Extra>");
    return w.Flush();
}

} // namespace

TWriteResult CheckDataFile(const TDataBlock& flight)
{
    TWriteResult result;
    std::vector<const std::vector<double>*> columns;
    WrittenColumns(flight, columns, &result);
    return result;
}

bool EmitDataFile(const TDataBlock& flight, const TByteSink& sink)
{
    std::vector<const std::vector<double>*> columns;
    if (!WrittenColumns(flight, columns, nullptr))
        return false;
    TChunkWriter writer(sink);
    return EmitColumns(flight, columns, writer);
}

std::string FormatDataFile(const TDataBlock& flight, TWriteResult* failure)
{
    std::vector<const std::vector<double>*> columns;
    if (!WrittenColumns(flight, columns, failure))
        return {};
    std::string out;
    out.reserve(256 + flight.Time.size() * (8 + 10 * columns.size()) + flight.Notes.size() +
                flight.Annotations.size() * 40);
    TChunkWriter writer([&out](const char* data, size_t size) {
        out.append(data, size);
        return true;
    });
    EmitColumns(flight, columns, writer);
    return out;
}

TDataBlock AsStored(const TDataBlock& flight)
{
    TDataBlock stored;
    const std::string text = FormatDataFile(flight);
    if (text.empty() || ParseDataFile(text, stored, 0.0).Status != TReadStatus::Ok)
        return {};
    return stored;
}

bool SameRecordedFlight(const TDataBlock& a, const TDataBlock& b)
{
    if (a.Sampling != b.Sampling || a.ChannelMask != b.ChannelMask ||
        a.HeaderWord3 != b.HeaderWord3 || a.HeaderWord4 != b.HeaderWord4 ||
        a.HeaderWord5 != b.HeaderWord5 || a.HeaderWord6 != b.HeaderWord6 ||
        a.HeaderWord7 != b.HeaderWord7 || a.Time != b.Time)
        return false;
    return std::all_of(kChannels.begin(), kChannels.end(),
                       [&](const auto& ch) { return a.*ch.Array == b.*ch.Array; });
}

} // namespace zirko
