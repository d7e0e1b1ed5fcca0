// The moment a downloaded flight is saved, as the flight file carries it.
#pragma once

#include <QDateTime>
#include <QLocale>
#include <QString>

namespace zirko {

// `pattern` (a QLocale/QTime format) without its time-zone letters ('t' runs outside quoted
// text) and the blanks that separated them from the rest.
QString WithoutTimeZone(const QString& pattern);

// The locale's short date, a blank and its long time with seconds but without a time zone.
QString SavingMomentText(const QDateTime& moment, const QLocale& locale = QLocale());

} // namespace zirko
