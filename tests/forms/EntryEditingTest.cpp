// Values typed and chosen in the entry window, checked in the protocol's row on disk.
#include "EntryWindowFixture.h"

#include <QWheelEvent>

#include "../QtPrinters.h"
#include "binding/EditRules.h"

namespace {

using Said = ScriptedDialogs::Said;

TEST_F(EntryWindowTest, TypedValuesAreWrittenAndEnterTabAndArrowsMoveTheEditor) {
    MakeGeneratedKind();
    Show();
    Click(Cur(), QStringLiteral("Температура"));
    ASSERT_NE(view->Editor(), nullptr);
    EXPECT_TRUE(view->Editor()->hasFocus());
    Type("37.2");  // the full stop becomes the comma of the Russian locale
    EXPECT_EQ(EditorText(), "37,2");
    Key(Qt::Key_Return);
    EXPECT_EQ(Cell("temp"), "37.2");
    EXPECT_EQ(Item("Температура")->GetAttr("value"), "37,2");
    // Enter moved the editor one row down, onto the note.
    EXPECT_EQ(Cur().Selected(), RowOf(Cur(), "Примечание"));
    ASSERT_NE(view->Editor(), nullptr);
    Type("без жалоб");
    Key(Qt::Key_Tab);
    EXPECT_EQ(Cell("note"), "без жалоб");
    EXPECT_EQ(Cur().Selected(), RowOf(Cur(), "Пульс"));
    Type("72");
    Key(Qt::Key_Up);  // released: back to the note, committing the pulse on the way
    EXPECT_EQ(Cell("pulse"), "72");
    EXPECT_EQ(Cur().Selected(), RowOf(Cur(), "Примечание"));
    EXPECT_EQ(EditorText(), "без жалоб");
    Key(Qt::Key_Down);
    Key(Qt::Key_Down);  // onto the check box: no editor opens there
    EXPECT_EQ(Cur().Selected(), RowOf(Cur(), "Отеки"));
    EXPECT_EQ(view->Editor(), nullptr);
    // The entered list shows what was typed, under the expanded group.
    EXPECT_TRUE(Names(Entered()).contains("Пульс"));
    EXPECT_TRUE(dialogs.messages.empty());
}

TEST_F(EntryWindowTest, MovingAboveTheFirstOrBelowTheLastItemClosesTheEditor) {
    MakeGeneratedKind();
    Show();
    Click(Cur(), QStringLiteral("Ф.И.О."));
    Key(Qt::Key_End);  // the value opens selected, to be typed over
    Type(" Петровна");
    Key(Qt::Key_Up);
    EXPECT_EQ(view->Editor(), nullptr);
    EXPECT_EQ(Cell("fio"), "Иванова Петровна");

    Click(Cur(), QStringLiteral("Печень, см"));  // the last row
    Type("3");
    Key(Qt::Key_Return);
    EXPECT_EQ(view->Editor(), nullptr);
    EXPECT_EQ(Cell("liver"), "3");
    // A click on the group's heading opens nothing.
    Click(Cur(), 0);
    EXPECT_EQ(view->Editor(), nullptr);
}

// The editor keeps only what its field can hold; what it drops never reaches the row.
TEST_F(EntryWindowTest, FiltersDropWhatTheFieldCannotTake) {
    MakeGeneratedKind();
    Show();
    const struct {
        const char* field;
        QString typed;
        QString kept;
        QString column;
        QString stored;
    } cases[] = {
        {"Печень, см", "1-2 +3.4x", "1234", "liver", "1234"},
        {"Температура", "-36,,6", "36,6", "temp", "36.6"},  // a lone "-" is no number yet
        {"Температура", "3.5.1", "3,51", "temp", "3.51"},
        {"Примечание", "слева, справа", "слева, справа", "note", "слева, справа"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.field);
        Click(Cur(), QString::fromUtf8(c.field));
        ASSERT_NE(view->Editor(), nullptr);
        Type(c.typed);
        EXPECT_EQ(EditorText(), c.kept);
        Key(Qt::Key_Return);
        EXPECT_EQ(Cell(c.column), c.stored);
    }
    // Backspace edits as always.
    Click(Cur(), QStringLiteral("Печень, см"));
    Key(Qt::Key_Backspace);
    EXPECT_EQ(EditorText(), "");  // the whole value was selected on opening
    Type("12");
    Key(Qt::Key_Backspace);
    EXPECT_EQ(EditorText(), "1");
}

TEST_F(EntryWindowTest, AFloatClearedAndLeftIsNoLongerEntered) {
    MakeGeneratedKind("temp=36.6");
    Show();
    Click(Cur(), QStringLiteral("Температура"));
    EXPECT_EQ(EditorText(), "36,6");
    view->Editor()->clear();
    Click(Cur(), QStringLiteral("Примечание"));  // leaving the editor commits it
    EXPECT_EQ(Cell("temp"), "99999999");
    EXPECT_EQ(Item("Температура")->GetAttr("define"), "0");
    EXPECT_EQ(RowOf(Entered(), "Температура"), -1);
}

TEST_F(EntryWindowTest, DatesAreCheckedWhenTheEditorIsLeft) {
    MakeGroupedKind("dt='2020-01-01'");
    Show();
    const struct {
        QString typed;
        QString stored;  // the column afterwards
        bool refused;
    } cases[] = {
        {"1-2-05", "2005-02-01", false},    {"31-01-2024", "2024-01-31", false},
        {"29-02-2000", "2000-02-29", false}, {"29-02-1900", "2000-02-29", true},
        {"31-04-2024", "2000-02-29", true},  {"12-05-2024/", "2024-05-12", false},  // "/" refused
        {"32-", "2024-05-12", true},  // "-" refused after 32, and 32 alone is no date
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.typed.toStdString());
        dialogs.messages.clear();
        Click(Cur(), QStringLiteral("Дата осмотра"));
        ASSERT_NE(view->Editor(), nullptr);
        view->Editor()->clear();
        Type(c.typed);
        Key(Qt::Key_Return);
        EXPECT_EQ(Cell("dt"), c.stored);
        ASSERT_EQ(dialogs.messages.size(), c.refused ? 1u : 0u);
        if (c.refused) {
            EXPECT_EQ(dialogs.messages[0].text, kDateMessage);
            EXPECT_EQ(dialogs.messages[0].icon, UserDialogs::Icon::Error);
        }
    }
}

