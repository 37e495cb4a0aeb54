#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringList>
#include <QStringView>

#include <cstdint>
#include <optional>

#include "proc/ProtocolDescription.h"

// What one line did to the record being filled.
enum class ManifestLineEffect { Ignored, Name, Signature, BadSignature };

// Applies one manifest line: it counts only when it holds both "#" and "="; the text after the
// first "#" is trimmed, the key before its first "=" is trimmed and lower-cased, the value
// after it trimmed. "name" sets the name, "signature" the signature; other keys are ignored.
// A signature that is not a number leaves the record as it was and says so.
ManifestLineEffect ParseManifestLine(QStringView line, protocolDescription& kind);

// A signature value: a number in the user's format, or with "." or "," as its decimal
// separator, truncated toward zero; nothing when it is not a number or does not fit 32 bits.
std::optional<int32_t> ParseSignature(QStringView value);

// The manifest lines of a package, applied in order (the last line of a key wins).
struct ManifestReading {
    protocolDescription kind;
    bool signatureValid = true;
    QString badSignature;  // the first signature value that was refused

    void Apply(QStringView line);
};

// The lines of the cp1251 manifest entry of a zip package. The entry is read as a
// zero-terminated text, so a NUL byte ends it; CR LF, CR and LF all end a line.
QStringList ManifestLines(QByteArrayView bytes);

// The two-line manifest of a data archive ("name=...", "signature=...", each ended by CR LF)
// in cp1251; nothing when the name holds a character cp1251 cannot represent (stored in *bad).
std::optional<QByteArray> DataArchiveManifest(const protocolDescription& kind, QString* bad = nullptr);
