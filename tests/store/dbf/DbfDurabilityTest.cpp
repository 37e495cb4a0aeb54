// The order of writes and syncs that lets an append survive a power loss, observed with
// strace on a run of this test binary.

#include "DbfTestUtil.h"

#include <QProcess>
#include <QProcessEnvironment>
#include <QRegularExpression>

#include <cstdlib>
#include <map>
#include <vector>

namespace {

using namespace dbftest;
using dbf::DbfTable;

const char* kTableVariable = "VELMORA_DBF_TRACED_TABLE";

// Run by the test below under strace, never on its own.
TEST(DbfDurability, DISABLED_AppendWithMemoAndFlush) {
    const char* path = std::getenv(kTableVariable);
    if (!path) GTEST_SKIP();
    auto t = DbfTable::open(QString::fromLocal8Bit(path), DbfTable::Access::ReadWrite);
    QByteArray rec = t->blankRecord();
    t->setValue(rec, 0, Int(5));
    t->setValue(rec, 1, Text("памятка, которая должна дожить"));
    t->append(rec);
    t->flush(true);
}

struct Call {
    enum Kind { Write, Sync } kind;
    QString file;  // "dbf" or "fpt"
    qint64 size = 0, offset = 0;
};

TEST(DbfDurability, RecordsAndMemosReachTheDiskBeforeTheCount) {
    if (!QFile::exists(QStringLiteral("/usr/bin/strace"))) GTEST_SKIP() << "no strace";
    QTemporaryDir dir;
    const QString table = dir.filePath(QStringLiteral("t.dbf"));
    DbfTable::create(table, {{"ID", 'I', 0, 0}, {"NOTES", 'M', 0, 0}});
    const QString trace = dir.filePath(QStringLiteral("trace.txt"));

    QProcess p;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QString::fromLatin1(kTableVariable), table);
    env.insert(QStringLiteral("ASAN_OPTIONS"),
               QStringLiteral("detect_leaks=0"));  // no LSan under ptrace
    p.setProcessEnvironment(env);
    p.start(
        QStringLiteral("/usr/bin/strace"),
        {QStringLiteral("-f"), QStringLiteral("-qq"), QStringLiteral("-s0"), QStringLiteral("-o"),
         trace, QStringLiteral("-e"), QStringLiteral("trace=openat,pwrite64,fdatasync"),
         QFileInfo(QStringLiteral("/proc/self/exe")).symLinkTarget(),
         QStringLiteral("--gtest_also_run_disabled_tests"),
         QStringLiteral("--gtest_filter=DbfDurability.DISABLED_AppendWithMemoAndFlush")});
    ASSERT_TRUE(p.waitForFinished(60000));
    const QByteArray log = readFile(trace);
    if (p.exitCode() != 0 && log.isEmpty()) GTEST_SKIP() << "strace cannot trace here";
    ASSERT_EQ(p.exitCode(), 0) << p.readAllStandardOutput().toStdString();

    // Follow the descriptors of t.dbf and t.fpt through the trace.
    const QRegularExpression openRe(QStringLiteral(R"re(openat\(.*"([^"]+)".*\) = (\d+)$)re"));
    const QRegularExpression writeRe(
        QStringLiteral(R"re(pwrite64\((\d+),.*, (\d+), (\d+)\) += \d+$)re"));
    const QRegularExpression syncRe(QStringLiteral(R"re(fdatasync\((\d+)\) += 0$)re"));
    std::map<int, QString> files;
    std::vector<Call> calls;
    for (const QByteArray& raw : log.split('\n')) {
        const QString line = QString::fromUtf8(raw);
        if (auto m = openRe.match(line); m.hasMatch()) {
            const QString name = QFileInfo(m.captured(1)).fileName();
            files[m.captured(2).toInt()] = name == u"t.dbf"   ? QStringLiteral("dbf")
                                           : name == u"t.fpt" ? QStringLiteral("fpt")
                                                              : QString();
        } else if (auto w = writeRe.match(line); w.hasMatch()) {
            const QString f = files[w.captured(1).toInt()];
            if (!f.isEmpty())
                calls.push_back(
                    {Call::Write, f, w.captured(2).toLongLong(), w.captured(3).toLongLong()});
        } else if (auto s = syncRe.match(line); s.hasMatch()) {
            const QString f = files[s.captured(1).toInt()];
            if (!f.isEmpty()) calls.push_back({Call::Sync, f});
        }
    }
    auto find = [&](auto pred, size_t from = 0) {
        for (size_t i = from; i < calls.size(); ++i)
            if (pred(calls[i])) return i;
        return calls.size();
    };
    const qint64 headerLength = 32 + 2 * 32 + 1 + 263;
    const size_t memoData = find(
        [](const Call& c) { return c.kind == Call::Write && c.file == u"fpt" && c.offset >= 512; });
    const size_t memoNext = find(
        [](const Call& c) { return c.kind == Call::Write && c.file == u"fpt" && c.offset == 0; });
    const size_t record = find([&](const Call& c) {
        return c.kind == Call::Write && c.file == u"dbf" && c.offset == headerLength &&
               c.size == 10;
    });
    const size_t memoSync =
        find([](const Call& c) { return c.kind == Call::Sync && c.file == u"fpt"; });
    const size_t recordSync =
        find([](const Call& c) { return c.kind == Call::Sync && c.file == u"dbf"; });
    const size_t count = find(
        [](const Call& c) { return c.kind == Call::Write && c.file == u"dbf" && c.offset == 1; });
    const size_t lastSync =
        find([](const Call& c) { return c.kind == Call::Sync && c.file == u"dbf"; }, count);

    ASSERT_LT(lastSync, calls.size()) << "expected calls are missing from the trace";
    EXPECT_LT(memoData, memoNext) << "memo data before the next-free pointer";
    EXPECT_LT(memoNext, record) << "the record (holding the pointer) after the memo is complete";
    EXPECT_LT(record, memoSync);
    EXPECT_LT(memoSync, recordSync) << "memo file synced first";
    EXPECT_LT(recordSync, count) << "records on disk before the header count";
    EXPECT_LT(count, lastSync) << "the header count synced before flush returns";
}

}  // namespace
