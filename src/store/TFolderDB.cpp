#include "TFolderDB.h"

#include "FolderSession.h"

TMyQuery::~TMyQuery() {
    // The source listens to the query; detach it first so neither outlives the other's use.
    if (Source) Source->SetDataSet(nullptr);
    Query.reset();
    Source.reset();
}

void TFolderDB::OpenQuery(const QString& sql, TMyQuerySlot& slot, bool withSource) {
    if (!slot) {
        slot = std::make_unique<TMyQuery>();
        slot->Query = std::make_unique<TDbQuery>(Folder);
        if (withSource) {
            slot->Source = std::make_unique<TDataSource>();
            slot->Source->SetDataSet(slot->Query.get());
        }
    }
    TDbQuery& query = *slot->Query;
    query.Close();
    query.DatabaseName = Folder;
    query.SQL = QStringList{sql};
    query.Open();
}

int TFolderDB::Execute(const QString& sql) {
    TDbQuery query(Folder);
    query.SQL = QStringList{sql};
    return query.ExecSQL();
}

TBatch::TBatch(const QString& folder) : folder_(folder) { FolderSession::For(folder_)->BeginBatch(); }

TBatch::~TBatch() {
    if (!open_) return;
    try {
        FolderSession::For(folder_)->EndBatch();
    } catch (...) {
        // A destructor must not throw; Commit is where a failing sync is reported.
    }
}

void TBatch::Commit() {
    if (!open_) return;
    open_ = false;
    FolderSession::For(folder_)->EndBatch();
}

QString SqlQuoted(const QString& text) {
    QString quoted = text;
    quoted.replace(u'\'', QStringLiteral("''"));
    return quoted;
}
