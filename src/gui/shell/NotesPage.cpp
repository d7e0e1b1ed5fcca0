#include "gui/shell/NotesPage.h"

#include "gui/graph/GraphIcons.h"
#include "gui/services/KeyFilter.h"
#include "gui/services/PrintHeader.h"
#include "gui/services/UserDialogs.h"
#include "gui/shell/DetailsCompletion.h"
#include "gui/shell/FlightEventsPanel.h"
#include "gui/shell/FlightStatsPanel.h"
#include "platform/richtext/RtfReader.h"
#include "platform/richtext/RtfWriter.h"

#include <QAbstractItemView>
#include <QAbstractTextDocumentLayout>
#include <QAction>
#include <QActionGroup>
#include <QApplication>
#include <QButtonGroup>
#include <QClipboard>
#include <QComboBox>
#include <QCompleter>
#include <QFontDatabase>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPainter>
#include <QPrinter>
#include <QScopedValueRollback>
#include <QStringListModel>
#include <QStyleOptionFrame>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextEdit>
#include <QToolButton>
#include <QVBoxLayout>
#include <utility>

#include <cmath>
#include <memory>
#include <optional>

namespace zirko {

namespace {

const char* const kMsgPrintFailed = "Error by Printig richedit!";
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
    case TNotesPage::kAlignRight:
        return Qt::AlignRight;
    case TNotesPage::kAlignCenter:
        return Qt::AlignHCenter;
    default:
        return Qt::AlignLeft;
    }
}

} // namespace

