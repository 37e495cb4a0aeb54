#include "DbfTable.h"
#include "FolderSession.h"
#include "TFolderDB.h"

#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QRandomGenerator>
#include <QSet>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <csignal>
#include <cstring>

namespace {

QSet<long> Codes(const QString& folder) {
    QSet<long> codes;
    for (const auto& row : FolderSession::For(folder)->Query("select code from t").rows)
        codes.insert(row.at(0).toLongLong());
    return codes;
}

struct HeaderFacts {
    uint32_t count = 0;
    uint16_t headerLength = 0;
};

HeaderFacts ReadHeader(const QString& path) {
    HeaderFacts h;
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) return h;
    const QByteArray head = f.read(12);
    if (head.size() < 12) return h;
    std::memcpy(&h.count, head.constData() + 4, 4);
    std::memcpy(&h.headerLength, head.constData() + 8, 2);
    return h;
}

QProcess* StartWriter(const QString& folder, long first, long count) {
    auto* p = new QProcess;
    p->setProgram(QStringLiteral(APPEND_ROWS));
    p->setArguments({folder, "t", QString::number(first), QString::number(count)});
    p->setProcessChannelMode(QProcess::ForwardedErrorChannel);
    p->start();
    return p;
}

class Writers : public ::testing::Test {
protected:
    QTemporaryDir dir;
    void SetUp() override {
        TFolderDB(dir.path()).Execute("create table t (code integer, fio char(40))");
    }
};

TEST_F(Writers, TwoProcessesAppendingLoseNothing) {
    std::unique_ptr<QProcess> a(StartWriter(dir.path(), 0, 1000));
    std::unique_ptr<QProcess> b(StartWriter(dir.path(), 100000, 1000));
    ASSERT_TRUE(a->waitForFinished(600000));
    ASSERT_TRUE(b->waitForFinished(600000));
    EXPECT_EQ(a->exitCode(), 0);
    EXPECT_EQ(b->exitCode(), 0);
    const QSet<long> codes = Codes(dir.path());
    EXPECT_EQ(codes.size(), 2000);
    for (long i = 0; i < 1000; ++i) {
        ASSERT_TRUE(codes.contains(i)) << i;
        ASSERT_TRUE(codes.contains(100000 + i)) << i;
    }
    auto table = dbf::DbfTable::open(dir.path() + "/t.dbf", dbf::DbfTable::Access::ReadOnly);
    EXPECT_EQ(table->recordCount(), 2000u);
    EXPECT_EQ(ReadHeader(dir.path() + "/t.dbf").count, 2000u);
}

// A writer killed anywhere leaves a table that opens, whose header count covers exactly its
// whole records (at most one unannounced record after them), and that holds every row whose
// statement had returned.
TEST_F(Writers, AKilledWriterLosesNoReturnedRow) {
    QSet<long> returned;
    long next = 0;
    for (int round = 0; round < 8; ++round) {
        std::unique_ptr<QProcess> w(StartWriter(dir.path(), next, 1000000));
        ASSERT_TRUE(w->waitForStarted(10000));
        const int wanted = QRandomGenerator::global()->bounded(5, 60);
        int seen = 0;
        while (seen < wanted && w->state() == QProcess::Running) {
            if (!w->canReadLine() && !w->waitForReadyRead(10000)) break;
            while (w->canReadLine()) {
                const QByteArray line = w->readLine().trimmed();
                if (line.startsWith("ok ")) {
                    returned.insert(line.mid(3).toLong());
                    ++seen;
                }
            }
        }
        ::kill(static_cast<pid_t>(w->processId()), SIGKILL);
        w->waitForFinished(10000);
        // Lines written before the kill still count: their statements had returned.
        for (const QByteArray& line : w->readAllStandardOutput().split('\n'))
            if (line.startsWith("ok ")) returned.insert(line.mid(3).toLong());
        next += 1000000;

        const QString path = dir.path() + "/t.dbf";
        std::unique_ptr<dbf::DbfTable> table;
        ASSERT_NO_THROW(table = dbf::DbfTable::open(path, dbf::DbfTable::Access::ReadOnly));
        const HeaderFacts header = ReadHeader(path);
        const qint64 size = QFileInfo(path).size();
        const auto whole = static_cast<uint32_t>((size - header.headerLength) / table->recordLength());
        EXPECT_EQ(table->recordCount(), header.count);
        EXPECT_LE(header.count, whole);
        EXPECT_LE(whole - header.count, 1u);
        const QSet<long> codes = Codes(dir.path());
        for (long code : returned) ASSERT_TRUE(codes.contains(code)) << "round " << round << " lost " << code;
    }
}

}  // namespace
