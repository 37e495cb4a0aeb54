// Installing a script package of 10,000 INSERT statements, against the same statements run by
// the sqlite3 program inside one transaction on a native table, in the same run.
#include "BenchUtil.h"
#include "Install.h"
#include "Kinds.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QStringEncoder>
#include <QTemporaryDir>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <vector>

namespace {

constexpr int kStatements = 10000;
const char* const kCreate = "create table visits (code integer, fio char(100), ves double, pulse integer)";

QStringList Inserts() {
    static const char* const names[] = {"Иванова", "Петров", "Сидорова", "Кузнецов", "Смирнова"};
    QStringList statements;
    for (int i = 1; i <= kStatements; ++i) {
        statements << QStringLiteral("insert into visits (code, fio, ves, pulse) values (%1, '%2 %1', %3.5, %4)")
                          .arg(i)
                          .arg(QString::fromUtf8(names[i % 5]))
                          .arg(40 + i % 60)
                          .arg(50 + i % 70);
    }
    return statements;
}

void Write(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly)) std::exit(1);
    file.write(bytes);
}

double Seconds(const std::function<void()>& run) { return WallNanos(run) / 1e9; }

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    QTemporaryDir dir;
    const QStringList inserts = Inserts();
    const QString package = dir.filePath(QStringLiteral("visits.prt"));
    const QString script = QStringLiteral("#name=Посещения\r\n#signature=7\r\n") + QString::fromLatin1(kCreate) +
                           QStringLiteral("\r\n") + inserts.join(QStringLiteral("\r\n")) + QStringLiteral("\r\n");
    // A plain script: zlib reads it through the same calls as a compressed one.
    Write(package, QStringEncoder("windows-1251").encode(script));
    const QString reference = dir.filePath(QStringLiteral("reference.sql"));
    Write(reference, (QStringLiteral("begin;\n") + QString::fromLatin1(kCreate) + QStringLiteral(";\n") +
                      inserts.join(QStringLiteral(";\n")) + QStringLiteral(";\ncommit;\n")).toUtf8());
    std::printf("script package of %d inserts against sqlite3 in one transaction, same run\n", kStatements);

    std::vector<double> oursTimes;
    std::vector<double> refTimes;
    for (int round = 0; round < 4; ++round) {  // round 0 warms up and is dropped
        const QString root = dir.filePath(QStringLiteral("root%1/").arg(round));
        EnsureCatalogue(root);
        const double o = Seconds([&] {
            const InstallOutcome outcome = InstallPackage(root, package);
            if (!outcome.ok()) {
                std::fprintf(stderr, "bench_install: %s %s\n", qPrintable(outcome.message), qPrintable(outcome.detail));
                std::exit(1);
            }
        });
        const QString db = dir.filePath(QStringLiteral("native%1.sqlite").arg(round));
        const double r = Seconds([&] {
            QProcess sqlite;
            sqlite.setStandardInputFile(reference);
            sqlite.start(QStringLiteral("sqlite3"), QStringList{db});
            if (!sqlite.waitForFinished(-1) || sqlite.exitCode() != 0) {
                std::fprintf(stderr, "bench_install: sqlite3 failed: %s\n", sqlite.readAllStandardError().constData());
                std::exit(1);
            }
        });
        if (round == 0) continue;
        oursTimes.push_back(o);
        refTimes.push_back(r);
    }
    std::sort(oursTimes.begin(), oursTimes.end());
    std::sort(refTimes.begin(), refTimes.end());
    PrintRatio("InstallPackage against sqlite3 (median of 3)", oursTimes[1] * 1e9, refTimes[1] * 1e9, 3.0);
    return 0;
}
