#include "core/logbook/LogbookRow.h"

#include "core/analysis/FlightAnalysis.h"
#include "core/app/NumberFormat.h"
#include "core/app/TextCodec.h"
#include "core/flightdata/FlightText.h"
#include "core/logbook/TextFold.h"
#include "core/shell/TreeNaming.h"

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <cstring>

namespace zirko {

namespace {

const std::vector<TLogbookField>& Fields()
{
    static const std::vector<TLogbookField> fields = [] {
        std::vector<TLogbookField> f;
        for (const char* name :
             {"samples", "duration", "startAltitude", "minAltitude", "maxAltitude", "altitudeGain",
              "launchTime", "landingTime", "timeAloft", "maxClimbRate", "maxSinkRate", "minVoltage",
              "maxVoltage", "meanVoltage"})
            f.push_back({name, TFieldKind::Number});
        // Those of the events, in the order the events command prints them.
        f.push_back({"rules", TFieldKind::Text});
        f.push_back({"motorRuns", TFieldKind::List});
        for (const char* name : {"motorTime", "launch", "startHeight", "startHeightTime", "landing",
                                 "flightTime", "penalty"})
            f.push_back({name, TFieldKind::Number});
        f.push_back({"warnings", TFieldKind::List});
        f.push_back({"phases", TFieldKind::List});
        for (const char* name : {"climbCount", "climbTime", "bestClimbRate", "glideSinkRate"})
            f.push_back({name, TFieldKind::Number});
        return f;
    }();
    return fields;
}

TLogbookValue NumberValue(std::optional<double> v)
{
    return {v, {}};
}

// A list as its count and its JSON array on one line; null when the flight cannot have one.
template <class TItem, class TFormat>
TLogbookValue ListValue(bool exists, const std::vector<TItem>& items, TFormat format)
{
    if (!exists)
        return {};
    std::string json = "[";
    for (size_t i = 0; i < items.size(); ++i)
        json += (i ? ", " : "") + format(items[i]);
    return {static_cast<double>(items.size()), json + "]"};
}

// Skips an RTF group from its "{" on; returns the position after its "}".
size_t SkipGroup(std::string_view rtf, size_t pos)
{
    int depth = 0;
    for (; pos < rtf.size(); ++pos) {
        const char c = rtf[pos];
        if (c == '\\') {
            ++pos;
        } else if (c == '{') {
            ++depth;
        } else if (c == '}' && --depth == 0) {
            return pos + 1;
        }
    }
    return pos;
}

std::string RtfPlainText(std::string_view rtf)
{
    std::string out;
    int codePage = 1250;
    int skipAfterUnicode = 1;
    size_t i = 0;
    int pendingSkip = 0;
    while (i < rtf.size()) {
        const char c = rtf[i];
        if (c == '{') {
            // Destinations that hold no text of the notes.
            static const char* kSkipped[] = {"{\\*",          "{\\fonttbl", "{\\colortbl",
                                             "{\\stylesheet", "{\\info",    "{\\pict",
                                             "{\\header",     "{\\footer"};
            const std::string_view rest = rtf.substr(i);
            if (std::any_of(std::begin(kSkipped), std::end(kSkipped),
                            [&](const char* s) { return rest.substr(0, std::strlen(s)) == s; })) {
                i = SkipGroup(rtf, i);
                continue;
            }
            ++i;
            continue;
        }
        if (c == '}' || c == '\r' || c == '\n') {
            ++i;
            continue;
        }
        if (c != '\\') {
            if (pendingSkip > 0)
                --pendingSkip;
            else
                out += c;
            ++i;
            continue;
        }
        ++i;
        if (i >= rtf.size())
            break;
        const char n = rtf[i];
        if (n == '\\' || n == '{' || n == '}') {
            out += n;
            ++i;
            continue;
        }
        if (n == '\'') {
            if (i + 2 < rtf.size()) {
                const std::string hex(rtf.substr(i + 1, 2));
                char* end = nullptr;
                const long byte = std::strtol(hex.c_str(), &end, 16);
                if (end == hex.c_str() + 2) {
                    if (pendingSkip > 0)
                        --pendingSkip;
                    else
                        AppendUtf8(out,
                                   CodePageToUnicode(static_cast<unsigned char>(byte), codePage));
                }
            }
            i += 3;
            continue;
        }
        if (!std::isalpha(static_cast<unsigned char>(n))) {
            ++i; // a control symbol such as "\~" or "\-"
            continue;
        }
        size_t j = i;
        while (j < rtf.size() && std::isalpha(static_cast<unsigned char>(rtf[j])))
            ++j;
        const std::string_view word = rtf.substr(i, j - i);
        size_t k = j;
        if (k < rtf.size() && (rtf[k] == '-' || std::isdigit(static_cast<unsigned char>(rtf[k])))) {
            ++k;
            while (k < rtf.size() && std::isdigit(static_cast<unsigned char>(rtf[k])))
                ++k;
        }
        const std::string param(rtf.substr(j, k - j));
        if (k < rtf.size() && rtf[k] == ' ')
            ++k;
        i = k;
        if (word == "par" || word == "line" || word == "tab") {
            out += ' ';
        } else if (word == "ansicpg" && !param.empty()) {
            codePage = std::atoi(param.c_str());
        } else if (word == "uc" && !param.empty()) {
            skipAfterUnicode = std::atoi(param.c_str());
        } else if (word == "u" && !param.empty()) {
            long cp = std::atol(param.c_str());
            if (cp < 0)
                cp += 65536;
            AppendUtf8(out, static_cast<char32_t>(cp));
            pendingSkip = skipAfterUnicode;
        }
    }
    return out;
}

struct TKeyValue {
    bool Null = true;
    bool IsText = false;
    double Number = 0;
    std::string Text;
};

TKeyValue KeyOf(const TLogbookRow& row, std::string_view field)
{
    TKeyValue k;
    const auto text = [&k](const std::string& t) {
        k.IsText = true;
        k.Null = t.empty();
        k.Text = FoldCase(t);
    };
    if (field == "path")
        text(row.Path);
    else if (field == "name")
        text(row.Name);
    else if (field == "folder")
        text(row.Folder);
    else if (field == "model")
        text(row.Details.Model);
    else if (field == "site")
        text(row.Details.Site);
    else if (field == "pilot")
        text(row.Details.Pilot);
    else if (field == "tags")
        text(JoinTags(row.Details.Tags));
    else if (field == "error")
        text(row.Error);
    else if (field == "date") {
        k.Null = false;
        k.Number = static_cast<double>(row.SortDate());
    } else if (auto index = AnalysisFieldIndex(field)) {
        const TLogbookValue* v = row.Value(*index);
        if (v && AnalysisFields()[*index].Kind == TFieldKind::Text)
            text(v->Text);
        else if (v && v->Number) {
            k.Null = false;
            k.Number = *v->Number;
        }
    }
    return k;
}

const char* const kTextFields[] = {"path", "name",  "folder", "date", "model",
                                   "site", "pilot", "tags",   "error"};

std::string CsvCell(std::string_view text)
{
    if (text.find_first_of(",\"\r\n") == std::string_view::npos)
        return std::string(text);
    std::string out = "\"";
    for (char c : text) {
        if (c == '"')
            out += '"';
        out += c;
    }
    return out + "\"";
}

std::string JsonText(const std::string& text)
{
    return JsonQuote(text);
}

} // namespace

const std::vector<TLogbookField>& AnalysisFields()
{
    return Fields();
}

std::optional<size_t> AnalysisFieldIndex(std::string_view name)
{
    const auto& f = Fields();
    for (size_t i = 0; i < f.size(); ++i)
        if (f[i].Name == name)
            return i;
    return std::nullopt;
}

bool IsLogbookField(std::string_view name)
{
    return std::any_of(std::begin(kTextFields), std::end(kTextFields),
                       [&](const char* f) { return name == f; }) ||
           AnalysisFieldIndex(name).has_value();
}

void TLogbookRow::Prepare()
{
    FoldedName = FoldCase(Name);
    FoldedFolder = FoldCase(Folder);
    FoldedModel = FoldCase(Details.Model);
    FoldedSite = FoldCase(Details.Site);
    FoldedPilot = FoldCase(Details.Pilot);
    FoldedNotes = FoldCase(NotesText);
    FoldedTags.clear();
    for (const auto& t : Details.Tags)
        FoldedTags.push_back(FoldCase(t));
}

void SetRowPath(TLogbookRow& row, std::string_view relativePath)
{
    row.Path = std::string(relativePath);
    const size_t slash = relativePath.rfind('/');
    const std::string_view file =
        slash == std::string_view::npos ? relativePath : relativePath.substr(slash + 1);
    row.Folder = slash == std::string_view::npos ? std::string()
                                                 : std::string(relativePath.substr(0, slash));
    row.Name = FlightNodeText(file);
}

std::string NotesPlainText(std::string_view notes)
{
    if (notes.substr(0, 5) == "{\\rtf")
        return std::string(TrimBlanks(RtfPlainText(notes)));
    std::string text = DecodeFileText(notes);
    for (char& c : text)
        if (c == '\r' || c == '\n')
            c = ' ';
    return std::string(TrimBlanks(text));
}

std::string EventOptionsKey(const TEventOptions& options)
{
    return std::string(RulesName(options.Rules)) + ";" + FormatShortest(options.MotorThreshold) +
           ";" + FormatShortest(options.AlesHeight) + ";" + FormatShortest(options.LowVoltage);
}

void FillRow(TLogbookRow& row, const TDataBlock& flight, const std::vector<std::string>& extraLines,
             const std::vector<std::string>& dateFormats, const TModelProfiles* profiles,
             const TEventOptions& general)
{
    row.DateText = DecodeFileText(flight.DateText);
    row.Date = ParseFlightDate(row.DateText, dateFormats);
    std::vector<std::string> decoded;
    for (const auto& l : extraLines)
        decoded.push_back(DecodeFileText(l));
    row.Details = ReadDetails(decoded);
    row.NotesText = NotesPlainText(flight.Notes);
    const TFlightStats s = AnalyseFlight(flight);
    const TEventOptions options = EventOptionsFor(general, profiles, row.Details.Model);
    row.AnalysisKey = EventOptionsKey(options);
    const TFlightEvents e = AnalyseEvents(flight, options);
    row.Values = {
        NumberValue(static_cast<double>(s.Samples)),
        NumberValue(s.Duration),
        NumberValue(s.StartAltitude),
        NumberValue(s.MinAltitude),
        NumberValue(s.MaxAltitude),
        NumberValue(s.AltitudeGain),
        NumberValue(s.LaunchTime),
        NumberValue(s.LandingTime),
        NumberValue(s.TimeAloft),
        NumberValue(s.MaxClimbRate),
        NumberValue(s.MaxSinkRate),
        NumberValue(s.MinVoltage),
        NumberValue(s.MaxVoltage),
        NumberValue(s.MeanVoltage),
        {std::nullopt, RulesName(e.Rules)},
        ListValue(e.HasServo, e.MotorRuns,
                  [](const TSampleRun& r) {
                      return "{\"start\": " + FormatShortest(r.Start) +
                             ", \"stop\": " + FormatShortest(r.Stop) +
                             ", \"duration\": " + FormatShortest(r.Duration()) + "}";
                  }),
        NumberValue(e.MotorTime),
        NumberValue(e.Launch),
        NumberValue(e.StartHeight),
        NumberValue(e.StartHeightTime),
        NumberValue(e.Landing),
        NumberValue(e.FlightTime),
        NumberValue(e.Penalty),
        ListValue(true, e.Warnings,
                  [](const TFlightWarning& w) {
                      return std::string("{\"code\": \"") + WarningCodeName(w.Code) +
                             "\", \"time\": " + FormatShortest(w.Time) +
                             ", \"text\": " + JsonQuote(w.Text) + "}";
                  }),
        ListValue(e.HasPhases, e.Phases,
                  [](const TFlightPhase& p) {
                      return std::string("{\"kind\": \"") + PhaseKindName(p.Kind) +
                             "\", \"start\": " + FormatShortest(p.Start) +
                             ", \"stop\": " + FormatShortest(p.Stop) +
                             ", \"gain\": " + FormatShortest(p.Gain) +
                             ", \"rate\": " + FormatShortest(p.Rate) + "}";
                  }),
        NumberValue(static_cast<double>(e.ClimbCount)),
        NumberValue(e.ClimbTime),
        NumberValue(e.BestClimbRate),
        NumberValue(e.GlideSinkRate),
    };
    row.SamplesHash = SamplesHash(flight);
    row.Error.clear();
}

TSortParse ParseSortKeys(std::string_view text)
{
    TSortParse result;
    size_t pos = 0;
    while (pos <= text.size()) {
        const size_t comma = std::min(text.find(',', pos), text.size());
        std::string_view name = TrimBlanks(text.substr(pos, comma - pos));
        pos = comma + 1;
        TSortKey key;
        if (!name.empty() && name.front() == '-') {
            key.Descending = true;
            name.remove_prefix(1);
        }
        if (!IsLogbookField(name)) {
            result.Error = "Unknown field to sort by: '" + std::string(name) + "'.";
            result.Keys.clear();
            return result;
        }
        key.Field = std::string(name);
        result.Keys.push_back(std::move(key));
    }
    return result;
}

void SortRows(std::vector<TLogbookRow>& rows, const std::vector<TSortKey>& keys)
{
    std::vector<TSortKey> all = keys;
    all.push_back({"path", false});
    // The keys of every row once, not at every comparison.
    std::vector<std::vector<TKeyValue>> table(rows.size());
    for (size_t r = 0; r < rows.size(); ++r)
        for (const auto& k : all)
            table[r].push_back(KeyOf(rows[r], k.Field));
    std::vector<size_t> order(rows.size());
    for (size_t i = 0; i < order.size(); ++i)
        order[i] = i;
    std::stable_sort(order.begin(), order.end(), [&](size_t a, size_t b) {
        for (size_t k = 0; k < all.size(); ++k) {
            const TKeyValue& x = table[a][k];
            const TKeyValue& y = table[b][k];
            if (x.Null != y.Null)
                return y.Null;
            if (x.Null)
                continue;
            int c = 0;
            if (x.IsText)
                c = x.Text < y.Text ? -1 : x.Text > y.Text ? 1 : 0;
            else
                c = x.Number < y.Number ? -1 : x.Number > y.Number ? 1 : 0;
            if (c != 0)
                return all[k].Descending ? c > 0 : c < 0;
        }
        return false;
    });
    std::vector<TLogbookRow> sorted;
    sorted.reserve(rows.size());
    for (size_t i : order)
        sorted.push_back(std::move(rows[i]));
    rows = std::move(sorted);
}

std::string LogbookJson(const std::vector<TLogbookRow>& rows)
{
    const auto& fields = AnalysisFields();
    std::string o = "[";
    for (size_t r = 0; r < rows.size(); ++r) {
        const TLogbookRow& row = rows[r];
        o += r ? ",\n  {\n" : "\n  {\n";
        o += "    \"path\": " + JsonText(row.Path) + ",\n";
        o += "    \"name\": " + JsonText(row.Name) + ",\n";
        o += "    \"folder\": " + JsonText(row.Folder) + ",\n";
        const bool read = row.Error.empty();
        o += "    \"date\": " + (read ? JsonText(row.DateText) : "null") + ",\n";
        const auto detail = [&](const std::string& v) {
            return read && !v.empty() ? JsonText(v) : std::string("null");
        };
        o += "    \"model\": " + detail(row.Details.Model) + ",\n";
        o += "    \"site\": " + detail(row.Details.Site) + ",\n";
        o += "    \"pilot\": " + detail(row.Details.Pilot) + ",\n";
        o += "    \"tags\": ";
        if (!read) {
            o += "null";
        } else {
            o += "[";
            for (size_t t = 0; t < row.Details.Tags.size(); ++t)
                o += (t ? ", " : "") + JsonText(row.Details.Tags[t]);
            o += "]";
        }
        o += ",\n";
        for (size_t f = 0; f < fields.size(); ++f) {
            o += "    \"" + fields[f].Name + "\": ";
            const TLogbookValue* v = row.Value(f);
            if (!v)
                o += "null";
            else if (fields[f].Kind == TFieldKind::Text)
                o += JsonText(v->Text);
            else if (fields[f].Kind == TFieldKind::List)
                o += v->Text.empty() ? "null" : v->Text;
            else
                o += v->Number ? FormatShortest(*v->Number) : "null";
            o += ",\n";
        }
        o += "    \"error\": " + (read ? std::string("null") : JsonText(row.Error)) + "\n  }";
    }
    o += rows.empty() ? "]\n" : "\n]\n";
    return o;
}

std::string LogbookCsv(const std::vector<TLogbookRow>& rows)
{
    const auto& fields = AnalysisFields();
    std::string o = "path,name,folder,date,model,site,pilot,tags";
    for (const auto& f : fields)
        o += "," + f.Name;
    o += ",error\r\n";
    for (const auto& row : rows) {
        o += CsvCell(row.Path) + "," + CsvCell(row.Name) + "," + CsvCell(row.Folder) + "," +
             CsvCell(row.DateText) + "," + CsvCell(row.Details.Model) + "," +
             CsvCell(row.Details.Site) + "," + CsvCell(row.Details.Pilot) + "," +
             CsvCell(JoinTags(row.Details.Tags));
        for (size_t f = 0; f < fields.size(); ++f) {
            o += ",";
            const TLogbookValue* v = row.Value(f);
            if (!v)
                continue;
            if (fields[f].Kind == TFieldKind::Text)
                o += CsvCell(v->Text);
            else if (v->Number)
                o += FormatShortest(*v->Number);
        }
        o += "," + CsvCell(row.Error) + "\r\n";
    }
    return o;
}

} // namespace zirko

