// The entry window's editing: the inline editors over the current list, presses on its
// choices, and the moves between its rows.
#include "THDView.h"

#include <QCoreApplication>
#include <QEvent>

#include "EntryListWidget.h"
#include "InlineEditors.h"
#include "PressFilter.h"
#include "UserDialogs.h"
#include "binding/EditRules.h"
#include "ui_THDView.h"

namespace {

// The private message that moves the editor to row CurIndex once the key that asked for it
// has been handled.
const QEvent::Type kGotoCurrent = QEvent::Type(QEvent::registerEventType(QEvent::User + 1));

}  // namespace

bool THDView::event(QEvent* event) {
    if (event->type() == kGotoCurrent) {
        GotoCurrent();
        return true;
    }
    return QDialog::event(event);
}

void THDView::PostGotoCurrent() {
    QCoreApplication::postEvent(this, new QEvent(kGotoCurrent));
}

// ---- the current list -------------------------------------------------------------------

void THDView::KeepSelection(EntryListWidget& list, const std::function<void()>& body) {
    // A commit rebuilds the lists, which takes their selection; the row just clicked stays.
    const int row = list.Selected();
    body();
    if (list.Selected() < 0 && row >= 0) list.SetSelected(row);
}

void THDView::Cur_LSTClick() {
    KeepSelection(*ui->Cur_LST, [this] { RemoveInlineEditors(); });
    if (!session_ || !session_->Tree()) return;
    EditorRequest request;
    Guarded([&] { request = session_->CurrentListClick(); });
    OpenEditor(request);
}

void THDView::Cur_LSTMouseDown() {
    KeepSelection(*ui->Cur_LST, [this] { RemoveInlineEditors(); });
    if (!session_ || !session_->Tree()) return;
    EntryListWidget& list = *ui->Cur_LST;
    const PressPoint point{list.LastPress().y(), pressFilter_->PressRect().top(),
                           list.RowRect(list.Selected()).top()};
    PressOutcome outcome;
    Guarded([&] { outcome = session_->CurrentListPress(point); });
    if (!outcome.error.isEmpty())
        Notice(QStringLiteral("ref:") + outcome.error, QStringLiteral("Справочник не прочитан: ") + outcome.error);
    if (outcome.applied) ShowSave(outcome.save, session_->CurItem());
    if (outcome.repaintRow) list.viewport()->update(list.RowRect(list.Selected()));
}

void THDView::GotoCurrent() {
    if (!session_ || !session_->Tree()) return;
    QString text;
    bool pending = false;
    if (edit_) {
        text = edit_->text();
        pending = edit_->Pending();
    } else if (memo_) {
        text = memo_->toPlainText();
        pending = memo_->Pending();
    }
    DestroyEditors();
    if (!pending) session_->RemoveEditors();  // nothing new to write
    const TNvDescriptorItem* committed = session_->CurItem();  // the move changes it
    GotoOutcome outcome;
    Guarded([&] { outcome = session_->GotoCurrent(text); });
    if (pending) Show(outcome.commit, committed);
    OpenEditor(outcome.editor);
}

void THDView::ScrollBarPress() {
    // The list is about to move under the editor: its text is written first.
    RemoveInlineEditors();
}

// ---- the editors ------------------------------------------------------------------------

void THDView::OpenEditor(const EditorRequest& request) {
    if (request.kind == EditorRequest::Kind::None) return;
    editorProblem_.clear();  // a new editor has told nothing yet
    EntryListWidget& list = *ui->Cur_LST;
    const QRect row = list.RowRect(list.Selected());
    const int clientWidth = list.viewport()->width();
    const int left = list.x() + request.indent;
    const int top = list.y() + row.top() + request.nameHeight;
    InlineEditorHooks hooks;
    hooks.arrowReleased = [this](int key) {
        session_->MoveBy(key == Qt::Key_Up ? -1 : 1);
        PostGotoCurrent();
    };
    QWidget* editor = nullptr;
    if (request.kind == EditorRequest::Kind::Edit) {
        hooks.typed = [this](QChar ch, const QString& before, const QString& after) {
            const CharDecision decision = session_->EditKey(ch, before, after);
            if (decision.kind == CharDecision::Kind::MoveNext) PostGotoCurrent();
            if (!decision.reason.isEmpty() && session_->CurItem())
                Notice(QStringLiteral("char:") + QString::number(session_->CurItem()->Id()),
                       QStringLiteral("«%1»: %2").arg(session_->CurItem()->Name, decision.reason));
            return decision;
        };
        hooks.exit = [this] { CommitInlineEdit(); };
        edit_ = new InlineEdit(this, request.text, std::move(hooks));
        edit_->setGeometry(left, top, clientWidth - request.indent, request.height);
        editor = edit_;
    } else {
        hooks.typed = [this](QChar ch, const QString&, const QString&) {
            const CharDecision decision = session_->MemoKey(ch);
            if (decision.kind == CharDecision::Kind::MoveNext) PostGotoCurrent();
            return decision;
        };
        hooks.exit = [this] { CommitInlineMemo(); };
        memo_ = new InlineMemo(this, request.text, std::move(hooks));
        memo_->setGeometry(left, top, clientWidth, request.height);
        editor = memo_;
    }
    editor->show();
    editor->raise();
    editor->setFocus();
    // The memo's row hides its value while the memo is open.
    list.viewport()->update(list.RowRect(list.Selected()));
}

