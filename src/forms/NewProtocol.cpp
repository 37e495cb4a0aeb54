#include "NewProtocol.h"

#include "FieldCatalogue.h"
#include "MainTable.h"
#include "TFolderDB.h"
#include "proc/Text.h"

int NextProtocolNumber(TFolderDB& db) {
    TMyQuerySlot slot;
    db.OpenQuery(QStringLiteral("select max(code) as maxcode from main"), slot, false);
    return slot->Query->FieldByName(QStringLiteral("maxcode")).AsInteger() + 1;
}

QStringList NumberFields(const QString& kindFolder) {
    FieldCatalogue catalogue(kindFolder);
    TDbTable& rows = catalogue.Table();
    QStringList fields;
    for (rows.First(); !rows.Eof(); rows.Next())
        if (IsNumberTypeWord(rows.FieldByName(QStringLiteral("Fieldtype")).AsString()))
            fields << rows.FieldByName(QStringLiteral("Fieldname")).AsString();
    return fields;
}

QString NewProtocolStatement(int number, const QString& name, const QStringList& numberFields) {
    QString columns = QStringLiteral("fio, code");
    QString values = QStringLiteral("'") + SqlQuoted(TrimControl(name)) + QStringLiteral("', ") + QString::number(number);
    for (const QString& field : numberFields) {
        columns += QStringLiteral(", ") + field;
        values += QStringLiteral(", ") + QString::number(EmptyNumber);
    }
    return QStringLiteral("insert into main (") + columns + QStringLiteral(") values (") + values + QStringLiteral(")");
}

namespace {

bool NumberTaken(TFolderDB& db, int number) {
    TMyQuerySlot slot;
    db.OpenQuery(QStringLiteral("select count(*) as taken from main where code=") + QString::number(number), slot, false);
    return slot->Query->FieldByName(QStringLiteral("taken")).AsInteger() > 0;
}

}  // namespace

int CreateProtocol(TFolderDB& db, int proposed, const QString& name) {
    const QStringList numberFields = NumberFields(db.Folder);
    const int number = NumberTaken(db, proposed) ? NextProtocolNumber(db) : proposed;
    db.Execute(NewProtocolStatement(number, name, numberFields));
    return number;
}
