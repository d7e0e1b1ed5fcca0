#include "core/logbook/LogbookSummary.h"

#include "core/app/NumberFormat.h"

#include <algorithm>
#include <cmath>

namespace zirko {

namespace {

std::optional<double> FieldNumber(const TLogbookRow& row, const char* name)
{
    const auto i = AnalysisFieldIndex(name);
    if (!i)
        return std::nullopt;
    const TLogbookValue* v = row.Value(*i);
    return v ? v->Number : std::nullopt;
}

} // namespace

TLogbookSummary SummariseRows(const std::vector<const TLogbookRow*>& rows)
{
    TLogbookSummary s;
    double startHeights = 0;
    for (const TLogbookRow* row : rows) {
        if (!row)
            continue;
        ++s.Count;
        if (const auto v = FieldNumber(*row, "timeAloft"))
            s.TimeAloft += *v;
        if (const auto v = FieldNumber(*row, "motorTime"))
            s.MotorTime += *v;
        if (const auto v = FieldNumber(*row, "maxAltitude"))
            s.HighestAltitude = s.HighestAltitude ? std::max(*s.HighestAltitude, *v) : *v;
        if (const auto v = FieldNumber(*row, "startHeight")) {
            startHeights += *v;
            ++s.StartHeights;
        }
    }
    if (s.StartHeights > 0)
        s.MeanStartHeight = startHeights / static_cast<double>(s.StartHeights);
    return s;
}

std::string FormatDurationTotal(double seconds)
{
    const long long total = std::llround(std::max(0.0, seconds));
    const long long hours = total / 3600;
    if (hours == 0)
        return FormatMinSec(total);
    const long long minutes = total / 60 % 60;
    const long long secs = total % 60;
    return std::to_string(hours) + ":" + (minutes < 10 ? "0" : "") + std::to_string(minutes) + ":" +
           (secs < 10 ? "0" : "") + std::to_string(secs);
}

std::string SummaryText(const TLogbookSummary& summary, char decimalSeparator)
{
    if (summary.Count == 0)
        return {};
    std::string text = std::to_string(summary.Count) +
                       (summary.Count == 1 ? " flight selected: " : " flights selected: ");
    text += "time aloft " + FormatDurationTotal(summary.TimeAloft);
    text += ", motor time " + FormatDurationTotal(summary.MotorTime);
    if (summary.HighestAltitude)
        text += ", highest " + FormatDisplay(*summary.HighestAltitude, 1, decimalSeparator) + " m";
    if (summary.MeanStartHeight)
        text += ", mean start height " +
                FormatDisplay(*summary.MeanStartHeight, 1, decimalSeparator) + " m";
    return text;
}

std::string MatchCountText(size_t shown, size_t total)
{
    return std::to_string(shown) + " of " + std::to_string(total) +
           (total == 1 ? " flight" : " flights");
}

} // namespace zirko
