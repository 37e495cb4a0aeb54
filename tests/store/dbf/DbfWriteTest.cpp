// Creating tables, storing values, and the on-disk effects of every write.

#include "DbfTestUtil.h"

#include <QDate>

#include <functional>
#include <limits>

namespace {

using namespace dbftest;
using dbf::DbfField;
using dbf::DbfTable;
using dbf::FieldSpec;
using Access = DbfTable::Access;

class DbfWrite : public ::testing::Test {
  protected:
    QTemporaryDir dir;

    QString create(const QString& file, const std::vector<FieldSpec>& layout) {
        const QString path = dir.filePath(file);
        DbfTable::create(path, layout);
        return path;
    }

    static QByteArray copyOf(DbfTable& t, uint32_t index) {
        return QByteArray(t.record(index), t.recordLength());
    }

    static int field(DbfTable& t, const char* name) {
        const int i = t.fieldIndex(QString::fromLatin1(name));
        EXPECT_GE(i, 0) << name;
        return i;
    }
};

const std::vector<FieldSpec> kEveryType = {
    {"NAME", 'C', 20, 0},  {"PRICE", 'N', 10, 2}, {"QTY", 'N', 5, 0},   {"RATIO", 'F', 12, 3},
    {"BORN", 'D', 0, 0},   {"FLAG", 'L', 0, 0},   {"NOTES", 'M', 0, 0}, {"ID", 'I', 0, 0},
    {"AMOUNT", 'B', 0, 2}, {"MONEY", 'Y', 0, 0},  {"STAMP", 'T', 0, 0},
};

TEST_F(DbfWrite, EveryTypeRoundTrips) {
    const std::string longMemo = [] {
        std::string s;
        for (int i = 0; i < 40; ++i) s += "Строка памятки номер " + std::to_string(i) + ". ";
        return s;
    }();
    struct Case {
        const char* field;
        DbfValue in, out;
    };
    // One record per group: plain values, NULLs, conversions between kinds.
    const std::vector<std::vector<Case>> records = {
        {{"NAME", Text("Иванов Пётр"), Text("Иванов Пётр")},
         {"PRICE", Real(12.34), Real(12.34)},
         {"QTY", Int(-42), Int(-42)},
         {"RATIO", Real(1.5), Real(1.5)},
         {"BORN", Text("2004-03-05"), Text("2004-03-05")},
         {"FLAG", Int(1), Int(1)},
         {"NOTES", Text(longMemo.c_str()), Text(longMemo.c_str())},
         {"ID", Int(-2147483648LL), Int(-2147483648LL)},
         {"AMOUNT", Real(-1e300), Real(-1e300)},
         {"MONEY", Real(12.3456), Real(12.3456)},
         {"STAMP", Text("2004-03-05 13:14:15"), Text("2004-03-05 13:14:15")}},
        {{"NAME", Null(), Text("")},
         {"PRICE", Null(), Null()},
         {"QTY", Null(), Null()},
         {"RATIO", Null(), Null()},
         {"BORN", Null(), Null()},
         {"FLAG", Null(), Null()},
         {"NOTES", Null(), Text("")},
         {"ID", Null(), Int(0)},
         {"AMOUNT", Null(), Real(0)},
         {"MONEY", Null(), Real(0)},
         {"STAMP", Null(), Null()}},
        {{"NAME", Text("  ведущие пробелы   "), Text("  ведущие пробелы")},
         {"PRICE", Text("3,5"), Real(3.5)},
         {"QTY", Text(" 17 "), Int(17)},
         {"RATIO", Int(2), Real(2)},
         {"BORN", Text(""), Null()},
         {"FLAG", Text("Y"), Int(1)},
         {"NOTES", Text(""), Text("")},
         {"ID", Text("2147483647"), Int(2147483647)},
         {"AMOUNT", Text("1e3"), Real(1000)},
         {"MONEY", Int(-5), Real(-5)},
         {"STAMP", Text("2004-03-05"), Text("2004-03-05 00:00:00")}},
        {{"NAME", Int(123), Text("123")},
         {"PRICE", Int(7), Real(7)},
         {"QTY", Real(3.0), Int(3)},
         {"BORN", Text("0000-00-00"), Null()},
         {"FLAG", Text("false"), Int(0)},
         {"NOTES", Text("€ и №"), Text("€ и №")},
         {"ID", Real(-8.0), Int(-8)},
         {"AMOUNT", Int(3), Real(3)},
         {"MONEY", Text("-0.0001"), Real(-0.0001)},
         {"STAMP", Text("1999-12-31T23:59:59.999"), Text("1999-12-31 23:59:59")}},
    };

    const QString path = create(QStringLiteral("every.dbf"), kEveryType);
    {
        auto t = DbfTable::open(path, Access::ReadWrite);
        for (const auto& cases : records) {
            QByteArray rec = t->blankRecord();
            for (const Case& c : cases) t->setValue(rec, field(*t, c.field), c.in);
            t->append(rec);
        }
        t->flush(true);
    }
    auto t = DbfTable::open(path, Access::ReadOnly);
    ASSERT_EQ(t->recordCount(), records.size());
    for (uint32_t r = 0; r < records.size(); ++r) {
        const char* rec = t->record(r);
        EXPECT_FALSE(DbfTable::isDeleted(rec));
        for (const Case& c : records[r])
            EXPECT_EQ(t->value(rec, field(*t, c.field)), c.out) << c.field << " of record " << r;
    }
}

// Blank values overwrite filled fields with the bytes other readers take for "no value":
// spaces in character-coded fields, zeros in binary ones.
TEST_F(DbfWrite, BlanksAreWrittenTheWayOtherReadersExpect) {
    const QString path = create(QStringLiteral("blank.dbf"), kEveryType);
    auto t = DbfTable::open(path, Access::ReadWrite);
    const struct {
        const char* field;
        DbfValue filled, blank;
        QByteArray bytes;
    } cases[] = {
        {"NAME", Text("x"), Null(), QByteArray(20, ' ')},
        {"PRICE", Real(1), Null(), QByteArray(10, ' ')},
        {"PRICE", Real(1), Text(" "), QByteArray(10, ' ')},
        {"BORN", Text("2004-03-05"), Text("0000-00-00"), QByteArray(8, ' ')},
        {"BORN", Text("2004-03-05"), Text(""), QByteArray(8, ' ')},
        {"BORN", Text("2004-03-05"), Null(), QByteArray(8, ' ')},
        {"FLAG", Int(1), Null(), QByteArray(" ")},
        {"FLAG", Int(1), Text("?"), QByteArray(" ")},
        {"NOTES", Text("memo"), Null(), QByteArray(4, '\0')},
        {"NOTES", Text("memo"), Text(""), QByteArray(4, '\0')},
        {"ID", Int(7), Null(), QByteArray(4, '\0')},
        {"AMOUNT", Real(7), Null(), QByteArray(8, '\0')},
        {"MONEY", Real(7), Null(), QByteArray(8, '\0')},
        {"STAMP", Text("2004-03-05 01:02:03"), Null(), QByteArray(8, '\0')},
        {"STAMP", Text("2004-03-05 01:02:03"), Text(""), QByteArray(8, '\0')},
    };
    const QByteArray blank = t->blankRecord();
    EXPECT_EQ(blank[0], ' ');
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.field << " <- " << testing::PrintToString(c.blank));
        const DbfField& f = t->fields()[size_t(field(*t, c.field))];
        EXPECT_EQ(blank.mid(f.offset, f.length), c.bytes);
        QByteArray rec = blank;
        t->setValue(rec, field(*t, c.field), c.filled);
        ASSERT_NE(rec.mid(f.offset, f.length), c.bytes);
        t->setValue(rec, field(*t, c.field), c.blank);
        EXPECT_EQ(rec.mid(f.offset, f.length), c.bytes);
    }
}

