#pragma once

#include <QDialog>

#include <memory>

#include "Kinds.h"

namespace Ui {
class TDBSelect;
}
class UserDialogs;
struct ProgramEnvironment;

// The kind dialog of every start: the installed kinds of the catalogue, the installation of a
// new one from a package file, and the choice that sets the environment's current kind.
class TDBSelect : public QDialog {
    Q_OBJECT
public:
    // Reads the catalogue (created empty on a fresh data root). Throws EngineError or
    // std::runtime_error when it cannot be made or read.
    TDBSelect(ProgramEnvironment& env, UserDialogs& dialogs, QWidget* owner = nullptr);
    ~TDBSelect() override;

    // Refills the list from the catalogue; nothing is selected afterwards. Throws EngineError.
    void LoadKinds();
    const KindList& Kinds() const { return kinds_; }

    Ui::TDBSelect& Controls() { return *ui; }

public slots:
    void Ok_BTNClick();
    void Cancel_BTNClick();
    void Add_BTNClick();

private:
    std::unique_ptr<Ui::TDBSelect> ui;
    ProgramEnvironment& env_;
    UserDialogs& dialogs_;
    KindList kinds_;
};
