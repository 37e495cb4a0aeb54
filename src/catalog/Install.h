#pragma once

#include <QString>

#include <functional>

#include "proc/ProtocolDescription.h"

enum class InstallResult {
    Installed,
    CannotOpen,        // the package file cannot be opened
    NotAPackage,       // not a package, damaged, or refused as unsafe (detail says why)
    AlreadyInstalled,  // a kind of that name is in the catalogue
    BadManifest,       // a manifest value the catalogue cannot take
    Failed,            // the engine or the disk failed; message is their own text
};

// What an installation came to. message is the system's text for the user, shown as it is by
// the windows and velmora-cli alike. Whatever the result, only Installed leaves anything
// behind: a refused or failed installation removes the folder it made and writes no row.
struct InstallOutcome {
    InstallResult result = InstallResult::Failed;
    QString message;
    QString detail;             // the particular reason, when message alone does not say it
    QString folderName;         // the new kind folder under db/ (8 hex digits), when installed
    protocolDescription kind;   // as the manifest gave it

    bool ok() const { return result == InstallResult::Installed; }
};

// The fixed texts of the outcomes.
QString InstallMessage(InstallResult result);

// Gives candidate names for a new kind folder; they are drawn until one is free.
using FolderNameSource = std::function<QString()>;
QString DrawFolderName();  // RandomHexName(8)

// Installs a package file into dataRoot: a zip package ("PK" at the start) is extracted into a
// new kind folder under dataRoot/db, any other file is read as a gzip-compressed or plain
// script whose statements run in a new kind folder (confined to it, in one batch). The kind
// then gets its catalogue row. Both forms check the name against the catalogue before they
// create anything. The catalogue must exist (EnsureCatalogue).
InstallOutcome InstallPackage(const QString& dataRoot, const QString& packagePath,
                              const FolderNameSource& names = DrawFolderName);