TEST_F(DbfWrite, CreatedTableFollowsProfileA) {
    const QString path = create(QStringLiteral("profile.dbf"),
                                {{"id", 'I', 0, 0}, {"Name", 'C', 20, 0}, {"notes", 'M', 0, 0}});
    const QByteArray b = readFile(path);
    const QDate today = QDate::currentDate();
    ASSERT_EQ(b.size(), 32 + 3 * 32 + 1 + 263 + 1);
    EXPECT_EQ(uint8_t(b[0]), 0x30);
    EXPECT_EQ(int(b[1]), today.year() % 100);
    EXPECT_EQ(int(b[2]), today.month());
    EXPECT_EQ(int(b[3]), today.day());
    EXPECT_EQ(b.mid(4, 4), le32(0));
    EXPECT_EQ(b.mid(8, 2), QByteArray("\x88\x01", 2));   // header length 392
    EXPECT_EQ(b.mid(10, 2), QByteArray("\x1d\x00", 2));  // record length 29
    EXPECT_EQ(uint8_t(b[28]), 0x02);                     // has memo fields
    EXPECT_EQ(uint8_t(b[29]), 0xC9);
    const struct {
        const char* name;
        char type;
        uint32_t displacement;
        int length;
    } fields[] = {{"ID", 'I', 1, 4}, {"NAME", 'C', 5, 20}, {"NOTES", 'M', 25, 4}};
    for (int i = 0; i < 3; ++i) {
        const QByteArray d = b.mid(32 + 32 * i, 32);
        EXPECT_EQ(d.left(11), QByteArray(fields[i].name).leftJustified(11, '\0')) << i;
        EXPECT_EQ(d[11], fields[i].type);
        EXPECT_EQ(d.mid(12, 4), le32(fields[i].displacement));
        EXPECT_EQ(int(d[16]), fields[i].length);
        EXPECT_EQ(d.mid(17), QByteArray(15, '\0'));
    }
    EXPECT_EQ(b[128], '\r');
    EXPECT_EQ(b.mid(129, 263), QByteArray(263, '\0'));
    EXPECT_EQ(b.back(), '\x1A');

    const QByteArray fpt = readFile(dir.filePath(QStringLiteral("profile.fpt")));
    ASSERT_EQ(fpt.size(), 512);
    EXPECT_EQ(fpt.left(8), be32(8) + QByteArray("\0\0\0\x40", 4));

    create(QStringLiteral("nomemo.dbf"), {{"id", 'I', 0, 0}});
    EXPECT_EQ(uint8_t(readFile(dir.filePath(QStringLiteral("nomemo.dbf")))[28]), 0x00);
    EXPECT_FALSE(QFile::exists(dir.filePath(QStringLiteral("nomemo.fpt"))));
}

