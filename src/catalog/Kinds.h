#pragma once

#include <QList>
#include <QString>
#include <QStringList>

#include "proc/ProtocolDescription.h"

// The installed kinds as the catalogue "protocols.dbf" lists them, in its append order. The
// three sequences are parallel: item i of each describes catalogue row i.
struct KindList {
    QStringList names;                 // proname
    QStringList folders;               // "db/" + procatalog, relative to the data root
    QList<protocolDescription> kinds;  // (proname, proidnum)

    qsizetype size() const { return names.size(); }
    // The first kind named exactly name (letter case included), or -1.
    qsizetype IndexOf(const QString& name) const { return names.indexOf(name); }
};

// Reads the catalogue of dataRoot. Throws EngineError when it cannot be read.
KindList LoadKinds(const QString& dataRoot);

// Creates dataRoot/db and an empty catalogue in it (proidnum integer, proname char(100),
// procatalog char(20)) unless a "protocols.dbf" (in any letter case) is there, so that a fresh
// machine starts with no kinds instead of an error. Returns whether it created one. Throws
// EngineError, or std::runtime_error when the folder cannot be made.
bool EnsureCatalogue(const QString& dataRoot);

// Appends the catalogue row of a newly installed kind and writes it to disk. Throws EngineError.
void AppendKind(const QString& dataRoot, const protocolDescription& kind, const QString& folderName);

// The kind folder of a catalogue entry: dataRoot + folders[i], without a trailing separator.
QString KindFolderPath(const QString& dataRoot, const QString& folder);
