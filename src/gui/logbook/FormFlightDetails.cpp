#include "gui/logbook/FormFlightDetails.h"

#include <QCompleter>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QVBoxLayout>

namespace zirko {

namespace {

constexpr const char* kVarious = "(various: left as they are unless you type)";

QLineEdit* NewField(const char* name, QFormLayout* form, const char* label, bool& changed)
{
    auto* edit = new QLineEdit;
    edit->setObjectName(name);
    edit->setMinimumWidth(edit->fontMetrics().horizontalAdvance(kVarious) + 24);
    form->addRow(label, edit);
    QObject::connect(edit, &QLineEdit::textEdited, edit, [&changed] { changed = true; });
    return edit;
}

void Offer(QLineEdit* edit, const QStringList& values)
{
    auto* completer = new QCompleter(values, edit);
    completer->setCaseSensitivity(Qt::CaseInsensitive);
    completer->setFilterMode(Qt::MatchContains);
    delete edit->completer();
    edit->setCompleter(completer);
}

// The common value of the flights, or nothing when they differ.
template <typename Get>
std::optional<std::string> Common(const std::vector<TFlightDetails>& flights, Get get)
{
    if (flights.empty())
        return std::string();
    const std::string first = get(flights.front());
    for (const auto& f : flights)
        if (get(f) != first)
            return std::nullopt;
    return first;
}

void Show(QLineEdit* edit, const std::optional<std::string>& value)
{
    edit->setText(value ? QString::fromStdString(*value) : QString());
    edit->setPlaceholderText(value ? QString() : QString(kVarious));
}

} // namespace

TFormFlightDetails::TFormFlightDetails(QWidget* parent) : QDialog(parent)
{
    setObjectName("FormFlightDetails");
    setWindowTitle("Flight details");
    auto* layout = new QVBoxLayout(this);
    LabelFlights = new QLabel;
    LabelFlights->setObjectName("LabelFlights");
    LabelFlights->setWordWrap(true);
    layout->addWidget(LabelFlights);
    auto* form = new QFormLayout;
    EditModel = NewField("EditModel", form, "Model:", ModelChanged);
    EditSite = NewField("EditSite", form, "Site:", SiteChanged);
    EditPilot = NewField("EditPilot", form, "Pilot:", PilotChanged);
    EditTags = NewField("EditTags", form, "Tags (comma-separated):", TagsChanged);
    layout->addLayout(form);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
    buttons->setObjectName("ButtonBox");
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    layout->addWidget(buttons);
}

void TFormFlightDetails::Prepare(const std::vector<TFlightDetails>& flights,
                                 const TUsedValues& used)
{
    ModelChanged = SiteChanged = PilotChanged = TagsChanged = false;
    LabelFlights->setText(flights.size() == 1
                              ? QString("The details of 1 flight:")
                              : QString("The details of %1 flights:").arg(flights.size()));
    Show(EditModel, Common(flights, [](const TFlightDetails& d) { return d.Model; }));
    Show(EditSite, Common(flights, [](const TFlightDetails& d) { return d.Site; }));
    Show(EditPilot, Common(flights, [](const TFlightDetails& d) { return d.Pilot; }));
    Show(EditTags, Common(flights, [](const TFlightDetails& d) { return JoinTags(d.Tags); }));
    Offer(EditModel, used.Models);
    Offer(EditSite, used.Sites);
    Offer(EditPilot, used.Pilots);
    Offer(EditTags, used.Tags);
    EditModel->setFocus();
}

TDetailsEdit TFormFlightDetails::Edit() const
{
    TDetailsEdit edit;
    if (ModelChanged)
        edit.Model = EditModel->text().toStdString();
    if (SiteChanged)
        edit.Site = EditSite->text().toStdString();
    if (PilotChanged)
        edit.Pilot = EditPilot->text().toStdString();
    if (TagsChanged)
        edit.Tags = EditTags->text().toStdString();
    return edit;
}

} // namespace zirko
