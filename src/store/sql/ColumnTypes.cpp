#include "ColumnTypes.h"

#include "EngineError.h"

#include <QRegularExpression>

namespace {

void CheckFieldName(const QString& column) {
    static const QRegularExpression valid(QStringLiteral("^[A-Za-z_][A-Za-z0-9_]*$"));
    if (!valid.match(column).hasMatch())
        throw EngineError(QStringLiteral("column name \"%1\": a DBF field name is made of Latin "
                                         "letters, digits and \"_\"").arg(column));
    if (column.size() > 10)
        throw EngineError(QStringLiteral("column name \"%1\" is longer than the 10 characters "
                                         "a DBF field name can hold").arg(column));
}

struct Declared {
    QString word;
    int p = -1;
    int s = -1;
};

Declared Parse(const QString& declaredType) {
    static const QRegularExpression form(
        QStringLiteral("^\\s*([a-z ]+?)\\s*(?:\\(\\s*(\\d+)\\s*(?:,\\s*(\\d+)\\s*)?\\))?\\s*$"));
    const auto m = form.match(declaredType.toLower());
    Declared d;
    if (!m.hasMatch()) return d;
    d.word = m.captured(1).simplified();
    if (m.capturedLength(2) > 0) d.p = m.captured(2).toInt();
    if (m.capturedLength(3) > 0) d.s = m.captured(3).toInt();
    return d;
}

bool OneOf(const QString& word, std::initializer_list<const char*> words) {
    for (const char* w : words)
        if (word == QLatin1String(w)) return true;
    return false;
}

}  // namespace

dbf::FieldSpec FieldForColumn(const QString& column, const QString& declaredType) {
    CheckFieldName(column);
    const Declared d = Parse(declaredType);
    auto make = [&](char type, int length, int decimals) {
        return dbf::FieldSpec{column, type, length, decimals};
    };
    if (OneOf(d.word, {"integer", "int", "smallint", "tinyint", "mediumint", "bigint"}))
        return make('I', 4, 0);
    if (OneOf(d.word, {"double", "float", "real", "double precision"}))
        return make('B', 8, d.s >= 0 ? std::min(d.s, 15) : 2);
    if (OneOf(d.word, {"char", "varchar", "character", "nchar", "nvarchar", "character varying"})) {
        const int n = d.p < 0 ? 1 : d.p;
        if (n < 1 || n > 254)
            throw EngineError(QStringLiteral("column %1 %2: a DBF text field holds 1 to 254 "
                                             "characters (use memo for longer texts)")
                                  .arg(column, declaredType));
        return make('C', n, 0);
    }
    if (OneOf(d.word, {"numeric", "decimal", "number"})) {
        const int p = d.p < 0 ? 15 : d.p;
        const int s = d.s < 0 ? (d.p < 0 ? 2 : 0) : d.s;
        const int width = p + (s > 0 ? 1 : 0) + 1;
        if (p < 1 || s > p || width > 20)
            throw EngineError(QStringLiteral("column %1 %2: a DBF number holds at most 20 "
                                             "characters").arg(column, declaredType));
        return make('N', width, s);
    }
    if (d.word == QLatin1String("date")) return make('D', 8, 0);
    if (OneOf(d.word, {"logical", "bool", "boolean"})) return make('L', 1, 0);
    if (OneOf(d.word, {"memo", "text", "clob"})) return make('M', 4, 0);
    if (OneOf(d.word, {"timestamp", "datetime"})) return make('T', 8, 0);
    if (OneOf(d.word, {"money", "currency"})) return make('Y', 8, 4);
    throw EngineError(QStringLiteral("column %1: type \"%2\" cannot be stored in a DBF table")
                          .arg(column, declaredType));
}
