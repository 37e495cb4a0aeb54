// The statements that change which tables and indexes a folder has. SQLite never sees them
// on the folder's connection: a table is a file, an index a note the engine keeps.
#include "FolderSession.h"

#include "ColumnTypes.h"
#include "DbfError.h"
#include "DbfTable.h"
#include "EngineError.h"
#include "SqlText.h"

#include <QDir>
#include <QFile>
#include <sqlite3.h>

using sqltext::IsKeyword;
using sqltext::Token;
using sqltext::Tokens;

namespace {

bool AcceptWords(Tokens& t, std::initializer_list<const char*> words) {
    int k = 0;
    for (const char* w : words)
        if (!IsKeyword(t.Peek(k++), w)) return false;
    for (size_t i = 0; i < words.size(); ++i) t.Take();
    return true;
}

QString Name(Tokens& t, const char* what) {
    Token name = t.Take();
    if (name.kind == Token::Kind::Symbol || name.kind == Token::Kind::End)
        throw EngineError(QStringLiteral("near \"%1\": %2 was expected").arg(name.text, QLatin1String(what)));
    if (t.Peek().kind == Token::Kind::Symbol && t.Peek().text == QStringLiteral(".")) {
        if (name.text.compare(QStringLiteral("main"), Qt::CaseInsensitive) != 0)
            throw EngineError(QStringLiteral("unknown database %1").arg(name.text));
        t.Take();
        name = t.Take();
    }
    return name.text;
}

void Expect(Tokens& t, const char* symbol) {
    const Token tok = t.Take();
    if (tok.kind != Token::Kind::Symbol || tok.text != QLatin1String(symbol))
        throw EngineError(QStringLiteral("near \"%1\": syntax error").arg(tok.text));
}

void CheckPlainTableName(const QString& name) {
    if (name.isEmpty() || name.contains(u'/') || name.contains(u'\\') ||
        name.contains(QChar(u'\0')) || name.contains(QStringLiteral("..")) || name.startsWith(u'.') ||
        name.size() > 120)
        throw EngineError(QStringLiteral("\"%1\" is not a valid table name").arg(name));
}

struct Column {
    QString name;
    QString type;
};

// Lets SQLite read the column list (quotes, constraints and all) in a scratch database.
std::pair<QString, std::vector<Column>> ParseCreateTable(const QString& statement) {
    sqlite3* scratch = nullptr;
    sqlite3_open_v2(":memory:", &scratch, SQLITE_OPEN_READWRITE, nullptr);
    auto fail = [&](const QString& m) {
        sqlite3_close(scratch);
        throw EngineError(m);
    };
    char* error = nullptr;
    if (sqlite3_exec(scratch, statement.toUtf8().constData(), nullptr, nullptr, &error) != SQLITE_OK) {
        const QString m = QString::fromUtf8(error ? error : "syntax error");
        sqlite3_free(error);
        fail(m);
    }
    sqlite3_stmt* stmt = nullptr;
    sqlite3_prepare_v2(scratch, "SELECT name FROM sqlite_master WHERE type='table'", -1, &stmt, nullptr);
    QString table;
    if (sqlite3_step(stmt) == SQLITE_ROW)
        table = QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(stmt, 0)));
    sqlite3_finalize(stmt);
    if (table.isEmpty()) fail(QStringLiteral("CREATE TABLE made no table"));
    std::vector<Column> columns;
    sqlite3_prepare_v2(scratch, "SELECT name, type FROM pragma_table_info(?1)", -1, &stmt, nullptr);
    const QByteArray t8 = table.toUtf8();
    sqlite3_bind_text(stmt, 1, t8.constData(), -1, SQLITE_TRANSIENT);
    while (sqlite3_step(stmt) == SQLITE_ROW)
        columns.push_back({QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(stmt, 0))),
                           QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(stmt, 1)))});
    sqlite3_finalize(stmt);
    sqlite3_close(scratch);
    return {table, columns};
}

void RemoveTableFiles(const QString& folder, const QString& file) {
    const QString base = file.left(file.size() - 4);
    const QStringList siblings = QDir(folder).entryList(QDir::Files | QDir::Hidden);
    for (const QString& s : siblings) {
        const int dot = s.lastIndexOf(u'.');
        if (dot < 0 || s.left(dot).compare(base, Qt::CaseInsensitive) != 0) continue;
        const QString ext = s.mid(dot + 1).toLower();
        if (ext == QStringLiteral("dbf") || ext == QStringLiteral("fpt") ||
            ext == QStringLiteral("dbt") || ext == QStringLiteral("cdx"))
            if (!QFile::remove(folder + u'/' + s))
                throw EngineError(QStringLiteral("%1: cannot remove the file").arg(s));
    }
}

}  // namespace

