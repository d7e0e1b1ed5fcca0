#include "gui/services/UserLocale.h"

#include <QLocale>

namespace zirko {

char UserDecimalSeparator()
{
    const QString point = QLocale().decimalPoint();
    return point.size() != 1 || point.at(0).unicode() > 127 ? '.' : point.at(0).toLatin1();
}

std::string UserGroupSeparator()
{
    const QLocale locale;
    if (locale.numberOptions() & QLocale::OmitGroupSeparator)
        return {};
    const std::string group = locale.groupSeparator().toStdString();
    // A locale that groups with its decimal point could not be read back: a blank groups then.
    if (group.size() == 1 && group[0] == UserDecimalSeparator())
        return "\xC2\xA0";
    return group;
}

} // namespace zirko
