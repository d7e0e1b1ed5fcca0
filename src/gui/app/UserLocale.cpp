#include "gui/app/UserLocale.h"

#include <QLocale>

namespace zirko {

char UserDecimalSeparator()
{
    const QString point = QLocale().decimalPoint();
    return point.size() != 1 || point.at(0).unicode() > 127 ? '.' : point.at(0).toLatin1();
}

} // namespace zirko
