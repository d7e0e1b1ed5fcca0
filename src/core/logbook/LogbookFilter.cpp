#include "core/logbook/LogbookFilter.h"

#include "core/app/NumberFormat.h"
#include "core/logbook/TextFold.h"

#include <algorithm>
#include <array>
#include <utility>

namespace zirko {

namespace {

// Splits at blanks outside double quotes; the quotes themselves are dropped.
std::vector<std::string> SplitTerms(std::string_view text)
{
    std::vector<std::string> terms;
    std::string current;
    bool quoted = false;
    bool any = false;
    for (char c : text) {
        if (c == '"') {
            quoted = !quoted;
            any = true;
        } else if (!quoted && (c == ' ' || c == '\t' || c == '\r' || c == '\n')) {
            if (any)
                terms.push_back(std::move(current));
            current.clear();
            any = false;
        } else {
            current += c;
            any = true;
        }
    }
    if (any)
        terms.push_back(std::move(current));
    return terms;
}

bool IsIdentifier(std::string_view s)
{
    return !s.empty() && std::all_of(s.begin(), s.end(), [](char c) {
        return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9');
    });
}

} // namespace

bool TLogbookFilter::Parse(std::string_view text)
{
    Terms.clear();
    Error.clear();
    static const std::array<std::pair<std::string_view, TWordField>, 6> kWordFields{{
        {"name", TWordField::Name},
        {"folder", TWordField::Folder},
        {"model", TWordField::Model},
        {"site", TWordField::Site},
        {"pilot", TWordField::Pilot},
        {"tag", TWordField::Tag},
    }};
    static const std::array<std::pair<std::string_view, TOperator>, 5> kOperators{{
        {">=", TOperator::GreaterEqual},
        {"<=", TOperator::LessEqual},
        {">", TOperator::Greater},
        {"<", TOperator::Less},
        {"=", TOperator::Equal},
    }};
    for (std::string term : SplitTerms(text)) {
        TTerm t;
        std::string_view body = term;
        if (body.size() > 1 && body.front() == '-') {
            t.Negated = true;
            body.remove_prefix(1);
        }
        // FIELD op VALUE: the field is a name of letters and digits before the first operator.
        const size_t opPos = body.find_first_of("<>=");
        if (opPos != std::string_view::npos && opPos > 0 && IsIdentifier(body.substr(0, opPos))) {
            const std::string_view field = body.substr(0, opPos);
            std::string_view rest = body.substr(opPos);
            for (const auto& [symbol, op] : kOperators) {
                if (rest.substr(0, symbol.size()) == symbol) {
                    t.Op = op;
                    rest.remove_prefix(symbol.size());
                    break;
                }
            }
            if (field == "date") {
                const auto day = ParseIsoDay(rest);
                if (!day) {
                    Error = "A date in the filter is written YYYY-MM-DD: '" + term + "'.";
                    Terms.clear();
                    return false;
                }
                t.Kind = TTermKind::DateCompare;
                t.Day = *day;
            } else {
                const auto index = AnalysisFieldIndex(field);
                if (!index || AnalysisFields()[*index].Kind == TFieldKind::Text) {
                    Error = "The filter compares no field '" + std::string(field) + "'.";
                    Terms.clear();
                    return false;
                }
                const auto number = ParseStrictNumber(rest);
                if (!number) {
                    Error = "The filter compares '" + std::string(field) +
                            "' with a number, not '" + std::string(rest) + "'.";
                    Terms.clear();
                    return false;
                }
                t.Kind = TTermKind::Compare;
                t.Index = *index;
                t.Number = *number;
            }
            Terms.push_back(std::move(t));
            continue;
        }
        const size_t colon = body.find(':');
        if (colon != std::string_view::npos) {
            const std::string folded = FoldCase(body.substr(0, colon));
            const auto it = std::find_if(kWordFields.begin(), kWordFields.end(),
                                         [&](const auto& f) { return f.first == folded; });
            if (it != kWordFields.end()) {
                t.Kind = TTermKind::FieldWord;
                t.Field = it->second;
                t.Word = FoldCase(body.substr(colon + 1));
                Terms.push_back(std::move(t));
                continue;
            }
        }
        t.Kind = TTermKind::Word;
        t.Word = FoldCase(body);
        Terms.push_back(std::move(t));
    }
    return true;
}

bool TLogbookFilter::Holds(const TTerm& t, const TLogbookRow& row) const
{
    const auto in = [&t](const std::string& folded) {
        return folded.find(t.Word) != std::string::npos;
    };
    const auto inTags = [&]() {
        return std::any_of(row.FoldedTags.begin(), row.FoldedTags.end(), in);
    };
    const auto compare = [&t](double a, double b) {
        switch (t.Op) {
        case TOperator::Less:
            return a < b;
        case TOperator::LessEqual:
            return a <= b;
        case TOperator::Equal:
            return a == b;
        case TOperator::GreaterEqual:
            return a >= b;
        case TOperator::Greater:
            return a > b;
        }
        return false;
    };
    switch (t.Kind) {
    case TTermKind::Word:
        return in(row.FoldedName) || in(row.FoldedFolder) || in(row.FoldedModel) ||
               in(row.FoldedSite) || in(row.FoldedPilot) || inTags() || in(row.FoldedNotes);
    case TTermKind::FieldWord:
        switch (t.Field) {
        case TWordField::Name:
            return in(row.FoldedName);
        case TWordField::Folder:
            return in(row.FoldedFolder);
        case TWordField::Model:
            return in(row.FoldedModel);
        case TWordField::Site:
            return in(row.FoldedSite);
        case TWordField::Pilot:
            return in(row.FoldedPilot);
        case TWordField::Tag:
            return inTags();
        }
        return false;
    case TTermKind::Compare: {
        const TLogbookValue* v = row.Value(t.Index);
        return v && v->Number && compare(*v->Number, t.Number);
    }
    case TTermKind::DateCompare:
        if (!row.Error.empty())
            return false;
        return compare(static_cast<double>(CivilDay(row.SortDate())), static_cast<double>(t.Day));
    }
    return false;
}

bool TLogbookFilter::Matches(const TLogbookRow& row) const
{
    return std::all_of(Terms.begin(), Terms.end(),
                       [&](const TTerm& t) { return Holds(t, row) != t.Negated; });
}

} // namespace zirko
