#pragma once

#include <QString>
#include <QStringView>

#include <functional>

// Pixel width of a text in the font the caller has selected.
using TextWidth = std::function<int(QStringView)>;

// Draws one display line with its top-left corner at (x, y).
using DrawLineFn = std::function<void(int x, int y, const QString& line)>;

// Display line n (from 0) of text wrapped to limit pixels, or empty text when there are fewer
// lines. A line ends after the last of " .,-;?!" that still fits; blanks and control characters
// around a line are trimmed, widths are measured before trimming. Lines before the end are never
// empty, so callers may count lines up to the first empty one.
QString WrapLine(const TextWidth& width, const QString& text, int n, int limit);

// Number of display lines; 0 for an empty text or one of blanks only. Terminates for every
// limit, including limit <= 0 (then every character gets a line of its own).
int CountLines(const TextWidth& width, const QString& text, int limit);

// When paint is on, draws line i at (x, y + i * step). Returns lines * step either way.
int DrawWrapped(const TextWidth& width, int x, int y, const QString& text, int limit, int step,
                bool paint, const DrawLineFn& draw);

// CountLines * step.
int WrappedHeight(const TextWidth& width, const QString& text, int limit, int step);
