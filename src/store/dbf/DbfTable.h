#pragma once

#include "CodePage.h"
#include "DbfField.h"
#include "DbfValue.h"

#include <QByteArray>
#include <QString>
#include <memory>
#include <vector>

namespace dbf {

class MemoFile;

// One DBF table file (with its memo file) opened for reading or writing.
//
// Reading is lenient about what other xBase tools leave behind (missing EOF marker, a
// trailing partial record, a header count beyond the data) and strict about anything that
// would make us read outside the file: such a file gives a DbfError naming it.
//
// Writing follows the order that survives an interruption: a new record and the EOF marker
// go to disk before the header count; flush(true) returns only after fdatasync.
class DbfTable {
public:
    enum class Access { ReadOnly, ReadWrite };
    enum class Lock { None, Shared, Exclusive };

    // Throws DbfError (naming the file) when the file is missing, unreadable or malformed.
    static std::unique_ptr<DbfTable> open(const QString& path, Access access);

    // Creates a Visual FoxPro table (version 0x30, code page 1251, byte 29 = 0xC9) with a .fpt
    // memo file when a field is M. Refuses an existing file, invalid or duplicate field names
    // and impossible lengths with a DbfError.
    static void create(const QString& path, const std::vector<FieldSpec>& fields);

    ~DbfTable();
    DbfTable(const DbfTable&) = delete;
    DbfTable& operator=(const DbfTable&) = delete;

    const QString& path() const;
    uint8_t version() const;
    const CodePage& codePage() const;

    // The visible fields (the hidden _NullFlags field is not listed).
    const std::vector<DbfField>& fields() const;
    int fieldIndex(QStringView name) const;  // letter case ignored; -1 when absent

    // Records are numbered from 0 in file order. The count is the header count, limited to
    // the whole records the file holds.
    uint32_t recordCount() const;
    uint16_t recordLength() const;

    // The bytes of record `index` (recordLength() bytes, deletion flag first). The pointer
    // stays valid until the next call on this table. Sequential reads are served from a
    // read-ahead buffer. Throws DbfError on I/O errors or an index out of range.
    const char* record(uint32_t index);
    static bool isDeleted(const char* record) { return record[0] == '*'; }

    // Decodes one field: text without trailing pad blanks (UTF-8), blank N/F/D/L as NULL,
    // D as "yyyy-mm-dd", T as "yyyy-mm-dd hh:mm:ss", L as 0/1, I/B/Y as numbers, memos read
    // from the memo file, NULL for fields whose _NullFlags bit is set.
    DbfValue value(const char* record, int field);

    // --- writing: the caller holds an exclusive lock -------------------------------------

    // A record with every field blank: spaces for C N F D L and 10-byte memo pointers,
    // zeros for I B Y T and 4-byte memo pointers, NULL bits set for nullable fields.
    QByteArray blankRecord() const;

    // Stores v into field `field` of `record` (which holds the record's current bytes).
    // Converts between kinds where that is lossless or conventional (a number into C is its
    // decimal text; "yyyy-mm-dd", "" and "0000-00-00" into D; 1/0/true/false/T/F/Y/N into L;
    // NULL into a field that cannot be NULL gives its blank). Throws DbfError naming the file
    // and field for text the code page cannot hold, text longer than a C field, a number too
    // wide for an N field, text that is not a number for a numeric field, a bad date.
    // A memo whose text equals the stored one is left alone (no new memo block).
    void setValue(QByteArray& record, int field, const DbfValue& v);

    // Appends a record; returns its index. Appended records are held in memory and written
    // together (followed by the EOF marker) by flush(), unlock() or when enough have gathered;
    // the header count on disk follows them in flush().
    uint32_t append(const QByteArray& record);
    // Rewrites record `index`; only the bytes that differ from the stored record are written.
    void writeRecord(uint32_t index, const QByteArray& record);
    void markDeleted(uint32_t index);
    // Drops records appended at or after `count` (used to undo a failed statement).
    void truncateTo(uint32_t count);

    // Writes the header (count, date) when it changed; with durable, fdatasync of the memo
    // file and then of the table, in an order that never lets a header count point past
    // records that are not on disk.
    void flush(bool durable);

    // --- sharing with other processes ---------------------------------------------------

    // Advisory locks on the open file description (flock), so that two processes, or two
    // tables of one file in one process, exclude each other. Waits up to timeoutMs and then
    // throws DbfError ("... is locked by another program").
    void lock(Lock level, int timeoutMs = 10000);
    void unlock();
    Lock lockLevel() const;

    // True when the file was changed by someone else since we last read its header (size,
    // modification time, inode); the header and caches are then reloaded.
    bool reloadIfChanged();
    // A counter that grows whenever the records may have changed (our writes or a reload),
    // so that callers can keep derived data such as indexes.
    uint64_t generation() const;

private:
    DbfTable();
    struct Impl;
    std::unique_ptr<Impl> d;
};

}  // namespace dbf
