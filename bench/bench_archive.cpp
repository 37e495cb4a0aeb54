// Writing the data archive of a large kind folder, against Info-ZIP's `zip -6 -j -q` of the
// same files in the same run: what a user waits for after "Создать архив данных".
#include "BenchUtil.h"
#include "DataArchive.h"

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

constexpr qint64 kMainBytes = 180ll << 20;
constexpr int kReferenceTables = 20;

const char* const kNames[] = {"Иванова Мария Петровна", "Петров Сергей Иванович", "Сидорова Анна Викторовна",
                              "Кузнецов Олег Андреевич", "Смирнова Елена Юрьевна", "Попов Дмитрий Олегович"};
const char* const kWords[] = {"без особенностей", "норма", "повышена", "понижена", "ровные, четкие",
                              "однородная", "мягкий, безболезненный", "ясные, ритмичные"};

// Records shaped like a record table's: a name, blank-padded texts, numbers, integers.
QByteArray RecordBytes(qint64 size) {
    QStringEncoder cp1251("windows-1251");
    QByteArray bytes;
    bytes.reserve(size);
    quint32 seed = 2024;
    const auto next = [&] { return (seed = seed * 1664525u + 1013904223u) >> 8; };
    while (bytes.size() < size) {
        QByteArray record(" ");
        record += QByteArray::number(bytes.size() / 400 + 1).rightJustified(10, ' ');
        record += QByteArray(cp1251.encode(QString::fromUtf8(kNames[next() % 6]))).leftJustified(100, ' ');
        for (int field = 0; field < 6; ++field)
            record += QByteArray(cp1251.encode(QString::fromUtf8(kWords[next() % 8]))).leftJustified(40, ' ');
        record += QByteArray::number(36 + (next() % 30) / 10.0, 'f', 1).rightJustified(8, ' ');
        record += QByteArray::number(next() % 200).rightJustified(8, ' ');
        bytes += record.leftJustified(400, ' ');
    }
    bytes.truncate(size);
    return bytes;
}

void Write(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size()) {
        std::fprintf(stderr, "bench_archive: cannot write %s\n", qPrintable(path));
        std::exit(1);
    }
}

double Seconds(const std::function<void()>& run) { return WallNanos(run) / 1e9; }

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    QTemporaryDir dir;
    const QString kind = dir.filePath(QStringLiteral("kind"));
    QDir().mkpath(kind);
    Write(kind + QStringLiteral("/main.dbf"), RecordBytes(kMainBytes));
    Write(kind + QStringLiteral("/dbdescription.dbf"), RecordBytes(64 << 10));
    for (int i = 0; i < kReferenceTables; ++i)
        Write(kind + QStringLiteral("/ref%1.dbf").arg(i), RecordBytes((1 << 20) / 2 * (i % 4 + 1)));
    const QStringList files = DataArchiveFiles(kind);
    qint64 total = 0;
    for (const QString& f : files) total += QFileInfo(f).size();
    std::printf("data archive of %lld MB in %lld files against zip -6 -j -q, same run\n",
                static_cast<long long>(total >> 20), static_cast<long long>(files.size()));

    const QString ours = dir.filePath(QStringLiteral("ours.zip"));
    const QString theirs = dir.filePath(QStringLiteral("zip.zip"));
    std::vector<double> oursTimes;
    std::vector<double> zipTimes;
    for (int round = 0; round < 4; ++round) {  // round 0 warms the page cache and is dropped
        QFile::remove(ours);
        QFile::remove(theirs);  // zip would update an existing archive
        const double o = Seconds([&] {
            const ArchiveOutcome outcome = WriteDataArchive(kind, {QStringLiteral("Общий осмотр"), 101}, ours);
            if (!outcome.ok) {
                std::fprintf(stderr, "bench_archive: %s\n", qPrintable(outcome.error));
                std::exit(1);
            }
        });
        const double z = Seconds([&] {
            QProcess zip;
            zip.start(QStringLiteral("zip"), QStringList{QStringLiteral("-6"), QStringLiteral("-j"), QStringLiteral("-q"), theirs} + files);
            if (!zip.waitForFinished(-1) || zip.exitCode() != 0) {
                std::fprintf(stderr, "bench_archive: zip failed\n");
                std::exit(1);
            }
        });
        if (round == 0) continue;
        oursTimes.push_back(o);
        zipTimes.push_back(z);
    }
    std::sort(oursTimes.begin(), oursTimes.end());
    std::sort(zipTimes.begin(), zipTimes.end());
    const double o = oursTimes[oursTimes.size() / 2];
    const double z = zipTimes[zipTimes.size() / 2];
    std::printf("archive sizes: ours %lld bytes, zip %lld bytes\n", static_cast<long long>(QFileInfo(ours).size()),
                static_cast<long long>(QFileInfo(theirs).size()));
    PrintRatio("WriteDataArchive against zip -6 -j -q (median of 3)", o * 1e9, z * 1e9, 1.2);
    return 0;
}
