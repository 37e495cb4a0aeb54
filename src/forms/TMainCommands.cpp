// The register window's commands: new, open and delete a protocol, the data archive, help and
// the about box.
#include <QDir>
#include <QFileInfo>
#include <QProgressDialog>
#include <QTimer>

#include "DataArchive.h"
#include "EntryWindow.h"
#include "ProgramEnvironment.h"
#include "ProgramWindows.h"
#include "RegisterSearch.h"
#include "TAbout.h"
#include "THelp.h"
#include "TMain.h"
#include "TNewHD.h"
#include "UserDialogs.h"
#include "ui_TMain.h"

int TMain::OpenEntryWindow(int number) {
    return windows_.entry ? windows_.entry->OpenProtocol(number) : 0;
}

void TMain::UpdateCount() {
    // The label names every protocol of the kind, whatever the list shows at the moment.
    Guarded([this] {
        lastCount_ = CountProtocols(*env_.MainDB);
        ui->Count_LBL->setText(QStringLiteral("Всего в базе данных ") + CountText(lastCount_));
    });
}

void TMain::New_BTNClick() {
    if (!HasSession() || windows_.newProtocol == nullptr) return;
    if (dialogs_.Run(*windows_.newProtocol) != QDialog::Accepted) return;
    OpenEntryWindow(windows_.newProtocol->Number);
    DHNum_TXTChange();
    UpdateCount();
}

void TMain::Open_BTNClick() {
    TDbQuery* query = ListQuery();
    if (!HasSession() || query->RecordCount() == 0) return;
    const int number = query->FieldByName(QStringLiteral("code")).AsInteger();
    OpenEntryWindow(number);
    Guarded([query] {
        const int row = query->RecNo();
        query->Refresh();
        query->SetRecNo(row);
    });
    SetTitles();
}

void TMain::HDDel_MNUClick() {
    TDbQuery* query = ListQuery();
    if (!HasSession() || query->RecordCount() == 0) return;
    const QString name = query->FieldByName(QStringLiteral("fio")).AsString();
    const int number = query->FieldByName(QStringLiteral("code")).AsInteger();
    if (!dialogs_.Ask(this, QStringLiteral("Вы действительно хотите удалить протокол №%1\nпациента %2").arg(number).arg(name)))
        return;
    if (!Guarded([&] { env_.MainDB->Execute(QStringLiteral("delete from main where code=") + QString::number(number)); }))
        return;
    DHNum_TXTChange();
    UpdateCount();
}

namespace {

// A file name made of the kind's name, for the save dialog to propose.
QString ArchiveNameFor(const QString& kindName) {
    QString name = kindName.trimmed();
    for (QChar& c : name)
        if (c == u'/' || c == u'\\' || c == u':' || c < u' ') c = u'-';
    return (name.isEmpty() ? QStringLiteral("архив") : name) + QStringLiteral(".zip");
}

}  // namespace

void TMain::ServiceArchive_MNUClick() {
    if (!HasSession()) return;
    UserDialogs::FileRequest request;
    request.title = QStringLiteral("Запись протокола");
    request.filter = QStringLiteral("Файлы архивов данных (*.zip);;Все файлы (*)");
    request.defaultSuffix = QStringLiteral("zip");
    request.initialPath = QDir::home().filePath(ArchiveNameFor(env_.CurrentKind.name));
    const QString target = dialogs_.SaveFileName(this, request);
    if (target.isEmpty()) return;

    // Shown only when the archive takes long enough for the user to wonder.
    constexpr int kSteps = 1000;
    QProgressDialog progress(QStringLiteral("Запись архива данных..."), QString(), 0, kSteps, this);
    progress.setWindowTitle(kMessageCaption);
    progress.setWindowModality(Qt::WindowModal);
    progress.setMinimumDuration(500);
    progress.setValue(0);
    ArchiveOutcome outcome;
    Guarded([&] {
        outcome = WriteDataArchive(env_.KindFolder(), env_.CurrentKind, target, [&](const ArchiveProgress& p) {
            if (p.bytesTotal > 0) progress.setValue(static_cast<int>(p.bytesDone * (kSteps - 1) / p.bytesTotal));
        });
    });
    progress.setValue(kSteps);
    if (!outcome.ok && !outcome.error.isEmpty()) dialogs_.Message(this, outcome.error, UserDialogs::Icon::Error);
}

void TMain::HelpContent_MNUClick() {
    const QString topic = ProgramFile(env_, QStringLiteral("help/main_topic.htm"));
    if (!QFileInfo::exists(topic)) {
        dialogs_.Message(this, QStringLiteral("Не найден файл справки «%1»").arg(QDir::toNativeSeparators(topic)),
                         UserDialogs::Icon::Error);
        return;
    }
    if (!help_) help_ = new THelp(this);
    help_->OpenTopic(topic);
    help_->show();
    help_->raise();
    help_->activateWindow();
}

void TMain::About_MNUClick() {
    if (windows_.about) dialogs_.Run(*windows_.about);
}
