// The logbook's rows as a Qt table model, and the proxy that filters them by the filter text and
// sorts them by a column; no widget here, the page's table view shows them.
#pragma once

#include "core/logbook/LogbookFilter.h"
#include "core/logbook/LogbookRow.h"

#include <QAbstractTableModel>
#include <QSortFilterProxyModel>
#include <QString>

#include <string>
#include <unordered_map>
#include <vector>

namespace zirko {

class TLogbookTableModel : public QAbstractTableModel {
    Q_OBJECT
public:
    // True for a row whose file could not be read (its message stands in the warnings column).
    static constexpr int kErrorRole = Qt::UserRole + 1;

    explicit TLogbookTableModel(QObject* parent = nullptr);

    // Every row anew (the views keep nothing of the old ones).
    void SetRows(std::vector<TLogbookRow> rows);
    const std::vector<TLogbookRow>& Rows() const { return Items; }
    const TLogbookRow& Row(int row) const { return Items[static_cast<size_t>(row)]; }
    // The row of a path relative to the data folder, -1 for none.
    int RowOfPath(const std::string& path) const;
    void SetDecimalSeparator(char separator) { Separator = separator; }

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

private:
    std::vector<TLogbookRow> Items;
    std::unordered_map<std::string, int> ByPath;
    char Separator = '.';
};

class TLogbookFilterModel : public QSortFilterProxyModel {
    Q_OBJECT
public:
    explicit TLogbookFilterModel(QObject* parent = nullptr);

    // Shows the rows the filter text lets through. A text that cannot be read changes nothing and
    // gives the reason.
    bool SetFilterText(const QString& text, QString* error = nullptr);
    // The row behind a row of this model.
    const TLogbookRow& RowAt(int row) const;
    TLogbookTableModel* Table() const;

protected:
    bool filterAcceptsRow(int sourceRow, const QModelIndex& sourceParent) const override;
    bool lessThan(const QModelIndex& left, const QModelIndex& right) const override;

private:
    TLogbookFilter Filter;
};

} // namespace zirko
