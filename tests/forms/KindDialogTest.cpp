// The kind dialog: the catalogue's kinds in append order, the choice, and the installation of a
// package with its messages.
#include <gtest/gtest.h>

#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QPushButton>
#include <QToolButton>

#include "../QtPrinters.h"
#include "FormsFixture.h"
#include "TDBSelect.h"
#include "ui_TDBSelect.h"

namespace {

const QString kSamplePackage = QStringLiteral(VELMORA_SOURCE_DIR "/packages/general-exam.prt");

TEST(KindDialog, AFreshDataRootGetsAnEmptyCatalogueAndConfirmingAsksForAChoice) {
    QTemporaryDir dir;
    ProgramEnvironment env;
    env.DataRoot = dir.path() + "/fresh/";
    ScriptedDialogs dialogs;
    TDBSelect select(env, dialogs);
    EXPECT_TRUE(QFile::exists(env.DataRoot + "db/protocols.dbf"));
    EXPECT_EQ(select.Controls().DB_CBX->count(), 0);
    select.show();
    select.Controls().Ok_BTN->click();
    ASSERT_EQ(dialogs.messages.size(), 1u);
    EXPECT_EQ(dialogs.messages[0].text, QStringLiteral("Необходимо выбрать протокол исследований"));
    EXPECT_EQ(dialogs.messages[0].icon, UserDialogs::Icon::Warning);
    EXPECT_TRUE(select.isVisible());
    EXPECT_EQ(select.result(), QDialog::Rejected);
    EXPECT_TRUE(env.KindSubfolder.isEmpty());
}

TEST(KindDialog, KindsInCatalogueOrderAndTheChoiceSetsTheCurrentKind) {
    DataRoot data;
    data.AddKind(QStringLiteral("Эхокардиография"), 7, StandardFields());
    data.AddKind(QStringLiteral("Анализ крови"), -3, StandardFields());
    ScriptedDialogs dialogs;
    TDBSelect select(data.env, dialogs);
    QComboBox& list = *select.Controls().DB_CBX;
    ASSERT_EQ(list.count(), 2);
    EXPECT_EQ(list.itemText(0), QStringLiteral("Эхокардиография"));  // not sorted
    EXPECT_EQ(list.itemText(1), QStringLiteral("Анализ крови"));
    EXPECT_EQ(list.currentIndex(), -1);
    EXPECT_FALSE(list.isEditable());

    select.show();
    list.setCurrentIndex(1);
    select.Controls().Ok_BTN->click();
    EXPECT_EQ(select.result(), QDialog::Accepted);
    EXPECT_EQ(data.env.KindSubfolder, QStringLiteral("db/000000A2"));
    EXPECT_EQ(data.env.CurrentKind.name, QStringLiteral("Анализ крови"));
    EXPECT_EQ(data.env.CurrentKind.signature, -3);
    EXPECT_EQ(data.env.KindFolder(), data.root + "db/000000A2");
}

TEST(KindDialog, ExitAndTheCloseBoxCancel) {
    DataRoot data;
    data.AddKind(QStringLiteral("Осмотр"), 1, StandardFields());
    ScriptedDialogs dialogs;
    TDBSelect select(data.env, dialogs);
    select.show();
    select.Controls().DB_CBX->setCurrentIndex(0);
    select.Controls().Cancel_BTN->click();
    EXPECT_EQ(select.result(), QDialog::Rejected);
    select.show();
    select.close();
    EXPECT_EQ(select.result(), QDialog::Rejected);
    EXPECT_TRUE(data.env.KindSubfolder.isEmpty());
}

TEST(KindDialog, InstallingAPackageReloadsTheListWithNothingSelected) {
    DataRoot data;
    data.AddKind(QStringLiteral("Осмотр"), 1, StandardFields());
    ScriptedDialogs dialogs;
    TDBSelect select(data.env, dialogs);
    select.Controls().DB_CBX->setCurrentIndex(0);

    dialogs.openNames = {kSamplePackage};
    select.Controls().Add_BTN->click();
    ASSERT_EQ(dialogs.messages.size(), 1u);
    EXPECT_EQ(dialogs.messages[0].text, QStringLiteral("Новый протокол успешно добавлен в систему"));
    EXPECT_EQ(dialogs.messages[0].icon, UserDialogs::Icon::None);
    ASSERT_EQ(select.Controls().DB_CBX->count(), 2);
    EXPECT_EQ(select.Controls().DB_CBX->itemText(1), QStringLiteral("Общий осмотр"));
    EXPECT_EQ(select.Controls().DB_CBX->currentIndex(), -1);

    dialogs.openNames = {kSamplePackage};
    select.Controls().Add_BTN->click();
    ASSERT_EQ(dialogs.messages.size(), 2u);
    EXPECT_EQ(dialogs.messages[1].text, QStringLiteral("Данный протокол уже установлен в системе"));
    EXPECT_EQ(dialogs.messages[1].icon, UserDialogs::Icon::Error);
    EXPECT_EQ(select.Controls().DB_CBX->count(), 2);
}

TEST(KindDialog, RefusedPackagesSayWhyAndAddNothing) {
    DataRoot data;
    ScriptedDialogs dialogs;
    TDBSelect select(data.env, dialogs);
    QTemporaryDir dir;
    QFile broken(dir.filePath("broken.prt"));
    ASSERT_TRUE(broken.open(QIODevice::WriteOnly));
    broken.write("PK\x03\x04 not really a zip");
    broken.close();
    const std::pair<QString, QString> cases[] = {
        {dir.filePath("missing.prt"), QStringLiteral("Невозможно открыть файл протокола")},
        {broken.fileName(), QStringLiteral("Указанный файл не является файлом протокола или поврежден")},
    };
    for (const auto& [path, message] : cases) {
        dialogs.messages.clear();
        dialogs.openNames = {path};
        select.Controls().Add_BTN->click();
        ASSERT_EQ(dialogs.messages.size(), 1u) << path.toStdString();
        EXPECT_TRUE(dialogs.messages[0].text.startsWith(message)) << dialogs.messages[0].text.toStdString();
        EXPECT_EQ(dialogs.messages[0].icon, UserDialogs::Icon::Error);
        EXPECT_EQ(select.Controls().DB_CBX->count(), 0);
    }
    dialogs.messages.clear();
    dialogs.openNames = {QString()};  // the file dialog cancelled
    select.Controls().Add_BTN->click();
    EXPECT_TRUE(dialogs.messages.empty());
}

}  // namespace
