#pragma once

#include <QLineEdit>
#include <QPlainTextEdit>

#include <functional>

#include "binding/EditRules.h"

// What an inline editor hands to its window: the characters typed (the window asks the model
// what to do with each), the Up and Down arrows released, and the editor left for another
// control of the window (its exit). A window that merely loses activation does not count as an
// exit, so a message box or another program never commits a half-typed value.
struct InlineEditorHooks {
    std::function<CharDecision(QChar ch, const QString& before, const QString& after)> typed;
    std::function<void(int key)> arrowReleased;
    std::function<void()> exit;
};

// State both editors share: their hooks, and whether the text holds something not yet
// committed. A value is committed when the editor is left, moved from, or closed; one that is
// already committed is not committed again (a date message is not shown twice, an unchanged
// value not rewritten).
class InlineEditorState {
public:
    explicit InlineEditorState(InlineEditorHooks hooks) : hooks_(std::move(hooks)) {}

    bool Pending() const { return pending_ && !detached_; }
    void SetPending(bool pending) { pending_ = pending; }
    // The editor is being removed: from now on it reports nothing.
    void Detach() { detached_ = true; }
    bool Detached() const { return detached_; }

protected:
    // What both editors tell the window of a key released and of the focus going.
    void KeyReleased(const QKeyEvent& event);
    void FocusLost(const QFocusEvent& event);

    InlineEditorHooks hooks_;
    bool pending_ = false;
    bool detached_ = false;
};

// The single-line editor over a row of the current list: flat, in the window's font. Every
// typed character goes through the model's filter; Tab stays in the window's hands.
class InlineEdit : public QLineEdit, public InlineEditorState {
    Q_OBJECT
public:
    InlineEdit(QWidget* window, const QString& text, InlineEditorHooks hooks);

protected:
    bool event(QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void keyReleaseEvent(QKeyEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
};

// The multi-line editor over a row of the current list. It takes every character itself;
// Enter and Tab, after going in, move on to the next row.
class InlineMemo : public QPlainTextEdit, public InlineEditorState {
    Q_OBJECT
public:
    InlineMemo(QWidget* window, const QString& text, InlineEditorHooks hooks);

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void keyReleaseEvent(QKeyEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
};
