#include "ScriptReader.h"

#include <QFile>

#include <cstring>
#include <zlib.h>

#include "Cp1251.h"
#include "proc/Text.h"

ScriptReader::ScriptReader(const QString& path) {
#ifdef _WIN32
    file_ = gzopen_w(reinterpret_cast<const wchar_t*>(path.utf16()), "rb");
#else
    file_ = gzopen(QFile::encodeName(path).constData(), "rb");
#endif
    if (file_) gzbuffer(file_, 64 * 1024);
}

ScriptReader::~ScriptReader() {
    if (file_) gzclose(file_);
}

bool ScriptReader::AtEnd() const { return !file_ || Failed() || gzeof(file_); }

void ScriptReader::Fail(const QString& error) {
    if (error_.isEmpty()) error_ = error;
}

// zlib reports a damaged stream only through gzerror; a reader that watched gzeof alone would
// never see the end of such a file.
bool ScriptReader::StreamFailed() {
    int code = Z_OK;
    const char* message = gzerror(file_, &code);
    if (code == Z_OK) return false;
    Fail(QStringLiteral("поврежденный сжатый поток: %1").arg(QString::fromLocal8Bit(message)));
    return true;
}

QString ScriptReader::ReadPackageLine() {
    if (AtEnd()) return {};
    char buffer[MaxLineBytes + 1];
    const z_off_t before = gztell(file_);
    const char* got = gzgets(file_, buffer, sizeof buffer);
    if (StreamFailed() || !got) return {};
    // gzgets copies NUL bytes as they come; the position tells the true length.
    const qint64 length = gztell(file_) - before;
    if (length < 0 || length > MaxLineBytes) {
        Fail(QStringLiteral("ошибка чтения файла протокола"));
        return {};
    }
    if (std::memchr(buffer, '\0', static_cast<size_t>(length))) {
        Fail(QStringLiteral("файл содержит нулевой байт, это не текст"));
        return {};
    }
    total_ += length;
    if (total_ > MaxTotalBytes) {
        Fail(QStringLiteral("текст протокола длиннее 2 ГиБ"));
        return {};
    }
    return TrimControl(DecodeCp1251(QByteArrayView(buffer, length)));
}
