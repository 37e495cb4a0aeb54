// Where the program finds its data: the --data-root option, else VELMORA_DATA_ROOT, else the
// platform's folder; the option is taken out of the arguments.
#include <gtest/gtest.h>

#include <QDir>
#include <QTemporaryDir>

#include "../QtPrinters.h"
#include "Platform.h"
#include "ProgramEnvironment.h"

namespace {

class Variable {
public:
    Variable(const char* name, const QByteArray& value) : name_(name), old_(qgetenv(name)), had_(qEnvironmentVariableIsSet(name)) {
        if (value.isNull()) qunsetenv(name);
        else qputenv(name, value);
    }
    ~Variable() {
        if (had_) qputenv(name_, old_);
        else qunsetenv(name_);
    }

private:
    const char* name_;
    QByteArray old_;
    bool had_;
};

TEST(Platform, DataRootFromTheOptionThenTheVariableThenTheUsersFolder) {
    QTemporaryDir dir;
    const QString option = dir.filePath("option"), variable = dir.filePath("variable");
    struct Case {
        QStringList args;
        QByteArray variable;
        QByteArray xdg;
        QString root;
        QStringList rest;
    };
    const Case cases[] = {
        {{"velmora", "--data-root", option, "-x"}, variable.toLocal8Bit(), {}, option + "/", {"velmora", "-x"}},
        {{"velmora", "--data-root=" + option}, {}, {}, option + "/", {"velmora"}},
        {{"velmora"}, variable.toLocal8Bit(), {}, variable + "/", {"velmora"}},
        {{"velmora"}, QByteArray(), dir.path().toLocal8Bit(), dir.path() + "/DuradodadeZiraduzo/", {"velmora"}},
    };
    for (const Case& c : cases) {
        Variable root("VELMORA_DATA_ROOT", c.variable);
        Variable xdg("XDG_DATA_HOME", c.xdg.isEmpty() ? QByteArray() : c.xdg);
        ProgramEnvironment env;
        QStringList args = c.args;
        ResolveEnvironment(env, args);
        EXPECT_EQ(env.DataRoot, c.root);
        EXPECT_EQ(args, c.rest);
        EXPECT_TRUE(env.ProgramFolder.endsWith('/'));
        EXPECT_GT(env.ScrollBarWidth, 0);
    }
}

}  // namespace
