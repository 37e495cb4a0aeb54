// Package bytes, zip or script, through the whole installation: whatever the bytes, it must end
// in an outcome, and anything but a successful installation must leave the data root as it was.

#include "DataRoot.h"
#include "Install.h"
#include "Kinds.h"

#include <QDir>
#include <QFile>
#include <QStringList>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <unistd.h>

namespace {

[[noreturn]] void Fail(const char* what, const QString& detail = {}) {
    std::fprintf(stderr, "fuzz_package: %s %s\n", what, qPrintable(detail));
    std::abort();
}

struct Workspace {
    QString base = QDir::tempPath() + QStringLiteral("/fuzz_package_%1").arg(static_cast<qint64>(::getpid()));
    QString root = base + QStringLiteral("/root/");
    QString package = base + QStringLiteral("/package.prt");

    

    void Reset() {
        QDir(root).removeRecursively();
        EnsureCatalogue(root);
    }
};

Workspace& Work() {
    static Workspace* work = [] {
        auto* w = new Workspace;
        QDir().mkpath(w->base);
        w->Reset();
        std::atexit([] { QDir(Work().base).removeRecursively(); });
        return w;
    }();
    return *work;
}

QStringList DbEntries(const Workspace& w) {
    return QDir(CatalogueFolder(w.root)).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    Workspace& w = Work();
    QFile file(w.package);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate)) Fail("cannot write the package");
    file.write(reinterpret_cast<const char*>(data), static_cast<qint64>(size));
    file.close();

    const QStringList before = DbEntries(w);
    const qsizetype rows = LoadKinds(w.root).size();
    // One fixed folder name: a refused package must have removed it again, so it is always free.
    const InstallOutcome outcome = InstallPackage(w.root, w.package, [] { return QStringLiteral("F0000000"); });
    if (outcome.message.isEmpty()) Fail("an outcome without a message");
    if (outcome.ok()) {
        if (!QFileInfo(CatalogueFolder(w.root) + QStringLiteral("/F0000000")).isDir()) Fail("installed without folder");
        if (LoadKinds(w.root).size() != 1) Fail("installed without exactly one row");
        w.Reset();
        return 0;
    }
    if (DbEntries(w) != before || LoadKinds(w.root).size() != rows)
        Fail("a refused package left something", outcome.message + u' ' + outcome.detail);
    return 0;
}
