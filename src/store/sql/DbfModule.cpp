// The DBF virtual-table module: every table file of a folder appears to SQLite as a table.
//
//   CREATE VIRTUAL TABLE "main" USING dbf("MAIN.DBF");
//   SELECT code, fio FROM main WHERE code=12;
//
// Reads take a shared lock on the file for the life of their cursors; a statement that
// writes takes an exclusive lock at xBegin and keeps it to xCommit/xRollback. Every change
// is recorded in an undo log, so a statement that fails half-way leaves the file as it was.
// Equality constraints on any column are answered from an in-memory index.
#include "DbfModule.h"

#include "DbfError.h"
#include "DbfTable.h"
#include "EngineError.h"
#include "EqualityIndex.h"

#include <sqlite3.h>

#include <algorithm>
#include <cstring>
#include <memory>
#include <vector>

using dbf::DbfError;
using dbf::DbfTable;
using dbf::DbfValue;

struct UndoStep {
    uint32_t record;
    QByteArray before;
};

struct Savepoint {
    size_t undoSize;
    uint32_t recordCount;
};

struct DbfVtab {
    sqlite3_vtab base{};
    FolderTables* tables = nullptr;
    QString name;
    std::unique_ptr<DbfTable> table;
    std::vector<std::unique_ptr<EqualityIndex>> indexes;  // by field, made on first use
    int cursors = 0;
    bool writing = false;
    uint32_t countAtBegin = 0;
    std::vector<UndoStep> undo;
    std::vector<Savepoint> savepoints;
};

