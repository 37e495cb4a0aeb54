#include "EntryDelegates.h"

#include <QPainter>
#include <QStyle>
#include <QStyleOptionFocusRect>

#include "EntryListWidget.h"
#include "EntryPainters.h"

namespace {

constexpr qsizetype kMaxKept = 50000;

}  // namespace

EntryRowDelegate::EntryRowDelegate(const EntryPainter& painter, Rows rows, EntryListWidget& list)
    : QAbstractItemDelegate(&list), painter_(painter), rows_(rows), list_(list) {
    list.SetRowHeights(this);
}

int EntryRowDelegate::Measure(int row) const {
    return rows_ == Rows::Side ? painter_.DrawSideItem(list_, row, nullptr, QRect())
                               : painter_.DrawCurrentItem(list_, row, nullptr, QRect());
}

int EntryRowDelegate::HeightOf(int row, size_t key) const {
    if (heights_.size() > kMaxKept) heights_.clear();  // many showings of many protocols
    auto found = heights_.constFind(key);
    if (found == heights_.cend()) found = heights_.insert(key, Measure(row));
    return *found;
}

QSize EntryRowDelegate::sizeHint(const QStyleOptionViewItem&, const QModelIndex& index) const {
    const int row = index.row();
    if (row < int(rowHeights_.size()) && rowHeights_[row] >= 0) return {1, rowHeights_[row]};
    if (row >= int(rowHeights_.size())) {
        rowHeights_.resize(list_.RowCount(), -1);
        rowKeys_.resize(list_.RowCount(), 0);
        rowStates_.resize(list_.RowCount());
    }
    const size_t key = painter_.MeasureKey(list_.Row(row), ListTextWidth(list_, painter_.Look()));
    if (key == 0) return {1, 0};
    const int height = HeightOf(row, key);
    if (row < int(rowHeights_.size())) {
        rowHeights_[row] = height;
        rowKeys_[row] = key;
        rowStates_[row] = {};  // taken at the first recheck: a showing measures, it need not compare
    }
    return {1, height};
}

std::optional<std::vector<int>> EntryRowDelegate::Recheck() {
    const int rows = list_.RowCount();
    if (int(rowHeights_.size()) != rows) return std::nullopt;
    const int width = ListTextWidth(list_, painter_.Look());
    std::vector<int> changed;
    for (int row = 0; row < rows; ++row) {
        if (rowHeights_[row] < 0) return std::nullopt;
        const QString text = list_.Row(row);
        if (painter_.Unchanged(text, rowStates_[row])) continue;
        const size_t key = painter_.MeasureKey(text, width);
        rowStates_[row] = painter_.StateOf(text);
        if (key == rowKeys_[row]) continue;
        if (key == 0 || HeightOf(row, key) != rowHeights_[row]) return std::nullopt;
        rowKeys_[row] = key;
        changed.push_back(row);
    }
    return changed;
}

void EntryRowDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option,
                             const QModelIndex& index) const {
    painter->save();
    painter->setClipRect(option.rect);
    if (rows_ == Rows::Side)
        painter_.DrawSideItem(list_, index.row(), painter, option.rect);
    else
        painter_.DrawCurrentItem(list_, index.row(), painter, option.rect);
    painter->restore();
    // A selected row is painted like any other; the focus frame is the only mark.
    if (option.state & QStyle::State_HasFocus) {
        QStyleOptionFocusRect focus;
        focus.initFrom(&list_);
        focus.rect = option.rect;
        focus.backgroundColor = kListColour;
        list_.style()->drawPrimitive(QStyle::PE_FrameFocusRect, &focus, painter, &list_);
    }
}
