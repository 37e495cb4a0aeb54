#pragma once

#include <QListWidget>
#include <QStringList>

#include <optional>
#include <vector>

#include "binding/EntryList.h"

// What measures a list's rows (its delegate), for the list to keep or forget.
class RowHeights {
public:
    virtual ~RowHeights() = default;
    // The rows changed, or must be measured anew: nothing measured so far holds.
    virtual void Forget() = 0;
    // After a rebuild that kept the rows: those whose drawing may have changed, measured again;
    // nothing when any height changed or is not known, so that the rows are laid out anew.
    virtual std::optional<std::vector<int>> Recheck() = 0;
};

// One owner-drawn list of the entry window, as the binding sees it: rows of text naming tree
// items, the top row shown and one selected row. It scrolls by whole rows, so the vertical
// scroll bar's value is the top index; its delegate measures and paints every row.
//
// A rebuild (Clear, then AddRow for every row) is collected and put into the widget at the
// first call that needs the widget. A rebuild that leaves the rows as they were keeps the
// widget's items and repaints the rows whose drawing changed; only when a height changed
// are the rows laid out again (a commit of one value repaints one or two rows, not the list).
class EntryListWidget : public QListWidget, public EntryList {
    Q_OBJECT
public:
    explicit EntryListWidget(QWidget* parent = nullptr);

    void Clear() override;
    void AddRow(const QString& text) override;
    int RowCount() const override { return int(rows_.size()); }
    QString Row(int index) const override { return rows_.value(index); }
    int TopIndex() const override;
    void SetTopIndex(int index) override;
    int Selected() const override;
    void SetSelected(int index) override;
    void SetShown(bool shown) override;

    // Puts a collected rebuild into the widget; its rows are measured when next needed.
    void Sync();
    // Measures the rows now if they are not (before their rectangles are read).
    void EnsureLayout() const;
    void doItemsLayout() override;
    // Measures every row again without a rebuild (the metrics or the width changed).
    void Remeasure();

    // The rectangle of a row in viewport coordinates; below the last row, the last row's
    // rectangle moved down by its own height. Empty when the list has no rows.
    QRect RowRect(int index) const;
    // The row at a viewport point, or RowCount() when the point lies below the last row.
    int RowAt(const QPoint& point) const;

    void SetRowHeights(RowHeights* heights) { heights_ = heights; }

    // Where the list was last pressed, in viewport coordinates.
    QPoint LastPress() const { return lastPress_; }

    // A turn of the wheel moves the top row by exactly one, whatever the distance turned.
    void SetOneLineWheel(bool on) { oneLineWheel_ = on; }

signals:
    // The wheel moved the top row (only with the one-line wheel).
    void WheelScrolled();
    // The second press of a double click, after it was handled as a press of its own (so
    // pressed() is emitted for it as well, and the row under it selected).
    void DoubleClicked();

protected:
    void wheelEvent(QWheelEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    bool viewportEvent(QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;

private:
    void SyncIfPending() const;
    // After rebuilds that kept the rows: repaints the rows that changed, or lays out anew.
    void Recheck();

    QStringList rows_;
    QStringList shownRows_;  // the rows the widget's items hold
    RowHeights* heights_ = nullptr;
    bool pending_ = false;
    bool layoutPending_ = false;
    bool recheckPending_ = false;
    std::optional<int> pendingTop_;
    std::optional<int> pendingSelected_;
    bool oneLineWheel_ = false;
    QPoint lastPress_;
};

// A widget that the binding shows and hides: the frame behind the next list's title.
class WidgetShown : public Shown {
public:
    explicit WidgetShown(QWidget* widget) : widget_(widget) {}
    void SetShown(bool shown) override;

private:
    QWidget* widget_;
};
