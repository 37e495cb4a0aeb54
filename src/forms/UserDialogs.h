#pragma once

#include <QString>
#include <QUrl>

class QDialog;
class QWidget;

// Every message box caption of the program.
inline const QString kMessageCaption = QStringLiteral("Протоколы анестезии");

// How the windows talk to the user outside their own controls: message boxes, questions, file
// dialogs, modal windows and links. The program uses QtUserDialogs; tests answer through their
// own implementation, so no test waits in a real modal loop.
class UserDialogs {
public:
    enum class Icon { None, Information, Warning, Error, Question };

    virtual ~UserDialogs() = default;

    // A message box with one OK button, captioned kMessageCaption.
    virtual void Message(QWidget* owner, const QString& text, Icon icon) = 0;
    // A question with Yes and No; true for Yes.
    virtual bool Ask(QWidget* owner, const QString& text) = 0;

    struct FileRequest {
        QString title;
        QString filter;         // Qt form: "Файлы архивов данных (*.zip);;Все файлы (*)"
        QString defaultSuffix;  // without the dot
        QString initialPath;
    };
    // The chosen file, or empty text when cancelled. Saving asks before replacing a file.
    virtual QString SaveFileName(QWidget* owner, const FileRequest& request) = 0;
    virtual QString OpenFileName(QWidget* owner, const FileRequest& request) = 0;

    // Shows a window modally and returns its result (QDialog::Accepted or Rejected).
    virtual int Run(QDialog& dialog) = 0;

    // Opens a web page or a new mail message in the user's programs.
    virtual void OpenUrl(const QUrl& url) = 0;
};
