#pragma once

#include <QAbstractItemDelegate>
#include <QHash>

#include <vector>

#include "EntryListWidget.h"

#include "EntryPainters.h"

// Draws and measures the rows of one entry list with the entry painters: the size hint runs
// the row's painter with painting off, so a row is as high as its painting. Heights are kept
// by everything they depend on (EntryPainter::MeasureKey), so a rebuild after a commit
// measures only the rows that changed; ClearHeights forgets them when the look changes.
class EntryRowDelegate : public QAbstractItemDelegate, public RowHeights {
    Q_OBJECT
public:
    enum class Rows { Side, Current };

    EntryRowDelegate(const EntryPainter& painter, Rows rows, EntryListWidget& list);

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override;
    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override;

    void ClearHeights() {
        heights_.clear();
        Forget();
    }
    void Forget() override {
        rowHeights_.clear();
        rowKeys_.clear();
        rowStates_.clear();
    }
    std::optional<std::vector<int>> Recheck() override;
    // The height the painter gives the row, measured now.
    int Measure(int row) const;

private:
    // The height of the row whose measure key is key, from the heights kept when it can be.
    int HeightOf(int row, size_t key) const;

private:
    const EntryPainter& painter_;
    Rows rows_;
    EntryListWidget& list_;
    mutable QHash<size_t, int> heights_;
    // By row, since the list's last rebuild: a layout done twice measures nothing twice.
    mutable std::vector<int> rowHeights_;  // -1 until measured
    mutable std::vector<size_t> rowKeys_;
    mutable std::vector<EntryPainter::RowState> rowStates_;
};
