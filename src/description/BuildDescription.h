#pragma once

#include <QString>
#include <QStringList>

// Replaces lines with the description text of the kind whose folder is kindFolder, generated
// from its field catalogue "dbdescription.dbf" (read in natural order on a connection of its
// own): a group "Данные обследования" holding the patient name item and one item per
// catalogue row. Type words are compared exactly. Throws EngineError when the catalogue or one
// of its columns cannot be read.
void BuildDescription(const QString& kindFolder, QStringList& lines);

// The line of one catalogue row. Bounds are whole numbers; the reader truncates fractional
// catalogue values toward zero.
QString DescriptionLine(const QString& fieldName, const QString& fieldType,
                        const QString& label, int fieldMin, int fieldMax,
                        const QString& fieldFile);
