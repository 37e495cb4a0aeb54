#pragma once

#include <QColor>
#include <QFont>
#include <QIcon>
#include <QString>

class QWidget;
struct ProgramEnvironment;

// The colours of the program's windows.
inline const QColor kWindowColour(242, 236, 216);
inline const QColor kCountColour(42, 70, 133);
inline const QColor kPromptColour(255, 92, 92);

// A font by the face the windows were designed with and its size in pixels (the .ui format
// knows only points, which would change with the screen's resolution). Arial falls back to
// the metric-compatible Liberation Sans, Tahoma and MS Sans Serif to DejaVu Sans, when the
// machine lacks them.
QFont UiFont(const QString& family, int pixelSize, bool bold = false, bool italic = false);

// A 16x16 button glyph from the program's data folder ("glyph_open.png"); an empty icon when
// the file is missing.
QIcon Glyph(const ProgramEnvironment& env, const QString& name);

// Fills the widget's background with colour.
void SetBackground(QWidget& widget, const QColor& colour);
// Sets the colour of the widget's text.
void SetTextColour(QWidget& widget, const QColor& colour);
