#pragma once

#include <QDialog>
#include <QSet>
#include <QStringList>

#include <functional>
#include <memory>
#include <optional>

#include "EntryPainters.h"
#include "EntryPictures.h"
#include "EntryWindow.h"
#include "binding/ProtocolSession.h"

namespace Ui {
class THDView;
}
class EntryListWidget;
class EntryRowDelegate;
class InlineEdit;
class InlineMemo;
class PressFilter;
class ScrollBarPressFilter;
class TFullText;
class UserDialogs;
class WidgetShown;
struct ProgramEnvironment;

// The protocol entry window: the entered values, the group being filled in and the groups
// still to do, side by side. Each showing opens the protocol in a fresh ProtocolSession (the
// tree, the reference choices and the lists for that showing); every handler reads its
// controls, calls the session, and shows what came back. Values are typed in editors that
// float over the current list and are written to the protocol's row as they are committed.
class THDView : public QDialog, public EntryWindow {
    Q_OBJECT
public:
    // Without a viewer the window makes its own for long values.
    THDView(ProgramEnvironment& env, UserDialogs& dialogs, QWidget* owner, TFullText* fullText = nullptr);
    ~THDView() override;

    // Shows protocol `number` modally.
    int OpenProtocol(int number) override;

    // The number (the record table's code) of the protocol to show; set before showing.
    int ProtocolNumber = 0;

    // Opens the protocols on these description lines instead of the ones generated from the
    // kind's catalogue (a description with groups, memos or check groups, which the catalogue
    // cannot express). Empty function: the generated description.
    void SetDescriptionSource(std::function<QStringList()> source) { descriptionSource_ = std::move(source); }

    Ui::THDView& Controls() { return *ui; }
    // The session of the current showing; null before the first one.
    ProtocolSession* Session() const { return session_.get(); }
    InlineEdit* Editor() const { return edit_; }
    InlineMemo* Memo() const { return memo_; }
    QRect PressRect() const;
    const EntryPainter& Painter() const { return painter_; }
    // The notice of a value that could not be written; empty when none is shown.
    QString NoticeText() const;

public slots:
    void Cur_LSTClick();
    void Cur_LSTMouseDown();
    void Next_LSTClick();
    void Entered_LSTClick();
    void Entered_LSTDblClick();
    void FormClick();
    void Ok_BTNClick();
    void Cancel_BTNClick();
    void GotoCurrent();
    void ScrollBarPress();
    void RepaintLists();
    // Commits an editor whose text is not yet committed, then destroys the editors.
    void RemoveInlineEditors();
    void CommitInlineEdit();
    void CommitInlineMemo();

public:
    void done(int result) override;

protected:
    bool event(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void moveEvent(QMoveEvent* event) override;
    void changeEvent(QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;

private:
    void FormShow();
    void FormResize(const QSize& client);
    void FormClose();
    void FormHide();
    // Commits the open editor and writes again the values the row does not hold yet; what
    // still is not written, one line per item with the reason.
    QStringList WriteOutstanding();
    // Before closing: true when everything is written or the user closes without the rest.
    bool ConfirmClose();

    bool Open();
    // Places the lists, titles, frames and buttons for a client area; true when a list moved
    // or changed its width.
    bool PlaceControls(int CW, int CH, bool threeColumns);
    bool ThreeColumns() const;
    int ScrollBarWidth() const;
    void Remeasure();
    void SyncLists();

    void KeepSelection(EntryListWidget& list, const std::function<void()>& body);
    void OpenEditor(const EditorRequest& request);
    void DestroyEditors();
    void PostGotoCurrent();
    // What a commit or press did to item: a date message, or a notice when nothing was written.
    void Show(const EditOutcome& outcome, const TNvDescriptorItem* item);
    // The open editor's commit, when it had something new; the editor stays, pending again
    // when the engine refused the value.
    std::optional<EditOutcome> CommitOpenEditor();
    void CommitAndShow();
    // Why a commit did not reach the row; empty when it did.
    static QString Problem(const EditOutcome& outcome);
    static QString LostLine(const QString& name, const QString& why);
    void ShowSave(const SaveOutcome& save, const TNvDescriptorItem* item);
    void NotSaved(const TNvDescriptorItem* item, const QString& why);
    void Notice(const QString& key, const QString& text);
    // Runs a handler's body: an engine error is shown and stops the handler, never the window.
    void Guarded(const std::function<void()>& body);

    std::unique_ptr<Ui::THDView> ui;
    ProgramEnvironment& env_;
    UserDialogs& dialogs_;
    TFullText* fullText_ = nullptr;
    std::unique_ptr<TFullText> ownFullText_;
    EntryPictures pictures_;
    EntryPainter painter_;
    std::unique_ptr<WidgetShown> nextFrame_;
    EntryRowDelegate* enteredRows_ = nullptr;
    EntryRowDelegate* currentRows_ = nullptr;
    EntryRowDelegate* nextRows_ = nullptr;
    PressFilter* pressFilter_ = nullptr;
    ScrollBarPressFilter* scrollBarFilter_ = nullptr;
    std::unique_ptr<ProtocolSession> session_;
    std::function<QStringList()> descriptionSource_;

    int listFrameWidth_ = 0;
    QSize placed_;  // the client size the controls were last placed for
    InlineEdit* edit_ = nullptr;
    InlineMemo* memo_ = nullptr;
    QSet<QString> noticed_;  // what has been told this showing
    bool lossTold_ = false;  // the user chose to close without the values not written
    // What the open editor's last commit could not write (a bad date, a refused text), while
    // that editor stays open; closing tells it.
    QString editorProblem_;
    int dateMessageTicket_ = 0;  // a queued date message shows only while it is the latest
};
