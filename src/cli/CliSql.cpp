// velmora-cli sql [--json] FOLDER "STATEMENT": one statement on a folder of DBF tables.
#include "CliCommand.h"

#include "FolderSession.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

namespace {

QJsonValue JsonValue(const QVariant& v) {
    if (v.isNull()) return QJsonValue(QJsonValue::Null);
    switch (v.typeId()) {
        case QMetaType::LongLong: return QJsonValue(v.toLongLong());
        case QMetaType::Double: return QJsonValue(v.toDouble());
        case QMetaType::QByteArray: return QJsonValue(QString::fromLatin1(v.toByteArray().toHex()));
        default: return QJsonValue(v.toString());
    }
}

void PrintJson(QTextStream& out, const QueryResult& r) {
    QJsonObject o;
    if (r.columns.isEmpty()) {
        o.insert(QStringLiteral("changes"), r.changes);
    } else {
        QJsonArray columns;
        for (const QString& c : r.columns) columns.append(c);
        QJsonArray rows;
        for (const auto& row : r.rows) {
            QJsonArray a;
            for (const QVariant& v : row) a.append(JsonValue(v));
            rows.append(a);
        }
        o.insert(QStringLiteral("columns"), columns);
        o.insert(QStringLiteral("rows"), rows);
    }
    out << QString::fromUtf8(QJsonDocument(o).toJson(QJsonDocument::Compact)) << "\n";
}

void PrintText(QTextStream& out, const QueryResult& r) {
    if (r.columns.isEmpty()) {
        out << r.changes << " row(s) changed\n";
        return;
    }
    out << r.columns.join(u'|') << "\n";
    for (const auto& row : r.rows) {
        QStringList cells;
        for (const QVariant& v : row)
            cells << (v.isNull() ? QStringLiteral("NULL")
                                 : v.typeId() == QMetaType::Double ? QString::number(v.toDouble(), 'g', 15)
                                                                   : v.toString());
        out << cells.join(u'|') << "\n";
    }
}

int RunSql(CliContext& c) {
    QStringList args = c.args;
    const bool json = args.removeAll(QStringLiteral("--json")) > 0;
    if (args.size() != 2) {
        c.err << "usage: velmora-cli sql [--json] FOLDER \"STATEMENT\"\n";
        return 2;
    }
    const QueryResult r = FolderSession::For(args.at(0))->Query(args.at(1));
    if (json) PrintJson(c.out, r);
    else PrintText(c.out, r);
    return 0;
}

}  // namespace

std::vector<CliCommand> SqlCommands() {
    return {{QStringLiteral("sql"), QStringLiteral("sql [--json] FOLDER \"STATEMENT\""), RunSql}};
}
