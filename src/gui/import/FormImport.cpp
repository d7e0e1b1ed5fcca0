#include "gui/import/FormImport.h"

#include "core/app/TextCodec.h"
#include "core/import/ImportPlan.h"
#include "gui/services/UserDialogs.h"

#include <QComboBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace zirko {

namespace {

QString FromFile(const std::string& bytes)
{
    return QString::fromStdString(DecodeFileText(bytes));
}

// The boxes' first two entries; the columns follow, each with its name's bytes as data.
constexpr int kAutomatic = 0;
constexpr int kNone = 1;

} // namespace

TFormImport::TFormImport(QWidget* parent) : QDialog(parent)
{
    setObjectName("FormImport");
    setWindowTitle("Import flights");
    resize(760, 440);
    ListFlights = new QTreeWidget;
    ListFlights->setObjectName("ListFlights");
    ListFlights->setRootIsDecorated(false);
    ListFlights->setHeaderLabels({"File", "Start", "Duration", "Samples", "Columns"});
    ListFlights->header()->setStretchLastSection(true);
    LabelFile = new QLabel;
    LabelFile->setObjectName("LabelFile");
    ComboAltitude = new QComboBox;
    ComboAltitude->setObjectName("ComboAltitude");
    ComboServo = new QComboBox;
    ComboServo->setObjectName("ComboServo");
    ComboVoltage = new QComboBox;
    ComboVoltage->setObjectName("ComboVoltage");
    EditFolder = new QLineEdit;
    EditFolder->setObjectName("EditFolder");
    ButtonFolder = new QPushButton("Browse...");
    ButtonFolder->setObjectName("ButtonFolder");
    LabelCount = new QLabel;
    LabelCount->setObjectName("LabelCount");
    ButtonImport = new QPushButton("Import");
    ButtonImport->setObjectName("ButtonImport");
    ButtonImport->setDefault(true);
    ButtonCancel = new QPushButton("Cancel");
    ButtonCancel->setObjectName("ButtonCancel");

    auto* choice = new QFormLayout;
    choice->addRow("Columns of:", LabelFile);
    choice->addRow("Altitude:", ComboAltitude);
    choice->addRow("Servo:", ComboServo);
    choice->addRow("Voltage:", ComboVoltage);
    auto* folderRow = new QHBoxLayout;
    folderRow->addWidget(EditFolder, 1);
    folderRow->addWidget(ButtonFolder);
    choice->addRow("Save to:", folderRow);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(LabelCount, 1);
    buttons->addWidget(ButtonImport);
    buttons->addWidget(ButtonCancel);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(new QLabel("Flights found:"));
    layout->addWidget(ListFlights, 1);
    layout->addLayout(choice);
    layout->addLayout(buttons);

    connect(ListFlights, &QTreeWidget::currentItemChanged, this, [this] {
        if (!Filling)
            ShowChoice();
    });
    for (QComboBox* box : {ComboAltitude, ComboServo, ComboVoltage})
        connect(box, &QComboBox::currentIndexChanged, this, [this] {
            if (!Filling)
                ChoiceChanged();
        });
    connect(EditFolder, &QLineEdit::textChanged, this, [this] { UpdateButtons(); });
    connect(ButtonFolder, &QPushButton::clicked, this, [this] { ChooseFolder(); });
    connect(ButtonImport, &QPushButton::clicked, this, &QDialog::accept);
    connect(ButtonCancel, &QPushButton::clicked, this, &QDialog::reject);
}

void TFormImport::SetPlan(TImportPlan* plan, const QString& folder, char decimalSeparator)
{
    Plan = plan;
    Separator = decimalSeparator;
    ShownFile = -1;
    ShownColumns.clear();
    EditFolder->setText(folder);
    ShowPreview();
}

QString TFormImport::Folder() const
{
    return EditFolder->text().trimmed();
}

int TFormImport::CurrentFile() const
{
    const QTreeWidgetItem* item = ListFlights->currentItem();
    return item ? item->data(0, Qt::UserRole).toInt() : (Plan && Plan->FileCount() ? 0 : -1);
}

