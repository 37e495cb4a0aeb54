#include "Install.h"

#include <QDir>
#include <QLocale>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <csignal>
#include <sys/resource.h>

#include "CatalogTestFiles.h"
#include "DataRoot.h"
#include "Kinds.h"
#include "TDbQuery.h"

namespace {

using testfiles::Cp1251;
using testfiles::Gzip;
using testfiles::RawEntry;
using testfiles::RawZip;
using testfiles::WriteFile;
using testfiles::Zip;
using testfiles::ZipPackage;

const char* const kSexScript =
    "#name=Осмотр\n"
    "#signature=12\n"
    "create table sex (code integer, name char(20))\n"
    "insert into sex (code, name) values (1, 'мужской')\n"
    "insert into sex (code, name) values (2, 'женский')\n";

// A stored zip entry (no compression), for names and sizes libzip would not write.
RawEntry Stored(const QByteArray& name, const QByteArray& data) {
    return {name, data, quint32(data.size()), testfiles::Crc32(data), 0};
}

// Hands out the given folder names in turn, then repeats the last one.
FolderNameSource Names(QStringList names) {
    auto next = std::make_shared<qsizetype>(0);
    return [names, next] { return names.at(qMin(names.size() - 1, (*next)++)); };
}

class InstallTest : public ::testing::Test {
protected:
    void SetUp() override {
        QLocale::setDefault(QLocale(QLocale::Russian, QLocale::Russia));
        root_ = dir_.filePath(QStringLiteral("root/"));
        EnsureCatalogue(root_);
        // Something beside the data root that no package may reach.
        WriteFile(dir_.filePath(QStringLiteral("outside/keep.dbf")), "untouched");
    }
    void TearDown() override { QLocale::setDefault(QLocale::c()); }

    // Writes the package, remembers how everything looked and installs it.
    InstallOutcome Install(const QByteArray& bytes, const FolderNameSource& names = {},
                           const QString& file = QStringLiteral("package.prt")) {
        const QString path = dir_.filePath(QStringLiteral("packages/") + file);
        WriteFile(path, bytes);
        return InstallPath(path, names);
    }
    InstallOutcome InstallPath(const QString& path, const FolderNameSource& names = {}) {
        before_ = testfiles::Snapshot(dir_.path());
        return InstallPackage(root_, path, names ? names : Names({QStringLiteral("0000000%1").arg(++drawn_)}));
    }

    // Nothing in the data root nor beside it changed since the last installation began.
    void ExpectNothingChanged(const char* what) {
        EXPECT_EQ(testfiles::Snapshot(dir_.path()), before_) << what;
    }

    QStringList KindFolders() const {
        return QDir(CatalogueFolder(root_)).entryList(QDir::Dirs | QDir::NoDotAndDotDot);
    }

