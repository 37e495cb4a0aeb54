#pragma once

#include "UserDialogs.h"

// The real dialogs: QMessageBox, QFileDialog, QDialog::exec and QDesktopServices.
class QtUserDialogs : public UserDialogs {
public:
    void Message(QWidget* owner, const QString& text, Icon icon) override;
    bool Ask(QWidget* owner, const QString& text) override;
    QString SaveFileName(QWidget* owner, const FileRequest& request) override;
    QString OpenFileName(QWidget* owner, const FileRequest& request) override;
    int Run(QDialog& dialog) override;
    void OpenUrl(const QUrl& url) override;
};
