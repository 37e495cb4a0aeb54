#include "CodePage.h"

#include <QStringDecoder>

#include <memory>
#include <mutex>

namespace dbf {

namespace {

// Code pages a language-driver byte can name. The index is used by kDrivers below.
constexpr const char* kNames[] = {
    "windows-1251",         // 0
    "IBM866",               // 1
    "windows-1252",         // 2
    "IBM437",               // 3
    "IBM850",               // 4
    "windows-1250",         // 5
    "IBM852",               // 6
    "IBM865",               // 7
    "IBM861",               // 8
    "IBM737",               // 9
    "IBM857",               // 10
    "IBM860",               // 11
    "IBM863",               // 12
    "windows-874",          // 13
    "windows-1255",         // 14
    "windows-1256",         // 15
    "windows-1254",         // 16
    "windows-1253",         // 17
    "macintosh",            // 18
    "x-mac-cyrillic",       // 19
    "x-mac-centraleurope",  // 20
    "x-mac-greek",          // 21
};
constexpr int kPageCount = sizeof(kNames) / sizeof(kNames[0]);

struct Driver {
    uint8_t id;
    uint8_t page;
};

// FoxPro code-page marks and dBase language-driver IDs that name single-byte code pages.
// Multi-byte pages (932, 936, 949, 950) and pages without a decoder are left out and so
// fall back to cp1251 like an unmarked table.
constexpr Driver kDrivers[] = {
    {0x01, 3},  {0x02, 4},  {0x03, 2},  {0x04, 18}, {0x08, 7},  {0x09, 3},  {0x0A, 4},  {0x0B, 3},
    {0x0D, 3},  {0x0E, 4},  {0x0F, 3},  {0x10, 4},  {0x11, 3},  {0x12, 4},  {0x14, 4},  {0x15, 3},
    {0x16, 4},  {0x17, 7},  {0x18, 3},  {0x19, 3},  {0x1A, 4},  {0x1B, 3},  {0x1C, 12}, {0x1D, 4},
    {0x1F, 6},  {0x22, 6},  {0x23, 6},  {0x24, 11}, {0x25, 4},  {0x26, 1},  {0x37, 4},  {0x40, 6},
    {0x50, 13}, {0x57, 2},  {0x58, 2},  {0x59, 2},  {0x64, 6},  {0x65, 1},  {0x66, 7},  {0x67, 8},
    {0x6A, 9},  {0x6B, 10}, {0x6C, 12}, {0x7C, 13}, {0x7D, 14}, {0x7E, 15}, {0x86, 9},  {0x87, 6},
    {0x88, 10}, {0x96, 19}, {0x97, 20}, {0x98, 21}, {0xC8, 5},  {0xC9, 0},  {0xCA, 16}, {0xCB, 17},
};

const CodePage& page(int index) {
    static std::once_flag once[kPageCount];
    static std::unique_ptr<CodePage> pages[kPageCount];
    std::call_once(once[index],
                   [index] { pages[index] = std::make_unique<CodePage>(kNames[index]); });
    return *pages[index];
}

void putUtf8(char32_t c, std::array<char, 3>& out, uint8_t& length) {
    if (c < 0x80) {
        out[0] = char(c);
        length = 1;
    } else if (c < 0x800) {
        out[0] = char(0xC0 | (c >> 6));
        out[1] = char(0x80 | (c & 0x3F));
        length = 2;
    } else {
        out[0] = char(0xE0 | (c >> 12));
        out[1] = char(0x80 | ((c >> 6) & 0x3F));
        out[2] = char(0x80 | (c & 0x3F));
        length = 3;
    }
}

}  // namespace

CodePage::CodePage(const char* name) : name_(name) {
    lowFromUnicode_.fill(-1);
    QStringDecoder decoder(name);
    valid_ = decoder.isValid();
    for (int b = 0; b < 256; ++b) {
        char16_t u = char16_t(b);  // Latin-1 when the decoder is missing
        if (valid_) {
            const char byte = char(b);
            const QString s = decoder.decode(QByteArrayView(&byte, 1));
            if (s.size() == 1)
                u = s.at(0).unicode();
            else
                u = 0xFFFD;
        }
        // Some DOS tables map control bytes to graphics or swap them (IBM437: 0x1A <-> 0x1C,
        // 0x7F); in table data they are ASCII controls in every code page we read.
        if (b < 0x20 || b == 0x7F) u = char16_t(b);
        toUnicode_[b] = u;
        putUtf8(u, utf8_[b], utf8Length_[b]);
    }
    // Reverse tables; a character that several bytes decode to maps back to the first one.
    for (int b = 0; b < 256; ++b) {
        const char16_t u = toUnicode_[b];
        if (u == 0xFFFD) continue;
        if (u < lowFromUnicode_.size()) {
            if (lowFromUnicode_[u] < 0) lowFromUnicode_[u] = int16_t(b);
        } else {
            fromUnicode_.emplace(u, uint8_t(b));
        }
    }
}

const CodePage& CodePage::cp1251() {
    static const CodePage& p = page(0);
    return p;
}

const CodePage& CodePage::forLanguageDriver(uint8_t id) {
    for (const Driver& d : kDrivers) {
        if (d.id != id) continue;
        const CodePage& p = page(d.page);
        return p.valid_ ? p : cp1251();
    }
    return cp1251();
}

QString CodePage::decode(const char* data, int size) const {
    QString s(size, Qt::Uninitialized);
    QChar* out = s.data();
    for (int i = 0; i < size; ++i) out[i] = QChar(toUnicode_[uint8_t(data[i])]);
    return s;
}

void CodePage::decodeToUtf8(const char* data, int size, QByteArray& out) const {
    const auto* in = reinterpret_cast<const uint8_t*>(data);
    qsizetype needed = 0;
    for (int i = 0; i < size; ++i) needed += utf8Length_[in[i]];
    const qsizetype start = out.size();
    out.resize(start + needed);
    char* p = out.data() + start;
    for (int i = 0; i < size; ++i) {
        const uint8_t b = in[i];
        const uint8_t n = utf8Length_[b];
        if (n == 1) {
            *p++ = utf8_[b][0];
        } else {
            for (uint8_t k = 0; k < n; ++k) *p++ = utf8_[b][k];
        }
    }
}

int CodePage::encodeOne(char32_t c) const {
    if (c < lowFromUnicode_.size()) return lowFromUnicode_[c];
    if (c > 0xFFFF) return -1;
    const auto it = fromUnicode_.find(char16_t(c));
    return it == fromUnicode_.end() ? -1 : it->second;
}

bool CodePage::encode(QStringView text, QByteArray& out, QChar* bad) const {
    out.resize(text.size());
    char* p = out.data();
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        const int b = c.isSurrogate() ? -1 : encodeOne(c.unicode());
        if (b < 0) {
            if (bad) *bad = c;
            out.clear();
            return false;
        }
        p[i] = char(b);
    }
    return true;
}

