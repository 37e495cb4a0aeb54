#include "KindFixture.h"

#include "binding/LoadRecord.h"
#include "binding/SaveItem.h"

namespace {

using Status = SaveOutcome::Status;

class SaveItemTest : public KindFixture {
protected:
    void SetUp() override {
        KindFixture::SetUp();
        exec("create table main (code integer, fio char(100), i integer, r integer, b integer, "
             "f double, c char(50), g char(50), d date, m memo)");
        exec("insert into main (code, fio, i, r, b, f, c, g, d, m) values "
             "(12, 'Старое', 7, 3, 1, 1.25, 'было', '1|', '2001-01-01', 'было')");
        exec("insert into main (code, fio, i) values (13, 'Сосед', 5)");
        QLocale::setDefault(QLocale(QLocale::Russian));
    }

    TNvDescriptorItem& Item(const QString& type, const QString& field, const QString& value,
                            const QString& define) {
        TNvDescriptorItem& item = tree.AddItem("x");
        item.SetAttr("db", "main");
        item.SetAttr("type", type);
        item.SetAttr("field", field);
        item.SetAttr("value", value);
        if (!define.isNull()) item.SetAttr("define", define);
        return item;
    }

    TNvDescriptor tree;
};

struct SaveCase {
    const char* what;
    QString type, field, value, define;
    QString cell;  // the column as read back; its neighbour row must stay as it was
};

TEST_F(SaveItemTest, EveryTypeCodeWritesItsColumn) {
    const SaveCase cases[] = {
        {"int", "int", "i", "34", "1", "34"},
        {"null is an int", "null", "i", "35", "1", "35"},
        {"int without value", "int", "i", "34", "0", "99999999"},
        {"float with a comma", "float", "f", "36,6", "1", "36.6"},
        {"float already with a point", "double", "f", "1.5", "1", "1.5"},
        {"float in exponent form", "float", "f", "1,5E+20", "1", "1.5e+20"},
        {"float without value", "float", "f", "", "0", "99999999"},
        {"char", "char", "c", "Иванова", "1", "Иванова"},
        {"char with an apostrophe", "char", "c", "Мар'яна", "1", "Мар'яна"},
        {"text written even when not defined", "text", "m", "", "", ""},
        {"refgroup", "refgroup", "g", "3|11|", "1", "3|11|"},
        {"ref", "ref", "r", "2", "1", "2"},
        {"ref without a choice writes 0", "ref", "r", "", "", "0"},
        {"bool bare", "bool", "b", "0", "1", "0"},
        {"date", "date", "d", "05-03-2004", "1", "2004-03-05"},
        {"date without value", "date", "d", "05-03-2004", "0", "NULL"},
        {"define text that is not 1 but not 0", "int", "i", "8", "2", "8"},
    };
    for (const SaveCase& c : cases) {
        SCOPED_TRACE(c.what);
        const SaveOutcome outcome = SaveItem(db, Item(c.type, c.field, c.value, c.define), 12);
        EXPECT_EQ(outcome.status, Status::Written) << outcome.message.toStdString();
        EXPECT_EQ(Cell(12, c.field), c.cell);
    }
    EXPECT_EQ(Cell(13, "i"), "5");
    EXPECT_EQ(Cell(13, "fio"), "Сосед");
}

TEST_F(SaveItemTest, TheDocumentedStatements) {
    EXPECT_EQ(PrepareSave(Item("int", "age", "34", "1"), 12).statement,
              "update main set age=34 where code=12");
    EXPECT_EQ(PrepareSave(Item("int", "age", "34", ""), 12).statement,
              "update main set age=99999999 where code=12");
    EXPECT_EQ(PrepareSave(Item("float", "t", "36,6", "1"), 12).statement,
              "update main set t=36.6 where code=12");
    EXPECT_EQ(PrepareSave(Item("date", "d", "05-03-2004", "1"), 12).statement,
              "update main set d='2004-03-05' where code=12");
    EXPECT_EQ(PrepareSave(Item("char", "fio", "Иванова", "1"), 12).statement,
              "update main set fio='Иванова' where code=12");
    // Names that are not plain column names are quoted rather than pasted in.
    EXPECT_EQ(PrepareSave(Item("int", "a b\"", "1", "1"), 12).statement,
              "update main set \"a b\"\"\"=1 where code=12");
}

TEST_F(SaveItemTest, ValuesRoundTripThroughLoading) {
    auto tree = TreeOf({"<f db=main field=f type=float>", "<d db=main field=d type=date>",
                        "<c db=main field=c type=char>", "<i db=main field=i type=int>"});
    Named(*tree, "f")->SetAttr("value", "-0,125");
    Named(*tree, "d")->SetAttr("value", "29-02-2000");
    Named(*tree, "c")->SetAttr("value", "д'Артаньян ''");
    Named(*tree, "i")->SetAttr("value", "1");  // not defined: written as "no value"
    for (TNvDescriptorItem* item = tree->First(); item; item = item->Next()) {
        if (item->Name != "i") item->SetAttr("define", "1");
        ASSERT_TRUE(SaveItem(db, *item, 12).Ok());
    }
    auto loaded = TreeOf({"<f db=main field=f type=float>", "<d db=main field=d type=date>",
                          "<c db=main field=c type=char>", "<i db=main field=i type=int>"});
    ASSERT_TRUE(LoadRecord(db, *loaded, 12));
    EXPECT_EQ(Named(*loaded, "f")->GetAttr("value"), "-0,125");
    EXPECT_EQ(Named(*loaded, "d")->GetAttr("value"), "29-02-2000");
    EXPECT_EQ(Named(*loaded, "c")->GetAttr("value"), "д'Артаньян ''");
    EXPECT_EQ(Named(*loaded, "i")->GetAttr("define"), "");
}

TEST_F(SaveItemTest, TypesWithoutAColumnWriteNothing) {
    for (const char* type : {"none", "group", "custom", "integer", ""}) {
        SCOPED_TRACE(type);
        const SaveOutcome outcome = SaveItem(db, Item(type, "i", "1", "1"), 12);
        EXPECT_EQ(outcome.status, Status::Skipped);
        EXPECT_TRUE(outcome.statement.isEmpty());
    }
    EXPECT_EQ(Cell(12, "i"), "7");
}

// A value that is not of its type's form would break the statement, or change more than its
// own column: it is refused before anything reaches the engine, and the row keeps its value.
TEST_F(SaveItemTest, ValuesOfTheWrongFormAreRefusedUnwritten) {
    const SaveCase cases[] = {
        {"pasted letters in an int", "int", "i", "12abc", "1", "7"},
        {"an int that reaches other columns", "int", "i", "1, fio='x'", "1", "7"},
        {"a float that is no number", "float", "i", "1,2,3", "1", "7"},
        {"an infinite float", "float", "f", "inf", "1", "1.25"},
        {"a ref that is no position", "ref", "r", "2 or 1=1", "1", "3"},
        {"a date of another form", "date", "d", "5-3-2004", "1", "2001-01-01"},
        {"a year of five digits", "date", "d", "01-02-12345", "1", "2001-01-01"},
        {"a character cp1251 lacks", "char", "c", "Ω", "1", "было"},
    };
    for (const SaveCase& c : cases) {
        SCOPED_TRACE(c.what);
        const SaveOutcome outcome = SaveItem(db, Item(c.type, c.field, c.value, c.define), 12);
        EXPECT_EQ(outcome.status, Status::Refused);
        EXPECT_FALSE(outcome.message.isEmpty());
        EXPECT_EQ(Cell(12, c.field), c.cell);
    }
    EXPECT_EQ(Cell(12, "fio"), "Старое");
}

TEST_F(SaveItemTest, EngineFailuresAreReportedNotSwallowed) {
    TNvDescriptorItem& missingColumn = Item("int", "zz", "1", "1");
    const SaveOutcome noColumn = SaveItem(db, missingColumn, 12);
    EXPECT_EQ(noColumn.status, Status::Failed);
    EXPECT_FALSE(noColumn.message.isEmpty());
    EXPECT_EQ(missingColumn.GetAttr("value"), "1");  // the tree keeps the value

    const SaveOutcome noRow = SaveItem(db, Item("int", "i", "1", "1"), 99);
    EXPECT_EQ(noRow.status, Status::Failed);
    EXPECT_TRUE(noRow.message.contains("99"));

    TNvDescriptorItem& noTable = Item("int", "i", "1", "1");
    noTable.SetAttr("db", "elsewhere");
    EXPECT_EQ(SaveItem(db, noTable, 12).status, Status::Failed);
}

}  // namespace
