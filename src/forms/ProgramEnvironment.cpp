#include "ProgramEnvironment.h"

#include <QDir>
#include <QFileInfo>

#include "Kinds.h"

QString ProgramEnvironment::KindFolder() const { return KindFolderPath(DataRoot, KindSubfolder); }

QString ProgramFile(const ProgramEnvironment& env, const QString& relative) {
    const QString here = QDir::current().filePath(relative);
    if (QFileInfo::exists(here)) return here;
    return QDir(env.ProgramFolder).filePath(relative);
}