bool CodePage::encodeUtf8(const QByteArray& utf8, QByteArray& out, QChar* bad) const {
    char32_t c = 0;
    if (encodeUtf8(utf8.constData(), utf8.size(), out, &c)) return true;
    if (bad) *bad = c > 0xFFFF ? QChar(QChar::highSurrogate(c)) : QChar(char16_t(c));
    return false;
}

bool CodePage::encodeUtf8(const char* utf8, qsizetype size, QByteArray& out, char32_t* bad) const {
    out.resize(size);  // never more bytes than the UTF-8 form
    const auto* in = reinterpret_cast<const uint8_t*>(utf8);
    char* p = out.data();
    qsizetype i = 0;
    while (i < size) {
        char32_t c = in[i];
        int extra = 0;
        if (c < 0x80) {
        } else if ((c & 0xE0) == 0xC0) {
            c &= 0x1F;
            extra = 1;
        } else if ((c & 0xF0) == 0xE0) {
            c &= 0x0F;
            extra = 2;
        } else if ((c & 0xF8) == 0xF0) {
            c &= 0x07;
            extra = 3;
        } else {
            c = 0xFFFD;
            extra = -1;
        }
        if (extra > 0 && i + extra >= size) extra = -1;  // cut short
        for (int k = 1; k <= extra; ++k) {
            const uint8_t cont = in[i + k];
            if ((cont & 0xC0) != 0x80) {
                extra = -1;
                break;
            }
            c = (c << 6) | (cont & 0x3F);
        }
        const int b = extra < 0 ? -1 : encodeOne(c);
        if (b < 0) {
            if (bad) *bad = extra < 0 ? char32_t(0xFFFD) : c;
            out.clear();
            return false;
        }
        *p++ = char(b);
        i += 1 + extra;
    }
    out.resize(p - out.data());
    return true;
}

}  // namespace dbf
