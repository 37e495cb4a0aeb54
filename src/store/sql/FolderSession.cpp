#include "FolderSession.h"

#include "ColumnTypes.h"
#include "DbfError.h"
#include "DbfTable.h"
#include "EngineError.h"
#include "SqlText.h"
#include "UnicodeFunctions.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <sqlite3.h>
#include <sys/stat.h>

#include <map>
#include <mutex>

using sqltext::IsKeyword;
using sqltext::Token;
using sqltext::Tokens;

namespace {

// No statement of this program runs for long; one that does (a runaway recursive query in a
// package script, say) is stopped rather than left to freeze the program.
constexpr auto kStatementTimeLimit = std::chrono::seconds(60);

// A directory change inside this window may share the folder's time stamp with our last
// scan (coarse file-system clocks), so such a folder is scanned again.
constexpr long kRacyNanoseconds = 50'000'000;

QString Quote(const QString& name) {
    QString q = name;
    q.replace(u'"', QStringLiteral("\"\""));
    return u'"' + q + u'"';
}

bool IsTableFile(const QString& name) {
    return name.size() > 4 && name.endsWith(QStringLiteral(".dbf"), Qt::CaseInsensitive) &&
           !name.startsWith(u'.');
}

QVariant ColumnValue(sqlite3_stmt* stmt, int i) {
    switch (sqlite3_column_type(stmt, i)) {
        case SQLITE_INTEGER: return QVariant(static_cast<qlonglong>(sqlite3_column_int64(stmt, i)));
        case SQLITE_FLOAT: return QVariant(sqlite3_column_double(stmt, i));
        case SQLITE_TEXT:
            return QVariant(QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(stmt, i)),
                                              sqlite3_column_bytes(stmt, i)));
        case SQLITE_BLOB:
            return QVariant(QByteArray(static_cast<const char*>(sqlite3_column_blob(stmt, i)),
                                       sqlite3_column_bytes(stmt, i)));
        default: return QVariant();
    }
}

const char* const kReadOnlyPragmas[] = {"table_info", "table_xinfo", "table_list", "function_list",
                                        "module_list", "pragma_list", "collation_list",
                                        "database_list", "compile_options"};

}  // namespace

std::shared_ptr<FolderSession> FolderSession::For(const QString& folder) {
    static std::mutex mutex;
    static std::map<QString, std::shared_ptr<FolderSession>> byCanonical;
    // Callers name a folder the same way every time; resolving the path is done once per
    // spelling (a statement checks that its folder still exists anyway, in SyncTables).
    static std::map<QString, std::shared_ptr<FolderSession>> bySpelling;
    std::lock_guard<std::mutex> lock(mutex);
    if (auto it = bySpelling.find(folder); it != bySpelling.end()) return it->second;
    const QFileInfo info(folder);
    if (folder.isEmpty() || !info.isDir())
        throw EngineError(QStringLiteral("the folder \"%1\" does not exist").arg(folder));
    auto& session = byCanonical[info.canonicalFilePath()];
    if (!session) session.reset(new FolderSession(info.canonicalFilePath()));
    bySpelling.emplace(folder, session);
    return session;
}

FolderSession::FolderSession(QString folder) {
    tables_.folder = std::move(folder);
    if (sqlite3_open_v2(":memory:", &db_, SQLITE_OPEN_READWRITE | SQLITE_OPEN_NOMUTEX, nullptr) !=
        SQLITE_OK)
        throw EngineError(QStringLiteral("cannot start the SQL engine"));
    sqlite3_db_config(db_, SQLITE_DBCONFIG_ENABLE_LOAD_EXTENSION, 0, nullptr);
    sqlite3_db_config(db_, SQLITE_DBCONFIG_DEFENSIVE, 1, nullptr);
    sqlite3_db_config(db_, SQLITE_DBCONFIG_TRUSTED_SCHEMA, 0, nullptr);
    sqlite3_limit(db_, SQLITE_LIMIT_ATTACHED, 0);
    RegisterUnicodeFunctions(db_);
    RegisterDbfModule(db_, &tables_);
    sqlite3_set_authorizer(db_, &FolderSession::Authorize, this);
    sqlite3_progress_handler(db_, 100000, &FolderSession::Progress, this);
}

int FolderSession::Progress(void* self) {
    auto* session = static_cast<FolderSession*>(self);
    if (std::chrono::steady_clock::now() - session->statementStart_ < kStatementTimeLimit) return 0;
    session->stopped_ = true;
    return 1;
}

FolderSession::~FolderSession() { sqlite3_close_v2(db_); }

