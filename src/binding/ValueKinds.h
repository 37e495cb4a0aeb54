#pragma once

#include <QString>

// Value types: what the "type" attribute holds, and so how a value is loaded, saved and drawn.
enum class ValueType {
    None = 0,      // "none" and any text not listed
    Int = 1,       // "null", "int"
    Float = 2,     // "float", "double"
    Char = 3,      // "char"
    Text = 4,      // "text"
    Ref = 5,       // "ref": position of the chosen reference row, 0 for none
    Date = 6,      // "date": dd-mm-yyyy
    RefGroup = 7,  // "refgroup": tokens "n|" of the chosen reference rows
    Group = 8,     // "group"
    Bool = 9,      // "bool": 0 or 1
    Custom = 10,   // "custom"
};

// Input kinds: what the "input" attribute holds, and so which editor a press opens.
enum class InputKindCode {
    None = 0,  // none of the words, or no "input" at all
    Edit = 1,
    Checkbox = 2,
    Radio = 3,
    Group = 4,
    Memo = 5,
    CheckGroup = 6,
    Custom = 7,
};

// Both compare the word ignoring letter case; anything else (the empty text too) gives 0.
ValueType TypeCode(const QString& text);
InputKindCode InputKind(const QString& text);

// The reference table a "ref_db" text names: the text itself, or "reference" when empty.
QString RefTableName(const QString& text);

// Types whose value is a position in a reference table.
inline bool IsReferenceType(ValueType type) {
    return type == ValueType::Ref || type == ValueType::RefGroup;
}
