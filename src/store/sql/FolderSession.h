#pragma once

#include "DbfModule.h"

#include <QHash>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <chrono>
#include <ctime>
#include <memory>
#include <vector>

struct sqlite3;

struct QueryResult {
    QStringList columns;
    std::vector<std::vector<QVariant>> rows;
    int changes = 0;  // rows changed, for statements that write
};

// The engine's connection to one folder of DBF tables: an SQLite connection on which every
// *.dbf file of the folder is a virtual table. CREATE TABLE / CREATE INDEX / DROP are routed
// to the files; everything else runs in SQLite. Statements cannot reach outside the folder.
class FolderSession {
public:
    // The one session of a folder in this process (made on first use). Throws EngineError
    // when the folder does not exist.
    static std::shared_ptr<FolderSession> For(const QString& folder);

    ~FolderSession();
    FolderSession(const FolderSession&) = delete;
    FolderSession& operator=(const FolderSession&) = delete;

    // Runs one statement and returns its rows (none for statements without rows).
    QueryResult Query(const QString& sql);
    // Runs every statement of the text; returns the rows they changed.
    int Execute(const QString& sql);

    // Between these, writes are synced once, at EndBatch.
    void BeginBatch();
    void EndBatch();

private:
    explicit FolderSession(QString folder);

    struct IndexDeclaration {
        QString table;
        QStringList columns;
        bool unique = false;
    };

    int Run(const QString& statement, QueryResult* result);
    int RunInSqlite(const QString& statement, QueryResult* result);
    void SyncTables();
    void Register(const QString& table, const QString& file);
    void Unregister(const QString& table);
    void InternalExec(const QString& sql);
    QString Explain(const QString& engineMessage) const;

    void CreateTable(const QString& statement);
    void CreateIndex(const QString& statement);
    void DropTable(const QString& statement);
    void DropIndex(const QString& statement);

    static int Progress(void* self);
    static int Authorize(void* self, int action, const char* a, const char* b, const char* db,
                         const char* trigger);

    sqlite3* db_ = nullptr;
    FolderTables tables_;
    QHash<QString, QString> files_;         // table -> file name
    QHash<QString, quint64> inodes_;        // table -> inode at registration
    QHash<QString, QString> broken_;        // table -> why its file could not be opened
    QHash<QString, IndexDeclaration> indexes_;
    timespec folderTime_{};
    bool scanned_ = false;
    bool internal_ = false;
    int batchDepth_ = 0;
    std::chrono::steady_clock::time_point statementStart_{};
    bool stopped_ = false;  // the running statement overran its time and was stopped
};
