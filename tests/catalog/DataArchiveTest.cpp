#include "DataArchive.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>
#include <zip.h>

#include <csignal>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include "CatalogTestFiles.h"

namespace {

using testfiles::ReadFile;
using testfiles::WriteFile;

// Text that compresses like a real table (about 3:1), so compression levels differ in size.
QByteArray TableLikeBytes(int size) {
    static const char* const words[] = {"Иванов ", "Петрова ", "норма ", "отклонение ", "12,5 ", "печень ",
                                        "без особенностей ", "37 ", "эхогенность ", "контур ровный "};
    QByteArray bytes;
    quint32 seed = 12345;
    while (bytes.size() < size) {
        seed = seed * 1103515245u + 12345u;
        bytes += testfiles::Cp1251(words[(seed >> 16) % 10]);
        if ((seed >> 8) % 7 == 0) bytes += QByteArray::number(seed % 100000);
    }
    bytes.truncate(size);
    return bytes;
}

struct ZipEntryRead {
    QString name;
    int method = -1;
    quint64 compressedSize = 0;
    quint16 flags = 0;
    QByteArray data;
};

// Reads an archive back with libzip, entry by entry in stored order.
std::vector<ZipEntryRead> ReadArchive(const QString& path) {
    std::vector<ZipEntryRead> entries;
    int error = 0;
    zip_t* archive = zip_open(QFile::encodeName(path).constData(), ZIP_RDONLY | ZIP_CHECKCONS, &error);
    if (!archive) return entries;
    for (zip_int64_t i = 0; i < zip_get_num_entries(archive, 0); ++i) {
        zip_stat_t stat;
        zip_stat_index(archive, zip_uint64_t(i), 0, &stat);
        ZipEntryRead entry;
        entry.name = QString::fromUtf8(stat.name);
        entry.method = stat.comp_method;
        entry.compressedSize = stat.comp_size;
        entry.data.resize(qsizetype(stat.size));
        zip_file_t* file = zip_fopen_index(archive, zip_uint64_t(i), 0);
        if (file) {
            zip_fread(file, entry.data.data(), stat.size);
            zip_fclose(file);
        }
        entries.push_back(entry);
    }
    zip_discard(archive);
    return entries;
}

class DataArchiveTest : public ::testing::Test {
protected:
    void SetUp() override {
        kind_ = dir_.filePath(QStringLiteral("db/0A1B2C3D"));
        out_ = dir_.filePath(QStringLiteral("backup"));
        QDir().mkpath(out_);
        files_ = {{QStringLiteral("dbdescription.dbf"), TableLikeBytes(20000)},
                  {QStringLiteral("empty.dbf"), QByteArray()},
                  {QStringLiteral("main.dbf"), TableLikeBytes(300000)},
                  {QStringLiteral("sex.dbf"), testfiles::Cp1251("1 мужской 2 женский")}};
        for (auto it = files_.cbegin(); it != files_.cend(); ++it) WriteFile(kind_ + u'/' + it.key(), it.value());
        ::chmod(QFile::encodeName(kind_ + QStringLiteral("/sex.dbf")).constData(), 0444);  // read-only: taken
        // What stays out: hidden files, the folder's own manifest, sub-folders, links, pipes.
        WriteFile(kind_ + QStringLiteral("/.lock"), "hidden");
        WriteFile(kind_ + QStringLiteral("/protocol.desc"), "name=stale\r\n");
        WriteFile(kind_ + QStringLiteral("/old/main.dbf"), "old");
        QFile::link(kind_ + QStringLiteral("/main.dbf"), kind_ + QStringLiteral("/link.dbf"));
        ::mkfifo(QFile::encodeName(kind_ + QStringLiteral("/pipe")).constData(), 0644);
    }

    QStringList ExpectedNames() const { return QStringList{QStringLiteral("protocol.desc")} + files_.keys(); }

