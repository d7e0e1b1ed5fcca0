#include "gui/shell/TreeDragFeedback.h"

#include <QAbstractItemView>
#include <QPainter>
#include <QScrollBar>
#include <QStyleOptionViewItem>
#include <QTimer>

namespace zirko {

namespace {

constexpr int kScrollRepeatMs = 80;

} // namespace

TTreeDragFeedback::TTreeDragFeedback(QAbstractItemView* view) : QObject(view), View(view)
{
    ScrollTimer = new QTimer(this);
    ScrollTimer->setInterval(kScrollRepeatMs);
    connect(ScrollTimer, &QTimer::timeout, this, &TTreeDragFeedback::Scroll);
}

void TTreeDragFeedback::Moved(int y, const QModelIndex& target)
{
    PointerY = y;
    if (Target != target) {
        Target = target;
        View->viewport()->update();
    }
    const bool inBand = y < kScrollBand || y > View->viewport()->height() - kScrollBand;
    if (!inBand) {
        ScrollTimer->stop();
    } else if (!ScrollTimer->isActive()) {
        Scroll();
        ScrollTimer->start();
    }
}

void TTreeDragFeedback::Ended()
{
    ScrollTimer->stop();
    PointerY = -1;
    Target = QPersistentModelIndex();
    View->viewport()->update();
}

bool TTreeDragFeedback::IsTarget(const QModelIndex& index) const
{
    return Target.isValid() && index == Target;
}

void TTreeDragFeedback::PaintBelow(QPainter* painter, const QStyleOptionViewItem& option) const
{
    QColor fill = View->palette().color(QPalette::Highlight);
    fill.setAlpha(60);
    painter->fillRect(option.rect, fill);
}

void TTreeDragFeedback::PaintAbove(QPainter* painter, const QStyleOptionViewItem& option) const
{
    painter->save();
    painter->setPen(View->palette().color(QPalette::Highlight));
    painter->drawRect(option.rect.adjusted(0, 0, -1, -1));
    painter->restore();
}

void TTreeDragFeedback::Scroll()
{
    QScrollBar* bar = View->verticalScrollBar();
    if (PointerY < 0)
        ScrollTimer->stop();
    else if (PointerY < kScrollBand)
        bar->triggerAction(QAbstractSlider::SliderSingleStepSub);
    else if (PointerY > View->viewport()->height() - kScrollBand)
        bar->triggerAction(QAbstractSlider::SliderSingleStepAdd);
    else
        ScrollTimer->stop();
}

} // namespace zirko
