// velmora-cli: the command-line tool for administrators, scripts and tests. It runs the same
// code as the windows and prints the system's own messages.
#include "CliCommand.h"

#include <QCoreApplication>
#include <QTextStream>
#include <cstdio>

#include "EngineError.h"

namespace {

std::vector<CliCommand> AllCommands() {
    std::vector<CliCommand> all;
    for (auto group : {SqlCommands, CatalogCommands, BindingCommands}) {
        auto commands = group();
        all.insert(all.end(), commands.begin(), commands.end());
    }
    return all;
}

int Usage(QTextStream& err, const std::vector<CliCommand>& commands) {
    err << "usage: velmora-cli [--data-root DIR] COMMAND ...\n";
    for (const auto& c : commands) err << "  " << c.usage << "\n";
    return 2;
}

}  // namespace

QString ResolveCliDataRoot(QStringList& args);

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    QTextStream out(stdout);
    QTextStream err(stderr);
    QStringList args = app.arguments().mid(1);
    const QString dataRoot = ResolveCliDataRoot(args);
    const auto commands = AllCommands();
    if (args.isEmpty()) return Usage(err, commands);
    const QString name = args.takeFirst();
    for (const auto& c : commands) {
        if (c.name != name) continue;
        CliContext context{args, dataRoot, out, err};
        try {
            return c.run(context);
        } catch (const EngineError& e) {
            err << e.message() << "\n";
            return 1;
        } catch (const std::exception& e) {
            err << QString::fromUtf8(e.what()) << "\n";
            return 1;
        }
    }
    err << "velmora-cli: unknown command " << name << "\n";
    return Usage(err, commands);
}
