#pragma once

#include <QDialog>

#include <memory>

namespace Ui {
class TFullText;
}
struct ProgramEnvironment;

// Shows the whole text of one entered value that is too long for the entry window's list:
// the caller sets FieldCaption and FieldValue, then shows it modally.
class TFullText : public QDialog {
    Q_OBJECT
public:
    TFullText(const ProgramEnvironment& env, QWidget* owner);
    ~TFullText() override;

    QString FieldCaption;
    QString FieldValue;

    Ui::TFullText& Controls() { return *ui; }

public slots:
    void Close_BTNClick();

protected:
    void showEvent(QShowEvent* event) override;

private:
    void FormShow();

    std::unique_ptr<Ui::TFullText> ui;
};
