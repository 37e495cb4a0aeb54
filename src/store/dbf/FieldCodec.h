#pragma once

#include "CodePage.h"
#include "DbfValue.h"

#include <QByteArray>
#include <QString>
#include <cstdint>

namespace dbf::detail {

// Why a value cannot be stored; DbfTable adds the file and field to the message.
struct EncodeError {
    QString reason;
};

// --- decoding: `p` points at the field's bytes inside a record ---------------------------

DbfValue decodeChar(const char* p, int length, const CodePage& cp);
DbfValue decodeNumeric(const char* p, int length, int decimals);
DbfValue decodeDate(const char* p);
DbfValue decodeLogical(char c);
DbfValue decodeInteger(const char* p, int length);
DbfValue decodeDouble(const char* p);
DbfValue decodeCurrency(const char* p);
DbfValue decodeDateTime(const char* p);

// The block number in a memo field (0 = no memo). ASCII pointers that are not digits read 0.
uint64_t memoPointer(const char* p, int length, bool binary);
void putMemoPointer(char* p, int length, bool binary, uint32_t block);

// --- encoding: each writes exactly `length` bytes at `out` or throws EncodeError ----------

// The code-page bytes of a value meant for a text field or memo (numbers as their decimal
// text, blobs as they are, NULL as nothing).
void textBytes(const DbfValue& v, const CodePage& cp, QByteArray& out);
void encodeChar(const DbfValue& v, char* out, int length, const CodePage& cp, QByteArray& scratch);
void encodeNumeric(const DbfValue& v, char* out, int length, int decimals);
void encodeDate(const DbfValue& v, char* out);
void encodeLogical(const DbfValue& v, char* out);
void encodeInteger(const DbfValue& v, char* out, int length);
void encodeDouble(const DbfValue& v, char* out);
void encodeCurrency(const DbfValue& v, char* out);
void encodeDateTime(const DbfValue& v, char* out);

}  // namespace dbf::detail
