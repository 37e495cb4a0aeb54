// Files written by other tools (dbf-samples/) read as the independent readers read them.

#include "DbfTestUtil.h"

#include <QTemporaryDir>

namespace {

using namespace dbftest;
using dbf::DbfTable;

struct Expect {
    uint32_t record;
    const char* field;
    DbfValue value;
};

struct Sample {
    const char* file;
    uint32_t count;
    std::vector<Expect> values;
    std::vector<uint32_t> deleted = {};
};

// "Иванов" as Perl wrote it (UTF-8 bytes) seen through the table's cp1251.
std::string perlName() {
    const QByteArray utf8 = QString::fromUtf8("Иванов").toUtf8();
    return dbf::CodePage::cp1251()
        .decode(utf8.constData(), int(utf8.size()))
        .toUtf8()
        .toStdString();
}

std::vector<Sample> samples() {
    static const std::string perl = perlName();
    return {
        {"py_vfp1251.dbf",
         4,
         {{0, "id", Int(1)},
          {0, "amount", Real(3.5)},
          {0, "price", Real(12.34)},
          {0, "name", Text("Иванов Пётр")},
          {0, "born", Text("2004-03-05")},
          {0, "flag", Int(1)},
          {0, "notes", Text("Заметка один")},
          {1, "id", Int(-2)},
          {1, "amount", Real(-1e300)},
          {1, "notes", Text("")},  // python-dbf's zero-length block
          {2, "id", Int(0)},
          {2, "amount", Real(0)},
          {2, "price", Null()},
          {2, "name", Text("")},
          {2, "born", Null()},
          {2, "flag", Null()},
          {2, "notes", Text("")},  // pointer 0
          {3, "id", Int(99999999)},
          {3, "price", Real(1234567.89)},
          {3, "name", Text("Ёё")},
          {3, "notes", Text(std::string(70, 'x').c_str())}},
         {1}},
        {"py_vfpnull.dbf",
         3,
         {{0, "a", Text("x")},
          {0, "c", Real(2.5)},
          {0, "e", Int(1)},
          {1, "a", Text("")},
          {1, "b", Int(0)},
          {1, "c", Null()},
          {1, "d", Null()},
          {1, "e", Null()},
          {1, "g", Text("n")}}},
        {"py_vfpmisc.dbf",
         2,
         {{0, "ts", Text("2004-03-05 13:14:15")},
          {0, "money", Real(12.3456)},
          {0, "fl", Real(1.5)},
          {0, "gen", Blob(QByteArray("\x01\x02", 2))},  // OLE data, whatever the block type
          {1, "ts", Null()},
          {1, "money", Real(0)},
          {1, "fl", Null()},
          {1, "gen", Blob("")}}},
        {"py_vfpmemoupd.dbf", 1, {{0, "id", Int(1)}, {0, "notes", Text("third")}}},
        {"py_db3.dbf",
         2,
         {{0, "name", Text("Петров")},
          {0, "qty", Int(42)},
          {0, "price", Real(3.25)},
          {0, "born", Text("2001-02-03")},
          {0, "flag", Int(1)},
          {0, "notes", Text("dBase memo текст")},
          {1, "name", Text("")},
          {1, "qty", Null()},
          {1, "notes", Text("")}}},
        {"py_db3nomemo.dbf",
         1,
         {{0, "code", Int(7)}, {0, "fio", Text("Сидоров")}, {0, "t", Real(36.6)}}},
        {"py_fp2.dbf",
         1,
         {{0, "name", Text("fox")}, {0, "n", Int(5)}, {0, "notes", Text("fp2 memo")}}},
        {"cr_vfpnull30.dbf",
         3,
         {{0, "id", Int(1)},
          {0, "a", Text("Ёж")},
          {0, "n", Real(1.5)},
          {0, "d", Text("2004-03-05")},
          {0, "b", Real(2.25)},
          {0, "i2", Int(-3)},
          {1, "id", Int(2)},
          {1, "a", Null()},
          {1, "n", Null()},
          {1, "d", Null()},
          {1, "b", Null()},
          {1, "i2", Null()},
          {2, "a", Text("")},
          {2, "n", Real(0)},
          {2, "d", Null()},
          {2, "b", Real(0)},
          {2, "i2", Int(0)}}},
        {"cr_vfp9null.dbf",
         3,
         {{0, "a", Text("Ёж")},
          {0, "v", Text("Да")},
          {0, "v2", Text("Нет")},
          {1, "a", Null()},
          {1, "n", Null()},
          {1, "d", Null()},
          {1, "b", Null()},
          {1, "v", Text("")},
          {1, "v2", Null()},
          {2, "n", Real(-2)},
          {2, "v", Text("0123456789")},
          {2, "v2", Text("abcdefghij")}}},
        {"cr_vfp_ib.dbf",
         2,
         {{0, "id", Int(7)},
          {0, "name", Text("Семь")},
          {0, "b0", Real(3.5)},
          {0, "b4", Real(3.5)},
          {1, "id", Int(-8)},
          {1, "b0", Real(-1.25)},
          {1, "b4", Real(0.001)}}},
        {"cr_vfp_blanks.dbf",
         3,
         {{0, "n", Null()},
          {0, "d", Null()},
          {0, "l", Null()},
          {0, "i", Int(0)},
          {0, "b", Real(0)},
          {0, "c", Text("")},
          {1, "n", Real(0)},
          {1, "d", Null()},            // 00000000
          {1, "l", Null()},            // '?'
          {2, "i", Int(538976288)}}},  // spaces in a binary field are what they are
        {"cr_db3_withIB.dbf", 1, {{0, "id", Int(5)}, {0, "b", Real(0.5)}}},
        {"cr_db3_ok.dbf", 3, {{2, "code", Int(3)}, {2, "fio", Text("Три")}}},
        {"cr_db3_noeof.dbf", 3, {{2, "fio", Text("Три")}}},
        {"cr_db3_orphan.dbf", 2, {{1, "fio", Text("Два")}}},  // a record beyond the count
        {"cr_db3_short.dbf", 2, {{1, "fio", Text("Два")}}},   // a count beyond the records
        {"cr_db3_partial.dbf", 2, {{1, "code", Int(2)}}},     // half a record at the end
        {"cr_db3_hdrpad.dbf", 1, {{0, "code", Int(1)}, {0, "fio", Text("Один")}}},
        {"cr_vfp_orphan.dbf", 2, {{1, "code", Int(2)}}},
        {"cr_vfp_short.dbf", 2, {{1, "fio", Text("Два")}}},
        {"cr_ldid_c9.dbf", 1, {{0, "name", Text("Привет Ёё")}}},
        {"cr_ldid_00.dbf", 1, {{0, "name", Text("Привет Ёё")}}},  // unmarked: cp1251
        {"cr_ldid_26.dbf", 1, {{0, "name", Text("Привет Ёё")}}},
        {"cr_ldid_65.dbf", 1, {{0, "name", Text("Привет Ёё")}}},
        {"cr_ldid_57.dbf", 1, {{0, "name", Text("Ïðèâåò ¨¸")}}},
        {"cr_ldid_03.dbf", 1, {{0, "name", Text("Ïðèâåò ¨¸")}}},
        {"cr_ldid_01.dbf", 1, {{0, "name", Text("Åα¿óÑΓ ≡±")}}},
        {"cr_ldid_02.dbf", 1, {{0, "name", Text("ÅÓ¿óÑÔ \u00ad±")}}},
        {"w_gdal_cpg.dbf",
         2,
         {{0, "code", Int(1)},
          {0, "fio", Text("Иванов")},
          {0, "t", Real(36.6)},
          {0, "d", Text("2004-03-05")},
          {0, "flag", Int(1)},
          {1, "t", Real(-1.25)},
          {1, "d", Text("2010-12-31")}}},
        {"w_gdal_ldid201.dbf", 2, {{0, "fio", Text("Иванов")}, {1, "fio", Text("Петров")}}},
        {"w_libreoffice.dbf",
         2,
         {{0, "fio", Text("Иванов")}, {0, "b", Int(1)}, {1, "t", Real(-1.25)}, {1, "b", Int(0)}}},
        {"w_perlxbase_db3.dbf",
         2,
         {{0, "id", Int(1)},
          {0, "name", Text(perl.c_str())},
          {0, "amt", Real(36.6)},
          {0, "born", Text("2004-03-05")},
          {0, "ok", Int(1)},
          {0, "notes", Text("memo text")},
          {1, "id", Int(-5)},
          {1, "amt", Null()},
          {1, "notes", Text("")}}},
        {"w_perlxbase_db4.dbf",
         2,
         {{0, "notes", Text("dBase IV memo")}, {1, "notes", Text("second")}}},
        {"w_perlxbase_fp2.dbf", 1, {{0, "name", Text("a")}, {0, "notes", Text("FoxPro 2 memo")}}},
    };
}

TEST(DbfSamples, ReadAsOtherReadersDo) {
    for (const Sample& s : samples()) {
        SCOPED_TRACE(s.file);
        std::unique_ptr<DbfTable> t;
        ASSERT_NO_THROW(t = DbfTable::open(samplePath(QString::fromLatin1(s.file)),
                                           DbfTable::Access::ReadOnly));
        EXPECT_EQ(t->recordCount(), s.count);
        for (const Expect& e : s.values) {
            SCOPED_TRACE(std::string(e.field) + " of record " + std::to_string(e.record));
            const int field = t->fieldIndex(QString::fromLatin1(e.field));
            ASSERT_GE(field, 0);
            ASSERT_LT(e.record, t->recordCount());
            const char* rec = t->record(e.record);
            EXPECT_EQ(t->value(rec, field), e.value);
        }
        for (uint32_t i = 0; i < t->recordCount(); ++i) {
            const bool expected =
                std::find(s.deleted.begin(), s.deleted.end(), i) != s.deleted.end();
            EXPECT_EQ(DbfTable::isDeleted(t->record(i)), expected) << "record " << i;
        }
    }
}

// Every sample in the folder opens and every value of every record decodes: nothing the
// table above forgot throws or crashes.
TEST(DbfSamples, EveryValueOfEverySampleDecodes) {
    const QStringList files = QDir(samplesDir()).entryList({QStringLiteral("*.dbf")}, QDir::Files);
    ASSERT_GE(files.size(), 30);
    for (const QString& f : files) {
        SCOPED_TRACE(f.toStdString());
        std::unique_ptr<DbfTable> t;
        ASSERT_NO_THROW(t = DbfTable::open(samplePath(f), DbfTable::Access::ReadOnly));
        for (uint32_t i = 0; i < t->recordCount(); ++i) {
            const char* rec = t->record(i);
            for (int k = 0; k < int(t->fields().size()); ++k) EXPECT_NO_THROW(t->value(rec, k));
        }
    }
}

TEST(DbfSamples, HeaderFacts) {
    auto t =
        DbfTable::open(samplePath(QStringLiteral("cr_vfp9null.dbf")), DbfTable::Access::ReadOnly);
    EXPECT_EQ(t->version(), 0x32);
    EXPECT_STREQ(t->codePage().name(), "windows-1251");
    // _NullFlags is hidden; bits follow VFP's rule: varlength bits for V, null bits for
    // nullable fields, in field order.
    ASSERT_EQ(t->fields().size(), 7u);
    const struct {
        const char* name;
        int nullBit, varBit;
    } bits[] = {{"id", -1, -1}, {"a", 0, -1}, {"n", 1, -1}, {"d", 2, -1},
                {"b", 3, -1},   {"v", -1, 4}, {"v2", 6, 5}};
    for (const auto& b : bits) {
        const auto& f = t->fields()[size_t(t->fieldIndex(QString::fromLatin1(b.name)))];
        EXPECT_EQ(f.nullBit, b.nullBit) << b.name;
        EXPECT_EQ(f.varBit, b.varBit) << b.name;
    }
    EXPECT_EQ(t->fieldIndex(u"V2"), 6);
    EXPECT_EQ(t->fieldIndex(u"_nullflags"), -1);
    EXPECT_EQ(t->fields()[0].rawName, QByteArray("ID"));

    auto py =
        DbfTable::open(samplePath(QStringLiteral("py_vfp1251.dbf")), DbfTable::Access::ReadOnly);
    const std::vector<std::pair<const char*, uint32_t>> offsets = {
        {"id", 1},    {"amount", 5}, {"price", 13}, {"name", 23},
        {"born", 43}, {"flag", 51},  {"notes", 52}};
    for (const auto& [name, offset] : offsets)
        EXPECT_EQ(py->fields()[size_t(py->fieldIndex(QString::fromLatin1(name)))].offset, offset)
            << name;
    EXPECT_EQ(py->recordLength(), 56);
}

}  // namespace
