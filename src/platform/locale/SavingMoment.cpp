#include "platform/locale/SavingMoment.h"

namespace zirko {

QString WithoutTimeZone(const QString& pattern)
{
    QString out;
    bool quoted = false;
    bool dropLeadingBlanks = false;
    for (qsizetype i = 0; i < pattern.size(); ++i) {
        const QChar c = pattern[i];
        if (c == '\'') {
            quoted = !quoted;
            out += c;
            dropLeadingBlanks = false;
            continue;
        }
        if (!quoted && c == 't') {
            while (i + 1 < pattern.size() && pattern[i + 1] == 't')
                ++i;
            // A zone after the time takes the blanks before it; one in front takes those after.
            const qsizetype kept = out.size();
            while (!out.isEmpty() && out.back().isSpace())
                out.chop(1);
            dropLeadingBlanks = out.isEmpty() || out.size() == kept;
            continue;
        }
        if (dropLeadingBlanks && !quoted && c.isSpace())
            continue;
        dropLeadingBlanks = false;
        out += c;
    }
    return out.trimmed();
}

QString SavingMomentText(const QDateTime& moment, const QLocale& locale)
{
    return locale.toString(moment.date(), QLocale::ShortFormat) + " " +
           locale.toString(moment.time(), WithoutTimeZone(locale.timeFormat(QLocale::LongFormat)));
}

} // namespace zirko
