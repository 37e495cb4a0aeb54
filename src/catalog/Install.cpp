#include "Install.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <exception>
#include <optional>

#include "DataRoot.h"
#include "EngineError.h"
#include "Kinds.h"
#include "Manifest.h"
#include "PackageZip.h"
#include "ScriptReader.h"
#include "TFolderDB.h"
#include "proc/RandomHexName.h"

namespace {

constexpr int kMaxNameDraws = 1000;
constexpr qsizetype kMaxNameLength = 100;  // the width of proname

InstallOutcome Outcome(InstallResult result, const QString& detail = {}) {
    InstallOutcome outcome;
    outcome.result = result;
    outcome.message = InstallMessage(result);
    outcome.detail = detail;
    return outcome;
}

InstallOutcome FailedWith(const QString& message, const QString& detail = {}) {
    InstallOutcome outcome = Outcome(InstallResult::Failed, detail);
    outcome.message = message;
    return outcome;
}

InstallOutcome BadManifest(const QString& message) {
    InstallOutcome outcome = Outcome(InstallResult::BadManifest);
    outcome.message = message;
    return outcome;
}

// A manifest the catalogue could not hold faithfully is refused before anything is made. (Its
// text came from cp1251, so every character of the name fits the catalogue's code page.)
std::optional<InstallOutcome> CheckManifest(const ManifestReading& manifest) {
    if (!manifest.signatureValid)
        return BadManifest(
            QStringLiteral("Значение signature «%1» в файле протокола не является допустимым числом")
                .arg(manifest.badSignature));
    if (manifest.kind.name.size() > kMaxNameLength)
        return BadManifest(QStringLiteral("Название протокола длиннее %1 символов").arg(kMaxNameLength));
    return std::nullopt;
}

// The new kind folder, removed again unless the installation completes.
struct FolderClaim {
    QString name;
    QString path;
    bool keep = false;

