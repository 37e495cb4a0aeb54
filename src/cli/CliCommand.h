#pragma once

#include <QString>
#include <QStringList>
#include <QTextStream>
#include <functional>
#include <vector>

// What every command of velmora-cli gets: its own arguments and the data root chosen by
// --data-root, VELMORA_DATA_ROOT or the platform folder.
struct CliContext {
    QStringList args;
    QString dataRoot;
    QTextStream& out;
    QTextStream& err;
};

struct CliCommand {
    QString name;
    QString usage;  // one line for the help text
    std::function<int(CliContext&)> run;  // returns the exit code
};

// Each command file contributes its commands here (see main.cpp).
std::vector<CliCommand> SqlCommands();
std::vector<CliCommand> CatalogCommands();
std::vector<CliCommand> BindingCommands();