// Leaving an editor commits it once: the focus moving away and the handler of the click that
// moved it must not both tell the user about the same bad date.
TEST_F(EntryWindowTest, ABadDateIsToldOnceHoweverTheEditorIsLeft) {
    const struct {
        const char* how;
        std::function<void()> leave;
    } ways[] = {
        {"another row clicked", [this] { Click(Cur(), QStringLiteral("Жалобы больного")); }},
        {"entered list clicked", [this] { Click(Entered(), 0); }},
        {"Ok button clicked", [this] { QTest::mouseClick(ui().Ok_BTN, Qt::LeftButton); }},
    };
    for (const auto& way : ways) {
        SCOPED_TRACE(way.how);
        TearDown();
        dialogs = ScriptedDialogs();
        MakeGroupedKind("compl='кашель'");
        Show();
        Click(Cur(), QStringLiteral("Дата осмотра"));
        Type("30-02-2024");
        way.leave();
        Settle();
        // Told once, by a message or, when the window is closing, in its question.
        QStringList told = dialogs.MessageTexts();
        for (const QString& question : dialogs.questions) told << question;
        ASSERT_EQ(told.size(), 1) << told.join(" | ").toStdString();
        EXPECT_TRUE(told[0].contains(kDateMessage)) << told[0].toStdString();
        EXPECT_EQ(Cell("dt"), "NULL");
    }
}

