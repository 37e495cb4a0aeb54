#pragma once

#include "DbfField.h"

#include <QString>

// The DBF field that stores a column declared with an SQL type in CREATE TABLE:
// integer -> I, double/float/real -> B, char(n)/varchar(n) -> C(n), numeric(p,s) -> N,
// date -> D, logical/bool -> L, memo/text -> M, timestamp -> T, money/currency -> Y.
// Throws EngineError for a type DBF cannot hold or a name DBF cannot store.
dbf::FieldSpec FieldForColumn(const QString& column, const QString& declaredType);
