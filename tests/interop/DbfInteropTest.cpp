// Our tables read by independent readers (python-dbf, dbfread), and theirs read by us.
// Python runs as /usr/bin/python3 with Debian's python3-dbf and python3-dbfread; the tests
// skip when those are not installed.

#include "DbfTestUtil.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>

namespace {

using namespace dbftest;
using dbf::DbfTable;
using Access = DbfTable::Access;

const QString kPython = QStringLiteral("/usr/bin/python3");

// Prints the live records of a table as JSON, one object per record with lower-case field
// names: None -> null (an empty memo -> ''), bool -> 1/0, dates and datetimes as our text, Decimal
// as a number, text right-trimmed (python-dbf returns C fields padded).
const char* kReadScript = R"PY(
import sys, json, datetime, decimal
def norm(v):
    if v is None: return None
    if isinstance(v, bool): return 1 if v else 0
    if isinstance(v, datetime.datetime): return v.strftime('%Y-%m-%d %H:%M:%S')
    if isinstance(v, datetime.date): return v.strftime('%Y-%m-%d')
    if isinstance(v, decimal.Decimal): return float(v)
    if isinstance(v, (int, float)): return v
    if isinstance(v, bytes): return {'hex': v.hex()}
    return str(v).rstrip(' ')
reader, path = sys.argv[1], sys.argv[2]
rows = []
if reader == 'dbfread':
    import dbfread
    t = dbfread.DBF(path, load=True)
    # dbfread gives None for an empty memo where python-dbf (and we) give ''.
    memos = {f.name.lower() for f in t.fields if f.type == 'M'}
    for r in t.records:
        rows.append({k.lower(): '' if v is None and k.lower() in memos else norm(v)
                     for k, v in r.items()})
else:
    import dbf
    t = dbf.Table(path)
    t.open(mode=dbf.READ_ONLY)
    for r in t:
        if dbf.is_deleted(r): continue
        rows.append({n.lower(): norm(r[n]) for n in t.field_names})
    t.close()
print(json.dumps(rows, ensure_ascii=False))
)PY";

// Writes tables with python-dbf into argv[1] and prints what each record should read as.
const char* kWriteScript = R"PY(
import sys, os, json, datetime, dbf
out = sys.argv[1]
expect = {}

def table(name, layout, kind, codepage, rows, blank):
    t = dbf.Table(os.path.join(out, name), layout, dbf_type=kind, codepage=codepage)
    t.open(mode=dbf.READ_WRITE)
    for values, _ in rows:
        t.append(values)
    t.append()
    t.close()
    expect[name] = [e for _, e in rows] + [blank]

d = datetime.date
table('vfp.dbf', 'id I; amount B; price N(10,2); name C(20); born D; flag L; notes M; ts T; money Y',
      'vfp', 'cp1251', [
    ((1, 3.5, 12.34, 'Иванов Пётр', d(2004, 3, 5), True, 'Заметка один',
      datetime.datetime(2004, 3, 5, 13, 14, 15), dbf.Decimal('12.3456')),
     {'id': 1, 'amount': 3.5, 'price': 12.34, 'name': 'Иванов Пётр', 'born': '2004-03-05',
      'flag': 1, 'notes': 'Заметка один', 'ts': '2004-03-05 13:14:15', 'money': 12.3456}),
    ((-2, -1e300, -5.0, 'Ёё', d(1999, 12, 31), False, 'я' * 300, None, dbf.Decimal('-1.5')),
     {'id': -2, 'amount': -1e300, 'price': -5.0, 'name': 'Ёё', 'born': '1999-12-31',
      'flag': 0, 'notes': 'я' * 300, 'ts': None, 'money': -1.5}),
], {'id': 0, 'amount': 0.0, 'price': None, 'name': '', 'born': None, 'flag': None, 'notes': '',
    'ts': None, 'money': 0.0})
table('db3.dbf', 'name C(20); qty N(8,0); price N(10,2); born D; flag L; notes M', 'db3', 'cp866', [
    (('Петров', 42, 3.25, d(2001, 2, 3), True, 'dBase memo текст'),
     {'name': 'Петров', 'qty': 42, 'price': 3.25, 'born': '2001-02-03', 'flag': 1,
      'notes': 'dBase memo текст'}),
], {'name': '', 'qty': None, 'price': None, 'born': None, 'flag': None, 'notes': ''})
table('fp.dbf', 'name C(10); n N(5,0); notes M', 'fp', 'cp866', [
    (('лиса', 5, 'памятка FoxPro'), {'name': 'лиса', 'n': 5, 'notes': 'памятка FoxPro'}),
], {'name': '', 'n': None, 'notes': ''})
print(json.dumps(expect, ensure_ascii=False))
)PY";