TEST_F(DbfWrite, CreateRefusesImpossibleTables) {
    create(QStringLiteral("exists.dbf"), {{"A", 'C', 1, 0}});
    const struct {
        const char* file;
        std::vector<FieldSpec> fields;
        const char* message;
    } cases[] = {
        {"exists.dbf", {{"A", 'C', 1, 0}}, "exists.dbf already exists"},
        {"EXISTS.DBF", {{"A", 'C', 1, 0}}, "exists.dbf already exists"},
        {"t.dbf", {}, "at least one field"},
        {"t.dbf", {{"", 'C', 1, 0}}, "1 to 10 characters"},
        {"t.dbf", {{"ELEVENCHARS", 'C', 1, 0}}, "1 to 10 characters"},
        {"t.dbf", {{"ИМЯ", 'C', 1, 0}}, "ASCII letters"},
        {"t.dbf", {{"1ST", 'C', 1, 0}}, "ASCII letters"},
        {"t.dbf", {{"A B", 'C', 1, 0}}, "ASCII letters"},
        {"t.dbf", {{"code", 'I', 0, 0}, {"CODE", 'C', 3, 0}}, "used twice"},
        {"t.dbf", {{"A", 'C', 0, 0}}, "1..254"},
        {"t.dbf", {{"A", 'C', 255, 0}}, "1..254"},
        {"t.dbf", {{"A", 'N', 21, 0}}, "1..20"},
        {"t.dbf", {{"A", 'N', 5, 4}}, "4 decimals for a width of 5"},
        {"t.dbf", {{"A", 'V', 5, 0}}, "cannot be created"},
    };
    for (const auto& c : cases) {
        const std::string msg =
            errorOf([&] { DbfTable::create(dir.filePath(QString::fromLatin1(c.file)), c.fields); });
        EXPECT_NE(msg.find(c.message), std::string::npos) << c.message << " / got: " << msg;
        EXPECT_NE(msg.find(QString::fromLatin1(c.file).toLower().toStdString()), std::string::npos)
            << msg;
    }
    EXPECT_FALSE(QFile::exists(dir.filePath(QStringLiteral("t.dbf"))));
}

