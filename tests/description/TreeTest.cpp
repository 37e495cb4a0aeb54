#include "description/NvDescriptor.h"
#include "description/NvValues.h"
#include "description/TreeDebug.h"

#include <gtest/gtest.h>

#include <QStringList>

#include <type_traits>
#include <vector>

static_assert(!std::is_copy_constructible_v<TNvDescriptor>);
static_assert(!std::is_copy_constructible_v<TNvDescriptorItem>);
static_assert(!std::is_copy_assignable_v<TNvValues>);

namespace {

// A tag item of a test tree: a leaf, or a group (possibly empty) with children.
struct Node {
    QString name;
    std::vector<Node> children;
    bool group = false;
};

Node Leaf(const char* name) {
    return {QString::fromUtf8(name), {}, false};
}

Node Group(const char* name, std::vector<Node> children = {}) {
    return {QString::fromUtf8(name), std::move(children), true};
}

void Build(TNvDescriptor& list, const std::vector<Node>& nodes) {
    for (const Node& node : nodes) {
        TNvDescriptorItem& item = list.AddItem(node.name);
        if (node.group) Build(item.EnsureChildren(), node.children);
    }
}

QStringList Names(const TNvDescriptor& list) {
    QStringList names;
    for (const TNvDescriptorItem* item = list.First(); item; item = item->Next())
        names << item->Name;
    return names;
}

QStringList WalkOrder(TNvDescriptor& list) {
    QStringList names;
    list.ForEachItem(
        [&](TNvDescriptorItem* item, int32_t number) {
            EXPECT_EQ(number, 7);
            names << item->Name;
        },
        7);
    return names;
}

void ExpectSound(const TNvDescriptor& root) {
    QString why;
    EXPECT_TRUE(CheckTreeInvariants(root, &why)) << why.toStdString();
}

// ---- the chain

TEST(Chain, DestroyingAnElementUnlinksIt) {
    struct Case {
        QStringList names;
        int destroy;
        QStringList left;
    };
    const Case cases[] = {
        {{"only"}, 0, {}},
        {{"a", "b", "c"}, 0, {"b", "c"}},
        {{"a", "b", "c"}, 1, {"a", "c"}},
        {{"a", "b", "c"}, 2, {"a", "b"}},
    };
    for (const Case& c : cases) {
        TNvDescriptor root;
        for (const QString& name : c.names) root.AddItem(name);
        delete root.ItemAt(c.destroy);
        EXPECT_EQ(Names(root), c.left);
        EXPECT_EQ(root.Count(), c.left.size());
        ExpectSound(root);
        if (c.left.isEmpty()) {
            EXPECT_EQ(root.First(), nullptr);
            EXPECT_EQ(root.Last(), nullptr);
        }
        root.AddItem(QStringLiteral("new"));  // the list stays usable at both ends
        EXPECT_EQ(Names(root), c.left + QStringList{"new"});
        ExpectSound(root);
    }
}

TEST(Chain, ItemAtCountsFromFirstWithinBounds) {
    TNvDescriptor empty;
    EXPECT_EQ(empty.ItemAt(0), nullptr);
    EXPECT_EQ(empty.ItemAt(-1), nullptr);

    TNvDescriptor root;
    Build(root, {Leaf("a"), Leaf("b"), Leaf("c")});
    EXPECT_EQ(root.ItemAt(-5), root.First());
    EXPECT_EQ(root.ItemAt(1)->Name, QStringLiteral("b"));
    EXPECT_EQ(root.ItemAt(2), root.Last());
    EXPECT_EQ(root.ItemAt(3), nullptr);
    const TNvChainHolder& base = root;  // the one virtual function answers through the base
    EXPECT_EQ(base.ItemAt(1), root.ItemAt(1));
}

TEST(Chain, ClearDestroysEveryElementAndTheirSubtrees) {
    TNvDescriptor root;
    Build(root, {Group("G", {Leaf("a"), Group("H", {Leaf("b")})}), Leaf("f")});
    root.First()->SetAttr(QStringLiteral("pic"), QStringLiteral("heart"));
    const int32_t nestedId = root.First()->Children()->Last()->Children()->First()->Id();
    ASSERT_NE(root.ItemById(nestedId), nullptr);

    root.Clear();
    EXPECT_EQ(root.Count(), 0);
    EXPECT_EQ(root.First(), nullptr);
    EXPECT_EQ(root.ItemById(nestedId), nullptr);
    EXPECT_EQ(root.CountItems(), 0);
    root.AddItem(QStringLiteral("again"));
    ExpectSound(root);
}

TEST(Chain, ValuesFindIgnoresCaseAndLeavePicturesAlone) {
    TNvValues pictures;
    int picture = 0;  // stands for a bitmap the list must not free
    TNvValue& heart = pictures.AddValue(4, QStringLiteral("Сердце"));
    EXPECT_EQ(heart.Picture, nullptr);
    heart.Picture = &picture;
    pictures.AddValue(4, QStringLiteral("lungs"));
    EXPECT_EQ(pictures.Find(QStringLiteral("сЕРДЦЕ")), &heart);
    EXPECT_EQ(pictures.Find(QStringLiteral("LUNGS")), pictures.Last());
    EXPECT_EQ(pictures.Find(QStringLiteral("liver")), nullptr);
    EXPECT_EQ(TNvValues().Find(QStringLiteral("x")), nullptr);
    delete &heart;
    EXPECT_EQ(pictures.Count(), 1);
    EXPECT_EQ(pictures.First()->Prev(), nullptr);
}

// ---- walks

struct WalkCase {
    const char* name;
    std::vector<Node> tree;
    QStringList order;
};

class Walk : public testing::TestWithParam<WalkCase> {};

TEST_P(Walk, VisitsGroupsBeforeTheirChildren) {
    TNvDescriptor root;
    Build(root, GetParam().tree);
    EXPECT_EQ(WalkOrder(root), GetParam().order);
    EXPECT_EQ(root.CountItems(), GetParam().order.size());
    ExpectSound(root);
}

INSTANTIATE_TEST_SUITE_P(
    Trees, Walk,
    testing::Values(
        WalkCase{"Empty", {}, {}},
        WalkCase{"GroupsAndField",
                 {Group("G1", {Leaf("a"), Leaf("b")}), Leaf("f"), Group("G2", {Leaf("c")})},
                 {"G1", "a", "b", "f", "G2", "c"}},
        WalkCase{"EmptyGroupThenSibling", {Group("E"), Leaf("s")}, {"E", "s"}},
        WalkCase{"LeavesSeveralLevelsAtOnce",
                 {Group("A", {Group("B", {Group("C", {Leaf("x")})})}), Leaf("d")},
                 {"A", "B", "C", "x", "d"}},
        WalkCase{"TrailingEmptyGroups", {Leaf("a"), Group("B", {Group("C")})}, {"a", "B", "C"}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(Walk, FromANestedListRunsOnToTheEndOfTheTree) {
    TNvDescriptor root;
    Build(root, {Group("G1", {Leaf("a"), Leaf("b")}), Leaf("f"), Group("G2", {Leaf("c")})});
    EXPECT_EQ(WalkOrder(*root.First()->Children()), (QStringList{"a", "b", "f", "G2", "c"}));
    EXPECT_EQ(root.Last()->Children()->CountItems(), 1);
}

TEST(Walk, AttributesAreNotPartOfTheWalk) {
    TNvDescriptor root;
    Build(root, {Leaf("a"), Leaf("b")});
    root.First()->SetAttr(QStringLiteral("x"), QStringLiteral("1"));
    EXPECT_EQ(root.First()->NextInTree(), root.Last());
    EXPECT_EQ(root.Last()->NextInTree(), nullptr);
}

// ---- attributes

class Attributes : public testing::Test {
  protected:
    TNvDescriptor root;
    TNvDescriptorItem& item = root.AddItem(QStringLiteral("Рост"));
};

TEST_F(Attributes, SetAttrKeepsTheFirstWrittenNameAndPlace) {
    item.SetAttr(QStringLiteral("inputsize"), QStringLiteral("5"));
    item.SetAttr(QStringLiteral("value"), QStringLiteral("170"));
    item.SetAttr(QStringLiteral("inputSize"), QStringLiteral("7"));
    item.SetAttr(QStringLiteral("Значение"), QStringLiteral("a"));
    item.SetAttr(QStringLiteral("зНАЧЕНИЕ"), QStringLiteral("b"));

    QStringList pairs;
    for (const TNvDescriptorItem* a = item.Attributes().First(); a; a = a->Next())
        pairs << a->Name + u'=' + a->Value;
    EXPECT_EQ(pairs, (QStringList{"inputsize=7", "value=170", "Значение=b"}));
    EXPECT_EQ(item.GetAttr(QStringLiteral("INPUTSIZE")), QStringLiteral("7"));
    EXPECT_EQ(item.GetAttr(QStringLiteral("ЗНАЧЕНИЕ")), QStringLiteral("b"));
    EXPECT_EQ(item.GetAttr(QStringLiteral("missing")), QString());
    ExpectSound(root);
}

TEST_F(Attributes, GetAttrIntReadsDecimalIntegersOnly) {
    struct Case {
        const char* text;  // null: attribute missing
        int32_t expected;
    };
    const Case cases[] = {{nullptr, 0}, {"abc", 0}, {"", 0},           {"12", 12},
                          {" 12 ", 12}, {"-3", -3}, {"+4", 4},         {"1.5", 0},
                          {"0x1A", 0},  {"9 9", 0}, {"99999999999", 0}};
    for (const Case& c : cases) {
        TNvDescriptorItem& probe = root.AddItem(QStringLiteral("probe"));
        if (c.text) probe.SetAttr(QStringLiteral("level"), QString::fromUtf8(c.text));
        EXPECT_EQ(probe.GetAttrInt(QStringLiteral("Level")), c.expected)
            << (c.text ? c.text : "missing");
    }
}

TEST(Find, MatchesNamesIgnoringCyrillicAndLatinCase) {
    TNvDescriptor root;
    Build(root, {Leaf("Ф.И.О."), Leaf("Частота"), Leaf("Pulse")});
    EXPECT_EQ(root.Find(QStringLiteral("ф.и.о.")), root.First());
    EXPECT_EQ(root.Find(QStringLiteral("ЧАСТОТА")), root.ItemAt(1));
    EXPECT_EQ(root.Find(QStringLiteral("pULSE")), root.Last());
    EXPECT_EQ(root.Find(QStringLiteral("Частот")), nullptr);
    EXPECT_EQ(TNvDescriptor().Find(QStringLiteral("x")), nullptr);
}

// ---- identities

TEST(ItemIds, MapBackToLiveItemsOnly) {
    TNvDescriptor root;
    Build(root, {Group("G", {Leaf("a"), Leaf("b")}), Leaf("f")});
    std::vector<TNvDescriptorItem*> items;
    root.ForEachItem([&](TNvDescriptorItem* item, int32_t) { items.push_back(item); }, 0);
    std::vector<int32_t> ids;
    for (TNvDescriptorItem* item : items) {
        EXPECT_GT(item->Id(), 0);
        EXPECT_EQ(root.ItemById(item->Id()), item);
        EXPECT_EQ(item->Children() ? item->Children()->ItemById(item->Id()) : item, item)
            << "any list of the tree answers for the whole tree";
        for (int32_t other : ids) EXPECT_NE(item->Id(), other);
        ids.push_back(item->Id());
    }

    delete items[0];  // the group, and with it a and b
    EXPECT_EQ(root.ItemById(ids[0]), nullptr);
    EXPECT_EQ(root.ItemById(ids[1]), nullptr);
    EXPECT_EQ(root.ItemById(ids[2]), nullptr);
    EXPECT_EQ(root.ItemById(ids[3]), items[3]);
    const TNvDescriptorItem& fresh = root.AddItem(QStringLiteral("new"));
    for (int32_t old : ids) EXPECT_NE(fresh.Id(), old) << "ids are never reused";

    for (int32_t bad : {0, -1, 1 << 30}) EXPECT_EQ(root.ItemById(bad), nullptr);
    ExpectSound(root);
}

TEST(ItemIds, TreesNumberTheirItemsApart) {
    TNvDescriptor first;
    TNvDescriptor second;
    const TNvDescriptorItem& a = first.AddItem(QStringLiteral("a"));
    const TNvDescriptorItem& b = second.AddItem(QStringLiteral("b"));
    EXPECT_EQ(first.ItemById(a.Id()), &a);
    EXPECT_EQ(second.ItemById(b.Id()), &b);
    EXPECT_NE(first.ItemById(b.Id()), &b);

    TNvDescriptorItem free(nullptr, QStringLiteral("free"));
    free.SetAttr(QStringLiteral("x"), QStringLiteral("1"));
    EXPECT_EQ(free.Id(), 0);
    EXPECT_EQ(free.Holder(), nullptr);
    EXPECT_EQ(free.GetAttr(QStringLiteral("X")), QStringLiteral("1"));
    EXPECT_EQ(free.NextInTree(), nullptr);
}

TEST(Ownership, ListsKnowTheirOwnerAndKind) {
    TNvDescriptor root;
    TNvDescriptorItem& group = root.AddItem(QStringLiteral("G"));
    TNvDescriptor& children = group.EnsureChildren();
    EXPECT_EQ(&group.EnsureChildren(), &children) << "a second call keeps the same list";
    EXPECT_EQ(root.Kind(), TNvDescriptor::RootList);
    EXPECT_EQ(root.Owner(), nullptr);
    EXPECT_EQ(children.Kind(), TNvDescriptor::ChildList);
    EXPECT_EQ(children.Owner(), &group);
    EXPECT_EQ(group.Attributes().Kind(), TNvDescriptor::AttributeList);
    EXPECT_EQ(group.Attributes().Owner(), &group);

    // The constructor form: the list takes the new item over.
    auto* field = new TNvDescriptorItem(&children, QStringLiteral("f"), QStringLiteral("v"));
    EXPECT_EQ(field->Holder(), &children);
    EXPECT_EQ(field->GetValue(), QStringLiteral("v"));
    EXPECT_EQ(children.Count(), 1);
    ExpectSound(root);
}

}  // namespace
