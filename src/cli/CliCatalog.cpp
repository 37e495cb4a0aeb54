// velmora-cli kinds [--json], install PACKAGE, archive "KIND NAME" OUT.zip: the catalogue of
// installed kinds, package installation and data archives, with the windows' own code.
#include "CliCommand.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include "DataArchive.h"
#include "Install.h"
#include "Kinds.h"

namespace {

int RunKinds(CliContext& c) {
    QStringList args = c.args;
    const bool json = args.removeAll(QStringLiteral("--json")) > 0;
    if (!args.isEmpty()) {
        c.err << "usage: velmora-cli kinds [--json]\n";
        return 2;
    }
    EnsureCatalogue(c.dataRoot);
    const KindList kinds = LoadKinds(c.dataRoot);
    if (json) {
        QJsonArray list;
        for (qsizetype i = 0; i < kinds.size(); ++i) {
            list.append(QJsonObject{{QStringLiteral("name"), kinds.names[i]},
                                    {QStringLiteral("signature"), kinds.kinds[i].signature},
                                    {QStringLiteral("folder"), kinds.folders[i]}});
        }
        c.out << QString::fromUtf8(QJsonDocument(QJsonObject{{QStringLiteral("kinds"), list}})
                                       .toJson(QJsonDocument::Compact))
              << "\n";
        return 0;
    }
    for (qsizetype i = 0; i < kinds.size(); ++i)
        c.out << kinds.kinds[i].signature << "\t" << kinds.names[i] << "\t" << kinds.folders[i] << "\n";
    return 0;
}

int RunInstall(CliContext& c) {
    if (c.args.size() != 1) {
        c.err << "usage: velmora-cli install PACKAGE\n";
        return 2;
    }
    EnsureCatalogue(c.dataRoot);
    const InstallOutcome outcome = InstallPackage(c.dataRoot, c.args.at(0));
    QTextStream& stream = outcome.ok() ? c.out : c.err;
    stream << outcome.message << "\n";
    if (!outcome.detail.isEmpty()) c.err << outcome.detail << "\n";
    if (outcome.ok()) c.out << "db/" << outcome.folderName << "\n";
    return outcome.ok() ? 0 : 1;
}

int RunArchive(CliContext& c) {
    if (c.args.size() != 2) {
        c.err << "usage: velmora-cli archive \"KIND NAME\" OUT.zip\n";
        return 2;
    }
    EnsureCatalogue(c.dataRoot);
    const KindList kinds = LoadKinds(c.dataRoot);
    const qsizetype at = kinds.IndexOf(c.args.at(0));
    if (at < 0) {
        c.err << "velmora-cli: no installed kind named \"" << c.args.at(0) << "\"\n";
        return 1;
    }
    const ArchiveOutcome outcome =
        WriteDataArchive(KindFolderPath(c.dataRoot, kinds.folders[at]), kinds.kinds[at], c.args.at(1));
    if (!outcome.ok) {
        c.err << outcome.error << "\n";
        return 1;
    }
    c.out << outcome.files << " file(s), " << outcome.bytes << " byte(s)\n";
    return 0;
}

}  // namespace

std::vector<CliCommand> CatalogCommands() {
    return {
        {QStringLiteral("kinds"), QStringLiteral("kinds [--json]"), RunKinds},
        {QStringLiteral("install"), QStringLiteral("install PACKAGE"), RunInstall},
        {QStringLiteral("archive"), QStringLiteral("archive \"KIND NAME\" OUT.zip"), RunArchive},
    };
}
