#include "Cp1251.h"

#include <QStringDecoder>
#include <QStringEncoder>

QString DecodeCp1251(QByteArrayView bytes) {
    QStringDecoder decoder("windows-1251");
    return decoder.decode(bytes);
}

std::optional<QByteArray> EncodeCp1251(QStringView text, QString* bad) {
    QStringEncoder encoder("windows-1251");
    QByteArray bytes = encoder.encode(text);
    if (!encoder.hasError()) return bytes;
    // The encoder only says that something failed; find the character for the message.
    if (bad) {
        for (qsizetype i = 0; i < text.size(); ++i) {
            const qsizetype length = text[i].isHighSurrogate() && i + 1 < text.size() ? 2 : 1;
            const QStringView character = text.sliced(i, length);
            QStringEncoder single("windows-1251");
            const QByteArray encoded = single.encode(character);  // converts only when assigned
            if (single.hasError()) {
                *bad = character.toString();
                break;
            }
            i += length - 1;
        }
    }
    return std::nullopt;
}
