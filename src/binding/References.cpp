#include "binding/References.h"

#include "binding/SqlValues.h"
#include "binding/TreeWalk.h"
#include "binding/ValueKinds.h"

#include <functional>

namespace {

// Gives every reference item its table's row count, asking count once per table (by the
// table's name in lower case, as the engine matches tables).
void SetChoiceCounts(TNvDescriptor& tree, const std::function<int(const QString& table)>& count) {
    QHash<QString, int> counts;
    WalkItems(tree, [&](TNvDescriptorItem& item, int) {
        if (!IsReferenceType(TypeCode(item.GetAttr(QStringLiteral("type"))))) return true;
        const QString table = RefTableName(item.GetAttr(QStringLiteral("ref_db")));
        const QString key = table.toLower();
        auto found = counts.constFind(key);
        if (found == counts.cend()) found = counts.insert(key, count(table));
        item.SetAttr(QStringLiteral("inputsize"), QString::number(*found));
        return true;
    });
}

}  // namespace

void LoadReferences(TFolderDB& db, TNvDescriptor& tree, TMyQuerySlot& refSlot) {
    SetChoiceCounts(tree, [&](const QString& table) {
        db.OpenQuery(QStringLiteral("select code from ") + SqlName(table), refSlot, false);
        return refSlot->Query->RecordCount();
    });
}

void LoadReferences(TFolderDB& db, TNvDescriptor& tree, ReferenceCache& cache) {
    TMyQuerySlot& slot = cache.Slot();
    SetChoiceCounts(tree, [&](const QString& table) {
        // "code" first: a table without it fails here, as counting it always has.
        db.OpenQuery(QStringLiteral("select code, * from ") + SqlName(table), slot, false);
        TDbQuery& query = *slot->Query;
        if (TDbField* name = query.FindField(QStringLiteral("name"))) {
            QStringList names;
            names.reserve(query.RecordCount());
            for (query.First(); !query.Eof(); query.Next()) names.append(name->AsString());
            cache.Keep(table, names);
        }
        return query.RecordCount();
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
