// The notes editor's formatting toolbar and its context menu, kept in line with the selection.
#pragma once

#include <QWidget>

class QAction;
class QActionGroup;
class QButtonGroup;
class QColor;
class QComboBox;
class QHBoxLayout;
class QIcon;
class QMenu;
class QTextCharFormat;
class QTextEdit;
class QToolButton;

namespace zirko {

class TNotesToolbar : public QWidget {
    Q_OBJECT
public:
    // Serves `editor` for as long as the bar lives; the editor's style keys go through the bar.
    TNotesToolbar(QTextEdit& editor, QWidget* parent);
    ~TNotesToolbar() override;

    // Alignment codes carried as tags by the buttons and menu items.
    static constexpr int kAlignLeft = 0;
    static constexpr int kAlignRight = 1;
    static constexpr int kAlignCenter = 2;

    // Brings the buttons in line with the selection.
    void RichEdit1SelectionChange();
    // Undo and Paste follow what the editor can do while it has the focus.
    void ApplicationIdle();

signals:
    // Print on the bar or in the menu; the page knows what heads the printed notes.
    void PrintRequested();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QTextEdit* RichEdit1 = nullptr;
    QToolButton* TBPrint = nullptr;
    QToolButton* TBCut = nullptr;
    QToolButton* TBCopy = nullptr;
    QToolButton* TBPaste = nullptr;
    QToolButton* TBUndo = nullptr;
    QToolButton* TBBold = nullptr;
    QToolButton* TBItalic = nullptr;
    QToolButton* TBUnderline = nullptr;
    QToolButton* TBFont = nullptr;
    // Text colour of the selection; its icon shows the current one.
    QToolButton* TBColor = nullptr;
    QComboBox* ComboFontName = nullptr;
    QComboBox* ComboFontSize = nullptr;
    QToolButton* TBLeft = nullptr;
    QToolButton* TBCenter = nullptr;
    QToolButton* TBRight = nullptr;

    QMenu* PopupMenu = nullptr;
    QAction* mnuPrint = nullptr;
    QAction* mnuCut = nullptr;
    QAction* mnuCopy = nullptr;
    QAction* mnuPaste = nullptr;
    QAction* mnuUndo = nullptr;
    QAction* mnuFont = nullptr;
    QAction* mnuColor = nullptr;
    QMenu* mnuAlign = nullptr;
    QAction* mnuAlignLeft = nullptr;
    QAction* mnuAlignCenter = nullptr;
    QAction* mnuAlignRight = nullptr;

    QHBoxLayout* ToolbarLayout = nullptr;
    QButtonGroup* AlignButtons = nullptr;
    QActionGroup* AlignActions = nullptr;
    bool UpdatingFormat = false;

    QToolButton* AddButton(const QString& text, const QString& hint);
    QToolButton* AddIconButton(const QString& hint, const QIcon& icon);
    void BuildContextMenu();
    void ConnectControls();
    void ApplyFormat(const QTextCharFormat& format);
    void StyleButtonClick(QToolButton* button);
    void FontDialog();
    void ColorDialog();
    QColor SelectionColor() const;
    void FontNameChange(int index);
    void FontSizeChange(const QString& text);
    void AlignClick(int tag);
    void Paste();
    void Undo();
    void PopupMenuPopup(const QPoint& pos);
    bool EditorKey(int key, Qt::KeyboardModifiers modifiers);
    int CurrentAlignTag() const;
};

} // namespace zirko
