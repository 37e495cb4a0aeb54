#include "SessionFixture.h"

namespace {

using Kind = EditorRequest::Kind;

TEST_F(SessionFixture, GeneratedKindOpensOnItsOneGroup) {
    MakeKind("kur=1, ves=72.5");
    Open();
    TNvDescriptorItem* group = session.Tree()->First();
    EXPECT_EQ(session.CurGroup(), group);
    EXPECT_FALSE(session.ThreeColumns());
    EXPECT_EQ(Rows(current), (QStringList{"+Данные обследования", "Ф.И.О.", "Вес", "Пол", "Курит",
                                          "Пульс", "Примечание"}));
    EXPECT_EQ(Rows(next), QStringList{});
    EXPECT_FALSE(next.IsShown());
    EXPECT_FALSE(frame.IsShown());
    // The entered list's first heading has been clicked, so its values are shown.
    EXPECT_EQ(Rows(entered), (QStringList{"+Данные обследования", "Вес", "Курит"}));
    EXPECT_EQ(entered.Selected(), 0);
    EXPECT_EQ(item("Вес")->GetAttr("inputsize"), "");
    EXPECT_EQ(item("Пол")->GetAttr("inputsize"), "2");
}

const QStringList kGroups{
    "<!!A>",
    "<a1 db=main field=a1 type=int input=edit>",
    "<a2 db=main field=a2 type=char input=edit>",
    "</A>",
    "<!!B>",
    "<b1 db=main field=b1 type=int input=edit margin=4>",
    "<b2 db=main field=b2 type=text input=memo inputsize=3>",
    "<b3 db=main field=b3 type=bool input=checkbox>",
    "</B>",
    "<!!C>",
    "<c1 db=main field=c1 type=date input=edit>",
    "</C>",
};

class GroupsSession : public SessionFixture {
protected:
    void SetUp() override {
        SessionFixture::SetUp();
        exec("create table main (code integer, fio char(100), a1 integer, a2 char(200), "
             "b1 integer, b2 memo, b3 integer, c1 date)");
        exec("insert into main values (5, '', 1, 'x', 99999999, '', 0, '2024-01-31')");
        session.SetMetrics(TestMetrics());
        ASSERT_TRUE(session.OpenWith(kGroups, 5));
    }