// A refused value names file, field and reason, and leaves record and files untouched.
TEST_F(DbfWrite, RefusedValuesChangeNothing) {
    const QString path = create(QStringLiteral("refuse.dbf"), kEveryType);
    auto t = DbfTable::open(path, Access::ReadWrite);
    QByteArray rec = t->blankRecord();
    t->setValue(rec, field(*t, "NOTES"), Text("old"));
    t->append(rec);
    t->flush(false);
    const QByteArray dbfBefore = readFile(path);
    const QByteArray fptBefore = readFile(dir.filePath(QStringLiteral("refuse.fpt")));
    const struct {
        const char* field;
        DbfValue value;
        const char* message;
    } cases[] = {
        {"NAME", Text("слишком длинный текст для поля"), "does not fit in 20"},
        {"NAME", Text("emoji 😀"), "'😀' (U+1F600) cannot be stored in code page windows-1251"},
        {"NAME", Text("漢字"), "U+6F22"},
        {"NOTES", Text("памятка 中"), "U+4E2D"},
        {"PRICE", Real(12345678.5),
         "1234567"
         "8.50 is too wide for 10"},
        {"PRICE", Real(std::numeric_limits<double>::infinity()), "not finite"},
        {"QTY", Int(123456), "too wide for 5"},
        {"QTY", Int(-10000), "too wide for 5"},
        {"QTY", Text("12a"), "\"12a\" is not a number"},
        {"QTY", Blob("1"), "blob"},
        {"BORN", Text("2004-13-01"), "is not a date"},
        {"BORN", Text("05.03.2004"), "is not a date"},
        {"BORN", Int(20040305), "written as text"},
        {"FLAG", Text("maybe"), "not a logical value"},
        {"ID", Int(2147483648LL), "out of range"},
        {"ID", Real(1.5), "not a whole number"},
        {"MONEY", Real(1e300), "too large"},
        {"STAMP", Text("2004-03-05 25:00:00"), "not a date and time"},
    };
    for (const auto& c : cases) {
        QByteArray r = copyOf(*t, 0);
        const QByteArray before = r;
        const std::string msg = errorOf([&] { t->setValue(r, field(*t, c.field), c.value); });
        EXPECT_NE(msg.find(c.message), std::string::npos) << c.field << ": got \"" << msg << "\"";
        EXPECT_NE(msg.find(std::string("refuse.dbf, field ") + c.field), std::string::npos) << msg;
        EXPECT_EQ(r, before) << c.field;
    }
    EXPECT_EQ(readFile(path), dbfBefore);
    EXPECT_EQ(readFile(dir.filePath(QStringLiteral("refuse.fpt"))), fptBefore);
}

TEST_F(DbfWrite, NumbersAreRightJustifiedWithExactDecimals) {
    const struct {
        int length, decimals;
        DbfValue in;
        const char* bytes;  // nullptr: refused
    } cases[] = {
        {10, 2, Real(12.34), "     12.34"},
        {10, 2, Real(-5), "     -5.00"},
        {10, 2, Int(42), "     42.00"},
        {10, 2, Real(2.675), "      2.68"},   // decimal rounding, not the binary neighbour
        {10, 2, Real(-0.004), "      0.00"},  // no "-0.00"
        {10, 2, Text("1,005"), "      1.01"},
        {10, 2, Text("+7"), "      7.00"},
        {10, 2, Text("1.5e2"), "    150.00"},
        {10, 2, Real(9999999.995), nullptr},  // rounds up to 11 characters
        {5, 0, Int(99999), "99999"},
        {5, 0, Int(-9999), "-9999"},
        {5, 0, Real(2.5), "    3"},
        {5, 0, Int(100000), nullptr},
        {20, 0, Int(-9223372036854775807LL - 1), "-9223372036854775808"},
        {4, 2, Real(0.5), "0.50"},
        {3, 1, Real(0.25), "0.3"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "N(" << c.length << "," << c.decimals << ") "
                                        << testing::PrintToString(c.in));
        QTemporaryDir d;
        const QString path = d.filePath(QStringLiteral("n.dbf"));
        DbfTable::create(path, {{"N", 'N', c.length, c.decimals}});
        auto t = DbfTable::open(path, Access::ReadWrite);
        QByteArray rec = t->blankRecord();
        const std::string msg = errorOf([&] { t->setValue(rec, 0, c.in); });
        if (!c.bytes) {
            EXPECT_NE(msg.find("too wide"), std::string::npos) << msg;
            EXPECT_EQ(rec, t->blankRecord());
            continue;
        }
        ASSERT_EQ(msg, "");
        EXPECT_EQ(rec.mid(1).toStdString(), c.bytes);
    }
}