namespace {

struct DbfCursor {
    sqlite3_vtab_cursor base{};
    uint32_t next = 0;   // scan: next record to look at
    uint32_t end = 0;
    std::vector<uint32_t> candidates;  // index lookup: the records to visit
    size_t candidate = 0;
    bool useCandidates = false;
    bool eof = true;
    uint32_t current = 0;
    QByteArray record;  // a copy: the table's own buffer moves under other cursors
};

DbfVtab* Vtab(sqlite3_vtab* v) { return reinterpret_cast<DbfVtab*>(v); }
DbfCursor* Cursor(sqlite3_vtab_cursor* c) { return reinterpret_cast<DbfCursor*>(c); }

int Fail(sqlite3_vtab* v, const QString& message, int code = SQLITE_ERROR) {
    sqlite3_free(v->zErrMsg);
    v->zErrMsg = sqlite3_mprintf("%s", message.toUtf8().constData());
    return code;
}

bool NumericType(char type) { return QByteArray("NFIBYL").contains(type); }

const char* SqlType(const dbf::DbfField& f) {
    switch (f.type) {
        case 'I': case 'L': return "INTEGER";
        case 'N': return f.decimals == 0 ? "INTEGER" : "REAL";
        case 'F': case 'B': case 'Y': return "REAL";
        case 'G': case 'P': case 'W': case 'Q': return "BLOB";
        default: return "TEXT";
    }
}

QString Schema(const DbfTable& table) {
    QStringList columns;
    for (const auto& f : table.fields()) {
        QString quoted = f.name;
        quoted.replace(u'"', QStringLiteral("\"\""));
        columns << QStringLiteral("\"%1\" %2").arg(quoted, QLatin1String(SqlType(f)));
    }
    if (columns.isEmpty()) columns << QStringLiteral("\"_empty\" TEXT HIDDEN");
    return QStringLiteral("CREATE TABLE x(%1)").arg(columns.join(QStringLiteral(", ")));
}

bool PlainFileName(const QString& name) {
    return !name.isEmpty() && !name.contains(u'/') && !name.contains(u'\\') &&
           !name.contains(QChar(u'\0')) && name != QStringLiteral(".") &&
           name != QStringLiteral("..") && !name.startsWith(u'.');
}

QString Unquote(const char* arg) {
    QString s = QString::fromUtf8(arg).trimmed();
    if (s.size() >= 2 && (s.front() == u'"' || s.front() == u'\'') && s.back() == s.front())
        s = s.mid(1, s.size() - 2);
    return s;
}

int xConnect(sqlite3* db, void* aux, int argc, const char* const* argv, sqlite3_vtab** out,
             char** err) {
    auto* tables = static_cast<FolderTables*>(aux);
    if (argc < 4) {
        *err = sqlite3_mprintf("dbf: the table file is missing");
        return SQLITE_ERROR;
    }
    const QString file = Unquote(argv[3]);
    if (!PlainFileName(file)) {
        *err = sqlite3_mprintf("%s: not a plain file name", file.toUtf8().constData());
        return SQLITE_ERROR;
    }
    auto vtab = std::make_unique<DbfVtab>();
    vtab->tables = tables;
    vtab->name = QString::fromUtf8(argv[2]).toLower();
    try {
        vtab->table = DbfTable::open(tables->folder + u'/' + file, DbfTable::Access::ReadWrite);
    } catch (const DbfError& e) {
        *err = sqlite3_mprintf("%s", e.message().toUtf8().constData());
        return SQLITE_ERROR;
    }
    vtab->indexes.resize(vtab->table->fields().size());
    const int rc = sqlite3_declare_vtab(db, Schema(*vtab->table).toUtf8().constData());
    if (rc != SQLITE_OK) {
        *err = sqlite3_mprintf("%s: %s", file.toUtf8().constData(), sqlite3_errmsg(db));
        return rc;
    }
    tables->open.insert(vtab->name, vtab.get());
    *out = &vtab.release()->base;
    return SQLITE_OK;
}

int xDisconnect(sqlite3_vtab* v) {
    DbfVtab* vtab = Vtab(v);
    if (vtab->tables->open.value(vtab->name) == vtab) vtab->tables->open.remove(vtab->name);
    sqlite3_free(v->zErrMsg);
    delete vtab;
    return SQLITE_OK;
}

// idxNum: 0 full scan, -1 rowid lookup, k > 0 equality on field k - 1.
int xBestIndex(sqlite3_vtab* v, sqlite3_index_info* info) {
    DbfVtab* vtab = Vtab(v);
    const double rows = std::max<double>(1, vtab->table->recordCount());
    for (int i = 0; i < info->nConstraint; ++i) {
        const auto& c = info->aConstraint[i];
        if (!c.usable || c.op != SQLITE_INDEX_CONSTRAINT_EQ) continue;
        if (c.iColumn >= 0) {
            const char* collation = sqlite3_vtab_collation(info, i);
            if (collation && sqlite3_stricmp(collation, "BINARY") != 0) continue;
            const auto& f = vtab->table->fields().at(static_cast<size_t>(c.iColumn));
            if (f.type == 'M' || f.type == 'G' || f.type == 'W' || f.type == 'P') continue;
        }
        info->aConstraintUsage[i].argvIndex = 1;
        info->aConstraintUsage[i].omit = 0;  // SQLite checks again: the index may say more
        info->idxNum = c.iColumn < 0 ? -1 : c.iColumn + 1;
        info->estimatedCost = 10;
        info->estimatedRows = 2;
        return SQLITE_OK;
    }
    info->idxNum = 0;
    info->estimatedCost = rows * 10;
    info->estimatedRows = static_cast<sqlite3_int64>(rows);
    return SQLITE_OK;
}

void ReleaseReadLock(DbfVtab* vtab) {
    if (vtab->cursors == 0 && !vtab->writing) vtab->table->unlock();
}

int xOpen(sqlite3_vtab* v, sqlite3_vtab_cursor** out) {
    auto* cursor = new DbfCursor();
    Vtab(v)->cursors++;
    *out = &cursor->base;
    return SQLITE_OK;
}

int xClose(sqlite3_vtab_cursor* c) {
    DbfVtab* vtab = Vtab(c->pVtab);
    delete Cursor(c);
    vtab->cursors--;
    ReleaseReadLock(vtab);
    return SQLITE_OK;
}

DbfValue FromSqlite(sqlite3_value* v) {
    switch (sqlite3_value_type(v)) {
        case SQLITE_INTEGER: return DbfValue::fromInteger(sqlite3_value_int64(v));
        case SQLITE_FLOAT: return DbfValue::fromReal(sqlite3_value_double(v));
        case SQLITE_TEXT:
            return DbfValue::fromText(QByteArray(reinterpret_cast<const char*>(sqlite3_value_text(v)),
                                                 sqlite3_value_bytes(v)));
        case SQLITE_BLOB:
            return DbfValue::fromBlob(QByteArray(static_cast<const char*>(sqlite3_value_blob(v)),
                                                 sqlite3_value_bytes(v)));
        default: return DbfValue::null();
    }
}

EqualityIndex& IndexFor(DbfVtab* vtab, int field) {
    auto& slot = vtab->indexes.at(static_cast<size_t>(field));
    const auto& f = vtab->table->fields().at(static_cast<size_t>(field));
    if (!slot) slot = std::make_unique<EqualityIndex>(field, NumericType(f.type));
    if (!slot->built || slot->generation != vtab->table->generation())
        slot->Build(*vtab->table);
    return *slot;
}

// Whether the index can answer key exactly as SQLite's comparison would: numbers against a
// numeric column, text against a text column. Anything else is left to a scan.
bool IndexCanAnswer(const EqualityIndex& index, const DbfValue& key) {
    using K = DbfValue::Kind;
    return index.numeric() ? (key.kind == K::Integer || key.kind == K::Real)
                           : key.kind == K::Text;
}

bool LoadCurrent(DbfCursor* cursor, DbfTable& table, uint32_t record) {
    if (record >= table.recordCount()) return false;
    const char* rec = table.record(record);
    if (DbfTable::isDeleted(rec)) return false;
    const int length = table.recordLength();
    if (cursor->record.size() != length) cursor->record.resize(length);
    std::memcpy(cursor->record.data(), rec, static_cast<size_t>(length));  // no allocation per row
    cursor->current = record;
    return true;
}

void Advance(DbfCursor* cursor, DbfTable& table) {
    cursor->eof = true;
    if (cursor->useCandidates) {
        while (cursor->candidate < cursor->candidates.size()) {
            if (LoadCurrent(cursor, table, cursor->candidates[cursor->candidate++])) {
                cursor->eof = false;
                return;
            }
        }
        return;
    }
    while (cursor->next < cursor->end) {
        if (LoadCurrent(cursor, table, cursor->next++)) {
            cursor->eof = false;
            return;
        }
    }
}

int xFilter(sqlite3_vtab_cursor* c, int idxNum, const char*, int argc, sqlite3_value** argv) {
    DbfCursor* cursor = Cursor(c);
    DbfVtab* vtab = Vtab(c->pVtab);
    DbfTable& table = *vtab->table;
    try {
        if (table.lockLevel() == DbfTable::Lock::None) {
            table.lock(DbfTable::Lock::Shared);
            table.reloadIfChanged();
        }
        cursor->useCandidates = false;
        cursor->candidates.clear();
        cursor->candidate = 0;
        cursor->next = 0;
        cursor->end = table.recordCount();
        if (idxNum == -1 && argc == 1) {
            cursor->useCandidates = true;
            const sqlite3_int64 rowid = sqlite3_value_int64(argv[0]);
            if (sqlite3_value_type(argv[0]) == SQLITE_INTEGER && rowid >= 0 &&
                rowid < static_cast<sqlite3_int64>(cursor->end))
                cursor->candidates.push_back(static_cast<uint32_t>(rowid));
        } else if (idxNum > 0 && argc == 1) {
            const DbfValue key = FromSqlite(argv[0]);
            EqualityIndex& index = IndexFor(vtab, idxNum - 1);
            if (IndexCanAnswer(index, key)) {
                cursor->useCandidates = true;
                if (const auto* found = index.Find(key)) cursor->candidates = *found;
                std::sort(cursor->candidates.begin(), cursor->candidates.end());
            }
        }
        Advance(cursor, table);
    } catch (const DbfError& e) {
        return Fail(c->pVtab, e.message());
    }
    return SQLITE_OK;
}

int xNext(sqlite3_vtab_cursor* c) {
    try {
        Advance(Cursor(c), *Vtab(c->pVtab)->table);
    } catch (const DbfError& e) {
        return Fail(c->pVtab, e.message());
    }
    return SQLITE_OK;
}

int xEof(sqlite3_vtab_cursor* c) { return Cursor(c)->eof ? 1 : 0; }

void Result(sqlite3_context* ctx, const DbfValue& v) {
    switch (v.kind) {
        case DbfValue::Kind::Null: sqlite3_result_null(ctx); break;
        case DbfValue::Kind::Integer: sqlite3_result_int64(ctx, v.integer); break;
        case DbfValue::Kind::Real: sqlite3_result_double(ctx, v.real); break;
        case DbfValue::Kind::Text:
            sqlite3_result_text(ctx, v.bytes.constData(), static_cast<int>(v.bytes.size()),
                                SQLITE_TRANSIENT);
            break;
        case DbfValue::Kind::Blob:
            sqlite3_result_blob(ctx, v.bytes.constData(), static_cast<int>(v.bytes.size()),
                                SQLITE_TRANSIENT);
            break;
    }
}

int xColumn(sqlite3_vtab_cursor* c, sqlite3_context* ctx, int column) {
    if (sqlite3_vtab_nochange(ctx)) return SQLITE_OK;  // an UPDATE that leaves it alone
    DbfCursor* cursor = Cursor(c);
    DbfVtab* vtab = Vtab(c->pVtab);
    if (column < 0 || column >= static_cast<int>(vtab->table->fields().size())) {
        sqlite3_result_null(ctx);
        return SQLITE_OK;
    }
    try {
        Result(ctx, vtab->table->value(cursor->record.constData(), column));
    } catch (const DbfError& e) {
        sqlite3_result_error(ctx, e.message().toUtf8().constData(), -1);
        return SQLITE_ERROR;
    }
    return SQLITE_OK;
}

int xRowid(sqlite3_vtab_cursor* c, sqlite3_int64* rowid) {
    *rowid = Cursor(c)->current;
    return SQLITE_OK;
}

// Keeps every built index in step with one record's change.
void Reindex(DbfVtab* vtab, uint32_t record, const QByteArray* before, const QByteArray* after) {
    DbfTable& table = *vtab->table;
    for (auto& index : vtab->indexes) {
        if (!index) continue;
        const int f = index->field();
        if (before && !DbfTable::isDeleted(before->constData()))
            index->Remove(table.value(before->constData(), f), record);
        if (after && !DbfTable::isDeleted(after->constData()))
            index->Add(table.value(after->constData(), f), record);
        index->generation = table.generation();
    }
}

void CheckUniqueValue(DbfVtab* vtab, const QByteArray& rec, uint32_t self) {
    const auto columns = vtab->tables->uniqueColumns.value(vtab->name);
    for (const QString& column : columns) {
        const int f = vtab->table->fieldIndex(column);
        if (f < 0) continue;
        const DbfValue v = vtab->table->value(rec.constData(), f);
        if (v.isNull()) continue;
        EqualityIndex& index = IndexFor(vtab, f);
        if (const auto* found = index.Find(v)) {
            for (uint32_t r : *found)
                if (r != self)
                    throw EngineError(QStringLiteral("UNIQUE constraint failed: %1.%2")
                                          .arg(vtab->name, column));
        }
    }
}

void FillRecord(DbfVtab* vtab, QByteArray& rec, int argc, sqlite3_value** argv) {
    const auto& fields = vtab->table->fields();
    for (int i = 2; i < argc && i - 2 < static_cast<int>(fields.size()); ++i) {
        if (sqlite3_value_nochange(argv[i])) continue;
        vtab->table->setValue(rec, i - 2, FromSqlite(argv[i]));
    }
}

int Insert(DbfVtab* vtab, int argc, sqlite3_value** argv, sqlite3_int64* rowid) {
    DbfTable& table = *vtab->table;
    QByteArray rec = table.blankRecord();
    FillRecord(vtab, rec, argc, argv);
    CheckUniqueValue(vtab, rec, UINT32_MAX);
    const uint32_t r = table.append(rec);
    Reindex(vtab, r, nullptr, &rec);
    *rowid = r;
    return SQLITE_OK;
}

int Update(DbfVtab* vtab, uint32_t r, int argc, sqlite3_value** argv) {
    DbfTable& table = *vtab->table;
    const QByteArray before(table.record(r), table.recordLength());
    QByteArray rec = before;
    FillRecord(vtab, rec, argc, argv);
    if (rec == before) return SQLITE_OK;
    CheckUniqueValue(vtab, rec, r);
    vtab->undo.push_back({r, before});
    table.writeRecord(r, rec);
    Reindex(vtab, r, &before, &rec);
    return SQLITE_OK;
}

int Delete(DbfVtab* vtab, uint32_t r) {
    DbfTable& table = *vtab->table;
    const QByteArray before(table.record(r), table.recordLength());
    if (DbfTable::isDeleted(before.constData())) return SQLITE_OK;
    vtab->undo.push_back({r, before});
    table.markDeleted(r);
    Reindex(vtab, r, &before, nullptr);
    return SQLITE_OK;
}

int xUpdate(sqlite3_vtab* v, int argc, sqlite3_value** argv, sqlite3_int64* rowid) {
    DbfVtab* vtab = Vtab(v);
    try {
        if (argc == 1) return Delete(vtab, static_cast<uint32_t>(sqlite3_value_int64(argv[0])));
        if (sqlite3_value_type(argv[0]) == SQLITE_NULL) return Insert(vtab, argc, argv, rowid);
        const sqlite3_int64 old = sqlite3_value_int64(argv[0]);
        if (sqlite3_value_type(argv[1]) != SQLITE_NULL && sqlite3_value_int64(argv[1]) != old)
            return Fail(v, QStringLiteral("%1: the record number cannot be changed").arg(vtab->name));
        return Update(vtab, static_cast<uint32_t>(old), argc, argv);
    } catch (const DbfError& e) {
        return Fail(v, e.message());
    } catch (const EngineError& e) {
        return Fail(v, e.message(), SQLITE_CONSTRAINT);
    }
}

void UndoTo(DbfVtab* vtab, size_t undoSize, uint32_t recordCount) {
    DbfTable& table = *vtab->table;
    while (vtab->undo.size() > undoSize) {
        const UndoStep step = std::move(vtab->undo.back());
        vtab->undo.pop_back();
        if (step.record < recordCount) table.writeRecord(step.record, step.before);
    }
    if (table.recordCount() > recordCount) table.truncateTo(recordCount);
    for (auto& index : vtab->indexes) index.reset();  // rebuilt on next use
}

int xBegin(sqlite3_vtab* v) {
    DbfVtab* vtab = Vtab(v);
    try {
        vtab->table->lock(DbfTable::Lock::Exclusive);
        vtab->table->reloadIfChanged();
    } catch (const DbfError& e) {
        return Fail(v, e.message(), SQLITE_BUSY);
    }
    vtab->writing = true;
    vtab->countAtBegin = vtab->table->recordCount();
    vtab->undo.clear();
    vtab->savepoints.clear();
    return SQLITE_OK;
}

int xSync(sqlite3_vtab* v) {
    try {
        Vtab(v)->table->flush(true);
    } catch (const DbfError& e) {
        return Fail(v, e.message(), SQLITE_IOERR);
    }
    return SQLITE_OK;
}

void EndTransaction(DbfVtab* vtab) {
    vtab->writing = false;
    vtab->undo.clear();
    vtab->savepoints.clear();
    ReleaseReadLock(vtab);
}

int xCommit(sqlite3_vtab* v) {
    EndTransaction(Vtab(v));
    return SQLITE_OK;
}

int xRollback(sqlite3_vtab* v) {
    DbfVtab* vtab = Vtab(v);
    int rc = SQLITE_OK;
    try {
        UndoTo(vtab, 0, vtab->countAtBegin);
        vtab->table->flush(true);
    } catch (const DbfError& e) {
        rc = Fail(v, e.message(), SQLITE_IOERR);
    }
    EndTransaction(vtab);
    return rc;
}

int xSavepoint(sqlite3_vtab* v, int level) {
    DbfVtab* vtab = Vtab(v);
    vtab->savepoints.resize(static_cast<size_t>(level),
                            Savepoint{vtab->undo.size(), vtab->table->recordCount()});
    vtab->savepoints.push_back({vtab->undo.size(), vtab->table->recordCount()});
    return SQLITE_OK;
}

int xRelease(sqlite3_vtab* v, int level) {
    DbfVtab* vtab = Vtab(v);
    if (static_cast<size_t>(level) < vtab->savepoints.size())
        vtab->savepoints.resize(static_cast<size_t>(level));
    return SQLITE_OK;
}

int xRollbackTo(sqlite3_vtab* v, int level) {
    DbfVtab* vtab = Vtab(v);
    if (static_cast<size_t>(level) >= vtab->savepoints.size()) return SQLITE_OK;
    const Savepoint sp = vtab->savepoints[static_cast<size_t>(level)];
    try {
        UndoTo(vtab, sp.undoSize, sp.recordCount);
    } catch (const DbfError& e) {
        return Fail(v, e.message(), SQLITE_IOERR);
    }
    vtab->savepoints.resize(static_cast<size_t>(level) + 1);
    return SQLITE_OK;
}

int xRename(sqlite3_vtab* v, const char*) {
    return Fail(v, QStringLiteral("renaming a table is not supported"));
}

sqlite3_module MakeModule() {
    sqlite3_module m{};
    m.iVersion = 2;
    m.xCreate = xConnect;
    m.xConnect = xConnect;
    m.xBestIndex = xBestIndex;
    m.xDisconnect = xDisconnect;
    m.xDestroy = xDisconnect;
    m.xOpen = xOpen;
    m.xClose = xClose;
    m.xFilter = xFilter;
    m.xNext = xNext;
    m.xEof = xEof;
    m.xColumn = xColumn;
    m.xRowid = xRowid;
    m.xUpdate = xUpdate;
    m.xBegin = xBegin;
    m.xSync = xSync;
    m.xCommit = xCommit;
    m.xRollback = xRollback;
    m.xRename = xRename;
    m.xSavepoint = xSavepoint;
    m.xRelease = xRelease;
    m.xRollbackTo = xRollbackTo;
    return m;
}

}  // namespace