std::optional<EditOutcome> THDView::CommitOpenEditor() {
    if (!session_ || !session_->Tree()) return std::nullopt;
    EditOutcome outcome;
    const auto stillPending = [&] { return outcome.save.status == SaveOutcome::Status::Failed; };
    if (memo_ && memo_->Pending()) {
        Guarded([&] { outcome = session_->CommitMemo(memo_->toPlainText()); });
        // A value the engine refused stays to be written at the next chance.
        memo_->SetPending(stillPending());
    } else if (edit_ && edit_->Pending()) {
        Guarded([&] { outcome = session_->CommitEdit(edit_->text()); });
        edit_->SetPending(stillPending());
    } else {
        return std::nullopt;
    }
    if (Problem(outcome).isEmpty()) editorProblem_.clear();  // put right since
    return outcome;
}

QString THDView::Problem(const EditOutcome& outcome) {
    switch (outcome.commit.kind) {
        case CommitResult::Kind::DateInvalid: return kDateMessage;
        case CommitResult::Kind::Refused: return outcome.commit.reason;
        default: return outcome.save.Ok() ? QString() : outcome.save.message;
    }
}

void THDView::CommitInlineEdit() {
    if (edit_) CommitAndShow();
}

void THDView::CommitInlineMemo() {
    if (memo_) CommitAndShow();
}

void THDView::CommitAndShow() {
    const TNvDescriptorItem* item = session_ ? session_->CurItem() : nullptr;
    if (const std::optional<EditOutcome> outcome = CommitOpenEditor()) Show(*outcome, item);
}

void THDView::RemoveInlineEditors() {
    CommitInlineMemo();
    CommitInlineEdit();
    DestroyEditors();
    if (session_) session_->RemoveEditors();
}

void THDView::DestroyEditors() {
    for (QWidget* editor : {static_cast<QWidget*>(edit_), static_cast<QWidget*>(memo_)}) {
        if (!editor) continue;
        if (editor == edit_) edit_->Detach();
        if (editor == memo_) memo_->Detach();
        if (editor->hasFocus()) setFocus();
        editor->hide();
        editor->deleteLater();
    }
    edit_ = nullptr;
    memo_ = nullptr;
    editorProblem_.clear();  // its text is gone with it; the user was told when it was left
}

// ---- what a commit did ------------------------------------------------------------------

void THDView::Show(const EditOutcome& outcome, const TNvDescriptorItem* item) {
    switch (outcome.commit.kind) {
        case CommitResult::Kind::DateInvalid: {
            if (item && (edit_ || memo_)) editorProblem_ = LostLine(item->Name, kDateMessage);
            // After the event that committed: a modal box in the middle of a focus change or a
            // press would run that event's rest inside its own loop.
            const int ticket = ++dateMessageTicket_;
            QMetaObject::invokeMethod(
                this,
                [this, ticket] {
                    if (ticket == dateMessageTicket_) dialogs_.Message(this, kDateMessage, UserDialogs::Icon::Error);
                },
                Qt::QueuedConnection);
            break;
        }
        case CommitResult::Kind::Refused:
            if (item && (edit_ || memo_)) editorProblem_ = LostLine(item->Name, outcome.commit.reason);
            NotSaved(item, outcome.commit.reason);
            return;
        default: break;
    }
    ShowSave(outcome.save, item);
}

void THDView::ShowSave(const SaveOutcome& save, const TNvDescriptorItem* item) {
    if (!save.Ok()) NotSaved(item, save.message);
}

void THDView::NotSaved(const TNvDescriptorItem* item, const QString& why) {
    Notice(QStringLiteral("save:") + QString::number(item ? item->Id() : 0),
           QStringLiteral("«%1» не записано: %2").arg(item ? item->Name : QString(), why));
}
