#pragma once

#include "TDbTable.h"

#include <QString>

// A kind's field catalogue "dbdescription.dbf", opened on a connection of its own to the kind
// folder, for walking its rows in natural order. Throws EngineError when the folder or the
// file cannot be read.
class FieldCatalogue {
public:
    explicit FieldCatalogue(const QString& kindFolder);
    FieldCatalogue(const FieldCatalogue&) = delete;  // the table holds on to the connection
    FieldCatalogue& operator=(const FieldCatalogue&) = delete;

    TDbTable& Table() { return table_; }

private:
    TDbConnection connection_;
    TDbTable table_;
};

// "double" and "numeric": the type words whose columns hold numbers (EmptyNumber until
// entered). Compared exactly, as the catalogue's type words always are.
bool IsNumberTypeWord(const QString& word);
