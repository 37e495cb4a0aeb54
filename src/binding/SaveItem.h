#pragma once

#include "TFolderDB.h"
#include "description/NvDescriptor.h"

#include <QLocale>
#include <QString>

// What became of one item's save.
struct SaveOutcome {
    enum class Status {
        Written,  // the statement ran and changed the protocol's row
        Skipped,  // the item's type has no column ("none", "group", "custom", unknown words)
        Refused,  // the value cannot be written as it is; nothing was sent to the engine
        Failed,   // the engine refused the statement, or the protocol has no row
    };
    Status status = Status::Skipped;
    QString statement;  // the UPDATE, when one was built
    QString message;    // for Refused and Failed: what to tell the user

    bool Ok() const { return status == Status::Written || status == Status::Skipped; }
};

// The UPDATE that writes the item's value into its column ("db", "field") of the row whose
// code is number: integers and floats bare (floats with "."), 99999999 for an integer or float
// without value, texts quoted with apostrophes doubled, dates as 'yyyy-mm-dd' ('0000-00-00'
// without value), "ref" and "bool" bare with an empty value written as 0.
//
// The outcome is Skipped for types without a column, Refused (with the reason) for a value
// that is not of its type's form or holds a character cp1251 lacks, and otherwise carries the
// statement with status Written (not yet run).
SaveOutcome PrepareSave(const TNvDescriptorItem& item, int number,
                        const QLocale& locale = QLocale());

// Runs the statement of PrepareSave. The tree is never changed: on failure the item keeps its
// value and the outcome says why the row does not hold it.
SaveOutcome SaveItem(TFolderDB& db, const TNvDescriptorItem& item, int number,
                     const QLocale& locale = QLocale());