int FolderSession::Authorize(void* self, int action, const char* a, const char* b, const char*,
                             const char*) {
    auto* session = static_cast<FolderSession*>(self);
    if (session->internal_) return SQLITE_OK;
    switch (action) {
        case SQLITE_ATTACH:
        case SQLITE_DETACH:
        case SQLITE_CREATE_INDEX: case SQLITE_CREATE_TABLE: case SQLITE_CREATE_TEMP_INDEX:
        case SQLITE_CREATE_TEMP_TABLE: case SQLITE_CREATE_TEMP_TRIGGER:
        case SQLITE_CREATE_TEMP_VIEW: case SQLITE_CREATE_TRIGGER: case SQLITE_CREATE_VIEW:
        case SQLITE_CREATE_VTABLE: case SQLITE_DROP_INDEX: case SQLITE_DROP_TABLE:
        case SQLITE_DROP_TEMP_INDEX: case SQLITE_DROP_TEMP_TABLE: case SQLITE_DROP_TEMP_TRIGGER:
        case SQLITE_DROP_TEMP_VIEW: case SQLITE_DROP_TRIGGER: case SQLITE_DROP_VIEW:
        case SQLITE_DROP_VTABLE: case SQLITE_ALTER_TABLE: case SQLITE_REINDEX:
        case SQLITE_ANALYZE:
            return SQLITE_DENY;
        case SQLITE_PRAGMA:
            // Only pragmas that read; their argument is a table name, never a setting.
            for (const char* allowed : kReadOnlyPragmas)
                if (a != nullptr && sqlite3_stricmp(a, allowed) == 0) return SQLITE_OK;
            return SQLITE_DENY;
        case SQLITE_FUNCTION:
            if (b != nullptr && (sqlite3_stricmp(b, "load_extension") == 0 ||
                                 sqlite3_stricmp(b, "readfile") == 0 ||
                                 sqlite3_stricmp(b, "writefile") == 0))
                return SQLITE_DENY;
            return SQLITE_OK;
        default:
            return SQLITE_OK;
    }
}

void FolderSession::InternalExec(const QString& sql) {
    internal_ = true;
    statementStart_ = std::chrono::steady_clock::now();
    char* error = nullptr;
    const int rc = sqlite3_exec(db_, sql.toUtf8().constData(), nullptr, nullptr, &error);
    internal_ = false;
    if (rc != SQLITE_OK) {
        const QString message = QString::fromUtf8(error ? error : sqlite3_errmsg(db_));
        sqlite3_free(error);
        throw EngineError(message);
    }
}

void FolderSession::Register(const QString& table, const QString& file) {
    try {
        InternalExec(QStringLiteral("CREATE VIRTUAL TABLE %1 USING dbf(%2)")
                         .arg(Quote(table), Quote(file)));
        files_.insert(table, file);
        struct stat st {};
        if (::stat(QFile::encodeName(tables_.folder + u'/' + file).constData(), &st) == 0)
            inodes_.insert(table, static_cast<quint64>(st.st_ino));
        broken_.remove(table);
    } catch (const EngineError& e) {
        broken_.insert(table, e.message());
    }
}

void FolderSession::Unregister(const QString& table) {
    if (files_.contains(table)) InternalExec(QStringLiteral("DROP TABLE %1").arg(Quote(table)));
    files_.remove(table);
    inodes_.remove(table);
    broken_.remove(table);
    tables_.uniqueColumns.remove(table);
    for (auto it = indexes_.begin(); it != indexes_.end();)
        it = it->table == table ? indexes_.erase(it) : std::next(it);
}

// Brings the virtual tables in line with the files of the folder, which other programs may
// have created, removed or replaced since the last statement.
void FolderSession::SyncTables() {
    // A batch sees the folder as it was when it began, plus its own CREATE and DROP: package
    // scripts run thousands of statements, and a scan per statement would double their cost.
    if (batchDepth_ > 0 && scanned_) return;
    struct stat st {};
    if (::stat(QFile::encodeName(tables_.folder).constData(), &st) != 0 || !S_ISDIR(st.st_mode))
        throw EngineError(QStringLiteral("the folder \"%1\" does not exist").arg(tables_.folder));
    timespec now{};
    clock_gettime(CLOCK_REALTIME, &now);
    const long long age = (now.tv_sec - st.st_mtim.tv_sec) * 1'000'000'000LL +
                          (now.tv_nsec - st.st_mtim.tv_nsec);
    const bool same = scanned_ && st.st_mtim.tv_sec == folderTime_.tv_sec &&
                      st.st_mtim.tv_nsec == folderTime_.tv_nsec;
    if (same && age > kRacyNanoseconds) return;
    folderTime_ = st.st_mtim;
    scanned_ = true;

    QHash<QString, QString> present;
    QDir dir(tables_.folder);
    const QStringList names = dir.entryList(QDir::Files | QDir::Hidden | QDir::System, QDir::Name);
    for (const QString& name : names) {
        if (!IsTableFile(name)) continue;
        const QString table = name.left(name.size() - 4).toLower();
        if (table.startsWith(QStringLiteral("sqlite_")) || present.contains(table)) continue;
        present.insert(table, name);
    }
    for (const QString& table : files_.keys() + broken_.keys()) {
        struct stat fs {};
        const QString file = present.value(table);
        const bool replaced =
            !file.isEmpty() && files_.contains(table) &&
            ::stat(QFile::encodeName(tables_.folder + u'/' + file).constData(), &fs) == 0 &&
            static_cast<quint64>(fs.st_ino) != inodes_.value(table);
        if (file.isEmpty() || replaced || files_.value(table) != file || broken_.contains(table))
            Unregister(table);
    }
    for (auto it = present.cbegin(); it != present.cend(); ++it)
        if (!files_.contains(it.key())) Register(it.key(), it.value());
}

