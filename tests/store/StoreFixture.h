#pragma once

#include "EngineError.h"
#include "../QtPrinters.h"
#include "FolderSession.h"
#include "TFolderDB.h"

#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

// A fresh folder of tables for each test, with shortcuts for statements and results.
class StoreFixture : public ::testing::Test {
protected:
    QTemporaryDir dir;
    QString folder() const { return dir.path(); }

    void exec(const QString& sql) { FolderSession::For(folder())->Execute(sql); }

    QueryResult query(const QString& sql) { return FolderSession::For(folder())->Query(sql); }

    // The rows of a query, each row's values joined by "|", NULL written as "NULL".
    QStringList rows(const QString& sql) {
        QStringList out;
        for (const auto& row : query(sql).rows) {
            QStringList cells;
            for (const QVariant& v : row)
                cells << (v.isNull() ? QStringLiteral("NULL")
                                     : v.typeId() == QMetaType::Double
                                           ? QString::number(v.toDouble(), 'g', 15)
                                           : v.toString());
            out << cells.join(u'|');
        }
        return out;
    }

    // The engine's message for a statement that must fail.
    QString failure(const QString& sql) {
        try {
            exec(sql);
        } catch (const EngineError& e) {
            return e.message();
        }
        return QStringLiteral("<no error>");
    }

    QByteArray fileBytes(const QString& name) {
        QFile f(folder() + u'/' + name);
        if (!f.open(QIODevice::ReadOnly)) return {};
        return f.readAll();
    }
};
