#include "StoreFixture.h"

#include "EngineError.h"
#include "MainTable.h"

namespace {

class MainTable : public StoreFixture {
protected:
    void catalogue(const QList<QPair<QString, QString>>& fields) { catalogueIn(folder(), fields); }
    static void catalogueIn(const QString& where, const QList<QPair<QString, QString>>& fields) {
        auto exec = [&](const QString& sql) { FolderSession::For(where)->Execute(sql); };
        exec("create table dbdescription (Fieldname char(10), Fieldtype char(10), Descript char(100), "
             "FieldMin double, FieldMax double, FieldFile char(20))");
        for (const auto& f : fields)
            exec(QStringLiteral("insert into dbdescription (Fieldname, Fieldtype, Descript) "
                                "values ('%1', '%2', 'метка')").arg(f.first, f.second));
    }
};

TEST_F(MainTable, StatementFollowsTheCatalogue) {
    const struct {
        QList<QPair<QString, QString>> fields;
        QString statement;
    } cases[] = {
        {{}, "create table main (code integer, fio char(100))"},
        {{{"temp", "double"}, {"pulse", "ordinal"}},
         "create table main (code integer, fio char(100), temp double, pulse integer)"},
        {{{"a", "string"}, {"b", "numeric"}, {"c", "bool"}, {"d", "enum"}},
         "create table main (code integer, fio char(100), a char(100), b double, c integer, d integer)"},
        // A trailing blank cannot be told from padding in a DBF text field; a leading one is data.
        {{{"x", "String"}, {"y", " double"}, {"z", "memo"}, {"w", "ordinal"}},
         "create table main (code integer, fio char(100), w integer)"},
    };
    for (const auto& c : cases) {
        QTemporaryDir d;
        catalogueIn(d.path(), c.fields);
        EXPECT_EQ(MainTableStatement(d.path()), c.statement);
    }
}

TEST_F(MainTable, IsCreatedOnceWithItsIndexes) {
    catalogue({{"ves", "double"}, {"pol", "enum"}});
    bool created = false;
    CreateMainTable(folder(), created);
    EXPECT_TRUE(created);
    exec("insert into main (code, fio, ves, pol) values (1, 'А', 60.5, 2)");
    EXPECT_EQ(rows("select code, fio, ves, pol from main"), QStringList{"1|А|60.5|2"});
    EXPECT_TRUE(failure("create index code on main (code)").contains("already exists"));
    // An existing table, in any letter case, is left alone whatever the catalogue says.
    const QByteArray before = fileBytes("main.dbf");
    bool again = false;
    exec("insert into dbdescription (Fieldname, Fieldtype) values ('extra', 'double')");
    CreateMainTable(folder(), again);
    EXPECT_FALSE(again);
    EXPECT_EQ(fileBytes("main.dbf"), before);
}

TEST_F(MainTable, AFailureLeavesTheFlagClear) {
    catalogue({{"ves", "double"}, {"ves", "double"}});  // the same column twice
    bool created = false;
    EXPECT_THROW(CreateMainTable(folder(), created), EngineError);
    EXPECT_FALSE(created);
    QTemporaryDir empty;
    EXPECT_THROW(CreateMainTable(empty.path(), created), EngineError);  // no catalogue at all
}

}  // namespace
