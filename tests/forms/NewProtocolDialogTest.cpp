// The new-protocol dialog and what it writes: the proposed number, the name as stored, the empty
// number fields, and no second row after a failed attempt.
#include <gtest/gtest.h>

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include "../QtPrinters.h"
#include "FormsFixture.h"
#include "MainTable.h"
#include "NewProtocol.h"
#include "TFolderDB.h"
#include "TNewHD.h"
#include "ui_TNewHD.h"

namespace {

class NewProtocolDialog : public ::testing::Test {
protected:
    void Open(const QList<FieldSpec>& fields, const QList<QPair<int, QString>>& protocols) {
        folder = data.AddKind(QStringLiteral("Осмотр"), 1, fields, protocols, true);
        data.env.MainDB = std::make_unique<TFolderDB>(folder);
        dialog = std::make_unique<TNewHD>(data.env, dialogs, nullptr);
        dialog->show();
    }

    QList<QList<QVariant>> Rows(const QString& columns) {
        TMyQuerySlot slot;
        data.env.MainDB->OpenQuery("select " + columns + " from main order by code", slot, false);
        QList<QList<QVariant>> rows;
        for (int r = 0; r < slot->Query->RecordCount(); ++r) {
            QList<QVariant> row;
            for (int c = 0; c < slot->Query->FieldCount(); ++c) row << slot->Query->ValueAt(r, c);
            rows << row;
        }
        return rows;
    }

    DataRoot data;
    ScriptedDialogs dialogs;
    std::unique_ptr<TNewHD> dialog;
    QString folder;
};

TEST_F(NewProtocolDialog, ProposesTheHighestNumberPlusOne) {
    const std::pair<QList<QPair<int, QString>>, int> cases[] = {
        {{}, 1},
        {{{1, "А"}, {2, "Б"}, {7, "В"}}, 8},
    };
    for (const auto& [protocols, expected] : cases) {
        DataRoot fresh;
        const QString kind = fresh.AddKind("Осмотр", 1, StandardFields(), protocols, true);
        TFolderDB db(kind);
        EXPECT_EQ(NextProtocolNumber(db), expected);
    }
    Open(StandardFields(), {{1, "А"}, {2, "Б"}, {7, "В"}});
    EXPECT_EQ(dialog->Number, 8);
    EXPECT_EQ(dialog->Controls().HDNum_TXT->text(), QStringLiteral("8"));
    EXPECT_TRUE(dialog->Controls().HDNum_TXT->font().bold());
    EXPECT_EQ(dialog->windowTitle(), QStringLiteral("Новый протокол"));
}

TEST_F(NewProtocolDialog, AnEmptyNameIsRefusedAndNothingIsWritten) {
    Open(StandardFields(), {});
    dialog->Controls().Ok_BTN->click();
    ASSERT_EQ(dialogs.messages.size(), 1u);
    EXPECT_EQ(dialogs.messages[0].text, QStringLiteral("Необходимо ввести Ф.И.О. пациентки"));
    EXPECT_EQ(dialogs.messages[0].icon, UserDialogs::Icon::Error);
    EXPECT_EQ(dialog->result(), QDialog::Rejected);
    EXPECT_TRUE(dialog->isVisible());
    EXPECT_TRUE(Rows("code").isEmpty());
}

TEST_F(NewProtocolDialog, TheNameIsStoredTrimmedWithItsApostrophesAndAtMost100Characters) {
    Open(StandardFields(), {});
    QLineEdit& name = *dialog->Controls().Fio_TXT;
    name.setText(QStringLiteral("  Д'Арк  Жанна\t "));
    dialog->Controls().Ok_BTN->click();
    EXPECT_EQ(dialog->result(), QDialog::Accepted);
    EXPECT_TRUE(dialogs.messages.empty());

    dialog->show();  // shown again: a fresh number and an empty field
    EXPECT_EQ(dialog->Number, 2);
    EXPECT_TRUE(name.text().isEmpty());
    name.setText(QString(150, QChar(u'Ж')));  // a paste longer than the column
    EXPECT_EQ(name.text().size(), 100);
    dialog->Controls().Ok_BTN->click();
    const auto rows = Rows("code, fio, temp, pulse, edema");
    ASSERT_EQ(rows.size(), 2);
    EXPECT_EQ(rows[0][1].toString(), QStringLiteral("Д'Арк  Жанна"));
    EXPECT_EQ(rows[0][2].toLongLong(), EmptyNumber);
    EXPECT_EQ(rows[0][3].toLongLong(), EmptyNumber);
    EXPECT_EQ(rows[0][4].toLongLong(), 0);
    EXPECT_EQ(rows[1][1].toString(), QString(100, QChar(u'Ж')));
}

TEST_F(NewProtocolDialog, ACatalogueWithoutNumberFieldsGivesTheRowAlone) {
    Open({{"note", "string", "Примечание", 0, 0, {}}, {"kind", "Double", "не число: регистр", 0, 0, {}}}, {});
    dialog->Controls().Fio_TXT->setText("Иванова");
    dialog->Controls().Ok_BTN->click();
    EXPECT_EQ(dialog->result(), QDialog::Accepted);
    EXPECT_EQ(Rows("code, fio"), (QList<QList<QVariant>>{{1, "Иванова"}}));
}

TEST_F(NewProtocolDialog, AFailedWriteLeavesNoRowAndTryingAgainMakesOne) {
    Open(StandardFields(), {{4, "Г"}});
    dialog->Controls().Fio_TXT->setText(QStringLiteral("Ли 李"));  // a character cp1251 cannot hold
    dialog->Controls().Ok_BTN->click();
    ASSERT_EQ(dialogs.messages.size(), 1u);
    EXPECT_EQ(dialog->result(), QDialog::Rejected);
    EXPECT_EQ(Rows("code").size(), 1);

    dialog->Controls().Fio_TXT->setText(QStringLiteral("Ли"));
    dialog->Controls().Ok_BTN->click();
    EXPECT_EQ(dialog->result(), QDialog::Accepted);
    EXPECT_EQ(Rows("code, fio"), (QList<QList<QVariant>>{{4, "Г"}, {5, "Ли"}}));
}

TEST_F(NewProtocolDialog, ANumberTakenMeanwhileIsNotUsedTwice) {
    Open(StandardFields(), {{1, "А"}});
    ASSERT_EQ(dialog->Number, 2);
    data.env.MainDB->Execute("insert into main (code, fio) values (2, 'Другая')");
    dialog->Controls().Fio_TXT->setText(QStringLiteral("Новая"));
    dialog->Controls().Ok_BTN->click();
    EXPECT_EQ(dialog->Number, 3);
    EXPECT_EQ(Rows("code, fio"), (QList<QList<QVariant>>{{1, "А"}, {2, "Другая"}, {3, "Новая"}}));
}

}  // namespace
