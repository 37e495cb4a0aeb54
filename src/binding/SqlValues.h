#pragma once

#include <QLocale>
#include <QString>

#include <optional>

// Texts that go into the statements of this layer. Values come from users and catalogues, so
// each is checked or quoted here rather than pasted in as it is.

// A column or table name: bare when it is a plain name (Latin letters, digits and "_", not
// starting with a digit), otherwise between double quotes with inner quotes doubled.
QString SqlName(const QString& name);

// A text between apostrophes, inner apostrophes doubled.
QString SqlText(const QString& text);

// Why text cannot be stored in a cp1251 table (naming the first character that cp1251 lacks),
// or nothing when it can.
std::optional<QString> Cp1251Problem(const QString& text);

// A decimal integer literal (optional sign, digits), or nothing.
std::optional<QString> SqlIntegerLiteral(const QString& value);

// A number typed with the locale's decimal separator (or already with "."), as an SQL literal
// with "."; nothing when it is not a finite number.
std::optional<QString> SqlFloatLiteral(const QString& value, const QLocale& locale);

// The locale's reading of a typed number: its decimal separator, no group separators, finite
// values only. Blanks around the number are allowed.
std::optional<double> ParseLocaleFloat(const QString& text, const QLocale& locale);

// A stored number as the entry window shows it: up to 15 significant digits, the locale's
// decimal separator, no group separators.
QString FloatValueText(double value, const QLocale& locale);
