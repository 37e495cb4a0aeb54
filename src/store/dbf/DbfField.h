#pragma once

#include <QByteArray>
#include <QString>
#include <cstdint>

namespace dbf {

// One field descriptor of a table, as read from its header.
struct DbfField {
    QString name;         // lower case, as SQL sees it
    QByteArray rawName;   // as stored (cut at the first NUL)
    char type = 'C';      // C N F D L M I B Y T G V P Q W ...
    uint32_t offset = 0;  // byte offset inside the record, the deletion flag being byte 0
    uint16_t length = 0;
    uint8_t decimals = 0;
    uint8_t flags = 0;    // VFP field flags: 0x01 system, 0x02 nullable, 0x04 binary
    int nullBit = -1;     // bit in _NullFlags that marks NULL, -1 when none
    int varBit = -1;      // bit in _NullFlags that marks a short V/Q value, -1 when none
};

// A field of a table to be created.
struct FieldSpec {
    QString name;   // ASCII, 1..10 characters
    char type;      // C N F D L M I B Y T
    int length;     // C: 1..254, N/F: 1..20; ignored for fixed-size types
    int decimals;   // N/F/B
};

}  // namespace dbf
