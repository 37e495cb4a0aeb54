#include "KindFixture.h"

#include "binding/EntryLists.h"

namespace {

// Three top-level groups, a top-level field item and a nested group.
const QStringList kDescription{
    "<!!A>",
    "<a1 type=int>",
    "<a2 type=int>",
    "<!!Inner>",
    "<i1 type=int>",
    "</Inner>",
    "</A>",
    "<!!B>",
    "<b1 type=int>",
    "</B>",
    "<loose type=int>",
    "<!!C>",
    "</C>",
};

class EntryListsTest : public ::testing::Test {
protected:
    std::unique_ptr<TNvDescriptor> tree = TreeOf(kDescription);
    InputTypeRegistry registry;
    MemoryEntryList entered, current, next;
    MemoryShown frame;
    EntryLists lists{entered, current, next, &frame};

    TNvDescriptorItem* item(const char* name) { return Named(*tree, name); }
    void Define(const char* name) { item(name)->SetAttr("define", "1"); }
    void Show(const char* name, const char* visible = "1") { item(name)->SetAttr("visible", visible); }
    QStringList Entered() { return RowNames(*tree, entered); }
    QStringList Next() { return RowNames(*tree, next); }
};

TEST_F(EntryListsTest, FreshTreeListsOnlyHeadingsOfGroupsWithValues) {
    Define("a1");
    Define("i1");
    BuildLists(registry, *tree, nullptr, lists);
    // Nothing is expanded yet, so no item rows; B and C hold no value, so no heading.
    EXPECT_EQ(Entered(), (QStringList{"+A", "+Inner"}));
    EXPECT_EQ(Next(), (QStringList{"+A", "+B"}));  // C has nothing left to enter
    EXPECT_EQ(current.RowCount(), 0);
}

TEST_F(EntryListsTest, ExpandedItemsFollowTheirHeadingDepthFirst) {
    Define("a2");
    Define("i1");
    Define("loose");
    Show("a1");  // visible but not defined
    Show("a2", "");  // present with an empty text counts as visible
    Show("i1");
    Show("loose");
    Define("b1");
    Show("b1", "0");  // only "0" hides
    BuildEnteredList(registry, *tree, entered);
    EXPECT_EQ(Entered(), (QStringList{"+A", "a2", "+Inner", "i1", "+B", "loose"}));
    EXPECT_TRUE(entered.IsShown());
}

TEST_F(EntryListsTest, LevelsAreDepthsWrittenOnEveryFieldItem) {
    BuildEnteredList(registry, *tree, entered);
    EXPECT_EQ(item("loose")->GetAttr("level"), "0");
    EXPECT_EQ(item("a1")->GetAttr("level"), "1");
    EXPECT_EQ(item("i1")->GetAttr("level"), "2");
    EXPECT_EQ(item("Inner")->GetAttr("level"), "");  // groups get none
}

TEST_F(EntryListsTest, CurrentListIsTheGroupAndAllItsChildren) {
    BuildCurrentList(item("A"), current);
    EXPECT_EQ(RowNames(*tree, current), (QStringList{"+A", "a1", "a2", "Inner"}));
    EXPECT_TRUE(current.IsShown());
    EXPECT_EQ(current.Selected(), -1);
    BuildCurrentList(item("C"), current);  // an empty group still has its heading
    EXPECT_EQ(RowNames(*tree, current), (QStringList{"+C"}));
}

TEST_F(EntryListsTest, NextListLeavesOutTheCurrentAndCompleteGroups) {
    BuildNextList(registry, *tree, item("A"), next, &frame);
    EXPECT_EQ(Next(), (QStringList{"+B"}));
    EXPECT_TRUE(frame.IsShown());
    Define("b1");
    BuildNextList(registry, *tree, item("A"), next, &frame);
    EXPECT_EQ(Next(), QStringList{});
    EXPECT_FALSE(next.IsShown());
    EXPECT_FALSE(frame.IsShown());
    // A nested group counts as an item without value, so A is never complete.
    Define("a1");
    Define("a2");
    BuildNextList(registry, *tree, item("B"), next, &frame);
    EXPECT_EQ(Next(), (QStringList{"+A"}));
}

TEST_F(EntryListsTest, RebuildsKeepTheTopRowOfEnteredAndCurrent) {
    for (const char* name : {"a1", "a2", "i1", "b1"}) {
        Define(name);
        Show(name);
    }
    entered.SetTopIndex(3);
    current.SetTopIndex(2);
    next.SetTopIndex(1);
    BuildLists(registry, *tree, item("A"), lists);
    EXPECT_EQ(entered.TopIndex(), 3);
    EXPECT_EQ(current.TopIndex(), 2);
}

TEST_F(EntryListsTest, EmptyTreeEmptiesTheListsButKeepsTheirVisibility) {
    TNvDescriptor empty;
    entered.AddRow("1");
    next.AddRow("+2");
    BuildLists(registry, empty, nullptr, lists);
    EXPECT_EQ(entered.RowCount(), 0);
    EXPECT_EQ(next.RowCount(), 0);
    EXPECT_TRUE(entered.IsShown());
    EXPECT_TRUE(next.IsShown());
    EXPECT_TRUE(frame.IsShown());
}

TEST_F(EntryListsTest, CountsAndResetVisible) {
    Define("a1");
    const TNvDescriptor& a = *item("A")->Children();
    EXPECT_EQ(CountDefined(registry, a), 1);
    EXPECT_EQ(CountUndefined(registry, a), 2);  // a2 and the nested group
    Show("a1");
    tree->ForEachItem(ResetVisible, 0);
    EXPECT_EQ(item("a1")->GetAttr("visible"), "0");
    EXPECT_EQ(item("a2")->Attributes().Find("visible"), nullptr);
}

}  // namespace