void FolderSession::CreateTable(const QString& statement) {
    Tokens t(statement);
    t.Take();  // CREATE
    t.Take();  // TABLE
    const bool ifNotExists = AcceptWords(t, {"if", "not", "exists"});
    const QString name = Name(t, "a table name");
    CheckPlainTableName(name);
    if (IsKeyword(t.Peek(), "as"))
        throw EngineError(QStringLiteral("CREATE TABLE ... AS SELECT cannot be used on DBF tables"));
    const QString table = name.toLower();
    if (files_.contains(table) || broken_.contains(table)) {
        if (ifNotExists) return;
        throw EngineError(QStringLiteral("table %1 already exists").arg(name));
    }
    const auto parsed = ParseCreateTable(statement);
    std::vector<dbf::FieldSpec> fields;
    for (const Column& c : parsed.second) fields.push_back(FieldForColumn(c.name, c.type));
    const QString file = name + QStringLiteral(".dbf");
    try {
        dbf::DbfTable::create(tables_.folder + u'/' + file, fields);
    } catch (const dbf::DbfError& e) {
        throw EngineError(e.message());
    }
    Register(table, file);
    if (broken_.contains(table)) throw EngineError(broken_.value(table));
}

void FolderSession::CreateIndex(const QString& statement) {
    Tokens t(statement);
    t.Take();  // CREATE
    const bool unique = t.Accept("unique");
    t.Take();  // INDEX
    const bool ifNotExists = AcceptWords(t, {"if", "not", "exists"});
    const QString name = Name(t, "an index name");
    if (!t.Accept("on")) throw EngineError(QStringLiteral("near \"%1\": ON was expected").arg(t.Peek().text));
    const QString table = Name(t, "a table name").toLower();
    Expect(t, "(");
    QStringList columns;
    while (true) {
        columns << Name(t, "a column name");
        if (t.Accept("collate")) t.Take();
        if (!t.Accept("asc")) t.Accept("desc");
        const Token sep = t.Take();
        if (sep.kind == Token::Kind::Symbol && sep.text == QStringLiteral(")")) break;
        if (sep.kind != Token::Kind::Symbol || sep.text != QStringLiteral(","))
            throw EngineError(QStringLiteral("near \"%1\": syntax error").arg(sep.text));
    }
    if (indexes_.contains(name.toLower())) {
        if (ifNotExists) return;
        throw EngineError(QStringLiteral("index %1 already exists").arg(name));
    }
    if (broken_.contains(table)) throw EngineError(broken_.value(table));
    DbfVtab* vtab = tables_.open.value(table);
    if (!files_.contains(table) || vtab == nullptr)
        throw EngineError(QStringLiteral("no such table: %1").arg(table));
    for (const QString& c : columns)
        if (!HasColumn(vtab, c)) throw EngineError(QStringLiteral("no such column: %1").arg(c));
    if (unique) {
        if (columns.size() != 1)
            throw EngineError(QStringLiteral("a UNIQUE index on several columns cannot be kept on DBF tables"));
        try {
            CheckUnique(vtab, columns.front());
        } catch (const dbf::DbfError& e) {
            throw EngineError(e.message());
        }
        tables_.uniqueColumns[table].insert(columns.front().toLower());
    }
    indexes_.insert(name.toLower(), IndexDeclaration{table, columns, unique});
}

void FolderSession::DropTable(const QString& statement) {
    Tokens t(statement);
    t.Take();
    t.Take();
    const bool ifExists = AcceptWords(t, {"if", "exists"});
    const QString name = Name(t, "a table name");
    CheckPlainTableName(name);
    const QString table = name.toLower();
    const QString file = files_.contains(table) ? files_.value(table) : QString();
    if (file.isEmpty() && !broken_.contains(table)) {
        if (ifExists) return;
        throw EngineError(QStringLiteral("no such table: %1").arg(name));
    }
    Unregister(table);
    RemoveTableFiles(tables_.folder, file.isEmpty() ? name + QStringLiteral(".dbf") : file);
}

void FolderSession::DropIndex(const QString& statement) {
    Tokens t(statement);
    t.Take();
    t.Take();
    const bool ifExists = AcceptWords(t, {"if", "exists"});
    const QString name = Name(t, "an index name").toLower();
    if (!indexes_.contains(name)) {
        if (ifExists) return;
        throw EngineError(QStringLiteral("no such index: %1").arg(name));
    }
    const IndexDeclaration d = indexes_.take(name);
    if (d.unique) tables_.uniqueColumns[d.table].erase(d.columns.front().toLower());
}
