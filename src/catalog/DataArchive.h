#pragma once

#include <QString>
#include <QStringList>
#include <QtGlobal>

#include <functional>

#include "proc/ProtocolDescription.h"

// How far the writing of a data archive has come, for a progress bar.
struct ArchiveProgress {
    int filesDone = 0;
    int filesTotal = 0;
    qint64 bytesDone = 0;
    qint64 bytesTotal = 0;
};
using ArchiveProgressCallback = std::function<void(const ArchiveProgress&)>;

struct ArchiveOutcome {
    bool ok = false;
    QString error;  // the reason, for the user, when !ok
    int files = 0;  // files of the kind folder in the archive (the manifest not counted)
    qint64 bytes = 0;
};

// The files a data archive of kindFolder takes: every plain, non-hidden file directly in it,
// by name; sub-folders, links and special files stay out, and so do a "protocol.desc" of the
// folder's own (the archive carries its own manifest) and the file `exclude` (the target).
QStringList DataArchiveFiles(const QString& kindFolder, const QString& exclude = {});

// Writes the data archive of a kind: the files of DataArchiveFiles under their bare names plus
// the two-line manifest "protocol.desc" built in memory, all deflated at level 6. The archive is
// written to a temporary file beside target and renamed over it only when complete, so on any
// failure an existing target stays as it was; the kind folder is only read. progress, when
// given, is called as the files are read.
ArchiveOutcome WriteDataArchive(const QString& kindFolder, const protocolDescription& kind,
                                const QString& target, const ArchiveProgressCallback& progress = {});
