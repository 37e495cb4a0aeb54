#pragma once

#include <QMainWindow>

#include <functional>
#include <memory>

#include "TFolderDB.h"

namespace Ui {
class TMain;
}
class QTimer;
class RegisterModel;
class THelp;
class UserDialogs;
struct ProgramEnvironment;
struct ProgramWindows;

// The register window: the protocols of the chosen kind, searched as the user types, and the
// commands that create, open, delete and archive them. The first show runs the start sequence
// (the kind dialog, the record table, the session) before the window appears.
class TMain : public QMainWindow {
    Q_OBJECT
public:
    TMain(ProgramEnvironment& env, ProgramWindows& windows, UserDialogs& dialogs);
    ~TMain() override;

    // The start sequence: false when the kind dialog was cancelled (the program then ends).
    bool FormShow();
    // The start sequence after the kind was chosen: the record table, MainDB, the list of all
    // protocols bound to the grid, the count. On failure the engine's message is shown and the
    // commands that need MainDB are disabled; returns whether it succeeded.
    bool OpenKind();

    // Whether the commands that need MainDB are available.
    bool HasSession() const;
    // The current result set; null before the start sequence.
    TDbQuery* ListQuery() const;
    // The number shown in the count label.
    int LastCount() const { return lastCount_; }

    Ui::TMain& Controls() { return *ui; }
    QTimer& FilterTimer() { return *Filter_TMR; }
    RegisterModel& GridModel() { return *model_; }
    THelp* HelpWindow() const { return help_; }

public slots:
    void DHNum_TXTChange();
    void Filter_TMRTimer();
    void ShowAll_BTNClick();
    void New_BTNClick();
    void Open_BTNClick();
    void HDDel_MNUClick();
    void ServiceArchive_MNUClick();
    void HelpContent_MNUClick();
    void About_MNUClick();

signals:
    // The kind dialog was cancelled: the program ends.
    void TerminateRequested();
    // A search ran the statement (empty when the number text refused the search).
    void SearchRan(const QString& statement);

public:
    void setVisible(bool visible) override;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void FormCreate();
    bool DHNum_TXTKeyPress(QChar c);
    bool Fam_TXTKeyPress(QChar c);
    void ShowPrompt(bool on);
    void SetTitles();
    void UpdateCount();
    void EnableCommands(bool enabled);
    int OpenEntryWindow(int number);
    // Runs a handler's body; an exception it throws is shown as its message and stops it there.
    bool Guarded(const std::function<void()>& body);

    std::unique_ptr<Ui::TMain> ui;
    ProgramEnvironment& env_;
    ProgramWindows& windows_;
    UserDialogs& dialogs_;
    QTimer* Filter_TMR = nullptr;
    RegisterModel* model_ = nullptr;
    TMyQuerySlot listQuery_;
    int lastCount_ = 0;
    bool started_ = false;
    bool bound_ = false;
    THelp* help_ = nullptr;  // a child window, made on the first F1
};
