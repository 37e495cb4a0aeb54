#include "Header.h"

#include "FileIo.h"

#include <QDate>

#include <algorithm>
#include <cstring>

namespace dbf::detail {

namespace {

uint16_t le16(const char* p) {
    return uint16_t(uint8_t(p[0]) | uint8_t(p[1]) << 8);
}

uint32_t le32(const char* p) {
    return uint32_t(uint8_t(p[0])) | uint32_t(uint8_t(p[1])) << 8 | uint32_t(uint8_t(p[2])) << 16 |
           uint32_t(uint8_t(p[3])) << 24;
}

void putLe16(char* p, uint16_t v) {
    p[0] = char(v);
    p[1] = char(v >> 8);
}

void putLe32(char* p, uint32_t v) {
    for (int i = 0; i < 4; ++i) p[i] = char(v >> (8 * i));
}

struct RawField {
    QByteArray name;
    char type;
    uint32_t displacement;
    uint8_t length;
    uint8_t decimals;
    uint8_t flags;
};

FieldInfo infoFor(char type, int length) {
    FieldInfo fi;
    switch (type) {
        case 'C':
            fi.kind = Kind::Char;
            break;
        case 'V':
            fi.kind = Kind::Varchar;
            break;
        case 'Q':
            fi.kind = Kind::Varbinary;
            break;
        case 'N':
        case 'F':
            fi.kind = Kind::Numeric;
            break;
        case 'D':
            fi.kind = length == 8 ? Kind::Date : Kind::Char;
            break;
        case 'L':
            fi.kind = Kind::Logical;
            break;
        case 'I':
            fi.kind = length <= 8 ? Kind::Integer : Kind::Char;
            break;
        case 'Y':
            fi.kind = length == 8 ? Kind::Currency : Kind::Char;
            break;
        case 'T':
            fi.kind = length == 8 ? Kind::DateTime : Kind::Char;
            break;
        case 'B':
            // VFP double when 8 bytes; dBase IV/5 keep a binary memo pointer in 10 bytes.
            if (length == 8) {
                fi.kind = Kind::Double;
            } else {
                fi.kind = Kind::Memo;
                fi.binaryPointer = length == 4;
            }
            break;
        case 'M':
            fi.kind = Kind::Memo;
            fi.binaryPointer = length == 4;
            fi.memoText = true;
            break;
        case 'G':  // OLE data; writers tag it as text (type 1) too, so the type cannot tell
        case 'P':
        case 'W':
            fi.kind = Kind::Memo;
            fi.binaryPointer = length == 4;
            break;
        default:
            fi.kind = Kind::Char;
            break;
    }
    return fi;
}

QString fieldLabel(const RawField& f) {
    return QString::fromLatin1(f.name);
}

// The bytes a field of a new table takes in a record, and the decimals its descriptor holds;
// the type is one validateNewFields accepts.
struct StoredFieldSize {
    int length = 0;
    int decimals = 0;
};

StoredFieldSize StoredSize(const FieldSpec& f) {
    switch (f.type) {
        case 'C': return {f.length, 0};
        case 'N':
        case 'F': return {f.length, f.decimals};
        case 'B': return {8, f.decimals};
        case 'L': return {1, 0};
        case 'M':
        case 'I': return {4, 0};
        default: return {8, 0};  // D Y T
    }
}

}  // namespace

bool isFoxProVersion(uint8_t version) {
    return version == 0x30 || version == 0x31 || version == 0x32 || version == 0xF5 ||
           version == 0xFB;
}

MemoKind memoKindFor(uint8_t version) {
    if (isFoxProVersion(version)) return MemoKind::Fpt;
    // dBase: bit 3 marks dBase IV memo blocks; Perl's XBase writes 0x84 for them.
    if (version == 0x84 || (version & 0x08) != 0) return MemoKind::Dbt4;
    return MemoKind::Dbt3;
}

Header readHeader(int fd, uint64_t fileSize, const QString& name) {
    if (fileSize == 0) fail(QStringLiteral("%1: the file is empty").arg(name));
    if (fileSize < kHeaderPrefix) {
        fail(QStringLiteral("%1: the file is too short for a table header (%2 bytes)")
                 .arg(name)
                 .arg(fileSize));
    }
    char prefix[kHeaderPrefix];
    if (readAt(fd, prefix, kHeaderPrefix, 0, name) != size_t(kHeaderPrefix))
        fail(QStringLiteral("%1: the file is too short for a table header").arg(name));

    Header h;
    h.version = uint8_t(prefix[0]);
    h.year = uint8_t(prefix[1]);
    h.month = uint8_t(prefix[2]);
    h.day = uint8_t(prefix[3]);
    h.headerCount = le32(prefix + 4);
    h.headerLength = le16(prefix + 8);
    h.recordLength = le16(prefix + 10);
    h.tableFlags = uint8_t(prefix[28]);
    h.languageDriver = uint8_t(prefix[29]);
    h.vfp = h.version == 0x30 || h.version == 0x31 || h.version == 0x32;
    h.codePage = &CodePage::forLanguageDriver(h.languageDriver);

    // dBase 7 has format level 4 in the low bits and a different header layout.
    if ((h.version & 0x07) == 0x04 && h.version != 0x84 && !isFoxProVersion(h.version)) {
        fail(
            QStringLiteral("%1: dBase 7 tables (version byte 0x%2) are not supported")
                .arg(name)
                .arg(QString::number(h.version, 16).toUpper().rightJustified(2, QLatin1Char('0'))));
    }
    constexpr int minimum = kHeaderPrefix + kDescriptorSize + 1;
    if (h.headerLength < minimum) {
        fail(QStringLiteral("%1: header length %2 is too short for a table header (at least %3)")
                 .arg(name)
                 .arg(h.headerLength)
                 .arg(minimum));
    }
    if (h.headerLength > fileSize) {
        fail(QStringLiteral("%1: header length %2 is beyond the end of the file (%3 bytes)")
                 .arg(name)
                 .arg(h.headerLength)
                 .arg(fileSize));
    }

    QByteArray bytes(h.headerLength, Qt::Uninitialized);
    if (readAt(fd, bytes.data(), size_t(bytes.size()), 0, name) != size_t(bytes.size()))
        fail(QStringLiteral("%1: the header is cut short").arg(name));
    const char* data = bytes.constData();

    std::vector<RawField> raw;
    int pos = kHeaderPrefix;
    for (;;) {
        if (pos >= h.headerLength ||
            (data[pos] != '\r' && pos + kDescriptorSize > h.headerLength)) {
            fail(QStringLiteral("%1: the field descriptors have no terminator (0x0D) within the "
                                "header length %2")
                     .arg(name)
                     .arg(h.headerLength));
        }
        if (data[pos] == '\r') break;
        const char* d = data + pos;
        RawField f;
        f.name = QByteArray(d, int(qstrnlen(d, 11)));
        f.type = d[11];
        f.displacement = le32(d + 12);
        f.length = uint8_t(d[16]);
        f.decimals = uint8_t(d[17]);
        f.flags = h.vfp ? uint8_t(d[18]) : 0;
        raw.push_back(f);
        pos += kDescriptorSize;
    }
    if (raw.empty()) fail(QStringLiteral("%1: the table has no fields").arg(name));

    // FoxPro and Clipper keep the high byte of a long C field in the decimals byte; take
    // that reading only when it is the one that matches the record length.
    uint64_t plain = 1, extended = 1;
    for (const RawField& f : raw) {
        plain += f.length;
        extended += f.type == 'C' ? f.length + 256u * f.decimals : f.length;
    }
    const bool useExtended = extended != plain && extended == h.recordLength;
    if (!useExtended && plain != h.recordLength) {
        fail(QStringLiteral("%1: record length %2 does not match the fields (%3 bytes)")
                 .arg(name)
                 .arg(h.recordLength)
                 .arg(plain));
    }

    std::vector<uint32_t> lengths(raw.size());
    for (size_t i = 0; i < raw.size(); ++i) {
        const RawField& f = raw[i];
        lengths[i] = useExtended && f.type == 'C' ? f.length + 256u * f.decimals : f.length;
        if (lengths[i] == 0) {
            fail(QStringLiteral("%1: field %2 has length 0").arg(name, fieldLabel(f)));
        }
    }

    // Offsets by summing lengths; VFP also stores displacements, which win when they are
    // set and differ, as long as they describe fields that fit and do not overlap.
    std::vector<uint32_t> offsets(raw.size());
    uint32_t at = 1;
    bool displacementsDiffer = false, anyDisplacement = false;
    for (size_t i = 0; i < raw.size(); ++i) {
        offsets[i] = at;
        at += lengths[i];
        anyDisplacement |= raw[i].displacement != 0;
        displacementsDiffer |= raw[i].displacement != offsets[i];
    }
    if (h.vfp && anyDisplacement && displacementsDiffer) {
        std::vector<size_t> order(raw.size());
        for (size_t i = 0; i < raw.size(); ++i) {
            const uint64_t start = raw[i].displacement;
            if (start < 1 || start + lengths[i] > h.recordLength) {
                fail(QStringLiteral("%1: field %2 lies beyond the end of the record")
                         .arg(name, fieldLabel(raw[i])));
            }
            offsets[i] = raw[i].displacement;
            order[i] = i;
        }
        std::sort(order.begin(), order.end(),
                  [&](size_t a, size_t b) { return offsets[a] < offsets[b]; });
        for (size_t k = 1; k < order.size(); ++k) {
            const size_t a = order[k - 1], b = order[k];
            if (offsets[a] + lengths[a] > offsets[b]) {
                fail(QStringLiteral("%1: fields %2 and %3 overlap")
                         .arg(name, fieldLabel(raw[a]), fieldLabel(raw[b])));
            }
        }
    }

    int nextBit = 0;
    for (size_t i = 0; i < raw.size(); ++i) {
        const RawField& f = raw[i];
        if (f.type == '0') {
            // VFP's _NullFlags: hidden, the first one holds the bits.
            if (h.nullFlagsOffset < 0) {
                h.nullFlagsOffset = int(offsets[i]);
                h.nullFlagsLength = int(lengths[i]);
            }
            continue;
        }
        DbfField df;
        df.rawName = f.name;
        df.name = h.codePage->decode(f.name.constData(), int(f.name.size())).trimmed().toLower();
        df.type = f.type;
        df.offset = offsets[i];
        df.length = uint16_t(lengths[i]);
        df.decimals = f.type == 'C' && useExtended ? 0 : f.decimals;
        df.flags = f.flags;
        h.fields.push_back(df);
        h.info.push_back(infoFor(f.type, int(lengths[i])));
        if (h.info.back().kind == Kind::Memo) h.hasMemoFields = true;
    }
    // VFP's bit rule: in field order, a varlength bit for each V/Q field, then a null bit
    // for each nullable field (right after its varlength bit).
    if (h.vfp) {
        for (DbfField& df : h.fields) {
            if (df.type == 'V' || df.type == 'Q') df.varBit = nextBit++;
            if (df.flags & 0x02) df.nullBit = nextBit++;
        }
    }
    const int bits = h.nullFlagsOffset >= 0 ? h.nullFlagsLength * 8 : 0;
    for (DbfField& df : h.fields) {
        if (df.varBit >= bits) df.varBit = -1;
        if (df.nullBit >= bits) df.nullBit = -1;
    }
    return h;
}

void validateNewFields(const std::vector<FieldSpec>& fields, const QString& name) {
    if (fields.empty()) fail(QStringLiteral("%1: a table needs at least one field").arg(name));
    if (fields.size() > 255) {
        fail(QStringLiteral("%1: a table can have at most 255 fields (%2 given)")
                 .arg(name)
                 .arg(fields.size()));
    }
    uint32_t recordLength = 1;
    for (size_t i = 0; i < fields.size(); ++i) {
        const FieldSpec& f = fields[i];
        const QString label = QStringLiteral("%1: field \"%2\"").arg(name, f.name);
        if (f.name.isEmpty() || f.name.size() > 10)
            fail(label + QStringLiteral(": a field name has 1 to 10 characters"));
        for (qsizetype k = 0; k < f.name.size(); ++k) {
            const char16_t c = f.name[k].unicode();
            const bool letter = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_';
            const bool digit = c >= '0' && c <= '9';
            if (!letter && !(digit && k > 0)) {
                fail(label + QStringLiteral(": a field name is ASCII letters, digits and '_', "
                                            "starting with a letter or '_'"));
            }
        }
        for (size_t j = 0; j < i; ++j) {
            if (fields[j].name.compare(f.name, Qt::CaseInsensitive) == 0)
                fail(label + QStringLiteral(": the name is used twice"));
        }
        switch (f.type) {
            case 'C':
                if (f.length < 1 || f.length > 254)
                    fail(label + QStringLiteral(": C length must be 1..254, not %1").arg(f.length));
                break;
            case 'N':
            case 'F':
                if (f.length < 1 || f.length > 20)
                    fail(label + QStringLiteral(": %1 length must be 1..20, not %2")
                                     .arg(QChar(f.type))
                                     .arg(f.length));
                if (f.decimals < 0 || (f.decimals > 0 && f.decimals > f.length - 2))
                    fail(label + QStringLiteral(": %1 decimals for a width of %2")
                                     .arg(f.decimals)
                                     .arg(f.length));
                break;
            case 'B':
                if (f.decimals < 0 || f.decimals > 18)
                    fail(label +
                         QStringLiteral(": B decimals must be 0..18, not %1").arg(f.decimals));
                break;
            case 'D':
            case 'Y':
            case 'T':
            case 'L':
            case 'M':
            case 'I':
                break;
            default:
                fail(label + QStringLiteral(": type '%1' cannot be created (C N F D L M I B Y T)")
                                 .arg(QChar(f.type)));
        }
        recordLength += uint32_t(StoredSize(f).length);
    }
    if (recordLength > 65535)
        fail(QStringLiteral("%1: the record would be %2 bytes long (at most 65535)")
                 .arg(name)
                 .arg(recordLength));
}

QByteArray buildHeader(const std::vector<FieldSpec>& fields, bool withMemo) {
    const int n = int(fields.size());
    const int headerLength = kHeaderPrefix + kDescriptorSize * n + 1 + kBacklinkSize;
    QByteArray h(headerLength, '\0');
    char* p = h.data();
    const QDate today = QDate::currentDate();
    p[0] = char(0x30);
    p[1] = char(today.year() % 100);
    p[2] = char(today.month());
    p[3] = char(today.day());
    putLe16(p + 8, uint16_t(headerLength));
    p[28] = withMemo ? char(0x02) : char(0);
    p[29] = char(0xC9);
    uint32_t offset = 1;
    for (int i = 0; i < n; ++i) {
        const FieldSpec& f = fields[size_t(i)];
        char* d = p + kHeaderPrefix + kDescriptorSize * i;
        const QByteArray upper = f.name.toUpper().toLatin1();
        std::memcpy(d, upper.constData(), size_t(upper.size()));
        d[11] = f.type;
        putLe32(d + 12, offset);
        const auto [length, decimals] = StoredSize(f);
        d[16] = char(length);
        d[17] = char(decimals);
        offset += uint32_t(length);
    }
    putLe16(p + 10, uint16_t(offset));
    p[kHeaderPrefix + kDescriptorSize * n] = '\r';
    return h;
}

uint8_t yearByte(uint8_t version, uint8_t storedYear, int year) {
    if (isFoxProVersion(version) || storedYear < 100) return uint8_t(year % 100);
    return uint8_t(std::clamp(year - 1900, 0, 255));
}

}  // namespace dbf::detail
