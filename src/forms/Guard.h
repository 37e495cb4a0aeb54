#pragma once

#include <QString>

#include <exception>
#include <functional>

#include "EngineError.h"
#include "UserDialogs.h"

// Runs the body of a window's handler. An exception it throws (the engine's or the file
// system's) stops the handler there and is shown to the user as its message, and the window
// goes on; an exception must never unwind through Qt's event loop.
inline bool RunGuarded(UserDialogs& dialogs, QWidget* owner, const std::function<void()>& body) {
    QString message;
    try {
        body();
        return true;
    } catch (const EngineError& e) {
        message = e.message();
    } catch (const std::exception& e) {
        message = QString::fromUtf8(e.what());
    }
    dialogs.Message(owner, message, UserDialogs::Icon::Error);
    return false;
}
