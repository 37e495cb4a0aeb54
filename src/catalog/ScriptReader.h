#pragma once

#include <QString>
#include <QtGlobal>

struct gzFile_s;

// Reads a script package line by line through zlib, which reads a gzip-compressed file and a
// plain one alike (the plain one unchanged). A damaged stream, a NUL byte or a text beyond
// MaxTotalBytes ends the reading with an error instead of a wrong or endless script.
class ScriptReader {
public:
    static constexpr int MaxLineBytes = 9999;
    static constexpr qint64 MaxTotalBytes = qint64(2) << 30;

    explicit ScriptReader(const QString& path);
    ~ScriptReader();
    ScriptReader(const ScriptReader&) = delete;
    ScriptReader& operator=(const ScriptReader&) = delete;

    bool IsOpen() const { return file_ != nullptr; }
    // True at the end of the stream and after a failure.
    bool AtEnd() const;
    // The next line up to its line break, at most MaxLineBytes bytes of it (a longer line comes
    // back in pieces), trimmed of blanks and control characters; empty at the end.
    QString ReadPackageLine();

    bool Failed() const { return !error_.isEmpty(); }
    const QString& Error() const { return error_; }

private:
    void Fail(const QString& error);
    bool StreamFailed();

    gzFile_s* file_ = nullptr;
    qint64 total_ = 0;
    QString error_;
};
