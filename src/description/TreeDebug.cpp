#include "description/TreeDebug.h"

#include <QStringList>

#include <vector>

namespace {

QString Quoted(const QString& text) {
    QString quoted = QStringLiteral("\"");
    for (QChar c : text) {
        if (c == u'\\' || c == u'"')
            quoted += u'\\' + QString(c);
        else if (c.unicode() < 32 || c.unicode() == 127)
            quoted += QStringLiteral("\\x%1").arg(c.unicode(), 2, 16, QLatin1Char('0'));
        else
            quoted += c;
    }
    return quoted + u'"';
}

bool IsBareName(const QString& name) {
    if (name.isEmpty()) return false;
    for (QChar c : name)
        if (!c.isLetterOrNumber() && c != u'_') return false;
    return true;
}

QString AttributeText(const TNvDescriptorItem& attribute) {
    const QString name = IsBareName(attribute.Name) ? attribute.Name : Quoted(attribute.Name);
    return name + u'=' + Quoted(attribute.Value);
}

QString ItemLine(const TNvDescriptorItem& item, qsizetype depth) {
    QString line(depth * 2, u' ');
    if (item.Children()) line += u'+';
    line += Quoted(item.Name);
    if (!item.Value.isEmpty()) line += u'=' + Quoted(item.Value);
    QStringList attributes;
    for (const TNvDescriptorItem* a = item.Attributes().First(); a; a = a->Next())
        attributes << AttributeText(*a);
    if (!attributes.isEmpty()) line += QStringLiteral(" [") + attributes.join(u", ") + u']';
    return line;
}

// A list still to be checked, with what its owner expects of it.
struct ListToCheck {
    const TNvDescriptor* list;
    uint8_t kind;
    const TNvDescriptorItem* owner;
};

QString Describe(const ListToCheck& entry) {
    if (!entry.owner) return QStringLiteral("the root list");
    const char* role = entry.kind == TNvDescriptor::ChildList ? "children" : "attributes";
    return QStringLiteral("the %1 of %2").arg(QLatin1String(role), Quoted(entry.owner->Name));
}

bool Fail(QString* why, const ListToCheck& entry, const QString& problem) {
    if (why) *why = Describe(entry) + QStringLiteral(": ") + problem;
    return false;
}

bool CheckChain(const ListToCheck& entry, const TNvDescriptor& root, QString* why) {
    const TNvDescriptor& list = *entry.list;
    if (list.Kind() != entry.kind)
        return Fail(why, entry,
                    QStringLiteral("kind %1, expected %2").arg(list.Kind()).arg(entry.kind));
    if (list.Owner() != entry.owner) return Fail(why, entry, QStringLiteral("wrong Owner"));
    int32_t seen = 0;
    const TNvDescriptorItem* previous = nullptr;
    for (const TNvDescriptorItem* item = list.First(); item; item = item->Next()) {
        if (++seen > list.Count())
            return Fail(why, entry, QStringLiteral("chain longer than Count"));
        if (item->Prev() != previous) return Fail(why, entry, QStringLiteral("Prev link broken"));
        if (item->Holder() != &list) return Fail(why, entry, QStringLiteral("wrong Holder"));
        if (root.ItemById(item->Id()) != item)
            return Fail(why, entry,
                        QStringLiteral("item %1 not found by its Id").arg(Quoted(item->Name)));
        previous = item;
    }
    if (seen != list.Count())
        return Fail(why, entry, QStringLiteral("Count %1, chain %2").arg(list.Count()).arg(seen));
    if (list.Last() != previous)
        return Fail(why, entry, QStringLiteral("Last is not the last element"));
    return true;
}

bool CheckAttributeItem(const ListToCheck& entry, const TNvDescriptorItem& attribute,
                        QString* why) {
    if (attribute.Children()) return Fail(why, entry, QStringLiteral("an attribute has children"));
    const TNvDescriptor& own = attribute.Attributes();
    if (own.Count() != 0) return Fail(why, entry, QStringLiteral("an attribute has attributes"));
    if (own.Owner() != &attribute || own.Kind() != TNvDescriptor::AttributeList)
        return Fail(why, entry, QStringLiteral("an attribute's own list is not its own"));
    return true;
}

}  // namespace

QString DumpTree(const TNvDescriptor& root) {
    QString dump;
    // Next item to write at each open level; the tree may be far deeper than the call stack.
    std::vector<const TNvDescriptorItem*> pending{root.First()};
    while (!pending.empty()) {
        const TNvDescriptorItem* item = pending.back();
        if (!item) {
            pending.pop_back();
            continue;
        }
        pending.back() = item->Next();
        dump += ItemLine(*item, qsizetype(pending.size()) - 1) + u'\n';
        if (item->Children()) pending.push_back(item->Children()->First());
    }
    return dump;
}

bool CheckTreeInvariants(const TNvDescriptor& root, QString* why) {
    std::vector<ListToCheck> pending{{&root, TNvDescriptor::RootList, nullptr}};
    while (!pending.empty()) {
        const ListToCheck entry = pending.back();
        pending.pop_back();
        if (!CheckChain(entry, root, why)) return false;
        const bool attributes = entry.kind == TNvDescriptor::AttributeList;
        for (const TNvDescriptorItem* item = entry.list->First(); item; item = item->Next()) {
            if (attributes) {
                if (!CheckAttributeItem(entry, *item, why)) return false;
                continue;
            }
            pending.push_back({&item->Attributes(), TNvDescriptor::AttributeList, item});
            if (item->Children())
                pending.push_back({item->Children(), TNvDescriptor::ChildList, item});
        }
    }
    return true;
}
