#include "core/logbook/LogbookColumns.h"

#include "core/app/NumberFormat.h"
#include "core/logbook/TextFold.h"

#include <algorithm>

namespace zirko {

namespace {

enum TColumnId : size_t {
    kName,
    kFolder,
    kDate,
    kDuration,
    kTimeAloft,
    kMaxAltitude,
    kStartHeight,
    kMotorTime,
    kPenalty,
    kMinVoltage,
    kModel,
    kSite,
    kPilot,
    kTags,
    kWarnings,
    kNotes,
};

// The notes column shows their start; the whole text is searched, not shown.
constexpr size_t kNotesShown = 200;

const std::vector<TLogbookColumn>& Columns()
{
    static const std::vector<TLogbookColumn> columns = {
        {"name", "Name", "", 0},
        {"folder", "Folder", "", 0},
        {"date", "Date", "", 0},
        {"duration", "Duration (s)", "duration", 1},
        {"timeAloft", "Time aloft (s)", "timeAloft", 1},
        {"maxAltitude", "Max. alt. (m)", "maxAltitude", 1},
        {"startHeight", "Start height (m)", "startHeight", 1},
        {"motorTime", "Motor time (s)", "motorTime", 1},
        {"penalty", "Penalty (pt)", "penalty", 1},
        {"minVoltage", "Min. voltage (V)", "minVoltage", 2},
        {"model", "Model", "", 0},
        {"site", "Site", "", 0},
        {"pilot", "Pilot", "", 0},
        {"tags", "Tags", "", 0},
        {"warnings", "Warnings", "warnings", -1},
        {"notes", "Notes", "", 0},
    };
    return columns;
}

// Analysis field indices of the columns, looked up once.
const std::vector<std::optional<size_t>>& FieldIndices()
{
    static const std::vector<std::optional<size_t>> indices = [] {
        std::vector<std::optional<size_t>> out;
        for (const auto& c : Columns())
            out.push_back(c.Field.empty() ? std::nullopt : AnalysisFieldIndex(c.Field));
        return out;
    }();
    return indices;
}

// The folded text a text column sorts by; tags joined.
std::string_view FoldedText(const TLogbookRow& row, size_t column, std::string& buffer)
{
    switch (column) {
    case kName:
        return row.FoldedName;
    case kFolder:
        return row.FoldedFolder;
    case kModel:
        return row.FoldedModel;
    case kSite:
        return row.FoldedSite;
    case kPilot:
        return row.FoldedPilot;
    case kNotes:
        return row.FoldedNotes;
    case kTags:
        buffer.clear();
        for (const auto& t : row.FoldedTags)
            buffer += (buffer.empty() ? "" : ", ") + t;
        return buffer;
    default:
        return {};
    }
}

// The first `limit` bytes of a UTF-8 text, cut before a character, with an ellipsis.
std::string Shortened(const std::string& text, size_t limit)
{
    if (text.size() <= limit)
        return text;
    size_t end = limit;
    while (end > 0 && (static_cast<unsigned char>(text[end]) & 0xC0) == 0x80)
        --end;
    return text.substr(0, end) + "\u2026";
}

} // namespace

const std::vector<TLogbookColumn>& LogbookColumns()
{
    return Columns();
}

std::optional<size_t> LogbookColumnIndex(std::string_view key)
{
    const auto& c = Columns();
    for (size_t i = 0; i < c.size(); ++i)
        if (c[i].Key == key)
            return i;
    return std::nullopt;
}

bool IsNumberColumn(size_t column)
{
    return column < Columns().size() && !Columns()[column].Field.empty();
}

std::optional<double> LogbookCellNumber(const TLogbookRow& row, size_t column)
{
    if (!IsNumberColumn(column))
        return std::nullopt;
    const auto& index = FieldIndices()[column];
    if (!index)
        return std::nullopt;
    const TLogbookValue* v = row.Value(*index);
    return v ? v->Number : std::nullopt;
}

std::string LogbookCellText(const TLogbookRow& row, size_t column, char decimalSeparator)
{
    switch (column) {
    case kName:
        return row.Name;
    case kFolder:
        return row.Folder;
    case kDate:
        return row.Error.empty() ? row.DateText : std::string();
    case kModel:
        return row.Details.Model;
    case kSite:
        return row.Details.Site;
    case kPilot:
        return row.Details.Pilot;
    case kTags:
        return JoinTags(row.Details.Tags);
    case kNotes:
        return Shortened(row.NotesText, kNotesShown);
    default:
        break;
    }
    if (column == kWarnings && !row.Error.empty())
        return row.Error;
    const auto number = LogbookCellNumber(row, column);
    if (!number)
        return {};
    const int decimals = Columns()[column].Decimals;
    if (decimals < 0)
        return std::to_string(static_cast<long long>(*number));
    return FormatDisplay(*number, decimals, decimalSeparator);
}

bool LogbookCellNull(const TLogbookRow& row, size_t column)
{
    if (column == kDate)
        return false; // a date that cannot be read sorts by the file's time
    if (IsNumberColumn(column))
        return !LogbookCellNumber(row, column).has_value();
    std::string buffer;
    return FoldedText(row, column, buffer).empty();
}

int LogbookCellCompare(const TLogbookRow& a, const TLogbookRow& b, size_t column)
{
    int c = 0;
    if (column == kDate) {
        const TCivilSeconds x = a.SortDate(), y = b.SortDate();
        c = x < y ? -1 : x > y ? 1 : 0;
    } else if (IsNumberColumn(column)) {
        const double x = LogbookCellNumber(a, column).value_or(0);
        const double y = LogbookCellNumber(b, column).value_or(0);
        c = x < y ? -1 : x > y ? 1 : 0;
    } else {
        std::string bufferA, bufferB;
        c = FoldedText(a, column, bufferA).compare(FoldedText(b, column, bufferB));
    }
    if (c != 0)
        return c < 0 ? -1 : 1;
    c = a.Path.compare(b.Path);
    return c < 0 ? -1 : c > 0 ? 1 : 0;
}

std::vector<TColumnPlace> ParseColumnLayout(std::string_view text)
{
    std::vector<TColumnPlace> places;
    std::vector<bool> named(Columns().size(), false);
    size_t pos = 0;
    while (pos < text.size()) {
        const size_t comma = std::min(text.find(',', pos), text.size());
        std::string_view item = text.substr(pos, comma - pos);
        pos = comma + 1;
        TColumnPlace place;
        if (!item.empty() && item.front() == '-') {
            place.Shown = false;
            item.remove_prefix(1);
        }
        const size_t colon = item.find(':');
        const auto index = LogbookColumnIndex(item.substr(0, colon));
        if (!index || named[*index])
            continue;
        place.Column = *index;
        if (colon != std::string_view::npos) {
            const auto width = ParseInteger(item.substr(colon + 1));
            if (width && *width > 0 && *width < 10000)
                place.Width = static_cast<int>(*width);
        }
        named[*index] = true;
        places.push_back(place);
    }
    for (size_t i = 0; i < named.size(); ++i)
        if (!named[i])
            places.push_back({i, 0, true});
    return places;
}

std::string FormatColumnLayout(const std::vector<TColumnPlace>& places)
{
    std::string text;
    for (const auto& p : places) {
        if (p.Column >= Columns().size())
            continue;
        if (!text.empty())
            text += ',';
        if (!p.Shown)
            text += '-';
        text += Columns()[p.Column].Key;
        if (p.Width > 0)
            text += ':' + std::to_string(p.Width);
    }
    return text;
}

} // namespace zirko
