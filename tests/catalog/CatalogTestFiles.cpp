#include "CatalogTestFiles.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QStringEncoder>
#include <QTemporaryFile>

#include <gtest/gtest.h>
#include <zip.h>
#include <zlib.h>

namespace testfiles {

void WriteFile(const QString& path, const QByteArray& bytes) {
    QDir().mkpath(QFileInfo(path).path());
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate)) << path.toStdString();
    ASSERT_EQ(file.write(bytes), bytes.size());
}

QByteArray ReadFile(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) return {};
    return file.readAll();
}

QByteArray Cp1251(const char* utf8) {
    QStringEncoder encoder("windows-1251");
    return encoder.encode(QString::fromUtf8(utf8));
}

QByteArray Gzip(const QByteArray& bytes) {
    QTemporaryFile file;
    if (!file.open()) return {};
    const QString path = file.fileName();
    file.close();
    gzFile out = gzopen(QFile::encodeName(path).constData(), "wb");
    gzwrite(out, bytes.constData(), static_cast<unsigned>(bytes.size()));
    gzclose(out);
    return ReadFile(path);
}

QByteArray Zip(const ZipEntries& entries) {
    QTemporaryFile file;
    if (!file.open()) return {};
    const QString path = file.fileName();
    file.close();
    int error = 0;
    zip_t* archive = zip_open(QFile::encodeName(path).constData(), ZIP_TRUNCATE, &error);
    if (!archive) return {};
    for (const auto& [name, data] : entries) {
        if (name.endsWith('/')) {
            zip_dir_add(archive, name.constData(), ZIP_FL_ENC_RAW);
            continue;
        }
        zip_source_t* source = zip_source_buffer(archive, data.constData(), data.size(), 0);
        zip_file_add(archive, name.constData(), source, ZIP_FL_ENC_RAW);
    }
    if (zip_close(archive) != 0) {
        zip_discard(archive);
        return {};
    }
    return ReadFile(path);
}

namespace {

void Put16(QByteArray& out, quint16 v) {
    out.append(char(v & 0xFF)).append(char(v >> 8));
}

void Put32(QByteArray& out, quint32 v) {
    Put16(out, quint16(v & 0xFFFF));
    Put16(out, quint16(v >> 16));
}

}  // namespace

QByteArray RawZip(const std::vector<RawEntry>& entries) {
    QByteArray out;
    QByteArray directory;
    for (const RawEntry& e : entries) {
        const quint32 offset = quint32(out.size());
        Put32(out, 0x04034b50);
        Put16(out, 20);
        Put16(out, 0);
        Put16(out, e.method);
        Put16(out, 0);
        Put16(out, 0x21);
        Put32(out, e.crc);
        Put32(out, quint32(e.data.size()));
        Put32(out, e.size);
        Put16(out, quint16(e.name.size()));
        Put16(out, 0);
        out += e.name;
        out += e.data;

        Put32(directory, 0x02014b50);
        Put16(directory, 20);
        Put16(directory, 20);
        Put16(directory, 0);
        Put16(directory, e.method);
        Put16(directory, 0);
        Put16(directory, 0x21);
        Put32(directory, e.crc);
        Put32(directory, quint32(e.data.size()));
        Put32(directory, e.size);
        Put16(directory, quint16(e.name.size()));
        Put16(directory, 0);
        Put16(directory, 0);
        Put16(directory, 0);
        Put16(directory, 0);
        Put32(directory, 0);
        Put32(directory, offset);
        directory += e.name;
    }
    const quint32 directoryOffset = quint32(out.size());
    out += directory;
    Put32(out, 0x06054b50);
    Put16(out, 0);
    Put16(out, 0);
    Put16(out, quint16(entries.size()));
    Put16(out, quint16(entries.size()));
    Put32(out, quint32(directory.size()));
    Put32(out, directoryOffset);
    Put16(out, 0);
    return out;
}

QByteArray Deflate(const QByteArray& bytes, int level, int memLevel) {
    z_stream stream{};
    deflateInit2(&stream, level, Z_DEFLATED, -MAX_WBITS, memLevel, Z_DEFAULT_STRATEGY);
    QByteArray out(int(deflateBound(&stream, uLong(bytes.size()))), Qt::Uninitialized);
    stream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(bytes.constData()));
    stream.avail_in = uInt(bytes.size());
    stream.next_out = reinterpret_cast<Bytef*>(out.data());
    stream.avail_out = uInt(out.size());
    deflate(&stream, Z_FINISH);
    out.truncate(qsizetype(stream.total_out));
    deflateEnd(&stream);
    return out;
}

quint32 Crc32(const QByteArray& bytes) {
    return quint32(crc32(0, reinterpret_cast<const Bytef*>(bytes.constData()), uInt(bytes.size())));
}

QMap<QString, QByteArray> Snapshot(const QString& root) {
    QMap<QString, QByteArray> files;
    const QDir base(root);
    QDirIterator it(root, QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        const QFileInfo info = it.fileInfo();
        const QString relative = base.relativeFilePath(path);
        if (info.isSymLink()) files.insert(relative, "-> " + QFile::encodeName(info.symLinkTarget()));
        else if (info.isDir()) files.insert(relative + u'/', {});
        else if (info.isFile()) files.insert(relative, ReadFile(path));
        else files.insert(relative, "<special>");  // a pipe would block a read
    }
    return files;
}

QByteArray ZipPackage(const char* manifestUtf8, const ZipEntries& files) {
    ZipEntries entries = files;
    QByteArray manifest = Cp1251(manifestUtf8);
    manifest.replace("\n", "\r\n");
    entries.emplace_back("protocol.desc", manifest);
    return Zip(entries);
}

}  // namespace testfiles
