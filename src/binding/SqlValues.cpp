#include "binding/SqlValues.h"

#include "CodePage.h"

#include <QRegularExpression>

#include <cmath>

namespace {

bool IsPlainName(const QString& name) {
    static const QRegularExpression kPlain(QStringLiteral("^[A-Za-z_][A-Za-z0-9_]*$"));
    return kPlain.match(name).hasMatch();
}

QLocale WithoutGroups(QLocale locale) {
    locale.setNumberOptions(QLocale::RejectGroupSeparator | QLocale::OmitGroupSeparator);
    return locale;
}

}  // namespace

QString SqlName(const QString& name) {
    if (IsPlainName(name)) return name;
    QString quoted = name;
    quoted.replace(u'"', QStringLiteral("\"\""));
    return u'"' + quoted + u'"';
}

QString SqlText(const QString& text) {
    QString quoted = text;
    quoted.replace(u'\'', QStringLiteral("''"));
    return u'\'' + quoted + u'\'';
}

std::optional<QString> Cp1251Problem(const QString& text) {
    const dbf::CodePage& cp1251 = dbf::CodePage::cp1251();
    QByteArray bytes;
    if (cp1251.encode(text, bytes)) return std::nullopt;
    // Find the whole character (a surrogate pair included) to name it.
    for (char32_t c : text.toUcs4()) {
        const QString one = QString::fromUcs4(&c, 1);
        if (!cp1251.encode(one, bytes))
            return QStringLiteral("Символ «%1» (U+%2) нельзя сохранить: в кодировке Windows-1251 "
                                  "его нет.")
                .arg(one, QString::number(uint(c), 16).toUpper().rightJustified(4, u'0'));
    }
    return QStringLiteral("Текст нельзя сохранить в кодировке Windows-1251.");
}

std::optional<QString> SqlIntegerLiteral(const QString& value) {
    static const QRegularExpression kInteger(QStringLiteral("^[+-]?[0-9]+$"));
    if (!kInteger.match(value).hasMatch()) return std::nullopt;
    return value;
}

std::optional<QString> SqlFloatLiteral(const QString& value, const QLocale& locale) {
    std::optional<double> number = ParseLocaleFloat(value, locale);
    if (!number) {
        // Values may come already written with "." (or with "," under a locale whose
        // separator is ".").
        QString dotted = value;
        const qsizetype comma = dotted.indexOf(u',');
        if (comma >= 0) dotted[comma] = u'.';
        number = ParseLocaleFloat(dotted, QLocale::c());
    }
    if (!number) return std::nullopt;
    return QString::number(*number, 'g', QLocale::FloatingPointShortest);
}

std::optional<double> ParseLocaleFloat(const QString& text, const QLocale& locale) {
    bool ok = false;
    const double value = WithoutGroups(locale).toDouble(text, &ok);
    if (!ok || !std::isfinite(value)) return std::nullopt;
    return value;
}

QString FloatValueText(double value, const QLocale& locale) {
    return WithoutGroups(locale).toString(value, 'g', 15);
}
