#include "StoreFixture.h"

#include "EngineError.h"

#include <QDir>

namespace {

class Confinement : public StoreFixture {};

// Nothing a statement says may reach a file outside its folder.
TEST_F(Confinement, RefusesEveryWayOut) {
    QTemporaryDir outside;
    exec("create table t (x integer)");
    const QString out = outside.path();
    const QStringList refused = {
        "attach database '" + out + "/x.db' as x",
        "detach database main",
        "create table \"../escape\" (x integer)",
        "create table \"" + out + "/abs\" (x integer)",
        "create table \"a\\b\" (x integer)",
        "create table other.t2 (x integer)",
        "pragma journal_mode=delete",
        "pragma writable_schema=1",
        "select load_extension('" + out + "/evil.so')",
        "vacuum into '" + out + "/copy.db'",
        "create temp table tt (x integer)",
        "create view v as select * from t",
        "create trigger tr after insert on t begin select 1; end",
        "create virtual table z using dbf('../t.dbf')",
        "alter table t add column y integer",
        "drop view v",
    };
    for (const QString& sql : refused) {
        SCOPED_TRACE(sql.toStdString());
        EXPECT_NE(failure(sql), QStringLiteral("<no error>"));
    }
    EXPECT_TRUE(QDir(out).entryList(QDir::Files | QDir::Hidden).isEmpty());
    EXPECT_FALSE(QFile::exists(QFileInfo(folder()).dir().filePath("escape.dbf")));
    EXPECT_EQ(QDir(folder()).entryList(QDir::Files), QStringList{"t.dbf"});
}

TEST_F(Confinement, HarmlessReadsStillWork) {
    exec("create table t (code integer, fio char(10))");
    EXPECT_EQ(rows("select name from pragma_table_info('t')"), (QStringList{"code", "fio"}));
    EXPECT_EQ(rows("pragma table_info(t)").size(), 2);
}

}  // namespace
