// Damaged and foreign files give a DbfError naming the file, at open or when the damaged
// value is read; never a crash or a read outside the file.

#include "DbfTestUtil.h"

#include <functional>

namespace {

using namespace dbftest;
using dbf::DbfTable;

enum class When { Open, Record, Value };

struct Files {
    QByteArray dbf, fpt;
    bool withFpt = true;
};

// A VFP table with a memo: CODE N(5), FIO C(10), NOTES M; two records, memos in both.
Files vfpWithMemo() {
    std::vector<uint32_t> blocks;
    Files f;
    f.fpt = makeFpt(64, {"first", "second"}, &blocks);
    RawTable t;
    t.version = 0x30;
    t.fields = {{"CODE", 'N', 5}, {"FIO", 'C', 10}, {"NOTES", 'M', 4}};
    t.records = {QByteArray(" ") + "    1" + "one       " + le32(blocks[0]),
                 QByteArray(" ") + "    2" + "two       " + le32(blocks[1])};
    f.dbf = t.bytes();
    return f;
}

// The same fields in a dBase III table without memo: CODE N(5), FIO C(10).
Files db3() {
    RawTable t;
    t.fields = {{"CODE", 'N', 5}, {"FIO", 'C', 10}};
    t.records = {QByteArray(" ") + "    1" + "one       ",
                 QByteArray(" ") + "    2" + "two       "};
    return {t.bytes(), {}, false};
}

void put16(QByteArray& b, int at, uint16_t v) {
    b[at] = char(v & 0xFF);
    b[at + 1] = char(v >> 8);
}

void put32(QByteArray& b, int at, uint32_t v) {
    for (int i = 0; i < 4; ++i) b[at + i] = char(v >> (8 * i));
}

struct Case {
    const char* what;
    std::function<Files()> make;
    When when;
    const char* file;     // the file the message must name
    const char* message;  // part of the message
};

const int kVfpHeader = 32 + 3 * 32 + 1 + 263;  // 392
const int kVfpRecord = 1 + 5 + 10 + 4;         // 20

std::vector<Case> cases() {
    return {
        {"0-byte file",
         [] {
             return Files{{}, {}, false};
         },
         When::Open, "t.dbf", "the file is empty"},
        {"1-byte file",
         [] {
             return Files{"\x03", {}, false};
         },
         When::Open, "t.dbf", "too short for a table header (1 bytes)"},
        {"header cut inside the prefix",
         [] {
             Files f = db3();
             f.dbf.truncate(31);
             return f;
         },
         When::Open, "t.dbf", "too short for a table header (31 bytes)"},
        {"header cut inside the descriptors",
         [] {
             Files f = db3();
             f.dbf.truncate(60);
             return f;
         },
         When::Open, "t.dbf", "header length 97 is beyond the end of the file (60 bytes)"},
        {"header length beyond the file",
         [] {
             Files f = db3();
             put16(f.dbf, 8, 1200);
             return f;
         },
         When::Open, "t.dbf", "header length 1200 is beyond the end of the file (130 bytes)"},
        {"header length shorter than one descriptor",
         [] {
             Files f = db3();
             put16(f.dbf, 8, 40);
             return f;
         },
         When::Open, "t.dbf", "header length 40 is too short"},
        {"record count beyond the file: the missing records",
         [] {
             Files f = db3();
             put32(f.dbf, 4, 1000);
             return f;
         },
         When::Record, "t.dbf", "record 2 is out of range (2 records)"},
        {"no terminator",
         [] {
             Files f = db3();
             f.dbf[96] = 'X';
             return f;
         },
         When::Open, "t.dbf", "no terminator (0x0D) within the header length 97"},
        {"terminator beyond the header length",
         [] {
             Files f = db3();
             put16(f.dbf, 8, 80);  // the second descriptor runs past it
             return f;
         },
         When::Open, "t.dbf", "no terminator"},
        {"zero fields",
         [] {
             Files f = db3();
             f.dbf[32] = '\r';
             return f;
         },
         When::Open, "t.dbf", "the table has no fields"},
        {"zero-length field",
         [] {
             Files f = db3();
             f.dbf[64 + 16] = 0;  // FIO
             put16(f.dbf, 10, 6);
             return f;
         },
         When::Open, "t.dbf", "field FIO has length 0"},
        {"field length beyond the record length",
         [] {
             Files f = db3();
             f.dbf[64 + 16] = char(200);
             return f;
         },
         When::Open, "t.dbf", "record length 16 does not match the fields (206 bytes)"},
        {"record length mismatch",
         [] {
             Files f = db3();
             put16(f.dbf, 10, 20);
             return f;
         },
         When::Open, "t.dbf", "record length 20 does not match the fields (16 bytes)"},
        {"overlapping fields",
         [] {
             Files f = vfpWithMemo();
             put32(f.dbf, 64 + 12, 3);  // FIO displaced into CODE
             return f;
         },
         When::Open, "t.dbf", "fields CODE and FIO overlap"},
        {"field beyond the record",
         [] {
             Files f = vfpWithMemo();
             put32(f.dbf, 96 + 12, 18);  // NOTES at 18..21 of a 20-byte record
             return f;
         },
         When::Open, "t.dbf", "field NOTES lies beyond the end of the record"},
        {"dBase 7",
         [] {
             Files f = db3();
             f.dbf[0] = 0x04;
             return f;
         },
         When::Open, "t.dbf", "dBase 7 tables (version byte 0x04) are not supported"},
        {"dBase 7 with memo",
         [] {
             Files f = db3();
             f.dbf[0] = char(0x8C);
             return f;
         },
         When::Open, "t.dbf", "version byte 0x8C"},
        {"memo file missing",
         [] {
             Files f = vfpWithMemo();
             f.withFpt = false;
             return f;
         },
         When::Open, "t.dbf", "the memo file t.fpt is missing"},
        {"memo pointer beyond the memo file",
         [] {
             Files f = vfpWithMemo();
             put32(f.dbf, kVfpHeader + 16, 5000);
             return f;
         },
         When::Value, "t.fpt", "memo block 5000 is beyond the end of the memo file (640 bytes)"},
        {"memo pointer at the very end",
         [] {
             Files f = vfpWithMemo();
             put32(f.dbf, kVfpHeader + 16, 10);  // offset 640 = the file size
             return f;
         },
         When::Value, "t.fpt", "beyond the end of the memo file"},
        {"memo block length beyond the memo file",
         [] {
             Files f = vfpWithMemo();
             const QByteArray len = be32(5000);
             f.fpt.replace(512 + 4, 4, len);
             return f;
         },
         When::Value, "t.fpt",
         "the memo at block 8 is 5000 bytes long, but the memo file ends after 640 bytes"},
        {"memo length near 4 GiB",
         [] {
             Files f = vfpWithMemo();
             f.fpt.replace(512 + 4, 4, be32(0xFFFFFFF0u));
             return f;
         },
         When::Value, "t.fpt", "bytes long, but the memo file ends"},
        {"memo pointer inside the memo header",
         [] {
             Files f = vfpWithMemo();
             put32(f.dbf, kVfpHeader + 16, 3);
             return f;
         },
         When::Value, "t.fpt", "memo block 3 lies inside the memo file header"},
        {"memo file header with block size 0",
         [] {
             Files f = vfpWithMemo();
             f.fpt[6] = f.fpt[7] = 0;
             return f;
         },
         When::Value, "t.fpt", "block size 0"},
        {"memo file shorter than its header",
         [] {
             Files f = vfpWithMemo();
             f.fpt.truncate(5);
             return f;
         },
         When::Value, "t.fpt", "the memo file header is missing"},
    };
}

TEST(DbfMalformed, EachGivesAnErrorNamingTheFile) {
    for (const Case& c : cases()) {
        SCOPED_TRACE(c.what);
        QTemporaryDir dir;
        const Files f = c.make();
        const QString path = dir.filePath(QStringLiteral("t.dbf"));
        writeFile(path, f.dbf);
        if (f.withFpt) writeFile(dir.filePath(QStringLiteral("t.fpt")), f.fpt);

        std::unique_ptr<DbfTable> t;
        std::string msg = errorOf([&] { t = DbfTable::open(path, DbfTable::Access::ReadOnly); });
        if (c.when != When::Open) {
            ASSERT_EQ(msg, "") << "opening should succeed";
            msg = errorOf([&] {
                if (c.when == When::Record) {
                    t->record(2);
                } else {
                    const int notes = t->fieldIndex(u"notes");
                    t->value(t->record(0), notes);
                }
            });
        }
        EXPECT_EQ(msg.rfind(std::string(c.file) + ":", 0), 0u) << "message: " << msg;
        EXPECT_NE(msg.find(c.message), std::string::npos) << "message: " << msg;
    }
}

// The undamaged fixtures read back: the failures above come from the damage alone.
TEST(DbfMalformed, FixturesAreValidWhenUndamaged) {
    for (const Files& f : {vfpWithMemo(), db3()}) {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("t.dbf"));
        writeFile(path, f.dbf);
        if (f.withFpt) writeFile(dir.filePath(QStringLiteral("t.fpt")), f.fpt);
        auto t = DbfTable::open(path, DbfTable::Access::ReadOnly);
        ASSERT_EQ(t->recordCount(), 2u);
        EXPECT_EQ(t->value(t->record(1), 0), Int(2));
        EXPECT_EQ(t->value(t->record(1), 1), Text("two"));
        if (f.withFpt) {
            EXPECT_EQ(t->value(t->record(1), 2), Text("second"));
        }
    }
    EXPECT_EQ(kVfpRecord, 20);
}

}  // namespace
