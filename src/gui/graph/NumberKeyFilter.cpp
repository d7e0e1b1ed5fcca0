#include "gui/graph/NumberKeyFilter.h"

#include <QKeyEvent>
#include <QLocale>
#include <QObject>
#include <QWidget>

namespace zirko {

namespace {

class TNumberKeyFilter : public QObject {
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() != QEvent::KeyPress)
            return QObject::eventFilter(watched, event);
        auto* key = static_cast<QKeyEvent*>(event);
        const QString text = key->text();
        // Control keys, navigation and shortcuts pass; printable text is checked.
        if (text.isEmpty() || key->modifiers() & (Qt::ControlModifier | Qt::AltModifier))
            return false;
        const QChar c = text.at(0);
        if (c.isDigit() || c == '-' || c == QLocale().decimalPoint().at(0) || c == '\b' ||
            c == '\r' || c == '\n' || c == QChar(27))
            return false;
        if (!c.isPrint())
            return false;
        return true;
    }
};

} // namespace

void InstallNumberKeyFilter(QWidget* edit)
{
    edit->installEventFilter(new TNumberKeyFilter(edit));
}

} // namespace zirko