namespace zirko {

namespace {

// "3": the samples hash is taken a value at a time; rows stored with the older one are read again.
constexpr std::string_view kLayoutVersion = "3";

void PutText(std::string& out, std::string_view text)
{
    out += std::to_string(text.size());
    out += ':';
    out.append(text);
}

bool TakeText(std::string_view& in, std::string& text)
{
    const size_t colon = in.find(':');
    if (colon == std::string_view::npos || colon == 0 || colon > 12)
        return false;
    size_t size = 0;
    for (char c : in.substr(0, colon)) {
        if (c < '0' || c > '9')
            return false;
        size = size * 10 + static_cast<size_t>(c - '0');
    }
    if (in.size() - colon - 1 < size)
        return false;
    text.assign(in.substr(colon + 1, size));
    in.remove_prefix(colon + 1 + size);
    return true;
}

} // namespace

uint64_t SamplesHash(const TDataBlock& flight)
{
    // A whole value at a time, each mixed in by a multiply and a shift: hashing byte by byte
    // took a sixth of a cold logbook's time, and a file matched by its hash is read to be sure.
    uint64_t hash = 14695981039346656037ull;
    const auto add = [&hash](uint64_t value) {
        hash ^= value;
        hash *= 0x9E3779B97F4A7C15ull;
        hash ^= hash >> 32;
    };
    for (int32_t word :
         {flight.Sampling, flight.ChannelMask, flight.HeaderWord3, flight.HeaderWord4,
          flight.HeaderWord5, flight.HeaderWord6, flight.HeaderWord7})
        add(static_cast<uint32_t>(word));
    const auto addArray = [&add](const std::vector<double>& values) {
        add(values.size());
        for (double v : values) {
            uint64_t bits = 0;
            std::memcpy(&bits, &v, sizeof bits);
            add(bits);
        }
    };
    addArray(flight.Time);
    for (const auto& ch : kChannels)
        addArray(flight.*ch.Array);
    return hash;
}

std::string LogbookLayout()
{
    std::string layout(kLayoutVersion);
    for (const auto& f : AnalysisFields())
        layout += "," + f.Name;
    return layout;
}

std::string StoreRow(const TLogbookRow& row)
{
    std::string out;
    PutText(out, kLayoutVersion);
    PutText(out, row.DateText);
    PutText(out, row.Date ? std::to_string(*row.Date) : std::string());
    PutText(out, row.Details.Model);
    PutText(out, row.Details.Site);
    PutText(out, row.Details.Pilot);
    PutText(out, std::to_string(row.Details.Tags.size()));
    for (const auto& t : row.Details.Tags)
        PutText(out, t);
    PutText(out, row.NotesText);
    PutText(out, row.Error);
    PutText(out, std::to_string(row.SamplesHash));
    PutText(out, row.AnalysisKey);
    PutText(out, std::to_string(row.Values.size()));
    for (const auto& v : row.Values) {
        PutText(out, v.Number ? FormatShortest(*v.Number) : std::string());
        PutText(out, v.Text);
    }
    return out;
}

bool RestoreRow(std::string_view in, TLogbookRow& row)
{
    std::string text;
    const auto number = [&](auto& value) {
        if (!TakeText(in, text))
            return false;
        const auto v = ParseInteger(text);
        if (!v)
            return false;
        value = static_cast<std::remove_reference_t<decltype(value)>>(*v);
        return true;
    };
    if (!TakeText(in, text) || text != kLayoutVersion || !TakeText(in, row.DateText) ||
        !TakeText(in, text))
        return false;
    row.Date.reset();
    if (!text.empty()) {
        const auto date = ParseInteger(text);
        if (!date)
            return false;
        row.Date = *date;
    }
    size_t tags = 0;
    if (!TakeText(in, row.Details.Model) || !TakeText(in, row.Details.Site) ||
        !TakeText(in, row.Details.Pilot) || !number(tags) || tags > in.size())
        return false;
    row.Details.Tags.assign(tags, {});
    for (auto& t : row.Details.Tags)
        if (!TakeText(in, t))
            return false;
    std::string hash;
    size_t values = 0;
    if (!TakeText(in, row.NotesText) || !TakeText(in, row.Error) || !TakeText(in, hash) ||
        !TakeText(in, row.AnalysisKey) || !number(values) ||
        (values != 0 && values != AnalysisFields().size()))
        return false;
    row.SamplesHash = std::strtoull(hash.c_str(), nullptr, 10);
    row.Values.assign(values, {});
    for (auto& v : row.Values) {
        if (!TakeText(in, text))
            return false;
        v.Number.reset();
        if (!text.empty()) {
            const auto n = ParseStrictNumber(text);
            if (!n)
                return false;
            v.Number = *n;
        }
        if (!TakeText(in, v.Text))
            return false;
    }
    return in.empty();
}

} // namespace zirko