    QTemporaryDir dir_;
    QString root_;
    QMap<QString, QByteArray> before_;
    int drawn_ = 0;
};

TEST_F(InstallTest, EveryRefusalHasItsMessageAndLeavesNothingBehind) {
    const QByteArray withoutManifest = Zip({{"dbdescription.dbf", "x"}});
    RawEntry damagedManifest = Stored("protocol.desc", Cp1251("#name=Осмотр\r\n"));
    damagedManifest.crc ^= 1;
    QByteArray damagedGzip = Gzip(QByteArray(kSexScript).repeated(50));
    damagedGzip.truncate(damagedGzip.size() / 2);
    struct Case {
        const char* what;
        QByteArray bytes;
        InstallResult result;
        const char* message;
    };
    const Case cases[] = {
        {"zip: not an archive", QByteArray("PK\x03\x04 not really a zip archive"), InstallResult::NotAPackage,
         "Указанный файл не является файлом протокола или поврежден"},
        {"zip: no protocol.desc", withoutManifest, InstallResult::NotAPackage,
         "Указанный файл не является файлом протокола или поврежден"},
        {"zip: manifest cannot be extracted", RawZip({Stored("main.dbf", "x"), damagedManifest}),
         InstallResult::NotAPackage, "Указанный файл не является файлом протокола или поврежден"},
        {"script: damaged gzip", damagedGzip, InstallResult::NotAPackage,
         "Указанный файл не является файлом протокола или поврежден"},
        {"script: binary file", QByteArray("\x89PNG\r\n\x1a\n\0\0\0\rIHDR", 16), InstallResult::NotAPackage,
         "Указанный файл не является файлом протокола или поврежден"},
        {"zip: signature not a number", ZipPackage("#name=Осмотр\n#signature=двенадцать\n"),
         InstallResult::BadManifest, "Значение signature «двенадцать» в файле протокола не является допустимым числом"},
        {"script: signature not a number", Cp1251("#name=Осмотр\n#signature=12x\ncreate table t (a integer)\n"),
         InstallResult::BadManifest, "Значение signature «12x» в файле протокола не является допустимым числом"},
        {"script: name too long", Cp1251(("#name=" + std::string(101, 'x') + "\n").c_str()),
         InstallResult::BadManifest, "Название протокола длиннее 100 символов"},
    };
    for (const Case& c : cases) {
        const InstallOutcome outcome = Install(c.bytes);
        EXPECT_EQ(outcome.result, c.result) << c.what;
        EXPECT_EQ(outcome.message, QString::fromUtf8(c.message)) << c.what << ": " << outcome.detail.toStdString();
        ExpectNothingChanged(c.what);
    }
    for (const QString& path : {dir_.filePath(QStringLiteral("packages/missing.prt")), dir_.filePath(QStringLiteral("packages"))}) {
        const InstallOutcome outcome = InstallPath(path);
        EXPECT_EQ(outcome.result, InstallResult::CannotOpen) << path.toStdString();
        EXPECT_EQ(outcome.message, QStringLiteral("Невозможно открыть файл протокола"));
        ExpectNothingChanged("cannot open");
    }
    EXPECT_EQ(LoadKinds(root_).size(), 0);
}

TEST_F(InstallTest, ZipPackageBringsItsFilesAndOneCatalogueRow) {
    // The manifest is not the first entry; sub-folders are made inside the kind folder.
    const InstallOutcome outcome = Install(ZipPackage("#name=Общий осмотр\n#signature=1205\n",
                                                      {{"dbdescription.dbf", "catalogue"}, {"refs/sex.dbf", "sex"}}),
                                           Names({QStringLiteral("0A1B2C3D")}));
    ASSERT_EQ(outcome.result, InstallResult::Installed) << outcome.detail.toStdString();
    EXPECT_EQ(outcome.message, QStringLiteral("Новый протокол успешно добавлен в систему"));
    EXPECT_EQ(outcome.folderName, QStringLiteral("0A1B2C3D"));
    EXPECT_EQ(outcome.kind.name, QStringLiteral("Общий осмотр"));
    EXPECT_EQ(testfiles::Snapshot(CatalogueFolder(root_) + QStringLiteral("/0A1B2C3D")),
              (QMap<QString, QByteArray>{{QStringLiteral("dbdescription.dbf"), "catalogue"},
                                         {QStringLiteral("refs/"), {}},
                                         {QStringLiteral("refs/sex.dbf"), "sex"}}));
    const KindList kinds = LoadKinds(root_);  // listed at once, no restart
    EXPECT_EQ(kinds.names, QStringList{QStringLiteral("Общий осмотр")});
    EXPECT_EQ(kinds.folders, QStringList{QStringLiteral("db/0A1B2C3D")});
    EXPECT_EQ(kinds.kinds.value(0).signature, 1205);
}

TEST_F(InstallTest, ScriptPackageRunsItsStatementsInTheNewFolder) {
    const char* const script =
        "   #NAME   =   УЗИ печени   \r\n"
        "# a comment without equals sign\n"
        "\n"
        "   \t\n"
        "#signature=12,9\n"
        "  create table sex (code integer, name char(20))  \r\n"
        "insert into sex (code, name) values (1, 'мужской')\n"
        "insert into sex (code, name) values (2, 'женский')";
    for (bool gzip : {false, true}) {
        const QByteArray text = Cp1251(script);
        const InstallOutcome outcome =
            Install(gzip ? Gzip(text) : text, {}, gzip ? QStringLiteral("gz.prt") : QStringLiteral("plain.prt"));
        ASSERT_EQ(outcome.result, InstallResult::Installed) << gzip << outcome.message.toStdString() << outcome.detail.toStdString();
        EXPECT_EQ(outcome.kind.name, QStringLiteral("УЗИ печени"));
        EXPECT_EQ(outcome.kind.signature, 12);  // twelve point nine, truncated
        TDbQuery query(CatalogueFolder(root_) + u'/' + outcome.folderName);
        query.SQL = QStringList{QStringLiteral("select code, name from sex order by code")};
        query.Open();
        ASSERT_EQ(query.RecordCount(), 2);
        query.SetRecNo(2);
        EXPECT_EQ(query.FieldByName(QStringLiteral("name")).AsString(), QStringLiteral("женский"));
        // Drop the kind again so that the second form is not a duplicate.
        QDir(CatalogueFolder(root_)).rename(QStringLiteral("protocols.dbf"), QStringLiteral("old%1.bak").arg(gzip));
        EnsureCatalogue(root_);
    }
}

TEST_F(InstallTest, SecondInstallationIsRefusedBeforeAnythingIsCreated) {
    struct Case {
        const char* what;
        QByteArray bytes;
    };
    const Case cases[] = {
        {"zip", ZipPackage("#name=Осмотр\n#signature=1\n", {{"main.dbf", "x"}})},
        {"script", Cp1251(kSexScript)},
        {"gzip script", Gzip(Cp1251(kSexScript))},
    };
    for (const Case& c : cases) {
        QDir(root_).removeRecursively();
        EnsureCatalogue(root_);
        ASSERT_EQ(Install(c.bytes).result, InstallResult::Installed) << c.what;
        const InstallOutcome again = Install(c.bytes);
        EXPECT_EQ(again.result, InstallResult::AlreadyInstalled) << c.what;
        EXPECT_EQ(again.message, QStringLiteral("Данный протокол уже установлен в системе"));
        ExpectNothingChanged(c.what);  // a script did not run a second time
        EXPECT_EQ(LoadKinds(root_).size(), 1) << c.what;
        EXPECT_EQ(KindFolders().size(), 1) << c.what;
    }
}

TEST_F(InstallTest, PackagesWithoutNameShareTheEmptyName) {
    // Only manifest lines: an empty kind folder and a row.
    const InstallOutcome first = Install(Cp1251("#signature=5\n# just a comment\n"));
    ASSERT_EQ(first.result, InstallResult::Installed) << first.detail.toStdString();
    EXPECT_EQ(QDir(CatalogueFolder(root_) + u'/' + first.folderName).entryList(QDir::AllEntries | QDir::NoDotAndDotDot),
              QStringList());
    const KindList kinds = LoadKinds(root_);
    EXPECT_EQ(kinds.names, QStringList{QString()});
    EXPECT_EQ(kinds.kinds.value(0).signature, 5);

    const InstallOutcome second = Install(ZipPackage("#comment=no name here\n", {{"main.dbf", "x"}}));
    EXPECT_EQ(second.result, InstallResult::AlreadyInstalled);
    EXPECT_EQ(second.kind.signature, 0);  // no signature line
    ExpectNothingChanged("second nameless");
}

TEST_F(InstallTest, FolderNameIsDrawnAgainWhileTaken) {
    const QDir db(CatalogueFolder(root_));
    db.mkdir(QStringLiteral("AAAAAAAA"));                                   // on disk
    WriteFile(db.filePath(QStringLiteral("BBBBBBBB")), "a file");            // a file, not a folder
    AppendKind(root_, {QStringLiteral("Старый"), 1}, QStringLiteral("CCCCCCCC"));  // row without folder
    const InstallOutcome outcome =
        Install(Cp1251(kSexScript), Names({QStringLiteral("AAAAAAAA"), QStringLiteral("BBBBBBBB"),
                                            QStringLiteral("CCCCCCCC"), QStringLiteral("DDDDDDDD")}));
    ASSERT_EQ(outcome.result, InstallResult::Installed) << outcome.detail.toStdString();
    EXPECT_EQ(outcome.folderName, QStringLiteral("DDDDDDDD"));
    EXPECT_TRUE(QFileInfo::exists(db.filePath(QStringLiteral("DDDDDDDD/sex.dbf"))));

    // A source that never gives a free name ends in a failure, not an endless loop.
    const InstallOutcome stuck = Install(ZipPackage("#name=Другой\n", {{"main.dbf", "x"}}), Names({QStringLiteral("AAAAAAAA")}));
    EXPECT_EQ(stuck.result, InstallResult::Failed);
    ExpectNothingChanged("no free name");
}

TEST_F(InstallTest, FailingStatementRemovesTheNewFolderAgain) {
    const InstallOutcome outcome = Install(Cp1251(
        "#name=Осмотр\ncreate table sex (code integer, name char(20))\ninsert into sex (code) values (1)\n"
        "insert into nosuchtable (code) values (1)\ninsert into sex (code) values (2)\n"));
    EXPECT_EQ(outcome.result, InstallResult::Failed);
    EXPECT_FALSE(outcome.message.isEmpty());  // the engine's own text
    EXPECT_TRUE(outcome.detail.startsWith(QStringLiteral("строка 4:"))) << outcome.detail.toStdString();
    ExpectNothingChanged("failing statement");
    EXPECT_EQ(LoadKinds(root_).size(), 0);
}

TEST_F(InstallTest, StatementsCannotReachOutsideTheKindFolder) {
    const QString outside = dir_.filePath(QStringLiteral("outside"));
    const QByteArray scripts[] = {
        Cp1251(("#name=A\nattach database '" + outside.toStdString() + "/x.db' as x\n").c_str()),
        Cp1251("#name=B\ncreate table \"../../../outside/evil\" (a integer)\n"),
        Cp1251("#name=C\ncreate table t (a integer)\ninsert into main.t select * from pragma_function_list\n"
               "pragma writable_schema = 1\n"),
    };
    for (const QByteArray& script : scripts) {
        const InstallOutcome outcome = Install(script);
        EXPECT_EQ(outcome.result, InstallResult::Failed) << script.constData();
        ExpectNothingChanged(script.constData());
    }
}

TEST_F(InstallTest, ZipEntryThatWouldLeaveTheKindFolderRefusesTheWholePackage) {
    const QByteArray names[] = {"../evil.dbf", "refs/../../evil.dbf", "/tmp/velmora-evil.dbf",
                                "C:evil.dbf", "refs\\evil.dbf", "..\\..\\evil.dbf"};
    for (const QByteArray& name : names) {
        // The bad entry comes last, after entries a careless extractor would already have written.
        const InstallOutcome outcome = Install(RawZip({Stored("protocol.desc", "#name=Злой\r\n"),
                                                       Stored("dbdescription.dbf", "catalogue"), Stored(name, "evil")}));
        EXPECT_EQ(outcome.result, InstallResult::NotAPackage) << name.constData();
        EXPECT_FALSE(outcome.detail.isEmpty()) << name.constData();
        ExpectNothingChanged(name.constData());
    }
    EXPECT_FALSE(QFileInfo::exists(QStringLiteral("/tmp/velmora-evil.dbf")));
}

TEST_F(InstallTest, ZipBombIsRefusedNotExtracted) {
    const QByteArray manifest = "#name=Бомба\r\n";
    std::vector<RawEntry> many{Stored("protocol.desc", manifest)};
    for (int i = 0; i < 10000; ++i) many.push_back(Stored("f" + QByteArray::number(i), {}));
    // Two entries that declare 1.5 GiB each but hold a few bytes: refused on the directory alone.
    const QByteArray tiny = testfiles::Deflate("x", 6);
    const RawEntry huge{"main.dbf", tiny, 0x60000000u, 0};
    const RawEntry huge2{"data.dbf", tiny, 0x60000000u, 0};
    // One that declares 16 bytes but inflates to 4 MiB: refused while extracting.
    const QByteArray inflated(4 << 20, 'A');
    const RawEntry liar{"main.dbf", testfiles::Deflate(inflated, 9), 16, testfiles::Crc32(inflated)};
    struct Case {
        const char* what;
        QByteArray bytes;
    };
    const Case cases[] = {
        {"10,001 entries", RawZip(many)},
        {"over 2 GiB declared", RawZip({Stored("protocol.desc", manifest), huge, huge2})},
        {"inflates beyond its size", RawZip({Stored("protocol.desc", manifest), liar})},
    };
    for (const Case& c : cases) {
        const InstallOutcome outcome = Install(c.bytes);
        EXPECT_EQ(outcome.result, InstallResult::NotAPackage) << c.what << ": " << outcome.detail.toStdString();
        ExpectNothingChanged(c.what);
    }
}

TEST_F(InstallTest, DiskFailureWhileExtractingLeavesNothingBehind) {
    const QByteArray package = ZipPackage("#name=Большой\n", {{"main.dbf", QByteArray(1 << 20, 'x')}});
    const QString path = dir_.filePath(QStringLiteral("packages/big.prt"));
    WriteFile(path, package);
    rlimit saved{};
    ::getrlimit(RLIMIT_FSIZE, &saved);
    auto previous = std::signal(SIGXFSZ, SIG_IGN);
    rlimit small = saved;
    small.rlim_cur = 256 * 1024;  // larger than the catalogue, smaller than main.dbf
    ::setrlimit(RLIMIT_FSIZE, &small);
    const InstallOutcome outcome = InstallPath(path);
    ::setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, previous);
    EXPECT_EQ(outcome.result, InstallResult::Failed);
    EXPECT_FALSE(outcome.message.isEmpty());
    ExpectNothingChanged("disk full");
}

}  // namespace
