#pragma once

#include "EngineError.h"
#include "TFolderDB.h"
#include "binding/EntryList.h"
#include "binding/InputTypes.h"
#include "description/NvDescriptor.h"
#include "description/ParseDescription.h"

#include <QLocale>
#include <QStringList>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <initializer_list>
#include <memory>

// A row of "dbdescription.dbf".
struct CatalogueRow {
    QString name;
    QString type;
    QString label;
    double min = 0;
    double max = 0;
    QString file;
};

// A protocol kind folder made through the engine in a temporary directory, with shortcuts
// for its catalogue, reference tables and rows.
class KindFixture : public ::testing::Test {
protected:
    QTemporaryDir dir;
    TFolderDB db{dir.path()};

    void SetUp() override { ASSERT_TRUE(dir.isValid()); }
    void TearDown() override { QLocale::setDefault(QLocale::c()); }

    QString folder() const { return dir.path(); }
    void exec(const QString& sql) { db.Execute(sql); }

    void Catalogue(std::initializer_list<CatalogueRow> rows) {
        exec("create table dbdescription (Fieldname char(10), Fieldtype char(10), "
             "Descript char(100), FieldMin double, FieldMax double, FieldFile char(20))");
        for (const CatalogueRow& r : rows)
            exec(QStringLiteral("insert into dbdescription values ('%1', '%2', '%3', %4, %5, '%6')")
                     .arg(r.name, r.type, SqlQuoted(r.label))
                     .arg(r.min, 0, 'g', 17)
                     .arg(r.max, 0, 'g', 17)
                     .arg(r.file));
    }

    void Reference(const QString& table, const QStringList& names) {
        exec(QStringLiteral("create table %1 (code integer, name char(60))").arg(table));
        for (int i = 0; i < names.size(); ++i)
            exec(QStringLiteral("insert into %1 values (%2, '%3')")
                     .arg(table)
                     .arg(i + 1)
                     .arg(SqlQuoted(names[i])));
    }

    // One cell of main's row code, as text ("NULL" for NULL).
    QString Cell(int code, const QString& column) {
        TMyQuerySlot slot;
        db.OpenQuery(QStringLiteral("select %1 from main where code=%2").arg(column).arg(code),
                     slot, false);
        const TDbField& f = slot->Query->Fields(0);
        if (slot->Query->RecordCount() == 0) return QStringLiteral("<no row>");
        return f.IsNull() ? QStringLiteral("NULL") : f.AsString();
    }
};

// A tree parsed from description lines.
inline std::unique_ptr<TNvDescriptor> TreeOf(const QStringList& lines) {
    auto tree = std::make_unique<TNvDescriptor>();
    ParseDescription(*tree, lines);
    return tree;
}

// The first tag item of the tree with that name.
inline TNvDescriptorItem* Named(const TNvDescriptor& tree, const QString& name) {
    for (TNvDescriptorItem* item = tree.First(); item; item = item->NextInTree())
        if (item->Name == name) return item;
    return nullptr;
}

// The rows of a list as item names, headings with "+" in front.
inline QStringList RowNames(const TNvDescriptor& tree, const EntryList& list) {
    QStringList names;
    for (int i = 0; i < list.RowCount(); ++i) {
        const QString row = list.Row(i);
        const bool heading = row.startsWith(u'+');
        const TNvDescriptorItem* item = tree.ItemById(row.mid(heading ? 1 : 0).toInt());
        names << (heading ? QStringLiteral("+") : QString()) +
                     (item ? item->Name : QStringLiteral("<bad row %1>").arg(row));
    }
    return names;
}

// A font in which every character is `advance` pixels wide.
inline auto FixedWidth(int advance) {
    return [advance](QStringView text) { return int(text.size()) * advance; };
}
