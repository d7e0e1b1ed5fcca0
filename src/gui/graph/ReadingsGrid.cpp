#include "gui/graph/ReadingsGrid.h"

#include "gui/services/UserDialogs.h"

#include <QApplication>
#include <QClipboard>
#include <QFontMetrics>
#include <QMouseEvent>
#include <QPainter>
#include <algorithm>
#include <numeric>

namespace zirko {

namespace {
const QColor kGrey(128, 128, 128);
}

TReadingsGrid::TReadingsGrid(QWidget* parent) : QWidget(parent)
{
    setObjectName("StringGridOdecet");
    setMouseTracking(true);
    setMinimumHeight(5 * kRowHeight + 6);
    // The fixed column keeps its texts whole in fonts wider than the one it was measured for.
    QFont bold = font();
    bold.setBold(true);
    const QFontMetrics fm(bold);
    int widest = 0;
    for (const char* text : {kCopyCell, "FROM", "DELTA", "d X/d TIME"})
        widest = std::max(widest, fm.horizontalAdvance(QString::fromLatin1(text)));
    ColWidths[0] = std::max(ColWidths[0], widest + 8);
    for (const char* text : {"ALTITUDE", "VOLTAGE", "10 min 59.9 s"})
        TextColumnWidth =
            std::max(TextColumnWidth, fm.horizontalAdvance(QString::fromLatin1(text)));
    TextColumnWidth += 8;
}

QSize TReadingsGrid::minimumSizeHint() const
{
    // FitColumns gives each value column a quarter of what the fixed column leaves.
    return QSize(ColWidths[0] + 12 + 4 * TextColumnWidth, 5 * kRowHeight + 6);
}

QSize TReadingsGrid::sizeHint() const
{
    return QSize(std::accumulate(ColWidths.begin(), ColWidths.end(), 0) + 6, 5 * kRowHeight + 6);
}

QRect TReadingsGrid::CellRect(int row, int col) const
{
    int x = 0;
    for (int c = 0; c < col; ++c)
        x += ColWidths[static_cast<size_t>(c)] + 1;
    return QRect(x, row * (kRowHeight + 1), ColWidths[static_cast<size_t>(col)], kRowHeight);
}

int TReadingsGrid::ColumnAt(int x) const
{
    int left = 0;
    for (int c = 0; c < 5; ++c) {
        const int right = left + ColWidths[static_cast<size_t>(c)];
        if (x >= left && x < right + 1)
            return c;
        left = right + 1;
    }
    return -1;
}

int TReadingsGrid::RowAt(int y) const
{
    const int row = y / (kRowHeight + 1);
    return y >= 0 && row < 5 ? row : -1;
}

void TReadingsGrid::FitColumns(int panelClientWidth, int autoGridSize)
{
    if (autoGridSize < 8)
        return;
    const int a = panelClientWidth - 8 - ColWidths[0] - 4;
    int each = a / 4;
    const int rest = a % 4;
    if (each < autoGridSize)
        each = autoGridSize;
    for (size_t c = 1; c < 5; ++c)
        ColWidths[c] = each;
    ColWidths[4] = each + rest;
    update();
}

void TReadingsGrid::CopyToClipboard() const
{
    QString text = QString::fromStdString(Table.ClipboardText());
    const QString extra = ClipboardExtra ? ClipboardExtra() : QString();
    if (!extra.isEmpty())
        text += "\r\n" + extra;
    QApplication::clipboard()->setText(text);
}

void TReadingsGrid::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    p.fillRect(rect(), palette().color(QPalette::Window));
    for (int row = 0; row < 5; ++row)
        for (int col = 0; col < 5; ++col) {
            try {
                DrawCell(p, row, col);
            } catch (const std::exception& e) {
                Dialogs().ShowError(this,
                                    QString::fromUtf8(e.what()) + "\nIn GridOdecet.DrawCell.");
                return;
            }
        }
}

void TReadingsGrid::DrawCell(QPainter& p, int row, int col)
{
    const QRect r = CellRect(row, col);
    const std::string raw = Table.Cell(row, col);
    const QString text =
        QString::fromStdString(ReadingDisplayText(row, col, raw, DecimalSeparator));
    p.fillRect(r, palette().color(QPalette::Button));
    QFont font = this->font();
    font.setBold((row == 0 || col == 0) && !(row == 0 && col == 0));
    p.setFont(font);
    p.setPen(Qt::black);
    const QFontMetrics fm(font);
    const int textWidth = fm.horizontalAdvance(text);
    int x = r.left() + 2;
    if (row > 0 && col > 0)
        x = r.left() + std::max(1, r.width() - 3 - textWidth);
    else if (row == 0)
        x = r.left() + std::max(2, (r.width() - 2 - textWidth) / 2);
    p.save();
    p.setClipRect(r);
    p.drawText(QPoint(x, r.top() + 2 + fm.ascent()), text);
    p.restore();
    if (row == 0 && col == 0) {
        const bool pressed = Table.CopyPressed();
        p.setPen(pressed ? kGrey : Qt::white);
        p.drawLine(r.topLeft(), r.topRight());
        p.drawLine(r.topLeft(), r.bottomLeft());
        p.setPen(pressed ? Qt::white : kGrey);
        p.drawLine(r.bottomLeft(), r.bottomRight());
        p.drawLine(r.topRight(), r.bottomRight());
    }
}

void TReadingsGrid::mousePressEvent(QMouseEvent* event)
{
    const QPoint pos = event->position().toPoint();
    // A press on a column border of the first row starts resizing that column.
    const int col = ColumnAt(pos.x());
    if (RowAt(pos.y()) == 0 && col >= 0) {
        const QRect r = CellRect(0, col);
        if (std::abs(pos.x() - r.right()) <= 2 && event->button() == Qt::LeftButton) {
            ResizingCol = col;
            return;
        }
    }
    if (RowAt(pos.y()) == 0 && col == 0) {
        Table.SetCopyPressed(true);
        update();
    }
}

void TReadingsGrid::mouseMoveEvent(QMouseEvent* event)
{
    const QPoint pos = event->position().toPoint();
    if (ResizingCol >= 0) {
        const QRect r = CellRect(0, ResizingCol);
        ColWidths[static_cast<size_t>(ResizingCol)] = std::max(8, pos.x() - r.left());
        update();
        return;
    }
    const int col = ColumnAt(pos.x());
    const bool onBorder =
        RowAt(pos.y()) == 0 && col >= 0 && std::abs(pos.x() - CellRect(0, col).right()) <= 2;
    setCursor(onBorder ? Qt::SplitHCursor : Qt::ArrowCursor);
}

void TReadingsGrid::mouseReleaseEvent(QMouseEvent* event)
{
    if (ResizingCol >= 0) {
        ResizingCol = -1;
        return;
    }
    if (!Table.CopyPressed())
        return;
    Table.SetCopyPressed(false);
    update();
    const QPoint pos = event->position().toPoint();
    if (RowAt(pos.y()) == 0 && ColumnAt(pos.x()) == 0) {
        CopyToClipboard();
        emit Copied();
    }
}

} // namespace zirko
