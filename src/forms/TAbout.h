#pragma once

#include <QDialog>

#include <memory>

namespace Ui {
class TAbout;
}
class UserDialogs;
struct ProgramEnvironment;

// The about box: what the program is, its version, and links to its web page and support.
class TAbout : public QDialog {
    Q_OBJECT
public:
    static inline const QString kWebPage = QStringLiteral("https://example.org");
    static inline const QString kSupportMail = QStringLiteral("support@example.org");

    TAbout(const ProgramEnvironment& env, UserDialogs& dialogs, QWidget* owner);
    ~TAbout() override;

    Ui::TAbout& Controls() { return *ui; }

public slots:
    void Label3Click();
    void Label11Click();
    void Label12Click();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    std::unique_ptr<Ui::TAbout> ui;
    UserDialogs& dialogs_;
};
