#include "DataArchive.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <zip.h>

#include "Manifest.h"

namespace {

constexpr zip_uint32_t kCompressionLevel = 6;
constexpr qint64 kProgressStep = 1 << 20;

// What the sources of one archive share: the progress so far and the first failure, which
// names the file (libzip's own message would not).
struct ArchiveState {
    ArchiveProgress progress;
    qint64 reported = 0;
    const ArchiveProgressCallback* callback = nullptr;
    QString failure;

    void Report(bool force) {
        if (!*callback) return;
        if (!force && progress.bytesDone - reported < kProgressStep) return;
        reported = progress.bytesDone;
        (*callback)(progress);
    }
};

// A libzip source over one file of the kind folder. libzip opens and reads it only while the
// archive is being written (in zip_close), so a file that vanished or shrank since it was
// listed fails the archive instead of being stored short.
struct FileSource {
    QString name;
    qint64 size = 0;
    time_t mtime = 0;
    QFile file;
    qint64 done = 0;
    zip_error_t error;
    ArchiveState* state = nullptr;

    zip_int64_t Failed(int code, const QString& why) {
        zip_error_set(&error, code, 0);
        if (state->failure.isEmpty()) state->failure = QStringLiteral("«%1»: %2").arg(name, why);
        return -1;
    }

    zip_int64_t Open() {
        done = 0;
        if (!file.open(QIODevice::ReadOnly | QIODevice::Unbuffered))
            return Failed(ZIP_ER_OPEN, file.errorString());
        return 0;
    }

    zip_int64_t Read(void* data, zip_uint64_t length) {
        const qint64 wanted = qMin<qint64>(static_cast<qint64>(qMin<zip_uint64_t>(length, INT64_MAX)), size - done);
        qint64 got = 0;
        while (got < wanted) {
            const qint64 n = file.read(static_cast<char*>(data) + got, wanted - got);
            if (n < 0) return Failed(ZIP_ER_READ, file.errorString());
            if (n == 0) return Failed(ZIP_ER_READ, QStringLiteral("файл изменился во время записи архива"));
            got += n;
        }
        done += got;
        state->progress.bytesDone += got;
        state->Report(false);
        return got;
    }

    zip_int64_t Close() {
        file.close();
        ++state->progress.filesDone;
        state->Report(true);
        return 0;
    }

    zip_int64_t Stat(void* data, zip_uint64_t length) {
        zip_stat_t* stat = ZIP_SOURCE_GET_ARGS(zip_stat_t, data, length, &error);
        if (!stat) return -1;
        zip_stat_init(stat);
        stat->valid = ZIP_STAT_SIZE | ZIP_STAT_MTIME;
        stat->size = static_cast<zip_uint64_t>(size);
        stat->mtime = mtime;
        return sizeof(zip_stat_t);
    }
};

zip_int64_t FileSourceCallback(void* userdata, void* data, zip_uint64_t length, zip_source_cmd_t command) {
    auto* source = static_cast<FileSource*>(userdata);
    switch (command) {
    case ZIP_SOURCE_OPEN: return source->Open();
    case ZIP_SOURCE_READ: return source->Read(data, length);
    case ZIP_SOURCE_CLOSE: return source->Close();
    case ZIP_SOURCE_STAT: return source->Stat(data, length);
    case ZIP_SOURCE_ERROR: return zip_error_to_data(&source->error, data, length);
    case ZIP_SOURCE_FREE:
        zip_error_fini(&source->error);
        delete source;
        return 0;
    case ZIP_SOURCE_SUPPORTS: return ZIP_SOURCE_SUPPORTS_READABLE;
    default:
        zip_error_set(&source->error, ZIP_ER_OPNOTSUPP, 0);
        return -1;
    }
}

// Adds one entry deflated at our level; takes the source, also on failure.
bool AddEntry(zip_t* archive, const QString& name, zip_source_t* source) {
    if (!source) return false;
    const zip_int64_t index = zip_file_add(archive, name.toUtf8().constData(), source, ZIP_FL_ENC_UTF_8);
    if (index < 0) {
        zip_source_free(source);
        return false;
    }
    return zip_set_file_compression(archive, static_cast<zip_uint64_t>(index), ZIP_CM_DEFLATE, kCompressionLevel) == 0;
}

zip_source_t* NewFileSource(zip_t* archive, const QFileInfo& info, ArchiveState& state) {
    auto* source = new FileSource;
    source->name = info.fileName();
    source->size = info.size();
    source->mtime = static_cast<time_t>(info.lastModified().toSecsSinceEpoch());
    source->file.setFileName(info.filePath());
    source->state = &state;
    zip_error_init(&source->error);
    zip_source_t* zipSource = zip_source_function(archive, FileSourceCallback, source);
    if (!zipSource) {
        zip_error_fini(&source->error);
        delete source;
    }
    return zipSource;
}

ArchiveOutcome Failure(const QString& why) {
    ArchiveOutcome outcome;
    outcome.error = QStringLiteral("Не удалось записать архив данных: %1").arg(why);
    return outcome;
}

QString ArchiveError(zip_t* archive, const ArchiveState& state) {
    return state.failure.isEmpty() ? QString::fromLocal8Bit(zip_strerror(archive)) : state.failure;
}

}  // namespace

