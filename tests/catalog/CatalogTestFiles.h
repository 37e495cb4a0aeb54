#pragma once

// Small file helpers shared by the catalogue tests: packages are built here byte by byte, so
// every test shows exactly what it feeds in.

#include <QByteArray>
#include <QMap>
#include <QString>
#include <QStringList>

#include <utility>
#include <vector>

namespace testfiles {

void WriteFile(const QString& path, const QByteArray& bytes);
QByteArray ReadFile(const QString& path);

// UTF-8 source text as the cp1251 bytes a package holds.
QByteArray Cp1251(const char* utf8);

// gzip-compressed bytes, as zlib's gzwrite makes them.
QByteArray Gzip(const QByteArray& bytes);

// A zip archive made by libzip with the entries in order, names stored exactly as given
// (deflated); a name ending in "/" is a folder entry.
using ZipEntries = std::vector<std::pair<QByteArray, QByteArray>>;
QByteArray Zip(const ZipEntries& entries);

// One zip entry written by hand, for archives that libzip would not write: sizes that lie.
struct RawEntry {
    QByteArray name;
    QByteArray data;        // as stored (deflated when method is 8)
    quint32 size = 0;       // declared uncompressed size
    quint32 crc = 0;
    quint16 method = 8;
};
QByteArray RawZip(const std::vector<RawEntry>& entries);
// Raw deflate of bytes at a zlib level and memory level (no zlib or gzip framing).
QByteArray Deflate(const QByteArray& bytes, int level, int memLevel = 8);
quint32 Crc32(const QByteArray& bytes);

// Every file and folder under root (relative paths; folders end in "/") with its bytes, so
// that a test can say that nothing changed.
QMap<QString, QByteArray> Snapshot(const QString& root);

// A zip package of a kind: protocol.desc with the given manifest lines (cp1251, CR LF) after
// the given files.
QByteArray ZipPackage(const char* manifestUtf8, const ZipEntries& files = {});

}  // namespace testfiles
