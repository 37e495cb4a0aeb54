#include "MemoFile.h"

#include <QFileInfo>

#include <algorithm>
#include <cerrno>
#include <cstring>

namespace dbf {

using namespace detail;

namespace {

constexpr uint32_t kFptHeaderSize = 512;
constexpr uint32_t kDbtBlockSize = 512;
constexpr uint32_t kNewFptBlockSize = 64;
constexpr qsizetype kChunk = 512;
constexpr qsizetype kScanChunk = 4096;
// A dBase III memo has no stored length; far beyond anything a memo field holds, a missing
// terminator is damage, not text.
constexpr qsizetype kMaxScannedMemo = 16 * 1024 * 1024;

uint32_t be32(const char* p) {
    return uint32_t(uint8_t(p[0])) << 24 | uint32_t(uint8_t(p[1])) << 16 |
           uint32_t(uint8_t(p[2])) << 8 | uint32_t(uint8_t(p[3]));
}

uint32_t le32(const char* p) {
    return uint32_t(uint8_t(p[0])) | uint32_t(uint8_t(p[1])) << 8 | uint32_t(uint8_t(p[2])) << 16 |
           uint32_t(uint8_t(p[3])) << 24;
}

void putBe32(char* p, uint32_t v) {
    for (int i = 0; i < 4; ++i) p[i] = char(v >> (24 - 8 * i));
}

void putLe32(char* p, uint32_t v) {
    for (int i = 0; i < 4; ++i) p[i] = char(v >> (8 * i));
}

bool isDbt4Block(const char* p) {
    return uint8_t(p[0]) == 0xFF && uint8_t(p[1]) == 0xFF && p[2] == 0x08 && p[3] == 0x00;
}

}  // namespace

MemoFile::MemoFile(const QString& path, MemoKind kind, bool writable)
    : path_(path),
      name_(QFileInfo(path).fileName()),
      native_(QFile::encodeName(path)),
      kind_(kind),
      writable_(writable) {
    reopen();
}

void MemoFile::reopen() {
    const int fd = openFile(native_, writable_ ? OpenMode::ReadWrite : OpenMode::ReadOnly);
    if (fd < 0) {
        fail(QStringLiteral("%1: cannot open the memo file: %2").arg(name_, errnoText(errno)));
    }
    fd_ = Fd(fd);
    stamp_ = stampOfFd(fd_.get(), name_);
    size_ = stamp_.size;
    headerLoaded_ = false;
}

void MemoFile::createFpt(const QString& path) {
    const QString name = QFileInfo(path).fileName();
    Fd fd(openFile(QFile::encodeName(path), OpenMode::Replace));
    if (!fd)
        fail(QStringLiteral("%1: cannot create the memo file: %2").arg(name, errnoText(errno)));
    char header[kFptHeaderSize] = {};
    putBe32(header, kFptHeaderSize / kNewFptBlockSize);
    header[6] = char(kNewFptBlockSize >> 8);
    header[7] = char(kNewFptBlockSize & 0xFF);
    writeAt(fd.get(), header, sizeof header, 0, name);
    syncData(fd.get(), name);
}

void MemoFile::loadHeader() {
    if (headerLoaded_) return;
    headerProblem_.clear();
    char h[22] = {};
    const size_t got = readAt(fd_.get(), h, sizeof h, 0, name_);
    switch (kind_) {
        case MemoKind::Fpt:
            if (got < 8) {
                headerProblem_ = QStringLiteral("%1: the memo file header is missing").arg(name_);
            } else {
                blockSize_ = uint32_t(uint8_t(h[6])) << 8 | uint8_t(h[7]);
                if (blockSize_ == 0)
                    headerProblem_ =
                        QStringLiteral("%1: the memo file has block size 0").arg(name_);
            }
            break;
        case MemoKind::Dbt4:
            blockSize_ = got >= 22 ? uint32_t(uint8_t(h[20])) | uint32_t(uint8_t(h[21])) << 8 : 0;
            if (blockSize_ == 0) blockSize_ = kDbtBlockSize;
            break;
        default:
            blockSize_ = kDbtBlockSize;
            break;
    }
    headerLoaded_ = true;
}

void MemoFile::beyondEnd(uint64_t block) const {
    fail(QStringLiteral("%1: memo block %2 is beyond the end of the memo file (%3 bytes)")
             .arg(name_)
             .arg(block)
             .arg(size_));
}

int MemoFile::read(uint64_t block, QByteArray& out) {
    loadHeader();
    if (!headerProblem_.isEmpty()) fail(headerProblem_);
    const uint64_t offset = block * blockSize_;
    if (kind_ == MemoKind::Fpt && offset < kFptHeaderSize) {
        fail(QStringLiteral("%1: memo block %2 lies inside the memo file header")
                 .arg(name_)
                 .arg(block));
    }
    // An .fpt memo starts with its 8-byte block header; a .dbt memo with at least one byte.
    const uint64_t minimum = kind_ == MemoKind::Fpt ? 8 : 1;
    if (offset + minimum > size_) {
        // Another program may have added memos since we last looked.
        size_ = fileSize(fd_.get(), name_);
        if (offset + minimum > size_) beyondEnd(block);
    }

    chunk_.resize(qsizetype(std::min<uint64_t>(kChunk, size_ - offset)));
    const size_t got = readAt(fd_.get(), chunk_.data(), size_t(chunk_.size()), offset, name_);
    chunk_.resize(qsizetype(got));

    uint64_t dataOffset = 0, length = 0;
    int type = 1;
    bool scan = false;
    if (kind_ == MemoKind::Fpt) {
        if (got < 8) beyondEnd(block);
        type = int(be32(chunk_.constData()));
        length = be32(chunk_.constData() + 4);
        dataOffset = 8;
    } else if (got >= 8 && isDbt4Block(chunk_.constData())) {
        // The stored length counts the 8 header bytes.
        const uint32_t stored = le32(chunk_.constData() + 4);
        length = stored >= 8 ? stored - 8 : 0;
        dataOffset = 8;
    } else {
        scan = true;
    }

    if (!scan) {
        if (offset + dataOffset + length > size_) {
            size_ = fileSize(fd_.get(), name_);
            if (offset + dataOffset + length > size_) {
                fail(QStringLiteral("%1: the memo at block %2 is %3 bytes long, but the memo file "
                                    "ends after %4 bytes")
                         .arg(name_)
                         .arg(block)
                         .arg(length)
                         .arg(size_));
            }
        }
        out.resize(qsizetype(length));
        const uint64_t inChunk = std::min<uint64_t>(length, got - dataOffset);
        if (inChunk) std::memcpy(out.data(), chunk_.constData() + dataOffset, inChunk);
        if (inChunk < length) {
            const size_t rest = size_t(length - inChunk);
            if (readAt(fd_.get(), out.data() + inChunk, rest, offset + dataOffset + inChunk,
                       name_) != rest) {
                fail(QStringLiteral("%1: the memo file ends inside the memo at block %2")
                         .arg(name_)
                         .arg(block));
            }
        }
        return type;
    }

    // dBase III: the text runs to a 0x1A (normally two) or to the end of the file.
    out.clear();
    uint64_t at = offset;
    QByteArrayView piece(chunk_);
    for (;;) {
        const qsizetype end = piece.indexOf('\x1A');
        if (end >= 0) {
            out.append(piece.data(), end);
            break;
        }
        if (out.size() + piece.size() > kMaxScannedMemo) {
            fail(QStringLiteral("%1: the memo at block %2 has no end marker within %3 bytes")
                     .arg(name_)
                     .arg(block)
                     .arg(kMaxScannedMemo));
        }
        out.append(piece.data(), piece.size());
        at += uint64_t(piece.size());
        if (at >= size_ || piece.isEmpty()) break;
        chunk_.resize(qsizetype(std::min<uint64_t>(kScanChunk, size_ - at)));
        const size_t n = readAt(fd_.get(), chunk_.data(), size_t(chunk_.size()), at, name_);
        chunk_.resize(qsizetype(n));
        piece = QByteArrayView(chunk_);
    }
    return 1;
}

uint32_t MemoFile::append(int type, const char* data, qsizetype size) {
    if (!writable_) fail(QStringLiteral("%1: the memo file is open read-only").arg(name_));
    loadHeader();
    if (!headerProblem_.isEmpty()) fail(headerProblem_);

    // New memos go after the last block the file holds. The header's next-free pointer is
    // written but not trusted: below the end it would overwrite live memos, beyond it leave
    // a hole of any size.
    size_ = fileSize(fd_.get(), name_);
    const uint64_t firstData =
        kind_ == MemoKind::Fpt ? (kFptHeaderSize + blockSize_ - 1) / blockSize_ : 1;
    const uint64_t next = std::max((size_ + blockSize_ - 1) / blockSize_, firstData);

    qsizetype prefix = 0, suffix = 0;
    if (kind_ == MemoKind::Fpt || kind_ == MemoKind::Dbt4) prefix = 8;
    if (kind_ == MemoKind::Dbt3) suffix = 2;
    const uint64_t used = uint64_t(prefix) + uint64_t(size) + uint64_t(suffix);
    const uint64_t blocks = std::max<uint64_t>(1, (used + blockSize_ - 1) / blockSize_);
    if (next + blocks > UINT32_MAX) fail(QStringLiteral("%1: the memo file is full").arg(name_));

    writeBuffer_.resize(qsizetype(blocks * blockSize_));
    char* p = writeBuffer_.data();
    std::memset(p, 0, size_t(writeBuffer_.size()));
    if (kind_ == MemoKind::Fpt) {
        putBe32(p, uint32_t(type));
        putBe32(p + 4, uint32_t(size));
    } else if (kind_ == MemoKind::Dbt4) {
        p[0] = char(0xFF);
        p[1] = char(0xFF);
        p[2] = 0x08;
        p[3] = 0x00;
        putLe32(p + 4, uint32_t(size + 8));
    }
    if (size) std::memcpy(p + prefix, data, size_t(size));
    if (kind_ == MemoKind::Dbt3) p[prefix + size] = p[prefix + size + 1] = '\x1A';

    // Data first, then the next-free pointer; the caller stores the block number last.
    writeAt(fd_.get(), p, size_t(writeBuffer_.size()), next * blockSize_, name_);
    char nextFree[4];
    if (kind_ == MemoKind::Fpt)
        putBe32(nextFree, uint32_t(next + blocks));
    else
        putLe32(nextFree, uint32_t(next + blocks));
    writeAt(fd_.get(), nextFree, sizeof nextFree, 0, name_);

    unsynced_ = true;
    stamp_ = stampOfFd(fd_.get(), name_);
    size_ = stamp_.size;
    return uint32_t(next);
}

void MemoFile::sync() {
    if (!unsynced_) return;
    syncData(fd_.get(), name_);
    unsynced_ = false;
}

bool MemoFile::refresh() {
    FileStamp now;
    if (!stampOfPath(native_, now)) {
        fail(QStringLiteral("%1: the memo file is gone: %2").arg(name_, errnoText(errno)));
    }
    if (now == stamp_) return false;
    if (now.inode != stamp_.inode || now.device != stamp_.device) {
        sync();
        reopen();
    } else {
        stamp_ = now;
        size_ = now.size;
        headerLoaded_ = false;
    }
    return true;
}

}  // namespace dbf
