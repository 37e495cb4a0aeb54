#pragma once

// Helpers shared by the codec tests: sample files, value shorthands, raw table bytes.

#include "DbfError.h"
#include "DbfTable.h"
#include "DbfValue.h"

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QString>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cstring>
#include <ostream>
#include <string>
#include <vector>

namespace dbf {

inline bool operator==(const DbfValue& a, const DbfValue& b) {
    if (a.kind != b.kind) return false;
    switch (a.kind) {
        case DbfValue::Kind::Null:
            return true;
        case DbfValue::Kind::Integer:
            return a.integer == b.integer;
        case DbfValue::Kind::Real:
            return a.real == b.real;
        default:
            return a.bytes == b.bytes;
    }
}

inline void PrintTo(const DbfValue& v, std::ostream* os) {
    switch (v.kind) {
        case DbfValue::Kind::Null:
            *os << "NULL";
            break;
        case DbfValue::Kind::Integer:
            *os << "Integer(" << v.integer << ")";
            break;
        case DbfValue::Kind::Real:
            *os << "Real(" << v.real << ")";
            break;
        case DbfValue::Kind::Text:
            *os << "Text(\"" << v.bytes.toStdString() << "\")";
            break;
        case DbfValue::Kind::Blob:
            *os << "Blob(" << v.bytes.toHex().toStdString() << ")";
            break;
    }
}

}  // namespace dbf

namespace dbftest {

using dbf::DbfTable;
using dbf::DbfValue;

inline DbfValue Null() {
    return DbfValue::null();
}
inline DbfValue Int(int64_t v) {
    return DbfValue::fromInteger(v);
}
inline DbfValue Real(double v) {
    return DbfValue::fromReal(v);
}
inline DbfValue Text(const char* utf8) {
    return DbfValue::fromText(QByteArray(utf8));
}
inline DbfValue Blob(const QByteArray& b) {
    return DbfValue::fromBlob(b);
}

inline QString samplesDir() {
    return QStringLiteral(VELMORA_SHARED_DIR "/dbf-samples");
}
inline QString samplePath(const QString& file) {
    return samplesDir() + QLatin1Char('/') + file;
}

inline QByteArray readFile(const QString& path) {
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) return {};
    return f.readAll();
}

inline void writeFile(const QString& path, const QByteArray& bytes) {
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate)) << path.toStdString();
    ASSERT_EQ(f.write(bytes), bytes.size());
}

// Copies a sample table and its memo file (whatever the extension's case) into dir, writable.
inline QString copySample(const QTemporaryDir& dir, const QString& dbfName) {
    const QString stem = QFileInfo(dbfName).completeBaseName();
    const QStringList files =
        QDir(samplesDir()).entryList({stem + QStringLiteral(".*")}, QDir::Files);
    for (const QString& f : files) {
        const QString to = dir.filePath(f);
        QFile::remove(to);
        QFile::copy(samplePath(f), to);
        QFile::setPermissions(to, QFile::ReadOwner | QFile::WriteOwner);
    }
    return dir.filePath(dbfName);
}

// Runs `what` and returns the DbfError message ("" when nothing was thrown).
template <typename F>
std::string errorOf(F&& what) {
    try {
        what();
    } catch (const dbf::DbfError& e) {
        return e.message().toStdString();
    }
    return {};
}

// --- raw table bytes, for files no writer at hand produces ------------------------------

struct RawField {
    std::string name;
    char type;
    int length;
    int decimals = 0;
    int flags = 0;
};

struct RawTable {
    uint8_t version = 0x03;
    std::vector<RawField> fields;
    std::vector<QByteArray> records;  // each with its deletion flag
    uint8_t languageDriver = 0xC9;
    uint8_t tableFlags = 0;
    int count = -1;  // header count; -1 = records.size()
    bool eof = true;

    bool vfp() const { return version == 0x30 || version == 0x31 || version == 0x32; }

    int recordLength() const {
        int n = 1;
        for (const RawField& f : fields) n += f.length;
        return n;
    }

    QByteArray header() const {
        const int headerLength = 32 + 32 * int(fields.size()) + 1 + (vfp() ? 263 : 0);
        QByteArray h(headerLength, '\0');
        char* p = h.data();
        p[0] = char(version);
        p[1] = 26;
        p[2] = 12;
        p[3] = 11;
        const uint32_t n = count < 0 ? uint32_t(records.size()) : uint32_t(count);
        std::memcpy(p + 4, &n, 4);
        const uint16_t hl = uint16_t(headerLength), rl = uint16_t(recordLength());
        std::memcpy(p + 8, &hl, 2);
        std::memcpy(p + 10, &rl, 2);
        p[28] = char(tableFlags);
        p[29] = char(languageDriver);
        uint32_t at = 1;
        for (size_t i = 0; i < fields.size(); ++i) {
            char* d = p + 32 + 32 * i;
            std::memcpy(d, fields[i].name.data(), std::min<size_t>(fields[i].name.size(), 10));
            d[11] = fields[i].type;
            if (vfp()) std::memcpy(d + 12, &at, 4);
            d[16] = char(fields[i].length);
            d[17] = char(fields[i].decimals);
            d[18] = char(fields[i].flags);
            at += uint32_t(fields[i].length);
        }
        p[32 + 32 * fields.size()] = '\r';
        return h;
    }

    QByteArray bytes() const {
        QByteArray b = header();
        for (const QByteArray& r : records) b += r;
        if (eof) b += '\x1A';
        return b;
    }
};

inline QByteArray le32(uint32_t v) {
    return QByteArray(reinterpret_cast<const char*>(&v), 4);
}

inline QByteArray le64(int64_t v) {
    return QByteArray(reinterpret_cast<const char*>(&v), 8);
}

inline QByteArray be32(uint32_t v) {
    const char b[4] = {char(v >> 24), char(v >> 16), char(v >> 8), char(v)};
    return QByteArray(b, 4);
}

// An .fpt with the given block size and memos (type, data) from the first block after the
// 512-byte header; returns the file bytes and the memos' block numbers.
inline QByteArray makeFpt(uint32_t blockSize, const std::vector<QByteArray>& memos,
                          std::vector<uint32_t>* blocks = nullptr) {
    QByteArray f(512, '\0');
    uint32_t next = (512 + blockSize - 1) / blockSize;
    f.resize(qsizetype(next) * blockSize, '\0');
    for (const QByteArray& m : memos) {
        if (blocks) blocks->push_back(next);
        QByteArray block = be32(1) + be32(uint32_t(m.size())) + m;
        const uint32_t n = (uint32_t(block.size()) + blockSize - 1) / blockSize;
        block.resize(qsizetype(n) * blockSize, '\0');
        f += block;
        next += n;
    }
    const QByteArray head = be32(next);
    std::memcpy(f.data(), head.constData(), 4);
    f[6] = char(blockSize >> 8);
    f[7] = char(blockSize);
    return f;
}

}  // namespace dbftest