// After writeRecord changes one field, every other byte of the file is what it was.
TEST_F(DbfWrite, WriteRecordTouchesOnlyTheChangedBytes) {
    const QString path = copySample(dir, QStringLiteral("py_vfp1251.dbf"));
    const QByteArray before = readFile(path);
    auto t = DbfTable::open(path, Access::ReadWrite);
    const DbfField price = t->fields()[size_t(field(*t, "price"))];
    const uint64_t start = 520 + 2 * 56 + price.offset;

    QByteArray rec = copyOf(*t, 2);
    t->setValue(rec, field(*t, "price"), Real(7.5));
    t->writeRecord(2, rec);
    QByteArray after = readFile(path);
    ASSERT_EQ(after.size(), before.size());
    EXPECT_EQ(after.mid(qsizetype(start), price.length), QByteArray("      7.50"));
    for (qsizetype i = 0; i < before.size(); ++i) {
        if (i >= qsizetype(start) && i < qsizetype(start) + price.length) continue;
        ASSERT_EQ(after[i], before[i]) << "byte " << i;
    }

    // Writing the same record again writes nothing at all.
    t->writeRecord(2, rec);
    EXPECT_EQ(readFile(path), after);

    // flush may change the date bytes of the header, nothing else.
    t->flush(true);
    const QByteArray flushed = readFile(path);
    for (qsizetype i = 0; i < before.size(); ++i) {
        if (i >= 1 && i <= 3) continue;
        ASSERT_EQ(flushed[i], after[i]) << "byte " << i;
    }
    EXPECT_EQ(t->value(t->record(2), field(*t, "price")), Real(7.5));
}

TEST_F(DbfWrite, MemoUpdates) {
    const QString path =
        create(QStringLiteral("memo.dbf"), {{"ID", 'I', 0, 0}, {"NOTES", 'M', 0, 0}});
    const QString fpt = dir.filePath(QStringLiteral("memo.fpt"));
    auto t = DbfTable::open(path, Access::ReadWrite);
    const int notes = field(*t, "NOTES");
    QByteArray rec = t->blankRecord();
    t->setValue(rec, notes, Text("первый текст"));
    t->append(rec);
    t->flush(true);
    const QByteArray fptFirst = readFile(fpt);
    const QByteArray dbfFirst = readFile(path);
    EXPECT_EQ(fptFirst.size(), 512 + 64);

    // The same text ten times: no new block, no change to either file.
    for (int i = 0; i < 10; ++i) {
        QByteArray r = copyOf(*t, 0);
        t->setValue(r, notes, Text("первый текст"));
        t->writeRecord(0, r);
    }
    t->flush(true);
    EXPECT_EQ(readFile(fpt), fptFirst);
    EXPECT_EQ(readFile(path), dbfFirst);

    // A different text goes to new whole blocks; until the record is written, the record
    // on disk still points at the old, intact value.
    const std::string longer(100, 'z');
    QByteArray r = copyOf(*t, 0);
    t->setValue(r, notes, Text(longer.c_str()));
    const QByteArray fptGrown = readFile(fpt);
    EXPECT_EQ(fptGrown.size(), 512 + 64 + 128);
    EXPECT_EQ(fptGrown.left(4), be32(8 + 1 + 2));                // next free block advanced
    EXPECT_EQ(fptGrown.left(512 + 64).mid(4), fptFirst.mid(4));  // old blocks untouched
    {
        auto reader = DbfTable::open(path, Access::ReadOnly);
        EXPECT_EQ(reader->value(reader->record(0), notes), Text("первый текст"));
    }
    t->writeRecord(0, r);
    t->flush(true);
    auto reader = DbfTable::open(path, Access::ReadOnly);
    EXPECT_EQ(reader->value(reader->record(0), notes), Text(longer.c_str()));

    // Empty text and NULL need no block.
    r = copyOf(*t, 0);
    t->setValue(r, notes, Text(""));
    EXPECT_EQ(r.mid(5, 4), QByteArray(4, '\0'));
    EXPECT_EQ(readFile(fpt).size(), fptGrown.size());
}

