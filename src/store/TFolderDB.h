#pragma once

#include "TDataSource.h"
#include "TDbQuery.h"

#include <QString>
#include <memory>

// The holder of one reusable result set and, for a view, its data source.
class TMyQuery {
public:
    TMyQuery() = default;
    ~TMyQuery();  // deletes Query, then Source
    TMyQuery(const TMyQuery&) = delete;
    TMyQuery& operator=(const TMyQuery&) = delete;

    std::unique_ptr<TDbQuery> Query;
    std::unique_ptr<TDataSource> Source;
};

using TMyQuerySlot = std::unique_ptr<TMyQuery>;

// A session on one folder of DBF tables. It holds no connection of its own: every
// statement names Folder as its database, so construction cannot fail.
class TFolderDB {
public:
    explicit TFolderDB(QString folder) : Folder(std::move(folder)) {}

    QString Folder;

    // Opens the SELECT in the holder in `slot`, creating the holder (and, when withSource,
    // its data source) on first use. Throws EngineError; the holder then stays with its
    // query closed.
    void OpenQuery(const QString& sql, TMyQuerySlot& slot, bool withSource);

    // Runs one statement that returns no rows; returns the number of rows changed.
    // Throws EngineError.
    int Execute(const QString& sql);
};

// Runs many statements on one folder with a single sync to disk at the end (package
// scripts). Statements that returned stay done even when a later one fails; Commit makes
// them durable. Destroying an uncommitted batch also syncs what was done.
class TBatch {
public:
    explicit TBatch(const QString& folder);
    ~TBatch();
    TBatch(const TBatch&) = delete;
    TBatch& operator=(const TBatch&) = delete;

    void Commit();

private:
    QString folder_;
    bool open_ = true;
};

// Doubles every apostrophe, so that a text can stand between apostrophes in a statement.
QString SqlQuoted(const QString& text);
