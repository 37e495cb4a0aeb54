// velmora-cli describe / show / set, run as administrators and scripts run them.
#include "KindFixture.h"

#include "MainTable.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>

namespace {

struct CliRun {
    int code = -1;
    QString out;
    QString err;
};

class CliTest : public KindFixture {
protected:
    void SetUp() override {
        KindFixture::SetUp();
        Reference("sex", {"мужской", "женский"});
        Catalogue({
            {"ves", "double", "Вес", 1, 300, ""},
            {"pol", "enum", "Пол", 0, 0, "sex"},
            {"imya", "string", "Имя", 0, 0, ""},
        });
        bool created = false;
        CreateMainTable(folder(), created);
        exec("insert into main values (3, 'Иванов', 99999999, 2, '')");
    }

    CliRun Cli(const QStringList& args) {
        QProcess p;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("LC_ALL", "ru_RU.UTF-8");  // a decimal comma
        p.setProcessEnvironment(env);
        p.start(VELMORA_CLI, args);
        EXPECT_TRUE(p.waitForFinished(30000));
        return {p.exitCode(), QString::fromUtf8(p.readAllStandardOutput()),
                QString::fromUtf8(p.readAllStandardError())};
    }

    QJsonObject Json(const CliRun& run) { return QJsonDocument::fromJson(run.out.toUtf8()).object(); }

    static QStringList Texts(const QJsonValue& array) {
        QStringList texts;
        for (const QJsonValue& v : array.toArray()) texts << v.toString();
        return texts;
    }
};

TEST_F(CliTest, DescribePrintsTheGeneratedLines) {
    const CliRun run = Cli({"describe", folder()});
    EXPECT_EQ(run.code, 0) << run.err.toStdString();
    EXPECT_EQ(run.out.split('\n', Qt::SkipEmptyParts),
              (QStringList{"<!!Данные обследования>",
                           "<Ф.И.О. db=main field=fio type=char input=edit>",
                           "<Вес db=main field=ves type=float input=edit minvalue=1 maxvalue=300>",
                           "<Пол db=main field=pol type=ref ref_db=sex input=radio>",
                           "<Имя db=main field=imya type=char size=100 input=edit>"}));
    EXPECT_NE(Cli({"describe", folder() + "/nothere"}).code, 0);
}

TEST_F(CliTest, ShowGivesTheItemsAndTheOpenedLists) {
    const CliRun run = Cli({"show", "--json", folder(), "3"});
    ASSERT_EQ(run.code, 0) << run.err.toStdString();
    const QJsonObject o = Json(run);
    const QJsonArray items = o["items"].toArray();
    ASSERT_EQ(items.size(), 5);
    const QJsonObject pol = items[3].toObject();
    EXPECT_EQ(pol["name"].toString(), "Пол");
    EXPECT_EQ(pol["field"].toString(), "pol");
    EXPECT_EQ(pol["type"].toString(), "ref");
    EXPECT_EQ(pol["input"].toString(), "radio");
    EXPECT_EQ(pol["level"].toString(), "1");
    EXPECT_EQ(pol["value"].toString(), "2");
    EXPECT_EQ(pol["define"].toString(), "1");
    EXPECT_EQ(pol["display"].toString(), "2");
    EXPECT_EQ(items[2].toObject()["define"].toString(), "");  // Вес holds 99999999
    EXPECT_EQ(Texts(o["entered"]), (QStringList{"+Данные обследования", "Ф.И.О.", "Пол"}));
    EXPECT_EQ(Texts(o["current"]),
              (QStringList{"+Данные обследования", "Ф.И.О.", "Вес", "Пол", "Имя"}));
    EXPECT_EQ(Texts(o["next"]), QStringList{});

    const CliRun missing = Cli({"show", "--json", folder(), "4"});
    EXPECT_EQ(missing.code, 1);
    EXPECT_FALSE(missing.err.isEmpty());
}

TEST_F(CliTest, SetTypesCommitsAndSaves) {
    CliRun run = Cli({"set", folder(), "3", "ves", "3a6.6"});  // the letter is filtered out
    EXPECT_EQ(run.code, 0) << run.out.toStdString() << run.err.toStdString();
    EXPECT_EQ(Json(run)["value"].toString(), "36,6");
    EXPECT_EQ(Json(run)["outcome"].toString(), "written");
    EXPECT_EQ(Cell(3, "ves"), "36.6");

    EXPECT_EQ(Cli({"set", folder(), "3", "IMYA", "Мар'яна"}).code, 0);
    EXPECT_EQ(Cell(3, "imya"), "Мар'яна");
    const QJsonArray items = Json(Cli({"show", "--json", folder(), "3"}))["items"].toArray();
    EXPECT_EQ(items[2].toObject()["value"].toString(), "36,6");
    EXPECT_EQ(items[4].toObject()["value"].toString(), "Мар'яна");
}

TEST_F(CliTest, SetRefusesWhatTheEditorWouldNotStore) {
    const CliRun omega = Cli({"set", folder(), "3", "imya", "Ωmega"});
    EXPECT_EQ(omega.code, 1);
    EXPECT_EQ(Json(omega)["outcome"].toString(), "refused");
    EXPECT_TRUE(Json(omega)["message"].toString().contains("Ω"));
    EXPECT_EQ(Cell(3, "imya"), "");

    EXPECT_EQ(Cli({"set", folder(), "3", "pol", "1"}).code, 1);  // a radio item
    EXPECT_EQ(Cell(3, "pol"), "2");
    EXPECT_EQ(Cli({"set", folder(), "3", "nothere", "1"}).code, 1);
    EXPECT_EQ(Cli({"set", folder(), "7", "ves", "1"}).code, 1);
    EXPECT_EQ(Cli({"set", folder(), "x", "ves", "1"}).code, 2);
}

}  // namespace
