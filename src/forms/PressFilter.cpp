#include "PressFilter.h"

#include <QCoreApplication>
#include <QMouseEvent>

#include "EntryListWidget.h"

namespace {

// Any button: the current list applies a choice for a press of any of them, so the row it
// works from must be the one under that press, and a scroll bar moves for any of them too.
const QMouseEvent* ButtonPress(QEvent* event) {
    if (event->type() != QEvent::MouseButtonPress) return nullptr;
    return static_cast<const QMouseEvent*>(event);
}

}  // namespace

PressFilter::PressFilter(EntryListWidget& list, QObject* parent) : QObject(parent), list_(list) {}

PressFilter::~PressFilter() { Remove(); }

void PressFilter::Install() {
    if (installed_) return;
    QCoreApplication::instance()->installEventFilter(this);
    installed_ = true;
}

void PressFilter::Remove() {
    if (!installed_) return;
    if (QCoreApplication* app = QCoreApplication::instance()) app->removeEventFilter(this);
    installed_ = false;
}

bool PressFilter::eventFilter(QObject* watched, QEvent* event) {
    if (const QMouseEvent* press = ButtonPress(event); press && list_.RowCount() > 0) {
        const QWidget* viewport = list_.viewport();
        const QPoint at = viewport->mapFromGlobal(press->globalPosition().toPoint());
        // The viewport is the list's client area: its frame and scroll bar lie outside it.
        if (at.x() > 0 && at.y() > 0 && at.x() < viewport->width() && at.y() < viewport->height())
            pressRect_ = list_.RowRect(list_.RowAt(at));
    }
    return QObject::eventFilter(watched, event);
}

ScrollBarPressFilter::ScrollBarPressFilter(std::function<void()> pressed, QObject* parent)
    : QObject(parent), pressed_(std::move(pressed)) {}

bool ScrollBarPressFilter::eventFilter(QObject* watched, QEvent* event) {
    if (ButtonPress(event) && pressed_) pressed_();
    return QObject::eventFilter(watched, event);
}
