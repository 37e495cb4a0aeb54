#pragma once

#include <QObject>
#include <QRect>

#include <functional>

class EntryListWidget;

// Records where the current list was last pressed, seen before any window handles the press:
// installed on the application while the entry window is shown. Only the position decides, so
// a press on an editor floating over the list counts as well; presses on the list's frame or
// scroll bar, outside it, or on an empty list leave the rectangle as it was.
class PressFilter : public QObject {
    Q_OBJECT
public:
    explicit PressFilter(EntryListWidget& list, QObject* parent = nullptr);
    ~PressFilter() override;

    void Install();
    void Remove();
    bool Installed() const { return installed_; }

    // The rectangle, in the list's viewport coordinates, of the row under the last press
    // (below the last row: the last row's rectangle moved down by its height).
    QRect PressRect() const { return pressRect_; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    EntryListWidget& list_;
    QRect pressRect_;
    bool installed_ = false;
};

// Calls back when a scroll bar it watches is pressed, with any button.
class ScrollBarPressFilter : public QObject {
    Q_OBJECT
public:
    ScrollBarPressFilter(std::function<void()> pressed, QObject* parent);
    void Watch(QObject* scrollBar) { scrollBar->installEventFilter(this); }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    std::function<void()> pressed_;
};
