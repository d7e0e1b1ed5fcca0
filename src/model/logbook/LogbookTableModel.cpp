#include "model/logbook/LogbookTableModel.h"

#include "core/logbook/LogbookColumns.h"

namespace zirko {

TLogbookTableModel::TLogbookTableModel(QObject* parent) : QAbstractTableModel(parent) {}

void TLogbookTableModel::SetRows(std::vector<TLogbookRow> rows)
{
    beginResetModel();
    Items = std::move(rows);
    ByPath.clear();
    for (size_t i = 0; i < Items.size(); ++i)
        ByPath.emplace(Items[i].Path, static_cast<int>(i));
    endResetModel();
}

int TLogbookTableModel::RowOfPath(const std::string& path) const
{
    const auto it = ByPath.find(path);
    return it == ByPath.end() ? -1 : it->second;
}

int TLogbookTableModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : static_cast<int>(Items.size());
}

int TLogbookTableModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : static_cast<int>(LogbookColumns().size());
}

QVariant TLogbookTableModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || index.row() >= rowCount() || index.column() >= columnCount())
        return {};
    const TLogbookRow& row = Row(index.row());
    const auto column = static_cast<size_t>(index.column());
    switch (role) {
    case Qt::DisplayRole:
        return QString::fromStdString(LogbookCellText(row, column, Separator));
    case Qt::TextAlignmentRole:
        if (IsNumberColumn(column) && row.Error.empty())
            return QVariant::fromValue(Qt::AlignRight | Qt::AlignVCenter);
        return QVariant::fromValue(Qt::AlignLeft | Qt::AlignVCenter);
    case Qt::ToolTipRole:
        if (!row.Error.empty())
            return QString::fromStdString(row.Path + "\n" + row.Error);
        if (LogbookColumns()[column].Key == "notes" && !row.NotesText.empty())
            return QString::fromStdString(row.NotesText);
        return QString::fromStdString(row.Path);
    case kErrorRole:
        return !row.Error.empty();
    default:
        return {};
    }
}

QVariant TLogbookTableModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || section < 0 || section >= columnCount())
        return {};
    if (role == Qt::DisplayRole)
        return QString::fromStdString(LogbookColumns()[static_cast<size_t>(section)].Title);
    return {};
}

TLogbookFilterModel::TLogbookFilterModel(QObject* parent) : QSortFilterProxyModel(parent) {}

TLogbookTableModel* TLogbookFilterModel::Table() const
{
    return static_cast<TLogbookTableModel*>(sourceModel());
}

const TLogbookRow& TLogbookFilterModel::RowAt(int row) const
{
    return Table()->Row(mapToSource(index(row, 0)).row());
}

bool TLogbookFilterModel::SetFilterText(const QString& text, QString* error)
{
    TLogbookFilter parsed;
    if (!parsed.Parse(text.toStdString())) {
        if (error)
            *error = QString::fromStdString(parsed.Error);
        return false;
    }
    Filter = std::move(parsed);
    invalidateRowsFilter();
    return true;
}

bool TLogbookFilterModel::filterAcceptsRow(int sourceRow, const QModelIndex&) const
{
    return Filter.Empty() || Filter.Matches(Table()->Row(sourceRow));
}

bool TLogbookFilterModel::lessThan(const QModelIndex& left, const QModelIndex& right) const
{
    const TLogbookRow& a = Table()->Row(left.row());
    const TLogbookRow& b = Table()->Row(right.row());
    const auto column = static_cast<size_t>(left.column());
    const bool nullA = LogbookCellNull(a, column);
    const bool nullB = LogbookCellNull(b, column);
    // Empty cells go last whichever way the view sorts; the view turns the order round for a
    // descending sort, so they count as the larger ones ascending and the smaller descending.
    if (nullA != nullB)
        return sortOrder() == Qt::AscendingOrder ? nullB : nullA;
    if (nullA)
        return sortOrder() == Qt::AscendingOrder ? a.Path < b.Path : a.Path > b.Path;
    return LogbookCellCompare(a, b, column) < 0;
}

} // namespace zirko
