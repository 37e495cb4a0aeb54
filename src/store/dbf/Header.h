#pragma once

#include "CodePage.h"
#include "DbfField.h"

#include <QByteArray>
#include <QString>
#include <cstdint>
#include <vector>

namespace dbf::detail {

// How a field's bytes are decoded; chosen once at open so value() is a switch.
enum class Kind : uint8_t {
    Char,       // C, and types we do not know (read as text)
    Varchar,    // V
    Varbinary,  // Q
    Numeric,    // N F
    Date,       // D
    Logical,    // L
    Integer,    // I
    Double,     // B of 8 bytes
    Currency,   // Y
    DateTime,   // T
    Memo,       // M G P W, and B of other lengths (dBase binary memo)
};

struct FieldInfo {
    Kind kind = Kind::Char;
    bool binaryPointer = false;  // memo pointer is uint32 LE (4 bytes), else ASCII digits
    bool memoText = false;       // M/G: text blocks come back as text, else always a blob
};

enum class MemoKind { None, Fpt, Dbt3, Dbt4 };

struct Header {
    uint8_t version = 0;
    uint8_t tableFlags = 0;
    uint8_t languageDriver = 0;
    uint8_t year = 0;  // bytes 1..3 as stored
    uint8_t month = 0;
    uint8_t day = 0;
    uint32_t headerCount = 0;
    uint16_t headerLength = 0;
    uint16_t recordLength = 0;
    bool vfp = false;  // 0x30..0x32: displacements, field flags, _NullFlags, 263-byte area
    const CodePage* codePage = nullptr;
    std::vector<DbfField> fields;  // visible fields
    std::vector<FieldInfo> info;   // parallel to fields
    int nullFlagsOffset = -1;      // byte offset of _NullFlags inside the record
    int nullFlagsLength = 0;
    bool hasMemoFields = false;
};

constexpr int kHeaderPrefix = 32;
constexpr int kDescriptorSize = 32;
constexpr int kBacklinkSize = 263;

// Reads and checks the header of an open table file. Throws DbfError naming `name`.
Header readHeader(int fd, uint64_t fileSize, const QString& name);

// The memo format a table of this version uses, and the extension to look for first.
MemoKind memoKindFor(uint8_t version);

bool isFoxProVersion(uint8_t version);

// The header bytes of a new table (profile A: VFP 0x30, cp1251), 0x0D and the 263-byte area
// included. The fields must have passed validateNewFields.
QByteArray buildHeader(const std::vector<FieldSpec>& fields, bool withMemo);
// Throws DbfError naming `name` for fields a new table cannot have.
void validateNewFields(const std::vector<FieldSpec>& fields, const QString& name);

// The year byte for today's date under the table's convention (FoxPro: year mod 100,
// dBase: year - 1900, recognised from the stored byte).
uint8_t yearByte(uint8_t version, uint8_t storedYear, int year);

}  // namespace dbf::detail
