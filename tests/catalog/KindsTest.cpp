#include "Kinds.h"

#include <QDir>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include "CatalogTestFiles.h"
#include "DataRoot.h"
#include "EngineError.h"

namespace {

struct FieldDescriptor {
    QByteArray name;
    char type;
    int length;
};

// The field descriptors of a DBF header, read byte by byte so that the check does not depend
// on our own reader.
std::vector<FieldDescriptor> DbfFields(const QByteArray& bytes) {
    std::vector<FieldDescriptor> fields;
    for (qsizetype at = 32; at + 32 <= bytes.size() && bytes[at] != '\r'; at += 32) {
        const QByteArray name = bytes.mid(at, 11);
        fields.push_back({name.left(name.indexOf('\0')), bytes[at + 11], int(quint8(bytes[at + 16]))});
    }
    return fields;
}

class KindsTest : public ::testing::Test {
protected:
    QTemporaryDir dir_;
    QString root_ = dir_.filePath(QStringLiteral("root/"));
};

TEST_F(KindsTest, FreshDataRootGetsAnEmptyCatalogueOnce) {
    EXPECT_TRUE(EnsureCatalogue(root_));
    const QString file = CatalogueFolder(root_) + QStringLiteral("/protocols.dbf");
    const auto fields = DbfFields(testfiles::ReadFile(file));
    ASSERT_EQ(fields.size(), 3u);
    EXPECT_EQ(fields[0].name.toLower(), QByteArray("proidnum"));
    EXPECT_EQ(fields[0].type, 'I');
    EXPECT_EQ(fields[1].name.toLower(), QByteArray("proname"));
    EXPECT_EQ(fields[1].type, 'C');
    EXPECT_EQ(fields[1].length, 100);
    EXPECT_EQ(fields[2].name.toLower(), QByteArray("procatalog"));
    EXPECT_EQ(fields[2].type, 'C');
    EXPECT_EQ(fields[2].length, 20);
    EXPECT_EQ(LoadKinds(root_).size(), 0);

    AppendKind(root_, {QStringLiteral("Осмотр"), 12}, QStringLiteral("0A1B2C3D"));
    EXPECT_FALSE(EnsureCatalogue(root_));  // an existing catalogue keeps its rows
    EXPECT_EQ(LoadKinds(root_).size(), 1);
}

TEST_F(KindsTest, CatalogueInAnyLetterCaseIsKept) {
    EXPECT_TRUE(EnsureCatalogue(root_));
    const QDir db(CatalogueFolder(root_));
    ASSERT_TRUE(QFile::rename(db.filePath(QStringLiteral("protocols.dbf")), db.filePath(QStringLiteral("PROTOCOLS.DBF"))));
    AppendKind(root_, {QStringLiteral("Осмотр"), 1}, QStringLiteral("0A1B2C3D"));
    EXPECT_FALSE(EnsureCatalogue(root_));
    EXPECT_EQ(db.entryList(QDir::Files), QStringList{QStringLiteral("PROTOCOLS.DBF")});
    EXPECT_EQ(LoadKinds(root_).names, QStringList{QStringLiteral("Осмотр")});
}

TEST_F(KindsTest, KindsComeInAppendOrderAsThreeParallelSequences) {
    EnsureCatalogue(root_);
    AppendKind(root_, {QStringLiteral("УЗИ брюшной полости"), 30}, QStringLiteral("CCCCCCCC"));
    AppendKind(root_, {QStringLiteral("Анализ крови"), -2}, QStringLiteral("AAAAAAAA"));
    AppendKind(root_, {QStringLiteral("Общий осмотр"), 1205}, QStringLiteral("BBBBBBBB"));
    const KindList list = LoadKinds(root_);
    EXPECT_EQ(list.names, (QStringList{QStringLiteral("УЗИ брюшной полости"), QStringLiteral("Анализ крови"),
                                       QStringLiteral("Общий осмотр")}));
    EXPECT_EQ(list.folders, (QStringList{QStringLiteral("db/CCCCCCCC"), QStringLiteral("db/AAAAAAAA"),
                                         QStringLiteral("db/BBBBBBBB")}));
    ASSERT_EQ(list.kinds.size(), 3);
    EXPECT_EQ(list.kinds[1].name, QStringLiteral("Анализ крови"));
    EXPECT_EQ(list.kinds[1].signature, -2);
    EXPECT_EQ(list.kinds[2].signature, 1205);
    EXPECT_EQ(list.IndexOf(QStringLiteral("Анализ крови")), 1);
    EXPECT_EQ(list.IndexOf(QStringLiteral("анализ крови")), -1);  // names match exactly
    EXPECT_EQ(KindFolderPath(root_, list.folders[0]), QDir::cleanPath(root_ + QStringLiteral("db/CCCCCCCC")));
}

TEST_F(KindsTest, MissingCatalogueIsAnEngineError) {
    EXPECT_THROW(LoadKinds(root_), EngineError);
    QDir().mkpath(CatalogueFolder(root_));
    EXPECT_THROW(LoadKinds(root_), EngineError);
}

}  // namespace
