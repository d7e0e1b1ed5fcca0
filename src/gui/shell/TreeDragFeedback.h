// What a view shows while an item is dragged over it: the drop target lit, scrolling at the edges.
#pragma once

#include <QObject>
#include <QPersistentModelIndex>

class QAbstractItemView;
class QPainter;
class QStyleOptionViewItem;
class QTimer;

namespace zirko {

class TTreeDragFeedback : public QObject {
public:
    static constexpr int kScrollBand = 20; // pixels at the top and bottom that scroll a drag

    explicit TTreeDragFeedback(QAbstractItemView* view);

    // The pointer is at height `y` (viewport coordinates) over the row `target` (invalid: none).
    void Moved(int y, const QModelIndex& target);
    // The drag left the view, was dropped or ended.
    void Ended();

    bool IsTarget(const QModelIndex& index) const;
    // The target row's light: a tint beneath the row's own drawing, a frame over it.
    void PaintBelow(QPainter* painter, const QStyleOptionViewItem& option) const;
    void PaintAbove(QPainter* painter, const QStyleOptionViewItem& option) const;

private:
    void Scroll();

    QAbstractItemView* View;
    QTimer* ScrollTimer = nullptr;
    QPersistentModelIndex Target;
    int PointerY = -1;
};

} // namespace zirko
