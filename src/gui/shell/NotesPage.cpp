#include "gui/shell/NotesPage.h"

#include "gui/services/PrintHeader.h"
#include "gui/services/UserDialogs.h"
#include "gui/shell/DetailsCompletion.h"
#include "gui/shell/FlightEventsPanel.h"
#include "gui/shell/FlightStatsPanel.h"
#include "gui/shell/NotesToolbar.h"
#include "platform/richtext/RtfReader.h"
#include "platform/richtext/RtfWriter.h"

#include <QAbstractItemView>
#include <QAbstractTextDocumentLayout>
#include <QCompleter>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPrinter>
#include <QScopedValueRollback>
#include <QStringListModel>
#include <QStyleOptionFrame>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextEdit>
#include <QVBoxLayout>
#include <utility>

#include <memory>

namespace zirko {

namespace {

const char* const kMsgPrintFailed = "Error by Printig richedit!";

} // namespace

TNotesPage::TNotesPage(QWidget* parent) : QWidget(parent)
{
    auto* page = new QVBoxLayout(this);
    page->setContentsMargins(0, 0, 0, 0);
    page->setSpacing(2);

    // The editor is made first, without a parent, for the bar to serve; it joins the page (and
    // its focus order) last, below the panels.
    RichEdit1 = new QTextEdit;
    Toolbar = new TNotesToolbar(*RichEdit1, this);
    page->addWidget(Toolbar);
    connect(Toolbar, &TNotesToolbar::PrintRequested, this, &TNotesPage::PrintNotes);

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

    page->addWidget(RichEdit1, 1);
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

    // The names the user's tools find the controls by.
    const std::pair<QObject*, const char*> named[] = {
        {EditDate, "EditDate"},       {EditSample, "EditSample"}, {EditVer, "EditVer"},
        {EditFlyTime, "EditFlyTime"}, {EditMaxAlt, "EditMaxAlt"}, {TagCompleter, "TagCompleter"},
    };
    for (const auto& [control, name] : named)
        control->setObjectName(name);

    Toolbar->RichEdit1SelectionChange();
}

TNotesPage::~TNotesPage()
{
    // The bar listens to the editor, so it goes before the editor does.
    delete Toolbar;
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
    Toolbar->RichEdit1SelectionChange();
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
    Toolbar->RichEdit1SelectionChange();
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

} // namespace zirko
