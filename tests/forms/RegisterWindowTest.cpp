// The register window driven as a user drives it: the start sequence, the search as one types,
// the name field's prompt, and the commands.
#include <gtest/gtest.h>

#include <QAction>
#include <QCheckBox>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <QTextBrowser>
#include <QTimer>
#include <QHeaderView>
#include <QTableView>
#include <QTemporaryDir>

#include <zip.h>

#include <chrono>
#include <thread>

#include "../QtPrinters.h"
#include "EntryWindow.h"
#include "FormsFixture.h"
#include "MainTable.h"
#include "Program.h"
#include "RegisterModel.h"
#include "TFolderDB.h"
#include "THelp.h"
#include "TMain.h"
#include "TNewHD.h"
#include "ui_THelp.h"
#include "ui_TMain.h"
#include "ui_TNewHD.h"

namespace {

// Records the protocols opened, instead of showing a window.
class RecordingEntryWindow : public EntryWindow {
public:
    explicit RecordingEntryWindow(std::vector<int>& opened) : opened_(opened) {}
    int OpenProtocol(int number) override {
        opened_.push_back(number);
        return 1;
    }

private:
    std::vector<int>& opened_;
};

const QList<QPair<int, QString>> kProtocols = {
    {1, QStringLiteral("Иванова Анна Петровна")}, {2, QStringLiteral("Петрова Мария Ивановна")},
    {3, QStringLiteral("Иванова")},               {7, QStringLiteral("Сидорова Ольга")},
    {5, QStringLiteral("Д'Арк Жанна")},
};

class RegisterWindow : public ::testing::Test {
protected:
    void SetUp() override {
        folder = data.AddKind(QStringLiteral("Общий осмотр"), 101, StandardFields(), kProtocols);
        emptyFolder = data.AddKind(QStringLiteral("Пустой вид"), 102, StandardFields());
    }

    // The program started and the kind chosen.
    TMain& Start(int kind = 0) {
        program = std::make_unique<Program>(data.env, dialogs, [this](ProgramEnvironment&, UserDialogs&, QWidget*) {
            return std::make_unique<RecordingEntryWindow>(opened);
        });
        dialogs.steps.push_back(ChooseKind(kind));
        TMain& main = program->Main();
        main.show();
        return main;
    }

    QStringList Codes() {
        QStringList codes;
        RegisterModel& model = program->Main().GridModel();
        for (int r = 0; r < model.rowCount(); ++r) codes << model.data(model.index(r, 0), Qt::DisplayRole).toString();
        return codes;
    }

    // Waits for the search timer and returns the statements the searches ran.
    QStringList WaitForSearch(TMain& main) {
        QSignalSpy spy(&main, &TMain::SearchRan);
        EXPECT_TRUE(main.FilterTimer().isActive());
        spy.wait(2000);
        QTest::qWait(150);  // nothing else may follow
        QStringList statements;
        for (const auto& args : spy) statements << args.at(0).toString();
        return statements;
    }

