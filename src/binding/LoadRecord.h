#pragma once

#include "TFolderDB.h"
#include "description/NvDescriptor.h"

#include <QLocale>

// Loads the row of "main" whose code is number into the field items of tree: each item's
// "value" from its column "field", and "define" "1" when that value counts as entered (a
// number column holding 99999999 does not). Items whose column the row lacks, and items
// without a known "type", stay without value; "none" items are always defined. Floats are
// written with locale's decimal separator, dates as dd-mm-yyyy.
//
// Returns false, and loads no column, when there is no such row. Throws EngineError when the
// statement fails.
bool LoadRecord(TFolderDB& db, TNvDescriptor& tree, int number, const QLocale& locale = QLocale());

// Loads the items of list and of every group nested in it from the current row of record.
void LoadItems(TDbDataSet& record, TNvDescriptor& list, const QLocale& locale = QLocale());

// A date column's text as the items hold it: "yyyy-mm-dd" (what the engine gives) and
// "dd?mm?yyyy" both become dd-mm-yyyy; an empty text stays empty.
QString DateValueText(const QString& columnText);
