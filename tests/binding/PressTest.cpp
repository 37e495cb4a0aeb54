#include "SessionFixture.h"

#include "binding/PressLayout.h"

namespace {

class PressTest : public SessionFixture {
protected:
    // A press dy pixels below the top of the selected row, which starts at y 100.
    PressOutcome PressAt(const QString& name, int dy) {
        Select(name);
        return session.CurrentListPress({100 + dy, 100, 100});
    }
};

TEST(PressLayout, ListTextWidthAllowsForFrameAndScrollBar) {
    EXPECT_EQ(ListTextWidth(242, 4, 17), 219);
    EXPECT_EQ(ListTextWidth(TestMetrics()), 219);
}

TEST(PressLayout, CheckGroupTokens) {
    EXPECT_EQ(ToggleToken("", 3), "3|");
    EXPECT_EQ(ToggleToken("3|", 1), "3|1|");
    EXPECT_EQ(ToggleToken("3|1|", 3), "1|");
    EXPECT_EQ(ToggleToken("11|", 1), "11|1|");  // 1 is no token of 11|
    EXPECT_EQ(ToggleToken("11|1|", 1), "11|");
    EXPECT_EQ(ToggleToken("2|12|", 2), "12|");
    EXPECT_FALSE(HasToken("11|", 1));
    EXPECT_TRUE(HasToken("5|11|", 11));
}

// Choices are stacked under the name, each as many value lines high as its name wraps to at
// the width left after the box and the indent: at level 1, 219 - (13 + 16 + 2) - 2 = 186
// pixels (31 characters); at level 2, 170 pixels (28 characters).
TEST(PressLayout, ChoiceFromAVerticalPosition) {
    const EntryMetrics m = TestMetrics();
    const QStringList names{"один", QString(40, u'x'), "три"};
    const std::pair<int, std::optional<int>> cases[] = {
        {-1, std::nullopt}, {0, 1}, {11, 1}, {12, 2}, {35, 2}, {36, 3}, {47, 3}, {48, std::nullopt},
    };
    for (const auto& [y, choice] : cases) EXPECT_EQ(ChoiceAt(m, 1, names, y), choice) << y;
    const QStringList thirty{"один", QString(30, u'x'), "три"};
    EXPECT_EQ(ChoiceAt(m, 1, thirty, 24), 3);
    EXPECT_EQ(ChoiceAt(m, 2, thirty, 24), 2);  // 30 characters wrap one level deeper
    EXPECT_EQ(ChoiceAt(m, 1, {}, 0), std::nullopt);
}

TEST_F(PressTest, CheckBoxAlternatesAndStaysDefined) {
    MakeKind();
    Open();
    for (const char* expected : {"1", "0", "1"}) {
        const PressOutcome outcome = PressAt("Курит", 30);
        EXPECT_TRUE(outcome.applied);
        EXPECT_TRUE(outcome.save.Ok()) << outcome.save.message.toStdString();
        EXPECT_EQ(item("Курит")->GetAttr("value"), expected);
        EXPECT_EQ(item("Курит")->GetAttr("define"), "1");
        EXPECT_EQ(Cell(5, "kur"), expected);
    }
    // The press rebuilds the current list and keeps the row selected.
    EXPECT_EQ(current.Selected(), current.IndexOf(QString::number(item("Курит")->Id())));
}

TEST_F(PressTest, RadioByPosition) {
    MakeKind();
    Open();
    // The name "Пол" takes one name line (14 pixels); the choices follow, 12 pixels each.
    EXPECT_FALSE(PressAt("Пол", 13).applied);  // on the name
    EXPECT_EQ(item("Пол")->GetAttr("define"), "");
    const PressOutcome second = PressAt("Пол", 14 + 12);
    EXPECT_TRUE(second.applied);
    EXPECT_TRUE(second.repaintRow);
    EXPECT_EQ(item("Пол")->GetAttr("value"), "2");
    EXPECT_EQ(item("Пол")->GetAttr("define"), "1");
    EXPECT_EQ(Cell(5, "pol"), "2");
    EXPECT_FALSE(PressAt("Пол", 14 + 24).applied);  // below the last choice
    EXPECT_EQ(Cell(5, "pol"), "2");
    EXPECT_TRUE(PressAt("Пол", 14).applied);
    EXPECT_EQ(Cell(5, "pol"), "1");
}

TEST_F(PressTest, RadioMeasuresFromThePressedRowAndCheckGroupFromTheSelectedOne) {
    MakeKind();
    Open();
    Select("Пол");
    // The press hook's row starts 12 pixels lower than the selected row: radio counts from it.
    session.CurrentListPress({100 + 14 + 12, 112, 100});
    EXPECT_EQ(item("Пол")->GetAttr("value"), "1");
}

TEST_F(PressTest, CheckGroupTogglesTokensInPressOrder) {
    Reference("sympt", {"1", "2", "3", "4", "5", "6", "7", "8", "9", "10", "11"});
    exec("create table main (code integer, fio char(100), s char(100))");
    exec("insert into main (code, s) values (5, '')");
    session.SetMetrics(TestMetrics());
    ASSERT_TRUE(session.OpenWith({"<!!Г>", "<Симптомы db=main field=s type=refgroup "
                                  "ref_db=sympt input=checkgroup>"}, 5));
    auto press = [&](int choice) { return PressAt("Симптомы", 14 + 12 * (choice - 1) + 5); };
    for (const auto& [choice, value] : {std::pair{3, "3|"}, {1, "3|1|"}, {3, "1|"}}) {
        EXPECT_TRUE(press(choice).save.Ok());
        EXPECT_EQ(item("Симптомы")->GetAttr("value"), value);
        EXPECT_EQ(Cell(5, "s"), value);
    }
    press(1);
    EXPECT_EQ(item("Симптомы")->GetAttr("define"), "0");  // nothing chosen
    press(11);
    press(1);
    EXPECT_EQ(item("Симптомы")->GetAttr("value"), "11|1|");
    EXPECT_EQ(item("Симптомы")->GetAttr("define"), "1");
    EXPECT_EQ(item("Симптомы")->GetAttr("inputsize"), "11");
}

TEST_F(PressTest, PressesThatApplyNothing) {
    exec("create table bad (code integer)");  // counted at opening, but has no names to show
    exec("insert into bad values (1)");
    exec("create table main (code integer, fio char(100), a integer)");
    exec("insert into main (code, a) values (5, 7)");
    session.SetMetrics(TestMetrics());
    ASSERT_TRUE(session.OpenWith({"<!!Г>", "<Возраст db=main field=a type=int input=edit>",
                                  "<Свой db=main field=a type=custom input=custom inputtype=нет>",
                                  "<Плохой db=main field=a type=ref ref_db=bad input=radio>"}, 5));
    current.SetSelected(0);  // the group's heading
    EXPECT_FALSE(session.CurrentListPress({200, 100, 100}).applied);
    EXPECT_FALSE(PressAt("Возраст", 30).applied);
    EXPECT_FALSE(PressAt("Свой", 30).applied);  // unregistered custom type
    const PressOutcome bad = PressAt("Плохой", 14);
    EXPECT_FALSE(bad.applied);
    EXPECT_FALSE(bad.error.isEmpty());
    EXPECT_EQ(Cell(5, "a"), "7");
}

TEST_F(PressTest, AMissingReferenceTableFailsTheOpening) {
    exec("create table main (code integer, fio char(100), a integer)");
    EXPECT_THROW(session.OpenWith({"<!!Г>", "<Пол db=main field=a type=ref input=radio>"}, 5),
                 EngineError);  // "reference", the table of an empty ref_db, is not there
}

}  // namespace