void RegisterDbfModule(sqlite3* db, FolderTables* tables) {
    static const sqlite3_module module = MakeModule();
    sqlite3_create_module(db, "dbf", &module, tables);
}

bool HasColumn(DbfVtab* vtab, const QString& column) {
    return vtab->table->fieldIndex(column) >= 0;
}

void CheckUnique(DbfVtab* vtab, const QString& column) {
    const int f = vtab->table->fieldIndex(column);
    if (f < 0) return;
    DbfTable& table = *vtab->table;
    table.lock(DbfTable::Lock::Shared);
    try {
        table.reloadIfChanged();
        EqualityIndex index(f, NumericType(table.fields().at(static_cast<size_t>(f)).type));
        index.Build(table);
        const uint32_t count = table.recordCount();
        for (uint32_t r = 0; r < count; ++r) {
            const char* rec = table.record(r);
            if (DbfTable::isDeleted(rec)) continue;
            const auto* found = index.Find(table.value(rec, f));
            if (found && found->size() > 1)
                throw EngineError(QStringLiteral("UNIQUE constraint failed: %1.%2 holds a value twice")
                                      .arg(vtab->name, column));
        }
    } catch (...) {
        ReleaseReadLock(vtab);
        throw;
    }
    ReleaseReadLock(vtab);
}
