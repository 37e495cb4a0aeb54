#pragma once

#include <QString>

#include <optional>

class TFolderDB;

// What the register's search fields hold, as typed.
struct SearchFields {
    QString number;
    QString name;
    bool fragment = true;  // "Поиск по фрагменту"
};

// The statement of a register search: by number when a number is typed, else by name (a
// fragment or the whole name) unless the name field is empty or shows the prompt, else every
// protocol; always highest number first. A number text that is not all digits (it can only
// have been pasted) finds no protocol and gives no statement, so it never reaches SQL. The
// name reaches SQL with its apostrophes doubled.
std::optional<QString> SearchStatement(const SearchFields& fields);

// "5 протоколов", "1 протокол", "3 протокола"; nothing for a negative n.
QString CountText(int n);

// The number of protocols of the kind. Throws EngineError.
int CountProtocols(TFolderDB& db);
