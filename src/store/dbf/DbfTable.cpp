#include "DbfTable.h"

#include "DbfError.h"
#include "FieldCodec.h"
#include "FileIo.h"
#include "Header.h"
#include "MemoFile.h"

#include <QDate>
#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <thread>

// Decisions that callers can rely on:
// - A table with memo fields whose memo file is missing does not open (the error names the
//   missing file): an incomplete copy is reported before any statement runs on it.
// - Locks are flock(2) locks, which belong to the open file description: two DbfTable objects
//   on one file exclude each other even inside one process, and a forked child that opens
//   the table itself competes with its parent.
// - unlock() releases the lock whatever lock() calls came before (no nesting count). Writes
//   do not check the lock: holding it is the caller's part.
// - reloadIfChanged() notices other writers by size, times and inode. File times are as
//   coarse as the kernel clock tick, so an in-place rewrite of the same size within the same
//   tick as our last look can go unnoticed; every append changes the size.
// - Memos are never rewritten in place: a changed memo goes after the last used block, so a
//   crash leaves at worst unused blocks, never a record pointing at half-written text.
// - M memos of block type 1 are text; G (OLE) memos are blobs whatever their block type,
//   since writers tag OLE data as text too.

namespace dbf {

using namespace detail;

namespace {

constexpr size_t kReadAhead = 64 * 1024;
constexpr qsizetype kPendingLimit = 256 * 1024;

QString baseName(const QString& path) {
    return QFileInfo(path).fileName();
}

QString withExtension(const QString& path, const QString& ext) {
    const QFileInfo fi(path);
    const QString stem = fi.completeBaseName();
    return QDir(fi.path()).filePath(stem + QLatin1Char('.') + ext);
}

// The memo file beside a table: the extension in the table's letter case first, then any
// letter case (tables come from case-insensitive file systems).
QString findMemo(const QString& path, const QString& ext) {
    const QFileInfo fi(path);
    const bool upper = !fi.suffix().isEmpty() && fi.suffix() == fi.suffix().toUpper();
    const QString preferred = withExtension(path, upper ? ext.toUpper() : ext);
    if (QFileInfo::exists(preferred)) return preferred;
    return findIgnoringCase(fi.path(), fi.completeBaseName() + QLatin1Char('.') + ext);
}

}  // namespace

struct DbfTable::Impl {
    QString path, name;
    QByteArray native;
    Fd fd;
    Access access = Access::ReadOnly;

    Header header;
    uint32_t count = 0;      // records we consider present
    uint32_t diskCount = 0;  // the count in the header on disk
    uint8_t diskDate[3] = {};
    FileStamp stamp;          // the file as we last saw it (after our own writes)
    bool stampStale = false;  // we wrote since taking it
    std::unique_ptr<MemoFile> memo;

    // read-ahead
    std::unique_ptr<char[]> buffer;
    size_t bufferSize = 0;
    uint32_t bufferFirst = 0, bufferCount = 0;
    int64_t lastIndex = -1;

    Lock lock = Lock::None;
    uint64_t generation = 0;
    bool dirty = false;     // records changed since the last flush
    bool unsynced = false;  // table bytes written since the last fdatasync
    bool cdxChecked = false;

    QByteArray memoBytes, scratch, appendBuffer, stored;

    // Appended records not yet written: a batch of appends becomes one write. They go to the
    // file before anything that needs them there (flush, unlock, the buffer filling up), and
    // always before the header count that includes them.
    QByteArray pending;
    uint32_t pendingFirst = 0;

    bool isPending(uint32_t index) const {
        return !pending.isEmpty() && index >= pendingFirst && index < count;
    }
    char* pendingRecord(uint32_t index) {
        return pending.data() + size_t(index - pendingFirst) * header.recordLength;
    }
    void writePending() {
        if (pending.isEmpty()) return;
        pending.append('\x1A');
        writeAt(fd.get(), pending.constData(), size_t(pending.size()), recordOffset(pendingFirst),
                name);
        pending.clear();
        bufferCount = 0;  // the read-ahead may hold what the file had there before
        lastIndex = -1;
        noteOwnWrite();
    }

    [[noreturn]] void fieldFail(int field, const QString& reason) const {
        fail(QStringLiteral("%1, field %2: %3")
                 .arg(name, QString::fromLatin1(header.fields[size_t(field)].rawName), reason));
    }