TNotesPage::TNotesPage(QWidget* parent) : QWidget(parent)
{
    auto* page = new QVBoxLayout(this);
    page->setContentsMargins(0, 0, 0, 0);
    page->setSpacing(2);

    auto* toolbar = new QHBoxLayout;
    ToolbarLayout = toolbar;
    toolbar->setSpacing(1);
    page->addLayout(toolbar);
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
    TBColor->setObjectName("TBColor");
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
    toolbar->addWidget(ComboFontName);

    ComboFontSize = new QComboBox(this);
    ComboFontSize->setObjectName("ComboFontSize");
    ComboFontSize->setEditable(true);
    ComboFontSize->addItems({"8", "10", "12", "14", "17", "24"});
    // Inline completion would turn a typed "1" into "10".
    ComboFontSize->setCompleter(nullptr);
    ComboFontSize->setInsertPolicy(QComboBox::NoInsert);
    InstallKeyFilter(ComboFontSize->lineEdit(), {});
    ComboFontSize->setMinimumContentsLength(3);
    toolbar->addWidget(ComboFontSize);

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
    toolbar->addStretch(1);

    auto* info = new QGridLayout;
    info->setContentsMargins(4, 2, 4, 2);
    page->addLayout(info);
    EditDate = AddInfoEdit();
    EditSample = AddInfoEdit();
    EditVer = AddInfoEdit();
    EditFlyTime = AddInfoEdit();
    EditMaxAlt = AddInfoEdit();
    info->addWidget(new QLabel("Date:", this), 0, 0);
    info->addWidget(EditDate, 0, 1);
    info->addWidget(new QLabel("Sampling:", this), 0, 2);
    info->addWidget(EditSample, 0, 3);
    info->addWidget(new QLabel("ms", this), 0, 4);
    // The unit belongs to the sampling box; "Ver:" starts a field of its own.
    auto* labelVer = new QLabel("Ver:", this);
    labelVer->setContentsMargins(labelVer->fontMetrics().horizontalAdvance("    "), 0, 0, 0);
    info->addWidget(labelVer, 0, 5);
    info->addWidget(EditVer, 0, 6);
    info->addWidget(new QLabel("Flight time:", this), 1, 0);
    info->addWidget(EditFlyTime, 1, 1);
    info->addWidget(new QLabel("Max. height:", this), 1, 2);
    info->addWidget(EditMaxAlt, 1, 3);
    info->setColumnStretch(7, 1);

    Completion = new TDetailsCompletion(this);
    EditModel = AddDetailEdit("EditModel", "The model flown");
    EditSite = AddDetailEdit("EditSite", "The flying site");
    EditPilot = AddDetailEdit("EditPilot", "The pilot");
    EditTags = AddDetailEdit("EditTags", "Tags, separated by commas");
    const std::pair<QLineEdit*, QStringListModel*> completed[] = {{EditModel, Completion->Models},
                                                                  {EditSite, Completion->Sites},
                                                                  {EditPilot, Completion->Pilots}};
    for (const auto& [edit, values] : completed) {
        auto* completer = new QCompleter(values, edit);
        completer->setCaseSensitivity(Qt::CaseInsensitive);
        edit->setCompleter(completer);
    }
    // Tags complete one at a time: the one after the last comma.
    TagCompleter = new QCompleter(Completion->Tags, this);
    TagCompleter->setCaseSensitivity(Qt::CaseInsensitive);
    TagCompleter->setWidget(EditTags);
    connect(EditTags, &QLineEdit::textEdited, this, &TNotesPage::TagTyped);
    connect(TagCompleter, qOverload<const QString&>(&QCompleter::activated), this,
            &TNotesPage::TagChosen);
    info->addWidget(new QLabel("Model:", this), 2, 0);
    info->addWidget(EditModel, 2, 1);
    info->addWidget(new QLabel("Site:", this), 2, 2);
    info->addWidget(EditSite, 2, 3, 1, 4);
    info->addWidget(new QLabel("Pilot:", this), 3, 0);
    info->addWidget(EditPilot, 3, 1);
    info->addWidget(new QLabel("Tags:", this), 3, 2);
    info->addWidget(EditTags, 3, 3, 1, 4);

    StatsPanel = new TFlightStatsPanel(this);
    page->addWidget(StatsPanel);
    EventsPanel = new TFlightEventsPanel(this);
    page->addWidget(EventsPanel);
    connect(EventsPanel, &TFlightEventsPanel::StretchRequested, this,
            &TNotesPage::EventStretchRequested);

    RichEdit1 = new QTextEdit(this);
    RichEdit1->setObjectName("RichEdit1");
    RichEdit1->setAcceptRichText(true);
    RichEdit1->setTabChangesFocus(false);
    RichEdit1->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    // The selection stays visible while another control has the focus.
    QPalette pal = RichEdit1->palette();
    pal.setColor(QPalette::Inactive, QPalette::Highlight,
                 pal.color(QPalette::Active, QPalette::Highlight));
    pal.setColor(QPalette::Inactive, QPalette::HighlightedText,
                 pal.color(QPalette::Active, QPalette::HighlightedText));
    RichEdit1->setPalette(pal);
    RichEdit1->installEventFilter(this);
    RichEdit1->setContextMenuPolicy(Qt::CustomContextMenu);
    page->addWidget(RichEdit1, 1);

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
        {TBLeft, "TBLeft"},
        {TBCenter, "TBCenter"},
        {TBRight, "TBRight"},
        {EditDate, "EditDate"},
        {EditSample, "EditSample"},
        {EditVer, "EditVer"},
        {EditFlyTime, "EditFlyTime"},
        {EditMaxAlt, "EditMaxAlt"},
        {TagCompleter, "TagCompleter"},
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

    connect(TBPrint, &QToolButton::clicked, this, &TNotesPage::PrintNotes);
    connect(TBCut, &QToolButton::clicked, RichEdit1, &QTextEdit::cut);
    connect(TBCopy, &QToolButton::clicked, RichEdit1, &QTextEdit::copy);
    connect(TBPaste, &QToolButton::clicked, this, &TNotesPage::Paste);
    connect(TBUndo, &QToolButton::clicked, this, &TNotesPage::Undo);
    for (QToolButton* b : {TBBold, TBItalic, TBUnderline})
        connect(b, &QToolButton::clicked, this, [this, b] { StyleButtonClick(b); });
    connect(TBFont, &QToolButton::clicked, this, &TNotesPage::FontDialog);
    connect(TBColor, &QToolButton::clicked, this, &TNotesPage::ColorDialog);
    connect(ComboFontName, &QComboBox::activated, this, &TNotesPage::FontNameChange);
    connect(ComboFontSize, &QComboBox::editTextChanged, this, &TNotesPage::FontSizeChange);
    connect(ComboFontSize, &QComboBox::activated, this, [this] {
        FontSizeChange(ComboFontSize->currentText());
        RichEdit1->setFocus();
    });
    connect(AlignButtons, &QButtonGroup::idClicked, this, &TNotesPage::AlignClick);

    connect(RichEdit1, &QTextEdit::selectionChanged, this, &TNotesPage::RichEdit1SelectionChange);
    connect(RichEdit1, &QTextEdit::cursorPositionChanged, this,
            &TNotesPage::RichEdit1SelectionChange);
    connect(RichEdit1, &QTextEdit::currentCharFormatChanged, this,
            &TNotesPage::RichEdit1SelectionChange);
    connect(RichEdit1, &QTextEdit::undoAvailable, this, &TNotesPage::ApplicationIdle);
    connect(RichEdit1, &QWidget::customContextMenuRequested, this, &TNotesPage::PopupMenuPopup);
    connect(QApplication::clipboard(), &QClipboard::dataChanged, this,
            &TNotesPage::ApplicationIdle);
    connect(qApp, &QApplication::focusChanged, this, &TNotesPage::ApplicationIdle);

    RichEdit1SelectionChange();
}

