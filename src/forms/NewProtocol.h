#pragma once

#include <QString>
#include <QStringList>

class TFolderDB;

// The longest patient name the record table holds (main.fio is char(100)).
constexpr int kMaxPatientName = 100;

// The highest protocol number + 1; 1 for an empty record table. Throws EngineError.
int NextProtocolNumber(TFolderDB& db);

// The catalogue's number fields ("double" or "numeric", compared exactly), in catalogue order.
// Throws EngineError when the catalogue cannot be read.
QStringList NumberFields(const QString& kindFolder);

// The one statement that creates a protocol: its number, the name trimmed of blanks and control
// characters with apostrophes doubled, and EmptyNumber in every number field.
QString NewProtocolStatement(int number, const QString& name, const QStringList& numberFields);

// Creates a protocol in db's kind folder and returns its number: `proposed`, or, when a
// protocol of that number exists by now, the next free number. The row is written by one
// statement, so a failure leaves nothing behind and trying again cannot make a second row
// with the same number. Throws EngineError.
int CreateProtocol(TFolderDB& db, int proposed, const QString& name);
