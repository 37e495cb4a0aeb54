#include "InlineEditors.h"

#include <QFocusEvent>
#include <QKeyEvent>

namespace {

constexpr char16_t kDelete = 0x7f;  // the Delete key edits, it types nothing

// The character a key press types, as the editors filter it; null for keys that type none.
QChar TypedChar(const QKeyEvent& event) {
    const QString text = event.text();
    if (text.isEmpty() || text.front() == kDelete) return {};
    return text.front();
}

bool IsArrow(int key) { return key == Qt::Key_Up || key == Qt::Key_Down; }

// Only a move of the focus inside the window leaves the editor.
bool LeavesEditor(const QFocusEvent& event) {
    return event.reason() != Qt::ActiveWindowFocusReason && event.reason() != Qt::PopupFocusReason;
}

}  // namespace

void InlineEditorState::KeyReleased(const QKeyEvent& event) {
    if (IsArrow(event.key()) && !event.isAutoRepeat() && !detached_ && hooks_.arrowReleased)
        hooks_.arrowReleased(event.key());
}

void InlineEditorState::FocusLost(const QFocusEvent& event) {
    if (LeavesEditor(event) && !detached_ && hooks_.exit) hooks_.exit();
}

InlineEdit::InlineEdit(QWidget* window, const QString& text, InlineEditorHooks hooks)
    : QLineEdit(text, window), InlineEditorState(std::move(hooks)) {
    setFrame(false);
    selectAll();
    connect(this, &QLineEdit::textChanged, this, [this] { pending_ = true; });
}

bool InlineEdit::event(QEvent* event) {
    // Tab moves to the next row of the list, not to the next control of the window.
    if (event->type() == QEvent::KeyPress) {
        auto* key = static_cast<QKeyEvent*>(event);
        if (key->key() == Qt::Key_Tab && !(key->modifiers() & (Qt::ControlModifier | Qt::AltModifier))) {
            keyPressEvent(key);
            return true;
        }
    }
    return QLineEdit::event(event);
}

void InlineEdit::keyPressEvent(QKeyEvent* event) {
    const QChar ch = TypedChar(*event);
    if (IsArrow(event->key())) {
        event->accept();  // handled when released
        return;
    }
    if (ch.isNull() || detached_ || !hooks_.typed) {
        QLineEdit::keyPressEvent(event);
        return;
    }
    const int start = hasSelectedText() ? selectionStart() : cursorPosition();
    const int end = hasSelectedText() ? selectionEnd() : cursorPosition();
    const CharDecision decision = hooks_.typed(ch, text().left(start), text().mid(end));
    switch (decision.kind) {
        case CharDecision::Kind::Accept: QLineEdit::keyPressEvent(event); return;
        case CharDecision::Kind::Replace: insert(QString(decision.replacement)); break;
        case CharDecision::Kind::Drop:
        case CharDecision::Kind::MoveNext: break;
    }
    event->accept();
}

void InlineEdit::keyReleaseEvent(QKeyEvent* event) {
    QLineEdit::keyReleaseEvent(event);
    KeyReleased(*event);
}

void InlineEdit::focusOutEvent(QFocusEvent* event) {
    QLineEdit::focusOutEvent(event);
    FocusLost(*event);
}

InlineMemo::InlineMemo(QWidget* window, const QString& text, InlineEditorHooks hooks)
    : QPlainTextEdit(text, window), InlineEditorState(std::move(hooks)) {
    setFrameShape(QFrame::NoFrame);
    setTabChangesFocus(false);
    // Opening a memo hides its item's value in the list until a commit shows it again.
    pending_ = true;
    connect(this, &QPlainTextEdit::textChanged, this, [this] { pending_ = true; });
}

void InlineMemo::keyPressEvent(QKeyEvent* event) {
    const QChar ch = TypedChar(*event);
    QPlainTextEdit::keyPressEvent(event);
    if (!ch.isNull() && !detached_ && hooks_.typed) hooks_.typed(ch, {}, {});
}

void InlineMemo::keyReleaseEvent(QKeyEvent* event) {
    QPlainTextEdit::keyReleaseEvent(event);
    KeyReleased(*event);
}

void InlineMemo::focusOutEvent(QFocusEvent* event) {
    QPlainTextEdit::focusOutEvent(event);
    FocusLost(*event);
}
