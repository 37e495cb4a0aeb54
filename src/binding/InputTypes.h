#pragma once

#include "description/NvDescriptor.h"

#include <QString>

#include <functional>
#include <vector>

// One custom input type: how to tell whether an item holds a value, what text shows it, and how
// its editor opens. Every handler gets the item and the entry's data number; any of them may
// be left empty.
struct InputTypeEntry {
    std::function<bool(const TNvDescriptorItem& item, int data)> define;
    std::function<QString(const TNvDescriptorItem& item, int data)> view;
    std::function<void(TNvDescriptorItem& item, int data)> input;
    int data = 0;
};

// The custom input types, by name (letter case ignored). The program registers none; it is an
// argument everywhere so that a caller, or a test, can.
class InputTypeRegistry {
public:
    // A second entry of the same name replaces the first.
    void Register(const QString& name, InputTypeEntry entry);
    const InputTypeEntry* Find(const QString& name) const;

private:
    std::vector<std::pair<QString, InputTypeEntry>> entries_;
};

// The registry entry named by the item's "inputtype"; null when there is none. It holds the
// handlers that the attribute names "define", "view" and "input" stand for.
const InputTypeEntry* CustomHandler(const InputTypeRegistry& registry,
                                    const TNvDescriptorItem& item);
// That entry's data number; 0 without an entry.
int CustomData(const InputTypeRegistry& registry, const TNvDescriptorItem& item);

// Whether the item holds a value. For input "custom" its type's define handler decides (no
// entry or no handler: not defined); otherwise the integer "define" is not 0.
bool IsDefined(const InputTypeRegistry& registry, const TNvDescriptorItem& item);

// The text that shows the item's value: for input "custom" its type's view text (empty without
// an entry or handler), otherwise "value", defined or not.
QString DisplayText(const InputTypeRegistry& registry, const TNvDescriptorItem& item);
