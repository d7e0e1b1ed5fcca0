#include "gui/graph/RangeGrid.h"

#include "core/graph/Offsets.h"
#include "gui/graph/GraphHost.h"

#include <QHeaderView>
#include <QLabel>
#include <QTableWidget>
#include <QVBoxLayout>

namespace zirko {

namespace {

constexpr int kRowHeight = 16;

} // namespace

TRangeGrid::TRangeGrid(QWidget* parent) : QWidget(parent)
{
    setObjectName("RangeGrid");
    LabelRange = new QLabel(kRangeTitle);
    LabelRange->setObjectName("LabelRange");
    QFont bold = LabelRange->font();
    bold.setBold(true);
    LabelRange->setFont(bold);
    GridRange = new QTableWidget(0, static_cast<int>(kRangeColumns));
    GridRange->setObjectName("GridRange");
    QStringList titles;
    for (const char* title : RangeColumnTitles())
        titles << title;
    GridRange->setHorizontalHeaderLabels(titles);
    GridRange->verticalHeader()->hide();
    GridRange->verticalHeader()->setDefaultSectionSize(kRowHeight);
    GridRange->horizontalHeader()->setMinimumSectionSize(20);
    GridRange->horizontalHeader()->setDefaultAlignment(Qt::AlignCenter);
    GridRange->setEditTriggers(QAbstractItemView::NoEditTriggers);
    GridRange->setSelectionMode(QAbstractItemView::NoSelection);
    GridRange->setWordWrap(false);
    GridRange->resizeColumnsToContents();
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(2, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(LabelRange);
    layout->addWidget(GridRange, 1);
}

void TRangeGrid::SetLines(std::vector<TRangeLine> lines, char decimalSeparator)
{
    Shown = std::move(lines);
    Separator = decimalSeparator;
    GridRange->setRowCount(static_cast<int>(Shown.size()));
    for (size_t r = 0; r < Shown.size(); ++r) {
        const auto cells = RangeCells(Shown[r], Separator);
        for (size_t c = 0; c < cells.size(); ++c) {
            auto* item = new QTableWidgetItem(QString::fromStdString(cells[c]));
            item->setTextAlignment(c == 0 || !Shown[r].Stats ? Qt::AlignLeft | Qt::AlignVCenter
                                                             : Qt::AlignRight | Qt::AlignVCenter);
            GridRange->setItem(static_cast<int>(r), static_cast<int>(c), item);
        }
    }
    GridRange->resizeColumnsToContents();
}

QString TRangeGrid::ClipboardText() const
{
    if (Shown.empty())
        return {};
    return QString::fromStdString(RangeClipboardText(Shown, Separator));
}

std::vector<TRangeLine> RangeLines(const TGraphHost& host, double from, double to,
                                   const std::function<bool(int row)>& shown)
{
    std::vector<TRangeLine> lines;
    for (int row = 0; row < host.FlightCount(); ++row) {
        const TDataBlock* flight = host.Flight(row);
        const TFlightSlots* flightSlots = host.SeriesInfo(row);
        if (!flight || !flightSlots || !shown(row))
            continue;
        const TFlightEvents* events = host.Events(row);
        if (!events)
            continue;
        const double offset = ShownOffset((*flightSlots)[kSlotAltitude]).Dx;
        const TRangeIndex* index = host.RangeIndex(row);
        lines.push_back(
            {host.FlightName(row).toStdString(),
             index ? index->Analyse(*flight, *events, from, to, offset, kRangeVoltageDecimals)
                   : AnalyseRange(*flight, *events, from, to, offset)});
    }
    return lines;
}

} // namespace zirko