    void ClickEntered(const QString& name) {
        entered.SetSelected(entered.IndexOf(RowOf(name)));
        session.EnteredListClick();
    }
    QString RowOf(const QString& name) {
        TNvDescriptorItem* i = item(name);
        return (i->Children() ? "+" : "") + QString::number(i->Id());
    }
};

TEST_F(GroupsSession, OpensOnTheFirstGroupWithSomethingToEnter) {
    EXPECT_TRUE(session.ThreeColumns());
    EXPECT_EQ(session.CurGroup(), item("B"));  // A and C are complete
    EXPECT_EQ(Rows(current), (QStringList{"+B", "b1", "b2", "b3"}));
    EXPECT_EQ(Rows(next), QStringList{});
    EXPECT_EQ(Rows(entered), (QStringList{"+A", "a1", "a2", "+B", "+C"}));
}

TEST_F(GroupsSession, ClickingAHeadingExpandsExactlyThatGroup) {
    ClickEntered("C");
    EXPECT_EQ(Rows(entered), (QStringList{"+A", "+B", "+C", "c1"}));
    EXPECT_EQ(entered.Selected(), 2);
    ClickEntered("C");
    EXPECT_EQ(Rows(entered), (QStringList{"+A", "+B", "+C", "c1"}));
    ClickEntered("B");
    EXPECT_EQ(Rows(entered), (QStringList{"+A", "+B", "b3", "+C"}));
}

TEST_F(GroupsSession, LongEnteredValuesAreShownInFull) {
    item("a2")->SetAttr("value", QString(151, u'я'));
    entered.SetSelected(entered.IndexOf(RowOf("a2")));  // A is expanded since the opening
    FullTextRequest shown = session.EnteredListClick();
    EXPECT_TRUE(shown.show);
    EXPECT_EQ(shown.caption, "a2");
    EXPECT_EQ(shown.text.size(), 151);
    item("a2")->SetAttr("value", QString(150, u'я'));
    EXPECT_FALSE(session.EnteredListClick().show);
}

TEST_F(GroupsSession, DoubleClickMakesTheEnclosingGroupCurrent) {
    current.SetTopIndex(2);
    entered.SetSelected(entered.IndexOf(RowOf("a2")));
    session.EnteredListDblClick();
    EXPECT_EQ(session.CurGroup(), item("A"));
    EXPECT_EQ(Rows(current), (QStringList{"+A", "a1", "a2"}));
    EXPECT_EQ(current.TopIndex(), 0);
    EXPECT_EQ(Rows(next), (QStringList{"+B"}));
    entered.SetSelected(-1);
    session.EnteredListDblClick();
    EXPECT_EQ(session.CurGroup(), item("A"));
}

TEST_F(GroupsSession, NextListClickChoosesTheGroup) {
    entered.SetSelected(entered.IndexOf(RowOf("a1")));
    session.EnteredListDblClick();
    next.SetSelected(next.IndexOf(RowOf("B")));
    session.NextListClick();
    EXPECT_EQ(session.CurGroup(), item("B"));
    EXPECT_EQ(Rows(current).first(), "+B");
}

TEST_F(GroupsSession, EditorsOpenWithTheirTextAndPlace) {
    item("b1")->SetAttr("value", "77");  // a value that is not defined is not offered
    Select("b1");
    EditorRequest edit = session.CurrentListClick();
    EXPECT_EQ(edit.kind, Kind::Edit);
    EXPECT_EQ(edit.text, "");
    EXPECT_EQ(edit.indent, 4 + 8);  // margin + half an indent step per level
    EXPECT_EQ(edit.nameHeight, 14);
    EXPECT_EQ(edit.height, 24);
    EXPECT_EQ(session.CurIndex(), 1);
    EXPECT_EQ(current.Selected(), 1);  // still selected after the rebuild

    item("b2")->SetAttr("value", "старое");
    Select("b2");
    EditorRequest memo = session.CurrentListClick();
    EXPECT_EQ(memo.kind, Kind::Memo);
    EXPECT_EQ(memo.text, "старое");  // whatever define says
    EXPECT_EQ(memo.height, 3 * 12);
    EXPECT_EQ(item("b2")->GetAttr("edited"), "1");
    // A memo without a size (or a size of 0) still opens one line high.
    for (const char* size : {"", "0"}) {
        item("b2")->SetAttr("inputsize", size);
        Select("b2");
        EXPECT_EQ(session.CurrentListClick().height, 12) << "inputsize '" << size << "'";
    }

    current.SetSelected(0);
    EXPECT_EQ(session.CurrentListClick().kind, Kind::None);
    EXPECT_EQ(session.OpenEditor(), Kind::None);
}

TEST_F(GroupsSession, EnterCommitsAndMovesDownTheCurrentList) {
    Select("b1");
    session.CurrentListClick();
    EXPECT_EQ(session.EditKey(u'\r', "42", "").kind, CharDecision::Kind::MoveNext);
    GotoOutcome moved = session.GotoCurrent("42");
    EXPECT_EQ(moved.commit.save.status, SaveOutcome::Status::Written);
    EXPECT_EQ(Cell(5, "b1"), "42");
    EXPECT_EQ(moved.editor.kind, Kind::Memo);  // b2

    session.MemoKey(u'\t');
    moved = session.GotoCurrent("  заметка ");
    EXPECT_EQ(Cell(5, "b2"), "заметка");
    EXPECT_EQ(item("b2")->GetAttr("edited"), "0");
    // b3 is a check box: the row is selected, but no editor opens and the chain stops.
    EXPECT_EQ(moved.editor.kind, Kind::None);
    EXPECT_EQ(current.Selected(), 3);
    session.MoveBy(1);
    EXPECT_EQ(session.GotoCurrent("").editor.kind, Kind::None);  // below the last row
}

TEST_F(GroupsSession, UpFromTheFirstItemCommitsAndOpensNothing) {
    Select("b1");
    session.CurrentListClick();
    session.MoveBy(-1);
    const GotoOutcome moved = session.GotoCurrent("5");
    EXPECT_EQ(Cell(5, "b1"), "5");
    EXPECT_EQ(moved.editor.kind, Kind::None);
    EXPECT_EQ(session.OpenEditor(), Kind::None);
}

TEST_F(GroupsSession, AWrongDateIsReportedAndTheOldValueKept) {
    ClickEntered("C");
    entered.SetSelected(entered.IndexOf(RowOf("c1")));
    session.EnteredListDblClick();
    Select("c1");
    session.CurrentListClick();
    const EditOutcome wrong = session.CommitEdit("31-04-2024");
    EXPECT_EQ(wrong.commit.kind, CommitResult::Kind::DateInvalid);
    EXPECT_EQ(item("c1")->GetAttr("value"), "31-01-2024");
    EXPECT_EQ(Cell(5, "c1"), "2024-01-31");
    EXPECT_EQ(session.CommitEdit("1-2-05").save.status, SaveOutcome::Status::Written);
    EXPECT_EQ(Cell(5, "c1"), "2005-02-01");
}

TEST_F(GroupsSession, RefusedAndFailedSavesAreReported) {
    entered.SetSelected(entered.IndexOf(RowOf("a1")));
    session.EnteredListDblClick();
    Select("a2");
    session.CurrentListClick();
    const EditOutcome refused = session.CommitEdit("Ωmega");
    EXPECT_EQ(refused.commit.kind, CommitResult::Kind::Refused);
    EXPECT_EQ(item("a2")->GetAttr("value"), "x");
    EXPECT_EQ(Cell(5, "a2"), "x");

    exec("delete from main where code=5");
    const EditOutcome failed = session.CommitEdit("Мар'яна");
    EXPECT_EQ(failed.save.status, SaveOutcome::Status::Failed);
    EXPECT_EQ(item("a2")->GetAttr("value"), "Мар'яна");  // the tree keeps it
}

TEST_F(GroupsSession, ClosingCommitsTheOpenEditor) {
    Select("b1");
    session.CurrentListClick();
    EXPECT_EQ(session.Close("17").save.status, SaveOutcome::Status::Written);
    EXPECT_EQ(Cell(5, "b1"), "17");
    EXPECT_EQ(session.Tree(), nullptr);
}

TEST_F(SessionFixture, CustomInputCallsOnlyARegisteredEditor) {
    exec("create table main (code integer, fio char(100))");
    exec("insert into main (code) values (5)");
    int calls = 0;
    int data = 0;
    registry.Register("шкала", {{}, {}, [&](TNvDescriptorItem& i, int d) {
                                   ++calls;
                                   data = d;
                                   i.SetAttr("value", "set");
                               }, 3});
    session.SetMetrics(TestMetrics());
    ASSERT_TRUE(session.OpenWith({"<!!Г>", "<Своё type=custom input=custom inputtype=Шкала>",
                                  "<Чужое type=custom input=custom inputtype=нет>"}, 5));
    Select("Своё");
    EXPECT_EQ(session.CurrentListClick().kind, Kind::None);
    EXPECT_EQ(calls, 1);
    EXPECT_EQ(data, 3);
    EXPECT_EQ(item("Своё")->GetAttr("value"), "set");
    Select("Чужое");
    EXPECT_EQ(session.CurrentListClick().kind, Kind::None);
    EXPECT_EQ(calls, 1);
}

TEST_F(SessionFixture, CompleteProtocolOpensOnTheFirstTopLevelItem) {
    exec("create table main (code integer, fio char(100), a integer)");
    exec("insert into main values (5, '', 1)");
    session.SetMetrics(TestMetrics());
    ASSERT_TRUE(session.OpenWith({"<loose db=main field=a type=int>", "<!!A>",
                                  "<a db=main field=a type=int>"}, 5));
    EXPECT_EQ(Rows(next), QStringList{});
    EXPECT_EQ(session.CurGroup(), item("loose"));
    EXPECT_EQ(Rows(current), (QStringList{"+loose"}));
}

TEST_F(SessionFixture, AProtocolWithoutARowOpensEmpty) {
    MakeKind();
    session.SetMetrics(TestMetrics());
    EXPECT_FALSE(session.Open(6));
    EXPECT_EQ(item("Курит")->GetAttr("define"), "");
}

}  // namespace