    QTemporaryDir dir_;
    QString kind_;
    QString out_;
    QMap<QString, QByteArray> files_;
    const protocolDescription kindName_{QStringLiteral("Общий анализ"), 1205};
};

TEST_F(DataArchiveTest, HoldsThePlainFilesUnderBareNamesAndTheManifestDeflatedAtLevel6) {
    const auto before = testfiles::Snapshot(kind_);
    const QString target = out_ + QStringLiteral("/archive.zip");
    const ArchiveOutcome outcome = WriteDataArchive(kind_, kindName_, target);
    ASSERT_TRUE(outcome.ok) << outcome.error.toStdString();
    EXPECT_EQ(outcome.files, 4);

    const auto entries = ReadArchive(target);
    QStringList names;
    for (const auto& e : entries) names << e.name;
    EXPECT_EQ(names, ExpectedNames());
    for (const auto& e : entries) {
        const QByteArray expected = e.name == u"protocol.desc" ? testfiles::Cp1251("name=Общий анализ\r\nsignature=1205\r\n")
                                                                : files_.value(e.name);
        EXPECT_EQ(e.data, expected) << e.name.toStdString();
        EXPECT_EQ(e.method, ZIP_CM_DEFLATE) << e.name.toStdString();
        // libzip deflates with zlib at memory level 9: the same level gives the same stream.
        if (!expected.isEmpty()) {
            EXPECT_EQ(e.compressedSize, quint64(testfiles::Deflate(expected, 6, 9).size())) << e.name.toStdString();
        }
    }
    const QByteArray main = files_.value(QStringLiteral("main.dbf"));
    ASSERT_NE(testfiles::Deflate(main, 1, 9).size(), testfiles::Deflate(main, 6, 9).size());  // the check can tell
    ASSERT_NE(testfiles::Deflate(main, 9, 9).size(), testfiles::Deflate(main, 6, 9).size());

    EXPECT_EQ(testfiles::Snapshot(kind_), before);  // the kind folder was only read
}

TEST_F(DataArchiveTest, PythonZipfileReadsTheSameArchive) {
    const QString target = out_ + QStringLiteral("/archive.zip");
    ASSERT_TRUE(WriteDataArchive(kind_, kindName_, target).ok);
    static const char* const script = R"(
import sys, zipfile, zlib
path, kind, names = sys.argv[1], sys.argv[2], sys.argv[3:]
with zipfile.ZipFile(path) as z:
    assert z.testzip() is None, "bad CRC"
    infos = z.infolist()
    assert [i.filename for i in infos] == names, [i.filename for i in infos]
    for i in infos:
        assert i.compress_type == zipfile.ZIP_DEFLATED, i.filename
        assert i.flag_bits & 0x6 == 0, "not the normal deflate option"
        data = z.read(i)
        if i.filename == "protocol.desc":
            assert data == "name=Общий анализ\r\nsignature=1205\r\n".encode("cp1251"), data
        else:
            assert data == open(kind + "/" + i.filename, "rb").read(), i.filename
        c = zlib.compressobj(6, zlib.DEFLATED, -15, 9)
        if data:
            assert i.compress_size == len(c.compress(data) + c.flush()), i.filename
print("ok")
)";
    QProcess python;
    python.start(QStringLiteral("/usr/bin/python3"),
                 QStringList{QStringLiteral("-c"), QString::fromUtf8(script), target, kind_} + ExpectedNames());
    ASSERT_TRUE(python.waitForFinished(60000));
    EXPECT_EQ(python.exitCode(), 0) << python.readAllStandardError().toStdString();
    EXPECT_EQ(python.readAllStandardOutput().trimmed(), QByteArray("ok"));
}

TEST_F(DataArchiveTest, ReplacesAnOldArchiveEntirely) {
    const QString target = out_ + QStringLiteral("/archive.zip");
    WriteFile(target, testfiles::Zip({{"stale.dbf", "old"}, {"main.dbf", "old main"}}));
    ASSERT_TRUE(WriteDataArchive(kind_, kindName_, target).ok);
    QStringList names;
    for (const auto& e : ReadArchive(target)) names << e.name;
    EXPECT_EQ(names, ExpectedNames());
}