TEST_F(DbfWrite, AppendsReachTheFileWithTheirEofBeforeTheHeaderCount) {
    const QString path =
        create(QStringLiteral("app.dbf"), {{"ID", 'I', 0, 0}, {"NAME", 'C', 5, 0}});
    auto t = DbfTable::open(path, Access::ReadWrite);
    const uint64_t headerLength = 32 + 64 + 1 + 263;
    for (int i = 0; i < 3; ++i) {
        QByteArray rec = t->blankRecord();
        t->setValue(rec, 0, Int(i));
        EXPECT_EQ(t->append(rec), uint32_t(i));
    }
    EXPECT_EQ(t->recordCount(), 3u);
    EXPECT_EQ(t->value(t->record(2), 0), Int(2));  // our own appends read back at once
    // The records wait in memory, so many appends become one write; the file is unchanged.
    QByteArray b = readFile(path);
    EXPECT_EQ(b.size(), qsizetype(headerLength + 1));
    EXPECT_EQ(b.mid(4, 4), le32(0));
    EXPECT_EQ(DbfTable::open(path, Access::ReadOnly)->recordCount(), 0u);

    t->flush(false);
    b = readFile(path);
    EXPECT_EQ(b.size(), qsizetype(headerLength + 3 * 10 + 1));
    EXPECT_EQ(b.back(), '\x1A');
    EXPECT_EQ(b.mid(4, 4), le32(3));
    EXPECT_EQ(b.mid(qsizetype(headerLength)).count('\x1A'), 1);
    auto reader = DbfTable::open(path, Access::ReadOnly);
    ASSERT_EQ(reader->recordCount(), 3u);
    EXPECT_EQ(reader->value(reader->record(2), 0), Int(2));

    // A table dropped without flush() still gets its count.
    QByteArray rec = t->blankRecord();
    t->append(rec);
    t.reset();
    EXPECT_EQ(DbfTable::open(path, Access::ReadOnly)->recordCount(), 4u);
}

TEST_F(DbfWrite, TruncateToUndoesAppends) {
    const QString path = create(QStringLiteral("undo.dbf"), {{"ID", 'I', 0, 0}});
    auto t = DbfTable::open(path, Access::ReadWrite);
    for (int i = 0; i < 2; ++i) t->append(t->blankRecord());
    t->flush(true);
    const QByteArray committed = readFile(path);
    const uint64_t generation = t->generation();
    for (int i = 0; i < 3; ++i) t->append(t->blankRecord());
    t->flush(false);  // even a flushed count goes back
    t->truncateTo(2);
    EXPECT_EQ(t->recordCount(), 2u);
    EXPECT_GT(t->generation(), generation);
    t->flush(true);
    EXPECT_EQ(readFile(path), committed);
    EXPECT_NE(errorOf([&] { t->record(2); }).find("out of range"), std::string::npos);
}

TEST_F(DbfWrite, MarkDeletedWritesTheFlagOnly) {
    const QString path = copySample(dir, QStringLiteral("cr_db3_ok.dbf"));
    const QByteArray before = readFile(path);
    auto t = DbfTable::open(path, Access::ReadWrite);
    t->markDeleted(1);
    EXPECT_TRUE(DbfTable::isDeleted(t->record(1)));
    t.reset();
    QByteArray after = readFile(path);
    const qsizetype flag = qsizetype(before.mid(8, 2)[0] & 0xff) + 16;  // header 97, record 16
    EXPECT_EQ(after[flag], '*');
    after[flag] = ' ';
    EXPECT_EQ(after.mid(4), before.mid(4));
}

TEST_F(DbfWrite, NullableAndVarcharFieldsOfOtherTools) {
    const QString path = copySample(dir, QStringLiteral("cr_vfp9null.dbf"));
    auto t = DbfTable::open(path, Access::ReadWrite);
    const int a = field(*t, "a"), v = field(*t, "v"), v2 = field(*t, "v2"), id = field(*t, "id");
    const DbfField fv = t->fields()[size_t(v)];
    const DbfField fv2 = t->fields()[size_t(v2)];
    const int flags = t->recordLength() - 1;  // _NullFlags is the last byte
    auto bit = [&](const QByteArray& r, int b) { return (uint8_t(r[flags]) >> b) & 1; };

    QByteArray rec = copyOf(*t, 0);
    t->setValue(rec, v, Text("abc"));
    EXPECT_EQ(bit(rec, fv.varBit), 1);
    EXPECT_EQ(int(rec[fv.offset + fv.length - 1]), 3);
    EXPECT_EQ(t->value(rec.constData(), v), Text("abc"));
    t->setValue(rec, v, Text("0123456789"));  // fills the field: no length byte
    EXPECT_EQ(bit(rec, fv.varBit), 0);
    EXPECT_EQ(t->value(rec.constData(), v), Text("0123456789"));
    t->setValue(rec, v2, Null());
    EXPECT_EQ(bit(rec, fv2.nullBit), 1);
    EXPECT_EQ(t->value(rec.constData(), v2), Null());
    t->setValue(rec, a, Null());
    EXPECT_EQ(t->value(rec.constData(), a), Null());
    t->writeRecord(0, rec);
    t->setValue(rec, a, Text("q"));
    EXPECT_EQ(t->value(rec.constData(), a), Text("q"));
    t->setValue(rec, v2, Text("x"));
    EXPECT_EQ(bit(rec, fv2.nullBit), 0);
    t->append(rec);
    t->flush(false);

    // A blank record starts with nullable fields NULL, like VFP's own.
    const QByteArray blank = t->blankRecord();
    EXPECT_EQ(t->value(blank.constData(), a), Null());
    EXPECT_EQ(t->value(blank.constData(), v), Text(""));
    EXPECT_EQ(t->value(blank.constData(), v2), Null());
    EXPECT_EQ(t->value(blank.constData(), id), Int(0));

    auto reader = DbfTable::open(path, Access::ReadOnly);
    ASSERT_EQ(reader->recordCount(), 4u);
    const char* r0 = reader->record(0);
    EXPECT_EQ(reader->value(r0, v), Text("0123456789"));
    EXPECT_EQ(reader->value(r0, v2), Null());
    EXPECT_EQ(reader->value(r0, a), Null());
    const char* r3 = reader->record(3);
    EXPECT_EQ(reader->value(r3, a), Text("q"));
    EXPECT_EQ(reader->value(r3, v2), Text("x"));
}

