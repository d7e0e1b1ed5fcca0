#include "gui/graph/FormAnnotEdit.h"

#include "core/app/NumberFormat.h"
#include "gui/services/KeyFilter.h"
#include "gui/services/UserLocale.h"
#include "gui/services/WinStates.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QPushButton>
#include <QVBoxLayout>

namespace zirko {

namespace {
double NumberOf(const QLineEdit* edit)
{
    return ParseUserNumberDef(edit->text().toStdString(), UserDecimalSeparator(), 0);
}
} // namespace

TFormAnnotEdit::TFormAnnotEdit(QWidget* parent) : QDialog(parent)
{
    setObjectName("FormAnnotEdit");
    setWindowTitle("Edit Annotation");
    EditTime = new QLineEdit(this);
    EditTime->setObjectName("EditTime");
    EditAlt = new QLineEdit(this);
    EditAlt->setObjectName("EditAlt");
    EditText = new QLineEdit(this);
    EditText->setObjectName("EditText");
    InstallNumberKeyFilter(EditTime);
    InstallNumberKeyFilter(EditAlt);
    for (QLineEdit* e : {EditTime, EditAlt, EditText})
        e->installEventFilter(this);
    auto bold = [this](const char* text) {
        auto* l = new QLabel(text, this);
        QFont f = l->font();
        f.setBold(true);
        l->setFont(f);
        return l;
    };
    auto* grid = new QGridLayout;
    grid->addWidget(bold("Coordinates:"), 0, 0, 1, 3);
    grid->addWidget(new QLabel("Time:"), 1, 0);
    grid->addWidget(EditTime, 1, 1);
    grid->addWidget(new QLabel("sec"), 1, 2);
    grid->addWidget(new QLabel("Altitude:"), 2, 0);
    grid->addWidget(EditAlt, 2, 1);
    grid->addWidget(new QLabel("m"), 2, 2);
    grid->addWidget(bold("Text:"), 3, 0, 1, 3);
    grid->addWidget(EditText, 4, 0, 1, 3);
    ButtonOk = new QPushButton("Ok", this);
    ButtonCancel = new QPushButton("Cancel", this);
    ButtonOk->setDefault(true);
    ButtonCancel->setAutoDefault(false);
    connect(ButtonOk, &QPushButton::clicked, this, &QDialog::accept);
    connect(ButtonCancel, &QPushButton::clicked, this, &QDialog::reject);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(ButtonOk);
    buttons->addWidget(ButtonCancel);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(grid);
    layout->addLayout(buttons);
    setMinimumWidth(280);
}

void TFormAnnotEdit::Fill(const QString& time, const QString& altitude, const QString& text)
{
    EditTime->setText(time);
    EditAlt->setText(altitude);
    EditText->setText(text);
}

double TFormAnnotEdit::TimeValue() const
{
    return NumberOf(EditTime);
}

double TFormAnnotEdit::AltitudeValue() const
{
    return NumberOf(EditAlt);
}

QString TFormAnnotEdit::TextValue() const
{
    return EditText->text();
}

void TFormAnnotEdit::done(int result)
{
    // An annotation always has some text: an empty one is stored as a single blank.
    if (EditText->text().isEmpty())
        EditText->setText(" ");
    QDialog::done(result);
}

bool TFormAnnotEdit::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::KeyPress) {
        auto* key = static_cast<QKeyEvent*>(event);
        if (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) {
            // Entered as by Tab, so the field's text is selected and typing replaces it.
            if (watched == EditTime)
                EditAlt->setFocus(Qt::TabFocusReason);
            else if (watched == EditAlt)
                EditText->setFocus(Qt::TabFocusReason);
            else if (watched == EditText)
                ButtonOk->setFocus();
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

void TFormAnnotEdit::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    WinStates().RestoreWindowState(this);
}

} // namespace zirko
