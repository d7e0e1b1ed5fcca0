#include "core/import/TelemetryCsv.h"

#include "core/import/ImportRows.h"

#include <cstring>

namespace zirko {

namespace {

constexpr int64_t kDayMilliseconds = 86400000;

// Splits a row at the separator. A field in double quotes may hold the separator; its quotes are
// dropped.
void SplitFields(std::string_view line, char separator, std::vector<std::string_view>& fields)
{
    fields.clear();
    if (std::memchr(line.data(), '"', line.size()) == nullptr) {
        size_t start = 0;
        while (true) {
            const void* hit = std::memchr(line.data() + start, separator, line.size() - start);
            if (hit == nullptr) {
                fields.push_back(line.substr(start));
                return;
            }
            const size_t at = static_cast<size_t>(static_cast<const char*>(hit) - line.data());
            fields.push_back(line.substr(start, at - start));
            start = at + 1;
        }
    }
    size_t start = 0;
    bool quoted = false;
    for (size_t i = 0; i <= line.size(); ++i) {
        if (i < line.size() && line[i] == '"') {
            quoted = !quoted;
            continue;
        }
        if (i == line.size() || (!quoted && line[i] == separator)) {
            std::string_view field = TrimField(line.substr(start, i - start));
            if (field.size() >= 2 && field.front() == '"' && field.back() == '"')
                field = field.substr(1, field.size() - 2);
            fields.push_back(field);
            start = i + 1;
        }
    }
}

bool IsDigit(char c)
{
    return c >= '0' && c <= '9';
}

// "12,5" or "-0,25": a number that a locale with a decimal comma wrote.
bool IsCommaDecimal(std::string_view text)
{
    if (!text.empty() && (text.front() == '-' || text.front() == '+'))
        text.remove_prefix(1);
    const size_t comma = text.find(',');
    if (comma == std::string_view::npos || comma == 0 || comma + 1 == text.size())
        return false;
    for (size_t i = 0; i < text.size(); ++i)
        if (i != comma && !IsDigit(text[i]))
            return false;
    return true;
}

// "hh:mm:ss" followed by a decimal comma and digits.
bool IsCommaTime(std::string_view text)
{
    const size_t comma = text.find(',');
    if (comma == std::string_view::npos)
        return false;
    const std::string_view seconds = text.substr(0, comma);
    return seconds.find(':') != std::string_view::npos &&
           IsCommaDecimal("0" + std::string(text.substr(comma)));
}

struct TCivilDate {
    int Year = 0;
    int Month = 0;
    int Day = 0;
};

// "yyyy-mm-dd" (month and day may have one digit).
bool ParseDate(std::string_view text, TCivilDate& date)
{
    const size_t a = text.find('-');
    const size_t b = a == std::string_view::npos ? a : text.find('-', a + 1);
    if (a != 4 || b == std::string_view::npos || b - a > 3 || text.size() - b > 3)
        return false;
    date.Year = ParseDigits(text.substr(0, 4));
    date.Month = ParseDigits(text.substr(a + 1, b - a - 1));
    date.Day = ParseDigits(text.substr(b + 1));
    return date.Year >= 0 && date.Month >= 1 && date.Month <= 12 && date.Day >= 1 && date.Day <= 31;
}

// "hh:mm:ss" or "hh:mm:ss.sss" (any number of decimals): milliseconds after midnight.
bool ParseTimeOfDay(std::string_view text, int64_t& milliseconds)
{
    const size_t a = text.find(':');
    const size_t b = a == std::string_view::npos ? a : text.find(':', a + 1);
    if (a == 0 || a > 2 || b == std::string_view::npos || b - a != 3)
        return false;
    const size_t dot = text.find('.', b);
    const std::string_view secondsText =
        text.substr(b + 1, dot == std::string_view::npos ? std::string_view::npos : dot - b - 1);
    const int hours = ParseDigits(text.substr(0, a));
    const int minutes = ParseDigits(text.substr(a + 1, 2));
    const int seconds = secondsText.size() == 2 ? ParseDigits(secondsText) : -1;
    if (hours < 0 || hours > 23 || minutes < 0 || minutes > 59 || seconds < 0 || seconds > 60)
        return false;
    int fraction = 0;
    if (dot != std::string_view::npos) {
        const std::string_view digits = text.substr(dot + 1);
        if (digits.empty())
            return false;
        int scale = 100;
        for (char c : digits) {
            if (!IsDigit(c))
                return false;
            fraction += (c - '0') * scale;
            scale /= 10;
        }
    }
    milliseconds = ((hours * 60 + minutes) * 60 + seconds) * int64_t{1000} + fraction;
    return true;
}

// A column that feeds a channel: value = (raw - Offset) * Factor / Divisor.
struct TChannelColumn {
    int Index = -1;
    std::string Name;
    double Offset = 0;
    double Factor = 1;
    double Divisor = 1;
};

bool EndsWithName(std::string_view name, std::string_view suffix)
{
    return name.size() >= suffix.size() &&
           SameName(name.substr(name.size() - suffix.size()), suffix);
}

int FindColumn(const std::vector<std::string>& header, std::string_view name)
{
    for (size_t i = 0; i < header.size(); ++i)
        if (SameName(header[i], name))
            return static_cast<int>(i);
    return -1;
}

// The number n of a "CHn(us)" column, or -1.
int ChannelNumber(std::string_view name)
{
    if (name.size() < 7 || !SameName(name.substr(0, 2), "ch") || !EndsWithName(name, "(us)"))
        return -1;
    return ParseDigits(name.substr(2, name.size() - 6));
}

int AutomaticColumn(const std::vector<std::string>& header, int channel)
{
    static const char* const kAltitude[] = {"Alt(m)", "GAlt(m)", "Alt(ft)"};
    static const char* const kVoltage[] = {"RxBt(V)", "VFAS(V)", "A1(V)"};
    if (channel == 1) {
        int found = FindColumn(header, "Thr");
        int lowest = -1;
        for (size_t i = 0; i < header.size() && found < 0; ++i) {
            const int n = ChannelNumber(header[i]);
            if (n >= 0 && (lowest < 0 || n < lowest)) {
                lowest = n;
                found = -1;
            }
        }
        if (found < 0 && lowest >= 0)
            for (size_t i = 0; i < header.size() && found < 0; ++i)
                if (ChannelNumber(header[i]) == lowest)
                    found = static_cast<int>(i);
        return found;
    }
    for (const char* name : channel == 0 ? kAltitude : kVoltage) {
        const int found = FindColumn(header, name);
        if (found >= 0)
            return found;
    }
    return -1;
}

TChannelColumn MakeColumn(int index, const std::string& name, int channel)
{
    TChannelColumn column;
    column.Index = index;
    column.Name = name;
    if (channel == 0 && EndsWithName(name, "(ft)"))
        column.Factor = 0.3048;
    if (channel == 1) {
        const bool pulse = EndsWithName(name, "(us)");
        column.Offset = pulse ? 1500 : 0;
        column.Divisor = pulse ? 5.12 : 10.24;
    }
    return column;
}

std::string Quoted(std::string_view text)
{
    // Piece by piece: GCC 12 at -O3 takes "\"" + std::string(...) for an overlapping copy.
    std::string quoted(1, '"');
    quoted += text;
    quoted += '"';
    return quoted;
}

std::string CommaDecimalMessage(std::string_view fileName, int64_t line, std::string_view cell)
{
    return std::string(fileName) + ", line " + std::to_string(line) + ": " + Quoted(cell) +
           " is written with a decimal comma. The file is not imported, as its numbers would be "
           "misread: export it with \".\" as the decimal separator.";
}

} // namespace

TImportResult ParseTelemetryCsv(std::string_view content, std::string_view fileName,
                                const TColumnChoice& choice)
{
    TImportResult result;
    result.Format = TImportFormat::Csv;
    const std::string name(fileName);
    if (content.substr(0, 3) == "\xEF\xBB\xBF")
        content.remove_prefix(3);

    std::vector<std::string_view> fields;
    std::vector<std::string> header;
    char separator = ',';
    int dateIndex = -1;
    int timeIndex = -1;
    TChannelColumn columns[3];
    TImportRows rows(result);
    int64_t lineNumber = 0;
    int64_t dataRows = 0;
    int64_t longRows = 0;
    int64_t timedRows = 0;
    size_t pos = 0;
    std::string dayText; // the date of a session's first row

    while (pos < content.size()) {
        const void* lf = std::memchr(content.data() + pos, '\n', content.size() - pos);
        const size_t end = lf ? static_cast<size_t>(static_cast<const char*>(lf) - content.data())
                              : content.size();
        std::string_view line = content.substr(pos, end - pos);
        pos = end + 1;
        ++lineNumber;
        if (!line.empty() && line.back() == '\r')
            line.remove_suffix(1);
        if (TrimField(line).empty())
            continue;

        if (header.empty()) {
            const std::string_view names = TrimField(line);
            separator = names.find(',') != std::string_view::npos    ? ','
                        : names.find(';') != std::string_view::npos  ? ';'
                        : names.find('\t') != std::string_view::npos ? '\t'
                                                                     : ',';
            SplitFields(names, separator, fields);
            for (auto field : fields)
                header.emplace_back(TrimField(field));
            result.Layout = std::string(names);
            dateIndex = FindColumn(header, "Date");
            timeIndex = FindColumn(header, "Time");
            if (dateIndex < 0 || timeIndex < 0) {
                result.Error = name + ": no \"Date\" and \"Time\" columns in its first line; it "
                                      "is not a telemetry log.";
                return result;
            }
            for (size_t i = 0; i < header.size(); ++i)
                if (static_cast<int>(i) != dateIndex && static_cast<int>(i) != timeIndex &&
                    !header[i].empty())
                    result.Columns.push_back(header[i]);
            const std::optional<std::string>* chosen[3] = {&choice.Altitude, &choice.Servo,
                                                           &choice.Voltage};
            static const char* const kChannelNames[3] = {"altitude", "servo", "voltage"};
            for (int c = 0; c < 3; ++c) {
                int index = -1;
                if (chosen[c]->has_value()) {
                    if ((*chosen[c])->empty())
                        continue;
                    index = FindColumn(header, **chosen[c]);
                    if (index < 0 || index == dateIndex || index == timeIndex) {
                        result.Error = name + ": no column " + Quoted(**chosen[c]) + " for " +
                                       kChannelNames[c] + ".";
                        return result;
                    }
                } else {
                    index = AutomaticColumn(header, c);
                }
                if (index >= 0)
                    columns[c] = MakeColumn(index, header[static_cast<size_t>(index)], c);
            }
            if (columns[0].Index < 0 && columns[1].Index < 0 && columns[2].Index < 0) {
                result.Error =
                    name + ": no column for altitude, servo or voltage was found or chosen.";
                return result;
            }
            result.AltitudeColumn = columns[0].Name;
            result.ServoColumn = columns[1].Name;
            result.VoltageColumn = columns[2].Name;
            continue;
        }

        SplitFields(line, separator, fields);
        auto field = [&](int index) {
            return index >= 0 && static_cast<size_t>(index) < fields.size()
                       ? TrimField(fields[static_cast<size_t>(index)])
                       : std::string_view{};
        };
        // The header again (logs appended to): a session ends there, and columns may have moved.
        if (SameName(field(dateIndex), "Date") || SameName(field(timeIndex), "Time")) {
            rows.CloseSession();
            std::vector<std::string> again;
            for (auto f : fields)
                again.emplace_back(TrimField(f));
            dateIndex = FindColumn(again, "Date");
            timeIndex = FindColumn(again, "Time");
            for (auto& column : columns)
                if (column.Index >= 0)
                    column.Index = FindColumn(again, column.Name);
            header = std::move(again);
            continue;
        }
        ++dataRows;
        if (fields.size() > header.size()) {
            bool extraEmpty = true;
            for (size_t i = header.size(); i < fields.size(); ++i)
                extraEmpty = extraEmpty && TrimField(fields[i]).empty();
            if (!extraEmpty) {
                // More fields than names: a broken row, or numbers split at a decimal comma.
                ++longRows;
                ++result.SkippedRows;
                continue;
            }
        }
        const std::string_view dateText = field(dateIndex);
        const std::string_view timeText = field(timeIndex);
        TCivilDate date;
        int64_t milliseconds = 0;
        if (!ParseDate(dateText, date) || !ParseTimeOfDay(timeText, milliseconds)) {
            if (IsCommaTime(timeText)) {
                result.Error = CommaDecimalMessage(name, lineNumber, timeText);
                return result;
            }
            ++result.SkippedRows;
            continue;
        }
        ++timedRows;
        double values[3] = {kNoValue, kNoValue, kNoValue};
        for (int c = 0; c < 3; ++c) {
            if (columns[c].Index < 0)
                continue;
            const std::string_view cell = field(columns[c].Index);
            if (cell.empty())
                continue;
            const double raw = ParseValue(cell);
            if (std::isnan(raw) && IsCommaDecimal(cell)) {
                result.Error = CommaDecimalMessage(name, lineNumber, cell);
                return result;
            }
            values[c] = (raw - columns[c].Offset) * columns[c].Factor / columns[c].Divisor;
        }
        const int64_t dayStart = DaysFromCivil(date.Year, date.Month, date.Day) * kDayMilliseconds;
        const int64_t at = dayStart + milliseconds;
        if (rows.HasRows() && (at - rows.LastMilliseconds() > kSessionGapMilliseconds ||
                               at < rows.LastMilliseconds()))
            rows.CloseSession();
        if (!rows.HasRows())
            dayText = CivilDateText(date.Year, date.Month, date.Day);
        rows.Add(at, values[0], values[1], values[2], dayText, dayStart);
    }
    rows.CloseSession();

    if (header.empty()) {
        result.Error = name + ": the file is empty.";
        return result;
    }
    if (longRows > 0 && longRows * 2 > dataRows) {
        result.Error = name + ": most rows hold more fields than the first line names, as "
                              "numbers written with a decimal comma do. The file is not "
                              "imported, as its numbers would be misread: export it with \".\" "
                              "as the decimal separator.";
        result.Flights.clear();
        return result;
    }
    if (timedRows == 0) {
        result.Error = name + ": no row with a readable date and time.";
        result.Flights.clear();
        return result;
    }
    if (result.Flights.empty()) {
        result.Error = name + ": no values in the columns " + ImportedColumnsText(result) + ".";
        return result;
    }
    return result;
}

} // namespace zirko
