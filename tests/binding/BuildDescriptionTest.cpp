#include "KindFixture.h"

#include "description/BuildDescription.h"
#include "description/TreeDebug.h"

namespace {

const QString kHead = QStringLiteral("<!!Данные обследования>");
const QString kFio = QStringLiteral("<Ф.И.О. db=main field=fio type=char input=edit>");

class BuildDescriptionTest : public KindFixture {
protected:
    QStringList Lines() {
        QStringList lines{QStringLiteral("left over")};
        BuildDescription(folder(), lines);
        return lines;
    }
};

TEST_F(BuildDescriptionTest, OneLinePerCatalogueRowInNaturalOrder) {
    Catalogue({
        {"ves", "double", "Вес", 1, 300, ""},
        {"pol", "enum", "Пол", 0, 0, "sex"},
        {"imya", "string", "Имя", 5, 6, "x"},
        {"t", "numeric", "Температура", 34.9, -0.5, ""},  // truncated toward zero
        {"kur", "bool", "Курит", 0, 0, ""},
        {"puls", "ordinal", "Пульс", 0, 0, ""},
        {"a", "String", "Не тот регистр", 0, 0, ""},
        {"b", "string ", "Пробел в конце", 0, 0, ""},
        {"c", "memo", "Неизвестное", 0, 0, ""},
        {"d", "double", "", -7.9, 2147483648.0 * 4, ""},  // beyond the integer range
    });
    const QStringList expected{
        kHead,
        kFio,
        "<Вес db=main field=ves type=float input=edit minvalue=1 maxvalue=300>",
        "<Пол db=main field=pol type=ref ref_db=sex input=radio>",
        "<Имя db=main field=imya type=char size=100 input=edit>",
        "<Температура db=main field=t type=float input=edit minvalue=34 maxvalue=0>",
        "<Курит db=main field=kur type=bool input=checkbox>",
        "<Пульс db=main field=puls type=int input=edit>",
        "<Не тот регистр db=main field=a>",
        // The engine gives texts without their pad blanks, so the trailing blank is gone and
        // the word matches.
        "<Пробел в конце db=main field=b type=char size=100 input=edit>",
        "<Неизвестное db=main field=c>",
        "< db=main field=d type=float input=edit minvalue=-7 maxvalue=2147483647>",
    };
    EXPECT_EQ(Lines(), expected);
}

TEST_F(BuildDescriptionTest, EmptyCatalogueGivesTheGroupWithThePatientName) {
    Catalogue({});
    EXPECT_EQ(Lines(), (QStringList{kHead, kFio}));
    auto tree = TreeOf(Lines());
    EXPECT_EQ(DumpTree(*tree).toStdString(),
              "+\"Данные обследования\"\n"
              "  \"Ф.И.О.\" [db=\"main\", field=\"fio\", type=\"char\", input=\"edit\"]\n");
}

// Labels are pasted into the description as they are, so the description language's own
// marks in a label change the parsed tree the way the language says.
TEST_F(BuildDescriptionTest, MarksInLabelsActOnTheParsedTree) {
    Catalogue({
        {"a", "ordinal", "Рост см=x", 0, 0, ""},
        {"b", "ordinal", "Давление // комментарий", 0, 0, ""},
        {"c", "ordinal", "!!Подгруппа", 0, 0, ""},
        {"d", "ordinal", "", 0, 0, ""},
    });
    auto tree = TreeOf(Lines());
    EXPECT_EQ(DumpTree(*tree).toStdString(),
              "+\"Данные обследования\"\n"
              "  \"Ф.И.О.\" [db=\"main\", field=\"fio\", type=\"char\", input=\"edit\"]\n"
              // The label ends at the last blank before the first "=".
              "  \"Рост\" [см=\"x\", db=\"main\", field=\"a\", type=\"int\", input=\"edit\"]\n"
              // The comment swallows the rest of the line, ">" included, and the parser then
              // drops the last character as if it were the ">".
              "  \"Давлени\"\n"
              // "!!" opens a group that takes every later item.
              "  +\"Подгруппа\" [db=\"main\", field=\"c\", type=\"int\", input=\"edit\"]\n"
              "    \"\" [db=\"main\", field=\"d\", type=\"int\", input=\"edit\"]\n");
}

TEST_F(BuildDescriptionTest, MissingCatalogueIsReportedAndLeavesTheLines) {
    QStringList lines{QStringLiteral("kept")};
    EXPECT_THROW(BuildDescription(folder(), lines), EngineError);
    EXPECT_EQ(lines, QStringList{QStringLiteral("kept")});
    EXPECT_THROW(BuildDescription(folder() + "/nothere", lines), EngineError);
}

TEST_F(BuildDescriptionTest, CatalogueWithoutABoundColumnIsReported) {
    exec("create table dbdescription (Fieldname char(10), Fieldtype char(10), Descript char(100))");
    exec("insert into dbdescription values ('a', 'string', 'A')");
    QStringList lines;
    EXPECT_THROW(BuildDescription(folder(), lines), EngineError);
}

}  // namespace
