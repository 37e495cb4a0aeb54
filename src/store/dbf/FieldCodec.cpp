#include "FieldCodec.h"

#include <QDate>

#include <bit>
#include <charconv>
#include <cmath>
#include <cstring>
#include <limits>
#include <optional>
#include <string>
#include <string_view>

namespace dbf::detail {

namespace {

static_assert(std::endian::native == std::endian::little,
              "field codec assumes a little-endian host");

constexpr int64_t kFirstJulianDay = 1721426;  // 0001-01-01
constexpr int64_t kLastJulianDay = 5373484;   // 9999-12-31
constexpr int32_t kMsPerDay = 86400000;

bool isBlank(char c) {
    return c == ' ' || c == '\0';
}

template <typename T>
T loadLe(const char* p) {
    T v;
    std::memcpy(&v, p, sizeof v);
    return v;
}

template <typename T>
void storeLe(char* p, T v) {
    std::memcpy(p, &v, sizeof v);
}

void put2(char* p, int v) {
    p[0] = char('0' + v / 10 % 10);
    p[1] = char('0' + v % 10);
}

void put4(char* p, int v) {
    p[0] = char('0' + v / 1000 % 10);
    p[1] = char('0' + v / 100 % 10);
    p[2] = char('0' + v / 10 % 10);
    p[3] = char('0' + v % 10);
}

std::string_view trimmed(const QByteArray& b) {
    std::string_view s(b.constData(), size_t(b.size()));
    while (!s.empty() &&
           (s.front() == ' ' || s.front() == '\t' || s.front() == '\n' || s.front() == '\r'))
        s.remove_prefix(1);
    while (!s.empty() &&
           (s.back() == ' ' || s.back() == '\t' || s.back() == '\n' || s.back() == '\r'))
        s.remove_suffix(1);
    return s;
}

QString quoted(std::string_view s) {
    return QLatin1Char('"') + QString::fromUtf8(s.data(), qsizetype(s.size())) + QLatin1Char('"');
}

// --- exact decimal arithmetic for N and Y, so 2.675 goes in as 2.68 and not as its binary
// neighbour 2.67499...

struct Decimal {
    bool negative = false;
    std::string whole;     // digits, no leading zeros beyond one
    std::string fraction;  // digits
};

// "[+-]digits[.digits]" or "[+-].digits"; a comma counts as the decimal point.
std::optional<Decimal> plainDecimal(std::string_view s) {
    Decimal d;
    if (!s.empty() && (s.front() == '+' || s.front() == '-')) {
        d.negative = s.front() == '-';
        s.remove_prefix(1);
    }
    bool point = false, digits = false;
    for (char c : s) {
        if (c >= '0' && c <= '9') {
            (point ? d.fraction : d.whole).push_back(c);
            digits = true;
        } else if ((c == '.' || c == ',') && !point) {
            point = true;
        } else {
            return std::nullopt;
        }
    }
    if (!digits) return std::nullopt;
    const size_t nonZero = d.whole.find_first_not_of('0');
    d.whole = nonZero == std::string::npos ? std::string("0") : d.whole.substr(nonZero);
    return d;
}

Decimal decimalOf(double v) {
    char buf[512];
    // Shortest text that reads back as v, in plain notation.
    const auto r = std::to_chars(buf, buf + sizeof buf, v, std::chars_format::fixed);
    return *plainDecimal(std::string_view(buf, size_t(r.ptr - buf)));
}

Decimal decimalOf(int64_t v) {
    char buf[32];
    const auto r = std::to_chars(buf, buf + sizeof buf, v);
    return *plainDecimal(std::string_view(buf, size_t(r.ptr - buf)));
}

std::optional<double> parseDouble(std::string_view s) {
    if (s.empty()) return std::nullopt;
    std::string copy(s);
    for (char& c : copy)
        if (c == ',') c = '.';
    const char* b = copy.data();
    const char* e = b + copy.size();
    if (*b == '+') ++b;
    double v = 0;
    const auto r = std::from_chars(b, e, v);
    if (r.ec != std::errc() || r.ptr != e || !std::isfinite(v)) return std::nullopt;
    return v;
}

// A number given as text: plain decimals stay exact, other forms (1e5) go through double.
std::optional<Decimal> decimalFromText(std::string_view s) {
    if (auto d = plainDecimal(s)) return d;
    if (auto v = parseDouble(s)) return decimalOf(*v);
    return std::nullopt;
}

// Rounded half away from zero to `decimals` digits: "-12.35", "0", "100.0".
std::string formatFixed(const Decimal& d, int decimals) {
    std::string digits = d.whole;
    std::string fraction = d.fraction;
    fraction.resize(size_t(decimals) + 1, '0');
    const bool roundUp = fraction[size_t(decimals)] >= '5';
    digits += fraction.substr(0, size_t(decimals));
    if (roundUp) {
        int i = int(digits.size()) - 1;
        while (i >= 0 && digits[size_t(i)] == '9') digits[size_t(i--)] = '0';
        if (i < 0)
            digits.insert(digits.begin(), '1');
        else
            ++digits[size_t(i)];
    }
    std::string whole = digits.substr(0, digits.size() - size_t(decimals));
    const std::string frac = digits.substr(digits.size() - size_t(decimals));
    const size_t nonZero = whole.find_first_not_of('0');
    whole = nonZero == std::string::npos ? std::string("0") : whole.substr(nonZero);
    const bool zero = whole == "0" && frac.find_first_not_of('0') == std::string::npos;
    std::string out;
    if (d.negative && !zero) out.push_back('-');
    out += whole;
    if (decimals > 0) {
        out.push_back('.');
        out += frac;
    }
    return out;
}

Decimal numberOf(const DbfValue& v) {
    switch (v.kind) {
        case DbfValue::Kind::Integer:
            return decimalOf(v.integer);
        case DbfValue::Kind::Real:
            if (!std::isfinite(v.real))
                throw EncodeError{QStringLiteral("the number is not finite")};
            return decimalOf(v.real);
        case DbfValue::Kind::Text: {
            const std::string_view s = trimmed(v.bytes);
            if (auto d = decimalFromText(s)) return *d;
            throw EncodeError{quoted(s) + QStringLiteral(" is not a number")};
        }
        default:
            throw EncodeError{QStringLiteral("a blob cannot be stored as a number")};
    }
}

bool blankText(const DbfValue& v) {
    return v.kind == DbfValue::Kind::Text && trimmed(v.bytes).empty();
}

std::optional<int64_t> wholeNumber(const Decimal& d) {
    if (d.fraction.find_first_not_of('0') != std::string::npos) return std::nullopt;
    int64_t magnitude = 0;
    const auto r = std::from_chars(d.whole.data(), d.whole.data() + d.whole.size(), magnitude);
    if (r.ec != std::errc()) return std::nullopt;
    return d.negative ? -magnitude : magnitude;
}

// "yyyy-mm-dd" -> Julian day, 0 for "0000-00-00", nullopt when it is not a date.
std::optional<int64_t> parseDate(std::string_view s) {
    if (s.size() != 10 || s[4] != '-' || s[7] != '-') return std::nullopt;
    int parts[3] = {};
    const std::string_view pieces[3] = {s.substr(0, 4), s.substr(5, 2), s.substr(8, 2)};
    for (int i = 0; i < 3; ++i) {
        for (char c : pieces[i])
            if (c < '0' || c > '9') return std::nullopt;
        std::from_chars(pieces[i].data(), pieces[i].data() + pieces[i].size(), parts[i]);
    }
    if (parts[0] == 0 && parts[1] == 0 && parts[2] == 0) return 0;
    const QDate date(parts[0], parts[1], parts[2]);
    if (!date.isValid() || parts[0] < 1) return std::nullopt;
    return date.toJulianDay();
}

QString dateHint(std::string_view s) {
    return quoted(s) + QStringLiteral(" is not a date (yyyy-mm-dd)");
}

}  // namespace

// --- decoding ----------------------------------------------------------------------------

// Text fields are mostly padding; skip it eight bytes at a time.
int trimmedLength(const char* p, int length) {
    constexpr uint64_t kSpaces = 0x2020202020202020ULL;
    while (length >= 8) {
        uint64_t word;
        std::memcpy(&word, p + length - 8, 8);
        if (word != kSpaces && word != 0) break;
        length -= 8;
    }
    while (length > 0 && isBlank(p[length - 1])) --length;
    return length;
}

DbfValue decodeChar(const char* p, int length, const CodePage& cp) {
    length = trimmedLength(p, length);
    DbfValue v;
    v.kind = DbfValue::Kind::Text;
    cp.decodeToUtf8(p, length, v.bytes);
    return v;
}

DbfValue decodeNumeric(const char* p, int length, int decimals) {
    int b = 0, e = length;
    while (b < e && isBlank(p[b])) ++b;
    while (e > b && isBlank(p[e - 1])) --e;
    // Longer than any number we can hold: not a number we wrote or could read.
    if (b == e || e - b > 64) return DbfValue::null();
    char buf[64];
    int n = 0;
    for (int i = b; i < e; ++i) {
        const char c = p[i];
        if (c == '*') return DbfValue::null();  // overflow marker
        buf[n++] = c == ',' ? '.' : c;
    }
    const char* s = buf;
    const char* end = buf + n;
    if (*s == '+') ++s;
    if (decimals == 0) {
        int64_t i = 0;
        const auto r = std::from_chars(s, end, i);
        if (r.ec == std::errc() && r.ptr == end) return DbfValue::fromInteger(i);
    }
    double d = 0;
    const auto r = std::from_chars(s, end, d);
    if (r.ec != std::errc() || r.ptr != end || !std::isfinite(d)) return DbfValue::null();
    return DbfValue::fromReal(d);
}

DbfValue decodeDate(const char* p) {
    bool zeros = true;
    for (int i = 0; i < 8; ++i) {
        if (p[i] < '0' || p[i] > '9') return DbfValue::null();  // blank, or not a date
        zeros &= p[i] == '0';
    }
    if (zeros) return DbfValue::null();
    DbfValue v;
    v.kind = DbfValue::Kind::Text;
    v.bytes.resize(10);
    char* o = v.bytes.data();
    std::memcpy(o, p, 4);
    o[4] = '-';
    std::memcpy(o + 5, p + 4, 2);
    o[7] = '-';
    std::memcpy(o + 8, p + 6, 2);
    return v;
}

DbfValue decodeLogical(char c) {
    switch (c) {
        case 'T':
        case 't':
        case 'Y':
        case 'y':
            return DbfValue::fromInteger(1);
        case 'F':
        case 'f':
        case 'N':
        case 'n':
            return DbfValue::fromInteger(0);
        default:
            return DbfValue::null();
    }
}

DbfValue decodeInteger(const char* p, int length) {
    if (length == 4) return DbfValue::fromInteger(loadLe<int32_t>(p));
    uint64_t u = 0;
    for (int i = length - 1; i >= 0; --i) u = u << 8 | uint8_t(p[i]);
    if (length < 8 && (u >> (length * 8 - 1) & 1)) u |= ~uint64_t(0) << (length * 8);
    return DbfValue::fromInteger(int64_t(u));
}

DbfValue decodeDouble(const char* p) {
    return DbfValue::fromReal(loadLe<double>(p));
}

DbfValue decodeCurrency(const char* p) {
    return DbfValue::fromReal(double(loadLe<int64_t>(p)) / 10000.0);
}

DbfValue decodeDateTime(const char* p) {
    const int64_t day = loadLe<int32_t>(p);
    const int32_t ms = loadLe<int32_t>(p + 4);
    if (day < kFirstJulianDay || day > kLastJulianDay || ms < 0 || ms >= kMsPerDay)
        return DbfValue::null();  // day 0 is the blank datetime
    int y = 0, m = 0, d = 0;
    QDate::fromJulianDay(day).getDate(&y, &m, &d);
    const int seconds = ms / 1000;
    DbfValue v;
    v.kind = DbfValue::Kind::Text;
    v.bytes.resize(19);
    char* o = v.bytes.data();
    put4(o, y);
    o[4] = '-';
    put2(o + 5, m);
    o[7] = '-';
    put2(o + 8, d);
    o[10] = ' ';
    put2(o + 11, seconds / 3600);
    o[13] = ':';
    put2(o + 14, seconds / 60 % 60);
    o[16] = ':';
    put2(o + 17, seconds % 60);
    return v;
}

uint64_t memoPointer(const char* p, int length, bool binary) {
    if (binary) return loadLe<uint32_t>(p);
    uint64_t block = 0;
    int digits = 0;
    for (int i = 0; i < length; ++i) {
        const char c = p[i];
        if (isBlank(c)) {
            if (digits) break;
            continue;
        }
        if (c < '0' || c > '9' || ++digits > 19) return 0;
        block = block * 10 + uint64_t(c - '0');
    }
    return block;
}

void putMemoPointer(char* p, int length, bool binary, uint32_t block) {
    if (binary) {
        storeLe<uint32_t>(p, block);
        return;
    }
    std::memset(p, ' ', size_t(length));
    if (block == 0) return;
    char buf[16];
    const auto r = std::to_chars(buf, buf + sizeof buf, block);
    const int n = int(r.ptr - buf);
    if (n <= length) std::memcpy(p + length - n, buf, size_t(n));
}

// --- encoding ----------------------------------------------------------------------------

void textBytes(const DbfValue& v, const CodePage& cp, QByteArray& out) {
    switch (v.kind) {
        case DbfValue::Kind::Null:
            out.clear();
            break;
        case DbfValue::Kind::Blob:
            out = v.bytes;
            break;
        case DbfValue::Kind::Integer:
        case DbfValue::Kind::Real: {
            char buf[512];
            const auto r = v.kind == DbfValue::Kind::Integer
                               ? std::to_chars(buf, buf + sizeof buf, v.integer)
                               : std::to_chars(buf, buf + sizeof buf, v.real);
            out = QByteArray(buf, qsizetype(r.ptr - buf));
            break;
        }
        case DbfValue::Kind::Text: {
            char32_t bad = 0;
            if (!cp.encodeUtf8(v.bytes.constData(), v.bytes.size(), out, &bad)) {
                const QString page = QString::fromLatin1(cp.name());
                if (bad == 0xFFFD) {
                    throw EncodeError{
                        QStringLiteral("the text is not valid UTF-8 (or holds U+FFFD), "
                                       "which cannot be stored in code page %1")
                            .arg(page)};
                }
                const QString code =
                    QString::number(uint(bad), 16).toUpper().rightJustified(4, QLatin1Char('0'));
                throw EncodeError{
                    QStringLiteral("character '%1' (U+%2) cannot be stored in code page %3")
                        .arg(QString::fromUcs4(&bad, 1), code, page)};
            }
            break;
        }
    }
}

void encodeChar(const DbfValue& v, char* out, int length, const CodePage& cp, QByteArray& scratch) {
    textBytes(v, cp, scratch);
    // Trailing blanks are padding in a C field: they would not come back anyway.
    qsizetype n = scratch.size();
    while (n > 0 && scratch[n - 1] == ' ') --n;
    scratch.truncate(n);
    if (scratch.size() > length) {
        throw EncodeError{QStringLiteral("a text of %1 characters does not fit in %2")
                              .arg(scratch.size())
                              .arg(length)};
    }
    std::memcpy(out, scratch.constData(), size_t(scratch.size()));
    std::memset(out + scratch.size(), ' ', size_t(length - scratch.size()));
}

void encodeNumeric(const DbfValue& v, char* out, int length, int decimals) {
    if (v.isNull() || blankText(v)) {
        std::memset(out, ' ', size_t(length));
        return;
    }
    const std::string text = formatFixed(numberOf(v), decimals);
    if (int(text.size()) > length) {
        throw EncodeError{QStringLiteral("the number %1 is too wide for %2 characters")
                              .arg(QString::fromLatin1(text.data(), qsizetype(text.size())))
                              .arg(length)};
    }
    const size_t pad = size_t(length) - text.size();
    std::memset(out, ' ', pad);
    std::memcpy(out + pad, text.data(), text.size());
}

void encodeDate(const DbfValue& v, char* out) {
    std::memset(out, ' ', 8);
    if (v.isNull()) return;
    if (v.kind != DbfValue::Kind::Text)
        throw EncodeError{QStringLiteral("a date is written as text (yyyy-mm-dd)")};
    const std::string_view s = trimmed(v.bytes);
    if (s.empty()) return;
    const std::optional<int64_t> day = parseDate(s);
    if (!day) throw EncodeError{dateHint(s)};
    if (*day == 0) return;
    std::memcpy(out, s.data(), 4);
    std::memcpy(out + 4, s.data() + 5, 2);
    std::memcpy(out + 6, s.data() + 8, 2);
}

void encodeLogical(const DbfValue& v, char* out) {
    switch (v.kind) {
        case DbfValue::Kind::Null:
            *out = ' ';
            return;
        case DbfValue::Kind::Integer:
            *out = v.integer ? 'T' : 'F';
            return;
        case DbfValue::Kind::Real:
            *out = v.real != 0 ? 'T' : 'F';
            return;
        case DbfValue::Kind::Blob:
            throw EncodeError{QStringLiteral("a blob is not a logical value")};
        case DbfValue::Kind::Text:
            break;
    }
    const std::string_view s = trimmed(v.bytes);
    const QString t = QString::fromUtf8(s.data(), qsizetype(s.size())).toLower();
    if (t.isEmpty() || t == u"?")
        *out = ' ';
    else if (t == u"t" || t == u"y" || t == u"1" || t == u"true" || t == u".t.")
        *out = 'T';
    else if (t == u"f" || t == u"n" || t == u"0" || t == u"false" || t == u".f.")
        *out = 'F';
    else
        throw EncodeError{quoted(s) + QStringLiteral(" is not a logical value (T, F, 1, 0)")};
}

void encodeInteger(const DbfValue& v, char* out, int length) {
    std::memset(out, 0, size_t(length));
    if (v.isNull() || blankText(v)) return;
    int64_t n = 0;
    if (v.kind == DbfValue::Kind::Integer) {
        n = v.integer;
    } else {
        const Decimal d = numberOf(v);
        const std::optional<int64_t> w = wholeNumber(d);
        if (!w) {
            throw EncodeError{
                QStringLiteral("%1 is not a whole number in range")
                    .arg(QString::fromStdString(formatFixed(d, int(d.fraction.size()))))};
        }
        n = *w;
    }
    const int bits = std::min(length, 8) * 8;
    const int64_t lo =
        bits >= 64 ? std::numeric_limits<int64_t>::min() : -(int64_t(1) << (bits - 1));
    const int64_t hi =
        bits >= 64 ? std::numeric_limits<int64_t>::max() : (int64_t(1) << (bits - 1)) - 1;
    if (n < lo || n > hi)
        throw EncodeError{
            QStringLiteral("%1 is out of range for a %2-byte integer").arg(n).arg(length)};
    for (int i = 0; i < std::min(length, 8); ++i) out[i] = char(uint64_t(n) >> (8 * i));
}

void encodeDouble(const DbfValue& v, char* out) {
    double d = 0;
    switch (v.kind) {
        case DbfValue::Kind::Null:
            break;
        case DbfValue::Kind::Integer:
            d = double(v.integer);
            break;
        case DbfValue::Kind::Real:
            if (!std::isfinite(v.real))
                throw EncodeError{QStringLiteral("the number is not finite")};
            d = v.real;
            break;
        case DbfValue::Kind::Text: {
            const std::string_view s = trimmed(v.bytes);
            if (s.empty()) break;
            const std::optional<double> p = parseDouble(s);
            if (!p) throw EncodeError{quoted(s) + QStringLiteral(" is not a number")};
            d = *p;
            break;
        }
        case DbfValue::Kind::Blob:
            throw EncodeError{QStringLiteral("a blob cannot be stored as a number")};
    }
    storeLe<double>(out, d);
}

void encodeCurrency(const DbfValue& v, char* out) {
    int64_t units = 0;
    if (!v.isNull() && !blankText(v)) {
        const std::string text = formatFixed(numberOf(v), 4);
        std::string digits;
        for (char c : text)
            if (c != '.') digits.push_back(c);
        const auto r = std::from_chars(digits.data(), digits.data() + digits.size(), units);
        if (r.ec != std::errc())
            throw EncodeError{QStringLiteral("%1 is too large for a currency field")
                                  .arg(QString::fromStdString(text))};
    }
    storeLe<int64_t>(out, units);
}

void encodeDateTime(const DbfValue& v, char* out) {
    std::memset(out, 0, 8);
    if (v.isNull()) return;
    if (v.kind != DbfValue::Kind::Text)
        throw EncodeError{
            QStringLiteral("a date and time is written as text (yyyy-mm-dd hh:mm:ss)")};
    const std::string_view s = trimmed(v.bytes);
    if (s.empty()) return;
    const QString hint =
        quoted(s) + QStringLiteral(" is not a date and time (yyyy-mm-dd hh:mm:ss)");
    const std::optional<int64_t> day = parseDate(s.substr(0, 10));
    if (!day) throw EncodeError{hint};
    int64_t ms = 0;
    std::string_view rest = s.substr(10);
    if (!rest.empty()) {
        if (rest[0] != ' ' && rest[0] != 'T') throw EncodeError{hint};
        rest.remove_prefix(1);
        int parts[3] = {0, 0, 0};
        int count = 0;
        while (count < 3) {
            if (rest.size() < 2 || rest[0] < '0' || rest[0] > '9' || rest[1] < '0' || rest[1] > '9')
                throw EncodeError{hint};
            parts[count++] = (rest[0] - '0') * 10 + (rest[1] - '0');
            rest.remove_prefix(2);
            if (rest.empty() || rest[0] != ':') break;
            rest.remove_prefix(1);
        }
        if (count < 2 || parts[0] > 23 || parts[1] > 59 || parts[2] > 59) throw EncodeError{hint};
        int fraction = 0, scale = 100;
        if (!rest.empty() && rest[0] == '.' && count == 3) {
            rest.remove_prefix(1);
            if (rest.empty()) throw EncodeError{hint};
            while (!rest.empty() && rest[0] >= '0' && rest[0] <= '9') {
                fraction += (rest[0] - '0') * scale;
                scale /= 10;
                rest.remove_prefix(1);
            }
        }
        if (!rest.empty()) throw EncodeError{hint};
        ms = ((parts[0] * 60 + parts[1]) * 60 + parts[2]) * 1000 + fraction;
    }
    if (*day == 0) {
        if (ms != 0) throw EncodeError{hint};
        return;
    }
    storeLe<int32_t>(out, int32_t(*day));
    storeLe<int32_t>(out + 4, int32_t(ms));
}

}  // namespace dbf::detail
