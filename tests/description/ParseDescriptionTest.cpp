#include "description/ParseDescription.h"
#include "description/TreeDebug.h"

#include <gtest/gtest.h>

#include <QStringList>

namespace {

QString DumpOf(const QStringList& lines) {
    TNvDescriptor root;
    ParseDescription(root, lines);
    QString why;
    EXPECT_TRUE(CheckTreeInvariants(root, &why)) << why.toStdString();
    return DumpTree(root);
}

struct ParseCase {
    const char* name;
    QStringList lines;
    QString dump;
};

void PrintTo(const ParseCase& c, std::ostream* os) {
    *os << c.name;
}

class Parse : public testing::TestWithParam<ParseCase> {};

TEST_P(Parse, BuildsTheTree) {
    EXPECT_EQ(DumpOf(GetParam().lines).toStdString(), GetParam().dump.toStdString());
}

const QString kHeight =
    QStringLiteral("\"Рост\" [db=\"main\", field=\"rost\", type=\"float\", input=\"edit\"]\n");

const ParseCase kCases[] = {
    // What the field catalogue generates.
    {"GeneratedDescription",
     {"<!!Данные обследования>", "<Ф.И.О. db=main field=fio type=char input=edit>",
      "<Рост db=main field=rost type=float input=edit minvalue=50 maxvalue=250>",
      "<Вес db=main field=ves type=float input=edit minvalue=1 maxvalue=300>",
      "<Пол db=main field=pol type=ref ref_db=sex input=radio>",
      "<Жалобы db=main field=compl type=char size=100 input=edit>"},
     "+\"Данные обследования\"\n"
     "  \"Ф.И.О.\" [db=\"main\", field=\"fio\", type=\"char\", input=\"edit\"]\n"
     "  \"Рост\" [db=\"main\", field=\"rost\", type=\"float\", input=\"edit\", "
     "minvalue=\"50\", maxvalue=\"250\"]\n"
     "  \"Вес\" [db=\"main\", field=\"ves\", type=\"float\", input=\"edit\", "
     "minvalue=\"1\", maxvalue=\"300\"]\n"
     "  \"Пол\" [db=\"main\", field=\"pol\", type=\"ref\", ref_db=\"sex\", input=\"radio\"]\n"
     "  \"Жалобы\" [db=\"main\", field=\"compl\", type=\"char\", size=\"100\", input=\"edit\"]\n"},
    {"EmptyCatalogue",
     {"<!!Данные обследования>", "<Ф.И.О. db=main field=fio type=char input=edit>"},
     "+\"Данные обследования\"\n"
     "  \"Ф.И.О.\" [db=\"main\", field=\"fio\", type=\"char\", input=\"edit\"]\n"},
    {"EmptyDescriptionLabel", {"< db=main field=x>"}, "\"\" [db=\"main\", field=\"x\"]\n"},
    {"UntypedField",
     {"<Прочее db=main field=other>"},
     "\"Прочее\" [db=\"main\", field=\"other\"]\n"},

    // Labels.
    {"LabelWithBlanks",
     {"<Частота сердечных сокращений db=main field=chss type=int input=edit>"},
     "\"Частота сердечных сокращений\" [db=\"main\", field=\"chss\", type=\"int\", "
     "input=\"edit\"]\n"},
    {"LabelOnly", {"<Итог>"}, "\"Итог\"\n"},
    {"LabelCutAtBlankBeforeEquals",
     {"<Индекс (=ИМТ) db=main>"},
     "\"Индекс\" [\"(\"=\"ИМТ)\", db=\"main\"]\n"},
    {"NoBlankBeforeFirstEquals", {"<a=1 b=2>"}, "\"\" [a=\"1\", b=\"2\"]\n"},
    {"LeadingSingleBangEatsTwoCharacters", {"<!Group>"}, "\"roup\"\n"},

    // Statements over several lines, comments, skipped lines.
    {"TagOverThreeLines", {"<Рост db=main", "   field=rost  ", "type=float input=edit>"}, kHeight},
    {"CommentLineAndTrailingComment",
     {"<a x=1>", "  // a note", "<Рост db=main field=rost type=float input=edit> // note"},
     "\"a\" [x=\"1\"]\n" + kHeight},
    {"CommentInsideLabelCutsTheStatement", {"<Рост // см db=main field=rost>"}, "\"Рос\"\n"},
    {"CommentRunsToTheEndOfAJoinedStatement", {"<a x=1 // c", "y=2>"}, "\"a\" [x=\"\"]\n"},
    {"ShortAndEmptyLinesAreSkipped", {"", "x", " < ", "<a>", "\t", ">"}, "\"a\"\n"},
    {"ShortLinesStillJoinAStatement", {"<a x=1", "", "z", "y=2>"}, "\"a\" [x=\"1\", zy=\"2\"]\n"},
    {"CarriageReturnsAreTrimmed", {"<a x=1>\r", "<b>\r"}, "\"a\" [x=\"1\"]\n\"b\"\n"},

    // Groups.
    {"GroupRunsToTheEnd", {"<!!G>", "<a>", "<b>"}, "+\"G\"\n  \"a\"\n  \"b\"\n"},
    {"ClosingTagsNestAndAreNotMatchedByName",
     {"<!!G1>", "<!!G2 pic=heart>", "<a>", "</G1>", "<b>", "</>", "<c>"},
     "+\"G1\"\n  +\"G2\" [pic=\"heart\"]\n    \"a\"\n  \"b\"\n\"c\"\n"},
    {"BangsAnywhereOpenAGroup",
     {"<Внимание!! db=main field=w>", "<a>", "<b x=!!>", "<c>"},
     "+\"Внимание!!\" [db=\"main\", field=\"w\"]\n  \"a\"\n  +\"b\" [x=\"!!\"]\n    \"c\"\n"},
    {"EmptyGroupThenSibling", {"<!!E>", "</E>", "<s>"}, "+\"E\"\n\"s\"\n"},
    {"TopLevelClosingTagEndsTheParse", {"<a>", "</a>", "<b>", "<!!G>"}, "\"a\"\n"},
    {"ClosingTagJoinsLinesUntilABracket",
     {"<!!G>", "<a>", "</G", "<b>", "<c>"},
     "+\"G\"\n  \"a\"\n\"c\"\n"},

    // Attribute values and names.
    {"QuotedValuesKeepSingleBlanksAndEquals",
     {"<n note='a   b' q=\"x=y\">"},
     "\"n\" [note=\"a b\", q=\"x=y\"]\n"},
    {"EmptyQuotedValue", {"<n a='' b=2>"}, "\"n\" [a=\"\", b=\"2\"]\n"},
    {"BlanksAroundEquals", {"<n x=1 a = b>"}, "\"n\" [x=\"1\", a=\"b\"]\n"},
    {"WordWithoutEqualsIsGluedToTheNextName",
     {"<n db=main flag x=1>"},
     "\"n\" [db=\"main\", flagx=\"1\"]\n"},
    {"TrailingWordHasAnEmptyName", {"<n db=main extra>"}, "\"n\" [db=\"main\", \"\"=\"extra\"]\n"},
    {"EqualsBeforeAnyValueJoinsTheNextPair", {"<n a= b=1>"}, "\"n\" [a=\"b=1\"]\n"},
    {"LaterPairReplacesEarlierIgnoringCase",
     {"<n a=1 b=2 A=3 Поле=x поле=y>"},
     "\"n\" [a=\"3\", b=\"2\", Поле=\"y\"]\n"},
    {"TabIsAnOrdinaryCharacter", {"<n a=x\ty=1>"}, "\"n\" [a=\"x\\x09y=1\"]\n"},
    {"QuoteOpenAtTheEndKeepsTheRest", {"<n a=\"x  y>"}, "\"n\" [a=\"x y\"]\n"},

    // Malformed statements: no item, and nothing read past the text.
    {"EmptyBody", {"<>", "<a>"}, "\"a\"\n"},
    {"LoneBracketLeftByCommentCut", {"< // note>", "<//>", "<a>"}, "\"a\"\n"},
    {"MissingBracketAtTheEnd", {"<a x=1", "y=2"}, "\"a\" [x=\"1\", y=\"2\"]\n"},
    {"MissingBracketOfAGroupAtTheEnd", {"<a>", "<!!G x=1"}, "\"a\"\n+\"G\" [x=\"1\"]\n"},
    {"NothingButAClosingTag", {"</"}, ""},
};

INSTANTIATE_TEST_SUITE_P(Texts, Parse, testing::ValuesIn(kCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(ParseDescription, JoinedLinesGiveTheSameItemAsOneLine) {
    EXPECT_EQ(DumpOf({"<Рост db=main", "field=rost", "type=float input=edit>"}),
              DumpOf({"<Рост db=main field=rost type=float input=edit>"}));
}

TEST(ParseDescription, AppendsAfterWhatTheRootHolds) {
    TNvDescriptor root;
    root.AddItem(QStringLiteral("kept"));
    ParseDescription(root, {"<a>", "<!!G>", "<b>"});
    EXPECT_EQ(DumpTree(root), QStringLiteral("\"kept\"\n\"a\"\n+\"G\"\n  \"b\"\n"));
}

TEST(ParseDescription, LongAttributePartIsParsedWhole) {
    QString tag = QStringLiteral("<Длинный note='");
    const QString longValue = QString(3000, u'x');
    tag += longValue + u'\'';
    for (int i = 0; i < 300; ++i) tag += QStringLiteral(" a%1=%1").arg(i);
    tag += QStringLiteral(" last=end>");

    TNvDescriptor root;
    ParseDescription(root, {tag});
    ASSERT_EQ(root.Count(), 1);
    const TNvDescriptorItem& item = *root.First();
    EXPECT_EQ(item.Name, QStringLiteral("Длинный"));
    EXPECT_EQ(item.GetAttr(QStringLiteral("note")), longValue);
    EXPECT_EQ(item.GetAttr(QStringLiteral("a299")), QStringLiteral("299"));
    EXPECT_EQ(item.GetAttr(QStringLiteral("last")), QStringLiteral("end"));
    EXPECT_EQ(item.Attributes().Count(), 302);
}

// Text can nest groups as deep as it has lines; parsing, walking and destroying such a tree
// must not use the call stack per level.
TEST(ParseDescription, DeeplyNestedGroupsAreHandledWithoutRecursion) {
    constexpr int kDepth = 200000;
    QStringList lines;
    for (int i = 0; i < kDepth; ++i) lines << QStringLiteral("<!!g%1>").arg(i);
    lines << QStringLiteral("<leaf>");
    auto root = std::make_unique<TNvDescriptor>();
    ParseDescription(*root, lines);
    EXPECT_EQ(root->CountItems(), kDepth + 1);
    QString why;
    EXPECT_TRUE(CheckTreeInvariants(*root, &why)) << why.toStdString();
    root.reset();
}

TEST(ParseDescription, ItemsAreFoundByTheirIds) {
    TNvDescriptor root;
    ParseDescription(root, {"<!!Данные обследования>", "<Ф.И.О. db=main field=fio>", "<Рост>"});
    const TNvDescriptorItem* height = root.First()->Children()->Last();
    EXPECT_EQ(root.ItemById(height->Id()), height);
    EXPECT_EQ(root.ItemById(root.First()->Id()), root.First());
}

}  // namespace