    FolderClaim() = default;
    FolderClaim(const FolderClaim&) = delete;
    FolderClaim& operator=(const FolderClaim&) = delete;
    ~FolderClaim() {
        if (!path.isEmpty() && !keep) QDir(path).removeRecursively();
    }
};

bool NameTaken(const QDir& db, const KindList& kinds, const QString& name) {
    // A catalogue row whose folder went missing still owns its name.
    if (kinds.folders.contains(QStringLiteral("db/") + name, Qt::CaseInsensitive)) return true;
    const QFileInfo info(db.filePath(name));
    return info.exists() || info.isSymLink();
}

// Draws names until one is free and creates that folder in claim; mkdir fails when another
// process took the name meanwhile, and the drawing goes on. Returns the error, if no folder
// could be made.
std::optional<QString> ClaimFolder(const QString& dataRoot, const KindList& kinds,
                                   const FolderNameSource& names, FolderClaim& claim) {
    const QDir db(CatalogueFolder(dataRoot));
    for (int draw = 0; draw < kMaxNameDraws; ++draw) {
        const QString name = names();
        if (name.isEmpty() || name.contains(u'/') || name.contains(u'\\') || name.startsWith(u'.')) continue;
        if (NameTaken(db, kinds, name)) continue;
        if (db.mkdir(name)) {
            claim.name = name;
            claim.path = db.filePath(name);
            return std::nullopt;
        }
        if (!QFileInfo::exists(db.filePath(name)))
            return QStringLiteral("не удалось создать папку «%1»").arg(db.filePath(name));
    }
    return QStringLiteral("не найдено свободное имя папки за %1 попыток").arg(kMaxNameDraws);
}

InstallOutcome Installed(const QString& dataRoot, const ManifestReading& manifest, FolderClaim& claim) {
    AppendKind(dataRoot, manifest.kind, claim.name);
    claim.keep = true;
    InstallOutcome outcome = Outcome(InstallResult::Installed);
    outcome.folderName = claim.name;
    outcome.kind = manifest.kind;
    return outcome;
}

// What both forms check once the manifest is known, before anything is created.
std::optional<InstallOutcome> Refusal(const QString& dataRoot, const ManifestReading& manifest,
                                      KindList& kinds) {
    if (std::optional<InstallOutcome> bad = CheckManifest(manifest)) return bad;
    kinds = LoadKinds(dataRoot);
    if (kinds.IndexOf(manifest.kind.name) >= 0) {
        InstallOutcome outcome = Outcome(InstallResult::AlreadyInstalled);
        outcome.kind = manifest.kind;
        return outcome;
    }
    return std::nullopt;
}

InstallOutcome InstallZip(const QString& dataRoot, const QString& packagePath, const FolderNameSource& names) {
    PackageZip zip;
    if (!zip.Open(packagePath)) return Outcome(InstallResult::NotAPackage, zip.Error());
    const std::optional<QByteArray> bytes = zip.ReadManifest();
    if (!bytes) return Outcome(InstallResult::NotAPackage, zip.Error());
    ManifestReading manifest;
    for (const QString& line : ManifestLines(*bytes)) manifest.Apply(line);

    KindList kinds;
    if (std::optional<InstallOutcome> refused = Refusal(dataRoot, manifest, kinds)) return *refused;
    FolderClaim claim;
    if (std::optional<QString> error = ClaimFolder(dataRoot, kinds, names, claim))
        return FailedWith(*error);
    if (!zip.ExtractAll(claim.path)) {
        if (zip.DiskFailure()) return FailedWith(zip.Error());
        return Outcome(InstallResult::NotAPackage, zip.Error());
    }
    return Installed(dataRoot, manifest, claim);
}

// The manifest lines may stand anywhere in a script, so the script is read once for them
// before anything is created, and once more to run its statements: memory stays at one line.
InstallOutcome InstallScript(const QString& dataRoot, const QString& packagePath, const FolderNameSource& names) {
    ManifestReading manifest;
    {
        ScriptReader reader(packagePath);
        if (!reader.IsOpen()) return Outcome(InstallResult::CannotOpen);
        while (!reader.AtEnd()) manifest.Apply(reader.ReadPackageLine());
        if (reader.Failed()) return Outcome(InstallResult::NotAPackage, reader.Error());
    }
    KindList kinds;
    if (std::optional<InstallOutcome> refused = Refusal(dataRoot, manifest, kinds)) return *refused;
    FolderClaim claim;
    if (std::optional<QString> error = ClaimFolder(dataRoot, kinds, names, claim))
        return FailedWith(*error);

    ScriptReader reader(packagePath);
    if (!reader.IsOpen()) return Outcome(InstallResult::CannotOpen);
    {
        TBatch batch(claim.path);
        TFolderDB db(claim.path);
        for (int number = 1; !reader.AtEnd(); ++number) {
            const QString line = reader.ReadPackageLine();
            if (line.isEmpty() || line.startsWith(u'#')) continue;
            try {
                db.Execute(line);
            } catch (const EngineError& e) {
                return FailedWith(e.message(), QStringLiteral("строка %1: %2").arg(number).arg(line.left(200)));
            }
        }
        if (reader.Failed()) return Outcome(InstallResult::NotAPackage, reader.Error());
        batch.Commit();
    }
    return Installed(dataRoot, manifest, claim);
}

}  // namespace

QString InstallMessage(InstallResult result) {
    switch (result) {
    case InstallResult::Installed: return QStringLiteral("Новый протокол успешно добавлен в систему");
    case InstallResult::CannotOpen: return QStringLiteral("Невозможно открыть файл протокола");
    case InstallResult::NotAPackage:
        return QStringLiteral("Указанный файл не является файлом протокола или поврежден");
    case InstallResult::AlreadyInstalled: return QStringLiteral("Данный протокол уже установлен в системе");
    case InstallResult::BadManifest: return QStringLiteral("Файл протокола содержит недопустимое описание");
    case InstallResult::Failed: return QStringLiteral("Не удалось установить протокол");
    }
    return {};
}

QString DrawFolderName() { return RandomHexName(8); }

InstallOutcome InstallPackage(const QString& dataRoot, const QString& packagePath, const FolderNameSource& names) {
    QFile file(packagePath);
    if (!file.open(QIODevice::ReadOnly)) return Outcome(InstallResult::CannotOpen);
    const QByteArray head = file.read(2);
    file.close();
    try {
        if (head == "PK") return InstallZip(dataRoot, packagePath, names);
        return InstallScript(dataRoot, packagePath, names);
    } catch (const EngineError& e) {
        return FailedWith(e.message());
    } catch (const std::exception& e) {
        return FailedWith(QString::fromUtf8(e.what()));
    }
}
