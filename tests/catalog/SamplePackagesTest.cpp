// The sample packages in packages/ are what a clinic installs first; they must install, and
// the kinds they bring must work with the rest of the program.
#include <QDir>
#include <QRegularExpression>
#include <QSet>
#include <QTemporaryDir>

#include <gtest/gtest.h>
#include <zlib.h>

#include "CatalogTestFiles.h"
#include "DataRoot.h"
#include "Install.h"
#include "Kinds.h"
#include "MainTable.h"
#include "TDbQuery.h"
#include "FieldCatalogue.h"
#include "TFolderDB.h"

namespace {

const QString kPackages = QStringLiteral(VELMORA_SOURCE_DIR "/packages");

struct Sample {
    const char* file;
    const char* source;
    const char* name;
    int signature;
    bool zip;
};

const Sample kSamples[] = {
    {"general-exam.prt", "general-exam.sql", "Общий осмотр", 101, true},
    {"abdominal-ultrasound.prt", "abdominal-ultrasound.sql", "УЗИ органов брюшной полости", 201, false},
};

// The field names the source's catalogue statements insert, in order.
QStringList SourceFieldNames(const QString& source) {
    static const QRegularExpression insert(QStringLiteral("^insert into dbdescription .* values \\('([^']*)'"));
    QStringList names;
    for (const QString& line : QString::fromUtf8(testfiles::ReadFile(source)).split(u'\n')) {
        const auto match = insert.match(line);
        if (match.hasMatch()) names << match.captured(1);
    }
    return names;
}

class SamplePackagesTest : public ::testing::Test {
protected:
    void SetUp() override { EnsureCatalogue(root_); }
    QTemporaryDir dir_;
    QString root_ = dir_.filePath(QStringLiteral("root/"));
};

TEST_F(SamplePackagesTest, EachInstallsAWorkingKindThatMatchesItsSource) {
    QSet<QString> typeWords;
    for (const Sample& s : kSamples) {
        const QString package = kPackages + u'/' + QLatin1String(s.file);
        EXPECT_EQ(testfiles::ReadFile(package).startsWith("PK"), s.zip) << s.file;
        const InstallOutcome outcome = InstallPackage(root_, package);
        ASSERT_EQ(outcome.result, InstallResult::Installed) << s.file << " " << outcome.detail.toStdString();
        EXPECT_EQ(outcome.kind.name, QString::fromUtf8(s.name));
        EXPECT_EQ(outcome.kind.signature, s.signature);
        const QString kind = CatalogueFolder(root_) + u'/' + outcome.folderName;

        // The catalogue is the one the source describes (a stale .prt would differ).
        FieldCatalogue catalogueFile(kind);
        TDbTable& catalogue = catalogueFile.Table();
        QStringList fields;
        for (catalogue.First(); !catalogue.Eof(); catalogue.Next()) {
            fields << catalogue.FieldByName(QStringLiteral("Fieldname")).AsString();
            EXPECT_LE(fields.last().size(), 10);
            const QString type = catalogue.FieldByName(QStringLiteral("Fieldtype")).AsString();
            typeWords << type;
            if (type != u"enum") continue;
            // Every choice field names a reference table with code and name, and rows.
            const QString table = catalogue.FieldByName(QStringLiteral("FieldFile")).AsString();
            TDbQuery refs(kind);
            refs.SQL = QStringList{QStringLiteral("select code, name from ") + table + QStringLiteral(" order by code")};
            ASSERT_NO_THROW(refs.Open()) << s.file << " " << table.toStdString();
            EXPECT_GE(refs.RecordCount(), 2) << table.toStdString();
            EXPECT_EQ(refs.FieldByName(QStringLiteral("code")).AsInteger(), 1) << table.toStdString();
        }
        EXPECT_EQ(fields, SourceFieldNames(kPackages + QStringLiteral("/src/") + QLatin1String(s.source))) << s.file;

        // The record table can be made from the catalogue, and every column takes a value.
        bool created = false;
        ASSERT_NO_THROW(CreateMainTable(kind, created)) << s.file;
        TFolderDB db(kind);
        db.Execute(QStringLiteral("insert into main (code, fio) values (1, 'Иванов Иван Иванович')"));
        for (const QString& field : fields) {
            EXPECT_NO_THROW(db.Execute(QStringLiteral("update main set ") + field + QStringLiteral("=1 where code=1")))
                << field.toStdString();
        }
    }
    EXPECT_EQ(typeWords, (QSet<QString>{QStringLiteral("string"), QStringLiteral("double"), QStringLiteral("numeric"),
                                        QStringLiteral("bool"), QStringLiteral("enum"), QStringLiteral("ordinal")}));
    EXPECT_EQ(LoadKinds(root_).size(), 2);
}

TEST_F(SamplePackagesTest, ScriptPackageIsItsSourceInCp1251) {
    const QString package = kPackages + QStringLiteral("/abdominal-ultrasound.prt");
    gzFile file = gzopen(QFile::encodeName(package).constData(), "rb");
    ASSERT_NE(file, nullptr);
    QByteArray text;
    char buffer[4096];
    int got = 0;
    while ((got = gzread(file, buffer, sizeof buffer)) > 0) text.append(buffer, got);
    gzclose(file);
    QByteArray source = testfiles::ReadFile(kPackages + QStringLiteral("/src/abdominal-ultrasound.sql"));
    source.replace("\n", "\r\n");
    EXPECT_EQ(text, testfiles::Cp1251(source.constData()));
}

}  // namespace
