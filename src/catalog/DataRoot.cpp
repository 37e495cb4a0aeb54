#include "DataRoot.h"

#include <QDir>

namespace {

QString WithSeparator(QString path) {
    if (!path.endsWith(QLatin1Char('/'))) path += QLatin1Char('/');
    return path;
}

QString PlatformDataRoot(const QProcessEnvironment& environment) {
    QString base = environment.value(QStringLiteral("XDG_DATA_HOME"));
    if (base.isEmpty()) base = QDir::homePath() + QStringLiteral("/.local/share");
    return WithSeparator(base) + QStringLiteral("DuradodadeZiraduzo/");
}

}  // namespace

QString ResolveDataRoot(const QString& option, const QProcessEnvironment& environment) {
    if (!option.isEmpty()) return WithSeparator(QDir::cleanPath(QDir(option).absolutePath()));
    const QString fromEnvironment = environment.value(QStringLiteral("VELMORA_DATA_ROOT"));
    if (!fromEnvironment.isEmpty())
        return WithSeparator(QDir::cleanPath(QDir(fromEnvironment).absolutePath()));
    return PlatformDataRoot(environment);
}

QString CatalogueFolder(const QString& dataRoot) { return WithSeparator(dataRoot) + QStringLiteral("db"); }
