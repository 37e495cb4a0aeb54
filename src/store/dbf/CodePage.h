#pragma once

#include <QByteArray>
#include <QString>
#include <QStringView>
#include <array>
#include <cstdint>
#include <unordered_map>

namespace dbf {

// A single-byte code page as two lookup tables, so that decoding a field costs a table
// lookup per byte. Characters the code page cannot hold are refused, never replaced by "?".
class CodePage {
public:
    // The code page named by a table's language-driver byte; 0x00 and unknown bytes mean
    // cp1251 for this program.
    static const CodePage& forLanguageDriver(uint8_t id);
    static const CodePage& cp1251();

    const char* name() const { return name_; }

    QString decode(const char* data, int size) const;
    // Appends the UTF-8 form of the bytes to out.
    void decodeToUtf8(const char* data, int size, QByteArray& out) const;

    // Encodes text; on a character the code page cannot hold returns false and stores it
    // in *bad (when given). out is replaced.
    bool encode(QStringView text, QByteArray& out, QChar* bad = nullptr) const;
    bool encodeUtf8(const QByteArray& utf8, QByteArray& out, QChar* bad = nullptr) const;
    // As above for a byte range, reporting the whole code point that failed (characters
    // beyond U+FFFF included; U+FFFD for malformed UTF-8), so messages can show it.
    bool encodeUtf8(const char* utf8, qsizetype size, QByteArray& out, char32_t* bad) const;

    explicit CodePage(const char* name);  // builds the tables through QStringDecoder

private:
    int encodeOne(char32_t c) const;  // the byte, or -1

    const char* name_;
    std::array<char16_t, 256> toUnicode_{};
    std::unordered_map<char16_t, uint8_t> fromUnicode_;
    // UTF-8 form of every byte, so decoding to UTF-8 needs no QString in between.
    std::array<std::array<char, 3>, 256> utf8_{};
    std::array<uint8_t, 256> utf8Length_{};
    // Direct lookup for U+0000..U+04FF (Latin and Cyrillic); -1 when the code page lacks it.
    std::array<int16_t, 0x500> lowFromUnicode_{};
    bool valid_ = false;  // false when the platform has no decoder of that name
};

}  // namespace dbf
