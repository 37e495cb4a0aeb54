#pragma once

#include "description/NvDescriptor.h"
#include "proc/Wrap.h"

#include <QStringList>

#include <optional>

// The numbers the current list is drawn with, which a press on it is mapped back through.
// The window measures them once per showing; tests give a fixed-width font.
struct EntryMetrics {
    TextWidth nameWidth;   // text width in the item name style
    TextWidth valueWidth;  // text width in the value and choice style
    int nameLineHeight = 0;
    int valueLineHeight = 0;
    int indentStep = 16;
    int checkedPictureWidth = 0;
    int listWidth = 0;        // outer width of the current list
    int listFrameWidth = 0;   // its outer width minus its client width
    int scrollBarWidth = 0;
};

// The width texts are wrapped to in a list: the scroll bar is always allowed for, shown or not.
int ListTextWidth(int listWidth, int listFrameWidth, int scrollBarWidth);
int ListTextWidth(const EntryMetrics& metrics);

// Height of the item's name block in the current list, where a press below it starts to count
// as a press on a value or a choice. The name wraps as the list draws it, at the width left
// after the indent of its "level" and "margin".
int NameHeight(const EntryMetrics& metrics, const TNvDescriptorItem& item);

// Where the choices of a reference item are written in the current list, against the row's
// left edge, and the width they wrap to: radio choices (tokens false) 2 pixels after their box,
// a check group's (tokens true) 4 pixels after it and kept clear of the scroll bar. The painter
// and the press mapping both take them from here, so a press lands on the choice drawn there.
struct ChoiceText {
    int left = 0;
    int wrapWidth = 0;
};
ChoiceText ChoiceTextPlace(int textWidth, int checkedPictureWidth, int indentStep, int scrollBarWidth,
                           int level, int margin, bool tokens);

// The choice (counted from 1) under a press y pixels below the name block of an item at
// level (with its margin), whose choices are names in order; nothing above the first or below
// the last.
std::optional<int> ChoiceAt(const EntryMetrics& metrics, int level, const QStringList& names,
                            int y, int margin = 0, bool tokens = false);

// Whether position n is a token of a check-group value: "n|" at its start or after a "|".
bool HasToken(const QString& value, int n);
// The value with token n removed when present, otherwise appended at the end.
QString ToggleToken(const QString& value, int n);