QString FolderSession::Explain(const QString& engineMessage) const {
    static const QString prefix = QStringLiteral("no such table: ");
    if (engineMessage.startsWith(prefix)) {
        const QString table = engineMessage.mid(prefix.size()).toLower();
        if (broken_.contains(table)) return broken_.value(table);
    }
    return engineMessage;
}

int FolderSession::RunInSqlite(const QString& statement, QueryResult* result) {
    const QByteArray utf8 = statement.toUtf8();
    sqlite3_stmt* stmt = nullptr;
    const char* tail = nullptr;
    if (sqlite3_prepare_v2(db_, utf8.constData(), static_cast<int>(utf8.size()), &stmt, &tail) !=
        SQLITE_OK)
        throw EngineError(Explain(QString::fromUtf8(sqlite3_errmsg(db_))));
    if (stmt == nullptr) return 0;
    statementStart_ = std::chrono::steady_clock::now();
    stopped_ = false;
    const int columns = sqlite3_column_count(stmt);
    if (result) {
        result->columns.clear();
        result->rows.clear();
        for (int i = 0; i < columns; ++i)
            result->columns << QString::fromUtf8(sqlite3_column_name(stmt, i));
    }
    int rc;
    while ((rc = sqlite3_step(stmt)) == SQLITE_ROW) {
        if (!result) continue;
        std::vector<QVariant> row;
        row.reserve(static_cast<size_t>(columns));
        for (int i = 0; i < columns; ++i) row.push_back(ColumnValue(stmt, i));
        result->rows.push_back(std::move(row));
    }
    const bool readOnly = sqlite3_stmt_readonly(stmt) != 0;
    sqlite3_finalize(stmt);
    if (rc != SQLITE_DONE) {
        if (result) result->rows.clear();
        if (stopped_)
            throw EngineError(QStringLiteral("the statement ran longer than %1 seconds and was stopped")
                                  .arg(std::chrono::seconds(kStatementTimeLimit).count()));
        throw EngineError(Explain(QString::fromUtf8(sqlite3_errmsg(db_))));
    }
    const int changes = readOnly ? 0 : sqlite3_changes(db_);
    if (result) result->changes = changes;
    return changes;
}

int FolderSession::Run(const QString& statement, QueryResult* result) {
    SyncTables();
    Tokens t(statement);
    const Token& first = t.Peek();
    if (IsKeyword(first, "create")) {
        int k = 1;
        if (IsKeyword(t.Peek(k), "unique")) ++k;
        if (IsKeyword(t.Peek(k), "table") && k == 1) return CreateTable(statement), 0;
        if (IsKeyword(t.Peek(k), "index")) return CreateIndex(statement), 0;
        throw EngineError(QStringLiteral("only CREATE TABLE and CREATE INDEX can be used on DBF tables"));
    }
    if (IsKeyword(first, "drop")) {
        if (IsKeyword(t.Peek(1), "table")) return DropTable(statement), 0;
        if (IsKeyword(t.Peek(1), "index")) return DropIndex(statement), 0;
        throw EngineError(QStringLiteral("only DROP TABLE and DROP INDEX can be used on DBF tables"));
    }
    for (const char* refused : {"alter", "attach", "detach", "vacuum", "reindex", "analyze"})
        if (IsKeyword(first, refused))
            throw EngineError(QStringLiteral("%1 cannot be used on DBF tables").arg(first.text.toUpper()));
    if (batchDepth_ > 0) {
        for (const char* ignored : {"begin", "commit", "end"})
            if (IsKeyword(first, ignored)) return 0;  // the batch is the transaction
        for (const char* refused : {"rollback", "savepoint", "release"})
            if (IsKeyword(first, refused))
                throw EngineError(QStringLiteral("%1 cannot be used inside a batch").arg(first.text.toUpper()));
    }
    return RunInSqlite(statement, result);
}

QueryResult FolderSession::Query(const QString& sql) {
    const QStringList statements = sqltext::SplitStatements(sql);
    if (statements.size() != 1)
        throw EngineError(statements.isEmpty() ? QStringLiteral("the statement is empty")
                                               : QStringLiteral("a query must be one statement"));
    QueryResult result;
    Run(statements.front(), &result);
    return result;
}

int FolderSession::Execute(const QString& sql) {
    int changes = 0;
    for (const QString& statement : sqltext::SplitStatements(sql)) changes += Run(statement, nullptr);
    return changes;
}

void FolderSession::BeginBatch() {
    if (batchDepth_ > 0) {
        ++batchDepth_;
        return;
    }
    scanned_ = false;  // scan now, whatever the folder's time stamp says
    SyncTables();
    ++batchDepth_;
    InternalExec(QStringLiteral("BEGIN"));
    tables_.batch = true;
}

void FolderSession::EndBatch() {
    if (batchDepth_ == 0 || --batchDepth_ > 0) return;
    tables_.batch = false;
    InternalExec(QStringLiteral("COMMIT"));
}
