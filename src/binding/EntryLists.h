#pragma once

#include "binding/EntryList.h"
#include "binding/InputTypes.h"
#include "description/NvDescriptor.h"

#include <QStringList>

// The rows of the three entry lists, derived from the tree and the current group alone: every
// rebuild starts from empty rows. Headings are "+" + Id, item rows the Id (see RowText.h).

// Items of one list (not of nested groups) that hold / do not hold a value; a nested group
// counts as not holding one.
int CountDefined(const InputTypeRegistry& registry, const TNvDescriptor& list);
int CountUndefined(const InputTypeRegistry& registry, const TNvDescriptor& list);

// Sets "visible" to number on an item that has it; leaves an item without one alone.
void ResetVisible(TNvDescriptorItem* item, int number);

// Appends to rows, depth first, the heading of every group of list (with or without values)
// and the defined items that are marked visible ("visible" present and not exactly "0"); writes every field item's
// "level" (its depth, from level for list's own items), shown or not.
void FillEntered(const InputTypeRegistry& registry, TNvDescriptor& list, int level,
                 QStringList& rows);

// The entered list: groups that hold a value directly, with their visible defined items. Keeps
// the top index; an empty tree leaves the list empty and its visibility as it was.
void BuildEnteredList(const InputTypeRegistry& registry, TNvDescriptor& tree, EntryList& entered);

// The current list: curGroup's heading, then a row for each of its children (nested groups as
// plain rows). Keeps the top index; without a current group the list is only emptied.
void BuildCurrentList(const TNvDescriptorItem* curGroup, EntryList& current);

// The next list: the heading of every top-level group other than curGroup that still has an
// item without value. Shows the list and frame when it has rows.
void BuildNextList(const InputTypeRegistry& registry, const TNvDescriptor& tree,
                   const TNvDescriptorItem* curGroup, EntryList& next, Shown* frame);

// Entered, current and next, in this order.
void BuildLists(const InputTypeRegistry& registry, TNvDescriptor& tree,
                const TNvDescriptorItem* curGroup, const EntryLists& lists);
