#pragma once

#include "description/NvDescriptor.h"

#include <cstdint>

// Pre-order walk over the tag items of one list and everything nested in it, with each item's
// depth below that list (0 for the list's own items). Iterative: descriptions may nest groups
// as deep as they have lines, deeper than the stack would allow a recursion to go.
//
// fn(item, depth) returns whether to descend into the item's children.
template <typename Fn>
void WalkItems(const TNvDescriptor& list, Fn&& fn) {
    TNvDescriptorItem* item = list.First();
    int32_t depth = 0;
    while (item) {
        TNvDescriptor* children = item->Children();
        if (fn(*item, depth) && children && children->First()) {
            item = children->First();
            ++depth;
            continue;
        }
        // Leave finished lists until one has a next item; stop back at the starting list.
        while (!item->Next()) {
            if (depth == 0) return;
            item = item->Holder()->Owner();
            --depth;
        }
        item = item->Next();
    }
}
