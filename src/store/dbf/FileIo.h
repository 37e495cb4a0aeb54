#pragma once

#include <QByteArray>
#include <QString>
#include <cstddef>
#include <cstdint>

struct stat;

namespace dbf::detail {

[[noreturn]] void fail(const QString& message);
QString errnoText(int err);

// pread until `size` bytes or the end of the file; returns the bytes read. Throws DbfError
// naming `name` on an I/O error.
size_t readAt(int fd, void* buffer, size_t size, uint64_t offset, const QString& name);
void writeAt(int fd, const void* data, size_t size, uint64_t offset, const QString& name);
void syncData(int fd, const QString& name);
uint64_t fileSize(int fd, const QString& name);

// What reloadIfChanged compares: a change of any of these means someone else wrote.
struct FileStamp {
    uint64_t device = 0, inode = 0, size = 0;
    int64_t mtimeSec = 0, mtimeNsec = 0, ctimeSec = 0, ctimeNsec = 0;
    bool operator==(const FileStamp&) const = default;
};
FileStamp stampOf(const struct stat& st);
FileStamp stampOfFd(int fd, const QString& name);
// false when the path cannot be stat'ed (errno kept).
bool stampOfPath(const QByteArray& nativePath, FileStamp& out);

// Owns a file descriptor.
class Fd {
  public:
    Fd() = default;
    explicit Fd(int fd) : fd_(fd) {}
    ~Fd() { reset(); }
    Fd(Fd&& o) noexcept : fd_(o.fd_) { o.fd_ = -1; }
    Fd& operator=(Fd&& o) noexcept {
        if (this != &o) {
            reset();
            fd_ = o.fd_;
            o.fd_ = -1;
        }
        return *this;
    }
    Fd(const Fd&) = delete;
    Fd& operator=(const Fd&) = delete;
    int get() const { return fd_; }
    explicit operator bool() const { return fd_ >= 0; }
    void reset();

  private:
    int fd_ = -1;
};

enum class OpenMode {
    ReadOnly,
    ReadWrite,
    CreateNew,  // fails with EEXIST when the file exists
    Replace,    // created or emptied
};
// open(2) with O_CLOEXEC, retried on EINTR; -1 with errno on failure.
int openFile(const QByteArray& nativePath, OpenMode mode);

enum class LockKind { Shared, Exclusive };
// flock without waiting: true when taken (or converted), false when another holder blocks
// it. Throws DbfError naming `name` on any other failure.
bool tryLock(int fd, LockKind kind, const QString& name);
void unlockFile(int fd);

void truncateFile(int fd, uint64_t size, const QString& name);
bool renameFile(const QString& from, const QString& to);  // false with errno on failure
void removeFile(const QString& path);

// A file in the directory of `path` whose name equals fileName ignoring letter case,
// preferring an exact match; empty when there is none.
QString findIgnoringCase(const QString& directory, const QString& fileName);

}  // namespace dbf::detail
