#pragma once

#include <QDialog>

#include <memory>

namespace Ui {
class TNewHD;
}
class UserDialogs;
struct ProgramEnvironment;

// The new-protocol dialog: proposes the next number, asks for the patient's name and creates
// the protocol's row. After it closes with Accepted, Number is the new protocol's number.
class TNewHD : public QDialog {
    Q_OBJECT
public:
    TNewHD(ProgramEnvironment& env, UserDialogs& dialogs, QWidget* owner);
    ~TNewHD() override;

    int Number = 0;

    Ui::TNewHD& Controls() { return *ui; }

public slots:
    void Ok_BTNClick();
    void Cancel_BTNClick();

protected:
    void showEvent(QShowEvent* event) override;

private:
    void FormShow();

    std::unique_ptr<Ui::TNewHD> ui;
    ProgramEnvironment& env_;
    UserDialogs& dialogs_;
};
