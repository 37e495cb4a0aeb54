#include "EntryListWidget.h"

#include <QMouseEvent>
#include <QScrollBar>
#include <QWheelEvent>

EntryListWidget::EntryListWidget(QWidget* parent) : QListWidget(parent) {
    setVerticalScrollMode(QAbstractItemView::ScrollPerItem);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setUniformItemSizes(false);
    setMouseTracking(false);
    setAutoScroll(false);
}

void EntryListWidget::Clear() {
    rows_.clear();
    if (!pending_) {
        pending_ = true;
        // A rebuild that nothing reads afterwards still reaches the screen.
        QMetaObject::invokeMethod(this, &EntryListWidget::Sync, Qt::QueuedConnection);
    }
}

void EntryListWidget::AddRow(const QString& text) {
    rows_.append(text);
}

void EntryListWidget::SyncIfPending() const {
    if (pending_) const_cast<EntryListWidget*>(this)->Sync();
}

void EntryListWidget::Sync() {
    if (!pending_) return;
    pending_ = false;
    if (rows_ == shownRows_) {
        if (!layoutPending_ && heights_) {
            setCurrentRow(-1);  // a rebuild takes the selection with the old rows
            // Which rows changed is asked once, however many rebuilds come before the rows
            // are next shown or pressed.
            if (!recheckPending_) {
                recheckPending_ = true;
                QMetaObject::invokeMethod(this, &EntryListWidget::Recheck, Qt::QueuedConnection);
            }
            return;
        }
        pendingSelected_ = -1;
    } else {
        pendingSelected_.reset();
        clear();
        addItems(rows_);
        shownRows_ = rows_;
    }
    // Measured once, when the rows are next needed (to be painted, pressed or scrolled): a
    // show or a commit rebuilds a list several times over before it is painted.
    if (heights_) heights_->Forget();
    layoutPending_ = true;
    scheduleDelayedItemsLayout();
}

void EntryListWidget::Recheck() {
    if (!recheckPending_) return;
    recheckPending_ = false;
    if (layoutPending_ || !heights_) return;
    if (const std::optional<std::vector<int>> changed = heights_->Recheck()) {
        for (const int row : *changed) viewport()->update(visualRect(model()->index(row, 0)));
        return;
    }
    heights_->Forget();
    layoutPending_ = true;
    doItemsLayout();
}

void EntryListWidget::EnsureLayout() const {
    SyncIfPending();
    auto* self = const_cast<EntryListWidget*>(this);
    if (recheckPending_) self->Recheck();
    if (layoutPending_) self->doItemsLayout();
}

bool EntryListWidget::viewportEvent(QEvent* event) {
    // Painted, pressed or scrolled only with the rows as they now are.
    if (recheckPending_) Recheck();
    return QListWidget::viewportEvent(event);
}

void EntryListWidget::keyPressEvent(QKeyEvent* event) {
    EnsureLayout();
    QListWidget::keyPressEvent(event);
}

void EntryListWidget::doItemsLayout() {
    QListWidget::doItemsLayout();
    layoutPending_ = false;
    // What was asked for while the rows were not measured: the top row needs their scroll
    // range, and selecting repaints the selected row, which needs its rectangle.
    if (pendingTop_) {
        const int top = *pendingTop_;
        pendingTop_.reset();
        verticalScrollBar()->setValue(top);
    }
    if (pendingSelected_) {
        const int selected = *pendingSelected_;
        pendingSelected_.reset();
        setCurrentRow(selected);
    }
}

void EntryListWidget::Remeasure() {
    SyncIfPending();
    recheckPending_ = false;
    if (heights_) heights_->Forget();
    layoutPending_ = true;
    doItemsLayout();
    viewport()->update();
}

int EntryListWidget::TopIndex() const {
    SyncIfPending();
    return pendingTop_ ? *pendingTop_ : verticalScrollBar()->value();
}

void EntryListWidget::SetTopIndex(int index) {
    SyncIfPending();
    if (layoutPending_)
        pendingTop_ = index;
    else
        verticalScrollBar()->setValue(index);
}

int EntryListWidget::Selected() const {
    SyncIfPending();
    if (pendingSelected_) return *pendingSelected_;
    const QModelIndexList selected = selectionModel()->selectedIndexes();
    return selected.isEmpty() ? -1 : selected.first().row();
}

void EntryListWidget::SetSelected(int index) {
    SyncIfPending();
    const int row = index >= 0 && index < count() ? index : -1;
    if (layoutPending_)
        pendingSelected_ = row;
    else
        setCurrentRow(row);
}

void EntryListWidget::SetShown(bool shown) {
    SyncIfPending();
    setVisible(shown);
}

QRect EntryListWidget::RowRect(int index) const {
    EnsureLayout();
    if (count() == 0) return {};
    if (index < count()) return visualRect(model()->index(index, 0));
    const QRect last = visualRect(model()->index(count() - 1, 0));
    return last.translated(0, last.height());
}

int EntryListWidget::RowAt(const QPoint& point) const {
    EnsureLayout();
    const QModelIndex index = indexAt(point);
    return index.isValid() ? index.row() : count();
}

void EntryListWidget::wheelEvent(QWheelEvent* event) {
    // Only the vertical wheel steps by rows; a tilt sideways is the list's own business.
    const QPoint turn = event->angleDelta();
    if (!oneLineWheel_ || (turn.y() == 0 && turn.x() != 0)) {
        QListWidget::wheelEvent(event);
        return;
    }
    event->accept();
    EnsureLayout();
    const int top = TopIndex();
    // Turned away from the user (or not at all): one row up.
    SetTopIndex(turn.y() >= 0 ? top - 1 : top + 1);
    if (TopIndex() != top) emit WheelScrolled();
}

void EntryListWidget::mousePressEvent(QMouseEvent* event) {
    EnsureLayout();  // a commit just before the press may have changed a row's height
    lastPress_ = event->position().toPoint();
    QListWidget::mousePressEvent(event);
}

void EntryListWidget::mouseDoubleClickEvent(QMouseEvent* event) {
    // A rebuild between the two presses (the first click may unfold a group) must not turn the
    // double click into nothing, so it is a press here whatever row lies under it.
    QMouseEvent press(QEvent::MouseButtonPress, event->position(), event->scenePosition(),
                      event->globalPosition(), event->button(), event->buttons(), event->modifiers());
    mousePressEvent(&press);
    if (event->button() == Qt::LeftButton) emit DoubleClicked();
}

void WidgetShown::SetShown(bool shown) {
    widget_->setVisible(shown);
}
