#include "binding/References.h"

#include "binding/SqlValues.h"
#include "binding/TreeWalk.h"
#include "binding/ValueKinds.h"

void LoadReferences(TFolderDB& db, TNvDescriptor& tree, TMyQuerySlot& refSlot) {
    QHash<QString, int> counts;  // by lower-case table name
    WalkItems(tree, [&](TNvDescriptorItem& item, int) {
        if (!IsReferenceType(TypeCode(item.GetAttr(QStringLiteral("type"))))) return true;
        const QString table = RefTableName(item.GetAttr(QStringLiteral("ref_db")));
        const QString key = table.toLower();
        auto count = counts.constFind(key);
        if (count == counts.cend()) {
            db.OpenQuery(QStringLiteral("select code from ") + SqlName(table), refSlot, false);
            count = counts.insert(key, refSlot->Query->RecordCount());
        }
        item.SetAttr(QStringLiteral("inputsize"), QString::number(*count));
        return true;
    });
}

void LoadReferences(TFolderDB& db, TNvDescriptor& tree, ReferenceCache& cache) {
    QHash<QString, int> counts;  // by lower-case table name
    TMyQuerySlot& slot = cache.Slot();
    WalkItems(tree, [&](TNvDescriptorItem& item, int) {
        if (!IsReferenceType(TypeCode(item.GetAttr(QStringLiteral("type"))))) return true;
        const QString table = RefTableName(item.GetAttr(QStringLiteral("ref_db")));
        const QString key = table.toLower();
        auto count = counts.constFind(key);
        if (count == counts.cend()) {
            // "code" first: a table without it fails here, as counting it always has.
            db.OpenQuery(QStringLiteral("select code, * from ") + SqlName(table), slot, false);
            TDbQuery& query = *slot->Query;
            if (TDbField* name = query.FindField(QStringLiteral("name"))) {
                QStringList names;
                names.reserve(query.RecordCount());
                for (query.First(); !query.Eof(); query.Next()) names.append(name->AsString());
                cache.Keep(table, names);
            }
            count = counts.insert(key, query.RecordCount());
        }
        item.SetAttr(QStringLiteral("inputsize"), QString::number(*count));
        return true;
    });
}

void ReferenceCache::Keep(const QString& refDb, QStringList names) {
    names_.insert(RefTableName(refDb).toLower(), std::move(names));
}

const QStringList& ReferenceCache::Names(const QString& refDb) {
    const QString table = RefTableName(refDb);
    const QString key = table.toLower();
    if (auto found = names_.constFind(key); found != names_.cend()) return *found;
    db_.OpenQuery(QStringLiteral("select * from ") + SqlName(table), slot_, false);
    TDbQuery& query = *slot_->Query;
    TDbField& name = query.FieldByName(QStringLiteral("name"));
    QStringList names;
    names.reserve(query.RecordCount());
    for (query.First(); !query.Eof(); query.Next()) names.append(name.AsString());
    return *names_.insert(key, names);
}
