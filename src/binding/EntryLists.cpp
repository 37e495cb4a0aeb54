#include "binding/EntryLists.h"

#include "binding/RowText.h"
#include "binding/TreeWalk.h"

namespace {

const QString kVisible = QStringLiteral("visible");
const QString kLevel = QStringLiteral("level");

bool HoldsValue(const InputTypeRegistry& registry, const TNvDescriptorItem& item) {
    return !item.Children() && IsDefined(registry, item);
}

int CountWhere(const InputTypeRegistry& registry, const TNvDescriptor& list, bool defined) {
    int count = 0;
    for (const TNvDescriptorItem* item = list.First(); item; item = item->Next())
        if (HoldsValue(registry, *item) == defined) ++count;
    return count;
}

// Whether CountWhere would not be 0, without walking a whole group of thousands of items.
bool AnyWhere(const InputTypeRegistry& registry, const TNvDescriptor& list, bool defined) {
    for (const TNvDescriptorItem* item = list.First(); item; item = item->Next())
        if (HoldsValue(registry, *item) == defined) return true;
    return false;
}

// Shown in the entered list once its group has been expanded: "visible" present, not "0".
bool IsMarkedVisible(const TNvDescriptorItem& item) {
    const TNvDescriptorItem* visible = item.Attributes().Find(kVisible);
    return visible && visible->Value != QStringLiteral("0");
}

void Fill(EntryList& list, const QStringList& rows) {
    for (const QString& row : rows) list.AddRow(row);
}

}  // namespace

int CountDefined(const InputTypeRegistry& registry, const TNvDescriptor& list) {
    return CountWhere(registry, list, true);
}

int CountUndefined(const InputTypeRegistry& registry, const TNvDescriptor& list) {
    return CountWhere(registry, list, false);
}

void ResetVisible(TNvDescriptorItem* item, int number) {
    if (TNvDescriptorItem* visible = item->Attributes().Find(kVisible))
        visible->Value = QString::number(number);
}

void FillEntered(const InputTypeRegistry& registry, TNvDescriptor& list, int level,
                 QStringList& rows) {
    WalkItems(list, [&](TNvDescriptorItem& item, int depth) {
        if (item.Children()) {
            rows.append(HeadingRowText(item));
            return true;
        }
        if (IsMarkedVisible(item) && IsDefined(registry, item)) rows.append(ItemRowText(item));
        item.SetAttr(kLevel, QString::number(level + depth));
        return true;
    });
}

void BuildEnteredList(const InputTypeRegistry& registry, TNvDescriptor& tree, EntryList& entered) {
    const int top = entered.TopIndex();
    entered.Clear();
    if (!tree.First()) return;
    QStringList rows;
    FillEntered(registry, tree, 0, rows);
    // A group without a value of its own loses its heading; its nested groups may keep theirs.
    rows.removeIf([&](const QString& row) {
        if (!IsHeadingRow(row)) return false;
        const TNvDescriptorItem* group = ItemOfRow(tree, row);
        return !AnyWhere(registry, *group->Children(), true);
    });
    Fill(entered, rows);
    entered.SetShown(!rows.isEmpty());
    entered.SetTopIndex(top);
}

void BuildCurrentList(const TNvDescriptorItem* curGroup, EntryList& current) {
    const int top = current.TopIndex();
    current.Clear();
    if (!curGroup) return;
    QStringList rows{HeadingRowText(*curGroup)};
    if (const TNvDescriptor* children = curGroup->Children())
        for (const TNvDescriptorItem* item = children->First(); item; item = item->Next())
            rows.append(ItemRowText(*item));
    Fill(current, rows);
    current.SetShown(true);
    current.SetTopIndex(top);
}

void BuildNextList(const InputTypeRegistry& registry, const TNvDescriptor& tree,
                   const TNvDescriptorItem* curGroup, EntryList& next, Shown* frame) {
    next.Clear();
    if (!tree.First()) return;
    QStringList rows;
    for (const TNvDescriptorItem* item = tree.First(); item; item = item->Next()) {
        // Groups whose items all hold values are done and leave the list.
        if (item->Children() && item != curGroup && AnyWhere(registry, *item->Children(), false))
            rows.append(HeadingRowText(*item));
    }
    Fill(next, rows);
    next.SetShown(!rows.isEmpty());
    if (frame) frame->SetShown(!rows.isEmpty());
}

void BuildLists(const InputTypeRegistry& registry, TNvDescriptor& tree,
                const TNvDescriptorItem* curGroup, const EntryLists& lists) {
    BuildEnteredList(registry, tree, lists.entered);
    BuildCurrentList(curGroup, lists.current);
    BuildNextList(registry, tree, curGroup, lists.next, lists.nextFrame);
}
