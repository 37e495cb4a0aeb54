#include "binding/EntryList.h"

int EntryList::IndexOf(const QString& text) const {
    const int count = RowCount();
    for (int i = 0; i < count; ++i)
        if (Row(i) == text) return i;
    return -1;
}

void MemoryEntryList::Clear() {
    rows_.clear();
    selected_ = -1;
}

void MemoryEntryList::SetSelected(int index) {
    selected_ = index >= 0 && index < rows_.size() ? index : -1;
}
