#pragma once

#include <QChar>
#include <QString>

// The name search field shows this, in red and read-only, after a Latin character was typed
// into it while empty; it counts as empty for the search.
inline const QString kRussianPrompt = QStringLiteral("По русски пожалуйста");

// Whether a character typed into the name search field goes in. Names are Russian, so Latin
// letters, digits, ASCII punctuation and DEL (0x21..0x7F) are refused; blanks and control
// characters pass, and so does every other character the names' code page (cp1251) holds,
// Cyrillic included. A character cp1251 cannot hold is refused too: no stored name has it.
bool NameCharAllowed(QChar c);

// Whether a character typed into the number search field goes in: the digits 0-9, and
// control characters (backspace and the editing shortcuts such as Ctrl+C, Ctrl+V).
bool NumberCharAllowed(QChar c);
