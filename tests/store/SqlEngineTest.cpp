#include "StoreFixture.h"

#include "EngineError.h"

#include <QDir>

namespace {

const QStringList kPeople = {
    "create table people (code integer, fio char(100), born date, weight double, "
    "active logical, note memo, rate numeric(8,2))",
    "insert into people (code, fio, born, weight, active, note, rate) values "
    "(1, 'Иванова Мария', '1980-03-05', 61.5, 1, 'первая запись', 12.25)",
    "insert into people (code, fio, born, weight, active, note, rate) values "
    "(2, 'ПЕТРОВА Анна', '', 70, 0, '', -3.5)",
    "insert into people (code, fio) values (3, 'Smith John')",
    "insert into people (code, fio) values (7, 'Мар''яна Сидорова')",
};

struct Case {
    const char* what;
    QStringList setup;
    QString query;
    QStringList expected;
};

class SqlCases : public StoreFixture, public ::testing::WithParamInterface<Case> {};

TEST_P(SqlCases, GiveTheirRows) {
    const Case& c = GetParam();
    for (const QString& s : c.setup) exec(s);
    EXPECT_EQ(rows(c.query), c.expected) << c.what;
}

const Case kCases[] = {
    {"natural order, pad blanks trimmed", kPeople, "select code, fio from people",
     {"1|Иванова Мария", "2|ПЕТРОВА Анна", "3|Smith John", "7|Мар'яна Сидорова"}},
    {"equality on an integer column", kPeople, "select fio from people where code=2", {"ПЕТРОВА Анна"}},
    {"equality on a text column", kPeople, "select code from people where fio='Smith John'", {"3"}},
    {"equality that matches nothing", kPeople, "select code from people where code=5", {}},
    {"equality with text against a number column", kPeople,
     "select code from people where code='7'", {"7"}},
    {"order by desc", kPeople, "select code from people order by code desc", {"7", "3", "2", "1"}},
    {"like ignores Cyrillic case", kPeople,
     "select code from people where fio like '%ива%' order by code desc", {"1"}},
    {"like ignores Cyrillic case, upper pattern", kPeople,
     "select code from people where fio like '%ПЕТР%'", {"2"}},
    {"like with lower-case pattern on upper text", kPeople,
     "select code from people where fio like 'петрова%'", {"2"}},
    {"like ignores Latin case", kPeople, "select code from people where fio like '%JOHN'", {"3"}},
    {"like with _ and a general pattern", kPeople,
     "select code from people where fio like '_ван%м_рия'", {"1"}},
    {"like escape", {"create table t (s char(10))", "insert into t values ('a%b')",
                     "insert into t values ('axb')"},
     "select s from t where s like 'a!%b' escape '!'", {"a%b"}},
    {"upper knows Cyrillic", kPeople, "select upper(fio) from people where code=1", {"ИВАНОВА МАРИЯ"}},
    {"dates come back as yyyy-mm-dd, blank dates as NULL", kPeople,
     "select born from people order by code", {"1980-03-05", "NULL", "NULL", "NULL"}},
    {"0000-00-00 writes a blank date",
     {"create table d (x date)", "insert into d values ('0000-00-00')"}, "select x from d", {"NULL"}},
    {"doubles, logical and numeric", kPeople,
     "select weight, active, rate from people where code<3 order by code",
     {"61.5|1|12.25", "70|0|-3.5"}},
    {"never-set double reads 0, blank logical and numeric read NULL", kPeople,
     "select weight, active, rate from people where code=3", {"0|NULL|NULL"}},
    {"memo text and empty memo", kPeople, "select note from people where code<3 order by code",
     {"первая запись", ""}},
    {"max of an empty table is NULL", {"create table e (code integer)"},
     "select max(code) as maxcode from e", {"NULL"}},
    {"deleted records are invisible", kPeople + QStringList{"delete from people where code=2"},
     "select code from people", {"1", "3", "7"}},
    {"update changes the row", kPeople + QStringList{"update people set weight=36.6 where code=3"},
     "select weight from people where code=3", {"36.6"}},
    {"apostrophes doubled are stored intact", kPeople,
     "select fio from people where fio like 'Мар''%'", {"Мар'яна Сидорова"}},
    {"table names ignore letter case", kPeople, "select count(*) from PEOPLE", {"4"}},
    {"column names ignore letter case", kPeople, "select FIO from people where CODE=3", {"Smith John"}},
    {"an index is recorded and lookups still work",
     kPeople + QStringList{"create index code on people (code)", "create index fio on people (fio)"},
     "select fio from people where code=7", {"Мар'яна Сидорова"}},
    {"insert after lookups keeps the index right",
     kPeople + QStringList{"create index code on people (code)"} +
         QStringList{"insert into people (code, fio) values (7, 'второй семь')"},
     "select fio from people where code=7", {"Мар'яна Сидорова", "второй семь"}},
    {"update moves a row between index keys",
     kPeople + QStringList{"update people set code=9 where code=1"},
     "select fio from people where code=9", {"Иванова Мария"}},
    {"several statements in one text", {"create table s (x integer); insert into s values (1); "
                                        "insert into s values (2)"},
     "select sum(x) from s", {"3"}},
};

INSTANTIATE_TEST_SUITE_P(Engine, SqlCases, ::testing::ValuesIn(kCases));

class SqlErrors : public StoreFixture {};

TEST_F(SqlErrors, ArriveAsEngineMessages) {
    for (const QString& s : kPeople) exec(s);
    const struct {
        QString sql;
        QString contains;
    } cases[] = {
        {"select * from nothere", "no such table: nothere"},
        {"select nocolumn from people", "no such column: nocolumn"},
        {"insert into people (code, fio) values (8, '" + QString(101, u'я') + "')", "fio"},
        {"insert into people (code, fio) values (8, '漢字')", "漢"},
        {"insert into people (code, weight) values (8, 'heavy')", "weight"},
        {"insert into people (code, born) values (8, '31.02.2004')", "born"},
        {"create table people (x integer)", "already exists"},
        {"create table w (averyveryverylongname integer)", "10 characters"},
        {"create table w (x blobby)", "blobby"},
        {"create table w (x char(300))", "254"},
        {"create index i on nothere (x)", "no such table"},
        {"create index i on people (nothere)", "no such column"},
        {"drop table nothere", "no such table"},
        {"selectt * from people", "syntax error"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.sql.toStdString());
        const QString message = failure(c.sql);
        EXPECT_TRUE(message.contains(c.contains, Qt::CaseInsensitive)) << message.toStdString();
    }
    // None of the refused writes left a row behind.
    EXPECT_EQ(rows("select count(*) from people"), QStringList{"4"});
}

TEST_F(SqlErrors, AFailureHalfWayLeavesEveryRowAsItWas) {
    for (const QString& s : kPeople) exec(s);
    const QByteArray before = fileBytes("people.dbf");
    // The third row's text is too long for the column: the whole statement is undone.
    const QString longText = QString(150, u'x');
    EXPECT_NE(failure("update people set fio = case when code=3 then '" + longText +
                      "' else 'same' end"),
              QStringLiteral("<no error>"));
    EXPECT_EQ(fileBytes("people.dbf"), before);
    EXPECT_EQ(rows("select fio from people where code=1"), QStringList{"Иванова Мария"});
    // A failing multi-row insert removes the rows it had appended.
    EXPECT_NE(failure("insert into people (code, fio) select code + 100, case when code=7 then '" +
                      longText + "' else fio end from people"),
              QStringLiteral("<no error>"));
    EXPECT_EQ(rows("select count(*) from people"), QStringList{"4"});
}

TEST_F(SqlErrors, UniqueIndexIsCheckedAndKept) {
    for (const QString& s : kPeople) exec(s);
    exec("create unique index pk on people (code)");
    EXPECT_TRUE(failure("insert into people (code) values (7)").contains("UNIQUE"));
    exec("insert into people (code) values (8)");
    exec("insert into people (code) values (1000)");
    EXPECT_TRUE(failure("create unique index f on people (weight)").contains("UNIQUE"));
}

class FolderChanges : public StoreFixture {};

TEST_F(FolderChanges, FilesMadeOrRemovedByOthersArePickedUp) {
    exec("create table a (x integer)");
    exec("insert into a values (5)");
    // Another program copies a table in under an upper-case name, and removes ours.
    ASSERT_TRUE(QFile::copy(folder() + "/a.dbf", folder() + "/SEX.DBF"));
    EXPECT_EQ(rows("select x from sex"), QStringList{"5"});
    ASSERT_TRUE(QFile::remove(folder() + "/a.dbf"));
    EXPECT_TRUE(failure("select * from a").contains("no such table"));
    // A file replaced under the same name is read anew.
    exec("create table b (y char(5))");
    exec("insert into b values ('old')");
    EXPECT_EQ(rows("select y from b"), QStringList{"old"});
    ASSERT_TRUE(QFile::remove(folder() + "/b.dbf"));
    ASSERT_TRUE(QFile::copy(folder() + "/SEX.DBF", folder() + "/b.dbf"));
    EXPECT_EQ(rows("select x from b"), QStringList{"5"});
}

TEST_F(FolderChanges, ABrokenFileNamesItselfAndSparesTheOthers) {
    exec("create table good (x integer)");
    QFile bad(folder() + "/bad.dbf");
    ASSERT_TRUE(bad.open(QIODevice::WriteOnly));
    bad.write("this is not a table");
    bad.close();
    exec("insert into good values (1)");
    EXPECT_EQ(rows("select x from good"), QStringList{"1"});
    EXPECT_TRUE(failure("select * from bad").contains("bad.dbf")) << failure("select * from bad").toStdString();
}

TEST_F(FolderChanges, DropTableRemovesTheFiles) {
    exec("create table m (x integer, t memo)");
    exec("insert into m values (1, 'текст')");
    ASSERT_TRUE(QFile::exists(folder() + "/m.fpt"));
    exec("drop table m");
    EXPECT_FALSE(QFile::exists(folder() + "/m.dbf"));
    EXPECT_FALSE(QFile::exists(folder() + "/m.fpt"));
    exec("drop table if exists m");
}

TEST_F(FolderChanges, EqualityLookupsUseTheIndex) {
    exec("create table p (code integer, fio char(20))");
    const QueryResult plan = query("explain query plan select * from p where code=5");
    ASSERT_FALSE(plan.rows.empty());
    EXPECT_TRUE(plan.rows.back().back().toString().contains("INDEX 1")) << plan.rows.back().back().toString().toStdString();
    const QueryResult scan = query("explain query plan select * from p where code>5");
    EXPECT_TRUE(scan.rows.back().back().toString().contains("INDEX 0"));
}

TEST_F(FolderChanges, AMissingFolderIsAnError) {
    EXPECT_THROW(FolderSession::For(folder() + "/nothere"), EngineError);
}

}  // namespace
