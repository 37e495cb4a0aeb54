#include <QProcessEnvironment>
#include <QStringList>

#include "DataRoot.h"

// Takes "--data-root DIR" out of the arguments; falls back to the environment variable and
// then to the platform folder.
QString ResolveCliDataRoot(QStringList& args) {
    QString option;
    const int at = args.indexOf(QStringLiteral("--data-root"));
    if (at >= 0 && at + 1 < args.size()) {
        option = args.at(at + 1);
        args.remove(at, 2);
    }
    return ResolveDataRoot(option, QProcessEnvironment::systemEnvironment());
}
