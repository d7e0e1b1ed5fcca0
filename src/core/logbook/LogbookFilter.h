// The logbook's filter text: terms separated by blanks, every one of which must hold for a row.
#pragma once

#include "core/logbook/FlightDate.h"
#include "core/logbook/LogbookRow.h"

#include <string>
#include <string_view>
#include <vector>

namespace zirko {

// A word matches inside name, folder, model, site, pilot, tags or the notes without regard to
// case; "model:", "site:", "pilot:", "tag:", "folder:", "name:" restrict it to that field;
// "FIELD>N", ">=", "<", "<=", "=" compare a number of the row (null never matches), "date" a
// day given as YYYY-MM-DD; "-" before a term negates it. A term in double quotes is one word
// with its blanks ("site:\"Black Hill\"").
class TLogbookFilter {
public:
    // Reads the text; false (with Error) when a term cannot be understood.
    bool Parse(std::string_view text);
    bool Matches(const TLogbookRow& row) const;
    bool Empty() const { return Terms.empty(); }
    std::string Error;

private:
    enum class TTermKind { Word, FieldWord, Compare, DateCompare };
    enum class TWordField { Name, Folder, Model, Site, Pilot, Tag };
    enum class TOperator { Less, LessEqual, Equal, GreaterEqual, Greater };
    struct TTerm {
        TTermKind Kind = TTermKind::Word;
        bool Negated = false;
        std::string Word; // folded
        TWordField Field = TWordField::Name;
        size_t Index = 0; // of the analysis field compared
        TOperator Op = TOperator::Equal;
        double Number = 0;
        TCivilSeconds Day = 0;
    };
    bool Holds(const TTerm& term, const TLogbookRow& row) const;
    std::vector<TTerm> Terms;
};

} // namespace zirko
