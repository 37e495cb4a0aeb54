#include "Platform.h"

#include <QApplication>
#include <QProcessEnvironment>
#include <QStyle>

#include "DataRoot.h"
#include "ProgramEnvironment.h"

void ResolveEnvironment(ProgramEnvironment& env, QStringList& args) {
    env.ProgramFolder = QCoreApplication::applicationDirPath() + QLatin1Char('/');
    QString option;
    for (qsizetype i = 1; i < args.size(); ++i) {
        if (args.at(i) == u"--data-root" && i + 1 < args.size()) {
            option = args.at(i + 1);
            args.remove(i, 2);
            break;
        }
        if (args.at(i).startsWith(u"--data-root=")) {
            option = args.at(i).mid(12);
            args.remove(i);
            break;
        }
    }
    env.DataRoot = ResolveDataRoot(option, QProcessEnvironment::systemEnvironment());
    env.ScrollBarWidth = QApplication::style()->pixelMetric(QStyle::PM_ScrollBarExtent);
}
