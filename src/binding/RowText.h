#pragma once

#include "description/NvDescriptor.h"

#include <QString>

// A list row names its item by the item's Id in decimal; a group heading has "+" in front.
QString HeadingRowText(const TNvDescriptorItem& group);
QString ItemRowText(const TNvDescriptorItem& item);
bool IsHeadingRow(const QString& text);

// The item a row names, or null when the text names no live item of the tree.
TNvDescriptorItem* ItemOfRow(const TNvDescriptor& tree, const QString& text);