TEST_F(EntryWindowTest, ACheckBoxPressedAgainAndAgainAlternates) {
    MakeGeneratedKind();
    Show();
    const int row = RowOf(Cur(), "Отеки");
    for (const char* expected : {"1", "0", "1"}) {
        Click(Cur(), row, Cur().RowRect(row).height() - 4);
        EXPECT_EQ(Cell("edema"), expected);
        EXPECT_EQ(Item("Отеки")->GetAttr("define"), "1");
        EXPECT_EQ(Cur().Selected(), row);
    }
}

TEST_F(EntryWindowTest, ARadioPressChoosesTheChoiceUnderItAndNotOnItsName) {
    MakeGeneratedKind();
    Show();
    const int row = RowOf(Cur(), "Состояние");
    const EntryLook& look = view->Painter().Look();
    Click(Cur(), row, 5);  // on the name
    EXPECT_EQ(Cell("state"), "0");
    Click(Cur(), row, look.nameLineHeight + look.valueLineHeight + 3);  // the second choice
    EXPECT_EQ(Cell("state"), "2");
    EXPECT_EQ(Item("Состояние")->GetAttr("define"), "1");
    Click(Cur(), row, look.nameLineHeight + 3);
    EXPECT_EQ(Cell("state"), "1");
    // The side list names the choice.
    EXPECT_NE(RowOf(Entered(), "Состояние"), -1);
    // Any button chooses, and from the row it pressed, not from the last left press elsewhere.
    Click(Cur(), QStringLiteral("Ф.И.О."));
    Click(Cur(), row, look.nameLineHeight + look.valueLineHeight + 3, Qt::MiddleButton);
    EXPECT_EQ(Cell("state"), "2");
}

TEST_F(EntryWindowTest, CheckGroupPressesToggleTokensInTheOrderPressed) {
    MakeGroupedKind();
    Show();
    const int row = RowOf(Cur(), "Симптомы");
    const EntryLook& look = view->Painter().Look();
    auto press = [&](int choice) { Click(Cur(), row, look.nameLineHeight + (choice - 1) * look.valueLineHeight + 3); };
    for (const auto& [choice, value] : {std::pair{3, "3|"}, {1, "3|1|"}, {3, "1|"}}) {
        press(choice);
        EXPECT_EQ(Cell("sympt"), value);
    }
    press(1);
    EXPECT_EQ(Item("Симптомы")->GetAttr("define"), "0");
    press(11);
    press(1);
    EXPECT_EQ(Cell("sympt"), "11|1|");  // choice 1 is no token of 11|
}

TEST_F(EntryWindowTest, ClosingWithAnOpenEditorWritesItsText) {
    const struct {
        const char* how;
        std::function<void()> close;
    } ways[] = {
        {"Ok button clicked", [this] { QTest::mouseClick(ui().Ok_BTN, Qt::LeftButton); }},
        {"Ok button by keyboard", [this] { ui().Ok_BTN->click(); }},
        {"close box", [this] { view->close(); }},
        {"hidden by its caller", [this] { view->hide(); }},
    };
    for (const auto& way : ways) {
        SCOPED_TRACE(way.how);
        TearDown();
        data.env.MainDB.reset();
        MakeGroupedKind();
        Show();
        Click(Next(), QStringLiteral("Заключение"));
        Click(Cur(), QStringLiteral("Диагноз"));
        Type("ОРВИ");
        way.close();
        Settle();
        EXPECT_FALSE(view->isVisible());
        EXPECT_EQ(Cell("diag"), "ОРВИ");
        EXPECT_EQ(Session().Tree(), nullptr);
    }
}

TEST_F(EntryWindowTest, EscapeAndEnterNeverCloseTheWindow) {
    MakeGeneratedKind();
    Show();
    Click(Cur(), QStringLiteral("Примечание"));
    Type("есть");
    Key(Qt::Key_Escape);
    EXPECT_TRUE(view->isVisible());
    Key(Qt::Key_Return);
    Key(Qt::Key_Return);
    EXPECT_TRUE(view->isVisible());
    EXPECT_EQ(Cell("note"), "есть");
}