void TFormImport::ShowPreview()
{
    const int keep = ShownFile;
    Filling = true;
    ListFlights->clear();
    QTreeWidgetItem* current = nullptr;
    if (Plan) {
        for (const TImportPreviewRow& row : Plan->Preview(Separator)) {
            auto* item = new QTreeWidgetItem(ListFlights);
            item->setText(0, FromFile(row.FileName));
            item->setToolTip(0, FromFile(Plan->File(row.File)));
            item->setData(0, Qt::UserRole, static_cast<int>(row.File));
            item->setText(1, QString::fromStdString(row.Start));
            item->setText(2, QString::fromStdString(row.Duration));
            if (!row.Refused)
                item->setText(3, QString::number(row.Samples));
            item->setText(4, FromFile(row.Columns));
            item->setToolTip(4, item->text(4));
            if (row.Refused)
                for (int c = 0; c < 5; ++c)
                    item->setForeground(c, Qt::red);
            if (!current && static_cast<int>(row.File) == std::max(keep, 0))
                current = item;
        }
    }
    for (int c = 0; c < 4; ++c)
        ListFlights->resizeColumnToContents(c);
    if (current)
        ListFlights->setCurrentItem(current);
    Filling = false;
    ShowChoice();
}

void TFormImport::ShowChoice()
{
    const int file = CurrentFile();
    const bool any = Plan && file >= 0;
    const std::vector<std::string> columns =
        any ? Plan->Source(static_cast<size_t>(file)).Columns : std::vector<std::string>{};
    // The boxes are filled anew only for other columns: a choice made in a box leaves its list.
    const bool refill = file != ShownFile || columns != ShownColumns || ComboServo->count() == 0;
    ShownFile = file;
    ShownColumns = columns;
    Filling = true;
    LabelFile->setText(any ? FromFile(ImportBaseFileName(Plan->File(static_cast<size_t>(file))))
                           : QString());
    const TColumnChoice choice = any ? Plan->Choice(static_cast<size_t>(file)) : TColumnChoice{};
    const std::pair<QComboBox*, const std::optional<std::string>*> boxes[] = {
        {ComboAltitude, &choice.Altitude},
        {ComboServo, &choice.Servo},
        {ComboVoltage, &choice.Voltage}};
    for (const auto& [box, chosen] : boxes) {
        if (refill) {
            box->clear();
            box->addItem("Automatic");
            box->addItem("(none)");
            for (const std::string& column : columns)
                box->addItem(FromFile(column), QByteArray::fromStdString(column));
        }
        box->setEnabled(any);
        int index = kAutomatic;
        if (chosen->has_value())
            index = (*chosen)->empty() ? kNone : box->findData(QByteArray::fromStdString(**chosen));
        box->setCurrentIndex(std::max(index, kAutomatic));
    }
    Filling = false;
    UpdateButtons();
}

void TFormImport::ChoiceChanged()
{
    const int file = CurrentFile();
    if (!Plan || file < 0)
        return;
    auto read = [](QComboBox* box) -> std::optional<std::string> {
        if (box->currentIndex() == kAutomatic)
            return std::nullopt;
        if (box->currentIndex() == kNone)
            return std::string();
        return box->currentData().toByteArray().toStdString();
    };
    TColumnChoice choice;
    choice.Altitude = read(ComboAltitude);
    choice.Servo = read(ComboServo);
    choice.Voltage = read(ComboVoltage);
    Plan->SetChoice(static_cast<size_t>(file), choice);
    ShowPreview();
}

void TFormImport::ChooseFolder()
{
    const QString folder =
        Dialogs().GetExistingDirectory(this, "Save imported flights to", Folder());
    if (!folder.isEmpty())
        EditFolder->setText(folder);
}

void TFormImport::UpdateButtons()
{
    const size_t flights = Plan ? Plan->FlightCount() : 0;
    LabelCount->setText(flights == 1 ? QString("1 flight to import")
                                     : QString("%1 flights to import").arg(flights));
    ButtonImport->setEnabled(flights > 0 && !Folder().isEmpty());
}

} // namespace zirko
