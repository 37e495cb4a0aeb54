// velmora-cli's catalogue commands, run as a user runs them.
#include <QDir>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

struct CliRun {
    int code = -1;
    QString out;
    QString err;
};

class CliCatalogTest : public ::testing::Test {
protected:
    CliRun Cli(const QStringList& args, const QString& environmentRoot = {}) {
        QProcess process;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.remove(QStringLiteral("VELMORA_DATA_ROOT"));
        if (!environmentRoot.isEmpty()) environment.insert(QStringLiteral("VELMORA_DATA_ROOT"), environmentRoot);
        environment.insert(QStringLiteral("XDG_DATA_HOME"), dir_.filePath(QStringLiteral("xdg")));
        process.setProcessEnvironment(environment);
        process.start(QStringLiteral(VELMORA_CLI), args);
        process.waitForFinished(120000);
        return {process.exitCode(), QString::fromUtf8(process.readAllStandardOutput()),
                QString::fromUtf8(process.readAllStandardError())};
    }
    CliRun InRoot(QStringList args) { return Cli(QStringList{QStringLiteral("--data-root"), root_} + args); }

    QTemporaryDir dir_;
    QString root_ = dir_.filePath(QStringLiteral("root"));
    const QString package_ = QStringLiteral(VELMORA_SOURCE_DIR "/packages/general-exam.prt");
};

TEST_F(CliCatalogTest, InstallListAndArchiveAKind) {
    CliRun r = InRoot({QStringLiteral("kinds"), QStringLiteral("--json")});
    EXPECT_EQ(r.code, 0) << r.err.toStdString();
    EXPECT_EQ(r.out.trimmed(), QStringLiteral("{\"kinds\":[]}"));
    EXPECT_TRUE(QFile::exists(root_ + QStringLiteral("/db/protocols.dbf")));  // a fresh root works

    r = InRoot({QStringLiteral("install"), package_});
    EXPECT_EQ(r.code, 0) << r.err.toStdString();
    const QStringList lines = r.out.split(u'\n', Qt::SkipEmptyParts);
    ASSERT_EQ(lines.size(), 2);
    EXPECT_EQ(lines[0], QStringLiteral("Новый протокол успешно добавлен в систему"));
    EXPECT_TRUE(QFileInfo(root_ + u'/' + lines[1]).isDir());

    r = InRoot({QStringLiteral("install"), package_});
    EXPECT_EQ(r.code, 1);
    EXPECT_EQ(r.err.trimmed(), QStringLiteral("Данный протокол уже установлен в системе"));

    r = InRoot({QStringLiteral("kinds"), QStringLiteral("--json")});
    const QJsonArray kinds = QJsonDocument::fromJson(r.out.toUtf8()).object().value(QStringLiteral("kinds")).toArray();
    ASSERT_EQ(kinds.size(), 1);
    EXPECT_EQ(kinds[0].toObject().value(QStringLiteral("name")).toString(), QStringLiteral("Общий осмотр"));
    EXPECT_EQ(kinds[0].toObject().value(QStringLiteral("signature")).toInt(), 101);
    EXPECT_EQ(kinds[0].toObject().value(QStringLiteral("folder")).toString(), lines[1]);
    r = InRoot({QStringLiteral("kinds")});
    EXPECT_EQ(r.out, QStringLiteral("101\tОбщий осмотр\t") + lines[1] + u'\n');

    const QString archive = dir_.filePath(QStringLiteral("backup.zip"));
    r = InRoot({QStringLiteral("archive"), QStringLiteral("Общий осмотр"), archive});
    EXPECT_EQ(r.code, 0) << r.err.toStdString();
    EXPECT_TRUE(QFileInfo(archive).size() > 0);
}

TEST_F(CliCatalogTest, FailuresAndMisuseHaveTheirExitCodes) {
    struct Case {
        QStringList args;
        int code;
        const char* err;  // the start of stderr
    };
    const Case cases[] = {
        {{QStringLiteral("install"), dir_.filePath(QStringLiteral("missing.prt"))}, 1, "Невозможно открыть файл протокола"},
        {{QStringLiteral("archive"), QStringLiteral("Нет такого"), dir_.filePath(QStringLiteral("a.zip"))}, 1, "velmora-cli:"},
        {{QStringLiteral("install")}, 2, "usage:"},
        {{QStringLiteral("archive"), QStringLiteral("x")}, 2, "usage:"},
        {{QStringLiteral("kinds"), QStringLiteral("extra")}, 2, "usage:"},
    };
    for (const Case& c : cases) {
        const CliRun r = InRoot(c.args);
        EXPECT_EQ(r.code, c.code) << c.args.join(u' ').toStdString();
        EXPECT_TRUE(r.err.startsWith(QString::fromUtf8(c.err))) << r.err.toStdString();
    }
    EXPECT_FALSE(QFile::exists(dir_.filePath(QStringLiteral("a.zip"))));
}

TEST_F(CliCatalogTest, DataRootComesFromTheOptionThenTheEnvironment) {
    const QString fromEnvironment = dir_.filePath(QStringLiteral("env-root"));
    EXPECT_EQ(Cli({QStringLiteral("kinds")}, fromEnvironment).code, 0);
    EXPECT_TRUE(QFile::exists(fromEnvironment + QStringLiteral("/db/protocols.dbf")));
    EXPECT_EQ(Cli({QStringLiteral("--data-root"), root_, QStringLiteral("kinds")}, fromEnvironment).code, 0);
    EXPECT_TRUE(QFile::exists(root_ + QStringLiteral("/db/protocols.dbf")));
    EXPECT_EQ(Cli({QStringLiteral("kinds")}).code, 0);
    EXPECT_TRUE(QFile::exists(dir_.filePath(QStringLiteral("xdg/DuradodadeZiraduzo/db/protocols.dbf"))));
}

}  // namespace