// Memos in the formats of other tools: dBase III and IV .dbt, FoxPro 2 ASCII pointers.
TEST_F(DbfWrite, MemosOfOtherFormats) {
    const struct {
        const char* file;
        const char* memo;
        const char* field;
    } cases[] = {
        {"py_db3.dbf", "py_db3.dbt", "notes"},
        {"w_perlxbase_db4.dbf", "w_perlxbase_db4.dbt", "notes"},
        {"py_fp2.dbf", "py_fp2.fpt", "notes"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.file);
        const QString path = copySample(dir, QString::fromLatin1(c.file));
        const qsizetype memoSize = readFile(dir.filePath(QString::fromLatin1(c.memo))).size();
        {
            auto t = DbfTable::open(path, Access::ReadWrite);
            const int f = field(*t, c.field);
            const QString before = QString::fromUtf8(t->value(t->record(0), f).bytes);
            QByteArray rec = copyOf(*t, 0);
            t->setValue(rec, f, DbfValue::fromText(before.toUtf8()));  // unchanged: no block
            EXPECT_EQ(readFile(dir.filePath(QString::fromLatin1(c.memo))).size(), memoSize);
            t->setValue(rec, f, Text("новая памятка"));
            t->writeRecord(0, rec);
            QByteArray second = t->blankRecord();
            t->setValue(second, f, Text("ещё одна"));
            t->append(second);
            t->flush(true);
        }
        auto t = DbfTable::open(path, Access::ReadOnly);
        const int f = field(*t, c.field);
        EXPECT_EQ(t->value(t->record(0), f), Text("новая памятка"));
        EXPECT_EQ(t->value(t->record(t->recordCount() - 1), f), Text("ещё одна"));
    }
}

TEST_F(DbfWrite, StaleStructuralIndexIsMovedAsideOnFirstChange) {
    const QString path = copySample(dir, QStringLiteral("cr_vfp_ib.dbf"));
    QByteArray b = readFile(path);
    b[28] = char(0x01);
    writeFile(path, b);
    const QString cdx = dir.filePath(QStringLiteral("CR_VFP_IB.CDX"));
    writeFile(cdx, "index");

    auto t = DbfTable::open(path, Access::ReadWrite);
    t->writeRecord(0, copyOf(*t, 0));  // no change: nothing to protect yet
    EXPECT_EQ(uint8_t(readFile(path)[28]), 0x01);
    EXPECT_TRUE(QFile::exists(cdx));

    QByteArray rec = copyOf(*t, 0);
    t->setValue(rec, field(*t, "id"), Int(70));
    t->writeRecord(0, rec);
    EXPECT_EQ(uint8_t(readFile(path)[28]), 0x00);
    EXPECT_FALSE(QFile::exists(cdx));
    EXPECT_EQ(readFile(cdx + QStringLiteral(".stale")), QByteArray("index"));
}