TNotesPage::~TNotesPage()
{
    // Focus moves while the child widgets are destroyed; this page must no longer hear of it.
    disconnect(qApp, nullptr, this, nullptr);
    disconnect(QApplication::clipboard(), nullptr, this, nullptr);
    RichEdit1->removeEventFilter(this);
    disconnect(RichEdit1, nullptr, this, nullptr);
    disconnect(ComboFontSize, nullptr, this, nullptr);
}

QToolButton* TNotesPage::AddButton(const QString& text, const QString& hint)
{
    auto* b = new QToolButton(this);
    b->setText(text);
    b->setToolTip(hint);
    b->setFocusPolicy(Qt::NoFocus);
    b->setAutoRaise(true);
    ToolbarLayout->addWidget(b);
    return b;
}

QToolButton* TNotesPage::AddIconButton(const QString& hint, const QIcon& icon)
{
    // The hint stays the button's text for screen readers; only the icon shows.
    QToolButton* b = AddButton(hint, hint);
    b->setIcon(icon);
    b->setToolButtonStyle(Qt::ToolButtonIconOnly);
    return b;
}

QLineEdit* TNotesPage::AddDetailEdit(const char* name, const QString& hint)
{
    auto* e = new QLineEdit(this);
    e->setObjectName(name);
    e->setToolTip(hint);
    e->setMinimumWidth(e->fontMetrics().horizontalAdvance('x') * 24);
    e->setEnabled(false);
    return e;
}

void TNotesPage::ShowDetails(const TFlightDetails* details)
{
    const QScopedValueRollback loading(LoadingDetails, true);
    const TFlightDetails none;
    const TFlightDetails& d = details ? *details : none;
    EditModel->setText(QString::fromStdString(d.Model));
    EditSite->setText(QString::fromStdString(d.Site));
    EditPilot->setText(QString::fromStdString(d.Pilot));
    EditTags->setText(QString::fromStdString(JoinTags(d.Tags)));
    for (QLineEdit* e : {EditModel, EditSite, EditPilot, EditTags}) {
        e->setEnabled(details != nullptr);
        e->setCursorPosition(0);
    }
}

TDetailsEdit TNotesPage::EditedDetails(const TFlightDetails& details) const
{
    TDetailsEdit edit;
    const auto differs = [](const QLineEdit* e, const std::string& stored,
                            std::optional<std::string>& field) {
        const std::string text = e->text().toStdString();
        if (CleanDetailValue(text) != stored)
            field = text;
    };
    differs(EditModel, details.Model, edit.Model);
    differs(EditSite, details.Site, edit.Site);
    differs(EditPilot, details.Pilot, edit.Pilot);
    const std::string tags = EditTags->text().toStdString();
    if (SplitTags(CleanDetailValue(tags)) != details.Tags)
        edit.Tags = tags;
    return edit;
}

