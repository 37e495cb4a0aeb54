#pragma once

#include <QHash>
#include <QString>
#include <QStringList>
#include <set>

struct sqlite3;
struct DbfVtab;

// What the module knows of the folder it serves. A table can only be a file of this folder:
// the module's argument is a plain file name, never a path.
struct FolderTables {
    QString folder;                 // absolute, no trailing separator
    QHash<QString, DbfVtab*> open;  // lower-case table name -> its virtual table
    QHash<QString, std::set<QString>> uniqueColumns;  // lower-case table -> columns
    bool batch = false;             // inside a batch: sync at its end, not per statement
};

// Registers the module "dbf" on db. Virtual tables are then made with
//   CREATE VIRTUAL TABLE "name" USING dbf("FILE.DBF")
void RegisterDbfModule(sqlite3* db, FolderTables* tables);

// For CREATE UNIQUE INDEX: throws EngineError when the column already holds a value twice.
void CheckUnique(DbfVtab* vtab, const QString& column);
// Whether the table has the column (letter case ignored).
bool HasColumn(DbfVtab* vtab, const QString& column);
