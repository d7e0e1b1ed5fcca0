#include "gui/shell/FlightStatsPanel.h"

#include "core/analysis/StatsTable.h"
#include "gui/services/UserLocale.h"
#include "model/flightdata/OpenFlights.h"

#include <QClipboard>
#include <QEvent>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QPushButton>
#include <QScrollBar>
#include <QTableView>
#include <QTableWidget>
#include <QVBoxLayout>

#include <algorithm>

namespace zirko {

namespace {

bool IsCopyKey(QEvent* event)
{
    return (event->type() == QEvent::KeyPress || event->type() == QEvent::ShortcutOverride) &&
           static_cast<QKeyEvent*>(event)->matches(QKeySequence::Copy);
}

} // namespace

TFlightStatsPanel::TFlightStatsPanel(QWidget* parent) : QWidget(parent)
{
    setObjectName("FlightStatsPanel");
    auto* row = new QHBoxLayout(this);
    row->setContentsMargins(4, 2, 4, 2);

    Table = new QTableWidget(this);
    Table->setObjectName("TableFlightStats");
    Table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    Table->setSelectionMode(QAbstractItemView::NoSelection);
    Table->setWordWrap(false);
    Table->setTextElideMode(Qt::ElideNone);
    Table->setHorizontalScrollMode(QAbstractItemView::ScrollPerPixel);
    Table->verticalHeader()->hide();
    Table->horizontalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
    Table->horizontalHeader()->setTextElideMode(Qt::ElideNone);
    Table->horizontalHeader()->setSectionsClickable(false);
    Table->verticalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
    Table->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    Table->installEventFilter(this);
    const std::vector<std::string> headers = StatsHeaders();
    Table->setColumnCount(static_cast<int>(headers.size()));
    QStringList labels;
    for (const std::string& h : headers)
        labels << QString::fromStdString(h);
    Table->setHorizontalHeaderLabels(labels);
    row->addWidget(Table, 1);

    Names = new QTableView(Table);
    Names->setObjectName("TableFlightNames");
    Names->setModel(Table->model());
    Names->setFocusPolicy(Qt::NoFocus);
    Names->setEditTriggers(QAbstractItemView::NoEditTriggers);
    Names->setSelectionMode(QAbstractItemView::NoSelection);
    Names->setWordWrap(false);
    Names->setTextElideMode(Qt::ElideNone);
    Names->setFrameShape(QFrame::NoFrame);
    Names->verticalHeader()->hide();
    Names->horizontalHeader()->setSectionsClickable(false);
    Names->horizontalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    Names->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    Names->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    for (int c = 1; c < Table->columnCount(); ++c)
        Names->setColumnHidden(c, true);
    connect(Table->verticalScrollBar(), &QScrollBar::valueChanged, Names->verticalScrollBar(),
            &QScrollBar::setValue);
    connect(Table->horizontalHeader(), &QHeaderView::sectionResized, this, [this](int column) {
        if (column == 0)
            PlaceNames();
    });
    // The viewport has its final size only once the scroll bars are settled.
    Table->viewport()->installEventFilter(this);

    auto* buttons = new QVBoxLayout;
    ButtonCopy = new QPushButton("Copy", this);
    ButtonCopy->setObjectName("ButtonCopyStats");
    ButtonCopy->setToolTip("Copy the table as tab-separated text");
    buttons->addWidget(ButtonCopy);
    buttons->addStretch(1);
    row->addLayout(buttons);

    connect(ButtonCopy, &QPushButton::clicked, this, &TFlightStatsPanel::CopyTable);
    FitHeight();
}

void TFlightStatsPanel::Observe(TOpenFlights& flights)
{
    Flights = &flights;
    for (auto signal : {&TOpenFlights::FlightOpened, &TOpenFlights::FlightClosed,
                        &TOpenFlights::FlightRenamed, &TOpenFlights::FlightSaved})
        connect(&flights, signal, this, &TFlightStatsPanel::Rebuild);
    connect(&flights, &TOpenFlights::EventsChanged, this, &TFlightStatsPanel::Rebuild);
    connect(&flights, &TOpenFlights::CurrentChanged, this, &TFlightStatsPanel::MarkRow);
    Rebuild();
}

void TFlightStatsPanel::Rebuild()
{
    const int rows = Flights ? Flights->FlightCount() : 0;
    const char sep = UserDecimalSeparator();
    Marked = -1;
    Table->setRowCount(rows);
    for (int r = 0; r < rows; ++r) {
        Table->setItem(r, 0, new QTableWidgetItem(Flights->Name(r)));
        const TFlightStats* stats = Flights->Stats(r);
        if (!stats)
            continue;
        const std::vector<std::string> cells = StatsCells(*stats, sep, Flights->Events(r));
        for (size_t c = 0; c < cells.size(); ++c) {
            auto* item = new QTableWidgetItem(QString::fromStdString(cells[c]));
            item->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
            Table->setItem(r, static_cast<int>(c) + 1, item);
        }
    }
    MarkRow(Flights ? Flights->ActualRow() : -1);
    Table->horizontalHeader()->resizeSections(QHeaderView::ResizeToContents);
    Table->verticalHeader()->resizeSections(QHeaderView::ResizeToContents);
    FitHeight();
    PlaceNames();
}

void TFlightStatsPanel::PlaceNames()
{
    const int frame = Table->frameWidth();
    const int width = Table->columnWidth(0);
    Names->setColumnWidth(0, width);
    Names->horizontalHeader()->setFixedHeight(Table->horizontalHeader()->height());
    for (int r = 0; r < Table->rowCount(); ++r)
        Names->setRowHeight(r, Table->rowHeight(r));
    Names->setGeometry(frame, frame, width,
                       Table->horizontalHeader()->height() + Table->viewport()->height());
    Names->verticalScrollBar()->setValue(Table->verticalScrollBar()->value());
    Names->raise();
}

void TFlightStatsPanel::PaintRow(int row, bool marked)
{
    const QPalette& pal = Table->palette();
    for (int c = 0; c < Table->columnCount(); ++c) {
        QTableWidgetItem* item = Table->item(row, c);
        if (!item) {
            item = new QTableWidgetItem;
            Table->setItem(row, c, item);
        }
        item->setBackground(marked ? pal.brush(QPalette::Highlight) : QBrush());
        item->setForeground(marked ? pal.brush(QPalette::HighlightedText) : QBrush());
    }
}

void TFlightStatsPanel::MarkRow(int row)
{
    if (Marked >= 0 && Marked < Table->rowCount())
        PaintRow(Marked, false);
    Marked = row >= 0 && row < Table->rowCount() ? row : -1;
    if (Marked >= 0) {
        PaintRow(Marked, true);
        // Only the rows scroll to the marked one; the columns stay where the user put them.
        QScrollBar* columns = Table->horizontalScrollBar();
        const int left = columns->value();
        Table->scrollToItem(Table->item(Marked, 0));
        columns->setValue(left);
    }
}

void TFlightStatsPanel::FitHeight()
{
    const int shown = std::clamp(Table->rowCount(), 1, kShownRows);
    int height = Table->horizontalHeader()->sizeHint().height() + 2 * Table->frameWidth();
    for (int r = 0; r < shown; ++r)
        height += r < Table->rowCount() ? Table->rowHeight(r)
                                        : Table->verticalHeader()->defaultSectionSize();
    // Read while the table is being resized: its viewport may not have followed yet.
    int room = Table->width() - 2 * Table->frameWidth();
    if (Table->rowCount() > kShownRows)
        room -= Table->verticalScrollBar()->sizeHint().width();
    if (Table->horizontalHeader()->length() > room)
        height += Table->horizontalScrollBar()->sizeHint().height();
    if (Table->height() != height || Table->minimumHeight() != height)
        Table->setFixedHeight(height);
}

void TFlightStatsPanel::CopyTable()
{
    std::vector<TStatsRow> rows;
    if (Flights) {
        for (int r = 0; r < Flights->FlightCount(); ++r)
            rows.push_back({Flights->Name(r).toStdString(), Flights->Stats(r), Flights->Events(r)});
    }
    QGuiApplication::clipboard()->setText(
        QString::fromStdString(StatsCopyText(rows, UserDecimalSeparator())));
}

bool TFlightStatsPanel::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == Table->viewport() && event->type() == QEvent::Resize)
        PlaceNames();
    if (watched == Table) {
        if (IsCopyKey(event)) {
            // The table copies all of itself, not the one cell an item view would.
            event->accept();
            if (event->type() == QEvent::KeyPress)
                CopyTable();
            return true;
        }
        if (event->type() == QEvent::Resize) {
            FitHeight();
            PlaceNames();
        }
    }
    return QWidget::eventFilter(watched, event);
}

} // namespace zirko
