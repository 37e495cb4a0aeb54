#include "PackageZip.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStringDecoder>

#include <zip.h>

#ifndef _WIN32
#include <fcntl.h>
#include <unistd.h>
#endif

namespace {

const QByteArray kManifestName = QByteArrayLiteral("protocol.desc");

// Names flagged UTF-8 (and plain ASCII) decode as UTF-8; the others come from DOS-era tools,
// which wrote names in the OEM code page, cp866 on Russian systems.
QString DecodeEntryName(const QByteArray& raw) {
    QStringDecoder utf8(QStringDecoder::Utf8);
    QString name = utf8.decode(raw);
    if (!utf8.hasError()) return name;
    QStringDecoder oem("IBM866");
    return oem.decode(raw);
}

QString Damaged(const QString& path, const QString& why) {
    if (why.isEmpty()) return QStringLiteral("«%1» поврежден").arg(path);
    return QStringLiteral("«%1» поврежден: %2").arg(path, why);
}

QString ZipErrorText(int code) {
    zip_error_t error;
    zip_error_init_with_code(&error, code);
    const QString text = QString::fromLocal8Bit(zip_error_strerror(&error));
    zip_error_fini(&error);
    return text;
}

void SyncToDisk(QFile& file) {
#ifndef _WIN32
    file.flush();
    ::fsync(file.handle());
#endif
}

void SyncFolder(const QString& folder) {
#ifndef _WIN32
    const int fd = ::open(QFile::encodeName(folder).constData(), O_RDONLY | O_DIRECTORY);
    if (fd < 0) return;
    ::fsync(fd);
    ::close(fd);
#endif
}

}  // namespace

std::optional<QString> KindRelativePath(QStringView entryName) {
    if (entryName.isEmpty()) return std::nullopt;
    if (entryName.startsWith(u'/')) return std::nullopt;
    for (QChar c : entryName) {
        if (c == u'\\' || c == u':' || c.unicode() < 32 || c.unicode() == 127) return std::nullopt;
    }
    QStringList parts;
    for (QStringView part : entryName.split(u'/')) {
        if (part.isEmpty() || part == u".") continue;
        if (part == u"..") return std::nullopt;
        parts << part.toString();
    }
    return parts.join(u'/');
}

PackageZip::~PackageZip() {
    if (archive_) zip_discard(archive_);
}

bool PackageZip::Fail(const QString& error) {
    if (error_.isEmpty()) error_ = error;
    return false;
}

bool PackageZip::DiskFail(const QString& error) {
    if (error_.isEmpty()) diskFailure_ = true;
    return Fail(error);
}

bool PackageZip::Open(const QString& path) {
    int code = 0;
    archive_ = zip_open(QFile::encodeName(path).constData(), ZIP_RDONLY | ZIP_CHECKCONS, &code);
    if (!archive_) return Fail(QStringLiteral("архив не читается: %1").arg(ZipErrorText(code)));
    const zip_int64_t count = zip_get_num_entries(archive_, 0);
    if (count < 0 || count > MaxEntries)
        return Fail(QStringLiteral("в архиве больше %1 элементов").arg(MaxEntries));
    quint64 total = 0;
    for (zip_int64_t i = 0; i < count; ++i) {
        if (!CheckEntry(static_cast<quint64>(i), total)) return false;
    }
    return true;
}

bool PackageZip::CheckEntry(quint64 index, quint64& total) {
    zip_stat_t stat;
    const char* raw = zip_get_name(archive_, index, ZIP_FL_ENC_RAW);
    if (!raw || zip_stat_index(archive_, index, ZIP_FL_ENC_RAW, &stat) != 0)
        return Fail(QStringLiteral("элемент %1 архива не читается").arg(index));
    Entry entry;
    entry.index = index;
    entry.rawName = QByteArray(raw);
    const QString name = DecodeEntryName(entry.rawName);
    const std::optional<QString> relative = KindRelativePath(name);
    if (!relative) return Fail(QStringLiteral("недопустимое имя элемента «%1» (вне папки протокола или не имя файла)").arg(name));
    entry.path = *relative;
    entry.folder = name.endsWith(u'/');
    const zip_uint64_t needed = ZIP_STAT_SIZE | ZIP_STAT_COMP_METHOD | ZIP_STAT_ENCRYPTION_METHOD;
    if ((stat.valid & needed) != needed) return Fail(QStringLiteral("элемент «%1» поврежден").arg(name));
    if (stat.encryption_method != ZIP_EM_NONE)
        return Fail(QStringLiteral("элемент «%1» зашифрован").arg(name));
    if (!zip_compression_method_supported(stat.comp_method, 0))
        return Fail(QStringLiteral("элемент «%1» сжат неизвестным методом").arg(name));
    entry.size = stat.size;
    total += stat.size;  // each size is below 2^64 and there are at most 10,000 of them
    if (stat.size > MaxTotalSize || total > MaxTotalSize)
        return Fail(QStringLiteral("распакованное содержимое больше 2 ГиБ"));
    entries_.push_back(std::move(entry));
    return true;
}

