#pragma once

#include <QDialog>

#include <memory>

#include "EntryWindow.h"

namespace Ui {
class TEntryPlaceholder;
}
class UserDialogs;
struct ProgramEnvironment;

// Stands where the entry window will be: names the opened protocol and its patient.
class TEntryPlaceholder : public QDialog, public EntryWindow {
    Q_OBJECT
public:
    TEntryPlaceholder(ProgramEnvironment& env, UserDialogs& dialogs, QWidget* owner);
    ~TEntryPlaceholder() override;

    int OpenProtocol(int number) override;

private:
    std::unique_ptr<Ui::TEntryPlaceholder> ui;
    ProgramEnvironment& env_;
    UserDialogs& dialogs_;
};
