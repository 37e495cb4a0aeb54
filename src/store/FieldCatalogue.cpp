#include "FieldCatalogue.h"

namespace {

TDbConnection ConnectedTo(const QString& folder) {
    TDbConnection connection;
    connection.ConnectString = folder;
    connection.SetConnected(true);
    return connection;
}

}  // namespace

FieldCatalogue::FieldCatalogue(const QString& kindFolder)
    : connection_(ConnectedTo(kindFolder)), table_(connection_, QStringLiteral("dbdescription.dbf")) {
    table_.Open();
}

bool IsNumberTypeWord(const QString& word) {
    return word == u"double" || word == u"numeric";
}
