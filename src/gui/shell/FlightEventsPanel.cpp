#include "gui/shell/FlightEventsPanel.h"

#include "core/analysis/EventsTable.h"
#include "gui/services/UserLocale.h"
#include "model/flightdata/OpenFlights.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QListWidget>
#include <QTableWidget>
#include <QVBoxLayout>

#include <algorithm>

namespace zirko {

namespace {

// The summary has at most this many lines.
constexpr int kSummaryLines = 6;

// Where an item's stretch of the flight is kept.
constexpr int kFromRole = Qt::UserRole;
constexpr int kToRole = Qt::UserRole + 1;

void KeepStretch(QTableWidgetItem* item, double from, double to)
{
    item->setData(kFromRole, from);
    item->setData(kToRole, to);
}

} // namespace

TFlightEventsPanel::TFlightEventsPanel(QWidget* parent) : QWidget(parent)
{
    setObjectName("FlightEventsPanel");
    auto* row = new QHBoxLayout(this);
    row->setContentsMargins(4, 2, 4, 2);

    auto* summary = new QVBoxLayout;
    summary->setSpacing(0);
    for (int i = 0; i < kSummaryLines; ++i) {
        auto* line = new QLabel(this);
        line->setObjectName(QString("LabelEventsSummary%1").arg(i));
        line->setTextInteractionFlags(Qt::TextSelectableByMouse);
        summary->addWidget(line);
        SummaryLines.push_back(line);
    }
    summary->addStretch(1);
    row->addLayout(summary);

    ListWarnings = new QListWidget(this);
    ListWarnings->setObjectName("ListWarnings");
    ListWarnings->setToolTip("Warnings; a double click shows the stretch on the graph");
    ListWarnings->setSelectionMode(QAbstractItemView::SingleSelection);
    row->addWidget(ListWarnings, 1);

    TableEvents = new QTableWidget(this);
    TableEvents->setObjectName("TableEvents");
    TableEvents->setToolTip("Motor runs and phases; a double click shows the stretch on the graph");
    TableEvents->setEditTriggers(QAbstractItemView::NoEditTriggers);
    TableEvents->setSelectionBehavior(QAbstractItemView::SelectRows);
    TableEvents->setSelectionMode(QAbstractItemView::SingleSelection);
    TableEvents->setWordWrap(false);
    TableEvents->verticalHeader()->hide();
    // A long flight has thousands of motor runs: the columns are measured on the first rows only,
    // and the rows keep one height.
    TableEvents->horizontalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
    TableEvents->horizontalHeader()->setResizeContentsPrecision(100);
    TableEvents->horizontalHeader()->setSectionsClickable(false);
    TableEvents->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    TableEvents->verticalHeader()->setMinimumSectionSize(1);
    TableEvents->verticalHeader()->setDefaultSectionSize(TableEvents->fontMetrics().height() + 4);
    // As wide as its columns where the page has the room; the warnings take what is left.
    TableEvents->setSizeAdjustPolicy(QAbstractScrollArea::AdjustToContents);
    TableEvents->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    QStringList headers;
    for (const std::string& h : EventsHeaders())
        headers << QString::fromStdString(h);
    TableEvents->setColumnCount(static_cast<int>(headers.size()));
    TableEvents->setHorizontalHeaderLabels(headers);
    row->addWidget(TableEvents);

    // As high as the summary's lines or kShownRows rows of the table, whichever is more.
    const int rowHeight = TableEvents->verticalHeader()->defaultSectionSize();
    const int tableHeight = TableEvents->horizontalHeader()->sizeHint().height() +
                            kShownRows * rowHeight + 2 * TableEvents->frameWidth();
    const int summaryHeight = SummaryLines.front()->sizeHint().height() * kSummaryLines + 4;
    setFixedHeight(std::max(tableHeight, summaryHeight) + 4);

    connect(TableEvents, &QTableWidget::itemDoubleClicked, this, [this](QTableWidgetItem* item) {
        if (Row >= 0 && item)
            emit StretchRequested(Row, item->data(kFromRole).toDouble(),
                                  item->data(kToRole).toDouble());
    });
    connect(ListWarnings, &QListWidget::itemDoubleClicked, this, [this](QListWidgetItem* item) {
        if (Row >= 0 && item)
            emit StretchRequested(Row, item->data(kFromRole).toDouble(),
                                  item->data(kToRole).toDouble());
    });
    Clear();
}

void TFlightEventsPanel::Observe(TOpenFlights& flights)
{
    Flights = &flights;
    connect(&flights, &TOpenFlights::CurrentChanged, this, &TFlightEventsPanel::ShowRow);
    connect(&flights, &TOpenFlights::EventsChanged, this,
            [this] { ShowRow(Flights->ActualRow()); });
    connect(&flights, &TOpenFlights::FlightSaved, this, [this](int row) {
        if (row == Row)
            ShowRow(row);
    });
    connect(&flights, &TOpenFlights::FlightClosed, this, [this] { ShowRow(Flights->ActualRow()); });
    ShowRow(flights.ActualRow());
}

void TFlightEventsPanel::ShowSummary(const QStringList& lines)
{
    for (size_t i = 0; i < SummaryLines.size(); ++i) {
        const bool used = static_cast<qsizetype>(i) < lines.size();
        SummaryLines[i]->setText(used ? lines[static_cast<qsizetype>(i)] : QString());
        SummaryLines[i]->setVisible(used);
    }
}

QString TFlightEventsPanel::SummaryText() const
{
    QStringList lines;
    for (const QLabel* line : SummaryLines)
        if (!line->isHidden())
            lines << line->text();
    return lines.join('\n');
}

void TFlightEventsPanel::Clear()
{
    Row = -1;
    ShowSummary({"Events: no flight"});
    ListWarnings->clear();
    TableEvents->setRowCount(0);
}

void TFlightEventsPanel::ShowRow(int row)
{
    const TFlightEvents* events = Flights ? Flights->Events(row) : nullptr;
    if (!events) {
        Clear();
        return;
    }
    Row = row;
    const char sep = UserDecimalSeparator();
    QStringList summary;
    for (const std::string& line : EventsSummary(*events, sep))
        summary << QString::fromStdString(line);
    ShowSummary(summary);

    ListWarnings->clear();
    for (const TWarningRow& w : WarningRows(*events, sep)) {
        auto* item = new QListWidgetItem(QString::fromStdString(w.Time + "  " + w.Text));
        item->setData(kFromRole, w.From);
        item->setData(kToRole, w.To);
        ListWarnings->addItem(item);
    }
    if (ListWarnings->count() == 0) {
        auto* none = new QListWidgetItem("No warnings");
        none->setFlags(Qt::NoItemFlags);
        ListWarnings->addItem(none);
    }

    const std::vector<TEventRow> rows = EventsRows(*events, sep);
    TableEvents->setUpdatesEnabled(false);
    TableEvents->setRowCount(static_cast<int>(rows.size()));
    for (size_t r = 0; r < rows.size(); ++r) {
        for (size_t c = 0; c < rows[r].Cells.size(); ++c) {
            auto* item = new QTableWidgetItem(QString::fromStdString(rows[r].Cells[c]));
            item->setTextAlignment((c == 0 ? Qt::AlignLeft : Qt::AlignRight) | Qt::AlignVCenter);
            KeepStretch(item, rows[r].From, rows[r].To);
            TableEvents->setItem(static_cast<int>(r), static_cast<int>(c), item);
        }
    }
    TableEvents->setUpdatesEnabled(true);
}

} // namespace zirko
