#include "gui/graph/FormAnnot.h"

#include "core/app/NumberFormat.h"
#include "core/shell/Assertion.h"
#include "gui/graph/FormAnnotEdit.h"
#include "gui/services/UserDialogs.h"
#include "gui/services/UserLocale.h"
#include "gui/services/WinStates.h"

#include <QComboBox>
#include <QHBoxLayout>
#include <QListWidget>
#include <QLocale>
#include <QPushButton>
#include <QVBoxLayout>

namespace zirko {

namespace {
QString Display(double value)
{
    return QString::fromStdString(FormatDisplay(value, 1, UserDecimalSeparator()));
}
} // namespace

TFormAnnot::TFormAnnot(TAnnotationHost& host, TFormAnnotEdit& editor, QWidget* parent)
    : QDialog(parent), Host(host), Editor(editor)
{
    setObjectName("FormAnnot");
    setWindowTitle("Annotations");
    setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint);
    ComboBox1 = new QComboBox(this);
    ComboBox1->setObjectName("ComboBox1");
    ListBox1 = new QListWidget(this);
    ListBox1->setObjectName("ListBox1");
    ButtonAdd = new QPushButton("New", this);
    ButtonAdd->setObjectName("ButtonAdd");
    ButtonModify = new QPushButton("Modify", this);
    ButtonModify->setObjectName("ButtonModify");
    ButtonDelete = new QPushButton("Delete", this);
    ButtonDelete->setObjectName("ButtonDelete");
    ButtonClose = new QPushButton("Close", this);
    QFont bold = ButtonClose->font();
    bold.setBold(true);
    ButtonClose->setFont(bold);
    auto* buttons = new QVBoxLayout;
    buttons->addWidget(ButtonAdd);
    buttons->addWidget(ButtonModify);
    buttons->addWidget(ButtonDelete);
    buttons->addStretch(1);
    buttons->addWidget(ButtonClose);
    auto* row = new QHBoxLayout;
    row->addWidget(ListBox1, 1);
    row->addLayout(buttons);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(ComboBox1);
    layout->addLayout(row);
    resize(380, 260);
    connect(ComboBox1, &QComboBox::currentIndexChanged, this, &TFormAnnot::Refresh);
    connect(ListBox1, &QListWidget::currentRowChanged, this, &TFormAnnot::UpdateButtons);
    connect(ButtonAdd, &QPushButton::clicked, this, &TFormAnnot::New);
    connect(ButtonModify, &QPushButton::clicked, this, &TFormAnnot::Modify);
    connect(ButtonDelete, &QPushButton::clicked, this, &TFormAnnot::Delete);
    connect(ButtonClose, &QPushButton::clicked, this, &QDialog::accept);
}

void TFormAnnot::ShowAnnotationList(int row)
{
    ComboBox1->blockSignals(true);
    ComboBox1->clear();
    for (int r = 0; r < Host.AnnotFlightCount(); ++r)
        ComboBox1->addItem(Host.AnnotFlightName(r));
    ComboBox1->setCurrentIndex(row >= 0 && row < ComboBox1->count() ? row : -1);
    ComboBox1->blockSignals(false);
    Refresh();
    Dialogs().Exec(*this);
}

void TFormAnnot::Refresh()
{
    ListBox1->clear();
    const int row = ComboBox1->currentIndex();
    if (row >= 0 && Host.AnnotFlightExists(row)) {
        for (int i = 0; i < Host.AnnotCount(row); ++i)
            ListBox1->addItem(Host.AnnotLabel(row, i));
        if (ListBox1->count() > 0)
            ListBox1->setCurrentRow(0);
    }
    UpdateButtons();
}

void TFormAnnot::UpdateButtons()
{
    const bool selected = ListBox1->count() > 0 && ListBox1->currentRow() >= 0;
    ButtonModify->setEnabled(selected);
    ButtonDelete->setEnabled(selected);
}

int TFormAnnot::SelectedFlight(const char* assertion)
{
    const int row = ComboBox1->currentIndex();
    if (!ZIRKO_ASSERT(row >= 0 && Host.AnnotFlightExists(row), assertion, "Annot")) {
        // With no flight there is nothing to add to: say so instead of failing silently.
        Dialogs().ShowError(this, "Pointer not found!");
        return -1;
    }
    return row;
}

void TFormAnnot::AppendFromEditor(int row)
{
    Host.AnnotAppend(row, Editor.TimeValue(), Editor.AltitudeValue(), Editor.TextValue());
    ListBox1->addItem(Editor.TextValue());
    ListBox1->setCurrentRow(ListBox1->count() - 1);
    UpdateButtons();
}

void TFormAnnot::New()
{
    if (ComboBox1->currentIndex() < 0) {
        Dialogs().ShowError(this, "Pointer not found!");
        return;
    }
    Editor.Fill("0", "0", "");
    if (Dialogs().Exec(Editor) != QDialog::Accepted)
        return;
    const int row = SelectedFlight("P=nil in FormAnnot.ComboBox1Change");
    if (row >= 0)
        AppendFromEditor(row);
}

void TFormAnnot::Modify()
{
    const int i = ListBox1->currentRow();
    const int row = SelectedFlight("P=nil in FormAnnot.ComboBox1Change");
    if (row < 0 || i < 0 || i >= Host.AnnotCount(row))
        return;
    Editor.Fill(Display(Host.AnnotX(row, i)), Display(Host.AnnotY(row, i)),
                Host.AnnotLabel(row, i));
    if (Dialogs().Exec(Editor) != QDialog::Accepted)
        return;
    Delete();
    AppendFromEditor(row);
}

void TFormAnnot::Delete()
{
    const int row = SelectedFlight("P=nil in FormAnnot.ComboBox1Change");
    const int i = ListBox1->currentRow();
    if (row < 0 || i < 0 || i >= Host.AnnotCount(row))
        return;
    Host.AnnotDelete(row, i);
    delete ListBox1->takeItem(i);
    if (ListBox1->count() == 0)
        ListBox1->setCurrentRow(-1);
    else if (i > 0 && i > ListBox1->count() - 1)
        ListBox1->setCurrentRow(i - 1);
    else
        ListBox1->setCurrentRow(std::min(i, ListBox1->count() - 1));
    UpdateButtons();
}

void TFormAnnot::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    WinStates().RestoreWindowState(this);
}

} // namespace zirko