TEST_F(EntryWindowTest, AMemoHidesItsValueWhileOpenAndAScrollBarPressWritesIt) {
    MakeGroupedKind("compl='давно'");
    Show();
    view->resize(760, 250);  // short enough for the current list to need its scroll bar
    Settle();
    ASSERT_TRUE(Cur().verticalScrollBar()->isVisible());
    const EntryLook& look = view->Painter().Look();
    const int row = RowOf(Cur(), "Жалобы больного");
    const int height = Cur().RowRect(row).height();
    Click(Cur(), row);
    ASSERT_NE(view->Memo(), nullptr);
    EXPECT_EQ(EditorText(), "давно");
    EXPECT_EQ(Item("Жалобы больного")->GetAttr("edited"), "1");
    EXPECT_EQ(view->Memo()->height(), 3 * look.valueLineHeight);  // inputsize lines
    EXPECT_EQ(Cur().RowRect(row).height(), height);  // the value keeps its room
    view->Memo()->moveCursor(QTextCursor::End);
    Type(" кашель");
    QTest::mousePress(Cur().verticalScrollBar(), Qt::LeftButton, {}, QPoint(4, 4));
    Settle();
    EXPECT_EQ(view->Memo(), nullptr);
    EXPECT_EQ(Cell("compl"), "давно кашель");
    EXPECT_EQ(Item("Жалобы больного")->GetAttr("edited"), "0");
}

TEST_F(EntryWindowTest, EnterInAMemoMovesOnWithTheTextWritten) {
    MakeGroupedKind();
    Show();
    Click(Cur(), QStringLiteral("Жалобы больного"));
    Type("слабость");
    Key(Qt::Key_Return);
    EXPECT_EQ(Cell("compl"), "слабость");  // the line break it took is trimmed away
    EXPECT_EQ(Cur().Selected(), RowOf(Cur(), "Дата осмотра"));
    EXPECT_NE(view->Editor(), nullptr);
}

TEST_F(EntryWindowTest, AFailedSaveIsToldOnceAndWorkGoesOn) {
    MakeGeneratedKind();
    Show();
    Exec("delete from main where code=5");  // another user deleted the protocol meanwhile
    Click(Cur(), QStringLiteral("Пульс"));
    Type("80");
    Key(Qt::Key_Return);
    EXPECT_TRUE(view->NoticeText().contains("Пульс")) << view->NoticeText().toStdString();
    EXPECT_TRUE(dialogs.messages.empty());  // nothing in the way of typing
    QTest::mouseClick(ui().Notice_LBL, Qt::LeftButton);
    EXPECT_EQ(view->NoticeText(), "");
    // The same item failing again is not told again; another item is.
    Click(Cur(), QStringLiteral("Пульс"));
    Type("81");
    Key(Qt::Key_Return);
    EXPECT_EQ(view->NoticeText(), "");
    Click(Cur(), QStringLiteral("Печень, см"));
    Type("2");
    Key(Qt::Key_Return);
    EXPECT_TRUE(view->NoticeText().contains("Печень")) << view->NoticeText().toStdString();
    EXPECT_TRUE(view->isVisible());
    EXPECT_EQ(Item("Пульс")->GetAttr("value"), "81");  // the tree keeps what was typed
}

TEST_F(EntryWindowTest, ACharacterTheTablesCannotHoldIsRefusedAndTold) {
    MakeGeneratedKind();
    Show();
    Click(Cur(), QStringLiteral("Примечание"));
    Type(QStringLiteral("a✓b"));
    EXPECT_EQ(EditorText(), "ab");
    EXPECT_FALSE(view->NoticeText().isEmpty());
    Key(Qt::Key_Return);
    EXPECT_EQ(Cell("note"), "ab");
}

}  // namespace
