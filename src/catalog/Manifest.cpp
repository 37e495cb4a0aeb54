#include "Manifest.h"

#include <QLocale>
#include <QRegularExpression>

#include <cmath>
#include <limits>

#include "Cp1251.h"
#include "proc/Text.h"

namespace {

std::optional<double> ToDouble(QLocale locale, const QString& text) {
    // "1.205" must not become 1205 in a locale whose group separator is ".".
    locale.setNumberOptions(QLocale::RejectGroupSeparator);
    bool ok = false;
    const double value = locale.toDouble(text, &ok);
    if (!ok) return std::nullopt;
    return value;
}

}  // namespace

std::optional<int32_t> ParseSignature(QStringView value) {
    // Packages are written on machines with either decimal separator, whatever ours is.
    std::optional<double> number = ToDouble(QLocale(), value.toString());
    if (!number) number = ToDouble(QLocale::c(), value.toString().replace(u',', u'.'));
    if (!number || !std::isfinite(*number)) return std::nullopt;
    const double whole = std::trunc(*number);
    if (whole < std::numeric_limits<int32_t>::min() || whole > std::numeric_limits<int32_t>::max())
        return std::nullopt;
    return static_cast<int32_t>(whole);
}

ManifestLineEffect ParseManifestLine(QStringView line, protocolDescription& kind) {
    const qsizetype hash = line.indexOf(u'#');
    if (hash < 0 || !line.contains(u'=')) return ManifestLineEffect::Ignored;
    const QString text = TrimControl(line.sliced(hash + 1));
    const qsizetype equals = text.indexOf(u'=');
    if (equals < 0) return ManifestLineEffect::Ignored;  // the only "=" stood before the "#"
    const QString key = TrimControl(QStringView(text).first(equals)).toLower();
    const QString value = TrimControl(QStringView(text).sliced(equals + 1));
    if (key == u"name") {
        kind.name = value;
        return ManifestLineEffect::Name;
    }
    if (key == u"signature") {
        const std::optional<int32_t> signature = ParseSignature(value);
        if (!signature) return ManifestLineEffect::BadSignature;
        kind.signature = *signature;
        return ManifestLineEffect::Signature;
    }
    return ManifestLineEffect::Ignored;
}

void ManifestReading::Apply(QStringView line) {
    if (ParseManifestLine(line, kind) != ManifestLineEffect::BadSignature || !signatureValid) return;
    signatureValid = false;
    const QString text = line.sliced(line.indexOf(u'#') + 1).toString();
    badSignature = TrimControl(QStringView(text).sliced(text.indexOf(u'=') + 1));
}

QStringList ManifestLines(QByteArrayView bytes) {
    const qsizetype end = bytes.indexOf('\0');
    const QString text = DecodeCp1251(end < 0 ? bytes : bytes.first(end));
    static const QRegularExpression lineBreak(QStringLiteral("\r\n|\r|\n"));
    QStringList lines = text.split(lineBreak);
    if (!lines.isEmpty() && lines.last().isEmpty()) lines.removeLast();
    return lines;
}

std::optional<QByteArray> DataArchiveManifest(const protocolDescription& kind, QString* bad) {
    // One arg() call: a "%2" inside the name must stay as it is.
    const QString text = QStringLiteral("name=%1\r\nsignature=%2\r\n")
                             .arg(kind.name, QString::number(kind.signature));
    return EncodeCp1251(text, bad);
}
