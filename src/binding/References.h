#pragma once

#include "TFolderDB.h"
#include "description/NvDescriptor.h"

#include <QHash>
#include <QStringList>

// Gives every reference item ("ref" or "refgroup") of tree its "inputsize": the number of rows
// of its table (RefTableName of "ref_db"), read with "select code from" through the holder in
// refSlot. A table named by several items is counted once. Throws EngineError when a table
// cannot be read.
void LoadReferences(TFolderDB& db, TNvDescriptor& tree, TMyQuerySlot& refSlot);

class ReferenceCache;

// The same, reading each table once for both the entry window's counts and its choices: a
// table's rows go into cache as well when it has a "name" column (a table without one is
// counted all the same, and fails only where its choices are read).
void LoadReferences(TFolderDB& db, TNvDescriptor& tree, ReferenceCache& cache);

// The choices of reference tables, read once per table ("select *", the "name" column of each
// row in the order returned) and kept until Clear: the entry window reads each table once per
// showing of a protocol.
class ReferenceCache {
public:
    explicit ReferenceCache(TFolderDB& db) : db_(db) {}

    // The names of the table an item's "ref_db" names (letter case of the name ignored, as
    // the engine matches tables). Throws EngineError when the table or its "name" column
    // cannot be read.
    const QStringList& Names(const QString& refDb);
    void Clear() { names_.clear(); }

    // The one holder every reading of a reference table goes through.
    TMyQuerySlot& Slot() { return slot_; }
    // Keeps the names of the table refDb names as read elsewhere.
    void Keep(const QString& refDb, QStringList names);

private:
    TFolderDB& db_;
    TMyQuerySlot slot_;
    QHash<QString, QStringList> names_;
};
