#pragma once

#include <functional>
#include <memory>

#include "ProgramWindows.h"

class QWidget;
class TMain;
class UserDialogs;
struct ProgramEnvironment;

// The windows of one run, created in the program's order: the register window, the full-text
// viewer, the debug log, the new-protocol dialog, the entry window, the kind dialog (which reads
// the catalogue) and the about box. They are released in the opposite order.
class Program {
public:
    using EntryWindowFactory =
        std::function<std::unique_ptr<EntryWindow>(ProgramEnvironment&, UserDialogs&, QWidget* owner)>;

    // Throws what the kind dialog throws when the catalogue cannot be made or read. Without a
    // factory the entry window THDView is used.
    Program(ProgramEnvironment& env, UserDialogs& dialogs, const EntryWindowFactory& entry = {});
    ~Program();

    TMain& Main() { return *main_; }
    ProgramWindows& Windows() { return windows_; }

private:
    ProgramWindows windows_;
    std::unique_ptr<TMain> main_;
    std::unique_ptr<TFullText> fullText_;
    std::unique_ptr<TDebug> debug_;
    std::unique_ptr<TNewHD> newProtocol_;
    std::unique_ptr<EntryWindow> entry_;
    std::unique_ptr<TDBSelect> kindSelect_;
    std::unique_ptr<TAbout> about_;
};
