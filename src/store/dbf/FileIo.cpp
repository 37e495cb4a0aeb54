#include "FileIo.h"

#include "DbfError.h"

#include <QDir>
#include <QFileInfo>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>
#include <cerrno>
#include <cstring>

namespace dbf::detail {

void fail(const QString& message) {
    throw DbfError(message);
}

QString errnoText(int err) {
    return QString::fromLocal8Bit(std::strerror(err));
}

size_t readAt(int fd, void* buffer, size_t size, uint64_t offset, const QString& name) {
    auto* p = static_cast<char*>(buffer);
    size_t done = 0;
    while (done < size) {
        const ssize_t n = ::pread(fd, p + done, size - done, off_t(offset + done));
        if (n < 0) {
            if (errno == EINTR) continue;
            fail(QStringLiteral("%1: read error: %2").arg(name, errnoText(errno)));
        }
        if (n == 0) break;
        done += size_t(n);
    }
    return done;
}

void writeAt(int fd, const void* data, size_t size, uint64_t offset, const QString& name) {
    const auto* p = static_cast<const char*>(data);
    size_t done = 0;
    while (done < size) {
        const ssize_t n = ::pwrite(fd, p + done, size - done, off_t(offset + done));
        if (n < 0) {
            if (errno == EINTR) continue;
            fail(QStringLiteral("%1: write error: %2").arg(name, errnoText(errno)));
        }
        done += size_t(n);
    }
}

void syncData(int fd, const QString& name) {
    while (::fdatasync(fd) != 0) {
        if (errno == EINTR) continue;
        fail(QStringLiteral("%1: cannot write to disk: %2").arg(name, errnoText(errno)));
    }
}

uint64_t fileSize(int fd, const QString& name) {
    return stampOfFd(fd, name).size;
}

FileStamp stampOf(const struct stat& st) {
    FileStamp s;
    s.device = uint64_t(st.st_dev);
    s.inode = uint64_t(st.st_ino);
    s.size = uint64_t(st.st_size);
    s.mtimeSec = st.st_mtim.tv_sec;
    s.mtimeNsec = st.st_mtim.tv_nsec;
    s.ctimeSec = st.st_ctim.tv_sec;
    s.ctimeNsec = st.st_ctim.tv_nsec;
    return s;
}

FileStamp stampOfFd(int fd, const QString& name) {
    struct stat st;
    if (::fstat(fd, &st) != 0)
        fail(QStringLiteral("%1: cannot read the file status: %2").arg(name, errnoText(errno)));
    return stampOf(st);
}

bool stampOfPath(const QByteArray& nativePath, FileStamp& out) {
    struct stat st;
    if (::stat(nativePath.constData(), &st) != 0) return false;
    out = stampOf(st);
    return true;
}

void Fd::reset() {
    if (fd_ >= 0) ::close(fd_);
    fd_ = -1;
}

int openFile(const QByteArray& nativePath, OpenMode mode) {
    int flags = O_CLOEXEC;
    switch (mode) {
        case OpenMode::ReadOnly:
            flags |= O_RDONLY;
            break;
        case OpenMode::ReadWrite:
            flags |= O_RDWR;
            break;
        case OpenMode::CreateNew:
            flags |= O_RDWR | O_CREAT | O_EXCL;
            break;
        case OpenMode::Replace:
            flags |= O_RDWR | O_CREAT | O_TRUNC;
            break;
    }
    int fd;
    do {
        fd = ::open(nativePath.constData(), flags, 0644);
    } while (fd < 0 && errno == EINTR);
    return fd;
}

bool tryLock(int fd, LockKind kind, const QString& name) {
    const int op = (kind == LockKind::Exclusive ? LOCK_EX : LOCK_SH) | LOCK_NB;
    for (;;) {
        if (::flock(fd, op) == 0) return true;
        if (errno == EINTR) continue;
        if (errno == EWOULDBLOCK) return false;
        fail(QStringLiteral("%1: cannot lock: %2").arg(name, errnoText(errno)));
    }
}

void unlockFile(int fd) {
    ::flock(fd, LOCK_UN);
}

void truncateFile(int fd, uint64_t size, const QString& name) {
    while (::ftruncate(fd, off_t(size)) != 0) {
        if (errno == EINTR) continue;
        fail(QStringLiteral("%1: cannot shorten the file: %2").arg(name, errnoText(errno)));
    }
}

bool renameFile(const QString& from, const QString& to) {
    return ::rename(QFile::encodeName(from).constData(), QFile::encodeName(to).constData()) == 0;
}

void removeFile(const QString& path) {
    ::unlink(QFile::encodeName(path).constData());
}

QString findIgnoringCase(const QString& directory, const QString& fileName) {
    const QDir dir(directory);
    if (QFileInfo::exists(dir.filePath(fileName))) return dir.filePath(fileName);
    const QStringList names = dir.entryList(QDir::Files | QDir::Hidden | QDir::System);
    for (const QString& n : names) {
        if (n.compare(fileName, Qt::CaseInsensitive) == 0) return dir.filePath(n);
    }
    return {};
}

}  // namespace dbf::detail