    void requireWritable() const {
        if (access != Access::ReadWrite) fail(QStringLiteral("%1 is open read-only").arg(name));
    }

    uint64_t recordOffset(uint32_t index) const {
        return uint64_t(header.headerLength) + uint64_t(index) * header.recordLength;
    }

    void load() {
        stamp = stampOfFd(fd.get(), name);
        stampStale = false;
        const uint64_t size = stamp.size;
        header = readHeader(fd.get(), size, name);
        diskCount = header.headerCount;
        diskDate[0] = header.year;
        diskDate[1] = header.month;
        diskDate[2] = header.day;
        const uint64_t whole = (size - header.headerLength) / header.recordLength;
        count = uint32_t(std::min<uint64_t>(header.headerCount, whole));
        bufferCount = 0;
        lastIndex = -1;
    }

    void openMemo() {
        memo.reset();
        if (!header.hasMemoFields) return;
        const MemoKind kind = memoKindFor(header.version);
        const QString first = kind == MemoKind::Fpt ? QStringLiteral("fpt") : QStringLiteral("dbt");
        const QString second =
            kind == MemoKind::Fpt ? QStringLiteral("dbt") : QStringLiteral("fpt");
        QString found = findMemo(path, first);
        MemoKind foundKind = kind;
        if (found.isEmpty()) {
            found = findMemo(path, second);
            foundKind = kind == MemoKind::Fpt ? MemoKind::Dbt3 : MemoKind::Fpt;
        }
        if (found.isEmpty()) {
            fail(QStringLiteral("%1: the memo file %2 is missing")
                     .arg(name, baseName(withExtension(path, first))));
        }
        memo = std::make_unique<MemoFile>(found, foundKind, access == Access::ReadWrite);
    }

    // Our own writes are no foreign change. Writers hold the exclusive lock, so the snapshot
    // can wait until flush(), unlock() or the next reloadIfChanged() (one fstat, not one per
    // write).
    void noteOwnWrite() {
        unsynced = true;
        stampStale = true;
        ++generation;
    }

    void refreshStamp() {
        if (!stampStale) return;
        stamp = stampOfFd(fd.get(), name);
        stampStale = false;
    }

    // Before our first change: a structural index we do not maintain must not be trusted by
    // the next program, so the flag goes first and the file is moved aside.
    void beforeChange() {
        requireWritable();
        if (cdxChecked) return;
        cdxChecked = true;
        if (!(header.tableFlags & 0x01)) return;
        const char flags = char(header.tableFlags & ~0x01);
        writeAt(fd.get(), &flags, 1, 28, name);
        header.tableFlags = uint8_t(flags);
        // FoxPro keeps a .cdx; under a dBase version byte the flag may mean a Harbour .cdx
        // or a dBase production .mdx.
        QStringList extensions = {QStringLiteral(".cdx")};
        if (!isFoxProVersion(header.version)) extensions << QStringLiteral(".mdx");
        const QFileInfo fi(path);
        for (const QString& ext : extensions) {
            const QString index = findIgnoringCase(fi.path(), fi.completeBaseName() + ext);
            if (index.isEmpty()) continue;
            if (!renameFile(index, index + QStringLiteral(".stale"))) {
                fail(QStringLiteral("%1: cannot move the stale index %2 aside: %3")
                         .arg(name, baseName(index), errnoText(errno)));
            }
        }
        noteOwnWrite();
    }

    bool nullBitSet(const char* record, int bit) const {
        return bit >= 0 && (uint8_t(record[header.nullFlagsOffset + bit / 8]) >> (bit % 8) & 1);
    }

    void setBit(char* record, int bit, bool on) const {
        if (bit < 0) return;
        char& b = record[header.nullFlagsOffset + bit / 8];
        if (on)
            b = char(uint8_t(b) | (1u << (bit % 8)));
        else
            b = char(uint8_t(b) & ~(1u << (bit % 8)));
    }