    DataRoot data;
    ScriptedDialogs dialogs;
    std::vector<int> opened;
    std::unique_ptr<Program> program;
    QString folder, emptyFolder;
};

TEST_F(RegisterWindow, CancelAtTheKindDialogEndsTheProgram) {
    program = std::make_unique<Program>(data.env, dialogs);
    QSignalSpy terminate(&program->Main(), &TMain::TerminateRequested);
    program->Main().show();  // no step: the kind dialog is cancelled
    EXPECT_EQ(terminate.count(), 1);
    EXPECT_FALSE(program->Main().isVisible());
    EXPECT_EQ(data.env.MainDB, nullptr);
    EXPECT_TRUE(data.env.KindSubfolder.isEmpty());
}

TEST_F(RegisterWindow, ChoosingAKindListsItsProtocolsHighestFirst) {
    TMain& main = Start(0);
    ASSERT_TRUE(main.isVisible());
    ASSERT_NE(data.env.MainDB, nullptr);
    EXPECT_EQ(data.env.CurrentKind.name, QStringLiteral("Общий осмотр"));
    EXPECT_EQ(data.env.CurrentKind.signature, 101);
    EXPECT_EQ(Codes(), (QStringList{"7", "5", "3", "2", "1"}));
    RegisterModel& model = main.GridModel();
    EXPECT_EQ(model.headerData(0, Qt::Horizontal, Qt::DisplayRole).toString(), QStringLiteral("№"));
    EXPECT_EQ(model.headerData(1, Qt::Horizontal, Qt::DisplayRole).toString(), QStringLiteral("Ф.И.О."));
    EXPECT_EQ(model.data(model.index(0, 1), Qt::DisplayRole).toString(), QStringLiteral("Сидорова Ольга"));
    EXPECT_EQ(main.Controls().Count_LBL->text(), QStringLiteral("Всего в базе данных 5 протоколов"));
    EXPECT_EQ(main.Controls().History_GRD->verticalHeader()->defaultSectionSize(), 21);
}

TEST_F(RegisterWindow, ChoosingAKindWithoutRecordTableCreatesIt) {
    ASSERT_FALSE(QFileInfo::exists(emptyFolder + "/main.dbf"));
    TMain& main = Start(1);
    EXPECT_TRUE(QFileInfo::exists(emptyFolder + "/main.dbf"));
    EXPECT_TRUE(data.env.MainTableCreated);
    EXPECT_TRUE(Codes().isEmpty());
    EXPECT_EQ(main.Controls().Count_LBL->text(), QStringLiteral("Всего в базе данных 0 протоколов"));
}

TEST_F(RegisterWindow, AFailedStartShowsTheEngineMessageAndDisablesTheCommands) {
    // Two catalogue rows with one column name: the record table cannot be made.
    data.AddKind(QStringLiteral("Испорченный"), 103,
                 {{"temp", "double", "Температура", 0, 1, {}}, {"temp", "double", "Еще раз", 0, 1, {}}});
    TMain& main = Start(2);
    ASSERT_EQ(dialogs.messages.size(), 1u);
    EXPECT_FALSE(dialogs.messages[0].text.isEmpty());
    EXPECT_EQ(data.env.MainDB, nullptr);
    EXPECT_TRUE(main.isVisible());
    EXPECT_FALSE(main.Controls().New_BTN->isEnabled());
    EXPECT_FALSE(main.Controls().Open_BTN->isEnabled());
    EXPECT_FALSE(main.Controls().HDDel_MNU->isEnabled());
    EXPECT_FALSE(main.Controls().ServiceArchive_MNU->isEnabled());
    EXPECT_TRUE(main.Controls().About_MNU->isEnabled());
    main.New_BTNClick();  // a command reached some other way still does nothing
    main.HDDel_MNUClick();
    EXPECT_EQ(dialogs.runs, 1);
    EXPECT_TRUE(dialogs.questions.empty());
}

TEST_F(RegisterWindow, CharactersTypedWithinTheDelayGiveOneSearch) {
    TMain& main = Start();
    TypeText(*main.Controls().Fam_TXT, QStringLiteral("Ива"));
    EXPECT_EQ(WaitForSearch(main),
              QStringList{"select code, fio from main where fio like '%Ива%' order by code desc"});
    EXPECT_EQ(Codes(), (QStringList{"3", "2", "1"}));  // "Ивановна" too
}

TEST_F(RegisterWindow, ATypedCharacterDoesNotRestartARunningTimer) {
    TMain& main = Start();
    TypeText(*main.Controls().DHNum_TXT, QStringLiteral("1"));
    std::this_thread::sleep_for(std::chrono::milliseconds(60));  // no events: the timer cannot fire
    TypeText(*main.Controls().DHNum_TXT, QStringLiteral("2"));
    ASSERT_TRUE(main.FilterTimer().isActive());
    EXPECT_LT(main.FilterTimer().remainingTime(), 90);
}

TEST_F(RegisterWindow, NumberBeatsNameAndOnlyDigitsGoIn) {
    TMain& main = Start();
    TypeText(*main.Controls().Fam_TXT, QStringLiteral("Иванова"));
    TypeText(*main.Controls().DHNum_TXT, QStringLiteral("2x-"));
    EXPECT_EQ(main.Controls().DHNum_TXT->text(), QStringLiteral("2"));
    EXPECT_EQ(WaitForSearch(main), QStringList{"select code, fio from main where code=2 order by code desc"});
    EXPECT_EQ(Codes(), QStringList{"2"});
}

TEST_F(RegisterWindow, APastedNumberWithOtherCharactersFindsNothingWithoutSql) {
    TMain& main = Start();
    main.Controls().DHNum_TXT->setText(QStringLiteral("1 or 1=1"));  // a paste bypasses the key filter
    EXPECT_EQ(WaitForSearch(main), QStringList{QString()});
    EXPECT_TRUE(Codes().isEmpty());
    EXPECT_TRUE(dialogs.messages.empty());
    main.Controls().DHNum_TXT->setText(QStringLiteral("7"));
    WaitForSearch(main);
    EXPECT_EQ(Codes(), QStringList{"7"});
}

TEST_F(RegisterWindow, LatinInAnEmptyNameFieldShowsThePromptUntilRussianIsTyped) {
    TMain& main = Start();
    QLineEdit& name = *main.Controls().Fam_TXT;
    TypeText(name, QStringLiteral("I"));
    EXPECT_EQ(name.text(), QStringLiteral("По русски пожалуйста"));
    EXPECT_TRUE(name.isReadOnly());
    EXPECT_EQ(name.palette().color(QPalette::Text), QColor(255, 92, 92));
    EXPECT_EQ(WaitForSearch(main), QStringList{"select code, fio from main order by code desc"});
    EXPECT_EQ(Codes().size(), 5);

    TypeText(name, QStringLiteral("vИ"));  // more Latin is dropped; Russian ends the prompt
    EXPECT_EQ(name.text(), QStringLiteral("И"));
    EXPECT_FALSE(name.isReadOnly());
    EXPECT_EQ(name.palette().color(QPalette::Text), QColor(Qt::black));

    TypeText(name, QStringLiteral("в1a"));  // Latin after Russian is dropped without a prompt
    EXPECT_EQ(name.text(), QStringLiteral("Ив"));
}

TEST_F(RegisterWindow, ShowAllEmptiesBothFieldsAndEndsThePrompt) {
    TMain& main = Start();
    TypeText(*main.Controls().DHNum_TXT, QStringLiteral("7"));
    TypeText(*main.Controls().Fam_TXT, QStringLiteral("x"));
    ASSERT_TRUE(main.Controls().Fam_TXT->isReadOnly());
    WaitForSearch(main);
    main.Controls().ShowAll_BTN->click();
    EXPECT_TRUE(main.Controls().DHNum_TXT->text().isEmpty());
    EXPECT_TRUE(main.Controls().Fam_TXT->text().isEmpty());
    EXPECT_FALSE(main.Controls().Fam_TXT->isReadOnly());
    EXPECT_EQ(main.Controls().Fam_TXT->palette().color(QPalette::Text), QColor(Qt::black));
    WaitForSearch(main);
    EXPECT_EQ(Codes().size(), 5);
}

TEST_F(RegisterWindow, FragmentOrWholeNameSearch) {
    TMain& main = Start();
    TypeText(*main.Controls().Fam_TXT, QStringLiteral("иванова"));
    WaitForSearch(main);
    EXPECT_EQ(Codes(), (QStringList{"3", "1"}));  // letter case ignored
    QTest::mouseClick(main.Controls().Part_CHK, Qt::LeftButton);
    ASSERT_FALSE(main.Controls().Part_CHK->isChecked());
    EXPECT_EQ(WaitForSearch(main),
              QStringList{"select code, fio from main where fio='иванова' order by code desc"});
    main.Controls().Fam_TXT->setText(QStringLiteral("Д'Арк Жанна"));  // pasted, with an apostrophe
    WaitForSearch(main);
    EXPECT_EQ(Codes(), QStringList{"5"});
    EXPECT_TRUE(dialogs.messages.empty());
}

TEST_F(RegisterWindow, ANewProtocolGetsTheNextNumberAndEmptyNumberFields) {
    TMain& main = Start();
    dialogs.steps.push_back([](QDialog& dialog) {
        auto& newHD = dynamic_cast<TNewHD&>(dialog);
        EXPECT_EQ(newHD.Controls().HDNum_TXT->text(), QStringLiteral("8"));
        TypeText(*newHD.Controls().Fio_TXT, QStringLiteral("Новикова Дарья"));
        newHD.Controls().Ok_BTN->click();
    });
    main.Controls().New_BTN->click();
    EXPECT_EQ(opened, std::vector<int>{8});
    EXPECT_EQ(main.Controls().Count_LBL->text(), QStringLiteral("Всего в базе данных 6 протоколов"));
    WaitForSearch(main);
    EXPECT_EQ(Codes().first(), QStringLiteral("8"));

    TMyQuerySlot row;
    data.env.MainDB->OpenQuery("select fio, temp, pulse, note from main where code=8", row, false);
    ASSERT_EQ(row->Query->RecordCount(), 1);
    EXPECT_EQ(row->Query->FieldByName("fio").AsString(), QStringLiteral("Новикова Дарья"));
    EXPECT_EQ(row->Query->FieldByName("temp").AsInteger(), EmptyNumber);
    EXPECT_EQ(row->Query->FieldByName("pulse").AsInteger(), EmptyNumber);
    EXPECT_TRUE(row->Query->FieldByName("note").AsString().isEmpty());
}

TEST_F(RegisterWindow, CancellingTheNewProtocolDialogChangesNothing) {
    TMain& main = Start();
    dialogs.steps.push_back([](QDialog& dialog) {
        auto& newHD = dynamic_cast<TNewHD&>(dialog);
        TypeText(*newHD.Controls().Fio_TXT, QStringLiteral("Новикова"));
        newHD.Controls().Cancel_BTN->click();
    });
    main.Controls().HDNew_MNU->trigger();
    EXPECT_TRUE(opened.empty());
    EXPECT_FALSE(main.FilterTimer().isActive());
    EXPECT_EQ(main.Controls().Count_LBL->text(), QStringLiteral("Всего в базе данных 5 протоколов"));
    TMyQuerySlot rows;
    data.env.MainDB->OpenQuery("select code from main", rows, false);
    EXPECT_EQ(rows->Query->RecordCount(), 5);
}

TEST_F(RegisterWindow, OpenShowsTheCurrentRowsProtocolAndKeepsTheRowAfterwards) {
    TMain& main = Start();
    QTableView& grid = *main.Controls().History_GRD;
    grid.setCurrentIndex(main.GridModel().index(2, 1));  // protocol 3
    main.Controls().Open_BTN->click();
    EXPECT_EQ(opened, std::vector<int>{3});
    EXPECT_EQ(grid.currentIndex().row(), 2);
    EXPECT_EQ(main.ListQuery()->RecNo(), 3);
    main.Controls().HDOpen_MNU->trigger();  // Ctrl+O
    EXPECT_EQ(opened, (std::vector<int>{3, 3}));
}

TEST_F(RegisterWindow, OpenAndDeleteOnAnEmptyListDoNothing) {
    TMain& main = Start();
    TypeText(*main.Controls().DHNum_TXT, QStringLiteral("999"));
    WaitForSearch(main);
    ASSERT_TRUE(Codes().isEmpty());
    main.Controls().Open_BTN->click();
    main.Controls().HDDel_MNU->trigger();
    EXPECT_TRUE(opened.empty());
    EXPECT_TRUE(dialogs.questions.empty());
}

TEST_F(RegisterWindow, DeleteAsksAndRemovesOnlyOnYes) {
    TMain& main = Start();
    main.Controls().History_GRD->setCurrentIndex(main.GridModel().index(3, 0));  // protocol 2
    dialogs.answers = {false, true};
    main.Controls().HDDel_MNU->trigger();
    ASSERT_EQ(dialogs.questions.size(), 1u);
    EXPECT_EQ(dialogs.questions[0], QStringLiteral("Вы действительно хотите удалить протокол №2\nпациента Петрова Мария Ивановна"));
    EXPECT_FALSE(main.FilterTimer().isActive());
    EXPECT_EQ(Codes().size(), 5);

    main.Controls().HDDel_MNU->trigger();
    EXPECT_EQ(dialogs.questions.size(), 2u);
    EXPECT_EQ(main.Controls().Count_LBL->text(), QStringLiteral("Всего в базе данных 4 протокола"));
    WaitForSearch(main);
    EXPECT_EQ(Codes(), (QStringList{"7", "5", "3", "1"}));
}

TEST_F(RegisterWindow, TheCountNamesEveryProtocolWhateverTheListShows) {
    TMain& main = Start();
    TypeText(*main.Controls().Fam_TXT, QStringLiteral("Иванова"));
    WaitForSearch(main);
    ASSERT_EQ(Codes(), (QStringList{"3", "1"}));
    main.Controls().History_GRD->setCurrentIndex(main.GridModel().index(0, 0));
    main.Controls().HDDel_MNU->trigger();
    EXPECT_EQ(main.Controls().Count_LBL->text(), QStringLiteral("Всего в базе данных 4 протокола"));
}

TEST_F(RegisterWindow, TheArchiveCommandWritesTheKindFolderAndItsManifest) {
    TMain& main = Start();
    QTemporaryDir out;
    const QString target = out.filePath("осмотр.zip");
    dialogs.saveNames = {target};
    main.Controls().ServiceArchive_MNU->trigger();
    EXPECT_TRUE(dialogs.messages.empty()) << dialogs.MessageTexts().join("; ").toStdString();

    int error = 0;
    zip_t* archive = zip_open(target.toLocal8Bit().constData(), ZIP_RDONLY, &error);
    ASSERT_NE(archive, nullptr);
    QStringList names;
    for (zip_int64_t i = 0; i < zip_get_num_entries(archive, 0); ++i) names << QString::fromUtf8(zip_get_name(archive, i, 0));
    EXPECT_TRUE(names.contains("main.dbf")) << names.join(",").toStdString();
    EXPECT_TRUE(names.contains("dbdescription.dbf"));
    EXPECT_TRUE(names.contains("protocol.desc"));
    zip_close(archive);
    EXPECT_FALSE(QFileInfo::exists(folder + "/protocol.desc"));

    dialogs.saveNames = {QString()};  // cancelled: nothing happens
    main.Controls().ServiceArchive_MNU->trigger();
    EXPECT_TRUE(dialogs.messages.empty());
}

TEST_F(RegisterWindow, F1OpensTheHelpContents) {
    TMain& main = Start();
    main.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&main));
    QTest::keyClick(main.Controls().History_GRD, Qt::Key_F1);
    ASSERT_NE(main.HelpWindow(), nullptr);
    EXPECT_TRUE(main.HelpWindow()->isVisible());
    EXPECT_TRUE(main.HelpWindow()->CurrentPage().toString().endsWith("help/main_topic.htm"));
    EXPECT_FALSE(main.HelpWindow()->Controls().Page_TXT->toPlainText().isEmpty());
    main.close();
    EXPECT_FALSE(main.HelpWindow()->isVisible());
}

}  // namespace