class DbfInterop : public ::testing::Test {
  protected:
    QTemporaryDir dir;

    void SetUp() override {
        QProcess probe;
        probe.start(kPython, {QStringLiteral("-c"), QStringLiteral("import dbf, dbfread")});
        if (!probe.waitForFinished(30000) || probe.exitStatus() != QProcess::NormalExit ||
            probe.exitCode() != 0) {
            GTEST_SKIP()
                << "/usr/bin/python3 with python3-dbf and python3-dbfread is not available";
        }
    }

    QJsonDocument runPython(const char* script, const QStringList& args) {
        const QString file = dir.filePath(QStringLiteral("script.py"));
        writeFile(file, QByteArray(script));
        QProcess p;
        p.start(kPython, QStringList{file} + args);
        EXPECT_TRUE(p.waitForFinished(60000));
        const QByteArray err = p.readAllStandardError();
        EXPECT_EQ(p.exitCode(), 0) << err.toStdString();
        QJsonParseError parse;
        const QJsonDocument doc = QJsonDocument::fromJson(p.readAllStandardOutput(), &parse);
        EXPECT_EQ(parse.error, QJsonParseError::NoError) << err.toStdString();
        return doc;
    }
};

QJsonValue json(const DbfValue& v) {
    switch (v.kind) {
        case DbfValue::Kind::Null:
            return QJsonValue(QJsonValue::Null);
        case DbfValue::Kind::Integer:
            return double(v.integer);
        case DbfValue::Kind::Real:
            return v.real;
        case DbfValue::Kind::Text:
            return QString::fromUtf8(v.bytes);
        case DbfValue::Kind::Blob:
            return QJsonObject{{QStringLiteral("hex"), QString::fromLatin1(v.bytes.toHex())}};
    }
    return {};
}

std::string show(const QJsonValue& v) {
    return QJsonDocument(QJsonArray{v}).toJson(QJsonDocument::Compact).toStdString();
}

// Compares every field of every live record of `table` with `rows` (as a reader saw them).
void expectSameRows(DbfTable& table, const QJsonArray& rows, const char* who) {
    SCOPED_TRACE(who);
    std::vector<uint32_t> live;
    for (uint32_t i = 0; i < table.recordCount(); ++i)
        if (!DbfTable::isDeleted(table.record(i))) live.push_back(i);
    ASSERT_EQ(size_t(rows.size()), live.size());
    for (size_t r = 0; r < live.size(); ++r) {
        const QJsonObject row = rows[qsizetype(r)].toObject();
        ASSERT_EQ(size_t(row.size()), table.fields().size()) << "record " << r;
        const char* rec = table.record(live[r]);
        for (size_t f = 0; f < table.fields().size(); ++f) {
            const QString name = table.fields()[f].name;
            const QJsonValue theirs = row.value(name);
            const QJsonValue ours = json(table.value(rec, int(f)));
            EXPECT_EQ(ours, theirs) << name.toStdString() << " of record " << r << ": ours "
                                    << show(ours) << ", theirs " << show(theirs);
        }
    }
}

