#pragma once

#include <QStringList>

struct ProgramEnvironment;

// Fills what the platform decides: the program's folder, the data root (the --data-root option,
// taken out of args, else VELMORA_DATA_ROOT, else the platform's folder) and the scroll bar
// width.
void ResolveEnvironment(ProgramEnvironment& env, QStringList& args);
