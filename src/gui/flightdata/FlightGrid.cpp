#include "gui/flightdata/FlightGrid.h"

#include "core/analysis/EventsTable.h"
#include "gui/services/UserDialogs.h"
#include "model/flightdata/OpenFlights.h"

#include <QApplication>
#include <QFontMetrics>
#include <QHeaderView>
#include <QHelpEvent>
#include <QKeyEvent>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QSignalBlocker>
#include <QStyleOptionButton>
#include <QStyledItemDelegate>
#include <QToolTip>

#include <algorithm>

namespace zirko {

namespace {

const QColor kSelectedColor(134, 208, 249);
const QColor kBorderColor(128, 128, 128);

// A small warning triangle at the right end of a name cell, on white so the name under it
// cannot hide it.
void PaintWarningMark(QPainter& p, const QRect& cell)
{
    const int size = std::min(cell.height() - 4, 14);
    if (size < 6)
        return;
    const QRectF box(cell.right() - size - 2, cell.top() + (cell.height() - size) / 2.0, size,
                     size);
    p.setClipping(false);
    p.fillRect(box.adjusted(-2, 0, 2, 0), Qt::white);
    p.setRenderHint(QPainter::Antialiasing, true);
    p.setPen(QPen(QColor(150, 100, 0), 1));
    p.setBrush(QColor(255, 200, 0));
    p.drawPolygon(QPolygonF({QPointF(box.center().x(), box.top() + 0.5),
                             QPointF(box.right() - 0.5, box.bottom() - 0.5),
                             QPointF(box.left() + 0.5, box.bottom() - 0.5)}));
    p.setPen(QPen(Qt::black, std::max(1.0, size / 8.0)));
    const double x = box.center().x();
    p.drawLine(QPointF(x, box.top() + size * 0.35), QPointF(x, box.top() + size * 0.68));
    p.drawPoint(QPointF(x, box.top() + size * 0.82));
}

class TFlightGridDelegate : public QStyledItemDelegate {
public:
    explicit TFlightGridDelegate(TFlightGrid* grid) : QStyledItemDelegate(grid), Grid(grid) {}