QStringList DataArchiveFiles(const QString& kindFolder, const QString& exclude) {
    const QString excluded = exclude.isEmpty() ? QString() : QFileInfo(exclude).absoluteFilePath();
    QStringList files;
    const QDir folder(kindFolder);
    // Without QDir::Hidden and QDir::System: dot files, sockets, pipes and devices stay out.
    for (const QFileInfo& info : folder.entryInfoList(QDir::Files | QDir::NoSymLinks, QDir::Name)) {
        if (info.fileName() == u"protocol.desc" || info.absoluteFilePath() == excluded) continue;
        files << info.filePath();
    }
    return files;
}

ArchiveOutcome WriteDataArchive(const QString& kindFolder, const protocolDescription& kind,
                                const QString& target, const ArchiveProgressCallback& progress) {
    QString bad;
    const std::optional<QByteArray> manifest = DataArchiveManifest(kind, &bad);
    if (!manifest)
        return Failure(QStringLiteral("название вида протокола содержит символ «%1», которого нет в кодировке Windows-1251").arg(bad));
    if (!QFileInfo(kindFolder).isDir()) return Failure(QStringLiteral("нет папки «%1»").arg(kindFolder));

    ArchiveState state;
    state.callback = &progress;
    QList<QFileInfo> files;
    for (const QString& path : DataArchiveFiles(kindFolder, target)) {
        files << QFileInfo(path);
        state.progress.bytesTotal += files.last().size();
    }
    state.progress.filesTotal = static_cast<int>(files.size());

    int code = 0;
    // ZIP_TRUNCATE: nothing of an old archive survives; libzip writes a temporary file beside
    // the target in zip_close and renames it over the target only when it is complete.
    zip_t* archive = zip_open(QFile::encodeName(target).constData(), ZIP_CREATE | ZIP_TRUNCATE, &code);
    if (!archive) {
        zip_error_t error;
        zip_error_init_with_code(&error, code);
        const QString why = QString::fromLocal8Bit(zip_error_strerror(&error));
        zip_error_fini(&error);
        return Failure(why);
    }
    bool added = AddEntry(archive, QStringLiteral("protocol.desc"),
                          zip_source_buffer(archive, manifest->constData(), manifest->size(), 0));
    for (qsizetype i = 0; added && i < files.size(); ++i)
        added = AddEntry(archive, files[i].fileName(), NewFileSource(archive, files[i], state));
    state.Report(true);
    if (!added || zip_close(archive) != 0) {
        const QString why = ArchiveError(archive, state);
        zip_discard(archive);
        return Failure(why);
    }
    ArchiveOutcome outcome;
    outcome.ok = true;
    outcome.files = state.progress.filesTotal;
    outcome.bytes = state.progress.bytesTotal;
    return outcome;
}
