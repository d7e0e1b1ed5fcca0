// The Range table beside the readings table: for each flight shown, its numbers between the
// measurement's FROM and TO times.
#pragma once

#include "core/graph/RangeTable.h"

#include <QString>
#include <QWidget>

#include <functional>
#include <vector>

class QLabel;
class QTableWidget;

namespace zirko {

class TGraphHost;

class TRangeGrid : public QWidget {
    Q_OBJECT
public:
    explicit TRangeGrid(QWidget* parent = nullptr);

    // One line per flight, in the order given; none empties the table.
    void SetLines(std::vector<TRangeLine> lines, char decimalSeparator);
    const std::vector<TRangeLine>& Lines() const { return Shown; }
    // The table as it goes to the clipboard after the readings; empty while it has no line.
    QString ClipboardText() const;

    QLabel* LabelRange = nullptr;
    QTableWidget* GridRange = nullptr;

private:
    std::vector<TRangeLine> Shown;
    char Separator = '.';
};

// The lines of the flights `shown(row)` accepts, in grid order, between chart times `from` and
// `to`, each flight's time offset taken off as the chart shows it now.
std::vector<TRangeLine> RangeLines(const TGraphHost& host, double from, double to,
                                   const std::function<bool(int row)>& shown);

} // namespace zirko
