// Locks, change detection and concurrent appends from two processes.

#include "DbfTestUtil.h"

#include <sys/wait.h>
#include <unistd.h>
#include <chrono>
#include <map>
#include <thread>

namespace {

using namespace dbftest;
using dbf::DbfTable;
using Access = DbfTable::Access;
using Lock = DbfTable::Lock;

class DbfSharing : public ::testing::Test {
  protected:
    QTemporaryDir dir;
    QString path;

    void SetUp() override {
        path = dir.filePath(QStringLiteral("shared.dbf"));
        DbfTable::create(path, {{"WRITER", 'I', 0, 0},
                                {"SEQ", 'I', 0, 0},
                                {"NAME", 'C', 24, 0},
                                {"NOTES", 'M', 0, 0}});
    }

    static void appendRow(DbfTable& t, int writer, int seq) {
        QByteArray rec = t.blankRecord();
        t.setValue(rec, 0, Int(writer));
        t.setValue(rec, 1, Int(seq));
        t.setValue(
            rec, 2,
            DbfValue::fromText(QStringLiteral("писатель %1 / %2").arg(writer).arg(seq).toUtf8()));
        t.append(rec);
    }
};

TEST_F(DbfSharing, ExclusiveAndSharedLocksExcludeEachOther) {
    auto a = DbfTable::open(path, Access::ReadWrite);
    auto b = DbfTable::open(path, Access::ReadOnly);
    const std::string locked = "shared.dbf is locked by another program";

    a->lock(Lock::Exclusive);
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(errorOf([&] { b->lock(Lock::Shared, 60); }), locked);
    EXPECT_GE(std::chrono::steady_clock::now() - start,
              std::chrono::milliseconds(50));  // it waited
    EXPECT_EQ(b->lockLevel(), Lock::None);

    // Re-entrant: a shared request while holding the exclusive lock keeps it exclusive.
    a->lock(Lock::Shared);
    EXPECT_EQ(a->lockLevel(), Lock::Exclusive);
    EXPECT_EQ(errorOf([&] { b->lock(Lock::Shared, 0); }), locked);
    a->unlock();
    EXPECT_EQ(a->lockLevel(), Lock::None);

    b->lock(Lock::Shared, 0);
    a->lock(Lock::Shared, 0);  // readers share
    EXPECT_EQ(errorOf([&] { a->lock(Lock::Exclusive, 30); }), locked);
    b->unlock();
    a->lock(Lock::Exclusive, 0);  // the upgrade succeeds once alone
    EXPECT_EQ(a->lockLevel(), Lock::Exclusive);
    EXPECT_EQ(errorOf([&] { b->lock(Lock::Exclusive, 0); }), locked);

    // A waiter gets the lock when it is released within its timeout.
    std::thread releaser([&] {
        std::this_thread::sleep_for(std::chrono::milliseconds(30));
        a->unlock();
    });
    EXPECT_EQ(errorOf([&] { b->lock(Lock::Exclusive, 2000); }), "");
    releaser.join();
    EXPECT_EQ(b->lockLevel(), Lock::Exclusive);
}

TEST_F(DbfSharing, ReloadSeesOtherWritersOnly) {
    auto writer = DbfTable::open(path, Access::ReadWrite);
    auto reader = DbfTable::open(path, Access::ReadOnly);
    EXPECT_FALSE(reader->reloadIfChanged());

    uint64_t g = writer->generation();
    appendRow(*writer, 1, 0);
    writer->flush(false);
    EXPECT_GT(writer->generation(), g);
    EXPECT_FALSE(writer->reloadIfChanged());  // our own writes are no foreign change

    g = reader->generation();
    EXPECT_EQ(reader->recordCount(), 0u);
    EXPECT_TRUE(reader->reloadIfChanged());
    EXPECT_GT(reader->generation(), g);
    EXPECT_EQ(reader->recordCount(), 1u);
    EXPECT_EQ(reader->value(reader->record(0), 3), Text(""));
    EXPECT_FALSE(reader->reloadIfChanged());

    // An in-place change of the same size (and a new memo) is seen too. Timestamps are
    // coarse, so give the clock a tick.
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    QByteArray rec(writer->record(0), writer->recordLength());
    writer->setValue(rec, 3, Text("новая памятка"));
    writer->writeRecord(0, rec);
    writer->flush(true);
    EXPECT_TRUE(reader->reloadIfChanged());
    EXPECT_EQ(reader->value(reader->record(0), 3), Text("новая памятка"));
}

TEST_F(DbfSharing, ReloadFollowsAReplacedFile) {
    auto reader = DbfTable::open(path, Access::ReadOnly);
    const QString other = dir.filePath(QStringLiteral("other.dbf"));
    DbfTable::create(other, {{"CODE", 'N', 5, 0}});
    {
        auto t = DbfTable::open(other, Access::ReadWrite);
        QByteArray rec = t->blankRecord();
        t->setValue(rec, 0, Int(77));
        t->append(rec);
        t->flush(true);
    }
    ASSERT_EQ(::rename(QFile::encodeName(other).constData(), QFile::encodeName(path).constData()),
              0);
    EXPECT_TRUE(reader->reloadIfChanged());
    ASSERT_EQ(reader->fields().size(), 1u);
    EXPECT_EQ(reader->fields()[0].name, QStringLiteral("code"));
    EXPECT_EQ(reader->value(reader->record(0), 0), Int(77));
}

// A forked child and this process each append 1,000 records, every append under the
// exclusive lock after reloadIfChanged(): all 2,000 arrive, none torn or lost.
TEST_F(DbfSharing, TwoProcessesAppendConcurrently) {
    constexpr int kEach = 1000;
    auto run = [&](int writer) {
        auto t = DbfTable::open(path, Access::ReadWrite);
        for (int i = 0; i < kEach; ++i) {
            t->lock(Lock::Exclusive, 30000);
            t->reloadIfChanged();
            appendRow(*t, writer, i);
            t->flush(i % 100 == 99);
            t->unlock();
        }
    };
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        int status = 0;
        try {
            run(2);
        } catch (...) {
            status = 1;
        }
        ::_exit(status);
    }
    std::string parentError;
    try {
        run(1);
    } catch (const dbf::DbfError& e) {
        parentError = e.message().toStdString();
    }
    int status = -1;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    EXPECT_EQ(parentError, "");
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0);

    auto t = DbfTable::open(path, Access::ReadOnly);
    ASSERT_EQ(t->recordCount(), uint32_t(2 * kEach));
    const QByteArray bytes = readFile(path);
    EXPECT_EQ(bytes.size(), qsizetype(32 + 4 * 32 + 1 + 263 + 2 * kEach * t->recordLength() + 1));
    std::map<int64_t, int> next;  // per writer, the sequence number expected next
    for (uint32_t i = 0; i < t->recordCount(); ++i) {
        const char* rec = t->record(i);
        ASSERT_FALSE(DbfTable::isDeleted(rec));
        const DbfValue w = t->value(rec, 0), seq = t->value(rec, 1);
        ASSERT_TRUE(w == Int(1) || w == Int(2)) << "record " << i;
        ASSERT_EQ(seq, Int(next[w.integer]++)) << "record " << i;
        ASSERT_EQ(t->value(rec, 2),
                  DbfValue::fromText(
                      QStringLiteral("писатель %1 / %2").arg(w.integer).arg(seq.integer).toUtf8()));
    }
    EXPECT_EQ(next[1], kEach);
    EXPECT_EQ(next[2], kEach);
}

}  // namespace
