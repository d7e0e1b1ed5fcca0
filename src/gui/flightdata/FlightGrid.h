// The open-flights grid: one row per open flight, its name and a check box per chart channel.
#pragma once

#include <QFont>
#include <QTableWidget>

class QMenu;

namespace zirko {

class TOpenFlights;

inline constexpr int kGridNameCol = 0;
inline constexpr int kGridPathCol = 6;
inline constexpr int kGridColumns = 8;
inline constexpr int kGridVisibleColumns = 6;
inline constexpr int kGridDefaultColWidth = 17;
inline constexpr int kGridRowHeight = 17;
inline constexpr const char* kModifiedMark = " *";

class TFlightGrid : public QTableWidget {
    Q_OBJECT
public:
    explicit TFlightGrid(QWidget* parent = nullptr);

    // The grid shows these flights from now on and acts on them: a click on a check box toggles
    // the channel, a click on a name makes the flight current, Delete or a double click closes
    // it, a right click opens PopupGrid.
    void Observe(TOpenFlights& flights);
    const TOpenFlights* Flights() const { return OpenFlights; }

    QString Cell(int col, int row) const;
    // The name as the grid shows it: a flight with unsaved changes is marked by kModifiedMark
    // after its name, which is drawn in bold.
    QString ShownName(int row) const;
    QFont NameFont(int row) const;
    void SetCell(int col, int row, const QString& text);
    // The selected row (the current flight's row as the grid shows it), -1 for none.
    int SelectedRow() const;
    // Moves the selection without telling anyone.
    void SelectRowSilently(int row);
    // Cell rectangle in viewport coordinates.
    QRect CellRect(int col, int row) const;
    // Rows are at least kGridRowHeight high and always hold the font's full height.
    static int RowHeightFor(const QFont& font);

    int HintCol = -1;
    int HintRow = -1;

signals:
    void CheckClicked(int col, int row); // a released left click inside a check box cell
    void RowSelected(int row);           // the user selected the name cell of a row
    void CloseRequested(int row);        // Delete key or double click on a name
    void MenuRequested(int row, const QPoint& globalPos);

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void keyReleaseEvent(QKeyEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    bool viewportEvent(QEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    // The row's menu, made at its first use.
    QMenu* PopupGrid = nullptr;

    // The hint of a cell: the file path on the name, the channel on a check box.
    QString HintText(int col, int row) const;
    void FlightOpened(int row);
    void FlightClosed(int row);
    void ShowFlightName(int row);
    void PopupGridAt(int row, const QPoint& globalPos);
    bool Silent = false;
    TOpenFlights* OpenFlights = nullptr;
};

} // namespace zirko