std::optional<QByteArray> PackageZip::ReadManifest() {
    for (const Entry& entry : entries_) {
        if (entry.rawName != kManifestName) continue;
        if (entry.size > MaxManifestSize) {
            Fail(QStringLiteral("«protocol.desc» больше 1 МиБ"));
            return std::nullopt;
        }
        return ReadEntry(entry);
    }
    Fail(QStringLiteral("в архиве нет «protocol.desc»"));
    return std::nullopt;
}

std::optional<QByteArray> PackageZip::ReadEntry(const Entry& entry) {
    zip_file_t* file = zip_fopen_index(archive_, entry.index, 0);
    if (!file) {
        Fail(QStringLiteral("«%1» не читается: %2").arg(entry.path, QString::fromLocal8Bit(zip_strerror(archive_))));
        return std::nullopt;
    }
    // One byte more than declared, so that an entry longer than its directory size shows.
    QByteArray bytes(static_cast<qsizetype>(entry.size) + 1, Qt::Uninitialized);
    qsizetype done = 0;
    zip_int64_t got = 0;
    while (done < bytes.size() && (got = zip_fread(file, bytes.data() + done, bytes.size() - done)) > 0)
        done += got;
    const QString fileError = got < 0 ? QString::fromLocal8Bit(zip_file_strerror(file)) : QString();
    zip_fclose(file);
    if (got < 0 || done != static_cast<qsizetype>(entry.size)) {
        Fail(Damaged(entry.path, fileError));
        return std::nullopt;
    }
    bytes.truncate(done);
    return bytes;
}

bool PackageZip::ExtractAll(const QString& folder) {
    QDir root(folder);
    for (const Entry& entry : entries_) {
        if (entry.rawName == kManifestName || entry.path.isEmpty()) continue;
        const QString target = root.filePath(entry.path);
        const QString parent = entry.folder ? target : QFileInfo(target).path();
        if (!root.mkpath(parent)) return DiskFail(QStringLiteral("не удалось создать папку «%1»").arg(entry.path));
        if (!entry.folder && !ExtractFile(entry, target)) return false;
    }
    SyncFolder(folder);
    return true;
}

bool PackageZip::ExtractFile(const Entry& entry, const QString& target) {
    QFile out(target);
    if (!out.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return DiskFail(QStringLiteral("не удалось записать «%1»: %2").arg(entry.path, out.errorString()));
    zip_file_t* file = zip_fopen_index(archive_, entry.index, 0);
    if (!file) return Fail(QStringLiteral("«%1» не читается: %2").arg(entry.path, QString::fromLocal8Bit(zip_strerror(archive_))));
    QByteArray buffer(64 * 1024, Qt::Uninitialized);
    quint64 done = 0;
    zip_int64_t got = 0;
    bool written = true;
    while (written && done <= entry.size && (got = zip_fread(file, buffer.data(), buffer.size())) > 0) {
        done += static_cast<quint64>(got);
        written = out.write(buffer.constData(), got) == got;
    }
    const QString fileError = got < 0 ? QString::fromLocal8Bit(zip_file_strerror(file)) : QString();
    zip_fclose(file);
    if (!written) return DiskFail(QStringLiteral("не удалось записать «%1»: %2").arg(entry.path, out.errorString()));
    // A stream longer than its declared size is cut off here rather than filling the disk.
    if (got < 0 || done != entry.size) return Fail(Damaged(entry.path, fileError));
    SyncToDisk(out);
    return true;
}
