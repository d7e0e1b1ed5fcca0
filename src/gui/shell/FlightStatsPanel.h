// The numbers of every open flight in one read-only table, the current flight's row marked, with
// a button and Ctrl+C that copy the table as tab-separated text.
#pragma once

#include <QWidget>

class QPushButton;
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

    QTableWidget* Table = nullptr;
    QPushButton* ButtonCopy = nullptr;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void Rebuild();
    void MarkRow(int row);
    void PaintRow(int row, bool marked);
    // The table as high as its header and up to kShownRows rows, plus the horizontal scroll bar
    // while the columns are wider than the table.
    void FitHeight();

    TOpenFlights* Flights = nullptr;
    int Marked = -1;
};

} // namespace zirko
