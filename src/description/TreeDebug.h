#pragma once

#include "description/NvDescriptor.h"

#include <QString>

// One line per tag item in pre-order, indented two blanks a level:
//   +"Group"
//     "Field" [db="main", "odd name"="x y"]
// "+" marks a group; names and values are quoted with \\, \" and \xNN escapes; an attribute name
// is left bare when it is made of letters, digits and "_" only; a non-empty item Value follows
// the name as ="...".
QString DumpTree(const TNvDescriptor& root);

// Checks the structure of root's whole tree: root is a root list; in every list Count matches
// the chain, links agree both ways, the ends are null, every element names the list as Holder
// and Last is the last element; every item has an attribute list it owns (kind 2), a group
// owns its children list (kind 1), attribute items have neither children nor attributes, and
// every item is found by its Id. On failure returns false and, when why is given, says what.
bool CheckTreeInvariants(const TNvDescriptor& root, QString* why = nullptr);
