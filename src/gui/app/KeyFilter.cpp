#include "gui/app/KeyFilter.h"

#include "gui/app/UserLocale.h"

#include <QKeyEvent>
#include <QObject>
#include <QString>
#include <QWidget>

namespace zirko {

namespace {

class TKeyFilter : public QObject {
public:
    TKeyFilter(QObject* parent, const QString& extra) : QObject(parent), Extra(extra) {}

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
        return c.isPrint() && !c.isDigit() && !Extra.contains(c);
    }

private:
    QString Extra;
};

} // namespace

void InstallKeyFilter(QWidget* edit, const QString& extraCharacters)
{
    edit->installEventFilter(new TKeyFilter(edit, extraCharacters));
}

void InstallNumberKeyFilter(QWidget* edit)
{
    InstallKeyFilter(edit, QString("-") + QChar::fromLatin1(UserDecimalSeparator()));
}

} // namespace zirko