    // Polls a non-blocking flock with short, growing sleeps until the deadline.
    void lockOrThrow(int fd, LockKind kind, int timeoutMs) {
        using Clock = std::chrono::steady_clock;
        const auto deadline = Clock::now() + std::chrono::milliseconds(std::max(timeoutMs, 0));
        auto pause = std::chrono::milliseconds(1);
        while (!tryLock(fd, kind, name)) {
            const auto now = Clock::now();
            if (now >= deadline) fail(QStringLiteral("%1 is locked by another program").arg(name));
            std::this_thread::sleep_for(std::min<Clock::duration>(pause, deadline - now));
            pause = std::min(pause * 2, std::chrono::milliseconds(20));
        }
    }
};

DbfTable::DbfTable() : d(std::make_unique<Impl>()) {}

DbfTable::~DbfTable() {
    // A caller that forgot flush() must not lose appended records to a stale header count.
    if (d->fd && d->dirty) {
        try {
            flush(false);
        } catch (const DbfError&) {
        }
    }
}

std::unique_ptr<DbfTable> DbfTable::open(const QString& path, Access access) {
    std::unique_ptr<DbfTable> t(new DbfTable());
    Impl& d = *t->d;
    d.path = path;
    d.name = baseName(path);
    d.native = QFile::encodeName(path);
    d.access = access;
    const int fd =
        openFile(d.native, access == Access::ReadWrite ? OpenMode::ReadWrite : OpenMode::ReadOnly);
    if (fd < 0) fail(QStringLiteral("%1: cannot open: %2").arg(d.name, errnoText(errno)));
    d.fd = Fd(fd);
    d.load();
    d.openMemo();
    return t;
}

void DbfTable::create(const QString& path, const std::vector<FieldSpec>& fields) {
    const QString name = baseName(path);
    validateNewFields(fields, name);
    bool withMemo = false;
    for (const FieldSpec& f : fields) withMemo |= f.type == 'M';

    // Tables are matched ignoring letter case, so T.DBF already takes the name t.dbf.
    const QFileInfo fi(path);
    const QString existing = findIgnoringCase(fi.path(), fi.fileName());
    if (!existing.isEmpty()) fail(QStringLiteral("%1 already exists").arg(baseName(existing)));

    const QByteArray native = QFile::encodeName(path);
    Fd fd(openFile(native, OpenMode::CreateNew));
    if (!fd) {
        if (errno == EEXIST) fail(QStringLiteral("%1 already exists").arg(name));
        fail(QStringLiteral("%1: cannot create: %2").arg(name, errnoText(errno)));
    }
    try {
        if (withMemo) {
            const bool upper = !fi.suffix().isEmpty() && fi.suffix() == fi.suffix().toUpper();
            MemoFile::createFpt(
                withExtension(path, upper ? QStringLiteral("FPT") : QStringLiteral("fpt")));
        }
        QByteArray bytes = buildHeader(fields, withMemo);
        bytes.append('\x1A');
        writeAt(fd.get(), bytes.constData(), size_t(bytes.size()), 0, name);
        syncData(fd.get(), name);
    } catch (...) {
        removeFile(path);
        throw;
    }
}

const QString& DbfTable::path() const {
    return d->path;
}
uint8_t DbfTable::version() const {
    return d->header.version;
}
const CodePage& DbfTable::codePage() const {
    return *d->header.codePage;
}
const std::vector<DbfField>& DbfTable::fields() const {
    return d->header.fields;
}

int DbfTable::fieldIndex(QStringView name) const {
    const auto& fields = d->header.fields;
    for (size_t i = 0; i < fields.size(); ++i)
        if (QStringView(fields[i].name).compare(name, Qt::CaseInsensitive) == 0) return int(i);
    return -1;
}

uint32_t DbfTable::recordCount() const {
    return d->count;
}
uint16_t DbfTable::recordLength() const {
    return d->header.recordLength;
}

const char* DbfTable::record(uint32_t index) {
    Impl& t = *d;
    if (index >= t.count) {
        fail(QStringLiteral("%1: record %2 is out of range (%3 records)")
                 .arg(t.name)
                 .arg(index)
                 .arg(t.count));
    }
    if (t.isPending(index)) return t.pendingRecord(index);
    const size_t length = t.header.recordLength;
    if (index >= t.bufferFirst && index - t.bufferFirst < t.bufferCount) {
        t.lastIndex = index;
        return t.buffer.get() + size_t(index - t.bufferFirst) * length;
    }
    if (!t.buffer) {
        t.bufferSize = std::max(kReadAhead, length);
        t.buffer = std::make_unique<char[]>(t.bufferSize);
    }
    // A scan (the next record, or the first) reads ahead; a lookup reads one record.
    const bool sequential = index == 0 || int64_t(index) == t.lastIndex + 1;
    const uint32_t wanted =
        sequential ? uint32_t(std::min<uint64_t>(t.bufferSize / length, t.count - index)) : 1;
    const size_t got =
        readAt(t.fd.get(), t.buffer.get(), wanted * length, t.recordOffset(index), t.name);
    const uint32_t whole = uint32_t(got / length);
    if (whole == 0) {
        t.bufferCount = 0;
        fail(QStringLiteral("%1: the file ends inside record %2").arg(t.name).arg(index));
    }
    t.bufferFirst = index;
    t.bufferCount = whole;
    t.lastIndex = index;
    return t.buffer.get();
}

DbfValue DbfTable::value(const char* record, int field) {
    Impl& t = *d;
    if (field < 0 || size_t(field) >= t.header.fields.size()) {
        fail(QStringLiteral("%1: there is no field number %2").arg(t.name).arg(field));
    }
    const DbfField& f = t.header.fields[size_t(field)];
    const FieldInfo& fi = t.header.info[size_t(field)];
    if (t.nullBitSet(record, f.nullBit)) return DbfValue::null();
    const char* p = record + f.offset;
    const int length = f.length;
    const CodePage& cp = *t.header.codePage;
    switch (fi.kind) {
        case Kind::Char:
            return decodeChar(p, length, cp);
        case Kind::Varchar:
        case Kind::Varbinary: {
            int used = length;
            if (f.varBit >= 0) {
                if (t.nullBitSet(record, f.varBit))
                    used = std::min<int>(uint8_t(p[length - 1]), length - 1);
            } else if (fi.kind == Kind::Varchar) {
                return decodeChar(p, length, cp);  // no _NullFlags: padded like C
            }
            if (fi.kind == Kind::Varbinary) return DbfValue::fromBlob(QByteArray(p, used));
            DbfValue v;
            v.kind = DbfValue::Kind::Text;
            cp.decodeToUtf8(p, used, v.bytes);
            return v;
        }
        case Kind::Numeric:
            return decodeNumeric(p, length, f.decimals);
        case Kind::Date:
            return decodeDate(p);
        case Kind::Logical:
            return decodeLogical(*p);
        case Kind::Integer:
            return decodeInteger(p, length);
        case Kind::Double:
            return decodeDouble(p);
        case Kind::Currency:
            return decodeCurrency(p);
        case Kind::DateTime:
            return decodeDateTime(p);
        case Kind::Memo: {
            const uint64_t block = memoPointer(p, length, fi.binaryPointer);
            if (block == 0) return fi.memoText ? DbfValue::fromText({}) : DbfValue::fromBlob({});
            if (!t.memo) fail(QStringLiteral("%1: the table has no memo file").arg(t.name));
            const int type = t.memo->read(block, t.memoBytes);
            if (t.memoBytes.isEmpty())
                return fi.memoText ? DbfValue::fromText({}) : DbfValue::fromBlob({});
            if (fi.memoText && type == 1) {
                DbfValue v;
                v.kind = DbfValue::Kind::Text;
                cp.decodeToUtf8(t.memoBytes.constData(), int(t.memoBytes.size()), v.bytes);
                return v;
            }
            return DbfValue::fromBlob(t.memoBytes);
        }
    }
    return DbfValue::null();
}

QByteArray DbfTable::blankRecord() const {
    const Impl& t = *d;
    QByteArray r(t.header.recordLength, ' ');
    char* p = r.data();
    if (t.header.nullFlagsOffset >= 0)
        std::memset(p + t.header.nullFlagsOffset, 0, size_t(t.header.nullFlagsLength));
    for (size_t i = 0; i < t.header.fields.size(); ++i) {
        const DbfField& f = t.header.fields[i];
        const FieldInfo& fi = t.header.info[i];
        char* q = p + f.offset;
        switch (fi.kind) {
            case Kind::Integer:
            case Kind::Double:
            case Kind::Currency:
            case Kind::DateTime:
                std::memset(q, 0, f.length);
                break;
            case Kind::Memo:
                if (fi.binaryPointer) std::memset(q, 0, f.length);
                break;
            case Kind::Varchar:
            case Kind::Varbinary:
                if (f.varBit >= 0) {
                    std::memset(q, 0, f.length);  // empty: varlength bit set, length byte 0
                    t.setBit(p, f.varBit, true);
                }
                break;
            default:
                break;
        }
        t.setBit(p, f.nullBit, true);
    }
    return r;
}

void DbfTable::setValue(QByteArray& record, int field, const DbfValue& v) {
    Impl& t = *d;
    if (field < 0 || size_t(field) >= t.header.fields.size())
        fail(QStringLiteral("%1: there is no field number %2").arg(t.name).arg(field));
    if (record.size() != t.header.recordLength) {
        fail(QStringLiteral("%1: a record of %2 bytes given, the table's records have %3")
                 .arg(t.name)
                 .arg(record.size())
                 .arg(t.header.recordLength));
    }
    const DbfField& f = t.header.fields[size_t(field)];
    const FieldInfo& fi = t.header.info[size_t(field)];
    const CodePage& cp = *t.header.codePage;
    const bool toNull = v.isNull() && f.nullBit >= 0;

    // Build the field's new bytes aside, so a refused value leaves the record untouched.
    char bytes[512];
    char* out = f.length <= sizeof bytes ? bytes : nullptr;
    QByteArray big;
    if (!out) {
        big.resize(f.length);
        out = big.data();
    }
    std::memcpy(out, record.constData() + f.offset, f.length);
    bool varShort = false;
    try {
        switch (fi.kind) {
            case Kind::Char:
                encodeChar(v, out, f.length, cp, t.scratch);
                break;
            case Kind::Varchar:
            case Kind::Varbinary: {
                if (v.kind == DbfValue::Kind::Text && fi.kind == Kind::Varbinary)
                    t.scratch = v.bytes;
                else
                    textBytes(v, cp, t.scratch);
                const qsizetype n = t.scratch.size();
                if (n > f.length) {
                    throw EncodeError{QStringLiteral("a text of %1 characters does not fit in %2")
                                          .arg(n)
                                          .arg(f.length)};
                }
                if (f.varBit < 0) {
                    std::memcpy(out, t.scratch.constData(), size_t(n));
                    std::memset(out + n, ' ', size_t(f.length - n));
                } else {
                    std::memset(out, 0, f.length);
                    std::memcpy(out, t.scratch.constData(), size_t(n));
                    varShort = n < f.length;
                    if (varShort) out[f.length - 1] = char(n);
                }
                break;
            }
            case Kind::Numeric:
                encodeNumeric(v, out, f.length, f.decimals);
                break;
            case Kind::Date:
                encodeDate(v, out);
                break;
            case Kind::Logical:
                encodeLogical(v, out);
                break;
            case Kind::Integer:
                encodeInteger(v, out, f.length);
                break;
            case Kind::Double:
                encodeDouble(v, out);
                break;
            case Kind::Currency:
                encodeCurrency(v, out);
                break;
            case Kind::DateTime:
                encodeDateTime(v, out);
                break;
            case Kind::Memo: {
                int type = 1;
                if (v.kind == DbfValue::Kind::Blob) {
                    t.scratch = v.bytes;
                    type = f.type == 'P' ? 0 : 2;
                } else {
                    textBytes(v, cp, t.scratch);
                    if (!fi.memoText) type = f.type == 'P' ? 0 : 2;
                }
                uint32_t block = 0;
                if (!t.scratch.isEmpty()) {
                    // The same value again costs nothing: no new block, no change.
                    const uint64_t current = memoPointer(out, f.length, fi.binaryPointer);
                    bool same = false;
                    if (current != 0 && t.memo) {
                        try {
                            const int storedType = t.memo->read(current, t.stored);
                            same = t.stored == t.scratch &&
                                   (t.memo->kind() != MemoKind::Fpt || storedType == type);
                        } catch (const DbfError&) {
                            same = false;  // a damaged pointer is simply replaced
                        }
                    }
                    if (same) {
                        block = uint32_t(current);
                    } else {
                        t.requireWritable();
                        if (!t.memo)
                            fail(QStringLiteral("%1: the table has no memo file").arg(t.name));
                        block = t.memo->append(type, t.scratch.constData(), t.scratch.size());
                    }
                }
                if (toNull) block = 0;
                putMemoPointer(out, f.length, fi.binaryPointer, block);
                break;
            }
        }
    } catch (const EncodeError& e) {
        t.fieldFail(field, e.reason);
    }
    char* r = record.data();
    std::memcpy(r + f.offset, out, f.length);
    t.setBit(r, f.varBit, varShort || (f.varBit >= 0 && toNull));
    t.setBit(r, f.nullBit, toNull);
}

uint32_t DbfTable::append(const QByteArray& record) {
    Impl& t = *d;
    t.requireWritable();
    if (record.size() != t.header.recordLength) {
        fail(QStringLiteral("%1: a record of %2 bytes given, the table's records have %3")
                 .arg(t.name)
                 .arg(record.size())
                 .arg(t.header.recordLength));
    }
    if (t.count == UINT32_MAX) fail(QStringLiteral("%1: the table is full").arg(t.name));
    t.beforeChange();
    // The record joins the pending appends; the EOF marker follows them when they are
    // written, and the header count in flush().
    if (t.pending.isEmpty()) t.pendingFirst = t.count;
    t.pending.append(record);
    const uint32_t index = t.count;
    t.count = index + 1;
    t.dirty = true;
    ++t.generation;
    if (t.pending.size() >= kPendingLimit) t.writePending();
    return index;
}

void DbfTable::writeRecord(uint32_t index, const QByteArray& record) {
    Impl& t = *d;
    t.requireWritable();
    const size_t length = t.header.recordLength;
    if (size_t(record.size()) != length) {
        fail(QStringLiteral("%1: a record of %2 bytes given, the table's records have %3")
                 .arg(t.name)
                 .arg(record.size())
                 .arg(length));
    }
    if (index >= t.count) {
        fail(QStringLiteral("%1: record %2 is out of range (%3 records)")
                 .arg(t.name)
                 .arg(index)
                 .arg(t.count));
    }
    if (t.isPending(index)) {
        char* mine = t.pendingRecord(index);
        if (std::memcmp(mine, record.constData(), length) == 0) return;
        std::memcpy(mine, record.constData(), length);
        ++t.generation;
        return;
    }
    t.stored.resize(qsizetype(length));
    const uint64_t at = t.recordOffset(index);
    if (readAt(t.fd.get(), t.stored.data(), length, at, t.name) != length)
        fail(QStringLiteral("%1: the file ends inside record %2").arg(t.name).arg(index));
    const char* now = t.stored.constData();
    const char* want = record.constData();
    bool changed = false;
    size_t i = 0;
    while (i < length) {
        if (now[i] == want[i]) {
            ++i;
            continue;
        }
        size_t j = i + 1;
        while (j < length && now[j] != want[j]) ++j;
        if (!changed) {
            t.beforeChange();
            changed = true;
        }
        writeAt(t.fd.get(), want + i, j - i, at + i, t.name);
        i = j;
    }
    if (!changed) return;
    if (index >= t.bufferFirst && index - t.bufferFirst < t.bufferCount)
        std::memcpy(t.buffer.get() + size_t(index - t.bufferFirst) * length, want, length);
    t.dirty = true;
    t.noteOwnWrite();
}

void DbfTable::markDeleted(uint32_t index) {
    Impl& t = *d;
    t.requireWritable();
    if (index >= t.count) {
        fail(QStringLiteral("%1: record %2 is out of range (%3 records)")
                 .arg(t.name)
                 .arg(index)
                 .arg(t.count));
    }
    t.beforeChange();
    const char star = '*';
    if (t.isPending(index)) {
        *t.pendingRecord(index) = star;
        ++t.generation;
        return;
    }
    writeAt(t.fd.get(), &star, 1, t.recordOffset(index), t.name);
    if (index >= t.bufferFirst && index - t.bufferFirst < t.bufferCount)
        t.buffer[size_t(index - t.bufferFirst) * t.header.recordLength] = star;
    t.dirty = true;
    t.noteOwnWrite();
}

void DbfTable::truncateTo(uint32_t count) {
    Impl& t = *d;
    t.requireWritable();
    if (count >= t.count) return;
    t.beforeChange();
    if (!t.pending.isEmpty()) {
        if (count >= t.pendingFirst) {
            t.pending.truncate(qsizetype(count - t.pendingFirst) * t.header.recordLength);
            t.count = count;
            ++t.generation;
            return;
        }
        t.pending.clear();  // none of it reached the file
    }
    // Lower the header count first, so no moment has it pointing past the records.
    if (t.diskCount > count) {
        char c[4];
        for (int i = 0; i < 4; ++i) c[i] = char(count >> (8 * i));
        writeAt(t.fd.get(), c, 4, 4, t.name);
        t.diskCount = count;
    }
    const uint64_t end = t.recordOffset(count);
    const char eof = '\x1A';
    writeAt(t.fd.get(), &eof, 1, end, t.name);
    truncateFile(t.fd.get(), end + 1, t.name);
    t.count = count;
    t.bufferCount = 0;
    t.lastIndex = -1;
    t.dirty = true;
    t.noteOwnWrite();
}

void DbfTable::flush(bool durable) {
    Impl& t = *d;
    if (t.access != Access::ReadWrite) return;
    t.writePending();
    char h[7];
    const QDate today = QDate::currentDate();
    h[0] = char(yearByte(t.header.version, t.diskDate[0], today.year()));
    h[1] = char(today.month());
    h[2] = char(today.day());
    for (int i = 0; i < 4; ++i) h[3 + i] = char(t.count >> (8 * i));
    const bool headerChanged =
        t.dirty && (t.count != t.diskCount || std::memcmp(h, t.diskDate, 3) != 0);

    if (durable && t.memo) t.memo->sync();
    if (headerChanged) {
        // Records reach the disk before a count that includes them.
        if (durable && t.count > t.diskCount && t.unsynced) syncData(t.fd.get(), t.name);
        writeAt(t.fd.get(), h, sizeof h, 1, t.name);
        std::memcpy(t.diskDate, h, 3);
        t.diskCount = t.count;
        t.unsynced = true;
        t.stampStale = true;
    }
    if (durable && t.unsynced) {
        syncData(t.fd.get(), t.name);
        t.unsynced = false;
    }
    t.dirty = false;
    t.refreshStamp();
}

void DbfTable::lock(Lock level, int timeoutMs) {
    Impl& t = *d;
    if (level == Lock::None) {
        unlock();
        return;
    }
    if (t.lock == Lock::Exclusive || t.lock == level) return;
    try {
        t.lockOrThrow(t.fd.get(), level == Lock::Exclusive ? LockKind::Exclusive : LockKind::Shared,
                      timeoutMs);
    } catch (const DbfError&) {
        // Linux drops a shared lock while trying to convert it; take it back if we can.
        if (t.lock == Lock::Shared && !tryLock(t.fd.get(), LockKind::Shared, t.name))
            t.lock = Lock::None;
        throw;
    }
    t.lock = level;
}

void DbfTable::unlock() {
    Impl& t = *d;
    if (t.lock == Lock::None) return;
    t.writePending();  // other programs read the file, not our memory
    t.refreshStamp();
    unlockFile(t.fd.get());
    t.lock = Lock::None;
}

DbfTable::Lock DbfTable::lockLevel() const {
    return d->lock;
}

bool DbfTable::reloadIfChanged() {
    Impl& t = *d;
    if (!t.pending.isEmpty()) return false;  // we hold the exclusive lock: nobody else wrote
    t.refreshStamp();
    FileStamp now;
    if (!stampOfPath(t.native, now))
        fail(QStringLiteral("%1: the file is gone: %2").arg(t.name, errnoText(errno)));
    bool changed = false;
    if (now != t.stamp) {
        if (now.inode != t.stamp.inode || now.device != t.stamp.device) {
            // Replaced by another program: continue on the new file, under the same lock.
            Fd fresh(openFile(t.native, t.access == Access::ReadWrite ? OpenMode::ReadWrite
                                                                      : OpenMode::ReadOnly));
            if (!fresh) fail(QStringLiteral("%1: cannot open: %2").arg(t.name, errnoText(errno)));
            if (t.lock != Lock::None)
                t.lockOrThrow(fresh.get(),
                              t.lock == Lock::Exclusive ? LockKind::Exclusive : LockKind::Shared,
                              0);
            t.fd = std::move(fresh);
            t.cdxChecked = false;
        }
        t.load();
        if (!t.header.hasMemoFields)
            t.memo.reset();
        else if (t.memo)
            t.memo->refresh();
        else
            t.openMemo();
        changed = true;
    } else if (t.memo && t.memo->refresh()) {
        changed = true;  // a memo may have been rewritten in place
    }
    if (changed) ++t.generation;
    return changed;
}

uint64_t DbfTable::generation() const {
    return d->generation;
}

}  // namespace dbf
