#pragma once

#include <QString>

// The value written into a number column to mean "not entered yet".
constexpr int EmptyNumber = 99999999;

// Creates "main.dbf" in kindFolder from the field catalogue "dbdescription.dbf" unless the
// flag is set or the file exists; sets the flag after success. Throws EngineError.
void CreateMainTable(const QString& kindFolder, bool& mainTableCreated);

// The statement CreateMainTable runs for a catalogue, for checks and the command line.
QString MainTableStatement(const QString& kindFolder);