    void paint(QPainter* p, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override
    {
        const int col = index.column();
        const int row = index.row();
        const QRect r = option.rect;
        const TOpenFlights* flights = Grid->Flights();
        QColor background = Qt::white;
        if (col >= 1 && col <= 5) {
            // The flight's colour is kept as 0x00BBGGRR.
            const uint32_t value = flights ? flights->Color(row) : 0;
            background = flights && flights->Entry(row)
                             ? QColor(value & 0xFF, (value >> 8) & 0xFF, (value >> 16) & 0xFF)
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
            p->setFont(Grid->NameFont(row));
            // Centred in the row, which is as high as the font's ascent and descent together:
            // underscores and descenders stay inside.
            const QFontMetrics metrics = p->fontMetrics();
            const int top = r.top() + std::max(0, (r.height() - metrics.height() + 1) / 2);
            p->drawText(QPoint(r.left() + 2, top + metrics.ascent()), Grid->ShownName(row));
        } else if (col <= 5) {
            QStyleOptionButton box;
            box.rect =
                QRect(r.left() + (r.width() - 13) / 2, r.top() + (r.height() - 13) / 2, 13, 13);
            box.state = QStyle::State_Enabled;
            switch (flights ? flights->Channel(col, row) : TChannelState::Unavailable) {
            case TChannelState::On:
                box.state |= QStyle::State_On;
                break;
            case TChannelState::Off:
                box.state |= QStyle::State_Off;
                break;
            case TChannelState::Unavailable:
                box.state = QStyle::State_NoChange; // greyed: the channel has no samples
                break;
            }
            Grid->style()->drawPrimitive(QStyle::PE_IndicatorCheckBox, &box, p, Grid);
        }
        if (col == kGridNameCol && flights && flights->Events(row) &&
            !flights->Events(row)->Warnings.empty())
            PaintWarningMark(*p, r);
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
    verticalHeader()->setDefaultSectionSize(RowHeightFor(font()));
    verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    // The columns beyond the check boxes are never shown.
    for (int col = kGridVisibleColumns; col < kGridColumns; ++col)
        setColumnHidden(col, true);
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

int TFlightGrid::RowHeightFor(const QFont& font)
{
    // The font's whole height and a pixel of room above and below it.
    return std::max(kGridRowHeight, QFontMetrics(font).height() + 2);
}

void TFlightGrid::changeEvent(QEvent* event)
{
    QTableWidget::changeEvent(event);
    if (event->type() == QEvent::FontChange) {
        const int height = RowHeightFor(font());
        verticalHeader()->setDefaultSectionSize(height);
        for (int row = 0; row < rowCount(); ++row)
            setRowHeight(row, height);
    }
}

void TFlightGrid::Observe(TOpenFlights& flights)
{
    OpenFlights = &flights;
    connect(&flights, &TOpenFlights::FlightOpened, this, &TFlightGrid::FlightOpened);
    connect(&flights, &TOpenFlights::FlightClosed, this, &TFlightGrid::FlightClosed);
    connect(&flights, &TOpenFlights::FlightRenamed, this, [this](int row) {
        ShowFlightName(row);
        viewport()->update();
    });
    connect(&flights, &TOpenFlights::CurrentChanged, this, &TFlightGrid::SelectRowSilently);
    connect(&flights, &TOpenFlights::ChannelChanged, this, [this] { viewport()->update(); });
    connect(&flights, &TOpenFlights::ColorChanged, this, [this] { viewport()->update(); });
    connect(&flights, &TOpenFlights::ModifiedChanged, this, [this] { viewport()->update(); });

    connect(this, &TFlightGrid::CheckClicked, &flights, &TOpenFlights::ToggleChannel);
    connect(this, &TFlightGrid::RowSelected, &flights,
            [&flights](int row) { flights.GridChangeActualFile(row, flights.ActualRow()); });
    connect(this, &TFlightGrid::CloseRequested, &flights, &TOpenFlights::CloseDataFile);
    connect(this, &TFlightGrid::MenuRequested, this, &TFlightGrid::PopupGridAt);
    // A flight's warnings are marked in its name cell.
    connect(&flights, &TOpenFlights::EventsChanged, this, [this] { viewport()->update(); });
    connect(&flights, &TOpenFlights::FlightSaved, this, [this] { viewport()->update(); });
}

QString TFlightGrid::ShownName(int row) const
{
    const QString name = Cell(kGridNameCol, row);
    return OpenFlights && OpenFlights->Modified(row) ? name + kModifiedMark : name;
}

QFont TFlightGrid::NameFont(int row) const
{
    QFont f = font();
    f.setBold(OpenFlights && OpenFlights->Modified(row));
    return f;
}

void TFlightGrid::FlightOpened(int row)
{
    if (rowCount() > 0) {
        setRowCount(row + 1);
    } else {
        setRowCount(1);
        show();
    }
    ShowFlightName(row);
}

void TFlightGrid::ShowFlightName(int row)
{
    SetCell(kGridNameCol, row, OpenFlights->Name(row));
    SetCell(kGridPathCol, row, OpenFlights->FileName(row));
}

void TFlightGrid::FlightClosed(int row)
{
    // Removing a row moves the current cell, which would make a flight current while the list
    // still names another one.
    const QSignalBlocker quiet(this);
    if (rowCount() <= 1) {
        setRowCount(0);
        hide();
    } else {
        removeRow(row);
    }
}

void TFlightGrid::PopupGridAt(int row, const QPoint& globalPos)
{
    if (!PopupGrid) {
        PopupGrid = new QMenu(this);
        PopupGrid->setObjectName("PopupGrid");
        QAction* close = PopupGrid->addAction("Close Data");
        QAction* save = PopupGrid->addAction("Save");
        PopupGrid->addSeparator();
        static const char* kItems[] = {"Altitude", "Servo", "Voltage", "Marker", "Annotation"};
        for (int tag = 0; tag < kChannelColumns; ++tag) {
            QAction* a = PopupGrid->addAction(kItems[tag]);
            a->setCheckable(true);
            a->setData(tag);
            connect(a, &QAction::triggered, this, [this, tag](bool checked) {
                const int r = PopupGrid->property("tag").toInt();
                if (r >= 0 && r < OpenFlights->FlightCount())
                    OpenFlights->GridCheck(tag + 1, r, checked);
            });
        }
        PopupGrid->addSeparator();
        PopupGrid->addAction("Cancel");
        connect(close, &QAction::triggered, this, [this] {
            const int r = PopupGrid->property("tag").toInt();
            if (r >= 0 && r < OpenFlights->FlightCount())
                OpenFlights->CloseDataFile(r);
        });
        connect(save, &QAction::triggered, this, [this] {
            const int r = PopupGrid->property("tag").toInt();
            if (r < 0 || r >= OpenFlights->FlightCount())
                return;
            // The file gets the notes as the editor shows them.
            if (r == OpenFlights->ActualRow())
                OpenFlights->StoreEditedNotes(r);
            QApplication::setOverrideCursor(Qt::WaitCursor);
            try {
                OpenFlights->SaveDataFile(r, false);
            } catch (const std::exception& e) {
                QApplication::restoreOverrideCursor();
                Dialogs().ShowError(window(), QString("Error by saving data!\r") + e.what());
                return;
            }
            QApplication::restoreOverrideCursor();
        });
    }
    PopupGrid->setProperty("tag", row);
    const QList<QAction*> actions = PopupGrid->actions();
    for (QAction* a : actions) {
        if (!a->isCheckable())
            continue;
        const TChannelState state = OpenFlights->Channel(a->data().toInt() + 1, row);
        a->setChecked(state == TChannelState::On);
        a->setEnabled(state != TChannelState::Unavailable);
    }
    PopupGrid->popup(globalPos);
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
        index.column() <= 5 && OpenFlights &&
        OpenFlights->Channel(index.column(), index.row()) != TChannelState::Unavailable) {
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
    if (col == kGridNameCol) {
        if (!OpenFlights)
            return {};
        // The file, then what the warning mark stands for.
        QString hint = OpenFlights->FileName(row);
        if (const TFlightEvents* events = OpenFlights->Events(row))
            if (!events->Warnings.empty())
                hint += "\n" + QString::fromStdString(WarningsHint(*events));
        return hint;
    }
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
