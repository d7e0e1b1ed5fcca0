#include "gui/shell/NotesToolbar.h"

#include "gui/graph/GraphIcons.h"
#include "gui/services/KeyFilter.h"
#include "gui/services/UserDialogs.h"

#include <QAction>
#include <QActionGroup>
#include <QApplication>
#include <QButtonGroup>
#include <QClipboard>
#include <QComboBox>
#include <QFontDatabase>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMenu>
#include <QPainter>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextEdit>
#include <QToolButton>

#include <cmath>
#include <optional>
#include <utility>
#include <vector>

namespace zirko {

namespace {

const char* const kPasteFont = "Courier New";
const char* const kColorHint = "Barva písma";
const char* const kColorMenu = "Barva";
// A size text that is not a whole number gives this size.
constexpr int kFallbackSize = 10;

// What the whole selection has in common; a mixed attribute counts as off, a mixed font or size
// as unknown.
struct TSelectionStyle {
    bool Bold = true;
    bool Italic = true;
    bool Underline = true;
    bool Strike = true;
    std::optional<QString> Family;
    std::optional<double> Points;
};

QString FamilyOf(const QTextCharFormat& f, const QFont& fallback)
{
    const QStringList families = f.fontFamilies().toStringList();
    return families.isEmpty() ? fallback.family() : families.front();
}

double PointsOf(const QTextCharFormat& f, const QFont& fallback)
{
    return f.fontPointSize() > 0 ? f.fontPointSize() : fallback.pointSizeF();
}

TSelectionStyle SelectionStyleOf(const QTextEdit& edit)
{
    const QTextCursor cursor = edit.textCursor();
    const QFont base = edit.document()->defaultFont();
    std::vector<QTextCharFormat> formats;
    if (cursor.hasSelection()) {
        const int start = cursor.selectionStart();
        const int end = cursor.selectionEnd();
        for (QTextBlock b = edit.document()->findBlock(start); b.isValid() && b.position() < end;
             b = b.next()) {
            for (auto it = b.begin(); !it.atEnd(); ++it) {
                const QTextFragment fr = it.fragment();
                if (fr.position() < end && fr.position() + fr.length() > start)
                    formats.push_back(fr.charFormat());
            }
        }
    }
    if (formats.empty())
        formats.push_back(edit.currentCharFormat());
    TSelectionStyle s;
    s.Family = FamilyOf(formats.front(), base);
    s.Points = PointsOf(formats.front(), base);
    for (const QTextCharFormat& f : formats) {
        s.Bold = s.Bold && f.fontWeight() > QFont::Medium;
        s.Italic = s.Italic && f.fontItalic();
        s.Underline = s.Underline && f.fontUnderline();
        s.Strike = s.Strike && f.fontStrikeOut();
        if (s.Family && *s.Family != FamilyOf(f, base))
            s.Family.reset();
        if (s.Points && *s.Points != PointsOf(f, base))
            s.Points.reset();
    }
    return s;
}

// An "A" over a bar in the text colour of the selection.
QIcon ColorIcon(const QColor& color)
{
    return DrawnIcon([color](QPainter& p) {
        QFont f = p.font();
        f.setPixelSize(13);
        f.setBold(true);
        p.setFont(f);
        p.setPen(QColor(40, 40, 40));
        p.drawText(QRectF(0, 0, 20, 14), Qt::AlignCenter, "A");
        p.setPen(QPen(QColor(90, 90, 90), 1));
        p.setBrush(color);
        p.drawRect(QRectF(2.5, 14.5, 15, 4));
    });
}

Qt::Alignment AlignmentOfTag(int tag)
{
    switch (tag) {
    case TNotesToolbar::kAlignRight:
        return Qt::AlignRight;
    case TNotesToolbar::kAlignCenter:
        return Qt::AlignHCenter;
    default:
        return Qt::AlignLeft;
    }
}

} // namespace

TNotesToolbar::TNotesToolbar(QTextEdit& editor, QWidget* parent)
    : QWidget(parent), RichEdit1(&editor)
{
    ToolbarLayout = new QHBoxLayout(this);
    ToolbarLayout->setContentsMargins(0, 0, 0, 0);
    ToolbarLayout->setSpacing(1);
    TBPrint = AddIconButton("Tisk", DesktopIcon("document-print", "print"));
    TBCut = AddIconButton("Vyjmout", DesktopIcon("edit-cut", "cut"));
    TBCopy = AddIconButton("Kopírovat", DesktopIcon("edit-copy", "copy"));
    TBPaste = AddIconButton("Vložit", DesktopIcon("edit-paste", "paste"));
    TBUndo = AddIconButton("Zpět", DesktopIcon("edit-undo", "undo"));
    TBBold = AddButton("B", "Tučné");
    TBItalic = AddButton("I", "Kurzíva");
    TBUnderline = AddButton("U", "Podtržené");
    TBFont = AddButton("A", "Font dialog");
    TBColor = AddIconButton(kColorHint, ColorIcon(palette().color(QPalette::Text)));
    for (QToolButton* b : {TBBold, TBItalic, TBUnderline})
        b->setCheckable(true);
    QFont boldFont = TBBold->font();
    boldFont.setBold(true);
    TBBold->setFont(boldFont);
    QFont italicFont = TBItalic->font();
    italicFont.setItalic(true);
    TBItalic->setFont(italicFont);
    QFont underFont = TBUnderline->font();
    underFont.setUnderline(true);
    TBUnderline->setFont(underFont);

    ComboFontName = new QComboBox(this);
    ComboFontName->setObjectName("ComboFontName");
    ComboFontName->setEditable(false);
    ComboFontName->addItems(QFontDatabase::families());
    ComboFontName->setMinimumContentsLength(14);
    ComboFontName->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    ToolbarLayout->addWidget(ComboFontName);

    ComboFontSize = new QComboBox(this);
    ComboFontSize->setObjectName("ComboFontSize");
    ComboFontSize->setEditable(true);
    ComboFontSize->addItems({"8", "10", "12", "14", "17", "24"});
    // Inline completion would turn a typed "1" into "10".
    ComboFontSize->setCompleter(nullptr);
    ComboFontSize->setInsertPolicy(QComboBox::NoInsert);
    InstallKeyFilter(ComboFontSize->lineEdit(), {});
    ComboFontSize->setMinimumContentsLength(3);
    ToolbarLayout->addWidget(ComboFontSize);

    TBLeft = AddIconButton("Zarovnat doleva", DesktopIcon("format-justify-left", "alignleft"));
    TBCenter =
        AddIconButton("Zarovnat na střed", DesktopIcon("format-justify-center", "aligncenter"));
    TBRight = AddIconButton("Zarovnat doprava", DesktopIcon("format-justify-right", "alignright"));
    AlignButtons = new QButtonGroup(this);
    AlignButtons->setExclusive(true);
    AlignButtons->addButton(TBLeft, kAlignLeft);
    AlignButtons->addButton(TBCenter, kAlignCenter);
    AlignButtons->addButton(TBRight, kAlignRight);
    for (QToolButton* b : {TBLeft, TBCenter, TBRight})
        b->setCheckable(true);
    TBLeft->setChecked(true);
    ToolbarLayout->addStretch(1);

    BuildContextMenu();
    // The names the user's tools find the controls by.
    const std::pair<QObject*, const char*> named[] = {
        {TBPrint, "TBPrint"},
        {TBCut, "TBCut"},
        {TBCopy, "TBCopy"},
        {TBPaste, "TBPaste"},
        {TBUndo, "TBUndo"},
        {TBBold, "TBBold"},
        {TBItalic, "TBItalic"},
        {TBUnderline, "TBUnderline"},
        {TBFont, "TBFont"},
        {TBColor, "TBColor"},
        {TBLeft, "TBLeft"},
        {TBCenter, "TBCenter"},
        {TBRight, "TBRight"},
        {PopupMenu, "PopupMenu"},
        {mnuPrint, "mnuPrint"},
        {mnuCut, "mnuCut"},
        {mnuCopy, "mnuCopy"},
        {mnuPaste, "mnuPaste"},
        {mnuUndo, "mnuUndo"},
        {mnuFont, "mnuFont"},
        {mnuColor, "mnuColor"},
        {mnuAlign, "mnuAlign"},
        {mnuAlignLeft, "mnuAlignLeft"},
        {mnuAlignCenter, "mnuAlignCenter"},
        {mnuAlignRight, "mnuAlignRight"},
    };
    for (const auto& [control, name] : named)
        control->setObjectName(name);
    RichEdit1->installEventFilter(this);
    RichEdit1->setContextMenuPolicy(Qt::CustomContextMenu);
    ConnectControls();
    RichEdit1SelectionChange();
}

void TNotesToolbar::ConnectControls()
{
    connect(TBPrint, &QToolButton::clicked, this, &TNotesToolbar::PrintRequested);
    connect(TBCut, &QToolButton::clicked, RichEdit1, &QTextEdit::cut);
    connect(TBCopy, &QToolButton::clicked, RichEdit1, &QTextEdit::copy);
    connect(TBPaste, &QToolButton::clicked, this, &TNotesToolbar::Paste);
    connect(TBUndo, &QToolButton::clicked, this, &TNotesToolbar::Undo);
    for (QToolButton* b : {TBBold, TBItalic, TBUnderline})
        connect(b, &QToolButton::clicked, this, [this, b] { StyleButtonClick(b); });
    connect(TBFont, &QToolButton::clicked, this, &TNotesToolbar::FontDialog);
    connect(TBColor, &QToolButton::clicked, this, &TNotesToolbar::ColorDialog);
    connect(ComboFontName, &QComboBox::activated, this, &TNotesToolbar::FontNameChange);
    connect(ComboFontSize, &QComboBox::editTextChanged, this, &TNotesToolbar::FontSizeChange);
    connect(ComboFontSize, &QComboBox::activated, this, [this] {
        FontSizeChange(ComboFontSize->currentText());
        RichEdit1->setFocus();
    });
    connect(AlignButtons, &QButtonGroup::idClicked, this, &TNotesToolbar::AlignClick);

    connect(RichEdit1, &QTextEdit::selectionChanged, this,
            &TNotesToolbar::RichEdit1SelectionChange);
    connect(RichEdit1, &QTextEdit::cursorPositionChanged, this,
            &TNotesToolbar::RichEdit1SelectionChange);
    connect(RichEdit1, &QTextEdit::currentCharFormatChanged, this,
            &TNotesToolbar::RichEdit1SelectionChange);
    connect(RichEdit1, &QTextEdit::undoAvailable, this, &TNotesToolbar::ApplicationIdle);
    connect(RichEdit1, &QWidget::customContextMenuRequested, this, &TNotesToolbar::PopupMenuPopup);
    connect(QApplication::clipboard(), &QClipboard::dataChanged, this,
            &TNotesToolbar::ApplicationIdle);
    connect(qApp, &QApplication::focusChanged, this, &TNotesToolbar::ApplicationIdle);
}

TNotesToolbar::~TNotesToolbar()
{
    // Focus moves while widgets are destroyed; this bar must no longer hear of it.
    disconnect(qApp, nullptr, this, nullptr);
    disconnect(QApplication::clipboard(), nullptr, this, nullptr);
    RichEdit1->removeEventFilter(this);
    disconnect(RichEdit1, nullptr, this, nullptr);
    disconnect(ComboFontSize, nullptr, this, nullptr);
}

QToolButton* TNotesToolbar::AddButton(const QString& text, const QString& hint)
{
    auto* b = new QToolButton(this);
    b->setText(text);
    b->setToolTip(hint);
    b->setFocusPolicy(Qt::NoFocus);
    b->setAutoRaise(true);
    ToolbarLayout->addWidget(b);
    return b;
}

QToolButton* TNotesToolbar::AddIconButton(const QString& hint, const QIcon& icon)
{
    // The hint stays the button's text for screen readers; only the icon shows.
    QToolButton* b = AddButton(hint, hint);
    b->setIcon(icon);
    b->setToolButtonStyle(Qt::ToolButtonIconOnly);
    return b;
}

void TNotesToolbar::BuildContextMenu()
{
    PopupMenu = new QMenu(this);
    mnuPrint = PopupMenu->addAction("Tisk", this, &TNotesToolbar::PrintRequested);
    mnuCut = PopupMenu->addAction("Vyjmout", RichEdit1, &QTextEdit::cut);
    mnuCopy = PopupMenu->addAction("Kopírovat", RichEdit1, &QTextEdit::copy);
    mnuPaste = PopupMenu->addAction("Vložit", this, &TNotesToolbar::Paste);
    mnuUndo = PopupMenu->addAction("Zpět", this, &TNotesToolbar::Undo);
    mnuFont = PopupMenu->addAction("Font", this, &TNotesToolbar::FontDialog);
    mnuColor = PopupMenu->addAction(kColorMenu, this, &TNotesToolbar::ColorDialog);
    mnuAlign = PopupMenu->addMenu("Zarovnání");
    AlignActions = new QActionGroup(this);
    AlignActions->setExclusive(true);
    const auto addAlign = [this](const QString& text, int tag) {
        QAction* a = mnuAlign->addAction(text);
        a->setCheckable(true);
        a->setData(tag);
        AlignActions->addAction(a);
        connect(a, &QAction::triggered, this, [this, tag] { AlignClick(tag); });
        return a;
    };
    mnuAlignLeft = addAlign("Doleva", kAlignLeft);
    mnuAlignCenter = addAlign("Na střed", kAlignCenter);
    mnuAlignRight = addAlign("Doprava", kAlignRight);
}

int TNotesToolbar::CurrentAlignTag() const
{
    const Qt::Alignment a = RichEdit1->alignment() & Qt::AlignHorizontal_Mask;
    if (a & Qt::AlignHCenter)
        return kAlignCenter;
    if (a & (Qt::AlignRight | Qt::AlignTrailing))
        return kAlignRight;
    if (a & Qt::AlignJustify)
        return -1;
    return kAlignLeft;
}

void TNotesToolbar::RichEdit1SelectionChange()
{
    UpdatingFormat = true;
    const TSelectionStyle s = SelectionStyleOf(*RichEdit1);
    TBBold->setChecked(s.Bold);
    TBItalic->setChecked(s.Italic);
    TBUnderline->setChecked(s.Underline);
    const QString sizeText =
        s.Points ? QString::number(static_cast<int>(std::lround(*s.Points))) : QString();
    // Rewriting the text while the user types in the box would move the caret.
    if (!ComboFontSize->hasFocus() && ComboFontSize->currentText() != sizeText)
        ComboFontSize->setEditText(sizeText);
    ComboFontName->setCurrentIndex(s.Family ? ComboFontName->findText(*s.Family) : -1);
    const bool selected = RichEdit1->textCursor().hasSelection();
    TBCut->setEnabled(selected);
    TBCopy->setEnabled(selected);
    const int tag = CurrentAlignTag();
    if (tag < 0) {
        AlignButtons->setExclusive(false);
        for (QAbstractButton* b : AlignButtons->buttons())
            b->setChecked(false);
        AlignButtons->setExclusive(true);
    } else {
        AlignButtons->button(tag)->setChecked(true);
    }
    TBUndo->setEnabled(RichEdit1->document()->isUndoAvailable());
    TBPaste->setEnabled(RichEdit1->canPaste());
    TBColor->setIcon(ColorIcon(SelectionColor()));
    UpdatingFormat = false;
}

QColor TNotesToolbar::SelectionColor() const
{
    const QBrush brush = RichEdit1->currentCharFormat().foreground();
    return brush.style() != Qt::NoBrush ? brush.color()
                                        : RichEdit1->palette().color(QPalette::Text);
}

void TNotesToolbar::ColorDialog()
{
    QColor color = SelectionColor();
    if (!Dialogs().ChooseColor(this, color))
        return;
    QTextCharFormat f;
    f.setForeground(color);
    ApplyFormat(f);
    RichEdit1SelectionChange();
}

void TNotesToolbar::ApplicationIdle()
{
    if (!RichEdit1->hasFocus())
        return;
    TBUndo->setEnabled(RichEdit1->document()->isUndoAvailable());
    TBPaste->setEnabled(RichEdit1->canPaste());
}

void TNotesToolbar::ApplyFormat(const QTextCharFormat& format)
{
    RichEdit1->mergeCurrentCharFormat(format);
}

void TNotesToolbar::StyleButtonClick(QToolButton* button)
{
    if (UpdatingFormat)
        return;
    QTextCharFormat f;
    const bool on = button->isChecked();
    if (button == TBBold)
        f.setFontWeight(on ? QFont::Bold : QFont::Normal);
    else if (button == TBItalic)
        f.setFontItalic(on);
    else
        f.setFontUnderline(on);
    ApplyFormat(f);
}

void TNotesToolbar::FontDialog()
{
    QTextCharFormat current = RichEdit1->currentCharFormat();
    QFont font = current.font();
    const TSelectionStyle s = SelectionStyleOf(*RichEdit1);
    if (s.Family)
        font.setFamilies({*s.Family});
    if (s.Points)
        font.setPointSizeF(*s.Points);
    if (!Dialogs().ChooseFont(this, font))
        return;
    QTextCharFormat f;
    f.setFontFamilies({font.family()});
    f.setFontPointSize(font.pointSizeF() > 0 ? font.pointSizeF() : kFallbackSize);
    f.setFontWeight(font.weight());
    f.setFontItalic(font.italic());
    f.setFontUnderline(font.underline());
    f.setFontStrikeOut(font.strikeOut());
    ApplyFormat(f);
    RichEdit1SelectionChange();
}

void TNotesToolbar::FontNameChange(int index)
{
    if (UpdatingFormat || index < 0)
        return;
    QTextCharFormat f;
    f.setFontFamilies({ComboFontName->itemText(index)});
    ApplyFormat(f);
    RichEdit1->setFocus();
}

void TNotesToolbar::FontSizeChange(const QString& text)
{
    if (UpdatingFormat)
        return;
    bool ok = false;
    int size = text.toInt(&ok);
    if (!ok || size <= 0)
        size = kFallbackSize;
    QTextCharFormat f;
    f.setFontPointSize(size);
    ApplyFormat(f);
}

void TNotesToolbar::AlignClick(int tag)
{
    if (UpdatingFormat)
        return;
    RichEdit1->setAlignment(AlignmentOfTag(tag));
    RichEdit1SelectionChange();
}

void TNotesToolbar::Paste()
{
    QTextCharFormat f;
    f.setFontFamilies({kPasteFont});
    ApplyFormat(f);
    RichEdit1->paste();
    RichEdit1->setFocus();
}

void TNotesToolbar::Undo()
{
    if (RichEdit1 != nullptr)
        RichEdit1->undo();
}

void TNotesToolbar::PopupMenuPopup(const QPoint& pos)
{
    mnuUndo->setEnabled(RichEdit1->document()->isUndoAvailable());
    mnuPaste->setEnabled(RichEdit1->canPaste());
    mnuCut->setEnabled(TBCut->isEnabled());
    mnuCopy->setEnabled(TBCopy->isEnabled());
    mnuAlignLeft->setChecked(TBLeft->isChecked());
    mnuAlignCenter->setChecked(TBCenter->isChecked());
    mnuAlignRight->setChecked(TBRight->isChecked());
    PopupMenu->popup(RichEdit1->viewport()->mapToGlobal(pos));
}

bool TNotesToolbar::EditorKey(int key, Qt::KeyboardModifiers modifiers)
{
    const bool ctrl = modifiers & Qt::ControlModifier;
    const bool plainTab =
        key == Qt::Key_Tab && !(modifiers & (Qt::ControlModifier | Qt::AltModifier));
    if (!plainTab && !(ctrl && (key == Qt::Key_B || key == Qt::Key_I || key == Qt::Key_N ||
                                key == Qt::Key_S || key == Qt::Key_U)))
        return false;
    if (UpdatingFormat)
        return true;
    const TSelectionStyle s = SelectionStyleOf(*RichEdit1);
    QTextCharFormat f;
    if (plainTab || key == Qt::Key_I) {
        f.setFontItalic(!s.Italic);
    } else if (key == Qt::Key_B) {
        f.setFontWeight(s.Bold ? QFont::Normal : QFont::Bold);
    } else if (key == Qt::Key_U) {
        f.setFontUnderline(!s.Underline);
    } else if (key == Qt::Key_S) {
        f.setFontStrikeOut(!s.Strike);
    } else {
        f.setFontWeight(QFont::Normal);
        f.setFontItalic(false);
        f.setFontUnderline(false);
        f.setFontStrikeOut(false);
    }
    ApplyFormat(f);
    RichEdit1SelectionChange();
    return true;
}

bool TNotesToolbar::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == RichEdit1) {
        if (event->type() == QEvent::ShortcutOverride) {
            // The style keys belong to the editor even when a menu uses the same shortcut.
            const auto* key = static_cast<QKeyEvent*>(event);
            const int k = key->key();
            if ((key->modifiers() & Qt::ControlModifier) &&
                (k == Qt::Key_B || k == Qt::Key_I || k == Qt::Key_N || k == Qt::Key_S ||
                 k == Qt::Key_U)) {
                event->accept();
                return true;
            }
        } else if (event->type() == QEvent::KeyPress) {
            const auto* key = static_cast<QKeyEvent*>(event);
            if (EditorKey(key->key(), key->modifiers()))
                return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

} // namespace zirko
