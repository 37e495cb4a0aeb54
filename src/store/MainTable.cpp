#include "MainTable.h"

#include "FieldCatalogue.h"
#include "TFolderDB.h"

#include <QDir>

QString MainTableStatement(const QString& kindFolder) {
    FieldCatalogue fields(kindFolder);
    TDbTable& catalogue = fields.Table();
    QString columns;
    for (catalogue.First(); !catalogue.Eof(); catalogue.Next()) {
        const QString type = catalogue.FieldByName(QStringLiteral("Fieldtype")).AsString();
        const QString name = catalogue.FieldByName(QStringLiteral("Fieldname")).AsString();
        if (type == QStringLiteral("string"))
            columns += QStringLiteral(", ") + name + QStringLiteral(" char(100)");
        else if (IsNumberTypeWord(type))
            columns += QStringLiteral(", ") + name + QStringLiteral(" double");
        else if (type == QStringLiteral("bool") || type == QStringLiteral("enum") ||
                 type == QStringLiteral("ordinal"))
            columns += QStringLiteral(", ") + name + QStringLiteral(" integer");
    }
    return QStringLiteral("create table main (code integer, fio char(100)") + columns + u')';
}

void CreateMainTable(const QString& kindFolder, bool& mainTableCreated) {
    if (mainTableCreated) return;
    // Packages come from case-insensitive file systems: MAIN.DBF is the same table.
    const QStringList files = QDir(kindFolder).entryList(QDir::Files | QDir::Hidden);
    for (const QString& f : files)
        if (f.compare(QStringLiteral("main.dbf"), Qt::CaseInsensitive) == 0) return;
    TFolderDB db(kindFolder);
    db.Execute(MainTableStatement(kindFolder));
    db.Execute(QStringLiteral("create index code on main (code)"));
    db.Execute(QStringLiteral("create index fio on main (fio)"));
    mainTableCreated = true;
}