TEST_F(DbfWrite, ReadOnlyTablesRefuseWrites) {
    const QString path = copySample(dir, QStringLiteral("py_vfp1251.dbf"));
    const QByteArray before = readFile(path);
    auto t = DbfTable::open(path, Access::ReadOnly);
    QByteArray rec = copyOf(*t, 0);
    const std::vector<std::function<void()>> writes = {
        [&] { t->append(rec); },
        [&] { t->writeRecord(0, t->blankRecord()); },
        [&] { t->markDeleted(0); },
        [&] { t->truncateTo(0); },
        [&] { t->setValue(rec, t->fieldIndex(u"notes"), Text("new memo")); },
    };
    for (const auto& w : writes) EXPECT_NE(errorOf(w).find("read-only"), std::string::npos);
    EXPECT_EQ(readFile(path), before);
}

// A scan crosses many read-ahead refills; lookups in any order see the same bytes.
TEST_F(DbfWrite, SequentialAndRandomReadsAgree) {
    const QString path =
        create(QStringLiteral("many.dbf"), {{"ID", 'I', 0, 0}, {"NAME", 'C', 40, 0}});
    const uint32_t n = 5000;  // 45-byte records: more than three 64 KiB buffers
    {
        auto t = DbfTable::open(path, Access::ReadWrite);
        for (uint32_t i = 0; i < n; ++i) {
            QByteArray rec = t->blankRecord();
            t->setValue(rec, 0, Int(i));
            t->setValue(rec, 1, DbfValue::fromText("запись " + QByteArray::number(i)));
            t->append(rec);
        }
        t->flush(false);
    }
    auto t = DbfTable::open(path, Access::ReadOnly);
    ASSERT_EQ(t->recordCount(), n);
    for (uint32_t i = 0; i < n; ++i) ASSERT_EQ(t->value(t->record(i), 0), Int(i)) << i;
    for (uint32_t k = 0, i = 17; k < n; ++k, i = (i + 997) % n) {
        const char* rec = t->record(i);
        ASSERT_EQ(t->value(rec, 0), Int(i)) << i;
        ASSERT_EQ(t->value(rec, 1), DbfValue::fromText("запись " + QByteArray::number(i)));
    }
    EXPECT_NE(errorOf([&] { t->record(n); }).find("many.dbf: record 5000 is out of range"),
              std::string::npos);
}

// Raw field bytes as other writers leave them.
TEST(DbfDecode, FieldBytesOfOtherWriters) {
    const struct {
        char type;
        int length, decimals;
        QByteArray bytes;
        DbfValue expected;
    } cases[] = {
        {'N', 6, 2, "  3,50", Real(3.5)},
        {'N', 6, 0, " ***  ", Null()},
        {'N', 6, 0, "******", Null()},
        {'N', 6, 0, QByteArray("\0\0\0\0\0\0", 6), Null()},
        {'N', 8, 0, "  1.5E+3", Real(1500)},
        {'N', 6, 0, "    -7", Int(-7)},
        {'N', 6, 0, "  12.5", Real(12.5)},                 // decimals 0 yet a fraction
        {'N', 20, 0, "99999999999999999999", Real(1e20)},  // beyond int64
        {'N', 6, 0, "  12ab", Null()},
        {'F', 10, 3, "     1.500", Real(1.5)},
        {'D', 8, 0, "20040305", Text("2004-03-05")},
        {'D', 8, 0, "2004  05", Null()},
        {'L', 1, 0, "y", Int(1)},
        {'L', 1, 0, "n", Int(0)},
        {'L', 1, 0, "?", Null()},
        {'L', 1, 0, "x", Null()},
        {'C', 6, 0, QByteArray("  ab\0\0", 6), Text("  ab")},
        {'I', 4, 0, QByteArray("\xfe\xff\xff\xff", 4), Int(-2)},
        {'Y', 8, 0, le64(-125000), Real(-12.5)},
        {'T', 8, 0, le32(2453070) + le32(47655250), Text("2004-03-05 13:14:15")},
        {'T', 8, 0, le32(0) + le32(47655250), Null()},
        {'T', 8, 0, QByteArray(8, ' '), Null()},  // spaces are no datetime
    };
    QTemporaryDir dir;
    int n = 0;
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.type << "(" << c.length << ") \""
                                        << c.bytes.toHex().toStdString() << "\"");
        RawTable raw;
        raw.version = 0x30;
        raw.fields = {{"F", c.type, c.length, c.decimals}};
        raw.records = {" " + c.bytes};
        const QString path = dir.filePath(QStringLiteral("d%1.dbf").arg(n++));
        writeFile(path, raw.bytes());
        auto t = DbfTable::open(path, Access::ReadOnly);
        EXPECT_EQ(t->value(t->record(0), 0), c.expected);
    }
}

}  // namespace
