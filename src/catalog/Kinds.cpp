#include "Kinds.h"

#include <QDir>

#include <stdexcept>

#include "DataRoot.h"
#include "TDbTable.h"
#include "TFolderDB.h"
#include "proc/Text.h"

namespace {

const QString kCatalogueTable = QStringLiteral("protocols");

}  // namespace

KindList LoadKinds(const QString& dataRoot) {
    TDbConnection connection;
    connection.ConnectString = CatalogueFolder(dataRoot);
    connection.SetConnected(true);
    TDbTable table(connection, kCatalogueTable);
    table.Open();
    KindList list;
    for (table.First(); !table.Eof(); table.Next()) {
        protocolDescription kind;
        kind.name = table.FieldByName(QStringLiteral("proname")).AsString();
        kind.signature = table.FieldByName(QStringLiteral("proidnum")).AsInteger();
        list.names << kind.name;
        list.folders << QStringLiteral("db/") + table.FieldByName(QStringLiteral("procatalog")).AsString();
        list.kinds << kind;
    }
    table.Close();
    return list;
}

bool EnsureCatalogue(const QString& dataRoot) {
    const QString folder = CatalogueFolder(dataRoot);
    if (!QDir().mkpath(folder))
        throw std::runtime_error(QStringLiteral("Не удалось создать папку «%1»").arg(folder).toStdString());
    // Catalogues copied from other systems may be named PROTOCOLS.DBF; the engine finds those.
    const QStringList existing =
        QDir(folder).entryList({QStringLiteral("protocols.dbf")}, QDir::Files | QDir::Hidden);
    if (!existing.isEmpty()) return false;
    TFolderDB(folder).Execute(
        QStringLiteral("create table protocols (proidnum integer, proname char(100), procatalog char(20))"));
    return true;
}

void AppendKind(const QString& dataRoot, const protocolDescription& kind, const QString& folderName) {
    TDbConnection connection;
    connection.ConnectString = CatalogueFolder(dataRoot);
    connection.SetConnected(true);
    TDbTable table(connection, kCatalogueTable);
    table.Open();
    table.Append();
    table.FieldByName(QStringLiteral("proidnum")).SetAsInteger(kind.signature);
    table.FieldByName(QStringLiteral("proname")).SetAsString(kind.name);
    table.FieldByName(QStringLiteral("procatalog")).SetAsString(folderName);
    table.Post();
    table.Close();
}

QString KindFolderPath(const QString& dataRoot, const QString& folder) {
    return QDir::cleanPath(JoinPath(dataRoot, folder));
}