void TNotesPage::TagTyped(const QString& text)
{
    const QString last = text.section(',', -1).trimmed();
    if (last.isEmpty()) {
        TagCompleter->popup()->hide();
        return;
    }
    TagCompleter->setCompletionPrefix(last);
    if (TagCompleter->completionCount() > 0)
        TagCompleter->complete();
    else
        TagCompleter->popup()->hide();
}

void TNotesPage::TagChosen(const QString& tag)
{
    const QString text = EditTags->text();
    const qsizetype comma = text.lastIndexOf(',');
    EditTags->setText(comma < 0 ? tag : text.left(comma + 1) + " " + tag);
    // The choice is an edit like a typed one.
    emit EditTags->textEdited(EditTags->text());
    TagCompleter->popup()->hide();
}

QLineEdit* TNotesPage::AddInfoEdit()
{
    auto* e = new QLineEdit(this);
    e->setReadOnly(true);
    e->setFocusPolicy(Qt::ClickFocus);
    QPalette pal = e->palette();
    pal.setColor(QPalette::Base, pal.color(QPalette::Window));
    e->setPalette(pal);
    // The box is never narrower than its text, so a date or a flight time shows whole.
    connect(e, &QLineEdit::textChanged, e, [e](const QString& text) {
        QStyleOptionFrame option;
        option.initFrom(e);
        option.lineWidth = e->style()->pixelMetric(QStyle::PM_DefaultFrameWidth, &option, e);
        const QMargins margins = e->textMargins() + e->contentsMargins();
        // QLineEdit keeps 2 pixels each side of its text, and one for the cursor.
        const int inner =
            e->fontMetrics().horizontalAdvance(text) + 2 * 2 + 1 + margins.left() + margins.right();
        const QSize size = e->style()->sizeFromContents(QStyle::CT_LineEdit, &option,
                                                        QSize(inner, e->fontMetrics().height()), e);
        e->setMinimumWidth(size.width());
    });
    return e;
}

