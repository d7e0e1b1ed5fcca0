#include "core/report/PrintHeaderText.h"

#include "core/app/TextCodec.h"

#include <string>

namespace zirko {

namespace {

// Dates are stored as the logger wrote them and may carry padding of the fixed-size field.
std::string Trimmed(const std::string& text)
{
    const std::string blank(" \t\r\n\0", 5);
    const size_t first = text.find_first_not_of(blank);
    if (first == std::string::npos)
        return {};
    const size_t last = text.find_last_not_of(blank);
    return text.substr(first, last - first + 1);
}

} // namespace

TPrintedFlight PrintedFlightOf(const std::string& name, const TDataBlock& flight)
{
    return {name, Trimmed(DecodeFileText(flight.DateText))};
}

std::string PrintHeaderText(const std::vector<TPrintedFlight>& flights)
{
    std::string text;
    for (const TPrintedFlight& f : flights) {
        const std::string date = Trimmed(f.Date);
        if (f.Name.empty() && date.empty())
            continue;
        if (!text.empty())
            text += ", ";
        text += f.Name;
        if (!date.empty())
            text += f.Name.empty() ? date : " (" + date + ")";
    }
    return text;
}

} // namespace zirko
