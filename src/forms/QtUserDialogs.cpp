#include "QtUserDialogs.h"

#include <QDesktopServices>
#include <QDialog>
#include <QFileDialog>
#include <QMessageBox>
#include <QPushButton>

namespace {

QMessageBox::Icon BoxIcon(UserDialogs::Icon icon) {
    switch (icon) {
    case UserDialogs::Icon::Information: return QMessageBox::Information;
    case UserDialogs::Icon::Warning: return QMessageBox::Warning;
    case UserDialogs::Icon::Error: return QMessageBox::Critical;
    case UserDialogs::Icon::Question: return QMessageBox::Question;
    case UserDialogs::Icon::None: break;
    }
    return QMessageBox::NoIcon;
}

QString RunFileDialog(QWidget* owner, const UserDialogs::FileRequest& request,
                      QFileDialog::AcceptMode mode) {
    QFileDialog dialog(owner, request.title, request.initialPath, request.filter);
    dialog.setAcceptMode(mode);
    dialog.setFileMode(mode == QFileDialog::AcceptSave ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
    if (!request.defaultSuffix.isEmpty()) dialog.setDefaultSuffix(request.defaultSuffix);
    dialog.setSizeGripEnabled(true);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return {};
    return dialog.selectedFiles().first();
}

}  // namespace

void QtUserDialogs::Message(QWidget* owner, const QString& text, Icon icon) {
    QMessageBox box(BoxIcon(icon), kMessageCaption, text, QMessageBox::Ok, owner);
    box.exec();
}

bool QtUserDialogs::Ask(QWidget* owner, const QString& text) {
    QMessageBox box(QMessageBox::Question, kMessageCaption, text, QMessageBox::Yes | QMessageBox::No, owner);
    box.button(QMessageBox::Yes)->setText(QStringLiteral("Да"));
    box.button(QMessageBox::No)->setText(QStringLiteral("Нет"));
    return box.exec() == QMessageBox::Yes;
}

QString QtUserDialogs::SaveFileName(QWidget* owner, const FileRequest& request) {
    return RunFileDialog(owner, request, QFileDialog::AcceptSave);
}

QString QtUserDialogs::OpenFileName(QWidget* owner, const FileRequest& request) {
    return RunFileDialog(owner, request, QFileDialog::AcceptOpen);
}

int QtUserDialogs::Run(QDialog& dialog) { return dialog.exec(); }

void QtUserDialogs::OpenUrl(const QUrl& url) { QDesktopServices::openUrl(url); }