void TNotesPage::BuildContextMenu()
{
    PopupMenu = new QMenu(this);
    mnuPrint = PopupMenu->addAction("Tisk", this, &TNotesPage::PrintNotes);
    mnuCut = PopupMenu->addAction("Vyjmout", RichEdit1, &QTextEdit::cut);
    mnuCopy = PopupMenu->addAction("Kopírovat", RichEdit1, &QTextEdit::copy);
    mnuPaste = PopupMenu->addAction("Vložit", this, &TNotesPage::Paste);
    mnuUndo = PopupMenu->addAction("Zpět", this, &TNotesPage::Undo);
    mnuFont = PopupMenu->addAction("Font", this, &TNotesPage::FontDialog);
    mnuColor = PopupMenu->addAction(kColorMenu, this, &TNotesPage::ColorDialog);
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

void TNotesPage::SetInfo(const QString& date, const QString& sampling, const QString& ver,
                         const QString& flightTime, const QString& maxHeight)
{
    EditDate->setText(date);
    EditSample->setText(sampling);
    EditVer->setText(ver);
    EditFlyTime->setText(flightTime);
    EditMaxAlt->setText(maxHeight);
}

void TNotesPage::ClearInfo()
{
    for (QLineEdit* e : {EditDate, EditSample, EditVer, EditFlyTime, EditMaxAlt})
        e->clear();
}

void TNotesPage::LoadNotes(const std::string& bytes)
{
    const QScopedValueRollback loading(LoadingNotes, true);
    LoadNotesDocument(bytes, *RichEdit1->document());
    RichEdit1->moveCursor(QTextCursor::Start);
    RichEdit1SelectionChange();
}

bool TNotesPage::NotesModified() const
{
    return RichEdit1->document()->isModified();
}

std::string TNotesPage::SaveNotes() const
{
    return WriteRtf(*RichEdit1->document());
}

void TNotesPage::ClearNotes()
{
    const QScopedValueRollback loading(LoadingNotes, true);
    LoadNotesDocument({}, *RichEdit1->document());
    RichEdit1->setCurrentCharFormat(QTextCharFormat());
    RichEdit1SelectionChange();
}

int TNotesPage::CurrentAlignTag() const
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

void TNotesPage::RichEdit1SelectionChange()
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

QColor TNotesPage::SelectionColor() const
{
    const QBrush brush = RichEdit1->currentCharFormat().foreground();
    return brush.style() != Qt::NoBrush ? brush.color()
                                        : RichEdit1->palette().color(QPalette::Text);
}

void TNotesPage::ColorDialog()
{
    QColor color = SelectionColor();
    if (!Dialogs().ChooseColor(this, color))
        return;
    QTextCharFormat f;
    f.setForeground(color);
    ApplyFormat(f);
    RichEdit1SelectionChange();
}

void TNotesPage::ApplicationIdle()
{
    if (!RichEdit1->hasFocus())
        return;
    TBUndo->setEnabled(RichEdit1->document()->isUndoAvailable());
    TBPaste->setEnabled(RichEdit1->canPaste());
}

void TNotesPage::ApplyFormat(const QTextCharFormat& format)
{
    RichEdit1->mergeCurrentCharFormat(format);
}

void TNotesPage::StyleButtonClick(QToolButton* button)
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

void TNotesPage::FontDialog()
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

void TNotesPage::FontNameChange(int index)
{
    if (UpdatingFormat || index < 0)
        return;
    QTextCharFormat f;
    f.setFontFamilies({ComboFontName->itemText(index)});
    ApplyFormat(f);
    RichEdit1->setFocus();
}

void TNotesPage::FontSizeChange(const QString& text)
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

void TNotesPage::AlignClick(int tag)
{
    if (UpdatingFormat)
        return;
    RichEdit1->setAlignment(AlignmentOfTag(tag));
    RichEdit1SelectionChange();
}

void TNotesPage::Paste()
{
    QTextCharFormat f;
    f.setFontFamilies({kPasteFont});
    ApplyFormat(f);
    RichEdit1->paste();
    RichEdit1->setFocus();
}

void TNotesPage::Undo()
{
    if (RichEdit1 != nullptr)
        RichEdit1->undo();
}

void TNotesPage::PopupMenuPopup(const QPoint& pos)
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

void TNotesPage::PrintNotes()
{
    QPrinter printer(QPrinter::HighResolution);
    printer.setDocName(QString());
    SetHeaderedPrintDefaults(printer);
    if (!Dialogs().SetupPrinter(this, printer))
        return;
    const auto fail = [this](const QString& why) {
        Dialogs().ShowError(this, QString(kMsgPrintFailed) + "\n" + why);
    };
    QPainter painter;
    if (!painter.begin(&printer)) {
        fail(tr("The printer could not be started."));
        return;
    }
    std::unique_ptr<QTextDocument> doc(RichEdit1->document()->clone());
    doc->documentLayout()->setPaintDevice(&printer);
    const TPrintHeader header(printer, PrintHeaderOfNotes());
    const QRectF area = header.ContentArea();
    doc->setPageSize(area.size());
    const int pages = doc->pageCount();
    for (int i = 0; i < pages; ++i) {
        if (i > 0 && !printer.newPage()) {
            painter.end();
            fail(tr("The printer refused a new page."));
            return;
        }
        header.Paint(painter);
        painter.save();
        painter.translate(area.left(), area.top() - i * area.height());
        doc->drawContents(&painter, QRectF(0, i * area.height(), area.width(), area.height()));
        painter.restore();
    }
    if (!painter.end())
        fail(tr("The print job could not be finished."));
}

bool TNotesPage::EditorKey(int key, Qt::KeyboardModifiers modifiers)
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

bool TNotesPage::eventFilter(QObject* watched, QEvent* event)
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
