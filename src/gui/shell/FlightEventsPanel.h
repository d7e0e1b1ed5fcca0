// The events of the current flight on the information page: a summary, its warnings and a table
// of its motor runs and phases. A double click on a warning or a row asks for that stretch of the
// flight on the chart.
#pragma once

#include <QStringList>
#include <QWidget>

#include <vector>

class QLabel;
class QListWidget;
class QTableWidget;

namespace zirko {

class TOpenFlights;

class TFlightEventsPanel : public QWidget {
    Q_OBJECT
public:
    explicit TFlightEventsPanel(QWidget* parent = nullptr);

    // From now on the panel shows the events of the current flight of `flights`.
    void Observe(TOpenFlights& flights);
    // The flight whose events are shown; -1 for none.
    int ShownRow() const { return Row; }
    QString SummaryText() const; // the shown lines, joined by "\n"

    // Rows the table shows before it scrolls, so the notes below keep their room.
    static constexpr int kShownRows = 5;

signals:
    // The stretch [from, to] of the flight in `row`, in its own time, is to be shown on the chart.
    void StretchRequested(int row, double from, double to);

private:
    // The summary, a label per line; the lines a flight does not need are hidden.
    std::vector<QLabel*> SummaryLines;
    QListWidget* ListWarnings = nullptr;
    QTableWidget* TableEvents = nullptr;

    void ShowRow(int row);
    void ShowSummary(const QStringList& lines);
    void Clear();

    TOpenFlights* Flights = nullptr;
    int Row = -1;
};

} // namespace zirko
