#pragma once

#include <QString>
#include <QStringList>

// Something the entry lists show or hide: a list box, or the frame behind the next list's title.
class Shown {
public:
    virtual ~Shown() = default;
    virtual void SetShown(bool shown) = 0;
};

// What the lists of the entry window offer the binding: rows of text, the first row shown
// (top index) and one selected row. The window's list boxes implement it; tests fake it.
class EntryList : public Shown {
public:
    // Removes every row; the selection goes with them.
    virtual void Clear() = 0;
    virtual void AddRow(const QString& text) = 0;
    virtual int RowCount() const = 0;
    virtual QString Row(int index) const = 0;
    virtual int TopIndex() const = 0;
    virtual void SetTopIndex(int index) = 0;
    // -1 when no row is selected. Selecting an index outside the rows selects none.
    virtual int Selected() const = 0;
    virtual void SetSelected(int index) = 0;

    // The first row whose text is text, or -1.
    int IndexOf(const QString& text) const;
};

// The three lists of the entry window and the frame that is shown and hidden with the next one.
struct EntryLists {
    EntryList& entered;
    EntryList& current;
    EntryList& next;
    Shown* nextFrame = nullptr;
};

// A list held in memory: what the command line and the benchmarks show the model on.
class MemoryEntryList : public EntryList {
public:
    void Clear() override;
    void AddRow(const QString& text) override { rows_.append(text); }
    int RowCount() const override { return int(rows_.size()); }
    QString Row(int index) const override { return rows_.value(index); }
    int TopIndex() const override { return top_; }
    void SetTopIndex(int index) override { top_ = index; }
    int Selected() const override { return selected_; }
    void SetSelected(int index) override;
    void SetShown(bool shown) override { shown_ = shown; }

    bool IsShown() const { return shown_; }
    const QStringList& Rows() const { return rows_; }

private:
    QStringList rows_;
    int top_ = 0;
    int selected_ = -1;
    bool shown_ = true;
};

// A frame that only remembers whether it is shown.
class MemoryShown : public Shown {
public:
    void SetShown(bool shown) override { shown_ = shown; }
    bool IsShown() const { return shown_; }

private:
    bool shown_ = true;
};
