// The numbers of every open flight in one read-only table, the current flight's row marked, with
// a button and Ctrl+C that copy the table as tab-separated text.
#pragma once

#include <QWidget>

class QPushButton;
class QTableView;
class QTableWidget;

namespace zirko {

class TOpenFlights;

class TFlightStatsPanel : public QWidget {
    Q_OBJECT
public:
    explicit TFlightStatsPanel(QWidget* parent = nullptr);

    // From now on the table shows the flights of `flights` in their order.
    void Observe(TOpenFlights& flights);
    // The whole table, a header row first, as tab-separated text on the clipboard.
    void CopyTable();
    // The row drawn as the current flight's; -1 for none.
    int MarkedRow() const { return Marked; }

    // Rows the table shows before it scrolls, so the notes below keep their room.
    static constexpr int kShownRows = 5;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QTableWidget* Table = nullptr;
    // The name column again, over the table's left edge: the names stay in view while the
    // numbers scroll sideways under it.
    QTableView* Names = nullptr;
    QPushButton* ButtonCopy = nullptr;

    void Rebuild();
    void MarkRow(int row);
    void PaintRow(int row, bool marked);
    // The table as high as its header and up to kShownRows rows, plus the horizontal scroll bar
    // while the columns are wider than the table.
    void FitHeight();
    // The name column's copy takes the place, width and row heights of the table's own.
    void PlaceNames();

    TOpenFlights* Flights = nullptr;
    int Marked = -1;
};

} // namespace zirko
