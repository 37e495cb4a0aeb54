#pragma once

#include <QByteArray>
#include <cstdint>

namespace dbf {

// One field value as the SQL layer sees it. Text is UTF-8 so it can go to SQLite unconverted.
struct DbfValue {
    enum class Kind { Null, Integer, Real, Text, Blob };

    Kind kind = Kind::Null;
    int64_t integer = 0;
    double real = 0.0;
    QByteArray bytes;  // Text: UTF-8; Blob: raw bytes

    static DbfValue null() { return {}; }
    static DbfValue fromInteger(int64_t v) { DbfValue x; x.kind = Kind::Integer; x.integer = v; return x; }
    static DbfValue fromReal(double v) { DbfValue x; x.kind = Kind::Real; x.real = v; return x; }
    static DbfValue fromText(QByteArray utf8) { DbfValue x; x.kind = Kind::Text; x.bytes = std::move(utf8); return x; }
    static DbfValue fromBlob(QByteArray raw) { DbfValue x; x.kind = Kind::Blob; x.bytes = std::move(raw); return x; }
    bool isNull() const { return kind == Kind::Null; }
};

}  // namespace dbf
