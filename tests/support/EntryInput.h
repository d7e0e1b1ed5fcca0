// The three ways text reaches an entry field besides typing: Ctrl+V, the context menu's paste
// entry and dropping dragged text, each with real clipboard contents or drag data.
#pragma once

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QDropEvent>
#include <QLineEdit>
#include <QMenu>
#include <QMimeData>
#include <QTest>

#include <memory>

namespace zirko::test {

inline void PasteByKey(QLineEdit* edit, const QString& text)
{
    QApplication::clipboard()->setText(text);
    edit->setFocus();
    QTest::keyClick(edit, Qt::Key_V, Qt::ControlModifier);
}

// Triggers the "Paste" entry of the menu the field itself offers on a right click.
inline bool PasteByMenu(QLineEdit* edit, const QString& text)
{
    QApplication::clipboard()->setText(text);
    edit->setFocus();
    std::unique_ptr<QMenu> menu(edit->createStandardContextMenu());
    for (QAction* a : menu->actions())
        if (a->text().remove('&').startsWith("Paste") && a->isEnabled()) {
            a->trigger();
            return true;
        }
    return false;
}

// Drags `text` over the field and drops it at its end.
inline void DropText(QLineEdit* edit, const QString& text)
{
    QMimeData data;
    data.setText(text);
    const QPointF at(edit->width() - 4, edit->height() / 2.0);
    QDragEnterEvent enter(at.toPoint(), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(edit, &enter);
    QDragMoveEvent move(at.toPoint(), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(edit, &move);
    QDropEvent drop(at, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(edit, &drop);
}

} // namespace zirko::test