TEST_F(DataArchiveTest, FailureLeavesTheOldArchiveAndNoTemporaryFile) {
    const QString target = out_ + QStringLiteral("/archive.zip");
    const QByteArray old = testfiles::Zip({{"stale.dbf", "old"}});
    struct Case {
        const char* what;
        std::function<ArchiveOutcome()> write;
    };
    const Case cases[] = {
        {"a file disappears while the archive is written",
         [&] {
             bool removed = false;
             return WriteDataArchive(kind_, kindName_, target, [&](const ArchiveProgress&) {
                 if (!removed) removed = QFile::remove(kind_ + QStringLiteral("/main.dbf"));
             });
         }},
        {"the disk refuses more bytes",
         [&] {
             // A file size limit works for root too, unlike permissions; half of what the
             // archive needs makes it fail in the middle.
             const QString probe = dir_.filePath(QStringLiteral("probe.zip"));
             if (!WriteDataArchive(kind_, kindName_, probe).ok) return ArchiveOutcome{};
             const qint64 needed = QFileInfo(probe).size();
             rlimit saved{};
             ::getrlimit(RLIMIT_FSIZE, &saved);
             auto previous = std::signal(SIGXFSZ, SIG_IGN);
             rlimit small = saved;
             small.rlim_cur = rlim_t(needed / 2);
             ::setrlimit(RLIMIT_FSIZE, &small);
             ArchiveOutcome outcome = WriteDataArchive(kind_, kindName_, target);
             ::setrlimit(RLIMIT_FSIZE, &saved);
             std::signal(SIGXFSZ, previous);
             return outcome;
         }},
    };
    for (const Case& c : cases) {
        WriteFile(target, old);
        const ArchiveOutcome outcome = c.write();
        EXPECT_FALSE(outcome.ok) << c.what;
        EXPECT_FALSE(outcome.error.isEmpty()) << c.what;
        EXPECT_EQ(ReadFile(target), old) << c.what;
        EXPECT_EQ(QDir(out_).entryList(QDir::Files | QDir::Hidden), QStringList{QStringLiteral("archive.zip")}) << c.what;
    }
}

TEST_F(DataArchiveTest, UnwritableTargetFolderFailsCleanly) {
    QString target = QStringLiteral("/proc/velmora-archive.zip");  // nobody writes here, not even root
    if (::geteuid() != 0) {
        const QString locked = dir_.filePath(QStringLiteral("locked"));
        QDir().mkpath(locked);
        target = locked + QStringLiteral("/archive.zip");
        WriteFile(target, "old archive");
        ::chmod(QFile::encodeName(locked).constData(), 0555);
    }
    const ArchiveOutcome outcome = WriteDataArchive(kind_, kindName_, target);
    EXPECT_FALSE(outcome.ok);
    EXPECT_FALSE(outcome.error.isEmpty());
    if (::geteuid() != 0) {
        EXPECT_EQ(ReadFile(target), QByteArray("old archive"));
        ::chmod(QFile::encodeName(QFileInfo(target).path()).constData(), 0755);
    }
}

TEST_F(DataArchiveTest, ProgressCountsUpToEveryFileAndByte) {
    std::vector<ArchiveProgress> reports;
    const ArchiveOutcome outcome = WriteDataArchive(kind_, kindName_, out_ + QStringLiteral("/archive.zip"),
                                                    [&](const ArchiveProgress& p) { reports.push_back(p); });
    ASSERT_TRUE(outcome.ok);
    ASSERT_FALSE(reports.empty());
    qint64 total = 0;
    for (const QByteArray& bytes : files_) total += bytes.size();
    for (size_t i = 1; i < reports.size(); ++i) {
        EXPECT_GE(reports[i].bytesDone, reports[i - 1].bytesDone);
        EXPECT_GE(reports[i].filesDone, reports[i - 1].filesDone);
    }
    EXPECT_EQ(reports.back().filesDone, 4);
    EXPECT_EQ(reports.back().filesTotal, 4);
    EXPECT_EQ(reports.back().bytesDone, total);
    EXPECT_EQ(reports.back().bytesTotal, total);
}

TEST_F(DataArchiveTest, RefusesWhatItCannotWriteFaithfully) {
    const QString target = out_ + QStringLiteral("/archive.zip");
    EXPECT_FALSE(WriteDataArchive(kind_, {QStringLiteral("Осмотр ✓"), 1}, target).ok);
    EXPECT_FALSE(WriteDataArchive(dir_.filePath(QStringLiteral("db/missing")), kindName_, target).ok);
    EXPECT_FALSE(QFile::exists(target));
}

TEST_F(DataArchiveTest, TargetInsideTheKindFolderIsNotArchivedIntoItself) {
    const QString target = kind_ + QStringLiteral("/archive.zip");
    WriteFile(target, testfiles::Zip({{"stale.dbf", "old"}}));
    ASSERT_TRUE(WriteDataArchive(kind_, kindName_, target).ok);
    QStringList names;
    for (const auto& e : ReadArchive(target)) names << e.name;
    EXPECT_EQ(names, ExpectedNames());
}

}  // namespace
