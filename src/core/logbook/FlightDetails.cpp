#include "core/logbook/FlightDetails.h"

#include "core/app/NumberFormat.h"
#include "core/app/TextCodec.h"
#include "core/logbook/TextFold.h"

#include <algorithm>

namespace zirko {

namespace {

constexpr std::string_view kRxOffsetWord = "RxOffsetY";
constexpr const char* kNoPlaceMessage =
    "The flight file has no place for its details: its notes do not end.";

// The value of a "Key=value" line, when the line is one of that key.
std::optional<std::string_view> KeyValue(std::string_view line, std::string_view key)
{
    if (line.size() <= key.size() || line.substr(0, key.size()) != key || line[key.size()] != '=')
        return std::nullopt;
    return line.substr(key.size() + 1);
}

bool ContainsTag(const std::vector<std::string>& tags, std::string_view tag)
{
    const std::string folded = FoldCase(tag);
    return std::any_of(tags.begin(), tags.end(),
                       [&](const std::string& t) { return FoldCase(t) == folded; });
}

// Sets, replaces or removes the line of `key`: the first such line keeps its place, others go.
void SetLine(std::vector<std::string>& lines, std::string_view key, const std::string& value)
{
    auto first = lines.end();
    for (auto it = lines.begin(); it != lines.end();) {
        if (!KeyValue(*it, key) && *it != std::string(key) + "=") {
            ++it;
            continue;
        }
        if (first == lines.end() && !value.empty()) {
            *it = std::string(key) + "=" + value;
            first = it;
            ++it;
        } else {
            it = lines.erase(it);
        }
    }
    if (first == lines.end() && !value.empty())
        lines.push_back(std::string(key) + "=" + value);
}

// Lines as the flight file reader takes them: ended by CR LF, LF or CR.
class TLineWalker {
public:
    explicit TLineWalker(std::string_view text) : Text(text) {}
    bool AtEnd() const { return Pos >= Text.size(); }
    size_t Position() const { return Pos; }
    std::string_view Next()
    {
        const size_t start = Pos;
        const size_t stop = Text.find_first_of("\r\n", start);
        if (stop == std::string_view::npos) {
            Pos = Text.size();
            Break.clear();
            return Text.substr(start);
        }
        const bool crlf = Text[stop] == '\r' && stop + 1 < Text.size() && Text[stop + 1] == '\n';
        Break = crlf ? "\r\n" : std::string(1, Text[stop]);
        Pos = stop + Break.size();
        return Text.substr(start, stop - start);
    }
    // Moves to just after the next line equal to `wanted`; false at the end.
    bool SkipTo(std::string_view wanted)
    {
        while (!AtEnd())
            if (Next() == wanted)
                return true;
        return false;
    }
    std::string Break;

private:
    std::string_view Text;
    size_t Pos = 0;
};

} // namespace

TFlightDetails FlightDetailsOf(const TDataBlock& flight)
{
    std::vector<std::string> decoded;
    decoded.reserve(flight.ExtraLines.size());
    for (const auto& line : flight.ExtraLines)
        decoded.push_back(DecodeFileText(line));
    return ReadDetails(decoded);
}

TFlightDetails ReadDetails(const std::vector<std::string>& extraLines)
{
    TFlightDetails details;
    for (const auto& line : extraLines) {
        if (auto v = KeyValue(line, kModelKey); v && details.Model.empty())
            details.Model = std::string(TrimBlanks(*v));
        else if (auto v = KeyValue(line, kSiteKey); v && details.Site.empty())
            details.Site = std::string(TrimBlanks(*v));
        else if (auto v = KeyValue(line, kPilotKey); v && details.Pilot.empty())
            details.Pilot = std::string(TrimBlanks(*v));
        else if (auto v = KeyValue(line, kTagsKey); v && details.Tags.empty())
            details.Tags = SplitTags(*v);
    }
    return details;
}

std::vector<std::string> SplitTags(std::string_view text)
{
    std::vector<std::string> tags;
    size_t pos = 0;
    while (pos <= text.size()) {
        const size_t comma = std::min(text.find(',', pos), text.size());
        const std::string_view tag = TrimBlanks(text.substr(pos, comma - pos));
        if (!tag.empty() && !ContainsTag(tags, tag))
            tags.emplace_back(tag);
        pos = comma + 1;
    }
    return tags;
}

std::string JoinTags(const std::vector<std::string>& tags)
{
    std::string out;
    for (const auto& t : tags)
        out += (out.empty() ? "" : ", ") + t;
    return out;
}

std::string CleanDetailValue(std::string_view value)
{
    std::string out(value);
    for (char& c : out)
        if (c == '\r' || c == '\n')
            c = ' ';
    return std::string(TrimBlanks(out));
}

std::optional<std::string> CheckDetailValue(std::string_view value)
{
    if (value.find(kRxOffsetWord) != std::string_view::npos)
        return "A flight detail must not contain \"RxOffsetY\": \"" + std::string(value) + "\"";
    return std::nullopt;
}

bool TDetailsEdit::Empty() const
{
    return !Model && !Site && !Pilot && !Tags && AddTags.empty() && RemoveTags.empty();
}

std::optional<std::string> CheckDetailsEdit(const TDetailsEdit& edit)
{
    for (const auto* value : {&edit.Model, &edit.Site, &edit.Pilot, &edit.Tags})
        if (*value)
            if (auto refused = CheckDetailValue(**value))
                return refused;
    for (const auto* list : {&edit.AddTags, &edit.RemoveTags})
        for (const auto& tag : *list)
            if (auto refused = CheckDetailValue(tag))
                return refused;
    return std::nullopt;
}

std::vector<std::string> ApplyDetailsEdit(std::vector<std::string> extraLines,
                                          const TDetailsEdit& edit)
{
    if (edit.Model)
        SetLine(extraLines, kModelKey, CleanDetailValue(*edit.Model));
    if (edit.Site)
        SetLine(extraLines, kSiteKey, CleanDetailValue(*edit.Site));
    if (edit.Pilot)
        SetLine(extraLines, kPilotKey, CleanDetailValue(*edit.Pilot));
    if (edit.Tags || !edit.AddTags.empty() || !edit.RemoveTags.empty()) {
        std::vector<std::string> tags =
            edit.Tags ? SplitTags(CleanDetailValue(*edit.Tags)) : ReadDetails(extraLines).Tags;
        for (const auto& add : edit.AddTags)
            for (const auto& tag : SplitTags(CleanDetailValue(add)))
                if (!ContainsTag(tags, tag))
                    tags.push_back(tag);
        for (const auto& remove : edit.RemoveTags)
            for (const auto& tag : SplitTags(CleanDetailValue(remove))) {
                const std::string folded = FoldCase(tag);
                tags.erase(
                    std::remove_if(tags.begin(), tags.end(),
                                   [&](const std::string& t) { return FoldCase(t) == folded; }),
                    tags.end());
            }
        SetLine(extraLines, kTagsKey, JoinTags(tags));
    }
    return extraLines;
}

TExtraSection LocateExtraSection(std::string_view content)
{
    TExtraSection section;
    TLineWalker w(content);
    // The reader's way: the data lines, the annotations if they come first, the notes, then the
    // first "<Extra>" line after them.
    if (!w.SkipTo("<Data>") || !w.SkipTo("</Data>"))
        return section;
    std::string_view line;
    bool atText = false;
    while (!w.AtEnd()) {
        line = w.Next();
        if (line == "<Anotace>" || line == "<Text>") {
            atText = line == "<Text>";
            break;
        }
    }
    if (line == "<Anotace>" && !w.SkipTo("</Anotace>"))
        return section;
    if (!atText && !w.SkipTo("<Text>"))
        return section;
    if (!w.SkipTo("</Text>") || !w.SkipTo("<Extra>"))
        return section;
    section.Found = true;
    section.LineBreak = w.Break.empty() ? "\r\n" : w.Break;
    section.LinesBegin = w.Position();
    section.LinesEnd = content.size();
    while (!w.AtEnd()) {
        const size_t start = w.Position();
        line = w.Next();
        if (line == "</Extra>") {
            section.LinesEnd = start;
            section.Closed = true;
            break;
        }
        section.Lines.emplace_back(line);
    }
    return section;
}

TRewriteResult RewriteDetails(std::string_view content, const TDetailsEdit& edit)
{
    TRewriteResult result;
    if (auto refused = CheckDetailsEdit(edit)) {
        result.Message = *refused;
        return result;
    }
    const TExtraSection section = LocateExtraSection(content);
    const std::vector<std::string> lines = ApplyDetailsEdit(section.Lines, edit);
    result.Ok = true;
    result.Changed = lines != section.Lines;
    if (!result.Changed) {
        result.Content = std::string(content);
        return result;
    }
    const std::string& br = section.LineBreak;
    std::string body;
    for (const auto& l : lines)
        body += l + br;
    if (section.Found) {
        result.Content.reserve(content.size() + body.size());
        result.Content.append(content.substr(0, section.LinesBegin));
        result.Content += body;
        if (!section.Closed)
            result.Content += "</Extra>" + br;
        result.Content.append(content.substr(section.LinesEnd));
        return result;
    }
    // No section where the reader looks: a new one at the end, after notes if there were none.
    result.Content = std::string(content);
    if (!result.Content.empty() && result.Content.back() != '\n' && result.Content.back() != '\r')
        result.Content += br;
    TLineWalker w(content);
    const bool notesBegin = w.SkipTo("<Data>") && w.SkipTo("</Data>") && w.SkipTo("<Text>");
    const bool notesEnd = notesBegin && w.SkipTo("</Text>");
    if (notesBegin && !notesEnd) {
        result = {};
        result.Message = kNoPlaceMessage;
        return result;
    }
    if (!notesBegin)
        result.Content += "<Text>" + br + br + "</Text>" + br;
    result.Content += "<Extra>" + br + body + "</Extra>" + br;
    // A notes section left open would swallow what was added: refused rather than changed.
    const TExtraSection added = LocateExtraSection(result.Content);
    if (!added.Found || added.Lines != lines) {
        result = {};
        result.Message = kNoPlaceMessage;
    }
    return result;
}

} // namespace zirko
