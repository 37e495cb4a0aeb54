#pragma once

#include <QByteArray>
#include <QString>
#include <QStringView>
#include <QtGlobal>

#include <optional>
#include <vector>

struct zip;

// The path under the kind folder where a zip entry of this name belongs, '/'-separated and
// without "." or empty parts ("" for the folder itself); nothing when the name could reach
// outside it or is no portable file name: "..", an absolute path, a drive letter or any ":",
// a backslash, a control character, an empty name.
std::optional<QString> KindRelativePath(QStringView entryName);

// A zip package opened read-only. Its whole directory is checked when it is opened, so a
// package that cannot be installed safely is refused before anything is created.
class PackageZip {
public:
    static constexpr qint64 MaxEntries = 10000;
    static constexpr quint64 MaxTotalSize = quint64(2) << 30;
    // The manifest is read into memory; real ones are two lines.
    static constexpr quint64 MaxManifestSize = 1 << 20;

    struct Entry {
        quint64 index = 0;
        QByteArray rawName;  // as stored, for the exact comparison with "protocol.desc"
        QString path;        // KindRelativePath of the name
        bool folder = false;
        quint64 size = 0;    // uncompressed, as the directory declares it
    };

    PackageZip() = default;
    ~PackageZip();
    PackageZip(const PackageZip&) = delete;
    PackageZip& operator=(const PackageZip&) = delete;

    // Opens the archive with libzip's consistency check and checks every entry: its name,
    // the number of entries, the uncompressed total, encryption and compression method.
    // False with Error() set when the package is refused.
    bool Open(const QString& path);

    const std::vector<Entry>& Entries() const { return entries_; }
    const QString& Error() const { return error_; }
    // Whether the last failure was the disk's (a file or folder could not be written) rather
    // than the package's.
    bool DiskFailure() const { return diskFailure_; }

    // The bytes of the first entry named exactly "protocol.desc" (letter case included);
    // nothing, with Error() set, when there is none or it cannot be read.
    std::optional<QByteArray> ReadManifest();

    // Writes every entry except those named "protocol.desc" into folder, creating the
    // sub-folders that entries name inside it; an existing file is replaced. Each file is
    // checked against its declared size and CRC and synced to disk. False with Error() set
    // on the first failure; what was written stays for the caller to remove.
    bool ExtractAll(const QString& folder);

private:
    bool Fail(const QString& error);
    bool DiskFail(const QString& error);
    bool CheckEntry(quint64 index, quint64& total);
    std::optional<QByteArray> ReadEntry(const Entry& entry);
    bool ExtractFile(const Entry& entry, const QString& target);

    zip* archive_ = nullptr;
    std::vector<Entry> entries_;
    QString error_;
    bool diskFailure_ = false;
};
