#include "KindFixture.h"

#include "binding/LoadRecord.h"

#include <optional>

namespace {

class LoadRecordTest : public KindFixture {
protected:
    void SetUp() override {
        KindFixture::SetUp();
        exec("create table main (code integer, fio char(100), i integer, r integer, b integer, "
             "f double, c char(50), g char(50), d date, m memo)");
        exec("insert into main (code, fio, i, r, b, f, c, g, d, m) values "
             "(1, 'Иванов', 34, 2, 1, 36.6, 'текст', '3|1|', '2004-03-05', 'длинный текст')");
        exec("insert into main (code) values (2)");  // every other column blank
        exec("insert into main (code, i, f) values (3, 99999999, 99999999)");
        QLocale::setDefault(QLocale(QLocale::Russian));
    }
};

struct LoadCase {
    const char* what;
    QString type;
    QString field;
    int code;
    std::optional<QString> value;  // nothing: no "value" attribute at all
    bool defined;
};

TEST_F(LoadRecordTest, EachTypeTakesItsColumnAsTheTableSays) {
    const LoadCase cases[] = {
        {"integer", "int", "i", 1, "34", true},
        {"blank integer column reads as 0", "int", "i", 2, "0", true},
        {"EmptyNumber is not entered", "int", "i", 3, "99999999", false},
        {"ref position", "ref", "r", 1, "2", true},
        {"ref over a blank column has no choice", "ref", "i", 2, "0", false},
        {"bool", "bool", "b", 1, "1", true},
        {"bool over a blank column is defined", "bool", "b", 2, "0", true},
        {"float with the locale's comma", "float", "f", 1, "36,6", true},
        {"float type word in another case", "Float", "f", 1, "36,6", true},
        {"float EmptyNumber", "float", "f", 3, "99999999", false},
        {"float never set", "float", "f", 2, "0", true},
        {"double is no load word", "double", "f", 1, std::nullopt, false},
        {"null is no load word", "null", "i", 1, std::nullopt, false},
        {"char", "char", "c", 1, "текст", true},
        {"empty char", "char", "c", 2, "", false},
        {"refgroup tokens", "refgroup", "g", 1, "3|1|", true},
        {"text over a memo", "text", "m", 1, "длинный текст", true},
        {"date", "date", "d", 1, "05-03-2004", true},
        {"blank date", "date", "d", 2, "", false},
        {"none needs no column", "none", "", 1, std::nullopt, true},
        {"group word on a field item", "group", "i", 1, std::nullopt, false},
        {"no type", "", "i", 1, std::nullopt, false},
        {"column the row lacks", "int", "zz", 1, std::nullopt, false},
        {"column named in another case", "int", "I", 1, "34", true},
    };
    for (const LoadCase& c : cases) {
        SCOPED_TRACE(c.what);
        TNvDescriptor tree;
        TNvDescriptorItem& item = tree.AddItem("x");
        if (!c.type.isEmpty()) item.SetAttr("type", c.type);
        if (!c.field.isEmpty()) item.SetAttr("field", c.field);
        ASSERT_TRUE(LoadRecord(db, tree, c.code));
        const TNvDescriptorItem* value = item.Attributes().Find("value");
        EXPECT_EQ(value ? std::optional<QString>(value->Value) : std::nullopt, c.value);
        EXPECT_EQ(item.GetAttr("define"), c.defined ? "1" : "");  // loading never writes "0"
    }
}

TEST_F(LoadRecordTest, NestedGroupsLoadLikeTopLevelItems) {
    auto tree = TreeOf({"<top db=main field=i type=int>", "<!!A>", "<!!B>",
                        "<deep db=main field=c type=char>", "</B>", "<mid db=main field=r type=ref>"});
    ASSERT_TRUE(LoadRecord(db, *tree, 1));
    EXPECT_EQ(Named(*tree, "top")->GetAttr("value"), "34");
    EXPECT_EQ(Named(*tree, "deep")->GetAttr("value"), "текст");
    EXPECT_EQ(Named(*tree, "mid")->GetAttr("value"), "2");
    EXPECT_EQ(Named(*tree, "B")->Attributes().Count(), 0);  // groups are not loaded themselves
}

TEST_F(LoadRecordTest, MissingRowLoadsNothing) {
    auto tree = TreeOf({"<a db=main field=i type=int>", "<n type=none>"});
    EXPECT_FALSE(LoadRecord(db, *tree, 99));
    EXPECT_EQ(Named(*tree, "a")->Attributes().Find("value"), nullptr);
}

TEST_F(LoadRecordTest, EngineErrorsReachTheCaller) {
    TFolderDB elsewhere(folder() + "/nothere");
    TNvDescriptor tree;
    EXPECT_THROW(LoadRecord(elsewhere, tree, 1), EngineError);
}

TEST(DateValueText, EngineAndDocumentFormsBothBecomeDayMonthYear) {
    EXPECT_EQ(DateValueText("2004-03-05"), "05-03-2004");
    EXPECT_EQ(DateValueText("05/03/2004"), "05-03-2004");
    EXPECT_EQ(DateValueText(""), "");
}

}  // namespace
