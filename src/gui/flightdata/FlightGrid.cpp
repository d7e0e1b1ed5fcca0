#include "gui/flightdata/FlightGrid.h"

#include <QHeaderView>
#include <QHelpEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QStyleOptionButton>
#include <QStyledItemDelegate>
#include <QToolTip>

namespace zirko {

namespace {

const QColor kSelectedColor(134, 208, 249);
const QColor kBorderColor(128, 128, 128);

class TFlightGridDelegate : public QStyledItemDelegate {
public:
    explicit TFlightGridDelegate(TFlightGrid* grid) : QStyledItemDelegate(grid), Grid(grid) {}

    void paint(QPainter* p, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override
    {
        const int col = index.column();
        const int row = index.row();
        const QRect r = option.rect;
        const QString text = Grid->Cell(col, row);
        QColor background = Qt::white;
        if (col >= 1 && col <= 5) {
            bool ok = false;
            const uint value = Grid->Cell(kGridColorCol, row).toUInt(&ok);
            // The stored number is the colour as 0x00BBGGRR.
            background = ok ? QColor(value & 0xFF, (value >> 8) & 0xFF, (value >> 16) & 0xFF)
                            : Grid->palette().color(QPalette::Button);
        }
        const bool selected = Grid->currentRow() == row && Grid->currentColumn() == col &&
                              Grid->selectionModel()->isSelected(index);
        if (selected)
            background = kSelectedColor;
        p->save();
        p->setPen(kBorderColor);
        p->setBrush(background);
        const int left = col == 0 ? r.left() : r.left() - 1;
        p->drawRect(QRect(QPoint(left, r.top() - 1), QPoint(r.right() + 1, r.bottom() + 1)));
        if (col == 0) {
            p->setClipRect(QRect(QPoint(r.left() + 1, r.top()), r.bottomRight()));
            p->setPen(Qt::black);
            p->setFont(Grid->font());
            p->drawText(QPoint(r.left() + 2, r.top() + 3 + p->fontMetrics().ascent()), text);
        } else if (col <= 5) {
            QStyleOptionButton box;
            box.rect =
                QRect(r.left() + (r.width() - 13) / 2, r.top() + (r.height() - 13) / 2, 13, 13);
            box.state = QStyle::State_Enabled;
            if (text == "1")
                box.state |= QStyle::State_On;
            else if (text == "0")
                box.state |= QStyle::State_Off;
            else
                box.state = QStyle::State_NoChange; // greyed: the channel has no samples
            Grid->style()->drawPrimitive(QStyle::PE_IndicatorCheckBox, &box, p, Grid);
        }
        p->restore();
    }

private:
    TFlightGrid* Grid;
};

} // namespace

TFlightGrid::TFlightGrid(QWidget* parent) : QTableWidget(0, kGridColumns, parent)
{
    setObjectName("StringGrid1");
    horizontalHeader()->hide();
    verticalHeader()->hide();
    horizontalHeader()->setMinimumSectionSize(1);
    horizontalHeader()->setDefaultSectionSize(kGridDefaultColWidth);
    verticalHeader()->setMinimumSectionSize(1);
    verticalHeader()->setDefaultSectionSize(kGridRowHeight);
    verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    setColumnHidden(kGridPathCol, true);
    setColumnHidden(kGridColorCol, true);
    setShowGrid(false); // the delegate draws the grid lines with the cells
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setSelectionBehavior(QAbstractItemView::SelectItems);
    // The cells' hints follow the mouse, whose moves reach the viewport, not the table.
    viewport()->setMouseTracking(true);
    setItemDelegate(new TFlightGridDelegate(this));
    setFocusPolicy(Qt::StrongFocus);
    connect(this, &QTableWidget::currentCellChanged, this, [this](int row, int col, int, int) {
        if (!Silent && col == kGridNameCol && row >= 0)
            emit RowSelected(row);
    });
}

QString TFlightGrid::Cell(int col, int row) const
{
    const QTableWidgetItem* it = item(row, col);
    return it ? it->text() : QString();
}

void TFlightGrid::SetCell(int col, int row, const QString& text)
{
    QTableWidgetItem* it = item(row, col);
    if (!it) {
        it = new QTableWidgetItem;
        setItem(row, col, it);
    }
    it->setText(text);
}

int TFlightGrid::SelectedRow() const
{
    return currentRow();
}

void TFlightGrid::SelectRowSilently(int row)
{
    Silent = true;
    if (row >= 0 && row < rowCount())
        setCurrentCell(row, kGridNameCol);
    else
        setCurrentCell(-1, -1);
    Silent = false;
}

QRect TFlightGrid::CellRect(int col, int row) const
{
    return visualRect(model()->index(row, col));
}

void TFlightGrid::mousePressEvent(QMouseEvent* event)
{
    const QModelIndex index = indexAt(event->position().toPoint());
    if (event->button() == Qt::RightButton) {
        if (index.isValid())
            emit MenuRequested(index.row(), event->globalPosition().toPoint());
        return;
    }
    // Only the name column can be selected.
    if (index.isValid() && index.column() == kGridNameCol)
        QTableWidget::mousePressEvent(event);
}

void TFlightGrid::mouseReleaseEvent(QMouseEvent* event)
{
    const QPoint pos = event->position().toPoint();
    const QModelIndex index = indexAt(pos);
    if (event->button() == Qt::LeftButton && index.isValid() && index.column() >= 1 &&
        index.column() <= 5 && Cell(index.column(), index.row()) != "2") {
        const QRect r = visualRect(index);
        if (pos.x() > r.left() + 2 && pos.x() < r.right() - 2 && pos.y() > r.top() + 2 &&
            pos.y() < r.bottom() - 2)
            emit CheckClicked(index.column(), index.row());
    }
    QTableWidget::mouseReleaseEvent(event);
}

void TFlightGrid::mouseDoubleClickEvent(QMouseEvent* event)
{
    if (HintCol == kGridNameCol && SelectedRow() >= 0)
        emit CloseRequested(SelectedRow());
    event->accept();
}

void TFlightGrid::mouseMoveEvent(QMouseEvent* event)
{
    const QModelIndex index = indexAt(event->position().toPoint());
    const int col = index.isValid() ? index.column() : -1;
    const int row = index.isValid() ? index.row() : -1;
    if (col != HintCol || row != HintRow) {
        HintCol = col;
        HintRow = row;
        const QString hint = HintText(col, row);
        if (hint.isEmpty())
            QToolTip::hideText();
        else
            QToolTip::showText(event->globalPosition().toPoint(), hint, this);
    }
    QTableWidget::mouseMoveEvent(event);
}

QString TFlightGrid::HintText(int col, int row) const
{
    static const char* kNames[] = {"Altitude", "Servo", "Voltage", "Marker", "Annotation"};
    if (col == kGridNameCol)
        return Cell(kGridPathCol, row);
    if (col >= 1 && col <= 5)
        return kNames[col - 1];
    return {};
}

bool TFlightGrid::viewportEvent(QEvent* event)
{
    // The view's own tool tip, once the mouse rests, would replace the hint with the cells' empty
    // tool tip texts.
    if (event->type() == QEvent::ToolTip) {
        auto* help = static_cast<QHelpEvent*>(event);
        const QModelIndex index = indexAt(help->pos());
        const QString hint = index.isValid() ? HintText(index.column(), index.row()) : QString();
        if (hint.isEmpty())
            QToolTip::hideText();
        else
            QToolTip::showText(help->globalPos(), hint, viewport());
        return true;
    }
    return QTableWidget::viewportEvent(event);
}

void TFlightGrid::keyPressEvent(QKeyEvent* event)
{
    // Up and down move between flights; nothing moves the current cell off the name column.
    if (event->key() == Qt::Key_Left || event->key() == Qt::Key_Right ||
        event->key() == Qt::Key_Tab || event->key() == Qt::Key_Backtab) {
        event->ignore();
        return;
    }
    QTableWidget::keyPressEvent(event);
}

void TFlightGrid::keyReleaseEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_Delete && currentColumn() == kGridNameCol && SelectedRow() >= 0) {
        emit CloseRequested(SelectedRow());
        return;
    }
    QTableWidget::keyReleaseEvent(event);
}

} // namespace zirko
