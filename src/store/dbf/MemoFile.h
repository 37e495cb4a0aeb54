#pragma once

#include "FileIo.h"
#include "Header.h"

#include <QByteArray>
#include <QString>
#include <cstdint>

namespace dbf {

// The memo file of a table: .fpt (FoxPro, big-endian header, typed blocks) or .dbt (dBase III
// text ended by 0x1A, dBase IV blocks with a length header). New memos are always written at
// the end, so a value that is still referenced is never overwritten.
class MemoFile {
  public:
    // Opens an existing memo file; throws DbfError naming it when that fails.
    MemoFile(const QString& path, detail::MemoKind kind, bool writable);
    // Writes an empty .fpt: 512-byte header, block size 64 (throws DbfError).
    static void createFpt(const QString& path);

    const QString& path() const { return path_; }
    const QString& fileName() const { return name_; }
    detail::MemoKind kind() const { return kind_; }

    // Reads the memo starting at `block` into out and returns its block type (1 = text;
    // .dbt memos have no type and report 1). Throws DbfError naming the memo file when the
    // block or its length runs beyond the file.
    int read(uint64_t block, QByteArray& out);
    // Writes a memo after the last used block, then advances the next-free pointer; returns
    // the memo's first block.
    uint32_t append(int type, const char* data, qsizetype size);

    void sync();
    bool unsynced() const { return unsynced_; }
    // Re-examines the file on disk (size, times, inode; reopened when replaced); true when
    // it changed since the last look.
    bool refresh();

  private:
    void loadHeader();
    void reopen();
    [[noreturn]] void beyondEnd(uint64_t block) const;

    QString path_, name_;
    QByteArray native_;
    detail::Fd fd_;
    detail::MemoKind kind_;
    bool writable_;
    bool headerLoaded_ = false;
    QString headerProblem_;
    uint32_t blockSize_ = 0;
    uint64_t size_ = 0;
    detail::FileStamp stamp_;
    bool unsynced_ = false;
    QByteArray chunk_, writeBuffer_;
};

}  // namespace dbf
