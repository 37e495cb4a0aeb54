#pragma once

#include "description/NvDescriptor.h"

#include <QStringList>

// Appends the items described by lines to root (normally an empty root list).
//
// One tag per statement: "<label name=value ...>" appends a field item, a tag starting "<" that
// holds "!!" anywhere opens a group whose children follow, "</...>" closes the innermost group
// (at the top level it ends the parse). A statement runs over lines until one holds ">"; "//"
// starts a comment; lines shorter than two characters are skipped. Never fails: any text gives
// the items these rules make of it, in time linear in its length.
void ParseDescription(TNvDescriptor& root, const QStringList& lines);
