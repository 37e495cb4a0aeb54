#pragma once

#include <QProcessEnvironment>
#include <QString>

// The data root: the --data-root option when given, else the VELMORA_DATA_ROOT environment
// variable, else the platform's folder (Linux: $XDG_DATA_HOME/DuradodadeZiraduzo/, by
// default ~/.local/share/DuradodadeZiraduzo/). The result ends with a separator.
QString ResolveDataRoot(const QString& option, const QProcessEnvironment& environment);

// DataRoot + "db": the folder of the catalogue of installed kinds.
QString CatalogueFolder(const QString& dataRoot);
