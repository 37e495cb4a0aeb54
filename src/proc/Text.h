#pragma once

#include <QString>
#include <QStringView>

#include <optional>

// The program's own notion of "trimmed": strips every leading and trailing character whose code
// is 32 or below (blanks and control characters). QString::trimmed() uses Unicode white space
// instead, which keeps control characters and strips no-break spaces.
QString TrimControl(QStringView text);

// Decimal integer as the run-time library reads it: an optional sign and digits, blanks and
// control characters around them allowed. Anything else (empty text, hex, group separators,
// out of range) gives no value.
std::optional<int> ParseInt(QStringView text);

// folder + "/" + name, without doubling a separator the folder already ends with. An empty
// folder gives the name alone.
QString JoinPath(const QString& folder, const QString& name);
