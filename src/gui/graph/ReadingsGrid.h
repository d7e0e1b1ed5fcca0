// StringGridOdecet: the readings table of measurement mode, drawn by the program.
#pragma once

#include "core/graph/Readings.h"

#include <QWidget>
#include <array>
#include <functional>

namespace zirko {

class TReadingsGrid : public QWidget {
    Q_OBJECT
public:
    explicit TReadingsGrid(QWidget* parent = nullptr);

    TReadingsTable Table;
    std::array<int, 5> ColWidths{92, 92, 92, 92, 101};
    static constexpr int kRowHeight = 16;

    int ColumnAt(int x) const;
    int RowAt(int y) const;
    QRect CellRect(int row, int col) const;
    // The rule that spreads the panel width over columns 1..4 (from a minimum of 8 on).
    void FitColumns(int panelClientWidth, int autoGridSize);
    // Puts the table on the clipboard as the copy cell does, and after it (past an empty line)
    // what ClipboardExtra gives, when it gives anything.
    void CopyToClipboard() const;
    std::function<QString()> ClipboardExtra;
    char DecimalSeparator = '.';
    QSize sizeHint() const override;
    // Wide enough that each value column keeps its heading and a reading like "10 min 59.9 s"
    // whole, so a table beside this one takes only what is left of the panel.
    QSize minimumSizeHint() const override;

signals:
    void Copied();

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    void DrawCell(QPainter& p, int row, int col);
    int ResizingCol = -1;    // a column border being dragged
    int TextColumnWidth = 0; // the widest heading or reading a value column shows
};

} // namespace zirko
