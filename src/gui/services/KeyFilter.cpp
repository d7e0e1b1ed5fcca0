#include "gui/services/KeyFilter.h"

#include "gui/services/UserLocale.h"

#include <QKeyEvent>
#include <QLineEdit>
#include <QString>
#include <QValidator>

namespace zirko {

namespace {

// One rule for both ways text comes in: as an event filter it drops the keys the rule refuses,
// as the edit's validator it leaves those characters out of whatever else changed the text
// (paste by key or menu, drag and drop), so the edit never holds one.
class TEntryFilter final : public QValidator {
public:
    TEntryFilter(QLineEdit* edit, const QString& characters, bool onlyThese)
        : QValidator(edit), Characters(characters), OnlyThese(onlyThese)
    {
    }

    State validate(QString& input, int& position) const override
    {
        QString kept;
        kept.reserve(input.size());
        int keptPosition = position;
        for (qsizetype i = 0; i < input.size(); ++i) {
            if (Refuses(input.at(i))) {
                if (i < position)
                    --keptPosition;
            } else {
                kept += input.at(i);
            }
        }
        if (kept.size() != input.size()) {
            input = kept;
            position = keptPosition;
        }
        return Acceptable;
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() != QEvent::KeyPress)
            return QValidator::eventFilter(watched, event);
        auto* key = static_cast<QKeyEvent*>(event);
        const QString text = key->text();
        // Control keys, navigation and shortcuts (paste among them) pass; typed text is checked.
        if (text.isEmpty() || key->modifiers() & (Qt::ControlModifier | Qt::AltModifier))
            return false;
        const QChar c = text.at(0);
        return c.isPrint() && Refuses(c);
    }

private:
    bool Refuses(QChar c) const
    {
        if (!OnlyThese)
            return Characters.contains(c);
        // No key types a control character into a line, so pasted ones go too.
        return !c.isDigit() && !Characters.contains(c);
    }

    QString Characters;
    bool OnlyThese;
};

void Install(QLineEdit* edit, const QString& characters, bool onlyThese)
{
    auto* filter = new TEntryFilter(edit, characters, onlyThese);
    edit->installEventFilter(filter);
    edit->setValidator(filter);
}

} // namespace

void InstallKeyFilter(QLineEdit* edit, const QString& extraCharacters)
{
    Install(edit, extraCharacters, true);
}

void InstallNumberKeyFilter(QLineEdit* edit)
{
    InstallKeyFilter(edit, QString("-") + QChar::fromLatin1(UserDecimalSeparator()));
}

void InstallRefusingKeyFilter(QLineEdit* edit, const QString& refusedCharacters)
{
    Install(edit, refusedCharacters, false);
}

} // namespace zirko
