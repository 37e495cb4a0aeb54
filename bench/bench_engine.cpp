// The engine as users wait for it: DBF tables through SQL against native SQLite tables that
// hold the same rows (with an index on code), measured in the same run.
#include "BenchUtil.h"
#include "FolderSession.h"
#include "TFolderDB.h"

#include <QCoreApplication>
#include <QTemporaryDir>
#include <sqlite3.h>

#include <cstdio>
#include <random>

namespace {

const char* kSurnames[] = {"Иванова", "Петрова", "Сидорова", "Кузнецова", "Смирнова",
                           "Попова", "Васильева", "Новикова", "Морозова", "Волкова"};

QString RowValues(int code) {
    return QStringLiteral("(%1, '%2 %3', %4.5, %5, '2020-01-02')")
        .arg(code)
        .arg(QString::fromUtf8(kSurnames[code % 10]))
        .arg(code)
        .arg(code % 90 + 10)
        .arg(code % 7);
}

const char* kCreate = "create table main (code integer, fio char(100), ves double, pulse integer, d date)";

void NativeExec(sqlite3* db, const QString& sql) {
    char* err = nullptr;
    if (sqlite3_exec(db, sql.toUtf8().constData(), nullptr, nullptr, &err) != SQLITE_OK) {
        std::fprintf(stderr, "native: %s\n", err);
        std::exit(1);
    }
}

// The native reference returns its rows the way ours do, as QVariants.
QueryResult NativeQuery(sqlite3* db, const QString& sql) {
    QueryResult r;
    sqlite3_stmt* stmt = nullptr;
    sqlite3_prepare_v2(db, sql.toUtf8().constData(), -1, &stmt, nullptr);
    const int n = sqlite3_column_count(stmt);
    while (sqlite3_step(stmt) == SQLITE_ROW) {
        std::vector<QVariant> row;
        for (int i = 0; i < n; ++i) {
            switch (sqlite3_column_type(stmt, i)) {
                case SQLITE_INTEGER: row.emplace_back(static_cast<qlonglong>(sqlite3_column_int64(stmt, i))); break;
                case SQLITE_FLOAT: row.emplace_back(sqlite3_column_double(stmt, i)); break;
                case SQLITE_TEXT:
                    row.emplace_back(QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(stmt, i)),
                                                       sqlite3_column_bytes(stmt, i)));
                    break;
                default: row.emplace_back();
            }
        }
        r.rows.push_back(std::move(row));
    }
    sqlite3_finalize(stmt);
    return r;
}

struct Pair {
    QTemporaryDir dir;
    QString folder;
    sqlite3* native = nullptr;
    int rows = 0;

    explicit Pair(int n) : rows(n) {
        folder = dir.path() + "/dbf";
        QDir().mkpath(folder);
        sqlite3_open((dir.path() + "/native.db").toUtf8().constData(), &native);
        NativeExec(native, "pragma synchronous=FULL");
        NativeExec(native, QString::fromLatin1(kCreate));
        NativeExec(native, "create index code on main (code)");
        NativeExec(native, "begin");
        TFolderDB(folder).Execute(QString::fromLatin1(kCreate));
        {
            TBatch batch(folder);
            TFolderDB db(folder);
            for (int code = 1; code <= n; ++code) {
                const QString sql = "insert into main values " + RowValues(code);
                db.Execute(sql);
                NativeExec(native, sql);
            }
            batch.Commit();
        }
        NativeExec(native, "commit");
        TFolderDB(folder).Execute("create index code on main (code)");
    }
    ~Pair() { sqlite3_close(native); }
};

void PointSelect(Pair& p, double& ours, double& ref) {
    std::mt19937 rng(7);
    std::uniform_int_distribution<int> pick(1, p.rows);
    auto session = FolderSession::For(p.folder);
    session->Query("select * from main where code=1");  // builds the index once
    ours = MedianNanos(9, 300, [&](int) {
        session->Query(QStringLiteral("select * from main where code=%1").arg(pick(rng)));
    });
    ref = MedianNanos(9, 300, [&](int) {
        NativeQuery(p.native, QStringLiteral("select * from main where code=%1").arg(pick(rng)));
    });
}

void DurableUpdate(Pair& p, double& ours, double& ref) {
    std::mt19937 rng(11);
    std::uniform_int_distribution<int> pick(1, p.rows);
    TFolderDB db(p.folder);
    ours = MedianNanos(5, 20, [&](int i) {
        db.Execute(QStringLiteral("update main set ves=%1.25 where code=%2").arg(i).arg(pick(rng)));
    });
    ref = MedianNanos(5, 20, [&](int i) {
        NativeExec(p.native, QStringLiteral("update main set ves=%1.25 where code=%2").arg(i).arg(pick(rng)));
    });
}

void LikeSearch(Pair& p, double& ours, double& ref) {
    const QString sql = "select code, fio from main where fio like '%ива%' order by code desc";
    auto session = FolderSession::For(p.folder);
    const int calls = p.rows >= 100000 ? 1 : p.rows >= 10000 ? 5 : 30;
    ours = MedianNanos(5, calls, [&](int) { session->Query(sql); });
    ref = MedianNanos(5, calls, [&](int) { NativeQuery(p.native, sql); });
}

void BatchInsert(double& ours, double& ref) {
    constexpr int kRows = 10000;
    std::vector<double> o, r;
    for (int round = 0; round < 3; ++round) {
        QTemporaryDir dir;
        const QString folder = dir.path() + "/dbf";
        QDir().mkpath(folder);
        TFolderDB(folder).Execute(QString::fromLatin1(kCreate));
        sqlite3* native = nullptr;
        sqlite3_open((dir.path() + "/native.db").toUtf8().constData(), &native);
        NativeExec(native, "pragma synchronous=FULL");
        NativeExec(native, QString::fromLatin1(kCreate));
        QStringList statements;
        for (int code = 1; code <= kRows; ++code) statements << "insert into main values " + RowValues(code);
        o.push_back(MedianNanos(1, 1, [&](int) {
            TBatch batch(folder);
            TFolderDB db(folder);
            for (const QString& s : statements) db.Execute(s);
            batch.Commit();
        }));
        r.push_back(MedianNanos(1, 1, [&](int) {
            NativeExec(native, "begin");
            for (const QString& s : statements) NativeExec(native, s);
            NativeExec(native, "commit");
        }));
        sqlite3_close(native);
    }
    std::sort(o.begin(), o.end());
    std::sort(r.begin(), r.end());
    ours = o[1];
    ref = r[1];
}

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    std::printf("DBF engine against native SQLite, same rows, same run\n");
    double pointSmall = 0, pointLarge = 0;
    for (int n : {1000, 10000, 100000}) {
        Pair p(n);
        double ours = 0, ref = 0;
        std::printf("-- %d rows\n", n);
        PointSelect(p, ours, ref);
        PrintRatio("select * from main where code=N", ours, ref, 2.0);
        if (n == 1000) pointSmall = ours;
        if (n == 100000) pointLarge = ours;
        DurableUpdate(p, ours, ref);
        PrintRatio("update main set ves=v where code=N (durable)", ours, ref, 1.0);
        LikeSearch(p, ours, ref);
        PrintRatio("like '%ива%' order by code desc", ours, ref, 2.0);
    }
    std::printf("-- flatness\n");
    PrintRatio("point select, 100,000 rows against 1,000 rows", pointLarge, pointSmall, 1.5);
    double ours = 0, ref = 0;
    BatchInsert(ours, ref);
    std::printf("-- batch\n");
    PrintRatio("10,000 inserts in one batch", ours, ref, 3.0);
    return 0;
}
