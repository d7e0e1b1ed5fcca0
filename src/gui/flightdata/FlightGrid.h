// The open-flights grid: one row per open flight, its name and a check box per chart channel.
#pragma once

#include <QTableWidget>

namespace zirko {

inline constexpr int kGridNameCol = 0;
inline constexpr int kGridPathCol = 6;
inline constexpr int kGridColorCol = 7;
inline constexpr int kGridColumns = 8;
inline constexpr int kGridVisibleColumns = 6;
inline constexpr int kGridDefaultColWidth = 17;
inline constexpr int kGridRowHeight = 17;

class TFlightGrid : public QTableWidget {
    Q_OBJECT
public:
    explicit TFlightGrid(QWidget* parent = nullptr);

    QString Cell(int col, int row) const;
    void SetCell(int col, int row, const QString& text);
    // The selected row (the current flight's row as the grid shows it), -1 for none.
    int SelectedRow() const;
    // Moves the selection without telling anyone.
    void SelectRowSilently(int row);
    // Cell rectangle in viewport coordinates.
    QRect CellRect(int col, int row) const;

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

private:
    // The hint of a cell: the file path on the name, the channel on a check box.
    QString HintText(int col, int row) const;
    bool Silent = false;
};

} // namespace zirko
