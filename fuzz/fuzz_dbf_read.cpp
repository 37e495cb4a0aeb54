// Feeds arbitrary bytes to the DBF codec as a table plus its memo file.
//
// Input: two bytes (little-endian) giving the length of the table part, the table bytes,
// then the memo bytes (written both as .fpt and .dbt, whichever the table asks for). Every
// value of every record is read; when the table opens, a copy is also written to (blank
// record, setValue of assorted values, append, writeRecord, delete, flush, truncate).

#include "DbfError.h"
#include "DbfTable.h"

#include <QByteArray>
#include <QString>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <cerrno>
#include <cstdint>
#include <cstdlib>
#include <string>

namespace {

// A directory of this process (fuzzing jobs run side by side), removed at exit. Never
// destroyed, so the exit handler can still use it.
const std::string& workDir() {
    static const std::string* dir = [] {
        const char* base = ::access("/dev/shm", W_OK) == 0 ? "/dev/shm" : "/tmp";
        auto* d =
            new std::string(std::string(base) + "/fuzz_dbf_read." + std::to_string(::getpid()));
        ::mkdir(d->c_str(), 0700);
        std::atexit([] {
            for (const char* f : {"t.dbf", "t.fpt", "t.dbt", "c.dbf", "c.fpt", "c.dbt"})
                ::unlink((workDir() + "/" + f).c_str());
            ::rmdir(workDir().c_str());
        });
        return d;
    }();
    return *dir;
}

void put(const std::string& name, const uint8_t* data, size_t size) {
    const std::string path = workDir() + "/" + name;
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
    if (fd < 0) std::abort();
    while (size > 0) {
        const ssize_t n = ::write(fd, data, size);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) std::abort();
        data += n;
        size -= size_t(n);
    }
    ::close(fd);
}

void readEverything(dbf::DbfTable& t) {
    const int fields = int(t.fields().size());
    for (uint32_t i = 0; i < t.recordCount(); ++i) {
        const char* rec = t.record(i);
        for (int f = 0; f < fields; ++f) {
            try {
                (void)t.value(rec, f);
            } catch (const dbf::DbfError&) {
            }
        }
    }
}

dbf::DbfValue sampleValue(unsigned pick) {
    switch (pick % 9) {
        case 0:
            return dbf::DbfValue::fromText("x");
        case 1:
            return dbf::DbfValue::fromText(QStringLiteral("Привет, мир").toUtf8());
        case 2:
            return dbf::DbfValue::fromInteger(-12345);
        case 3:
            return dbf::DbfValue::fromReal(3.25);
        case 4:
            return dbf::DbfValue::null();
        case 5:
            return dbf::DbfValue::fromText("2004-03-05");
        case 6:
            return dbf::DbfValue::fromText("2004-03-05 13:14:15");
        case 7:
            return dbf::DbfValue::fromBlob(QByteArray("\x00\x01\xff", 3));
        default:
            return dbf::DbfValue::fromText(QByteArray(300, 'z'));
    }
}

void writeCopy(const uint8_t* table, size_t tableSize, const uint8_t* memo, size_t memoSize,
               unsigned seed) {
    put("c.dbf", table, tableSize);
    put("c.fpt", memo, memoSize);
    put("c.dbt", memo, memoSize);
    auto t = dbf::DbfTable::open(QString::fromStdString(workDir() + "/c.dbf"),
                                 dbf::DbfTable::Access::ReadWrite);
    t->lock(dbf::DbfTable::Lock::Exclusive, 0);
    const uint32_t before = t->recordCount();
    const int fields = int(t->fields().size());
    QByteArray rec = t->blankRecord();
    for (int f = 0; f < fields; ++f) {
        try {
            t->setValue(rec, f, sampleValue(seed + unsigned(f)));
        } catch (const dbf::DbfError&) {
        }
    }
    t->append(rec);
    if (before > 0) {
        QByteArray first(t->record(0), t->recordLength());
        for (int f = 0; f < fields; ++f) {
            try {
                t->setValue(first, f, sampleValue(seed + 3u * unsigned(f) + 1));
            } catch (const dbf::DbfError&) {
            }
        }
        t->writeRecord(0, first);
        t->markDeleted(0);
    }
    t->flush(false);
    t->reloadIfChanged();
    readEverything(*t);
    t->truncateTo(before);
    t->flush(false);
    t->unlock();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 2) return 0;
    size_t tableSize = size_t(data[0]) | size_t(data[1]) << 8;
    data += 2;
    size -= 2;
    if (tableSize > size) tableSize = size;
    const uint8_t* memo = data + tableSize;
    const size_t memoSize = size - tableSize;

    put("t.dbf", data, tableSize);
    put("t.fpt", memo, memoSize);
    put("t.dbt", memo, memoSize);
    try {
        auto t = dbf::DbfTable::open(QString::fromStdString(workDir() + "/t.dbf"),
                                     dbf::DbfTable::Access::ReadOnly);
        readEverything(*t);
    } catch (const dbf::DbfError&) {
        return 0;
    }
    try {
        writeCopy(data, tableSize, memo, memoSize, tableSize > 0 ? data[tableSize - 1] : 0);
    } catch (const dbf::DbfError&) {
    }
    return 0;
}
