#include "PackageZip.h"

#include <QDir>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include "CatalogTestFiles.h"

namespace {

using testfiles::ReadFile;
using testfiles::WriteFile;

TEST(KindRelativePath, KeepsEntriesInsideTheKindFolder) {
    struct Case {
        const char* name;
        std::optional<QString> path;
    };
    const Case cases[] = {
        {"main.dbf", QStringLiteral("main.dbf")},
        {"refs/sex.dbf", QStringLiteral("refs/sex.dbf")},
        {"./refs//sex.dbf", QStringLiteral("refs/sex.dbf")},
        {"refs/", QStringLiteral("refs")},
        {"./", QString()},
        {"Справочники/пол.dbf", QStringLiteral("Справочники/пол.dbf")},
        {"../evil.dbf", std::nullopt},
        {"refs/../../evil.dbf", std::nullopt},
        {"refs/..", std::nullopt},
        {"/etc/passwd", std::nullopt},
        {"C:evil.dbf", std::nullopt},
        {"C:/evil.dbf", std::nullopt},
        {"..\\evil.dbf", std::nullopt},
        {"refs\\sex.dbf", std::nullopt},
        {"line\nbreak", std::nullopt},
        {"", std::nullopt},
    };
    for (const Case& c : cases) EXPECT_EQ(KindRelativePath(QString::fromUtf8(c.name)), c.path) << c.name;
}

class PackageZipTest : public ::testing::Test {
protected:
    QString Package(const QByteArray& bytes) {
        const QString path = dir_.filePath(QStringLiteral("package.prt"));
        WriteFile(path, bytes);
        return path;
    }
    QTemporaryDir dir_;
};

TEST_F(PackageZipTest, ManifestIsTheFirstEntryNamedExactlyProtocolDesc) {
    PackageZip zip;
    ASSERT_TRUE(zip.Open(Package(testfiles::Zip({{"PROTOCOL.DESC", "upper"},
                                                 {"sub/protocol.desc", "nested"},
                                                 {"protocol.desc", "first"},
                                                 {"protocol.desc.bak", "other"}}))));
    EXPECT_EQ(zip.ReadManifest(), QByteArray("first"));

    PackageZip none;
    ASSERT_TRUE(none.Open(Package(testfiles::Zip({{"PROTOCOL.DESC", "upper"}, {"main.dbf", "x"}}))));
    EXPECT_FALSE(none.ReadManifest());
    EXPECT_FALSE(none.Error().isEmpty());
}

TEST_F(PackageZipTest, ExtractsSubFoldersInsideAndLeavesTheManifestOut) {
    PackageZip zip;
    ASSERT_TRUE(zip.Open(Package(testfiles::Zip(
        {{"dbdescription.dbf", "catalogue"}, {"refs/", ""}, {"refs/sex.dbf", "sex"}, {"protocol.desc", "#name=x"},
         {"empty/", ""}}))));
    const QString kind = dir_.filePath(QStringLiteral("kind"));
    QDir().mkdir(kind);
    ASSERT_TRUE(zip.ExtractAll(kind)) << zip.Error().toStdString();
    EXPECT_EQ(testfiles::Snapshot(kind), (QMap<QString, QByteArray>{{QStringLiteral("dbdescription.dbf"), "catalogue"},
                                                                    {QStringLiteral("refs/"), {}},
                                                                    {QStringLiteral("refs/sex.dbf"), "sex"},
                                                                    {QStringLiteral("empty/"), {}}}));
}

TEST_F(PackageZipTest, EntryLongerThanItsDeclaredSizeIsCutOffAsDamaged) {
    // A real bomb: a small deflate stream that inflates far beyond what the directory says.
    const QByteArray inflated(4 << 20, 'A');
    testfiles::RawEntry bomb{"main.dbf", testfiles::Deflate(inflated, 9), 16, testfiles::Crc32(inflated)};
    PackageZip zip;
    ASSERT_TRUE(zip.Open(Package(testfiles::RawZip({bomb}))));
    const QString kind = dir_.filePath(QStringLiteral("kind"));
    QDir().mkdir(kind);
    EXPECT_FALSE(zip.ExtractAll(kind));
    EXPECT_FALSE(zip.DiskFailure());
    EXPECT_LT(QFileInfo(kind + QStringLiteral("/main.dbf")).size(), 1 << 20);
}

}  // namespace