TEST_F(DbfInterop, TablesWeWriteReadBackInOtherReaders) {
    const QString path = dir.filePath(QStringLiteral("ours.dbf"));
    DbfTable::create(path, {{"NAME", 'C', 30, 0},
                            {"PRICE", 'N', 12, 2},
                            {"QTY", 'N', 6, 0},
                            {"BORN", 'D', 0, 0},
                            {"FLAG", 'L', 0, 0},
                            {"NOTES", 'M', 0, 0},
                            {"ID", 'I', 0, 0},
                            {"AMOUNT", 'B', 0, 4},
                            {"MONEY", 'Y', 0, 0},
                            {"STAMP", 'T', 0, 0},
                            {"RATIO", 'F', 10, 3}});
    std::string longMemo;
    for (int i = 0; i < 2000; ++i) longMemo += "Ж";
    const std::vector<std::vector<DbfValue>> rows = {
        {Text("Иванов Пётр"), Real(12.34), Int(42), Text("2004-03-05"), Int(1),
         Text("Заметка: «один» №1"), Int(-7), Real(3.25), Real(12.3456),
         Text("2004-03-05 13:14:15"), Real(1.5)},
        {Null(), Null(), Null(), Null(), Null(), Null(), Null(), Null(), Null(), Null(), Null()},
        {Text("deleted"), Int(1), Int(1), Text("2000-01-01"), Int(0), Text("gone"), Int(1), Real(1),
         Real(1), Text("2000-01-01 00:00:00"), Real(1)},
        {Text("Ёлка € ҐЄ"), Real(-0.5), Int(-99999), Text("1999-12-31"), Int(0),
         DbfValue::fromText(QByteArray::fromStdString(longMemo)), Int(2147483647), Real(-1e-5),
         Real(-123456789.1234), Text("1999-12-31 23:59:59"), Real(-2.25)},
    };
    {
        auto t = DbfTable::open(path, Access::ReadWrite);
        for (const auto& values : rows) {
            QByteArray rec = t->blankRecord();
            for (size_t f = 0; f < values.size(); ++f) t->setValue(rec, int(f), values[f]);
            t->append(rec);
        }
        t->markDeleted(2);
        t->flush(true);
    }
    auto ours = DbfTable::open(path, Access::ReadOnly);
    // What our own reader says is checked by the codec tests; here the others must agree.
    for (const char* reader : {"dbfread", "python-dbf"}) {
        const QJsonDocument doc = runPython(kReadScript, {QString::fromLatin1(reader), path});
        expectSameRows(*ours, doc.array(), reader);
    }
    // And explicitly, in case both readers and we share a mistake.
    const QJsonDocument doc = runPython(kReadScript, {QStringLiteral("dbfread"), path});
    const QJsonObject first = doc.array()[0].toObject();
    EXPECT_EQ(first.value(QStringLiteral("name")).toString(), QStringLiteral("Иванов Пётр"));
    EXPECT_EQ(first.value(QStringLiteral("notes")).toString(),
              QStringLiteral("Заметка: «один» №1"));
    EXPECT_EQ(first.value(QStringLiteral("stamp")).toString(),
              QStringLiteral("2004-03-05 13:14:15"));
    EXPECT_EQ(first.value(QStringLiteral("money")).toDouble(), 12.3456);
    EXPECT_EQ(doc.array()[1].toObject().value(QStringLiteral("price")),
              QJsonValue(QJsonValue::Null));
    EXPECT_EQ(doc.array()[2].toObject().value(QStringLiteral("notes")).toString().size(), 2000);
}

TEST_F(DbfInterop, ForeignTablesWeChangeStayReadable) {
    // dBase III with a .dbt (cp866) and FoxPro 2 with 10-byte pointers: our changes in their
    // formats must read back in the tools that wrote them.
    for (const char* sample : {"py_db3.dbf", "py_fp2.dbf"}) {
        SCOPED_TRACE(sample);
        const QString path = copySample(dir, QString::fromLatin1(sample));
        {
            auto t = DbfTable::open(path, Access::ReadWrite);
            const int notes = t->fieldIndex(u"notes"), name = t->fieldIndex(u"name");
            QByteArray rec(t->record(0), t->recordLength());
            t->setValue(rec, notes, Text("изменённая памятка"));
            t->setValue(rec, name, Text("Новое"));
            t->writeRecord(0, rec);
            QByteArray added = t->blankRecord();
            t->setValue(added, name, Text("добавлено"));
            t->setValue(added, notes, Text("вторая памятка"));
            t->append(added);
            t->flush(true);
        }
        auto ours = DbfTable::open(path, Access::ReadOnly);
        for (const char* reader : {"dbfread", "python-dbf"}) {
            const QJsonDocument doc = runPython(kReadScript, {QString::fromLatin1(reader), path});
            expectSameRows(*ours, doc.array(), reader);
            const QJsonArray rows = doc.array();
            ASSERT_FALSE(rows.isEmpty());
            EXPECT_EQ(rows[0].toObject().value(QStringLiteral("notes")).toString(),
                      QStringLiteral("изменённая памятка"));
            EXPECT_EQ(rows.last().toObject().value(QStringLiteral("notes")).toString(),
                      QStringLiteral("вторая памятка"));
        }
    }
}

TEST_F(DbfInterop, TablesTheyWriteReadInOurs) {
    const QJsonDocument expected = runPython(kWriteScript, {dir.path()});
    const QJsonObject tables = expected.object();
    ASSERT_EQ(tables.size(), 3);
    for (auto it = tables.begin(); it != tables.end(); ++it) {
        SCOPED_TRACE(it.key().toStdString());
        auto t = DbfTable::open(dir.filePath(it.key()), Access::ReadOnly);
        expectSameRows(*t, it.value().toArray(), "python-dbf's own values");
    }
    EXPECT_EQ(DbfTable::open(dir.filePath(QStringLiteral("vfp.dbf")), Access::ReadOnly)->version(),
              0x30);
    EXPECT_EQ(DbfTable::open(dir.filePath(QStringLiteral("db3.dbf")), Access::ReadOnly)->version(),
              0x83);
    EXPECT_EQ(DbfTable::open(dir.filePath(QStringLiteral("fp.dbf")), Access::ReadOnly)->version(),
              0xF5);
}

}  // namespace
