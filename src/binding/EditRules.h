#pragma once

#include "description/NvDescriptor.h"

#include <QChar>
#include <QLocale>
#include <QString>

// What the single-line editor does with one typed character.
struct CharDecision {
    enum class Kind {
        Accept,    // the character goes in as typed
        Replace,   // replacement goes in instead (a "." or "," typed into a number)
        Drop,      // the character is refused; reason is set when the user should be told
        MoveNext,  // Enter or Tab: move to the next line (the editor itself ignores the key)
    };
    Kind kind = Kind::Accept;
    QChar replacement;
    QString reason;
};

// The character filter of the single-line editor on item: ch is typed with before and after
// the text on either side of the selection. Integers take digits only, floats what still reads
// as a number in locale (its decimal separator replacing "." and ","), dates what can still
// become a date; Backspace always passes. A character cp1251 lacks is refused for every type.
CharDecision AcceptEditChar(const TNvDescriptorItem& item, const QString& before, QChar ch,
                            const QString& after, const QLocale& locale = QLocale());

// The text a sequence of typed characters leaves in an editor that starts empty, each one put
// through AcceptEditChar at the end of the text; Enter and Tab are left out. refusal holds the
// reason of the first character refused with one (a character cp1251 lacks).
struct TypedText {
    QString text;
    QString refusal;
};
TypedText TypeIntoEditor(const TNvDescriptorItem& item, const QString& typed,
                         const QLocale& locale = QLocale());

// The message shown for a date that does not exist.
inline const QString kDateMessage = QStringLiteral("Дата введена не правильно");

// What a commit did to its item.
struct CommitResult {
    enum class Kind {
        Stored,       // "value"/"define" set; save the item
        DateInvalid,  // the item is unchanged; tell the user kDateMessage, then save as it is
        Refused,      // the item is unchanged and nothing may be written; reason says why
        NotStored,    // the item's type takes nothing from a single-line editor
    };
    Kind kind = Kind::NotStored;
    QString reason;

    bool NeedsSave() const { return kind == Kind::Stored || kind == Kind::DateInvalid; }
};

// Takes the single-line editor's text into item by its value type: integers and texts
// trimmed, floats only when they read as a number in locale (else empty and not defined),
// dates through ParseDate as dd-mm-yyyy (an empty text clears "define" and keeps "value"). An
// empty text leaves a text item's "define" as it was. A text holding a character cp1251 lacks
// is refused before the item changes.
CommitResult CommitEditValue(TNvDescriptorItem& item, const QString& text,
                             const QLocale& locale = QLocale());

// Takes the memo's text into item: trimmed, "define" "1" when not empty (kept otherwise), and
// "edited" back to "0". Refused like CommitEditValue for characters cp1251 lacks.
CommitResult CommitMemoValue(TNvDescriptorItem& item, const QString& text);
